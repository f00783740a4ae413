#include "ModuleTraductions.h"

#include "BaseTraductions.h"
#include "Operateur.h"
#include "Plateforme.h"

std::array<QString, kNombreMessages + 1> Msg;
QString DossierTraduction;
QString FichierTraduction;

namespace {

struct Defaut {
    int numero;
    const char* nom; // name of the message record, stable when the text is reworded
    const char16_t* texte;
};

// French defaults; the translation database identifies its records by these numbers.
constexpr Defaut kDefauts[] = {
    {1, "CarteNonConnectee", u"Votre carte N'EST PAS CONNECTE"},
    {2, "TestEA", u"Test EA ...."},
    {3, "CarteDefautDetectionEas",
     u"Votre Carte a un defaut sur la detection des EAs ou sur le test autonome des IR"},
    {4, "VoulezContinuerAttribuerSn", u"Voulez-vous continuer à attribuer un SN ?"},
    {5, "DefautEaIr", u"DEFAUT EA et/ou IR"},
    {6, "AbandonSn", u"abandon SN"},
    {7, "RechercheDernierSn", u"recherche dernier SN ..."},
    {8, "TaperPremierSNcarte", u"taper le premier SN (carte) (4 caracteres)"},
    {9, "SaisirPremierSNcarte", u"SAISIR LE PREMIER NUMERO DE SERIE (carte) POUR CE POSTE"},
    {10, "ImpossibleDansSN", u" impossible dans le SN"},
    {11, "ProchainSn", u"prochain SN"},
    {12, "PasReponseCarte", u"pas de reponse carte de la carte"},
    {13, "VerifSn", u"verif SN ..."},
    {14, "PasReponseCarteVerification", u"pas de reponse carte de la carte sur verification"},
    {15, "NumeroSerieEcritCarte",
     u"le numero de serie ecrit dans la carte est different du SN demandé"},
    {16, "MemoriseSnTraceSn", u"memorise SN dans trace SN"},
    {17, "DernierSn", u"dernier SN"},
    {18, "CollerEtiquetteSousCarte", u"coller l'etiquette sous la carte"},
    {22, "SnCarte", u"SN carte"},
    {23, "VersionCarte", u"version carte"},
    {29, "ArretTest", u"Arret Test"},
    {30, "TestBarriereInfraRougeAuto", u"Test la barrière Infra-Rouge (auto-test)"},
    {31, "TestPresenceElectroAimants", u"Test la présence des Electro-aimants ..."},
    {32, "TestPresenceLedsArrieres", u"Test la présence des leds Arrières ..."},
    {33, "DefautTestIr", u"DEFAUT sur test IR"},
    {34, "DefautDetectionEas", u"DEFAUT sur detection des EAs"},
    {35, "TestReelElectroAimants", u"Test REEL Electro-Aimants détectés"},
    {36, "TestReelementElectroAimant", u"Test REELEMENT l' Electro-Aimant"},
    {37, "DefautDetectionLedsAr", u"DEFAUT sur detection des leds AR"},
    {38, "ArretTestLed", u"Arret Test Led"},
    {39, "TestLedsAr", u"Test les leds AR"},
    {40, "VoulezEtiquetteColler", u"Voulez-vous une etiquette à coller sur le plateau ?"},
    {41, "TestPlateauSeul", u"Test Plateau SEUL"},
    {42, "CollerEtiquettePlateau", u"coller l'etiquette sur le plateau"},
    {43, "ActiveElectroAimant", u"Active un Electro-Aimant pour décharger l'alim"},
    {44, "AbandonTestDemande", u"ABANDON du TEST sur demande utilisateur"},
    {45, "Arret", u"Arret"},
    {48, "NomCarteLue", u"nom de la carte lue"},
    {49, "RechercheConnectionCarte", u"Recherche la connection avec la carte"},
    {50, "AbandonRechercheCarteTime", u"abandon recherche carte (Time Out Carte)"},
    {51, "DejaUtilise", u"est déja utilisé"},
    {52, "NExiste", u"n'existe pas"},
    {53, "ErreurOuverturePort", u"Erreur ouverture port Imprimante"},
    {54, "NomAncienneCarteCase", u"Nom de l'ancienne carte (!!! à la case)"},
    {55, "TaperDiesesNomInconnu",
     u"vous pouvez taper ## si vous ne connaissez pas l'ancien nom de la carte"},
    {56, "DiesesUneSeuleCarte",
     u"!!! si vous mettez ## vous ne devez avoir qu'une seule carte de connecté"},
    {57, "RenommerCarte", u"Renommer une carte"},
    {58, "NomNouvelleCarteCase", u"Nom de LA NOUVELLE CARTE (!!! à la case)"},
    {59, "ErreurReponseVerification",
     u"Erreur pas de reponse sur verification de l'ancienne carte"},
    {60, "ErreurReponseRechercheNom",
     u"Erreur pas de reponse sur recherche nom de l'ancienne carte"},
    {61, "ErreurReponseAncienneCarte", u"Erreur pas de reponse de l'ancienne carte"},
    {62, "ErreurReponseNouveauNom",
     u"Erreur pas de reponse de la carte sur verification nouveau nom"},
    {63, "RenommageCarteCorrecte", u"le RENOMMAGE de la carte EST CORRECTE"},
    {64, "AncienNomTrouve", u"ancien nom trouvé"},
    {65, "CarteAbsente", u"Carte absente"},
    {66, "Cause", u"cause:"},
    {67, "EncoreReceptionPuiss23", u"encore reception avec puiss 2/3"},
    {68, "AucuneReception", u"aucune reception"},
    {69, "PuissanceIrTropForte", u"puissance IR trop forte"},
    {70, "PuissanceMaximumCarReglage", u"PUISSANCE MAXIMUM (car reglage automatique impossible)"},
    {71, "PuissanceLimiteeReglage",
     u"PUISSANCE LIMITEE (reglage automatique trouvé MAIS Coef de securité limité"},
    {72, "PuissanceHorsLimite23", u"Puissance HORS limite > au 2/3 du maximum"},
    {73, "TaperIciTypeRailTester", u"Taper ici le type de rail à tester"},
    {74, "TousRailsBancTest", u"Tous les rails sur le banc de test doivent etre identiques"},
    {75, "TestEas", u"TEST LES EAs"},
    {76, "TypeRailTester", u"type de rail à tester"},
    {77, "RechercheCartes", u"recherche cartes"},
    {78, "CarteSPlateauXTrouveS", u"carte(s) plateau(x) trouve(s)"},
    {79, "ErreurCarte", u"erreur sur la carte"},
    {82, "LanceRechercheEaTous", u"lance recherche des EA sur tous les plateaux detectés"},
    {83, "ErreurReponseTestPresence", u"erreur de reponse sur test presence EA"},
    {84, "LecturePresenceEa", u"lecture presence EA ..."},
    {85, "ErreurReponseLectureEa", u"erreur de reponse sur lecture EA"},
    {86, "DefautRail", u"DEFAUT sur ce rail"},
    {87, "AbandonTestRailsDemande", u"*** ABANDON du test DEMANDE ***"},
    {88, "ErreurReponseTestEa", u"erreur de reponse sur test EA"},
    {89, "TousRailsTestesIls", u"Tous les rails testes sont-ils correctes ?"},
    {90, "ReponseOuiAttributionSn",
     u"si reponse 'OUI' -> attribution d'un SN à chaque rail complet + etiquette"},
    {91, "ReponseNonArretTestSansSn", u"si reponse 'NON' -> arret du test sans SN ni etiquette"},
    {92, "AttributionSnChaqueRail", u"Attribution d'un SN à chaque rail correcte"},
    {93, "AttributionSn", u"Attribution SN ..."},
    {94, "SaisirPremierSNrail", u"SAISIR LE PREMIER NUMERO DE SERIE de rail POUR CE POSTE"},
    {95, "ProchainSnRail", u"prochain SN rail"},
    {96, "TypeRailInconnu", u"type de rail inconnu"},
    {97, "TypeRailDifferentRail", u"type de rail different du rail demandé"},
    {98, "EditionEtq", u"Edition Etq ..."},
    {99, "FinTestEa", u"fin test EA"},
    {100, "ManqueProgramme", u"Il manque le programme"},
    {101, "SaisirMotPasseUtilisateur",
     u"saisir votre Mot de passe utilisateur pour avoir acces à la programmation des cartes "
     u"plateaux"},
    {102, "MotPasseOperateurErrone", u"MOT de PASSE OPERATEUR ERRONE"},
    {103, "NomCheminNonValide", u"est un nom de chemin non valide"},
    {104, "UsageLigneCommande",
     u"calvanet ft=.... pp=.... fp=.... com=.. us=.. nc=... op=.... portImp=.... portSrv=...."},
    {105, "CheminCompletAcceder", u"chemin complet pour acceder au programme"},
    {106, "CheminCompletNomProgramme", u"chemin complet + nom programme à ecrire dans la carte"},
    {107, "NumeroPortSerieUtilise", u"numero du port serie utilise (carte)"},
    {108, "CodeUsine", u"code de l'usine"},
    {109, "NomFutureCarteApres", u"nom de la future carte apres attribution du SN"},
    {110, "MotPasseOperateurOption", u"mot de passe de l'operateur (option)"},
    {112, "PortUtiliseImprimante", u"port utilisé par l'imprimante"},
    {113, "NomFichierTraductionChemin",
     u"nom du fichier de traduction (chemin complet ou juste le nom si au meme endroit que le "
     u".exe)"},
    {114, "AfficheAideParametrage", u"affiche cette aide pour le parametrage"},
    {115, "ErreurOuverturePortCarte", u"Erreur ouverture port carte"},
    // Help windows: programming 116-133, rail test 134 and 136-159, single tray 160-178.
    {116, "AideProgLigne116", u"PROGRAMMER et ATTRIBUER un SN sur une carte plateau"},
    {117, "AideProgLigne117", u"VOUS NE DEVEZ AVOIR QU'UNE SEULE CARTE DE CONNECTER"},
    {118, "AideProgLigne118", u"* eteindre le programmateur"},
    {119, "AideProgLigne119",
     u"* brancher le connecteur HE10 14 points et le connecteur SIL 7 points sur la carte"},
    {120, "AideProgLigne120", u"* brancher la barriere IR et le rail de test 16 EAs sur la carte"},
    {121, "AideProgLigne121", u"* allumer le programmateur (la led verte doit etre allumée)"},
    {122, "AideProgLigne122", u"* cliquer sur le bouton 'PROGRAMMER UNE CARTE'"},
    {123, "AideProgLigne123",
     u"     verifier que le programmateur affiche 'vérification du composant correcte!'"},
    {124, "AideProgLigne124", u"* cliquer sur le bouton 'ATTRIBUER UN SN'"},
    {125, "AideProgLigne125", u"     le programme verifie les 16 EAs et la barriere IR"},
    {126, "AideProgLigne126", u"     donne le prochain numero de serie (SN) du poste"},
    {127, "AideProgLigne127", u"     ecrit le SN dans la carte et le verifie"},
    {128, "AideProgLigne128", u"     ecrit une trace dans le fichier des SN"},
    {129, "AideProgLigne129", u"     imprime une etiquette"},
    {130, "AideProgLigne130", u"* eteindre le programmateur"},
    {131, "AideProgLigne131", u"* debrancher les connecteurs HE10 et SIL"},
    {132, "AideProgLigne132", u"* debrancher la barriere IR et le rail de test"},
    {133, "AideProgLigne133", u"* coller l'etiquette sous la carte"},
    {134, "AideRailsLigne134", u"TEST DES RAILS"},
    {136, "AideRailsLigne136", u"* couper l'alimentation du banc de test"},
    {137, "AideRailsLigne137", u"* positionner et brancher les rails Morvane2 sur le banc de test"},
    {138, "AideRailsLigne138", u"* allumer l'alimentation du banc de test"},
    {139, "AideRailsLigne139", u"* cliquer sur le bouton 'Test les rails du meuble A'"},
    {140, "AideRailsLigne140", u"* taper le type de rail à tester :"},
    {141, "AideRailsLigne141", u"     R15 pour des rails equipés de 15 electros"},
    {142, "AideRailsLigne142", u"     R13 pour des rails equipés de 13 electros"},
    {143, "AideRailsLigne143", u"     R08 pour des rails equipés de 16 electros (2*8)"},
    {144, "AideRailsLigne144", u"     R08s pour des rails equipés de 8 electros (gros)"},
    {145, "AideRailsLigne145", u"     R11 pour des rails equipés de 22 electros"},
    {146, "AideRailsLigne146", u"     (tous les rails du banc doivent etre identiques)"},
    {147, "AideRailsLigne147", u"* le programme :"},
    {148, "AideRailsLigne148", u"     recherche toutes les cartes du banc"},
    {149, "AideRailsLigne149", u"     verifie les EAs de chaque carte"},
    {150, "AideRailsLigne150",
     u"     fait 5 cycles rapides et 2 cycles lents sur chaque rail conforme"},
    {151, "AideRailsLigne151", u"* TEST CORRECT ?"},
    {152, "AideRailsLigne152", u"     NON : abandon du test, pas de SN ni d'etiquette"},
    {153, "AideRailsLigne153", u"     OUI : attribution d'un SN à chaque rail correct"},
    {154, "AideRailsLigne154", u"           + une etiquette à coller sur chaque rail"},
    {155, "AideRailsLigne155", u"* coller les etiquettes sur les rails"},
    {156, "AideRailsLigne156", u"* couper l'alimentation du banc de test"},
    {157, "AideRailsLigne157", u"* debrancher les rails"},
    {158, "AideRailsLigne158", u"* nettoyer les rails"},
    {159, "AideRailsLigne159", u"* emballer les rails"},
    {160, "AidePlateauLigne160", u"Aide Test Plateau à la FABRICATION"},
    {161, "AidePlateauLigne161", u"* monter sur le plateau :"},
    {162, "AidePlateauLigne162", u"     une carte programmée et avec un SN"},
    {163, "AidePlateauLigne163", u"     un emetteur IR"},
    {164, "AidePlateauLigne164", u"     les 4 cartes leds AR"},
    {165, "AidePlateauLigne165", u"     un rail de test 16 EAs"},
    {166, "AidePlateauLigne166", u"* allumer l'alimentation"},
    {167, "AidePlateauLigne167",
     u"* cliquer sur le bouton 'Test un Plateau Seul (IR, EA et LedAR) + Etq'"},
    {168, "AidePlateauLigne168", u"* le programme :"},
    {169, "AidePlateauLigne169", u"     teste la barriere IR"},
    {170, "AidePlateauLigne170", u"     teste la presence des 16 EAs et des 32 leds AR"},
    {171, "AidePlateauLigne171", u"     active 2 fois chaque EA trouvé"},
    {172, "AidePlateauLigne172", u"     allume les 32 leds (3 s) puis 8 par 8 pendant 2 s"},
    {173, "AidePlateauLigne173", u"     affiche le bilan et propose l'etiquette du plateau"},
    {174, "AidePlateauLigne174", u"* coller l'etiquette sur le coté du plateau"},
    {175, "AidePlateauLigne175",
     u"* couper l'alimentation et attendre la decharge de l'alimentation"},
    {176, "AidePlateauLigne176", u"* retirer le rail de test"},
    {177, "AidePlateauLigne177", u"* le plateau est pret pour l'emballage"},
    {178, "AidePlateauLigne178", u"     (le mettre dans son carton avec son etiquette visible)"},
    {179, "NPortEcouteServeur", u"n° du port d'ecoute pour le serveur Imprimante Etq"},
    {180, "TypePlateauSeulTester", u"Type de plateau seul à tester ?"},
    {181, "TestPlateauSeulComplet", u"TEST PLATEAU SEUL COMPLET"},
    {182, "TypeRailTrouveDifferent",
     u"Le type de rail trouvé est different du type de rail demandé"},
    {183, "RailTrouve", u"rail trouvé:"},
    {184, "RailDemande", u"rail demandé:"},
    {185, "NEaNonConforme", u"n° EA non conforme:"},
    {186, "TestTensionAlimentation", u"Test la tension d'alimentation ..."},
    {187, "DefautTensionAlimentation", u"DEFAUT sur TENSION Alimentation"},
};

Operateur* operateurTraduction = nullptr;

QString Critique(const QString& texte) {
    if (operateurTraduction)
        operateurTraduction->Boite(texte, {}, Icone::Critique);
    return texte;
}

} // namespace

int NumeroMessage(const QString& type) {
    int n = 0;
    for (QChar c : type.mid(3)) {
        if (!c.isDigit() || n > kNombreMessages)
            break;
        n = n * 10 + c.digitValue();
    }
    return n;
}

void ChargeMessagesDefaut() {
    for (auto& m : Msg)
        m.clear();
    for (const auto& d : kDefauts)
        Msg[d.numero] = QString::fromUtf16(d.texte);
}

QList<MessageDefaut> MessagesDefaut() {
    QList<MessageDefaut> liste;
    for (const auto& d : kDefauts)
        liste.append({d.numero, QString::fromLatin1(d.nom), QString::fromUtf16(d.texte)});
    return liste;
}

void DefinitOperateurTraduction(Operateur* operateur) {
    operateurTraduction = operateur;
}

Operateur* OperateurTraduction() {
    return operateurTraduction;
}

QString CheminBaseTraduction() {
    return Plateforme::CheminLocal(DossierTraduction + FichierTraduction);
}

std::unique_ptr<BaseTraductions> OuvreBaseTraduction(bool garderSurEchec) {
    if (FichierTraduction.isEmpty())
        return nullptr;
    auto base = std::make_unique<BaseTraductions>(CheminBaseTraduction());
    switch (base->Ouvre()) {
    case BaseTraductions::Ouverture::Ouverte:
        return base;
    case BaseTraductions::Ouverture::Introuvable:
        Critique(QStringLiteral("le fichier de traduction : ") + FichierTraduction +
                 QStringLiteral(" est introuvable"));
        break;
    case BaseTraductions::Ouverture::FichierJet:
        Critique(QStringLiteral("le fichier de traduction : ") + FichierTraduction +
                 QStringLiteral(" est une base Access (Jet) : convertissez-la avec la commande\r") +
                 QStringLiteral("calvanet-convertitmdb \"") + base->chemin() +
                 QStringLiteral("\""));
        break;
    case BaseTraductions::Ouverture::Erreur:
        Critique(QStringLiteral("erreur n° %1 %2")
                     .arg(base->erreur().numero)
                     .arg(base->erreur().description));
        break;
    }
    if (!garderSurEchec)
        FichierTraduction.clear();
    return nullptr;
}

void EchecBaseTraduction(const ErreurBase& erreur) {
    Critique(QStringLiteral("erreur n° %1 %2").arg(erreur.numero).arg(erreur.description));
    FichierTraduction.clear();
}

void ChargeMessagesTraduits() {
    const std::unique_ptr<BaseTraductions> base = OuvreBaseTraduction();
    if (!base)
        return;
    const auto messages = base->MessagesTraduits();
    if (!messages) {
        EchecBaseTraduction(base->erreur());
        return;
    }
    for (const EnregistrementTraduction& m : *messages) {
        const int n = NumeroMessage(m.Ttype);
        if (n >= 1 && n <= kNombreMessages)
            Msg[n] = m.Tcaption;
    }
}
