#include "LiaisonImprimante.h"

#include "TransportsImprimante.h"
#include "Windows1252.h"

#include <QTimer>
#include <algorithm>

LiaisonImprimante& LiaisonImprimante::de(Poste& poste) {
    if (!poste.liens.imprimante)
        poste.liens.imprimante = new LiaisonImprimante(poste);
    return *poste.liens.imprimante;
}

LiaisonImprimante::LiaisonImprimante(Poste& poste) : QObject(&poste), poste_(poste) {
    setObjectName(QStringLiteral("LiaisonImprimante"));
}

LiaisonImprimante::~LiaisonImprimante() = default;

// ---- sessions: one job on the link at a time ----

void LiaisonImprimante::Ouvre() {
    if (occupee()) {
        sessions_.push_back({true, {}});
        return;
    }
    sessions_.push_back({false, {}});
    try {
        ouvreTransport();
    } catch (...) {
        sessions_.clear();
        throw;
    }
}

void LiaisonImprimante::Envoi(const QByteArray& octets) {
    if (!sessions_.empty() && sessions_.back().differee) {
        sessions_.back().tampon += octets;
        return;
    }
    envoiTransport(octets);
}

void LiaisonImprimante::Ferme() {
    if (sessions_.empty()) {
        if (!vidage_)
            fermeTransport();
        return;
    }
    Session fin = std::move(sessions_.back());
    sessions_.pop_back();
    if (fin.differee) {
        if (!fin.tampon.isEmpty())
            file_.append(fin.tampon);
    } else {
        fermeTransport();
    }
    if (!occupee() && !file_.isEmpty())
        imprimeFile();
}

void LiaisonImprimante::Imprime(const QByteArray& travail) {
    if (travail.isEmpty())
        return;
    file_.append(travail);
    if (!occupee())
        imprimeFile();
}

void LiaisonImprimante::VideFile(bool maintenant) {
    if (repriseProgrammee_ && !maintenant)
        return;
    if (!occupee() && !file_.isEmpty())
        imprimeFile();
}

// Waiting for a printer lets events run; a workflow started from that wait
// would queue its label behind these jobs and ask the operator to stick a
// label not yet printed: none starts until the queue is out.
void LiaisonImprimante::imprimeFile() {
    const Poste::Occupe occupe(poste_);
    vidage_ = true;
    try {
        while (!file_.isEmpty()) {
            ouvreTransport();
            // A network printer that did not answer (busy, restarting, its
            // queue full) keeps the jobs, in order, for a later try.
            const TransportTcp* tcp = transportTcp();
            if (tcp && !tcp->estOuvert()) {
                programmeReprise();
                break;
            }
            envoiTransport(file_.takeFirst());
            fermeTransport();
            delaiRepriseMs_ = kRepriseMinMs;
        }
    } catch (...) {
        vidage_ = false;
        throw;
    }
    vidage_ = false;
}

void LiaisonImprimante::programmeReprise() {
    poste_.Message(QStringLiteral("imprimante injoignable : %1 etiquette(s) en attente, "
                                  "nouvel essai dans %2 s")
                       .arg(file_.size())
                       .arg(delaiRepriseMs_ / 1000),
                   2000);
    if (repriseProgrammee_)
        return;
    repriseProgrammee_ = true;
    QTimer::singleShot(delaiRepriseMs_, this, [this] {
        repriseProgrammee_ = false;
        VideFile();
    });
    delaiRepriseMs_ = std::min(delaiRepriseMs_ * 2, kRepriseMaxMs);
}

// ---- the chosen transport ----

void LiaisonImprimante::choisitTransport() {
    const Reglages& r = poste_.reglages;
    const QStringList cible{r.portImp, r.AdresseImp, r.PortTcpImp};
    if (transportChoisi_ && cible == cibleTransport_)
        return;
    transport_ = ChoisitTransportImprimante(poste_);
    cibleTransport_ = cible;
    transportChoisi_ = true;
}

TransportTcp* LiaisonImprimante::transportTcp() const {
    return dynamic_cast<TransportTcp*>(transport_.get());
}

void LiaisonImprimante::ouvreTransport() {
    choisitTransport();
    if (transport_)
        transport_->ouvre();
}

void LiaisonImprimante::envoiTransport(const QByteArray& octets) {
    if (transport_)
        transport_->envoi(octets);
}

void LiaisonImprimante::fermeTransport() {
    if (transport_)
        transport_->ferme();
}

void LiaisonImprimante::FermeWSclient() {
    if (TransportTcp* tcp = transportTcp())
        tcp->fermeClient();
}

bool LiaisonImprimante::transportOuvert() const {
    return transport_ && transport_->estOuvert();
}

// ---- the station's entry points ----

void OuvrePortImprimante(Poste& poste) {
    LiaisonImprimante::de(poste).Ouvre();
}

void EnvoiLigneImprimante(Poste& poste, const QByteArray& octets) {
    LiaisonImprimante::de(poste).Envoi(octets);
}

void EnvoiLigneImprimante(Poste& poste, const QString& texte) {
    LiaisonImprimante::de(poste).Envoi(VersWindows1252(texte));
}

void FermePortImprimante(Poste& poste) {
    LiaisonImprimante::de(poste).Ferme();
}
