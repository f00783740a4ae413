#include "Plateforme.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace Plateforme {

namespace {
const QString kRacineWindows = QStringLiteral("C:\\morvane\\appli");
}

bool EstCheminPeripherique(const QString& valeur) {
    return valeur.startsWith(QLatin1Char('/'));
}

QString PeripheriqueSerie(const QString& port) {
    const QString p = port.trimmed();
    if (EstCheminPeripherique(p))
        return p;
#ifdef Q_OS_WIN
    return QStringLiteral("COM") + p;
#else
    bool ok = false;
    const int n = p.toInt(&ok);
    // No port has a number below 1: a device that cannot exist, so that the
    // opening fails with "n'existe pas" ("/dev/ttyS0" would be port 1).
    if (!ok || n < 1)
        return QStringLiteral("/dev/calvanet-aucun-port-") + p;
    return QStringLiteral("/dev/ttyS%1").arg(n - 1);
#endif
}

QString PeripheriqueParallele(int numero) {
#ifdef Q_OS_WIN
    return QStringLiteral("LPT%1").arg(numero);
#else
    return QStringLiteral("/dev/lp%1").arg(numero - 1);
#endif
}

QString DossierRacineParDefaut() {
#ifdef Q_OS_WIN
    return kRacineWindows;
#else
    return QDir::homePath() + QStringLiteral("/morvane/appli");
#endif
}

QString CheminLocal(const QString& chemin) {
#ifdef Q_OS_WIN
    return chemin;
#else
    QString c = chemin;
    if (c.startsWith(kRacineWindows, Qt::CaseInsensitive))
        c = DossierRacineParDefaut() + c.mid(kRacineWindows.size());
    c.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return c;
#endif
}

QString CheminDans(const QString& dossier, const QString& nomFichier) {
    return CheminLocal(dossier + QLatin1Char('\\') + nomFichier);
}

bool CasseSignificative() {
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
    return false;
#else
    return true;
#endif
}

bool OuvreEditeurTexte(const QString& fichier) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(fichier).absoluteFilePath()));
}

bool LanceProgramme(const QString& programme, const QStringList& arguments,
                    const QString& dossierCourant, QString* erreur) {
    return LanceProgramme(programme, arguments, dossierCourant, ModeFenetre::Normale, erreur);
}

bool LanceProgramme(const QString& programme, const QStringList& arguments,
                    const QString& dossierCourant, ModeFenetre mode, QString* erreur) {
    QString exe = CheminLocal(programme);
    QStringList args = arguments;
#ifndef Q_OS_WIN
    if (exe.endsWith(QStringLiteral(".exe"), Qt::CaseInsensitive)) {
        const QString wine = QStandardPaths::findExecutable(QStringLiteral("wine"));
        if (!wine.isEmpty()) {
            args.prepend(exe);
            exe = wine;
        }
    }
#endif
    QProcess processus;
    processus.setProgram(exe);
    processus.setArguments(args);
    if (!dossierCourant.isEmpty())
        processus.setWorkingDirectory(CheminLocal(dossierCourant));
#ifdef Q_OS_WIN
    processus.setCreateProcessArgumentsModifier([mode](QProcess::CreateProcessArguments* a) {
        a->startupInfo->dwFlags |= STARTF_USESHOWWINDOW;
        a->startupInfo->wShowWindow =
            mode == ModeFenetre::Reduite ? SW_SHOWMINIMIZED : SW_SHOWNORMAL;
    });
#else
    Q_UNUSED(mode);
#endif
    qint64 pid = 0;
    if (processus.startDetached(&pid))
        return true;
    if (erreur)
        *erreur = processus.errorString();
    return false;
}

} // namespace Plateforme
