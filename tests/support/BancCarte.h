#pragma once
// The bench of the card-bus tests: the simulated bus on a pseudo-terminal and
// a station context set to open it. A test class derives from it, calls
// demarre() in init() and arrete() in cleanup(): each test function gets a
// fresh line and a fresh station. P is the station context, PosteTest or a
// subclass that acts on what the workflow shows.
#include "BusSimule.h"
#include "PosteTest.h"

#include <QString>
#include <QtGlobal>
#include <functional>
#include <memory>

// The station's card port setting that opens the bus's pseudo-terminal.
inline QString PortCarteDuBus(const BusSimule& bus) {
    return bus.cheminPeripherique() + QStringLiteral(":9600,n,8,1");
}

template <class P = PosteTest> struct BancCarte {
    std::unique_ptr<BusSimule> bus;
    std::unique_ptr<P> poste;

    // False, with the system's reason in the test log, when no pseudo-terminal
    // can be had.
    bool demarre() {
        bus = std::make_unique<BusSimule>();
        QString erreur;
        if (!bus->start({}, &erreur)) {
            qWarning("pseudo-terminal: %s", qPrintable(erreur));
            return false;
        }
        poste = std::make_unique<P>();
        poste->reglages.PortCarte = PortCarteDuBus(*bus);
        return true;
    }
    // The station first: it may still hold the port open.
    void arrete() {
        poste.reset();
        bus.reset();
    }
    // Adds a card on the line: the healthy card, changed by `reglage`.
    void carte(const std::function<void(CarteSimulee&)>& reglage = {}) {
        CarteSimulee c;
        if (reglage)
            reglage(c);
        bus->ajouteCarte(c);
    }
};
