// A station without a person at the bench: runs one workflow again and again
// on a trace folder, the operator's answers scripted, until it is killed or
// has done `nombre` runs (0: no end).
//   StationBoucle carte  <dossier> <nombre> [<port>]  SN assignment; without
//                                                     a port, on a card of its own
//   StationBoucle rail   <dossier> <nombre> <port>    rail bench, R08S rails
//   StationBoucle meuble <dossier> <nombre> <port>    cabinet record, trays 1 to 3
//   StationBoucle ports <carte> <imprimante>           opens its card port, then its
//                                                     printer port, says "ouverts", ends
// Prints one line per run that ended as the operator expects it ("ok"), and
// the boxes of any other run on stderr. Exit status: 0 when every run was ok.
// With CALVANET_BD set, the station has that factory server (bd=) and, at
// the end, reports the SNs it gave from its reserve, trying for up to 60 s.
#include "AttribueSNcarte.h"
#include "BancCarte.h"
#include "FeuilleMeuble.h"
#include "JournalPoste.h"
#include "LiaisonCarte.h"
#include "LiaisonImprimante.h"
#include "Meuble.h"
#include "SerieServeur.h"
#include "ServeurJournal.h"
#include "TestRailsMeuble.h"
#include "VueMeuble.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <cstdio>
#include <memory>

namespace {

// Pauses of the bench are no part of what is checked here: run them fast so
// that the kills land in many runs.
constexpr double kAcceleration = 50;

// The cabinet window reduced to its tray list.
class VueListe : public VueMeuble {
public:
    QStringList liste;
    QString NomPharma() const override { return QStringLiteral("Pharmacie du Parc"); }
    QString AdrPharma() const override { return QStringLiteral("3 place Verte"); }
    void FocusNomPharma() override {}
    QStringList lignes() const override { return liste; }
    void videListe() override { liste.clear(); }
    void ajouteLigne(const QString& ligne) override { liste << ligne; }
    void changeLigne(int indice, const QString& ligne) override { liste[indice] = ligne; }
    void selectionne(int) override {}
    int selection() const override { return -1; }
    void montreListe(int) override {}
    void Etat(const QString&) override {}
    void DebutProgression(int) override {}
    void Progression(int) override {}
    void CacheProgression() override {}
};

bool UneCarte(PosteTest& poste) {
    AttribueSNcarte(poste);
    // The one box of a factory server gone is no part of the run.
    QStringList b = poste.op.boites();
    b.removeIf([](const QString& t) {
        return t.startsWith(QStringLiteral("Le journal de production ne peut pas etre envoye"));
    });
    return !b.isEmpty() && b.last().startsWith(QStringLiteral("coller l'etiquette sous la carte"));
}

bool UnBancDeRails(PosteTest& poste) {
    poste.op.repond(QStringLiteral("R08S"));
    poste.op.repondOui();
    TestRailsMeuble(poste);
    return poste.op.inattendus.isEmpty() && poste.op.boites().size() == 1 &&
           !poste.op.boites().first().contains(QStringLiteral("pas de SN"));
}

bool UnMeuble(PosteTest& poste) {
    Meuble meuble;
    meuble.NomMeuble = QStringLiteral("A");
    meuble.PremierPlateau = 1;
    meuble.DernierPlateau = 3;
    VueListe vue;
    for (int n = 1; n <= 3; ++n) {
        meuble.SNsaisie[static_cast<size_t>(n)] = QStringLiteral("0B0") + QString::number(n);
        vue.liste << LigneNouveauPlateau(meuble.NomMeuble, n);
    }
    MemoriseAttribution(poste, meuble, vue);
    return poste.op.boites().isEmpty();
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4 || args.size() > 5)
        return 2;
    const QString mode = args[1];
    if (mode == QLatin1String("ports")) {
        PosteTest poste;
        poste.reglages.PortCarte = args[2] + QStringLiteral(":9600,n,8,1");
        poste.reglages.portImp = args[3];
        try {
            OuvrePortCarte(poste, poste.reglages.PortCarte);
            OuvrePortImprimante(poste);
        } catch (const FinProgrammeDemandee&) {
            std::fprintf(stderr, "fin du programme: %s\n",
                         qPrintable(poste.op.boites().join(QStringLiteral(" | "))));
            return 3;
        }
        std::printf("ouverts\n");
        std::fflush(stdout);
        QThread::msleep(20); // an exchange on the ports
        FermePortImprimante(poste);
        FermePortcarte(poste);
        return poste.op.boites().isEmpty() ? 0 : 1;
    }
    const int nombre = args[3].toInt();

    BancCarte<> banc;
    if (args.size() == 5) {
        banc.poste = std::make_unique<PosteTest>();
        banc.poste->reglages.PortCarte = args[4] + QStringLiteral(":9600,n,8,1");
    } else if (!banc.demarre(CarteSimulee{})) {
        return 2;
    }
    PosteTest& poste = *banc.poste;
    poste.AccelerePauses(kAcceleration);
    poste.reglages.CheminProg = args[2];
    poste.reglages.portImp.clear();
    if (const QString bd = qEnvironmentVariable("CALVANET_BD"); !bd.isEmpty())
        Journal::FixeServeur(poste, *AnalyseBd(bd, nullptr));

    int ratees = 0;
    for (int i = 0; nombre == 0 || i < nombre; ++i) {
        poste.op.echanges.clear();
        poste.op.inattendus.clear();
        bool ok = false;
        try {
            if (mode == QLatin1String("carte"))
                ok = UneCarte(poste);
            else if (mode == QLatin1String("rail"))
                ok = UnBancDeRails(poste);
            else if (mode == QLatin1String("meuble"))
                ok = UnMeuble(poste);
            else
                return 2;
        } catch (const FinProgrammeDemandee&) {
            // The station gave up (a port it cannot open): its last words.
            std::fprintf(stderr, "fin du programme: %s\n",
                         qPrintable(poste.op.boites().join(QStringLiteral(" | "))));
            return 3;
        }
        if (ok) {
            std::printf("ok\n");
            std::fflush(stdout);
        } else {
            ++ratees;
            std::fprintf(stderr, "%s\n", qPrintable(poste.op.boites().join(QStringLiteral(" | "))));
        }
    }
    if (auto* arbitre = dynamic_cast<ArbitreServeurSN*>(poste.liens.arbitreSN)) {
        QElapsedTimer attente;
        attente.start();
        while (arbitre->Signale(nullptr) < 0 && attente.elapsed() < 60000)
            QThread::msleep(200);
    }
    return ratees == 0 ? 0 : 1;
}
