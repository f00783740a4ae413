#pragma once
// A station serving labels on loopback, its printer being the virtual one,
// and the labels other stations send it; for the print-server tests.
#include "EditeEtiquette.h"
#include "ImprimanteVirtuelle.h"
#include "PosteTest.h"
#include "ServeurImpression.h"

#include <QRegularExpression>
#include <QTcpServer>
#include <QTemporaryDir>
#include <arpa/inet.h>
#include <cerrno>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

// A tray label whose SN is `numero` on four digits, as a station sends it.
inline QByteArray EtiquetteNumero(int numero) {
    const QString sn = QStringLiteral("%1").arg(numero, 4, 10, QLatin1Char('0'));
    return (LignesEtiquette({QStringLiteral("Morvane 2  Ct Plateau"), QStringLiteral("C0"), sn,
                             QStringLiteral("5026"), QStringLiteral("0"), QStringLiteral("2"),
                             QStringLiteral("V3.07"), QStringLiteral("A%1").arg(numero),
                             QStringLiteral("EA ok R08"), QStringLiteral("IR ok"),
                             QStringLiteral("no test")})
                .join(QStringLiteral("\r\n")) +
            QStringLiteral("\r\n"))
        .toLatin1();
}

// The SN of a label as the printer read it ("SN: 0012" gives 12), or -1.
inline int SnDe(const EtiquetteEPL2& e) {
    static const QRegularExpression re(QStringLiteral("^SN: (\\d{4})$"));
    for (const ChampTexteEPL2& t : e.textes) {
        const auto m = re.match(t.texte);
        if (m.hasMatch())
            return m.captured(1).toInt();
    }
    return -1;
}

// A client of another station on loopback, as a plain socket that threads
// of their own may use: connected, or -1.
inline int ConnecteClient(quint16 port) {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        ::close(s);
        return -1;
    }
    return s;
}

// Bytes sent before the peer closed the connection (or the send failed).
inline qsizetype EnvoieTout(int s, const QByteArray& octets) {
    qsizetype fait = 0;
    while (fait < octets.size()) {
        const ssize_t n = ::send(s, octets.constData() + fait,
                                 static_cast<size_t>(octets.size() - fait), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        fait += n;
    }
    return fait;
}

// The status-bar texts the station has shown, oldest first.
inline QStringList TextesMessages(const HistoriquePoste& poste) {
    QStringList t;
    for (const auto& m : poste.historiqueMessages)
        t << m.texte;
    return t;
}

struct BancServeurImpression {
    QTemporaryDir dossier;
    std::unique_ptr<FilImprimanteVirtuelle> fil;
    PosteTest poste;
    quint16 port = 0;

    // `dessine`: the printer draws every label to a picture, as at the bench
    // (a load test reads the labels without drawing them).
    explicit BancServeurImpression(bool dessine = true) {
        OptionsImprimante o;
        o.dossier = dossier.path();
        o.dessine = dessine;
        fil = std::make_unique<FilImprimanteVirtuelle>(o);
        poste.reglages.portImp = QStringLiteral("TCP127.0.0.1:%1").arg(imprimante().portTcp());
        {
            QTcpServer libre;
            libre.listen(QHostAddress::LocalHost, 0);
            port = libre.serverPort();
        }
        poste.reglages.portSrv = QString::number(port);
        DemarreServeurImpression(poste);
    }
    ~BancServeurImpression() { poste.ExecuteFermeture(); }
    ImprimanteVirtuelle& imprimante() { return fil->imprimante(); }
    ServeurImpression& serveur() { return ServeurImpression::de(poste); }
};
