#include "FenetresAide.h"

#include "AuPremierPlan.h"
#include "F2Acceuil.h"
#include "F3aideTestRail.h"
#include "F4aideAttributionMeuble.h"
#include "F5aideTestPlateau.h"
#include "TraduitFeuille.h"

#include <QPointer>

namespace {

std::function<void(QWidget*)>& Traduction() {
    static std::function<void(QWidget*)> t;
    return t;
}

template <class Fenetre> QPointer<Fenetre>& Ouverte() {
    static QPointer<Fenetre> f;
    return f;
}

template <class Fenetre> Fenetre* Affiche(QWidget* parent) {
    QPointer<Fenetre>& f = Ouverte<Fenetre>();
    if (!f)
        f = new Fenetre(parent);
    AuPremierPlan(*f);
    return f;
}

} // namespace

F2Acceuil* AfficheF2Acceuil(QWidget* parent) {
    return Affiche<F2Acceuil>(parent);
}
F3aideTestRail* AfficheF3aideTestRail(QWidget* parent) {
    return Affiche<F3aideTestRail>(parent);
}
F5aideTestPlateau* AfficheF5aideTestPlateau(QWidget* parent) {
    return Affiche<F5aideTestPlateau>(parent);
}
F4aideAttributionMeuble* AfficheF4aideAttributionMeuble(QWidget* parent) {
    return Affiche<F4aideAttributionMeuble>(parent);
}

QWidget* OuvreAide(FenetreAide quelle, QWidget* parent) {
    switch (quelle) {
    case FenetreAide::Programmation:
        return AfficheF2Acceuil(parent);
    case FenetreAide::TestRails:
        return AfficheF3aideTestRail(parent);
    case FenetreAide::TestPlateau:
        return AfficheF5aideTestPlateau(parent);
    case FenetreAide::AttributionMeuble:
        return AfficheF4aideAttributionMeuble(parent);
    }
    return nullptr;
}

QWidget* AideOuverte(FenetreAide quelle) {
    switch (quelle) {
    case FenetreAide::Programmation:
        return Ouverte<F2Acceuil>();
    case FenetreAide::TestRails:
        return Ouverte<F3aideTestRail>();
    case FenetreAide::TestPlateau:
        return Ouverte<F5aideTestPlateau>();
    case FenetreAide::AttributionMeuble:
        return Ouverte<F4aideAttributionMeuble>();
    }
    return nullptr;
}

void DefinitTraductionAide(std::function<void(QWidget*)> traduction) {
    Traduction() = std::move(traduction);
}

void TraduitFenetreAide(QWidget* fenetre) {
    if (Traduction())
        Traduction()(fenetre);
    else
        TraduitFeuille(fenetre, fenetre->objectName());
}
