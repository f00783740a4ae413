// The station's label print server under load, on loopback, the virtual
// printer behind it: 64 clients at once sending 50 labels each, clients past
// the cap, a client that sends nothing, a client that sends megabytes with no
// print command. Clients are plain sockets in threads of their own, so that
// only the server runs in the station's thread; every label is read back
// from the printer.
#include "BancServeurImpression.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>
#include <arpa/inet.h>
#include <atomic>
#include <netinet/in.h>
#include <set>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
// From the sanitizer's runtime; GCC ships no header declaring it.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

constexpr int kParClient = 50;

// Label k of client c: its SN tells them apart ("SN: 1203" is client 12, label 3).
QByteArray Label(int c, int k) {
    return EtiquetteNumero(c * 100 + k);
}

QByteArray Labels(int c) {
    QByteArray r;
    for (int k = 0; k < kParClient; ++k)
        r += Label(c, k);
    return r;
}

// Whether the server has closed the connection, waiting up to `limiteMs`.
bool FermeParLeServeur(int s, int limiteMs) {
    timeval t{limiteMs / 1000, (limiteMs % 1000) * 1000};
    ::setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &t, sizeof t);
    char c;
    const ssize_t n = ::recv(s, &c, 1, 0);
    return n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
}

// The memory this process holds, in KiB: its resident memory, or under
// AddressSanitizer the heap it has not freed, since the sanitizer keeps freed
// blocks resident in its quarantine.
qint64 MemoireKio() {
#if defined(__SANITIZE_ADDRESS__)
    return static_cast<qint64>(__sanitizer_get_current_allocated_bytes() / 1024);
#else
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& l : f.readAll().split('\n'))
        if (l.startsWith("VmRSS:"))
            return l.mid(6).trimmed().split(' ').first().toLongLong();
    return 0;
#endif
}

struct Banc : BancServeurImpression {
    explicit Banc(bool dessine = true) : BancServeurImpression(dessine) {}
    // Turns the station's events until `condition` holds; false after `limiteMs`.
    template <class F> bool Attend(F condition, int limiteMs) {
        QDeadlineTimer limite(limiteMs);
        while (!condition() && !limite.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        return condition();
    }
    int servis() {
        int n = 0;
        for (int i = 1; i <= serveur().nombreCanaux(); ++i)
            n += serveur().etatCanal(i) == EtatSocket::Connecte;
        return n;
    }

    // The SNs of the labels printed; false, with the reason, when one is not
    // whole (a command not understood, a barcode missing) or printed twice.
    // `depuis`: the labels printed before it are not looked at.
    bool LabelsEntiers(std::set<int>& sns, QString& raison, qsizetype depuis = 0) {
        const QList<EtiquetteImprimee> imprimees = imprimante().etiquettes();
        for (qsizetype i = depuis; i < imprimees.size(); ++i) {
            const EtiquetteImprimee& e = imprimees[i];
            if (!e.contenu.commandesInconnues.isEmpty() || !e.contenu.erreurs.isEmpty() ||
                e.contenu.codesBarres.size() != 1 || e.contenu.textes.size() < 5) {
                raison =
                    QStringLiteral("etiquette %1 incomplete: %2 %3")
                        .arg(e.numero)
                        .arg(e.contenu.commandesInconnues.join('|'), e.contenu.erreurs.join('|'));
                return false;
            }
            if (!sns.insert(SnDe(e.contenu)).second) {
                raison = QStringLiteral("SN %1 imprime deux fois").arg(SnDe(e.contenu));
                return false;
            }
        }
        if (!imprimante().commandesInconnues().isEmpty()) {
            raison = imprimante().commandesInconnues().join('|');
            return false;
        }
        return true;
    }
};

} // namespace

class TstServeurEnCharge : public QObject {
    Q_OBJECT
private slots:
    // 64 stations connected at once, 8 more refused while they are served,
    // then 50 labels from each of the 64: all 3,200 printed whole, none of
    // the refused ones.
    void soixanteQuatreClientsEtLesRefuses() {
        constexpr int kClients = ServeurImpression::kClientsMax;
        constexpr int kRefuses = 8;
        Banc banc;
        std::vector<int> sockets;
        // One at a time, the server accepting each: the listen backlog is
        // the system's, not the station's.
        for (int c = 0; c < kClients; ++c) {
            sockets.push_back(ConnecteClient(banc.port));
            QVERIFY(sockets.back() >= 0);
            QVERIFY(banc.Attend([&] { return banc.servis() == c + 1; }, 20000));
        }

        std::vector<std::thread> fils;
        std::atomic<int> refusesFermes{0};
        for (int r = 0; r < kRefuses; ++r)
            fils.emplace_back([&, r] {
                const int s = ConnecteClient(banc.port);
                if (s < 0) {
                    ++refusesFermes;
                    return;
                }
                EnvoieTout(s, Labels(kClients + r));
                if (FermeParLeServeur(s, 20000))
                    ++refusesFermes;
                ::close(s);
            });
        QVERIFY(banc.Attend([&] { return refusesFermes.load() == kRefuses; }, 30000));
        for (std::thread& f : fils)
            f.join();
        fils.clear();
        QCOMPARE(banc.servis(), kClients);
        QCOMPARE(
            TextesMessages(banc.poste).filter("connexion refusee (64 clients deja servis)").size(),
            kRefuses);

        std::atomic<int> envoyes{0};
        for (int c = 0; c < kClients; ++c)
            fils.emplace_back([&, c] {
                const QByteArray tout = Labels(c);
                if (EnvoieTout(sockets[static_cast<size_t>(c)], tout) == tout.size())
                    ++envoyes;
                ::close(sockets[static_cast<size_t>(c)]);
            });
        const bool tout = banc.Attend(
            [&] { return banc.imprimante().nombreEtiquettes() >= kClients * kParClient; }, 120000);
        for (std::thread& f : fils)
            f.join();
        QCOMPARE(envoyes.load(), kClients);
        QVERIFY2(tout, qPrintable(QString::number(banc.imprimante().nombreEtiquettes())));
        QTest::qWait(200); // nothing more comes
        std::set<int> sns;
        QString raison;
        QVERIFY2(banc.LabelsEntiers(sns, raison), qPrintable(raison));
        QCOMPARE(static_cast<int>(sns.size()), kClients * kParClient);
        for (int c = 0; c < kClients; ++c)
            for (int k = 0; k < kParClient; ++k)
                QVERIFY(sns.count(c * 100 + k));
        qInfo("%d etiquettes entieres de %d clients, %d clients refuses", int(sns.size()), kClients,
              kRefuses);
    }

    // Other stations as they print: 50 at once, each connecting, sending its
    // 20 labels in one go and closing at once; again and again, on one
    // station. Every label of every burst comes out once and whole, and no
    // client's connection stays open after its burst.
    void centRafales() {
        constexpr int kRafales = 100;
        constexpr int kClients = 50;
        constexpr int kLabels = 20;
        Banc banc(false);
        std::vector<QByteArray> envois(kClients);
        for (int c = 0; c < kClients; ++c)
            for (int k = 0; k < kLabels; ++k)
                envois[static_cast<size_t>(c)] += Label(c, k);
        double pireMs = 0;
        int pire = 0;
        for (int r = 0; r < kRafales; ++r) {
            const int avant = banc.imprimante().nombreEtiquettes();
            std::atomic<int> depart{0};
            std::atomic<int> rates{0};
            std::vector<std::thread> fils;
            QElapsedTimer chrono;
            chrono.start();
            for (int c = 0; c < kClients; ++c)
                fils.emplace_back([&, c] {
                    while (depart.load() == 0)
                        std::this_thread::yield();
                    const int s = ConnecteClient(banc.port);
                    const QByteArray& tout = envois[static_cast<size_t>(c)];
                    if (s < 0 || EnvoieTout(s, tout) != tout.size())
                        ++rates;
                    if (s >= 0)
                        ::close(s);
                });
            depart = 1;
            const int attendues = avant + kClients * kLabels;
            const bool tout = banc.Attend(
                [&] { return banc.imprimante().nombreEtiquettes() >= attendues; }, 60000);
            for (std::thread& f : fils)
                f.join();
            const double ms = static_cast<double>(chrono.nsecsElapsed()) / 1e6;
            if (ms > pireMs) {
                pireMs = ms;
                pire = r + 1;
            }
            QCOMPARE(rates.load(), 0);
            std::set<int> sns;
            QString raison;
            QVERIFY2(banc.LabelsEntiers(sns, raison, avant),
                     qPrintable(QStringLiteral("rafale %1: ").arg(r + 1) + raison));
            QVERIFY2(tout, qPrintable(QStringLiteral("rafale %1: %2 etiquettes de %3")
                                          .arg(r + 1)
                                          .arg(banc.imprimante().nombreEtiquettes() - avant)
                                          .arg(kClients * kLabels)));
            QCOMPARE(static_cast<int>(sns.size()), kClients * kLabels);
            QVERIFY2(banc.Attend([&] { return banc.servis() == 0; }, 10000),
                     qPrintable(QStringLiteral("rafale %1: %2 connexions encore ouvertes")
                                    .arg(r + 1)
                                    .arg(banc.servis())));
        }
        qInfo("%d rafales de %d clients x %d etiquettes, toutes entieres; la plus lente: "
              "rafale %d, %.0f ms",
              kRafales, kClients, kLabels, pire, pireMs);
    }

    // A station that connects and says nothing holds one channel, nobody else.
    void clientMuet() {
        constexpr int kClients = 10;
        Banc banc;
        const int muet = ConnecteClient(banc.port);
        QVERIFY(muet >= 0);
        QVERIFY(banc.Attend([&] { return banc.servis() == 1; }, 20000));
        std::vector<std::thread> fils;
        for (int c = 0; c < kClients; ++c)
            fils.emplace_back([&, c] {
                const int s = ConnecteClient(banc.port);
                EnvoieTout(s, Labels(c));
                ::close(s);
            });
        const bool tout = banc.Attend(
            [&] { return banc.imprimante().nombreEtiquettes() >= kClients * kParClient; }, 60000);
        for (std::thread& f : fils)
            f.join();
        QVERIFY2(tout, qPrintable(QString::number(banc.imprimante().nombreEtiquettes())));
        std::set<int> sns;
        QString raison;
        QVERIFY2(banc.LabelsEntiers(sns, raison), qPrintable(raison));
        QCOMPARE(static_cast<int>(sns.size()), kClients * kParClient);
        QVERIFY(!FermeParLeServeur(muet, 10)); // still served
        ::close(muet);
    }

    // 2 MiB with no print command: the channel is closed, its data dropped,
    // the memory it took given back; a station printing meanwhile is served.
    void deuxMioSansCommandeImpression() {
        Banc banc;
        QByteArray ligne = "A2,4,0,4,1,1,N,\"" + QByteArray(200, 'x') + "\"\r\n";
        QByteArray flot;
        while (flot.size() < 2 * 1024 * 1024)
            flot += ligne;
        const qint64 avant = MemoireKio();
        std::atomic<bool> ferme{false};
        std::atomic<qsizetype> passes{0};
        std::thread bavard([&] {
            const int s = ConnecteClient(banc.port);
            passes = EnvoieTout(s, flot);
            ferme = FermeParLeServeur(s, 30000);
            ::close(s);
        });
        std::thread sage([&] {
            const int s = ConnecteClient(banc.port);
            EnvoieTout(s, Labels(1));
            ::close(s);
        });
        QVERIFY(banc.Attend([&] { return ferme.load(); }, 40000));
        const bool imprime =
            banc.Attend([&] { return banc.imprimante().nombreEtiquettes() >= kParClient; }, 30000);
        bavard.join();
        sage.join();
        QVERIFY(imprime);
        QVERIFY(banc.Attend(
            [&] {
                return !TextesMessages(banc.poste)
                            .filter(QRegularExpression(
                                "^canal \\d ferme : plus de 1 Mo sans commande d'impression, "
                                "donnees perdues   IP client : 127.0.0.1$"))
                            .isEmpty();
            },
            5000));
        QTest::qWait(200);
        // Only the labels of the other station: the data without print
        // command never reached the printer.
        std::set<int> sns;
        QString raison;
        QVERIFY2(banc.LabelsEntiers(sns, raison), qPrintable(raison));
        QCOMPARE(static_cast<int>(sns.size()), kParClient);
        QCOMPARE(banc.imprimante().travaux().size(), kParClient);
        const qint64 apres = MemoireKio();
        qInfo("2 Mio envoyes: %lld octets acceptes avant la fermeture, memoire %lld -> %lld Kio",
              static_cast<long long>(passes.load()), avant, apres);
        QVERIFY2(apres - avant < 32 * 1024, qPrintable(QString::number(apres - avant)));
    }
};

QTEST_MAIN(TstServeurEnCharge)
#include "tst_ServeurEnCharge.moc"
