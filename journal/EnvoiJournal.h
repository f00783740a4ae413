#pragma once
// Sends the station's waiting journal records to the factory server: after
// each record, and on a timer while the station is idle (records left by a
// server gone, or by a session that ended before it came back). The operator
// is told once, by a box, the first time the server cannot be reached; after
// that the state is only a status text, never a box per record.
#include "ServeurJournal.h"

#include <QObject>
#include <QTimer>

class Poste;

class EnvoiJournal : public QObject {
    Q_OBJECT
public:
    // A child of the context, which deletes it; the context's link to it
    // (FixeServeur replaces it).
    EnvoiJournal(Poste& poste, const ServeurJournal& serveur);
    // The context's, or nullptr when it has no server.
    static EnvoiJournal* de(const Poste& poste);

    const ServeurJournal& serveur() const { return serveur_; }
    // Sends what waits; true when nothing is left to send.
    bool envoie();
    // Time between two tries while the station is idle.
    static constexpr int kIntervalleMs = 30000;
    void intervalle(int ms) { minuterie_.setInterval(ms); }
    QString etat() const { return etat_; }

signals:
    // The status text: the server reached, gone, or back.
    void etatChange(const QString& texte);

private:
    void tic();
    void change(const QString& texte);

    Poste& poste_;
    ServeurJournal serveur_;
    QTimer minuterie_;
    bool enPanne_ = false;
    bool signale_ = false;
    bool reste_ = true;
    QString etat_;
};
