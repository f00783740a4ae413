#pragma once
// The card port and the framed protocol spoken on it. The link owns the port;
// workflows reach it through the context and hold it open with PortCarteOuvert,
// so that no path leaves it open.
#include "Poste.h"
#include "TrameCarte.h"

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>

class LiaisonCarte : public QObject {
    Q_OBJECT
public:
    // The link of this station, created on first use as a child of the Poste.
    static LiaisonCarte& de(Poste& poste);
    explicit LiaisonCarte(Poste& poste);
    ~LiaisonCarte() override;

    // What tests and the tools may ask of the port, never change.
    const QSerialPort& port() const { return port_; }
    bool ouvert() const { return port_.isOpen(); }

private:
    friend void OuvrePortCarte(Poste&, const QString&);
    friend void FermePortcarte(Poste&);
    friend void EnvoiCdeMorvane2(Poste&, const QByteArray&);
    friend QByteArray lectReponseAutomate(Poste&, int);

    QSerialPort port_;
    QString numero_;       // the port as the operator knows it: number or device path
    QString peripherique_; // the device it maps to
};

// Opens the card port from a setting text such as "3:9600,n,8,1" (or
// "/dev/pts/4:9600,n,8,1"); clears ArretDemande last. Ends the program on an
// opening failure, after the box titled message 115. The port is the text
// before the last ":" (line settings hold none), mapped to a device by
// Plateforme::PeripheriqueSerie; the line settings are baud, parity letter
// (n, e, o, m, s), data bits, stop bits (1, 1.5, 2).
void OuvrePortCarte(Poste& poste, const QString& spec);
void FermePortcarte(Poste& poste);
inline bool PortCarteEstOuvert(Poste& poste) {
    return LiaisonCarte::de(poste).ouvert();
}

// Holds the card port open for one procedure, so that it is closed on every
// path, exceptions included.
class PortCarteOuvert {
public:
    explicit PortCarteOuvert(Poste& poste);
    ~PortCarteOuvert();
    void ferme();
    PortCarteOuvert(const PortCarteOuvert&) = delete;
    PortCarteOuvert& operator=(const PortCarteOuvert&) = delete;

private:
    Poste& poste_;
    bool ouvert_ = true;
};

// ESC + command + checksum + CR. Characters still waiting from an earlier
// exchange are discarded first, so a late reply is never taken for this one.
void EnvoiCdeMorvane2(Poste& poste, const QByteArray& commande);

// Received text up to the first CR (excluded), or empty on time-out. Sleeps
// in the system while waiting and processes no window events; characters
// after the CR stay waiting.
QByteArray lectReponseAutomate(Poste& poste, int timeoutMs);

// Reply data, or "Err: Time Out", "Err: ne commence pas par '/'",
// "Err: check sum incorrecte".
QByteArray LectRepMorvane2(Poste& poste, int timeoutMs);

// Sends and reads; one retry after 0.4 s when the first attempt gives "Err:".
QByteArray EnvoiEtReponseMorvane2(Poste& poste, const QByteArray& commande, int timeoutMs);
