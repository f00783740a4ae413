// The simulated card bus as the station sees it: replies, addressing,
// collisions, roll call, port open/close, scenario files and the program.
#include "BancCarte.h"
#include "IdentiteCarte.h"
#include "LiaisonCarte.h"
#include "ScenarioCartes.h"
#include "Temps.h"

#include <QFileInfo>
#include <QProcess>
#include <QtTest>

class TstBusSimule : public QObject, private BancCarte<> {
    Q_OBJECT

    void ouvre() { OuvrePortCarte(*poste, poste->reglages.PortCarte); }
    QByteArray echange(const QByteArray& commande, int timeoutMs = 300) {
        return EnvoiEtReponseMorvane2(*poste, commande, timeoutMs);
    }
    static QString scenario(const char* nom) {
        return QStringLiteral(CALVANET_SCENARIOS "/") + QLatin1String(nom);
    }

private slots:
    void init() { QVERIFY(demarre()); }
    void cleanup() {
        if (poste)
            FermePortcarte(*poste);
        arrete();
    }

    // A healthy card through one working session, in order (the card keeps
    // its state from one command to the next).
    void carteSaine() {
        bus->ajouteCarte(CarteSimulee{});
        ouvre();
        const QList<QPair<QByteArray, QByteArray>> session{
            {"V##", "PLT2 v2.14[0A1Bc]"},
            {"W##L01", "065"},
            {"W##L02", "049"},
            {"F##2", "PIR=120"},
            {"L##R", "110120"},
            {"F##050", "ok"}, // two thirds of 120
            {"L##R", "100080"},
            {"F##078", "ok"},
            {"I##A", "000000000000"}, // nothing measured yet
            {"I##E8997", "ok"},
            {"I##A", "000000255255"},
            {"I##L", "255255255255"},
            {"C##0", "ALI160"},
            {"E##10ACD10", "ok"},
            {"E##P0ACD10", "ok"},
            {"D**T", "ok"},
            {"D##C01P", "ok"},
            {"VA1", "PLT2 v2.14[0A1Bc]"},
            {"VB1", "Err: Time Out"},
        };
        for (const auto& [commande, attendu] : session)
            QCOMPARE(echange(commande), attendu);
        const CarteSimulee c = bus->carte(0);
        QCOMPARE(c.eaTirees, (QList<int>{1, 32}));
        QCOMPARE(c.sequencesLeds, QList<QByteArray>{"1P"});
        QCOMPARE(c.parametresEA, QByteArray("8997"));
        QCOMPARE(c.puissanceIR, 120);
    }

    void renommages() {
        bus->ajouteCarte(CarteSimulee{});
        ouvre();
        QCOMPARE(echange("Y##B3"), QByteArray("ok"));
        QCOMPARE(echange("VB3"), QByteArray("PLT2 v2.14[0A1Bc]"));
        QCOMPARE(echange("VA1"), QByteArray("Err: Time Out"));
        // Rename with a new SN, as the SN assignment writes it.
        QCOMPARE(echange("Y##A50009"), QByteArray("ok"));
        QCOMPARE(echange("VA5"), QByteArray("PLT2 v2.14[0009c]"));
        // Reached by its SN whatever its name.
        QCOMPARE(echange("vNs0009"), QByteArray("PLT2 v2.14[A50009]"));
        QCOMPARE(echange("yNsC<0009"), QByteArray("ok"));
        QCOMPARE(bus->carte(0).nom, QByteArray("C<"));
        QCOMPARE(echange("vNs9999"), QByteArray("Err: Time Out"));
    }

    // Each fault switch of a card, as the station's exchange reports it.
    void pannes_data() {
        QTest::addColumn<QString>("panne");
        QTest::addColumn<QByteArray>("attendu");
        QTest::addColumn<int>("trames");
        QTest::newRow("muette") << "muette" << QByteArray("Err: Time Out") << 2;
        QTest::newRow("checksum faux")
            << "mauvaisCheckSum" << QByteArray("Err: check sum incorrecte") << 2;
        QTest::newRow("checksum minuscule")
            << "checkSumMinuscule" << QByteArray("Err: check sum incorrecte") << 2;
        QTest::newRow("sans slash")
            << "sansSlash" << QByteArray("Err: ne commence pas par '/'") << 2;
        QTest::newRow("parasites")
            << "parasitesAvant" << QByteArray("Err: ne commence pas par '/'") << 2;
        QTest::newRow("tardive") << "delaiReponseMs" << QByteArray("Err: Time Out") << 2;
        QTest::newRow("au deuxieme essai")
            << "repondAuDeuxiemeEssai" << QByteArray("PLT2 v2.14[0A1Bc]") << 2;
        QTest::newRow("doublee") << "reponseDoublee" << QByteArray("PLT2 v2.14[0A1Bc]") << 1;
        QTest::newRow("alimentation coupee") << "alimentee" << QByteArray("Err: Time Out") << 2;
    }
    void pannes() {
        QFETCH(QString, panne);
        QFETCH(QByteArray, attendu);
        QFETCH(int, trames);
        CarteSimulee c;
        if (panne == "muette")
            c.muette = true;
        else if (panne == "mauvaisCheckSum")
            c.mauvaisCheckSum = true;
        else if (panne == "checkSumMinuscule")
            c.checkSumMinuscule = true;
        else if (panne == "sansSlash")
            c.sansSlash = true;
        else if (panne == "parasitesAvant")
            c.parasitesAvant = QByteArray("\x00\xff", 2);
        else if (panne == "delaiReponseMs")
            c.delaiReponseMs = 1500;
        else if (panne == "repondAuDeuxiemeEssai")
            c.repondAuDeuxiemeEssai = true;
        else if (panne == "reponseDoublee")
            c.reponseDoublee = true;
        else if (panne == "alimentee")
            c.alimentee = false;
        bus->ajouteCarte(c);
        ouvre();
        QCOMPARE(echange("V##", 200), attendu);
        QCOMPARE(bus->commandes().size(), trames);
    }

    // Two cards answering "##" at once garble the line; each one alone is
    // understood.
    void collision() {
        CarteSimulee a, b;
        b.nom = "A2";
        b.sn = "9Z9Z";
        bus->ajouteCarte(a);
        bus->ajouteCarte(b);
        ouvre();
        QVERIFY(EstErreur(echange("V##")));
        QCOMPARE(echange("VA2"), QByteArray("PLT2 v2.14[9Z9Zc]"));
        QCOMPARE(echange("VA1"), QByteArray("PLT2 v2.14[0A1Bc]"));
    }

    // "?A": every card of cabinet A in its slot, read the way the rail bench
    // reads them; card 100 is "A" + the character of code 148.
    void appelDuMeuble() {
        for (const int n : {1, 3, 100})
            bus->ajouteCarte([n] {
                CarteSimulee c;
                c.nom = NomCarteSimulee('A', n);
                return c;
            }());
        CarteSimulee autreMeuble;
        autreMeuble.nom = "B2";
        bus->ajouteCarte(autreMeuble);
        ouvre();
        EnvoiCdeMorvane2(*poste, "?A");
        QList<int> numeros;
        int dernier = 0;
        for (;;) {
            const QByteArray r = LectRepMorvane2(*poste, qMax(1200 - 20 * dernier, 0));
            if (EstErreur(r))
                break;
            dernier = static_cast<unsigned char>(r.at(0)) - 48;
            numeros << dernier;
        }
        QCOMPARE(numeros, (QList<int>{1, 3, 100}));
    }

    // What a procedure did with the port, as the card-tests need to show it.
    void ouvertureEtFermetureVues() {
        bus->ajouteCarte(CarteSimulee{});
        for (int i = 0; i < 2; ++i) {
            ouvre();
            QCOMPARE(echange("V##"), QByteArray("PLT2 v2.14[0A1Bc]"));
            FermePortcarte(*poste);
            QTRY_VERIFY_WITH_TIMEOUT(!bus->portOuvert(), 2000);
        }
        QCOMPARE(bus->deroulement(), (QList<QByteArray>{"ouverture", "V##", "fermeture",
                                                        "ouverture", "V##", "fermeture"}));
    }

    void scenarios_data() {
        QTest::addColumn<QString>("fichier");
        QTest::addColumn<int>("cartes");
        QTest::addColumn<QByteArray>("sn");
        QTest::addColumn<QByteArray>("derniereAdresse");
        QTest::newRow("saine") << scenario("carte-saine.json") << 1 << QByteArray("0A1B")
                               << QByteArray("A1");
        QTest::newRow("vierge") << scenario("carte-vierge.json") << 1 << QByteArray("????")
                                << QByteArray("\xff\xff");
        QTest::newRow("plateau") << scenario("plateau-complet.json") << 1 << QByteArray("1234")
                                 << QByteArray("A5");
        QTest::newRow("meuble") << scenario("meuble-55-plateaux.json") << 55 << QByteArray("M055")
                                << QByteArray("Ag");
        QTest::newRow("banc") << scenario("banc-rails-100.json") << 100 << QByteArray("R100")
                              << QByteArray("A\x94");
    }
    void scenarios() {
        QFETCH(QString, fichier);
        QFETCH(int, cartes);
        QFETCH(QByteArray, sn);
        QFETCH(QByteArray, derniereAdresse);
        ScenarioCartes sc;
        QString erreur;
        QVERIFY2(LitScenarioCartes(fichier, sc, &erreur), qPrintable(erreur));
        QCOMPARE(static_cast<int>(sc.cartes.size()), cartes);
        QCOMPARE(sc.cartes.back().nom, derniereAdresse);
        QCOMPARE(sc.cartes.back().sn, sn);
        AppliqueScenario(sc, *bus);
        ouvre();
        QVERIFY(!EstErreur(echange("V" + derniereAdresse)));
    }

    // The complete tray: IR found in the window, 16 EAs, 32 LEDs, 48.8 V.
    void plateauComplet() {
        ScenarioCartes sc;
        QVERIFY(LitScenarioCartes(scenario("plateau-complet.json"), sc));
        AppliqueScenario(sc, *bus);
        ouvre();
        QCOMPARE(echange("F##2", 2500), QByteArray("PIR=133"));
        QCOMPARE(echange("I##E8997"), QByteArray("ok"));
        QCOMPARE(echange("I##A"), QByteArray("000000255255"));
        QCOMPARE(echange("I##L"), QByteArray("255255255255"));
        QCOMPARE(echange("C##0"), QByteArray("ALI160"));
        // The operator switches the supply off during the discharge loop.
        for (int i = 0; i < 3; ++i)
            QCOMPARE(echange("E##10FFF10", 600), QByteArray("ok"));
        QCOMPARE(echange("E##10FFF10", 100), QByteArray("Err: Time Out"));
    }

    // Paced at 9600 baud, the identity reply (24 bytes) takes about 25 ms.
    void cadence9600() {
        bus->ajouteCarte(CarteSimulee{});
        bus->setCadence9600(true);
        ouvre();
        const double debut = get_exact_milli_second();
        QCOMPARE(echange("V##"), QByteArray("PLT2 v2.14[0A1Bc]"));
        QVERIFY(get_exact_milli_second() - debut >= 20.0);
    }

    // The program: publishes its pseudo-terminal as the link it was given,
    // prints the frames, removes the link when stopped.
    void programme() {
        QTemporaryDir dossier;
        const QString lien = dossier.filePath(QStringLiteral("carte"));
        QProcess p;
        p.start(QStringLiteral(CALVANET_SIMULATEUR),
                {QStringLiteral("--lien"), lien, QStringLiteral("--scenario"),
                 scenario("carte-saine.json")});
        QVERIFY(p.waitForStarted(5000));
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(lien), 5000);
        poste->reglages.PortCarte = lien + QStringLiteral(":9600,n,8,1");
        const IdentiteCarte id = IdentifieCarte(*poste, "##");
        const QString &nom = id.nom, &version = id.version, &sn = id.sn, &couche = id.versionCouche;
        QCOMPARE(version, QStringLiteral("PLT2 v2.14"));
        QCOMPARE(sn, QStringLiteral("0A1B"));
        QCOMPARE(couche, QStringLiteral("12"));
        QCOMPARE(nom, QStringLiteral("A-1"));
        QByteArray sortie;
        QTRY_VERIFY_WITH_TIMEOUT((sortie += p.readAllStandardOutput()).contains("fermeture"), 3000);
        QVERIFY(sortie.contains("<- V##\n<- W##L01\n<- W##L02\n"));
        p.terminate();
        QVERIFY(p.waitForFinished(5000));
        QCOMPARE(p.exitCode(), 0);
        QVERIFY(!QFileInfo::exists(lien));
    }

    void programmeScenarioAbsent() {
        QProcess p;
        p.start(QStringLiteral(CALVANET_SIMULATEUR),
                {QStringLiteral("--scenario"), QStringLiteral("/nulle/part.json")});
        QVERIFY(p.waitForFinished(5000));
        QCOMPARE(p.exitCode(), 2);
        QVERIFY(p.readAllStandardError().contains("/nulle/part.json"));
    }
};

QTEST_GUILESS_MAIN(TstBusSimule)
#include "tst_BusSimule.moc"
