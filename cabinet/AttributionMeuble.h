#pragma once
// The window "Attribution Meuble": the pharmacy, the tray list of the
// cabinet being assigned, and the buttons that create the cabinet, assign
// its cards and print its sheet. It never blocks the main window.
#include "Meuble.h"
#include "Poste.h"
#include "VueMeuble.h"

#include <QWidget>
#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;

class AttributionMeuble : public QWidget, public VueMeuble {
    Q_OBJECT
public:
    AttributionMeuble(Poste& poste, QWidget* parent = nullptr);
    ~AttributionMeuble() override;

    // The cabinet record, held as long as the window.
    Meuble meuble;

    // What BtAide opens (the help window lives in a library of its own).
    std::function<void()> ouvreAide;

    // Controls, named as their objectName.
    QLabel* LblTitreAttribution;
    QLabel* LblNomPharma;
    QLineEdit* TxtNomPharma;
    QLabel* LblAdrPharma;
    QLineEdit* TxtAdrPharma;
    QPushButton* BtCreerNouveauMeuble;
    QLabel* LblListeCartes;
    QListWidget* ListSN;
    QPushButton* BtAttribuerCartes;
    QPushButton* BtEditFeuilleMeuble;
    QCheckBox* ChkFeuillePDF; // the sheet as a PDF even when a printer is there
    QLabel* LblEtat;
    QProgressBar* ProgressBar1;
    QPushButton* BtFin;
    QPushButton* BtAide;

    // VueMeuble
    QString NomPharma() const override;
    QString AdrPharma() const override;
    void FocusNomPharma() override;
    QStringList lignes() const override;
    void videListe() override;
    void ajouteLigne(const QString& ligne) override;
    void changeLigne(int indice, const QString& ligne) override;
    void selectionne(int indice) override;
    int selection() const override;
    void montreListe(int hauteurTwips) override;
    void Etat(const QString& texte) override;
    void DebutProgression(int maximum) override;
    void Progression(int valeur) override;
    void CacheProgression() override;

protected:
    bool eventFilter(QObject* objet, QEvent* evenement) override;
    void closeEvent(QCloseEvent* evenement) override;

private:
    void construit();
    void Form_Load();
    // Runs one of the window's handlers through the job guard; the list and
    // the window stay as they are until it ends.
    void lance(const std::function<void()>& action, const QString& nom, bool exclusif);

    Poste& poste_;
    bool occupe_ = false;
};

// BtAttribueMeuble: opens the window, or brings forward the one already open.
AttributionMeuble* AfficheAttributionMeuble(Poste& poste, QWidget* parent);
