#include "PosteF1.h"

#include "F1posteProgrammation.h"
#include "OperateurQt.h"
#include "ShowMsg.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>

PosteF1::PosteF1(F1posteProgrammation& fenetre, Operateur& operateur)
    : Poste(operateur), fenetre_(fenetre) {}

void PosteF1::AfficheInfo(const QString& texte) {
    Poste::AfficheInfo(texte);
    fenetre_.info->setText(TexteAffichable(texte));
}

void PosteF1::CouleurInfo(const QColor& fond) {
    Poste::CouleurInfo(fond);
    QPalette palette = fenetre_.info->palette();
    palette.setColor(QPalette::Window,
                     fond.isValid() ? fond : fenetre_.palette().color(QPalette::Window));
    fenetre_.info->setPalette(palette);
}

void PosteF1::AfficheDernierSN(const QString& texte) {
    Poste::AfficheDernierSN(texte);
    fenetre_.LblDernierSN->setText(texte);
}

void PosteF1::MontreBtCancel(bool visible) {
    Poste::MontreBtCancel(visible);
    fenetre_.BtCancel->setVisible(visible);
}

void PosteF1::LegendeBtCancel(const QString& legende) {
    Poste::LegendeBtCancel(legende);
    fenetre_.BtCancel->setText(LegendeLitterale(legende));
}

void PosteF1::CouleurBtCancel(const QColor& couleur) {
    Poste::CouleurBtCancel(couleur);
    fenetre_.BtCancel->setStyleSheet(
        couleur.isValid()
            ? QStringLiteral("QPushButton#BtCancel { background-color: %1; }").arg(couleur.name())
            : QString());
}

bool PosteF1::Message(const QString& texte, int dureeMs, const QString& image) {
    Poste::Message(texte, dureeMs, image);
    return ShowMsg::instance().Message(texte, dureeMs, image);
}

void PosteF1::Refus() {
    QApplication::beep();
}
