#include "LiaisonCarte.h"

#include "ModuleTraductions.h"
#include "Plateforme.h"
#include "Temps.h"

#include <QFileInfo>
#include <QThread>
#include <cmath>
#include <exception>

namespace {

const QByteArray kErrTimeOut = QByteArrayLiteral("Err: Time Out");
const QByteArray kErrSansSlash = QByteArrayLiteral("Err: ne commence pas par '/'");
const QByteArray kErrCheckSum = QByteArrayLiteral("Err: check sum incorrecte");

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

void OuvrePortCarte(Poste& poste, const QString& reglage) {
    QSerialPort& port = poste.MSCommCarte;

    // The line settings never contain ":", so the port is everything before
    // the last ":" (a device path may hold one of its own).
    const int deuxPoints = reglage.lastIndexOf(QLatin1Char(':'));
    QString numero = port.property("numeroPortCarte").toString();
    if (deuxPoints <= 0) {
        ErreurNonFatale(poste);
    } else {
        // The port as the operator knows it: the number, or the device path.
        const QString demande = reglage.left(deuxPoints).trimmed();
        const QString peripherique = Plateforme::PeripheriqueSerie(demande);
        if (port.isOpen()) {
            if (peripherique != port.property("peripheriqueCarte").toString())
                ErreurNonFatale(poste);
        } else {
            numero = demande;
            port.setPortName(peripherique);
            port.setProperty("numeroPortCarte", numero);
            port.setProperty("peripheriqueCarte", peripherique);
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

    if (!port.isOpen() && !port.open(QIODevice::ReadWrite)) {
        const QSerialPort::SerialPortError erreur = port.error();
        const QFileInfo fichier(port.property("peripheriqueCarte").toString());
        // A device we may read and write that still refuses us is held by
        // someone else (lock file or exclusive mode); a refusal of access
        // rights is reported as it is.
        const bool refusDroits =
            fichier.exists() && !(fichier.isReadable() && fichier.isWritable());
        QString texte;
        if (erreur == QSerialPort::PermissionError && !refusDroits)
            texte = QStringLiteral("Le port COM carte ") + numero + QLatin1Char(' ') + Msg[51];
        else if (erreur == QSerialPort::DeviceNotFoundError)
            texte = QStringLiteral("Le port COM carte ") + numero + QLatin1Char(' ') + Msg[52];
        else
            texte = port.errorString() + QStringLiteral("  (erreur n°") +
                    QString::number(static_cast<int>(erreur)) + QStringLiteral(") sur COM") +
                    numero;
        port.clearError();
        poste.operateur().Boite(texte, Msg[115], Icone::Exclamation);
        poste.FinProgramme();
    }
    poste.ArretDemande = false;
}

void FermePortcarte(Poste& poste) {
    QSerialPort& port = poste.MSCommCarte;
    if (!port.isOpen())
        return;
    port.close();
    if (port.isOpen())
        poste.operateur().Boite(QStringLiteral("Erreur FermePortCarte"));
    port.clearError();
}

QByteArray CalculCSmorvane2(const QByteArray& texte) {
    unsigned somme = 0;
    for (const char c : texte)
        somme += static_cast<unsigned char>(c);
    const unsigned valeur = (256u - somme % 256u) % 256u;
    return QByteArray::number(valeur, 16).toUpper().rightJustified(2, '0');
}

void EnvoiCdeMorvane2(Poste& poste, const QByteArray& commande) {
    QSerialPort& port = poste.MSCommCarte;
    if (!port.isOpen())
        return;
    // A reply that came too late for the previous command would otherwise be
    // read as the reply to this one.
    port.clear(QSerialPort::Input);
    port.readAll();
    port.write(QByteArray(1, '\x1b'));
    port.write(commande);
    port.write(CalculCSmorvane2(commande));
    port.write(QByteArray(1, '\r'));
    // Generous: at 9600 baud a frame of 100 bytes takes about 0.1 s.
    port.waitForBytesWritten(2000);
}

QByteArray lectReponseAutomate(Poste& poste, int timeoutMs) {
    QSerialPort& port = poste.MSCommCarte;
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
    const QByteArray s = lectReponseAutomate(poste, timeoutMs);
    if (s.size() < 2)
        return kErrTimeOut;
    if (s.at(0) != '/')
        return kErrSansSlash;
    // "/" + head + two checksum characters at the least.
    if (s.size() < 4)
        return kErrCheckSum;
    if (CalculCSmorvane2(s.mid(1, s.size() - 3)) != s.right(2))
        return kErrCheckSum;
    return s.mid(2, s.size() - 4);
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

QString ConvDecBin(int valeur, int& compteur) {
    QString resultat;
    compteur = 0;
    int reste = valeur;
    for (int i = 1; i <= 8; ++i) {
        const int poids = 1 << (8 - i);
        const int bit = reste / poids;
        if (bit != 0) {
            resultat += QLatin1Char('1');
            ++compteur;
        } else {
            resultat += QLatin1Char('0');
        }
        reste -= poids * bit;
    }
    return resultat;
}

long ConvHexDec(const QString& texte) {
    if (texte.isEmpty())
        return 0;
    unsigned long total = 0;
    for (const QChar c : texte) {
        int chiffre = 0;
        const char16_t u = c.unicode();
        if (u >= '0' && u <= '9')
            chiffre = u - '0';
        else if (u >= 'A' && u <= 'F')
            chiffre = u - 'A' + 10;
        else if (u >= 'a' && u <= 'f')
            chiffre = u - 'a' + 10;
        else
            return 0;
        total = total * 16u + static_cast<unsigned long>(chiffre);
    }
    return static_cast<long>(total);
}
