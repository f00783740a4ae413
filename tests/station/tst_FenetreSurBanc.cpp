// The real main window, offscreen, driven by clicks against the simulated card
// bus: what an operator sees at the bench.
#include "BancFenetre.h"
#include "LiaisonCarte.h"

#include <QFile>
#include <QLabel>
#include <QtTest>

class TstFenetreSurBanc : public QObject {
    Q_OBJECT
private slots:
    void verifConnection_data() {
        QTest::addColumn<bool>("presente");
        QTest::addColumn<QString>("versionCouche");
        QTest::addColumn<QString>("attendu");
        QTest::newRow("carte saine")
            << true << QString()
            << "version carte : PLT2 v2.14\r\r\rSN= 0A1B\r\r\rnom de la carte lue: A-1\r";
        QTest::newRow("avec carte couche")
            << true << "0C"
            << "version carte : PLT2 v2.14\r\r\rSN= 0A1B\r\r\rnom de la carte lue: A-1\r"
               "\rversion Layer Board : 12\r";
        QTest::newRow("aucune carte")
            << false << QString() << "Votre carte N'EST PAS CONNECTE\rErr: Time Out";
    }
    void verifConnection() {
        QFETCH(bool, presente);
        QFETCH(QString, versionCouche);
        QFETCH(QString, attendu);
        BancFenetre banc;
        QVERIFY(banc.demarre());
        if (presente)
            banc.carte([&](CarteSimulee& c) { c.versionCouche = versionCouche.toLatin1(); });
        banc.op.echanges.clear();
        banc.clique("BtVerifConnection");
        QCOMPARE(banc.op.boites(), QStringList{attendu});
        QVERIFY(banc.op.inattendus.isEmpty());
        // The port is released and the status label emptied at the end.
        QVERIFY(!PortCarteEstOuvert(banc.f->poste()));
        QCOMPARE(banc.f->poste().info(), QString());
    }

    // The operator's click on "Arret Test" during the EA firing of the single
    // tray test: the test stops there, says so, and records nothing.
    void arretPendantLeTestPlateau() {
        BancFenetre banc;
        QVERIFY(banc.demarre());
        banc.carte();
        banc.op.repond("R08");
        banc.annuleApres("E##50ACD10");
        banc.clique("BtTestPlateauSeul");
        QCOMPARE(banc.commandesCommencant("E##").last(), QByteArray("E##50ACD10"));
        QVERIFY(banc.commandesCommencant("D").isEmpty());
        QCOMPARE(banc.f->info->text(), QString("ABANDON du TEST sur demande utilisateur"));
        QVERIFY(!banc.f->BtCancel->isVisibleTo(banc.f.get()));
        QCOMPARE(banc.f->BtCancel->text(), QString("Arret"));
        QVERIFY(!QFile::exists(banc.fichier("TestPlateauSeul.txt")));
        QCOMPARE(banc.textesMessages().last(), QString(" []"));
        QVERIFY(banc.op.inattendus.isEmpty());
        QVERIFY(!PortCarteEstOuvert(banc.f->poste()));
    }
};

QTEST_MAIN(TstFenetreSurBanc)
#include "tst_FenetreSurBanc.moc"
