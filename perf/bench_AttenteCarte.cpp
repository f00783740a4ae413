// Processor time the station spends waiting for card replies: 20 time-outs of
// 200 ms against a card that never answers should cost next to nothing, as
// the wait sleeps in the kernel. Also the cost of one answered exchange.
#include "BusSimule.h"
#include "LiaisonCarte.h"
#include "Temps.h"

#include <QCoreApplication>
#include <cstdio>
#include <sys/resource.h>

namespace {

class Operateur0 : public Operateur {
public:
    void Boite(const QString& t, const QString&, Icone) override {
        std::fprintf(stderr, "boite: %s\n", qPrintable(t));
    }
    bool OuiNon(const QString&, const QString&, Icone, bool) override { return false; }
    QString Saisie(const QString&, const QString&, const QString&) override { return {}; }
    QString MotDePasse(const QString&, const QString&) override { return {}; }
};

double CpuMs(int qui) {
    rusage u{};
    getrusage(qui, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1000.0 +
           (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1000.0;
}

void Ligne(const char* mesure, double valeur, const char* unite) {
    std::printf("%s\t%.2f\t%s\n", mesure, valeur, unite);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    BusSimule bus;
    CarteSimulee muette;
    muette.muette = true;
    bus.ajouteCarte(muette);
    QString erreur;
    if (!bus.start({}, &erreur)) {
        std::fprintf(stderr, "bench_AttenteCarte: %s\n", qPrintable(erreur));
        return 1;
    }
    Operateur0 op;
    Poste poste(op);
    poste.arretProcessus = [](int code) { std::_Exit(code); };
    OuvrePortCarte(poste, bus.cheminPeripherique() + QStringLiteral(":9600,n,8,1"));

    constexpr int kAttentes = 20;
    const double murDebut = get_exact_milli_second();
    const double cpuDebut = CpuMs(RUSAGE_SELF);
    const double filDebut = CpuMs(RUSAGE_THREAD);
    for (int i = 0; i < kAttentes; ++i) {
        EnvoiCdeMorvane2(poste, "V##");
        LectRepMorvane2(poste, 200);
    }
    const double mur = get_exact_milli_second() - murDebut;
    Ligne("attente: 20 time-outs de 200 ms, duree", mur, "ms");
    Ligne("attente: temps processeur du processus", CpuMs(RUSAGE_SELF) - cpuDebut, "ms");
    Ligne("attente: temps processeur du fil de la station", CpuMs(RUSAGE_THREAD) - filDebut, "ms");
    Ligne("attente: part du processeur", 100.0 * (CpuMs(RUSAGE_SELF) - cpuDebut) / mur, "%");

    bus.modifieCartes([](std::vector<CarteSimulee>& v) {
        v.front().muette = false;
        v.front().delaiReponseMs = 0;
    });
    constexpr int kEchanges = 200;
    const double echDebut = get_exact_milli_second();
    const double echCpu = CpuMs(RUSAGE_SELF);
    int erreurs = 0;
    for (int i = 0; i < kEchanges; ++i)
        if (EstErreur(EnvoiEtReponseMorvane2(poste, "V##", 200)))
            ++erreurs;
    Ligne("echange V## repondu (carte instantanee), duree moyenne",
          (get_exact_milli_second() - echDebut) / kEchanges, "ms");
    Ligne("echange V## repondu, temps processeur moyen", (CpuMs(RUSAGE_SELF) - echCpu) / kEchanges,
          "ms");
    Ligne("echange V## repondu, erreurs", erreurs, "sur 200");
    FermePortcarte(poste);
    bus.stop();
    return 0;
}
