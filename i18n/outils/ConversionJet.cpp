#include "ConversionJet.h"

#include "BaseTraductions.h"

#include <QDateTime>
#include <QFile>
#include <memory>
#include <vector>

#include <mdbtools.h>

namespace {

struct FermeMdb {
    void operator()(MdbHandle* m) const { mdb_close(m); }
};
struct LibereTable {
    void operator()(MdbTableDef* t) const { mdb_free_tabledef(t); }
};
using Mdb = std::unique_ptr<MdbHandle, FermeMdb>;

Mdb Ouvre(const QString& fichier, QString* erreur) {
    if (!QFile::exists(fichier)) {
        *erreur = fichier + QStringLiteral(" : fichier introuvable");
        return nullptr;
    }
    Mdb mdb(mdb_open(QFile::encodeName(fichier).constData(), MDB_NOFLAGS));
    if (!mdb || !mdb_read_catalog(mdb.get(), MDB_TABLE)) {
        *erreur = fichier + QStringLiteral(" : ce n'est pas une base Access (Jet)");
        return nullptr;
    }
    mdb_set_date_fmt(mdb.get(), "%Y-%m-%d %H:%M:%S");
    return mdb;
}

bool Vrai(const QString& valeur) {
    const QString v = valeur.trimmed();
    return !v.isEmpty() && v != QStringLiteral("0") &&
           v.compare(QStringLiteral("false"), Qt::CaseInsensitive) != 0;
}

bool EstTableUtilisateur(const MdbCatalogEntry* e) {
    return e->object_type == MDB_TABLE && !mdb_is_system_table(const_cast<MdbCatalogEntry*>(e));
}

} // namespace

QStringList TablesJet(const QString& fichier, QString* erreur) {
    QStringList noms;
    const Mdb mdb = Ouvre(fichier, erreur);
    if (!mdb)
        return noms;
    for (unsigned int i = 0; i < mdb->num_catalog; ++i) {
        auto* e = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        if (EstTableUtilisateur(e))
            noms << QString::fromUtf8(e->object_name);
    }
    return noms;
}

bool LitTableJet(const QString& fichier, const QString& nom, TableJet* table, QString* erreur) {
    const Mdb mdb = Ouvre(fichier, erreur);
    if (!mdb)
        return false;
    MdbCatalogEntry* entree = nullptr;
    for (unsigned int i = 0; i < mdb->num_catalog && !entree; ++i) {
        auto* e = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        if (EstTableUtilisateur(e) &&
            QString::fromUtf8(e->object_name).compare(nom, Qt::CaseInsensitive) == 0)
            entree = e;
    }
    if (!entree) {
        *erreur = fichier + QStringLiteral(" : pas de table ") + nom;
        return false;
    }
    const std::unique_ptr<MdbTableDef, LibereTable> def(mdb_read_table(entree));
    if (!def || !mdb_read_columns(def.get())) {
        *erreur = fichier + QStringLiteral(" : table ") + nom + QStringLiteral(" illisible");
        return false;
    }
    const unsigned int n = def->num_cols;
    std::vector<std::vector<char>> valeurs(n, std::vector<char>(MDB_BIND_SIZE + 1));
    std::vector<int> longueurs(n, 0);
    table->colonnes.clear();
    table->lignes.clear();
    for (unsigned int c = 0; c < n; ++c) {
        auto* colonne = static_cast<MdbColumn*>(g_ptr_array_index(def->columns, c));
        table->colonnes << QString::fromUtf8(colonne->name);
        mdb_bind_column(def.get(), static_cast<int>(c + 1), valeurs[c].data(), &longueurs[c]);
    }
    mdb_rewind_table(def.get());
    while (mdb_fetch_row(def.get())) {
        QStringList ligne;
        for (unsigned int c = 0; c < n; ++c)
            ligne << QString::fromUtf8(valeurs[c].data(), std::max(longueurs[c], 0));
        table->lignes << ligne;
    }
    return true;
}

bool ConvertitTraductions(const TableJet& table, const QString& destination, QString* erreur) {
    if (QFile::exists(destination)) {
        *erreur = destination + QStringLiteral(" existe deja : rien n'est remplace");
        return false;
    }
    QList<int> colonne;
    for (const QString& champ : BaseTraductions::kChamps) {
        qsizetype i = table.colonnes.size() - 1;
        while (i >= 0 && table.colonnes[i].compare(champ, Qt::CaseInsensitive) != 0)
            --i;
        if (i < 0) {
            *erreur = QStringLiteral("la table Traductions n'a pas de champ ") + champ;
            return false;
        }
        colonne << static_cast<int>(i);
    }

    // Written aside and put in place whole: an interrupted conversion leaves
    // no half-made base under the name the station opens.
    const QString provisoire = destination + QStringLiteral(".conversion");
    QFile::remove(provisoire);
    ErreurBase e;
    if (!BaseTraductions::Cree(provisoire, &e)) {
        *erreur = provisoire + QStringLiteral(" : ") + e.description;
        return false;
    }
    bool ok = false;
    {
        BaseTraductions base(provisoire);
        ok = base.Ouvre() == BaseTraductions::Ouverture::Ouverte && base.Commence();
        for (const QStringList& l : table.lignes) {
            if (!ok)
                break;
            EnregistrementTraduction r;
            r.Tformulaire = l.value(colonne[0]);
            r.Ttype = l.value(colonne[1]);
            r.Tname = l.value(colonne[2]);
            r.Tcaption = l.value(colonne[3]);
            r.Ttooltiptext = l.value(colonne[4]);
            r.tdefcaption = l.value(colonne[5]);
            r.tdeftooltiptext = l.value(colonne[6]);
            r.tcommentaire = l.value(colonne[7]);
            r.tDate =
                QDateTime::fromString(l.value(colonne[8]), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
            r.tFlagpassage = Vrai(l.value(colonne[9]));
            ok = base.Ajoute(r);
        }
        ok = ok && base.Valide();
        if (!ok)
            *erreur = provisoire + QStringLiteral(" : ") + base.erreur().description;
    }
    if (!ok) {
        QFile::remove(provisoire);
        return false;
    }
    if (!QFile::rename(provisoire, destination)) {
        QFile::remove(provisoire);
        *erreur = destination + QStringLiteral(" : impossible d'y mettre la base convertie");
        return false;
    }
    return true;
}
