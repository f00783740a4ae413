// The real main window, offscreen, driven by clicks against the simulated card
// bus: what an operator sees at the bench.
#include "BusSimule.h"
#include "F1posteProgrammation.h"
#include "LiaisonCarte.h"
#include "ModuleTraductions.h"
#include "OperateurScripte.h"

#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace {

struct Banc {
    OperateurScripte op;
    QTemporaryDir dossier;
    BusSimule bus;
    std::unique_ptr<F1posteProgrammation> f;

    explicit Banc(const CarteSimulee* carte) {
        if (carte)
            bus.ajouteCarte(*carte);
        QString erreur;
        if (!bus.start(dossier.filePath(QStringLiteral("carte")), &erreur))
            qFatal("pseudo-terminal: %s", qPrintable(erreur));
        f = std::make_unique<F1posteProgrammation>(op);
        f->poste().arretProcessus = [](int) {};
        f->Demarre(QStringLiteral("pp=%1 com=%2 op=DEMOY001 portImp=PRN")
                       .arg(dossier.path(), bus.cheminPeripherique()));
    }
    void clique(const char* nom) {
        auto* bouton = f->findChild<QPushButton*>(QString::fromLatin1(nom));
        QVERIFY(bouton);
        QTest::mouseClick(bouton, Qt::LeftButton);
    }
};

} // namespace

class TstFenetreSurBanc : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { qputenv("CALVANET_MOTS_DE_PASSE", QByteArray(CALVANET_MDP_DEMO)); }

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
        CarteSimulee carte;
        carte.versionCouche = versionCouche.toLatin1();
        Banc banc(presente ? &carte : nullptr);
        banc.op.echanges.clear();
        banc.clique("BtVerifConnection");
        QCOMPARE(banc.op.boites(), QStringList{attendu});
        QVERIFY(banc.op.inattendus.isEmpty());
        // The port is released and the status label emptied at the end.
        QVERIFY(!PortCarteEstOuvert(banc.f->poste()));
        QCOMPARE(banc.f->poste().info(), QString());
    }
};

QTEST_MAIN(TstFenetreSurBanc)
#include "tst_FenetreSurBanc.moc"
