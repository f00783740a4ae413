#pragma once
// The one table of rail types: EA presence pattern, EA count, detection
// parameters.
#include <QString>
#include <QStringList>

struct TypeRail {
    QString code;  // "R08", "R08S", ...
    QString motif; // 32 characters, EA 32 first, EA 1 last
    int nombreEA;
    int seuilBas; // detection parameters sent with I..E
    int seuilHaut;
};

const QList<TypeRail>& TypesRail();
const TypeRail* TrouveTypeRail(const QString& code); // exact, case-sensitive

// "R08" ... or "Rabsent" (32 "0", count 0) or "Rinconnu".
QString IdentifieTypeRail(const QString& motif, int nombreUns);

// Detection parameters for a requested type (137, 151 by default).
void ParametresDetection(const QString& typeDemande, int& seuilBas, int& seuilHaut);

QString ListeEAnonConformes(const QString& motif, const QString& typeRail);

// Letter of the tray type on its label ("R08S" "A" ... "R21" "H", else "0").
QString LettreTypePlateau(const QString& typeRail);
