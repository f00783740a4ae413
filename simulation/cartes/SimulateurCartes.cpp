// simulateur-cartes: a bus of simulated cards behind a pseudo-terminal, for
// the demo and for measurements. Prints every frame it hears.
#include "ScenarioCartes.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <array>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

QByteArray Lisible(const QByteArray& octets) {
    QByteArray r;
    for (const char c : octets) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 32 && u < 127 && c != '\\')
            r += c;
        else
            r += "\\x" + QByteArray::number(u, 16).rightJustified(2, '0');
    }
    return r;
}

// Pulses each EA of each card received since the last report, one line per
// card that was fired: what the rail bench operator would count on the flaps.
void AfficheImpulsions(const BusSimule& bus, std::vector<std::array<int, 33>>& vues) {
    const std::vector<CarteSimulee> cartes = bus.cartes();
    vues.resize(cartes.size());
    for (size_t i = 0; i < cartes.size(); ++i) {
        QByteArray ligne;
        for (int ea = 1; ea <= 32; ++ea) {
            const int n =
                cartes[i].impulsionsEA[static_cast<size_t>(ea)] - vues[i][static_cast<size_t>(ea)];
            if (n > 0)
                ligne += " EA" + QByteArray::number(ea) + "=" + QByteArray::number(n);
        }
        vues[i] = cartes[i].impulsionsEA;
        if (!ligne.isEmpty())
            std::printf("   impulsions %s:%s\n", Lisible(cartes[i].nom).constData(),
                        ligne.constData());
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("simulateur-cartes"));
    QCommandLineParser p;
    p.setApplicationDescription(
        QStringLiteral("Bus de cartes plateau simulees derriere un pseudo-terminal.\n"
                       "Exemple: simulateur-cartes --lien /tmp/calvanet/carte "
                       "--scenario simulation/cartes/scenarios/carte-saine.json\n"
                       "puis la station avec com=/tmp/calvanet/carte"));
    p.addHelpOption();
    const QCommandLineOption lien(QStringLiteral("lien"),
                                  QStringLiteral("Lien symbolique vers le pseudo-terminal."),
                                  QStringLiteral("chemin"));
    const QCommandLineOption scenario(
        QStringLiteral("scenario"),
        QStringLiteral("Fichier JSON du bus (defaut: une carte saine)."),
        QStringLiteral("fichier"));
    const QCommandLineOption cadence(QStringLiteral("cadence"),
                                     QStringLiteral("Reponses au rythme de 9600 bauds."));
    const QCommandLineOption silencieux(QStringLiteral("silencieux"),
                                        QStringLiteral("N'affiche pas les trames recues."));
    const QCommandLineOption ecritures(
        QStringLiteral("ecritures"),
        QStringLiteral(
            "Ajoute a ce fichier chaque SN ecrit dans une carte (nom, SN, nouveau nom)."),
        QStringLiteral("fichier"));
    p.addOptions({lien, scenario, cadence, silencieux, ecritures});
    p.process(app);

    ScenarioCartes sc;
    sc.cartes.push_back(CarteSimulee{});
    QString erreur;
    if (p.isSet(scenario) && !LitScenarioCartes(p.value(scenario), sc, &erreur)) {
        std::fprintf(stderr, "simulateur-cartes: %s\n", qPrintable(erreur));
        return 2;
    }
    if (p.isSet(cadence))
        sc.cadence9600 = true;

    // Stop cleanly on Ctrl-C or kill, so the link is removed.
    sigset_t signaux;
    sigemptyset(&signaux);
    sigaddset(&signaux, SIGINT);
    sigaddset(&signaux, SIGTERM);
    sigaddset(&signaux, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &signaux, nullptr);

    BusSimule bus;
    AppliqueScenario(sc, bus);
    bus.setJournalEcritures(p.value(ecritures));
    if (!bus.start(p.value(lien), &erreur)) {
        std::fprintf(stderr, "simulateur-cartes: %s\n", qPrintable(erreur));
        return 1;
    }
    std::printf("%s (%zu carte(s))\n", qPrintable(bus.cheminPeripherique()), sc.cartes.size());
    std::fflush(stdout);

    qsizetype vus = 0;
    std::vector<std::array<int, 33>> impulsionsVues;
    const timespec pas{0, 100 * 1000 * 1000};
    for (;;) {
        const int s = sigtimedwait(&signaux, nullptr, &pas);
        if (!p.isSet(silencieux)) {
            const QList<EvenementBus> j = bus.journal();
            for (; vus < j.size(); ++vus) {
                const EvenementBus& e = j.at(vus);
                if (e.genre == EvenementBus::Genre::Ouverture)
                    std::printf("-- ouverture du port\n");
                else if (e.genre == EvenementBus::Genre::Fermeture) {
                    std::printf("-- fermeture du port\n");
                    AfficheImpulsions(bus, impulsionsVues);
                } else
                    std::printf("<- %s%s\n", Lisible(e.commande).constData(),
                                e.checkSumOk ? "" : "   (checksum faux, ignoree)");
            }
            std::fflush(stdout);
        }
        if (s > 0)
            break;
    }
    bus.stop();
    return 0;
}
