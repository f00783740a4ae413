#include "ServeurImpression.h"

#include "LiaisonImprimante.h"
#include "Temps.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>

namespace {

// Socket error numbers as the stations of the workshop know them.
int NumeroErreur(QAbstractSocket::SocketError erreur) {
    switch (erreur) {
    case QAbstractSocket::AddressInUseError:
        return 10048;
    case QAbstractSocket::SocketAccessError:
        return 10013;
    case QAbstractSocket::SocketAddressNotAvailableError:
        return 10049;
    case QAbstractSocket::SocketResourceError:
        return 10055;
    case QAbstractSocket::UnsupportedSocketOperationError:
        return 10045;
    default:
        return 10000 + int(erreur);
    }
}

QString AdresseClient(const QTcpSocket& s) {
    bool v4 = false;
    const quint32 ip = s.peerAddress().toIPv4Address(&v4);
    return v4 ? QHostAddress(ip).toString() : s.peerAddress().toString();
}

} // namespace

qsizetype FinCommandeImpression(const QByteArray& tampon, qsizetype debut) {
    static const QRegularExpression impression(QStringLiteral("^P\\d+(,\\d+)?$"));
    qsizetype ligne = debut;
    while (true) {
        const qsizetype lf = tampon.indexOf('\n', ligne);
        if (lf < 0)
            return -1;
        QByteArray texte = tampon.mid(ligne, lf - ligne);
        if (texte.endsWith('\r'))
            texte.chop(1);
        if (impression.match(QString::fromLatin1(texte.trimmed())).hasMatch())
            return lf + 1;
        ligne = lf + 1;
    }
}

ServeurImpression& ServeurImpression::de(Poste& poste) {
    if (!poste.liens.serveur)
        poste.liens.serveur = new ServeurImpression(poste);
    return *poste.liens.serveur;
}

ServeurImpression::ServeurImpression(Poste& poste)
    : QObject(&poste), poste_(poste), WSserveur_(new QTcpServer(this)) {
    setObjectName(QStringLiteral("ServeurImpression"));
    WSserveur_->setObjectName(QStringLiteral("WSserveur"));
    // Every client may connect at the same moment: the system's default
    // queue (50) would refuse part of a burst of kClientsMax, each refused
    // client waiting a second before it tries again.
    WSserveur_->setListenBacklogSize(2 * kClientsMax);
    connect(WSserveur_, &QTcpServer::newConnection, this,
            &ServeurImpression::AccepteConnexionImpression);
}

ServeurImpression::~ServeurImpression() {
    for (Canal& c : canaux_)
        delete c.socket;
}

bool ServeurImpression::ecoute() const {
    return WSserveur_->isListening();
}

quint16 ServeurImpression::port() const {
    return WSserveur_->isListening() ? WSserveur_->serverPort() : 0;
}

EtatSocket ServeurImpression::etatCanal(int canal) const {
    if (canal < 1 || canal > nombreCanaux())
        return EtatSocket::Ferme;
    return EtatSocketDe(canaux_[canal - 1].socket);
}

void ServeurImpression::fermeCanal(int canal) {
    Canal& c = canaux_[canal - 1];
    if (!c.socket)
        return;
    QTcpSocket* s = c.socket;
    c.socket = nullptr;
    c.tampon.clear();
    c.lignesVues = 0;
    s->disconnect(this);
    s->abort();
    s->deleteLater();
}

void ServeurImpression::AccepteConnexionImpression() {
    while (WSserveur_->hasPendingConnections()) {
        QTcpSocket* nouveau = WSserveur_->nextPendingConnection();
        if (!nouveau)
            return;
        nouveau->setParent(nullptr);
        if (arrete_) {
            nouveau->abort();
            nouveau->deleteLater();
            continue;
        }

        // A channel whose client left, or whose connection broke, is freed
        // here so that it can serve again. Events run after each: another
        // connection may be accepted meanwhile, so the channel is chosen only
        // afterwards, and taken with no event pass in between.
        for (int i = 1; i <= nombreCanaux(); ++i) {
            const EtatSocket etat = etatCanal(i);
            if (etat == EtatSocket::FermetureParHomologue || etat == EtatSocket::Erreur) {
                // A client that sent and left while events ran elsewhere
                // (before its signals were connected, or in a nested pass)
                // may still have its labels here: they are printed first.
                if (etat == EtatSocket::FermetureParHomologue)
                    finDuClient(i);
                else
                    RecoitDonneesImpression(i);
                poste_.Message(TextesServeur::liberation + QString::number(i), 0);
                fermeCanal(i);
                LaisseTourner();
            }
        }
        int libre = 0;
        int servis = 0;
        for (int i = 1; i <= nombreCanaux(); ++i) {
            if (etatCanal(i) == EtatSocket::Ferme) {
                if (libre == 0)
                    libre = i;
            } else {
                ++servis;
            }
        }
        if (servis >= kClientsMax) {
            poste_.Message(
                QStringLiteral("connexion refusee (%1 clients deja servis)   IP client : ")
                        .arg(kClientsMax) +
                    AdresseClient(*nouveau),
                2000);
            nouveau->abort();
            nouveau->deleteLater();
            continue;
        }
        if (libre == 0) {
            if (nombreCanaux() >= 32767) {
                nouveau->abort();
                nouveau->deleteLater();
                continue;
            }
            canaux_.push_back({});
            libre = nombreCanaux();
        }

        const int canal = libre;
        canaux_[canal - 1].socket = nouveau;
        nouveau->setObjectName(QStringLiteral("WSserveur(%1)").arg(canal));
        connect(nouveau, &QTcpSocket::readyRead, this,
                [this, canal] { RecoitDonneesImpression(canal); });
        connect(nouveau, &QTcpSocket::disconnected, this, [this, canal] { finDuClient(canal); });
        LaisseTourner();
        if (canaux_[canal - 1].socket != nouveau)
            continue; // gone while events ran
        poste_.Message(TexteEtatSocket(etatCanal(canal)) + QStringLiteral(" sur canal ") +
                           QString::number(canal) + QStringLiteral("   IP client : ") +
                           AdresseClient(*nouveau),
                       2000);
        // Data that came with the connection is not announced again, nor the
        // end of a client that has already left.
        if (nouveau->state() == QAbstractSocket::UnconnectedState)
            finDuClient(canal);
        else if (nouveau->bytesAvailable() > 0)
            RecoitDonneesImpression(canal);
    }
}

void ServeurImpression::RecoitDonneesImpression(int canal) {
    if (canal < 1 || canal > nombreCanaux() || !canaux_[canal - 1].socket)
        return;
    Canal& c = canaux_[canal - 1];
    c.tampon += c.socket->readAll();
    prendLabelsComplets(canal);
}

void ServeurImpression::prendLabelsComplets(int canal) {
    Canal& c = canaux_[canal - 1];
    qsizetype debut = 0;
    qsizetype fin;
    const QString client = c.socket ? AdresseClient(*c.socket) : QString();
    // A slow client's label comes in many pieces: its lines already read are
    // not read again at each piece.
    while ((fin = FinCommandeImpression(c.tampon, std::max(debut, c.lignesVues))) >= 0) {
        confieALaLiaison(c.tampon.mid(debut, fin - debut), client);
        debut = fin;
    }
    c.tampon.remove(0, debut);
    c.lignesVues = c.tampon.lastIndexOf('\n') + 1;
    if (c.tampon.size() > kTailleMaxSansImpression) {
        fermeCanal(canal);
        poste_.Message(QStringLiteral("canal %1 ferme : plus de 1 Mo sans commande d'impression, "
                                      "donnees perdues   IP client : ")
                               .arg(canal) +
                           client,
                       5000);
    }
}

void ServeurImpression::finDuClient(int canal) {
    Canal& c = canaux_[canal - 1];
    if (!c.socket)
        return;
    c.tampon += c.socket->readAll();
    const QString client = AdresseClient(*c.socket);
    prendLabelsComplets(canal);
    if (!canaux_[canal - 1].tampon.isEmpty()) {
        confieALaLiaison(canaux_[canal - 1].tampon, client);
        canaux_[canal - 1].tampon.clear();
        canaux_[canal - 1].lignesVues = 0;
    }
}

void ServeurImpression::confieALaLiaison(const QByteArray& travail, const QString& client) {
    LiaisonImprimante& liaison = LiaisonImprimante::de(poste_);
    // Kept by the link's keeper before anything else runs: a station ended
    // while the label waits prints it at its next start.
    liaison.Ajoute(TravailImprimante{.octets = travail, .client = client});
    // Printed from the event loop rather than inside the socket's handler;
    // a label in progress prints the queue itself when it lets the link go.
    QTimer::singleShot(0, &liaison, [&liaison] { liaison.VideFile(); });
}

void ServeurImpression::Arrete() {
    if (arrete_)
        return;
    arrete_ = true;
    LiaisonImprimante& liaison = LiaisonImprimante::de(poste_);
    liaison.VideFile(true);
    liaison.FermeWSclient();
    for (int i = 1; i <= nombreCanaux(); ++i) {
        const EtatSocket etat = etatCanal(i);
        if (etat != EtatSocket::Ferme) {
            poste_.Message(TextesServeur::fermeture + QString::number(i) + QLatin1Char(' ') +
                               TexteEtatSocket(etat),
                           0);
            fermeCanal(i);
            LaisseTourner();
        }
    }
    WSserveur_->close();
}

void DemarreServeurImpression(Poste& poste) {
    ServeurImpression& serveur = ServeurImpression::de(poste);
    poste.SurFermeture([&serveur] { serveur.Arrete(); });

    const QString texte = poste.reglages.portSrv;
    if (texte.isEmpty())
        return;
    bool ok = false;
    const int port = texte.toInt(&ok);
    if (!ok || port < 1 || port > 65535) {
        poste.operateur().Boite(QStringLiteral("erreur n° 380 Valeur de propriété non valide : ") +
                                    texte,
                                QString(), Icone::Aucune);
        poste.FinProgramme(kFinEchec);
    }
    QTcpServer& ecoute = *serveur.WSserveur();
    if (ecoute.listen(QHostAddress::Any, static_cast<quint16>(port)))
        return;
    if (ecoute.serverError() == QAbstractSocket::AddressInUseError) {
        poste.operateur().Boite(TextesServeur::portOccupe, QString(), Icone::Aucune);
        poste.reglages.portSrv.clear();
        return;
    }
    poste.operateur().Boite(
        QStringLiteral("erreur n° %1 ").arg(NumeroErreur(ecoute.serverError())) +
            ecoute.errorString(),
        QString(), Icone::Aucune);
    poste.FinProgramme(kFinEchec);
}
