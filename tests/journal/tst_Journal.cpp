// The journal file: created on first use, a run written whole, an older
// journal brought up to date, and files it must not write (a damaged file,
// another program's database, a newer journal) left byte for byte as they
// were, with one box and the run going on.
#include "JournalPoste.h"
#include "LecteurSqlite.h"
#include "PassageJournal.h"
#include "PosteTest.h"
#include "TracesTest.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <stdexcept>

namespace {

PassageEnregistre Exemple() {
    PassageEnregistre p;
    p.debut = QDateTime(QDate(2026, 12, 8), QTime(9, 30, 5, 250), Qt::UTC);
    p.poste = QStringLiteral("banc-2");
    p.usine = QStringLiteral("0");
    p.operateur = QStringLiteral("1");
    p.flux = QStringLiteral("TestPlateauSeul");
    p.sn = QStringLiteral("0A1B");
    p.nomCarte = QStringLiteral("A-1");
    p.versionFW = QStringLiteral("PLT2 v2.14");
    p.resultats = {QStringLiteral("IR ok (pIR=31%)"), QStringLiteral("TestAlim HS = 45.2v")};
    p.mesures = {{.nom = QStringLiteral("IR pourcentage"),
                  .valeur = 31,
                  .limiteBasse = 11,
                  .limiteHaute = 67,
                  .unite = QStringLiteral("%")},
                 {.nom = QStringLiteral("alim"),
                  .valeur = 45.2,
                  .limiteBasse = 47,
                  .limiteHaute = 51,
                  .unite = QStringLiteral("V"),
                  .conforme = false,
                  .code = QStringLiteral("alim")}};
    p.issue = IssuePassage::Echec;
    p.codeDefaut = QStringLiteral("alim");
    p.dureeMs = 1234;
    return p;
}

// The schema of the first journals, as they were written.
const QString kSchemaV1 = QStringLiteral(
    "CREATE TABLE version_schema (version INTEGER NOT NULL);"
    "INSERT INTO version_schema VALUES (1);"
    "CREATE TABLE passages (id INTEGER PRIMARY KEY AUTOINCREMENT, debut TEXT NOT NULL,"
    " poste TEXT, usine TEXT, operateur TEXT, flux TEXT NOT NULL, sn TEXT, nom_carte TEXT,"
    " version_fw TEXT, issue TEXT NOT NULL, duree_ms INTEGER);"
    "CREATE TABLE resultats (passage INTEGER NOT NULL REFERENCES passages(id),"
    " rang INTEGER NOT NULL, texte TEXT);"
    "INSERT INTO passages VALUES (1, '2026-11-30T08:00:00.000Z', 'banc-1', '0', '2',"
    " 'AttribueSNcarte', '0042', 'A50', 'PLT2 v2.13', 'reussi', 5100);"
    "INSERT INTO resultats VALUES (1, 1, 'IR ok (pIR=40%)');");

const QString kBoite = QStringLiteral(
    "Le journal de production ne peut pas etre ecrit:\r%1\r%2\r\rLa production continue; "
    "les fichiers de trace sont ecrits comme d'habitude. Ce message ne sera plus affiche.");

} // namespace

class TstJournal : public QObject {
    Q_OBJECT
private slots:
    void premierUsageCreeLeFichier() {
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath(QStringLiteral("calvanet/journal-banc-2.sqlite"));
        QString erreur;
        QVERIFY2(Journal::Enregistre(chemin, Exemple(), &erreur), qPrintable(erreur));

        QCOMPARE(Sqlite(chemin, "SELECT version FROM version_schema"), QStringList{"5"});
        QCOMPARE(Sqlite(chemin, "SELECT debut, poste, usine, operateur, flux, sn, nom_carte,"
                                " version_fw, issue, duree_ms, code_defaut FROM passages"),
                 QStringList{"2026-12-08T09:30:05.250Z|banc-2|0|1|TestPlateauSeul|0A1B|A-1|"
                             "PLT2 v2.14|echec|1234|alim"});
        QCOMPARE(Sqlite(chemin, "SELECT rang, nom, valeur, texte, limite_basse, limite_haute,"
                                " unite, conforme, code FROM mesures ORDER BY rang"),
                 (QStringList{"1|IR pourcentage|31.0|NULL|11.0|67.0|%|1|NULL",
                              "2|alim|45.2|NULL|47.0|51.0|V|0|alim"}));
        QCOMPARE(Sqlite(chemin, "SELECT rang, texte FROM resultats ORDER BY rang"),
                 (QStringList{"1|IR ok (pIR=31%)", "2|TestAlim HS = 45.2v"}));

        QVERIFY(Journal::Enregistre(chemin, Exemple(), &erreur));
        QCOMPARE(Sqlite(chemin, "SELECT count(*), count(DISTINCT id) FROM passages"),
                 QStringList{"2|2"});
        QCOMPARE(Sqlite(chemin, "SELECT passage, count(*) FROM mesures GROUP BY passage"),
                 (QStringList{"1|2", "2|2"}));
    }

    void migreUnJournalDeVersion1() {
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath(QStringLiteral("journal.sqlite"));
        QCOMPARE(Sqlite(chemin, kSchemaV1), QStringList{});
        QString erreur;
        QVERIFY2(Journal::Enregistre(chemin, Exemple(), &erreur), qPrintable(erreur));

        QCOMPARE(Sqlite(chemin, "SELECT version FROM version_schema"), QStringList{"5"});
        QCOMPARE(
            Sqlite(chemin, "SELECT id, flux, sn, issue, code_defaut FROM passages ORDER BY id"),
            (QStringList{"1|AttribueSNcarte|0042|reussi|NULL",
                         "2|TestPlateauSeul|0A1B|echec|alim"}));
        QCOMPARE(Sqlite(chemin, "SELECT passage, texte FROM resultats ORDER BY passage, rang"),
                 (QStringList{"1|IR ok (pIR=40%)", "2|IR ok (pIR=31%)", "2|TestAlim HS = 45.2v"}));
        QCOMPARE(Sqlite(chemin, "SELECT DISTINCT passage FROM mesures"), QStringList{"2"});
    }

    void fichiersQuIlNeDoitPasEcrire_data() {
        QTest::addColumn<QString>("sql");       // makes the file with sqlite3, when given
        QTest::addColumn<QByteArray>("octets"); // else the file's bytes
        QTest::addColumn<QString>("erreur");    // the start of the reason
        QTest::newRow("endommage")
            << QString() << QByteArray("ceci n'est pas un journal\n").repeated(200)
            << "lecture: file is not a database";
        QTest::newRow("autre base")
            << "CREATE TABLE clients (nom TEXT); INSERT INTO clients VALUES ('Dupont');"
            << QByteArray() << "ce fichier n'est pas un journal de production";
        QTest::newRow("journal plus recent")
            << "CREATE TABLE version_schema (version INTEGER); INSERT INTO version_schema VALUES "
               "(6);"
            << QByteArray() << "journal de version 6, plus recente que ce programme (5)";
    }
    void fichiersQuIlNeDoitPasEcrire() {
        QFETCH(QString, sql);
        QFETCH(QByteArray, octets);
        QFETCH(QString, erreur);
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath(QStringLiteral("journal.sqlite"));
        if (!sql.isEmpty()) {
            QCOMPARE(Sqlite(chemin, sql), QStringList{});
        } else {
            QFile f(chemin);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(octets);
        }
        const QByteArray avant = Lit(chemin);

        // Through a workflow's record: one box for two runs, and the runs end.
        PosteTest poste;
        Journal::FixeChemin(poste, chemin);
        for (int i = 0; i < 2; ++i) {
            PassageJournal passage(poste, QStringLiteral("TestPlateauSeul"));
            passage.resultat(QStringLiteral("IR ok (pIR=31%)"));
            passage.fin();
        }
        QCOMPARE(poste.op.boites().size(), 1);
        const QString boite = poste.op.boites().first();
        QVERIFY2(boite.startsWith(kBoite.arg(chemin, erreur)), qPrintable(boite));
        QCOMPARE(poste.op.echanges.first().titre, QString("Journal de production"));
        QCOMPARE(Lit(chemin), avant);
    }

    // A folder that cannot be made: one box as well.
    void dossierImpossible() {
        QTemporaryDir dossier;
        QFile bouchon(dossier.filePath(QStringLiteral("calvanet")));
        QVERIFY(bouchon.open(QIODevice::WriteOnly));
        bouchon.close();
        const QString chemin = dossier.filePath(QStringLiteral("calvanet/journal.sqlite"));
        QString erreur;
        QVERIFY(!Journal::Enregistre(chemin, Exemple(), &erreur));
        QCOMPARE(erreur,
                 QStringLiteral("dossier impossible a creer: ") + dossier.filePath("calvanet"));
    }

    // The outcome of a run as the record tells it.
    void issues_data() {
        QTest::addColumn<QString>("deroulement");
        QTest::addColumn<QString>("attendu"); // issue|code_defaut
        QTest::newRow("fin, tout bon") << "ok fin"
                                       << "reussi|NULL";
        QTest::newRow("fin, une mesure HS") << "hs fin"
                                            << "echec|C3";
        QTest::newRow("arret avant la fin") << "ok arret"
                                            << "abandon|NULL";
        QTest::newRow("arret apres la fin") << "ok fin arret"
                                            << "reussi|NULL";
        QTest::newRow("carte absente") << "absente"
                                       << "echec|carte absente";
        QTest::newRow("exception") << "ok exception"
                                   << "interrompu|NULL";
        QTest::newRow("retour avant la fin") << "ok"
                                             << "interrompu|NULL";
    }
    void issues() {
        QFETCH(QString, deroulement);
        QFETCH(QString, attendu);
        PosteTest poste;
        const QString chemin = poste.fichier(QStringLiteral("journal.sqlite"));
        Journal::FixeChemin(poste, chemin);
        const QStringList pas = deroulement.split(' ');
        try {
            PassageJournal passage(poste, QStringLiteral("AttribueSNcarte"));
            for (const QString& p : pas) {
                if (p == "ok")
                    passage.resultat("IR ok (pIR=31%)",
                                     {{.nom = "IR pourcentage", .valeur = 31, .unite = "%"}});
                else if (p == "hs")
                    passage.resultat(
                        "IR HS (C3) puissance=200",
                        {{.nom = "IR puissance", .valeur = 200, .conforme = false, .code = "C3"}});
                else if (p == "fin")
                    passage.fin();
                else if (p == "arret")
                    poste.ArretDemande = true;
                else if (p == "absente")
                    passage.carteAbsente();
                else if (p == "exception")
                    throw std::runtime_error("fin");
            }
        } catch (const std::runtime_error&) {
        }
        QCOMPARE(Sqlite(chemin, "SELECT issue, coalesce(code_defaut, 'NULL') FROM passages"),
                 QStringList{attendu});
        QVERIFY(poste.op.boites().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TstJournal)
#include "tst_Journal.moc"
