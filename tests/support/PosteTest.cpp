#include "PosteTest.h"

#include "ModuleTraductions.h"

PosteTest::PosteTest() : Poste(op), HistoriquePoste(static_cast<Poste&>(*this)) {
    changeOperateur(op);
    arretProcessus = [this](int code) { codeFin = code; };
    AccelerePauses(kAcceleration);
    ChargeMessagesDefaut();
    reglages.CheminProg = dossier.path();
    reglages.FichierProg = dossier.path() + QStringLiteral("/progCompletPlateau.hex");
    reglages.PortCarte = QStringLiteral("1:9600,n,8,1");
    reglages.CodeUsine = QStringLiteral("0");
    reglages.CodeOperateur = QStringLiteral("1");
    reglages.NomCarteFuture = QStringLiteral("A50");
    reglages.DroitMeuble = reglages.DroitProgrammation = reglages.DroitTestRails =
        reglages.DroitTestPlateau = true;
}

PosteTest::~PosteTest() {
    AccelerePauses(1);
}

QString PosteTest::fichier(const QString& nom) const {
    return dossier.filePath(nom);
}
