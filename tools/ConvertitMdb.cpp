// calvanet-convertitmdb: turns the translation base of the older station, an
// Access (Jet) ".mdb" file, into the station's SQLite translation base,
// copying the table Traductions with its fields.
//   calvanet-convertitmdb <fichier.mdb>               converted in place: the
//        Access file is kept as <fichier.mdb>.jet and `ft` needs no change
//   calvanet-convertitmdb <fichier.mdb> <nouvelle base>
#include "BaseTraductions.h"
#include "LectureJet.h"

#include <QCoreApplication>
#include <QDateTime>
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

bool Vrai(const QString& valeur) {
    const QString v = valeur.trimmed();
    return !v.isEmpty() && v != QStringLiteral("0") &&
           v.compare(QStringLiteral("false"), Qt::CaseInsensitive) != 0;
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
    const QString destination = surPlace ? source : arguments[2];
    const QString sauvegarde = source + QStringLiteral(".jet");
    if (!BaseTraductions::EstFichierJet(source))
        return Echec(source + QStringLiteral(" : ce n'est pas une base Access (Jet)"));
    if (!surPlace && QFile::exists(destination))
        return Echec(destination + QStringLiteral(" existe deja : rien n'est remplace"));
    if (surPlace && QFile::exists(sauvegarde))
        return Echec(sauvegarde + QStringLiteral(" existe deja : rien n'est remplace"));

    TableJet table;
    QString erreur;
    if (!LitTableJet(source, QStringLiteral("Traductions"), &table, &erreur))
        return Echec(erreur);
    QList<int> colonne;
    for (const QString& champ : BaseTraductions::kChamps) {
        qsizetype i = table.colonnes.size() - 1;
        while (i >= 0 && table.colonnes[i].compare(champ, Qt::CaseInsensitive) != 0)
            --i;
        if (i < 0)
            return Echec(source + QStringLiteral(" : la table Traductions n'a pas de champ ") +
                         champ);
        colonne << static_cast<int>(i);
    }

    // Written aside and put in place whole: an interrupted conversion leaves
    // no half-made base under the name the station opens.
    const QString provisoire = destination + QStringLiteral(".conversion");
    QFile::remove(provisoire);
    ErreurBase e;
    if (!BaseTraductions::Cree(provisoire, &e))
        return Echec(provisoire + QStringLiteral(" : ") + e.description);
    {
        BaseTraductions base(provisoire);
        bool ok = base.Ouvre() == BaseTraductions::Ouverture::Ouverte && base.Commence();
        for (const QStringList& l : table.lignes) {
            if (!ok)
                break;
            EnregistrementTraduction r;
            r.Tformulaire = l[colonne[0]];
            r.Ttype = l[colonne[1]];
            r.Tname = l[colonne[2]];
            r.Tcaption = l[colonne[3]];
            r.Ttooltiptext = l[colonne[4]];
            r.tdefcaption = l[colonne[5]];
            r.tdeftooltiptext = l[colonne[6]];
            r.tcommentaire = l[colonne[7]];
            r.tDate = QDateTime::fromString(l[colonne[8]], QStringLiteral("yyyy-MM-dd HH:mm:ss"));
            r.tFlagpassage = Vrai(l[colonne[9]]);
            ok = base.Ajoute(r);
        }
        ok = ok && base.Valide();
        if (!ok) {
            const QString raison = base.erreur().description;
            QFile::remove(provisoire);
            return Echec(provisoire + QStringLiteral(" : ") + raison);
        }
    }
    if (surPlace && !QFile::rename(source, sauvegarde)) {
        QFile::remove(provisoire);
        return Echec(source + QStringLiteral(" : impossible de le renommer en ") + sauvegarde);
    }
    if (!QFile::rename(provisoire, destination))
        return Echec(destination + QStringLiteral(" : impossible d'y mettre la base convertie ") +
                     provisoire);
    Sortie() << table.lignes.size() << " enregistrement(s) copie(s) dans " << destination;
    if (surPlace)
        Sortie() << " (base Access gardee : " << sauvegarde << ")";
    Sortie() << Qt::endl;
    return 0;
}
