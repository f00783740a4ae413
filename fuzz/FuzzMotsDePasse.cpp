// The operator password file as an installation may hold it: any bytes.
#include "FichierFuzz.h"
#include "Fuzz.h"
#include "MotsDePasseOperateurs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille) {
    const QString chemin = EcritFichierFuzz("fuzz-mdp", donnees, taille);
    FichierMotsDePasse fichier;
    QString erreur;
    const bool lu = fichier.Lit(chemin, &erreur);
    if (lu) {
        VERIFIE(erreur.isEmpty());
        VERIFIE(fichier.nombreOperateurs() >= 1 && fichier.nombreOperateurs() <= 19);
    } else {
        // Refused with a reason that names the file, and nothing kept.
        VERIFIE(erreur.contains(chemin));
        VERIFIE(fichier.nombreOperateurs() == 0);
        VERIFIE(!fichier.CodeDuMotDePasse(QStringLiteral("ABCDEFG1")));
    }
    return 0;
}
