#pragma once
// Reading one table of an Access (Jet) database file with mdbtools' libmdb:
// the older station's translation bases are such files.
#include <QList>
#include <QString>
#include <QStringList>

struct TableJet {
    QStringList colonnes;      // as named in the file
    QList<QStringList> lignes; // values as text; dates as "yyyy-MM-dd HH:mm:ss", yes/no as 1/0
};

// The table `nom` (found without regard to case). False, with a readable
// reason in `erreur`, when the file is no Jet database or has no such table.
bool LitTableJet(const QString& fichier, const QString& nom, TableJet* table, QString* erreur);

// The names of the user tables of the file.
QStringList TablesJet(const QString& fichier, QString* erreur);
