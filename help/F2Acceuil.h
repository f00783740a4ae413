#pragma once
#include "FenetreAideBase.h"

// "Aide Programmer": programming a blank card and giving it its SN, with a
// picture of the bench. Its lines are messages 116 to 133.
class F2Acceuil : public FenetreAideBase {
    Q_OBJECT
public:
    explicit F2Acceuil(QWidget* parent = nullptr);
    static QString Texte();
};
