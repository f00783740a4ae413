// Figures 1 and 2: what one card exchange costs the station beyond the line,
// and what waiting for a card that never answers costs the processor.
// The floor is the same request and reply done by plain reads and writes on
// the same pseudo-terminal, in this run.
#include "BusSimule.h"
#include "LiaisonCarte.h"
#include "MesuresPerf.h"
#include "TrameCarte.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

class OperateurMuet : public Operateur {
public:
    void Boite(const QString& t, const QString&, Icone) override {
        std::fprintf(stderr, "bench_Echange: %s\n", qPrintable(t));
    }
    bool OuiNon(const QString&, const QString&, Icone, bool) override { return false; }
    QString Saisie(const QString&, const QString&, const QString&) override { return {}; }
    QString MotDePasse(const QString&, const QString&) override { return {}; }
};

constexpr int kEchanges = 10000;
constexpr int kTours = 5; // the exchanges in this many rounds, for min and max
const QByteArray kCommande = "V##";

// The floor: one raw frame out, bytes in until the CR, nothing else.
struct LigneBrute {
    int fd = -1;
    explicit LigneBrute(const QString& chemin) {
        fd = ::open(chemin.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
        if (fd < 0)
            return;
        termios t{};
        tcgetattr(fd, &t);
        cfmakeraw(&t);
        cfsetispeed(&t, B9600);
        cfsetospeed(&t, B9600);
        tcsetattr(fd, TCSANOW, &t);
    }
    ~LigneBrute() {
        if (fd >= 0)
            ::close(fd);
    }
    bool echange(const QByteArray& trame) {
        if (::write(fd, trame.constData(), static_cast<size_t>(trame.size())) != trame.size())
            return false;
        char tampon[256];
        for (;;) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 200) <= 0)
                return false;
            const ssize_t n = ::read(fd, tampon, sizeof tampon);
            if (n <= 0)
                return false;
            if (std::memchr(tampon, '\r', static_cast<size_t>(n)))
                return true;
        }
    }
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    BusSimule bus;
    CarteSimulee carte;
    carte.delaiReponseMs = 0;
    bus.ajouteCarte(carte);
    QString erreur;
    if (!bus.start({}, &erreur)) {
        std::fprintf(stderr, "bench_Echange: %s\n", qPrintable(erreur));
        return 1;
    }
    OperateurMuet op;
    Poste poste(op);
    poste.arretProcessus = [](int code) { std::_Exit(code); };

    perf::Serie plancherMur, plancherCpu, murEch, cpuEch;
    int ratesPlancher = 0, ratesStation = 0;
    const QByteArray trame = TrameCommande(kCommande);
    for (int tour = 0; tour < kTours; ++tour) {
        {
            LigneBrute ligne(bus.cheminPeripherique());
            const double m0 = perf::MurMs(), c0 = perf::ProcesseurFilMs();
            for (int i = 0; i < kEchanges / kTours; ++i)
                ratesPlancher += ligne.echange(trame) ? 0 : 1;
            plancherMur.ajoute((perf::MurMs() - m0) / (kEchanges / kTours));
            plancherCpu.ajoute((perf::ProcesseurFilMs() - c0) / (kEchanges / kTours));
        }
        OuvrePortCarte(poste, bus.cheminPeripherique() + QStringLiteral(":9600,n,8,1"));
        const double m0 = perf::MurMs(), c0 = perf::ProcesseurFilMs();
        for (int i = 0; i < kEchanges / kTours; ++i)
            if (EstErreur(EnvoiEtReponseMorvane2(poste, kCommande, 200)))
                ++ratesStation;
        murEch.ajoute((perf::MurMs() - m0) / (kEchanges / kTours));
        cpuEch.ajoute((perf::ProcesseurFilMs() - c0) / (kEchanges / kTours));
        FermePortcarte(poste);
        bus.videJournal();
    }
    const std::string sur = " (" + std::to_string(kEchanges) + " exchanges, " +
                            std::to_string(ratesStation) + " failed)";
    perf::Ligne("1. exchange V##, processor per exchange" + sur, perf::Valeur(cpuEch, "ms"),
                "floor " + perf::Valeur(plancherCpu, "ms"),
                perf::Nombre(cpuEch.mediane() / plancherCpu.mediane()), "< 0.2 ms",
                perf::Verdict(cpuEch.mediane() < 0.2 && ratesStation == 0));
    perf::Ligne("1. exchange V##, wall per exchange", perf::Valeur(murEch, "ms"),
                "floor " + perf::Valeur(plancherMur, "ms") +
                    (ratesPlancher ? " (" + std::to_string(ratesPlancher) + " failed)" : ""),
                perf::Nombre(murEch.mediane() / plancherMur.mediane()), "< 1.5 × floor",
                perf::Verdict(murEch.mediane() < 1.5 * plancherMur.mediane()));

    // A card that never answers: the station waits out each time-out.
    bus.modifieCartes([](std::vector<CarteSimulee>& v) { v.front().muette = true; });
    OuvrePortCarte(poste, bus.cheminPeripherique() + QStringLiteral(":9600,n,8,1"));
    constexpr int kAttentes = 20;
    constexpr int kTimeOutMs = 500;
    perf::Serie part;
    double murTotal = 0, cpuTotal = 0;
    for (int i = 0; i < kAttentes; ++i) {
        const double m0 = perf::MurMs(), c0 = perf::ProcesseurMs();
        EnvoiCdeMorvane2(poste, kCommande);
        LectRepMorvane2(poste, kTimeOutMs);
        const double mur = perf::MurMs() - m0, cpu = perf::ProcesseurMs() - c0;
        murTotal += mur;
        cpuTotal += cpu;
        part.ajoute(100.0 * cpu / mur);
    }
    FermePortcarte(poste);
    perf::Ligne("2. silent card, 20 time-outs of 500 ms: processor share of wall (whole process)",
                perf::Valeur(part, "%"),
                "wall " + perf::Nombre(murTotal) + " ms, processor " + perf::Nombre(cpuTotal) +
                    " ms",
                "", "< 1 %", perf::Verdict(100.0 * cpuTotal / murTotal < 1.0));
    bus.stop();
    return 0;
}
