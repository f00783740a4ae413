// The station started with `ft`: the shipped English base end to end (main
// window, password dialog, help windows), a missing base, an Access file, a
// new empty base that every window fills with its records, and a base
// converted from the older station through the whole sequence of its tools.
#include "BaseTest.h"
#include "ConversionJet.h"
#include "CreeBaseMessages.h"
#include "DialogMP.h"
#include "F1posteProgrammation.h"
#include "FenetresAide.h"
#include "FichierTrace.h"
#include "OperateurScripte.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <memory>

namespace {

// A caption as Qt draws it ("&&" draws one "&").
QString Affiche(const QString& legende) {
    return QString(legende).replace(QStringLiteral("&&"), QStringLiteral("&"));
}

struct Station {
    OperateurScripte op;
    QTemporaryDir traces;
    std::unique_ptr<F1posteProgrammation> f;

    Station() : f(std::make_unique<F1posteProgrammation>(op)) {
        f->poste().arretProcessus = [](int) {};
    }
    ~Station() { f.reset(); }
    void demarre(const QString& options) {
        f->Demarre(QStringLiteral("pp=") + traces.path() + QLatin1Char(' ') + options);
    }
    QString versionBox() const { return f->TexteVersionLogiciel(); }
};

} // namespace

class TstDemarrageTraduit : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        qputenv(
            "CALVANET_MOTS_DE_PASSE",
            (qEnvironmentVariable("CALVANET_SOURCE") + "/station/operateurs-demo.mdp").toUtf8());
    }
    void cleanup() {
        for (auto quelle : {FenetreAide::Programmation, FenetreAide::TestRails,
                            FenetreAide::TestPlateau, FenetreAide::AttributionMeuble})
            delete AideOuverte(quelle);
        FichierTraduction.clear();
    }

    void baseAnglaise() {
        BaseTest base(QStringLiteral("anglais.mdb"), false);
        QVERIFY(QFile::copy(qEnvironmentVariable("CALVANET_BUILD") + "/station/anglais.mdb",
                            base.chemin()));
        Station s;
        s.op.repond(QStringLiteral("demoy001"));
        s.demarre(QStringLiteral("ft=") + base.chemin());
        // The password dialog's heading is message 101, translated.
        QCOMPARE(s.op.echanges.size(), 1);
        QCOMPARE(s.op.dernier().texte,
                 QStringLiteral("type your operator password to reach the programming of the "
                                "tray cards"));

        F1posteProgrammation& f = *s.f;
        QCOMPARE(Affiche(f.BtVerifConnection->text()), QStringLiteral("Check the card connection"));
        QCOMPARE(f.BtVerifConnection->toolTip(),
                 QStringLiteral("tells whether a card is connected and gives its version + SN"));
        QCOMPARE(Affiche(f.BtAttribuSN->text()), QStringLiteral("ASSIGN a card SN (--> A50)"));
        QCOMPARE(f.findChild<QGroupBox*>("CadreCarte")->title(), QStringLiteral("Card"));
        QCOMPARE(Affiche(f.mnuFonctions->title()), QStringLiteral("functions"));
        QCOMPARE(Affiche(f.mnuVersionLogiciel->text()), QStringLiteral("software version & info"));
        QCOMPARE(Affiche(f.mnuCreationBaseMessages->text()),
                 QStringLiteral("Create the message base"));
        QCOMPARE(f.BtSTOP->toolTip(), QStringLiteral("End of the program"));
        QVERIFY(f.BtSTOP->text().isEmpty());
        // The window's own title is the station's, not translated.
        QCOMPARE(f.windowTitle(), QStringLiteral("Test Rails/ Programmation/  com1 op=Y"));
        QVERIFY(s.versionBox().endsWith(QStringLiteral("\rbase de traduction : anglais.mdb\r")));

        DialogMP d;
        QCOMPARE(d.Label1()->text(), QStringLiteral("press ENTER to confirm your entry"));

        QWidget* aide = OuvreAide(FenetreAide::Programmation, &f);
        QCOMPARE(aide->windowTitle(), QStringLiteral("Aide Programmer"));
        QCOMPARE(Affiche(aide->findChild<QPushButton*>("BtOK")->text()), QStringLiteral("Close"));
        const QStringList lignes = aide->findChild<QLabel*>("inf")->text().split('\n');
        QCOMPARE(lignes.value(0), QStringLiteral("PROGRAM and ASSIGN an SN to a tray card"));
        QCOMPARE(lignes.value(3), QStringLiteral("* switch the programmer off"));
        QWidget* meuble = OuvreAide(FenetreAide::AttributionMeuble, &f);
        QVERIFY(meuble->findChild<QLabel*>("inf")->text().startsWith(
            "ASSIGNING the tray cards to a COMPLETE CABINET\n"));
        QVERIFY(s.op.boites().isEmpty());
    }

    // A missing base: one box at start-up, then French everywhere, silently.
    void baseAbsente() {
        QTemporaryDir dossier;
        Station s;
        s.demarre(QStringLiteral("op=DEMOY001 ft=") + dossier.filePath("absente"));
        QCOMPARE(s.op.boites(),
                 QStringList({"le fichier de traduction : absente.mdb est introuvable"}));
        QCOMPARE(s.op.dernier().icone, Icone::Critique);
        QCOMPARE(Affiche(s.f->BtVerifConnection->text()),
                 QStringLiteral("Verif Connection avec la carte"));
        DialogMP d;
        OuvreAide(FenetreAide::TestRails, s.f.get());
        OuvreAide(FenetreAide::AttributionMeuble, s.f.get());
        QCOMPARE(s.op.boites().size(), 1);
        QVERIFY(!s.versionBox().contains(QStringLiteral("base de traduction")));
        QVERIFY(!QFile::exists(dossier.filePath("absente.mdb")));
    }

    // A real Access base given by `ft`: one box naming the conversion command.
    void baseAccess() {
        BaseTest base(QStringLiteral("trad.mdb"), false);
        QVERIFY(QFile::copy(QStringLiteral(CALVANET_ECHANTILLON_JET), base.chemin()));
        Station s;
        s.demarre(QStringLiteral("op=DEMOY001 ft=") + base.chemin());
        QCOMPARE(s.op.boites(),
                 QStringList({"le fichier de traduction : trad.mdb est une base Access (Jet) : "
                              "convertissez-la avec la commande\rcalvanet-convertitmdb \"" +
                              base.chemin() + "\""}));
        QCOMPARE(Affiche(s.f->BtAttribuSN->text()),
                 QStringLiteral("ATTRIBUER un SN carte (--> A50)"));
    }

    // A new empty base: after one start every window has recorded its
    // controls for the translators.
    void baseNeuve() {
        BaseTest base;
        Station s;
        s.demarre(QStringLiteral("op=DEMOY001 ft=") + base.chemin());
        QVERIFY(s.op.boites().isEmpty());
        QCOMPARE(base.sqlite3("SELECT DISTINCT Tformulaire FROM Traductions ORDER BY 1"),
                 QStringList({"AttributionMeuble", "DialogMP", "F1posteProgrammation", "F2Acceuil",
                              "F3aideTestRail", "F4aideAttributionMeuble", "F5aideTestPlateau"}));
        QCOMPARE(base.sqlite3("SELECT Ttype, tdefcaption FROM Traductions WHERE Tformulaire = "
                              "'AttributionMeuble' AND Tname = 'BtAttribuerCartes'"),
                 QStringList({"CommandButton|Attribuer les Cartes"}));
        QCOMPARE(base.sqlite3("SELECT Ttype, tdefcaption, tdeftooltiptext FROM Traductions "
                              "WHERE Tname = 'BtProgTestPlateau'"),
                 QStringList({"CommandButton|PROGRAMMER UNE CARTE|ce bouton permet d'ecrire le "
                              "programme initiale dans la carte (Boot+programme de test) à "
                              "l'aide du programme ICPROG.exe"}));
        QCOMPARE(base.sqlite3("SELECT Ttype, tdefcaption FROM Traductions "
                              "WHERE Tname = 'mnuCreationBaseMessages'"),
                 QStringList({"Menu|Creation Base de messages"}));
    }

    // The menu entry of the main window runs the message base tool on the
    // list beside the base, then the reload.
    // The cabinet window translates itself when the operator opens it.
    void fenetreMeubleTraduite() {
        BaseTest base;
        base.ajoute(QStringLiteral("AttributionMeuble"), QStringLiteral("CommandButton"),
                    QStringLiteral("BtAttribuerCartes"), QStringLiteral("Assign the cards"));
        Station s;
        s.demarre(QStringLiteral("op=DEMOY001 ft=") + base.chemin());
        QVERIFY(s.op.boites().isEmpty());
        s.f->BtAttribueMeuble->click();
        QPointer<QWidget> fenetre;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QStringLiteral("AttributionMeuble") && w->isVisible())
                fenetre = w;
        QVERIFY(fenetre);
        auto* bouton = fenetre->findChild<QPushButton*>(QStringLiteral("BtAttribuerCartes"));
        QVERIFY(bouton);
        QCOMPARE(Affiche(bouton->text()), QStringLiteral("Assign the cards"));
        QCOMPARE(fenetre->windowTitle(), QStringLiteral("Attribution Meuble"));
        fenetre->close();
    }

    // A window the base holds only in part (a translator's record) is not
    // rebuilt at start-up, but the windows it lacks are, and it records its
    // missing controls when the operator opens it: translators still find
    // every control.
    void baseEnPartieRemplie() {
        BaseTest base;
        base.ajoute(QStringLiteral("AttributionMeuble"), QStringLiteral("CommandButton"),
                    QStringLiteral("BtAttribuerCartes"), QStringLiteral("Assign the cards"));
        const QString sqlBtFin = QStringLiteral(
            "SELECT Ttype, tdefcaption FROM Traductions WHERE Tformulaire = 'AttributionMeuble' "
            "AND Tname = 'BtFin'");
        {
            Station s;
            s.demarre(QStringLiteral("op=DEMOY001 ft=") + base.chemin());
            QVERIFY(s.op.boites().isEmpty());
            QCOMPARE(
                base.sqlite3("SELECT DISTINCT Tformulaire FROM Traductions ORDER BY 1"),
                QStringList({"AttributionMeuble", "DialogMP", "F1posteProgrammation", "F2Acceuil",
                             "F3aideTestRail", "F4aideAttributionMeuble", "F5aideTestPlateau"}));
            s.f->BtAttribueMeuble->click();
            QCOMPARE(base.sqlite3(sqlBtFin), QStringList({"CommandButton|Fin"}));
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->objectName() == QStringLiteral("AttributionMeuble"))
                    w->close();
        }
        // A second start changes nothing in the base.
        const QStringList avant = base.sqlite3(
            "SELECT Tformulaire, Ttype, Tname, tdefcaption FROM Traductions ORDER BY rowid");
        Station s;
        s.demarre(QStringLiteral("op=DEMOY001 ft=") + base.chemin());
        QVERIFY(s.op.boites().isEmpty());
        QCOMPARE(
            base.sqlite3(
                "SELECT Tformulaire, Ttype, Tname, tdefcaption FROM Traductions ORDER BY rowid"),
            avant);
    }

    // A translator's older base: converted, listed, started, then the menu
    // entry. Its names are its own (messages named otherwise, windows and
    // controls in lower case) and every translation it held is still shown.
    void baseConvertie() {
        BaseTest base(QStringLiteral("trad.mdb"), false);
        TableJet ancienne;
        ancienne.colonnes = {"tformulaire",  "ttype",       "tname",           "tcaption",
                             "Ttooltiptext", "tdefcaption", "tdeftooltiptext", "tcommentaire",
                             "tDate",        "tFlagpassage"};
        const auto ligne = [&](const QString& f, const QString& t, const QString& n,
                               const QString& legende, const QString& defaut) {
            ancienne.lignes << QStringList{f, t, n, legende, "", defaut, "", "", "", "1"};
        };
        ligne("ModuleMsg", "msg00017", "Msg17", "last SN", "dernier SN");
        ligne("ModuleMsg", "msg00101", "Msg101", "type your password", "saisir le mot de passe");
        ligne("ModuleMsg", "msg00002", "TestEA", "EA test ....", "Test EA ....");
        ligne("modulemsg", "MSG00045", "msgArret", "Stop", "Arret");
        ligne("f1posteprogrammation", "commandbutton", "btverifconnection",
              "Check the card connection", "Verif Connection avec la carte");
        QString erreur;
        QVERIFY2(ConvertitTraductions(ancienne, base.chemin(), &erreur), qPrintable(erreur));
        const QString liste = base.dossier.filePath(kListeMessages);
        QVERIFY(RemplaceFichierTrace(
            liste,
            {"liste des messages", "|msg00017  |Msg17                         |dernier SN|"}));

        QProcess commande;
        commande.start(qEnvironmentVariable("CALVANET_BUILD") +
                           "/i18n/outils/calvanet-listemessages",
                       {"--remplace", base.chemin()});
        QVERIFY(commande.waitForFinished(20000));
        QCOMPARE(commande.exitCode(), 0);
        QCOMPARE(QDir(base.dossier.path()).entryList({"ListeMessagesCalvanet*"}).size(), 2);

        Station s;
        s.demarre(QStringLiteral("op=DEMOY001 ft=") + base.chemin());
        QVERIFY(s.op.boites().isEmpty());
        QCOMPARE(Affiche(s.f->BtVerifConnection->text()),
                 QStringLiteral("Check the card connection"));
        s.f->mnuCreationBaseMessages->trigger();
        const int listes = static_cast<int>(MessagesDefaut().size());
        QCOMPARE(s.op.boites().size(), 1);
        QVERIFY2(s.op.boites()[0].contains(
                     QStringLiteral("Nombre de messages Créés      : %1\r").arg(listes - 4) +
                     QStringLiteral("Nombre de messages supprimés :0")),
                 qPrintable(s.op.boites()[0]));
        QCOMPARE(Msg[17], QStringLiteral("last SN"));
        QCOMPARE(Msg[101], QStringLiteral("type your password"));
        QCOMPARE(Msg[2], QStringLiteral("EA test ...."));
        QCOMPARE(Msg[45], QStringLiteral("Stop"));
        QCOMPARE(base.sqlite3("SELECT Ttype, Tname, Tcaption FROM Traductions WHERE Tcaption "
                              "<> '' ORDER BY rowid"),
                 QStringList({"msg00017|DernierSn|last SN",
                              "msg00101|SaisirMotPasseUtilisateur|type your password",
                              "msg00002|TestEA|EA test ....", "msg00045|Arret|Stop",
                              "commandbutton|btverifconnection|Check the card connection"}));
        // The window's control kept its one record.
        QCOMPARE(base.sqlite3("SELECT count(*) FROM Traductions WHERE Tname = "
                              "'BtVerifConnection' COLLATE NOCASE"),
                 QStringList({"1"}));
    }

    void menuCreationBaseMessages() {
        BaseTest base;
        const QList<MessageDefaut> defauts = MessagesDefaut();
        QVERIFY(RemplaceFichierTrace(base.dossier.filePath(kListeMessages),
                                     LignesListeMessages(defauts, QStringLiteral("Liste"))));
        base.ajoute("ModuleMsg", "msg00017", "DernierSn", "last SN");
        Station s;
        s.demarre(QStringLiteral("op=DEMOY001 ft=") + base.chemin());
        QCOMPARE(Msg[17], QStringLiteral("last SN"));
        s.f->mnuCreationBaseMessages->trigger();
        QCOMPARE(s.op.boites().size(), 1);
        QVERIFY2(
            s.op.boites()[0].startsWith(
                QStringLiteral("base:") + base.chemin() +
                QStringLiteral("\rNombre de messages                : %1\r\r").arg(defauts.size())),
            qPrintable(s.op.boites()[0]));
        QVERIFY(s.op.boites()[0].contains(
            QStringLiteral("Nombre de messages Créés      : %1\r").arg(defauts.size() - 1)));
        // The translation entered before is kept and loaded again.
        QCOMPARE(Msg[17], QStringLiteral("last SN"));
        QCOMPARE(Msg[18], QStringLiteral("coller l'etiquette sous la carte"));
    }
};

QTEST_MAIN(TstDemarrageTraduit)
#include "tst_DemarrageTraduit.moc"
