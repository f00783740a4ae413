#include "FichierTrace.h"

#include "Plateforme.h"
#include "Windows1252.h"

#include <QFile>
#include <QSaveFile>

bool AjouteLigneTrace(const QString& chemin, const QString& ligne, QString* erreur) {
    QFile f(chemin);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append)) {
        if (erreur)
            *erreur = f.errorString();
        return false;
    }
    const QByteArray octets = VersWindows1252(ligne) + "\r\n";
    if (f.write(octets) != octets.size() || !Plateforme::SynchroniseSurDisque(f)) {
        if (erreur)
            *erreur = f.errorString();
        return false;
    }
    return true;
}

bool CreeFichierTrace(const QString& chemin, QString* erreur) {
    QFile f(chemin);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append)) {
        if (erreur)
            *erreur = f.errorString();
        return false;
    }
    return true;
}

QStringList LitLignesTrace(const QString& chemin, bool* ok) {
    if (ok)
        *ok = true;
    QFile f(chemin);
    if (!f.exists())
        return {};
    if (!f.open(QIODevice::ReadOnly)) {
        if (ok)
            *ok = false;
        return {};
    }
    QStringList lignes;
    const QByteArray tout = f.readAll();
    qsizetype debut = 0;
    while (debut < tout.size()) {
        qsizetype fin = tout.indexOf('\n', debut);
        if (fin < 0)
            fin = tout.size();
        QByteArray ligne = tout.mid(debut, fin - debut);
        if (ligne.endsWith('\r'))
            ligne.chop(1);
        lignes << DepuisWindows1252(ligne);
        debut = fin + 1;
    }
    return lignes;
}

QString PremiereLigneTrace(const QString& chemin) {
    QFile f(chemin);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QByteArray ligne = f.readLine();
    while (ligne.endsWith('\n') || ligne.endsWith('\r'))
        ligne.chop(1);
    return DepuisWindows1252(ligne);
}

bool EcritEnTeteTrace(const QString& chemin, const QString& texte, QString* erreur) {
    QFile f(chemin);
    if (!f.open(QIODevice::ReadWrite)) {
        if (erreur)
            *erreur = f.errorString();
        return false;
    }
    const QByteArray octets = VersWindows1252(texte);
    if (!f.seek(0) || f.write(octets) != octets.size() || !Plateforme::SynchroniseSurDisque(f)) {
        if (erreur)
            *erreur = f.errorString();
        return false;
    }
    return true;
}

bool RemplaceFichierTrace(const QString& chemin, const QStringList& lignes, QString* erreur) {
    QSaveFile f(chemin);
    if (!f.open(QIODevice::WriteOnly)) {
        if (erreur)
            *erreur = f.errorString();
        return false;
    }
    for (const QString& l : lignes)
        f.write(VersWindows1252(l) + "\r\n");
    if (!f.commit()) {
        if (erreur)
            *erreur = f.errorString();
        return false;
    }
    return true;
}
