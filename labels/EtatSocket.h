#pragma once
// The socket states of the station: one enumeration, mapped here and only
// here to the numbers and texts the operator knows, and to Qt's states.
// The printer link and the print server compare enumerators; the operator
// sees the texts.
#include <QString>

class QAbstractSocket;

enum class EtatSocket {
    Ferme = 0,
    Ouvert = 1,
    Ecoute = 2,
    ConnexionEnAttente = 3,
    ResolutionHote = 4,
    HoteResolu = 5,
    ConnexionEnCours = 6,
    Connecte = 7,
    FermetureParHomologue = 8,
    Erreur = 9,
};

// The number of a state (0 closed … 9 error).
constexpr int NumeroEtatSocket(EtatSocket etat) {
    return static_cast<int>(etat);
}

// The text of a state, as shown in the link's and the server's messages.
QString TexteEtatSocket(EtatSocket etat);
// The same from a state number; any other number reads
// "state n° " + number + " Etat inconnu".
QString TexteEtatSocket(int etat);

// The state of a Qt socket. A socket that failed reads Erreur, one whose peer
// closed reads FermetureParHomologue; no socket at all reads Ferme.
EtatSocket EtatSocketDe(const QAbstractSocket* socket);
