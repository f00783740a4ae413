#pragma once
// The label print server: other stations connect to portSrv and send the
// EPL2 lines of their labels; each whole label is printed on this station's
// printer link, one job at a time, in order of arrival.
#include "EtatSocket.h"
#include "Poste.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <vector>

class QTcpServer;
class QTcpSocket;

// Start-up: listens on poste.reglages.portSrv when it is not empty. A port
// already in use is reported and portSrv cleared; any other failure to listen
// is reported and ends the program. Registers the shutdown of the link's
// client socket and of every channel as a closing step.
void DemarreServeurImpression(Poste& poste);

// How a client's data is cut into labels: the end of the first print command
// line ("P" and digits, maybe ",copies") at or after `debut`, or -1.
qsizetype FinCommandeImpression(const QByteArray& tampon, qsizetype debut);

namespace TextesServeur {
inline const QString portOccupe = QStringLiteral(
    "vous ne pouvez pas avoir plusieurs serveurs d'impression à l'ecoute sur le meme port");
inline const QString liberation = QStringLiteral("Liberation du canal ");
inline const QString fermeture = QStringLiteral("fermeture de la liaison ");
} // namespace TextesServeur

class ServeurImpression : public QObject {
    Q_OBJECT
public:
    static constexpr int kClientsMax = 64;
    static constexpr qsizetype kTailleMaxSansImpression = 1024 * 1024;

    // The server of this station, created on first use as a child of the Poste.
    static ServeurImpression& de(Poste& poste);
    explicit ServeurImpression(Poste& poste);
    ~ServeurImpression() override;

    // Whether the listening socket listens, and on which port (0 when not).
    bool ecoute() const;
    quint16 port() const;
    // Channel count N (channels are 1 … N) and the state of one.
    int nombreCanaux() const { return static_cast<int>(canaux_.size()); }
    EtatSocket etatCanal(int canal) const;

    void AccepteConnexionImpression();
    void RecoitDonneesImpression(int canal);
    void Arrete();

private:
    // The start-up makes the listening socket listen.
    friend void DemarreServeurImpression(Poste& poste);
    QTcpServer* WSserveur() const { return WSserveur_; }

    struct Canal {
        QTcpSocket* socket = nullptr; // null while closed
        QByteArray tampon;            // what came after the last print command
        qsizetype lignesVues = 0;     // tampon's whole lines already known not to print
    };
    void fermeCanal(int canal);
    void finDuClient(int canal);
    void prendLabelsComplets(int canal);
    void confieALaLiaison(const QByteArray& travail, const QString& client);

    Poste& poste_;
    QTcpServer* WSserveur_;
    std::vector<Canal> canaux_; // canaux_[i - 1] is channel i
    bool arrete_ = false;
};
