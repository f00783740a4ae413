// calvanet-convertitmdb: turns the translation base of the older station, an
// Access (Jet) ".mdb" file, into the station's SQLite translation base,
// copying the table Traductions with its fields.
//   calvanet-convertitmdb <fichier.mdb>               converted in place: the
//        Access file is kept as <fichier.mdb>.jet and `ft` needs no change
//   calvanet-convertitmdb <fichier.mdb> <nouvelle base>
#include "BaseTraductions.h"
#include "ConversionJet.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

namespace {

QTextStream& Sortie() {
    static QTextStream s(stderr);
    return s;
}

int Echec(const QString& texte) {
    Sortie() << texte << Qt::endl;
    return 1;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 2 || arguments.size() > 3 || arguments[1].startsWith('-')) {
        Sortie() << "usage : calvanet-convertitmdb <base Access .mdb> [nouvelle base]\n"
                    "  copie la table Traductions d'une base Access (Jet) dans une base de\n"
                    "  traduction SQLite. Sans nouvelle base, la conversion prend la place du\n"
                    "  fichier Access, garde sous le nom <base Access .mdb>.jet."
                 << Qt::endl;
        return 2;
    }
    const QString source = arguments[1];
    const bool surPlace = arguments.size() == 2;
    const QString sauvegarde = source + QStringLiteral(".jet");
    const QString destination = surPlace ? source + QStringLiteral(".sqlite") : arguments[2];
    if (!BaseTraductions::EstFichierJet(source))
        return Echec(source + QStringLiteral(" : ce n'est pas une base Access (Jet)"));
    if (surPlace && QFile::exists(sauvegarde))
        return Echec(sauvegarde + QStringLiteral(" existe deja : rien n'est remplace"));

    TableJet table;
    QString erreur;
    if (!LitTableJet(source, QStringLiteral("Traductions"), &table, &erreur))
        return Echec(erreur);
    if (!ConvertitTraductions(table, destination, &erreur))
        return Echec(source + QStringLiteral(" : ") + erreur);
    if (surPlace) {
        // The Access file steps aside and the new base takes its name.
        if (!QFile::rename(source, sauvegarde)) {
            QFile::remove(destination);
            return Echec(source + QStringLiteral(" : impossible de le renommer en ") + sauvegarde);
        }
        if (!QFile::rename(destination, source))
            return Echec(source + QStringLiteral(" : la base convertie est restee sous le nom ") +
                         destination);
    }
    Sortie() << table.lignes.size() << " enregistrement(s) copie(s) dans " << source;
    if (surPlace)
        Sortie() << " (base Access gardee : " << sauvegarde << ")";
    else
        Sortie() << " -> " << destination;
    Sortie() << Qt::endl;
    return 0;
}
