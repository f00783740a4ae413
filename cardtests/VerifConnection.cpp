#include "VerifConnection.h"

#include "EtapesFlux.h"
#include "ModuleTraductions.h"

void BtVerifConnection_Click(Poste& poste) {
    const auto carte = CarteConnectee(poste, {.avecErreur = true});
    if (!carte)
        return;
    // CR as everywhere in box texts; the operator's dialogs show it as a line break.
    const QString cr = QStringLiteral("\r");
    QString texte = Msg[23] + QStringLiteral(" : ") + carte->version + cr + cr;
    texte += cr + QStringLiteral("SN= ") + carte->sn + cr;
    texte += cr + cr + Msg[48] + QStringLiteral(": ") + carte->nom + cr;
    if (!carte->versionCouche.isEmpty())
        texte += cr + QStringLiteral("version Layer Board : ") + carte->versionCouche + cr;
    poste.operateur().Boite(texte);
}
