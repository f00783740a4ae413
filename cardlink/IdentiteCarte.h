#pragma once
// Who the connected card is: its firmware, serial number, layer board and
// name, and the card names as they travel on the wire.
#include "Poste.h"

#include <QByteArray>
#include <QString>

struct IdentiteCarte {
    QString nom = QStringLiteral("inconnu"); // read from its name cells, "A-1"
    QString version;                         // firmware text; the "Err:" text when no card answered
    QString sn;                              // 4 characters, empty when not read
    QString versionCouche; // layer-board version in decimal, empty when not reported

    bool trouvee() const { return !version.startsWith(QLatin1String("Err:")); }
};

// A found card's identity reply, read by position: the version before "[",
// up to 4 SN characters after it, and the two hexadecimal digits after "]" as
// the layer-board version in decimal. Without "[" and "]" only the version.
void DecodeIdentite(const QByteArray& reponse, IdentiteCarte& id);

// Searches the card (up to 9 attempts of "V" + adresse) and reads its identity.
// Opens the card port and closes it again.
IdentiteCarte IdentifieCarte(Poste& poste, const QByteArray& adresse);

// The wire address of a typed name: its first character, then the character
// of code 48 + the digit of its second ("0" for anything but a digit).
QByteArray AdresseNomCarte(const QString& nom);

// A name cell's reply: the decimal code of one character, 0 to 255.
bool LitCodeNom(const QByteArray& reponse, int& code);

// The name two name-cell replies hold ("A-5"); the second is read only when
// the first has three characters. Empty when they hold no name.
QString NomDesCellules(const QByteArray& cellule1, const QByteArray& cellule2);

// The name stored in a card's two name cells ("W" + adresse + "L01", then
// "L02" when the first reply has three characters), as "A-5". nom stays empty
// when the cells do not hold a name; erreur gets the "Err:" text of an
// exchange that failed. The card port must be open.
struct NomStocke {
    QString nom;
    QByteArray erreur;
};
NomStocke LitNomCarte(Poste& poste, const QByteArray& adresse);
