#pragma once
// Fields of card replies and parameters of card commands, shared by the card
// tests and the rail bench.
#include <QByteArray>
#include <QString>

// Value of the leading decimal digits of `longueur` reply characters from
// `position` (1-based), nine at most; a field without digits, or past the
// end, gives 0.
int ChampDecimal(const QByteArray& reponse, int position, int longueur);

// Two upper-case hexadecimal digits, zero-padded, of a value 0..255.
QByteArray DeuxChiffresHex(int valeur);

// A single-precision number in its shortest form, with a point as separator.
QString NombreCourt(float valeur);
