#include "RenommeCarte.h"

#include "FichierTrace.h"
#include "IdentiteCarte.h"
#include "LiaisonCarte.h"
#include "ModuleTraductions.h"
#include "PassageJournal.h"

namespace {

QString Texte(const QByteArray& reponse) {
    return QString::fromLatin1(reponse);
}

} // namespace

QString RenommeCarte(Poste& poste, const QString& ancienNom, const QString& nouveauNom) {
    poste.ArretDemande = false;
    // "##" reaches whichever card is connected, when its name is not known.
    const QByteArray ancienne =
        ancienNom.startsWith(QLatin1String("##")) ? QByteArray("##") : AdresseNomCarte(ancienNom);
    const QByteArray nouvelle = AdresseNomCarte(nouveauNom);

    PortCarteOuvert port(poste);
    QByteArray reponse = EnvoiEtReponseMorvane2(poste, "V" + ancienne, 500);
    if (EstErreur(reponse))
        return Msg[59] + QLatin1Char(' ') + ancienNom + QLatin1Char('\r') + Texte(reponse);

    const NomStocke stocke = LitNomCarte(poste, ancienne);
    if (!stocke.erreur.isEmpty())
        return Msg[60] + QLatin1Char(' ') + ancienNom + QLatin1Char('\r') + Texte(stocke.erreur);
    const QString& nomLu = stocke.nom;

    reponse = EnvoiEtReponseMorvane2(poste, "Y" + ancienne + nouvelle, 500);
    if (EstErreur(reponse))
        return Msg[61] + QLatin1Char(' ') + ancienNom + QLatin1Char('\r') + Texte(reponse);

    reponse = EnvoiEtReponseMorvane2(poste, "V" + nouvelle, 500);
    if (EstErreur(reponse))
        return Msg[62] + QLatin1Char('\r') + Texte(reponse);

    QString rapport = Msg[63] + QStringLiteral(" : ") + ancienNom + QStringLiteral(" --> ") +
                      nouveauNom + QLatin1Char('\r') + Texte(reponse);
    if (!nomLu.isEmpty())
        rapport += QLatin1Char('\r') + Msg[64] + QStringLiteral(" : ") + nomLu;
    return rapport;
}

void BTrenomCarte_Click(Poste& poste) {
    const QString ancienNom = poste.operateur().Saisie(Msg[54] + QLatin1Char('\r') + Msg[55] +
                                                           QLatin1Char('\r') + Msg[56],
                                                       Msg[57], poste.reglages.NomCarteFuture);
    if (ancienNom.size() < 2)
        return;
    const QString nouveauNom =
        poste.operateur().Saisie(Msg[58], Msg[57] + QLatin1Char(' ') + ancienNom, QString());
    if (nouveauNom.size() < 2)
        return;
    PassageJournal journal(poste, QStringLiteral("RenommeCarte"));
    const QString rapport = RenommeCarte(poste, ancienNom, nouveauNom);
    if (rapport.startsWith(Msg[63])) {
        journal.carte({}, nouveauNom);
        journal.resultat(rapport);
        journal.fin();
    } else {
        journal.carte({}, ancienNom);
        journal.echec(rapport, QStringLiteral("renommage"));
    }
    poste.operateur().Boite(rapport);
}
