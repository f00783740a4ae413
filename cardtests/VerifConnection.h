#pragma once
// The button "Verif Connection avec la carte": who the connected card is.
#include "Poste.h"

void BtVerifConnection_Click(Poste& poste);
