#pragma once
// What this program reads of EPL2: the commands the station and the print
// server send (N, O, q, Q, S, D, Z, TT, TD, A, B, LO, P), into the model of
// one label. Anything else is listed as unknown and does not stop the job.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

struct ChampTexteEPL2 {
    int x = 0, y = 0, rotation = 0, police = 1, multH = 1, multV = 1;
    bool inverse = false;
    QString texte;
};

struct ChampCodeBarreEPL2 {
    int x = 0, y = 0, rotation = 0;
    QString type; // "1" is Code 128 with automatic subset
    int etroit = 2, large = 2, hauteur = 50;
    bool lisible = true;
    QString donnees;
};

struct LigneEPL2 {
    int x = 0, y = 0, largeur = 0, hauteur = 0;
};

struct EtiquetteEPL2 {
    int largeur = 408; // dots at 203 dpi
    int hauteur = 203;
    bool hautEnBas = false; // "ZB"
    QList<ChampTexteEPL2> textes;
    QList<ChampCodeBarreEPL2> codesBarres;
    QList<LigneEPL2> lignes;
    QStringList commandesInconnues; // lines not understood, as received
    QStringList erreurs;            // understood but not drawable (bad barcode data…)
};

// The printer's image buffer, one command line after the other. "N" clears
// it but keeps the label size and orientation, as a printer does.
class FormeEPL2 {
public:
    // One command line, without its line end. Returns how many copies a
    // print command asks for (1 to 999), 0 for any other line.
    int commande(const QString& ligne);
    const EtiquetteEPL2& etiquette() const { return courante_; }

private:
    EtiquetteEPL2 courante_;
};

// The command lines of some bytes: cut at each LF, the CR before it dropped,
// decoded from Windows-1252. What follows the last LF is no command yet (a
// printer waits for the line end): it goes to *reste, or is dropped.
QStringList LignesEPL2(const QByteArray& octets, QByteArray* reste = nullptr);

QString DepuisCP1252(const QByteArray& octets);

// The fields of a command after its letters: split at commas outside quotes;
// a quoted field loses its quotes and its escapes (\" and \\).
QStringList ParametresEPL2(const QString& texte);
