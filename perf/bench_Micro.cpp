// Micro-benchmarks on Google Benchmark: figure 5 (the main window translated
// against a large base) and the card frame codec. A reporter of our own turns
// each benchmark's repetitions into one row of the table.
#include "BaseVolumineuse.h"
#include "F1posteProgrammation.h"
#include "MesuresPerf.h"
#include "ModuleTraductions.h"
#include "TraduitFeuille.h"
#include "TrameCarte.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>

namespace {

F1posteProgrammation* gFenetre = nullptr;

void BM_TraduitFeuille(benchmark::State& etat) {
    for (auto _ : etat)
        TraduitFeuille(gFenetre, QStringLiteral("F1posteProgrammation"));
}
BENCHMARK(BM_TraduitFeuille)->Unit(benchmark::kMillisecond)->Repetitions(5)->MinTime(0.2);

void BM_TrameEtReponse(benchmark::State& etat) {
    const QByteArray reponse = TrameReponse("VA50 PLT2 v2.14");
    for (auto _ : etat) {
        benchmark::DoNotOptimize(TrameCommande("V##"));
        benchmark::DoNotOptimize(DecodeReponse(reponse.chopped(1)));
    }
}
BENCHMARK(BM_TrameEtReponse)->Unit(benchmark::kMicrosecond)->Repetitions(5)->MinTime(0.1);

class Rapporteur : public benchmark::BenchmarkReporter {
public:
    std::map<std::string, perf::Serie> series;
    std::map<std::string, std::string> unites;
    bool ReportContext(const Context&) override { return true; }
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            if (r.run_type != Run::RT_Iteration || r.error_occurred)
                continue;
            series[r.run_name.function_name].ajoute(r.GetAdjustedRealTime());
            unites[r.run_name.function_name] = benchmark::GetTimeUnitString(r.time_unit);
        }
    }
};

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);

    QTemporaryDir dossier;
    QString erreur;
    if (!CreeBaseVolumineuse(dossier.filePath(QStringLiteral("base5000.mdb")), 5000, &erreur)) {
        std::fprintf(stderr, "bench_Micro: %s\n", qPrintable(erreur));
        return 1;
    }
    ChargeMessagesDefaut();
    DossierTraduction = dossier.path() + QDir::separator();
    FichierTraduction = QStringLiteral("base5000.mdb");
    auto fenetre = std::make_unique<F1posteProgrammation>();
    gFenetre = fenetre.get();
    // The first pass records the window's controls, as the first start does.
    TraduitFeuille(gFenetre, QStringLiteral("F1posteProgrammation"));
    if (FichierTraduction.isEmpty()) {
        std::fprintf(stderr, "bench_Micro: the base could not be used\n");
        return 1;
    }

    Rapporteur rapporteur;
    benchmark::RunSpecifiedBenchmarks(&rapporteur);
    benchmark::Shutdown();

    const perf::Serie& t = rapporteur.series["BM_TraduitFeuille"];
    perf::Ligne("5. TraduitFeuille of the main window, base of 5 000 records",
                perf::Valeur(t, rapporteur.unites["BM_TraduitFeuille"].c_str()), "", "", "< 5 ms",
                perf::Verdict(!t.vide() && t.mediane() < 5));
    const perf::Serie& c = rapporteur.series["BM_TrameEtReponse"];
    perf::Ligne("1. codec: one command frame built and one reply decoded",
                perf::Valeur(c, rapporteur.unites["BM_TrameEtReponse"].c_str()), "", "", "", "");
    return 0;
}
