#include "DialogMP.h"
#include "OperateurQt.h"

#include "TraduitFeuille.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QVBoxLayout>

QString MotPasseSaisi;

namespace {
// Used when the platform reports no caret blinking, so that the title still flashes.
constexpr int kFlashDefautMs = 1000;
} // namespace

DialogMP::DialogMP(QWidget* parent) : QDialog(parent) {
    MotPasseSaisi.clear();
    setObjectName(QStringLiteral("DialogMP"));
    setWindowTitle(QStringLiteral("Boîte de dialogue"));
    setModal(true);

    titre_ = new QLabel(this);
    titre_->setObjectName(QStringLiteral("titre"));
    titre_->setTextFormat(Qt::PlainText);
    titre_->setWordWrap(true);
    titre_->setAlignment(Qt::AlignCenter);
    QFont gras = titre_->font();
    gras.setBold(true);
    titre_->setFont(gras);
    titre_->setAutoFillBackground(true);

    textMP_ = new QLineEdit(this);
    textMP_->setObjectName(QStringLiteral("TextMP"));
    textMP_->setAccessibleName(QStringLiteral("Mot de passe"));
    textMP_->setEchoMode(QLineEdit::Password);
    // Every character shows as "*", whatever the style's own mask character.
    textMP_->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    titre_->setBuddy(textMP_);

    label1_ = new QLabel(QStringLiteral("appuyer sur ENTER pour valider votre saisie"), this);
    label1_->setObjectName(QStringLiteral("Label1"));
    label1_->setAlignment(Qt::AlignCenter);

    auto* disposition = new QVBoxLayout(this);
    disposition->addWidget(titre_);
    disposition->addWidget(textMP_);
    disposition->addWidget(label1_);
    setMinimumWidth(320);
    TraduitFeuille(this, QStringLiteral("DialogMP"));

    timerFlash_ = new QTimer(this);
    timerFlash_->setObjectName(QStringLiteral("TimerFlash"));
    const int periode = QApplication::cursorFlashTime();
    timerFlash_->setInterval(periode > 0 ? periode : kFlashDefautMs);
    connect(timerFlash_, &QTimer::timeout, this, &DialogMP::clignote);
    connect(textMP_, &QLineEdit::returnPressed, this, &DialogMP::valide);
    connect(this, &QDialog::finished, timerFlash_, &QTimer::stop);

    textMP_->setFocus();
}

void DialogMP::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    timerFlash_->start();
}

// Only Enter and the close button end the dialog: a stray Esc must not end
// the station's start-up.
void DialogMP::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape) {
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

void DialogMP::valide() {
    MotPasseSaisi = textMP_->text();
    accept();
}

// A modal dialog is the active window, and window managers do not flash an
// active window's title bar: the heading itself alternates with the
// selection colours, so the flash is seen on every platform.
void DialogMP::clignote() {
    flash_ = !flash_;
    QPalette couleurs = palette();
    if (flash_) {
        couleurs.setColor(QPalette::Window, couleurs.color(QPalette::Highlight));
        couleurs.setColor(QPalette::WindowText, couleurs.color(QPalette::HighlightedText));
    }
    titre_->setPalette(couleurs);
    if (flash_)
        QApplication::alert(this, timerFlash_->interval());
}

QString DialogMP::Demande(QWidget* parent, const QString& titre, const QString& entete) {
    DialogMP dialogue(parent);
    DevantLeMessage(dialogue);
    dialogue.setWindowTitle(titre);
    dialogue.titre()->setText(entete);
    dialogue.exec();
    return MotPasseSaisi;
}
