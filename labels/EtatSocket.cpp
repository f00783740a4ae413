#include "EtatSocket.h"

#include <QAbstractSocket>

namespace {

QString TexteEtatInconnu(int numero) {
    return QStringLiteral("state n° %1 Etat inconnu").arg(numero);
}

} // namespace

QString TexteEtatSocket(EtatSocket etat) {
    switch (etat) {
    case EtatSocket::Ferme:
        return QStringLiteral("port fermé");
    case EtatSocket::Ouvert:
        return QStringLiteral("port ouvert");
    case EtatSocket::Ecoute:
        return QStringLiteral("port à l'ecoute");
    case EtatSocket::ConnexionEnAttente:
        return QStringLiteral("port connection en attente");
    case EtatSocket::ResolutionHote:
        return QStringLiteral("port hote en cours de resolution");
    case EtatSocket::HoteResolu:
        return QStringLiteral("port hote resolu");
    case EtatSocket::ConnexionEnCours:
        return QStringLiteral("port en cours de connection");
    case EtatSocket::Connecte:
        return QStringLiteral("port connecté");
    case EtatSocket::FermetureParHomologue:
        return QStringLiteral("port Connexion en cours de fermeture par l'homologue");
    case EtatSocket::Erreur:
        return QStringLiteral("port Erreur");
    }
    return TexteEtatInconnu(NumeroEtatSocket(etat));
}

QString TexteEtatSocket(int etat) {
    if (etat < NumeroEtatSocket(EtatSocket::Ferme) || etat > NumeroEtatSocket(EtatSocket::Erreur))
        return TexteEtatInconnu(etat);
    return TexteEtatSocket(static_cast<EtatSocket>(etat));
}

EtatSocket EtatSocketDe(const QAbstractSocket* socket) {
    if (!socket)
        return EtatSocket::Ferme;
    switch (socket->state()) {
    case QAbstractSocket::UnconnectedState:
        // Qt drops a socket to "unconnected" both when it failed and when the
        // peer hung up; the station tells those apart.
        if (socket->error() == QAbstractSocket::RemoteHostClosedError)
            return EtatSocket::FermetureParHomologue;
        return socket->error() == QAbstractSocket::UnknownSocketError ? EtatSocket::Ferme
                                                                      : EtatSocket::Erreur;
    case QAbstractSocket::HostLookupState:
        return EtatSocket::ResolutionHote;
    case QAbstractSocket::ConnectingState:
        return EtatSocket::ConnexionEnCours;
    case QAbstractSocket::ConnectedState:
        return EtatSocket::Connecte;
    case QAbstractSocket::BoundState:
        return EtatSocket::Ouvert;
    case QAbstractSocket::ListeningState:
        return EtatSocket::Ecoute;
    case QAbstractSocket::ClosingState:
        return EtatSocket::FermetureParHomologue;
    }
    return EtatSocket::Erreur;
}
