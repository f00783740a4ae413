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
