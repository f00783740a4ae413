#include "CarteSimulee.h"

#include "TrameCarte.h"

#include <algorithm>
#include <cmath>

namespace {

QByteArray Decimal3(int valeur) {
    return QByteArray::number(valeur).rightJustified(3, '0');
}

// A 32-character "0"/"1" pattern as four decimal bytes, first byte first.
QByteArray QuatreOctets(const QByteArray& motif) {
    QByteArray r;
    for (int octet = 0; octet < 4; ++octet) {
        int v = 0;
        for (int bit = 0; bit < 8; ++bit) {
            const int i = octet * 8 + bit;
            v = v * 2 + (i < motif.size() && motif.at(i) == '1' ? 1 : 0);
        }
        r += Decimal3(v);
    }
    return r;
}

bool Hex2(const QByteArray& texte, int& valeur) {
    if (texte.size() != 2)
        return false;
    bool ok = false;
    valeur = texte.toInt(&ok, 16);
    return ok;
}

const QByteArray kOk = QByteArrayLiteral("ok");

} // namespace

QByteArray NomCarteSimulee(char meuble, int numero) {
    return QByteArray(1, meuble) + QByteArray(1, static_cast<char>(48 + numero));
}

QByteArray CarteSimulee::identite() const {
    return version + '[' + sn + apresSN + ']' + versionCouche;
}

int CarteSimulee::numero() const {
    return nom.size() >= 2 ? static_cast<unsigned char>(nom.at(1)) - 48 : 0;
}

int CarteSimulee::mesureAlimentation() const {
    return std::clamp(static_cast<int>(std::lround(alimentation / (0.29887 * 1.02))), 0, 999);
}

QByteArray CarteSimulee::trame(const QByteArray& donnees) const {
    QByteArray t = TrameReponse(donnees);
    // The faults a real line has shown, applied to the well-formed frame:
    // "/" + data + 2 checksum characters + CR.
    if (mauvaisCheckSum)
        t.replace(t.size() - 3, 2, CalculCSmorvane2(donnees + '\x01'));
    if (checkSumMinuscule)
        t.replace(t.size() - 3, 2, t.mid(t.size() - 3, 2).toLower());
    if (sansSlash)
        t.remove(0, 1);
    return parasitesAvant + t;
}

QByteArray CarteSimulee::trame(const QByteArray& donnees, const QByteArray& commande) const {
    CarteSimulee fautive = *this;
    for (const QByteArray& debut : checkSumMinusculePour)
        fautive.checkSumMinuscule |= commande.startsWith(debut);
    for (auto it = parasitesAvantPour.begin(); it != parasitesAvantPour.end(); ++it)
        if (commande.startsWith(it.key()))
            fautive.parasitesAvant = it.value() + fautive.parasitesAvant;
    return fautive.trame(donnees);
}

int CarteSimulee::delaiReponse(const QByteArray& commande) const {
    for (auto it = delaiReponsePour.begin(); it != delaiReponsePour.end(); ++it)
        if (commande.startsWith(it.key()))
            return it.value();
    return delaiReponseMs;
}

QList<QByteArray> CarteSimulee::repond(const QByteArray& commande) {
    const QByteArray precedente = derniereCommande;
    derniereCommande = commande;
    if (muette || !alimentee || commande.isEmpty())
        return {};
    if (repondAuDeuxiemeEssai && precedente != commande)
        return {};
    if (reponsesImposees.contains(commande))
        return {reponsesImposees.value(commande)};
    for (const QByteArray& debut : silencePour)
        if (commande.startsWith(debut))
            return {};

    const char lettre = commande.at(0);
    const QByteArray tete(1, lettre);

    // Roll call of the cabinet: head, then the card number character. Kept
    // short (6 bytes on the line) so that it fits one 10 ms slot at 9600 baud.
    if (lettre == '?')
        return {nom.left(1) + nom.mid(1, 1)};

    // Reached by SN: "vNs" + SN, "yNs" + new name + SN.
    if (lettre == 'v')
        return {tete + version + '[' + nom + sn + ']'};
    if (lettre == 'y') {
        if (commande.size() != 9)
            return {};
        nom = commande.mid(3, 2);
        return {tete + kOk};
    }

    const QByteArray suite = commande.mid(3); // after the letter and the address
    switch (lettre) {
    case 'V':
        return {tete + identite()};
    case 'W':
        // Name cells: "L" + cell number in hexadecimal.
        if (suite.size() == 3 && suite.at(0) == 'L') {
            int cellule = 0;
            if (Hex2(suite.mid(1), cellule) && cellule >= 1 && cellule <= nom.size())
                return {tete + Decimal3(static_cast<unsigned char>(nom.at(cellule - 1)))};
        }
        return {};
    case 'Y':
        // New name, then optionally the SN written with it.
        if (suite.size() != 2 && suite.size() != 6)
            return {};
        nom = suite.left(2);
        if (suite.size() == 6)
            sn = suite.mid(2);
        return {tete + kOk};
    case 'F': {
        if (suite == "2") {
            // Automatic adjustment: "PIR=" then the power found.
            puissanceIR = puissanceIRTrouvee;
            return {tete + QByteArrayLiteral("PIR=") + Decimal3(puissanceIRTrouvee)};
        }
        int p = 0;
        if (suite.size() == 3 && suite.at(0) == '0' && Hex2(suite.mid(1), p)) {
            puissanceIR = p;
            return {tete + kOk};
        }
        return {};
    }
    case 'L':
        if (suite == "R") {
            const bool recu = puissanceIRTrouvee != 255 && puissanceIR >= seuilReceptionIR;
            QByteArray r = tete;
            r += pretIR ? '1' : '0';
            r += recu ? '1' : '0';
            r += basculeIR ? '1' : '0';
            return {r + Decimal3(puissanceIR)};
        }
        return {};
    case 'I':
        if (suite.size() == 5 && suite.at(0) == 'E') {
            int a = 0, b = 0;
            if (!Hex2(suite.mid(1, 2), a) || !Hex2(suite.mid(3, 2), b))
                return {};
            presenceMesuree = true;
            parametresEA = suite.mid(1);
            return {tete + kOk};
        }
        if (suite == "A")
            return {tete + (presenceMesuree ? QuatreOctets(presenceEA)
                                            : QByteArrayLiteral("000000000000"))};
        if (suite == "L")
            return {tete + QuatreOctets(ledsAR)};
        return {};
    case 'C':
        if (suite == "0")
            return {tete + QByteArrayLiteral("ALI") + Decimal3(mesureAlimentation())};
        return {};
    case 'E': {
        // EA character (48 + n), pulse, power, "1", "0".
        if (suite.size() != 7)
            return {};
        const int n = static_cast<unsigned char>(suite.at(0)) - 48;
        if (n < 1 || n > 32)
            return {};
        eaTirees << n;
        ++impulsionsEA[static_cast<size_t>(n)];
        commandesEA << suite.mid(1);
        if (n == 1 && suite.mid(1) == "0FFF10") {
            ++decharges;
            if (coupureApresDecharges > 0 && decharges >= coupureApresDecharges)
                alimentee = false; // this pulse went out; the supply is gone
        }
        return {tete + kOk};
    }
    case 'D':
        if (suite == "T") {
            ++basculesLeds;
            return {tete + kOk};
        }
        if (suite.size() == 4 && suite.startsWith("C0")) {
            sequencesLeds << suite.mid(2);
            return {tete + kOk};
        }
        return {};
    default:
        return {};
    }
}
