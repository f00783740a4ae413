#include "TestPresenceEA.h"

#include "ChampsReponse.h"
#include "LiaisonCarte.h"
#include "ModuleTraductions.h"
#include "Temps.h"
#include "TypesRail.h"

QString MotifQuatreOctets(const QByteArray& reponse, int& compteur) {
    QString motif;
    compteur = 0;
    for (int octet = 0; octet < 4; ++octet) {
        int uns = 0;
        motif += ConvDecBin(ChampDecimal(reponse, 1 + 3 * octet, 3), uns);
        compteur += uns;
    }
    return motif;
}

QString MotifEnGroupes(const QString& motif) {
    return motif.mid(0, 8) + QLatin1Char('-') + motif.mid(8, 8) + QLatin1Char('-') +
           motif.mid(16, 8) + QLatin1Char('-') + motif.mid(24, 8);
}

QList<MesureJournal> MesuresPresenceEA(int nombre, const QString& motif, const QString& typeDemande,
                                       const QString& typeTrouve, bool conforme) {
    MesureJournal n{.nom = QStringLiteral("EA nombre"),
                    .valeur = nombre,
                    .conforme = conforme,
                    .code = conforme ? QString() : QStringLiteral("E3")};
    if (const TypeRail* t = TrouveTypeRail(typeDemande)) {
        n.limiteBasse = t->nombreEA;
        n.limiteHaute = t->nombreEA;
    }
    QList<MesureJournal> r{n, {.nom = QStringLiteral("EA motif"), .texte = motif}};
    if (!typeDemande.isEmpty())
        r << MesureJournal{.nom = QStringLiteral("type rail demande"), .texte = typeDemande};
    r << MesureJournal{.nom = QStringLiteral("type rail trouve"),
                       .texte = typeTrouve,
                       .conforme = conforme,
                       .code = conforme ? QString() : QStringLiteral("type")};
    return r;
}

QString TestPresenceEA(Poste& poste, QString& version, QString& motif, const QString& typeDemande,
                       QString& typeTrouve, QList<MesureJournal>* mesures) {
    // A step the card did not answer: no count, only its code.
    const auto panne = [mesures](const QString& code) {
        if (mesures)
            *mesures << MesureJournal{
                .nom = QStringLiteral("EA nombre"), .conforme = false, .code = code};
    };
    poste.ArretDemande = false;
    motif = QString(32, QLatin1Char('0'));
    int seuilBas = 0;
    int seuilHaut = 0;
    ParametresDetection(typeDemande, seuilBas, seuilHaut);

    PortCarteOuvert port(poste);
    QByteArray reponse = EnvoiEtReponseMorvane2(poste, "V##", 500);
    if (EstErreur(reponse)) {
        version = QStringLiteral("inconnue");
        panne(QStringLiteral("E1"));
        return QStringLiteral("EA HS (E1) ") + Msg[65] + QLatin1Char(' ') +
               QString::fromLatin1(reponse);
    }
    version = QString::fromLatin1(reponse);

    reponse = EnvoiEtReponseMorvane2(
        poste, "I##E" + DeuxChiffresHex(seuilBas) + DeuxChiffresHex(seuilHaut), 500);
    if (EstErreur(reponse)) {
        panne(QStringLiteral("E2"));
        return QStringLiteral("EA HS (E2) ") + Msg[66] + QLatin1Char(' ') +
               QString::fromLatin1(reponse);
    }

    // The card needs this long to measure its 32 outputs.
    timePause(1.5f);

    reponse = EnvoiEtReponseMorvane2(poste, "I##A", 500);
    if (EstErreur(reponse)) {
        panne(QStringLiteral("E4"));
        return QStringLiteral("EA HS (E4) ") + Msg[66] + QLatin1Char(' ') + Msg[65] +
               QLatin1Char(' ') + QString::fromLatin1(reponse);
    }

    int compteur = 0;
    motif = MotifQuatreOctets(reponse, compteur);
    typeTrouve = IdentifieTypeRail(motif, compteur);
    if (mesures)
        *mesures << MesuresPresenceEA(compteur, motif, typeDemande, typeTrouve,
                                      typeTrouve == typeDemande);
    if (typeTrouve != typeDemande)
        return QStringLiteral("EA HS (E3) ") + Msg[66] + QLatin1Char(' ') +
               QStringLiteral("%1").arg(compteur, 2, 10, QLatin1Char('0')).right(2) +
               QStringLiteral(" EAs  ") + MotifEnGroupes(motif) + QStringLiteral(" (") +
               typeTrouve + QLatin1Char(')');
    return QStringLiteral("EA ok (") + QString::number(compteur) + QStringLiteral(" EAs detectes)");
}
