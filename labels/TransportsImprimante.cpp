#include "TransportsImprimante.h"

#include "LiaisonImprimante.h"
#include "ModuleTraductions.h"
#include "Plateforme.h"
#include "Temps.h"

#include <QDeadlineTimer>
#include <QTcpSocket>

namespace {

const QString kErreurEcriture = QStringLiteral("Erreur ecriture imprimante : ");

// The device written for an LPT target or a device path.
QString CheminFichier(const QString& cible) {
    if (Plateforme::EstCheminPeripherique(cible))
        return cible;
    const QString reste = cible.mid(3);
    if (Plateforme::EstCheminPeripherique(reste))
        return reste;
    bool ok = false;
    const int numero = reste.toInt(&ok);
    return ok ? Plateforme::PeripheriqueParallele(numero) : cible;
}

} // namespace

std::unique_ptr<TransportImprimante> ChoisitTransportImprimante(Poste& poste) {
    const Reglages& r = poste.reglages;
    const QString& cible = r.portImp;
    const QString debut = cible.left(3).toUpper();
    if (Plateforme::EstCheminPeripherique(cible) || debut == QLatin1String("LPT")) {
        const QString chemin = CheminFichier(cible);
        // A missing printer device must not turn into a plain file in /dev;
        // any other path may be a file that captures the labels.
        const bool existantSeulement =
            debut == QLatin1String("LPT") || chemin.startsWith(QLatin1String("/dev/"));
        return std::make_unique<TransportFichier>(poste, chemin, existantSeulement);
    }
    if (debut == QLatin1String("COM"))
        return std::make_unique<TransportSerie>(poste, cible.mid(3));
    if (debut == QLatin1String("TCP")) {
        QString adresse = r.AdresseImp;
        QString port = r.PortTcpImp;
        if (adresse.isEmpty() && port.isEmpty()) {
            // Settings filled by hand rather than by the start-up: read the target.
            const QString reste = cible.mid(3);
            const qsizetype deuxPoints = reste.indexOf(QLatin1Char(':'));
            if (deuxPoints >= 0) {
                adresse = reste.left(deuxPoints);
                port = reste.mid(deuxPoints + 1);
            }
        }
        return std::make_unique<TransportTcp>(poste, adresse, port);
    }
    return nullptr;
}

// ---- serial port ----

TransportSerie::TransportSerie(Poste& poste, const QString& numero)
    : poste_(poste), numero_(numero) {
    MSCommImp_.setObjectName(QStringLiteral("MSCommImp"));
}

void TransportSerie::ouvre() {
    if (MSCommImp_.isOpen())
        return;
    MSCommImp_.setPortName(Plateforme::PeripheriqueSerie(numero_));
    MSCommImp_.setBaudRate(QSerialPort::Baud9600);
    MSCommImp_.setParity(QSerialPort::NoParity);
    MSCommImp_.setDataBits(QSerialPort::Data8);
    MSCommImp_.setStopBits(QSerialPort::OneStop);
    MSCommImp_.setFlowControl(QSerialPort::NoFlowControl);
    const bool tenu = Plateforme::LibereVerrouAbandonne(Plateforme::PeripheriqueSerie(numero_)) ==
                      Plateforme::EtatPort::Tenu;
    if (tenu || !MSCommImp_.open(QIODevice::ReadWrite)) {
        const QString port = QStringLiteral("Le port COM") + numero_ + QLatin1Char(' ');
        QString texte;
        switch (tenu ? QSerialPort::PermissionError : MSCommImp_.error()) {
        case QSerialPort::PermissionError:
            if (!tenu && Plateforme::AccesRefuse(Plateforme::PeripheriqueSerie(numero_)))
                texte = QStringLiteral("Le port COM") + numero_ + QStringLiteral(" : ") +
                        Plateforme::ConseilAccesRefuse(Plateforme::PeripheriqueSerie(numero_));
            else
                texte = port + Msg[51];
            break;
        case QSerialPort::DeviceNotFoundError:
            texte = port + Msg[52];
            break;
        default:
            texte = MSCommImp_.errorString() +
                    QStringLiteral("  (erreur n°%1) sur COM").arg(int(MSCommImp_.error())) +
                    numero_;
            break;
        }
        MSCommImp_.clearError();
        poste_.operateur().Boite(texte, Msg[53], Icone::Exclamation);
        poste_.FinProgramme(kFinEchec);
    }
    MSCommImp_.setReadBufferSize(1);
}

void TransportSerie::envoi(const QByteArray& octets) {
    if (!MSCommImp_.isOpen())
        return;
    if (MSCommImp_.write(octets) != octets.size()) {
        poste_.Message(kErreurEcriture + MSCommImp_.errorString(), 2000);
        return;
    }
    // 9600 baud: about one millisecond per character, plus a margin.
    QDeadlineTimer limite(2000 + octets.size() * 2);
    while (MSCommImp_.bytesToWrite() > 0 && !limite.hasExpired())
        if (!MSCommImp_.waitForBytesWritten(int(limite.remainingTime())))
            break;
    if (MSCommImp_.bytesToWrite() > 0)
        poste_.Message(kErreurEcriture + QStringLiteral("l'imprimante ne recoit plus"), 2000);
}

void TransportSerie::ferme() {
    if (MSCommImp_.isOpen()) {
        MSCommImp_.flush();
        MSCommImp_.close();
    }
}

// ---- parallel port or device path, written as a file ----

TransportFichier::TransportFichier(Poste& poste, const QString& chemin, bool existantSeulement)
    : poste_(poste), chemin_(chemin), existantSeulement_(existantSeulement) {}

void TransportFichier::ouvre() {
    if (fichierImp_.isOpen())
        fichierImp_.close();
    fichierImp_.setFileName(chemin_);
    QIODevice::OpenMode mode = QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered;
    if (existantSeulement_)
        mode |= QIODevice::ExistingOnly;
    if (!fichierImp_.open(mode))
        poste_.operateur().Boite(TextesLiaison::nonFatale + QLatin1Char('\r') +
                                     fichierImp_.fileName() + QStringLiteral(" : ") +
                                     fichierImp_.errorString(),
                                 QString(), Icone::Aucune);
}

void TransportFichier::envoi(const QByteArray& octets) {
    if (!fichierImp_.isOpen()) {
        poste_.Message(kErreurEcriture +
                           QStringLiteral("%1 n'est pas ouvert").arg(fichierImp_.fileName()),
                       2000);
        return;
    }
    if (fichierImp_.write(octets) != octets.size())
        poste_.Message(kErreurEcriture + fichierImp_.errorString(), 2000);
}

void TransportFichier::ferme() {
    if (!fichierImp_.isOpen())
        return;
    const bool ecrit = fichierImp_.flush();
    fichierImp_.close();
    if (!ecrit)
        poste_.operateur().Boite(TextesLiaison::erreurFerme, QString(), Icone::Aucune);
}

// ---- TCP client ----

TransportTcp::TransportTcp(Poste& poste, const QString& adresse, const QString& port)
    : poste_(poste), adresse_(adresse), port_(port) {}

TransportTcp::~TransportTcp() = default;

EtatSocket TransportTcp::etat() const {
    return EtatSocketDe(client());
}

bool TransportTcp::estOuvert() const {
    return etat() == EtatSocket::Connecte;
}

void TransportTcp::ouvre() {
    if (etat() == EtatSocket::Connecte)
        return;
    poste_.Message(TexteEtatSocket(etat()), 0);
    if (etat() != EtatSocket::Ferme) {
        poste_.Message(TextesLiaison::demandeClose, 0);
        fermeClient();
        LaisseTourner();
    }
    poste_.Message(QStringLiteral("demande connection sur ") + adresse_ + QStringLiteral(" port ") +
                       port_,
                   2000);

    bool ok = false;
    const int numero = port_.toInt(&ok);
    if (!ok || numero < 1 || numero > 65535) {
        poste_.operateur().Boite(TextesLiaison::nonFatale + QLatin1Char('\r') +
                                     QStringLiteral("port TCP invalide : ") + port_,
                                 QString(), Icone::Aucune);
        return;
    }
    QTcpSocket& client = creeClient();
    client.connectToHost(adresse_, static_cast<quint16>(numero));
    LaisseTourner();

    int essai = 0;
    while (EtatSocketDe(&client) == EtatSocket::ConnexionEnCours ||
           EtatSocketDe(&client) == EtatSocket::ResolutionHote) {
        LaisseTourner();
        ++essai;
        poste_.Message(TextesLiaison::essai + QString::number(essai), 0);
        if (essai >= 40)
            break;
        timePause(essai < 20 ? 0.05f : 0.5f);
    }
}

void TransportTcp::envoi(const QByteArray& octets) {
    const EtatSocket e = etat();
    if (e == EtatSocket::Connecte) {
        client()->write(octets);
        LaisseTourner();
    } else {
        poste_.Message(TexteEtatSocket(e), 2000);
    }
}

QTcpSocket& TransportTcp::creeClient() {
    if (!WSclient_) {
        WSclient_ = std::make_unique<QTcpSocket>();
        WSclient_->setObjectName(QStringLiteral("WSclient"));
    }
    return *WSclient_;
}

void TransportTcp::fermeClient() {
    if (!WSclient_)
        return;
    QTcpSocket* client = WSclient_.release();
    if (client->state() == QAbstractSocket::ConnectedState) {
        // The last line handed over must reach the printer before the close.
        QDeadlineTimer limite(10000);
        while (client->bytesToWrite() > 0 && !limite.hasExpired())
            if (!client->waitForBytesWritten(int(limite.remainingTime())))
                break;
        client->disconnectFromHost();
        if (client->state() != QAbstractSocket::UnconnectedState)
            client->waitForDisconnected(2000);
    }
    client->abort();
    client->deleteLater();
}

bool TransportTcp::connecteAvantEtiquette(int delaiMs) {
    bool ok = false;
    const int numero = port_.toInt(&ok);
    if (!ok || numero < 1 || numero > 65535)
        return false;
    QTcpSocket& client = creeClient();
    client.connectToHost(adresse_, static_cast<quint16>(numero));
    return client.waitForConnected(delaiMs);
}
