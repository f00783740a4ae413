#include "LiaisonCarte.h"

#include "ModuleTraductions.h"
#include "Plateforme.h"
#include "Temps.h"

#include <QThread>
#include <cmath>
#include <exception>

namespace {

struct ReglageLigne {
    qint32 vitesse = 9600;
    QSerialPort::Parity parite = QSerialPort::NoParity;
    QSerialPort::DataBits bits = QSerialPort::Data8;
    QSerialPort::StopBits arrets = QSerialPort::OneStop;
};

// "9600,n,8,1": baud, parity letter, data bits, stop bits.
bool LitReglageLigne(const QString& texte, ReglageLigne& r) {
    const QStringList champs = texte.trimmed().split(QLatin1Char(','));
    if (champs.size() != 4)
        return false;
    bool ok = false;
    r.vitesse = champs[0].trimmed().toInt(&ok);
    if (!ok || r.vitesse <= 0)
        return false;
    const QString p = champs[1].trimmed().toLower();
    if (p == QLatin1String("n"))
        r.parite = QSerialPort::NoParity;
    else if (p == QLatin1String("e"))
        r.parite = QSerialPort::EvenParity;
    else if (p == QLatin1String("o"))
        r.parite = QSerialPort::OddParity;
    else if (p == QLatin1String("m"))
        r.parite = QSerialPort::MarkParity;
    else if (p == QLatin1String("s"))
        r.parite = QSerialPort::SpaceParity;
    else
        return false;
    const int bits = champs[2].trimmed().toInt(&ok);
    if (!ok || bits < 5 || bits > 8)
        return false;
    r.bits = static_cast<QSerialPort::DataBits>(bits);
    const QString s = champs[3].trimmed();
    if (s == QLatin1String("1"))
        r.arrets = QSerialPort::OneStop;
    else if (s == QLatin1String("1.5"))
        r.arrets = QSerialPort::OneAndHalfStop;
    else if (s == QLatin1String("2"))
        r.arrets = QSerialPort::TwoStop;
    else
        return false;
    return true;
}

void ErreurNonFatale(Poste& poste) {
    poste.operateur().Boite(QStringLiteral("Erreur non fatale dans OuvrePortCarte"));
}

} // namespace

LiaisonCarte& LiaisonCarte::de(Poste& poste) {
    if (!poste.liens.carte)
        poste.liens.carte = new LiaisonCarte(poste);
    return *poste.liens.carte;
}

LiaisonCarte::LiaisonCarte(Poste& poste) : QObject(&poste) {
    setObjectName(QStringLiteral("LiaisonCarte"));
    port_.setObjectName(QStringLiteral("MSCommCarte"));
}

LiaisonCarte::~LiaisonCarte() = default;

PortCarteOuvert::PortCarteOuvert(Poste& poste) : poste_(poste) {
    OuvrePortCarte(poste_, poste_.reglages.PortCarte);
}

PortCarteOuvert::~PortCarteOuvert() {
    ferme();
}

void PortCarteOuvert::ferme() {
    if (ouvert_) {
        ouvert_ = false;
        FermePortcarte(poste_);
    }
}

void OuvrePortCarte(Poste& poste, const QString& reglage) {
    LiaisonCarte& liaison = LiaisonCarte::de(poste);
    QSerialPort& port = liaison.port_;

    // The line settings never contain ":", so the port is everything before
    // the last ":" (a device path may hold one of its own).
    const int deuxPoints = reglage.lastIndexOf(QLatin1Char(':'));
    QString numero = liaison.numero_;
    if (deuxPoints <= 0) {
        ErreurNonFatale(poste);
    } else {
        // The port as the operator knows it: the number, or the device path.
        const QString demande = reglage.left(deuxPoints).trimmed();
        const QString peripherique = Plateforme::PeripheriqueSerie(demande);
        if (port.isOpen()) {
            if (peripherique != liaison.peripherique_)
                ErreurNonFatale(poste);
        } else {
            numero = demande;
            port.setPortName(peripherique);
            liaison.numero_ = numero;
            liaison.peripherique_ = peripherique;
        }
        ReglageLigne r;
        if (LitReglageLigne(reglage.mid(deuxPoints + 1), r)) {
            port.setBaudRate(r.vitesse);
            port.setParity(r.parite);
            port.setDataBits(r.bits);
            port.setStopBits(r.arrets);
            port.setFlowControl(QSerialPort::NoFlowControl);
        } else {
            ErreurNonFatale(poste);
        }
    }

    const bool tenu = !port.isOpen() && Plateforme::LibereVerrouAbandonne(liaison.peripherique_) ==
                                            Plateforme::EtatPort::Tenu;
    if (!port.isOpen() && (tenu || !port.open(QIODevice::ReadWrite))) {
        const QSerialPort::SerialPortError erreur =
            tenu ? QSerialPort::PermissionError : port.error();
        // A device we may read and write that still refuses us is held by
        // someone else (lock file or exclusive mode); a refusal of access
        // rights says so, and what to do about it.
        const bool refusDroits = !tenu && Plateforme::AccesRefuse(liaison.peripherique_);
        QString texte;
        if (erreur == QSerialPort::PermissionError && refusDroits)
            texte = QStringLiteral("Le port COM carte ") + numero + QStringLiteral(" : ") +
                    Plateforme::ConseilAccesRefuse(liaison.peripherique_);
        else if (erreur == QSerialPort::PermissionError)
            texte = QStringLiteral("Le port COM carte ") + numero + QLatin1Char(' ') + Msg[51];
        else if (erreur == QSerialPort::DeviceNotFoundError)
            texte = QStringLiteral("Le port COM carte ") + numero + QLatin1Char(' ') + Msg[52];
        else
            texte = port.errorString() + QStringLiteral("  (erreur n°") +
                    QString::number(static_cast<int>(erreur)) + QStringLiteral(") sur COM") +
                    numero;
        port.clearError();
        poste.operateur().Boite(texte, Msg[115], Icone::Exclamation);
        poste.FinProgramme(kFinEchec);
    }
    poste.ArretDemande = false;
}

void FermePortcarte(Poste& poste) {
    QSerialPort& port = LiaisonCarte::de(poste).port_;
    if (!port.isOpen())
        return;
    port.close();
    if (port.isOpen())
        poste.operateur().Boite(QStringLiteral("Erreur FermePortCarte"));
    port.clearError();
}

void EnvoiCdeMorvane2(Poste& poste, const QByteArray& commande) {
    QSerialPort& port = LiaisonCarte::de(poste).port_;
    if (!port.isOpen())
        return;
    // A reply that came too late for the previous command would otherwise be
    // read as the reply to this one.
    port.clear(QSerialPort::Input);
    port.readAll();
    port.write(TrameCommande(commande));
    // Generous: at 9600 baud a frame of 100 bytes takes about 0.1 s.
    port.waitForBytesWritten(2000);
}

QByteArray lectReponseAutomate(Poste& poste, int timeoutMs) {
    QSerialPort& port = LiaisonCarte::de(poste).port_;
    QByteArray texte;
    if (!port.isOpen()) {
        // Nobody can answer on a closed port: the time-out, without a warning per poll.
        QThread::msleep(static_cast<unsigned long>(qMax(timeoutMs, 0)));
        return texte;
    }
    const double debut = std::round(get_exact_milli_second());
    for (;;) {
        if (port.bytesAvailable() > 0) {
            char c = 0;
            if (port.getChar(&c)) {
                texte.append(c);
                if (c == '\r') {
                    texte.chop(1);
                    return texte;
                }
                continue;
            }
        }
        const double ecoule = get_exact_milli_second() - debut;
        if (ecoule > timeoutMs) {
            // Characters the system already holds are waiting characters too,
            // even when the time is up (or was never given).
            if (port.waitForReadyRead(0) && port.bytesAvailable() > 0)
                continue;
            return {};
        }
        // Sleep in the kernel until a character comes or the time is up; +1
        // so that the deadline is passed when the wait ends empty.
        const int reste = static_cast<int>(timeoutMs - ecoule) + 1;
        if (!port.waitForReadyRead(reste) && port.error() != QSerialPort::TimeoutError &&
            port.error() != QSerialPort::NoError) {
            // A port in error returns at once; do not spin on it.
            port.clearError();
            QThread::msleep(static_cast<unsigned long>(qMin(reste, 10)));
        }
    }
}

QByteArray LectRepMorvane2(Poste& poste, int timeoutMs) {
    return DecodeReponse(lectReponseAutomate(poste, timeoutMs));
}

QByteArray EnvoiEtReponseMorvane2(Poste& poste, const QByteArray& commande, int timeoutMs) {
    QByteArray resultat = QByteArrayLiteral("Err:");
    int essais = 0;
    for (;;) {
        try {
            ++essais;
            EnvoiCdeMorvane2(poste, commande);
            resultat = LectRepMorvane2(poste, timeoutMs);
            if (!EstErreur(resultat) || essais >= 2)
                return resultat;
            timePause(0.4f);
        } catch (const std::exception& e) {
            poste.operateur().Boite(QStringLiteral("Erreur n° 0 ") +
                                    QString::fromLocal8Bit(e.what()) +
                                    QStringLiteral("  dans EnvoiEtReponseMorvane2"));
            if (essais >= 2)
                return resultat;
        }
    }
}
