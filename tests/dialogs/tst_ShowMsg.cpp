// The picture message window: picture keys, closing, auto-close, picture
// files and the size rule.
#include "ShowMsg.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class TstShowMsg : public QObject {
    Q_OBJECT
private:
    ShowMsg& f = ShowMsg::instance();

private slots:
    void init() { f.FermeMessage(); }
    void cleanupTestCase() { f.FermeMessage(); }

    void cleInsensibleALaCasse_data() {
        QTest::addColumn<QString>("image");
        QTest::addColumn<QString>("cle");
        for (const QString& cle : ShowMsg::clesImages()) {
            QTest::addRow("%s", qPrintable(cle)) << cle << cle;
            QTest::addRow("%s minuscules", qPrintable(cle)) << cle.toLower() << cle;
        }
        QTest::addRow("Recherche") << QStringLiteral("Recherche") << QStringLiteral("RECHERCHE");
    }
    void cleInsensibleALaCasse() {
        QFETCH(QString, image);
        QFETCH(QString, cle);
        QVERIFY(f.Message(QStringLiteral("Recherche la connection avec la carte (1)"), 0, image));
        QVERIFY(f.isVisible());
        QCOMPARE(f.cleImage(), cle);
        QCOMPARE(f.texte(), QStringLiteral("Recherche la connection avec la carte (1)"));
        QVERIFY(f.imageAffichee());
        QCOMPARE(f.Picture1()->pixmap().toImage(), ShowMsg::imageStock(cle).toImage());
        QCOMPARE(f.Picture1()->size(), QSize(32, 32));
    }

    void dixImagesDistinctes() {
        QList<QImage> vues;
        for (const QString& cle : ShowMsg::clesImages()) {
            const QImage im = ShowMsg::imageStock(cle).toImage();
            QVERIFY2(!im.isNull(), qPrintable(cle));
            QCOMPARE(im.size(), QSize(32, 32));
            QVERIFY2(!vues.contains(im), qPrintable(cle));
            vues << im;
        }
        QCOMPARE(vues.size(), 10);
    }

    void texteVideAvecImage() {
        QVERIFY(f.Message(QString(), 0, QStringLiteral("TIMER")));
        QVERIFY(f.isVisible());
        QVERIFY(f.Command1()->text().isEmpty());
        QCOMPARE(f.cleImage(), QStringLiteral("TIMER"));
        QVERIFY(f.imageAffichee());
    }

    void videEtVideFerme() {
        QSignalSpy ferme(&f, &ShowMsg::ferme);
        QVERIFY(!f.Message(QString(), 0, QString()));
        QVERIFY(!f.isVisible());

        QVERIFY(f.Message(QStringLiteral("lecture presence EA ..."), 0, QString()));
        QVERIFY(f.isVisible());
        QVERIFY(!f.Message(QString(), 0, QString()));
        QVERIFY(!f.isVisible());
        QVERIFY(f.Command1()->text().isEmpty());
        QVERIFY(!f.imageAffichee());
        QVERIFY(ferme.size() >= 2);
    }

    void imageRetireeParUnAppelSansImage() {
        f.Message(QStringLiteral("a"), 0, QStringLiteral("MOON"));
        QVERIFY(f.imageAffichee());
        f.Message(QStringLiteral("b"), 0, QString());
        QVERIFY(!f.imageAffichee());
        QVERIFY(f.cleImage().isEmpty());
        QCOMPARE(f.Picture1()->geometry(), QRect(8, 8, 32, 32));
    }

    void fermetureAutomatique() {
        QVERIFY(f.Message(QStringLiteral("Liberation du canal 1"), 2000, QString()));
        QVERIFY(f.minuterieActive());
        QCOMPARE(f.intervalleMinuterie(), 2000);
        QVERIFY(f.isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(!f.isVisible(), 15000);
        QVERIFY(!f.minuterieActive());
    }

    // A later call without a duration does not stop the running timer.
    void miseAJourGardeLaMinuterie() {
        f.Message(QStringLiteral("premier"), 300, QString());
        f.Message(QStringLiteral("second"), 0, QStringLiteral("TIMER"));
        QVERIFY(f.minuterieActive());
        QCOMPARE(f.texte(), QStringLiteral("second"));
        QTRY_VERIFY_WITH_TIMEOUT(!f.isVisible(), 15000);
    }

    // A window reopened after an auto-close does not inherit the old timer.
    void rechargeSansMinuterie() {
        f.Message(QStringLiteral("court"), 100, QString());
        QTRY_VERIFY_WITH_TIMEOUT(!f.isVisible(), 15000);
        f.Message(QStringLiteral("long"), 0, QString());
        QVERIFY(!f.minuterieActive());
        QTest::qWait(250);
        QVERIFY(f.isVisible());
    }

    void fichierImage_data() {
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QByteArray>("contenu");
        QTest::addColumn<QString>("note");
        QTest::addRow("absent") << QStringLiteral("absent.png") << QByteArray()
                                << QStringLiteral("ShowMessage ERREUR n°53 Fichier introuvable");
        QTest::addRow("pas une image")
            << QStringLiteral("texte.png") << QByteArray("ceci n'est pas une image")
            << QStringLiteral("ShowMessage ERREUR n°481 Image incorrecte");
    }
    void fichierImage() {
        QFETCH(QString, nom);
        QFETCH(QByteArray, contenu);
        QFETCH(QString, note);
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath(nom);
        if (!contenu.isEmpty()) {
            QFile fichier(chemin);
            QVERIFY(fichier.open(QIODevice::WriteOnly));
            fichier.write(contenu);
        }
        QVERIFY(f.Message(QStringLiteral("fin test EA"), 0, chemin));
        QCOMPARE(f.texte(), QStringLiteral("fin test EA\r") + note);
        QVERIFY(
            f.Command1()->text().startsWith(QStringLiteral("fin test EA\nShowMessage ERREUR n°")));
        QVERIFY(!f.imageAffichee());
        QVERIFY(f.isVisible());
        // The whole note fits in the window.
        QVERIFY(f.height() >= f.Label1()->height());
    }

    void fichierImageLisible() {
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath(QStringLiteral("photo.png"));
        QImage im(20, 10, QImage::Format_RGB32);
        im.fill(Qt::blue);
        QVERIFY(im.save(chemin));
        QVERIFY(f.Message(QStringLiteral("x"), 0, chemin));
        QCOMPARE(f.texte(), QStringLiteral("x"));
        QCOMPARE(f.fichierImage(), chemin);
        QVERIFY(f.imageAffichee());
        QCOMPARE(f.Picture1()->geometry(), QRect(8, 8, 20, 10));
        QCOMPARE(f.width(), f.Label1()->width() + 20 + 67 + 8);
    }

    // Width: text + picture + 1000 twips + picture left; height: picture and
    // its margin above and below.
    void regleDeTaille_data() {
        QTest::addColumn<QString>("texte");
        QTest::addColumn<QString>("image");
        QTest::addRow("court") << QStringLiteral("abc") << QStringLiteral("RECHERCHE");
        QTest::addRow("long") << QStringLiteral("Test REELEMENT l' Electro-Aimant 32") << QString();
        QTest::addRow("image seule") << QString() << QStringLiteral("CI");
    }
    void regleDeTaille() {
        QFETCH(QString, texte);
        QFETCH(QString, image);
        f.Message(texte, 0, image);
        const int largeurTexte = f.Label1()->width();
        QVERIFY(largeurTexte >= f.fontMetrics().horizontalAdvance(texte));
        QCOMPARE(f.width(), largeurTexte + 32 + 67 + 8);
        QCOMPARE(f.height(), 8 + 32 + 8);
        QCOMPARE(f.Command1()->geometry(), f.rect());
    }

    void texteLongPlusLarge() {
        f.Message(QStringLiteral("abc"), 0, QString());
        const int court = f.width();
        f.Message(QStringLiteral("abc abc abc abc abc abc abc abc"), 0, QString());
        QVERIFY(f.width() > court);
    }

    void sautsDeLigneCR() {
        f.Message(QStringLiteral("ligne 1\rligne 2\r\nligne 3"), 0, QString());
        QCOMPARE(f.Command1()->text(), QStringLiteral("ligne 1\nligne 2\nligne 3"));
        QVERIFY(f.height() >= 3 * f.fontMetrics().height());
    }

    void uneSeuleInstanceNonModale() {
        QCOMPARE(&ShowMsg::instance(), &f);
        f.Message(QStringLiteral("a"), 0, QString());
        f.Message(QStringLiteral("b"), 0, QString());
        int fenetres = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            fenetres += qobject_cast<ShowMsg*>(w) ? 1 : 0;
        QCOMPARE(fenetres, 1);
        QVERIFY(!f.isModal());
        QVERIFY(!QApplication::activeModalWidget());
    }

    void nomsAccessibles() {
        QCOMPARE(f.objectName(), QStringLiteral("ShowMsg"));
        for (QWidget* w :
             {static_cast<QWidget*>(f.Command1()), static_cast<QWidget*>(f.Picture1())})
            QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(w->objectName()));
        QCOMPARE(f.Command1()->objectName(), QStringLiteral("Command1"));
        QCOMPARE(f.Picture1()->objectName(), QStringLiteral("Picture1"));
        QCOMPARE(f.Label1()->objectName(), QStringLiteral("Label1"));
    }

    void clicSansEffet() {
        f.Message(QStringLiteral("a"), 0, QString());
        QTest::mouseClick(f.Command1(), Qt::LeftButton);
        QVERIFY(f.isVisible());
        QCOMPARE(f.texte(), QStringLiteral("a"));
    }
};

QTEST_MAIN(TstShowMsg)
#include "tst_ShowMsg.moc"
