#pragma once
// The production journal: one record per run of a card workflow, with its
// measurements and the result texts shown, in an SQLite file of the station
// (never on the shared trace folder: SQLite's locking is not dependable on
// network file systems). The trace files stay what they are; the journal only
// adds a structured copy for the yield and failure figures.
// With a factory server (bd=, ServeurJournal.h) every record is still written
// to the station's file first, marked to send, then sent; a record the server
// did not take waits there and goes at the next record or when the station is
// idle (EnvoiJournal.h). Each record carries an id made on the station, unique
// on the server, so that a send repeated after a lost answer adds nothing.
// This is the store, on a file or a server named; how a station uses it (its
// file, its server) is JournalPoste.h.
#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <optional>

class Poste;
struct ServeurJournal;

enum class IssuePassage { Reussi, Echec, Abandon, Interrompu };
// As stored: "reussi", "echec", "abandon", "interrompu".
QString TexteIssue(IssuePassage issue);
IssuePassage IssueLue(const QString& texte); // anything else: interrupted
// As the operator reads it: "réussi", "échec", "abandon", "interrompu".
QString IssueAffichee(IssuePassage issue);

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
    QString uid; // made on the station when first written, when empty
    // How the card was programmed and tested: this program's version, the
    // firmware file in use (name and SHA-256 of its content).
    QString versionPoste, fichierFW, sha256FW;
    int position = -1; // a rail's place on the bench, -1 when none
};

// One tray of a cabinet assignment: what was typed or scanned for it, the
// card's names before and after, the SN it answered under its new name.
struct PlateauAttribue {
    int plateau = 0;
    QString saisie;     // the SN typed or the product code scanned, as entered
    QString sn;         // the SN the tray was given (from the entry)
    QString snLu;       // the SN read back under the new name, empty when none
    QString ancienNom;  // "A-5", as the card answered before
    QString nouveauNom; // "B-7"
    IssuePassage issue = IssuePassage::Interrompu;
    QString passageUid; // the tray's run
};

// A cabinet assignment: the genealogy of a pharmacy's cabinet. Recorded with
// the runs of its trays; each tray whose card took its name links that card
// to the tray, closing the card's earlier link and the tray's earlier card
// (their end time set, nothing deleted).
struct AttributionEnregistree {
    QDateTime debut; // UTC
    QString poste, usine, operateur;
    QString pharmacie, adresse, meuble;
    int premier = 0, dernier = 0;
    QList<PlateauAttribue> plateaux;
    QString uid; // made on the station when first written, when empty
};

namespace Journal {

// The schema this program writes; older files are brought up to it on open.
inline constexpr int kVersionSchema = 5;

// Creates the file on first use, migrates an older schema, and writes the run
// in one transaction. False, with the reason in `erreur`, when the file cannot
// be written (corrupted, not a journal, newer schema, read-only).
bool Enregistre(const QString& chemin, const PassageEnregistre& passage, QString* erreur);

// Opens (creating or migrating) without writing a run; for tools and tests.
bool Prepare(const QString& chemin, QString* erreur);

// The same on the factory server: the schema created or migrated, once for
// all the stations that open it at the same moment.
bool PrepareServeur(const ServeurJournal& serveur, QString* erreur);

// Writes the run to the station's file, marked to be sent when `aEnvoyer`.
bool Enregistre(const QString& chemin, const PassageEnregistre& passage, QString* erreur,
                bool aEnvoyer);
// Several runs in one transaction: all of them or none.
bool Enregistre(const QString& chemin, const QList<PassageEnregistre>& passages, QString* erreur,
                bool aEnvoyer);
// The same with a cabinet assignment, in the same transaction.
bool Enregistre(const QString& chemin, const QList<PassageEnregistre>& passages,
                const AttributionEnregistree& attribution, QString* erreur, bool aEnvoyer);

// The records of the station's file still to send.
int EnAttente(const QString& chemin, QString* erreur = nullptr);

// Sends the records waiting in the station's file, oldest first, each in its
// own transaction; a record the server already has (its answer was lost) is
// only taken off the list. The number sent, or -1 with the reason in `erreur`
// when the server or the file failed (what was sent before stays sent).
int EnvoieEnAttente(const QString& chemin, const ServeurJournal& serveur, QString* erreur);

} // namespace Journal

// A connection to read the journal, for the figures, removed with it: a file
// named, or a server; for a station, its server when it has one, else its
// file (JournalPoste.cpp). A file is opened read-only and a missing one is not
// created.
class LectureJournal {
public:
    explicit LectureJournal(const Poste& poste);
    explicit LectureJournal(const QString& fichier);
    explicit LectureJournal(const ServeurJournal& serveur);
    ~LectureJournal();
    LectureJournal(const LectureJournal&) = delete;
    LectureJournal& operator=(const LectureJournal&) = delete;

    // Opens (a server's schema created or migrated); false with the reason.
    bool ouvre(QString* erreur);
    QSqlDatabase db() const;
    // What is read, as shown to the operator (file path or server).
    QString source() const { return source_; }
    bool serveur() const { return serveur_; }

private:
    LectureJournal();
    void prepareFichier(const QString& fichier);
    void prepareServeur(const ServeurJournal& serveur);

    QString nom_, source_;
    bool serveur_ = false;
};
