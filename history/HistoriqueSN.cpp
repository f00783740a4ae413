#include "HistoriqueSN.h"

#include "AuPremierPlan.h"
#include "CertificatMeuble.h"
#include "LiaisonImprimante.h"
#include "Poste.h"
#include "RenduEPL2.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace {

const QString kFormatDate = QStringLiteral("dd/MM/yyyy HH:mm:ss");

QString Date(const QDateTime& t) {
    return t.isValid() ? t.toLocalTime().toString(kFormatDate) : QString();
}

// A run summed up in one cell: its date and outcome, or a dash when none.
QString DateEtIssue(const std::optional<PassageHistorique>& p) {
    return p ? Date(p->debut) + QStringLiteral(" ") + IssueAffichee(p->issue) : QStringLiteral("—");
}

QString Nombre(const std::optional<double>& v) {
    return v ? QString::number(*v) : QString();
}

QTableWidget* Table(const QString& nom, const QStringList& colonnes) {
    auto* t = new QTableWidget;
    t->setObjectName(nom);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setSelectionMode(QAbstractItemView::SingleSelection);
    t->setColumnCount(static_cast<int>(colonnes.size()));
    t->setHorizontalHeaderLabels(colonnes);
    t->verticalHeader()->setVisible(false);
    t->horizontalHeader()->setStretchLastSection(true);
    return t;
}

// Appends a row; the cell of column `alerte` in red (a failed run, a
// measurement out of its limits, a card never passed on its own).
void Ligne(QTableWidget* t, const QStringList& cellules, int alerte = -1) {
    const int ligne = t->rowCount();
    t->insertRow(ligne);
    for (int i = 0; i < cellules.size(); ++i) {
        auto* c = new QTableWidgetItem(cellules[i]);
        if (i == alerte)
            c->setForeground(Qt::red);
        t->setItem(ligne, i, c);
    }
}

QGroupBox* Cadre(const QString& titre, QWidget* contenu) {
    auto* c = new QGroupBox(titre);
    auto* l = new QVBoxLayout(c);
    l->addWidget(contenu);
    return c;
}

// A rail's SN: its runs are the rail bench's, and it never goes in a tray.
bool EstRail(const ResultatHistorique& r) {
    return !r.passages.isEmpty() && r.liens.isEmpty() &&
           std::all_of(r.passages.begin(), r.passages.end(), [](const PassageHistorique& p) {
               return p.flux == QLatin1String("TestRailsMeuble");
           });
}

} // namespace

HistoriqueSN::HistoriqueSN(Poste& poste, QWidget* parent)
    : QWidget(parent, Qt::Window), poste_(poste) {
    setObjectName(QStringLiteral("HistoriqueSN"));
    setWindowTitle(QStringLiteral("Historique d'un SN"));
    setAttribute(Qt::WA_DeleteOnClose);

    TxtRecherche = new QLineEdit;
    TxtRecherche->setObjectName(QStringLiteral("TxtRecherche"));
    TxtRecherche->setPlaceholderText(
        QStringLiteral("SN de carte ou de rail, code produit, pharmacie / meuble, pharmacie"));
    TxtRecherche->setClearButtonEnabled(true);
    BtChercher = new QPushButton(QStringLiteral("Chercher"));
    BtChercher->setObjectName(QStringLiteral("BtChercher"));
    LblResultat = new QLabel(QStringLiteral(
        "Saisir un SN de carte ou de rail, un code produit, un meuble avec sa pharmacie "
        "(\"Pharmacie du Lac / A\") ou une pharmacie, puis Entrée."));
    LblResultat->setObjectName(QStringLiteral("LblResultat"));
    LblResultat->setWordWrap(true);
    LblResultat->setTextInteractionFlags(Qt::TextSelectableByMouse);

    TablePassages =
        Table(QStringLiteral("TablePassages"),
              {QStringLiteral("Date"), QStringLiteral("Poste"), QStringLiteral("Opérateur"),
               QStringLiteral("Flux"), QStringLiteral("Issue"), QStringLiteral("Code défaut"),
               QStringLiteral("SN"), QStringLiteral("Firmware"), QStringLiteral("Version poste"),
               QStringLiteral("Position")});
    TableMesures =
        Table(QStringLiteral("TableMesures"),
              {QStringLiteral("Mesure"), QStringLiteral("Valeur"), QStringLiteral("Limite basse"),
               QStringLiteral("Limite haute"), QStringLiteral("Unité"), QStringLiteral("Verdict")});
    TableGenealogie =
        Table(QStringLiteral("TableGenealogie"),
              {QStringLiteral("Pharmacie"), QStringLiteral("Meuble"), QStringLiteral("Plateau"),
               QStringLiteral("Du"), QStringLiteral("Au")});
    TablePlateaux =
        Table(QStringLiteral("TablePlateaux"),
              {QStringLiteral("Plateau"), QStringLiteral("SN carte"), QStringLiteral("Firmware"),
               QStringLiteral("Depuis"), QStringLiteral("Dernier test plateau"),
               QStringLiteral("Attribution SN"), QStringLiteral("Marque")});
    TablePlateaux->setToolTip(
        QStringLiteral("Double-clic sur un plateau : l'historique de sa carte"));
    CmbMeuble = new QComboBox;
    CmbMeuble->setObjectName(QStringLiteral("CmbMeuble"));
    LblMeuble = new QLabel;
    LblMeuble->setObjectName(QStringLiteral("LblMeuble"));
    LblMeuble->setWordWrap(true);
    BtCertificat = new QPushButton(QStringLiteral("Certificat du meuble"));
    BtCertificat->setObjectName(QStringLiteral("BtCertificat"));

    TableEtiquettes =
        Table(QStringLiteral("TableEtiquettes"),
              {QStringLiteral("Date"), QStringLiteral("Poste"), QStringLiteral("Opérateur"),
               QStringLiteral("Imprimante"), QStringLiteral("Pour le poste"),
               QStringLiteral("État"), QStringLiteral("Réimpression")});
    ImgEtiquette = new QLabel;
    ImgEtiquette->setObjectName(QStringLiteral("ImgEtiquette"));
    ImgEtiquette->setAlignment(Qt::AlignCenter);
    ImgEtiquette->setFrameShape(QFrame::Box);
    ImgEtiquette->setMinimumSize(408 + 2, 203 + 2);
    BtReimprimer = new QPushButton(QStringLiteral("Réimprimer"));
    BtReimprimer->setObjectName(QStringLiteral("BtReimprimer"));
    BtReimprimer->setToolTip(
        QStringLiteral("envoie de nouveau les octets de l'étiquette choisie, telle qu'imprimée"));
    cadreEtiquettes_ = new QGroupBox(QStringLiteral("Étiquettes"));
    {
        auto* image = new QVBoxLayout;
        image->addWidget(ImgEtiquette);
        image->addWidget(BtReimprimer);
        image->addStretch();
        auto* l = new QHBoxLayout(cadreEtiquettes_);
        l->addWidget(TableEtiquettes, 1);
        l->addLayout(image);
    }

    auto* recherche = new QHBoxLayout;
    recherche->addWidget(TxtRecherche, 1);
    recherche->addWidget(BtChercher);

    cadrePassages_ = Cadre(QStringLiteral("Passages"), TablePassages);
    cadreMesures_ = Cadre(QStringLiteral("Mesures"), TableMesures);
    cadreGenealogie_ = Cadre(QStringLiteral("Généalogie"), TableGenealogie);
    // Hidden as one: a layout whose widgets are hidden still takes its share.
    detail_ = new QWidget;
    auto* detail = new QHBoxLayout(detail_);
    detail->setContentsMargins(0, 0, 0, 0);
    detail->addWidget(cadreMesures_, 3);
    detail->addWidget(cadreGenealogie_, 2);

    cadreMeuble_ = new QGroupBox;
    auto* enTeteMeuble = new QHBoxLayout;
    enTeteMeuble->addWidget(CmbMeuble);
    enTeteMeuble->addWidget(LblMeuble, 1);
    enTeteMeuble->addWidget(BtCertificat);
    auto* meuble = new QVBoxLayout(cadreMeuble_);
    meuble->addLayout(enTeteMeuble);
    meuble->addWidget(TablePlateaux);

    auto* principal = new QVBoxLayout(this);
    principal->addLayout(recherche);
    principal->addWidget(LblResultat);
    principal->addWidget(cadrePassages_, 3);
    principal->addWidget(detail_, 2);
    principal->addWidget(cadreEtiquettes_, 2);
    principal->addWidget(cadreMeuble_, 3);
    // Takes the room of the sections hidden.
    principal->addStretch(0);
    resize(1260, 780);
    vide(LblResultat->text());

    connect(TxtRecherche, &QLineEdit::returnPressed, this, [this] { Cherche(); });
    connect(BtChercher, &QPushButton::clicked, this, [this] { Cherche(); });
    connect(TablePassages, &QTableWidget::itemSelectionChanged, this, [this] { afficheMesures(); });
    connect(CmbMeuble, &QComboBox::currentIndexChanged, this, [this] { afficheMeuble(); });
    connect(TableEtiquettes, &QTableWidget::itemSelectionChanged, this,
            [this] { afficheEtiquette(); });
    connect(BtReimprimer, &QPushButton::clicked, this, [this] { Reimprime(); });
    connect(TablePlateaux, &QTableWidget::cellDoubleClicked, this, [this](int ligne, int) {
        const int i = CmbMeuble->currentIndex();
        if (i < 0 || i >= resultat_.meubles.size())
            return;
        const QList<PlateauMeuble>& plateaux = resultat_.meubles[i].plateaux;
        if (ligne >= 0 && ligne < plateaux.size() && !plateaux[ligne].sn.isEmpty())
            Cherche(plateaux[ligne].sn);
    });
    connect(BtCertificat, &QPushButton::clicked, this, [this] {
        const int i = CmbMeuble->currentIndex();
        if (i < 0 || i >= resultat_.meubles.size())
            return;
        if (QWidget* certificat = AfficheCertificat(resultat_.meubles[i], this))
            AuPremierPlan(*certificat);
    });
}

void HistoriqueSN::Cherche(const QString& saisie) {
    TxtRecherche->setText(saisie);
    Cherche();
}

void HistoriqueSN::Cherche() {
    LectureJournal lecture(poste_);
    QString erreur;
    if (!lecture.ouvre(&erreur)) {
        vide(erreur);
        return;
    }
    ResultatHistorique r;
    if (!ChercheHistorique(lecture.db(), TxtRecherche->text(), &r, &erreur)) {
        vide(lecture.source() + QStringLiteral("\n") + erreur);
        return;
    }
    affiche(r);
}

void HistoriqueSN::vide(const QString& ligne) {
    resultat_ = {};
    etiquettes_.clear();
    for (QTableWidget* t :
         {TablePassages, TableMesures, TableGenealogie, TablePlateaux, TableEtiquettes})
        t->setRowCount(0);
    CmbMeuble->blockSignals(true);
    CmbMeuble->clear();
    CmbMeuble->blockSignals(false);
    LblMeuble->clear();
    for (QWidget* c :
         std::initializer_list<QWidget*>{cadrePassages_, detail_, cadreMeuble_, cadreEtiquettes_})
        c->hide();
    LblResultat->setText(ligne);
}

void HistoriqueSN::affiche(const ResultatHistorique& r) {
    vide(r.resume.isEmpty() ? QStringLiteral("Rien trouvé pour \"%1\"").arg(r.recherche.saisie)
                            : r.resume);
    if (!r.trouve)
        return;
    resultat_ = r;

    const bool unite =
        r.recherche.genre == GenreRecherche::SN || r.recherche.genre == GenreRecherche::CodeProduit;
    if (unite) {
        TablePassages->blockSignals(true);
        for (const PassageHistorique& p : r.passages)
            Ligne(TablePassages,
                  {Date(p.debut), p.poste, p.operateur, p.flux, IssueAffichee(p.issue),
                   p.codeDefaut, p.sn, p.versionFW, p.versionPoste,
                   p.position < 0 ? QString() : QString::number(p.position)},
                  p.issue == IssuePassage::Echec ? 4 : -1);
        TablePassages->clearSelection();
        TablePassages->blockSignals(false);
        TablePassages->resizeColumnsToContents();
        cadrePassages_->show();
        afficheEtiquettes();
        if (!EstRail(r)) {
            afficheMesures();
            for (const LienMeuble& l : r.liens)
                Ligne(TableGenealogie,
                      {l.pharmacie, l.meuble, QString::number(l.plateau), Date(l.debut),
                       l.fin.isValid() ? Date(l.fin) : QStringLiteral("en place")});
            TableGenealogie->resizeColumnsToContents();
            cadreGenealogie_->setTitle(r.liens.isEmpty()
                                           ? QStringLiteral("Généalogie : dans aucun meuble")
                                           : QStringLiteral("Généalogie"));
            detail_->show();
        }
        return;
    }
    if (r.meubles.isEmpty())
        return;
    CmbMeuble->blockSignals(true);
    for (const MeubleHistorique& m : r.meubles)
        CmbMeuble->addItem(QStringLiteral("Meuble ") + m.meuble);
    CmbMeuble->setCurrentIndex(0);
    CmbMeuble->blockSignals(false);
    CmbMeuble->setVisible(r.meubles.size() > 1);
    afficheMeuble();
    cadreMeuble_->show();
}

void HistoriqueSN::afficheMesures() {
    TableMesures->setRowCount(0);
    const QList<QTableWidgetItem*> choisis = TablePassages->selectedItems();
    const int i = choisis.isEmpty() ? -1 : choisis.first()->row();
    if (i < 0 || i >= resultat_.passages.size()) {
        cadreMesures_->setTitle(QStringLiteral("Mesures : choisir un passage"));
        return;
    }
    const PassageHistorique& p = resultat_.passages[i];
    cadreMesures_->setTitle(QStringLiteral("Mesures du passage du ") + Date(p.debut));
    LectureJournal lecture(poste_);
    QString erreur;
    QList<MesureJournal> mesures;
    if (!lecture.ouvre(&erreur) || !MesuresPassage(lecture.db(), p.id, &mesures, &erreur)) {
        LblResultat->setText(lecture.source() + QStringLiteral("\n") + erreur);
        return;
    }
    for (const MesureJournal& m : mesures)
        Ligne(TableMesures,
              {m.nom, m.valeur ? QString::number(*m.valeur) : m.texte, Nombre(m.limiteBasse),
               Nombre(m.limiteHaute), m.unite,
               m.conforme ? QStringLiteral("conforme") : QStringLiteral("non conforme")},
              m.conforme ? -1 : 5);
    TableMesures->resizeColumnsToContents();
}

void HistoriqueSN::afficheMeuble() {
    TablePlateaux->setRowCount(0);
    const int i = CmbMeuble->currentIndex();
    if (i < 0 || i >= resultat_.meubles.size())
        return;
    const MeubleHistorique& m = resultat_.meubles[i];
    cadreMeuble_->setTitle(QStringLiteral("Meuble %1 de %2").arg(m.meuble, m.pharmacie));
    // One cabinet: the line above already tells its trays and assignment.
    QStringList details;
    if (!m.adresse.isEmpty())
        details << m.adresse;
    if (resultat_.meubles.size() > 1) {
        details << QStringLiteral("plateaux %1 à %2").arg(m.premier).arg(m.dernier);
        if (m.dateAttribution.isValid())
            details << QStringLiteral("attribué le %1 par l'opérateur %2 (poste %3)")
                           .arg(Date(m.dateAttribution), m.operateurAttribution,
                                m.posteAttribution);
    }
    LblMeuble->setText(details.join(QStringLiteral(" ; ")));
    for (const PlateauMeuble& t : m.plateaux)
        Ligne(TablePlateaux,
              {QString::number(t.plateau), t.sn, t.versionFW, Date(t.depuis),
               DateEtIssue(t.dernierTestPlateau), DateEtIssue(t.derniereAttributionSN), t.marque()},
              t.marque().isEmpty() ? -1 : 6);
    TablePlateaux->resizeColumnsToContents();
}

void HistoriqueSN::afficheEtiquettes() {
    LectureJournal lecture(poste_);
    QString erreur;
    if (!lecture.ouvre(&erreur) ||
        !Journal::EtiquettesDeSN(lecture.db(), resultat_.recherche.sn, &etiquettes_, &erreur)) {
        LblResultat->setText(lecture.source() + QStringLiteral("\n") + erreur);
        return;
    }
    if (etiquettes_.isEmpty())
        return;
    TableEtiquettes->blockSignals(true);
    for (const EtiquetteEnregistree& e : etiquettes_)
        Ligne(TableEtiquettes,
              {Date(e.quand), e.poste, e.operateur, e.cible, e.client,
               TexteEtatEtiquette(e.etat, e.raison),
               e.rang > 0 ? QStringLiteral("n° %1 : %2").arg(e.rang).arg(e.motif) : QString()},
              e.etat == EtatEtiquette::perdu ? 5 : -1);
    TableEtiquettes->blockSignals(false);
    TableEtiquettes->resizeColumnsToContents();
    // The last one, as the operator most often wants it again.
    TableEtiquettes->selectRow(TableEtiquettes->rowCount() - 1);
    afficheEtiquette();
    cadreEtiquettes_->show();
}

void HistoriqueSN::afficheEtiquette() {
    const QList<QTableWidgetItem*> choisis = TableEtiquettes->selectedItems();
    const int i = choisis.isEmpty() ? -1 : choisis.first()->row();
    BtReimprimer->setEnabled(i >= 0 && i < etiquettes_.size());
    if (i < 0 || i >= etiquettes_.size()) {
        ImgEtiquette->setText(QStringLiteral("choisir une étiquette"));
        return;
    }
    const QList<QImage> images = RendTravailEPL2(etiquettes_[i].octets);
    if (images.isEmpty())
        ImgEtiquette->setText(QStringLiteral("rien à imprimer dans ce travail"));
    else
        ImgEtiquette->setPixmap(QPixmap::fromImage(images.first()));
}

// The bytes as first sent, whatever label was chosen (the original or one
// of its reprints): its week, factory and operator codes stay the original's.
void HistoriqueSN::Reimprime() {
    const QList<QTableWidgetItem*> choisis = TableEtiquettes->selectedItems();
    const int i = choisis.isEmpty() ? -1 : choisis.first()->row();
    if (i < 0 || i >= etiquettes_.size())
        return;
    const EtiquetteEnregistree& e = etiquettes_[i];
    const QString original = e.reimpressionDe.isEmpty() ? e.uid : e.reimpressionDe;
    const QString code = e.codeProduit.isEmpty() ? e.sn : e.codeProduit;
    const QString motif =
        poste_.operateur()
            .Saisie(QStringLiteral("Pourquoi réimprimer l'étiquette %1 ?").arg(code),
                    QStringLiteral("Réimprimer"))
            .trimmed();
    if (motif.isEmpty()) {
        poste_.operateur().Boite(
            QStringLiteral(
                "Étiquette non réimprimée : le motif de la réimpression est obligatoire."),
            QStringLiteral("Réimprimer"), Icone::Exclamation);
        return;
    }
    int rang = 1;
    for (const EtiquetteEnregistree& autre : etiquettes_)
        if (autre.reimpressionDe == original)
            rang = std::max(rang, autre.rang + 1);
    LiaisonImprimante::de(poste_).Imprime(TravailImprimante{
        .octets = e.octets, .reimpressionDe = original, .motif = motif, .rang = rang});
    Cherche();
}

HistoriqueSN* AfficheHistoriqueSN(Poste& poste, QWidget* parent) {
    static QPointer<HistoriqueSN> ouverte;
    if (!ouverte)
        ouverte = new HistoriqueSN(poste, parent);
    else if (!ouverte->TxtRecherche->text().trimmed().isEmpty())
        ouverte->Cherche(); // the journal may have grown since
    AuPremierPlan(*ouverte);
    ouverte->TxtRecherche->setFocus();
    return ouverte;
}
