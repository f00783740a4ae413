// Finding the card and reading its identity, through the pseudo-terminal.
#include "BancCarte.h"
#include "IdentiteCarte.h"
#include "LiaisonCarte.h"
#include "ModuleTraductions.h"

#include <QtTest>

class TstIdentiteCarte : public QObject, private BancCarte<> {
    Q_OBJECT

    // Changes the one card of the line.
    void carte(const std::function<void(CarteSimulee&)>& reglage) {
        bus->modifieCartes([&](std::vector<CarteSimulee>& v) { reglage(v.front()); });
    }

private slots:
    void init() {
        QVERIFY(demarre());
        bus->ajouteCarte(CarteSimulee{});
    }
    void cleanup() { arrete(); }

    void decodage_data() {
        QTest::addColumn<QByteArray>("identite");
        QTest::addColumn<QByteArray>("nom1"); // empty: the card does not answer
        QTest::addColumn<QByteArray>("nom2");
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("sn");
        QTest::addColumn<QString>("couche");
        QTest::addColumn<QString>("nom");
        QTest::addColumn<bool>("secondeDemande"); // W##L02 sent
        QTest::newRow("complete") << QByteArray("PLT2 v2.14[0A1Bc]0C") << QByteArray("065")
                                  << QByteArray("049") << "PLT2 v2.14"
                                  << "0A1B"
                                  << "12"
                                  << "A-1" << true;
        QTest::newRow("sans couche") << QByteArray("PLT2 v2.14[0A1Bc]") << QByteArray("065")
                                     << QByteArray("049") << "PLT2 v2.14"
                                     << "0A1B"
                                     << ""
                                     << "A-1" << true;
        QTest::newRow("nom court")
            << QByteArray("F12[1234x]") << QByteArray("65") << QByteArray() << "F12"
            << "1234"
            << ""
            << "A" << false;
        QTest::newRow("tiroir 10")
            << QByteArray("F12[1234x]") << QByteArray("066") << QByteArray("058") << "F12"
            << "1234"
            << ""
            << "B-10" << true;
        QTest::newRow("nom non numerique")
            << QByteArray("F12[1234x]") << QByteArray("6A") << QByteArray() << "F12"
            << "1234"
            << ""
            << "inconnu" << false;
        QTest::newRow("nom au-dela de 255")
            << QByteArray("F12[1234x]") << QByteArray("300") << QByteArray() << "F12"
            << "1234"
            << ""
            << "inconnu" << false;
        QTest::newRow("zeros en tete")
            << QByteArray("F12[1234x]") << QByteArray("0065") << QByteArray() << "F12"
            << "1234"
            << ""
            << "A" << false;
        QTest::newRow("second nom illisible")
            << QByteArray("F12[1234x]") << QByteArray("065") << QByteArray("x") << "F12"
            << "1234"
            << ""
            << "inconnu" << true;
        QTest::newRow("sans crochets")
            << QByteArray("BOOT 1.0") << QByteArray("065") << QByteArray("049") << "BOOT 1.0"
            << ""
            << ""
            << "A-1" << true;
        QTest::newRow("sans crochet fermant")
            << QByteArray("BOOT 1.0[0A1B") << QByteArray("065") << QByteArray("049") << "BOOT 1.0"
            << ""
            << ""
            << "A-1" << true;
        QTest::newRow("octet haut dans le nom")
            << QByteArray("F12[1234x]") << QByteArray("233") << QByteArray("049") << "F12"
            << "1234"
            << "" << QStringLiteral("é-1") << true;
    }
    void decodage() {
        QFETCH(QByteArray, identite);
        QFETCH(QByteArray, nom1);
        QFETCH(QByteArray, nom2);
        QFETCH(QString, version);
        QFETCH(QString, sn);
        QFETCH(QString, couche);
        QFETCH(QString, nom);
        QFETCH(bool, secondeDemande);
        carte([&](CarteSimulee& c) {
            c.reponsesImposees.insert("V##", "V" + identite);
            c.reponsesImposees.insert("W##L01", "W" + nom1);
            if (!nom2.isEmpty())
                c.reponsesImposees.insert("W##L02", "W" + nom2);
        });
        const IdentiteCarte id = IdentifieCarte(*poste, "##");
        const QString &n = id.nom, &v = id.version, &s = id.sn, &l = id.versionCouche;
        QCOMPARE(v, version);
        QCOMPARE(s, sn);
        QCOMPARE(l, couche);
        QCOMPARE(n, nom);
        QList<QByteArray> attendu{"ouverture", "V##", "W##L01"};
        if (secondeDemande)
            attendu << "W##L02";
        attendu << "fermeture";
        QTRY_COMPARE_WITH_TIMEOUT(bus->deroulement(), attendu, 3000);
        QVERIFY(!PortCarteEstOuvert(*poste));
        // The search picture is shown, then closed; the status label ends empty.
        QCOMPARE(poste->historiqueMessages.front().image, QStringLiteral("RECHERCHE"));
        QCOMPARE(poste->historiqueMessages.front().texte, Msg[49] + QStringLiteral(" (1)"));
        QCOMPARE(poste->historiqueMessages.back().texte, QString());
        QCOMPARE(poste->historiqueMessages.back().image, QString());
        QCOMPARE(poste->info(), QString());
        QCOMPARE(poste->historiqueInfo.first(), QStringLiteral("Essai connection carte (1) ..."));
    }

    // The card answers only on a later attempt of the search.
    void trouveeAuTroisiemeEssai() {
        carte([](CarteSimulee& c) { c.muette = true; });
        QTimer::singleShot(1500, [this] { carte([](CarteSimulee& c) { c.muette = false; }); });
        const IdentiteCarte id = IdentifieCarte(*poste, "##");
        QCOMPARE(id.version, QStringLiteral("PLT2 v2.14"));
        QCOMPARE(id.nom, QStringLiteral("A-1"));
        QVERIFY(poste->historiqueInfo.contains(QStringLiteral("Essai connection carte (2) ...")));
    }

    void resultatsSansCarte() {
        carte([](CarteSimulee& c) { c.sansSlash = true; });
        const IdentiteCarte id = IdentifieCarte(*poste, "##");
        const QString &n = id.nom, &v = id.version, &s = id.sn, &l = id.versionCouche;
        QCOMPARE(n, QStringLiteral("inconnu"));
        QCOMPARE(v, QStringLiteral("Err: ne commence pas par '/'"));
        QCOMPARE(s, QString());
        QCOMPARE(l, QString());
    }
};

QTEST_GUILESS_MAIN(TstIdentiteCarte)
#include "tst_IdentiteCarte.moc"
