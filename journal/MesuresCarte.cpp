#include "MesuresCarte.h"

#include "ResultatTest.h"

#include <QRegularExpression>

namespace {

// The windows of the card tests: IR power 80..190 (11..67 % once converted as
// the IR test converts it), 32 rear LEDs, supply 47..51 V.
constexpr double kPuissanceIRMin = 80, kPuissanceIRMax = 190;
constexpr double kPourcentIRMin = 11, kPourcentIRMax = 67;
constexpr double kLedsAttendues = 32;
constexpr double kAlimMin = 47, kAlimMax = 51;

std::optional<double> Nombre(const QString& texte, const QRegularExpression& motif) {
    const QRegularExpressionMatch m = motif.match(texte);
    if (!m.hasMatch())
        return std::nullopt;
    bool ok = false;
    const double v = m.captured(1).toDouble(&ok);
    return ok ? std::optional<double>(v) : std::nullopt;
}

MesureJournal Verdict(const QString& nom, const QString& resultat) {
    return {.nom = nom, .conforme = TestReussi(resultat), .code = CodeDefaut(resultat)};
}

} // namespace

QString CodeDefaut(const QString& resultat) {
    if (resultat.isEmpty() || TestReussi(resultat))
        return {};
    static const QRegularExpression code(QStringLiteral("\\(([CEL][0-9])\\)"));
    const QRegularExpressionMatch m = code.match(resultat);
    if (m.hasMatch())
        return m.captured(1);
    if (resultat.startsWith(QLatin1String("TestAlim")))
        return QStringLiteral("alim");
    return QStringLiteral("inconnu");
}

QList<MesureJournal> MesuresIR(const QString& resultat) {
    if (resultat.isEmpty())
        return {};
    static const QRegularExpression pourcent(QStringLiteral("^IR ok \\(pIR=([0-9.]+)%\\)"));
    static const QRegularExpression puissance(QStringLiteral("^IR HS \\(C3\\).*=([0-9]+)$"));
    MesureJournal m = Verdict(QStringLiteral("IR"), resultat);
    if (const auto v = Nombre(resultat, pourcent)) {
        m.nom = QStringLiteral("IR pourcentage");
        m.valeur = v;
        m.limiteBasse = kPourcentIRMin;
        m.limiteHaute = kPourcentIRMax;
        m.unite = QStringLiteral("%");
    } else if (const auto p = Nombre(resultat, puissance)) {
        m.nom = QStringLiteral("IR puissance");
        m.valeur = p;
        m.limiteBasse = kPuissanceIRMin;
        m.limiteHaute = kPuissanceIRMax;
    }
    return {m};
}

QList<MesureJournal> MesuresEA(const QString& resultat, const QString& motif,
                               const QString& typeDemande, const QString& typeTrouve) {
    QList<MesureJournal> r;
    if (!resultat.isEmpty()) {
        static const QRegularExpression nombre(
            QStringLiteral("^EA ok \\(([0-9]+) EAs detectes\\)"));
        MesureJournal n = Verdict(QStringLiteral("EA nombre"), resultat);
        n.valeur = Nombre(resultat, nombre);
        r << n;
    }
    if (!motif.isEmpty())
        r << MesureJournal{.nom = QStringLiteral("EA motif"), .texte = motif};
    if (!typeDemande.isEmpty())
        r << MesureJournal{.nom = QStringLiteral("type rail demande"), .texte = typeDemande};
    if (!typeTrouve.isEmpty()) {
        const bool egal = typeDemande.isEmpty() || typeDemande == typeTrouve;
        r << MesureJournal{.nom = QStringLiteral("type rail trouve"),
                           .texte = typeTrouve,
                           .conforme = egal,
                           .code = egal ? QString() : QStringLiteral("type")};
    }
    return r;
}

QList<MesureJournal> MesuresLed(const QString& resultat) {
    if (resultat.isEmpty())
        return {};
    static const QRegularExpression ok(QStringLiteral("^LedAR ok \\(([0-9]+) detectees\\)"));
    static const QRegularExpression hs(QStringLiteral("\\(L3\\).* ([0-9]+) leds  (.*)$"));
    MesureJournal m = Verdict(QStringLiteral("LED nombre"), resultat);
    m.limiteBasse = kLedsAttendues;
    m.limiteHaute = kLedsAttendues;
    if (const auto v = Nombre(resultat, ok)) {
        m.valeur = v;
        m.texte = QString(32, QLatin1Char('1'));
    } else if (const QRegularExpressionMatch h = hs.match(resultat); h.hasMatch()) {
        m.valeur = h.captured(1).toDouble();
        m.texte = h.captured(2);
    }
    return {m};
}

QList<MesureJournal> MesuresAlim(const QString& resultat) {
    if (resultat.isEmpty())
        return {};
    static const QRegularExpression volts(QStringLiteral("^TestAlim (?:OK|HS) = ([0-9.]+)v$"));
    MesureJournal m = Verdict(QStringLiteral("alim"), resultat);
    m.valeur = Nombre(resultat, volts);
    m.limiteBasse = kAlimMin;
    m.limiteHaute = kAlimMax;
    m.unite = QStringLiteral("V");
    if (!m.conforme)
        m.code = QStringLiteral("alim");
    return {m};
}
