#include "CreeBaseMessages.h"

#include "BaseTraductions.h"
#include "FichierTrace.h"
#include "Operateur.h"
#include "Plateforme.h"

#include <QFile>
#include <QSet>

namespace {

constexpr int kDebutTexte = 43; // position 44, the first character of the text
constexpr int kLongueurNom = 30;

QString TypeMessage(int numero) {
    return QStringLiteral("msg%1").arg(numero, 5, 10, QLatin1Char('0'));
}

void Boite(const QString& texte, const QString& titre = {}, Icone icone = Icone::Aucune) {
    if (Operateur* op = OperateurTraduction())
        op->Boite(texte, titre, icone);
}

} // namespace

ListeMessages LitListeMessages(const QStringList& lignes) {
    ListeMessages liste;
    for (const QString& ligne : lignes) {
        if (!ligne.startsWith(QStringLiteral("|msg")))
            continue;
        const int numero = NumeroMessage(ligne.mid(1, 8));
        const qsizetype fin = ligne.indexOf(QLatin1Char('|'), kDebutTexte + 1);
        if (numero < 1 || numero > kNombreMessages || fin < 0) {
            liste.ignorees << ligne;
            continue;
        }
        liste.messages.append({numero, ligne.mid(12, kLongueurNom).trimmed(),
                               ligne.mid(kDebutTexte, fin - kDebutTexte)});
    }
    return liste;
}

QStringList LignesListeMessages(const QList<MessageDefaut>& messages, const QString& titre) {
    QStringList lignes{titre};
    for (const MessageDefaut& m : messages)
        lignes << QStringLiteral("|") + TypeMessage(m.numero) + QStringLiteral("  |") +
                      m.nom.leftJustified(kLongueurNom, QLatin1Char(' '), true) +
                      QStringLiteral("|") + m.texte + QStringLiteral("|");
    return lignes;
}

QString TexteBilanBaseMessages(const BilanBaseMessages& b) {
    QString texte = QStringLiteral("base:") + DossierTraduction + FichierTraduction +
                    QStringLiteral("\rNombre de messages                : %1\r\r").arg(b.listes) +
                    QStringLiteral("Nombre de messages Modifiées : %1\r").arg(b.modifies) +
                    QStringLiteral("Nombre de messages Créés      : %1\r").arg(b.crees) +
                    QStringLiteral("Nombre de messages supprimés :%1").arg(b.supprimes);
    if (b.renommes > 0)
        texte += QStringLiteral("\rNombre de messages renommés : %1").arg(b.renommes);
    if (b.ignorees > 0)
        texte += QStringLiteral("\rLignes ignorées (numero hors de 1 à 200 ou texte sans | "
                                "final) : %1")
                     .arg(b.ignorees);
    return texte;
}

void CreeBaseMessages() {
    if (FichierTraduction.isEmpty())
        return;
    // The reload that follows reports the same failure again and only then
    // disables translation.
    const std::unique_ptr<BaseTraductions> base = OuvreBaseTraduction(true);
    if (!base)
        return;

    // The list is read whole before the base is touched: a missing list
    // leaves the base as it was.
    const QString cheminListe = Plateforme::CheminLocal(DossierTraduction + kListeMessages);
    QFile fichier(cheminListe);
    if (!fichier.open(QIODevice::ReadOnly)) {
        Boite(DossierTraduction + kListeMessages +
                  QStringLiteral("\rerreur n° %1 %2")
                      .arg(static_cast<int>(fichier.error()))
                      .arg(fichier.errorString()),
              QStringLiteral("Creation base de Messages"), Icone::Critique);
        return;
    }
    fichier.close();
    const ListeMessages liste = LitListeMessages(LitLignesTrace(cheminListe));

    BilanBaseMessages bilan;
    bilan.ignorees = static_cast<int>(liste.ignorees.size());
    // A record bearing a listed name belongs to that message, whatever its number.
    QSet<QString> nomsListes;
    for (const LigneListeMessages& m : liste.messages)
        nomsListes.insert(m.nom);
    // One transaction: a failure halfway leaves the base as it was.
    bool ok = base->Commence() && base->EffaceMarquesMessages();
    for (qsizetype i = 0; ok && i < liste.messages.size(); ++i) {
        const LigneListeMessages& m = liste.messages[i];
        ++bilan.listes;
        Msg[m.numero] = m.texte;
        std::optional<EnregistrementTraduction> trouve;
        ok = base->ChercheMessage(m.nom, &trouve);
        if (!ok)
            break;
        if (!trouve) {
            // A base converted from the older station names its messages
            // otherwise: the record of the same number, if no listed message
            // claims it by name, is this one's, and keeps its translation.
            const auto memeNumero = base->MessagesDuType(TypeMessage(m.numero));
            ok = memeNumero.has_value();
            if (!ok)
                break;
            for (const EnregistrementTraduction& e : *memeNumero)
                if (!e.tFlagpassage && !nomsListes.contains(e.Tname)) {
                    trouve = e;
                    trouve->Tname = m.nom;
                    ++bilan.renommes;
                    break;
                }
        }
        if (!trouve) {
            ++bilan.crees;
            EnregistrementTraduction e;
            e.Tformulaire = BaseTraductions::kModuleMsg;
            e.Ttype = TypeMessage(m.numero);
            e.Tname = m.nom;
            e.tdefcaption = m.texte;
            e.tFlagpassage = true;
            ok = base->Ajoute(e);
            continue;
        }
        EnregistrementTraduction e = *trouve;
        if (e.tdefcaption != m.texte) {
            e.tdefcaption = m.texte;
            e.tDate = QDateTime::currentDateTime();
            ++bilan.modifies;
        }
        e.Ttype = TypeMessage(m.numero);
        e.tFlagpassage = true;
        ok = base->Modifie(e);
    }
    if (ok) {
        const auto messages = base->Messages();
        ok = messages.has_value();
        for (qsizetype i = 0; ok && i < messages->size(); ++i) {
            if ((*messages)[i].tFlagpassage)
                continue;
            ok = base->Supprime((*messages)[i].id);
            ++bilan.supprimes;
        }
    }
    ok = ok && base->Valide();
    if (!ok) {
        const ErreurBase erreur = base->erreur();
        base->Annule();
        Boite(QStringLiteral("erreur n° %1 %2").arg(erreur.numero).arg(erreur.description),
              QStringLiteral("Creation base de Messages"), Icone::Critique);
        return;
    }
    Boite(TexteBilanBaseMessages(bilan));
}

void mnuCreationBaseMessages_Click() {
    ChargeMessagesDefaut();
    CreeBaseMessages();
    ChargeMessagesTraduits();
}
