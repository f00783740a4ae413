#pragma once
// Giving a card a new name (its address on the card bus).
#include "Poste.h"

#include <QByteArray>
#include <QString>

// Renames the card answering to ancienNom; returns the report to show.
// Opens and closes the card port itself.
QString RenommeCarte(Poste& poste, const QString& ancienNom, const QString& nouveauNom);

// Button "Renommer la Carte": asks both names, renames, shows the report.
void BTrenomCarte_Click(Poste& poste);
