#pragma once
// The figures a production engineer reads from the journal: first-pass yield,
// the failure codes that dominate, the spread of the measurements against
// their limits, and the records themselves for a spreadsheet. The queries
// are plain SQL, the same on the station's SQLite file and on a factory's
// PostgreSQL database: the caller hands the open connection.
//
// First pass: the first run of a card SN in a workflow, wherever and by
// whomever it ran, whatever its outcome (an abandoned first run is not a
// passed one). A run without SN (no card answered, a rail that failed before
// getting one) cannot be told from another: each counts as a first pass.
#include "Journal.h"

#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <optional>

struct FiltreJournal {
    QDate du{}, au{}; // days in UTC, both included; an invalid date leaves that end open
    QString poste{}, operateur{}; // empty: every one
    // A drill-down narrows the runs further: a day, a workflow, the failed
    // runs of some codes ("sans code" for none), first passes only, one run.
    QDate jour{};
    QString flux{};
    QStringList codes{};
    bool premiers = false;
    qint64 passage = 0; // 0: any
};

struct Rendement {
    QString cle;      // the day "2026-12-08" or the workflow
    int premiers = 0; // first passes
    int reussis = 0;  // of which passed
    double pourcent() const { return premiers ? 100.0 * reussis / premiers : 0.0; }
};

struct CompteDefaut {
    QString code; // "C3", "E1", "alim", "carte absente", ...
    int nombre = 0;
};

// The values of one measurement, with the limits of its latest record.
struct ValeursMesure {
    QList<double> valeurs;
    QList<int> poids; // how many times each value was read; empty: once each
    std::optional<double> limiteBasse, limiteHaute;
    QString unite;
};

// Counts of `valeurs` in bins of `largeur` from `debut`: bin i holds
// [debut + i·largeur, debut + (i+1)·largeur).
struct Histogramme {
    double debut = 0, largeur = 1;
    QList<int> comptes;
};
// Bins covering the values and the limits, on multiples of `largeur`.
Histogramme Repartit(const ValeursMesure& v, double largeur);

// First passes of the filter grouped by what the yields need: day,
// workflow, station, outcome and failure code of the first pass, and the
// outcome of the unit's last run in that workflow (anywhere in the journal).
struct LigneSynthese {
    QString jour, flux, poste, issue, code, derniere;
    int nombre = 0;
};

// A workflow's yield at its first pass and at the units' last run; `poste`
// empty for every station.
struct RendementFinal {
    QString flux, poste;
    int premiers = 0;       // first passes, one per unit
    int reussisPremier = 0; // of which passed
    int reussisFin = 0;     // units whose last run passed
    int reprises = 0;       // passed only on retest
};

// A test step of a workflow, at first pass: the runs that reached it (ended,
// not failed at an earlier step) and those it failed; `flux` empty for every
// workflow that has the step.
struct RendementEtape {
    QString flux, etape;
    int entrees = 0, echecs = 0;
    double pourcent() const { return entrees ? 100.0 * (entrees - echecs) / entrees : 0.0; }
};

// The test steps in the order the workflows run them, each with the failure
// codes it records and the workflows that run it.
struct Etape {
    QString nom;
    QStringList codes, flux;
};
const QList<Etape>& Etapes();

// Sums of one measurement's values over a station (empty: all stations), in
// time order: the moving ranges are between consecutive values.
struct SommesMesure {
    QString mesure, poste, unite;
    int n = 0;
    double somme = 0, sommeCarres = 0;
    double sommeEcarts = 0; // of the moving ranges |x(i) - x(i-1)|
    int nombreEcarts = 0;
    int horsLimites = 0;                            // outside the limits of their own record
    std::optional<double> limiteBasse, limiteHaute; // of the latest record
};

// d2 for moving ranges of two values.
inline constexpr double kD2 = 1.128;

// What can be computed of a measurement's capability; `raison` says why the
// rest cannot.
struct Capabilite {
    SommesMesure s;
    std::optional<double> moyenne, ecartGlobal, ecartIntra;
    std::optional<double> cp, cpk, pp, ppk;
    double horsPourcent = 0;
    QString raison;
};
Capabilite CalculeCapabilite(const SommesMesure& s);

// One point of a control chart.
struct PointCarte {
    qint64 passage = 0;
    QDateTime debut;
    QString poste, sn;
    double valeur = 0;
};

// The individuals and moving-range limits, and the Western Electric rules
// each point breaks (1 to 4, see docs/STATISTIQUES.md).
struct CarteControle {
    double centre = 0, sigma = 0; // sigma within
    double centreEcarts = 0;      // average moving range
    QList<QList<int>> regles;     // per point, the rules it breaks
    double lci() const { return centre - 3 * sigma; }
    double lcs() const { return centre + 3 * sigma; }
    double lcsEcarts() const { return 3.267 * centreEcarts; }
};
CarteControle Regles(const QList<double>& valeurs, double centre, double sigma);

namespace StatistiquesJournal {

// Readies a connection for the queries below: on a PostgreSQL server, no
// just-in-time compilation, which costs more than these short queries take
// once a week of a busy factory passes its cost threshold.
void PrepareConnexion(const QSqlDatabase& db);

// The columns of the export, in order.
QStringList EnTetes();

// Each query: false (and the reason) when the database cannot be read.
bool RendementParJour(const QSqlDatabase& db, const FiltreJournal& f, QList<Rendement>& r,
                      QString* erreur);
bool RendementParFlux(const QSqlDatabase& db, const FiltreJournal& f, QList<Rendement>& r,
                      QString* erreur);
// Failed runs by code, the most frequent first (ties by code).
bool Pareto(const QSqlDatabase& db, const FiltreJournal& f, QList<CompteDefaut>& r,
            QString* erreur);
// "alim", "IR puissance", ...
bool Valeurs(const QSqlDatabase& db, const FiltreJournal& f, const QString& mesure,
             ValeursMesure& r, QString* erreur);
// The first passes of the filter, grouped (see LigneSynthese).
bool Synthese(const QSqlDatabase& db, const FiltreJournal& f, QList<LigneSynthese>& r,
              QString* erreur);
// From those rows: the yield by day or by workflow, the final yields by
// workflow (each station and all), the step yields by workflow and all.
QList<Rendement> RendementsPar(const QList<LigneSynthese>& lignes, bool parFlux);
QList<RendementFinal> RendementsFinals(const QList<LigneSynthese>& lignes);
QList<RendementEtape> RendementsEtapes(const QList<LigneSynthese>& lignes);
// The measurements with at least one limit, each for all stations (poste
// empty) then for each station, by name.
bool SommesMesures(const QSqlDatabase& db, const FiltreJournal& f, QList<SommesMesure>& r,
                   QString* erreur);
// The latest `nombre` values of `mesure` with a limit, oldest first.
bool PointsCarte(const QSqlDatabase& db, const FiltreJournal& f, const QString& mesure, int nombre,
                 QList<PointCarte>& r, QString* erreur);
// The values of each of `mesures` counted by value (poids), for a histogram,
// in the order of `mesures`.
bool ValeursComptees(const QSqlDatabase& db, const FiltreJournal& f, const QStringList& mesures,
                     QList<ValeursMesure>& r, QString* erreur);
// How many runs the filter holds.
bool Nombre(const QSqlDatabase& db, const FiltreJournal& f, int& r, QString* erreur);

// The first and last days of the journal (invalid when it holds no run).
bool Etendue(const QSqlDatabase& db, QDate& premier, QDate& dernier, QString* erreur);
// The stations and operators the journal knows, for the filters.
bool Postes(const QSqlDatabase& db, QStringList& r, QString* erreur);
bool Operateurs(const QSqlDatabase& db, QStringList& r, QString* erreur);
// The records of the filter, oldest first, one row of EnTetes() each: the
// measurements as "nom=valeur [bas..haut]" and the texts joined by " | ".
// With `limite` > 0, only the latest `limite` records of the filter.
bool Passages(const QSqlDatabase& db, const FiltreJournal& f, QList<QStringList>& r,
              QString* erreur, int limite = 0);

// `lignes` under the header, ";"-separated, UTF-8; a field holding ";", a
// quote or a line break is quoted. Nothing is left at `chemin` when the write
// fails.
bool ExporteCsv(const QString& chemin, const QList<QStringList>& lignes, QString* erreur);

} // namespace StatistiquesJournal
