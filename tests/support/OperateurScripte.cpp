#include "OperateurScripte.h"

#include <QLoggingCategory>

// Off for the benchmarks: QT_LOGGING_RULES="calvanet.boites.debug=false".
namespace {
Q_LOGGING_CATEGORY(lcBoites, "calvanet.boites")
}

QStringList OperateurScripte::boites() const {
    QStringList textes;
    for (const auto& e : echanges)
        if (e.genre == Genre::Boite)
            textes << e.texte;
    return textes;
}

QVariant OperateurScripte::prochaine(const Echange& e, QMetaType::Type attendu) {
    if (reponses_.isEmpty() || reponses_.first().typeId() != attendu) {
        inattendus << e.titre + QStringLiteral(" | ") + e.texte;
        return {};
    }
    return reponses_.takeFirst();
}

void OperateurScripte::Boite(const QString& texte, const QString& titre, Icone icone) {
    // In the test log, so that a run that failed far away says why.
    qCDebug(lcBoites, "boite: %s", qPrintable(texte));
    echanges << Echange{Genre::Boite, texte, titre, icone, {}, false};
    if (pendantBoite)
        pendantBoite(echanges.last());
}

bool OperateurScripte::OuiNon(const QString& texte, const QString& titre, Icone icone,
                              bool nonParDefaut) {
    echanges << Echange{Genre::OuiNon, texte, titre, icone, {}, nonParDefaut};
    return prochaine(echanges.last(), QMetaType::Bool).toBool();
}

QString OperateurScripte::Saisie(const QString& invite, const QString& titre,
                                 const QString& defaut) {
    echanges << Echange{Genre::Saisie, invite, titre, Icone::Aucune, defaut, false};
    return prochaine(echanges.last(), QMetaType::QString).toString();
}

QString OperateurScripte::MotDePasse(const QString& titre, const QString& entete) {
    echanges << Echange{Genre::MotDePasse, entete, titre, Icone::Aucune, {}, false};
    return prochaine(echanges.last(), QMetaType::QString).toString();
}
