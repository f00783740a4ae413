#include "BaseVolumineuse.h"

#include "BaseTraductions.h"
#include "ModuleTraductions.h"

#include <QFile>

bool CreeBaseVolumineuse(const QString& chemin, int nombre, QString* erreur) {
    QFile::remove(chemin);
    ErreurBase e;
    if (!BaseTraductions::Cree(chemin, &e)) {
        *erreur = e.description;
        return false;
    }
    BaseTraductions b(chemin);
    bool ok = b.Ouvre() == BaseTraductions::Ouverture::Ouverte && b.Commence();
    int ecrits = 0;
    for (const MessageDefaut& m : MessagesDefaut()) {
        if (!ok || ecrits >= nombre)
            break;
        EnregistrementTraduction r;
        r.Tformulaire = BaseTraductions::kModuleMsg;
        r.Ttype = QStringLiteral("msg%1").arg(m.numero, 5, 10, QLatin1Char('0'));
        r.Tname = m.nom;
        r.tdefcaption = m.texte;
        r.Tcaption = QStringLiteral("EN ") + m.texte;
        r.tFlagpassage = true;
        ok = b.Ajoute(r);
        ++ecrits;
    }
    for (int i = 0; ok && ecrits < nombre; ++i, ++ecrits) {
        EnregistrementTraduction r;
        r.Tformulaire = QStringLiteral("FenetreAutre%1").arg(i / 50);
        r.Ttype = QStringLiteral("CommandButton");
        r.Tname = QStringLiteral("BtControle%1").arg(i % 50);
        r.Tcaption = QStringLiteral("Button %1").arg(i);
        r.tdefcaption = QStringLiteral("Bouton %1").arg(i);
        r.Ttooltiptext = QStringLiteral("Tooltip %1").arg(i);
        ok = b.Ajoute(r);
    }
    if (!(ok && b.Valide())) {
        *erreur = b.erreur().description;
        return false;
    }
    return true;
}
