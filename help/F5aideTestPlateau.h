#pragma once
#include "FenetreAideBase.h"

// "Aide Test Plateau": the single tray test. Its lines are messages 160 to 178.
class F5aideTestPlateau : public FenetreAideBase {
    Q_OBJECT
public:
    explicit F5aideTestPlateau(QWidget* parent = nullptr);
    static QString Texte();
};
