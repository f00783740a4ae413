#pragma once
// A line of simulated cards behind a pseudo-terminal. The station opens the
// slave side (cheminPeripherique) like any serial port; the bus runs in its
// own thread, reads command frames from the master side and writes the
// cards' replies. Every access from the test thread is locked.
#include "CarteSimulee.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

struct EvenementBus {
    enum class Genre { Ouverture, Fermeture, Trame };
    Genre genre = Genre::Trame;
    QByteArray commande;    // without ESC, checksum and CR
    QByteArray brut;        // the bytes as received, ESC to CR
    bool checkSumOk = true; // a frame with a wrong checksum gets no answer
    QByteArray reponse;     // what the cards put on the line in answer
    double instantMs = 0;   // monotonic clock of the bus
};

class BusSimule {
public:
    BusSimule();
    ~BusSimule();
    BusSimule(const BusSimule&) = delete;
    BusSimule& operator=(const BusSimule&) = delete;

    // Creates the pseudo-terminal and starts the thread; false with a reason
    // when the system refuses. `lien`, when given, is a symbolic link made to
    // point at the slave device (replaced if it exists); without one the bus
    // makes its own in a folder of its own, so that a station reaches it by a
    // name no other bus has, whatever terminal number the system gave.
    bool start(const QString& lien = {}, QString* erreur = nullptr);
    void stop();

    // The device the station opens: the link when one was asked for.
    QString cheminPeripherique() const;

    // Cards on the line, in answering order.
    void ajouteCarte(const CarteSimulee& carte);
    void modifieCartes(const std::function<void(std::vector<CarteSimulee>&)>& action);
    std::vector<CarteSimulee> cartes() const;
    CarteSimulee carte(int indice) const;

    // Paces replies at 9600 baud (about 1.04 ms a character); instant otherwise.
    void setCadence9600(bool oui);
    // Time slot of one card in the replies to "?" + cabinet letter: card n
    // answers n slots after the command (10 ms by default, so that 100 cards
    // answer within the station's 1.2 s).
    void setIntervalleAppelMs(int ms);

    // Everything the bus saw, in order.
    QList<EvenementBus> journal() const;
    QList<QByteArray> commandes() const; // the command texts of the frames
    // "ouverture", "fermeture" and the command texts, in order: shows how a
    // procedure used the port.
    QList<QByteArray> deroulement() const;
    void videJournal();
    // Waits until the journal holds at least `nombre` frames; false on time-out.
    bool attendCommandes(int nombre, int timeoutMs) const;
    // Whether the station holds the slave side open (as far as the bus can tell).
    bool portOuvert() const;

    // Bytes written to the line outside any reply (a card powering up, noise).
    void injecte(const QByteArray& octets);

    // The adapter pulled out: on hearing a command beginning with `debut`,
    // the bus closes its pseudo-terminal (and removes the link) without a
    // reply; start() plugs it in again. Empty: never.
    void raccrochePour(const QByteArray& debut);

    // Appends every name-and-SN write a card took ("Y##A50A1B" heard by card
    // "A1" gives "A1 0A1B A5") to `chemin`, one line each, so that what the
    // cards received outlives the station's runs and this bus. Empty: none.
    void setJournalEcritures(const QString& chemin);

private:
    void rattrape() const;
    void boucle();
    void traiteOctets(const QByteArray& octets);
    void traiteTrame(const QByteArray& brut);
    void planifie(double instant, const QByteArray& octets);
    void journalise(EvenementBus e);
    void noteEcriture(const QByteArray& ligne);
    void envoieDu(double maintenant);

    int maitre_ = -1;
    int reveil_[2] = {-1, -1};
    QString esclave_;
    QString lien_;
    std::unique_ptr<QTemporaryDir> dossierLien_;
    std::thread fil_;
    bool arret_ = false;

    mutable std::mutex verrou_;
    mutable std::condition_variable change_;
    std::vector<CarteSimulee> cartes_;
    QList<EvenementBus> journal_;
    bool ouvert_ = false;
    mutable quint64 demandes_ = 0; // rattrape(): requests made, requests served
    quint64 servies_ = 0;
    bool cadence_ = false;
    int intervalleAppelMs_ = 10;
    QString journalEcritures_;
    QByteArray raccrochePour_;
    bool raccroche_ = false; // raccrochePour_ heard: the bus thread ends

    // Owned by the bus thread.
    QByteArray enCours_;
    struct Sortie {
        double instant;
        QByteArray octets;
    };
    std::vector<Sortie> sorties_;
};
