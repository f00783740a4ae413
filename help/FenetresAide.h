#pragma once
// Opening the four help windows from their buttons and menu entries. Each is
// modeless and single: opening one that is already open brings that same
// window forward, its text untouched. A closed window is unloaded, so the next
// opening builds its text again from the message table as it is then.
#include <QString>
#include <QWidget>
#include <functional>

class F2Acceuil;
class F3aideTestRail;
class F4aideAttributionMeuble;
class F5aideTestPlateau;

enum class FenetreAide { Programmation, TestRails, TestPlateau, AttributionMeuble };

// BtAideProgrammation, mnuAffAideProgrammation.
F2Acceuil* AfficheF2Acceuil(QWidget* parent);
// BtAideTestRails, mnuAffAideTestRails.
F3aideTestRail* AfficheF3aideTestRail(QWidget* parent);
// BtAideTestPlateau.
F5aideTestPlateau* AfficheF5aideTestPlateau(QWidget* parent);
// BtAideAttribMeuble.
F4aideAttributionMeuble* AfficheF4aideAttributionMeuble(QWidget* parent);

QWidget* OuvreAide(FenetreAide quelle, QWidget* parent);

// The open window of that kind, or nullptr.
QWidget* AideOuverte(FenetreAide quelle);

// Translates the controls of a help window when it loads (the window's
// objectName is its name in the translation store): TraduitFeuille, unless
// another translation is set here.
void DefinitTraductionAide(std::function<void(QWidget* fenetre)> traduction);
void TraduitFenetreAide(QWidget* fenetre);
