#include "AttribueCartesMeuble.h"

#include "FeuilleMeuble.h"
#include "LiaisonCarte.h"
#include "PassageJournal.h"
#include "Temps.h"
#include "Windows1252.h"

#include <QSysInfo>
#include <deque>

namespace {

constexpr int kTimeOutMs = 500;

QString Texte(const QByteArray& reponse) {
    return DepuisWindows1252(reponse);
}

// Selects line i and moves the progress bar to it.
void Passe(VueMeuble& vue, int i) {
    vue.selectionne(i);
    vue.Progression(i + 1);
}

} // namespace

void AttribueCartesMeuble(Poste& poste, Meuble& meuble, VueMeuble& vue) {
    Operateur& op = poste.operateur();
    if (vue.nombreLignes() == 0) {
        op.Boite(QStringLiteral("Vous devez commencer par creer un meuble"), {},
                 Icone::Information);
        return;
    }
    // The list cannot change under the passes: the window holds its edits
    // while this runs.
    const int nombre = vue.nombreLignes();

    vue.Etat(QStringLiteral("Verification des SN saisies ..."));
    vue.DebutProgression(nombre);
    for (int i = 0; i < nombre; ++i) {
        Passe(vue, i);
        const QString ligne = vue.lignes().at(i);
        if (SNligne(ligne).trimmed().size() != 4) {
            op.Boite(QStringLiteral("il manque un SN sur le plateau ") + ligne, {},
                     Icone::Information);
            vue.Progression(0);
            return;
        }
        LaisseTourner();
    }

    // One record per tray, written together when the assignment ends,
    // however it ends.
    LotJournal lot(poste);
    std::deque<PassageJournal> journaux;
    AttributionEnregistree& attribution = lot.attribution;
    attribution.debut = QDateTime::currentDateTimeUtc();
    attribution.poste = QSysInfo::machineHostName();
    attribution.usine = poste.reglages.CodeUsine;
    attribution.operateur = poste.reglages.CodeOperateur;
    attribution.pharmacie = vue.NomPharma();
    attribution.adresse = vue.AdrPharma();
    attribution.meuble = meuble.NomMeuble;
    attribution.premier = meuble.PremierPlateau;
    attribution.dernier = meuble.DernierPlateau;
    for (int i = 0; i < nombre; ++i) {
        const QString ligne = vue.lignes().at(i);
        const QString sn = SNligne(ligne).trimmed();
        PassageJournal& journal =
            journaux.emplace_back(poste, QStringLiteral("AttribueCartesMeuble"), &lot);
        journal.carte(sn);
        const int numero = NumeroPlateau(ligne);
        const QString saisie = numero >= 0 && numero <= Meuble::kPlateauMax
                                   ? meuble.SNsaisie[static_cast<size_t>(numero)]
                                   : QString();
        PlateauAttribue plateau;
        plateau.plateau = numero;
        plateau.saisie = saisie.isEmpty() ? sn : saisie;
        plateau.sn = sn;
        plateau.nouveauNom = meuble.NomMeuble + QLatin1Char('-') + QString::number(numero);
        plateau.passageUid = journal.uid();
        attribution.plateaux << plateau;
    }

    vue.Etat(QStringLiteral("verification de la presence des cartes ..."));
    PortCarteOuvert port(poste);
    for (int i = 0; i < nombre; ++i) {
        Passe(vue, i);
        const QString ligne = vue.lignes().at(i);
        const int numero = NumeroPlateau(ligne);
        const QString reponse = Texte(
            EnvoiEtReponseMorvane2(poste, "vNs" + VersWindows1252(SNligne(ligne)), kTimeOutMs));
        QString ancien;
        journaux[static_cast<size_t>(i)].resultat(reponse);
        if (const auto presence = LitReponsePresence(reponse)) {
            ancien = presence->ancienNom;
            attribution.plateaux[i].ancienNom = ancien;
            journaux[static_cast<size_t>(i)].carte({}, ancien, presence->version);
            vue.changeLigne(i, LigneAvecEtat(ligne, presence->version + QStringLiteral(" (") +
                                                        ancien + QLatin1Char(')')));
        } else {
            // A failure, or a reply that cannot be cut: the line shows it.
            vue.changeLigne(i, LigneAvecEtat(ligne, reponse));
            if (reponse.toLatin1() == kErrTimeOut)
                journaux[static_cast<size_t>(i)].echec({}, QStringLiteral("carte absente"));
        }
        if (numero >= 0 && numero <= Meuble::kPlateauMax)
            meuble.AncienNom[static_cast<size_t>(numero)] = ancien;
        LaisseTourner();
    }

    vue.Etat(QStringLiteral("Attribution des cartes en cours ..."));
    for (int i = 0; i < nombre; ++i) {
        Passe(vue, i);
        const QString ligne = vue.lignes().at(i);
        const QByteArray reponse = EnvoiEtReponseMorvane2(
            poste, "yNs" + AdressePlateau(ligne) + VersWindows1252(SNligne(ligne)), kTimeOutMs);
        vue.changeLigne(i, LigneAvecEtat(ligne, Texte(reponse)));
        journaux[static_cast<size_t>(i)].resultat(Texte(reponse));
    }

    vue.Etat(QStringLiteral("verifie l'attribution du nom de plateau"));
    for (int i = 0; i < nombre; ++i) {
        Passe(vue, i);
        const QString ligne = vue.lignes().at(i);
        // A late reply of the previous card must not be read as this one's.
        LectRepMorvane2(poste, 10);
        const QString reponse =
            Texte(EnvoiEtReponseMorvane2(poste, "V" + AdressePlateau(ligne), kTimeOutMs));
        if (const auto id = LitReponseIdentite(reponse)) {
            attribution.plateaux[i].snLu = id->sn;
            const QString note =
                id->sn != SNligne(ligne) ? QStringLiteral("SN lue=") + id->sn : QString();
            vue.changeLigne(i, LigneAvecEtat(ligne, id->version + QLatin1Char(' ') + note));
            if (note.isEmpty())
                journaux[static_cast<size_t>(i)].fin();
            else
                journaux[static_cast<size_t>(i)].echec(note, QStringLiteral("SN lue"));
        } else {
            vue.changeLigne(i, LigneAvecEtat(ligne, reponse));
            journaux[static_cast<size_t>(i)].echec(reponse, QStringLiteral("attribution"));
        }
    }

    vue.Etat(QStringLiteral("fin d'attribution pour ce meuble"));
    vue.CacheProgression();
    port.ferme();
    MemoriseAttribution(poste, meuble, vue);
}
