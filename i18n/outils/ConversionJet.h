#pragma once
// The older station's translation bases are Access (Jet) files: one of their
// tables read with mdbtools' libmdb, and the table Traductions copied into a
// new translation base of this station.
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

// Writes the records of `table` (the table Traductions of an Access base,
// fields found without regard to case) into the new translation base
// `destination`, which must not exist. All or nothing: on failure no file is
// left there, and `erreur` says why (a missing field names it).
bool ConvertitTraductions(const TableJet& table, const QString& destination, QString* erreur);
