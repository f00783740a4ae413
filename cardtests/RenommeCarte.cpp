#include "RenommeCarte.h"

#include "FichierTrace.h"
#include "LiaisonCarte.h"
#include "ModuleTraductions.h"
#include "TestsElementaires.h"

#include <cmath>

namespace {

// A name cell holds a character code; anything else is no name at all.
bool CodeCaractere(const QByteArray& reponse, int& code) {
    bool numerique = false;
    const double valeur = QString::fromLatin1(reponse).trimmed().toDouble(&numerique);
    if (!numerique || valeur < 0 || valeur > 255 || std::trunc(valeur) != valeur)
        return false;
    code = static_cast<int>(valeur);
    return true;
}

QString Texte(const QByteArray& reponse) {
    return QString::fromLatin1(reponse);
}

} // namespace

QByteArray AdresseNomCarte(const QString& nom) {
    QByteArray adresse = VersWindows1252(nom.left(1));
    const QChar second = nom.size() > 1 ? nom.at(1) : QChar();
    adresse += (second >= QLatin1Char('0') && second <= QLatin1Char('9'))
                   ? static_cast<char>(second.unicode())
                   : '0';
    return adresse;
}

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

    QString nomLu;
    reponse = EnvoiEtReponseMorvane2(poste, "W" + ancienne + "L01", 500);
    if (EstErreur(reponse))
        return Msg[60] + QLatin1Char(' ') + ancienNom + QLatin1Char('\r') + Texte(reponse);
    int code = 0;
    if (CodeCaractere(reponse, code)) {
        nomLu = DepuisWindows1252(QByteArray(1, static_cast<char>(code)));
        if (reponse.size() == 3) {
            reponse = EnvoiEtReponseMorvane2(poste, "W" + ancienne + "L02", 500);
            if (EstErreur(reponse))
                return Msg[60] + QLatin1Char(' ') + ancienNom + QLatin1Char('\r') + Texte(reponse);
            nomLu +=
                QLatin1Char('-') +
                QString::number(ChampDecimal(reponse, 1, static_cast<int>(reponse.size())) - 48);
        }
    }

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
    poste.operateur().Boite(RenommeCarte(poste, ancienNom, nouveauNom));
}
