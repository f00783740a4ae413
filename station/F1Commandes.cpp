// Which workflow each button and menu entry of the main window runs.
#include "F1posteProgrammation.h"

#include "AttribueSNcarte.h"
#include "AttributionMeuble.h"
#include "CreeBaseMessages.h"
#include "EtiquetteCarteLue.h"
#include "FenetresAide.h"
#include "HistoriqueSN.h"
#include "MenuBanc.h"
#include "OutilsExternes.h"
#include "RenommeCarte.h"
#include "StatistiquesProduction.h"
#include "TestPlateauSeul.h"
#include "TestRailsMeuble.h"
#include "VerifConnection.h"

void F1posteProgrammation::brancheFlux() {
    Poste& p = poste_;
    commandes.BtVerifConnection = [&p] { BtVerifConnection_Click(p); };
    commandes.BtProgTestPlateau = [&p] { ProgrammeCarteIcprog(p); };
    commandes.BtProgrammateurSETUP = [&p] { BtProgrammateurSETUP_Click(p); };
    commandes.BtUploader = [&p] { BtUploader_Click(p); };
    commandes.BtAttribuSN = [&p] { AttribueSNcarte(p); };
    commandes.BTrenomCarte = [&p] { BTrenomCarte_Click(p); };
    commandes.BtImpEtqCarteLue = [&p] { ImprimeEtiquetteCarteLue(p); };
    commandes.BtTestPlateauSeul = [&p] { BtTestPlateauSeul_Click(p); };
    commandes.BtTestRailsMeuble = [&p] { TestRailsMeuble(p); };

    commandes.mnuTestIRperm = [&p] { mnuTestIRperm_Click(p); };
    commandes.mnuTestIRsansManip = [&p] { mnuTestIRsansManip_Click(p); };
    commandes.mnuTestEA = [&p] { mnuTestEA_Click(p); };
    commandes.mnuCreationBaseMessages = [] { mnuCreationBaseMessages_Click(); };

    commandes.BtAideProgrammation = [this] { AfficheF2Acceuil(this); };
    commandes.mnuAffAideProgrammation = [this] { AfficheF2Acceuil(this); };
    commandes.BtAideTestRails = [this] { AfficheF3aideTestRail(this); };
    commandes.mnuAffAideTestRails = [this] { AfficheF3aideTestRail(this); };
    commandes.BtAideTestPlateau = [this] { AfficheF5aideTestPlateau(this); };
    commandes.BtAideAttribMeuble = [this] { AfficheF4aideAttributionMeuble(this); };

    // Reading the journal touches no card: it opens during a workflow too.
    connect(mnuStatistiques, &QAction::triggered, this, [this] {
        execute([this] { AfficheStatistiquesProduction(poste_, this); },
                mnuStatistiques->objectName(), false);
    });
    connect(mnuHistorique, &QAction::triggered, this, [this] {
        execute([this] { AfficheHistoriqueSN(poste_, this); }, mnuHistorique->objectName(), false);
    });

    commandes.BtAttribueMeuble = [this] {
        AttributionMeuble* meuble = AfficheAttributionMeuble(poste_, this);
        meuble->ouvreAide = [this] { AfficheF4aideAttributionMeuble(this); };
    };
}
