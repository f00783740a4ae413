// A card's identity reply and its name cells, as a card or a noisy line may
// send them, and the wire address of a name as an operator may type it.
#include "Fuzz.h"
#include "IdentiteCarte.h"

#include <QList>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille) {
    const QByteArray octets = Octets(donnees, taille);

    IdentiteCarte id;
    DecodeIdentite(octets, id);
    VERIFIE(id.sn.size() <= 4);
    VERIFIE(id.trouvee() || octets.startsWith("Err:"));
    if (!id.versionCouche.isEmpty()) {
        bool ok = false;
        const int couche = id.versionCouche.toInt(&ok);
        VERIFIE(ok && couche >= 0 && couche <= 255);
    }

    // The two name cells: the bytes before the first "|" and after it.
    const qsizetype barre = octets.indexOf('|');
    const QByteArray cellule1 = barre < 0 ? octets : octets.left(barre);
    const QByteArray cellule2 = barre < 0 ? QByteArray() : octets.mid(barre + 1);
    int code = -1;
    if (LitCodeNom(cellule1, code))
        VERIFIE(code >= 0 && code <= 255);
    const QString nom = NomDesCellules(cellule1, cellule2);
    if (!nom.isEmpty())
        VERIFIE(cellule1.size() == 3 ? nom.at(1) == QLatin1Char('-') : nom.size() == 1);

    // A typed name: any text, read as UTF-8 like the keyboard's.
    const QByteArray adresse = AdresseNomCarte(QString::fromUtf8(octets));
    VERIFIE(adresse.size() <= 2 && (octets.isEmpty() ? adresse == "0" : adresse.size() == 2));
    return 0;
}
