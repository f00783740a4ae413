// EA presence on the simulated card bus: the detection parameters sent for
// each rail type, the pause before reading, the pattern and the result texts.
#include "BancCarte.h"
#include "LiaisonCarte.h"
#include "Temps.h"
#include "TestPresenceEA.h"

#include <QtTest>

namespace {

using Deroulement = QList<QByteArray>;

const QByteArray kR08 = "00000000000000001111111111111111";
const QByteArray kR08S = "00000000000000001010101010101010";
const QByteArray kR11 = "00000000001111111111111111111111";
const QByteArray kR18 = "00000000001100001111111111111111";
const QByteArray kR30 = "00111111111111111111111111111111";
const QByteArray kR08sans3 = "00000000000000001111111111111011";
const QByteArray kVide(32, '0');

} // namespace

class TstTestPresenceEA : public QObject, private BancCarte<> {
    Q_OBJECT

    // Milliseconds between the first frames of two commands.
    double ecart(const QByteArray& avant, const QByteArray& apres) const {
        double t0 = -1;
        double t1 = -1;
        for (const EvenementBus& e : bus->journal()) {
            if (e.genre != EvenementBus::Genre::Trame)
                continue;
            if (t0 < 0 && e.commande == avant)
                t0 = e.instantMs;
            if (t1 < 0 && e.commande == apres)
                t1 = e.instantMs;
        }
        return t1 - t0;
    }

private slots:
    void init() { QVERIFY(demarre()); }
    void cleanup() { arrete(); }

    void presence_data() {
        QTest::addColumn<QByteArray>("rail");
        QTest::addColumn<QString>("demande");
        QTest::addColumn<QByteArray>("mesure");
        QTest::addColumn<QString>("resultat");
        QTest::addColumn<QString>("trouve");
        QTest::newRow("R08") << kR08 << "R08" << QByteArray("I##E8997") << "EA ok (16 EAs detectes)"
                             << "R08";
        QTest::newRow("R11") << kR11 << "R11" << QByteArray("I##E7585") << "EA ok (22 EAs detectes)"
                             << "R11";
        QTest::newRow("R18") << kR18 << "R18" << QByteArray("I##E7585") << "EA ok (18 EAs detectes)"
                             << "R18";
        QTest::newRow("R30") << kR30 << "R30" << QByteArray("I##E6F75") << "EA ok (30 EAs detectes)"
                             << "R30";
        QTest::newRow("R08S") << kR08S << "R08S" << QByteArray("I##E6F75")
                              << "EA ok (8 EAs detectes)"
                              << "R08S";
        QTest::newRow("EA 3 manquant")
            << kR08sans3 << "R08" << QByteArray("I##E8997")
            << "EA HS (E3) cause: 15 EAs  00000000-00000000-11111111-11111011 (Rinconnu)"
            << "Rinconnu";
        QTest::newRow("rail R11 demande R08")
            << kR11 << "R08" << QByteArray("I##E8997")
            << "EA HS (E3) cause: 22 EAs  00000000-00111111-11111111-11111111 (R11)"
            << "R11";
        QTest::newRow("aucun rail")
            << kVide << "R08" << QByteArray("I##E8997")
            << "EA HS (E3) cause: 00 EAs  00000000-00000000-00000000-00000000 (Rabsent)"
            << "Rabsent";
        QTest::newRow("Rabsent demande")
            << kVide << "Rabsent" << QByteArray("I##E8997") << "EA ok (0 EAs detectes)"
            << "Rabsent";
        QTest::newRow("minuscules")
            << kR11 << "r11" << QByteArray("I##E8997")
            << "EA HS (E3) cause: 22 EAs  00000000-00111111-11111111-11111111 (R11)"
            << "R11";
    }
    void presence() {
        QFETCH(QByteArray, rail);
        QFETCH(QString, demande);
        QFETCH(QByteArray, mesure);
        QFETCH(QString, resultat);
        QFETCH(QString, trouve);
        carte([&](CarteSimulee& c) { c.presenceEA = rail; });
        // One case waits the measuring time for real; the others on the test clock.
        if (QTest::currentDataTag() == QByteArray("R08"))
            poste->AccelerePauses(1);
        poste->ArretDemande = true;
        QString version, motif, typeTrouve;
        QCOMPARE(TestPresenceEA(*poste, version, motif, demande, typeTrouve), resultat);
        QCOMPARE(version, QString("PLT2 v2.14[0A1Bc]"));
        QCOMPARE(motif, QString::fromLatin1(rail));
        QCOMPARE(typeTrouve, trouve);
        QCOMPARE(bus->deroulement(),
                 (Deroulement{"ouverture", "V##", mesure, "I##A", "fermeture"}));
        // The card needs the time to measure before it is read.
        QVERIFY2(ecart(mesure, "I##A") >= 1490 / AccelerationPauses(),
                 qPrintable(QString::number(ecart(mesure, "I##A"))));
        QVERIFY(!poste->ArretDemande);
        QVERIFY(!PortCarteEstOuvert(*poste));
    }

    void echecs_data() {
        QTest::addColumn<QByteArray>("commande");
        QTest::addColumn<QByteArray>("octets");
        QTest::addColumn<QString>("resultat");
        QTest::addColumn<QString>("version");
        QTest::addColumn<Deroulement>("deroulement");
        QTest::newRow("E1 carte absente")
            << QByteArray("V##") << QByteArray() << "EA HS (E1) Carte absente Err: Time Out"
            << "inconnue" << Deroulement{"ouverture", "V##", "V##", "fermeture"};
        QTest::newRow("E2 mesure")
            << QByteArray("I##E8997") << QByteArray() << "EA HS (E2) cause: Err: Time Out"
            << "PLT2 v2.14[0A1Bc]"
            << Deroulement{"ouverture", "V##", "I##E8997", "I##E8997", "fermeture"};
        QTest::newRow("E4 lecture")
            << QByteArray("I##A") << QByteArray("?A\r")
            << "EA HS (E4) cause: Carte absente Err: ne commence pas par '/'"
            << "PLT2 v2.14[0A1Bc]"
            << Deroulement{"ouverture", "V##", "I##E8997", "I##A", "I##A", "fermeture"};
    }
    void echecs() {
        QFETCH(QByteArray, commande);
        QFETCH(QByteArray, octets);
        QFETCH(QString, resultat);
        QFETCH(QString, version);
        QFETCH(Deroulement, deroulement);
        carte([&](CarteSimulee& c) { c.octetsImposes.insert(commande, octets); });
        QString v, motif = "x", typeTrouve = "avant";
        QCOMPARE(TestPresenceEA(*poste, v, motif, "R08", typeTrouve), resultat);
        QCOMPARE(v, version);
        QCOMPARE(motif, QString(32, '0'));
        QCOMPARE(typeTrouve, QString("avant")); // not read, so not identified
        QCOMPARE(bus->deroulement(), deroulement);
    }

    // Fields that are not three digits are read by their leading digits.
    void reponseMalFormee_data() {
        QTest::addColumn<QByteArray>("reponse");
        QTest::addColumn<QString>("resultat");
        QTest::addColumn<QString>("motif");
        QTest::newRow("champ non numerique")
            << QByteArray("A000000255abc")
            << "EA HS (E3) cause: 08 EAs  00000000-00000000-11111111-00000000 (Rinconnu)"
            << "00000000000000001111111100000000";
        QTest::newRow("reponse courte")
            << QByteArray("A00000025")
            << "EA HS (E3) cause: 03 EAs  00000000-00000000-00011001-00000000 (Rinconnu)"
            << "00000000000000000001100100000000";
        QTest::newRow("vide")
            << QByteArray("A")
            << "EA HS (E3) cause: 00 EAs  00000000-00000000-00000000-00000000 (Rabsent)"
            << QString(32, '0');
    }
    void reponseMalFormee() {
        QFETCH(QByteArray, reponse);
        QFETCH(QString, resultat);
        QFETCH(QString, motif);
        carte([&](CarteSimulee& c) { c.reponsesImposees.insert("I##A", reponse); });
        QString version, m, typeTrouve;
        QCOMPARE(TestPresenceEA(*poste, version, m, "R08", typeTrouve), resultat);
        QCOMPARE(m, motif);
    }
};

QTEST_GUILESS_MAIN(TstTestPresenceEA)
#include "tst_TestPresenceEA.moc"
