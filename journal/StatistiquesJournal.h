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

namespace StatistiquesJournal {

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
// The first and last days of the journal (invalid when it holds no run).
bool Etendue(const QSqlDatabase& db, QDate& premier, QDate& dernier, QString* erreur);
// The stations and operators the journal knows, for the filters.
bool Postes(const QSqlDatabase& db, QStringList& r, QString* erreur);
bool Operateurs(const QSqlDatabase& db, QStringList& r, QString* erreur);
// The records of the filter, oldest first, one row of EnTetes() each: the
// measurements as "nom=valeur [bas..haut]" and the texts joined by " | ".
bool Passages(const QSqlDatabase& db, const FiltreJournal& f, QList<QStringList>& r,
              QString* erreur);

// `lignes` under the header, ";"-separated, UTF-8; a field holding ";", a
// quote or a line break is quoted. Nothing is left at `chemin` when the write
// fails.
bool ExporteCsv(const QString& chemin, const QList<QStringList>& lignes, QString* erreur);

} // namespace StatistiquesJournal
