#include "TestIR.h"

#include "ChampsReponse.h"
#include "LiaisonCarte.h"
#include "ModuleTraductions.h"
#include "Temps.h"

#include <QCoreApplication>
#include <charconv>
#include <cmath>

namespace {

// Power window of the auto-test; 255 means the receiver never saw the beam.
constexpr int kPuissanceMin = 80;
constexpr int kPuissanceMax = 190;
constexpr int kAucuneReception = 255;

// Status colours are written as blue-green-red integers, red in the low byte.
QColor CouleurBGR(unsigned valeur) {
    return QColor(valeur & 0xFF, (valeur >> 8) & 0xFF, (valeur >> 16) & 0xFF);
}

QString Texte(const QByteArray& reponse) {
    return QString::fromLatin1(reponse);
}

} // namespace

float ConvPuissanceIR(const QString& valeur, int mode) {
    bool numerique = false;
    const double v = valeur.trimmed().toDouble(&numerique);
    if (!numerique)
        return 0;
    double resultat = 0;
    if (mode == 1) {
        resultat = std::trunc((v - 57) / 198 * 100);
    } else if (mode == 2) {
        const double x = ((v * 5.1 / 256) - 1.15) / 0.18;
        resultat = std::trunc(x * 10) / 10;
    }
    // Just below 57 the truncation gives -0, which would print as "-0".
    return resultat <= 0 ? 0.0f : static_cast<float>(resultat);
}

QString TestIRAutonome(Poste& poste, QString& version, QList<MesureJournal>* mesures) {
    poste.ArretDemande = false;
    PortCarteOuvert port(poste);
    const auto note = [mesures](const MesureJournal& m) {
        if (mesures)
            *mesures << m;
    };
    // A step the card did not answer: no value, only its code.
    const auto panne = [&](const QString& code) {
        note({.nom = QStringLiteral("IR"), .conforme = false, .code = code});
    };

    QByteArray reponse = EnvoiEtReponseMorvane2(poste, "V##", 500);
    if (EstErreur(reponse)) {
        version = QStringLiteral("inconnue");
        panne(QStringLiteral("C5"));
        return Msg[65] + QStringLiteral(" (C5) ") + Texte(reponse);
    }
    version = Texte(reponse);

    reponse = EnvoiEtReponseMorvane2(poste, "F##2", 2500);
    if (EstErreur(reponse)) {
        panne(QStringLiteral("C6"));
        return Msg[65] + QStringLiteral(" (C6) ") + Texte(reponse);
    }

    const int pIR = ChampDecimal(reponse, 5, 3);
    MesureJournal puissance{.nom = QStringLiteral("IR puissance"),
                            .valeur = pIR,
                            .limiteBasse = kPuissanceMin,
                            .limiteHaute = kPuissanceMax};
    if (pIR < kPuissanceMin || pIR > kPuissanceMax) {
        puissance.conforme = false;
        if (pIR == kAucuneReception) {
            // Not a power: the receiver saw nothing.
            puissance.valeur.reset();
            puissance.texte = QStringLiteral("aucune reception");
            puissance.code = QStringLiteral("C2");
            note(puissance);
            return QStringLiteral("IR HS (C2) ") + Msg[66] + Msg[68];
        }
        puissance.code = QStringLiteral("C3");
        note(puissance);
        return QStringLiteral("IR HS (C3) ") + Msg[66] + Msg[69] + QLatin1Char('=') +
               QString::number(pIR);
    }
    note(puissance);

    // The beam must be lost at two thirds of the power found: the safety margin.
    reponse = EnvoiEtReponseMorvane2(
        poste, "F##0" + DeuxChiffresHex(static_cast<int>(std::floor(pIR / 1.5))), 500);
    if (EstErreur(reponse)) {
        panne(QStringLiteral("C7"));
        return Msg[65] + QStringLiteral(" (C7) ") + Texte(reponse);
    }

    reponse = EnvoiEtReponseMorvane2(poste, "L##R", 500);
    if (EstErreur(reponse)) {
        panne(QStringLiteral("C8"));
        return Msg[65] + QStringLiteral(" (C8) ") + Texte(reponse);
    }
    QString resultat;
    if (reponse.mid(1, 1) == "0") {
        const float pourcent = ConvPuissanceIR(QString::number(pIR), 1);
        resultat = QStringLiteral("IR ok (pIR=") + NombreCourt(pourcent) + QStringLiteral("%)");
        note({.nom = QStringLiteral("IR pourcentage"),
              .valeur = pourcent,
              .limiteBasse = ConvPuissanceIR(QString::number(kPuissanceMin), 1),
              .limiteHaute = ConvPuissanceIR(QString::number(kPuissanceMax), 1),
              .unite = QStringLiteral("%")});
    } else {
        resultat = QStringLiteral("IR HS (C1) ") + Msg[66] + Msg[67];
        // The beam was still seen below the safety margin.
        note(
            {.nom = QStringLiteral("IR coupure"), .conforme = false, .code = QStringLiteral("C1")});
    }

    EnvoiEtReponseMorvane2(poste, "F##0" + DeuxChiffresHex(pIR), 500);
    return resultat;
}

QString TestIRPermanent(Poste& poste, QString& version) {
    poste.ArretDemande = false;
    PortCarteOuvert port(poste);
    const QByteArray identite = EnvoiEtReponseMorvane2(poste, "V##", 500);
    version = EstErreur(identite) ? QStringLiteral("inconnue") : Texte(identite);

    QString texte;
    int compteur = 0;
    while (!poste.ArretDemande) {
        poste.MontreBtCancel(true);
        ++compteur;
        const QByteArray reponse = EnvoiEtReponseMorvane2(poste, "L##R", 500);
        if (!EstErreur(reponse)) {
            const QString pret = Texte(reponse.mid(0, 1));
            const QString recu = Texte(reponse.mid(1, 1));
            const QString bascule = Texte(reponse.mid(2, 1));
            const int p = ChampDecimal(reponse, 4, 3);
            const QString puissance = QString::number(p);
            texte = QStringLiteral("Pret: ") + pret + QStringLiteral("  IR Reel : ") + recu +
                    QStringLiteral("  basc : ") + bascule + QLatin1Char('\r') +
                    QStringLiteral("  Puiss IR : ") + Texte(reponse.mid(3, 3)) +
                    QStringLiteral("  (i= ") + NombreCourt(ConvPuissanceIR(puissance, 2)) +
                    QStringLiteral("mA) ") + NombreCourt(ConvPuissanceIR(puissance, 1)) +
                    QLatin1Char('%');
            const bool dansFenetre = p >= kPuissanceMin && p <= kPuissanceMax;
            unsigned couleur = 65535; // yellow
            if (pret == QLatin1String("1") && bascule == QLatin1String("0"))
                couleur = dansFenetre ? 65280 : 16776960; // green, cyan
            else if (pret == QLatin1String("0"))
                couleur = 255; // red
            poste.CouleurInfo(CouleurBGR(couleur));
        } else {
            texte = Msg[65];
            poste.CouleurInfo(CouleurBGR(16711935)); // magenta
        }
        poste.AfficheInfo(QStringLiteral("%1- ").arg(compteur % 100, 2, 10, QLatin1Char('0')) +
                          texte);
        timePause(0.03f);
    }

    port.ferme();
    poste.MontreBtCancel(false);
    poste.AfficheInfo(texte);
    return texte;
}
