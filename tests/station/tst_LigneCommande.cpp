// Option lookup, printer target, translation database name, help text.
#include "LigneCommande.h"
#include "ModuleTraductions.h"
#include "Plateforme.h"

#include <QTest>

class TstLigneCommande : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { ChargeMessagesDefaut(); }

    void rechParam_data() {
        QTest::addColumn<QString>("ligne");
        QTest::addColumn<QString>("cle");
        QTest::addColumn<QString>("defaut");
        QTest::addColumn<QString>("attendu");
        QTest::newRow("valeur en majuscules") << "com=3 op=abc"
                                              << "op"
                                              << ""
                                              << "ABC";
        QTest::newRow("cle en minuscules dans la ligne") << "COM=3"
                                                         << "com"
                                                         << "1"
                                                         << "3";
        QTest::newRow("cle dans un autre mot") << "xcom=4 op=1"
                                               << "com"
                                               << "1"
                                               << "4";
        QTest::newRow("premiere occurrence") << "com=5 com=6"
                                             << "com"
                                             << "1"
                                             << "5";
        QTest::newRow("coupee au premier espace") << "fp=c:\\my prog.hex"
                                                  << "fp"
                                                  << ""
                                                  << "C:\\MY";
        QTest::newRow("espaces apres egal") << "us=   b  op=1"
                                            << "us"
                                            << "0"
                                            << "B";
        QTest::newRow("derniere de la ligne") << "op=1 nc=xyzw"
                                              << "nc"
                                              << "A50"
                                              << "XYZW";
        QTest::newRow("absente: defaut nettoye, casse gardee") << "com=1"
                                                               << "pp"
                                                               << " C:\\morvane\\appli\\icProg105C "
                                                               << "C:\\morvane\\appli\\icProg105C";
        QTest::newRow("valeur vide") << "op= com=2"
                                     << "op"
                                     << "x"
                                     << "COM=2";
        QTest::newRow("cle sans egal ignoree") << "com 3"
                                               << "com"
                                               << "1"
                                               << "1";
    }
    void rechParam() {
        QFETCH(QString, ligne);
        QFETCH(QString, cle);
        QFETCH(QString, defaut);
        QFETCH(QString, attendu);
        QCOMPARE(RechParamLigneCde(ligne, cle, defaut), attendu);
    }

    // Paths and device paths keep their case where file names depend on it.
    void casseDesChemins() {
        const QString ligne = QStringLiteral("pp=/home/Banc/IcProg com=/dev/ttyUSB0 "
                                             "portImp=/dev/usb/Lp0 us=a");
        const bool garde = Plateforme::CasseSignificative();
        QCOMPARE(RechParamLigneCdeChemin(ligne, "pp", {}),
                 garde ? QStringLiteral("/home/Banc/IcProg") : QStringLiteral("/HOME/BANC/ICPROG"));
        QCOMPARE(RechParamLigneCdePort(ligne, "com", "1"),
                 garde ? QStringLiteral("/dev/ttyUSB0") : QStringLiteral("/DEV/TTYUSB0"));
        QCOMPARE(RechParamLigneCdePort(ligne, "portImp", "2"),
                 garde ? QStringLiteral("/dev/usb/Lp0") : QStringLiteral("/DEV/USB/LP0"));
        QCOMPARE(RechParamLigneCdePort("portImp=lpt1", "portImp", "2"), QStringLiteral("LPT1"));
        QCOMPARE(RechParamLigneCdeChemin("fp=c:\\my prog.hex", "fp", {}),
                 garde ? QStringLiteral("c:\\my") : QStringLiteral("C:\\MY"));
    }

    void portImp_data() {
        QTest::addColumn<QString>("valeur");
        QTest::addColumn<QString>("portImp");
        QTest::addColumn<QString>("adresse");
        QTest::addColumn<QString>("portTcp");
        QTest::newRow("defaut 2") << "2"
                                  << "COM2"
                                  << ""
                                  << "";
        QTest::newRow("numero 3") << "3"
                                  << "COM3"
                                  << ""
                                  << "";
        QTest::newRow("numero 12") << "12"
                                   << "COM12"
                                   << ""
                                   << "";
        QTest::newRow("numero trop long") << "123"
                                          << ""
                                          << ""
                                          << "";
        QTest::newRow("COM4") << "COM4"
                              << "COM4"
                              << ""
                              << "";
        QTest::newRow("LPT1") << "LPT1"
                              << "LPT1"
                              << ""
                              << "";
        QTest::newRow("TCP") << "TCP10.0.0.2:6667"
                             << "TCP10.0.0.2:6667"
                             << "10.0.0.2"
                             << "6667";
        QTest::newRow("TCP sans port") << "TCPIMPRIMANTE"
                                       << "TCPIMPRIMANTE"
                                       << ""
                                       << "";
        QTest::newRow("PRN") << "PRN"
                             << ""
                             << ""
                             << "";
        QTest::newRow("vide") << ""
                              << ""
                              << ""
                              << "";
        QTest::newRow("peripherique") << "/dev/usb/lp0"
                                      << "/dev/usb/lp0"
                                      << ""
                                      << "";
    }
    void portImp() {
        QFETCH(QString, valeur);
        const CibleImprimante c = AnalysePortImp(valeur);
        QTEST(c.portImp, "portImp");
        QTEST(c.adresse, "adresse");
        QTEST(c.portTcp, "portTcp");
    }

    void baseTraduction_data() {
        QTest::addColumn<QString>("valeur");
        QTest::addColumn<QString>("dossier");
        QTest::addColumn<QString>("fichier");
        QTest::newRow("aucune") << ""
                                << ""
                                << "";
        QTest::newRow("nom seul") << "TRAD"
                                  << "/opt/calvanet/"
                                  << "TRAD.mdb";
        QTest::newRow("extension gardee") << "TRAD.MDB"
                                          << "/opt/calvanet/"
                                          << "TRAD.MDB";
        QTest::newRow("chemin windows") << "D:\\LANG\\TRAD.MDB"
                                        << "D:\\LANG\\"
                                        << "TRAD.MDB";
        QTest::newRow("chemin posix") << "/srv/lang/trad"
                                      << "/srv/lang/"
                                      << "trad.mdb";
        QTest::newRow("autre extension") << "/srv/lang/anglais.sqlite"
                                         << "/srv/lang/"
                                         << "anglais.sqlite";
        QTest::newRow("point dans le dossier") << "/srv/lang.v2/trad"
                                               << "/srv/lang.v2/"
                                               << "trad.mdb";
    }
    void baseTraduction() {
        QFETCH(QString, valeur);
        const BaseTraduction b = AnalyseFt(valeur, QStringLiteral("/opt/calvanet"));
        QTEST(b.dossier, "dossier");
        QTEST(b.fichier, "fichier");
    }

    void aide() {
        const QString texte = TexteAideLigneCde();
        QVERIFY(texte.endsWith('\r'));
        const QStringList lignes = texte.chopped(1).split('\r');
        QCOMPARE(lignes.size(), 11);
        QCOMPARE(lignes[0], Msg[104]);
        QCOMPARE(lignes[1], QStringLiteral("   pp : ") + Msg[105] + " ICPROG.exe");
        QCOMPARE(lignes[3], QStringLiteral("   com :") + Msg[107] + "  (1)");
        QCOMPARE(lignes[5], QStringLiteral("   nc : ") + Msg[109] + "  (Z1)");
        QCOMPARE(lignes[7], QStringLiteral("   portImp : ") + Msg[112] +
                                " TLP2642  (COM1, COM2 ... , LPT1, LPT2 ..., TCP192.168.0.2:6667)");
        QCOMPARE(lignes[9], QStringLiteral("   ?  : affiche cette aide pour le parametrage"));
        QCOMPARE(lignes[10],
                 QStringLiteral("   portsrv : n° du port d'ecoute pour le serveur Imprimante Etq"));
    }

    void ligneDepuisArguments() {
        QCOMPARE(LigneCommande({"calvanet"}), QString());
        QCOMPARE(LigneCommande({"calvanet", "com=3", "fp=c:\\my prog.hex"}),
                 QStringLiteral("com=3 fp=c:\\my prog.hex"));
    }
};

QTEST_GUILESS_MAIN(TstLigneCommande)
#include "tst_LigneCommande.moc"
