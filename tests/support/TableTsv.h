#pragma once
// Tables of expected values kept beside the tests as tab-separated text
// (UTF-8, "#" starts a comment line), taken from the station's documentation
// rather than from the code they check.
#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>

// The rows of the file, each cut at its tabs; none when it cannot be read.
inline QList<QStringList> LitTableTsv(const QString& chemin) {
    QList<QStringList> lignes;
    QFile f(chemin);
    if (!f.open(QIODevice::ReadOnly))
        return lignes;
    for (QString ligne : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'))) {
        if (ligne.endsWith(QLatin1Char('\r')))
            ligne.chop(1);
        if (ligne.isEmpty() || ligne.startsWith(QLatin1Char('#')))
            continue;
        lignes << ligne.split(QLatin1Char('\t'));
    }
    return lignes;
}
