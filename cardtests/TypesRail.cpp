#include "TypesRail.h"

namespace {

const QString kMotifVide(32, QLatin1Char('0'));

} // namespace

const QList<TypeRail>& TypesRail() {
    static const QList<TypeRail> types = {
        {QStringLiteral("R08"), QStringLiteral("00000000000000001111111111111111"), 16, 137, 151},
        {QStringLiteral("R08S"), QStringLiteral("00000000000000001010101010101010"), 8, 111, 117},
        {QStringLiteral("R11"), QStringLiteral("00000000001111111111111111111111"), 22, 117, 133},
        {QStringLiteral("R13"), QStringLiteral("00000000000000000001111111111111"), 13, 137, 151},
        {QStringLiteral("R15"), QStringLiteral("00000000000000000111111111111111"), 15, 137, 151},
        {QStringLiteral("R18"), QStringLiteral("00000000001100001111111111111111"), 18, 117, 133},
        {QStringLiteral("R21"), QStringLiteral("00000000000111111111111111111111"), 21, 117, 133},
        {QStringLiteral("R30"), QStringLiteral("00111111111111111111111111111111"), 30, 111, 117},
    };
    return types;
}

const TypeRail* TrouveTypeRail(const QString& code) {
    for (const TypeRail& t : TypesRail())
        if (t.code == code)
            return &t;
    return nullptr;
}

QString IdentifieTypeRail(const QString& motif, int nombreUns) {
    for (const TypeRail& t : TypesRail())
        if (t.motif == motif && t.nombreEA == nombreUns)
            return t.code;
    if (motif == kMotifVide && nombreUns == 0)
        return QStringLiteral("Rabsent");
    return QStringLiteral("Rinconnu");
}

void ParametresDetection(const QString& typeDemande, int& seuilBas, int& seuilHaut) {
    seuilBas = 137;
    seuilHaut = 151;
    if (const TypeRail* t = TrouveTypeRail(typeDemande)) {
        seuilBas = t->seuilBas;
        seuilHaut = t->seuilHaut;
    }
}

QString ListeEAnonConformes(const QString& motif, const QString& typeRail) {
    const TypeRail* t = TrouveTypeRail(typeRail);
    const QString attendu = t ? t->motif : kMotifVide;
    // Characters past the 32nd stand for no EA output; they are not compared.
    QString liste;
    for (qsizetype i = std::min<qsizetype>(motif.size(), 32); i >= 1; --i)
        if (motif.at(i - 1) != attendu.at(i - 1))
            liste += QStringLiteral("-%1").arg(33 - i, 2, 10, QLatin1Char('0'));
    return liste;
}

QString LettreTypePlateau(const QString& typeRail) {
    static const QList<std::pair<QString, QString>> lettres = {
        {QStringLiteral("R08S"), QStringLiteral("A")},
        {QStringLiteral("R13"), QStringLiteral("B")},
        {QStringLiteral("R15"), QStringLiteral("C")},
        {QStringLiteral("R08"), QStringLiteral("D")},
        {QStringLiteral("R30"), QStringLiteral("E")},
        {QStringLiteral("R11"), QStringLiteral("F")},
        {QStringLiteral("R18"), QStringLiteral("G")},
        {QStringLiteral("R21"), QStringLiteral("H")}};
    for (const auto& [type, lettre] : lettres)
        if (type == typeRail)
            return lettre;
    return QStringLiteral("0");
}
