#include "Plancher.h"

namespace {
double gPausesMs = 0;
} // namespace

double perf::PausesMs() {
    return gPausesMs;
}

void perf::RemetPausesAZero() {
    gPausesMs = 0;
}

perf::Plancher perf::DuJournal(const BusSimule& bus, int delaiCarteMs) {
    Plancher p;
    for (const EvenementBus& e : bus.journal()) {
        if (e.genre != EvenementBus::Genre::Trame)
            continue;
        ++p.trames;
        p.commandesMs += static_cast<double>(e.brut.size()) * kCaractereMs;
        if (e.commande.size() == 2 && e.commande.at(0) == '?') {
            ++p.appels;
            p.reponseAppel = e.reponse;
            continue;
        }
        if (!e.reponse.isEmpty())
            p.reponsesMs += delaiCarteMs + static_cast<double>(e.reponse.size()) * kCaractereMs;
    }
    return p;
}

extern "C" {
void __real__Z9timePausef(float secondes);
void __wrap__Z9timePausef(float secondes) {
    gPausesMs += static_cast<double>(secondes) * 1000.0;
    __real__Z9timePausef(secondes);
}
}
