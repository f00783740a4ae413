#include "F1posteProgrammation.h"

#include "EtiquettesJournal.h"
#include "LiaisonImprimante.h"
#include "ModuleTraductions.h"
#include "OperateurQt.h"
#include "Plateforme.h"
#include "RenduEPL2.h"
#include "ShowMsg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>
#include <exception>

namespace {

QPixmap DessineAide() {
    QPixmap image(64, 64);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1f, 0x5f, 0xbf));
    p.drawEllipse(QRectF(4, 4, 56, 56));
    QFont police = p.font();
    police.setBold(true);
    police.setPixelSize(40);
    p.setFont(police);
    p.setPen(Qt::white);
    p.drawText(QRectF(4, 4, 56, 56), Qt::AlignCenter, QStringLiteral("?"));
    return image;
}

QPixmap DessineStop() {
    QPixmap image(96, 96);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPolygonF octogone;
    for (int i = 0; i < 8; ++i) {
        const double angle = (22.5 + 45.0 * i) * M_PI / 180.0;
        octogone << QPointF(48 + 44 * std::cos(angle), 48 + 44 * std::sin(angle));
    }
    p.setPen(QPen(Qt::white, 4));
    p.setBrush(QColor(0xc8, 0x10, 0x10));
    p.drawPolygon(octogone);
    QFont police = p.font();
    police.setBold(true);
    police.setPixelSize(22);
    p.setFont(police);
    p.drawText(image.rect(), Qt::AlignCenter, QStringLiteral("STOP"));
    return image;
}

QPushButton* Bouton(QWidget* parent, const QString& nom, const QString& legende,
                    const QString& bulle = {}) {
    auto* b = new QPushButton(LegendeLitterale(legende), parent);
    b->setObjectName(nom);
    if (!bulle.isEmpty())
        b->setToolTip(bulle);
    b->setMinimumHeight(34);
    return b;
}

// A picture button: the picture says what it is, the accessible name says it
// to those who cannot see it.
QPushButton* BoutonImage(QWidget* parent, const QString& nom, const QPixmap& image,
                         const QString& nomAccessible, const QString& legende = {}) {
    auto* b = Bouton(parent, nom, legende);
    b->setIcon(QIcon(image));
    b->setAccessibleName(nomAccessible);
    b->setToolTip(nomAccessible);
    return b;
}

QAction* Entree(QMenu* menu, const QString& nom, const QString& texte) {
    QAction* a = menu->addAction(LegendeLitterale(texte));
    a->setObjectName(nom);
    return a;
}

} // namespace

F1posteProgrammation::F1posteProgrammation(QWidget* parent)
    : QMainWindow(parent), operateurQt_(std::make_unique<OperateurQt>(this)),
      poste_(*this, *operateurQt_) {
    construit();
}

F1posteProgrammation::F1posteProgrammation(Operateur& operateur, QWidget* parent)
    : QMainWindow(parent), poste_(*this, operateur) {
    construit();
}

F1posteProgrammation::~F1posteProgrammation() {
    if (OperateurTraduction() == &poste_.operateur())
        DefinitOperateurTraduction(nullptr);
}

void F1posteProgrammation::construit() {
    setObjectName(QStringLiteral("F1posteProgrammation"));
    setWindowTitle(QStringLiteral("Poste de Programmation"));
    ouvreEditeur = Plateforme::OuvreEditeurTexte;

    auto* centre = new QWidget(this);
    setCentralWidget(centre);

    auto cadre = [&](const QString& nom, const QString& titre) {
        auto* g = new QGroupBox(titre, centre);
        g->setObjectName(nom);
        cadres_ << g;
        return g;
    };

    QGroupBox* carte = cadre(QStringLiteral("CadreCarte"), QStringLiteral("Carte"));
    BtVerifConnection =
        Bouton(carte, QStringLiteral("BtVerifConnection"),
               QStringLiteral("Verif Connection avec la carte"),
               QStringLiteral("test si une carte est connectée et donne sa version + SN"));
    BTrenomCarte =
        Bouton(carte, QStringLiteral("BTrenomCarte"), QStringLiteral("Renommer la Carte"),
               QStringLiteral("renommer le nom d'une carte"));
    BtImpEtqCarteLue =
        Bouton(carte, QStringLiteral("BtImpEtqCarteLue"), QStringLiteral("Etq Carte Lue"));
    BtUploader = Bouton(carte, QStringLiteral("BtUploader"), QStringLiteral("Uploader Firmware"),
                        QStringLiteral("permet de mettre à jour un programme dans une carte à "
                                       "l'aide de la fonction DownLoad"));
    {
        auto* l = new QVBoxLayout(carte);
        l->addWidget(BtVerifConnection);
        l->addWidget(BTrenomCarte);
        l->addWidget(BtImpEtqCarteLue);
        l->addWidget(BtUploader);
    }

    QGroupBox* prog =
        cadre(QStringLiteral("CadreProgrammation"), QStringLiteral("Programmation et SN carte"));
    BtProgTestPlateau =
        Bouton(prog, QStringLiteral("BtProgTestPlateau"), QStringLiteral("PROGRAMMER UNE CARTE"),
               QStringLiteral("ce bouton permet d'ecrire le programme initiale dans la carte "
                              "(Boot+programme de test) à l'aide du programme ICPROG.exe"));
    BtProgrammateurSETUP =
        Bouton(prog, QStringLiteral("BtProgrammateurSETUP"), QStringLiteral("ICProg SETUP"),
               QStringLiteral("permet d'activer le programme ICPROG.exe en mode SETUP afin de le "
                              "configurer"));
    infoProg = new QLabel(prog);
    infoProg->setObjectName(QStringLiteral("infoProg"));
    infoProg->setToolTip(QStringLiteral("nom du programme à ecrire dans la carte"));
    infoProg->setTextInteractionFlags(Qt::TextSelectableByMouse);
    BtAttribuSN =
        Bouton(prog, QStringLiteral("BtAttribuSN"), QStringLiteral("ATTRIBUER un SN carte"),
               QStringLiteral("ce bouton permet d'attribuer automatiquement un SN si le test "
                              "IR(Emet+recep connectés) et le test EA (rail avec 16 EA connecté) "
                              "sont ok puis edite une etiquette"));
    QFont grasse = BtAttribuSN->font();
    grasse.setBold(true);
    BtAttribuSN->setFont(grasse);
    BtAttribuSN->setMinimumHeight(48);
    LblDernierSN = new QLabel(prog);
    LblDernierSN->setObjectName(QStringLiteral("LblDernierSN"));
    LblDernierSN->setFont(grasse);
    LblDernierSN->setTextInteractionFlags(Qt::TextSelectableByMouse);
    {
        auto* l = new QVBoxLayout(prog);
        l->addWidget(BtProgTestPlateau);
        l->addWidget(BtProgrammateurSETUP);
        l->addWidget(infoProg);
        l->addSpacing(8);
        l->addWidget(BtAttribuSN);
        l->addWidget(LblDernierSN);
    }

    QGroupBox* plateau = cadre(QStringLiteral("CadreTestPlateau"), QStringLiteral("Test plateau"));
    BtTestPlateauSeul = Bouton(plateau, QStringLiteral("BtTestPlateauSeul"),
                               QStringLiteral("Test un Plateau Seul (IR, EA et LedAR) + Etq"));
    (new QVBoxLayout(plateau))->addWidget(BtTestPlateauSeul);

    QGroupBox* rails = cadre(QStringLiteral("CadreRails"), QStringLiteral("Rails"));
    BtTestRailsMeuble =
        Bouton(rails, QStringLiteral("BtTestRailsMeuble"),
               QStringLiteral("Test les rails du meuble 'A'+Attribution SN+etq"),
               QStringLiteral(
                   "test tous les EAs du meuble 'A' (rech cartes, EA + tests + etq + rapport)"));
    (new QVBoxLayout(rails))->addWidget(BtTestRailsMeuble);

    QGroupBox* meuble = cadre(QStringLiteral("CadreMeuble"), QStringLiteral("Meuble"));
    BtAttribueMeuble =
        Bouton(meuble, QStringLiteral("BtAttribueMeuble"), QStringLiteral("Attribution Meuble"));
    (new QVBoxLayout(meuble))->addWidget(BtAttribueMeuble);

    QGroupBox* traces = cadre(QStringLiteral("CadreTraces"), QStringLiteral("Traces"));
    BtVisuTraceCarte =
        Bouton(traces, QStringLiteral("BtVisuTraceCarte"), QStringLiteral("Visu Trace Carte"),
               QStringLiteral("affiche la trace de toutes les attribution de SN"));
    BTVisuTraceRail =
        Bouton(traces, QStringLiteral("BTVisuTraceRail"), QStringLiteral("Visu Trace Rail"));
    BtVisuTraceTestPlateauSeul = Bouton(traces, QStringLiteral("BtVisuTraceTestPlateauSeul"),
                                        QStringLiteral("Visu Trace Plateau"));
    {
        auto* l = new QVBoxLayout(traces);
        l->addWidget(BtVisuTraceCarte);
        l->addWidget(BTVisuTraceRail);
        l->addWidget(BtVisuTraceTestPlateauSeul);
    }

    QGroupBox* aide = cadre(QStringLiteral("CadreAide"), QStringLiteral("Aide"));
    const QPixmap imageAide = DessineAide();
    BtAideProgrammation = BoutonImage(aide, QStringLiteral("BtAideProgrammation"), imageAide,
                                      QStringLiteral("Aide Programmer"));
    BtAideTestRails = BoutonImage(aide, QStringLiteral("BtAideTestRails"), imageAide,
                                  QStringLiteral("Aide TEST RAILS"));
    BtAideTestPlateau = BoutonImage(aide, QStringLiteral("BtAideTestPlateau"), imageAide,
                                    QStringLiteral("Aide Test Plateau"));
    BtAideAttribMeuble = BoutonImage(aide, QStringLiteral("BtAideAttribMeuble"), imageAide,
                                     QStringLiteral("Aide Attribution meuble"));
    {
        auto* l = new QVBoxLayout(aide);
        for (QPushButton* b :
             {BtAideProgrammation, BtAideTestRails, BtAideTestPlateau, BtAideAttribMeuble}) {
            b->setIconSize(QSize(24, 24));
            b->setText(LegendeLitterale(b->accessibleName()));
            b->setStyleSheet(QStringLiteral("text-align: left; padding: 0 12px 0 6px;"));
            l->addWidget(b);
        }
    }

    info = new QLabel(centre);
    info->setObjectName(QStringLiteral("info"));
    info->setFrameShape(QFrame::Panel);
    info->setFrameShadow(QFrame::Sunken);
    info->setAutoFillBackground(true);
    info->setWordWrap(true);
    info->setMinimumHeight(64);
    info->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    info->setMargin(6);
    info->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont policeInfo = info->font();
    policeInfo.setPointSizeF(policeInfo.pointSizeF() * 1.2);
    info->setFont(policeInfo);

    BtCancel = Bouton(centre, QStringLiteral("BtCancel"), QStringLiteral("Arret"));
    BtCancel->setMinimumSize(110, 64);
    BtCancel->setFont(grasse);
    BtSTOP = BoutonImage(centre, QStringLiteral("BtSTOP"), DessineStop(),
                         QStringLiteral("Fin du programme"));
    BtSTOP->setIconSize(QSize(56, 56));
    BtSTOP->setFixedSize(72, 72);
    BtSTOP->setFlat(true);

    // The last label, drawn by the printer's own renderer from the bytes
    // sent; no right hides it, the menu does.
    CadreEtiquette = new QGroupBox(QStringLiteral("Dernière étiquette"), centre);
    CadreEtiquette->setObjectName(QStringLiteral("CadreEtiquette"));
    ImgEtiquette =
        new QLabel(QStringLiteral("aucune étiquette depuis le démarrage"), CadreEtiquette);
    ImgEtiquette->setObjectName(QStringLiteral("ImgEtiquette"));
    ImgEtiquette->setAlignment(Qt::AlignCenter);
    ImgEtiquette->setFrameShape(QFrame::Box);
    ImgEtiquette->setMinimumSize(408 + 2, 203 + 2);
    LblEtatEtiquette = new QLabel(CadreEtiquette);
    LblEtatEtiquette->setObjectName(QStringLiteral("LblEtatEtiquette"));
    LblEtatEtiquette->setWordWrap(true);
    LblEtatEtiquette->setTextInteractionFlags(Qt::TextSelectableByMouse);
    {
        auto* l = new QVBoxLayout(CadreEtiquette);
        l->addWidget(ImgEtiquette);
        l->addWidget(LblEtatEtiquette);
        l->addStretch();
    }

    // Columns of groups, each at its natural height, so that the groups a
    // login hides leave no empty frames behind.
    auto* grille = new QHBoxLayout;
    const QList<QList<QGroupBox*>> colonnes = {
        {carte, plateau}, {prog, rails}, {traces, meuble}, {aide, CadreEtiquette}};
    for (const auto& groupes : colonnes) {
        auto* colonne = new QVBoxLayout;
        for (QGroupBox* g : groupes)
            colonne->addWidget(g);
        colonne->addStretch();
        grille->addLayout(colonne);
    }
    grille->addStretch();

    auto* bas = new QHBoxLayout;
    bas->addWidget(info, 1);
    bas->addWidget(BtCancel);
    bas->addWidget(BtSTOP);

    auto* principal = new QVBoxLayout(centre);
    principal->addLayout(grille);
    principal->addLayout(bas);

    mnuFonctions = menuBar()->addMenu(LegendeLitterale(QStringLiteral("fonctions")));
    mnuFonctions->setObjectName(QStringLiteral("mnuFonctions"));
    mnuVersionLogiciel = Entree(mnuFonctions, QStringLiteral("mnuVersionLogiciel"),
                                QStringLiteral("version logiciel & infos"));
    mnuTestIRperm = Entree(mnuFonctions, QStringLiteral("mnuTestIRperm"),
                           QStringLiteral("Test IR permanent (une seule carte connectée)"));
    mnuTestIRsansManip =
        Entree(mnuFonctions, QStringLiteral("mnuTestIRsansManip"),
               QStringLiteral("Test IR sans manipulation (une seule carte connectée)"));
    mnuTestEA = Entree(mnuFonctions, QStringLiteral("mnuTestEA"),
                       QStringLiteral("test EA sans ejection (une seule carte connectée)"));
    mnuAffLigneCde = Entree(mnuFonctions, QStringLiteral("mnuAffLigneCde"),
                            QStringLiteral("affiche aide ligne de commande"));
    mnuAffAideProgrammation = Entree(mnuFonctions, QStringLiteral("mnuAffAideProgrammation"),
                                     QStringLiteral("affiche l'aide à la programmation"));
    mnuAffAideTestRails = Entree(mnuFonctions, QStringLiteral("mnuAffAideTestRails"),
                                 QStringLiteral("affiche l'aide aux tests des rails"));
    mnuCreationBaseMessages = Entree(mnuFonctions, QStringLiteral("mnuCreationBaseMessages"),
                                     QStringLiteral("Creation Base de messages"));
    mnuStatistiques = Entree(mnuFonctions, QStringLiteral("mnuStatistiques"),
                             QStringLiteral("Statistiques de production"));
    mnuHistorique =
        Entree(mnuFonctions, QStringLiteral("mnuHistorique"), QStringLiteral("Historique d'un SN"));
    mnuApercuEtiquettes = Entree(mnuFonctions, QStringLiteral("mnuApercuEtiquettes"),
                                 QStringLiteral("Aperçu des étiquettes"));
    mnuApercuEtiquettes->setCheckable(true);
    mnuApercuEtiquettes->setChecked(true);

    branche();
    brancheFlux();
    // A key pressed anywhere in this window asks the running workflow to stop.
    qApp->installEventFilter(this);
}

void F1posteProgrammation::branche() {
    struct Lien {
        QPushButton* bouton;
        std::function<void()> Commandes::*commande;
        bool exclusif;
    };
    const Lien liens[] = {
        {BtVerifConnection, &Commandes::BtVerifConnection, true},
        {BtProgTestPlateau, &Commandes::BtProgTestPlateau, true},
        {BtProgrammateurSETUP, &Commandes::BtProgrammateurSETUP, true},
        {BtUploader, &Commandes::BtUploader, true},
        {BtAttribuSN, &Commandes::BtAttribuSN, true},
        {BTrenomCarte, &Commandes::BTrenomCarte, true},
        {BtImpEtqCarteLue, &Commandes::BtImpEtqCarteLue, true},
        {BtTestPlateauSeul, &Commandes::BtTestPlateauSeul, true},
        {BtTestRailsMeuble, &Commandes::BtTestRailsMeuble, true},
        {BtAttribueMeuble, &Commandes::BtAttribueMeuble, false},
        {BtAideProgrammation, &Commandes::BtAideProgrammation, false},
        {BtAideTestRails, &Commandes::BtAideTestRails, false},
        {BtAideTestPlateau, &Commandes::BtAideTestPlateau, false},
        {BtAideAttribMeuble, &Commandes::BtAideAttribMeuble, false},
    };
    for (const Lien& l : liens) {
        const QString nom = l.bouton->objectName();
        connect(l.bouton, &QPushButton::clicked, this,
                [this, l, nom] { execute(commandes.*(l.commande), nom, l.exclusif); });
    }
    struct LienMenu {
        QAction* entree;
        std::function<void()> Commandes::*commande;
        bool exclusif;
    };
    const LienMenu liensMenu[] = {
        {mnuTestIRperm, &Commandes::mnuTestIRperm, true},
        {mnuTestIRsansManip, &Commandes::mnuTestIRsansManip, true},
        {mnuTestEA, &Commandes::mnuTestEA, true},
        {mnuAffAideProgrammation, &Commandes::mnuAffAideProgrammation, false},
        {mnuAffAideTestRails, &Commandes::mnuAffAideTestRails, false},
        {mnuCreationBaseMessages, &Commandes::mnuCreationBaseMessages, true},
    };
    for (const LienMenu& l : liensMenu) {
        const QString nom = l.entree->objectName();
        connect(l.entree, &QAction::triggered, this,
                [this, l, nom] { execute(commandes.*(l.commande), nom, l.exclusif); });
    }

    connect(BtVisuTraceCarte, &QPushButton::clicked, this,
            [this] { visualise(QStringLiteral("SNcarte.txt")); });
    connect(BTVisuTraceRail, &QPushButton::clicked, this,
            [this] { visualise(QStringLiteral("SNrail.txt")); });
    connect(BtVisuTraceTestPlateauSeul, &QPushButton::clicked, this,
            [this] { visualise(QStringLiteral("TestPlateauSeul.txt")); });
    connect(mnuAffLigneCde, &QAction::triggered, this, [this] {
        execute([this] { AfficheAideLigneCde(); }, mnuAffLigneCde->objectName(), false);
    });
    connect(mnuVersionLogiciel, &QAction::triggered, this, [this] {
        execute([this] { AfficheVersionLogiciel(); }, mnuVersionLogiciel->objectName(), false);
    });
    connect(mnuApercuEtiquettes, &QAction::toggled, this, [this](bool montre) {
        CadreEtiquette->setVisible(montre);
        adjustSize();
    });
    connect(BtCancel, &QPushButton::clicked, this, [this] { poste_.ArretDemande = true; });
    connect(BtSTOP, &QPushButton::clicked, this, [this] {
        execute([this] { poste_.FinProgramme(kFinNormale); }, BtSTOP->objectName(), false);
    });
}

void F1posteProgrammation::visualise(const QString& nomFichier) {
    // Neither a missing file nor a missing editor deserves a box here.
    if (ouvreEditeur)
        ouvreEditeur(Plateforme::CheminDans(poste_.reglages.CheminProg, nomFichier));
}

bool F1posteProgrammation::eventFilter(QObject* objet, QEvent* evenement) {
    if (evenement->type() == QEvent::KeyPress && objet->isWidgetType() &&
        static_cast<QWidget*>(objet)->window() == this)
        poste_.ArretDemande = true;
    return QMainWindow::eventFilter(objet, evenement);
}

void F1posteProgrammation::closeEvent(QCloseEvent* evenement) {
    evenement->accept();
    if (poste_.programmeTermine())
        return;
    execute([this] { poste_.FinProgramme(kFinNormale); }, QStringLiteral("F1posteProgrammation"),
            false);
}

QString F1posteProgrammation::TexteVersionLogiciel() const {
    const VersionLogiciel v = versionLogiciel();
    const Reglages& r = poste_.reglages;
    QStringList lignes;
    lignes << QStringLiteral("Version %1.%2.%3 (%4)")
                  .arg(v.major)
                  .arg(v.minor)
                  .arg(v.revision)
                  .arg(v.commentaire);
    lignes << QStringLiteral("code usine : ") + r.CodeUsine;
    lignes << QStringLiteral("code operateur : ") + r.CodeOperateur;
    lignes << QStringLiteral("chemin+prog du programme plateau : ") + r.FichierProg;
    lignes << QStringLiteral("port serie de la carte : ") + r.PortCarte;
    if (!r.portImp.isEmpty())
        lignes << QStringLiteral("Port Imp Etq: ") + r.portImp;
    if (!r.portSrv.isEmpty())
        lignes << QStringLiteral("Serveur Imp Etq sur port: ") + r.portSrv;
    lignes << QStringLiteral("chemin du prog ICPROG.exe: ") + r.CheminProg;
    // The base in use now: a failure since start-up has disabled it.
    if (!FichierTraduction.isEmpty())
        lignes << QStringLiteral("base de traduction : ") + FichierTraduction;
    QString texte;
    for (const QString& l : lignes)
        texte += l + QLatin1Char('\r');
    return texte;
}

void F1posteProgrammation::AfficheVersionLogiciel() {
    poste_.operateur().Boite(TexteVersionLogiciel());
}

void F1posteProgrammation::montreEtiquette(const TravailImprimante& t) {
    if (t.octets != etiquetteMontree_) {
        etiquetteMontree_ = t.octets;
        const QList<QImage> images = RendTravailEPL2(t.octets);
        if (images.isEmpty())
            ImgEtiquette->setText(QStringLiteral("rien à imprimer dans ce travail"));
        else
            ImgEtiquette->setPixmap(QPixmap::fromImage(images.first()));
    }
    QString etat;
    QColor couleur = Qt::darkGreen;
    switch (t.etat) {
    case TravailImprimante::Etat::Pris:
        etat = QStringLiteral("prise par l'imprimante");
        break;
    case TravailImprimante::Etat::Envoi:
        etat = QStringLiteral("envoi en cours");
        couleur = QColor(0xb0, 0x60, 0x00);
        break;
    case TravailImprimante::Etat::Recu:
    case TravailImprimante::Etat::EnAttente:
        etat = t.raison.isEmpty() ? QStringLiteral("en attente")
                                  : QStringLiteral("en attente : ") + t.raison;
        couleur = QColor(0xb0, 0x60, 0x00);
        break;
    case TravailImprimante::Etat::Perdu:
        etat = QStringLiteral("non imprimée : ") + t.raison;
        couleur = Qt::red;
        break;
    }
    QStringList lignes;
    lignes << QStringLiteral("Imprimante : ") +
                  (t.cible.isEmpty() ? QStringLiteral("aucune") : t.cible);
    if (!t.client.isEmpty())
        lignes << QStringLiteral("Pour le poste ") + t.client;
    if (!t.reimpressionDe.isEmpty())
        lignes << QStringLiteral("Réimpression n° %1 : ").arg(t.rang) + t.motif;
    lignes << etat;
    if (!erreurJournalEtiquette_.isEmpty())
        lignes << QStringLiteral("non gardée dans le journal : ") + erreurJournalEtiquette_;
    LblEtatEtiquette->setText(lignes.join(QLatin1Char('\n')));
    QPalette p = LblEtatEtiquette->palette();
    p.setColor(QPalette::WindowText, couleur);
    LblEtatEtiquette->setPalette(p);
}

void F1posteProgrammation::AfficheAideLigneCde() {
    poste_.operateur().Boite(TexteAideLigneCde());
}
