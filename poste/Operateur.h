#pragma once
// Every modal exchange with the operator goes through this interface, so that
// workflows can be run by a scripted operator in tests.
#include <QString>

enum class Icone { Aucune, Information, Exclamation, Critique, Question };

class Operateur {
public:
    virtual ~Operateur();

    // Message box with an OK button. An empty title shows the program's name.
    virtual void Boite(const QString& texte, const QString& titre = {},
                       Icone icone = Icone::Aucune) = 0;

    // Yes/No box; true for Yes. nonParDefaut makes No the default button.
    virtual bool OuiNon(const QString& texte, const QString& titre = {},
                        Icone icone = Icone::Question, bool nonParDefaut = false) = 0;

    // Input box; Cancel returns the empty text, as an empty answer does.
    virtual QString Saisie(const QString& invite, const QString& titre = {},
                           const QString& defaut = {}) = 0;

    // Password dialog; returns the text as typed, empty when abandoned.
    virtual QString MotDePasse(const QString& titre, const QString& entete) = 0;

    // The boxes above when they carry a report of any length: `rapport`, then
    // `texte` (the question of a Yes/No box). Shown as the one text rapport +
    // texte; a window box keeps a report taller than the screen scrolling
    // inside it, with the text, the title and the buttons in view.
    virtual void BoiteRapport(const QString& rapport, const QString& texte = {},
                              const QString& titre = {}, Icone icone = Icone::Aucune);
    virtual bool OuiNonRapport(const QString& rapport, const QString& question,
                               const QString& titre = {}, Icone icone = Icone::Question,
                               bool nonParDefaut = false);
};
