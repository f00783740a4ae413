// The printer link on real transports: loopback TCP, a pseudo-terminal
// opened as a serial port or written as a device, and the queue that keeps
// two labels from mixing.
#include "EditeEtiquette.h"
#include "LiaisonImprimante.h"
#include "PosteTest.h"
#include "TransportsImprimante.h"

#include <QFile>
#include <QSerialPort>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

namespace {

const QStringList kCarte{"Morvane 2  Ct Plateau",
                         "C8",
                         "0A1B",
                         "0526",
                         "0",
                         "3",
                         "V3.07",
                         "",
                         "EA ok R08",
                         "IR ok",
                         "no test"};

void Edite(Poste& poste, const QStringList& a = kCarte) {
    EditeEtiquette(poste, {a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9], a[10]});
}

QByteArray Octets(const QStringList& a = kCarte) {
    return (LignesEtiquette({a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9], a[10]})
                .join(QStringLiteral("\r\n")) +
            QStringLiteral("\r\n"))
        .toLatin1();
}

QStringList Textes(const HistoriquePoste& poste, int dureeMs) {
    QStringList t;
    for (const auto& m : poste.historiqueMessages)
        if (m.dureeMs == dureeMs)
            t << m.texte;
    return t;
}

quint16 PortLibre() {
    QTcpServer s;
    s.listen(QHostAddress::LocalHost, 0);
    return s.serverPort();
}

// A pseudo-terminal in raw mode, reached through a link of its own (its lock
// file is this test's alone, whatever number the system gives the terminal);
// the test reads what reaches its master.
struct Pty {
    int maitre = -1;
    QTemporaryDir dossier;
    QString esclave;
    Pty() {
        maitre = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        grantpt(maitre);
        unlockpt(maitre);
        esclave = dossier.filePath(QStringLiteral("imprimante"));
        QFile::link(QString::fromLocal8Bit(ptsname(maitre)), esclave);
        const int e = ::open(ptsname(maitre), O_RDWR | O_NOCTTY);
        termios t{};
        tcgetattr(e, &t);
        cfmakeraw(&t);
        tcsetattr(e, TCSANOW, &t);
        ::close(e);
        ::fcntl(maitre, F_SETFL, ::fcntl(maitre, F_GETFL) | O_NONBLOCK);
    }
    ~Pty() { ::close(maitre); }
    QByteArray lit(qsizetype attendus) {
        QByteArray recu;
        QDeadlineTimer limite(10000);
        while (recu.size() < attendus && !limite.hasExpired()) {
            char b[1024];
            const ssize_t n = ::read(maitre, b, sizeof b);
            if (n > 0)
                recu.append(b, n);
            else
                QThread::msleep(5);
        }
        return recu;
    }
};

// A loopback port that never completes a connection: its accept queue is
// full, so the kernel drops further handshakes.
struct CibleMuette {
    int ecoute = -1;
    std::vector<int> remplissage;
    quint16 port = 0;
    CibleMuette() {
        ecoute = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(ecoute, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(ecoute, 0);
        socklen_t l = sizeof a;
        ::getsockname(ecoute, reinterpret_cast<sockaddr*>(&a), &l);
        port = ntohs(a.sin_port);
        for (int i = 0; i < 3; ++i) {
            const int c = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
            ::connect(c, reinterpret_cast<sockaddr*>(&a), sizeof a);
            remplissage.push_back(c);
        }
        QThread::msleep(200);
    }
    ~CibleMuette() {
        for (int c : remplissage)
            ::close(c);
        ::close(ecoute);
    }
};

} // namespace

class TstLiaisonImprimante : public QObject {
    Q_OBJECT
private slots:
    void tcpRefuse();
    void tcpSansReponse();
    void tcpDejaConnecteReutilise();
    void tcpDerniereLigneArrive();
    void serieSurPseudoTerminal();
    void serieOccupee();
    void serieInexistante_data();
    void serieInexistante();
    void cheminPeripherique();
    void lptAbsent();
    void etiquetteDuranteEtiquetteAttend();
};

void TstLiaisonImprimante::tcpRefuse() {
    PosteTest poste;
    const quint16 port = PortLibre();
    poste.reglages.portImp = QStringLiteral("TCP127.0.0.1:%1").arg(port);
    Edite(poste);
    const QStringList sansLimite = Textes(poste, 0);
    QCOMPARE(sansLimite.first(), QStringLiteral("port fermé"));
    QCOMPARE(Textes(poste, 2000).first(),
             QStringLiteral("demande connection sur 127.0.0.1 port %1").arg(port));
    // Every one of the 19 lines is dropped, each showing the error state.
    QCOMPARE(Textes(poste, 2000).mid(1), QStringList(19, QStringLiteral("port Erreur")));
    QVERIFY(poste.op.echanges.isEmpty());
}

void TstLiaisonImprimante::tcpSansReponse() {
    CibleMuette cible;
    PosteTest poste;
    poste.reglages.AdresseImp = QStringLiteral("127.0.0.1");
    poste.reglages.PortTcpImp = QString::number(cible.port);
    poste.reglages.portImp = QStringLiteral("TCP127.0.0.1:%1").arg(cible.port);
    Edite(poste);
    QStringList essais;
    for (int i = 1; i <= 40; ++i)
        essais << QStringLiteral("essai : %1").arg(i);
    QCOMPARE(Textes(poste, 0).mid(1), essais); // after "port fermé", then gives up
    QCOMPARE(Textes(poste, 2000).mid(1),
             QStringList(19, QStringLiteral("port en cours de connection")));
}

void TstLiaisonImprimante::tcpDejaConnecteReutilise() {
    QTcpServer imprimante;
    QVERIFY(imprimante.listen(QHostAddress::LocalHost, 0));
    PosteTest poste;
    TransportTcp transport(poste, QStringLiteral("127.0.0.1"),
                           QString::number(imprimante.serverPort()));
    QVERIFY(transport.connecteAvantEtiquette(5000));
    QTRY_VERIFY(imprimante.hasPendingConnections());
    QTcpSocket* recu = imprimante.nextPendingConnection();

    // The label's lines, as the link hands them over.
    transport.ouvre();
    transport.envoi(Octets());
    transport.ferme();
    QVERIFY(poste.historiqueMessages.empty()); // no state, no connection request
    QByteArray octets;
    QTRY_VERIFY_WITH_TIMEOUT(
        (octets += recu->readAll(), recu->state() != QAbstractSocket::ConnectedState), 10000);
    octets += recu->readAll();
    QCOMPARE(octets, Octets());
    QVERIFY(!imprimante.hasPendingConnections()); // no second connection
}

void TstLiaisonImprimante::tcpDerniereLigneArrive() {
    // A label far larger than the socket buffers: the close must wait for it.
    QTcpServer imprimante;
    QVERIFY(imprimante.listen(QHostAddress::LocalHost, 0));
    PosteTest poste;
    poste.reglages.portImp = QStringLiteral("TCP127.0.0.1:%1").arg(imprimante.serverPort());
    QByteArray gros(1024 * 1024, 'x');
    QByteArray recu;
    QTcpSocket* pair = nullptr;
    connect(&imprimante, &QTcpServer::newConnection, this, [&] {
        pair = imprimante.nextPendingConnection();
        connect(pair, &QTcpSocket::readyRead, this, [&] { recu += pair->readAll(); });
    });
    OuvrePortImprimante(poste);
    EnvoiLigneImprimante(poste, gros);
    EnvoiLigneImprimante(poste, QStringLiteral("P1\r\n"));
    FermePortImprimante(poste);
    QTRY_COMPARE_WITH_TIMEOUT(recu.size(), gros.size() + 4, 20000);
    QVERIFY(recu.endsWith("xP1\r\n"));
}

void TstLiaisonImprimante::serieSurPseudoTerminal() {
    Pty pty;
    PosteTest poste;
    poste.reglages.portImp = QStringLiteral("COM") + pty.esclave;
    Edite(poste);
    QCOMPARE(pty.lit(Octets().size()), Octets());
    QVERIFY(!LiaisonImprimante::de(poste).transportOuvert()); // closed after the label
    QVERIFY(poste.op.echanges.isEmpty());
    // Opened again for the next label, closed again at its end.
    OuvrePortImprimante(poste);
    QVERIFY(LiaisonImprimante::de(poste).transportOuvert());
    FermePortImprimante(poste);
    QVERIFY(!LiaisonImprimante::de(poste).transportOuvert());
}

void TstLiaisonImprimante::serieOccupee() {
    Pty pty;
    QSerialPort autre(pty.esclave);
    QVERIFY(autre.open(QIODevice::ReadWrite));
    PosteTest poste;
    poste.reglages.portImp = QStringLiteral("COM") + pty.esclave;
    QVERIFY_THROWS_EXCEPTION(FinProgrammeDemandee, Edite(poste));
    QCOMPARE(poste.op.echanges.size(), 1);
    QCOMPARE(poste.op.dernier().texte,
             QStringLiteral("Le port COM") + pty.esclave + QStringLiteral(" est déja utilisé"));
    QCOMPARE(poste.op.dernier().titre, QStringLiteral("Erreur ouverture port Imprimante"));
    QCOMPARE(poste.op.dernier().icone, Icone::Exclamation);
    QCOMPARE(poste.finsDemandees, 1);
    QCOMPARE(poste.codeFin, kFinEchec);
}

void TstLiaisonImprimante::serieInexistante_data() {
    QTest::addColumn<QString>("numero");
    QTest::newRow("COM99") << "99";
    QTest::newRow("COM0, jamais le premier port") << "0";
}
void TstLiaisonImprimante::serieInexistante() {
    QFETCH(QString, numero);
    PosteTest poste;
    poste.reglages.portImp = QStringLiteral("COM") + numero;
    QVERIFY_THROWS_EXCEPTION(FinProgrammeDemandee, Edite(poste));
    QCOMPARE(poste.op.boites(),
             QStringList{QStringLiteral("Le port COM") + numero + QStringLiteral(" n'existe pas")});
    QCOMPARE(poste.codeFin, kFinEchec);
    QCOMPARE(poste.op.dernier().titre, QStringLiteral("Erreur ouverture port Imprimante"));
}

void TstLiaisonImprimante::cheminPeripherique() {
    Pty pty;
    PosteTest poste;
    poste.reglages.portImp = pty.esclave;
    Edite(poste);
    Edite(poste);
    QCOMPARE(pty.lit(2 * Octets().size()), Octets() + Octets());
    QVERIFY(poste.op.echanges.isEmpty());
}

void TstLiaisonImprimante::lptAbsent() {
    PosteTest poste;
    poste.reglages.portImp = QStringLiteral("LPT9");
    if (QFile::exists(QStringLiteral("/dev/lp8")))
        QSKIP("a parallel port 9 exists here");
    Edite(poste);
    QCOMPARE(poste.op.echanges.size(), 1);
    QVERIFY(poste.op.dernier().texte.startsWith(
        QStringLiteral("Erreur non fatale dans OuvrePortImprimante")));
    QVERIFY(!QFile::exists(QStringLiteral("/dev/lp8")));
    QCOMPARE(Textes(poste, 2000).size(), 19); // each lost line says so
}

void TstLiaisonImprimante::etiquetteDuranteEtiquetteAttend() {
    // A second label asked for while the first one waits for its connection
    // is printed whole after it, never inside it.
    QTcpServer imprimante;
    QVERIFY(imprimante.listen(QHostAddress::LocalHost, 0));
    QList<QByteArray> travaux;
    connect(&imprimante, &QTcpServer::newConnection, this, [&] {
        QTcpSocket* s = imprimante.nextPendingConnection();
        const qsizetype n = travaux.size();
        travaux << QByteArray();
        connect(s, &QTcpSocket::readyRead, this, [&, s, n] { travaux[n] += s->readAll(); });
    });
    PosteTest poste;
    poste.reglages.portImp = QStringLiteral("TCP127.0.0.1:%1").arg(imprimante.serverPort());
    QStringList plateau = kCarte;
    plateau[0] = QStringLiteral("Morvane 2 Plateau R13");
    plateau[1] = QStringLiteral("PB");
    bool imbriquee = false;
    QTimer::singleShot(0, this, [&] {
        imbriquee = LiaisonImprimante::de(poste).occupee();
        Edite(poste, plateau);
    });
    Edite(poste);
    QVERIFY(imbriquee);
    QTRY_COMPARE(travaux.size(), 2);
    QTRY_COMPARE(travaux[0], Octets());
    QTRY_COMPARE(travaux[1], Octets(plateau));
}

QTEST_GUILESS_MAIN(TstLiaisonImprimante)
#include "tst_LiaisonImprimante.moc"
