// The password dialog: masked entry, Enter confirms the text as typed, the
// close button abandons, the title flashes at the caret's rhythm.
#include "AttendModal.h"
#include "DialogMP.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStyleHints>
#include <QTest>
#include <QTimer>

namespace {
const QString kTitre = QStringLiteral("Calvanet   v1.2.13 (8 dec 2026)");
const QString kEntete =
    QStringLiteral("saisir votre Mot de passe utilisateur pour avoir acces à la "
                   "programmation des cartes plateaux");

// Types any text, accents included, as key presses carrying that text.
void tape(QWidget* w, const QString& texte) {
    for (QChar c : texte) {
        QKeyEvent appui(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QKeyEvent relache(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &appui);
        QApplication::sendEvent(w, &relache);
    }
}
} // namespace

class TstDialogMP : public QObject {
    Q_OBJECT
private slots:
    void controles() {
        DialogMP d;
        QCOMPARE(d.objectName(), QStringLiteral("DialogMP"));
        QCOMPARE(d.windowTitle(), QStringLiteral("Boîte de dialogue"));
        QCOMPARE(d.titre()->objectName(), QStringLiteral("titre"));
        QCOMPARE(d.TextMP()->objectName(), QStringLiteral("TextMP"));
        QCOMPARE(d.Label1()->objectName(), QStringLiteral("Label1"));
        QCOMPARE(d.TimerFlash()->objectName(), QStringLiteral("TimerFlash"));
        QCOMPARE(d.Label1()->text(), QStringLiteral("appuyer sur ENTER pour valider votre saisie"));
        QVERIFY(!d.TextMP()->accessibleName().isEmpty());
    }

    void saisie_data() {
        QTest::addColumn<QString>("saisi");
        QTest::addRow("abc") << QStringLiteral("abc");
        QTest::addRow("casse et espace gardees") << QStringLiteral("AbC 12");
        QTest::addRow("accents") << QStringLiteral("mdpé");
        QTest::addRow("vide") << QString();
    }
    void saisie() {
        QFETCH(QString, saisi);
        MotPasseSaisi = QStringLiteral("reste d'avant");
        DialogMP d;
        QVERIFY(MotPasseSaisi.isEmpty());
        d.show();
        tape(d.TextMP(), saisi);
        QCOMPARE(d.TextMP()->displayText(), QString(saisi.size(), QLatin1Char('*')));
        QVERIFY(d.isVisible());
        QTest::keyClick(d.TextMP(), Qt::Key_Return);
        QCOMPARE(MotPasseSaisi, saisi);
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QVERIFY(!d.isVisible());
    }

    void toucheEnterDuPaveNumerique() {
        DialogMP d;
        d.show();
        QTest::keyClicks(d.TextMP(), QStringLiteral("xy"));
        QTest::keyClick(d.TextMP(), Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(MotPasseSaisi, QStringLiteral("xy"));
    }

    void demandeAvecTitreEtEntete() {
        QString titreVu, enteteVu;
        quandModal([&](QWidget* w) {
            auto* d = qobject_cast<DialogMP*>(w);
            QVERIFY(d);
            titreVu = d->windowTitle();
            enteteVu = d->titre()->text();
            QTest::keyClicks(d->TextMP(), QStringLiteral("abc"));
            QTest::keyClick(d->TextMP(), Qt::Key_Return);
        });
        QCOMPARE(DialogMP::Demande(nullptr, kTitre, kEntete), QStringLiteral("abc"));
        QCOMPARE(titreVu, kTitre);
        QCOMPARE(enteteVu, kEntete);
        QCOMPARE(MotPasseSaisi, QStringLiteral("abc"));
    }

    void abandonParLeBoutonFermer() {
        MotPasseSaisi = QStringLiteral("ancien");
        quandModal([](QWidget* w) {
            auto* d = qobject_cast<DialogMP*>(w);
            QTest::keyClicks(d->TextMP(), QStringLiteral("tape mais pas valide"));
            d->close();
        });
        QCOMPARE(DialogMP::Demande(nullptr, kTitre, kEntete), QString());
        QVERIFY(MotPasseSaisi.isEmpty());
    }

    // Esc is not a way out: the dialog stays on screen with what was typed,
    // and Enter still confirms it.
    void echapNeFermePas() {
        bool resteAffiche = false;
        QString champApresEchap;
        quandModal([&](QWidget* w) {
            auto* d = qobject_cast<DialogMP*>(w);
            QTest::keyClicks(d->TextMP(), QStringLiteral("abc"));
            QTest::keyClick(d->TextMP(), Qt::Key_Escape);
            QTest::keyClick(d, Qt::Key_Escape);
            QCoreApplication::processEvents();
            resteAffiche = d->isVisible();
            champApresEchap = d->TextMP()->displayText();
            QTest::keyClick(d->TextMP(), Qt::Key_Return);
        });
        QCOMPARE(DialogMP::Demande(nullptr, kTitre, kEntete), QStringLiteral("abc"));
        QVERIFY(resteAffiche);
        QCOMPARE(champApresEchap, QStringLiteral("***"));
    }

    // What the operator sees: the heading's background alternates between the
    // selection colour and the dialog's own, at the caret's rhythm.
    void clignoteAuRythmeDuCurseur() {
        QGuiApplication::styleHints()->setCursorFlashTime(200);
        DialogMP d;
        d.titre()->setText(kEntete);
        QCOMPARE(d.TimerFlash()->interval(), QApplication::cursorFlashTime());
        QVERIFY(!d.TimerFlash()->isActive());
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QVERIFY(d.TimerFlash()->isActive());
        const QColor surligne = d.palette().color(QPalette::Highlight);
        const QColor normal = d.palette().color(QPalette::Window);
        QVERIFY(surligne != normal);
        const auto fondVu = [&d] { return d.titre()->grab().toImage().pixelColor(1, 1); };
        QCOMPARE(fondVu(), normal);
        QTRY_COMPARE_WITH_TIMEOUT(fondVu(), surligne, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(fondVu(), normal, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(fondVu(), surligne, 10000);
        QTest::keyClick(d.TextMP(), Qt::Key_Return);
        QVERIFY(!d.TimerFlash()->isActive());
    }

    // With caret blinking switched off the title still flashes, at a sane period.
    void curseurSansClignotement() {
        QGuiApplication::styleHints()->setCursorFlashTime(0);
        DialogMP d;
        QVERIFY(d.TimerFlash()->interval() >= 200);
        QGuiApplication::styleHints()->setCursorFlashTime(1000);
    }
};

QTEST_MAIN(TstDialogMP)
#include "tst_DialogMP.moc"
