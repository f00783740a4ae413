#pragma once
// The button "Etq Carte Lue": reprints the label of the card connected.
#include "Poste.h"

void ImprimeEtiquetteCarteLue(Poste& poste);
