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

    // The operator's click on "Arret Test", or any key pressed on the window,
    // during the EA firing of the single tray test: the test stops at its next
    // check, says so, and records nothing.
    void arretPendantLeTestPlateau_data() {
        QTest::addColumn<bool>("parTouche");
        QTest::newRow("bouton Arret Test") << false;
        QTest::newRow("touche pendant une pause") << true;
    }
    void arretPendantLeTestPlateau() {
        QFETCH(bool, parTouche);
        BancFenetre banc;
        QVERIFY(banc.demarre());
        banc.carte();
        banc.op.repond("R08");
        if (parTouche)
            banc.quandEnvoyee("E##50ACD10",
                              [&] { QTest::keyClick(banc.f->BtTestPlateauSeul, Qt::Key_A); });
        else
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

    // BtSTOP clicked while a workflow searches for its card ends the program
    // in the pause that follows the first search frame, after the closing
    // steps (print server, message window).
    void stopPendantLaRechercheDeCarte() {
        BancFenetre banc;
        QVERIFY(banc.demarre()); // no card answers
        QStringList etapes;
        banc.f->poste().SurFermeture([&] { etapes << QStringLiteral("fermeture"); });
        int code = -1;
        qsizetype recherchesAvantFin = -1;
        banc.f->poste().arretProcessus = [&](int c) {
            code = c;
            recherchesAvantFin = banc.commandesCommencant("V##").size();
            etapes << QStringLiteral("fin");
        };
        banc.quandEnvoyee("V##", [&] { banc.clique("BtSTOP"); });
        banc.clique("BtVerifConnection");
        QCOMPARE(code, kFinNormale);
        QCOMPARE(recherchesAvantFin, 1);
        QCOMPARE(etapes, QStringList({"fermeture", "fin"}));
        QCOMPARE(banc.vu->historiqueMessages.back().texte, QString());
    }
};

QTEST_MAIN(TstFenetreSurBanc)
#include "tst_FenetreSurBanc.moc"
