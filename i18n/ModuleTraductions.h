#pragma once
// The numbered operator texts, French by default, replaced by a translation
// when a translation database is loaded; the translation database in use.
#include <QList>
#include <QString>
#include <array>
#include <memory>

class BaseTraductions;
class Operateur;
struct ErreurBase;

inline constexpr int kNombreMessages = 200;

// Entries 1 to 200; entry 0 exists and is never used.
extern std::array<QString, kNombreMessages + 1> Msg;

// Fills the table with its French defaults (entries without one become empty).
void ChargeMessagesDefaut();

// An entry of the built-in table: its number, its name in the message base
// (at most 30 characters) and its French default.
struct MessageDefaut {
    int numero;
    QString nom;
    QString texte;
};
// Every entry that has a French default, by number.
QList<MessageDefaut> MessagesDefaut();

// Translation database named by `ft`: its folder (ending with a separator)
// and its file name. An empty FichierTraduction means no translation; the
// first failure of the database empties it for the rest of the run.
extern QString DossierTraduction;
extern QString FichierTraduction;

// Where the failures of the translation database are shown: the station's
// operator. Without one they are not shown (translation is still disabled).
void DefinitOperateurTraduction(Operateur* operateur);
Operateur* OperateurTraduction();

// DossierTraduction + FichierTraduction as a path of this platform.
QString CheminBaseTraduction();

// Opens the translation database, or returns nullptr after showing why (the
// file missing, an Access file to convert, any other failure). Unless
// `garderSurEchec`, a failure empties FichierTraduction.
std::unique_ptr<BaseTraductions> OuvreBaseTraduction(bool garderSurEchec = false);

// A failure once the database is open (a missing table or field, a file
// that is no database): one box, then no more translation for this run.
void EchecBaseTraduction(const ErreurBase& erreur);

// The entry number of a message record's type ("msg00017" gives 17), read as
// the older station read it: the leading digits count, whatever follows.
int NumeroMessage(const QString& type);

// Overwrites entries of Msg with the translated message records
// ("msg" + 5 digits, entries 1 to 200; other numbers are skipped).
void ChargeMessagesTraduits();
