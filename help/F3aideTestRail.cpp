#include "F3aideTestRail.h"

#include "ModuleTraductions.h"

F3aideTestRail::F3aideTestRail(QWidget* parent)
    : FenetreAideBase(QStringLiteral("F3aideTestRail"), QStringLiteral("Aide TEST RAILS"),
                      QStringLiteral("BtOk"), QStringLiteral("OK"), {}, false, parent) {
    Traduit();
    MetTexte(Texte());
}

QString F3aideTestRail::Texte() {
    // Message 135 is not part of this help.
    QString t = Msg[134] + QStringLiteral(" (de A1 à A50)\n");
    for (int n = 136; n <= 159; ++n)
        t += Msg[n] + QLatin1Char('\n');
    return t;
}
