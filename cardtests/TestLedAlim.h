#pragma once
// The rear LEDs and the supply voltage of a card.
#include "Poste.h"

#include <QString>

// Rear LEDs: "LedAR ok ..." or "LedAR HS (Ln) ...".
QString TestPresenceLedAR(Poste& poste, QString& version);

// Supply voltage: "TestAlim OK = 48.8v" or "TestAlim HS ...".
QString TestAlimentation(Poste& poste);
