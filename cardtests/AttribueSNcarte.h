#pragma once
// Serial number of a new card: tests, next SN of this station, write into the
// card, read-back, "SNcarte.txt" and the card label (button BtAttribuSN).
#include "Poste.h"

#include <QDateTime>
#include <QString>

// BtAttribuSN.
void AttribueSNcarte(Poste& poste);

// The 62 digits of a serial number, in order of value.
extern const QString kAlphabetSN;

// Next SN: increment from the right with carry; "zzzz" gives "0000".
QString IncrementeSN(const QString& sn);

// Two characters written into the card: the first of NomCarteFuture, then
// its second when it is a digit, else "0" ("A50" gives "A5", "BX" "B0").
QString NomCarteEcrit(const QString& nomCarteFuture);

// "C8" for an R08 rail, "C1" for R11, "C0" otherwise.
QString CodeTypeCarte(const QString& typeRail);

// Date and time of every trace line: fixed width, so that the header of
// "SNcarte.txt" can be rewritten in place.
QString HorodatageTrace(const QDateTime& quand);

// "dernier SN: " + SN + "  " + date + " " + time.
QString EnTeteSNcarte(const QString& sn, const QDateTime& quand);
