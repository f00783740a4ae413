#include "FichierTrace.h"
#include "Plateforme.h"
#include "Temps.h"
#include "Windows1252.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TstFichierTrace : public QObject {
    Q_OBJECT
private slots:
    void encodage_data() {
        QTest::addColumn<QString>("texte");
        QTest::addColumn<QByteArray>("octets");
        QTest::newRow("ascii") << "dernier SN: 0A1B" << QByteArray("dernier SN: 0A1B");
        QTest::newRow("accents") << QString::fromUtf8("déja utilisé à")
                                 << QByteArray("d\xe9ja utilis\xe9 \xe0");
        QTest::newRow("euro, oe") << QString::fromUtf8("€ œ …") << QByteArray("\x80 \x9c \x85");
        QTest::newRow("hors code page") << QString::fromUtf8("→") << QByteArray("?");
    }
    void encodage() {
        QFETCH(QString, texte);
        QFETCH(QByteArray, octets);
        QCOMPARE(VersWindows1252(texte), octets);
        if (!octets.contains('?'))
            QCOMPARE(DepuisWindows1252(octets), texte);
    }

    void ajoutEtLectureEnCRLF() {
        QTemporaryDir d;
        const QString f = d.filePath("SNcarte.txt");
        QVERIFY(AjouteLigneTrace(f, QString::fromUtf8("première")));
        QVERIFY(AjouteLigneTrace(f, "0A1C  ligne 2"));
        QFile lu(f);
        QVERIFY(lu.open(QIODevice::ReadOnly));
        QCOMPARE(lu.readAll(), QByteArray("premi\xe8re\r\n0A1C  ligne 2\r\n"));
        QCOMPARE(LitLignesTrace(f), QStringList({QString::fromUtf8("première"), "0A1C  ligne 2"}));
        QCOMPARE(PremiereLigneTrace(f), QString::fromUtf8("première"));
        QVERIFY(EcritEnTeteTrace(f, "PREMIERE"));
        QCOMPARE(LitLignesTrace(f).first(), QString("PREMIERE"));
    }

    void dossierAbsent() {
        QString erreur;
        QVERIFY(!AjouteLigneTrace("/nonexistent-calvanet/SNcarte.txt", "x", &erreur));
        QVERIFY(!erreur.isEmpty());
        QCOMPARE(PremiereLigneTrace("/nonexistent-calvanet/SNcarte.txt"), QString());
    }

    void ports_data() {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("peripherique");
        if (Plateforme::SurWindows()) {
            QTest::newRow("3") << "3"
                               << "COM3";
            return;
        }
        QTest::newRow("1") << "1"
                           << "/dev/ttyS0";
        QTest::newRow("12") << "12"
                            << "/dev/ttyS11";
        QTest::newRow("chemin") << "/dev/pts/7"
                                << "/dev/pts/7";
    }
    void ports() {
        QFETCH(QString, port);
        QFETCH(QString, peripherique);
        QCOMPARE(Plateforme::PeripheriqueSerie(port), peripherique);
    }

    void chemins() {
        if (Plateforme::SurWindows())
            return; // the paths are kept as typed there
        QCOMPARE(Plateforme::CheminDans("/tmp/Banc", "SNcarte.txt"),
                 QString("/tmp/Banc/SNcarte.txt"));
        QCOMPARE(Plateforme::CheminLocal("C:\\morvane\\appli\\icProg105C"),
                 QDir::homePath() + "/morvane/appli/icProg105C");
        QCOMPARE(Plateforme::CheminLocal("d:\\lang\\trad.MDB"), QString("d:/lang/trad.MDB"));
    }

    void pauseNulleFaitUnPassage() {
        const double t0 = get_exact_milli_second();
        timePause(0);
        QVERIFY(get_exact_milli_second() - t0 >= 10.0);
    }
};

QTEST_GUILESS_MAIN(TstFichierTrace)
#include "tst_FichierTrace.moc"
