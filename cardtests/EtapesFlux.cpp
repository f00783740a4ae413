#include "EtapesFlux.h"

#include "ModuleTraductions.h"

void SignaleCarteAbsente(Poste& poste, const IdentiteCarte& identite, const AbsenceCarte& absence) {
    if (!absence.info.isEmpty())
        poste.AfficheInfo(absence.info);
    QString texte = Msg[1];
    if (absence.avecErreur)
        texte += QLatin1Char('\r') + identite.version;
    poste.operateur().Boite(texte, {}, absence.icone);
}

std::optional<IdentiteCarte> CarteConnectee(Poste& poste, const AbsenceCarte& absence) {
    IdentiteCarte identite = IdentifieCarte(poste, "##");
    if (identite.trouvee())
        return identite;
    SignaleCarteAbsente(poste, identite, absence);
    return std::nullopt;
}
