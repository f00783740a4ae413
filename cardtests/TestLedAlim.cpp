#include "TestLedAlim.h"

#include "ChampsReponse.h"
#include "LiaisonCarte.h"
#include "ModuleTraductions.h"
#include "TestPresenceEA.h"

#include <cmath>

namespace {

constexpr int kLedsAttendues = 32;
// Supply window, in volts, once rounded to a tenth.
constexpr float kAlimMin = 47.0f;
constexpr float kAlimMax = 51.0f;

void Note(QList<MesureJournal>* mesures, const MesureJournal& m) {
    if (mesures)
        *mesures << m;
}

MesureJournal MesureLeds(const QString& code) {
    return {.nom = QStringLiteral("LED nombre"),
            .limiteBasse = kLedsAttendues,
            .limiteHaute = kLedsAttendues,
            .conforme = code.isEmpty(),
            .code = code};
}

} // namespace

QString TestPresenceLedAR(Poste& poste, QString& version, QList<MesureJournal>* mesures) {
    PortCarteOuvert port(poste);
    QByteArray reponse = EnvoiEtReponseMorvane2(poste, "V##", 500);
    if (EstErreur(reponse)) {
        version = QStringLiteral("inconnue");
        Note(mesures, MesureLeds(QStringLiteral("L1")));
        return QStringLiteral("LedAR HS (L1) ") + Msg[65] + QLatin1Char(' ') +
               QString::fromLatin1(reponse);
    }
    version = QString::fromLatin1(reponse);

    reponse = EnvoiEtReponseMorvane2(poste, "I##L", 500);
    if (EstErreur(reponse)) {
        Note(mesures, MesureLeds(QStringLiteral("L4")));
        return QStringLiteral("LedAR HS (L4) ") + Msg[66] + QLatin1Char(' ') + Msg[65] +
               QLatin1Char(' ') + QString::fromLatin1(reponse);
    }

    int compteur = 0;
    const QString motif = MotifQuatreOctets(reponse, compteur);
    const bool toutes = motif == QString(kLedsAttendues, QLatin1Char('1'));
    MesureJournal leds = MesureLeds(toutes ? QString() : QStringLiteral("L3"));
    leds.valeur = compteur;
    leds.texte = toutes ? motif : MotifEnGroupes(motif);
    Note(mesures, leds);
    if (toutes)
        return QStringLiteral("LedAR ok (32 detectees)");
    return QStringLiteral("LedAR HS (L3) ") + Msg[66] + QLatin1Char(' ') +
           QStringLiteral("%1").arg(compteur, 2, 10, QLatin1Char('0')).right(2) +
           QStringLiteral(" leds  ") + MotifEnGroupes(motif);
}

QString TestAlimentation(Poste& poste, QList<MesureJournal>* mesures) {
    PortCarteOuvert port(poste);
    const QByteArray reponse = EnvoiEtReponseMorvane2(poste, "C##0", 500);
    MesureJournal alim{.nom = QStringLiteral("alim"),
                       .limiteBasse = kAlimMin,
                       .limiteHaute = kAlimMax,
                       .unite = QStringLiteral("V"),
                       .conforme = false,
                       .code = QStringLiteral("alim")};
    if (reponse.startsWith("Err")) {
        Note(mesures, alim);
        return QString::fromLatin1(reponse);
    }

    // Held in single precision: the rounding of borderline readings depends on it.
    const float volts = static_cast<float>(ChampDecimal(reponse, 4, 3) * 0.29887 * 1.02);
    const float arrondi = std::trunc(volts * 10.0f + 0.5f) / 10.0f;
    const bool bon = arrondi >= kAlimMin && arrondi <= kAlimMax;
    // The value as shown, not the float's binary neighbour.
    alim.valeur = NombreCourt(arrondi).toDouble();
    alim.conforme = bon;
    if (bon)
        alim.code.clear();
    Note(mesures, alim);
    return (bon ? QStringLiteral("TestAlim OK = ") : QStringLiteral("TestAlim HS = ")) +
           NombreCourt(arrondi) + QLatin1Char('v');
}
