#pragma once
// What the virtual printer understands of EPL2: the commands this station
// sends (N, O, q, Q, S, D, Z, TT, TD, A, B, LO, P). Anything else is kept
// in the list of unknown commands and does not stop the job.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class QImage;
class QPainter;

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

class InterpreteurEPL2 {
public:
    // Feeds raw bytes (Windows-1252); returns every label completed by a
    // print command, one per copy.
    QList<EtiquetteEPL2> ajoute(const QByteArray& octets);

private:
    void commande(const QString& ligne, QList<EtiquetteEPL2>& imprimees);
    QByteArray reste_;
    EtiquetteEPL2 courante_;
};

QString DepuisCP1252(const QByteArray& octets);

// The fields of a command after its letters: split at commas outside quotes;
// a quoted field loses its quotes and its escapes (\" and \\).
QStringList ParametresEPL2(const QString& texte);

// The one routine that draws a label, on an image or any other device.
void DessineEtiquette(QPainter& peintre, const EtiquetteEPL2& etiquette);
QImage ImageEtiquette(const EtiquetteEPL2& etiquette);

// The bars of a Code 128 symbol, as module flags, drawn by zint; empty with
// a reason when the data cannot be encoded.
QList<bool> ModulesCode128(const QString& donnees, QString* erreur = nullptr);
