#include "ChampsReponse.h"

#include <charconv>

int ChampDecimal(const QByteArray& reponse, int position, int longueur) {
    // Counted in qsizetype: no position makes the subtraction overflow.
    const QByteArray champ = reponse.mid(qsizetype(position) - 1, longueur);
    qsizetype i = 0;
    while (i < champ.size() && champ.at(i) == ' ')
        ++i;
    // Nine digits at most, so that a garbled reply cannot overflow.
    int valeur = 0;
    for (int n = 0; i < champ.size() && n < 9 && champ.at(i) >= '0' && champ.at(i) <= '9'; ++i, ++n)
        valeur = valeur * 10 + (champ.at(i) - '0');
    return valeur;
}

QByteArray DeuxChiffresHex(int valeur) {
    return (QByteArray("00") + QByteArray::number(valeur & 0xFF, 16).toUpper()).right(2);
}

QString NombreCourt(float valeur) {
    char tampon[32];
    const auto fin = std::to_chars(tampon, tampon + sizeof tampon, valeur);
    return QString::fromLatin1(tampon, fin.ptr - tampon);
}
