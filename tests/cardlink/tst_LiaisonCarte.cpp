// The card link through a real pseudo-terminal: the station's QSerialPort on
// one side, the simulated card bus on the other.
#include "BancCarte.h"
#include "LiaisonCarte.h"
#include "ModuleTraductions.h"
#include "Plateforme.h"
#include "Temps.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QtTest>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Reply frame as a card sends it: "/" + head + data + checksum + CR.
QByteArray Trame(const QByteArray& teteEtDonnees) {
    return '/' + teteEtDonnees + CalculCSmorvane2(teteEtDonnees) + '\r';
}

} // namespace

class TstLiaisonCarte : public QObject, private BancCarte<> {
    Q_OBJECT

    QString reglage() const { return PortCarteDuBus(*bus); }

private slots:
    void init() {
        QVERIFY(demarre());
        // The retry pause is timed here at its real length.
        poste->AccelerePauses(1);
        bus->ajouteCarte(CarteSimulee{});
    }
    void cleanup() {
        if (poste)
            FermePortcarte(*poste);
        arrete();
    }

    // The exact bytes on the wire.
    void trameV() {
        OuvrePortCarte(*poste, reglage());
        EnvoiCdeMorvane2(*poste, "V##");
        QVERIFY(bus->attendCommandes(1, 2000));
        const QByteArray attendu("\x1bV##64\r");
        QCOMPARE(bus->journal().last().brut, attendu);
        QCOMPARE(bus->commandes(), QList<QByteArray>{"V##"});
        QCOMPARE(attendu.size(), 7);
        const QList<int> octets{27, 86, 35, 35, 54, 52, 13};
        for (int i = 0; i < 7; ++i)
            QCOMPARE(static_cast<unsigned char>(attendu.at(i)), octets.at(i));
    }

    // Frames are bytes: a character past 127 goes out as one byte.
    void trameOctetHaut() {
        OuvrePortCarte(*poste, reglage());
        EnvoiCdeMorvane2(*poste, QByteArray("VA\x94"));
        QVERIFY(bus->attendCommandes(1, 2000));
        QCOMPARE(bus->journal().last().brut, QByteArray("\x1bVA\x94"
                                                        "D5\r"));
        QVERIFY(bus->journal().last().checkSumOk);
    }

    void reponses_data() {
        QTest::addColumn<QByteArray>("octets"); // what the card sends to V##
        QTest::addColumn<QByteArray>("attendu");
        QTest::addColumn<int>("trames"); // frames the station sent
        QTest::newRow("bonne") << Trame("hXYZ") << QByteArray("XYZ") << 1;
        QTest::newRow("sans donnees") << Trame("h") << QByteArray() << 1;
        QTest::newRow("checksum faux")
            << QByteArray("/hXYZ00\r") << QByteArray("Err: check sum incorrecte") << 2;
        QTest::newRow("checksum minuscule")
            << QByteArray("/hXYZ") + CalculCSmorvane2("hXYZ").toLower() + '\r'
            << QByteArray("Err: check sum incorrecte") << 2;
        QTest::newRow("sans slash")
            << Trame("hXYZ").mid(1) << QByteArray("Err: ne commence pas par '/'") << 2;
        QTest::newRow("deux caracteres")
            << QByteArray("/h\r") << QByteArray("Err: check sum incorrecte") << 2;
        QTest::newRow("trois caracteres")
            << QByteArray("/h0\r") << QByteArray("Err: check sum incorrecte") << 2;
        QTest::newRow("un caractere") << QByteArray("/\r") << QByteArray("Err: Time Out") << 2;
        QTest::newRow("rien") << QByteArray() << QByteArray("Err: Time Out") << 2;
        QTest::newRow("octets hauts") << Trame("h\xe9\x94\xff") << QByteArray("\xe9\x94\xff") << 1;
    }
    void reponses() {
        QFETCH(QByteArray, octets);
        QFETCH(QByteArray, attendu);
        QFETCH(int, trames);
        bus->modifieCartes([&](std::vector<CarteSimulee>& v) {
            if (octets.isEmpty())
                v.front().muette = true;
            else
                v.front().octetsImposes.insert("V##", octets);
        });
        OuvrePortCarte(*poste, reglage());
        QCOMPARE(EnvoiEtReponseMorvane2(*poste, "V##", 200), attendu);
        const QList<EvenementBus> j = bus->journal();
        QList<double> instants;
        for (const auto& e : j)
            if (e.genre == EvenementBus::Genre::Trame)
                instants << e.instantMs;
        QCOMPARE(instants.size(), trames);
        if (trames == 2) {
            // The retry comes after the failed read and the 0.4 s pause.
            const double ecart = instants[1] - instants[0];
            QVERIFY2(ecart >= 400, qPrintable(QString::number(ecart)));
            QVERIFY2(ecart < 2000, qPrintable(QString::number(ecart)));
        }
    }

    void retardeeAuDeuxiemeEssai() {
        bus->modifieCartes([](std::vector<CarteSimulee>& v) {
            v.front().repondAuDeuxiemeEssai = true;
            v.front().reponsesImposees.insert("V##", "hOK");
        });
        OuvrePortCarte(*poste, reglage());
        QCOMPARE(EnvoiEtReponseMorvane2(*poste, "V##", 200), QByteArray("OK"));
        QCOMPARE(bus->commandes().size(), 2);
    }

    // The reader stops at the first CR and leaves the rest waiting.
    void lectureJusquauPremierCR() {
        OuvrePortCarte(*poste, reglage());
        bus->injecte(Trame("aUN") + Trame("bDEUX"));
        QCOMPARE(LectRepMorvane2(*poste, 1000), QByteArray("UN"));
        QCOMPARE(LectRepMorvane2(*poste, 1000), QByteArray("DEUX"));
        QCOMPARE(lectReponseAutomate(*poste, 50), QByteArray());
    }

    // Characters the system already holds are read even with no time left
    // (the roll call of a rail bench computes 1200 - 20 x card number).
    void lectureSansDelaiRestant() {
        OuvrePortCarte(*poste, reglage());
        bus->injecte(Trame("aDEJA"));
        QThread::msleep(100); // in the kernel's buffer, not yet in the port object's
        QCOMPARE(LectRepMorvane2(*poste, 1200 - 20 * 100), QByteArray("DEJA"));
    }

    // The wait processes no window events: a timer due at once stays pending.
    void attenteSansEvenements() {
        bus->modifieCartes([](std::vector<CarteSimulee>& v) { v.front().muette = true; });
        OuvrePortCarte(*poste, reglage());
        bool declenche = false;
        QTimer::singleShot(0, [&] { declenche = true; });
        QCOMPARE(LectRepMorvane2(*poste, 100), QByteArray("Err: Time Out"));
        QVERIFY(!declenche);
        QTRY_VERIFY(declenche);
    }

    void delaiDepasse() {
        bus->modifieCartes([](std::vector<CarteSimulee>& v) { v.front().muette = true; });
        OuvrePortCarte(*poste, reglage());
        const double debut = get_exact_milli_second();
        QCOMPARE(lectReponseAutomate(*poste, 200), QByteArray());
        const double duree = get_exact_milli_second() - debut;
        QVERIFY2(duree >= 199 && duree < 1500, qPrintable(QString::number(duree)));
    }

    // A reply arriving after its command was given up must not be read as
    // the reply to the next command.
    void reponsePerimeeEcartee() {
        bus->modifieCartes([](std::vector<CarteSimulee>& v) {
            v.front().reponsesImposees.insert("V##", "vANCIENNE");
            v.front().reponsesImposees.insert("W##L01", "w065");
            v.front().reponseDoublee = true;
        });
        OuvrePortCarte(*poste, reglage());
        QCOMPARE(EnvoiEtReponseMorvane2(*poste, "V##", 200), QByteArray("ANCIENNE"));
        QTest::qWait(50); // the duplicate is now waiting in the port
        QCOMPARE(EnvoiEtReponseMorvane2(*poste, "W##L01", 200), QByteArray("065"));
    }

    void reponseTardiveEcartee() {
        bus->modifieCartes([](std::vector<CarteSimulee>& v) {
            v.front().delaiReponseMs = 300;
            v.front().reponsesImposees.insert("V##", "vTARD");
        });
        OuvrePortCarte(*poste, reglage());
        QCOMPARE(LectRepMorvane2(*poste, 0), QByteArray("Err: Time Out"));
        EnvoiCdeMorvane2(*poste, "V##");
        QCOMPARE(LectRepMorvane2(*poste, 100), QByteArray("Err: Time Out"));
        QTest::qWait(300);
        bus->modifieCartes([](std::vector<CarteSimulee>& v) {
            v.front().delaiReponseMs = 3;
            v.front().reponsesImposees.insert("V##", "vNOUVELLE");
        });
        QCOMPARE(EnvoiEtReponseMorvane2(*poste, "V##", 200), QByteArray("NOUVELLE"));
    }

    void ouvertureEtReglages() {
        poste->ArretDemande = true;
        OuvrePortCarte(*poste, reglage());
        QVERIFY(PortCarteEstOuvert(*poste));
        QCOMPARE(LiaisonCarte::de(*poste).port().baudRate(), 9600);
        QCOMPARE(LiaisonCarte::de(*poste).port().parity(), QSerialPort::NoParity);
        QCOMPARE(LiaisonCarte::de(*poste).port().dataBits(), QSerialPort::Data8);
        QCOMPARE(LiaisonCarte::de(*poste).port().stopBits(), QSerialPort::OneStop);
        QVERIFY(!poste->ArretDemande);
        QVERIFY(poste->op.echanges.isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(bus->portOuvert(), 2000);

        // Opening again keeps the same port, without a word.
        OuvrePortCarte(*poste, reglage());
        QVERIFY(poste->op.echanges.isEmpty());
        FermePortcarte(*poste);
        QVERIFY(!PortCarteEstOuvert(*poste));
        QTRY_VERIFY_WITH_TIMEOUT(!bus->portOuvert(), 2000);
        FermePortcarte(*poste); // closed already: nothing happens, nothing shown
        QVERIFY(poste->op.echanges.isEmpty());
        QCOMPARE(bus->deroulement(), (QList<QByteArray>{"ouverture", "fermeture"}));
    }

    void changementDePortOuvert() {
        OuvrePortCarte(*poste, reglage());
        OuvrePortCarte(*poste, QStringLiteral("/dev/null/autre:9600,n,8,1"));
        QCOMPARE(poste->op.boites(), QStringList{"Erreur non fatale dans OuvrePortCarte"});
        QVERIFY(PortCarteEstOuvert(*poste));
        QVERIFY(!EstErreur(EnvoiEtReponseMorvane2(*poste, "V##", 200))); // still the card's port
        QCOMPARE(poste->finsDemandees, 0);
    }

    void reglageSansDeuxPoints() {
        OuvrePortCarte(*poste, reglage());
        OuvrePortCarte(*poste, QStringLiteral("3"));
        QCOMPARE(poste->op.boites(), QStringList{"Erreur non fatale dans OuvrePortCarte"});
        QVERIFY(PortCarteEstOuvert(*poste));
    }

    void echecsOuverture_data() {
        QTest::addColumn<QString>("genre");
        QTest::newRow("n'existe pas") << "absent";
        QTest::newRow("deja utilise") << "occupe";
        QTest::newRow("port 7 absent") << "numero";
        QTest::newRow("port 0") << "zero";
        QTest::newRow("port pas un nombre") << "lettres";
        QTest::newRow("pas un port serie") << "autre";
    }
    void echecsOuverture() {
        QFETCH(QString, genre);
        QTemporaryDir dossier;
        QString port = dossier.filePath(QStringLiteral("absent"));
        QString attendu =
            QStringLiteral("Le port COM carte ") + port + QStringLiteral(" n'existe pas");
        QSerialPort autre;
        if (genre == "occupe") {
            port = bus->cheminPeripherique();
            autre.setPortName(port);
            QVERIFY(autre.open(QIODevice::ReadWrite));
            attendu =
                QStringLiteral("Le port COM carte ") + port + QStringLiteral(" est déja utilisé");
        } else if (genre == "numero") {
            if (QFileInfo::exists(Plateforme::PeripheriqueSerie(QStringLiteral("7"))))
                QSKIP("this machine has a port 7");
            port = QStringLiteral("7");
            attendu = QStringLiteral("Le port COM carte 7 n'existe pas");
        } else if (genre == "zero" || genre == "lettres") {
            // Never the first port of the machine.
            port = genre == "zero" ? QStringLiteral("0") : QStringLiteral("X");
            attendu = QStringLiteral("Le port COM carte ") + port + QStringLiteral(" n'existe pas");
        } else if (genre == "autre") {
            port = QStringLiteral("/dev/null");
        }
        bool fin = false;
        try {
            OuvrePortCarte(*poste, port + QStringLiteral(":9600,n,8,1"));
        } catch (const FinProgrammeDemandee&) {
            fin = true;
        }
        QVERIFY(fin);
        QCOMPARE(poste->finsDemandees, 1);
        QCOMPARE(poste->codeFin, kFinEchec);
        QCOMPARE(poste->op.echanges.size(), 1);
        const auto& boite = poste->op.echanges.first();
        QCOMPARE(boite.titre, Msg[115]);
        QCOMPARE(boite.titre, QStringLiteral("Erreur ouverture port carte"));
        QCOMPARE(boite.icone, Icone::Exclamation);
        if (genre == "autre") {
            // The system's own reason, its number, and the port.
            QVERIFY2(
                QRegularExpression(QStringLiteral("^.+  \\(erreur n°\\d+\\) sur COM/dev/null$"))
                    .match(boite.texte)
                    .hasMatch(),
                qPrintable(boite.texte));
        } else {
            QCOMPARE(boite.texte, attendu);
        }
        QVERIFY(!PortCarteEstOuvert(*poste));
    }

    // Every shape of lock file beside the card port, and who has the device
    // open. Only a program that really holds the device (or is taking it,
    // its lock file open) makes the port busy; any other lock is removed
    // and the port opens at once, whatever the lock says and however young.
    void verrouLaisse_data() {
        QTest::addColumn<QString>("verrou"); // what the lock file holds
        QTest::addColumn<QString>("qui");    // which program has what open
        QTest::addColumn<bool>("occupe");
        QTest::newRow("vide, poste tue en l'ecrivant") << "vide"
                                                       << "personne" << false;
        QTest::newRow("illisible") << "dechets"
                                   << "personne" << false;
        QTest::newRow("processus mort") << "mort"
                                        << "personne" << false;
        // Our own number and name: the serial library alone would wait.
        QTest::newRow("processus vivant sans le port") << "nous"
                                                       << "personne" << false;
        QTest::newRow("vide, port tenu") << "vide"
                                         << "port" << true;
        QTest::newRow("processus vivant, port tenu") << "nous"
                                                     << "port" << true;
        QTest::newRow("sans verrou, port tenu") << "aucun"
                                                << "port" << true;
        QTest::newRow("vide, poste en train d'ouvrir") << "vide"
                                                       << "verrou" << true;
    }
    void verrouLaisse() {
        QFETCH(QString, verrou);
        QFETCH(QString, qui);
        QFETCH(bool, occupe);
        const QString port = bus->cheminPeripherique();
        const QString fichier = Plateforme::FichierVerrouSerie(port);
        QVERIFY(!fichier.isEmpty());
        QFile::remove(fichier);
        if (verrou != QLatin1String("aucun")) {
            QByteArray contenu;
            if (verrou == QLatin1String("dechets"))
                contenu = QByteArray("\x01\xff#zz\n\x7f", 7);
            if (verrou == QLatin1String("nous"))
                contenu = QByteArray::number(QCoreApplication::applicationPid()) + '\n' +
                          QCoreApplication::applicationName().toLocal8Bit() + '\n' +
                          QSysInfo::machineHostName().toLocal8Bit() + '\n';
            if (verrou == QLatin1String("mort")) {
                QProcess fini;
                fini.start(QStringLiteral("true"));
                QVERIFY(fini.waitForFinished(10000));
                contenu = QByteArray::number(fini.processId()) + "\ncalvanet\n" +
                          QSysInfo::machineHostName().toLocal8Bit() + '\n';
            }
            QFile f(fichier);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(contenu);
        }
        // Another program: a device or lock open as its input, nothing else.
        QProcess autre;
        if (qui != QLatin1String("personne")) {
            autre.setStandardInputFile(qui == QLatin1String("port") ? port : fichier);
            autre.start(QStringLiteral("sleep"), {QStringLiteral("60")});
            QVERIFY(autre.waitForStarted(10000));
        }
        bool fin = false;
        try {
            OuvrePortCarte(*poste, reglage());
        } catch (const FinProgrammeDemandee&) {
            fin = true;
        }
        autre.kill();
        autre.waitForFinished(10000);
        if (!occupe) {
            QCOMPARE(poste->op.boites(), QStringList{});
            QVERIFY(PortCarteEstOuvert(*poste));
            QVERIFY(!fin);
            EnvoiCdeMorvane2(*poste, "V##");
            QVERIFY(bus->attendCommandes(1, 2000));
            FermePortcarte(*poste);
            QVERIFY(!QFile::exists(fichier)); // the library's own, gone with the port
        } else {
            QVERIFY(fin);
            QCOMPARE(poste->op.boites(), QStringList{QStringLiteral("Le port COM carte ") + port +
                                                     QStringLiteral(" est déja utilisé")});
            QCOMPARE(QFile::exists(fichier), verrou != QLatin1String("aucun")); // left as it was
            QFile::remove(fichier);
        }
    }
};

QTEST_GUILESS_MAIN(TstLiaisonCarte)
#include "tst_LiaisonCarte.moc"
