#include "StatistiquesProduction.h"

#include "AuPremierPlan.h"
#include "HistoriqueSN.h"
#include "JournalPoste.h"
#include "Poste.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDateEdit>
#include <QFileDialog>
#include <QFontMetricsF>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPen>
#include <QPointer>
#include <QPushButton>
#include <QScatterSeries>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolTip>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace {

const QString kTous = QStringLiteral("tous");

QChartView* Vue(const QString& nom) {
    auto* v = new QChartView(new QChart);
    v->setObjectName(nom);
    v->setRenderHint(QPainter::Antialiasing);
    v->setMinimumSize(360, 260);
    return v;
}

// A fresh chart in `vue`, titled, the previous one deleted.
QChart* Neuf(QChartView* vue, const QString& titre) {
    auto* c = new QChart;
    c->setTitle(titre);
    c->legend()->setVisible(false);
    QChart* ancien = vue->chart();
    vue->setChart(c);
    delete ancien;
    return c;
}

// A workflow's name, one word a line: side by side, the names of a pane's
// workflows are read whole upright, where on end they would be elided.
QString MotsEnLignes(const QString& nom) {
    QString r;
    for (qsizetype i = 0; i < nom.size(); ++i) {
        if (i > 0 && nom[i].isUpper() && nom[i - 1].isLower())
            r += QStringLiteral("<br>");
        r += QString(nom[i]).toHtmlEscaped();
    }
    return r;
}

// `enLignes`: the categories are already cut into lines, and stay upright.
QBarCategoryAxis* AxeCategories(QChart* c, const QStringList& categories, const QString& titre,
                                bool enLignes = false) {
    auto* x = new QBarCategoryAxis;
    x->append(categories);
    x->setTitleText(titre);
    // Dates, codes and bin values do not fit side by side in a pane: on end,
    // they are read whole instead of elided.
    const bool longues = std::any_of(categories.begin(), categories.end(),
                                     [](const QString& t) { return t.size() > 4; });
    if (!enLignes && (longues || categories.size() > 8))
        x->setLabelsAngle(-90);
    c->addAxis(x, Qt::AlignBottom);
    return x;
}

QValueAxis* AxeValeurs(QChart* c, double max, const QString& titre, Qt::Alignment cote) {
    auto* y = new QValueAxis;
    y->setRange(0, max);
    y->setTitleText(titre);
    y->setLabelFormat(QStringLiteral("%d"));
    c->addAxis(y, cote);
    return y;
}

// A count: every tick on a whole number and labelled with it, in at most six
// steps of 1, 2 or 5 times a power of ten, the last at or above `plus`.
QValueAxis* AxeComptes(QChart* c, int plus, const QString& titre) {
    int pas = 1;
    for (int i = 0; plus > 6 * pas; ++i)
        pas = i % 3 == 1 ? pas / 2 * 5 : pas * 2;
    const int nombre = (plus + pas - 1) / pas;
    QValueAxis* y = AxeValeurs(c, nombre * pas, titre, Qt::AlignLeft);
    y->setTickCount(nombre + 1);
    return y;
}

// `noms`: the categories are workflow names, cut at their words.
void DessineRendements(QChartView* vue, const QString& titre, const QString& axe,
                       const QList<Rendement>& r, bool noms = false) {
    QChart* c = Neuf(vue, titre);
    QStringList categories;
    auto* barres = new QBarSet(QStringLiteral("rendement (%)"));
    QString plusLarge;
    for (const Rendement& x : r) {
        categories << (noms ? MotsEnLignes(x.cle) : x.cle);
        // One decimal, as the bar's label shows it.
        const double pourcent = std::round(x.pourcent() * 10) / 10;
        *barres << pourcent;
        const QString texte = QString::number(pourcent) + QStringLiteral(" %");
        if (texte.size() > plusLarge.size())
            plusLarge = texte;
    }
    auto* serie = new QBarSeries;
    serie->append(barres);
    serie->setBarWidth(0.9);
    serie->setLabelsVisible(true);
    serie->setLabelsFormat(QStringLiteral("@value %"));
    c->addSeries(serie);
    serie->attachAxis(AxeCategories(c, categories, axe, noms));
    // On two lines: on one, the title is longer than the plot is high.
    serie->attachAxis(
        AxeValeurs(c, 100, QStringLiteral("rendement premier<br>passage (%)"), Qt::AlignLeft));
    // A value is read across its bar while it fits there, along it once the
    // bars are too narrow: never half on the bar, half on the background.
    QObject::connect(
        c, &QChart::plotAreaChanged, serie, [serie, barres, plusLarge](const QRectF& zone) {
            const qsizetype nombre = barres->count();
            if (nombre == 0)
                return;
            const double barre = zone.width() / static_cast<double>(nombre) * serie->barWidth();
            const double texte = QFontMetricsF(barres->labelFont()).horizontalAdvance(plusLarge);
            // 8: the label's margins and some air on either side.
            serie->setLabelsAngle(texte + 8 > barre ? -90 : 0);
        });
}

void DessinePareto(QChartView* vue, const QList<CompteDefaut>& defauts) {
    QChart* c = Neuf(vue, QStringLiteral("Pareto des défauts"));
    QStringList codes;
    auto* barres = new QBarSet(QStringLiteral("passages en échec"));
    auto* cumul = new QLineSeries;
    cumul->setName(QStringLiteral("cumul (%)"));
    int total = 0;
    for (const CompteDefaut& d : defauts)
        total += d.nombre;
    int somme = 0;
    int plus = 1;
    for (const CompteDefaut& d : defauts) {
        codes << d.code;
        *barres << d.nombre;
        somme += d.nombre;
        cumul->append(static_cast<double>(codes.size() - 1), 100.0 * somme / total);
        plus = std::max(plus, d.nombre);
    }
    auto* serie = new QBarSeries;
    serie->append(barres);
    serie->setLabelsVisible(true);
    c->addSeries(serie);
    c->addSeries(cumul);
    cumul->setPointsVisible(true);
    QBarCategoryAxis* x = AxeCategories(c, codes, QStringLiteral("code de défaut"));
    serie->attachAxis(x);
    serie->attachAxis(AxeComptes(c, plus, QStringLiteral("passages en échec")));
    cumul->attachAxis(x);
    cumul->attachAxis(AxeValeurs(c, 100, QStringLiteral("cumul (%)"), Qt::AlignRight));
    c->legend()->setVisible(true);
    c->legend()->setAlignment(Qt::AlignBottom);
}

// Bars of the bins, and each limit drawn as a vertical line at its place.
void DessineHistogramme(QChartView* vue, const QString& titre, const ValeursMesure& v,
                        double largeur, int decimales) {
    QChart* c = Neuf(vue, titre);
    const Histogramme h = Repartit(v, largeur);
    QStringList bacs;
    auto* barres = new QBarSet(QStringLiteral("passages"));
    int plus = 1;
    for (qsizetype i = 0; i < h.comptes.size(); ++i) {
        bacs << QString::number(h.debut + static_cast<double>(i) * h.largeur, 'f', decimales);
        *barres << h.comptes[i];
        plus = std::max(plus, h.comptes[i]);
    }
    auto* serie = new QBarSeries;
    serie->setBarWidth(1.0);
    serie->append(barres);
    c->addSeries(serie);
    const QString unite = v.unite.isEmpty() ? QString() : QStringLiteral(" ") + v.unite;
    QBarCategoryAxis* x = AxeCategories(c, bacs, QStringLiteral("valeur") + unite);
    QValueAxis* y = AxeComptes(c, plus, QStringLiteral("passages"));
    serie->attachAxis(x);
    serie->attachAxis(y);
    const auto limite = [&](const std::optional<double>& l, const QString& nom) {
        if (!l || h.comptes.isEmpty())
            return;
        // Bar i stands on [i - 0.5, i + 0.5] and holds [debut + i·largeur, ...).
        const double position = (*l - h.debut) / h.largeur - 0.5;
        auto* trait = new QLineSeries;
        trait->setName(nom + QStringLiteral(" ") + QString::number(*l) + unite);
        trait->append(position, 0);
        trait->append(position, y->max());
        trait->setPen(QPen(Qt::red, 2, Qt::DashLine));
        c->addSeries(trait);
        trait->attachAxis(x);
        trait->attachAxis(y);
    };
    limite(v.limiteBasse, QStringLiteral("limite basse"));
    limite(v.limiteHaute, QStringLiteral("limite haute"));
    c->legend()->setVisible(true);
    c->legend()->setAlignment(Qt::AlignBottom);
}

const QString kTiret = QStringLiteral("—");

QString Chiffre(const std::optional<double>& x, int decimales) {
    return x ? QString::number(*x, 'f', decimales) : kTiret;
}

QString Limites(const SommesMesure& s) {
    const QString unite = s.unite.isEmpty() ? QString() : QStringLiteral(" ") + s.unite;
    if (s.limiteBasse && s.limiteHaute)
        return QString::number(*s.limiteBasse) + QStringLiteral(" .. ") +
               QString::number(*s.limiteHaute) + unite;
    if (s.limiteHaute)
        return QStringLiteral("≤ ") + QString::number(*s.limiteHaute) + unite;
    if (s.limiteBasse)
        return QStringLiteral("≥ ") + QString::number(*s.limiteBasse) + unite;
    return kTiret;
}

QString Pourcent(int part, int total) {
    return total ? QString::number(100.0 * part / total, 'f', 1) + QStringLiteral(" %") : kTiret;
}

void Remplit(QTableWidget* t, const QList<QStringList>& lignes) {
    t->setRowCount(static_cast<int>(lignes.size()));
    for (int i = 0; i < lignes.size(); ++i)
        for (int j = 0; j < lignes[i].size(); ++j) {
            auto* c = new QTableWidgetItem(lignes[i][j]);
            if (j > 0 && !lignes[i][j].isEmpty() &&
                (lignes[i][j][0].isDigit() || lignes[i][j] == kTiret))
                c->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            t->setItem(i, j, c);
        }
    t->resizeColumnsToContents();
}

QTableWidget* Table(const QString& nom, const QStringList& entetes) {
    auto* t = new QTableWidget;
    t->setObjectName(nom);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setSelectionMode(QAbstractItemView::SingleSelection);
    t->setColumnCount(static_cast<int>(entetes.size()));
    t->setHorizontalHeaderLabels(entetes);
    t->verticalHeader()->setVisible(false);
    return t;
}

// A horizontal line across the chart, from x0 to x1.
QLineSeries* Trait(QChart* c, const QString& nom, double y, double x0, double x1, const QPen& pen) {
    auto* l = new QLineSeries;
    l->setName(nom);
    l->append(x0, y);
    l->append(x1, y);
    l->setPen(pen);
    c->addSeries(l);
    return l;
}

const QString kRegles[] = {
    QStringLiteral("règle 1 : un point au-delà de 3 σ"),
    QStringLiteral("règle 2 : 2 points sur 3 au-delà de 2 σ, du même côté"),
    QStringLiteral("règle 3 : 4 points sur 5 au-delà de 1 σ, du même côté"),
    QStringLiteral("règle 4 : 8 points de suite du même côté du centre"),
};

void Choix(QComboBox* liste, const QStringList& valeurs) {
    const QString avant = liste->currentText();
    liste->clear();
    liste->addItem(kTous);
    liste->addItems(valeurs);
    const int i = liste->findText(avant);
    liste->setCurrentIndex(i < 0 ? 0 : i);
}

} // namespace

StatistiquesProduction::StatistiquesProduction(Poste& poste, QWidget* parent)
    : QWidget(parent, Qt::Window), poste_(poste) {
    setObjectName(QStringLiteral("StatistiquesProduction"));
    setWindowTitle(QStringLiteral("Statistiques de production"));
    setAttribute(Qt::WA_DeleteOnClose);

    DateDu = new QDateEdit;
    DateDu->setObjectName(QStringLiteral("DateDu"));
    DateAu = new QDateEdit;
    DateAu->setObjectName(QStringLiteral("DateAu"));
    for (QDateEdit* d : {DateDu, DateAu}) {
        d->setCalendarPopup(true);
        d->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
        d->setDate(QDate::currentDate());
    }
    CmbPoste = new QComboBox;
    CmbPoste->setObjectName(QStringLiteral("CmbPoste"));
    CmbOperateur = new QComboBox;
    CmbOperateur->setObjectName(QStringLiteral("CmbOperateur"));
    for (QComboBox* c : {CmbPoste, CmbOperateur}) {
        c->addItem(kTous);
        c->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    }
    BtActualiser = new QPushButton(QStringLiteral("Actualiser"));
    BtActualiser->setObjectName(QStringLiteral("BtActualiser"));
    BtExporterCsv = new QPushButton(QStringLiteral("Exporter CSV"));
    BtExporterCsv->setObjectName(QStringLiteral("BtExporterCsv"));
    LblResume = new QLabel;
    LblResume->setObjectName(QStringLiteral("LblResume"));
    LblResume->setWordWrap(true);

    auto* filtres = new QHBoxLayout;
    filtres->addWidget(new QLabel(QStringLiteral("du")));
    filtres->addWidget(DateDu);
    filtres->addWidget(new QLabel(QStringLiteral("au")));
    filtres->addWidget(DateAu);
    filtres->addSpacing(12);
    filtres->addWidget(new QLabel(QStringLiteral("poste")));
    filtres->addWidget(CmbPoste);
    filtres->addWidget(new QLabel(QStringLiteral("opérateur")));
    filtres->addWidget(CmbOperateur);
    filtres->addStretch(1);
    filtres->addWidget(BtActualiser);
    filtres->addWidget(BtExporterCsv);

    GraphRendementJour = Vue(QStringLiteral("GraphRendementJour"));
    GraphRendementFlux = Vue(QStringLiteral("GraphRendementFlux"));
    GraphPareto = Vue(QStringLiteral("GraphPareto"));
    GraphAlim = Vue(QStringLiteral("GraphAlim"));
    GraphPuissanceIR = Vue(QStringLiteral("GraphPuissanceIR"));
    // Three charts above on a third of the width each, the two spreads below
    // on a half, so that their bins and legends are read whole; the charts
    // above, whose labels stand on end, have the taller row.
    auto* graphiques = new QWidget;
    auto* grille = new QGridLayout(graphiques);
    grille->addWidget(GraphRendementJour, 0, 0, 1, 2);
    grille->addWidget(GraphRendementFlux, 0, 2, 1, 2);
    grille->addWidget(GraphPareto, 0, 4, 1, 2);
    grille->addWidget(GraphAlim, 1, 0, 1, 3);
    grille->addWidget(GraphPuissanceIR, 1, 3, 1, 3);
    grille->setRowStretch(0, 4);
    grille->setRowStretch(1, 3);

    TablePassages = Table(QStringLiteral("TablePassages"), StatistiquesJournal::EnTetes());
    TablePassages->setToolTip(QStringLiteral("Double-clic : historique du SN"));
    // Its columns fitted to the first rows, not to every one of a thousand.
    TablePassages->horizontalHeader()->setResizeContentsPrecision(100);
    LblSelection = new QLabel;
    LblSelection->setObjectName(QStringLiteral("LblSelection"));
    BtToutAfficher = new QPushButton(QStringLiteral("Tous les passages du filtre"));
    BtToutAfficher->setObjectName(QStringLiteral("BtToutAfficher"));
    auto* ongletPassages = new QWidget;
    auto* dispositionPassages = new QVBoxLayout(ongletPassages);
    auto* tetePassages = new QHBoxLayout;
    tetePassages->addWidget(LblSelection, 1);
    tetePassages->addWidget(BtToutAfficher);
    dispositionPassages->addLayout(tetePassages);
    dispositionPassages->addWidget(TablePassages, 1);

    TableCapabilite =
        Table(QStringLiteral("TableCapabilite"),
              {QStringLiteral("mesure"), QStringLiteral("poste"), QStringLiteral("limites"),
               QStringLiteral("n"), QStringLiteral("moyenne"), QStringLiteral("écart-type global"),
               QStringLiteral("écart-type intra"), QStringLiteral("Cp"), QStringLiteral("Cpk"),
               QStringLiteral("Pp"), QStringLiteral("Ppk"), QStringLiteral("hors limites"),
               QStringLiteral("remarque")});
    GraphCarteI = Vue(QStringLiteral("GraphCarteI"));
    GraphCarteMR = Vue(QStringLiteral("GraphCarteMR"));
    auto* cartes = new QSplitter(Qt::Vertical);
    cartes->addWidget(TableCapabilite);
    cartes->addWidget(GraphCarteI);
    cartes->addWidget(GraphCarteMR);
    // Room for a few measurements and their stations above the charts.
    TableCapabilite->setMinimumHeight(160);
    cartes->setStretchFactor(0, 2);
    cartes->setStretchFactor(1, 4);
    cartes->setStretchFactor(2, 2);

    GraphRendementEtapes = Vue(QStringLiteral("GraphRendementEtapes"));
    TableRendements =
        Table(QStringLiteral("TableRendements"),
              {QStringLiteral("flux"), QStringLiteral("poste"), QStringLiteral("premiers passages"),
               QStringLiteral("rendement premier passage"), QStringLiteral("rendement final"),
               QStringLiteral("réussies après reprise")});
    TableEtapes =
        Table(QStringLiteral("TableEtapes"),
              {QStringLiteral("flux"), QStringLiteral("étape"), QStringLiteral("codes"),
               QStringLiteral("entrées"), QStringLiteral("échecs"), QStringLiteral("rendement")});
    auto* rendements = new QWidget;
    auto* grilleRendements = new QGridLayout(rendements);
    grilleRendements->addWidget(GraphRendementEtapes, 0, 0, 2, 1);
    grilleRendements->addWidget(TableRendements, 0, 1);
    grilleRendements->addWidget(TableEtapes, 1, 1);
    grilleRendements->setColumnStretch(0, 1);
    grilleRendements->setColumnStretch(1, 1);

    Onglets = new QTabWidget;
    Onglets->setObjectName(QStringLiteral("Onglets"));
    Onglets->addTab(graphiques, QStringLiteral("Graphiques"));
    Onglets->addTab(cartes, QStringLiteral("Capabilité"));
    Onglets->addTab(rendements, QStringLiteral("Rendements"));
    Onglets->addTab(ongletPassages, QStringLiteral("Passages"));

    auto* principal = new QVBoxLayout(this);
    principal->addLayout(filtres);
    principal->addWidget(LblResume);
    principal->addWidget(Onglets, 1);
    resize(1280, 820);

    demandeFichier = [this] {
        return QFileDialog::getSaveFileName(
            this, QStringLiteral("Exporter CSV"),
            QStringLiteral("journal-%1.csv").arg(QDate::currentDate().toString(Qt::ISODate)),
            QStringLiteral("CSV (*.csv)"));
    };
    connect(BtActualiser, &QPushButton::clicked, this, [this] { Actualise(); });
    connect(BtExporterCsv, &QPushButton::clicked, this, [this] { ExporteCsv(); });
    const auto change = [this] {
        if (!remplissage_)
            Actualise();
    };
    connect(DateDu, &QDateEdit::dateChanged, this, change);
    connect(DateAu, &QDateEdit::dateChanged, this, change);
    connect(CmbPoste, &QComboBox::currentIndexChanged, this, change);
    connect(CmbOperateur, &QComboBox::currentIndexChanged, this, change);
    connect(TableCapabilite, &QTableWidget::itemSelectionChanged, this, [this] {
        if (!remplissage_)
            afficheCarte();
    });
    connect(TablePassages, &QTableWidget::cellDoubleClicked, this,
            [this](int ligne, int) { ouvreHistorique(ligne); });
    connect(BtToutAfficher, &QPushButton::clicked, this, [this] { Detaille({}, {}); });

    // The journal's last week at first (its last day and the six before):
    // what a production engineer reviews, and read at once however long the
    // journal; earlier days are a date away.
    QDate premier, dernier;
    if (const QSqlDatabase db = journal(nullptr);
        db.isValid() && StatistiquesJournal::Etendue(db, premier, dernier, nullptr) &&
        premier.isValid()) {
        remplissage_ = true;
        DateDu->setDate(std::max(premier, dernier.addDays(-6)));
        DateAu->setDate(dernier);
        remplissage_ = false;
    }
    Actualise();
}

StatistiquesProduction::~StatistiquesProduction() = default;

// A connection to a factory server costs about 30 ms: a redraw would pay it
// for each of its readings.
QSqlDatabase StatistiquesProduction::journal(QString* erreur) {
    if (rouvrir_)
        lecture_.reset();
    rouvrir_ = false;
    if (!lecture_) {
        auto lecture = std::make_unique<LectureJournal>(poste_);
        if (!lecture->ouvre(erreur))
            return {};
        StatistiquesJournal::PrepareConnexion(lecture->db());
        lecture_ = std::move(lecture);
    }
    return lecture_->db();
}

// Each bar, when clicked, lists the runs it counts.
static void SurBarre(QChartView* vue, const std::function<void(int)>& clic) {
    for (QAbstractSeries* s : vue->chart()->series())
        if (auto* b = qobject_cast<QBarSeries*>(s))
            for (QBarSet* jeu : b->barSets())
                QObject::connect(jeu, &QBarSet::clicked, vue, clic);
}

FiltreJournal StatistiquesProduction::filtre() const {
    FiltreJournal f{.du = DateDu->date(), .au = DateAu->date()};
    if (CmbPoste->currentIndex() > 0)
        f.poste = CmbPoste->currentText();
    if (CmbOperateur->currentIndex() > 0)
        f.operateur = CmbOperateur->currentText();
    return f;
}

FiltreJournal StatistiquesProduction::liste() const {
    FiltreJournal f = filtre();
    if (selectionnee_) {
        f.jour = selection_.jour;
        f.flux = selection_.flux;
        f.codes = selection_.codes;
        f.premiers = selection_.premiers;
        f.passage = selection_.passage;
    }
    return f;
}

void StatistiquesProduction::remplitFiltres(const QSqlDatabase& db) {
    QStringList postes, operateurs;
    if (!StatistiquesJournal::Postes(db, postes, nullptr) ||
        !StatistiquesJournal::Operateurs(db, operateurs, nullptr))
        return;
    remplissage_ = true;
    Choix(CmbPoste, postes);
    Choix(CmbOperateur, operateurs);
    remplissage_ = false;
}

void StatistiquesProduction::vide(const QString& raison) {
    passages_.clear();
    TablePassages->setRowCount(0);
    LblSelection->clear();
    DessineRendements(GraphRendementJour, QStringLiteral("Rendement premier passage par jour"),
                      QStringLiteral("jour"), {});
    DessineRendements(GraphRendementFlux, QStringLiteral("Rendement premier passage par flux"),
                      QStringLiteral("flux"), {}, true);
    DessinePareto(GraphPareto, {});
    DessineHistogramme(GraphAlim, QStringLiteral("Tension d'alimentation"), {}, 0.5, 1);
    DessineHistogramme(GraphPuissanceIR, QStringLiteral("Puissance IR"), {}, 10, 0);
    afficheCapabilite({});
    afficheRendements({}, {});
    LblResume->setText(raison);
}

void StatistiquesProduction::Actualise() {
    // A file opens in a millisecond: opened again at each refresh, the
    // window follows a journal deleted or replaced meanwhile.
    if (lecture_ && !lecture_->serveur())
        echecLecture();
    QString erreur;
    const QSqlDatabase db = journal(&erreur);
    if (!db.isValid()) {
        vide(erreur);
        return;
    }
    remplitFiltres(db);
    const FiltreJournal f = filtre();
    QList<LigneSynthese> synthese;
    QList<CompteDefaut> defauts;
    QList<ValeursMesure> histogrammes;
    QList<SommesMesure> sommes;
    if (!StatistiquesJournal::Synthese(db, f, synthese, &erreur) ||
        !StatistiquesJournal::Pareto(db, f, defauts, &erreur) ||
        !StatistiquesJournal::ValeursComptees(
            db, f, {QStringLiteral("alim"), QStringLiteral("IR puissance")}, histogrammes,
            &erreur) ||
        !StatistiquesJournal::SommesMesures(db, f, sommes, &erreur)) {
        echecLecture();
        vide(lecture_->source() + QStringLiteral("\n") + erreur);
        return;
    }
    const QList<Rendement> jours = StatistiquesJournal::RendementsPar(synthese, false);
    const QList<Rendement> flux = StatistiquesJournal::RendementsPar(synthese, true);

    DessineRendements(GraphRendementJour, QStringLiteral("Rendement premier passage par jour"),
                      QStringLiteral("jour"), jours);
    DessineRendements(GraphRendementFlux, QStringLiteral("Rendement premier passage par flux"),
                      QStringLiteral("flux"), flux, true);
    DessinePareto(GraphPareto, defauts);
    DessineHistogramme(GraphAlim, QStringLiteral("Tension d'alimentation"), histogrammes[0], 0.5,
                       1);
    DessineHistogramme(GraphPuissanceIR, QStringLiteral("Puissance IR"), histogrammes[1], 10, 0);
    SurBarre(GraphRendementJour, [this, jours](int i) {
        Detaille({.jour = QDate::fromString(jours.value(i).cle, Qt::ISODate), .premiers = true},
                 QStringLiteral("premiers passages du ") + jours.value(i).cle);
    });
    SurBarre(GraphRendementFlux, [this, flux](int i) {
        Detaille({.flux = flux.value(i).cle, .premiers = true},
                 QStringLiteral("premiers passages de ") + flux.value(i).cle);
    });
    SurBarre(GraphPareto, [this, defauts](int i) {
        Detaille({.codes = {defauts.value(i).code}},
                 QStringLiteral("passages en échec, code ") + defauts.value(i).code);
    });
    afficheCapabilite(sommes);
    afficheRendements(StatistiquesJournal::RendementsFinals(synthese),
                      StatistiquesJournal::RendementsEtapes(synthese));
    listePassages(db);

    int premiers = 0, reussis = 0;
    for (const Rendement& r : flux) {
        premiers += r.premiers;
        reussis += r.reussis;
    }
    const double pourcent = premiers ? 100.0 * reussis / premiers : 0.0;
    int tous = 0;
    QString affiches = QString::number(passages_.size());
    if (passages_.size() >= kPassagesAffiches && !selectionnee_ &&
        StatistiquesJournal::Nombre(db, f, tous, nullptr) && tous > passages_.size())
        affiches += QStringLiteral(" (les derniers) sur ") + QString::number(tous);
    LblResume->setText(QStringLiteral("%1 passages affichés; premier passage: %2 réussis sur %3 "
                                      "(%4 %)")
                           .arg(affiches)
                           .arg(reussis)
                           .arg(premiers)
                           .arg(QString::number(pourcent, 'f', 1)));
}

void StatistiquesProduction::afficheCapabilite(const QList<SommesMesure>& sommes) {
    QString avant;
    if (const int i = TableCapabilite->currentRow(); i >= 0 && i < capabilites_.size())
        avant = capabilites_[i].s.mesure + QLatin1Char('\n') + capabilites_[i].s.poste;
    capabilites_.clear();
    const QString poste = CmbPoste->currentIndex() > 0 ? CmbPoste->currentText() : QString();
    QList<QStringList> lignes;
    for (const SommesMesure& s : sommes) {
        // Under one station's filter, its rows are the whole.
        if (!poste.isEmpty() && !s.poste.isEmpty())
            continue;
        const Capabilite c = CalculeCapabilite(s);
        capabilites_ << c;
        lignes << QStringList{s.mesure,
                              s.poste.isEmpty() ? (poste.isEmpty() ? kTous : poste) : s.poste,
                              Limites(s),
                              QString::number(s.n),
                              Chiffre(c.moyenne, 3),
                              Chiffre(c.ecartGlobal, 3),
                              Chiffre(c.ecartIntra, 3),
                              Chiffre(c.cp, 2),
                              Chiffre(c.cpk, 2),
                              Chiffre(c.pp, 2),
                              Chiffre(c.ppk, 2),
                              QString::number(c.horsPourcent, 'f', 1) + QStringLiteral(" %"),
                              c.raison};
    }
    remplissage_ = true;
    Remplit(TableCapabilite, lignes);
    int choisie = capabilites_.isEmpty() ? -1 : 0;
    for (int i = 0; i < capabilites_.size(); ++i)
        if (capabilites_[i].s.mesure + QLatin1Char('\n') + capabilites_[i].s.poste == avant)
            choisie = i;
    TableCapabilite->setCurrentCell(choisie, 0);
    remplissage_ = false;
    afficheCarte();
}

void StatistiquesProduction::afficheCarte() {
    QChart* ci = Neuf(GraphCarteI, QStringLiteral("Carte des valeurs individuelles"));
    QChart* cm = Neuf(GraphCarteMR, QStringLiteral("Carte des étendues mobiles"));
    points_.clear();
    const int ligne = TableCapabilite->currentRow();
    if (ligne < 0 || ligne >= capabilites_.size())
        return;
    const Capabilite c = capabilites_[ligne];
    FiltreJournal f = filtre();
    if (!c.s.poste.isEmpty())
        f.poste = c.s.poste;
    const QSqlDatabase db = journal(nullptr);
    if (!db.isValid())
        return;
    if (!StatistiquesJournal::PointsCarte(db, f, c.s.mesure, kPointsCarte, points_, nullptr)) {
        echecLecture();
        return;
    }
    if (points_.isEmpty())
        return;
    const QString unite = c.s.unite.isEmpty() ? QString() : QStringLiteral(" ") + c.s.unite;
    const QString qui = c.s.poste.isEmpty() ? (f.poste.isEmpty() ? kTous : f.poste) : c.s.poste;
    ci->setTitle(QStringLiteral("Carte I : %1 (%2), %3 dernières valeurs")
                     .arg(c.s.mesure, qui)
                     .arg(points_.size()));
    cm->setTitle(QStringLiteral("Carte MR : %1 (%2)").arg(c.s.mesure, qui));
    QList<double> valeurs;
    for (const PointCarte& p : points_)
        valeurs << p.valeur;
    const double sigma = c.ecartIntra.value_or(0);
    const CarteControle carte = Regles(valeurs, c.moyenne.value_or(0), sigma);
    const double n = static_cast<double>(points_.size());

    // The values joined in time order, each station in its colour, the
    // points breaking a rule ringed in red.
    auto* suite = new QLineSeries;
    suite->setName(QStringLiteral("valeurs"));
    suite->setPen(QPen(QColor(160, 160, 160), 1));
    QMap<QString, QScatterSeries*> postes;
    auto* marques = new QScatterSeries;
    marques->setName(QStringLiteral("hors règles"));
    marques->setMarkerSize(15);
    marques->setColor(Qt::transparent);
    marques->setBorderColor(Qt::red);
    marques->setPen(QPen(Qt::red, 2.5));
    double bas = std::min(carte.lci(), *std::min_element(valeurs.begin(), valeurs.end()));
    double haut = std::max(carte.lcs(), *std::max_element(valeurs.begin(), valeurs.end()));
    for (qsizetype i = 0; i < points_.size(); ++i) {
        const QPointF pt(static_cast<double>(i + 1), points_[i].valeur);
        suite->append(pt);
        QScatterSeries*& s = postes[points_[i].poste];
        if (!s) {
            s = new QScatterSeries;
            s->setName(points_[i].poste);
            // A station keeps its colour from one chart to the next.
            static const QColor couleurs[] = {QColor(32, 159, 223), QColor(246, 166, 37),
                                              QColor(109, 95, 213), QColor(153, 202, 83),
                                              QColor(191, 89, 62),  QColor(60, 60, 60)};
            s->setColor(couleurs[std::max(0, CmbPoste->findText(points_[i].poste) - 1) % 6]);
            s->setMarkerSize(8);
            s->setBorderColor(Qt::transparent);
        }
        s->append(pt);
        if (!carte.regles[i].isEmpty())
            marques->append(pt);
    }
    ci->addSeries(suite);
    for (QScatterSeries* s : postes)
        ci->addSeries(s);
    ci->addSeries(marques);
    const auto texte = [this, carte, unite](const QPointF& pt) {
        const qsizetype i = std::llround(pt.x()) - 1;
        if (i < 0 || i >= points_.size())
            return QString();
        const PointCarte& p = points_[i];
        QString t = QStringLiteral("n° %1 : %2 %3 %4 SN %5 : %6%7")
                        .arg(i + 1)
                        .arg(p.debut.toLocalTime().toString(QStringLiteral("dd/MM/yyyy HH:mm")),
                             p.poste, QString(), p.sn.isEmpty() ? kTiret : p.sn)
                        .arg(p.valeur)
                        .arg(unite)
                        .replace(QStringLiteral("  "), QStringLiteral(" "));
        for (int r : carte.regles[i])
            t += QLatin1Char('\n') + kRegles[r - 1];
        return t;
    };
    QList<QScatterSeries*> cliquables = postes.values();
    cliquables << marques;
    for (QScatterSeries* s : cliquables) {
        connect(s, &QScatterSeries::hovered, this, [texte](const QPointF& pt, bool dessus) {
            if (dessus)
                QToolTip::showText(QCursor::pos(), texte(pt));
            else
                QToolTip::hideText();
        });
        connect(s, &QScatterSeries::clicked, this, [this](const QPointF& pt) {
            const qsizetype i = std::llround(pt.x()) - 1;
            if (i >= 0 && i < points_.size())
                Detaille({.passage = points_[i].passage},
                         QStringLiteral("passage n° %1 de la carte").arg(i + 1));
        });
    }
    QList<QLineSeries*> traits{suite};
    const QPen controle(QColor(0, 128, 0), 1.5, Qt::DashLine);
    if (sigma > 0) {
        traits << Trait(ci, QStringLiteral("centre ") + QString::number(carte.centre, 'f', 3),
                        carte.centre, 1, n, QPen(QColor(0, 128, 0), 1.5))
               << Trait(ci, QStringLiteral("LCS ") + QString::number(carte.lcs(), 'f', 3),
                        carte.lcs(), 1, n, controle)
               << Trait(ci, QStringLiteral("LCI ") + QString::number(carte.lci(), 'f', 3),
                        carte.lci(), 1, n, controle);
    }
    const QPen tolerance(Qt::red, 2, Qt::DashLine);
    for (const auto& [limite, nom] : {std::pair{c.s.limiteBasse, QStringLiteral("limite basse")},
                                      std::pair{c.s.limiteHaute, QStringLiteral("limite haute")}})
        if (limite) {
            traits << Trait(ci, nom + QStringLiteral(" ") + QString::number(*limite) + unite,
                            *limite, 1, n, tolerance);
            bas = std::min(bas, *limite);
            haut = std::max(haut, *limite);
        }
    auto* x = new QValueAxis;
    // Ticks on whole run numbers.
    x->setRange(0, n + 1);
    x->applyNiceNumbers();
    x->setLabelFormat(QStringLiteral("%d"));
    x->setTitleText(QStringLiteral("passage, dans l'ordre du temps"));
    auto* y = new QValueAxis;
    const double marge = std::max((haut - bas) * 0.08, 1e-6);
    y->setRange(bas - marge, haut + marge);
    y->setTitleText(QStringLiteral("valeur") + unite);
    ci->addAxis(x, Qt::AlignBottom);
    ci->addAxis(y, Qt::AlignLeft);
    for (QAbstractSeries* s : ci->series()) {
        s->attachAxis(x);
        s->attachAxis(y);
    }
    ci->legend()->setVisible(true);
    ci->legend()->setAlignment(Qt::AlignRight);
    // The line joining the points needs no name: the legend's room goes to the rest.
    for (QLegendMarker* m : ci->legend()->markers(suite))
        m->setVisible(false);

    auto* ecarts = new QLineSeries;
    ecarts->setName(QStringLiteral("étendue mobile"));
    ecarts->setPointsVisible(true);
    double plus = carte.lcsEcarts();
    for (qsizetype i = 1; i < points_.size(); ++i) {
        const double e = std::abs(points_[i].valeur - points_[i - 1].valeur);
        ecarts->append(static_cast<double>(i + 1), e);
        plus = std::max(plus, e);
    }
    cm->addSeries(ecarts);
    if (sigma > 0) {
        Trait(cm, QStringLiteral("moyenne ") + QString::number(carte.centreEcarts, 'f', 3),
              carte.centreEcarts, 1, n, QPen(QColor(0, 128, 0), 1.5));
        Trait(cm, QStringLiteral("LCS ") + QString::number(carte.lcsEcarts(), 'f', 3),
              carte.lcsEcarts(), 1, n, controle);
    }
    auto* xm = new QValueAxis;
    xm->setRange(0, n + 1);
    xm->applyNiceNumbers();
    xm->setLabelFormat(QStringLiteral("%d"));
    auto* ym = new QValueAxis;
    ym->setRange(0, plus > 0 ? plus * 1.1 : 1);
    ym->setTitleText(QStringLiteral("étendue") + unite);
    cm->addAxis(xm, Qt::AlignBottom);
    cm->addAxis(ym, Qt::AlignLeft);
    for (QAbstractSeries* s : cm->series()) {
        s->attachAxis(xm);
        s->attachAxis(ym);
    }
    cm->legend()->setVisible(true);
    cm->legend()->setAlignment(Qt::AlignRight);
}

void StatistiquesProduction::afficheRendements(const QList<RendementFinal>& finals,
                                               const QList<RendementEtape>& etapes) {
    const QString poste = CmbPoste->currentIndex() > 0 ? CmbPoste->currentText() : QString();
    QList<QStringList> lignes;
    for (const RendementFinal& r : finals) {
        if (!poste.isEmpty() && !r.poste.isEmpty())
            continue;
        lignes << QStringList{r.flux,
                              r.poste.isEmpty() ? (poste.isEmpty() ? kTous : poste) : r.poste,
                              QString::number(r.premiers),
                              Pourcent(r.reussisPremier, r.premiers),
                              Pourcent(r.reussisFin, r.premiers),
                              QString::number(r.reprises)};
    }
    Remplit(TableRendements, lignes);
    lignes.clear();
    QList<Rendement> toutes;
    QList<QStringList> codes;
    for (const RendementEtape& e : etapes) {
        QStringList c;
        for (const Etape& x : Etapes())
            if (x.nom == e.etape)
                c = x.codes;
        lignes << QStringList{
            e.flux.isEmpty() ? kTous : e.flux, e.etape,
            c.join(QStringLiteral(", ")),      QString::number(e.entrees),
            QString::number(e.echecs),         Pourcent(e.entrees - e.echecs, e.entrees)};
        if (e.flux.isEmpty()) {
            toutes << Rendement{e.etape, e.entrees, e.entrees - e.echecs};
            codes << c;
        }
    }
    Remplit(TableEtapes, lignes);
    DessineRendements(GraphRendementEtapes, QStringLiteral("Rendement premier passage par étape"),
                      QStringLiteral("étape"), toutes);
    SurBarre(GraphRendementEtapes, [this, toutes, codes](int i) {
        Detaille({.codes = codes.value(i), .premiers = true},
                 QStringLiteral("premiers passages en échec à l'étape ") + toutes.value(i).cle);
    });
}

void StatistiquesProduction::Detaille(const FiltreJournal& selection, const QString& libelle) {
    selectionnee_ = !libelle.isEmpty();
    selection_ = selection;
    libelle_ = libelle;
    QString erreur;
    const QSqlDatabase db = journal(&erreur);
    if (!db.isValid()) {
        LblSelection->setText(erreur);
        return;
    }
    listePassages(db);
    if (selectionnee_)
        Onglets->setCurrentIndex(Onglets->count() - 1);
}

void StatistiquesProduction::listePassages(const QSqlDatabase& db) {
    const FiltreJournal f = liste();
    QString erreur;
    if (!StatistiquesJournal::Passages(db, f, passages_, &erreur, kPassagesAffiches)) {
        echecLecture();
        passages_.clear();
        LblSelection->setText(erreur);
    } else {
        LblSelection->setText(
            selectionnee_ ? QStringLiteral("%1 : %2 passages").arg(libelle_).arg(passages_.size())
                          : QStringLiteral("tous les passages du filtre"));
    }
    BtToutAfficher->setEnabled(selectionnee_);
    Remplit(TablePassages, passages_);
}

void StatistiquesProduction::ouvreHistorique(int ligne) {
    if (ligne < 0 || ligne >= passages_.size())
        return;
    const QString sn = passages_[ligne].value(5);
    // Beside this window, not inside it: it outlives it.
    HistoriqueSN* h = AfficheHistoriqueSN(poste_, parentWidget() ? parentWidget() : this);
    if (!sn.isEmpty())
        h->Cherche(sn);
}

void StatistiquesProduction::ExporteCsv() {
    const QString chemin = demandeFichier ? demandeFichier() : QString();
    if (chemin.isEmpty())
        return;
    // The whole of what is listed, beyond what the tab shows.
    const FiltreJournal f = liste();
    QString erreur;
    QList<QStringList> tous;
    const QSqlDatabase db = journal(&erreur);
    bool lu = db.isValid();
    if (lu && !(lu = StatistiquesJournal::Passages(db, f, tous, &erreur)))
        echecLecture();
    if (!lu || !StatistiquesJournal::ExporteCsv(chemin, tous, &erreur)) {
        poste_.operateur().Boite(QStringLiteral("Le fichier ") + chemin +
                                     QStringLiteral(" n'a pas pu être écrit:\r") + erreur,
                                 QStringLiteral("Exporter CSV"), Icone::Critique);
        return;
    }
    poste_.operateur().Boite(QString::number(tous.size()) +
                                 QStringLiteral(" passages exportés dans ") + chemin,
                             QStringLiteral("Exporter CSV"), Icone::Information);
}

StatistiquesProduction* AfficheStatistiquesProduction(Poste& poste, QWidget* parent) {
    static QPointer<StatistiquesProduction> ouverte;
    if (!ouverte)
        ouverte = new StatistiquesProduction(poste, parent);
    else
        ouverte->Actualise();
    AuPremierPlan(*ouverte);
    return ouverte;
}
