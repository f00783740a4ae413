// Figures 3, 7 and 8 for the cabinet and the rail bench: the cabinet
// assignment through the real window (5, 25, 55 trays) and the rail bench's
// presence pass (10, 50, 100 rails, none carrying an EA, so that nothing is
// fired), on the bus paced at 9600 baud, each beside its floor: the replies
// of the frame log, the roll call's time slots and closing wait, the fixed
// reads and pauses. The peak memory of the 55-tray assignment is taken in a
// child of its own, beside the minimal Qt Widgets program's.
#include "BancMeuble.h"
#include "BancRails.h"
#include "Enfant.h"
#include "MesuresPerf.h"
#include "Plancher.h"
#include "TestRailsMeuble.h"

#include <QApplication>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The assignment's fourth pass empties the line for this long before each
// card's check: a fixed wait of the procedure.
constexpr int kVidageMs = 10;
// Time slot of a card in the roll call (the bus's default).
constexpr int kIntervalleAppelMs = 10;

struct Passage {
    double murMs = 0;
    double plancherMs = 0;
    int trames = 0;
    bool ok = false;
};

// A cabinet of `plateaux` cards, each with its factory name and SN, created
// in the opened window, the bus paced from now on.
bool PrepareMeuble(BancMeuble& b, int plateaux) {
    b.f->poste().AccelerePauses(1);
    QStringList sns;
    for (int n = 1; n <= plateaux; ++n) {
        sns << QStringLiteral("0C%1").arg(n, 2, 10, QLatin1Char('0'));
        b.carteUsine(sns.last().toLatin1());
    }
    b.cree(QStringLiteral("B"), QStringLiteral("1"), QString::number(plateaux), sns);
    b.bus->setCadence9600(true);
    b.bus->videJournal();
    return b.lignes().size() == plateaux;
}

// Every tray renamed and checked under its name, nothing asked.
bool MeubleReussi(BancMeuble& b) {
    if (!b.op.boites().isEmpty())
        return false;
    for (const QString& l : b.lignes())
        if (!l.endsWith(QStringLiteral("PLT2 v2.14 ")))
            return false;
    return true;
}

Passage AttribueMeuble(int plateaux) {
    Passage p;
    BancMeuble b;
    if (!b.ouvre() || !PrepareMeuble(b, plateaux))
        return p;
    perf::RemetPausesAZero();
    const double t0 = perf::MurMs();
    b.cliqueMeuble(b.w->BtAttribuerCartes);
    p.murMs = perf::MurMs() - t0;
    const perf::Plancher f = perf::DuJournal(*b.bus, CarteSimulee{}.delaiReponseMs);
    p.plancherMs = f.reponsesMs + plateaux * kVidageMs + perf::PausesMs();
    p.trames = f.trames;
    p.ok = MeubleReussi(b);
    return p;
}

Passage Rails(int rails) {
    Passage p;
    Banc banc;
    if (!banc.demarre())
        return p;
    banc.poste->AccelerePauses(1);
    const int delai = CarteSimulee{}.delaiReponseMs;
    for (int n = 1; n <= rails; ++n)
        banc.rail(n, kAucun, [&](CarteSimulee& c) { c.delaiReponseMs = delai; });
    banc.bus->setIntervalleAppelMs(kIntervalleAppelMs);
    banc.bus->setCadence9600(true);
    banc.poste->op.repond(QStringLiteral("R"));
    perf::RemetPausesAZero();
    const double t0 = perf::MurMs();
    TestRailsMeuble(*banc.poste);
    p.murMs = perf::MurMs() - t0;
    const perf::Plancher f = perf::DuJournal(*banc.bus, delai);
    // The roll call: the last card heard in its slot, then the station's
    // wait for another one.
    const double appel = delai + rails * kIntervalleAppelMs +
                         static_cast<double>(f.reponseAppel.size() / rails) * perf::kCaractereMs +
                         DelaiRechercheMs(rails);
    p.plancherMs = f.reponsesMs + appel + perf::PausesMs();
    p.trames = f.trames;
    const QStringList bilan = banc.bilan();
    p.ok =
        f.appels == 1 &&
        bilan.contains(QString::number(rails) + QStringLiteral(" carte(s) plateau(x) trouve(s)")) &&
        bilan.contains(QStringLiteral("NO TEST"));
    banc.arrete();
    return p;
}

// Child: the 55-tray assignment, and the memory before and during it.
int EnfantMemoire(int argc, char** argv, int plateaux) {
    QApplication app(argc, argv);
    BancMeuble b;
    if (!b.ouvre())
        return 2;
    const double pointeDemarrage = perf::StatutMio("VmHWM");
    const double tenueDemarrage = perf::StatutMio("VmRSS");
    if (!PrepareMeuble(b, plateaux) || !perf::RemetPointeAZero())
        return 2;
    b.cliqueMeuble(b.w->BtAttribuerCartes);
    if (!MeubleReussi(b))
        return 2;
    std::printf("%.2f %.2f %.2f\n", pointeDemarrage, tenueDemarrage, perf::StatutMio("VmHWM"));
    std::fflush(stdout);
    std::_Exit(0);
}

struct Taille {
    int n;
    perf::Serie mur, ratio;
    double plancherMs = 0;
    int trames = 0;
    int rates = 0;
    void ajoute(const Passage& p) {
        mur.ajoute(p.murMs);
        ratio.ajoute(p.plancherMs > 0 ? p.murMs / p.plancherMs : 0);
        plancherMs = p.plancherMs;
        trames = p.trames;
        rates += p.ok ? 0 : 1;
    }
};

void Lignes(const char* quoi, const char* unites, const char* unite, std::vector<Taille>& tailles) {
    std::vector<double> x, y;
    for (Taille& t : tailles) {
        char reference[160];
        std::snprintf(reference, sizeof reference, "floor %s ms: %d frames",
                      perf::Nombre(t.plancherMs).c_str(), t.trames);
        const std::string nom = std::string("3. ") + quoi + " of " + std::to_string(t.n) + " " +
                                unites + ", 9600 baud" +
                                (t.rates ? " (" + std::to_string(t.rates) + " failed)" : "");
        perf::Ligne(nom, perf::Valeur(t.mur, "ms"), reference, perf::Valeur(t.ratio, ""), "< 1.05",
                    perf::Verdict(t.ratio.mediane() < 1.05 && t.rates == 0));
        x.push_back(t.n);
        y.push_back(t.mur.mediane());
    }
    const perf::Droite d = perf::Ajuste(x, y);
    std::string tailleTexte;
    for (const Taille& t : tailles)
        tailleTexte += (tailleTexte.empty() ? "" : ", ") + std::to_string(t.n);
    perf::Ligne(std::string("8. growth, ") + quoi + ": fitted cost per " + unite + " (" +
                    tailleTexte + " " + unites + ")",
                perf::Nombre(d.pente) + " ms + " + perf::Nombre(d.origine) + " ms",
                "largest deviation from the line " + perf::Nombre(d.ecartMax * 100) + " %", "",
                "linear", perf::Verdict(d.ecartMax < 0.1));
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 2 && std::strcmp(argv[1], "memoire") == 0)
        return EnfantMemoire(argc, argv, std::atoi(argv[2]));
    if (argc > 1 && std::strcmp(argv[1], "minimal") == 0)
        return perf::EnfantMinimal(argc, argv);

    QApplication app(argc, argv);
    const int repetitions = argc > 1 ? std::atoi(argv[1]) : 2;

    std::vector<Taille> meubles{{5, {}, {}}, {25, {}, {}}, {55, {}, {}}};
    std::vector<Taille> bancs{{10, {}, {}}, {50, {}, {}}, {100, {}, {}}};
    for (int i = 0; i < repetitions; ++i) {
        for (Taille& t : meubles)
            t.ajoute(AttribueMeuble(t.n));
        for (Taille& t : bancs)
            t.ajoute(Rails(t.n));
    }
    Lignes("cabinet assignment", "trays", "tray", meubles);
    Lignes("rail bench presence pass", "rails", "rail", bancs);

    const std::string soi = argv[0];
    perf::Serie pointe, pointeDemarrage, tenue, minimal;
    for (int i = 0; i < repetitions; ++i) {
        const perf::Mesure m = perf::Lance({soi, "memoire", "55"});
        const perf::Mesure r = perf::Lance({soi, "minimal"});
        double a = 0, b = 0, c = 0, d = 0;
        if (!m.ok || !r.ok || std::sscanf(m.sortie.c_str(), "%lf %lf %lf", &a, &b, &c) != 3 ||
            std::sscanf(r.sortie.c_str(), "vu %lf", &d) != 1) {
            std::fprintf(stderr, "bench_Meuble: a child did not give its memory\n");
            return 1;
        }
        pointeDemarrage.ajoute(a);
        tenue.ajoute(b);
        pointe.ajoute(c);
        minimal.ajoute(d);
    }
    const double ratio = pointe.mediane() / minimal.mediane();
    perf::Ligne("7. peak resident memory during the 55-tray assignment (window, bus and its 55 "
                "cards in the process)",
                perf::Valeur(pointe, "MiB"), "minimal Qt Widgets " + perf::Valeur(minimal, "MiB"),
                perf::Nombre(ratio), "< 1.3 × minimal, < 80 MiB",
                perf::Verdict(ratio < 1.3 && pointe.mediane() < 80));
    perf::Ligne("7. the same process before the assignment: peak of start-up (login's "
                "derivation included), then held",
                perf::Valeur(pointeDemarrage, "MiB") + ", then " + perf::Valeur(tenue, "MiB"),
                "minimal Qt Widgets " + perf::Valeur(minimal, "MiB"),
                perf::Nombre(pointeDemarrage.mediane() / minimal.mediane()), "", "");
    return 0;
}
