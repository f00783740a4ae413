// The card frame codec fed what a line may carry: a reply as the station reads
// it up to the first CR, a command frame as a card receives it.
#include "Fuzz.h"
#include "TrameCarte.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille) {
    const QByteArray octets = Octets(donnees, taille);

    // The station cuts the line at its first CR.
    const qsizetype cr = octets.indexOf('\r');
    const QByteArray ligne = cr < 0 ? octets : octets.left(cr);
    const QByteArray reponse = DecodeReponse(ligne);
    if (reponse != kErrTimeOut && reponse != kErrSansSlash && reponse != kErrCheckSum) {
        // Data is given only for a whole frame whose checksum holds.
        VERIFIE(ligne.size() >= 4 && ligne.at(0) == '/');
        VERIFIE(TrameReponse(ligne.mid(1, ligne.size() - 3)) == ligne + '\r');
        VERIFIE(reponse == ligne.mid(2, ligne.size() - 4));
    }

    // Any data framed by a card comes back whole.
    if (!octets.isEmpty()) {
        const QByteArray trame = TrameReponse(octets);
        VERIFIE(DecodeReponse(trame.chopped(1)) == octets.mid(1));
    }

    // The checksum brings the byte sum to a multiple of 256, in two upper-case digits.
    const QByteArray cs = CalculCSmorvane2(octets);
    VERIFIE(cs.size() == 2 && cs == cs.toUpper());
    unsigned somme = 0;
    for (const char c : octets)
        somme += static_cast<unsigned char>(c);
    VERIFIE((somme + static_cast<unsigned>(ConvHexDec(QString::fromLatin1(cs)))) % 256u == 0);

    bool checkSumOk = false;
    const QByteArray commande = LitTrameCommande(octets, checkSumOk);
    if (checkSumOk)
        VERIFIE(TrameCommande(commande).mid(1, commande.size() + 2) ==
                octets.mid(1, commande.size() + 2));
    {
        bool ok = false;
        VERIFIE(LitTrameCommande(TrameCommande(octets), ok) == octets && ok);
    }
    return 0;
}
