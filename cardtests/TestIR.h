#pragma once
// The IR barrier of a card: auto-test and monitoring.
#include "Journal.h"
#include "Poste.h"

#include <QString>

// IR auto-test: "IR ok ..." or "IR HS (Cn) ..." / "Carte absente (Cn) ...".
// `mesures`, when given, receives what the test measured with its window.
QString TestIRAutonome(Poste& poste, QString& version, QList<MesureJournal>* mesures = nullptr);

// IR monitoring loop until ArretDemande; returns the last status text shown.
QString TestIRPermanent(Poste& poste, QString& version);

// mode 1: percent; mode 2: emitter current in mA; non-numeric value gives 0.
float ConvPuissanceIR(const QString& valeur, int mode);
