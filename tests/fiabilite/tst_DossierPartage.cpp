// Four stations, each with its own card, numbering 25 cards each on one
// shared trace folder at the same time: 100 different SNs, 100 trace lines,
// the header holding the last. CALVANET_DOSSIER_PARTAGE names another folder
// to run on (a network mount: see dossier_reseau.sh); it must hold no
// "SNcarte.txt" yet.
#include "SerieLue.h"
#include "TracesTest.h"

#include <QDir>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

class TstDossierPartage : public QObject {
    Q_OBJECT
private slots:
    void quatrePostes() {
        constexpr int kPostes = 4;
        constexpr int kParPoste = 25;
        QTemporaryDir temporaire;
        QString dossier = qEnvironmentVariable("CALVANET_DOSSIER_PARTAGE");
        if (dossier.isEmpty())
            dossier = temporaire.path();
        qInfo("dossier: %s", qPrintable(dossier));
        const QString serie = QDir(dossier).filePath(QStringLiteral("SNcarte.txt"));
        QVERIFY2(!QFile::exists(serie), qPrintable(serie + " existe deja"));
        QVERIFY(AjouteLigneTrace(serie, QStringLiteral("dernier SN: 0000  01/12/2026 10:00:00")));

        QProcess postes[kPostes];
        for (int i = 0; i < kPostes; ++i)
            LanceStation(postes[i], QStringLiteral("carte"), dossier, kParPoste,
                         temporaire.filePath(QStringLiteral("journal-%1.sqlite").arg(i)));
        for (QProcess& p : postes) {
            QVERIFY(p.waitForFinished(240000));
            QVERIFY2(p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0,
                     p.readAllStandardError().constData());
            QCOMPARE(p.readAllStandardOutput().count("ok\n"), kParPoste);
        }

        const SerieLue s = LitSerie(serie);
        QVERIFY2(s.lisible, qPrintable(s.entete));
        QVERIFY2(s.sansSN.isEmpty(), qPrintable(s.sansSN.join('\n')));
        QCOMPARE(s.donnes.size(), kPostes * kParPoste);
        QCOMPARE(QSet<QString>(s.donnes.begin(), s.donnes.end()).size(), kPostes * kParPoste);
        // 100 after 0000 in the 62 digits: 1 × 62 + 38, "c" the 39th digit.
        QCOMPARE(s.dernier, QStringLiteral("001c"));
        for (const QString& sn : s.donnes)
            QVERIFY(ValeurSN(sn) >= 1 && ValeurSN(sn) <= 100);
        QVERIFY(!QFile::exists(serie + ".lock"));
    }
};

QTEST_GUILESS_MAIN(TstDossierPartage)
#include "tst_DossierPartage.moc"
