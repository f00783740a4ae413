#pragma once
// A journal of factory size made inside the database by bulk SQL: the same
// statements on the station's SQLite file and on a PostgreSQL server, from a
// table of numbers and a date expression each engine writes its own way.
#include <QSqlDatabase>
#include <QString>

struct MoteurSql {
    QString nom; // as the benchmark's rows name it
    bool postgres = false;

    // Creates the temporary table nombres(n), n from 0 to `nombre` - 1.
    QString nombres(int nombre) const;
    // The time `secondes` (an SQL expression) after 2025-01-01 00:00 UTC, as
    // the journal stores it ("2025-01-01T00:00:00.000Z").
    QString date(const QString& secondes) const;
};

// Runs `sql`; false with its beginning and the engine's reason.
bool ExecuteSql(const QSqlDatabase& db, const QString& sql, QString* erreur);
