// Windows translated from a real SQLite translation database in a temporary
// folder: records added for the controls not found, translations applied,
// messages loaded, and every failure reported once while the window stays
// in French.
#include "BaseTest.h"
#include "DialogMP.h"
#include "F2Acceuil.h"
#include "F4aideAttributionMeuble.h"
#include "FenetresAide.h"
#include "OperateurScripte.h"
#include "TraduitFeuille.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>
#include <memory>

namespace {

// A caption as Qt draws it ("&&" draws one "&").
QString Affiche(const QString& legende) {
    return QString(legende).replace(QStringLiteral("&&"), QStringLiteral("&"));
}

template <class T> T* Ajoute(QWidget* parent, const QString& nom) {
    auto* w = new T(parent);
    w->setObjectName(nom);
    parent->layout()->addWidget(w);
    return w;
}

// A window holding one control of every kind, in this order.
struct FenetreEssai : QWidget {
    explicit FenetreEssai(const QString& nom) {
        setObjectName(nom);
        setWindowTitle(QStringLiteral("Fenetre d'essai"));
        new QVBoxLayout(this);
        auto* barre = Ajoute<QMenuBar>(this, {});
        QMenu* menu = barre->addMenu(QStringLiteral("Fichier"));
        menu->setObjectName(QStringLiteral("mnuFichier"));
        menu->addAction(QStringLiteral("Quitter"))->setObjectName(QStringLiteral("mnuQuitter"));
        auto* cadre = Ajoute<QGroupBox>(this, QStringLiteral("Cadre1"));
        cadre->setTitle(QStringLiteral("Carte"));
        cadre->setLayout(new QVBoxLayout);
        auto* bouton = Ajoute<QPushButton>(cadre, QStringLiteral("BtOk"));
        bouton->setText(QStringLiteral("Valider"));
        bouton->setToolTip(QStringLiteral("valide la saisie"));
        auto* texte = Ajoute<QLineEdit>(this, QStringLiteral("TxtNom"));
        texte->setText(QStringLiteral("A50"));
        auto* choix = Ajoute<QComboBox>(this, QStringLiteral("CboType"));
        choix->setEditable(true);
        choix->setEditText(QStringLiteral("R08"));
        Ajoute<QCheckBox>(this, QStringLiteral("ChkEtq"))->setText(QStringLiteral("Etiquette"));
        Ajoute<QRadioButton>(this, QStringLiteral("OptCom"))->setText(QStringLiteral("Port serie"));
        for (int i = 1; i <= 2; ++i) {
            auto* l = Ajoute<QLabel>(this, QStringLiteral("Label1"));
            l->setText(QStringLiteral("Plateau %1").arg(i));
            DefinitIndexControle(l, i);
        }
        Ajoute<QLabel>(this, QStringLiteral("LblVide"));
        auto* image = Ajoute<QLabel>(this, QStringLiteral("Image1"));
        QPixmap p(8, 8);
        p.fill(Qt::red);
        image->setPixmap(p);
        image->setToolTip(QStringLiteral("photo du banc"));
        Ajoute<QListWidget>(this, QStringLiteral("ListeCartes"))->addItem(QStringLiteral("A1"));
        (new QTimer(this))->setObjectName(QStringLiteral("TimerFlash"));
    }
    template <class T> T* c(const QString& nom) const { return findChild<T*>(nom); }
    QLabel* label1(int i) const {
        return findChildren<QLabel*>(QStringLiteral("Label1")).at(i - 1);
    }
};

const QString kChamps =
    QStringLiteral("SELECT Tformulaire, Ttype, Tname, Tcaption, Ttooltiptext, tdefcaption, "
                   "tdeftooltiptext, tcommentaire FROM Traductions ORDER BY rowid");

} // namespace

class TstTraduitFeuille : public QObject {
    Q_OBJECT

    OperateurScripte op_;

private slots:
    void init() {
        op_ = OperateurScripte();
        DefinitOperateurTraduction(&op_);
        ChargeMessagesDefaut();
    }
    void cleanup() {
        DefinitOperateurTraduction(nullptr);
        FichierTraduction.clear();
    }

    // A first load records every control that has a French text, read back
    // with the sqlite3 program; labels without texts, lists and timers get none.
    void controlesEnregistres() {
        BaseTest base;
        FenetreEssai f(QStringLiteral("FenetreEssai"));
        TraduitFeuille(&f, QStringLiteral("FenetreEssai"));
        QCOMPARE(base.sqlite3(kChamps),
                 QStringList({
                     "FenetreEssai|Menu|mnuFichier|||Fichier||",
                     "FenetreEssai|Menu|mnuQuitter|||Quitter||",
                     "FenetreEssai|Frame|Cadre1|||Carte||",
                     "FenetreEssai|CommandButton|BtOk|||Valider|valide la saisie|",
                     "FenetreEssai|TextBox|TxtNom|||A50||",
                     "FenetreEssai|ComboBox|CboType|||R08||",
                     "FenetreEssai|CheckBox|ChkEtq|||Etiquette||",
                     "FenetreEssai|OptionButton|OptCom|||Port serie||",
                     "FenetreEssai|Label|Label1 (1)|||Plateau 1||",
                     "FenetreEssai|Label|Label1 (2)|||Plateau 2||",
                     "FenetreEssai|Image|Image1||||photo du banc|",
                 }));
        // Each record carries the time it was made; none is flagged.
        const QStringList dates = base.sqlite3(
            QStringLiteral("SELECT count(*) FROM Traductions WHERE datetime(tDate) IS NOT NULL "
                           "AND tFlagpassage = 0"));
        QCOMPARE(dates, QStringList({"11"}));
        QVERIFY(op_.echanges.isEmpty());

        // A second load finds them all and adds nothing.
        FenetreEssai g(QStringLiteral("FenetreEssai"));
        TraduitFeuille(&g, QStringLiteral("FenetreEssai"));
        QCOMPARE(base.sqlite3(QStringLiteral("SELECT count(*) FROM Traductions")),
                 QStringList({"11"}));
    }

    void traductionAppliquee() {
        BaseTest base;
        const QString w = QStringLiteral("FenetreEssai");
        base.ajoute(w, "Menu", "mnuFichier", "File");
        base.ajoute(w, "Menu", "mnuQuitter", "Quit & close");
        base.ajoute(w, "Frame", "Cadre1", "Card");
        base.ajoute(w, "CommandButton", "BtOk", "   ", "confirms the entry");
        base.ajoute(w, "TextBox", "TxtNom", "B12");
        base.ajoute(w, "ComboBox", "CboType", "R11");
        base.ajoute(w, "CheckBox", "ChkEtq", "Label", "print a label");
        base.ajoute(w, "OptionButton", "OptCom", "");
        base.ajoute(w, "Label", "Label1 (2)", "Tray 2");
        base.ajoute(w, "Image", "Image1", "picture", "bench photo");
        base.ajoute("AutreFenetre", "CommandButton", "BtOk", "Other");

        FenetreEssai f(w);
        f.setWindowTitle(QStringLiteral("Fenetre d'essai"));
        TraduitFeuille(&f, w);
        QCOMPARE(f.c<QMenu>("mnuFichier")->title(), QStringLiteral("File"));
        QCOMPARE(Affiche(f.c<QAction>("mnuQuitter")->text()), QStringLiteral("Quit & close"));
        QCOMPARE(f.c<QGroupBox>("Cadre1")->title(), QStringLiteral("Card"));
        // A caption of spaces leaves the French caption; the tooltip is translated.
        QCOMPARE(f.c<QPushButton>("BtOk")->text(), QStringLiteral("Valider"));
        QCOMPARE(f.c<QPushButton>("BtOk")->toolTip(), QStringLiteral("confirms the entry"));
        QCOMPARE(f.c<QLineEdit>("TxtNom")->text(), QStringLiteral("B12"));
        QCOMPARE(f.c<QComboBox>("CboType")->currentText(), QStringLiteral("R11"));
        QCOMPARE(f.c<QCheckBox>("ChkEtq")->text(), QStringLiteral("Label"));
        QCOMPARE(f.c<QCheckBox>("ChkEtq")->toolTip(), QStringLiteral("print a label"));
        QCOMPARE(f.c<QRadioButton>("OptCom")->text(), QStringLiteral("Port serie"));
        QCOMPARE(f.label1(1)->text(), QStringLiteral("Plateau 1"));
        QCOMPARE(f.label1(2)->text(), QStringLiteral("Tray 2"));
        // A picture has no caption to translate, only its tooltip.
        QVERIFY(f.c<QLabel>("Image1")->text().isEmpty());
        QCOMPARE(f.c<QLabel>("Image1")->toolTip(), QStringLiteral("bench photo"));
        QCOMPARE(f.windowTitle(), QStringLiteral("Fenetre d'essai"));
        // Label1 (1) had no record yet: it is the only one added.
        QCOMPARE(base.sqlite3(QStringLiteral("SELECT Tname FROM Traductions WHERE rowid > 11")),
                 QStringList({"Label1 (1)"}));
    }

    // A base converted from the older station writes window, type and control
    // names in any case, as its engine matched them without regard to case.
    // The base here was made by an earlier version of the station, with its
    // index.
    void casseDesNoms() {
        BaseTest base(QStringLiteral("trad.mdb"), false);
        base.sqlite3("CREATE TABLE Traductions (Tformulaire TEXT, Ttype TEXT, Tname TEXT, "
                     "Tcaption TEXT, Ttooltiptext TEXT, tdefcaption TEXT, tdeftooltiptext TEXT, "
                     "tcommentaire TEXT, tDate TEXT, tFlagpassage INTEGER); CREATE INDEX "
                     "TraductionsControle ON Traductions (Tformulaire, Ttype, Tname)");
        base.ajoute("fenetreessai", "commandbutton", "btok", "Confirm", "confirms the entry");
        base.ajoute("FENETREESSAI", "LABEL", "label1 (2)", "Tray 2");
        base.ajoute("FenetreEssai", "menu", "MNUFICHIER", "File");
        base.ajoute("modulemsg", "MSG00150", "FaitCyclesRails", "makes 5 fast and 2 slow cycles");
        ChargeMessagesTraduits();
        QCOMPARE(Msg[150], QStringLiteral("makes 5 fast and 2 slow cycles"));

        FenetreEssai f(QStringLiteral("FenetreEssai"));
        TraduitFeuille(&f, f.objectName());
        QCOMPARE(f.c<QPushButton>("BtOk")->text(), QStringLiteral("Confirm"));
        QCOMPARE(f.c<QPushButton>("BtOk")->toolTip(), QStringLiteral("confirms the entry"));
        QCOMPARE(f.label1(2)->text(), QStringLiteral("Tray 2"));
        QCOMPARE(f.c<QMenu>("mnuFichier")->title(), QStringLiteral("File"));
        QVERIFY(op_.echanges.isEmpty());
        // Those three keep their one record; the other eight controls get theirs.
        QCOMPARE(base.sqlite3("SELECT Tname FROM Traductions WHERE rowid > 4 AND Tname IN "
                              "('BtOk', 'Label1 (2)', 'mnuFichier')"),
                 QStringList());
        QCOMPARE(base.sqlite3("SELECT count(*) FROM Traductions"), QStringList({"12"}));
        // The lookup a window makes for each control, without regard to case,
        // runs on an index rather than through the whole table.
        const QStringList plan = base.sqlite3(
            "EXPLAIN QUERY PLAN SELECT * FROM Traductions WHERE Tformulaire = 'f' COLLATE "
            "NOCASE AND Ttype = 't' COLLATE NOCASE AND Tname = 'n' COLLATE NOCASE");
        QVERIFY2(plan.join(' ').contains("USING INDEX"), qPrintable(plan.join('\n')));
    }

    // An empty window name translates every loaded window, each under its own name.
    void toutesLesFenetres() {
        BaseTest base;
        base.ajoute("FenetreA", "CommandButton", "BtOk", "OK A");
        base.ajoute("FenetreB", "CommandButton", "BtOk", "OK B");
        FenetreEssai a(QStringLiteral("FenetreA"));
        FenetreEssai b(QStringLiteral("FenetreB"));
        // A name translates that window only.
        TraduitFeuille(QStringLiteral("FenetreB"));
        QCOMPARE(a.c<QPushButton>("BtOk")->text(), QStringLiteral("Valider"));
        QCOMPARE(b.c<QPushButton>("BtOk")->text(), QStringLiteral("OK B"));
        TraduitFeuille(QString());
        QCOMPARE(a.c<QPushButton>("BtOk")->text(), QStringLiteral("OK A"));
        QCOMPARE(b.c<QPushButton>("BtOk")->text(), QStringLiteral("OK B"));
        QCOMPARE(base.sqlite3("SELECT DISTINCT Tformulaire FROM Traductions ORDER BY 1"),
                 QStringList({"FenetreA", "FenetreB"}));
    }

    // Names are values, never SQL: a quote is a letter like any other.
    void nomsAvecApostrophe() {
        BaseTest base;
        base.ajoute("Fenetre'1", "CommandButton", "BtOk", "Yes");
        base.ajoute("Fenetre'1", "CheckBox", "ChkEtq", "Label");
        FenetreEssai f(QStringLiteral("Fenetre'1"));
        // Built into the query text, this name would match every check box.
        f.c<QRadioButton>("OptCom")->setObjectName(QStringLiteral("x' OR Ttype = 'CheckBox"));
        TraduitFeuille(&f, f.objectName());
        QCOMPARE(f.c<QPushButton>("BtOk")->text(), QStringLiteral("Yes"));
        QCOMPARE(f.c<QRadioButton>("x' OR Ttype = 'CheckBox")->text(),
                 QStringLiteral("Port serie"));
        QCOMPARE(base.sqlite3(QStringLiteral(
                     "SELECT Tformulaire, Tname FROM Traductions WHERE Ttype = 'OptionButton'")),
                 QStringList({"Fenetre'1|x' OR Ttype = 'CheckBox"}));
        QVERIFY(op_.echanges.isEmpty());
    }

    void messagesTraduits() {
        BaseTest base;
        base.ajoute("ModuleMsg", "msg00150", "FaitCyclesRails", "makes 5 fast and 2 slow cycles");
        base.ajoute("ModuleMsg", "msg00250", "HorsTable", "beyond the table");
        base.ajoute("ModuleMsg", "msg00017", "DernierSn", "  ");
        base.ajoute("ModuleMsg", "msg00081", "SansDefaut", "stored all the same");
        base.ajoute("ModuleMsg", "msg00102", "MotPasseOperateurErrone", "");
        base.ajoute("F2Acceuil", "msg00103", "PasUnMessage", "not a message record");
        const QString d102 = Msg[102];
        const QString d103 = Msg[103];
        ChargeMessagesTraduits();
        QCOMPARE(Msg[150], QStringLiteral("makes 5 fast and 2 slow cycles"));
        QCOMPARE(Msg[81], QStringLiteral("stored all the same"));
        QCOMPARE(Msg[17], QStringLiteral("dernier SN"));
        QCOMPARE(Msg[102], d102);
        QCOMPARE(Msg[103], d103);
        QVERIFY(op_.echanges.isEmpty());
        // The defaults come back whole.
        ChargeMessagesDefaut();
        QCOMPARE(Msg[150],
                 QStringLiteral("     fait 5 cycles rapides et 2 cycles lents sur chaque rail "
                                "conforme"));
        QVERIFY(Msg[81].isEmpty());
    }

    // Every failure: one box, translation disabled for the run, the window in
    // French, nothing more at the next load.
    void echecs_data() {
        QTest::addColumn<QByteArray>("contenu");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("debut"); // the box text begins so
        QTest::newRow("fichier absent")
            << QByteArray() << QString() << "le fichier de traduction : trad.mdb est introuvable";
        QTest::newRow("pas une base") << QByteArray("Tformulaire;Ttype;Tname\r\nF1;Label;Lbl\r\n")
                                      << QString() << "erreur n° 26 file is not a database";
        QTest::newRow("sans table") << QByteArray() << "CREATE TABLE Autre (x TEXT)"
                                    << "erreur n° 1 no such table";
        QTest::newRow("champ manquant")
            << QByteArray()
            << "CREATE TABLE traductions (Tformulaire TEXT, Ttype TEXT, Tname TEXT, Tcaption "
               "TEXT, Ttooltiptext TEXT, tdefcaption TEXT, tdeftooltiptext TEXT, tDate TEXT, "
               "tFlagpassage INTEGER)"
            << "erreur n° 1 no such column: tcommentaire";
        QTest::newRow("base Access")
            << QByteArray("\x00\x01\x00\x00Standard Jet DB\x00\x01\x00\x00\x00", 24) << QString()
            << "le fichier de traduction : trad.mdb est une base Access (Jet) : convertissez-la "
               "avec la commande\rcalvanet-convertitmdb";
    }
    void echecs() {
        QFETCH(QByteArray, contenu);
        QFETCH(QString, sql);
        QFETCH(QString, debut);
        BaseTest base(QStringLiteral("trad.mdb"), false);
        if (!contenu.isEmpty()) {
            QFile f(base.chemin());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(contenu);
        }
        if (!sql.isEmpty())
            QVERIFY(!base.sqlite3(sql).join("").startsWith("sqlite3 failed"));

        FenetreEssai f(QStringLiteral("FenetreEssai"));
        TraduitFeuille(&f, f.objectName());
        QCOMPARE(op_.echanges.size(), 1);
        QVERIFY2(op_.dernier().texte.startsWith(debut), qPrintable(op_.dernier().texte));
        QCOMPARE(op_.dernier().icone, Icone::Critique);
        QVERIFY(FichierTraduction.isEmpty());
        QCOMPARE(f.c<QPushButton>("BtOk")->text(), QStringLiteral("Valider"));

        ChargeMessagesTraduits();
        FenetreEssai g(QStringLiteral("FenetreEssai"));
        TraduitFeuille(&g, g.objectName());
        TraduitFeuille(QString());
        QCOMPARE(op_.echanges.size(), 1);
        // The station never makes a database where there was none.
        QCOMPARE(QFile::exists(base.chemin()), !contenu.isEmpty() || !sql.isEmpty());
    }

    // The password dialog and the help windows translate themselves on load.
    void fenetresAuChargement() {
        BaseTest base;
        base.ajoute("DialogMP", "Label", "Label1", "press ENTER to confirm");
        base.ajoute("F2Acceuil", "CommandButton", "BtOK", "Close");
        base.ajoute("F4aideAttributionMeuble", "Label", "inf", "CABINET help");
        base.ajoute("ModuleMsg", "msg00116", "AideProgLigne116", "PROGRAM a tray card");
        ChargeMessagesTraduits();
        {
            DialogMP d;
            QCOMPARE(d.Label1()->text(), QStringLiteral("press ENTER to confirm"));
            QCOMPARE(d.windowTitle(), QStringLiteral("Boîte de dialogue"));
        }
        QWidget principale;
        QWidget* p = OuvreAide(FenetreAide::Programmation, &principale);
        QCOMPARE(p->findChild<QPushButton*>("BtOK")->text(), QStringLiteral("Close"));
        QCOMPARE(p->windowTitle(), QStringLiteral("Aide Programmer"));
        QVERIFY(p->findChild<QLabel*>("inf")->text().startsWith("PROGRAM a tray card\n\n"));
        QWidget* m = OuvreAide(FenetreAide::AttributionMeuble, &principale);
        QCOMPARE(m->findChild<QLabel*>("inf")->text(), QStringLiteral("CABINET help"));
        // What had no record is now recorded for the translators, the help
        // texts built from messages excepted.
        QCOMPARE(base.sqlite3(QStringLiteral(
                     "SELECT Tformulaire, Ttype, Tname, tdeftooltiptext FROM Traductions "
                     "WHERE rowid > 4 ORDER BY rowid")),
                 QStringList({"F2Acceuil|Image|Image1|carte, programmateur, barriere IR et rail "
                              "de test",
                              "F4aideAttributionMeuble|CommandButton|BtOK|"}));
        delete p;
        delete m;
        QVERIFY(op_.echanges.isEmpty());
    }
};

QTEST_MAIN(TstTraduitFeuille)
#include "tst_TraduitFeuille.moc"
