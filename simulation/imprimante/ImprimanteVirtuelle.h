#pragma once
// A virtual EPL2 label printer: a raw TCP port like a networked printer's,
// and optionally a pseudo-terminal like a serial printer. Every job is kept
// raw in its folder, every printed label is drawn to a PNG at 203 dpi.
// The getters may be called from any thread.
#include "InterpreteurEPL2.h"

#include <QHostAddress>
#include <QMutex>
#include <QObject>
#include <QThread>
#include <memory>

class QSocketNotifier;
class QTcpServer;
class QTcpSocket;

struct OptionsImprimante {
    QHostAddress adresse = QHostAddress::LocalHost;
    quint16 portTcp = 0;  // 0: any free port
    bool sansTcp = false; // pseudo-terminal only
    QString lienPty;      // symbolic link to create to the pseudo-terminal, or empty
    QString dossier;      // where jobs and pictures go
    // False: each label is still read and checked, but no picture is drawn
    // (fichierPng stays empty), for runs that measure what feeds the printer.
    bool dessine = true;
};

struct EtiquetteImprimee {
    int numero = 0;
    QString fichierPng;
    EtiquetteEPL2 contenu;
};

class ImprimanteVirtuelle : public QObject {
    Q_OBJECT
public:
    explicit ImprimanteVirtuelle(QObject* parent = nullptr);
    ~ImprimanteVirtuelle() override;

    bool demarre(const OptionsImprimante& options, QString* erreur = nullptr);
    void arrete();

    quint16 portTcp() const;
    QString cheminPty() const; // the pseudo-terminal's own device path
    QString dossier() const;

    QList<EtiquetteImprimee> etiquettes() const;
    int nombreEtiquettes() const;
    QList<QByteArray> travaux() const; // raw bytes, one TCP connection or pty label each
    QStringList commandesInconnues() const;
    int connexions() const; // TCP connections accepted so far

signals:
    void etiquetteImprimee(int numero, const QString& fichierPng);

private:
    void accepte();
    void recoit(QTcpSocket* client);
    void finClient(QTcpSocket* client);
    void litPty();
    void interprete(const QByteArray& octets);
    void gardeTravail(const QByteArray& travail);

    OptionsImprimante options_;
    QTcpServer* serveur_ = nullptr;
    int maitrePty_ = -1;
    int esclavePty_ = -1; // kept open so that the line never hangs up
    QString cheminPty_;
    QSocketNotifier* notifPty_ = nullptr;
    QByteArray travailPty_;
    InterpreteurEPL2 interpreteur_;

    mutable QMutex verrou_;
    QList<EtiquetteImprimee> etiquettes_;
    QList<QByteArray> travaux_;
    QStringList inconnues_;
    int connexions_ = 0;
};

// A virtual printer on a thread of its own, for a process that blocks while
// it prints (the station waits on its sockets without running events).
class FilImprimanteVirtuelle {
public:
    explicit FilImprimanteVirtuelle(const OptionsImprimante& options);
    ~FilImprimanteVirtuelle();
    bool ok() const { return ok_; }
    QString erreur() const { return erreur_; }
    ImprimanteVirtuelle& imprimante() { return *imprimante_; }

private:
    QThread fil_;
    ImprimanteVirtuelle* imprimante_;
    bool ok_ = false;
    QString erreur_;
};
