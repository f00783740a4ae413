#include "Plateforme.h"

#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <QUrl>

#ifndef Q_OS_WIN
#include <pwd.h>
#include <sys/stat.h>
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

QString FichierVerrouSerie(const QString& peripherique) {
#ifdef Q_OS_WIN
    Q_UNUSED(peripherique);
    return {};
#else
    // The folders and the name the serial library uses, in its order: the
    // first folder that already has the file or that we may write in.
    static const QStringList dossiers = {
        QStringLiteral("/var/lock"),
        QStringLiteral("/etc/locks"),
        QStringLiteral("/var/spool/locks"),
        QStringLiteral("/var/spool/uucp"),
        QStringLiteral("/tmp"),
        QStringLiteral("/var/tmp"),
        QStringLiteral("/var/lock/lockdev"),
        QStringLiteral("/run/lock"),
        QStandardPaths::writableLocation(QStandardPaths::TempLocation)};
    QString nom =
        peripherique.startsWith(QLatin1String("/dev/")) ? peripherique.mid(5) : peripherique;
    nom.replace(QLatin1Char('/'), QLatin1Char('_'));
    nom.prepend(QLatin1String("/LCK.."));
    for (const QString& dossier : dossiers) {
        const QFileInfo d(dossier);
        if (d.isReadable() && (QFile::exists(dossier + nom) || d.isWritable()))
            return dossier + nom;
    }
    return {};
#endif
}

bool LibereVerrouAbandonne(const QString& peripherique, qint64 ageMinMs) {
#ifdef Q_OS_WIN
    Q_UNUSED(peripherique);
    Q_UNUSED(ageMinMs);
    return false;
#else
    const QString verrou = FichierVerrouSerie(peripherique);
    const QFileInfo infoVerrou(verrou);
    // Without /proc nobody can tell who holds what: the lock stays.
    if (verrou.isEmpty() || !infoVerrou.exists() ||
        !QFileInfo::exists(QStringLiteral("/proc/self/fd")))
        return false;
    // A young lock: its owner may be between locking and opening; once it
    // has had the time, its descriptors tell.
    const qint64 age = infoVerrou.lastModified().msecsTo(QDateTime::currentDateTime());
    if (age >= 0 && age < ageMinMs)
        QThread::msleep(static_cast<unsigned long>(ageMinMs - age));
    QFile f(verrou);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    bool ok = false;
    const qint64 pid = f.readLine(32).trimmed().toLongLong(&ok);
    f.close();
    if (!ok || pid <= 0)
        return false; // not a lock we can read: the library decides
    const QString fds = QStringLiteral("/proc/%1/fd").arg(pid);
    const QDir dossierFds(fds);
    if (!dossierFds.exists())
        return false; // a dead owner: the library removes it itself
    // The very device, not a name: a program in another set of pseudo-
    // terminals may hold a device of the same name.
    struct stat cible {};
    if (::stat(QFile::encodeName(peripherique).constData(), &cible) != 0)
        return false;
    const QStringList entrees =
        dossierFds.entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
    if (entrees.isEmpty())
        return false; // someone else's process we may not look into
    for (const QString& fd : entrees) {
        struct stat ouvert {};
        const QByteArray chemin = QFile::encodeName(fds + QLatin1Char('/') + fd);
        if (::stat(chemin.constData(), &ouvert) == 0 && ouvert.st_dev == cible.st_dev &&
            ouvert.st_ino == cible.st_ino)
            return false;
    }
    return QFile::remove(verrou);
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
