#pragma once
// The station context of the program: what the workflows show through Poste
// lands in the main window's widgets.
#include "Poste.h"

class F1posteProgrammation;

class PosteF1 : public Poste {
    Q_OBJECT
public:
    PosteF1(F1posteProgrammation& fenetre, Operateur& operateur);

    void AfficheInfo(const QString& texte) override;
    void CouleurInfo(const QColor& fond) override;
    void AfficheDernierSN(const QString& texte) override;
    void MontreBtCancel(bool visible) override;
    void LegendeBtCancel(const QString& legende) override;
    void CouleurBtCancel(const QColor& couleur) override;
    bool Message(const QString& texte, int dureeMs = 0, const QString& image = {}) override;
    void Refus() override;

private:
    F1posteProgrammation& fenetre_;
};
