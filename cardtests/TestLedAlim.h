#pragma once
// The rear LEDs and the supply voltage of a card.
#include "Journal.h"
#include "Poste.h"

#include <QString>

// Rear LEDs: "LedAR ok ..." or "LedAR HS (Ln) ...".
// `mesures`, when given, receives what the test measured with its limits.
QString TestPresenceLedAR(Poste& poste, QString& version, QList<MesureJournal>* mesures = nullptr);

// Supply voltage: "TestAlim OK = 48.8v" or "TestAlim HS ...".
QString TestAlimentation(Poste& poste, QList<MesureJournal>* mesures = nullptr);
