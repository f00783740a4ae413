#pragma once
// A bus described in a small JSON file, for the simulator program and the demo.
//
// {
//   "cadence9600": false,          pace replies at 9600 baud
//   "intervalleAppelMs": 10,       slot of one card in a cabinet roll call
//   "cartes": [
//     { "nom": "A1", "sn": "0A1B", "version": "PLT2 v2.14", "apresSN": "c",
//       "versionCouche": "0C", "puissanceIRTrouvee": 120, "seuilReceptionIR": 100,
//       "presenceEA": "000...1111", "ledsAR": "111...1", "alimentation": 48.8,
//       "muette": false, "repondAuDeuxiemeEssai": false, "mauvaisCheckSum": false,
//       "checkSumMinuscule": false, "sansSlash": false, "reponseDoublee": false,
//       "delaiReponseMs": 3, "parasitesAvant": "", "coupureApresDecharges": 0,
//       "silencePour": ["IA5E"] },  commands the card leaves unanswered (by their start)
//     { "meuble": "A", "numero": 5 },              name "A" + character 48 + 5
//     { "meuble": "A", "premier": 1, "nombre": 100 } cards A1..A(100), SN "x001".. from "sn"
//   ]
// }
// Every field is optional; a missing one keeps the healthy card's value.
// Texts are taken byte for byte from their Latin-1 form.
#include "BusSimule.h"

#include <QString>
#include <vector>

struct ScenarioCartes {
    bool cadence9600 = false;
    int intervalleAppelMs = 10;
    std::vector<CarteSimulee> cartes;
};

// False, with a readable reason, for a missing file or a wrong field.
bool LitScenarioCartes(const QString& chemin, ScenarioCartes& scenario, QString* erreur = nullptr);
bool LitScenarioCartes(const QByteArray& json, ScenarioCartes& scenario, QString* erreur);

void AppliqueScenario(const ScenarioCartes& scenario, BusSimule& bus);
