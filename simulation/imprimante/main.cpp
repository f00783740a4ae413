// imprimante-virtuelle: an EPL2 label printer for the bench without hardware.
#include "ImprimanteVirtuelle.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QLabel>
#include <QPixmap>
#include <cstdio>

int main(int argc, char** argv) {
    bool fenetre = false;
    for (int i = 1; i < argc; ++i)
        if (QByteArray(argv[i]) == "--fenetre")
            fenetre = true;
    if (!fenetre && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen"); // fonts without a display
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("imprimante-virtuelle"));

    QCommandLineParser ligne;
    ligne.setApplicationDescription(QStringLiteral(
        "Imprimante d'etiquettes EPL2 virtuelle : garde chaque travail et dessine chaque "
        "etiquette en PNG (203 dpi)."));
    ligne.addHelpOption();
    ligne.addOption({QStringLiteral("port"), QStringLiteral("port TCP brut (0 : libre)"),
                     QStringLiteral("port"), QStringLiteral("9100")});
    ligne.addOption({QStringLiteral("adresse"), QStringLiteral("adresse d'ecoute"),
                     QStringLiteral("adresse"), QStringLiteral("127.0.0.1")});
    ligne.addOption({QStringLiteral("sans-tcp"), QStringLiteral("pas de port TCP")});
    ligne.addOption(
        {QStringLiteral("pty"),
         QStringLiteral("lien symbolique a creer vers un pseudo-terminal (imprimante serie)"),
         QStringLiteral("lien")});
    ligne.addOption({QStringLiteral("dossier"), QStringLiteral("dossier des travaux et des images"),
                     QStringLiteral("dossier"), QStringLiteral("etiquettes")});
    ligne.addOption({QStringLiteral("fenetre"), QStringLiteral("montre la derniere etiquette")});
    ligne.process(app);

    OptionsImprimante options;
    options.adresse = QHostAddress(ligne.value(QStringLiteral("adresse")));
    options.portTcp = static_cast<quint16>(ligne.value(QStringLiteral("port")).toUInt());
    options.sansTcp = ligne.isSet(QStringLiteral("sans-tcp"));
    options.lienPty = ligne.value(QStringLiteral("pty"));
    options.dossier = QDir(ligne.value(QStringLiteral("dossier"))).absolutePath();

    ImprimanteVirtuelle imprimante;
    QString erreur;
    if (!imprimante.demarre(options, &erreur)) {
        std::fprintf(stderr, "imprimante-virtuelle: %s\n", qPrintable(erreur));
        return 1;
    }
    if (!options.sansTcp)
        std::printf("TCP %s:%u\n", qPrintable(options.adresse.toString()), imprimante.portTcp());
    if (!options.lienPty.isEmpty())
        std::printf("pty %s -> %s\n", qPrintable(options.lienPty),
                    qPrintable(imprimante.cheminPty()));
    std::printf("etiquettes dans %s\n", qPrintable(imprimante.dossier()));
    std::fflush(stdout);

    QLabel* vue = nullptr;
    if (fenetre) {
        vue = new QLabel(QStringLiteral("en attente d'une etiquette..."));
        vue->setWindowTitle(QStringLiteral("Imprimante virtuelle"));
        vue->setMinimumSize(408 * 2, 203 * 2);
        vue->setAlignment(Qt::AlignCenter);
        vue->show();
    }
    QObject::connect(&imprimante, &ImprimanteVirtuelle::etiquetteImprimee, &app,
                     [&imprimante, vue](int numero, const QString& png) {
                         std::printf("etiquette %d : %s\n", numero, qPrintable(png));
                         const EtiquetteEPL2 contenu = imprimante.etiquettes().last().contenu;
                         for (const QString& c : contenu.commandesInconnues)
                             std::printf("  commande inconnue : %s\n", qPrintable(c));
                         for (const QString& e : contenu.erreurs)
                             std::printf("  non dessine : %s\n", qPrintable(e));
                         std::fflush(stdout);
                         if (vue)
                             vue->setPixmap(QPixmap(png).scaled(408 * 2, 203 * 2));
                     });
    return app.exec();
}
