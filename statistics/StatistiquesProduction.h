#pragma once
// The window "Statistiques de production": first-pass yield by day and by
// workflow, the Pareto of failure codes with its cumulative line, the spread
// of supply voltage and IR power against their limits; the capability of
// every measurement with limits and its control chart; the yield of each test
// step, the final yield and the units passed only on retest; the records
// behind them, all under one filter (dates, station, operator). A click on a
// bar or a point lists its runs, a double-click on a run opens its unit's
// history, and the records listed are exported as CSV.
#include "StatistiquesJournal.h"

#include <QWidget>
#include <functional>
#include <memory>

class LectureJournal;
class Poste;
class QChartView;
class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QTableWidget;
class QTabWidget;
class QScatterSeries;

class StatistiquesProduction : public QWidget {
    Q_OBJECT
public:
    StatistiquesProduction(Poste& poste, QWidget* parent = nullptr);
    ~StatistiquesProduction() override;

    // Reads the journal again under the filter shown.
    void Actualise();
    // Writes the records shown where demandeFichier says (nothing when it
    // gives no name); a failed write is told in a box and leaves no file.
    void ExporteCsv();
    // Lists the runs of `selection` (the filter's own when empty) in the tab
    // "Passages", `libelle` saying which.
    void Detaille(const FiltreJournal& selection, const QString& libelle);
    // The file name for the export; a save dialog unless replaced (tests).
    std::function<QString()> demandeFichier;

    QDateEdit* DateDu;
    QDateEdit* DateAu;
    QComboBox* CmbPoste;
    QComboBox* CmbOperateur;
    QPushButton* BtActualiser;
    QPushButton* BtExporterCsv;
    QLabel* LblResume;
    QTabWidget* Onglets;
    QChartView* GraphRendementJour;
    QChartView* GraphRendementFlux;
    QChartView* GraphPareto;
    QChartView* GraphAlim;
    QChartView* GraphPuissanceIR;
    QTableWidget* TableCapabilite;
    QChartView* GraphCarteI;
    QChartView* GraphCarteMR;
    QChartView* GraphRendementEtapes;
    QTableWidget* TableRendements;
    QTableWidget* TableEtapes;
    QLabel* LblSelection;
    QPushButton* BtToutAfficher;
    QTableWidget* TablePassages;

    // The most runs the tab "Passages" lists (the export takes them all).
    static constexpr int kPassagesAffiches = 1000;
    // The latest values a control chart shows.
    static constexpr int kPointsCarte = 500;

private:
    FiltreJournal filtre() const;
    // The filter narrowed to the runs listed.
    FiltreJournal liste() const;
    void remplitFiltres(const QSqlDatabase& db);
    void vide(const QString& raison);
    void afficheCapabilite(const QList<SommesMesure>& sommes);
    void afficheRendements(const QList<RendementFinal>& finals,
                           const QList<RendementEtape>& etapes);
    void afficheCarte();
    void listePassages(const QSqlDatabase& db);
    void ouvreHistorique(int ligne);
    // The journal's reader, opened at the first need and kept while the
    // window lives; opened again after a read failed. Invalid, with the
    // reason, when it cannot be opened.
    QSqlDatabase journal(QString* erreur);
    void echecLecture() { rouvrir_ = true; }

    Poste& poste_;
    std::unique_ptr<LectureJournal> lecture_;
    bool rouvrir_ = false;
    QList<QStringList> passages_;
    FiltreJournal selection_;
    bool selectionnee_ = false;
    QString libelle_;
    QList<Capabilite> capabilites_;
    QList<PointCarte> points_;
    bool remplissage_ = false;
};

// Opens the window, or brings the open one to the front.
StatistiquesProduction* AfficheStatistiquesProduction(Poste& poste, QWidget* parent);
