#include "F2Acceuil.h"

#include "ModuleTraductions.h"

F2Acceuil::F2Acceuil(QWidget* parent)
    : FenetreAideBase(QStringLiteral("F2Acceuil"), QStringLiteral("Aide Programmer"),
                      QStringLiteral("BtOK"), QStringLiteral("OK"), {}, true, parent) {
    Traduit();
    MetTexte(Texte());
}

QString F2Acceuil::Texte() {
    QString t = Msg[116] + QStringLiteral("\n\n");
    for (int n = 117; n <= 133; ++n)
        t += Msg[n] + QLatin1Char('\n');
    return t;
}
