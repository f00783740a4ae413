// The cabinet assignment's answers: the tray numbers and SNs the operator
// types, the tray list lines, and the cards' presence and identity replies.
#include "Fuzz.h"
#include "Meuble.h"
#include "Windows1252.h"

#include <climits>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille) {
    const QString texte =
        QString::fromUtf8(reinterpret_cast<const char*>(donnees), static_cast<qsizetype>(taille));

    (void)ValeurNumeroPlateau(texte);
    (void)NomMeubleValide(texte);

    const QString sn = SNdeSaisie(texte);
    VERIFIE(sn.isEmpty() || sn.size() == 4);

    const int numero = NumeroPlateau(texte);
    VERIFIE(numero >= -9 && numero <= 99);
    VERIFIE(AdressePlateau(texte).size() == VersWindows1252(texte.left(1)).size() + 1);
    VERIFIE(SNligne(texte).size() <= 4);
    VERIFIE(LigneAvecSN(texte, sn).startsWith(texte.left(4)));
    VERIFIE(LigneAvecEtat(texte, texte).size() ==
            qMin<qsizetype>(texte.size(), 13) + 2 + texte.size());

    // A reply as the card link hands it over: every byte one character.
    const QString reponse = TexteLatin1(donnees, taille);
    if (const auto presence = LitReponsePresence(reponse)) {
        VERIFIE(!EstReponseErreur(reponse));
        VERIFIE(presence->ancienNom.size() >= 3 && presence->ancienNom.at(1) == QLatin1Char('-'));
    }
    if (const auto identite = LitReponseIdentite(reponse))
        VERIFIE(identite->sn.size() == 4);
    return 0;
}
