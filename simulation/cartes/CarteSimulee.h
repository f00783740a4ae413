#pragma once
// One simulated tray card: what it remembers, how it answers each command,
// and the faults a test can switch on. Plain data; the bus decides who talks.
#include <QByteArray>
#include <QList>
#include <QMap>
#include <array>

struct CarteSimulee {
    // Identity. The wire name is two bytes: cabinet letter, then the
    // character of code 48 + tray number ("A1" is tray 1 of cabinet A); the
    // card answers to it, to "##", and to "?" + its cabinet letter.
    QByteArray nom = QByteArrayLiteral("A1");
    QByteArray sn = QByteArrayLiteral("0A1B");
    QByteArray version = QByteArrayLiteral("PLT2 v2.14");
    QByteArray apresSN = QByteArrayLiteral("c"); // between the SN and "]"
    QByteArray versionCouche;                    // two hex digits, empty: no layer board

    // IR barrier: the power its automatic adjustment settles on (255: no
    // beam at any power) and the lowest power at which the beam is received.
    int puissanceIRTrouvee = 120;
    int seuilReceptionIR = 100;
    int puissanceIR = 120; // power currently set
    bool pretIR = true;    // ready flag of the IR state
    bool basculeIR = false;

    // EA presence: 32 characters "0"/"1", position 32 is EA 1.
    QByteArray presenceEA = QByteArrayLiteral("00000000000000001111111111111111");
    // Rear LEDs the card detects: same layout, position 32 is LED 1.
    QByteArray ledsAR = QByteArrayLiteral("11111111111111111111111111111111");
    double alimentation = 48.8; // supply, volts
    bool alimentee = true;      // false: the supply is off, the card is silent
    // The operator switches the supply off after this many discharge
    // firings (0: never).
    int coupureApresDecharges = 0;

    // Faults.
    bool muette = false;                // never answers
    bool repondAuDeuxiemeEssai = false; // ignores a command the first time it hears it
    bool mauvaisCheckSum = false;       // checksum of other data
    bool checkSumMinuscule = false;     // checksum in lower-case hexadecimal
    bool sansSlash = false;             // reply frame starts without "/"
    bool reponseDoublee = false;        // sends every reply twice
    int delaiReponseMs = 3;             // from the end of the command to the reply
    QByteArray parasitesAvant;          // bytes sent before each reply frame
    // Reply data (head character first) imposed for a command text, and raw
    // bytes sent as they are (no framing) for a command text.
    QMap<QByteArray, QByteArray> reponsesImposees;
    QMap<QByteArray, QByteArray> octetsImposes;

    // Rail bench: commands beginning with one of these texts (address
    // included: "IA5E", "IA5A", "EA5" every pulse, "EA53" the pulses of EA 3)
    // get no answer, as from a card that hangs on that step.
    QList<QByteArray> silencePour;
    // The same faults for the replies to commands beginning with a text
    // only (address included, as for silencePour): noise before the frame,
    // a lower-case checksum, a reply later than delaiReponseMs.
    QMap<QByteArray, QByteArray> parasitesAvantPour;
    QList<QByteArray> checkSumMinusculePour;
    QMap<QByteArray, int> delaiReponsePour;
    // The reply frame to `commande` with the faults switched on for it, and
    // its delay in ms.
    QByteArray trame(const QByteArray& donnees, const QByteArray& commande) const;
    int delaiReponse(const QByteArray& commande) const;
    // Pulses each EA received, by EA number (index 0 unused).
    std::array<int, 33> impulsionsEA{};

    // What the card did, for the tests to look at.
    QByteArray derniereCommande;
    bool presenceMesuree = false;    // an "I..E" measure was made
    QByteArray parametresEA;         // the 4 hex digits of the last measure
    QList<int> eaTirees;             // EA numbers fired, in order
    QList<QByteArray> commandesEA;   // the fire commands' parameters (after the EA character)
    QList<QByteArray> sequencesLeds; // "D..C0" + f + k: the two characters f, k
    int basculesLeds = 0;            // "D**T" heard
    int decharges = 0;               // EA 1 fired with the discharge parameters

    // Reply data (head character first) to one command this card hears, or
    // nothing when it stays silent. `commande` has no ESC, checksum or CR.
    QList<QByteArray> repond(const QByteArray& commande);

    // The bytes of a reply: "/" + data + checksum + CR, faults applied.
    QByteArray trame(const QByteArray& donnees) const;

    // Identity reply: version "[" SN ... "]" layer-board version.
    QByteArray identite() const;
    // Card number on its cabinet (tray or bench position): code of the
    // second name character − 48.
    int numero() const;
    // Raw supply measure the card reports for `alimentation`.
    int mesureAlimentation() const;
};

// A wire name from a cabinet letter and a tray number ("A", 5 gives "A5").
QByteArray NomCarteSimulee(char meuble, int numero);
