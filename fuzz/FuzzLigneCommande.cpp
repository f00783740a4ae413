// The command line: the option lookup (plain, path, port), the printer target
// of portImp and the translation store of ft, on any text a shortcut may hold.
#include "Fuzz.h"
#include "LigneCommande.h"

#include <QList>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille) {
    // Command line, then the key looked up after the last NUL (the station's
    // own keys when there is none).
    const QString tout =
        QString::fromUtf8(reinterpret_cast<const char*>(donnees), static_cast<qsizetype>(taille));
    const qsizetype nul = tout.lastIndexOf(QChar(0));
    const QString ligne = nul < 0 ? tout : tout.left(nul);
    QStringList cles{QStringLiteral("com"),   QStringLiteral("portImp"), QStringLiteral("pp"),
                     QStringLiteral("fp"),    QStringLiteral("ft"),      QStringLiteral("portSrv"),
                     QStringLiteral("langue")};
    if (nul >= 0)
        cles << tout.mid(nul + 1);

    for (const QString& cle : cles) {
        const QString valeur = RechParamLigneCde(ligne, cle, QStringLiteral(" defaut "));
        VERIFIE(valeur == valeur.trimmed());
        const QString chemin = RechParamLigneCdeChemin(ligne, cle, QString());
        const QString port = RechParamLigneCdePort(ligne, cle, QString());
        // A value ends at the first space.
        for (const QString& v : {chemin, port})
            for (const QChar c : v)
                VERIFIE(!c.isSpace());
        const CibleImprimante cible = AnalysePortImp(port);
        if (!cible.adresse.isEmpty() || !cible.portTcp.isEmpty())
            VERIFIE(cible.portImp.startsWith(QLatin1String("TCP")));
        const BaseTraduction base = AnalyseFt(chemin, QStringLiteral("/opt/calvanet"));
        VERIFIE(chemin.isEmpty() || !base.fichier.isEmpty() || chemin.endsWith(QLatin1Char('/')) ||
                chemin.endsWith(QLatin1Char('\\')));
    }
    VERIFIE(!LigneCommande({QStringLiteral("calvanet"), ligne}).endsWith(QLatin1Char(' ')));
    return 0;
}
