#include "EtiquetteCarteLue.h"

#include "EditeEtiquette.h"
#include "EtapesFlux.h"

void ImprimeEtiquetteCarteLue(Poste& poste) {
    const auto carte = CarteConnectee(poste, {.avecErreur = true});
    if (!carte)
        return;
    EditeEtiquette(poste, {.titre = QStringLiteral("Morvane 2  Ct Plateau"),
                           .codeType = QStringLiteral("C0"),
                           .sn = carte->sn,
                           .codeSemaine = CodeSemaine(QDate::currentDate()),
                           .codeUsine = poste.reglages.CodeUsine,
                           .codeOperateur = poste.reglages.CodeOperateur,
                           .versionFW = carte->version,
                           .nomCarte = carte->nom});
}
