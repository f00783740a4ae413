#pragma once
// Serial number of a new card: tests, next SN of this station, write into the
// card, read-back, "SNcarte.txt" and the card label (button BtAttribuSN).
#include "Poste.h"
#include "SerieSN.h"

#include <QString>

// BtAttribuSN.
void AttribueSNcarte(Poste& poste);

// Two characters written into the card: the first of NomCarteFuture, then
// its second when it is a digit, else "0" ("A50" gives "A5", "BX" "B0").
QString NomCarteEcrit(const QString& nomCarteFuture);

// "C8" for an R08 rail, "C1" for R11, "C0" otherwise.
QString CodeTypeCarte(const QString& typeRail);
