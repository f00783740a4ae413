#pragma once
// Complete test of one finished tray on the bench (button BtTestPlateauSeul):
// the four elementary tests, real EA firing, rear LED lighting, the record in
// "TestPlateauSeul.txt", the tray label and the supply discharge.
#include "Poste.h"

#include <QString>

// BtTestPlateauSeul.
void BtTestPlateauSeul_Click(Poste& poste);

// The type typed at the last run, offered as the next default; empty at first.
QString DernierTypePlateau(const Poste& poste);

// Letter of the tray type on its label ("R08S" "A" ... "R21" "H", else "0").
QString LettreTypePlateau(const QString& typeRail);
