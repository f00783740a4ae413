#pragma once
// One simulated tray card: what it remembers, how it answers each command,
// and the faults a test can switch on. Plain data; the bus decides who talks.
#include <QByteArray>
#include <QList>
#include <QMap>

struct CarteSimulee {
    // Identity. The wire name is two bytes: cabinet letter, then the
    // character of code 48 + tray number ("A1" is tray 1 of cabinet A).
    QByteArray nom = QByteArrayLiteral("A1");
    QByteArray sn = QByteArrayLiteral("0A1B");
    QByteArray version = QByteArrayLiteral("PLT2 v2.14");
    QByteArray apresSN = QByteArrayLiteral("c"); // between the SN and "]"
    QByteArray versionCouche;                    // two hex digits, empty: no layer board
    char meuble = 'A';                           // answers to "?A" when it is cabinet A

    // IR barrier: the power its automatic adjustment settles on (255: no
    // beam at any power), and the lowest power at which the beam is received.
    int puissanceIRTrouvee = 120;
    int seuilReceptionIR = 100;
    int puissanceIR = 120; // power currently set

    // EA presence: 32 characters "0"/"1", position 32 is EA 1.
    QByteArray presenceEA = QByteArrayLiteral("00000000000000001111111111111111");
    // Rear LEDs that light when asked: 32 characters, position 32 is LED 1.
    QByteArray ledsAR = QByteArrayLiteral("11111111111111111111111111111111");
    double alimentation = 48.8; // supply measure, volts

    // Faults.
    bool muette = false;                // never answers
    bool repondAuDeuxiemeEssai = false; // ignores a command the first time it hears it
    bool mauvaisCheckSum = false;       // checksum off by one
    bool checkSumMinuscule = false;     // checksum in lower-case hexadecimal
    bool sansSlash = false;             // reply frame starts without "/"
    bool reponseDoublee = false;        // sends every reply twice
    int delaiReponseMs = 3;             // from the end of the command to the reply
    QByteArray parasitesAvant;          // bytes sent before each reply frame
    // Reply data (head character first) imposed for a command text, and raw
    // bytes sent as they are (no framing) for a command text.
    QMap<QByteArray, QByteArray> reponsesImposees;
    QMap<QByteArray, QByteArray> octetsImposes;

    // What the card knows of the last command it heard (for the retry fault).
    QByteArray derniereCommande;
    int nombreEA = 0; // EAs fired since power-up

    // Reply data (head character first) to one command addressed to this
    // card, or nothing when it stays silent. `commande` has no ESC, no
    // checksum, no CR.
    QList<QByteArray> repond(const QByteArray& commande);

    // The full frame for reply data: "/" + data + checksum + CR, with the
    // card's faults applied.
    QByteArray trame(const QByteArray& donnees) const;

    // Identity reply: version "[" SN ... "]" layer-board version.
    QByteArray identite() const;
};
