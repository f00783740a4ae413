#pragma once
#include "FenetreAideBase.h"

// "Aide Attribution meuble": assigning the cards of a complete cabinet, in
// fixed French lines.
class F4aideAttributionMeuble : public FenetreAideBase {
    Q_OBJECT
public:
    explicit F4aideAttributionMeuble(QWidget* parent = nullptr);
    static QString Texte();
};
