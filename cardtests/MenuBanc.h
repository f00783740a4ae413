#pragma once
// The quick tests of the "fonctions" menu, on the one card connected.
#include "Poste.h"

// "Test IR permanent (une seule carte connectée)"
void mnuTestIRperm_Click(Poste& poste);
// "Test IR sans manipulation (une seule carte connectée)"
void mnuTestIRsansManip_Click(Poste& poste);
// "test EA sans ejection (une seule carte connectée)"
void mnuTestEA_Click(Poste& poste);
