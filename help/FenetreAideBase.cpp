#include "FenetreAideBase.h"

#include "DessinBanc.h"
#include "FenetresAide.h"

#include <QHBoxLayout>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>

FenetreAideBase::FenetreAideBase(const QString& nom, const QString& titre, const QString& nomBouton,
                                 const QString& legendeBouton, const QString& texteFixe,
                                 bool avecImage, QWidget* parent)
    : QWidget(parent, Qt::Window) {
    setObjectName(nom);
    setWindowTitle(titre);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::NonModal);

    inf_ = new QLabel(this);
    inf_->setObjectName(QStringLiteral("inf"));
    // Plain text: a translated line holding "<" must show as typed.
    inf_->setTextFormat(Qt::PlainText);
    inf_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    inf_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    inf_->setMargin(8);
    inf_->setText(texteFixe);

    fermer_ = new QPushButton(legendeBouton, this);
    fermer_->setObjectName(nomBouton);
    fermer_->setDefault(true);
    connect(fermer_, &QPushButton::clicked, this, &QWidget::close);

    defilement_ = new QScrollArea(this);
    defilement_->setWidget(inf_);
    defilement_->setWidgetResizable(true);
    defilement_->setFrameShape(QFrame::NoFrame);

    auto* contenu = new QHBoxLayout;
    if (avecImage) {
        image_ = new QLabel(this);
        image_->setObjectName(QStringLiteral("Image1"));
        image_->setPixmap(DessinBanc(QSize(360, 300)));
        image_->setAlignment(Qt::AlignTop);
        image_->setToolTip(QStringLiteral("carte, programmateur, barriere IR et rail de test"));
        contenu->addWidget(image_);
    }
    contenu->addWidget(defilement_, 1);

    auto* bas = new QHBoxLayout;
    bas->addStretch(1);
    bas->addWidget(fermer_);

    auto* tout = new QVBoxLayout(this);
    tout->addLayout(contenu, 1);
    tout->addLayout(bas);
}

void FenetreAideBase::MetTexte(const QString& texte) {
    inf_->setText(texte);
    // The whole text without scrolling when the screen is big enough.
    QSize place(1600, 1000);
    if (const QScreen* ecran = screen())
        place = ecran->availableGeometry().size() * 0.85;
    if (image_)
        place.rwidth() -= image_->sizeHint().width();
    const QSize voulu = inf_->sizeHint() + QSize(24, 8); // room for a scroll bar
    defilement_->setMinimumSize(voulu.boundedTo(place - QSize(40, 80)));
    adjustSize();
}

void FenetreAideBase::Traduit() {
    TraduitFenetreAide(this);
}
