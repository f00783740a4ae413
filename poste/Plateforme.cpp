#include "Plateforme.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#ifndef Q_OS_WIN
#include <pwd.h>
#include <unistd.h>
#endif

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

bool AccesRefuse(const QString& peripherique) {
#ifdef Q_OS_WIN
    Q_UNUSED(peripherique);
    return false; // Windows says "in use" and nothing else
#else
    const QByteArray chemin = QFile::encodeName(peripherique);
    return ::access(chemin.constData(), F_OK) == 0 &&
           ::access(chemin.constData(), R_OK | W_OK) != 0;
#endif
}

QString ConseilAccesRefuse(const QString& peripherique) {
#ifdef Q_OS_WIN
    return QStringLiteral("accès refusé à ") + peripherique;
#else
    // The group that owns the device: dialout for serial ports on Debian.
    QString groupe = QFileInfo(peripherique).group();
    if (groupe.isEmpty() || groupe == QStringLiteral("root"))
        groupe = QStringLiteral("dialout");
    QString utilisateur;
    if (const passwd* compte = ::getpwuid(::geteuid()))
        utilisateur = QString::fromLocal8Bit(compte->pw_name);
    return QStringLiteral("accès refusé à ") + peripherique +
           QStringLiteral(" : l'utilisateur %1 n'a pas le droit de l'ouvrir.\r"
                          "Ajoutez-le au groupe %2 (sudo usermod -aG %2 %1), "
                          "puis ouvrez une nouvelle session.")
               .arg(utilisateur, groupe);
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
