#pragma once
// The window "Statistiques de production": first-pass yield by day and by
// workflow, the Pareto of failure codes with its cumulative line, the spread
// of supply voltage and IR power against their limits, the records behind
// them, all under one filter (dates, station, operator), and the records
// shown exported as CSV.
#include "StatistiquesJournal.h"

#include <QWidget>
#include <functional>

class Poste;
class QChartView;
class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QTableWidget;
class QTabWidget;

class StatistiquesProduction : public QWidget {
    Q_OBJECT
public:
    StatistiquesProduction(Poste& poste, QWidget* parent = nullptr);

    // Reads the journal again under the filter shown.
    void Actualise();
    // Writes the records shown where demandeFichier says (nothing when it
    // gives no name); a failed write is told in a box and leaves no file.
    void ExporteCsv();
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
    QTableWidget* TablePassages;

private:
    FiltreJournal filtre() const;
    void remplitFiltres(const QSqlDatabase& db);
    void vide(const QString& raison);

    Poste& poste_;
    QList<QStringList> passages_;
    bool remplissage_ = false;
};

// Opens the window, or brings the open one to the front.
StatistiquesProduction* AfficheStatistiquesProduction(Poste& poste, QWidget* parent);
