#pragma once
// An operator for tests: answers every modal exchange from a queue and
// records everything it was shown. An exchange nobody scripted is recorded in
// `inattendus` and answered with an empty text / No.
#include "Operateur.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

class OperateurScripte : public Operateur {
public:
    enum class Genre { Boite, OuiNon, Saisie, MotDePasse };
    struct Echange {
        Genre genre;
        QString texte; // box text, question, prompt or heading
        QString titre;
        Icone icone = Icone::Aucune;
        QString defaut;            // input box default
        bool nonParDefaut = false; // yes/no box
    };

    // Queue the next answers: a bool for a yes/no box, a text for an input box
    // or the password dialog. A message box takes no answer.
    void repondOui() { reponses_ << QVariant(true); }
    void repondNon() { reponses_ << QVariant(false); }
    void repond(const QString& texte) { reponses_ << QVariant(texte); }

    QList<Echange> echanges; // in order
    QStringList inattendus;  // exchanges that found no scripted answer
    int reponsesRestantes() const { return static_cast<int>(reponses_.size()); }

    // Texts of the message boxes shown, in order.
    QStringList boites() const;
    // The last exchange of any kind.
    const Echange& dernier() const { return echanges.last(); }

    void Boite(const QString& texte, const QString& titre, Icone icone) override;
    bool OuiNon(const QString& texte, const QString& titre, Icone icone,
                bool nonParDefaut) override;
    QString Saisie(const QString& invite, const QString& titre, const QString& defaut) override;
    QString MotDePasse(const QString& titre, const QString& entete) override;

    // Called when a message box is shown, before it returns; lets a test act
    // "while the box is up" (for example stop a simulated card).
    std::function<void(const Echange&)> pendantBoite;

private:
    QVariant prochaine(const Echange& e, QMetaType::Type attendu);
    QList<QVariant> reponses_;
};
