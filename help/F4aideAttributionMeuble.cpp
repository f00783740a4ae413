#include "F4aideAttributionMeuble.h"

#include <QStringList>

F4aideAttributionMeuble::F4aideAttributionMeuble(QWidget* parent)
    : FenetreAideBase(QStringLiteral("F4aideAttributionMeuble"),
                      QStringLiteral("Aide Attribution meuble"), QStringLiteral("BtOK"),
                      QStringLiteral("OK"), Texte(), false, parent) {
    // The text is the label's own caption here, so a translation of the label
    // replaces it.
    Traduit();
    MetTexte(inf()->text());
}

QString F4aideAttributionMeuble::Texte() {
    static const QStringList lignes = {
        QStringLiteral("ATTRIBUTION des cartes plateaux à un MEUBLE COMPLET"),
        QString(),
        QStringLiteral("Empiler tous les plateaux, les connecter ensemble, allumer l'alimentation"),
        QStringLiteral("- puis commencer par cliquer sur le bouton 'Attribution Meuble'"),
        QStringLiteral("- Saisir le nom de la pharmacie (obligatoire)"),
        QStringLiteral("- Saisir l'adresse de cette pharmacie"),
        QStringLiteral("- cliquer sur le bouton 'Creer un nouveau meuble'"),
        QStringLiteral("     saisir le NOM de ce meuble à creer"),
        QStringLiteral("     saisir le n° du PREMIER plateau de ce meuble"),
        QStringLiteral("     saisie le n° du DERNIER plateau à creer pour ce meuble"),
        QStringLiteral("     saisir tous le n° de serie (SN) de chaque carte plateau (scanner le "
                       "code barre)"),
        QStringLiteral(
            "        (scanner le CB de la carte ou plateau  OU BIEN saisir au clavier le "
            "SN de la carte)"),
        QStringLiteral("- cliquer sur le bouton 'Attribuer les cartes'"),
        QStringLiteral("     verification du SN"),
        QStringLiteral("     verification de la presence des cartes"),
        QStringLiteral("     renomme toutes les cartes"),
        QStringLiteral("     verifie l'attribution du nom des cartes"),
        QStringLiteral("- cliquer sur le bouton 'edition de la feuille de meuble' pour imprimer "
                       "l'etat de ce meuble"),
        QStringLiteral("    (le faire 2 fois pour en coller une le meuble et une autre pour "
                       "archive)"),
        QString(),
        QStringLiteral("Pour creer le meuble suivant, remonter à cliquer sur 'Creer un nouveau "
                       "meuble'"),
    };
    QString t;
    for (const QString& l : lignes)
        t += l + QLatin1Char('\n');
    return t;
}
