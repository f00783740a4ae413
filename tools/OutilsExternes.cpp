#include "OutilsExternes.h"

#include "LiaisonCarte.h"
#include "ModuleTraductions.h"
#include "Plateforme.h"

#include <QFileInfo>

namespace {

const QString kTeleverseur = QStringLiteral("c:\\morvane\\appli\\Televerseur.exe");

// The station's own numbering of a start failure that is not a missing file
// ("path/file access error").
constexpr int kErreurAccesFichier = 75;

enum class Lancement { Lance, Absent, Echec };

Lancement Lance(const QString& programme, const QStringList& arguments, const QString& dossier,
                Plateforme::ModeFenetre mode, QString* raison) {
    // Checked first: through wine a missing program would only fail later,
    // in a window of wine's own.
    if (!QFileInfo(programme).isFile())
        return Lancement::Absent;
    return Plateforme::LanceProgramme(programme, arguments, dossier, mode, raison)
               ? Lancement::Lance
               : Lancement::Echec;
}

// The programmer buttons: a start that fails says what could not be run.
void LanceIcprog(Poste& poste, const QStringList& arguments) {
    const QString programme = CheminIcprog(poste.reglages);
    const QString dossier = Plateforme::CheminLocal(poste.reglages.CheminProg);
    QString raison;
    const Lancement l =
        Lance(programme, arguments, dossier, Plateforme::ModeFenetre::Reduite, &raison);
    if (l == Lancement::Lance)
        return;
    const QString commande =
        QStringLiteral("ligne de commande : ") + LigneDeCommande(programme, arguments);
    if (l == Lancement::Absent)
        poste.operateur().Boite(Msg[100] + QLatin1Char(' ') + programme + QLatin1Char('\n') +
                                    commande,
                                {}, Icone::Exclamation);
    else
        poste.operateur().Boite(
            QStringLiteral("Erreur n° %1 %2").arg(kErreurAccesFichier).arg(raison) +
                QLatin1Char('\n') + commande,
            {}, Icone::Exclamation);
}

} // namespace

QString CheminIcprog(const Reglages& reglages) {
    return Plateforme::CheminDans(reglages.CheminProg, QStringLiteral("icprog.exe"));
}

QStringList ArgumentsProgrammation(const Reglages& reglages) {
    return {QStringLiteral("-l") + Plateforme::CheminLocal(reglages.FichierProg),
            QStringLiteral("-p"), QStringLiteral("-i")};
}

QString CheminTeleverseur() {
    return Plateforme::CheminLocal(kTeleverseur);
}

QString ArgumentTeleverseur(const Reglages& reglages) {
    // The whole port, not its first character: port 12 is "Com=12".
    return QStringLiteral("Com=") + reglages.PortCarte.section(QLatin1Char(':'), 0, 0).trimmed();
}

QString LigneDeCommande(const QString& programme, const QStringList& arguments) {
    QStringList mots;
    for (const QString& m : QStringList{programme} + arguments)
        mots << (m.contains(QLatin1Char(' ')) || m.isEmpty()
                     ? QLatin1Char('"') + m + QLatin1Char('"')
                     : m);
    return mots.join(QLatin1Char(' '));
}

void BtProgrammateurSETUP_Click(Poste& poste) {
    LanceIcprog(poste, {});
}

void ProgrammeCarteIcprog(Poste& poste) {
    LanceIcprog(poste, ArgumentsProgrammation(poste.reglages));
}

void BtUploader_Click(Poste& poste) {
    // The tool opens the card port itself; a workflow leaves it closed, but a
    // port still held here would make the upload fail.
    FermePortcarte(poste);
    const QString programme = CheminTeleverseur();
    QString raison;
    // Run from its own folder, whatever the station's current folder is.
    switch (Lance(programme, {ArgumentTeleverseur(poste.reglages)},
                  QFileInfo(programme).absolutePath(), Plateforme::ModeFenetre::Normale, &raison)) {
    case Lancement::Lance:
        break;
    case Lancement::Absent:
        poste.operateur().Boite(Msg[100] + QLatin1Char(' ') + programme);
        break;
    case Lancement::Echec:
        poste.operateur().Boite(
            QStringLiteral("Erreur n° %1 %2").arg(kErreurAccesFichier).arg(raison));
        break;
    }
}
