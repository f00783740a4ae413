#pragma once
// A unit's whole life read from the journal in one search: what an engineer
// has in hand (a card or rail SN, a product code scanned from a label, a
// cabinet with its pharmacy, a pharmacy) gives the unit's runs, the cabinets
// and trays it was put in, or a cabinet's trays with their cards. The same
// SQL on the station's file and on the factory server: the caller hands the
// open connection (LectureJournal).
#include "Journal.h"

#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <optional>

enum class GenreRecherche { Vide, SN, CodeProduit, Meuble, Pharmacie };

// What was typed, recognised: an SN of 4 characters; a product code of 15
// with "-" at 3, 8 and 13 ("C8-0A1B-5026-0Y", its SN "0A1B"); a pharmacy
// followed by a cabinet name after a space, "/" or "-" ("Pharmacie du Lac
// / B", "Pharmacie du Lac B"), when that pharmacy has that cabinet; any other
// text, a pharmacy. The cabinet form is only known against the journal, so
// AnalyseRecherche gives the pharmacy form and ChercheHistorique settles it.
struct Recherche {
    GenreRecherche genre = GenreRecherche::Vide;
    QString saisie;    // as typed, trimmed
    QString sn;        // SN and product code
    QString pharmacie; // cabinet and pharmacy
    QString meuble;    // cabinet: its one-character name
};
Recherche AnalyseRecherche(const QString& saisie);

// The key a pharmacy name is compared by: case folded, spaces simplified, so
// that "pharmacie  du LAC" finds "Pharmacie du Lac" on both engines alike.
QString ClePharmacie(const QString& nom);

struct PassageHistorique {
    qint64 id = 0;
    QDateTime debut; // UTC
    QString poste, usine, operateur, flux;
    QString sn, nomCarte, versionFW;
    QString versionPoste, fichierFW, sha256FW;
    int position = -1; // a rail's place on the bench, -1 when none
    IssuePassage issue = IssuePassage::Interrompu;
    QString codeDefaut;
    qint64 dureeMs = 0;
};

// A card in a cabinet's tray, from its assignment until another card took
// the tray or the card went elsewhere (`fin` invalid: still there).
struct LienMeuble {
    QString sn, pharmacie, meuble;
    int plateau = 0;
    QDateTime debut, fin;
    QString operateur, poste; // of the assignment that made the link
};

// A tray of a cabinet as it stands: its card and what that card passed.
struct PlateauMeuble {
    int plateau = 0;
    QString sn;        // the card in the tray now; empty when none took it
    QString versionFW; // as the card answered at its assignment
    QDateTime depuis;  // since when it is there
    std::optional<PassageHistorique> dernierTestPlateau; // single tray test
    std::optional<PassageHistorique> derniereAttributionSN;
    bool testPlateauReussi = false; // any passed single tray test of the card
    // The mark shown when the card never passed a single tray test.
    QString marque() const;
};
// "sans test plateau réussi"
QString MarqueSansTestPlateau();

struct MeubleHistorique {
    QString pharmacie, adresse, meuble;
    int premier = 0, dernier = 0;
    // The assignment that last touched the cabinet.
    QDateTime dateAttribution;
    QString posteAttribution, operateurAttribution;
    int attributions = 0;          // how many times it was assigned
    QList<PlateauMeuble> plateaux; // every tray of the last assignment's range, in order
};

// An SN the factory's series gave (with a server, bd=): which series, which
// station, when, and whether it came from the station's reserve.
struct SNDonne {
    QString serie, poste;
    QDateTime quand;
    bool deReserve = false;
};

struct ResultatHistorique {
    Recherche recherche;
    // The one line shown above the tables: what was found, or that nothing was.
    QString resume;
    bool trouve = false;
    QList<PassageHistorique> passages; // time order
    QList<LienMeuble> liens;           // time order
    QList<SNDonne> donnes;             // the SN given by the factory's series
    QList<MeubleHistorique> meubles;   // a cabinet, or a pharmacy's cabinets
};

// Searches; false with the reason when the journal could not be read (a
// search that finds nothing is a success, with its line in `resume`).
bool ChercheHistorique(const QSqlDatabase& db, const QString& saisie, ResultatHistorique* r,
                       QString* erreur);

// The measurements of run `id`, in their order.
bool MesuresPassage(const QSqlDatabase& db, qint64 id, QList<MesureJournal>* mesures,
                    QString* erreur);
