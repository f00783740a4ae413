#include "Meuble.h"

#include "Windows1252.h"

#include <climits>
#include <cmath>

bool NomMeubleValide(const QString& nom) {
    if (nom.size() != 1)
        return false;
    const QChar c = nom.at(0);
    return (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
           (c >= QLatin1Char('1') && c <= QLatin1Char('9'));
}

std::optional<int> ValeurNumeroPlateau(const QString& reponse) {
    const QString t = reponse.trimmed();
    qsizetype i = 0;
    double signe = 1;
    if (i < t.size() && (t.at(i) == QLatin1Char('+') || t.at(i) == QLatin1Char('-'))) {
        if (t.at(i) == QLatin1Char('-'))
            signe = -1;
        ++i;
    }
    double valeur = 0;
    for (; i < t.size() && t.at(i).isDigit() && t.at(i).unicode() < 128; ++i)
        valeur = valeur * 10 + (t.at(i).unicode() - '0');
    if (i < t.size() && t.at(i) == QLatin1Char('.')) {
        double poids = 0.1;
        for (++i; i < t.size() && t.at(i).isDigit() && t.at(i).unicode() < 128; ++i) {
            valeur += poids * (t.at(i).unicode() - '0');
            poids /= 10;
        }
    }
    // nearbyint rounds in the default mode: to nearest, halves to even.
    const double arrondi = std::nearbyint(signe * valeur);
    if (!std::isfinite(arrondi) || arrondi > INT_MAX || arrondi < INT_MIN)
        return std::nullopt;
    return static_cast<int>(arrondi);
}

int HauteurListeTwips(int premier, int dernier) {
    const long long twips = (static_cast<long long>(dernier) - premier + 2) * kTwipsParLigne;
    return static_cast<int>(std::min<long long>(twips, 5325));
}

QString LigneNouveauPlateau(const QString& nomMeuble, int numero) {
    return nomMeuble + QLatin1Char('-') + QStringLiteral("%1").arg(numero, 2, 10, QLatin1Char('0'));
}

int NumeroPlateau(const QString& ligne) {
    return ligne.mid(2, 2).toInt();
}

QString SNligne(const QString& ligne) {
    return ligne.mid(9, 4);
}

QString LigneAvecSN(const QString& ligne, const QString& sn) {
    return ligne.left(4) + QStringLiteral("  SN=") + sn;
}

QString LigneAvecEtat(const QString& ligne, const QString& etat) {
    return ligne.left(13) + QStringLiteral("  ") + etat;
}

QByteArray AdressePlateau(const QString& ligne) {
    return VersWindows1252(ligne.left(1)) + static_cast<char>(48 + NumeroPlateau(ligne));
}

QString SNdeSaisie(const QString& reponse) {
    if (reponse.size() == 4)
        return reponse;
    if (reponse.size() == 15 && reponse.at(2) == QLatin1Char('-') &&
        reponse.at(7) == QLatin1Char('-') && reponse.at(12) == QLatin1Char('-'))
        return reponse.mid(3, 4);
    return {};
}

bool EstReponseErreur(const QString& reponse) {
    return reponse.startsWith(QLatin1String("Err"));
}

std::optional<ReponsePresence> LitReponsePresence(const QString& reponse) {
    const qsizetype ouvrant = reponse.indexOf(QLatin1Char('['));
    if (EstReponseErreur(reponse) || ouvrant < 0 || reponse.size() < ouvrant + 3)
        return std::nullopt;
    const int numero = static_cast<int>(reponse.at(ouvrant + 2).unicode()) - 48;
    return ReponsePresence{reponse.left(ouvrant),
                           reponse.at(ouvrant + 1) + QLatin1Char('-') + QString::number(numero)};
}

std::optional<ReponseIdentite> LitReponseIdentite(const QString& reponse) {
    const qsizetype ouvrant = reponse.indexOf(QLatin1Char('['));
    if (EstReponseErreur(reponse) || ouvrant < 0 || reponse.size() < ouvrant + 5)
        return std::nullopt;
    return ReponseIdentite{reponse.left(ouvrant), reponse.mid(ouvrant + 1, 4)};
}

namespace {

// Spaces, the text padded and cut to its field, spaces.
QString Cellule(int avant, const QString& texte, int largeur, int apres) {
    return QString(avant, QLatin1Char(' ')) + texte.leftJustified(largeur, QLatin1Char(' '), true) +
           QString(apres, QLatin1Char(' '));
}

QString Rangee(const QStringList& cellules) {
    return QLatin1Char('*') + cellules.join(QLatin1Char('*')) + QLatin1Char('*');
}

} // namespace

QStringList TableauCartes(const QList<RangeeCarte>& rangees, int largeurMsg) {
    const QString entete = Rangee(
        {Cellule(1, QStringLiteral("Plateau"), 7, 1), Cellule(1, QStringLiteral("SNcarte"), 7, 1),
         Cellule(4, QStringLiteral("SNsaisie"), 8, 5), Cellule(5, QStringLiteral("FW"), 2, 5),
         Cellule(1, QStringLiteral("ancien"), 6, 1), Cellule(1, QStringLiteral("msg"), 3, 20)});
    const QString etoiles(entete.size(), QLatin1Char('*'));
    QStringList lignes{etoiles, entete, etoiles};
    for (const RangeeCarte& r : rangees) {
        // A card that did not answer, or whose reply cannot be cut, shows
        // only its reply.
        const ReponseIdentite id = LitReponseIdentite(r.reponse).value_or(ReponseIdentite{});
        lignes << Rangee({Cellule(2, r.plateau, 4, 3), Cellule(2, id.sn, 6, 1),
                          Cellule(1, r.snSaisie, 15, 1), Cellule(1, id.version, 10, 1),
                          Cellule(2, r.ancienNom, 5, 1), Cellule(1, r.reponse, largeurMsg, 1)});
    }
    lignes << etoiles;
    return lignes;
}
