#pragma once
// A modeless window opened once: shown again where it was, restored when
// minimized, brought in front of the others.
#include <QWidget>

inline void AuPremierPlan(QWidget& fenetre) {
    if (fenetre.isMinimized())
        fenetre.showNormal();
    else
        fenetre.show();
    fenetre.raise();
    fenetre.activateWindow();
}
