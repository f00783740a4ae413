// A label served for another station while the station's network printer is
// away, then the station ends: by BtSTOP, by its window closed, or killed.
// The label was in the journal as it waited: the next start says so in its
// status line and prints it first, once; the start after prints nothing.
#include "BancFenetre.h"
#include "ImprimanteVirtuelle.h"
#include "LecteurSqlite.h"

#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

namespace {

quint16 PortLibre() {
    QTcpServer s;
    s.listen(QHostAddress::LocalHost, 0);
    return s.serverPort();
}

const QByteArray kEtiquette =
    "\r\nN\r\nq408\r\nQ203,24+0\r\nA2,4,0,4,1,1,N,\"Morvane 2 Plateau R08\"\r\n"
    "B2,28,0,1,2,2,49,B,\"PD-0A1B-5026-0Y\"\r\nP1\r\n";

bool Ecoute(quint16 port) {
    QTcpSocket s;
    s.connectToHost(QHostAddress::LocalHost, port);
    return s.waitForConnected(2000);
}

bool Sert(quint16 port) {
    QTcpSocket s;
    s.connectToHost(QHostAddress::LocalHost, port);
    if (!s.waitForConnected(5000))
        return false;
    s.write(kEtiquette);
    while (s.bytesToWrite() > 0)
        if (!s.waitForBytesWritten(5000))
            return false;
    s.disconnectFromHost();
    return true;
}

} // namespace

class TstEtiquettesGardees : public QObject {
    Q_OBJECT
private slots:
    void imprimeeUneFoisAuDemarrageSuivant_data() {
        QTest::addColumn<QString>("fin");
        QTest::newRow("BtSTOP") << "stop";
        QTest::newRow("fenetre fermee") << "fermeture";
        QTest::newRow("station tuee") << "tue";
    }
    void imprimeeUneFoisAuDemarrageSuivant() {
        QFETCH(QString, fin);
        QTemporaryDir atelier;
        const QString journal = atelier.filePath("journal.sqlite");
        qputenv("CALVANET_JOURNAL", journal.toUtf8());
        const quint16 portImprimante = PortLibre();
        const quint16 portServeur = PortLibre();
        const QString options = QString("op=DEMOY001 portImp=TCP127.0.0.1:%1 portSrv=%2")
                                    .arg(portImprimante)
                                    .arg(portServeur);
        const QString enAttente = "SELECT etat FROM etiquettes";

        if (fin == "tue") {
            QTemporaryDir traces;
            QProcess station;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("CALVANET_MOTS_DE_PASSE", CALVANET_MDP_DEMO);
            station.setProcessEnvironment(env);
            station.start(CALVANET,
                          QStringList{"pp=" + traces.path(), "com=/dev/null"} + options.split(' '));
            QVERIFY(station.waitForStarted(10000));
            QTRY_VERIFY_WITH_TIMEOUT(Ecoute(portServeur), 20000);
            QVERIFY(Sert(portServeur));
            QTRY_COMPARE_WITH_TIMEOUT(Sqlite(journal, enAttente), QStringList{"en_attente"}, 20000);
            station.kill();
            QVERIFY(station.waitForFinished(10000));
        } else {
            BancFenetre banc;
            QVERIFY(banc.demarre(options));
            QVERIFY(Sert(portServeur));
            QTRY_COMPARE(Sqlite(journal, enAttente), QStringList{"en_attente"});
            if (fin == "stop")
                banc.clique("BtSTOP");
            else
                banc.f->close();
            QVERIFY(banc.f->poste().programmeTermine());
        }
        QCOMPARE(Sqlite(journal, enAttente), QStringList{"en_attente"});

        // The printer is back; the station starts again.
        OptionsImprimante o;
        o.dossier = atelier.path();
        o.portTcp = portImprimante;
        FilImprimanteVirtuelle imprimante(o);
        QVERIFY2(imprimante.ok(), qPrintable(imprimante.erreur()));
        {
            BancFenetre banc;
            QVERIFY(banc.demarre(options));
            QVERIFY2(banc.f->poste().info().endsWith(
                         "\r1 étiquette(s) en attente depuis la dernière session, envoyée(s) en "
                         "premier"),
                     qPrintable(banc.f->poste().info()));
            QTRY_COMPARE(imprimante.imprimante().travaux(), QList<QByteArray>{kEtiquette});
            QTRY_COMPARE(Sqlite(journal, enAttente), QStringList{"imprime"});
        }
        {
            BancFenetre banc;
            QVERIFY(banc.demarre(options));
            QVERIFY(!banc.f->poste().info().contains("étiquette"));
            QTest::qWait(100);
        }
        QCOMPARE(imprimante.imprimante().travaux(), QList<QByteArray>{kEtiquette});
    }
};

QTEST_MAIN(TstEtiquettesGardees)
#include "tst_EtiquettesGardees.moc"
