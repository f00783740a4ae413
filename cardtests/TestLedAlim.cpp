#include "TestLedAlim.h"

#include "LiaisonCarte.h"
#include "ModuleTraductions.h"
#include "TestsElementaires.h"

#include <cmath>

QString TestPresenceLedAR(Poste& poste, QString& version) {
    PortCarteOuvert port(poste);
    QByteArray reponse = EnvoiEtReponseMorvane2(poste, "V##", 500);
    if (EstErreur(reponse)) {
        version = QStringLiteral("inconnue");
        return QStringLiteral("LedAR HS (L1) ") + Msg[65] + QLatin1Char(' ') +
               QString::fromLatin1(reponse);
    }
    version = QString::fromLatin1(reponse);

    reponse = EnvoiEtReponseMorvane2(poste, "I##L", 500);
    if (EstErreur(reponse))
        return QStringLiteral("LedAR HS (L4) ") + Msg[66] + QLatin1Char(' ') + Msg[65] +
               QLatin1Char(' ') + QString::fromLatin1(reponse);

    int compteur = 0;
    const QString motif = MotifQuatreOctets(reponse, compteur);
    if (motif == QString(32, QLatin1Char('1')))
        return QStringLiteral("LedAR ok (32 detectees)");
    return QStringLiteral("LedAR HS (L3) ") + Msg[66] + QLatin1Char(' ') +
           QStringLiteral("%1").arg(compteur, 2, 10, QLatin1Char('0')).right(2) +
           QStringLiteral(" leds  ") + MotifEnGroupes(motif);
}

QString TestAlimentation(Poste& poste) {
    PortCarteOuvert port(poste);
    const QByteArray reponse = EnvoiEtReponseMorvane2(poste, "C##0", 500);
    if (reponse.startsWith("Err"))
        return QString::fromLatin1(reponse);

    // Held in single precision: the rounding of borderline readings depends on it.
    const float volts = static_cast<float>(ChampDecimal(reponse, 4, 3) * 0.29887 * 1.02);
    const float arrondi = std::trunc(volts * 10.0f + 0.5f) / 10.0f;
    const bool bon = arrondi >= 47.0f && arrondi <= 51.0f;
    return (bon ? QStringLiteral("TestAlim OK = ") : QStringLiteral("TestAlim HS = ")) +
           NombreCourt(arrondi) + QLatin1Char('v');
}
