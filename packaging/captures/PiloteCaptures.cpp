// pilote-captures: the real main window on the virtual bench, driven as an
// operator would (clicks on its own buttons, answers in its own boxes), and
// pictures taken of what the screen shows. scripts/captures runs it under
// Xvfb and a window manager.
//   pilote-captures --image F.png [--etape ETAPE]... [--saisie TEXTE]... [--oui]
//                   [--boite N | --question N | --apres MS] [--ecran]
//                   -- <station command line>
// Steps, in order, each once the one before has returned: clique:<button>,
// texte:<line edit>=<text>, coche:<check box>, menu:<entry>, ligne:<table>=<row>
// (that row selected, from 0), onglet:<tab widget>=<caption> (that tab shown),
// photo:<window> (the picture of that top-level
// window, then the end). --boite N: the picture is taken while
// the N-th box with an OK button is shown; --question N: while the N-th Yes/No
// box is shown; --apres MS: that long after the
// first step; none of them: the main window once shown. --ecran: the whole
// screen (other programs' windows included), else the window or the box
// alone, with its frame. Boxes asking for text get the --saisie answers in
// order; questions get Yes with --oui, else No.
#include "F1posteProgrammation.h"
#include "LigneCommande.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCommandLineParser>
#include <QDialog>
#include <QImage>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <cstdio>

namespace {

struct Consignes {
    QString image;
    QStringList etapes;
    QStringList saisies;
    bool oui = false;
    int boite = 0;
    int question = 0;
    int apres = 0;
    bool ecran = false;
};

// The screen cut to the windows it shows, on its plain background.
QImage CoupeAuxFenetres(const QImage& ecran) {
    const QRgb fond = ecran.pixel(0, 0);
    QRect cadre;
    for (int y = 0; y < ecran.height(); ++y) {
        const auto* ligne = reinterpret_cast<const QRgb*>(ecran.constScanLine(y));
        for (int x = 0; x < ecran.width(); ++x)
            if (ligne[x] != fond)
                cadre |= QRect(x, y, 1, 1);
    }
    return cadre.isEmpty() ? ecran : ecran.copy(cadre);
}

// The window with its frame, as the window manager draws it.
bool Photographie(const Consignes& c, QWidget* fenetre) {
    QScreen* ecran = QGuiApplication::primaryScreen();
    const QRect cadre = fenetre->frameGeometry();
    const QImage image =
        c.ecran
            ? CoupeAuxFenetres(ecran->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32))
            : ecran->grabWindow(0, cadre.x(), cadre.y(), cadre.width(), cadre.height()).toImage();
    if (!image.save(c.image)) {
        std::fprintf(stderr, "impossible d'ecrire %s\n", qPrintable(c.image));
        return false;
    }
    return true;
}

// Leaves at once: a workflow may still be running in a nested event loop.
[[noreturn]] void Termine(bool ok) {
    std::fflush(nullptr);
    std::_Exit(ok ? 0 : 1);
}

// Waits for the windows to be drawn (and the window manager to frame them).
void PhotographieDans(const Consignes& c, QWidget* fenetre, int ms) {
    QTimer::singleShot(ms, fenetre, [c, fenetre] { Termine(Photographie(c, fenetre)); });
}

// A widget of any of the program's windows, by its name.
template <typename T> T* Controle(const QString& nom) {
    for (QWidget* haut : QApplication::topLevelWidgets()) {
        if (auto* w = qobject_cast<T*>(haut); w && haut->objectName() == nom)
            return w;
        if (auto* w = haut->findChild<T*>(nom))
            return w;
    }
    return nullptr;
}

// One step; false when its control is missing.
bool Etape(const Consignes& c, const QString& etape) {
    const QString action = etape.section(QLatin1Char(':'), 0, 0);
    const QString cible = etape.section(QLatin1Char(':'), 1);
    const QString nom = cible.section(QLatin1Char('='), 0, 0);
    if (action == QLatin1String("clique")) {
        auto* bouton = Controle<QAbstractButton>(nom);
        if (bouton)
            QTest::mouseClick(bouton, Qt::LeftButton);
        return bouton;
    }
    if (action == QLatin1String("texte")) {
        auto* champ = Controle<QLineEdit>(nom);
        if (champ)
            champ->setText(cible.section(QLatin1Char('='), 1));
        return champ;
    }
    if (action == QLatin1String("coche")) {
        auto* coche = Controle<QCheckBox>(nom);
        if (coche)
            coche->setChecked(true);
        return coche;
    }
    if (action == QLatin1String("ligne")) {
        auto* table = Controle<QTableWidget>(nom);
        bool nombre = false;
        const int ligne = cible.section(QLatin1Char('='), 1).toInt(&nombre);
        if (!table || !nombre || ligne < 0 || ligne >= table->rowCount())
            return false;
        table->selectRow(ligne);
        return true;
    }
    if (action == QLatin1String("onglet")) {
        auto* onglets = Controle<QTabWidget>(nom);
        const QString titre = cible.section(QLatin1Char('='), 1);
        for (int i = 0; onglets && i < onglets->count(); ++i)
            if (onglets->tabText(i) == titre) {
                onglets->setCurrentIndex(i);
                return true;
            }
        return false;
    }
    if (action == QLatin1String("menu")) {
        for (QWidget* haut : QApplication::topLevelWidgets())
            if (auto* entree = haut->findChild<QAction*>(nom)) {
                entree->trigger();
                return true;
            }
        return false;
    }
    if (action == QLatin1String("photo")) {
        auto* fenetre = Controle<QWidget>(nom);
        if (fenetre) {
            // Above the others, as the operator would bring it.
            fenetre->raise();
            fenetre->activateWindow();
            PhotographieDans(c, fenetre, 1000);
        }
        return fenetre;
    }
    return false;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(NomProgramme());

    QCommandLineParser ligne;
    ligne.addOptions(
        {{"image", "image a ecrire", "fichier"},
         {"etape",
          "clique:Bt, texte:Txt=..., coche:Chk, menu:mnu, ligne:Table=N, onglet:Onglets=Titre, "
          "photo:Fenetre",
          "etape"},
         {"saisie", "reponse a une boite de saisie", "texte"},
         {"oui", "repond Oui aux questions"},
         {"boite", "photo pendant la N-ieme boite OK", "N"},
         {"question", "photo pendant la N-ieme question Oui/Non", "N"},
         {"apres", "photo N ms apres la premiere etape", "ms"},
         {"ecran", "tout l'ecran"}});
    ligne.process(application);
    Consignes c{.image = ligne.value("image"),
                .etapes = ligne.values("etape"),
                .saisies = ligne.values("saisie"),
                .oui = ligne.isSet("oui"),
                .boite = ligne.value("boite").toInt(),
                .question = ligne.value("question").toInt(),
                .apres = ligne.value("apres").toInt(),
                .ecran = ligne.isSet("ecran")};
    if (c.image.isEmpty()) {
        std::fprintf(stderr, "--image manque\n");
        return 2;
    }

    F1posteProgrammation fenetre;
    try {
        fenetre.Demarre(ligne.positionalArguments().join(QLatin1Char(' ')));
    } catch (const FinProgrammeDemandee& fin) {
        std::fprintf(stderr, "la station s'est arretee au demarrage (%d)\n", fin.code);
        return 1;
    }
    fenetre.show();

    if (c.etapes.isEmpty()) {
        PhotographieDans(c, &fenetre, 1500);
        return QApplication::exec();
    }

    // The operator's side: every box that opens is answered, or photographed.
    int boitesOk = 0;
    int questions = 0;
    QTimer operateur;
    QObject::connect(&operateur, &QTimer::timeout, [&] {
        QWidget* modale = QApplication::activeModalWidget();
        if (!modale || !modale->isVisible() || modale->property("vue").toBool())
            return;
        modale->setProperty("vue", true);
        if (auto* saisie = qobject_cast<QInputDialog*>(modale)) {
            QTimer::singleShot(400, saisie, [&, saisie] {
                saisie->setTextValue(c.saisies.isEmpty() ? QString() : c.saisies.takeFirst());
                saisie->accept();
            });
        } else if (modale->objectName() == QLatin1String("OuiNon")) {
            // A question, as a message box or as the box of a tall report.
            QAbstractButton* oui = nullptr;
            QAbstractButton* non = nullptr;
            for (auto* b : modale->findChildren<QAbstractButton*>()) {
                if (b->text() == QLatin1String("&Oui"))
                    oui = b;
                else if (b->text() == QLatin1String("&Non"))
                    non = b;
            }
            if (++questions == c.question) {
                PhotographieDans(c, modale, 1500);
            } else if (oui && non) {
                QAbstractButton* choix = c.oui ? oui : non;
                QTimer::singleShot(400, modale,
                                   [choix] { QTest::mouseClick(choix, Qt::LeftButton); });
            }
        } else if (qobject_cast<QMessageBox*>(modale) ||
                   modale->objectName() == QLatin1String("Boite")) {
            if (++boitesOk == c.boite) {
                PhotographieDans(c, modale, 1500);
            } else {
                auto* dialogue = qobject_cast<QDialog*>(modale);
                QTimer::singleShot(400, modale, [dialogue] {
                    if (dialogue)
                        dialogue->accept();
                });
            }
        }
    });
    operateur.start(100);

    // The steps, one after the other; a click returns once its workflow ends.
    QTimer::singleShot(1000, &fenetre, [&] {
        if (c.apres > 0)
            PhotographieDans(c, &fenetre, c.apres);
        for (const QString& etape : c.etapes) {
            if (!Etape(c, etape)) {
                std::fprintf(stderr, "etape impossible : %s\n", qPrintable(etape));
                Termine(false);
            }
            QTest::qWait(500);
        }
    });
    return QApplication::exec();
}
