#pragma once
#include "FenetreAideBase.h"

// "Aide TEST RAILS": the rail bench test. Its lines are messages 134 and 136 to
// 159.
class F3aideTestRail : public FenetreAideBase {
    Q_OBJECT
public:
    explicit F3aideTestRail(QWidget* parent = nullptr);
    static QString Texte();
};
