#include "ModuleTraductions.h"
#include "OutilsExternes.h"
#include "Plateforme.h"
#include "PosteTest.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

// The buttons start a stand-in placed where the station looks for the real
// program; it writes down its working folder and argv.
class TstOutilsExternes : public QObject {
    Q_OBJECT

    struct Lancement {
        QString dossier;
        QString programme;
        QStringList arguments;
    };

    std::unique_ptr<QTemporaryDir> racine_;
    QByteArray homeAvant_, pathAvant_;

    QString chemin(const QString& relatif) const { return racine_->path() + "/" + relatif; }
    QString trace() const { return chemin("lancement.txt"); }

    static void placeTemoin(const QString& destination, bool executable = true) {
        QVERIFY(QDir().mkpath(QFileInfo(destination).absolutePath()));
        QVERIFY(QFile::copy(TEMOIN_PROGRAMME, destination));
        QFile::Permissions droits = QFile::ReadOwner | QFile::WriteOwner;
        if (executable)
            droits |= QFile::ExeOwner;
        QVERIFY(QFile::setPermissions(destination, droits));
    }

    Lancement attendLancement() const {
        if (!QTest::qWaitFor([&] { return QFile::exists(trace()); }, 20000))
            return {};
        QFile f(trace());
        if (!f.open(QIODevice::ReadOnly))
            return {};
        QStringList lignes = QString::fromLocal8Bit(f.readAll()).split('\n');
        lignes.removeLast(); // after the last line end
        if (lignes.size() < 2)
            return {};
        return {lignes.at(0), lignes.at(1), lignes.mid(2)};
    }

    static QString canonique(const QString& dossier) { return QDir(dossier).canonicalPath(); }

    // The station is started with the user's home in the test folder, so the
    // upload tool's fixed "c:\morvane\appli" lands there too.
    QString dossierTeleverseur() const { return chemin("maison de test/morvane/appli"); }

private slots:
    void init() {
        racine_ = std::make_unique<QTemporaryDir>();
        QVERIFY(racine_->isValid());
        homeAvant_ = qgetenv("HOME");
        pathAvant_ = qgetenv("PATH");
        QVERIFY(QDir().mkpath(chemin("maison de test")));
        QVERIFY(QDir().mkpath(chemin("bin")));
        qputenv("HOME", chemin("maison de test").toLocal8Bit());
        // No wine unless a test puts one there.
        qputenv("PATH", chemin("bin").toLocal8Bit());
        qputenv("TEMOIN_SORTIE", trace().toLocal8Bit());
        qunsetenv("TEMOIN_ATTENTE");
    }
    void cleanup() {
        qputenv("HOME", homeAvant_);
        qputenv("PATH", pathAvant_);
        qunsetenv("TEMOIN_SORTIE");
        qunsetenv("TEMOIN_ATTENTE");
        racine_.reset();
    }

    void programmeUneCarte_data() {
        QTest::addColumn<QString>("cheminProg");   // as typed on the command line
        QTest::addColumn<QString>("fichierProg");  // as typed
        QTest::addColumn<QString>("dossierLocal"); // where icprog.exe must be
        QTest::addColumn<QString>("fichierLocal");
        QTest::newRow("dossier simple") << "icProg105C"
                                        << "progCompletPlateau.hex"
                                        << "icProg105C"
                                        << "progCompletPlateau.hex";
        QTest::newRow("blancs et caracteres du shell")
            << "icProg 105C"
            << "mes progs/plateau $(touch pirate);|&'\".hex"
            << "icProg 105C"
            << "mes progs/plateau $(touch pirate);|&'\".hex";
        QTest::newRow("separateurs Windows") << "outils\\icProg105C"
                                             << "progs\\plateau v2.hex"
                                             << "outils/icProg105C"
                                             << "progs/plateau v2.hex";
    }
    void programmeUneCarte() {
        QFETCH(QString, cheminProg);
        QFETCH(QString, fichierProg);
        QFETCH(QString, dossierLocal);
        QFETCH(QString, fichierLocal);
        PosteTest poste;
        poste.reglages.CheminProg = racine_->path() + "/" + cheminProg;
        poste.reglages.FichierProg = racine_->path() + "/" + fichierProg;
        placeTemoin(chemin(dossierLocal + "/icprog.exe"));

        ProgrammeCarteIcprog(poste);

        const Lancement l = attendLancement();
        QCOMPARE(canonique(l.dossier), canonique(chemin(dossierLocal)));
        QCOMPARE(l.programme, chemin(dossierLocal + "/icprog.exe"));
        QCOMPARE(l.arguments, QStringList({"-l" + chemin(fichierLocal), "-p", "-i"}));
        QVERIFY(poste.op.echanges.isEmpty());
        QVERIFY(!QFile::exists(QDir::current().filePath("pirate")));
        QVERIFY(!QFile::exists(chemin(dossierLocal + "/pirate")));
    }

    void icprogSetupSansArgument() {
        PosteTest poste;
        poste.reglages.CheminProg = chemin("icProg 105C");
        placeTemoin(chemin("icProg 105C/icprog.exe"));

        BtProgrammateurSETUP_Click(poste);

        const Lancement l = attendLancement();
        QCOMPARE(canonique(l.dossier), canonique(chemin("icProg 105C")));
        QCOMPARE(l.programme, chemin("icProg 105C/icprog.exe"));
        QCOMPARE(l.arguments, QStringList());
        QVERIFY(poste.op.echanges.isEmpty());
    }

    void televerseurRecoitLePortEntier_data() {
        QTest::addColumn<QString>("portCarte");
        QTest::addColumn<QString>("argument");
        QTest::newRow("port 3") << "3:9600,n,8,1"
                                << "Com=3";
        QTest::newRow("port 12") << "12:9600,n,8,1"
                                 << "Com=12";
        QTest::newRow("peripherique") << "/dev/ttyUSB0:9600,n,8,1"
                                      << "Com=/dev/ttyUSB0";
    }
    void televerseurRecoitLePortEntier() {
        QFETCH(QString, portCarte);
        QFETCH(QString, argument);
        PosteTest poste;
        poste.reglages.PortCarte = portCarte;
        placeTemoin(dossierTeleverseur() + "/Televerseur.exe");

        BtUploader_Click(poste);

        const Lancement l = attendLancement();
        QCOMPARE(l.programme, dossierTeleverseur() + "/Televerseur.exe");
        QCOMPARE(l.arguments, QStringList{argument});
        QCOMPARE(canonique(l.dossier), canonique(dossierTeleverseur()));
        QVERIFY(poste.op.echanges.isEmpty());
    }

    // A .exe goes through wine when wine is there: wine gets the program
    // path, then the arguments, each still one argument.
    void exeParWine_data() {
        QTest::addColumn<int>("bouton");
        QTest::addColumn<QString>("exe");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("programmer une carte")
            << 0 << "icProg 105C/icprog.exe" << QStringList({"-l" + QString("PROG"), "-p", "-i"});
        QTest::newRow("uploader") << 1 << "maison de test/morvane/appli/Televerseur.exe"
                                  << QStringList({"Com=12"});
    }
    void exeParWine() {
        QFETCH(int, bouton);
        QFETCH(QString, exe);
        QFETCH(QStringList, arguments);
        PosteTest poste;
        poste.reglages.CheminProg = chemin("icProg 105C");
        poste.reglages.FichierProg = chemin("prog plateau.hex");
        poste.reglages.PortCarte = "12:9600,n,8,1";
        arguments.replaceInStrings("PROG", chemin("prog plateau.hex"));
        placeTemoin(chemin(exe));
        placeTemoin(chemin("bin/wine"));

        if (bouton == 0)
            ProgrammeCarteIcprog(poste);
        else
            BtUploader_Click(poste);

        const Lancement l = attendLancement();
        QCOMPARE(l.programme, chemin("bin/wine"));
        QCOMPARE(l.arguments, QStringList{chemin(exe)} + arguments);
        QCOMPARE(canonique(l.dossier), canonique(QFileInfo(chemin(exe)).absolutePath()));
    }

    // The station goes on while the programmer still runs.
    void neJamaisAttendreLeProgramme() {
        PosteTest poste;
        poste.reglages.CheminProg = chemin("icProg105C");
        placeTemoin(chemin("icProg105C/icprog.exe"));
        qputenv("TEMOIN_ATTENTE", chemin("libere").toLocal8Bit());

        ProgrammeCarteIcprog(poste);

        QVERIFY(!attendLancement().programme.isEmpty());
        QVERIFY(!QFile::exists(trace() + ".fin")); // still running after we returned
        QFile(chemin("libere")).open(QIODevice::WriteOnly);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(trace() + ".fin"), 20000);
    }

    void televerseurAbsent() {
        PosteTest poste;
        poste.reglages.PortCarte = "3:9600,n,8,1";
        BtUploader_Click(poste);
        QCOMPARE(poste.op.echanges.size(), 1);
        const auto& boite = poste.op.dernier();
        QCOMPARE(boite.genre, OperateurScripte::Genre::Boite);
        QCOMPARE(boite.texte, Msg[100] + " " + dossierTeleverseur() + "/Televerseur.exe");
        QCOMPARE(boite.titre, QString());
        QCOMPARE(boite.icone, Icone::Aucune);
    }

    void televerseurImpossibleALancer() {
        PosteTest poste;
        placeTemoin(dossierTeleverseur() + "/Televerseur.exe", false);
        BtUploader_Click(poste);
        QCOMPARE(poste.op.boites().size(), 1);
        QVERIFY2(poste.op.boites().first().startsWith(QString::fromUtf8("Erreur n° 75 ")),
                 qPrintable(poste.op.boites().first()));
        QCOMPARE(poste.op.dernier().titre, QString());
    }

    // The programmer buttons name what they could not start. "@" stands for
    // the test folder, "MSG100" for message 100.
    void icprogAbsentOuImpossible_data() {
        QTest::addColumn<bool>("present");
        QTest::addColumn<int>("bouton");
        QTest::addColumn<QString>("debut");
        QTest::addColumn<QString>("commande");
        QTest::newRow("programmer, absent")
            << false << 0 << "MSG100 @/icProg 105C/icprog.exe"
            << "ligne de commande : \"@/icProg 105C/icprog.exe\" \"-l@/prog plateau.hex\" -p -i";
        QTest::newRow("setup, absent") << false << 1 << "MSG100 @/icProg 105C/icprog.exe"
                                       << "ligne de commande : \"@/icProg 105C/icprog.exe\"";
        QTest::newRow("programmer, pas executable")
            << true << 0 << QString::fromUtf8("Erreur n° 75 ")
            << "ligne de commande : \"@/icProg 105C/icprog.exe\" \"-l@/prog plateau.hex\" -p -i";
    }
    void icprogAbsentOuImpossible() {
        QFETCH(bool, present);
        QFETCH(int, bouton);
        QFETCH(QString, debut);
        QFETCH(QString, commande);
        debut.replace("MSG100", Msg[100]).replace("@", racine_->path());
        commande.replace("@", racine_->path());
        PosteTest poste;
        poste.reglages.CheminProg = chemin("icProg 105C");
        poste.reglages.FichierProg = chemin("prog plateau.hex");
        if (present)
            placeTemoin(chemin("icProg 105C/icprog.exe"), false);

        if (bouton == 0)
            ProgrammeCarteIcprog(poste);
        else
            BtProgrammateurSETUP_Click(poste);

        QCOMPARE(poste.op.boites().size(), 1);
        const QStringList lignes = poste.op.boites().first().split('\n');
        QCOMPARE(lignes.size(), 2);
        QVERIFY2(lignes.at(0).startsWith(debut), qPrintable(lignes.at(0)));
        QCOMPARE(lignes.at(1), commande);
        QCOMPARE(poste.op.dernier().titre, QString());
    }
};

QTEST_GUILESS_MAIN(TstOutilsExternes)
#include "tst_OutilsExternes.moc"
