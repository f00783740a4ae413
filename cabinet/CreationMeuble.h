#pragma once
// Creating a cabinet (pharmacy, cabinet name, tray range) and entering the
// SN of the card of each tray.
#include "Meuble.h"
#include "Poste.h"
#include "VueMeuble.h"

// BtCreerNouveauMeuble: the whole dialogue, from the cabinet name to the SN
// of the last tray. A refusal or a Cancel leaves the window as it got.
void CreeNouveauMeuble(Poste& poste, Meuble& meuble, VueMeuble& vue);

enum class ResultatSaisieSN { Redemander = 0, Accepte = 1, Abandon = 2 };

// Asks the SN of the card of the selected tray line.
ResultatSaisieSN SaisieSNplateau(Poste& poste, Meuble& meuble, VueMeuble& vue);

// Double-click on the tray list: one SN entry for the selected line, none
// when no line is selected.
void SaisieUnSN(Poste& poste, Meuble& meuble, VueMeuble& vue);
