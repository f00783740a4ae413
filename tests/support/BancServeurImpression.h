#pragma once
// A station serving labels on loopback, its printer being the virtual one,
// and the labels other stations send it; for the print-server tests.
#include "EditeEtiquette.h"
#include "ImprimanteVirtuelle.h"
#include "PosteTest.h"
#include "ServeurImpression.h"

#include <QTcpServer>
#include <QTemporaryDir>
#include <memory>

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

// The status-bar texts the station has shown, oldest first.
inline QStringList TextesMessages(const Poste& poste) {
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

    BancServeurImpression() {
        OptionsImprimante o;
        o.dossier = dossier.path();
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
