#pragma once
// Giving a card a new name (its address on the card bus).
#include "Poste.h"

#include <QByteArray>
#include <QString>

// The wire address of a typed name: its first character, then the digit of
// its second character ("0" for anything but a digit).
QByteArray AdresseNomCarte(const QString& nom);

// Renames the card answering to ancienNom; returns the report to show.
// Opens and closes the card port itself.
QString RenommeCarte(Poste& poste, const QString& ancienNom, const QString& nouveauNom);

// Button "Renommer la Carte": asks both names, renames, shows the report.
void BTrenomCarte_Click(Poste& poste);
