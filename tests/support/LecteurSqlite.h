#pragma once
// The journal read back by the sqlite3 program, not by the code that wrote it.
#include <QProcess>
#include <QString>
#include <QStringList>

// The rows of `sql`, one string each, columns joined by "|"; NULL reads as
// "NULL". A failure of the program gives "ERREUR: " and its message.
inline QStringList Sqlite(const QString& fichier, const QString& sql) {
    QProcess p;
    p.start(QStringLiteral("sqlite3"), {QStringLiteral("-batch"), QStringLiteral("-nullvalue"),
                                        QStringLiteral("NULL"), fichier, sql});
    if (!p.waitForFinished(10000) || p.exitCode() != 0)
        return {QStringLiteral("ERREUR: ") + QString::fromUtf8(p.readAllStandardError())};
    QStringList lignes = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'));
    while (!lignes.isEmpty() && lignes.last().isEmpty())
        lignes.removeLast();
    return lignes;
}
