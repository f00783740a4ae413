#include "ResultatTest.h"

bool TestReussi(const QString& resultat) {
    for (const char* reussi : {"IR ok", "EA ok", "LedAR ok", "TestAlim OK"})
        if (resultat.startsWith(QLatin1String(reussi)))
            return true;
    return false;
}
