// The three quick tests of the "fonctions" menu on the simulated card bus:
// the boxes shown and the status label left behind.
#include "BancCarte.h"
#include "MenuBanc.h"

#include <QtTest>

namespace {

using Deroulement = QList<QByteArray>;

const QByteArray kR08 = "00000000000000001111111111111111";
const QByteArray kR08S = "00000000000000001010101010101010";
const QByteArray kR11 = "00000000001111111111111111111111";
const QString kIdentite = QStringLiteral("PLT2 v2.14[0A1Bc]");
const QString kInviteEA =
    QStringLiteral("Type Rail A trouver ? \rR08,R08S,R11,R13,R15,R18,R21,R30");

// Presses "Arret" as soon as the monitoring loop shows its first status text.
class PosteArret : public PosteTest {
public:
    void AfficheInfo(const QString& texte) override {
        PosteTest::AfficheInfo(texte);
        if (texte.startsWith(QLatin1String("01- ")))
            ArretDemande = true;
    }
};

} // namespace

class TstMenuBanc : public QObject, private BancCarte<PosteArret> {
    Q_OBJECT
private slots:
    void init() { QVERIFY(demarre()); }
    void cleanup() { arrete(); }

    void irPermanent_data() {
        QTest::addColumn<bool>("muette");
        QTest::addColumn<QString>("boite");
        QTest::newRow("carte presente")
            << false
            << kIdentite + "\rPret: 1  IR Reel : 1  basc : 0\r  Puiss IR : 120  (i= 6.8mA) 31%";
        QTest::newRow("carte muette") << true << "inconnue\rCarte absente";
    }
    void irPermanent() {
        QFETCH(bool, muette);
        QFETCH(QString, boite);
        carte([&](CarteSimulee& c) { c.muette = muette; });
        poste->CouleurInfo(Qt::black);
        mnuTestIRperm_Click(*poste);
        QCOMPARE(poste->op.boites(), QStringList{boite});
        QCOMPARE(poste->info(), QString());
        QCOMPARE(poste->couleurInfo(), QColor(255, 255, 255));
        QVERIFY(!poste->BtCancelVisible());
        QCOMPARE(bus->deroulement().last(), QByteArray("fermeture"));
    }

    void irSansManipulation_data() {
        QTest::addColumn<bool>("muette");
        QTest::addColumn<QString>("resultat");
        QTest::addColumn<QString>("version");
        QTest::newRow("carte presente") << false << "IR ok (pIR=31%)" << kIdentite;
        QTest::newRow("carte muette") << true << "Carte absente (C5) Err: Time Out"
                                      << "inconnue";
    }
    void irSansManipulation() {
        QFETCH(bool, muette);
        QFETCH(QString, resultat);
        QFETCH(QString, version);
        carte([&](CarteSimulee& c) { c.muette = muette; });
        mnuTestIRsansManip_Click(*poste);
        QCOMPARE(poste->op.boites(), QStringList{version + "\r" + resultat});
        QCOMPARE(poste->historiqueInfo, (QStringList{resultat, QString()}));
    }

    void testEA_data() {
        QTest::addColumn<QString>("reponse");
        QTest::addColumn<QByteArray>("rail");
        QTest::addColumn<QByteArray>("mesure");
        QTest::addColumn<QString>("resultat");
        QTest::addColumn<QString>("trouve");
        QTest::newRow("r11 en minuscules")
            << "r11" << kR11 << QByteArray("I##E7585") << "EA ok (22 EAs detectes)"
            << "R11";
        QTest::newRow("R08 propose")
            << "R08" << kR08 << QByteArray("I##E8997") << "EA ok (16 EAs detectes)"
            << "R08";
        QTest::newRow("espaces autour")
            << " r08s " << kR08S << QByteArray("I##E6F75") << "EA ok (8 EAs detectes)"
            << "R08S";
        QTest::newRow("mauvais rail")
            << "R08" << kR08S << QByteArray("I##E8997")
            << "EA HS (E3) cause: 08 EAs  00000000-00000000-10101010-10101010 (R08S)"
            << "R08S";
    }
    void testEA() {
        QFETCH(QString, reponse);
        QFETCH(QByteArray, rail);
        QFETCH(QByteArray, mesure);
        QFETCH(QString, resultat);
        QFETCH(QString, trouve);
        carte([&](CarteSimulee& c) { c.presenceEA = rail; });
        poste->op.repond(reponse);
        mnuTestEA_Click(*poste);
        const auto& e = poste->op.echanges;
        QCOMPARE(e.size(), 2);
        QCOMPARE(e[0].genre, OperateurScripte::Genre::Saisie);
        QCOMPARE(e[0].texte, kInviteEA);
        QCOMPARE(e[0].titre, QString());
        QCOMPARE(e[0].defaut, QString("R08"));
        QCOMPARE(e[1].texte, "version: " + kIdentite + "\rEA: " + QString::fromLatin1(rail) +
                                 "\rmsg: " + resultat + "\rtype Rail Trouver: " + trouve);
        QCOMPARE(bus->deroulement(),
                 (Deroulement{"ouverture", "V##", mesure, "I##A", "fermeture"}));
        QCOMPARE(poste->historiqueInfo, (QStringList{resultat, QString()}));
    }

    void testEAcarteMuette() {
        carte([](CarteSimulee& c) { c.muette = true; });
        poste->op.repond("R08");
        mnuTestEA_Click(*poste);
        QCOMPARE(poste->op.boites(),
                 QStringList{"version: inconnue\rEA: " + QString(32, '0') +
                             "\rmsg: EA HS (E1) Carte absente Err: Time Out\rtype Rail Trouver: "});
    }

    void testEAabandonne() {
        carte();
        mnuTestEA_Click(*poste); // Cancel: the empty answer
        QCOMPARE(poste->op.echanges.size(), 1);
        QVERIFY(bus->deroulement().isEmpty());
        QVERIFY(poste->historiqueInfo.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TstMenuBanc)
#include "tst_MenuBanc.moc"
