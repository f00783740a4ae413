// The button "Verif Connection avec la carte", through the pseudo-terminal.
#include "BancCarte.h"
#include "LiaisonCarte.h"
#include "ModuleTraductions.h"
#include "VerifConnection.h"

#include <QtTest>

class TstVerifConnection : public QObject, private BancCarte<> {
    Q_OBJECT

    // Changes the one card of the line.
    void carte(const std::function<void(CarteSimulee&)>& reglage) {
        bus->modifieCartes([&](std::vector<CarteSimulee>& v) { reglage(v.front()); });
    }

private slots:
    // The expected texts are read from the message table before any station exists.
    void initTestCase() { ChargeMessagesDefaut(); }
    void init() {
        QVERIFY(demarre());
        bus->ajouteCarte(CarteSimulee{});
    }
    void cleanup() { arrete(); }

    void boiteCarteConnectee_data() {
        QTest::addColumn<QByteArray>("couche");
        QTest::addColumn<QString>("attendu");
        const QString base = Msg[23] + QStringLiteral(" : PLT2 v2.14\r\r\rSN= 0A1B\r\r\r") +
                             Msg[48] + QStringLiteral(": A-1\r");
        QTest::newRow("avec couche")
            << QByteArray("0C") << base + QStringLiteral("\rversion Layer Board : 12\r");
        QTest::newRow("sans couche") << QByteArray() << base;
    }
    void boiteCarteConnectee() {
        QFETCH(QByteArray, couche);
        QFETCH(QString, attendu);
        carte([&](CarteSimulee& c) { c.versionCouche = couche; });
        BtVerifConnection_Click(*poste);
        QCOMPARE(poste->op.boites(), QStringList{attendu});
        QVERIFY(poste->op.boites().first().startsWith(QStringLiteral("version carte : ")));
        QCOMPARE(poste->op.dernier().titre, QString()); // the program's name
    }

    void aucuneCarte() {
        carte([](CarteSimulee& c) { c.muette = true; });
        poste->ArretDemande = true; // cleared by the search itself
        BtVerifConnection_Click(*poste);
        QVERIFY(!poste->ArretDemande);
        QCOMPARE(poste->op.boites(), QStringList{Msg[1] + QStringLiteral("\rErr: Time Out")});
        QCOMPARE(poste->op.boites().first(),
                 QStringLiteral("Votre carte N'EST PAS CONNECTE\rErr: Time Out"));
        // 9 attempts of two frames each.
        QCOMPARE(bus->commandes(), QList<QByteArray>(18, "V##"));
        for (int i = 1; i <= 9; ++i) {
            QVERIFY(poste->historiqueInfo.contains(
                QStringLiteral("Essai connection carte (%1) ...").arg(i)));
            QCOMPARE(poste->historiqueMessages.at(static_cast<size_t>(i - 1)).texte,
                     QStringLiteral("Recherche la connection avec la carte (%1)").arg(i));
        }
        QVERIFY(poste->historiqueInfo.contains(Msg[50]));
        QCOMPARE(poste->info(), QString());
        QVERIFY(poste->historiqueMessages.back().texte.isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(bus->deroulement().last(), QByteArray("fermeture"), 2000);
        QCOMPARE(bus->deroulement().first(), QByteArray("ouverture"));
    }
};

QTEST_GUILESS_MAIN(TstVerifConnection)
#include "tst_VerifConnection.moc"
