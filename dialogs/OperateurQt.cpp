#include "OperateurQt.h"

#include "DialogMP.h"
#include "Poste.h"

#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

QString TexteAffichable(const QString& texte) {
    QString t = texte;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t;
}

QString LegendeLitterale(const QString& texte) {
    return QString(texte).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

namespace {

QString titreOuProgramme(const QString& titre) {
    return titre.isEmpty() ? NomProgramme() : titre;
}

QMessageBox::Icon iconeQt(Icone icone) {
    switch (icone) {
    case Icone::Information:
        return QMessageBox::Information;
    case Icone::Exclamation:
        return QMessageBox::Warning;
    case Icone::Critique:
        return QMessageBox::Critical;
    case Icone::Question:
        return QMessageBox::Question;
    case Icone::Aucune:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

// The picture message window stays on top of the others; a box the operator
// must answer goes in the same layer, so the manager stacks it above the
// message as the newer window, never behind it.
void DevantLeMessage(QWidget& boite) {
    boite.setWindowFlag(Qt::WindowStaysOnTopHint, true);
}

OperateurQt::OperateurQt(QWidget* parent) : parent_(parent) {}

void OperateurQt::Boite(const QString& texte, const QString& titre, Icone icone) {
    QMessageBox boite(iconeQt(icone), titreOuProgramme(titre), TexteAffichable(texte),
                      QMessageBox::Ok, parent_);
    boite.setObjectName(QStringLiteral("Boite"));
    boite.setTextFormat(Qt::PlainText);
    DevantLeMessage(boite);
    boite.exec();
}

bool OperateurQt::OuiNon(const QString& texte, const QString& titre, Icone icone,
                         bool nonParDefaut) {
    QMessageBox boite(iconeQt(icone), titreOuProgramme(titre), TexteAffichable(texte),
                      QMessageBox::Yes | QMessageBox::No, parent_);
    boite.setObjectName(QStringLiteral("OuiNon"));
    boite.setTextFormat(Qt::PlainText);
    boite.button(QMessageBox::Yes)->setText(QStringLiteral("&Oui"));
    boite.button(QMessageBox::No)->setText(QStringLiteral("&Non"));
    boite.setDefaultButton(nonParDefaut ? QMessageBox::No : QMessageBox::Yes);
    // Closing the box is an answer No, never a silent Yes.
    boite.setEscapeButton(QMessageBox::No);
    DevantLeMessage(boite);
    return boite.exec() == QMessageBox::Yes;
}

QString OperateurQt::Saisie(const QString& invite, const QString& titre, const QString& defaut) {
    QInputDialog boite(parent_);
    boite.setObjectName(QStringLiteral("Saisie"));
    boite.setWindowTitle(titreOuProgramme(titre));
    boite.setLabelText(TexteAffichable(invite));
    boite.setTextValue(defaut);
    boite.setOkButtonText(QStringLiteral("OK"));
    boite.setCancelButtonText(QStringLiteral("Annuler"));
    DevantLeMessage(boite);
    if (boite.exec() != QDialog::Accepted)
        return {};
    return boite.textValue();
}

QString OperateurQt::MotDePasse(const QString& titre, const QString& entete) {
    return DialogMP::Demande(parent_, titre, entete);
}
