// The Qt operator: titles, icons, default buttons and the empty answer of a
// cancelled input box, answered through the real dialogs.
#include "AttendModal.h"
#include "DialogMP.h"
#include "OperateurQt.h"
#include "Poste.h"

#include <QGuiApplication>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSet>
#include <QTest>

class TstOperateurQt : public QObject {
    Q_OBJECT
private:
    OperateurQt op;

private slots:
    void boite_data() {
        QTest::addColumn<QString>("titre");
        QTest::addColumn<int>("icone");
        QTest::addColumn<QString>("titreAttendu");
        QTest::addColumn<int>("iconeAttendue");
        QTest::addRow("sans titre")
            << QString() << int(Icone::Aucune) << NomProgramme() << int(QMessageBox::NoIcon);
        QTest::addRow("critique") << QStringLiteral("Erreur ouverture port carte")
                                  << int(Icone::Critique)
                                  << QStringLiteral("Erreur ouverture port carte")
                                  << int(QMessageBox::Critical);
        QTest::addRow("exclamation")
            << QString() << int(Icone::Exclamation) << NomProgramme() << int(QMessageBox::Warning);
        QTest::addRow("information")
            << QStringLiteral("BILAN TEST") << int(Icone::Information)
            << QStringLiteral("BILAN TEST") << int(QMessageBox::Information);
    }
    void boite() {
        QFETCH(QString, titre);
        QFETCH(int, icone);
        QFETCH(QString, titreAttendu);
        QFETCH(int, iconeAttendue);
        QString titreVu, texteVu;
        int iconeVue = -1;
        quandModal([&](QWidget* w) {
            auto* b = qobject_cast<QMessageBox*>(w);
            QVERIFY(b);
            titreVu = b->windowTitle();
            texteVu = b->text();
            iconeVue = b->icon();
            b->button(QMessageBox::Ok)->click();
        });
        op.Boite(QStringLiteral("coller l'etiquette sous la carte\r\r0001"), titre,
                 static_cast<Icone>(icone));
        QCOMPARE(titreVu, titreAttendu);
        QCOMPARE(texteVu, QStringLiteral("coller l'etiquette sous la carte\n\n0001"));
        QCOMPARE(iconeVue, iconeAttendue);
    }

    void ouiNon_data() {
        QTest::addColumn<bool>("nonParDefaut");
        QTest::addColumn<int>("touche");
        QTest::addColumn<bool>("attendu");
        QTest::addRow("Entree, Oui par defaut") << false << int(Qt::Key_Return) << true;
        QTest::addRow("Entree, Non par defaut") << true << int(Qt::Key_Return) << false;
        QTest::addRow("Echap") << false << int(Qt::Key_Escape) << false;
    }
    void ouiNon() {
        QFETCH(bool, nonParDefaut);
        QFETCH(int, touche);
        QFETCH(bool, attendu);
        QString titreVu;
        quandModal([&](QWidget* w) {
            titreVu = w->windowTitle();
            QWidget* cible = QApplication::focusWidget() ? QApplication::focusWidget() : w;
            QTest::keyClick(cible, static_cast<Qt::Key>(touche));
        });
        QCOMPARE(op.OuiNon(QStringLiteral("Voulez-vous continuer à attribuer un SN ?"),
                           QStringLiteral("DEFAUT EA et/ou IR"), Icone::Exclamation, nonParDefaut),
                 attendu);
        QCOMPARE(titreVu, QStringLiteral("DEFAUT EA et/ou IR"));
    }

    void ouiNonBoutons() {
        quandModal([](QWidget* w) {
            auto* b = qobject_cast<QMessageBox*>(w);
            QCOMPARE(b->button(QMessageBox::Yes)->text(), QStringLiteral("&Oui"));
            b->button(QMessageBox::No)->click();
        });
        QVERIFY(!op.OuiNon(QStringLiteral("?")));
    }

    // A bench of 100 rails: the report scrolls inside the box, and the
    // question, the title and the buttons stay on the screen; a short report
    // is the plain message box.
    void rapport_data() {
        QTest::addColumn<int>("rails");
        QTest::addColumn<bool>("ouiNon");
        QTest::addRow("question, 100 rails") << 100 << true;
        QTest::addRow("bilan, 100 rails") << 100 << false;
        QTest::addRow("question, 3 rails") << 3 << true;
    }
    void rapport() {
        QFETCH(int, rails);
        QFETCH(bool, ouiNon);
        QString rapport = QStringLiteral("Test RAILS 09/12/2026 10:00:00\r");
        for (int i = 1; i <= rails; ++i)
            rapport += QStringLiteral("A%1 --> R15\r").arg(i, 2, 10, QLatin1Char('0'));
        const QString question = QStringLiteral(
            "\rTous les rails testes sont-ils correctes ?\r\rsi reponse 'OUI' -> attribution d'un "
            "SN à chaque rail complet + etiquette\rsi reponse 'NON' -> arret du test sans SN ni "
            "etiquette");
        const QRect ecran = QGuiApplication::primaryScreen()->availableGeometry();
        QString titreVu, rapportVu, questionVu;
        QStringList boutonsVus;
        bool dansLEcran = false;
        quandModal([&](QWidget* w) {
            titreVu = w->windowTitle();
            dansLEcran = ecran.contains(w->frameGeometry());
            if (auto* b = qobject_cast<QMessageBox*>(w)) {
                rapportVu = b->text();
                for (QAbstractButton* bouton : b->buttons())
                    boutonsVus << bouton->text();
                b->buttons().last()->click();
                return;
            }
            auto* zone = w->findChild<QPlainTextEdit*>(QStringLiteral("TexteRapport"));
            QVERIFY(zone);
            rapportVu = zone->toPlainText();
            // Scrolled, not cut.
            QVERIFY(zone->verticalScrollBar()->maximum() > 0);
            if (auto* q = w->findChild<QLabel*>(QStringLiteral("TexteQuestion")))
                questionVu = q->isVisible() ? q->text() : QString();
            for (QPushButton* bouton : w->findChildren<QPushButton*>()) {
                const QRect place(bouton->mapToGlobal(QPoint(0, 0)), bouton->size());
                if (bouton->isVisible() && ecran.contains(place))
                    boutonsVus << bouton->text();
            }
            w->findChildren<QPushButton*>().last()->click();
        });
        if (ouiNon)
            op.OuiNonRapport(rapport, question);
        else
            op.BoiteRapport(rapport, {}, QStringLiteral("BILAN TEST"), Icone::Information);

        QVERIFY(dansLEcran);
        QCOMPARE(titreVu, ouiNon ? NomProgramme() : QStringLiteral("BILAN TEST"));
        const QStringList attendus = ouiNon ? QStringList{"&Oui", "&Non"} : QStringList{"OK"};
        QCOMPARE(QSet<QString>(boutonsVus.begin(), boutonsVus.end()),
                 QSet<QString>(attendus.begin(), attendus.end()));
        if (rails < 10) {
            QCOMPARE(rapportVu, TexteAffichable(rapport + (ouiNon ? question : QString())));
            return;
        }
        QCOMPARE(rapportVu, TexteAffichable(rapport).chopped(1));
        QCOMPARE(questionVu, ouiNon ? TexteAffichable(question).trimmed() : QString());
    }

    void saisie_data() {
        QTest::addColumn<bool>("valide");
        QTest::addColumn<QString>("attendu");
        QTest::addRow("OK") << true << QStringLiteral("R15x");
        QTest::addRow("Annuler") << false << QString();
    }
    void saisie() {
        QFETCH(bool, valide);
        QFETCH(QString, attendu);
        QString titreVu, defautVu;
        quandModal([&](QWidget* w) {
            auto* d = qobject_cast<QInputDialog*>(w);
            QVERIFY(d);
            titreVu = d->windowTitle();
            defautVu = d->textValue();
            auto* champ = d->findChild<QLineEdit*>();
            QTest::keyClick(champ, Qt::Key_End);
            QTest::keyClicks(champ, QStringLiteral("x"));
            if (valide)
                QTest::keyClick(champ, Qt::Key_Return);
            else
                d->reject();
        });
        QCOMPARE(op.Saisie(QStringLiteral("Taper ici le type de rail à tester"), QString(),
                           QStringLiteral("R15")),
                 attendu);
        QCOMPARE(titreVu, NomProgramme());
        QCOMPARE(defautVu, QStringLiteral("R15"));
    }

    void motDePasse() {
        QString enteteVu;
        quandModal([&](QWidget* w) {
            auto* d = qobject_cast<DialogMP*>(w);
            QVERIFY(d);
            enteteVu = d->titre()->text();
            QTest::keyClicks(d->TextMP(), QStringLiteral("Secret"));
            QTest::keyClick(d->TextMP(), Qt::Key_Return);
        });
        QCOMPARE(op.MotDePasse(QStringLiteral("Calvanet"), QStringLiteral("entete")),
                 QStringLiteral("Secret"));
        QCOMPARE(enteteVu, QStringLiteral("entete"));
    }
};

QTEST_MAIN(TstOperateurQt)
#include "tst_OperateurQt.moc"
