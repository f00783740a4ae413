#pragma once
// The three ways to the label printer behind one small interface:
// a serial port (MSCommImp), a parallel port or device path written as a file
// (the LPT form), a TCP connection (WSclient). The printer link chooses one
// when it opens, from the printer target, and then only calls that one. Each
// transport shows its own messages and boxes.
#include "EtatSocket.h"
#include "Poste.h"

#include <QByteArray>
#include <QFile>
#include <QSerialPort>
#include <QString>
#include <memory>

class QTcpSocket;

// Texts shown by the link that are its own (not in the message table).
namespace TextesLiaison {
inline const QString demandeClose = QStringLiteral("demande close");
inline const QString essai = QStringLiteral("essai : ");
inline const QString nonFatale = QStringLiteral("Erreur non fatale dans OuvrePortImprimante");
inline const QString erreurFerme = QStringLiteral("Erreur FermePortImprimante");
} // namespace TextesLiaison

class TransportImprimante {
public:
    virtual ~TransportImprimante() = default;
    // Opens the port, file or connection (a serial port or a TCP connection
    // still open from before is kept).
    virtual void ouvre() = 0;
    // Writes the bytes unchanged.
    virtual void envoi(const QByteArray& octets) = 0;
    virtual void ferme() = 0;
    // Whether the port, file or connection is open now.
    virtual bool estOuvert() const = 0;
};

// The transport named by the station's printer target (portImp, and for a
// TCP target AdresseImp and PortTcpImp), or null for an empty target or one
// whose first three characters are none of COM, LPT, TCP (open, send and close
// then do nothing). A device path is written as a file.
std::unique_ptr<TransportImprimante> ChoisitTransportImprimante(Poste& poste);

// "COM" + port number or device path, 9600,n,8,1, opened only when not open yet.
class TransportSerie final : public TransportImprimante {
public:
    TransportSerie(Poste& poste, const QString& numero);
    void ouvre() override;
    void envoi(const QByteArray& octets) override;
    void ferme() override;
    bool estOuvert() const override { return MSCommImp_.isOpen(); }

private:
    Poste& poste_;
    QString numero_; // as typed after "COM": the number shown in the boxes
    QSerialPort MSCommImp_;
};

// "LPT" + number, or a device path: opened as a file for output (overwrite).
class TransportFichier final : public TransportImprimante {
public:
    // `existantSeulement`: a missing device must not turn into a plain file.
    TransportFichier(Poste& poste, const QString& chemin, bool existantSeulement);
    void ouvre() override;
    void envoi(const QByteArray& octets) override;
    void ferme() override;
    bool estOuvert() const override { return fichierImp_.isOpen(); }

private:
    Poste& poste_;
    QString chemin_;
    bool existantSeulement_;
    QFile fichierImp_; // the "printer file number" of the LPT form
};

// "TCP" + host + ":" + port: a client connection, reused when still
// connected at open time, closed at the end of every label.
class TransportTcp final : public TransportImprimante {
public:
    TransportTcp(Poste& poste, const QString& adresse, const QString& port);
    ~TransportTcp() override;
    void ouvre() override;
    void envoi(const QByteArray& octets) override;
    void ferme() override { fermeClient(); }
    bool estOuvert() const override;

    EtatSocket etat() const;
    // Closes the client socket whatever its state, once what was handed to it
    // has gone out (end of a label, station shutdown).
    void fermeClient();
    // Tests: connects to the target ahead of any label and waits for it, as a
    // connection still up from before; true once connected.
    bool connecteAvantEtiquette(int delaiMs);

private:
    QTcpSocket* client() const { return WSclient_.get(); }
    QTcpSocket& creeClient();

    Poste& poste_;
    QString adresse_;
    QString port_;                         // as typed: shown in the messages
    std::unique_ptr<QTcpSocket> WSclient_; // created on demand; null while closed
};
