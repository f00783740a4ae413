#include "StatistiquesProduction.h"

#include "AuPremierPlan.h"
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
#include <QLineSeries>
#include <QPen>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
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

    TablePassages = new QTableWidget;
    TablePassages->setObjectName(QStringLiteral("TablePassages"));
    TablePassages->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TablePassages->setColumnCount(static_cast<int>(StatistiquesJournal::EnTetes().size()));
    TablePassages->setHorizontalHeaderLabels(StatistiquesJournal::EnTetes());
    TablePassages->verticalHeader()->setVisible(false);

    Onglets = new QTabWidget;
    Onglets->setObjectName(QStringLiteral("Onglets"));
    Onglets->addTab(graphiques, QStringLiteral("Graphiques"));
    Onglets->addTab(TablePassages, QStringLiteral("Passages"));

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

    // The whole journal at first: its first and last days.
    LectureJournal lecture(poste_);
    QDate premier, dernier;
    if (lecture.ouvre(nullptr) &&
        StatistiquesJournal::Etendue(lecture.db(), premier, dernier, nullptr) &&
        premier.isValid()) {
        remplissage_ = true;
        DateDu->setDate(premier);
        DateAu->setDate(dernier);
        remplissage_ = false;
    }
    Actualise();
}

FiltreJournal StatistiquesProduction::filtre() const {
    FiltreJournal f{.du = DateDu->date(), .au = DateAu->date()};
    if (CmbPoste->currentIndex() > 0)
        f.poste = CmbPoste->currentText();
    if (CmbOperateur->currentIndex() > 0)
        f.operateur = CmbOperateur->currentText();
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
    DessineRendements(GraphRendementJour, QStringLiteral("Rendement premier passage par jour"),
                      QStringLiteral("jour"), {});
    DessineRendements(GraphRendementFlux, QStringLiteral("Rendement premier passage par flux"),
                      QStringLiteral("flux"), {}, true);
    DessinePareto(GraphPareto, {});
    DessineHistogramme(GraphAlim, QStringLiteral("Tension d'alimentation"), {}, 0.5, 1);
    DessineHistogramme(GraphPuissanceIR, QStringLiteral("Puissance IR"), {}, 10, 0);
    LblResume->setText(raison);
}

void StatistiquesProduction::Actualise() {
    LectureJournal lecture(poste_);
    QString erreur;
    if (!lecture.ouvre(&erreur)) {
        vide(erreur);
        return;
    }
    const QSqlDatabase db = lecture.db();
    remplitFiltres(db);
    const FiltreJournal f = filtre();
    QList<Rendement> jours, flux;
    QList<CompteDefaut> defauts;
    ValeursMesure alim, ir;
    if (!StatistiquesJournal::RendementParJour(db, f, jours, &erreur) ||
        !StatistiquesJournal::RendementParFlux(db, f, flux, &erreur) ||
        !StatistiquesJournal::Pareto(db, f, defauts, &erreur) ||
        !StatistiquesJournal::Valeurs(db, f, QStringLiteral("alim"), alim, &erreur) ||
        !StatistiquesJournal::Valeurs(db, f, QStringLiteral("IR puissance"), ir, &erreur) ||
        !StatistiquesJournal::Passages(db, f, passages_, &erreur)) {
        vide(Journal::Chemin(poste_) + QStringLiteral("\n") + erreur);
        return;
    }

    DessineRendements(GraphRendementJour, QStringLiteral("Rendement premier passage par jour"),
                      QStringLiteral("jour"), jours);
    DessineRendements(GraphRendementFlux, QStringLiteral("Rendement premier passage par flux"),
                      QStringLiteral("flux"), flux, true);
    DessinePareto(GraphPareto, defauts);
    DessineHistogramme(GraphAlim, QStringLiteral("Tension d'alimentation"), alim, 0.5, 1);
    DessineHistogramme(GraphPuissanceIR, QStringLiteral("Puissance IR"), ir, 10, 0);

    TablePassages->setRowCount(static_cast<int>(passages_.size()));
    for (int i = 0; i < passages_.size(); ++i)
        for (int j = 0; j < passages_[i].size(); ++j)
            TablePassages->setItem(i, j, new QTableWidgetItem(passages_[i][j]));
    TablePassages->resizeColumnsToContents();

    int premiers = 0, reussis = 0;
    for (const Rendement& r : flux) {
        premiers += r.premiers;
        reussis += r.reussis;
    }
    const double pourcent = premiers ? 100.0 * reussis / premiers : 0.0;
    LblResume->setText(QStringLiteral("%1 passages affichés; premier passage: %2 réussis sur %3 "
                                      "(%4 %)")
                           .arg(passages_.size())
                           .arg(reussis)
                           .arg(premiers)
                           .arg(QString::number(pourcent, 'f', 1)));
}

void StatistiquesProduction::ExporteCsv() {
    const QString chemin = demandeFichier ? demandeFichier() : QString();
    if (chemin.isEmpty())
        return;
    QString erreur;
    if (!StatistiquesJournal::ExporteCsv(chemin, passages_, &erreur)) {
        poste_.operateur().Boite(QStringLiteral("Le fichier ") + chemin +
                                     QStringLiteral(" n'a pas pu être écrit:\r") + erreur,
                                 QStringLiteral("Exporter CSV"), Icone::Critique);
        return;
    }
    poste_.operateur().Boite(QString::number(passages_.size()) +
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
