#pragma once
// The one-line result of an elementary card test ("IR ok (pIR=31%)",
// "EA HS (E3) cause: ...", "TestAlim OK = 48.8v"): workflows copy it into
// the status label, the labels and the trace files, and judge it here.
#include <QString>

// A passed test begins with "IR ok", "EA ok", "LedAR ok" or "TestAlim OK".
bool TestReussi(const QString& resultat);
