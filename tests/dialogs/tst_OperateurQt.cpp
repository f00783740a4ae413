// The Qt operator: titles, icons, default buttons and the empty answer of a
// cancelled input box, answered through the real dialogs.
#include "AttendModal.h"
#include "DialogMP.h"
#include "OperateurQt.h"
#include "Poste.h"

#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
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
