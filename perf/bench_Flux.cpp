// Figure 3: whole workflows on the bus paced at 9600 baud, against the time
// the line and the fixed pauses take by themselves. The floor is computed
// from the simulator's frame log (each reply's delay and characters) and
// from the pauses the workflow asked for (timePause is wrapped at link time:
// see perf/CMakeLists.txt). Pauses run at real time here.
#include "AttribueSNcarte.h"
#include "BancCarte.h"
#include "LiaisonCarte.h"
#include "MesuresPerf.h"
#include "Plancher.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int repetitions = argc > 1 ? std::atoi(argv[1]) : 3;

    perf::Serie duree, ratio;
    perf::Plancher plancher;
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
        perf::RemetPausesAZero();
        const double m0 = perf::MurMs();
        AttribueSNcarte(*banc.poste);
        const double mur = perf::MurMs() - m0;
        if (!banc.derniereBoite().startsWith(QStringLiteral("coller l'etiquette sous la carte")))
            ++rates;
        plancher = perf::DuJournal(*banc.bus, delai);
        pauses = perf::PausesMs();
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
