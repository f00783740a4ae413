// Figures 6 and 8 (clients): the station's label print server on loopback,
// clients sending at once, the virtual printer behind it; beside one client
// sending the same labels straight to the virtual printer. Clients are plain
// sockets in threads of their own, so that only the server runs in the
// station's thread.
#include "BancServeurImpression.h"
#include "EditeEtiquette.h"
#include "ImprimanteVirtuelle.h"
#include "MesuresPerf.h"
#include "PosteTest.h"
#include "ServeurImpression.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTemporaryDir>
#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <netinet/in.h>
#include <set>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr int kParClient = 20;

// Label k of client c: its SN tells them apart ("SN: 1203" is client 12, label 3).
QByteArray Label(int c, int k) {
    return EtiquetteNumero(c * 100 + k);
}

bool Envoie(quint16 port, const QByteArray& octets) {
    const int s = ConnecteClient(port);
    if (s < 0)
        return false;
    const qsizetype fait = EnvoieTout(s, octets);
    if (fait < octets.size())
        std::fprintf(stderr, "bench_Serveur: send stopped at %lld of %lld bytes: %s\n",
                     static_cast<long long>(fait), static_cast<long long>(octets.size()),
                     std::strerror(errno));
    ::close(s);
    return fait == octets.size();
}

// When each label came out of the printer, by SN.
struct Sorties {
    std::mutex verrou;
    std::map<int, double> instants;
};

struct Resultat {
    double debitParS = 0;
    double p99Ms = 0;
    double totalMs = 0;
    bool entier = false;
};

// Waits, turning the event loop, until the printer has `nombre` labels.
bool Attend(ImprimanteVirtuelle& imprimante, int nombre, int limiteMs) {
    const double fin = perf::MurMs() + limiteMs;
    while (imprimante.nombreEtiquettes() < nombre && perf::MurMs() < fin)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return imprimante.nombreEtiquettes() >= nombre;
}

// Whether the printer holds exactly the labels sent, each whole.
bool ToutEntier(ImprimanteVirtuelle& imprimante, int clients) {
    std::set<int> vus;
    for (const EtiquetteImprimee& e : imprimante.etiquettes()) {
        if (!e.contenu.commandesInconnues.isEmpty() || !e.contenu.erreurs.isEmpty() ||
            e.contenu.codesBarres.size() != 1) {
            std::fprintf(stderr, "bench_Serveur: label %d broken: %s %s\n", e.numero,
                         qPrintable(e.contenu.commandesInconnues.join('|')),
                         qPrintable(e.contenu.erreurs.join('|')));
            return false;
        }
        vus.insert(SnDe(e.contenu));
    }
    if (static_cast<int>(vus.size()) != clients * kParClient ||
        !imprimante.commandesInconnues().isEmpty()) {
        std::fprintf(stderr, "bench_Serveur: %d labels of %d, unknown: %s\n",
                     static_cast<int>(vus.size()), clients * kParClient,
                     qPrintable(imprimante.commandesInconnues().join('|')));
        return false;
    }
    for (int c = 0; c < clients; ++c)
        for (int k = 0; k < kParClient; ++k)
            if (!vus.count(c * 100 + k))
                return false;
    return true;
}

Resultat ParLeServeur(int clients, bool dessine) {
    Resultat r;
    QTemporaryDir dossier;
    OptionsImprimante o;
    o.dossier = dossier.path();
    o.dessine = dessine;
    FilImprimanteVirtuelle fil(o);
    if (!fil.ok())
        return r;
    ImprimanteVirtuelle& imprimante = fil.imprimante();
    Sorties sorties;
    QObject::connect(
        &imprimante, &ImprimanteVirtuelle::etiquetteImprimee, &imprimante,
        [&](int numero, const QString&) {
            const double t = perf::MurMs();
            std::lock_guard<std::mutex> l(sorties.verrou);
            sorties.instants[numero] = t;
        },
        Qt::DirectConnection);

    PosteTest poste;
    poste.reglages.portImp = QStringLiteral("TCP127.0.0.1:%1").arg(imprimante.portTcp());
    quint16 port = 0;
    {
        QTcpServer libre;
        libre.listen(QHostAddress::LocalHost, 0);
        port = libre.serverPort();
    }
    poste.reglages.portSrv = QString::number(port);
    DemarreServeurImpression(poste);

    std::vector<QByteArray> envois(static_cast<size_t>(clients));
    for (int c = 0; c < clients; ++c)
        for (int k = 0; k < kParClient; ++k)
            envois[static_cast<size_t>(c)] += Label(c, k);
    std::vector<double> fermes(static_cast<size_t>(clients), 0);
    std::atomic<int> depart{0};
    std::atomic<int> rates{0};
    std::vector<std::thread> fils;
    const double t0 = perf::MurMs();
    for (int c = 0; c < clients; ++c)
        fils.emplace_back([&, c] {
            while (depart.load() == 0)
                std::this_thread::yield();
            if (!Envoie(port, envois[static_cast<size_t>(c)]))
                ++rates;
            fermes[static_cast<size_t>(c)] = perf::MurMs();
        });
    depart = 1;
    const bool tout = Attend(imprimante, clients * kParClient, 30000);
    for (std::thread& f : fils)
        f.join();
    r.totalMs = perf::MurMs() - t0;

    // From each client's close to its last label out of the printer.
    std::map<int, double> dernier; // client -> instant
    const QList<EtiquetteImprimee> imprimees = imprimante.etiquettes();
    {
        std::lock_guard<std::mutex> l(sorties.verrou);
        double finale = 0;
        for (const EtiquetteImprimee& e : imprimees) {
            const int sn = SnDe(e.contenu);
            const double t = sorties.instants[e.numero];
            finale = std::max(finale, t);
            if (sn >= 0)
                dernier[sn / 100] = std::max(dernier[sn / 100], t);
        }
        r.totalMs = finale - t0;
    }
    perf::Serie attente;
    for (int c = 0; c < clients; ++c)
        attente.ajoute(dernier[c] - fermes[static_cast<size_t>(c)]);
    r.p99Ms = attente.centile(0.99);
    r.debitParS = 1000.0 * clients * kParClient / r.totalMs;
    r.entier = tout && rates == 0 && ToutEntier(imprimante, clients);
    if (!tout || rates != 0) {
        std::fprintf(stderr,
                     "bench_Serveur: %d clients, %d labels of %d printed (%d jobs, %d "
                     "connections at the printer), %d sends failed\n",
                     clients, imprimante.nombreEtiquettes(), clients * kParClient,
                     static_cast<int>(imprimante.travaux().size()), imprimante.connexions(),
                     rates.load());
        std::set<int> vus;
        for (const EtiquetteImprimee& e : imprimees)
            vus.insert(SnDe(e.contenu));
        for (int c = 0; c < clients; ++c)
            for (int k = 0; k < kParClient; ++k)
                if (!vus.count(c * 100 + k))
                    std::fprintf(stderr, "bench_Serveur: label %04d missing\n", c * 100 + k);
        // What the station showed beyond the routine lines.
        std::map<QString, int> vus2;
        for (const auto& m : poste.historiqueMessages)
            ++vus2[m.texte.left(60)];
        for (const auto& [texte, n] : vus2)
            std::fprintf(stderr, "bench_Serveur: %5d × %s\n", n, qPrintable(texte));
    }
    poste.ExecuteFermeture();
    return r;
}

// The same labels in one connection straight to the printer.
Resultat EnDirect(int clients, bool dessine) {
    Resultat r;
    QTemporaryDir dossier;
    OptionsImprimante o;
    o.dossier = dossier.path();
    o.dessine = dessine;
    FilImprimanteVirtuelle fil(o);
    if (!fil.ok())
        return r;
    ImprimanteVirtuelle& imprimante = fil.imprimante();
    QByteArray tout;
    for (int c = 0; c < clients; ++c)
        for (int k = 0; k < kParClient; ++k)
            tout += Label(c, k);
    const double t0 = perf::MurMs();
    const bool envoye = Envoie(imprimante.portTcp(), tout);
    const bool imprime = Attend(imprimante, clients * kParClient, 30000);
    r.totalMs = perf::MurMs() - t0;
    r.debitParS = 1000.0 * clients * kParClient / r.totalMs;
    r.entier = envoye && imprime && ToutEntier(imprimante, clients);
    return r;
}

} // namespace

// One row of figure 6 at `clients`, the printer drawing its labels or not;
// the server's time to print them all (the best of the runs) for figure 8.
double Figure6(int clients, bool dessine, int repetitions) {
    perf::Serie debit, p99, direct;
    bool entier = true, entierDirect = true;
    double meilleur = 0;
    for (int i = 0; i < repetitions; ++i) {
        const Resultat s = ParLeServeur(clients, dessine);
        const Resultat d = EnDirect(clients, dessine);
        entier = entier && s.entier;
        entierDirect = entierDirect && d.entier;
        debit.ajoute(s.debitParS);
        p99.ajoute(s.p99Ms);
        direct.ajoute(d.debitParS);
        meilleur = i == 0 ? s.totalMs : std::min(meilleur, s.totalMs);
    }
    const std::string n = std::to_string(clients);
    const std::string imprimante =
        dessine ? ", printer drawing every label to PNG" : ", printer checking, not drawing";
    perf::Ligne("6. print server, " + n + " clients × 20 labels" + imprimante +
                    ": labels per second" +
                    (entier ? ", every label whole" : ", **labels lost or broken**"),
                perf::Valeur(debit, "/s"),
                "straight to the printer " + perf::Valeur(direct, "/s") +
                    (entierDirect ? "" : ", **labels lost or broken**"),
                perf::Nombre(debit.mediane() / direct.mediane()), "> 1 000 /s, all whole",
                perf::Verdict(debit.mediane() > 1000 && entier));
    perf::Ligne("6. print server, " + n + " clients" + imprimante +
                    ": 99th percentile, client's close to its last label",
                perf::Valeur(p99, "ms"), "", "", "", "");
    return meilleur;
}

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv); // the printer draws its labels
    const int repetitions = argc > 1 ? std::atoi(argv[1]) : 2;
    // A second argument runs that many clients only (for a profiler).
    if (argc > 2) {
        Figure6(std::atoi(argv[2]), false, repetitions);
        return 0;
    }
    std::vector<double> tailles, durees;
    for (const int clients : {5, 20, 50}) {
        tailles.push_back(clients * kParClient);
        durees.push_back(Figure6(clients, false, repetitions));
    }
    // The printer as the bench has it, drawing each label: its own limit.
    Figure6(50, true, repetitions);
    const perf::Droite d = perf::Ajuste(tailles, durees);
    perf::Ligne("8. growth, print server: fitted cost per label (5, 20, 50 clients, printer not "
                "drawing)",
                perf::Nombre(d.pente) + " ms/label + " + perf::Nombre(d.origine) + " ms",
                "largest deviation from the line " + perf::Nombre(100 * d.ecartMax) + " %", "",
                "linear", perf::Verdict(d.ecartMax < 0.2));
    return 0;
}
