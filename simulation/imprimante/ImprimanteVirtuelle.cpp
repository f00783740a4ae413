#include "ImprimanteVirtuelle.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMetaObject>
#include <QRegularExpression>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {
const QRegularExpression& Impression() {
    static const QRegularExpression r(QStringLiteral("(^|\\n)P\\d+(,\\d+)?\\r?\\n"));
    return r;
}
} // namespace

ImprimanteVirtuelle::ImprimanteVirtuelle(QObject* parent) : QObject(parent) {}

ImprimanteVirtuelle::~ImprimanteVirtuelle() {
    arrete();
}

bool ImprimanteVirtuelle::demarre(const OptionsImprimante& options, QString* erreur) {
    options_ = options;
    if (options_.dossier.isEmpty())
        options_.dossier = QDir::currentPath() + QStringLiteral("/etiquettes");
    if (!QDir().mkpath(options_.dossier)) {
        if (erreur)
            *erreur = QStringLiteral("dossier %1 impossible a creer").arg(options_.dossier);
        return false;
    }
    if (!options_.sansTcp) {
        serveur_ = new QTcpServer(this);
        connect(serveur_, &QTcpServer::newConnection, this, &ImprimanteVirtuelle::accepte);
        // A station sends one connection per label, faster than this thread
        // may get the processor: the system holds the burst instead of
        // refusing it (a refused connection costs the sender a second).
        serveur_->setListenBacklogSize(1024);
        serveur_->setMaxPendingConnections(1024);
        if (!serveur_->listen(options_.adresse, options_.portTcp)) {
            if (erreur)
                *erreur = QStringLiteral("port %1 : %2")
                              .arg(options_.portTcp)
                              .arg(serveur_->errorString());
            return false;
        }
    }
    if (!options_.lienPty.isEmpty()) {
        maitrePty_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (maitrePty_ < 0 || grantpt(maitrePty_) != 0 || unlockpt(maitrePty_) != 0) {
            if (erreur)
                *erreur = QStringLiteral("pseudo-terminal : %1")
                              .arg(QString::fromLocal8Bit(std::strerror(errno)));
            return false;
        }
        cheminPty_ = QString::fromLocal8Bit(ptsname(maitrePty_));
        esclavePty_ = ::open(ptsname(maitrePty_), O_RDWR | O_NOCTTY | O_CLOEXEC);
        termios t{};
        if (esclavePty_ >= 0 && tcgetattr(esclavePty_, &t) == 0) {
            cfmakeraw(&t); // a printer sees the bytes as sent, CR LF untouched
            tcsetattr(esclavePty_, TCSANOW, &t);
        }
        ::fcntl(maitrePty_, F_SETFL, ::fcntl(maitrePty_, F_GETFL) | O_NONBLOCK);
        QFile::remove(options_.lienPty);
        if (!QFile::link(cheminPty_, options_.lienPty)) {
            if (erreur)
                *erreur = QStringLiteral("lien %1 impossible a creer").arg(options_.lienPty);
            return false;
        }
        notifPty_ = new QSocketNotifier(maitrePty_, QSocketNotifier::Read, this);
        connect(notifPty_, &QSocketNotifier::activated, this, &ImprimanteVirtuelle::litPty);
    }
    return true;
}

void ImprimanteVirtuelle::arrete() {
    if (serveur_)
        serveur_->close();
    if (notifPty_) {
        notifPty_->setEnabled(false);
        delete notifPty_;
        notifPty_ = nullptr;
    }
    if (!options_.lienPty.isEmpty() && QFileInfo(options_.lienPty).isSymLink())
        QFile::remove(options_.lienPty);
    if (esclavePty_ >= 0)
        ::close(esclavePty_);
    if (maitrePty_ >= 0)
        ::close(maitrePty_);
    esclavePty_ = maitrePty_ = -1;
}

quint16 ImprimanteVirtuelle::portTcp() const {
    QMutexLocker l(&verrou_);
    return serveur_ ? serveur_->serverPort() : 0;
}

QString ImprimanteVirtuelle::cheminPty() const {
    QMutexLocker l(&verrou_);
    return cheminPty_;
}

QString ImprimanteVirtuelle::dossier() const {
    QMutexLocker l(&verrou_);
    return options_.dossier;
}

QList<EtiquetteImprimee> ImprimanteVirtuelle::etiquettes() const {
    QMutexLocker l(&verrou_);
    return etiquettes_;
}

int ImprimanteVirtuelle::nombreEtiquettes() const {
    QMutexLocker l(&verrou_);
    return int(etiquettes_.size());
}

QList<QByteArray> ImprimanteVirtuelle::travaux() const {
    QMutexLocker l(&verrou_);
    return travaux_;
}

QStringList ImprimanteVirtuelle::commandesInconnues() const {
    QMutexLocker l(&verrou_);
    return inconnues_;
}

int ImprimanteVirtuelle::connexions() const {
    QMutexLocker l(&verrou_);
    return connexions_;
}

void ImprimanteVirtuelle::accepte() {
    while (QTcpSocket* client = serveur_->nextPendingConnection()) {
        {
            QMutexLocker l(&verrou_);
            ++connexions_;
        }
        client->setProperty("travail", QByteArray());
        connect(client, &QTcpSocket::readyRead, this, [this, client] { recoit(client); });
        connect(client, &QTcpSocket::disconnected, this, [this, client] { finClient(client); });
        if (client->bytesAvailable() > 0)
            recoit(client);
    }
}

void ImprimanteVirtuelle::recoit(QTcpSocket* client) {
    const QByteArray octets = client->readAll();
    if (octets.isEmpty())
        return;
    client->setProperty("travail", client->property("travail").toByteArray() + octets);
    interprete(octets);
}

void ImprimanteVirtuelle::finClient(QTcpSocket* client) {
    recoit(client);
    gardeTravail(client->property("travail").toByteArray());
    client->deleteLater();
}

void ImprimanteVirtuelle::litPty() {
    char tampon[4096];
    while (true) {
        const ssize_t n = ::read(maitrePty_, tampon, sizeof tampon);
        if (n <= 0)
            break;
        const QByteArray octets(tampon, qsizetype(n));
        travailPty_ += octets;
        interprete(octets);
        // A serial line has no end of job: a print command closes one.
        QRegularExpressionMatch m;
        while ((m = Impression().match(QString::fromLatin1(travailPty_))).hasMatch()) {
            gardeTravail(travailPty_.left(m.capturedEnd()));
            travailPty_.remove(0, m.capturedEnd());
        }
    }
}

void ImprimanteVirtuelle::gardeTravail(const QByteArray& travail) {
    if (travail.isEmpty())
        return;
    QString chemin;
    {
        QMutexLocker l(&verrou_);
        travaux_ << travail;
        chemin = QStringLiteral("%1/travail_%2.epl")
                     .arg(options_.dossier)
                     .arg(travaux_.size(), 4, 10, QLatin1Char('0'));
    }
    QFile f(chemin);
    if (f.open(QIODevice::WriteOnly))
        f.write(travail);
}

void ImprimanteVirtuelle::interprete(const QByteArray& octets) {
    const QList<EtiquetteEPL2> imprimees = interpreteur_.ajoute(octets);
    for (const EtiquetteEPL2& e : imprimees) {
        EtiquetteImprimee etiquette;
        etiquette.contenu = e;
        {
            QMutexLocker l(&verrou_);
            etiquette.numero = int(etiquettes_.size()) + 1;
        }
        if (options_.dessine) {
            etiquette.fichierPng = QStringLiteral("%1/etiquette_%2.png")
                                       .arg(options_.dossier)
                                       .arg(etiquette.numero, 4, 10, QLatin1Char('0'));
            ImageEtiquette(e, &etiquette.contenu.erreurs).save(etiquette.fichierPng, "PNG");
        }
        if (!e.commandesInconnues.isEmpty()) {
            QFile f(options_.dossier + QStringLiteral("/commandes_inconnues.txt"));
            if (f.open(QIODevice::Append))
                for (const QString& c : e.commandesInconnues)
                    f.write(QStringLiteral("etiquette %1 : %2\n")
                                .arg(etiquette.numero)
                                .arg(c)
                                .toUtf8());
        }
        {
            QMutexLocker l(&verrou_);
            inconnues_ << e.commandesInconnues;
            etiquettes_ << etiquette;
        }
        emit etiquetteImprimee(etiquette.numero, etiquette.fichierPng);
    }
}

FilImprimanteVirtuelle::FilImprimanteVirtuelle(const OptionsImprimante& options)
    : imprimante_(new ImprimanteVirtuelle) {
    imprimante_->moveToThread(&fil_);
    QObject::connect(&fil_, &QThread::finished, imprimante_, &QObject::deleteLater);
    fil_.start();
    QMetaObject::invokeMethod(
        imprimante_, [this, options] { ok_ = imprimante_->demarre(options, &erreur_); },
        Qt::BlockingQueuedConnection);
}

FilImprimanteVirtuelle::~FilImprimanteVirtuelle() {
    QMetaObject::invokeMethod(
        imprimante_, [this] { imprimante_->arrete(); }, Qt::BlockingQueuedConnection);
    fil_.quit();
    fil_.wait();
}
