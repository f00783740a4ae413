// A serial port this user may not open is not "in use": the box names the
// device and what to do. Root may open anything, so the opening runs in a
// child of this program with the rights of the unprivileged user "nobody".
#include "EditeEtiquette.h"
#include "LiaisonCarte.h"
#include "PosteTest.h"

#include <QGuiApplication>
#include <QProcess>
#include <QtTest>

#include <fcntl.h>
#include <grp.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// In the child: opens the card or printer port on `peripherique` and prints
// each box shown, then the exit status the station would have ended with.
int Enfant(const QString& lien, const QString& peripherique) {
    PosteTest poste;
    try {
        if (lien == QStringLiteral("carte")) {
            OuvrePortCarte(poste, peripherique + QStringLiteral(":9600,n,8,1"));
        } else {
            poste.reglages.portImp = QStringLiteral("COM") + peripherique;
            Etiquette e;
            e.titre = QStringLiteral("Morvane 2 Carte");
            EditeEtiquette(poste, e);
        }
    } catch (const FinProgrammeDemandee&) {
    }
    QTextStream sortie(stdout);
    for (const QString& b : poste.op.boites())
        sortie << "BOITE " << QString(b).replace(QLatin1Char('\r'), QLatin1Char('|')) << '\n';
    sortie << "FIN " << poste.codeFin << '\n';
    return 0;
}

} // namespace

class TstDroitsPort : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        if (::geteuid() != 0)
            QSKIP("the child drops to 'nobody': run as root (as CI does)");
        if (QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
            QSKIP("setpriv (util-linux) is missing");
    }

    void accesRefuse_data() {
        QTest::addColumn<QString>("lien");
        QTest::addColumn<QString>("debut");
        QTest::newRow("port carte") << "carte"
                                    << "Le port COM carte ";
        QTest::newRow("port imprimante") << "imprimante"
                                         << "Le port COM";
    }
    void accesRefuse() {
        QFETCH(QString, lien);
        QFETCH(QString, debut);
        // A pseudo-terminal given to group dialout, mode 660, like a serial
        // port of a Debian machine: "nobody" may neither read nor write it.
        const int maitre = posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(maitre >= 0);
        grantpt(maitre);
        unlockpt(maitre);
        const QString esclave = QString::fromLocal8Bit(ptsname(maitre));
        const group* dialout = getgrnam("dialout");
        QVERIFY2(dialout, "no group dialout on this machine");
        QCOMPARE(::chown(ptsname(maitre), 0, dialout->gr_gid), 0);
        QCOMPARE(::chmod(ptsname(maitre), 0660), 0);

        QProcess enfant;
        enfant.start(QStringLiteral("setpriv"),
                     {QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                      QStringLiteral("--clear-groups"), QCoreApplication::applicationFilePath(),
                      QStringLiteral("--enfant"), lien, esclave});
        QVERIFY(enfant.waitForFinished(30000));
        ::close(maitre);
        const QStringList lignes = QString::fromLocal8Bit(enfant.readAllStandardOutput())
                                       .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QVERIFY2(enfant.exitCode() == 0, enfant.readAllStandardError().constData());
        QCOMPARE(lignes.size(), 2);
        const QString boite = lignes[0];
        QCOMPARE(boite,
                 QStringLiteral("BOITE ") + debut + esclave + QStringLiteral(" : accès refusé à ") +
                     esclave +
                     QStringLiteral(" : l'utilisateur nobody n'a pas le droit de "
                                    "l'ouvrir.|Ajoutez-le au groupe dialout (sudo usermod -aG "
                                    "dialout nobody), puis ouvrez une nouvelle session."));
        QVERIFY(!boite.contains(QStringLiteral("déja utilisé")));
        QCOMPARE(lignes[1], QStringLiteral("FIN 1"));
    }
};

int main(int argc, char* argv[]) {
    QGuiApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() == 4 && arguments[1] == QStringLiteral("--enfant"))
        return Enfant(arguments[2], arguments[3]);
    TstDroitsPort test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_DroitsPort.moc"
