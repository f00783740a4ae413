#pragma once
// The real operator: every modal exchange as a Qt dialog.
#include "Operateur.h"

#include <QPointer>
#include <QWidget>

class OperateurQt : public Operateur {
public:
    explicit OperateurQt(QWidget* parent = nullptr);

    void Boite(const QString& texte, const QString& titre = {},
               Icone icone = Icone::Aucune) override;
    bool OuiNon(const QString& texte, const QString& titre = {}, Icone icone = Icone::Question,
                bool nonParDefaut = false) override;
    QString Saisie(const QString& invite, const QString& titre = {},
                   const QString& defaut = {}) override;
    QString MotDePasse(const QString& titre, const QString& entete) override;
    void BoiteRapport(const QString& rapport, const QString& texte = {}, const QString& titre = {},
                      Icone icone = Icone::Aucune) override;
    bool OuiNonRapport(const QString& rapport, const QString& question, const QString& titre = {},
                       Icone icone = Icone::Question, bool nonParDefaut = false) override;

private:
    QPointer<QWidget> parent_;
};

// Keeps a dialog above the picture message window while it is open.
void DevantLeMessage(QWidget& boite);

// Texts of the station break lines with CR (or CR LF); Qt widgets want LF.
QString TexteAffichable(const QString& texte);

// A button or menu caption shown letter for letter: Qt would take its "&"
// for an accelerator marker, hide it and bind a key to it.
QString LegendeLitterale(const QString& texte);
