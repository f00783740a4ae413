// Builds a translation base from its text source, at build time:
//   fabrique-base-traduction <source.tsv> <base>
// One record a line: Tformulaire, Ttype, Tname, Tcaption, Ttooltiptext,
// separated by tabs ("\n" in a text is a line break; "#" starts a comment).
// Message records ("ModuleMsg") take their name and French default from the
// program's own table, so the message base tool finds them as it made them.
#include "BaseTraductions.h"
#include "ModuleTraductions.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QTextStream>

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    QTextStream erreurs(stderr);
    if (arguments.size() != 3) {
        erreurs << "usage : fabrique-base-traduction <source.tsv> <base>" << Qt::endl;
        return 2;
    }
    QFile source(arguments[1]);
    if (!source.open(QIODevice::ReadOnly | QIODevice::Text)) {
        erreurs << arguments[1] << " : " << source.errorString() << Qt::endl;
        return 1;
    }
    QHash<QString, MessageDefaut> messages;
    for (const MessageDefaut& m : MessagesDefaut())
        messages.insert(QStringLiteral("msg%1").arg(m.numero, 5, 10, QLatin1Char('0')), m);

    const QString base = arguments[2];
    const QString provisoire = base + QStringLiteral(".nouvelle");
    QFile::remove(provisoire);
    ErreurBase e;
    if (!BaseTraductions::Cree(provisoire, &e)) {
        erreurs << provisoire << " : " << e.description << Qt::endl;
        return 1;
    }
    {
        BaseTraductions b(provisoire);
        bool ok = b.Ouvre() == BaseTraductions::Ouverture::Ouverte && b.Commence();
        int numero = 0;
        while (ok && !source.atEnd()) {
            const QString ligne = QString::fromUtf8(source.readLine()).chopped(1);
            ++numero;
            if (ligne.trimmed().isEmpty() || ligne.startsWith(QLatin1Char('#')))
                continue;
            QStringList champs = ligne.split(QLatin1Char('\t'));
            if (champs.size() < 4) {
                erreurs << arguments[1] << ":" << numero << " : 4 champs au moins" << Qt::endl;
                return 1;
            }
            for (QString& c : champs)
                c.replace(QStringLiteral("\\n"), QStringLiteral("\n"));
            EnregistrementTraduction r;
            r.Tformulaire = champs[0];
            r.Ttype = champs[1];
            r.Tname = champs[2];
            r.Tcaption = champs[3];
            r.Ttooltiptext = champs.value(4);
            if (r.Tformulaire == BaseTraductions::kModuleMsg) {
                if (!messages.contains(r.Ttype)) {
                    erreurs << arguments[1] << ":" << numero << " : " << r.Ttype
                            << " n'a pas de texte francais" << Qt::endl;
                    return 1;
                }
                r.Tname = messages[r.Ttype].nom;
                r.tdefcaption = messages[r.Ttype].texte;
                r.tFlagpassage = true;
            }
            ok = b.Ajoute(r);
        }
        if (!(ok && b.Valide())) {
            erreurs << provisoire << " : " << b.erreur().description << Qt::endl;
            return 1;
        }
    }
    QFile::remove(base);
    if (!QFile::rename(provisoire, base)) {
        erreurs << base << " : non ecrit" << Qt::endl;
        return 1;
    }
    return 0;
}
