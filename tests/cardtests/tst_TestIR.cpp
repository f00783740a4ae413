// IR auto-test and IR monitoring on the simulated card bus: frames on the
// wire, result texts, status label texts and colours.
#include "BancCarte.h"
#include "LiaisonCarte.h"
#include "TestIR.h"

#include <QTimer>
#include <QtTest>
#include <functional>

namespace {

using Deroulement = QList<QByteArray>;

// Stops the monitoring loop after a given number of status texts, as the
// operator's click on "Arret" would, and notes whether "Arret" was shown.
class PosteArret : public PosteTest {
public:
    int arretApres = 0;
    bool cancelVuPendantBoucle = false;
    std::function<void(qsizetype)> apresInfo;
    void AfficheInfo(const QString& texte) override {
        PosteTest::AfficheInfo(texte);
        cancelVuPendantBoucle = cancelVuPendantBoucle || BtCancelVisible();
        if (arretApres > 0 && historiqueInfo.size() >= arretApres)
            ArretDemande = true;
        if (apresInfo)
            apresInfo(historiqueInfo.size());
    }
};

const QString kVersion = QStringLiteral("PLT2 v2.14[0A1Bc]");

} // namespace

class TstTestIR : public QObject, private BancCarte<PosteArret> {
    Q_OBJECT
private slots:
    void init() { QVERIFY(demarre()); }
    void cleanup() { arrete(); }

    void autoTest_data() {
        QTest::addColumn<int>("trouvee");
        QTest::addColumn<int>("seuil"); // lowest power at which the beam is seen
        QTest::addColumn<QString>("resultat");
        QTest::addColumn<Deroulement>("deroulement");
        QTest::addColumn<int>("puissanceFinale");
        QTest::newRow("133 ok") << 133 << 100 << "IR ok (pIR=38%)"
                                << Deroulement{"ouverture", "V##",    "F##2",     "F##058",
                                               "L##R",      "F##085", "fermeture"}
                                << 133;
        QTest::newRow("190 passe")
            << 190 << 150 << "IR ok (pIR=67%)"
            << Deroulement{"ouverture", "V##", "F##2", "F##07E", "L##R", "F##0BE", "fermeture"}
            << 190;
        QTest::newRow("80 passe") << 80 << 60 << "IR ok (pIR=11%)"
                                  << Deroulement{"ouverture", "V##",    "F##2",     "F##035",
                                                 "L##R",      "F##050", "fermeture"}
                                  << 80;
        QTest::newRow("191 trop fort")
            << 191 << 100 << "IR HS (C3) cause:puissance IR trop forte=191"
            << Deroulement{"ouverture", "V##", "F##2", "fermeture"} << 191;
        QTest::newRow("79 hors fenetre")
            << 79 << 60 << "IR HS (C3) cause:puissance IR trop forte=79"
            << Deroulement{"ouverture", "V##", "F##2", "fermeture"} << 79;
        QTest::newRow("255 aucune reception")
            << 255 << 100 << "IR HS (C2) cause:aucune reception"
            << Deroulement{"ouverture", "V##", "F##2", "fermeture"} << 255;
        // Still seen at two thirds: no safety margin; the power found is restored all the same.
        QTest::newRow("reception a 2/3")
            << 150 << 90 << "IR HS (C1) cause:encore reception avec puiss 2/3"
            << Deroulement{"ouverture", "V##", "F##2", "F##064", "L##R", "F##096", "fermeture"}
            << 150;
    }
    void autoTest() {
        QFETCH(int, trouvee);
        QFETCH(int, seuil);
        QFETCH(QString, resultat);
        QFETCH(Deroulement, deroulement);
        QFETCH(int, puissanceFinale);
        carte([&](CarteSimulee& c) {
            c.puissanceIRTrouvee = trouvee;
            c.seuilReceptionIR = seuil;
        });
        QString version;
        QCOMPARE(TestIRAutonome(*poste, version), resultat);
        QCOMPARE(version, kVersion);
        QCOMPARE(bus->deroulement(), deroulement);
        QCOMPARE(bus->carte(0).puissanceIR, puissanceFinale);
        QVERIFY(!PortCarteEstOuvert(*poste));
        QVERIFY(poste->op.echanges.isEmpty());
    }

    // Characters 5 to 7 of the adjustment reply carry the power; whatever
    // else comes there is read by its leading digits.
    void puissanceIllisible_data() {
        QTest::addColumn<QByteArray>("reponse");
        QTest::addColumn<QString>("resultat");
        QTest::newRow("lettres") << QByteArray("FPIR=x9z")
                                 << "IR HS (C3) cause:puissance IR trop forte=0";
        QTest::newRow("courte") << QByteArray("FPIR=")
                                << "IR HS (C3) cause:puissance IR trop forte=0";
        QTest::newRow("deux chiffres")
            << QByteArray("FPIR=12") << "IR HS (C3) cause:puissance IR trop forte=12";
        QTest::newRow("chiffre puis lettres")
            << QByteArray("FPIR=7ab") << "IR HS (C3) cause:puissance IR trop forte=7";
    }
    void puissanceIllisible() {
        QFETCH(QByteArray, reponse);
        QFETCH(QString, resultat);
        carte([&](CarteSimulee& c) { c.reponsesImposees.insert("F##2", reponse); });
        QString version;
        QCOMPARE(TestIRAutonome(*poste, version), resultat);
        QCOMPARE(bus->deroulement(), (Deroulement{"ouverture", "V##", "F##2", "fermeture"}));
    }

    // Each failed exchange ends the test with its own code and error text,
    // after the one retry of the link, and the port is closed.
    void echangeEnEchec_data() {
        QTest::addColumn<QByteArray>("commande"); // the command that gets no good reply
        QTest::addColumn<QByteArray>("octets");   // what the card sends instead
        QTest::addColumn<QString>("resultat");
        QTest::addColumn<QString>("version");
        QTest::addColumn<Deroulement>("deroulement");
        QTest::newRow("C5 identite")
            << QByteArray("V##") << QByteArray() << "Carte absente (C5) Err: Time Out"
            << "inconnue" << Deroulement{"ouverture", "V##", "V##", "fermeture"};
        QTest::newRow("C5 sans slash")
            << QByteArray("V##") << QByteArray("xV12\r")
            << "Carte absente (C5) Err: ne commence pas par '/'"
            << "inconnue" << Deroulement{"ouverture", "V##", "V##", "fermeture"};
        QTest::newRow("C6 reglage")
            << QByteArray("F##2") << QByteArray() << "Carte absente (C6) Err: Time Out" << kVersion
            << Deroulement{"ouverture", "V##", "F##2", "F##2", "fermeture"};
        QTest::newRow("C6 check sum")
            << QByteArray("F##2") << QByteArray("/FPIR=12000\r")
            << "Carte absente (C6) Err: check sum incorrecte" << kVersion
            << Deroulement{"ouverture", "V##", "F##2", "F##2", "fermeture"};
        QTest::newRow("C7 deux tiers")
            << QByteArray("F##050") << QByteArray() << "Carte absente (C7) Err: Time Out"
            << kVersion << Deroulement{"ouverture", "V##", "F##2", "F##050", "F##050", "fermeture"};
        QTest::newRow("C8 lecture")
            << QByteArray("L##R") << QByteArray() << "Carte absente (C8) Err: Time Out" << kVersion
            << Deroulement{"ouverture", "V##", "F##2", "F##050", "L##R", "L##R", "fermeture"};
    }
    void echangeEnEchec() {
        QFETCH(QByteArray, commande);
        QFETCH(QByteArray, octets);
        QFETCH(QString, resultat);
        QFETCH(QString, version);
        QFETCH(Deroulement, deroulement);
        carte([&](CarteSimulee& c) { c.octetsImposes.insert(commande, octets); });
        QString v;
        QCOMPARE(TestIRAutonome(*poste, v), resultat);
        QCOMPARE(v, version);
        QCOMPARE(bus->deroulement(), deroulement);
        QVERIFY(!PortCarteEstOuvert(*poste));
    }

    void surveillance_data() {
        QTest::addColumn<bool>("pret");
        QTest::addColumn<bool>("bascule");
        QTest::addColumn<int>("puissance");
        QTest::addColumn<QString>("texte");
        QTest::addColumn<QColor>("couleur");
        const QColor vert(0, 255, 0), cyan(0, 255, 255), rouge(255, 0, 0), jaune(255, 255, 0);
        QTest::newRow("pret dans la fenetre")
            << true << false << 120
            << "Pret: 1  IR Reel : 1  basc : 0\r  Puiss IR : 120  (i= 6.8mA) 31%" << vert;
        QTest::newRow("80 dans la fenetre")
            << true << false << 80
            << "Pret: 1  IR Reel : 0  basc : 0\r  Puiss IR : 080  (i= 2.4mA) 11%" << vert;
        QTest::newRow("190 dans la fenetre")
            << true << false << 190
            << "Pret: 1  IR Reel : 1  basc : 0\r  Puiss IR : 190  (i= 14.6mA) 67%" << vert;
        QTest::newRow("191 hors fenetre")
            << true << false << 191
            << "Pret: 1  IR Reel : 1  basc : 0\r  Puiss IR : 191  (i= 14.7mA) 67%" << cyan;
        QTest::newRow("79 hors fenetre")
            << true << false << 79
            << "Pret: 1  IR Reel : 0  basc : 0\r  Puiss IR : 079  (i= 2.3mA) 11%" << cyan;
        QTest::newRow("pas pret")
            << false << false << 120
            << "Pret: 0  IR Reel : 1  basc : 0\r  Puiss IR : 120  (i= 6.8mA) 31%" << rouge;
        QTest::newRow("pas pret bascule")
            << false << true << 120
            << "Pret: 0  IR Reel : 1  basc : 1\r  Puiss IR : 120  (i= 6.8mA) 31%" << rouge;
        QTest::newRow("bascule")
            << true << true << 120
            << "Pret: 1  IR Reel : 1  basc : 1\r  Puiss IR : 120  (i= 6.8mA) 31%" << jaune;
    }
    void surveillance() {
        QFETCH(bool, pret);
        QFETCH(bool, bascule);
        QFETCH(int, puissance);
        QFETCH(QString, texte);
        QFETCH(QColor, couleur);
        carte([&](CarteSimulee& c) {
            c.pretIR = pret;
            c.basculeIR = bascule;
            c.puissanceIR = puissance;
            c.seuilReceptionIR = 100;
        });
        poste->arretApres = 1;
        QString version;
        QCOMPARE(TestIRPermanent(*poste, version), texte);
        QCOMPARE(version, kVersion);
        QCOMPARE(poste->historiqueInfo, QStringList({"01- " + texte, texte}));
        QCOMPARE(poste->couleurInfo(), couleur);
        QVERIFY(poste->cancelVuPendantBoucle);
        QVERIFY(!poste->BtCancelVisible());
        QCOMPARE(bus->deroulement(), (Deroulement{"ouverture", "V##", "L##R", "fermeture"}));
    }

    void surveillanceCarteMuette() {
        carte([](CarteSimulee& c) { c.muette = true; });
        poste->arretApres = 2;
        QString version;
        QCOMPARE(TestIRPermanent(*poste, version), QString("Carte absente"));
        QCOMPARE(version, QString("inconnue"));
        QCOMPARE(poste->historiqueInfo,
                 QStringList({"01- Carte absente", "02- Carte absente", "Carte absente"}));
        QCOMPARE(poste->couleurInfo(), QColor(255, 0, 255));
        QCOMPARE(bus->deroulement(), (Deroulement{"ouverture", "V##", "V##", "L##R", "L##R", "L##R",
                                                  "L##R", "fermeture"}));
    }

    // A card that comes back is shown again at the next pass.
    void surveillanceCarteRetrouvee() {
        carte([](CarteSimulee& c) { c.octetsImposes.insert("L##R", QByteArray()); });
        poste->arretApres = 2;
        poste->apresInfo = [&](qsizetype n) {
            if (n == 1)
                bus->modifieCartes(
                    [](std::vector<CarteSimulee>& cartes) { cartes[0].octetsImposes.clear(); });
        };
        QString version;
        const QString texte = TestIRPermanent(*poste, version);
        QCOMPARE(poste->historiqueInfo.value(0), QString("01- Carte absente"));
        QCOMPARE(poste->historiqueInfo.value(1), "02- " + texte);
        QVERIFY(texte.startsWith("Pret: 1  IR Reel : 1  basc : 0"));
        QCOMPARE(poste->couleurInfo(), QColor(0, 255, 0));
    }

    // The counter runs 01..99, 00, 01, ...
    void compteurDeTours() {
        carte();
        poste->arretApres = 102;
        QString version;
        const QString texte = TestIRPermanent(*poste, version);
        QCOMPARE(poste->historiqueInfo.size(), 103);
        for (int i = 0; i < 102; ++i)
            QCOMPARE(poste->historiqueInfo.at(i).left(4),
                     QStringLiteral("%1- ").arg((i + 1) % 100, 2, 10, QLatin1Char('0')));
        QCOMPARE(poste->historiqueInfo.at(98).left(4), QString("99- "));
        QCOMPARE(poste->historiqueInfo.at(99).left(4), QString("00- "));
        QCOMPARE(poste->historiqueInfo.at(100).left(4), QString("01- "));
        QCOMPARE(poste->historiqueInfo.last(), texte);
        QCOMPARE(bus->commandes().count("L##R"), 102);
    }

    // A stop asked before the test is forgotten; one asked during a pause
    // (a click on "Arret") ends the loop at its next turn.
    void arretPendantLaPause() {
        carte();
        poste->ArretDemande = true;
        QTimer::singleShot(300, [&] { poste->ArretDemande = true; });
        QString version;
        const QString texte = TestIRPermanent(*poste, version);
        QVERIFY(poste->historiqueInfo.size() >= 2);
        QVERIFY(poste->historiqueInfo.first().startsWith("01- Pret: 1"));
        QCOMPARE(poste->info(), texte);
        QVERIFY(!poste->BtCancelVisible());
        QCOMPARE(bus->deroulement().last(), QByteArray("fermeture"));
        QVERIFY(!PortCarteEstOuvert(*poste));
    }
};

QTEST_GUILESS_MAIN(TstTestIR)
#include "tst_TestIR.moc"
