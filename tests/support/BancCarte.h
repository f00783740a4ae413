#pragma once
// The bench of the card-bus tests: the simulated bus on a pseudo-terminal, a
// station set to open it, and the hooks a test acts and looks through.
// BancCarte<P> stands a light station context on the bus: P is PosteTest or a
// subclass that acts on what the workflow shows. BancFenetre (BancFenetre.h)
// stands the real main window on the same bus.
//
// A test class may derive from a bench, call demarre() in init() and arrete()
// in cleanup(), so that each test function gets a fresh line and a fresh
// station; or a test function makes its own bench.
#include "BusSimule.h"
#include "HistoriquePoste.h"
#include "OperateurScripte.h"
#include "Poste.h"
#include "PosteTest.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QtGlobal>
#include <functional>
#include <memory>

// The station's card port setting that opens the bus's pseudo-terminal.
inline QString PortCarteDuBus(const BusSimule& bus) {
    return bus.cheminPeripherique() + QStringLiteral(":9600,n,8,1");
}

// What every bench offers, whichever station stands on the bus.
class BancBus {
public:
    BancBus() = default;
    BancBus(const BancBus&) = delete;
    BancBus& operator=(const BancBus&) = delete;
    virtual ~BancBus() = default;

    std::unique_ptr<BusSimule> bus;

    // The station on the bus, the operator it asks, and a file of its trace
    // folder.
    virtual Poste& station() = 0;
    virtual const Poste& station() const = 0;
    virtual const HistoriquePoste& historique() const = 0;
    virtual const OperateurScripte& operateurScripte() const = 0;
    virtual QString fichier(const QString& nom) const = 0;

    // Adds a card on the line: the healthy card, changed by `reglage`.
    void carte(const std::function<void(CarteSimulee&)>& reglage = {}) {
        CarteSimulee c;
        if (reglage)
            reglage(c);
        bus->ajouteCarte(c);
    }

    // The label printer is the file etiquette() of the trace folder, so that
    // a label is read back byte for byte.
    void imprimeDansUnFichier() { station().reglages.portImp = etiquette(); }
    QString etiquette() const { return fichier(QStringLiteral("etiquette.prn")); }

    // Presses BtCancel as soon as `commande` has been on the wire: at the
    // first event pass after it, however short the pauses.
    void annuleApres(const QByteArray& commande) {
        quandEnvoyee(commande, [this] { appuieCancel(); });
    }
    // Does `action` once, at the first event pass after `commande` has been
    // on the wire: what an operator does during the pause that follows it.
    void quandEnvoyee(const QByteArray& commande, std::function<void()> action) {
        veille_ = std::make_unique<QTimer>();
        veille_->setInterval(0);
        QObject::connect(veille_.get(), &QTimer::timeout,
                         [this, commande, action = std::move(action)] {
                             if (bus->commandes().contains(commande)) {
                                 veille_->stop();
                                 action();
                             }
                         });
        veille_->start();
    }

    // The commands sent that start with `debut`, in order.
    QList<QByteArray> commandesCommencant(const char* debut) const {
        QList<QByteArray> r;
        for (const QByteArray& c : bus->commandes())
            if (c.startsWith(debut))
                r << c;
        return r;
    }
    // The picture messages shown, each as "text [picture]", in order.
    QStringList textesMessages() const {
        QStringList r;
        for (const auto& m : historique().historiqueMessages)
            r << m.texte + QStringLiteral(" [") + m.image + QStringLiteral("]");
        return r;
    }
    // The text of the last message box; empty when none was shown.
    QString derniereBoite() const {
        const QStringList b = operateurScripte().boites();
        return b.isEmpty() ? QString() : b.last();
    }

protected:
    // The light context has no button: a click on it does just this.
    virtual void appuieCancel() { station().ArretDemande = true; }

    // False, with the system's reason in the test log, when no pseudo-terminal
    // can be had. `lien`, when given, is a symbolic link to the device.
    bool demarreBus(const QString& lien = {}) {
        bus = std::make_unique<BusSimule>();
        QString erreur;
        if (!bus->start(lien, &erreur)) {
            qWarning("pseudo-terminal: %s", qPrintable(erreur));
            return false;
        }
        return true;
    }
    // Before the station goes: the watch acts on it.
    void arreteVeille() { veille_.reset(); }
    void arreteBus() {
        arreteVeille();
        bus.reset();
    }

private:
    std::unique_ptr<QTimer> veille_;
};

template <class P = PosteTest> class BancCarte : public BancBus {
public:
    std::unique_ptr<P> poste;

    bool demarre() {
        if (!demarreBus())
            return false;
        poste = std::make_unique<P>();
        poste->reglages.PortCarte = PortCarteDuBus(*bus);
        return true;
    }
    // With one card on the line.
    bool demarre(const CarteSimulee& carte) {
        if (!demarre())
            return false;
        bus->ajouteCarte(carte);
        return true;
    }
    // The station first: it may still hold the port open.
    void arrete() {
        arreteVeille();
        poste.reset();
        arreteBus();
    }

    Poste& station() override { return *poste; }
    const Poste& station() const override { return *poste; }
    const HistoriquePoste& historique() const override { return *poste; }
    const OperateurScripte& operateurScripte() const override { return poste->op; }
    QString fichier(const QString& nom) const override { return poste->fichier(nom); }
};
