#pragma once
// A station's serial-number series, kept in a trace file shared with the
// other stations of the folder ("SNcarte.txt", "SNrail.txt"): line 1 holds
// the last SN given, each further line traces one SN.
#include "Poste.h"

#include <QDateTime>
#include <QString>
#include <optional>

// The 62 digits of a serial number, in order of value.
extern const QString kAlphabetSN;

// Four digits of the alphabet (case-sensitive).
bool EstSNvalide(const QString& sn);

// Next SN: increment from the right with carry; "zzzz" gives "0000".
QString IncrementeSN(const QString& sn);
// The next SN of a series, nothing after "zzzz": a series never starts
// again silently.
std::optional<QString> SNsuivant(const QString& sn);
// Whether `a` comes after `b` in the series (four digits each).
bool SNapres(const QString& a, const QString& b);

// The factory's arbitration of the series (the factory server), when the
// station has one: an SN is taken there for good before it goes into a card,
// so that stations numbering from different folders never give one twice.
// The files are written as without it.
class ArbitreSN {
public:
    virtual ~ArbitreSN() = default;
    struct Etat {
        bool joint = false; // the arbiter answered
        QString dernier;    // its last SN of the series, empty when none
        QString reserve;    // when not joint: the next SN of the station's reserve
        QString raison;     // when not joint: why
    };
    // `serie` is the series file's name ("SNcarte.txt").
    virtual Etat Consulte(const QString& serie) = 0;
    // Takes for good the first free SN at or after `depuis` and after every
    // SN the factory gave; from the station's reserve when the arbiter does
    // not answer. Nothing, with the reason for the operator, when none can be
    // given.
    virtual std::optional<QString> Prend(const QString& serie, const QString& depuis,
                                         QString* refus) = 0;
};

// Date and time of every trace line: fixed width, so that a header can be
// rewritten in place.
QString HorodatageTrace(const QDateTime& quand);

// "dernier SN: " + SN + "  " + date + " " + time: the SN at characters 13 to 16.
QString EnTeteSN(const QString& sn, const QDateTime& quand);

// What the series shows that belongs to the caller's message table.
struct TextesSerieSN {
    QString invitePremierSN;  // prompt of the first-SN input box
    QString titrePremierSN;   // its title
    QString impossibleDansSN; // after the refused character
};

class SerieSN {
public:
    SerieSN(Poste& poste, const QString& chemin, const TextesSerieSN& textes);

    const QString& chemin() const { return chemin_; }

    struct Prevision {
        QString sn;
        bool premier = false; // typed by the operator for an empty file
    };

    // The next SN without taking it: the header's SN incremented, or, for an
    // empty file, the first SN typed by the operator. Nothing after a box, or
    // silently for an answer that is not 4 characters long.
    std::optional<Prevision> Prevoit();

    // Takes the SN for good: under the lock, re-reads the header (another
    // station may have advanced it since the forecast), refuses an SN
    // already traced, and writes the new header to disk. Nothing after a box.
    std::optional<QString> Reserve(const Prevision& prevision);

    // Appends a trace line under the lock; false with a readable reason.
    bool AjouteLigne(const QString& ligne, QString& erreur);

    // Traces an SN taken but not given (the write failed): `ligne` followed
    // by the reason on one line, so that the SN is never given again.
    bool NoteSNperdu(const QString& ligne, const QString& raison, QString& erreur);

private:
    class Verrou; // the lock file beside the series file
    bool LitLignes(const Verrou& verrou, QStringList& lignes);
    bool DernierSN(const QString& entete, QString& sn);

    Poste& poste_;
    QString chemin_;
    TextesSerieSN textes_;
};
