#include "LiaisonImprimante.h"

#include "FichierTrace.h"
#include "ModuleTraductions.h"
#include "Plateforme.h"
#include "Temps.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTcpSocket>

namespace {

const QString kErreurEcriture = QStringLiteral("Erreur ecriture imprimante : ");

} // namespace

LiaisonImprimante& LiaisonImprimante::de(Poste& poste) {
    auto* liaison = poste.findChild<LiaisonImprimante*>(QString(), Qt::FindDirectChildrenOnly);
    if (!liaison)
        liaison = new LiaisonImprimante(poste);
    return *liaison;
}

LiaisonImprimante::LiaisonImprimante(Poste& poste) : QObject(&poste), poste_(poste) {
    setObjectName(QStringLiteral("LiaisonImprimante"));
    MSCommImp.setObjectName(QStringLiteral("MSCommImp"));
}

LiaisonImprimante::~LiaisonImprimante() = default;

LiaisonImprimante::Transport LiaisonImprimante::transport() const {
    const QString& cible = poste_.reglages.portImp;
    if (Plateforme::EstCheminPeripherique(cible))
        return Transport::Fichier;
    const QString debut = cible.left(3).toUpper();
    if (debut == QLatin1String("COM"))
        return Transport::Serie;
    if (debut == QLatin1String("LPT"))
        return Transport::Fichier;
    if (debut == QLatin1String("TCP"))
        return Transport::Tcp;
    return Transport::Aucun;
}

QString LiaisonImprimante::cheminFichier() const {
    const QString& cible = poste_.reglages.portImp;
    if (Plateforme::EstCheminPeripherique(cible))
        return cible;
    const QString reste = cible.mid(3);
    if (Plateforme::EstCheminPeripherique(reste))
        return reste;
    bool ok = false;
    const int numero = reste.toInt(&ok);
    return ok ? Plateforme::PeripheriqueParallele(numero) : cible;
}

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

void LiaisonImprimante::VideFile() {
    if (!occupee() && !file_.isEmpty())
        imprimeFile();
}

void LiaisonImprimante::imprimeFile() {
    vidage_ = true;
    try {
        while (!file_.isEmpty()) {
            const QByteArray travail = file_.takeFirst();
            ouvreTransport();
            envoiTransport(travail);
            fermeTransport();
        }
    } catch (...) {
        vidage_ = false;
        throw;
    }
    vidage_ = false;
}

// ---- the three transports ----

void LiaisonImprimante::ouvreTransport() {
    switch (transport()) {
    case Transport::Aucun:
        return;
    case Transport::Fichier: {
        if (fichierImp_.isOpen())
            fichierImp_.close();
        fichierImp_.setFileName(cheminFichier());
        QIODevice::OpenMode mode =
            QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered;
        // A missing printer device must not turn into a plain file in /dev;
        // any other path may be a file that captures the labels.
        if (poste_.reglages.portImp.left(3).toUpper() == QLatin1String("LPT") ||
            fichierImp_.fileName().startsWith(QLatin1String("/dev/")))
            mode |= QIODevice::ExistingOnly;
        if (!fichierImp_.open(mode))
            poste_.operateur().Boite(TextesLiaison::nonFatale + QLatin1Char('\r') +
                                         fichierImp_.fileName() + QStringLiteral(" : ") +
                                         fichierImp_.errorString(),
                                     QString(), Icone::Aucune);
        return;
    }
    case Transport::Serie: {
        const QString numero = poste_.reglages.portImp.mid(3);
        if (!MSCommImp.isOpen()) {
            MSCommImp.setPortName(Plateforme::PeripheriqueSerie(numero));
            MSCommImp.setBaudRate(QSerialPort::Baud9600);
            MSCommImp.setParity(QSerialPort::NoParity);
            MSCommImp.setDataBits(QSerialPort::Data8);
            MSCommImp.setStopBits(QSerialPort::OneStop);
            MSCommImp.setFlowControl(QSerialPort::NoFlowControl);
            if (!MSCommImp.open(QIODevice::ReadWrite)) {
                const QString port = QStringLiteral("Le port COM") + numero + QLatin1Char(' ');
                QString texte;
                switch (MSCommImp.error()) {
                case QSerialPort::PermissionError:
                    texte = port + Msg[51];
                    break;
                case QSerialPort::DeviceNotFoundError:
                    texte = port + Msg[52];
                    break;
                default:
                    texte = MSCommImp.errorString() +
                            QStringLiteral("  (erreur n°%1) sur COM").arg(int(MSCommImp.error())) +
                            numero;
                    break;
                }
                MSCommImp.clearError();
                poste_.operateur().Boite(texte, Msg[53], Icone::Exclamation);
                poste_.FinProgramme();
            }
            MSCommImp.setReadBufferSize(1);
        }
        return;
    }
    case Transport::Tcp:
        ouvreTcp();
        return;
    }
}

void LiaisonImprimante::ouvreTcp() {
    QString adresse = poste_.reglages.AdresseImp;
    QString port = poste_.reglages.PortTcpImp;
    if (adresse.isEmpty() && port.isEmpty()) {
        // Settings filled by hand rather than by the start-up: read the target.
        const QString reste = poste_.reglages.portImp.mid(3);
        const qsizetype deuxPoints = reste.indexOf(QLatin1Char(':'));
        if (deuxPoints >= 0) {
            adresse = reste.left(deuxPoints);
            port = reste.mid(deuxPoints + 1);
        }
    }

    if (EtatSocketDe(WSclient()) == EtatSocket::Connecte)
        return;
    poste_.Message(TexteEtatSocket(EtatSocketDe(WSclient())), 0);
    if (EtatSocketDe(WSclient()) != EtatSocket::Ferme) {
        poste_.Message(TextesLiaison::demandeClose, 0);
        FermeWSclient();
        LaisseTourner();
    }
    poste_.Message(QStringLiteral("demande connection sur ") + adresse + QStringLiteral(" port ") +
                       port,
                   2000);

    bool ok = false;
    const int numero = port.toInt(&ok);
    if (!ok || numero < 1 || numero > 65535) {
        poste_.operateur().Boite(TextesLiaison::nonFatale + QLatin1Char('\r') +
                                     QStringLiteral("port TCP invalide : ") + port,
                                 QString(), Icone::Aucune);
        return;
    }
    QTcpSocket& client = creeWSclient();
    client.connectToHost(adresse, static_cast<quint16>(numero));
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

void LiaisonImprimante::envoiTransport(const QByteArray& octets) {
    switch (transport()) {
    case Transport::Aucun:
        return;
    case Transport::Fichier:
        if (!fichierImp_.isOpen()) {
            poste_.Message(kErreurEcriture +
                               QStringLiteral("%1 n'est pas ouvert").arg(fichierImp_.fileName()),
                           2000);
            return;
        }
        if (fichierImp_.write(octets) != octets.size())
            poste_.Message(kErreurEcriture + fichierImp_.errorString(), 2000);
        return;
    case Transport::Serie: {
        if (!MSCommImp.isOpen())
            return;
        if (MSCommImp.write(octets) != octets.size()) {
            poste_.Message(kErreurEcriture + MSCommImp.errorString(), 2000);
            return;
        }
        // 9600 baud: about one millisecond per character, plus a margin.
        QDeadlineTimer limite(2000 + octets.size() * 2);
        while (MSCommImp.bytesToWrite() > 0 && !limite.hasExpired())
            if (!MSCommImp.waitForBytesWritten(int(limite.remainingTime())))
                break;
        if (MSCommImp.bytesToWrite() > 0)
            poste_.Message(kErreurEcriture + QStringLiteral("l'imprimante ne recoit plus"), 2000);
        return;
    }
    case Transport::Tcp: {
        const EtatSocket etat = EtatSocketDe(WSclient());
        if (etat == EtatSocket::Connecte) {
            WSclient()->write(octets);
            LaisseTourner();
        } else {
            poste_.Message(TexteEtatSocket(etat), 2000);
        }
        return;
    }
    }
}

void LiaisonImprimante::fermeTransport() {
    switch (transport()) {
    case Transport::Aucun:
        return;
    case Transport::Fichier:
        if (fichierImp_.isOpen()) {
            const bool ecrit = fichierImp_.flush();
            fichierImp_.close();
            if (!ecrit)
                poste_.operateur().Boite(TextesLiaison::erreurFerme, QString(), Icone::Aucune);
        }
        return;
    case Transport::Serie:
        if (MSCommImp.isOpen()) {
            MSCommImp.flush();
            MSCommImp.close();
        }
        return;
    case Transport::Tcp:
        FermeWSclient();
        return;
    }
}

QTcpSocket& LiaisonImprimante::creeWSclient() {
    if (!WSclient_) {
        WSclient_ = std::make_unique<QTcpSocket>();
        WSclient_->setObjectName(QStringLiteral("WSclient"));
    }
    return *WSclient_;
}

void LiaisonImprimante::FermeWSclient() {
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
