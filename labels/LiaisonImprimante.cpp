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
    if (sessions_.empty()) {
        envoiTransport(octets);
        return;
    }
    Session& session = sessions_.back();
    session.tampon += octets;
    if (session.differee)
        return;
    if (transport_ && !transport_->estOuvert())
        session.manque = true;
    else
        session.envoyeRien = false;
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
            Ajoute(TravailImprimante{.octets = fin.tampon});
    } else {
        fermeTransport();
        finSessionDirecte(fin);
    }
    // A label just kept for its printer waits for the try programmed.
    if (!occupee() && !file_.isEmpty() && !repriseProgrammee_)
        imprimeFile();
}

// The label of a session that held the link, sent line by line: taken,
// kept for a network printer that did not answer (each line already said
// so), or lost.
void LiaisonImprimante::finSessionDirecte(Session& session) {
    if (session.tampon.isEmpty())
        return;
    TravailImprimante travail{.octets = session.tampon};
    if (!transport_) {
        signale(travail, TravailImprimante::Etat::Perdu, QStringLiteral("aucune imprimante"));
        return;
    }
    if (!session.manque) {
        signale(travail, TravailImprimante::Etat::Pris);
        return;
    }
    if (!transportTcp()) {
        signale(travail, TravailImprimante::Etat::Perdu, raisonFerme());
        return;
    }
    // Lines of it may have gone before the connection broke: sent again,
    // they would print what the printer may already have printed.
    if (!session.envoyeRien) {
        signale(travail, TravailImprimante::Etat::Perdu,
                QStringLiteral("connexion perdue pendant l'envoi"));
        return;
    }
    signale(travail, TravailImprimante::Etat::EnAttente, QStringLiteral("imprimante injoignable"));
    file_.append(travail);
    programmeReprise(false);
}

void LiaisonImprimante::Imprime(const QByteArray& travail) {
    Imprime(TravailImprimante{.octets = travail});
}

void LiaisonImprimante::Imprime(TravailImprimante travail) {
    if (travail.octets.isEmpty())
        return;
    Ajoute(std::move(travail));
    if (!occupee())
        imprimeFile();
}

void LiaisonImprimante::Ajoute(TravailImprimante travail) {
    if (travail.octets.isEmpty())
        return;
    signale(travail, TravailImprimante::Etat::Recu);
    file_.append(std::move(travail));
}

void LiaisonImprimante::Reprend(const QList<TravailImprimante>& travaux) {
    if (travaux.isEmpty())
        return;
    file_ = travaux + file_;
    QTimer::singleShot(0, this, [this] { VideFile(true); });
}

void LiaisonImprimante::signale(TravailImprimante& travail, TravailImprimante::Etat etat,
                                const QString& raison) {
    travail.etat = etat;
    travail.raison = raison;
    travail.cible = poste_.reglages.portImp;
    if (suivi)
        suivi(travail);
}

QString LiaisonImprimante::raisonFerme() const {
    return QStringLiteral("imprimante non ouverte (%1)").arg(poste_.reglages.portImp);
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
            if (!transport_) {
                TravailImprimante perdu = file_.takeFirst();
                signale(perdu, TravailImprimante::Etat::Perdu, QStringLiteral("aucune imprimante"));
                continue;
            }
            // A network printer that did not answer (busy, restarting, its
            // queue full) keeps the jobs, in order, for a later try.
            if (transportTcp() && !transport_->estOuvert()) {
                signale(file_.first(), TravailImprimante::Etat::EnAttente,
                        QStringLiteral("imprimante injoignable"));
                programmeReprise();
                break;
            }
            if (!transport_->estOuvert()) {
                TravailImprimante perdu = file_.takeFirst();
                signale(perdu, TravailImprimante::Etat::Perdu, raisonFerme());
                continue;
            }
            // Marked before it goes: should the station end now, the job is
            // never sent a second time on the chance that it printed.
            TravailImprimante travail = file_.takeFirst();
            signale(travail, TravailImprimante::Etat::Envoi);
            envoiTransport(travail.octets);
            const bool tenu = transport_->estOuvert();
            fermeTransport();
            if (tenu)
                signale(travail, TravailImprimante::Etat::Pris);
            else
                signale(travail, TravailImprimante::Etat::Perdu,
                        QStringLiteral("connexion perdue pendant l'envoi"));
            delaiRepriseMs_ = kRepriseMinMs;
        }
    } catch (...) {
        vidage_ = false;
        throw;
    }
    vidage_ = false;
}

void LiaisonImprimante::programmeReprise(bool dit) {
    if (dit)
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
