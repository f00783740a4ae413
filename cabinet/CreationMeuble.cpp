#include "CreationMeuble.h"

#include <climits>

void CreeNouveauMeuble(Poste& poste, Meuble& meuble, VueMeuble& vue) {
    Operateur& op = poste.operateur();
    vue.Etat(QStringLiteral("CREATION d'un MEUBLE"));
    vue.videListe();
    if (vue.NomPharma().isEmpty()) {
        op.Boite(QStringLiteral("Le nom de la pharmacie est obligatoire"));
        vue.FocusNomPharma();
        return;
    }

    meuble.NomMeuble = op.Saisie(QStringLiteral("Nom du meuble à CREER (A à Z ou 1 à 9)"),
                                 QStringLiteral("CREATION D'UN MEUBLE"))
                           .toUpper();
    if (meuble.NomMeuble.isEmpty())
        return;
    meuble.NomMeuble = meuble.NomMeuble.left(1);
    if (!NomMeubleValide(meuble.NomMeuble)) {
        op.Boite(QStringLiteral("Le nom du meuble n'est pas correct ") + meuble.NomMeuble, {},
                 Icone::Critique);
        return;
    }

    const QString titre =
        QStringLiteral("CREATION du MEUBLE '") + meuble.NomMeuble + QLatin1Char('\'');
    QString reponse = op.Saisie(QStringLiteral("N° du PREMIER plateau de ce meuble ") +
                                    meuble.NomMeuble + QStringLiteral("  (1 à 55)"),
                                titre);
    if (reponse.isEmpty())
        return;
    // A number too large for the record is out of range like any other.
    meuble.PremierPlateau = ValeurNumeroPlateau(reponse).value_or(INT_MAX);
    if (meuble.PremierPlateau < 1 || meuble.PremierPlateau > Meuble::kPlateauMax) {
        op.Boite(QStringLiteral("Le premier plateau doit etre compris entre 1 et 55"), {},
                 Icone::Critique);
        return;
    }

    reponse = op.Saisie(QStringLiteral("N° du DERNIER plateau de ce meuble ") + meuble.NomMeuble +
                            QStringLiteral("   (") + QString::number(meuble.PremierPlateau) +
                            QStringLiteral(" à 55)"),
                        titre);
    if (reponse.isEmpty())
        return;
    meuble.DernierPlateau = ValeurNumeroPlateau(reponse).value_or(INT_MAX);
    if (meuble.DernierPlateau < meuble.PremierPlateau ||
        meuble.DernierPlateau > Meuble::kPlateauMax) {
        op.Boite(QStringLiteral("Le dernier plateau doit etre compris entre ") +
                     QString::number(meuble.PremierPlateau) + QStringLiteral(" et 55"),
                 {}, Icone::Critique);
        return;
    }

    vue.videListe();
    // A new cabinet: what was typed and read for the previous one must not
    // reach this one's sheet.
    meuble.SNsaisie.fill(QString());
    meuble.AncienNom.fill(QString());
    for (int n = meuble.PremierPlateau; n <= meuble.DernierPlateau; ++n)
        vue.ajouteLigne(LigneNouveauPlateau(meuble.NomMeuble, n));
    vue.montreListe(HauteurListeTwips(meuble.PremierPlateau, meuble.DernierPlateau));

    vue.Etat(QStringLiteral("SAISIE SN en cours"));
    const int nombre = vue.nombreLignes();
    vue.DebutProgression(nombre);
    int indice = 0;
    for (;;) {
        vue.selectionne(indice);
        const ResultatSaisieSN r = SaisieSNplateau(poste, meuble, vue);
        if (r == ResultatSaisieSN::Abandon)
            break;
        if (r == ResultatSaisieSN::Accepte)
            ++indice;
        vue.Progression(indice);
        if (indice >= nombre) {
            vue.Etat(QStringLiteral("fin de saisie SN"));
            vue.CacheProgression();
            return;
        }
    }
    vue.Etat(QStringLiteral("Abandon saisie SN"));
    vue.Progression(0);
    vue.CacheProgression();
}

ResultatSaisieSN SaisieSNplateau(Poste& poste, Meuble& meuble, VueMeuble& vue) {
    Operateur& op = poste.operateur();
    const int choisie = vue.selection();
    const QStringList lignes = vue.lignes();
    if (choisie < 0 || choisie >= lignes.size())
        return ResultatSaisieSN::Abandon;
    const QString ligne = lignes.at(choisie);

    const QString reponse =
        op.Saisie(QStringLiteral("N° de serie de la carte ") + ligne +
                  QStringLiteral("\r\rtaper ce SN au clavier OU lire le code bare de la carte"));
    if (reponse.isEmpty())
        return ResultatSaisieSN::Abandon;

    const QString sn = SNdeSaisie(reponse);
    if (sn.size() != 4) {
        op.Boite(QStringLiteral("Le SN doit contenir 4 caracteres"), {}, Icone::Information);
        return ResultatSaisieSN::Redemander;
    }
    for (const QString& autre : lignes) {
        if (SNligne(autre) == sn) {
            op.Boite(QStringLiteral("ce SN ") + sn +
                         QStringLiteral(" a deja ete saisie sur le plateau ") + autre,
                     {}, Icone::Information);
            return ResultatSaisieSN::Redemander;
        }
    }

    const QString nouvelle = LigneAvecSN(ligne, sn);
    vue.changeLigne(choisie, nouvelle);
    const int numero = NumeroPlateau(nouvelle);
    if (numero >= 0 && numero <= Meuble::kPlateauMax)
        meuble.SNsaisie[static_cast<size_t>(numero)] = reponse;
    return ResultatSaisieSN::Accepte;
}

void SaisieUnSN(Poste& poste, Meuble& meuble, VueMeuble& vue) {
    if (vue.selection() < 0)
        return;
    vue.Etat(QStringLiteral("SAISIE d'un SN"));
    SaisieSNplateau(poste, meuble, vue);
    vue.Etat(QString());
}
