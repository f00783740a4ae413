// pilote-captures: the real main window on the virtual bench, driven as an
// operator would (clicks on its own buttons, answers in its own boxes), and
// pictures taken of what the screen shows. scripts/captures runs it under
// Xvfb and a window manager.
//   pilote-captures --image F.png [--clique Bt] [--saisie TEXTE]... [--oui]
//                   [--boite N | --apres MS] [--ecran] -- <station command line>
// --boite N: the picture is taken while the N-th box with an OK button is
// shown; --apres MS: that long after the click; neither: the main window once
// shown. --ecran: the whole screen (other programs' windows included), else
// the main window or the box alone, with their frames.
#include "F1posteProgrammation.h"
#include "LigneCommande.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCommandLineParser>
#include <QImage>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <cstdio>

namespace {

struct Consignes {
    QString image;
    QString clique;
    QStringList saisies;
    bool oui = false;
    int boite = 0;
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

} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(NomProgramme());

    QCommandLineParser ligne;
    ligne.addOptions({{"image", "image a ecrire", "fichier"},
                      {"clique", "bouton de la fenetre principale", "nom"},
                      {"saisie", "reponse a une boite de saisie", "texte"},
                      {"oui", "repond Oui aux questions"},
                      {"boite", "photo pendant la N-ieme boite OK", "N"},
                      {"apres", "photo N ms apres le clic", "ms"},
                      {"ecran", "tout l'ecran"}});
    ligne.process(application);
    Consignes c{.image = ligne.value("image"),
                .clique = ligne.value("clique"),
                .saisies = ligne.values("saisie"),
                .oui = ligne.isSet("oui"),
                .boite = ligne.value("boite").toInt(),
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

    if (c.clique.isEmpty()) {
        PhotographieDans(c, &fenetre, 1500);
        return QApplication::exec();
    }
    auto* bouton = fenetre.findChild<QPushButton*>(c.clique);
    if (!bouton) {
        std::fprintf(stderr, "pas de bouton %s\n", qPrintable(c.clique));
        return 1;
    }

    // The operator's side: every box that opens is answered, or photographed.
    int boitesOk = 0;
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
        } else if (auto* boite = qobject_cast<QMessageBox*>(modale)) {
            QAbstractButton* oui = boite->button(QMessageBox::Yes);
            if (oui) {
                QAbstractButton* choix = c.oui ? oui : boite->button(QMessageBox::No);
                QTimer::singleShot(400, boite,
                                   [choix] { QTest::mouseClick(choix, Qt::LeftButton); });
            } else if (++boitesOk == c.boite) {
                PhotographieDans(c, boite, 1500);
            } else {
                QTimer::singleShot(400, boite, [boite] { boite->accept(); });
            }
        }
    });
    operateur.start(100);

    QTimer::singleShot(1000, bouton, [&] {
        if (c.apres > 0)
            PhotographieDans(c, &fenetre, c.apres);
        QTest::mouseClick(bouton, Qt::LeftButton);
    });
    return QApplication::exec();
}
