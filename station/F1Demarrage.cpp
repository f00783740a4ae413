// Start-up of the main window: command line, login, rights, trace files.
#include "F1posteProgrammation.h"

#include "AttributionMeuble.h"
#include "LigneCommande.h"
#include "MotsDePasseOperateurs.h"
#include "OperateurQt.h"

#include "DialogMP.h"
#include "F2Acceuil.h"
#include "F3aideTestRail.h"
#include "F4aideAttributionMeuble.h"
#include "F5aideTestPlateau.h"
#include "TraduitFeuille.h"

#include "EditeEtiquette.h"
#include "EnvoiJournal.h"
#include "EtiquettesJournal.h"
#include "FichierTrace.h"
#include "JournalPoste.h"
#include "LiaisonImprimante.h"
#include "ModuleTraductions.h"
#include "Plateforme.h"
#include "ServeurImpression.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QSysInfo>

namespace {

QString TitreDialogueMotDePasse() {
    const VersionLogiciel v = versionLogiciel();
    return NomProgramme() + QStringLiteral(" ") +
           QStringLiteral("  v%1.%2.%3 (%4)")
               .arg(v.major)
               .arg(v.minor)
               .arg(v.revision)
               .arg(v.commentaire);
}

} // namespace

void F1posteProgrammation::Demarre(const QString& ligneCommande) {
    Reglages& r = poste_.reglages;
    const QString ligne = ligneCommande.trimmed();

    // The help box is made of messages: the table is filled before anything is shown.
    ChargeMessagesDefaut();

    if (ligne.isEmpty() || ligne == QStringLiteral("?")) {
        AfficheAideLigneCde();
        poste_.FinProgramme(kFinNormale);
    }

    for (QWidget* w :
         {static_cast<QWidget*>(BtAttribueMeuble), static_cast<QWidget*>(BtAideAttribMeuble),
          static_cast<QWidget*>(BtTestPlateauSeul), static_cast<QWidget*>(BtAideTestPlateau),
          static_cast<QWidget*>(BtVisuTraceTestPlateauSeul)})
        w->setVisible(false);
    r.DroitMeuble = r.DroitProgrammation = r.DroitTestRails = r.DroitTestPlateau = false;

    // Before the print server listens: a label it takes is kept at once.
    suitEtiquettes();

    baseTraduction = AnalyseFt(RechParamLigneCdeChemin(ligne, QStringLiteral("ft"), {}),
                               QCoreApplication::applicationDirPath());
    chargeTraductions();

    r.CheminProg = RechParamLigneCdeChemin(ligne, QStringLiteral("pp"),
                                           QStringLiteral("C:\\morvane\\appli\\icProg105C"));
    r.FichierProg = RechParamLigneCdeChemin(
        ligne, QStringLiteral("fp"), QStringLiteral("c:\\morvane\\appli\\progCompletPlateau.hex"));
    r.PortCarte = RechParamLigneCdePort(ligne, QStringLiteral("com"), QStringLiteral("1")) +
                  QStringLiteral(":9600,n,8,1");

    const CibleImprimante imprimante = AnalysePortImp(
        RechParamLigneCdePort(ligne, QStringLiteral("portImp"), QStringLiteral("2")));
    r.portImp = imprimante.portImp;
    r.AdresseImp = imprimante.adresse;
    r.PortTcpImp = imprimante.portTcp;

    r.portSrv = RechParamLigneCde(ligne, QStringLiteral("portSrv"), {}).toUpper();
    if (!r.portSrv.isEmpty())
        demarreServeurImpression();

    r.CodeUsine = RechParamLigneCde(ligne, QStringLiteral("us"), QStringLiteral("0")).left(1);

    demarreServeurJournal(RechParamLigneCdeTelQuel(ligne, QStringLiteral("bd"), {}));

    // The password file is checked before the operator is asked to type anything.
    FichierMotsDePasse motsDePasse;
    QString erreur;
    if (!motsDePasse.Lit(CheminFichierMotsDePasse(), &erreur)) {
        poste_.operateur().Boite(erreur, {}, Icone::Critique);
        poste_.FinProgramme(kFinEchec);
    }

    QString motDePasse = RechParamLigneCde(ligne, QStringLiteral("op"), {});
    if (motDePasse.isEmpty()) {
        motDePasse = poste_.operateur().MotDePasse(TitreDialogueMotDePasse(), Msg[101]).toUpper();
        if (motDePasse.isEmpty())
            poste_.FinProgramme(kFinEchec);
    }

    r.CodeOperateur.clear();
    const std::optional<QChar> code = motsDePasse.CodeDuMotDePasse(motDePasse);
    const std::optional<DroitsOperateur> droits = code ? DroitsDuCode(*code) : std::nullopt;
    if (!droits) {
        poste_.operateur().Boite(Msg[102], {}, Icone::Critique);
        poste_.FinProgramme(kFinEchec);
    }
    r.CodeOperateur = QString(droits->code);
    r.DroitMeuble = droits->meuble;
    r.DroitProgrammation = droits->programmation;
    r.DroitTestRails = droits->testRails;
    r.DroitTestPlateau = droits->testPlateau;

    r.NomCarteFuture =
        RechParamLigneCde(ligne, QStringLiteral("nc"), QStringLiteral("A50")).left(3).trimmed();

    if (r.DroitMeuble) {
        BtAttribueMeuble->setVisible(true);
        BtAideAttribMeuble->setVisible(true);
    }
    if (r.DroitTestPlateau) {
        BtTestPlateauSeul->setVisible(true);
        BtAideTestPlateau->setVisible(true);
        BtVisuTraceTestPlateauSeul->setVisible(true);
    }
    BtAttribuSN->setText(
        BtAttribuSN->text() +
        LegendeLitterale(QStringLiteral(" (--> ") + r.NomCarteFuture + QStringLiteral(")")));
    infoProg->setText(r.FichierProg);
    // Read once now, so that the first run does not wait for it; again only
    // when the file changes.
    Journal::EmpreinteFirmware(poste_);

    const VersionLogiciel v = versionLogiciel();
    QString etat = QStringLiteral("Version %1.%2.%3 (%4)")
                       .arg(v.major)
                       .arg(v.minor)
                       .arg(v.revision)
                       .arg(v.commentaire) +
                   QLatin1Char('\r');
    if (!r.portSrv.isEmpty())
        etat += QStringLiteral("Srv ImpEtq sur port: ") + r.portSrv;
    if (!r.portImp.isEmpty())
        etat += QStringLiteral("     Port Imp: ") + r.portImp;
    const QString reprises = reprendEtiquettes();
    if (!reprises.isEmpty())
        etat += QLatin1Char('\r') + reprises;
    poste_.AfficheInfo(etat);

    verifieFichiersTrace();

    poste_.MontreBtCancel(false);

    appliqueDroits();
}

void F1posteProgrammation::demarreServeurJournal(const QString& bd) {
    if (bd.isEmpty())
        return;
    // Refused here rather than found out at the first card.
    QString erreur;
    const std::optional<ServeurJournal> serveur = AnalyseBd(bd, &erreur);
    if (!serveur) {
        QString affiche = bd;
        affiche.replace(QRegularExpression(QStringLiteral("(://[^:/@]*:)[^@/]*@")),
                        QStringLiteral("\\1***@"));
        poste_.operateur().Boite(
            QStringLiteral("bd=") + affiche + QStringLiteral(" : ") + erreur +
                QStringLiteral(
                    "\r\rForme attendue : bd=postgresql://utilisateur@serveur:5432/base"),
            QStringLiteral("Journal de production"), Icone::Critique);
        poste_.FinProgramme(kFinEchec);
    }
    Journal::FixeServeur(poste_, *serveur);
    QStatusBar* barre = statusBar();
    barre->showMessage(QStringLiteral("Journal: serveur ") + serveur->affiche() +
                       AvertissementMotDePasse(*serveur));
    connect(EnvoiJournal::de(poste_), &EnvoiJournal::etatChange, barre,
            [barre](const QString& texte) { barre->showMessage(texte); });
}

void F1posteProgrammation::appliqueDroits() {
    const Reglages& r = poste_.reglages;
    QString titre;
    for (QWidget* w :
         {static_cast<QWidget*>(BtProgTestPlateau), static_cast<QWidget*>(BtAideProgrammation),
          static_cast<QWidget*>(BtAttribuSN), static_cast<QWidget*>(LblDernierSN),
          static_cast<QWidget*>(BtProgrammateurSETUP), static_cast<QWidget*>(BtVisuTraceCarte),
          static_cast<QWidget*>(infoProg)})
        w->setVisible(r.DroitProgrammation);
    if (r.DroitProgrammation)
        titre = QStringLiteral("Programmation/ ") + titre;
    for (QWidget* w :
         {static_cast<QWidget*>(BTVisuTraceRail), static_cast<QWidget*>(BtTestRailsMeuble),
          static_cast<QWidget*>(BtAideTestRails)})
        w->setVisible(r.DroitTestRails);
    if (r.DroitTestRails)
        titre = QStringLiteral("Test Rails/ ") + titre;
    // The whole port, not only its first character: port 12 reads "com12".
    titre += QStringLiteral(" com") + r.PortCarte.section(QLatin1Char(':'), 0, 0) +
             QStringLiteral(" op=") + r.CodeOperateur;
    setWindowTitle(titre);

    // A group whose every control is hidden would only be an empty frame.
    for (QGroupBox* cadre : cadres_) {
        bool garni = false;
        for (QWidget* w : cadre->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            garni = garni || !w->isHidden();
        cadre->setVisible(garni);
    }
    adjustSize();
}

void F1posteProgrammation::verifieFichiersTrace() {
    const Reglages& r = poste_.reglages;
    const QString snCarte = Plateforme::CheminDans(r.CheminProg, QStringLiteral("SNcarte.txt"));
    const QFileInfo dossier(QFileInfo(snCarte).path());
    if (r.CheminProg.isEmpty() || !dossier.isDir()) {
        poste_.operateur().Boite(r.CheminProg + QStringLiteral(" ") + Msg[103], {},
                                 Icone::Critique);
        AfficheAideLigneCde();
        poste_.FinProgramme(kFinEchec);
    }
    QString erreur;
    if (!CreeFichierTrace(snCarte, &erreur)) {
        poste_.operateur().Boite(snCarte + QStringLiteral(" : ") + erreur, {}, Icone::Critique);
        poste_.FinProgramme(kFinEchec);
    }

    // From here on a trace file that cannot be read only costs the display.
    const QString entete = PremiereLigneTrace(snCarte);
    if (!entete.isEmpty())
        poste_.AfficheDernierSN(Msg[17] + QStringLiteral("=") + entete.mid(12, 4));
    CreeFichierTrace(Plateforme::CheminDans(r.CheminProg, QStringLiteral("SNrail.txt")));
}

void F1posteProgrammation::chargeTraductions() {
    DossierTraduction = baseTraduction.dossier;
    FichierTraduction = baseTraduction.fichier;
    DefinitOperateurTraduction(&poste_.operateur());
    if (FichierTraduction.isEmpty())
        return;
    ChargeMessagesTraduits();
    TraduitFeuille(this, QStringLiteral("F1posteProgrammation"));
    // Each other window loads once, so that it records its controls in the
    // base: translators find every window there after the first start. A
    // window the base already holds is not built again (drawing and laying
    // out the help texts was most of a start-up); a control it lacks is
    // recorded when the window is next opened, as every window translates
    // itself when it loads. Names in any case, as the base matches them.
    const QStringList enregistrees = FeuillesEnregistrees();
    const auto charge = [&](const QString& nom, const auto& cree) {
        if (!FichierTraduction.isEmpty() && !enregistrees.contains(nom, Qt::CaseInsensitive))
            delete cree();
    };
    charge(QStringLiteral("DialogMP"), [this] { return new DialogMP(this); });
    charge(QStringLiteral("F2Acceuil"), [this] { return new F2Acceuil(this); });
    charge(QStringLiteral("F3aideTestRail"), [this] { return new F3aideTestRail(this); });
    charge(QStringLiteral("F4aideAttributionMeuble"),
           [this] { return new F4aideAttributionMeuble(this); });
    charge(QStringLiteral("F5aideTestPlateau"), [this] { return new F5aideTestPlateau(this); });
    charge(QStringLiteral("AttributionMeuble"),
           [this] { return new AttributionMeuble(poste_, this); });
    poste_.reglages.BaseTraduction = FichierTraduction;
}

void F1posteProgrammation::suitEtiquettes() {
    LiaisonImprimante::de(poste_).suivi = [this](TravailImprimante& travail) {
        gardeEtiquette(travail);
        montreEtiquette(travail);
    };
}

namespace {

QString EtatJournal(TravailImprimante::Etat etat) {
    switch (etat) {
    case TravailImprimante::Etat::Envoi:
        return EtatEtiquette::envoi;
    case TravailImprimante::Etat::Pris:
        return EtatEtiquette::imprime;
    case TravailImprimante::Etat::Perdu:
        return EtatEtiquette::perdu;
    case TravailImprimante::Etat::Recu:
    case TravailImprimante::Etat::EnAttente:
        break;
    }
    return EtatEtiquette::enAttente;
}

} // namespace

// A journal that cannot be written costs the record, never the label: the
// pane says so instead of a box in the middle of the print queue.
void F1posteProgrammation::gardeEtiquette(TravailImprimante& travail) {
    const Reglages& r = poste_.reglages;
    QString erreur;
    bool garde = false;
    if (travail.uid.isEmpty()) {
        const IdentiteEtiquette identite = IdentiteEPL2(travail.octets);
        EtiquetteEnregistree e;
        e.poste = QSysInfo::machineHostName();
        e.usine = r.CodeUsine;
        e.operateur = r.CodeOperateur;
        e.client = travail.client;
        e.cible = travail.cible;
        e.sn = identite.sn;
        e.codeProduit = identite.codeProduit;
        e.octets = travail.octets;
        e.etat = EtatJournal(travail.etat);
        e.raison = travail.raison;
        e.reimpressionDe = travail.reimpressionDe;
        e.motif = travail.motif;
        e.rang = travail.rang;
        garde = Journal::EnregistreEtiquette(poste_, &e, &erreur);
        if (garde)
            travail.uid = e.uid;
    } else {
        garde = Journal::ChangeEtatEtiquette(poste_, travail.uid, EtatJournal(travail.etat),
                                             travail.raison, &erreur);
    }
    erreurJournalEtiquette_ = garde ? QString() : erreur;
    if (!garde)
        qWarning("journal des etiquettes: %s", qPrintable(erreur));
}

QString F1posteProgrammation::reprendEtiquettes() {
    const QString chemin = Journal::Chemin(poste_);
    const bool aEnvoyer = EnvoiJournal::de(poste_) != nullptr;
    QString erreur;
    const int interrompues = Journal::CloturerEnvoisInterrompus(chemin, &erreur, aEnvoyer);
    QList<EtiquetteEnregistree> gardees;
    // A journal that cannot be read is told by the first record written to
    // it; the start-up goes on.
    if (interrompues < 0 || !Journal::EtiquettesEnAttente(chemin, &gardees, &erreur)) {
        qWarning("journal des etiquettes %s: %s", qPrintable(chemin), qPrintable(erreur));
        return {};
    }
    QList<TravailImprimante> travaux;
    for (const EtiquetteEnregistree& e : gardees)
        travaux << TravailImprimante{.octets = e.octets,
                                     .client = e.client,
                                     .uid = e.uid,
                                     .reimpressionDe = e.reimpressionDe,
                                     .motif = e.motif,
                                     .rang = e.rang};
    LiaisonImprimante::de(poste_).Reprend(travaux);
    QStringList texte;
    if (!travaux.isEmpty())
        texte << QStringLiteral("%1 étiquette(s) en attente depuis la dernière session, envoyée(s) "
                                "en premier")
                     .arg(travaux.size());
    if (interrompues > 0)
        texte << QStringLiteral("%1 étiquette(s) interrompue(s) pendant l'envoi, non "
                                "réimprimée(s) : à vérifier")
                     .arg(interrompues);
    return texte.join(QStringLiteral(" ; "));
}

void F1posteProgrammation::demarreServeurImpression() {
    // Reports a port already in use (and clears portSrv) or ends the program.
    DemarreServeurImpression(poste_);
}
