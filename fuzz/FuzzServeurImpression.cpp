// What a client of the print server may send: any bytes, arriving in pieces.
// The server cuts them into labels, each ending with its print command line.
#include "Fuzz.h"
#include "ServeurImpression.h"

#include <QRegularExpression>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille) {
    if (taille < 1)
        return 0;
    // The first byte sets the size of the pieces the socket hands over.
    const qsizetype morceau = 1 + donnees[0];
    const QByteArray octets = Octets(donnees + 1, taille - 1);
    static const QRegularExpression impression(QStringLiteral("^P\\d+(,\\d+)?$"));

    // As the server does: append what arrives, take every whole label off the front.
    QByteArray tampon;
    QByteArray imprime;
    for (qsizetype i = 0; i < octets.size(); i += morceau) {
        tampon += octets.mid(i, morceau);
        qsizetype debut = 0;
        qsizetype fin;
        while ((fin = FinCommandeImpression(tampon, debut)) >= 0) {
            VERIFIE(fin > debut && fin <= tampon.size() && tampon.at(fin - 1) == '\n');
            const QByteArray etiquette = tampon.mid(debut, fin - debut);
            // The label's last line is its print command.
            QByteArray derniere = etiquette.chopped(1);
            derniere = derniere.mid(derniere.lastIndexOf('\n') + 1);
            if (derniere.endsWith('\r'))
                derniere.chop(1);
            VERIFIE(impression.match(QString::fromLatin1(derniere.trimmed())).hasMatch());
            imprime += etiquette;
            debut = fin;
        }
        tampon.remove(0, debut);
    }
    // Nothing lost, nothing doubled, whatever the pieces.
    VERIFIE(imprime + tampon == octets);
    const qsizetype finEntiere = [&] {
        qsizetype debut = 0, fin;
        while ((fin = FinCommandeImpression(octets, debut)) >= 0)
            debut = fin;
        return debut;
    }();
    VERIFIE(imprime.size() == finEntiere);
    return 0;
}
