#pragma once
// A PostgreSQL cluster of the test's own, for the tests of the factory server.
#include "ServeurJournal.h"

#include <QDir>
#include <QFileInfo>
#include <QHostAddress>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>

#include <algorithm>
#include <pwd.h>
#include <unistd.h>

// A PostgreSQL cluster of its own in a temporary folder, on a free loopback
// port. initdb and the server refuse to run as root: they run as "nobody".
class ServeurPostgres {
public:
    static QString DossierProgrammes() {
        QDir racine(QStringLiteral("/usr/lib/postgresql"));
        QStringList versions = racine.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        std::sort(versions.begin(), versions.end(),
                  [](const QString& a, const QString& b) { return a.toInt() > b.toInt(); });
        for (const QString& v : versions) {
            const QString bin = racine.filePath(v + QStringLiteral("/bin"));
            if (QFileInfo::exists(bin + QStringLiteral("/initdb")) &&
                QFileInfo::exists(bin + QStringLiteral("/pg_ctl")) &&
                QFileInfo::exists(bin + QStringLiteral("/psql")))
                return bin;
        }
        return {};
    }

    // With `motDePasse`, connections over TCP need it (scram-sha-256), as a
    // factory's server does; without, every connection is trusted.
    bool demarre(QString* erreur, const QString& motDePasse = {}) {
        bin_ = DossierProgrammes();
        motDePasse_ = motDePasse;
        QTcpServer libre;
        if (!libre.listen(QHostAddress::LocalHost, 0))
            return echec(QStringLiteral("pas de port libre"), erreur);
        port_ = libre.serverPort();
        libre.close();
        if (::geteuid() == 0) {
            const passwd* nobody = getpwnam("nobody");
            if (!nobody || ::chown(QFile::encodeName(dossier_.path()).constData(), nobody->pw_uid,
                                   nobody->pw_gid) != 0)
                return echec(QStringLiteral("le dossier ne peut pas etre donne a nobody"), erreur);
        }
        QStringList authentification{QStringLiteral("-A"), QStringLiteral("trust")};
        if (!motDePasse.isEmpty()) {
            const QString fichier = dossier_.filePath(QStringLiteral("motdepasse"));
            QFile f(fichier);
            if (!f.open(QIODevice::WriteOnly) || f.write(motDePasse.toUtf8() + '\n') < 0)
                return echec(QStringLiteral("fichier du mot de passe"), erreur);
            f.close();
            f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                             QFileDevice::ReadOther | QFileDevice::ReadGroup);
            authentification = {QStringLiteral("--auth-local=trust"),
                                QStringLiteral("--auth-host=scram-sha-256"),
                                QStringLiteral("--pwfile=") + fichier};
        }
        return lance(QStringLiteral("initdb"),
                     QStringList{QStringLiteral("-D"), donnees(), QStringLiteral("-U"),
                                 QStringLiteral("calvanet"), QStringLiteral("-E"),
                                 QStringLiteral("UTF8"), QStringLiteral("--locale=C"),
                                 QStringLiteral("--no-sync")} +
                         authentification,
                     erreur) &&
               relance(erreur);
    }

    // Stopped at once, as a server that crashes or loses its power: a
    // transaction under way is lost, its client gets no answer.
    bool arrete(QString* erreur) {
        return lance(QStringLiteral("pg_ctl"),
                     {QStringLiteral("-D"), donnees(), QStringLiteral("-m"),
                      QStringLiteral("immediate"), QStringLiteral("-w"), QStringLiteral("stop")},
                     erreur);
    }

    bool relance(QString* erreur) {
        return lance(QStringLiteral("pg_ctl"),
                     {QStringLiteral("-D"), donnees(), QStringLiteral("-l"),
                      dossier_.filePath(QStringLiteral("serveur.log")), QStringLiteral("-w"),
                      QStringLiteral("-t"), QStringLiteral("60"), QStringLiteral("-o"),
                      QStringLiteral("-p %1 -k %2 -c listen_addresses=127.0.0.1 -c fsync=off")
                          .arg(port_)
                          .arg(dossier_.path()),
                      QStringLiteral("start")},
                     erreur);
    }

    void arreteSiDemarre() {
        if (QFileInfo::exists(donnees() + QStringLiteral("/postmaster.pid")))
            arrete(nullptr);
    }

    // The rows of `sql` in `base`, columns joined by "|"; an error as "ERREUR: ...".
    QStringList psql(const QString& base, const QString& sql) const {
        QProcess p;
        if (!motDePasse_.isEmpty()) {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("PGPASSWORD"), motDePasse_);
            p.setProcessEnvironment(env);
        }
        p.start(bin_ + QStringLiteral("/psql"),
                {QStringLiteral("-X"), QStringLiteral("-A"), QStringLiteral("-t"),
                 QStringLiteral("-q"), QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"),
                 QStringLiteral("-h"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"),
                 QString::number(port_), QStringLiteral("-U"), QStringLiteral("calvanet"),
                 QStringLiteral("-d"), base, QStringLiteral("-c"), sql});
        if (!p.waitForFinished(30000) || p.exitCode() != 0)
            return {QStringLiteral("ERREUR: ") + QString::fromUtf8(p.readAllStandardError())};
        QStringList lignes = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'));
        while (!lignes.isEmpty() && lignes.last().isEmpty())
            lignes.removeLast();
        return lignes;
    }

    bool creeBase(const QString& base) const {
        return psql(QStringLiteral("postgres"), QStringLiteral("CREATE DATABASE ") + base)
            .isEmpty();
    }

    int port() const { return port_; }
    QString bd(const QString& base) const {
        return QStringLiteral("postgresql://calvanet@127.0.0.1:%1/%2").arg(port_).arg(base);
    }
    ServeurJournal serveur(const QString& base) const { return *AnalyseBd(bd(base), nullptr); }

private:
    QString donnees() const { return dossier_.filePath(QStringLiteral("donnees")); }

    static bool echec(const QString& raison, QString* erreur) {
        if (erreur)
            *erreur = raison;
        return false;
    }

    bool lance(const QString& programme, const QStringList& arguments, QString* erreur) const {
        QProcess p;
        p.setWorkingDirectory(dossier_.path());
        p.setProcessChannelMode(QProcess::MergedChannels);
        const QString chemin = bin_ + QLatin1Char('/') + programme;
        if (::geteuid() == 0)
            p.start(QStringLiteral("setpriv"),
                    QStringList{QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                                QStringLiteral("--clear-groups"), chemin} +
                        arguments);
        else
            p.start(chemin, arguments);
        if (!p.waitForFinished(90000) || p.exitStatus() != QProcess::NormalExit ||
            p.exitCode() != 0)
            return echec(programme + QStringLiteral(": ") + QString::fromLocal8Bit(p.readAll()),
                         erreur);
        return true;
    }

    QTemporaryDir dossier_;
    QString bin_;
    QString motDePasse_;
    int port_ = 0;
};
