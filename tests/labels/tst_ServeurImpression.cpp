// The station's label print server on loopback, forwarding to the virtual
// printer: channels, whole labels, no mixing, no loss.
#include "BancServeurImpression.h"
#include "LiaisonImprimante.h"

#include <QRegularExpression>
#include <QSet>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

namespace {

// A station serving labels, and its clients.
struct Banc : BancServeurImpression {
    std::unique_ptr<QTcpSocket> client() {
        auto s = std::make_unique<QTcpSocket>();
        s->connectToHost(QHostAddress::LocalHost, port);
        // The server accepts in this thread: let it run while connecting.
        QDeadlineTimer limite(10000);
        while (s->state() != QAbstractSocket::ConnectedState && !limite.hasExpired())
            QTest::qWait(2);
        if (s->state() != QAbstractSocket::ConnectedState)
            return nullptr;
        return s;
    }
    void envoie(const QByteArray& octets) {
        auto s = client();
        QVERIFY(s);
        s->write(octets);
        QVERIFY(s->waitForBytesWritten(5000));
        s->disconnectFromHost();
    }
};

} // namespace

class TstServeurImpression : public QObject {
    Q_OBJECT
private slots:
    void sansPortRienNEcoute();
    void portDejaUtilise();
    void portInvalideTermine();
    void deuxClientsSuccessifsReutilisentLeCanal1();
    void deuxClientsEnMemeTempsDeuxCanaux();
    void deuxClientsPendantLaLiberationDeCanaux();
    void aucunTravailPendantLAttenteDeLImprimante();
    void vingtClientsEnMemeTemps();
    void etiquetteEnPetitsMorceaux();
    void deuxEtiquettesDansUneConnexion();
    void imprimanteInjoignableGardeLesEtiquettes();
    void tropDeDonneesSansImpression();
    void soixanteCinquiemeClientRefuse();
    void fermetureFermeLesCanaux();
};

void TstServeurImpression::sansPortRienNEcoute() {
    PosteTest poste;
    DemarreServeurImpression(poste);
    QVERIFY(!ServeurImpression::de(poste).ecoute());
    QVERIFY(poste.op.echanges.isEmpty());
    poste.ExecuteFermeture();
    QVERIFY(poste.historiqueMessages.size() <= 1); // only the message window's own close
}

void TstServeurImpression::portDejaUtilise() {
    QTcpServer autre;
    QVERIFY(autre.listen(QHostAddress::Any, 0));
    PosteTest poste;
    poste.reglages.portSrv = QString::number(autre.serverPort());
    DemarreServeurImpression(poste);
    QCOMPARE(poste.op.boites(),
             QStringList{QStringLiteral("vous ne pouvez pas avoir plusieurs serveurs "
                                        "d'impression à l'ecoute sur le meme port")});
    QVERIFY(poste.reglages.portSrv.isEmpty());
    QCOMPARE(poste.finsDemandees, 0);
}

void TstServeurImpression::portInvalideTermine() {
    PosteTest poste;
    poste.reglages.portSrv = QStringLiteral("70000");
    QVERIFY_THROWS_EXCEPTION(FinProgrammeDemandee, DemarreServeurImpression(poste));
    QCOMPARE(poste.op.echanges.size(), 1);
    QVERIFY(poste.op.dernier().texte.startsWith(QStringLiteral("erreur n° ")));
    QCOMPARE(poste.codeFin, kFinEchec);
}

void TstServeurImpression::deuxClientsSuccessifsReutilisentLeCanal1() {
    Banc banc;
    banc.envoie(EtiquetteNumero(1));
    QTRY_COMPARE_WITH_TIMEOUT(banc.imprimante().nombreEtiquettes(), 1, 20000);
    QTRY_COMPARE(banc.serveur().etatCanal(1),
                 EtatSocket::FermetureParHomologue); // the client has left
    banc.envoie(EtiquetteNumero(2));
    QTRY_COMPARE_WITH_TIMEOUT(banc.imprimante().nombreEtiquettes(), 2, 20000);

    QCOMPARE(banc.serveur().nombreCanaux(), 1);
    QStringList textes;
    for (const QString& t : TextesMessages(banc.poste))
        if (t.startsWith(QStringLiteral("Liberation")) || t.contains(QStringLiteral("sur canal")))
            textes << t.section(QStringLiteral("port "), -1); // the state may already be 8
    QCOMPARE(textes.size(), 3);
    QVERIFY(textes[0].endsWith(QStringLiteral(" sur canal 1   IP client : 127.0.0.1")));
    QCOMPARE(textes[1], QStringLiteral("Liberation du canal 1"));
    QVERIFY(textes[2].endsWith(QStringLiteral(" sur canal 1   IP client : 127.0.0.1")));
    QTRY_COMPARE(banc.imprimante().travaux(),
                 (QList<QByteArray>{EtiquetteNumero(1), EtiquetteNumero(2)}));
}

void TstServeurImpression::deuxClientsEnMemeTempsDeuxCanaux() {
    Banc banc;
    auto a = banc.client();
    auto b = banc.client();
    QVERIFY(a && b);
    QTRY_COMPARE(banc.serveur().nombreCanaux(), 2);
    QCOMPARE(banc.serveur().etatCanal(1), EtatSocket::Connecte);
    QCOMPARE(banc.serveur().etatCanal(2), EtatSocket::Connecte);
    const QStringList textes = TextesMessages(banc.poste);
    QVERIFY(textes.contains(QStringLiteral("port connecté sur canal 2   IP client : 127.0.0.1")));
}

// Channel 1 closed, channels 2 and 3 waiting to be freed, two clients
// connecting together: the accept that frees channels lets events run, and
// the second accept must not take the channel the first one has chosen.
void TstServeurImpression::deuxClientsPendantLaLiberationDeCanaux() {
    Banc banc;
    auto c1 = banc.client();
    auto c2 = banc.client();
    auto c3 = banc.client();
    QVERIFY(c1 && c2 && c3);
    QTRY_COMPARE(banc.serveur().nombreCanaux(), 3);
    // Channel 1 closes itself: more than the limit without a print command.
    const QByteArray ligne = "A2,4,0,4,1,1,N,\"" + QByteArray(200, 'x') + "\"\r\n";
    for (int i = 0; i < 6000 && c1->state() == QAbstractSocket::ConnectedState; ++i) {
        c1->write(ligne);
        if (i % 100 == 0)
            QTest::qWait(1);
    }
    QTRY_COMPARE_WITH_TIMEOUT(banc.serveur().etatCanal(1), EtatSocket::Ferme, 20000);
    c2->disconnectFromHost();
    c3->disconnectFromHost();
    QTRY_VERIFY(banc.serveur().etatCanal(2) != EtatSocket::Connecte &&
                banc.serveur().etatCanal(3) != EtatSocket::Connecte);

    QTcpSocket a;
    QTcpSocket b;
    a.connectToHost(QHostAddress::LocalHost, banc.port);
    b.connectToHost(QHostAddress::LocalHost, banc.port);
    QTRY_VERIFY(a.state() == QAbstractSocket::ConnectedState &&
                b.state() == QAbstractSocket::ConnectedState);
    a.write(EtiquetteNumero(41));
    b.write(EtiquetteNumero(42));
    a.flush();
    b.flush();
    QTRY_COMPARE_WITH_TIMEOUT(banc.imprimante().nombreEtiquettes(), 2, 20000);
    const QList<QByteArray> travaux = banc.imprimante().travaux();
    QCOMPARE(QSet<QByteArray>(travaux.begin(), travaux.end()),
             QSet<QByteArray>({EtiquetteNumero(41), EtiquetteNumero(42)}));
}

// While a client's label waits for the printer, events run: a workflow
// clicked then is refused (its own label would print after it asked the
// operator to stick it); once the label is out, workflows run again.
void TstServeurImpression::aucunTravailPendantLAttenteDeLImprimante() {
    Banc banc;
    int tentatives = 0;
    bool lance = false;
    QTimer veille;
    veille.setInterval(0);
    connect(&veille, &QTimer::timeout, this, [&] {
        if (tentatives == 0 && LiaisonImprimante::de(banc.poste).occupee()) {
            ++tentatives;
            banc.poste.Execute([&] { lance = true; }, QStringLiteral("BtAttribuSN"), true);
        }
    });
    veille.start();
    banc.envoie(EtiquetteNumero(7));
    QTRY_COMPARE_WITH_TIMEOUT(banc.imprimante().nombreEtiquettes(), 1, 20000);
    veille.stop();
    QCOMPARE(tentatives, 1);
    QVERIFY(!lance);
    QTRY_VERIFY(!LiaisonImprimante::de(banc.poste).occupee());
    banc.poste.Execute([&] { lance = true; }, QStringLiteral("BtAttribuSN"), true);
    QVERIFY(lance);
}

void TstServeurImpression::vingtClientsEnMemeTemps() {
    Banc banc;
    std::vector<std::unique_ptr<QTcpSocket>> clients;
    for (int i = 0; i < 20; ++i) {
        clients.push_back(banc.client());
        QVERIFY(clients.back());
    }
    // Every client sends its label in pieces, all of them taking turns.
    const int morceau = 37;
    for (int debut = 0; debut < EtiquetteNumero(0).size() + morceau; debut += morceau) {
        for (int i = 0; i < 20; ++i)
            clients[i]->write(EtiquetteNumero(100 + i).mid(debut, morceau));
        for (auto& c : clients)
            c->flush();
        QTest::qWait(2);
    }
    for (auto& c : clients)
        c->disconnectFromHost();
    QTRY_COMPARE_WITH_TIMEOUT(banc.imprimante().nombreEtiquettes(), 20, 60000);
    QTest::qWait(200);
    QCOMPARE(banc.imprimante().nombreEtiquettes(), 20);

    QSet<QByteArray> attendus, imprimes;
    for (int i = 0; i < 20; ++i)
        attendus << EtiquetteNumero(100 + i);
    QTRY_COMPARE(banc.imprimante().travaux().size(), 20);
    for (const QByteArray& t : banc.imprimante().travaux())
        imprimes << t;
    QCOMPARE(imprimes, attendus);
}

void TstServeurImpression::etiquetteEnPetitsMorceaux() {
    Banc banc;
    auto c = banc.client();
    QVERIFY(c);
    const QByteArray e = EtiquetteNumero(7);
    for (qsizetype i = 0; i < e.size(); i += 3) {
        c->write(e.mid(i, 3));
        c->flush();
        QTest::qWait(1);
    }
    QTRY_COMPARE_WITH_TIMEOUT(banc.imprimante().nombreEtiquettes(), 1, 20000);
    // Printed at its print command, before the client even closes.
    QCOMPARE(c->state(), QAbstractSocket::ConnectedState);
    QTRY_COMPARE(banc.imprimante().travaux(), QList<QByteArray>{e});
}

void TstServeurImpression::deuxEtiquettesDansUneConnexion() {
    Banc banc;
    banc.envoie(EtiquetteNumero(1) + EtiquetteNumero(2) + "N\r\nA2,4,0,4,1,1,N,\"sans P\"\r\n");
    QTRY_COMPARE_WITH_TIMEOUT(banc.imprimante().travaux().size(), 3, 20000);
    // Each label is a job of its own; what follows the last one goes at the close.
    QCOMPARE(banc.imprimante().travaux(),
             (QList<QByteArray>{EtiquetteNumero(1), EtiquetteNumero(2),
                                "N\r\nA2,4,0,4,1,1,N,\"sans P\"\r\n"}));
    QCOMPARE(banc.imprimante().nombreEtiquettes(), 2);
}

// A network printer that does not answer (switched off, restarting) keeps
// the labels in order until it answers again: none is dropped.
void TstServeurImpression::imprimanteInjoignableGardeLesEtiquettes() {
    Banc banc;
    quint16 ailleurs = 0;
    {
        QTcpServer libre;
        QVERIFY(libre.listen(QHostAddress::LocalHost, 0));
        ailleurs = libre.serverPort();
    }
    banc.poste.reglages.portImp = QStringLiteral("TCP127.0.0.1:%1").arg(ailleurs);
    banc.envoie(EtiquetteNumero(1));
    banc.envoie(EtiquetteNumero(2));
    QTRY_VERIFY_WITH_TIMEOUT(LiaisonImprimante::de(banc.poste).travauxEnAttente() == 2, 10000);
    QVERIFY(LiaisonImprimante::de(banc.poste).repriseProgrammee());
    QVERIFY2(TextesMessages(banc.poste)
                     .filter(QRegularExpression(
                         "^imprimante injoignable : [12] etiquette\\(s\\) en attente, nouvel essai "
                         "dans [12] s$"))
                     .size() >= 1,
             qPrintable(TextesMessages(banc.poste).join('\n')));

    QTemporaryDir dossier;
    OptionsImprimante o;
    o.dossier = dossier.path();
    o.portTcp = ailleurs;
    FilImprimanteVirtuelle revenue(o);
    QVERIFY2(revenue.ok(), qPrintable(revenue.erreur()));
    QTRY_COMPARE_WITH_TIMEOUT(revenue.imprimante().travaux(),
                              (QList<QByteArray>{EtiquetteNumero(1), EtiquetteNumero(2)}), 20000);
    QCOMPARE(LiaisonImprimante::de(banc.poste).travauxEnAttente(), 0);
    QCOMPARE(banc.imprimante().nombreEtiquettes(), 0);
}

void TstServeurImpression::tropDeDonneesSansImpression() {
    Banc banc;
    auto c = banc.client();
    QVERIFY(c);
    const QByteArray ligne = "A2,4,0,4,1,1,N,\"" + QByteArray(200, 'x') + "\"\r\n";
    for (int i = 0; i < 6000 && c->state() == QAbstractSocket::ConnectedState; ++i) {
        c->write(ligne);
        if (i % 100 == 0)
            QTest::qWait(1);
    }
    QTRY_COMPARE_WITH_TIMEOUT(c->state(), QAbstractSocket::UnconnectedState, 20000);
    QTRY_VERIFY(std::any_of(banc.poste.historiqueMessages.begin(),
                            banc.poste.historiqueMessages.end(), [](const auto& m) {
                                return m.texte.startsWith(QStringLiteral(
                                    "canal 1 ferme : plus de 1 Mo sans commande d'impression"));
                            }));
    QTest::qWait(200);
    QCOMPARE(banc.imprimante().travaux().size(), 0);
    // The channel serves again.
    banc.envoie(EtiquetteNumero(3));
    QTRY_COMPARE_WITH_TIMEOUT(banc.imprimante().travaux(), QList<QByteArray>{EtiquetteNumero(3)},
                              20000);
}

void TstServeurImpression::soixanteCinquiemeClientRefuse() {
    Banc banc;
    std::vector<std::unique_ptr<QTcpSocket>> clients;
    for (int i = 0; i < ServeurImpression::kClientsMax; ++i) {
        clients.push_back(banc.client());
        QVERIFY(clients.back());
    }
    QTRY_COMPARE(banc.serveur().nombreCanaux(), ServeurImpression::kClientsMax);
    QTcpSocket refuse;
    refuse.connectToHost(QHostAddress::LocalHost, banc.port);
    QTRY_VERIFY(TextesMessages(banc.poste)
                    .last()
                    .startsWith(QStringLiteral("connexion refusee (64 clients deja servis)")));
    QTRY_COMPARE(refuse.state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(banc.serveur().nombreCanaux(), ServeurImpression::kClientsMax);
    // Once one leaves, a newcomer is served on its channel.
    clients[10]->disconnectFromHost();
    QTRY_COMPARE(banc.serveur().etatCanal(11), EtatSocket::FermetureParHomologue);
    banc.envoie(EtiquetteNumero(5));
    QTRY_COMPARE_WITH_TIMEOUT(banc.imprimante().travaux(), QList<QByteArray>{EtiquetteNumero(5)},
                              20000);
    QVERIFY(TextesMessages(banc.poste).contains(QStringLiteral("Liberation du canal 11")));
}

void TstServeurImpression::fermetureFermeLesCanaux() {
    Banc banc;
    auto a = banc.client();
    auto b = banc.client();
    QVERIFY(a && b);
    QTRY_COMPARE(banc.serveur().nombreCanaux(), 2);
    b->disconnectFromHost();
    QTRY_COMPARE(banc.serveur().etatCanal(2), EtatSocket::FermetureParHomologue);
    banc.poste.ExecuteFermeture();
    const QStringList textes = TextesMessages(banc.poste);
    QVERIFY(textes.contains(QStringLiteral("fermeture de la liaison 1 port connecté")));
    QVERIFY(textes.contains(QStringLiteral(
        "fermeture de la liaison 2 port Connexion en cours de fermeture par l'homologue")));
    QTRY_COMPARE(a->state(), QAbstractSocket::UnconnectedState);
    QVERIFY(!banc.serveur().ecoute());
}

QTEST_MAIN(TstServeurImpression)
#include "tst_ServeurImpression.moc"
