#include "F5aideTestPlateau.h"

#include "ModuleTraductions.h"

F5aideTestPlateau::F5aideTestPlateau(QWidget* parent)
    : FenetreAideBase(QStringLiteral("F5aideTestPlateau"), QStringLiteral("Aide Test Plateau"),
                      QStringLiteral("BtQuitter"), QStringLiteral("Quitter"), {}, false, parent) {
    Traduit();
    MetTexte(Texte());
}

QString F5aideTestPlateau::Texte() {
    QString t = Msg[160] + QStringLiteral("\n\n");
    for (int n = 161; n <= 178; ++n)
        t += Msg[n] + QLatin1Char('\n');
    return t;
}
