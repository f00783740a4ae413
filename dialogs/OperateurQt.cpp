#include "OperateurQt.h"

#include "DialogMP.h"
#include "Poste.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>

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

QRect EcranDisponible(const QWidget* parent) {
    const QScreen* ecran =
        parent && parent->screen() ? parent->screen() : QGuiApplication::primaryScreen();
    return ecran ? ecran->availableGeometry() : QRect(0, 0, 800, 600);
}

} // namespace

// The picture message window stays on top of the others; a box the operator
// must answer goes in the same layer, so the manager stacks it above the
// message as the newer window, never behind it.
void DevantLeMessage(QWidget& boite) {
    boite.setWindowFlag(Qt::WindowStaysOnTopHint, true);
}

OperateurQt::OperateurQt(QWidget* parent) : parent_(parent) {}

namespace {

enum class Boutons { Ok, OuiNon };

// What tests and the screenshot driver find a box by, whatever its kind.
QString NomBoite(Boutons boutons) {
    return boutons == Boutons::Ok ? QStringLiteral("Boite") : QStringLiteral("OuiNon");
}

// The station's message box; true for OK or Yes.
bool BoiteMessage(QWidget* parent, const QString& texte, const QString& titre, Icone icone,
                  Boutons boutons, bool nonParDefaut) {
    const bool ok = boutons == Boutons::Ok;
    QMessageBox boite(iconeQt(icone), titreOuProgramme(titre), TexteAffichable(texte),
                      ok ? QMessageBox::Ok : QMessageBox::Yes | QMessageBox::No, parent);
    boite.setObjectName(NomBoite(boutons));
    boite.setTextFormat(Qt::PlainText);
    if (!ok) {
        boite.button(QMessageBox::Yes)->setText(QStringLiteral("&Oui"));
        boite.button(QMessageBox::No)->setText(QStringLiteral("&Non"));
        boite.setDefaultButton(nonParDefaut ? QMessageBox::No : QMessageBox::Yes);
        // Closing the box is an answer No, never a silent Yes.
        boite.setEscapeButton(QMessageBox::No);
    }
    DevantLeMessage(boite);
    return boite.exec() == (ok ? QMessageBox::Ok : QMessageBox::Yes);
}

} // namespace

void OperateurQt::Boite(const QString& texte, const QString& titre, Icone icone) {
    BoiteMessage(parent_, texte, titre, icone, Boutons::Ok, false);
}

bool OperateurQt::OuiNon(const QString& texte, const QString& titre, Icone icone,
                         bool nonParDefaut) {
    return BoiteMessage(parent_, texte, titre, icone, Boutons::OuiNon, nonParDefaut);
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

namespace {

// A box with a report: the message box of the station when it fits the
// screen; otherwise the report scrolls, read-only, in a text area sized to
// the screen, with what follows it, the title, the icon and the buttons
// always in view (a bench of 100 rails makes a report of over 100 lines).
// Returns true for OK or Yes.
bool BoiteAvecRapport(QWidget* parent, const QString& rapport, const QString& suite,
                      const QString& titre, Icone icone, Boutons boutons, bool nonParDefaut) {
    const QRect ecran = EcranDisponible(parent);
    const QString toutLeTexte = TexteAffichable(rapport + suite);
    const QFontMetrics mesure(QApplication::font("QMessageBox"));
    // Title bar, margins and buttons of a message box: well under 200 pixels.
    const bool tient =
        (toutLeTexte.count(QLatin1Char('\n')) + 1) * mesure.lineSpacing() + 200 <= ecran.height();
    if (tient)
        return BoiteMessage(parent, rapport + suite, titre, icone, boutons, nonParDefaut);

    QDialog boite(parent);
    boite.setObjectName(NomBoite(boutons));
    boite.setWindowTitle(titreOuProgramme(titre));
    auto* grille = new QGridLayout(&boite);
    if (icone != Icone::Aucune) {
        auto* image = new QLabel(&boite);
        // The very picture of the station's message box of that kind.
        QMessageBox modele;
        modele.setIcon(iconeQt(icone));
        image->setPixmap(modele.iconPixmap());
        grille->addWidget(image, 0, 0, 2, 1, Qt::AlignTop);
    }
    auto* zone = new QPlainTextEdit(&boite);
    zone->setObjectName(QStringLiteral("TexteRapport"));
    zone->setReadOnly(true);
    zone->setLineWrapMode(QPlainTextEdit::NoWrap);
    QString lignes = TexteAffichable(rapport);
    while (lignes.endsWith(QLatin1Char('\n')))
        lignes.chop(1);
    zone->setPlainText(lignes);
    grille->addWidget(zone, 0, 1);
    const QString apres = TexteAffichable(suite).trimmed();
    if (!apres.isEmpty()) {
        auto* question = new QLabel(apres, &boite);
        question->setObjectName(QStringLiteral("TexteQuestion"));
        question->setTextFormat(Qt::PlainText);
        question->setWordWrap(true);
        grille->addWidget(question, 1, 1);
    }
    auto* rangee = new QDialogButtonBox(&boite);
    QPushButton* oui = nullptr;
    QPushButton* non = nullptr;
    if (boutons == Boutons::Ok) {
        oui = rangee->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    } else {
        oui = rangee->addButton(QStringLiteral("&Oui"), QDialogButtonBox::YesRole);
        non = rangee->addButton(QStringLiteral("&Non"), QDialogButtonBox::NoRole);
    }
    QObject::connect(rangee, &QDialogButtonBox::accepted, &boite, &QDialog::accept);
    QObject::connect(rangee, &QDialogButtonBox::rejected, &boite, &QDialog::reject);
    grille->addWidget(rangee, 2, 0, 1, 2);
    QPushButton* parDefaut = non && nonParDefaut ? non : oui;
    parDefaut->setDefault(true);
    parDefaut->setFocus();

    // The report's width, and the height the screen leaves it once the rest
    // of the box and a window frame are placed.
    const QFontMetrics police(zone->font());
    int largeur = 0;
    for (const QString& ligne : zone->toPlainText().split(QLatin1Char('\n')))
        largeur = qMax(largeur, police.horizontalAdvance(ligne));
    largeur += 2 * zone->frameWidth() + zone->verticalScrollBar()->sizeHint().width() + 12;
    zone->setMinimumWidth(qMin(largeur, ecran.width() * 9 / 10 - 120));
    zone->setFixedHeight(0);
    const int reste = boite.sizeHint().height() + 60;
    zone->setMinimumHeight(0);
    zone->setMaximumHeight(QWIDGETSIZE_MAX);
    zone->setFixedHeight(qMax(police.lineSpacing() * 3, ecran.height() - reste));
    boite.adjustSize();
    boite.move(ecran.center() - QPoint(boite.width() / 2, boite.height() / 2));
    DevantLeMessage(boite);
    // Escape and the window's close are No, never a silent Yes.
    return boite.exec() == QDialog::Accepted;
}

} // namespace

void OperateurQt::BoiteRapport(const QString& rapport, const QString& texte, const QString& titre,
                               Icone icone) {
    BoiteAvecRapport(parent_, rapport, texte, titre, icone, Boutons::Ok, false);
}

bool OperateurQt::OuiNonRapport(const QString& rapport, const QString& question,
                                const QString& titre, Icone icone, bool nonParDefaut) {
    return BoiteAvecRapport(parent_, rapport, question, titre, icone, Boutons::OuiNon,
                            nonParDefaut);
}
