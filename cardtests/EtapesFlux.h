#pragma once
// Steps that every card workflow takes the same way.
#include "IdentiteCarte.h"
#include "Operateur.h"
#include "Poste.h"

#include <QString>
#include <optional>

// How a workflow tells the operator that no card answered.
struct AbsenceCarte {
    QString info{};          // status text first, none when empty
    bool avecErreur = false; // the "Err:" text under message 1
    Icone icone = Icone::Aucune;
};

// The box of message 1 "Votre carte N'EST PAS CONNECTE".
void SignaleCarteAbsente(Poste& poste, const IdentiteCarte& identite, const AbsenceCarte& absence);

// Identifies the one card connected ("##"); when none answers, tells the
// operator as `absence` says and gives nothing.
std::optional<IdentiteCarte> CarteConnectee(Poste& poste, const AbsenceCarte& absence);
