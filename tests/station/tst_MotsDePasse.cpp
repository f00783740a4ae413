// The operator password file: the rights of each code, the file read back by
// the station, refused with a message naming it when it is damaged.
#include "MotsDePasseOperateurs.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString Demo() {
    return qEnvironmentVariable("CALVANET_SOURCE") + QStringLiteral("/station/operateurs-demo.mdp");
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
        const QByteArray sel = QByteArray("0123456789abcdef").toBase64();
        QTest::newRow("argon2id une passe")
            << QByteArray("argon2id 1 19456 " + sel + "\n") << "au moins 2 passes et 19456 Kio";
        QTest::newRow("argon2id peu de memoire")
            << QByteArray("argon2id 2 4096 " + sel + "\n") << "au moins 2 passes et 19456 Kio";
        QTest::newRow("argon2id memoire demesuree")
            << QByteArray("argon2id 2 99999999 " + sel + "\n") << "au plus 1048576 Kio";
        QTest::newRow("argon2id sel court")
            << QByteArray("argon2id 2 19456 MDEy\n") << "sel illisible";
        QTest::newRow("argon2id sans sel") << QByteArray("argon2id 2 19456\n") << "en-tete attendu";
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

    // The order an administrator expects: the variable names the file for one
    // run, the system's file is the installation's, the file beside the
    // program serves a station run from its build folder; with none, the
    // missing-file message names the system's file, where it belongs.
    void ordreDesFichiers_data() {
        QTest::addColumn<bool>("variable");
        QTest::addColumn<bool>("systemePresent");
        QTest::addColumn<bool>("aCotePresent");
        QTest::addColumn<QString>("attendu");
        QTest::newRow("variable avant tout") << true << true << true << "variable";
        QTest::newRow("variable seule") << true << false << false << "variable";
        QTest::newRow("systeme avant le programme") << false << true << true << "systeme";
        QTest::newRow("a cote du programme") << false << false << true << "programme";
        QTest::newRow("aucun : celui du systeme") << false << false << false << "systeme";
    }
    void ordreDesFichiers() {
        QFETCH(bool, variable);
        QFETCH(bool, systemePresent);
        QFETCH(bool, aCotePresent);
        QFETCH(QString, attendu);
        QTemporaryDir dossier;
        QVERIFY(QDir().mkpath(dossier.filePath("etc/calvanet")));
        QVERIFY(QDir().mkpath(dossier.filePath("bin")));
        const QMap<QString, QString> chemins = {
            {"variable", dossier.filePath("autre.mdp")},
            {"systeme", dossier.filePath("etc/calvanet/operateurs.mdp")},
            {"programme", dossier.filePath("bin/operateurs.mdp")}};
        if (systemePresent)
            Ecrit(chemins["systeme"], QByteArray());
        if (aCotePresent)
            Ecrit(chemins["programme"], QByteArray());
        if (variable)
            qputenv("CALVANET_MOTS_DE_PASSE", chemins["variable"].toUtf8());
        else
            qunsetenv("CALVANET_MOTS_DE_PASSE");
        const QString chemin =
            CheminFichierMotsDePasse(chemins["systeme"], dossier.filePath("bin"));
        qunsetenv("CALVANET_MOTS_DE_PASSE");
        QCOMPARE(chemin, chemins.value(attendu));
    }

    // The command writes Argon2id digests (19 MiB, 2 passes); the station
    // logs in with them, in any letter case.
    void ecritArgon2id() {
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath("operateurs.mdp");
        QString erreur;
        QVERIFY2(
            FichierMotsDePasse::Ecrit(chemin, {{u'Y', "ABCDEFG1"}, {u'C', "RAILS007"}}, &erreur),
            qPrintable(erreur));
        QFile lu(chemin);
        QVERIFY(lu.open(QIODevice::ReadOnly));
        const QList<QByteArray> lignes = lu.readAll().split('\n');
        QVERIFY(lignes.size() >= 4);
        QVERIFY2(lignes[1].startsWith("argon2id 2 19456 "), lignes[1].constData());
        QVERIFY(lignes[2].startsWith("Y "));
        QVERIFY(lignes[3].startsWith("C "));
        FichierMotsDePasse f;
        QVERIFY2(f.Lit(chemin, &erreur), qPrintable(erreur));
        QCOMPARE(f.CodeDuMotDePasse("ABCDEFG1"), std::optional<QChar>(u'Y'));
        QCOMPARE(f.CodeDuMotDePasse("rails007"), std::optional<QChar>(u'C'));
        QCOMPARE(f.CodeDuMotDePasse("ABCDEFG2"), std::nullopt);
    }

    // A file written with the PBKDF2 digests of earlier installations still
    // logs its operators in.
    void ancienFichierPbkdf2() {
        FichierMotsDePasse f;
        QString erreur;
        QVERIFY2(f.Lit(QStringLiteral(CALVANET_MDP_PBKDF2), &erreur), qPrintable(erreur));
        QCOMPARE(f.nombreOperateurs(), 19);
        QCOMPARE(f.CodeDuMotDePasse("DEMOY001"), std::optional<QChar>(u'Y'));
        QCOMPARE(f.CodeDuMotDePasse("demo5001"), std::optional<QChar>(u'5'));
        QCOMPARE(f.CodeDuMotDePasse("DEMO5002"), std::nullopt);
    }

    // The demo file holds the 19 operators with the passwords the README gives.
    void fichierDemo() {
        FichierMotsDePasse f;
        QString erreur;
        QVERIFY2(f.Lit(Demo(), &erreur), qPrintable(erreur));
        QCOMPARE(f.nombreOperateurs(), 19);
        QFile lu(Demo());
        QVERIFY(lu.open(QIODevice::ReadOnly));
        QVERIFY(lu.readAll().contains("\nargon2id 2 19456 "));
        QCOMPARE(f.CodeDuMotDePasse("DEMOY001"), std::optional<QChar>(u'Y'));
        QCOMPARE(f.CodeDuMotDePasse("demoi001"), std::optional<QChar>(u'I'));
    }
};

QTEST_GUILESS_MAIN(TstMotsDePasse)
#include "tst_MotsDePasse.moc"
