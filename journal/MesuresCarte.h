#pragma once
// The measurements of the elementary card tests, read back from the one-line
// result texts the workflows show and trace ("IR ok (pIR=31%)",
// "TestAlim HS = 45.2v", ...), with the limits those tests apply.
#include "Journal.h"

#include <QList>
#include <QString>

// The failure code a result text names ("C3", "E1", "L3"); "alim" for a failed
// supply test; empty for a passed test.
QString CodeDefaut(const QString& resultat);

QList<MesureJournal> MesuresIR(const QString& resultat);
// `motif` the 32-character EA pattern read, the rail types asked and found
// (either may be empty when the workflow does not have it). Without a result
// text, only the pattern and the types.
QList<MesureJournal> MesuresEA(const QString& resultat, const QString& motif,
                               const QString& typeDemande, const QString& typeTrouve);
QList<MesureJournal> MesuresLed(const QString& resultat);
QList<MesureJournal> MesuresAlim(const QString& resultat);
