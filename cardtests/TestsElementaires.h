#pragma once
// The elementary card tests. Each opens and closes the card port itself and
// returns its one-line result text (ResultatTest).
#include "station/poste/Poste.h"

#include <QString>

// IR auto-test: "IR ok ..." or "IR HS (Cn) ..." / "Carte absente (Cn) ...".
QString TestIRAutonome(Poste& poste, QString& version);

// IR monitoring loop until ArretDemande; returns the last status text shown.
QString TestIRPermanent(Poste& poste, QString& version);

// mode 1: percent; mode 2: emitter current in mA; non-numeric value gives 0.
float ConvPuissanceIR(const QString& valeur, int mode);

// EA presence: pattern receives the 32 characters "0"/"1", typeTrouve the
// rail type identified ("R08" ... "Rabsent", "Rinconnu").
QString TestPresenceEA(Poste& poste, QString& version, QString& motif, const QString& typeDemande,
                       QString& typeTrouve);

// Rear LEDs: "LedAR ok ..." or "LedAR HS (Ln) ...".
QString TestPresenceLedAR(Poste& poste, QString& version);

// Supply voltage: "TestAlim OK = 48.8v" or "TestAlim HS ...".
QString TestAlimentation(Poste& poste);
