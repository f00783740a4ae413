#include "TrameCarte.h"

#include <QString>

QByteArray CalculCSmorvane2(const QByteArray& texte) {
    unsigned somme = 0;
    for (const char c : texte)
        somme += static_cast<unsigned char>(c);
    const unsigned valeur = (256u - somme % 256u) % 256u;
    return QByteArray::number(valeur, 16).toUpper().rightJustified(2, '0');
}

QByteArray TrameCommande(const QByteArray& commande) {
    return '\x1b' + commande + CalculCSmorvane2(commande) + '\r';
}

QByteArray LitTrameCommande(const QByteArray& trame, bool& checkSumOk) {
    // ESC + command + 2 checksum characters + CR
    checkSumOk = false;
    if (trame.size() < 4)
        return {};
    const QByteArray commande = trame.mid(1, trame.size() - 4);
    checkSumOk = CalculCSmorvane2(commande) == trame.mid(trame.size() - 3, 2);
    return commande;
}

QByteArray TrameReponse(const QByteArray& teteEtDonnees) {
    return '/' + teteEtDonnees + CalculCSmorvane2(teteEtDonnees) + '\r';
}

QByteArray DecodeReponse(const QByteArray& ligne) {
    if (ligne.size() < 2)
        return kErrTimeOut;
    if (ligne.at(0) != '/')
        return kErrSansSlash;
    // "/" + head + two checksum characters at the least.
    if (ligne.size() < 4)
        return kErrCheckSum;
    if (CalculCSmorvane2(ligne.mid(1, ligne.size() - 3)) != ligne.right(2))
        return kErrCheckSum;
    return ligne.mid(2, ligne.size() - 4);
}

QString ConvDecBin(int valeur, int& compteur) {
    QString resultat;
    compteur = 0;
    int reste = valeur;
    for (int i = 1; i <= 8; ++i) {
        const int poids = 1 << (8 - i);
        const int bit = reste / poids;
        if (bit != 0) {
            resultat += QLatin1Char('1');
            ++compteur;
        } else {
            resultat += QLatin1Char('0');
        }
        reste -= poids * bit;
    }
    return resultat;
}

long ConvHexDec(const QString& texte) {
    if (texte.isEmpty())
        return 0;
    unsigned long total = 0;
    for (const QChar c : texte) {
        int chiffre = 0;
        const char16_t u = c.unicode();
        if (u >= '0' && u <= '9')
            chiffre = u - '0';
        else if (u >= 'A' && u <= 'F')
            chiffre = u - 'A' + 10;
        else if (u >= 'a' && u <= 'f')
            chiffre = u - 'a' + 10;
        else
            return 0;
        total = total * 16u + static_cast<unsigned long>(chiffre);
    }
    return static_cast<long>(total);
}
