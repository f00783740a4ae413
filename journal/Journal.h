#pragma once
// The production journal: one record per run of a card workflow, with its
// measurements and the result texts shown, in an SQLite file of the station
// (never on the shared trace folder: SQLite's locking is not dependable on
// network file systems). The trace files stay what they are; the journal only
// adds a structured copy for the yield and failure figures.
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

class Poste;

enum class IssuePassage { Reussi, Echec, Abandon, Interrompu };
// As stored: "reussi", "echec", "abandon", "interrompu".
QString TexteIssue(IssuePassage issue);

struct MesureJournal {
    QString nom{};                  // "IR pourcentage", "alim", "EA nombre", ...
    std::optional<double> valeur{}; // a number, when the measurement is one
    QString texte{};                // a pattern or a rail type, when it is not
    std::optional<double> limiteBasse{};
    std::optional<double> limiteHaute{};
    QString unite{};
    bool conforme = true;
    QString code{}; // failure code of the test ("C3", "E1", "alim"), empty when passed
};

struct PassageEnregistre {
    QDateTime debut; // UTC
    QString poste, usine, operateur, flux;
    QString sn, nomCarte, versionFW;
    QList<MesureJournal> mesures;
    QStringList resultats;
    IssuePassage issue = IssuePassage::Interrompu;
    QString codeDefaut; // the first failure code, for the Pareto
    qint64 dureeMs = 0;
};

namespace Journal {

// The schema this program writes; older files are brought up to it on open.
inline constexpr int kVersionSchema = 2;

// The journal file: the environment variable CALVANET_JOURNAL when set, else
// journal-<host>.sqlite under $XDG_DATA_HOME/calvanet (~/.local/share/calvanet).
// A context may carry its own (FixeChemin), as tests and the demo do.
QString Chemin(const Poste& poste);
void FixeChemin(Poste& poste, const QString& chemin);

// Creates the file on first use, migrates an older schema, and writes the run
// in one transaction. False, with the reason in `erreur`, when the file cannot
// be written (corrupted, not a journal, newer schema, read-only).
bool Enregistre(const QString& chemin, const PassageEnregistre& passage, QString* erreur);

// Opens (creating or migrating) without writing a run; for tools and tests.
bool Prepare(const QString& chemin, QString* erreur);

} // namespace Journal
