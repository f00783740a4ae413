#pragma once
// Reading trace and label files back in tests, byte for byte.
#include <QByteArray>
#include <QFile>
#include <QRegularExpression>
#include <QString>

// The whole file, or nothing when it cannot be read.
inline QByteArray Lit(const QString& chemin) {
    QFile f(chemin);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Timestamps differ from run to run; everything else is compared byte for byte.
inline QByteArray SansHorodatage(const QByteArray& octets) {
    static const QRegularExpression horodatage(
        QStringLiteral("\\d\\d/\\d\\d/\\d{4} \\d\\d:\\d\\d:\\d\\d"));
    return QString::fromLatin1(octets)
        .replace(horodatage, QStringLiteral("JJ/MM/AAAA hh:mm:ss"))
        .toLatin1();
}
