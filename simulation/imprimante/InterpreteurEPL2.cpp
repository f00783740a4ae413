#include "InterpreteurEPL2.h"

QList<EtiquetteEPL2> InterpreteurEPL2::ajoute(const QByteArray& octets) {
    QList<EtiquetteEPL2> imprimees;
    const QStringList lignes = LignesEPL2(reste_ + octets, &reste_);
    for (const QString& ligne : lignes) {
        const int copies = forme_.commande(ligne);
        for (int i = 0; i < copies; ++i)
            imprimees << forme_.etiquette();
    }
    return imprimees;
}
