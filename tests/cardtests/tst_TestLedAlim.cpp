// Rear LED presence and supply voltage on the simulated card bus.
#include "BancCarte.h"
#include "LiaisonCarte.h"
#include "TestLedAlim.h"

#include <QtTest>

namespace {

using Deroulement = QList<QByteArray>;

const QByteArray kToutes(32, '1');

} // namespace

class TstTestLedAlim : public QObject, private BancCarte<> {
    Q_OBJECT
private slots:
    void init() { QVERIFY(demarre()); }
    void cleanup() { arrete(); }

    void ledsAR_data() {
        QTest::addColumn<QByteArray>("leds");
        QTest::addColumn<QString>("resultat");
        QTest::newRow("toutes") << kToutes << "LedAR ok (32 detectees)";
        QTest::newRow("led 3 manquante")
            << QByteArray("11111111111111111111111111111011")
            << "LedAR HS (L3) cause: 31 leds  11111111-11111111-11111111-11111011";
        QTest::newRow("led 32 manquante")
            << QByteArray("01111111111111111111111111111111")
            << "LedAR HS (L3) cause: 31 leds  01111111-11111111-11111111-11111111";
        QTest::newRow("une carte led debranchee")
            << QByteArray("11111111000000001111111111111111")
            << "LedAR HS (L3) cause: 24 leds  11111111-00000000-11111111-11111111";
        QTest::newRow("aucune")
            << QByteArray(32, '0')
            << "LedAR HS (L3) cause: 00 leds  00000000-00000000-00000000-00000000";
    }
    void ledsAR() {
        QFETCH(QByteArray, leds);
        QFETCH(QString, resultat);
        carte([&](CarteSimulee& c) { c.ledsAR = leds; });
        QString version;
        QCOMPARE(TestPresenceLedAR(*poste, version), resultat);
        QCOMPARE(version, QString("PLT2 v2.14[0A1Bc]"));
        QCOMPARE(bus->deroulement(), (Deroulement{"ouverture", "V##", "I##L", "fermeture"}));
        QVERIFY(!PortCarteEstOuvert(*poste));
    }

    void ledsAREchecs_data() {
        QTest::addColumn<QByteArray>("commande");
        QTest::addColumn<QString>("resultat");
        QTest::addColumn<QString>("version");
        QTest::addColumn<Deroulement>("deroulement");
        QTest::newRow("L1 carte absente")
            << QByteArray("V##") << "LedAR HS (L1) Carte absente Err: Time Out"
            << "inconnue" << Deroulement{"ouverture", "V##", "V##", "fermeture"};
        QTest::newRow("L4 lecture")
            << QByteArray("I##L") << "LedAR HS (L4) cause: Carte absente Err: Time Out"
            << "PLT2 v2.14[0A1Bc]" << Deroulement{"ouverture", "V##", "I##L", "I##L", "fermeture"};
    }
    void ledsAREchecs() {
        QFETCH(QByteArray, commande);
        QFETCH(QString, resultat);
        QFETCH(QString, version);
        QFETCH(Deroulement, deroulement);
        carte([&](CarteSimulee& c) { c.octetsImposes.insert(commande, QByteArray()); });
        QString v;
        QCOMPARE(TestPresenceLedAR(*poste, v), resultat);
        QCOMPARE(v, version);
        QCOMPARE(bus->deroulement(), deroulement);
    }

    void alimentation_data() {
        QTest::addColumn<QByteArray>("reponse");
        QTest::addColumn<QString>("resultat");
        QTest::newRow("160") << QByteArray("CALI160") << "TestAlim OK = 48.8v";
        QTest::newRow("154") << QByteArray("CALI154") << "TestAlim HS = 46.9v";
        QTest::newRow("155") << QByteArray("CALI155") << "TestAlim OK = 47.3v";
        QTest::newRow("168") << QByteArray("CALI168") << "TestAlim HS = 51.2v";
        QTest::newRow("167") << QByteArray("CALI167") << "TestAlim OK = 50.9v";
        QTest::newRow("zero") << QByteArray("CALI000") << "TestAlim HS = 0v";
        QTest::newRow("999") << QByteArray("CALI999") << "TestAlim HS = 304.5v";
        QTest::newRow("non numerique") << QByteArray("CALIxyz") << "TestAlim HS = 0v";
        QTest::newRow("deux chiffres") << QByteArray("CALI16") << "TestAlim HS = 4.9v";
    }
    void alimentation() {
        QFETCH(QByteArray, reponse);
        QFETCH(QString, resultat);
        carte([&](CarteSimulee& c) { c.reponsesImposees.insert("C##0", reponse); });
        QCOMPARE(TestAlimentation(*poste), resultat);
        QCOMPARE(bus->deroulement(), (Deroulement{"ouverture", "C##0", "fermeture"}));
        QVERIFY(!PortCarteEstOuvert(*poste));
    }

    // The card's own measure of a 48.8 V supply goes through the same sum.
    void alimentationMesuree() {
        carte([](CarteSimulee& c) { c.alimentation = 48.8; });
        QCOMPARE(TestAlimentation(*poste), QString("TestAlim OK = 48.8v"));
    }

    void alimentationSansReponse() {
        carte([](CarteSimulee& c) { c.muette = true; });
        QCOMPARE(TestAlimentation(*poste), QString("Err: Time Out"));
        QCOMPARE(bus->deroulement(), (Deroulement{"ouverture", "C##0", "C##0", "fermeture"}));
    }
};

QTEST_GUILESS_MAIN(TstTestLedAlim)
#include "tst_TestLedAlim.moc"
