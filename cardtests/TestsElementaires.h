#pragma once
// The elementary card tests. Each opens and closes the card port itself and
// returns its one-line result text (ResultatTest). Below, the reply fields
// and command parameters they share.
#include "TestIR.h"
#include "TestLedAlim.h"
#include "TestPresenceEA.h"

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
