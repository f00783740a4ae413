#pragma once
// The link to the label printer: a serial port (MSCommImp), a parallel or
// device path written as a file, or a TCP connection (WSclient), each behind
// the one interface of TransportsImprimante.h. The transport is chosen from
// portImp when the link opens and then called; it is chosen again only when
// the printer target changes. One job uses the link at a time: a label opened
// while another one holds the link is kept whole and printed right after it,
// so nothing mixes on the printer.
#include "EtatSocket.h"
#include "Poste.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class TransportImprimante;
class TransportTcp;

void OuvrePortImprimante(Poste& poste);
// Sends the text unchanged (the caller adds CR LF where it wants one); a
// text goes out as Windows-1252.
void EnvoiLigneImprimante(Poste& poste, const QByteArray& octets);
void EnvoiLigneImprimante(Poste& poste, const QString& texte);
inline void EnvoiLigneImprimante(Poste& poste, const char* texte) {
    EnvoiLigneImprimante(poste, QString::fromUtf8(texte));
}
void FermePortImprimante(Poste& poste);

// TexteEtatSocket, with the socket states, is in EtatSocket.h.

// A label job on the link and what became of it: the link tells each step to
// whoever keeps the station's labels (the journal) or shows them (the main
// window), so that a job waiting for its printer outlives the program.
struct TravailImprimante {
    enum class Etat {
        Recu,      // in the queue, not tried yet
        EnAttente, // the network printer did not answer: kept for a later try
        Envoi,     // being handed to the printer
        Pris,      // the printer took every byte
        Perdu,     // not printed, and not tried again (`raison`)
    };
    QByteArray octets{};
    QString cible{};  // the printer target (portImp) when the step was told
    QString client{}; // the station served, by its address; empty: this station's own
    Etat etat = Etat::Recu;
    QString raison{};
    // The keeper's id of the job, kept with it while it waits.
    QString uid{};
    // A reprint: the original job's id and why it was asked.
    QString reimpressionDe{};
    QString motif{};
    int rang = 0; // the reprint's number among the original's
};

class LiaisonImprimante : public QObject {
    Q_OBJECT
public:
    // The link of this station, created on first use as a child of the Poste.
    static LiaisonImprimante& de(Poste& poste);

    explicit LiaisonImprimante(Poste& poste);
    ~LiaisonImprimante() override;

    void Ouvre();
    void Envoi(const QByteArray& octets);
    void Ferme();

    // A whole job (what one client sent): printed now when the link is free,
    // otherwise after the job that holds it, in order of arrival.
    void Imprime(const QByteArray& travail);
    void Imprime(TravailImprimante travail);
    // Queues a whole job without printing it yet.
    void Ajoute(const QByteArray& travail) { Ajoute(TravailImprimante{.octets = travail}); }
    void Ajoute(TravailImprimante travail);
    // Jobs kept from an earlier session of the station: put before any other
    // and printed as soon as events run.
    void Reprend(const QList<TravailImprimante>& travaux);

    // Told at each step of every job, synchronously: a job is kept before
    // it waits and marked taken before anything else runs.
    std::function<void(TravailImprimante&)> suivi;
    // Prints the jobs waiting, unless the link is in use (then its holder
    // prints them when it lets the link go) or a network printer that did not
    // answer is given time before the next try (unless `maintenant`).
    void VideFile(bool maintenant = false);
    // The first wait after a network printer did not answer; it doubles at
    // each failed try up to the last.
    static constexpr int kRepriseMinMs = 1000;
    static constexpr int kRepriseMaxMs = 30000;
    bool repriseProgrammee() const { return repriseProgrammee_; }
    int travauxEnAttente() const { return static_cast<int>(file_.size()); }
    bool occupee() const { return !sessions_.empty() || vidage_; }

    // Closes the client socket of a TCP target, whatever its state (station
    // shutdown). Nothing for the other transports.
    void FermeWSclient();

    // Whether the chosen transport holds its port, file or connection open
    // (every label closes it at its end).
    bool transportOuvert() const;

private:
    // The transport of the current printer target, chosen again only when
    // the target changed since it was chosen.
    void choisitTransport();
    TransportTcp* transportTcp() const;

    void ouvreTransport();
    void envoiTransport(const QByteArray& octets);
    void fermeTransport();
    void imprimeFile();
    // `dit`: tells the operator (a label's own lines have already told it).
    void programmeReprise(bool dit = true);

    struct Session {
        bool differee;          // opened while another job held the link
        QByteArray tampon;      // what the session sent
        bool manque = false;    // part of it found the transport closed
        bool envoyeRien = true; // none of it reached an open transport
    };
    void signale(TravailImprimante& travail, TravailImprimante::Etat etat,
                 const QString& raison = {});
    void finSessionDirecte(Session& session);
    QString raisonFerme() const;

    Poste& poste_;
    std::vector<Session> sessions_;
    QList<TravailImprimante> file_;
    bool vidage_ = false;
    bool repriseProgrammee_ = false;
    int delaiRepriseMs_ = kRepriseMinMs;
    std::unique_ptr<TransportImprimante> transport_; // null: no printer
    bool transportChoisi_ = false;
    QStringList cibleTransport_; // the target transport_ was chosen for
};
