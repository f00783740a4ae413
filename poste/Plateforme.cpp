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
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

#include <QTextStream>
#include <cstdio>

#ifndef Q_OS_WIN
#include <termios.h>
#endif

#ifdef Q_OS_WIN
#include <io.h>
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

#ifdef Q_OS_LINUX
namespace {

bool MemeFichier(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The number of a UNIX 98 pseudo-terminal's slave side, or -1.
int NumeroPty(const struct stat& s) {
    if (!S_ISCHR(s.st_mode))
        return -1;
    const unsigned majeur = major(s.st_rdev);
    if (majeur < 136 || majeur > 143)
        return -1;
    return static_cast<int>((majeur - 136) * 256 + minor(s.st_rdev));
}

// Whether a device is a terminal (a serial port or a pseudo-terminal): a
// device such as /dev/null is open in every program without being held.
bool EstTerminal(const struct stat& s) {
    if (NumeroPty(s) >= 0)
        return true;
    if (!S_ISCHR(s.st_mode))
        return false;
    const QString classe = QFileInfo(QStringLiteral("/sys/dev/char/%1:%2/subsystem")
                                         .arg(major(s.st_rdev))
                                         .arg(minor(s.st_rdev)))
                               .symLinkTarget();
    return classe.endsWith(QLatin1String("/tty"));
}

// Whether descriptor `fd` of process `pid` is the master of pseudo-terminal
// `numero` (its fdinfo names the terminal's number).
bool EstMaitrePty(const QString& pid, const QString& fd, int numero) {
    QFile info(QStringLiteral("/proc/%1/fdinfo/%2").arg(pid, fd));
    if (!info.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray& ligne : info.readAll().split('\n'))
        if (ligne.startsWith("tty-index:"))
            return ligne.mid(10).trimmed().toInt() == numero;
    return false;
}

struct Detenteurs {
    bool peripherique = false;      // another program uses the device
    bool verrou = false;            // a program has the lock file open
    bool proprietaireCache = false; // the lock's owner is alive and we may not look into it
};

// Every process's open descriptors, compared by device and inode.
// `monVerrou` is this function's own descriptor of the lock, not counted.
Detenteurs ChercheDetenteurs(const struct stat& cible, const struct stat* verrou, int monVerrou,
                             qint64 proprietaire) {
    Detenteurs d;
    const int pty = NumeroPty(cible);
    const bool terminal = EstTerminal(cible);
    const QString soi = QString::number(::getpid());
    const QStringList processus =
        QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& pid : processus) {
        if (pid.isEmpty() || !pid.at(0).isDigit())
            continue;
        const QString dossier = QStringLiteral("/proc/%1/fd").arg(pid);
        const QStringList fds =
            QDir(dossier).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        if (fds.isEmpty()) {
            // A zombie has no descriptors; a process of another user hides them.
            if (pid.toLongLong() == proprietaire && ::access(QFile::encodeName(dossier), R_OK) != 0)
                d.proprietaireCache = true;
            continue;
        }
        bool tientPeripherique = false;
        bool tientLaLigne = false;
        for (const QString& fd : fds) {
            if (pid == soi && fd.toInt() == monVerrou)
                continue;
            struct stat ouvert {};
            if (::stat(QFile::encodeName(dossier + QLatin1Char('/') + fd).constData(), &ouvert) !=
                0)
                continue;
            if (terminal && MemeFichier(ouvert, cible))
                tientPeripherique = true;
            else if (verrou && MemeFichier(ouvert, *verrou))
                d.verrou = true;
            else if (pty >= 0 && S_ISCHR(ouvert.st_mode) && ouvert.st_rdev == makedev(5, 2) &&
                     EstMaitrePty(pid, fd, pty))
                tientLaLigne = true;
        }
        if (tientPeripherique && !tientLaLigne)
            d.peripherique = true;
    }
    return d;
}

// The process number a lock names on its first line, or 0.
qint64 ProprietaireVerrou(int fd) {
    char texte[32] = {};
    const ssize_t lu = ::pread(fd, texte, sizeof texte - 1, 0);
    if (lu <= 0)
        return 0;
    bool ok = false;
    const qint64 pid = QByteArray(texte, lu).split('\n').first().trimmed().toLongLong(&ok);
    return ok && pid > 0 ? pid : 0;
}

bool Vivant(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray t = stat.readAll();
    const qsizetype fin = t.lastIndexOf(')');
    return fin > 0 && t.mid(fin + 2, 1) != "Z";
}

} // namespace
#endif

EtatPort LibereVerrouAbandonne(const QString& peripherique) {
#ifndef Q_OS_LINUX
    // Without /proc nobody can tell who holds what: the library decides.
    Q_UNUSED(peripherique);
    return EtatPort::Libre;
#else
    struct stat cible {};
    if (::stat(QFile::encodeName(peripherique).constData(), &cible) != 0 ||
        !QFileInfo::exists(QStringLiteral("/proc/self/fd")))
        return EtatPort::Libre; // the library says what is wrong
    const QString verrou = FichierVerrouSerie(peripherique);
    const QByteArray chemin = QFile::encodeName(verrou);
    const int fd = verrou.isEmpty() ? -1 : ::open(chemin.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return ChercheDetenteurs(cible, nullptr, -1, 0).peripherique ? EtatPort::Tenu
                                                                     : EtatPort::Libre;
    struct Ferme {
        int fd;
        ~Ferme() { ::close(fd); }
    } ferme{fd};
    struct stat infoVerrou {};
    if (::fstat(fd, &infoVerrou) != 0)
        return EtatPort::Libre;
    // A station holding its port holds this lock too (the serial library
    // keeps it locked while the port is open).
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        return EtatPort::Tenu;
    const qint64 proprietaire = ProprietaireVerrou(fd);
    Detenteurs d = ChercheDetenteurs(cible, &infoVerrou, fd, proprietaire);
    // A program that writes its lock and then opens the port (not ours)
    // gets a moment for the opening when its lock is new.
    constexpr qint64 kDelaiOuvertureMs = 250;
    const qint64 age = QFileInfo(verrou).lastModified().msecsTo(QDateTime::currentDateTime());
    if (!d.peripherique && !d.verrou && proprietaire > 0 && Vivant(proprietaire) && age >= 0 &&
        age < kDelaiOuvertureMs) {
        QThread::msleep(static_cast<unsigned long>(kDelaiOuvertureMs - age));
        d = ChercheDetenteurs(cible, &infoVerrou, fd, proprietaire);
    }
    if (d.peripherique || d.verrou)
        return EtatPort::Tenu;
    if (d.proprietaireCache)
        return EtatPort::Libre; // someone else's process: the library decides
    // Removed only if it is still the lock looked at.
    struct stat maintenant {};
    if (::stat(chemin.constData(), &maintenant) == 0 && MemeFichier(maintenant, infoVerrou))
        ::unlink(chemin.constData());
    return EtatPort::Libre;
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

bool SurWindows() {
#ifdef Q_OS_WIN
    return true;
#else
    return false;
#endif
}

bool SynchroniseSurDisque(QFile& fichier) {
    if (!fichier.flush())
        return false;
#ifdef Q_OS_WIN
    return _commit(fichier.handle()) == 0;
#else
    return ::fsync(fichier.handle()) == 0;
#endif
}

bool EntreeEstTerminal() {
#ifdef Q_OS_WIN
    return _isatty(_fileno(stdin)) != 0;
#else
    return ::isatty(STDIN_FILENO) != 0;
#endif
}

QString LitLigneSansEcho(QTextStream& entree, bool* echoCoupe) {
#ifdef Q_OS_WIN
    *echoCoupe = false;
    return entree.readLine();
#else
    termios avant{};
    const bool terminal = ::tcgetattr(STDIN_FILENO, &avant) == 0;
    if (terminal) {
        termios sansEcho = avant;
        sansEcho.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSANOW, &sansEcho);
    }
    const QString ligne = entree.readLine();
    if (terminal)
        ::tcsetattr(STDIN_FILENO, TCSANOW, &avant);
    *echoCoupe = terminal;
    return ligne;
#endif
}

} // namespace Plateforme
