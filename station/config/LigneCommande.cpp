#include "LigneCommande.h"

#include "ModuleTraductions.h"
#include "Plateforme.h"

namespace {

// The value as typed: from after "cle=" to the first space.
QString ValeurBrute(const QString& ligne, const QString& cle, const QString& defaut) {
    const QString motif = cle + QLatin1Char('=');
    const qsizetype position = ligne.indexOf(motif, 0, Qt::CaseInsensitive);
    if (position < 0)
        return defaut.trimmed();
    QString valeur = ligne.mid(position + motif.size()).trimmed();
    for (qsizetype i = 0; i < valeur.size(); ++i)
        if (valeur.at(i).isSpace()) {
            valeur.truncate(i);
            break;
        }
    return valeur.trimmed();
}

bool Trouve(const QString& ligne, const QString& cle) {
    return ligne.contains(cle + QLatin1Char('='), Qt::CaseInsensitive);
}

} // namespace

QString RechParamLigneCde(const QString& ligne, const QString& cle, const QString& defaut) {
    if (!Trouve(ligne, cle))
        return defaut.trimmed();
    return ValeurBrute(ligne, cle, defaut).toUpper();
}

QString RechParamLigneCdeChemin(const QString& ligne, const QString& cle, const QString& defaut) {
    if (!Plateforme::CasseSignificative())
        return RechParamLigneCde(ligne, cle, defaut);
    return ValeurBrute(ligne, cle, defaut);
}

QString RechParamLigneCdeTelQuel(const QString& ligne, const QString& cle, const QString& defaut) {
    return ValeurBrute(ligne, cle, defaut);
}

QString RechParamLigneCdePort(const QString& ligne, const QString& cle, const QString& defaut) {
    const QString brute = ValeurBrute(ligne, cle, defaut);
    if (Plateforme::CasseSignificative() && Plateforme::EstCheminPeripherique(brute))
        return brute;
    return RechParamLigneCde(ligne, cle, defaut);
}

QString LigneCommande(const QStringList& arguments) {
    return arguments.mid(1).join(QLatin1Char(' ')).trimmed();
}

QString TexteAideLigneCde() {
    const QStringList lignes = {
        Msg[104],
        QStringLiteral("   pp : ") + Msg[105] + QStringLiteral(" ICPROG.exe"),
        QStringLiteral("   fp : ") + Msg[106],
        QStringLiteral("   com :") + Msg[107] + QStringLiteral("  (1)"),
        QStringLiteral("   us : ") + Msg[108],
        QStringLiteral("   nc : ") + Msg[109] + QStringLiteral("  (Z1)"),
        QStringLiteral("   op : ") + Msg[110],
        QStringLiteral("   portImp : ") + Msg[112] +
            QStringLiteral(" TLP2642  (COM1, COM2 ... , LPT1, LPT2 ..., TCP192.168.0.2:6667)"),
        QStringLiteral("   ft : ") + Msg[113],
        QStringLiteral("   ?  : ") + Msg[114],
        QStringLiteral("   portsrv : ") + Msg[179],
    };
    QString texte;
    for (const QString& l : lignes)
        texte += l + QLatin1Char('\r');
    return texte;
}

CibleImprimante AnalysePortImp(const QString& valeur) {
    CibleImprimante cible;
    QString v = valeur;
    if (Plateforme::EstCheminPeripherique(v)) {
        cible.portImp = v;
        return cible;
    }
    v = v.toUpper();
    bool numerique = !v.isEmpty();
    for (QChar c : v)
        numerique = numerique && c.isDigit();
    if (v.size() < 3 && numerique)
        v.prepend(QStringLiteral("COM"));
    if (v.startsWith(QStringLiteral("COM")) || v.startsWith(QStringLiteral("LPT")) ||
        v.startsWith(QStringLiteral("TCP"))) {
        cible.portImp = v;
        const qsizetype deuxPoints = v.indexOf(QLatin1Char(':'));
        if (v.startsWith(QStringLiteral("TCP")) && deuxPoints >= 0) {
            cible.adresse = v.mid(3, deuxPoints - 3);
            cible.portTcp = v.mid(deuxPoints + 1);
        }
    }
    return cible;
}

BaseTraduction AnalyseFt(const QString& valeur, const QString& dossierProgramme) {
    BaseTraduction base;
    if (valeur.isEmpty())
        return base;
    QString nom = valeur;
    // "/" separates folders on every platform the station runs on, "\\" as typed.
    const qsizetype separateur =
        std::max(nom.lastIndexOf(QLatin1Char('\\')), nom.lastIndexOf(QLatin1Char('/')));
    // A name with an extension of its own (a store named "anglais.sqlite") keeps it.
    if (!nom.mid(separateur + 1).contains(QLatin1Char('.')))
        nom += QStringLiteral(".mdb");
    if (separateur < 0) {
        QString dossier = dossierProgramme;
        if (!dossier.endsWith(QLatin1Char('/')) && !dossier.endsWith(QLatin1Char('\\')))
            dossier += QLatin1Char('/');
        base.dossier = dossier;
        base.fichier = nom;
    } else {
        base.dossier = nom.left(separateur + 1);
        base.fichier = nom.mid(separateur + 1);
    }
    return base;
}
