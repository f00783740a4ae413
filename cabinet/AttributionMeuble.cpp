#include "AttributionMeuble.h"
#include "TraduitFeuille.h"

#include "AttribueCartesMeuble.h"
#include "AuPremierPlan.h"
#include "CreationMeuble.h"
#include "FeuilleMeuble.h"
#include "OperateurQt.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QPushButton* Bouton(QWidget* parent, const QString& nom, const QString& legende) {
    auto* b = new QPushButton(LegendeLitterale(legende), parent);
    b->setObjectName(nom);
    b->setAutoDefault(false);
    return b;
}

QLabel* Etiquette(QWidget* parent, const QString& nom, const QString& texte) {
    auto* l = new QLabel(texte, parent);
    l->setObjectName(nom);
    l->setTextFormat(Qt::PlainText);
    return l;
}

} // namespace

AttributionMeuble::AttributionMeuble(Poste& poste, QWidget* parent)
    : QWidget(parent, Qt::Window), poste_(poste) {
    setObjectName(QStringLiteral("AttributionMeuble"));
    setWindowTitle(QStringLiteral("Attribution Meuble"));
    setAttribute(Qt::WA_DeleteOnClose);
    construit();
    Form_Load();
}

AttributionMeuble::~AttributionMeuble() = default;

void AttributionMeuble::construit() {
    LblTitreAttribution = Etiquette(this, QStringLiteral("LblTitreAttribution"),
                                    QStringLiteral("Attribution d'un meuble pour une PHARMACIE"));
    QFont titre = LblTitreAttribution->font();
    titre.setPointSizeF(titre.pointSizeF() * 1.5);
    titre.setBold(true);
    LblTitreAttribution->setFont(titre);
    LblTitreAttribution->setAlignment(Qt::AlignCenter);

    LblNomPharma = Etiquette(this, QStringLiteral("LblNomPharma"), QStringLiteral("Nom Pharma"));
    TxtNomPharma = new QLineEdit(this);
    TxtNomPharma->setObjectName(QStringLiteral("TxtNomPharma"));
    LblAdrPharma =
        Etiquette(this, QStringLiteral("LblAdrPharma"), QStringLiteral("Adresse Pharma"));
    TxtAdrPharma = new QLineEdit(this);
    TxtAdrPharma->setObjectName(QStringLiteral("TxtAdrPharma"));

    BtCreerNouveauMeuble = Bouton(this, QStringLiteral("BtCreerNouveauMeuble"),
                                  QStringLiteral("Créer un nouveau Meuble"));
    LblListeCartes =
        Etiquette(this, QStringLiteral("LblListeCartes"), QStringLiteral("liste des cartes"));
    ListSN = new QListWidget(this);
    ListSN->setObjectName(QStringLiteral("ListSN"));
    // Positions in a line mean something: keep the columns aligned.
    ListSN->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    ListSN->setSelectionMode(QAbstractItemView::SingleSelection);
    ListSN->installEventFilter(this);
    ListSN->viewport()->installEventFilter(this);

    BtAttribuerCartes =
        Bouton(this, QStringLiteral("BtAttribuerCartes"), QStringLiteral("Attribuer les Cartes"));
    BtEditFeuilleMeuble = Bouton(this, QStringLiteral("BtEditFeuilleMeuble"),
                                 QStringLiteral("Edition de la feuille de Meuble"));
    ChkFeuillePDF = new QCheckBox(LegendeLitterale(QStringLiteral("feuille en PDF")), this);
    ChkFeuillePDF->setObjectName(QStringLiteral("ChkFeuillePDF"));
    ChkFeuillePDF->setToolTip(
        QStringLiteral("enregistre la feuille en PDF dans le dossier des traces"));
    LblEtat = Etiquette(this, QStringLiteral("LblEtat"), QStringLiteral("Etat"));
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    // Opaque: its repaint at each tray leaves the window under it alone.
    ProgressBar1->setAutoFillBackground(true);
    BtFin = Bouton(this, QStringLiteral("BtFin"), QStringLiteral("Fin"));
    BtAide = Bouton(this, QStringLiteral("BtAide"), QStringLiteral("?"));

    auto* pharmacie = new QGridLayout;
    pharmacie->addWidget(LblNomPharma, 0, 0);
    pharmacie->addWidget(TxtNomPharma, 0, 1);
    pharmacie->addWidget(LblAdrPharma, 1, 0);
    pharmacie->addWidget(TxtAdrPharma, 1, 1);

    auto* liste = new QVBoxLayout;
    liste->addWidget(LblListeCartes);
    liste->addWidget(ListSN, 1);
    liste->addStretch(0);

    auto* boutons = new QVBoxLayout;
    boutons->addWidget(BtCreerNouveauMeuble);
    boutons->addSpacing(12);
    boutons->addWidget(BtAttribuerCartes);
    boutons->addSpacing(12);
    boutons->addWidget(BtEditFeuilleMeuble);
    boutons->addWidget(ChkFeuillePDF);
    boutons->addStretch(1);
    boutons->addWidget(BtAide);
    boutons->addWidget(BtFin);

    auto* centre = new QHBoxLayout;
    centre->addLayout(liste, 1);
    centre->addLayout(boutons);

    auto* tout = new QVBoxLayout(this);
    tout->addWidget(LblTitreAttribution);
    tout->addLayout(pharmacie);
    tout->addLayout(centre, 1);
    tout->addWidget(LblEtat);
    tout->addWidget(ProgressBar1);
    resize(640, 560);

    connect(BtCreerNouveauMeuble, &QPushButton::clicked, this, [this] {
        lance([this] { CreeNouveauMeuble(poste_, meuble, *this); },
              BtCreerNouveauMeuble->objectName(), false);
    });
    connect(BtAttribuerCartes, &QPushButton::clicked, this, [this] {
        lance([this] { AttribueCartesMeuble(poste_, meuble, *this); },
              QStringLiteral("AttribueCartesMeuble"), true);
    });
    connect(BtEditFeuilleMeuble, &QPushButton::clicked, this, [this] {
        const bool pdf = ChkFeuillePDF->isChecked();
        lance([this, pdf] { EditeFeuilleMeuble(poste_, meuble, *this, pdf); },
              QStringLiteral("EditeFeuilleMeuble"), true);
    });
    connect(BtFin, &QPushButton::clicked, this, &QWidget::close);
    connect(BtAide, &QPushButton::clicked, this, [this] {
        if (ouvreAide)
            ouvreAide();
    });
}

// What the window does each time it is opened; the translation of its
// controls, under the name "AttributionMeuble", comes last.
void AttributionMeuble::Form_Load() {
    ListSN->clear();
    ListSN->hide();
    TxtNomPharma->clear();
    TxtAdrPharma->clear();
    LblEtat->clear();
    ProgressBar1->setValue(0);
    ProgressBar1->hide();
    meuble.NomMeuble.clear();
    meuble.PremierPlateau = 0;
    meuble.DernierPlateau = 0;
    TraduitFeuille(this, QStringLiteral("AttributionMeuble"));
}

void AttributionMeuble::lance(const std::function<void()>& action, const QString& nom,
                              bool exclusif) {
    if (occupe_) {
        poste_.Refus();
        return;
    }
    occupe_ = true;
    poste_.Execute(action, nom, exclusif);
    occupe_ = false;
}

bool AttributionMeuble::eventFilter(QObject* objet, QEvent* evenement) {
    if (objet == ListSN && evenement->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(evenement)->key() == Qt::Key_Delete) {
        // The tray's SN stays in the record; only its line goes.
        if (!occupe_ && selection() >= 0)
            delete ListSN->takeItem(selection());
        return true;
    }
    if (objet == ListSN->viewport() && evenement->type() == QEvent::MouseButtonDblClick) {
        lance([this] { SaisieUnSN(poste_, meuble, *this); }, QStringLiteral("ListSN"), false);
        return true;
    }
    return QWidget::eventFilter(objet, evenement);
}

void AttributionMeuble::closeEvent(QCloseEvent* evenement) {
    // Closing under a running procedure would pull its window away from it.
    if (occupe_) {
        poste_.Refus();
        evenement->ignore();
        return;
    }
    evenement->accept();
}

QString AttributionMeuble::NomPharma() const {
    return TxtNomPharma->text();
}

QString AttributionMeuble::AdrPharma() const {
    return TxtAdrPharma->text();
}

void AttributionMeuble::FocusNomPharma() {
    TxtNomPharma->setFocus();
}

QStringList AttributionMeuble::lignes() const {
    QStringList r;
    for (int i = 0; i < ListSN->count(); ++i)
        r << ListSN->item(i)->text();
    return r;
}

void AttributionMeuble::videListe() {
    ListSN->clear();
}

void AttributionMeuble::ajouteLigne(const QString& ligne) {
    ListSN->addItem(ligne);
}

void AttributionMeuble::changeLigne(int indice, const QString& ligne) {
    if (QListWidgetItem* item = ListSN->item(indice))
        item->setText(ligne);
}

void AttributionMeuble::selectionne(int indice) {
    ListSN->setCurrentRow(indice);
}

int AttributionMeuble::selection() const {
    const QList<QListWidgetItem*> choisis = ListSN->selectedItems();
    return choisis.isEmpty() ? -1 : ListSN->row(choisis.first());
}

void AttributionMeuble::montreListe(int hauteurTwips) {
    // The list is the centre of the window and grows with it; its least
    // height shows the cabinet's lines at their pitch, up to the cap.
    const int pas = qMax(ListSN->sizeHintForRow(0), ListSN->fontMetrics().height());
    ListSN->setMinimumHeight(hauteurTwips * pas / kTwipsParLigne + 2 * ListSN->frameWidth());
    ListSN->show();
}

void AttributionMeuble::Etat(const QString& texte) {
    LblEtat->setText(texte);
}

void AttributionMeuble::DebutProgression(int maximum) {
    ProgressBar1->setRange(0, maximum);
    ProgressBar1->setValue(0);
    ProgressBar1->show();
}

void AttributionMeuble::Progression(int valeur) {
    // The naming and check passes and the reading of the cards keep the
    // window busy without an event pass: the bar paints itself at once
    // (QProgressBar repaints when its value moves), and only itself, being
    // opaque (see the constructor).
    ProgressBar1->setValue(valeur);
}

void AttributionMeuble::CacheProgression() {
    ProgressBar1->hide();
}

AttributionMeuble* AfficheAttributionMeuble(Poste& poste, QWidget* parent) {
    static QPointer<AttributionMeuble> ouverte;
    if (!ouverte)
        ouverte = new AttributionMeuble(poste, parent);
    AuPremierPlan(*ouverte);
    return ouverte;
}
