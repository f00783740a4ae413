// Figure 3: whole workflows on the bus paced at 9600 baud, against the time
// the line and the fixed pauses take by themselves. The floor is computed
// from the simulator's frame log (each reply's delay and characters) and
// from the pauses the workflow asked for (timePause is wrapped at link time:
// see perf/CMakeLists.txt). Pauses run at real time here.
#include "AttribueSNcarte.h"
#include "BancCarte.h"
#include "LiaisonCarte.h"
#include "MesuresPerf.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>

namespace {

double gPausesMs = 0; // asked for since the last reset

constexpr double kCaractereMs = 10.0 * 1000.0 / 9600.0;

struct Plancher {
    double reponsesMs = 0; // reply delay + characters at 9600 baud
    double commandesMs = 0;
    int trames = 0;
};

Plancher DuJournal(const BusSimule& bus, int delaiCarteMs) {
    Plancher p;
    for (const EvenementBus& e : bus.journal()) {
        if (e.genre != EvenementBus::Genre::Trame)
            continue;
        ++p.trames;
        p.commandesMs += static_cast<double>(e.brut.size()) * kCaractereMs;
        if (!e.reponse.isEmpty())
            p.reponsesMs += delaiCarteMs + static_cast<double>(e.reponse.size()) * kCaractereMs;
    }
    return p;
}

} // namespace

extern "C" {
void __real__Z9timePausef(float secondes);
void __wrap__Z9timePausef(float secondes) {
    gPausesMs += static_cast<double>(secondes) * 1000.0;
    __real__Z9timePausef(secondes);
}
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int repetitions = argc > 1 ? std::atoi(argv[1]) : 3;

    perf::Serie duree, ratio;
    Plancher plancher;
    double pauses = 0;
    int rates = 0;
    for (int i = 0; i < repetitions; ++i) {
        BancCarte<> banc;
        if (!banc.demarre(CarteSimulee{})) {
            std::fprintf(stderr, "bench_Flux: no pseudo-terminal\n");
            return 1;
        }
        banc.poste->AccelerePauses(1);
        banc.imprimeDansUnFichier();
        banc.bus->setCadence9600(true);
        {
            QFile f(banc.fichier(QStringLiteral("SNcarte.txt")));
            if (!f.open(QIODevice::WriteOnly))
                return 1;
            f.write("dernier SN: 00z9  01/12/2026 10:00:00\r\n");
        }
        const int delai = CarteSimulee{}.delaiReponseMs;
        gPausesMs = 0;
        const double m0 = perf::MurMs();
        AttribueSNcarte(*banc.poste);
        const double mur = perf::MurMs() - m0;
        if (!banc.derniereBoite().startsWith(QStringLiteral("coller l'etiquette sous la carte")))
            ++rates;
        plancher = DuJournal(*banc.bus, delai);
        pauses = gPausesMs;
        duree.ajoute(mur);
        ratio.ajoute(mur / (plancher.reponsesMs + pauses));
        banc.arrete();
    }
    char reference[256];
    std::snprintf(reference, sizeof reference,
                  "%s ms: %d frames, replies %s ms + pauses %s ms (commands %s ms, unpaced on "
                  "the pseudo-terminal)",
                  perf::Nombre(plancher.reponsesMs + pauses).c_str(), plancher.trames,
                  perf::Nombre(plancher.reponsesMs).c_str(), perf::Nombre(pauses).c_str(),
                  perf::Nombre(plancher.commandesMs).c_str());
    perf::Ligne("3. SN assignment of one card, 9600 baud" +
                    (rates ? " (" + std::to_string(rates) + " failed)" : std::string()),
                perf::Valeur(duree, "ms"), reference, perf::Valeur(ratio, ""), "< 1.05",
                perf::Verdict(ratio.mediane() < 1.05 && rates == 0));
    return 0;
}
