#include "simulation/cartes/CarteSimulee.h"

#include "cardlink/LiaisonCarte.h"

namespace {

QByteArray Decimal3(int valeur) {
    return QByteArray::number(valeur).rightJustified(3, '0');
}

} // namespace

QByteArray CarteSimulee::identite() const {
    QByteArray r = version + '[' + sn + apresSN + ']';
    r += versionCouche;
    return r;
}

QByteArray CarteSimulee::trame(const QByteArray& donnees) const {
    QByteArray cs = CalculCSmorvane2(donnees);
    if (mauvaisCheckSum)
        cs = CalculCSmorvane2(donnees + '\x01');
    if (checkSumMinuscule)
        cs = cs.toLower();
    QByteArray t = parasitesAvant;
    if (!sansSlash)
        t += '/';
    t += donnees + cs + '\r';
    return t;
}

QList<QByteArray> CarteSimulee::repond(const QByteArray& commande) {
    const QByteArray precedente = derniereCommande;
    derniereCommande = commande;
    if (muette || commande.isEmpty())
        return {};
    if (repondAuDeuxiemeEssai && precedente != commande)
        return {};

    if (reponsesImposees.contains(commande))
        return {reponsesImposees.value(commande)};

    const char lettre = commande.at(0);
    const QByteArray tete(1, lettre);
    const QByteArray suite = commande.mid(3); // after letter + address

    switch (lettre) {
    case 'V':
        return {tete + identite()};
    case 'W':
        // Name cells: "L" + cell number in hexadecimal.
        if (suite.startsWith('L') && suite.size() == 3) {
            bool ok = false;
            const int cellule = suite.mid(1).toInt(&ok, 16);
            if (ok && cellule >= 1 && cellule <= nom.size())
                return {tete + Decimal3(static_cast<unsigned char>(nom.at(cellule - 1)))};
        }
        return {};
    case 'Y':
        // New name, then optionally the SN to write with it.
        if (suite.size() == 2 || suite.size() == 6) {
            nom = suite.left(2);
            if (suite.size() == 6)
                sn = suite.mid(2);
            return {tete + QByteArrayLiteral("ok")};
        }
        return {};
    default:
        return {};
    }
}
