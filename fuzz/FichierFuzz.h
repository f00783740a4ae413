#pragma once
// Readers that take a path are fed through one file of the fuzzing process,
// rewritten for each input.
#include <QDir>
#include <QFile>
#include <QString>
#include <QtGlobal>
#include <cstdint>
#include <cstdio>
#include <unistd.h>

inline QString EcritFichierFuzz(const char* nom, const uint8_t* donnees, size_t taille) {
    static const QString chemin =
        QDir::temp().filePath(QStringLiteral("%1-%2").arg(QLatin1String(nom)).arg(::getpid()));
    static const QByteArray cheminLocal = QFile::encodeName(chemin);
    std::FILE* f = std::fopen(cheminLocal.constData(), "wb");
    if (!f)
        qFatal("fichier de travail impossible : %s", cheminLocal.constData());
    if (taille > 0 && std::fwrite(donnees, 1, taille, f) != taille)
        qFatal("ecriture impossible : %s", cheminLocal.constData());
    std::fclose(f);
    return chemin;
}
