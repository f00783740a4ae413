#include "RenduEPL2.h"

QList<QImage> RendTravailEPL2(const QByteArray& travail, QStringList* commandesInconnues) {
    Q_UNUSED(travail);
    if (commandesInconnues)
        commandesInconnues->clear();
    return {};
}
