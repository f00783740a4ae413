// The operator password file: written by calvanet-motsdepasse, read back by
// the station, refused with a message naming it when it is damaged.
#include "MotsDePasseOperateurs.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString Outil() {
    return qEnvironmentVariable("CALVANET_BUILD") + QStringLiteral("/station/calvanet-motsdepasse");
}

QString Demo() {
    return qEnvironmentVariable("CALVANET_SOURCE") + QStringLiteral("/station/operateurs-demo.mdp");
}

// Runs the command with `entree` on stdin; returns its exit code.
int LanceOutil(const QStringList& arguments, const QByteArray& entree, QString* messages) {
    QProcess p;
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

void Ecrit(const QString& chemin, const QByteArray& contenu) {
    QFile f(chemin);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(contenu);
}

} // namespace

class TstMotsDePasse : public QObject {
    Q_OBJECT
private slots:
    void tableDesDroits() {
        QCOMPARE(TableOperateurs().size(), size_t(19));
        QString codes;
        for (const auto& d : TableOperateurs())
            codes += d.code;
        QCOMPARE(codes, QStringLiteral("Y123456789ABCDEFGHI"));
        QVERIFY(!DroitsDuCode(u'Z'));
        const auto c = DroitsDuCode(u'C');
        QVERIFY(c && !c->meuble && !c->programmation && c->testRails && !c->testPlateau);
    }

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
        QVERIFY(contenu.contains("pbkdf2-sha256 200000 "));

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

    // Two files written from the same passwords share nothing: one salt each.
    void selPropreAChaqueFichier() {
        QTemporaryDir dossier;
        QString erreur;
        QVERIFY(FichierMotsDePasse::Ecrit(dossier.filePath("a"), {{u'Y', "ABCDEFG1"}}, &erreur));
        QVERIFY(FichierMotsDePasse::Ecrit(dossier.filePath("b"), {{u'Y', "ABCDEFG1"}}, &erreur));
        QFile a(dossier.filePath("a")), b(dossier.filePath("b"));
        QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        QVERIFY(a.readAll() != b.readAll());
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

    void fichierInvalide_data() {
        QTest::addColumn<QByteArray>("contenu");
        QTest::addColumn<QString>("raison");
        const QByteArray entete = "pbkdf2-sha256 200000 MDEyMzQ1Njc4OWFiY2RlZg==\n";
        const QByteArray empreinte = " " + QByteArray(32, 'x').toBase64() + "\n";
        QTest::newRow("vide") << QByteArray() << "fichier vide";
        QTest::newRow("sans en-tete") << QByteArray("Y" + empreinte) << "ligne 1 : en-tete attendu";
        QTest::newRow("autre algorithme") << QByteArray("md5 200000 MDEy\n") << "en-tete attendu";
        QTest::newRow("trop peu d'iterations")
            << QByteArray("pbkdf2-sha256 1000 MDEyMzQ1Njc4OWFiY2RlZg==\n") << "au moins 200000";
        QTest::newRow("sel illisible")
            << QByteArray("pbkdf2-sha256 200000 ***\n") << "sel illisible";
        QTest::newRow("aucun operateur") << entete << "aucun operateur";
        QTest::newRow("code inconnu")
            << entete + "Z" + empreinte << "ligne 2 : code operateur inconnu";
        QTest::newRow("code en double")
            << entete + "1" + empreinte + "1" + empreinte << "ligne 3 : code operateur en double";
        QTest::newRow("empreinte courte") << entete + "1 AAAA\n"
                                          << "empreinte illisible";
        QTest::newRow("empreinte manquante") << entete + "1\n"
                                             << "code et empreinte attendus";
    }
    void fichierInvalide() {
        QFETCH(QByteArray, contenu);
        QFETCH(QString, raison);
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath("operateurs.mdp");
        Ecrit(chemin, contenu);
        FichierMotsDePasse f;
        QString erreur;
        QVERIFY(!f.Lit(chemin, &erreur));
        QVERIFY2(erreur.startsWith("fichier des mots de passe operateurs invalide : " + chemin),
                 qPrintable(erreur));
        QVERIFY2(erreur.contains(raison), qPrintable(erreur));
        QCOMPARE(f.CodeDuMotDePasse("DEMOY001"), std::nullopt);
    }

    void fichierAbsent() {
        FichierMotsDePasse f;
        QString erreur;
        QVERIFY(!f.Lit("/nulle/part/operateurs.mdp", &erreur));
        QCOMPARE(erreur, QStringLiteral("fichier des mots de passe operateurs introuvable : "
                                        "/nulle/part/operateurs.mdp"));
    }

    void cheminParVariable() {
        qputenv("CALVANET_MOTS_DE_PASSE", "/etc/calvanet/operateurs.mdp");
        QCOMPARE(CheminFichierMotsDePasse(), QStringLiteral("/etc/calvanet/operateurs.mdp"));
        qunsetenv("CALVANET_MOTS_DE_PASSE");
        QVERIFY(CheminFichierMotsDePasse().endsWith("/operateurs.mdp"));
    }

    // The demo file holds the 19 operators with the passwords the README gives.
    void fichierDemo() {
        FichierMotsDePasse f;
        QString erreur;
        QVERIFY2(f.Lit(Demo(), &erreur), qPrintable(erreur));
        QCOMPARE(f.nombreOperateurs(), 19);
        QCOMPARE(f.CodeDuMotDePasse("DEMOY001"), std::optional<QChar>(u'Y'));
        QCOMPARE(f.CodeDuMotDePasse("demoi001"), std::optional<QChar>(u'I'));
    }
};

QTEST_GUILESS_MAIN(TstMotsDePasse)
#include "tst_MotsDePasse.moc"
