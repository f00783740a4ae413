#pragma once
// Gives every card of the cabinet the name of its tray: each card is reached
// by its SN, named, then checked under its new name; the outcome of each card
// is written in its tray line, and the cabinet is recorded.
#include "Meuble.h"
#include "Poste.h"
#include "VueMeuble.h"

// BtAttribuerCartes. Run through the job guard: it holds the card port.
void AttribueCartesMeuble(Poste& poste, Meuble& meuble, VueMeuble& vue);
