#include "AttribueSNrail.h"

#include "EditeEtiquette.h"
#include "ModuleTraductions.h"
#include "Plateforme.h"
#include "SerieSN.h"
#include "TypesRail.h"

#include <QDate>
#include <QDateTime>
#include <QFileInfo>
#include <optional>

namespace {

const QString CR = QStringLiteral("\r");
const QString kTiret61(61, QLatin1Char('-'));

// The rail's identification, as on its label.
QString LigneEtiquette(const Poste& poste, const RailBanc& rail, const QString& sn) {
    const Reglages& r = poste.reglages;
    return QStringLiteral("plateau ") + rail.nom + QStringLiteral("-->   R") +
           LettreTypePlateau(rail.typeTrouve) + QStringLiteral("-") + sn + QStringLiteral("-") +
           CodeSemaine(QDate::currentDate()) + QStringLiteral("-") + r.CodeUsine + r.CodeOperateur +
           CR;
}

// Takes the forecast SN for good and traces it; nothing, after a box, when
// the series refuses (another station moved it on, a duplicate, a lock).
std::optional<QString> DonneSN(Poste& poste, SerieSN& serie, const SerieSN::Prevision& prevision,
                               const QString& type) {
    const Reglages& r = poste.reglages;
    MontreEtape(poste, Msg[95] + QStringLiteral(" = ") + prevision.sn);
    const auto sn = serie.Reserve(prevision);
    if (!sn)
        return std::nullopt;
    const QString ligne = HorodatageTrace(QDateTime::currentDateTime()) + QStringLiteral(" - ") +
                          r.CodeUsine + QStringLiteral(" ") + r.CodeOperateur +
                          QStringLiteral(" SN=") + *sn + QStringLiteral(" ") + type;
    QString erreur;
    if (!serie.AjouteLigne(ligne, erreur)) {
        // The header already holds it: the SN is lost, never given twice.
        poste.operateur().Boite(QStringLiteral("le SN ") + *sn +
                                    QStringLiteral(" n'a pas pu etre note dans ") + serie.chemin() +
                                    CR + erreur + CR + QStringLiteral("pas d'etiquette"),
                                {}, Icone::Critique);
        return std::nullopt;
    }
    MontreEtape(poste, ligne);
    return sn;
}

} // namespace

void MontreEtape(Poste& poste, const QString& texte) {
    poste.AfficheInfo(texte);
    poste.Message(texte);
}

bool AttribueSNrails(Poste& poste, QList<RailBanc>& rails, const QString& typeDemande,
                     QString& rapport) {
    const Reglages& r = poste.reglages;
    MontreEtape(poste, Msg[92]);
    QString etiquettes;
    rapport += Msg[93] + CR + kTiret61 + CR;

    SerieSN serie(poste, Plateforme::CheminDans(r.CheminProg, QStringLiteral("SNrail.txt")),
                  TextesSerieSN{Msg[8], Msg[94], Msg[10]});
    for (RailBanc& rail : rails) {
        rapport += rail.nom + QStringLiteral(" ");
        if (typeDemande != QLatin1String("R") && rail.typeTrouve != typeDemande) {
            rapport += QStringLiteral(" ") + rail.typeTrouve + CR;
            continue;
        }
        if (!TrouveTypeRail(rail.typeTrouve)) {
            rapport += Msg[96] + QStringLiteral(" ") + rail.typeTrouve + QStringLiteral(" ") +
                       rail.motif + CR;
            continue;
        }

        MontreEtape(poste, Msg[7]);
        // An empty series asks the operator for its first SN; giving up
        // there ends the whole test.
        const bool premierASaisir =
            QFileInfo::exists(serie.chemin()) && QFileInfo(serie.chemin()).size() == 0;
        const auto prevision = serie.Prevoit();
        if (!prevision && premierASaisir)
            return false;
        const auto sn =
            prevision ? DonneSN(poste, serie, *prevision, rail.typeTrouve) : std::nullopt;
        if (sn) {
            rail.sn = *sn;
            rapport += QStringLiteral(" SN=") + *sn + QStringLiteral("   ") + rail.typeTrouve + CR;
            etiquettes += LigneEtiquette(poste, rail, *sn);
            continue;
        }
        // The series refused (the box said why): no rail after this one
        // gets an SN, and the report keeps those given.
        rapport += QStringLiteral("*** pas de SN: attribution arretee ***") + CR;
        break;
    }
    rapport += kTiret61 + CR + Msg[98] + CR + etiquettes + QStringLiteral("fin Test") + CR;
    return true;
}
