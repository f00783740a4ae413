#pragma once
// The cabinet being assigned: its name, its tray range, what the operator
// entered for each tray and the names the cards carried before, and the rules
// that read and write the tray list lines ("A-05  SN=1234" + status).
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

struct Meuble {
    static constexpr int kPlateauMax = 55;
    QString NomMeuble;      // one character, empty before the first creation
    int PremierPlateau = 0; // 0 before the first creation
    int DernierPlateau = 0;
    // Indexed by tray number; emptied when a new cabinet's trays are listed,
    // overwritten when entered or read again.
    std::array<QString, kPlateauMax + 1> SNsaisie;
    std::array<QString, kPlateauMax + 1> AncienNom;
};

// "A" to "Z" or "1" to "9".
bool NomMeubleValide(const QString& nom);

// The value of an answer's leading number (0 when it has none), rounded
// halves to even; nothing when it does not fit a 32-bit integer.
std::optional<int> ValeurNumeroPlateau(const QString& reponse);

// Height of the tray list for a range, in twips: a line pitch of 198 per
// tray plus one, at most 5325.
int HauteurListeTwips(int premier, int dernier);
constexpr int kTwipsParLigne = 198;

// A new line: cabinet name, "-", tray number on two digits ("A-05").
QString LigneNouveauPlateau(const QString& nomMeuble, int numero);
// The tray number of a line (positions 3-4), 0 when they hold none.
int NumeroPlateau(const QString& ligne);
// The SN of a line (positions 10-13), empty before entry.
QString SNligne(const QString& ligne);
// The line with an SN entered: its first 4 characters + "  SN=" + sn.
QString LigneAvecSN(const QString& ligne, const QString& sn);
// Positions 1-13 kept, then two spaces and the status text.
QString LigneAvecEtat(const QString& ligne, const QString& etat);
// The wire name of the tray's card: cabinet name, then the character of
// code 48 + tray number ("A5", "A:" for tray 10, "B<" for tray 12).
QByteArray AdressePlateau(const QString& ligne);

// The SN in an operator's answer: the answer itself when it has 4
// characters, characters 4-7 of a 15-character product code with "-" at 3, 8
// and 13; otherwise empty.
QString SNdeSaisie(const QString& reponse);

// Card replies cut by position. Nothing when the reply is an "Err" text or
// cannot be cut (no "[", or too short after it).
struct ReponsePresence {
    QString version;
    QString ancienNom; // "A-5"
};
std::optional<ReponsePresence> LitReponsePresence(const QString& reponse);
struct ReponseIdentite {
    QString version;
    QString sn;
};
std::optional<ReponseIdentite> LitReponseIdentite(const QString& reponse);
// The first three characters are "Err".
bool EstReponseErreur(const QString& reponse);

// One row of the card table, as read after assignment.
struct RangeeCarte {
    QString plateau;   // first 4 characters of the tray line
    QString reponse;   // reply to "V" + tray address, or its failure text
    QString snSaisie;  // SNsaisie of the tray
    QString ancienNom; // AncienNom of the tray
};
// Star line, header, star line, one row per tray, star line. The header is
// the same whatever the width of the msg cells of the rows (22 on the sheet,
// 30 in the record file).
QStringList TableauCartes(const QList<RangeeCarte>& rangees, int largeurMsg);
constexpr int kLargeurMsgFeuille = 22;
constexpr int kLargeurMsgFichier = 30;
