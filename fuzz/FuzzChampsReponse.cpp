// The decimal and hexadecimal fields of card replies, the presence pattern
// built from them and the rail type it names, and the IR power readings.
#include "ChampsReponse.h"
#include "Fuzz.h"
#include "TestIR.h"
#include "TestPresenceEA.h"
#include "TrameCarte.h"
#include "TypesRail.h"

#include <cmath>
#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille) {
    FuzzedDataProvider fdp(donnees, taille);
    const int position = fdp.ConsumeIntegral<int>();
    const int longueur = fdp.ConsumeIntegral<int>();
    const int valeur = fdp.ConsumeIntegral<int>();
    const int mode = fdp.ConsumeIntegralInRange<int>(0, 3);
    const std::string reste = fdp.ConsumeRemainingBytesAsString();
    const QByteArray reponse(reste.data(), static_cast<qsizetype>(reste.size()));

    const int champ = ChampDecimal(reponse, position, longueur);
    VERIFIE(champ >= 0 && champ <= 999999999);

    const QByteArray hex = DeuxChiffresHex(valeur);
    VERIFIE(hex.size() == 2 && ConvHexDec(QString::fromLatin1(hex)) == (valeur & 0xFF));

    int uns = -1;
    const QString bits = ConvDecBin(valeur, uns);
    VERIFIE(bits.size() == 8 && uns >= 0 && uns <= 8);

    const QString texte = QString::fromLatin1(reponse);
    const long nombre = ConvHexDec(texte);
    (void)nombre;

    int compteur = -1;
    const QString motif = MotifQuatreOctets(reponse, compteur);
    VERIFIE(motif.size() == 32 && compteur >= 0 && compteur <= 32);
    VERIFIE(MotifEnGroupes(motif).size() == 35);
    const QString type = IdentifieTypeRail(motif, compteur);
    VERIFIE(!type.isEmpty());
    // Each EA listed once at most, as "-NN".
    VERIFIE(ListeEAnonConformes(motif, type).size() <= 32 * 3);
    VERIFIE(ListeEAnonConformes(texte, QString::fromLatin1(reponse.left(4))).size() <= 32 * 3);
    int seuilBas = 0, seuilHaut = 0;
    ParametresDetection(texte, seuilBas, seuilHaut);
    VERIFIE(seuilBas > 0 && seuilHaut > 0);

    const float puissance = ConvPuissanceIR(texte, mode);
    VERIFIE(!(puissance < 0));
    VERIFIE(!NombreCourt(puissance).isEmpty());
    return 0;
}
