#include "EditeEtiquette.h"

#include "IdentiteCarte.h"
#include "ModuleTraductions.h"

void ImprimeEtiquetteCarteLue(Poste& poste) {
    QString nomCarte, version, sn, versionCouche;
    IdentifieCarte(poste, QByteArrayLiteral("##"), nomCarte, version, sn, versionCouche);
    if (version.startsWith(QLatin1String("Err:"))) {
        poste.operateur().Boite(Msg[1] + QLatin1Char('\r') + version, QString(), Icone::Aucune);
        return;
    }
    EditeEtiquette(poste, QStringLiteral("Morvane 2  Ct Plateau"), QStringLiteral("C0"), sn,
                   CodeSemaine(QDate::currentDate()), poste.reglages.CodeUsine,
                   poste.reglages.CodeOperateur, version, nomCarte, QString(), QString(),
                   QString());
}
