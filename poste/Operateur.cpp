#include "Operateur.h"

// Out of line, so that the interface's type information lives in one place.
Operateur::~Operateur() = default;

void Operateur::BoiteRapport(const QString& rapport, const QString& texte, const QString& titre,
                             Icone icone) {
    Boite(rapport + texte, titre, icone);
}

bool Operateur::OuiNonRapport(const QString& rapport, const QString& question, const QString& titre,
                              Icone icone, bool nonParDefaut) {
    return OuiNon(rapport + question, titre, icone, nonParDefaut);
}
