// The command calvanet-motsdepasse: the password file it writes is read back
// by the station; what it refuses leaves no file behind.
#include "MotsDePasseOperateurs.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString Outil() {
    return qEnvironmentVariable("CALVANET_BUILD") + QStringLiteral("/station/calvanet-motsdepasse");
}

// Runs the command with `entree` on stdin; returns its exit code.
int LanceOutil(const QStringList& arguments, const QByteArray& entree, QString* messages,
               const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(Outil(), arguments);
    if (!p.waitForStarted(10000))
        return -1;
    p.write(entree);
    p.closeWriteChannel();
    if (!p.waitForFinished(60000))
        return -2;
    *messages = QString::fromUtf8(p.readAllStandardError());
    return p.exitCode();
}

} // namespace

class TstOutilMotsDePasse : public QObject {
    Q_OBJECT
private slots:
    void ecritParLaCommandeEtRelu() {
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath("operateurs.mdp");
        QString messages;
        QCOMPARE(LanceOutil({chemin}, "# banc 2\n1=secret01\n\nG=PLATEAU7\n", &messages), 0);
        QVERIFY2(messages.contains(chemin), qPrintable(messages));

        const QByteArray contenu = [&] {
            QFile f(chemin);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();
        QVERIFY(!contenu.contains("SECRET01") && !contenu.contains("secret01"));
        QVERIFY(contenu.contains("\nargon2id 2 19456 "));

        FichierMotsDePasse f;
        QString erreur;
        QVERIFY2(f.Lit(chemin, &erreur), qPrintable(erreur));
        QCOMPARE(f.nombreOperateurs(), 2);
        QCOMPARE(f.CodeDuMotDePasse("SECRET01"), std::optional<QChar>(u'1'));
        QCOMPARE(f.CodeDuMotDePasse("secret01"), std::optional<QChar>(u'1'));
        QCOMPARE(f.CodeDuMotDePasse("PLATEAU7"), std::optional<QChar>(u'G'));
        QCOMPARE(f.CodeDuMotDePasse("SECRET02"), std::nullopt);
        QCOMPARE(f.CodeDuMotDePasse(""), std::nullopt);
    }

    // Without a file named, the command writes the file the station reads, making
    // its folder (/etc/calvanet on a fresh installation).
    void sansFichierEcritCeluiQueLaStationLit() {
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath("etc/calvanet/operateurs.mdp");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("CALVANET_MOTS_DE_PASSE", chemin);
        QString messages;
        QCOMPARE(LanceOutil({}, "Y=K7P2M9QA\n", &messages, env), 0);
        QVERIFY2(messages.contains(chemin), qPrintable(messages));
        FichierMotsDePasse f;
        QString erreur;
        QVERIFY2(f.Lit(chemin, &erreur), qPrintable(erreur));
        QCOMPARE(f.CodeDuMotDePasse("k7p2m9qa"), std::optional<QChar>(u'Y'));

        QCOMPARE(LanceOutil({"-h"}, "", &messages, env), 2);
        QVERIFY2(messages.contains("par defaut celui que\n  calvanet lit : " + chemin),
                 qPrintable(messages));
    }

    void commandeRefuse_data() {
        QTest::addColumn<QByteArray>("entree");
        QTest::addColumn<QString>("raison");
        QTest::newRow("code inconnu") << QByteArray("Z=ABCDEFG1\n") << "code operateur inconnu : Z";
        QTest::newRow("code en double")
            << QByteArray("1=ABCDEFG1\n1=ABCDEFG2\n") << "code operateur en double : 1";
        QTest::newRow("trop court") << QByteArray("1=ABC\n") << "7 ou 8 lettres ou chiffres";
        QTest::newRow("trop long") << QByteArray("1=ABCDEFGHI\n") << "7 ou 8 lettres ou chiffres";
        QTest::newRow("espace") << QByteArray("1=ABC DEFG\n") << "7 ou 8 lettres ou chiffres";
        QTest::newRow("meme mot de passe")
            << QByteArray("1=ABCDEFG1\n2=abcdefg1\n") << "deja celui d'un autre operateur";
        QTest::newRow("ligne sans egal") << QByteArray("1 ABCDEFG1\n") << "code=motdepasse attendu";
        QTest::newRow("rien") << QByteArray("") << "aucun mot de passe";
    }
    void commandeRefuse() {
        QFETCH(QByteArray, entree);
        QFETCH(QString, raison);
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath("operateurs.mdp");
        QString messages;
        QCOMPARE(LanceOutil({chemin}, entree, &messages), 1);
        QVERIFY2(messages.contains(raison), qPrintable(messages));
        QVERIFY(!QFile::exists(chemin));
    }
};

QTEST_GUILESS_MAIN(TstOutilMotsDePasse)
#include "tst_OutilMotsDePasse.moc"
