#pragma once
// The window "Historique d'un SN": one field takes what an engineer has in
// hand (a card or rail SN, a product code scanned from a label, a cabinet with
// its pharmacy, a pharmacy) and shows what the journal knows of it: a card's
// runs with their measurements and the cabinets it was in, or a cabinet's
// trays with their cards. The journal is read anew at each search, through
// its one reader (the factory server when the station has one).
#include "EtiquettesJournal.h"
#include "HistoriqueJournal.h"

#include <QWidget>

class Poste;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

class HistoriqueSN : public QWidget {
    Q_OBJECT
public:
    HistoriqueSN(Poste& poste, QWidget* parent = nullptr);

    // Searches what TxtRecherche holds.
    void Cherche();
    // Puts `saisie` in the field and searches it.
    void Cherche(const QString& saisie);

    QLineEdit* TxtRecherche;
    QPushButton* BtChercher;
    QLabel* LblResultat;
    QTableWidget* TablePassages;
    QTableWidget* TableMesures;
    QTableWidget* TableGenealogie;
    QComboBox* CmbMeuble;
    QLabel* LblMeuble;
    QTableWidget* TablePlateaux;
    QPushButton* BtCertificat;
    // A unit's labels as sent, the one chosen drawn from its bytes, and its
    // exact reprint.
    QTableWidget* TableEtiquettes;
    QLabel* ImgEtiquette;
    QPushButton* BtReimprimer;

    // Sends the chosen label's bytes again, after asking why.
    void Reimprime();

private:
    void affiche(const ResultatHistorique& r);
    void vide(const QString& ligne);
    void afficheMesures();
    void afficheMeuble();
    void afficheEtiquettes();
    void afficheEtiquette();

    Poste& poste_;
    ResultatHistorique resultat_;
    QGroupBox* cadrePassages_;
    QGroupBox* cadreMesures_;
    QGroupBox* cadreGenealogie_;
    QWidget* detail_; // the measurements beside the genealogy
    QGroupBox* cadreMeuble_;
    QGroupBox* cadreEtiquettes_;
    QList<EtiquetteEnregistree> etiquettes_;
};

// Opens the window, or brings the open one to the front.
HistoriqueSN* AfficheHistoriqueSN(Poste& poste, QWidget* parent);
