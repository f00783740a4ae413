#include "RemplissageSql.h"

#include <QSqlError>
#include <QSqlQuery>

QString MoteurSql::nombres(int nombre) const {
    const QString dernier = QString::number(nombre - 1);
    return postgres ? QStringLiteral("CREATE TEMP TABLE nombres AS SELECT generate_series(0, ") +
                          dernier + QStringLiteral(") AS n")
                    : QStringLiteral("CREATE TEMP TABLE nombres AS WITH RECURSIVE s(n) AS"
                                     " (SELECT 0 UNION ALL SELECT n + 1 FROM s WHERE n < ") +
                          dernier + QStringLiteral(") SELECT n FROM s");
}

QString MoteurSql::date(const QString& secondes) const {
    return postgres
               ? QStringLiteral("to_char(to_timestamp(1735689600 + (") + secondes +
                     QStringLiteral(")) AT TIME ZONE 'UTC', 'YYYY-MM-DD\"T\"HH24:MI:SS.MS\"Z\"')")
               : QStringLiteral("strftime('%Y-%m-%dT%H:%M:%fZ', 1735689600 + (") + secondes +
                     QStringLiteral("), 'unixepoch')");
}

bool ExecuteSql(const QSqlDatabase& db, const QString& sql, QString* erreur) {
    QSqlQuery q(db);
    if (q.exec(sql))
        return true;
    *erreur = sql.left(90) + QStringLiteral("…: ") + q.lastError().text();
    return false;
}
