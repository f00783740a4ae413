#include "F2Acceuil.h"
#include "F3aideTestRail.h"
#include "F4aideAttributionMeuble.h"
#include "F5aideTestPlateau.h"
#include "FenetresAide.h"
#include "ModuleTraductions.h"

#include <QApplication>
#include <QImage>
#include <QPointer>
#include <QtTest>

Q_DECLARE_METATYPE(FenetreAide)

namespace {

// Every entry of the table holds its own number, so a line shows where it
// came from.
void MarqueMessages() {
    for (int n = 1; n <= kNombreMessages; ++n)
        Msg[n] = QStringLiteral("msg%1").arg(n);
}

QStringList Lignes(QWidget* fenetre) {
    return fenetre->findChild<QLabel*>("inf")->text().split('\n');
}

void Ferme(QWidget* fenetre) {
    QPointer<QWidget> f(fenetre);
    fenetre->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(f.isNull());
}

} // namespace

class TstFenetresAide : public QObject {
    Q_OBJECT

    QWidget principale_; // stands for the main window

private slots:
    void init() { MarqueMessages(); }
    void cleanup() {
        DefinitTraductionAide({});
        for (auto quelle : {FenetreAide::Programmation, FenetreAide::TestRails,
                            FenetreAide::TestPlateau, FenetreAide::AttributionMeuble})
            if (QWidget* f = AideOuverte(quelle))
                Ferme(f);
    }

    void fenetres_data() {
        QTest::addColumn<FenetreAide>("quelle");
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QString>("titre");
        QTest::addColumn<QString>("bouton");
        QTest::addColumn<QStringList>("lignes"); // the text, line by line
        QStringList programmation{"msg116", ""};
        for (int n = 117; n <= 133; ++n)
            programmation << QStringLiteral("msg%1").arg(n);
        QStringList rails{QString::fromUtf8("msg134 (de A1 à A50)")};
        for (int n = 136; n <= 159; ++n)
            rails << QStringLiteral("msg%1").arg(n);
        QStringList plateau{"msg160", ""};
        for (int n = 161; n <= 178; ++n)
            plateau << QStringLiteral("msg%1").arg(n);
        QTest::newRow("programmation") << FenetreAide::Programmation << "F2Acceuil"
                                       << "Aide Programmer"
                                       << "BtOK" << programmation;
        QTest::newRow("test rails") << FenetreAide::TestRails << "F3aideTestRail"
                                    << "Aide TEST RAILS"
                                    << "BtOk" << rails;
        QTest::newRow("test plateau") << FenetreAide::TestPlateau << "F5aideTestPlateau"
                                      << "Aide Test Plateau"
                                      << "BtQuitter" << plateau;
    }
    // Each text is its messages, each line ended, in order, nothing else.
    void fenetres() {
        QFETCH(FenetreAide, quelle);
        QFETCH(QString, nom);
        QFETCH(QString, titre);
        QFETCH(QString, bouton);
        QFETCH(QStringList, lignes);
        QWidget* f = OuvreAide(quelle, &principale_);
        QVERIFY(f);
        QCOMPARE(f->objectName(), nom);
        QCOMPARE(f->windowTitle(), titre);
        QVERIFY(f->isVisible());
        QVERIFY(f->isWindow());
        QVERIFY(!f->isModal());
        QCOMPARE(f->parentWidget(), &principale_);
        QVERIFY(f->findChild<QPushButton*>(bouton));
        QCOMPARE(Lignes(f), lignes + QStringList{""});
    }

    // The table is read when a window loads: a replaced entry shows in the
    // next window opened.
    void suitLaTableAuChargement_data() {
        QTest::addColumn<FenetreAide>("quelle");
        QTest::addColumn<int>("premier");
        QTest::addColumn<int>("dernier");
        QTest::addColumn<int>("nombreLignes"); // the empty one after the last line end included
        QTest::newRow("programmation") << FenetreAide::Programmation << 116 << 133 << 20;
        QTest::newRow("test rails") << FenetreAide::TestRails << 134 << 159 << 26;
        QTest::newRow("test plateau") << FenetreAide::TestPlateau << 160 << 178 << 21;
    }
    void suitLaTableAuChargement() {
        QFETCH(FenetreAide, quelle);
        QFETCH(int, premier);
        QFETCH(int, dernier);
        QFETCH(int, nombreLignes);
        ChargeMessagesDefaut();
        QWidget* f = OuvreAide(quelle, &principale_);
        QStringList l = Lignes(f);
        QCOMPARE(l.size(), nombreLignes);
        QVERIFY(l.first().startsWith(Msg[premier]));
        QCOMPARE(l.at(l.size() - 2), Msg[dernier]);
        Ferme(f);

        Msg[premier] = QString::fromUtf8("PREMIÈRE ligne traduite <b>");
        Msg[dernier] = QStringLiteral("   * derniere ligne traduite");
        f = OuvreAide(quelle, &principale_);
        l = Lignes(f);
        QCOMPARE(l.size(), nombreLignes);
        QVERIFY(l.first().startsWith(Msg[premier]));
        QCOMPARE(l.at(l.size() - 2), Msg[dernier]);
        QCOMPARE(f->findChild<QLabel*>("inf")->textFormat(), Qt::PlainText);
    }

    void attributionMeubleLignesFixes() {
        QWidget* f = OuvreAide(FenetreAide::AttributionMeuble, &principale_);
        QCOMPARE(f->objectName(), QString("F4aideAttributionMeuble"));
        QCOMPARE(f->windowTitle(), QString("Aide Attribution meuble"));
        QVERIFY(f->findChild<QPushButton*>("BtOK"));
        QStringList l = Lignes(f);
        QCOMPARE(l.takeLast(), QString()); // the last line is ended too
        l.removeAll(QString());            // blank lines are layout only
        const QStringList attendu = {
            QString::fromUtf8("ATTRIBUTION des cartes plateaux à un MEUBLE COMPLET"),
            "Empiler tous les plateaux, les connecter ensemble, allumer l'alimentation",
            "- puis commencer par cliquer sur le bouton 'Attribution Meuble'",
            "- Saisir le nom de la pharmacie (obligatoire)",
            "- Saisir l'adresse de cette pharmacie",
            "- cliquer sur le bouton 'Creer un nouveau meuble'",
            QString::fromUtf8("     saisir le NOM de ce meuble à creer"),
            QString::fromUtf8("     saisir le n° du PREMIER plateau de ce meuble"),
            QString::fromUtf8("     saisie le n° du DERNIER plateau à creer pour ce meuble"),
            QString::fromUtf8("     saisir tous le n° de serie (SN) de chaque carte plateau "
                              "(scanner le code barre)"),
            "        (scanner le CB de la carte ou plateau  OU BIEN saisir au clavier le SN de la "
            "carte)",
            "- cliquer sur le bouton 'Attribuer les cartes'",
            "     verification du SN",
            "     verification de la presence des cartes",
            "     renomme toutes les cartes",
            "     verifie l'attribution du nom des cartes",
            "- cliquer sur le bouton 'edition de la feuille de meuble' pour imprimer l'etat de ce "
            "meuble",
            "    (le faire 2 fois pour en coller une le meuble et une autre pour archive)",
            QString::fromUtf8(
                "Pour creer le meuble suivant, remonter à cliquer sur 'Creer un nouveau meuble'"),
        };
        QCOMPARE(l, attendu);
        // Fixed French: not from the message table.
        for (const QString& ligne : l)
            QVERIFY(!ligne.startsWith("msg"));
    }

    void uneSeuleFenetreParAide_data() {
        QTest::addColumn<FenetreAide>("quelle");
        QTest::addColumn<QString>("bouton");
        QTest::newRow("programmation") << FenetreAide::Programmation << "BtOK";
        QTest::newRow("test rails") << FenetreAide::TestRails << "BtOk";
        QTest::newRow("test plateau") << FenetreAide::TestPlateau << "BtQuitter";
        QTest::newRow("attribution meuble") << FenetreAide::AttributionMeuble << "BtOK";
    }
    void uneSeuleFenetreParAide() {
        QFETCH(FenetreAide, quelle);
        QFETCH(QString, bouton);
        QWidget* premiere = OuvreAide(quelle, &principale_);
        const QString texte = premiere->findChild<QLabel*>("inf")->text();
        premiere->showMinimized();
        for (int n = 116; n <= 178; ++n)
            Msg[n] = "change";

        QWidget* encore = OuvreAide(quelle, &principale_);
        QCOMPARE(encore, premiere);
        QVERIFY(encore->isVisible());
        QVERIFY(!encore->isMinimized());
        QCOMPARE(encore->findChild<QLabel*>("inf")->text(), texte); // not built again
        int fenetres = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            fenetres += w->objectName() == premiere->objectName();
        QCOMPARE(fenetres, 1);

        // Its closing button unloads it; the next opening is a new window.
        QPointer<QWidget> f(premiere);
        QTest::mouseClick(premiere->findChild<QPushButton*>(bouton), Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(f.isNull());
        QCOMPARE(AideOuverte(quelle), nullptr);
        QWidget* nouvelle = OuvreAide(quelle, &principale_);
        QVERIFY(nouvelle);
        if (quelle != FenetreAide::AttributionMeuble)
            QVERIFY(nouvelle->findChild<QLabel*>("inf")->text().contains("change"));
    }

    void lesAidesSontIndependantes() {
        QWidget* a = OuvreAide(FenetreAide::Programmation, &principale_);
        QWidget* b = OuvreAide(FenetreAide::TestRails, &principale_);
        QVERIFY(a != b);
        QVERIFY(a->isVisible() && b->isVisible());
        QCOMPARE(qobject_cast<F2Acceuil*>(a), AfficheF2Acceuil(&principale_));
        QCOMPARE(qobject_cast<F3aideTestRail*>(b), AfficheF3aideTestRail(&principale_));
    }

    // The picture of the bench is a real drawing, not an empty frame.
    void imageDuBanc() {
        F2Acceuil* f = AfficheF2Acceuil(&principale_);
        auto* image = f->findChild<QLabel*>("Image1");
        QVERIFY(image);
        const QImage i = image->pixmap().toImage();
        QVERIFY(i.width() >= 200 && i.height() >= 150);
        QSet<QRgb> couleurs;
        for (int y = 0; y < i.height(); y += 3)
            for (int x = 0; x < i.width(); x += 3)
                couleurs.insert(i.pixel(x, y));
        QVERIFY2(couleurs.size() > 20, qPrintable(QString::number(couleurs.size())));
        const QString sortie = qEnvironmentVariable("CALVANET_IMAGE_BANC");
        if (!sortie.isEmpty()) {
            i.save(sortie);
            f->grab().save(sortie + ".fenetre.png");
            AfficheF3aideTestRail(&principale_)->grab().save(sortie + ".rails.png");
        }
        QVERIFY(!f->findChild<QLabel*>("inf")->text().isEmpty());
        QVERIFY(!AfficheF3aideTestRail(&principale_)->findChild<QLabel*>("Image1"));
    }

    // A translation applies to the window's own controls before the text is
    // built from the table; the cabinet help's fixed text is its label's own
    // caption and so can be translated.
    void traductionAuChargement() {
        QStringList traduites;
        DefinitTraductionAide([&](QWidget* f) {
            traduites << f->objectName();
            for (auto* b : f->findChildren<QPushButton*>())
                b->setText("Fermer");
            f->findChild<QLabel*>("inf")->setText("texte traduit");
        });
        QWidget* p = OuvreAide(FenetreAide::Programmation, &principale_);
        QWidget* m = OuvreAide(FenetreAide::AttributionMeuble, &principale_);
        OuvreAide(FenetreAide::Programmation, &principale_); // already loaded: not again
        QCOMPARE(traduites, QStringList({"F2Acceuil", "F4aideAttributionMeuble"}));
        QCOMPARE(p->findChild<QPushButton*>("BtOK")->text(), QString("Fermer"));
        QCOMPARE(Lignes(p).first(), QString("msg116"));
        QCOMPARE(m->findChild<QLabel*>("inf")->text(), QString("texte traduit"));
    }
};

QTEST_MAIN(TstFenetresAide)
#include "tst_FenetresAide.moc"
