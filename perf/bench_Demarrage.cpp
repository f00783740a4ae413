// Figures 4 and 7 (start-up part): process start to main window shown,
// offscreen, with no translation base and with a large one, beside a minimal
// Qt Widgets program started the same way; the peak resident memory of each;
// and the operator password derivation, timed on its own and left out of
// the ratio. The program runs itself as the child in each case.
#include "BaseVolumineuse.h"
#include "BusSimule.h"
#include "Enfant.h"
#include "F1posteProgrammation.h"
#include "MesuresPerf.h"
#include "MotsDePasseOperateurs.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kRecords = 5000;

// Child: as soon as the station's window is on screen and the event loop
// turns, say so, with the peak memory so far and the memory held then.
int EnfantStation(int argc, char** argv) {
    QApplication app(argc, argv);
    auto f = std::make_unique<F1posteProgrammation>();
    try {
        f->Demarre(QString::fromLocal8Bit(argv[2]));
    } catch (const FinProgrammeDemandee& fin) {
        std::fprintf(stderr, "bench_Demarrage: the station ended (%d)\n", fin.code);
        std::_Exit(3);
    }
    f->show();
    QTimer::singleShot(0, [] {
        std::printf("vu %.2f %.2f\n", perf::StatutMio("VmHWM"), perf::StatutMio("VmRSS"));
        std::fflush(stdout);
        std::_Exit(0);
    });
    return app.exec();
}

using perf::Lance;
using perf::Mesure;

// Resident memory held once the window is shown, as the child reports it.
double Tenue(const Mesure& m) {
    double pointe = 0, tenue = 0;
    return std::sscanf(m.sortie.c_str(), "vu %lf %lf", &pointe, &tenue) == 2 ? tenue : 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 2 && std::strcmp(argv[1], "station") == 0)
        return EnfantStation(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "minimal") == 0)
        return perf::EnfantMinimal(argc, argv);

    QCoreApplication app(argc, argv);
    const int repetitions = argc > 1 ? std::atoi(argv[1]) : 7;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("CALVANET_MOTS_DE_PASSE", CALVANET_MDP_DEMO, 1);

    QTemporaryDir dossier;
    BusSimule bus;
    bus.ajouteCarte(CarteSimulee{});
    QString erreur;
    if (!bus.start(dossier.filePath(QStringLiteral("carte")), &erreur)) {
        std::fprintf(stderr, "bench_Demarrage: %s\n", qPrintable(erreur));
        return 1;
    }
    const QString base = dossier.filePath(QStringLiteral("base5000.mdb"));
    if (!CreeBaseVolumineuse(base, kRecords, &erreur)) {
        std::fprintf(stderr, "bench_Demarrage: %s\n", qPrintable(erreur));
        return 1;
    }
    const QString ligne = QStringLiteral("pp=%1 com=%2 op=DEMOY001 portImp=PRN")
                              .arg(dossier.path(), bus.cheminPeripherique());
    const std::string soi = argv[0];
    const std::vector<std::string> sansBase = {soi, "station", ligne.toStdString()};
    const std::vector<std::string> avecBase = {soi, "station",
                                               (ligne + " ft=" + base).toStdString()};
    const std::vector<std::string> minimal = {soi, "minimal"};

    // One start of each first: the first start with a base records the
    // windows' controls in it, and the disk cache warms.
    for (const auto* a : {&sansBase, &avecBase, &minimal})
        if (!Lance(*a).ok) {
            std::fprintf(stderr, "bench_Demarrage: a child did not show its window\n");
            return 1;
        }
    perf::Serie tSans, tAvec, tMin, mSans, mAvec, mMin, rSans, rAvec;
    for (int i = 0; i < repetitions; ++i) {
        const Mesure a = Lance(sansBase), b = Lance(avecBase), c = Lance(minimal);
        if (!(a.ok && b.ok && c.ok))
            return 1;
        tSans.ajoute(a.murMs);
        tAvec.ajoute(b.murMs);
        tMin.ajoute(c.murMs);
        mSans.ajoute(a.pointeMio);
        mAvec.ajoute(b.pointeMio);
        mMin.ajoute(c.pointeMio);
        rSans.ajoute(Tenue(a));
        rAvec.ajoute(Tenue(b));
    }

    // The derivation the start-up does once for the password given.
    FichierMotsDePasse fichier;
    if (!fichier.Lit(QStringLiteral(CALVANET_MDP_DEMO), &erreur)) {
        std::fprintf(stderr, "bench_Demarrage: %s\n", qPrintable(erreur));
        return 1;
    }
    perf::Serie derivation;
    for (int i = 0; i < repetitions; ++i) {
        const double t0 = perf::MurMs();
        if (!fichier.CodeDuMotDePasse(QStringLiteral("DEMOY001")))
            return 1;
        derivation.ajoute(perf::MurMs() - t0);
    }
    const double d = derivation.mediane();
    const std::string ref = "minimal Qt Widgets " + perf::Valeur(tMin, "ms");
    perf::Ligne("4. start-up to main window shown, no translation base", perf::Valeur(tSans, "ms"),
                ref, perf::Nombre((tSans.mediane() - d) / tMin.mediane()), "", "");
    perf::Ligne("4. start-up to main window shown, base of 5 000 records",
                perf::Valeur(tAvec, "ms"), ref,
                perf::Nombre((tAvec.mediane() - d) / tMin.mediane()), "< 1.5 (derivation left out)",
                perf::Verdict((tAvec.mediane() - d) / tMin.mediane() < 1.5));
    perf::Ligne("4. operator password derivation (Argon2id, 19 MiB, 2 passes), own figure",
                perf::Valeur(derivation, "ms"), "", "", "", "");
    perf::Ligne("7. peak resident memory at start-up, base of 5 000 records",
                perf::Valeur(mAvec, "MiB"), "minimal Qt Widgets " + perf::Valeur(mMin, "MiB"),
                perf::Nombre(mAvec.mediane() / mMin.mediane()), "", "");
    perf::Ligne("7. peak resident memory at start-up, no translation base",
                perf::Valeur(mSans, "MiB"), "minimal Qt Widgets " + perf::Valeur(mMin, "MiB"),
                perf::Nombre(mSans.mediane() / mMin.mediane()), "", "");
    // The derivation's working memory is freed once the operator is in: what
    // the station holds with its window shown is the figure without it.
    perf::Ligne("7. resident memory held once the window is shown (after login), base of 5 000 "
                "records",
                perf::Valeur(rAvec, "MiB"), "minimal Qt Widgets peak " + perf::Valeur(mMin, "MiB"),
                perf::Nombre(rAvec.mediane() / mMin.mediane()), "", "");
    perf::Ligne("7. resident memory held once the window is shown (after login), no translation "
                "base",
                perf::Valeur(rSans, "MiB"), "minimal Qt Widgets peak " + perf::Valeur(mMin, "MiB"),
                perf::Nombre(rSans.mediane() / mMin.mediane()), "", "");
    bus.stop();
    return 0;
}
