#pragma once
// The main window "Poste de Programmation": its controls, and which workflow
// each of them runs (F1Commandes.cpp), its start-up (F1Demarrage.cpp).
#include "LigneCommande.h"
#include "PosteF1.h"

#include <QMainWindow>
#include <functional>
#include <memory>

class QAction;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
struct TravailImprimante;

class F1posteProgrammation : public QMainWindow {
    Q_OBJECT
public:
    // The program's window: modal exchanges through Qt dialogs.
    explicit F1posteProgrammation(QWidget* parent = nullptr);
    // Any operator (tests pass a scripted one).
    explicit F1posteProgrammation(Operateur& operateur, QWidget* parent = nullptr);
    ~F1posteProgrammation() override;

    Poste& poste() { return poste_; }
    const Poste& poste() const { return poste_; }

    // Start-up, before the window is shown: reads the command line, logs the
    // operator in and sets up the window. Its end paths go through
    // Poste::FinProgramme (help, wrong or empty password, unusable trace folder).
    void Demarre(const QString& ligneCommande);

    void AfficheAideLigneCde();
    void AfficheVersionLogiciel();
    QString TexteVersionLogiciel() const;

    // Translation database named by `ft` (empty when none is named).
    BaseTraduction baseTraduction;

    // What the workflow buttons and menu entries run; empty does nothing.
    // While one of the card workflows runs, the others are refused (the card
    // port is one), but cancel, stop, help and the viewers stay usable.
    struct Commandes {
        std::function<void()> BtVerifConnection, BtProgTestPlateau, BtProgrammateurSETUP,
            BtUploader, BtAttribuSN, BTrenomCarte, BtImpEtqCarteLue, BtTestPlateauSeul,
            BtTestRailsMeuble, BtAttribueMeuble;
        std::function<void()> BtAideProgrammation, BtAideTestRails, BtAideTestPlateau,
            BtAideAttribMeuble;
        std::function<void()> mnuTestIRperm, mnuTestIRsansManip, mnuTestEA, mnuAffAideProgrammation,
            mnuAffAideTestRails, mnuCreationBaseMessages;
    };
    Commandes commandes;

    // How the trace viewers open a file (the platform's text editor).
    std::function<bool(const QString&)> ouvreEditeur;

    // Controls, named as their objectName.
    QPushButton* BtVerifConnection;
    QPushButton* BtProgTestPlateau;
    QPushButton* BtProgrammateurSETUP;
    QPushButton* BtUploader;
    QPushButton* BtAttribuSN;
    QPushButton* BTrenomCarte;
    QPushButton* BtImpEtqCarteLue;
    QPushButton* BtTestPlateauSeul;
    QPushButton* BtTestRailsMeuble;
    QPushButton* BtAttribueMeuble;
    QPushButton* BtVisuTraceCarte;
    QPushButton* BTVisuTraceRail;
    QPushButton* BtVisuTraceTestPlateauSeul;
    QPushButton* BtAideProgrammation;
    QPushButton* BtAideTestRails;
    QPushButton* BtAideTestPlateau;
    QPushButton* BtAideAttribMeuble;
    QPushButton* BtCancel;
    QPushButton* BtSTOP;
    QLabel* info;
    QLabel* infoProg;
    QLabel* LblDernierSN;
    QMenu* mnuFonctions;
    QAction* mnuVersionLogiciel;
    QAction* mnuTestIRperm;
    QAction* mnuTestIRsansManip;
    QAction* mnuTestEA;
    QAction* mnuAffLigneCde;
    QAction* mnuAffAideProgrammation;
    QAction* mnuAffAideTestRails;
    QAction* mnuCreationBaseMessages;
    QAction* mnuStatistiques;
    QAction* mnuHistorique;
    QAction* mnuApercuEtiquettes;
    // The last label sent: its picture, drawn from the bytes sent, and what
    // became of it.
    QGroupBox* CadreEtiquette;
    QLabel* ImgEtiquette;
    QLabel* LblEtatEtiquette;

    // Whether a card workflow is running (the context's job guard).
    bool travailEnCours() const { return poste_.travailEnCours(); }

    // Runs a click handler through the context's job guard.
    void execute(const std::function<void()>& action, const QString& nom, bool exclusif) {
        poste_.Execute(action, nom, exclusif);
    }

protected:
    bool eventFilter(QObject* objet, QEvent* evenement) override;
    void closeEvent(QCloseEvent* evenement) override;

private:
    void construit();
    void branche();
    void brancheFlux(); // the workflows behind the buttons and menu entries
    void visualise(const QString& nomFichier);
    void appliqueDroits();
    void verifieFichiersTrace();
    void chargeTraductions();
    void demarreServeurImpression();
    void demarreServeurJournal(const QString& bd);
    // Every label job is kept in the journal and shown in the preview pane;
    // the jobs the last session left waiting are printed first.
    void suitEtiquettes();
    QString reprendEtiquettes();
    void gardeEtiquette(TravailImprimante& travail);
    void montreEtiquette(const TravailImprimante& travail);

    std::unique_ptr<Operateur> operateurQt_; // only when the window makes its own
    PosteF1 poste_;
    QList<QGroupBox*> cadres_;
    QByteArray etiquetteMontree_;    // the bytes whose picture the pane shows
    QString erreurJournalEtiquette_; // why the last job could not be kept, if so
};
