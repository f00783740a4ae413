#pragma once
// The cabinet window as the operator has it: the real main window offscreen
// on the simulated card bus, the cabinet window opened by its button, and
// the operator's answers queued before each click.
#include "AttributionMeuble.h"
#include "BancFenetre.h"

#include <QAccessible>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMap>
#include <QProgressBar>
#include <QTest>

// A button's caption as the operator gets it, read by Qt's accessibility
// layer (what a screen reader says): the keyboard-mnemonic "&" gone, "&&" one "&".
inline QString TexteAffiche(QAbstractButton* bouton) {
    QAccessibleInterface* lu = QAccessible::queryAccessibleInterface(bouton);
    return lu ? lu->text(QAccessible::Name) : QString();
}

class BancMeuble : public BancFenetre {
public:
    AttributionMeuble* w = nullptr;

    // The station, then its cabinet window through BtAttribueMeuble.
    bool ouvre() {
        if (!demarre())
            return false;
        clique("BtAttribueMeuble");
        w = f->findChild<AttributionMeuble*>();
        return w != nullptr;
    }

    // A card on the line with its factory name "A5" and `sn`.
    void carteUsine(const QByteArray& sn, const QByteArray& nom = "A5") {
        carte([&](CarteSimulee& c) {
            c.nom = nom;
            c.sn = sn;
        });
    }

    // The creation dialogue: pharmacy, cabinet name, trays, then the answers
    // given at the SN prompts (an empty one cancels).
    void cree(const QString& nom, const QString& premier, const QString& dernier,
              const QStringList& sns, const QString& pharma = QStringLiteral("Pharmacie du Parc"),
              const QString& adresse = QStringLiteral("3 place Verte")) {
        creeAvec(QStringList{nom, premier, dernier} + sns, pharma, adresse);
    }
    // The same with the answers as they come, however few.
    void creeAvec(const QStringList& reponses,
                  const QString& pharma = QStringLiteral("Pharmacie du Parc"),
                  const QString& adresse = QStringLiteral("3 place Verte")) {
        w->TxtNomPharma->setText(pharma);
        w->TxtAdrPharma->setText(adresse);
        for (const QString& r : reponses)
            op.repond(r);
        cliqueMeuble(w->BtCreerNouveauMeuble);
    }

    void cliqueMeuble(QPushButton* bouton) { QTest::mouseClick(bouton, Qt::LeftButton); }

    QStringList lignes() const { return w->lignes(); }

    // A double-click on line `i` of the tray list.
    void doubleClique(int i) {
        QListWidget* l = w->ListSN;
        const QRect r = l->visualItemRect(l->item(i));
        QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, r.center());
        QTest::mouseDClick(l->viewport(), Qt::LeftButton, {}, r.center());
    }

    // Every text each tray line took, in order, from now on: one per pass.
    QMap<int, QStringList> historique;
    void suitLignes() {
        QObject::connect(w->ListSN, &QListWidget::itemChanged, w, [this](QListWidgetItem* i) {
            historique[w->ListSN->row(i)] << i->text();
        });
    }

    // The texts of the prompts of the input boxes, in order.
    QStringList invites() const {
        QStringList r;
        for (const auto& e : op.echanges)
            if (e.genre == OperateurScripte::Genre::Saisie)
                r << e.texte;
        return r;
    }
};
