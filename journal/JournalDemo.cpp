// calvanet-journal-demo FICHIER [JOURS]: fills a journal with a week of
// made-up but plausible production (three stations, three operators, the
// card, tray, rail and cabinet workflows, retests of failed cards, the supply
// of one station drifting), written
// through the station's own journal writer, so that the statistics window of
// the demo has something to show. The same file every time for a given day.
#include "Journal.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QTextStream>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <tuple>

namespace {

struct Defaut {
    const char* code;
    const char* texte;
    int poids;
};

// The failures a bench sees, the frequent ones first.
const Defaut kDefauts[] = {
    {"C3", "IR HS (C3) puissance hors limites=203", 9},
    {"E3", "EA HS (E3) mauvais nombre d'EA", 6},
    {"alim", "TestAlim HS = 46.4v", 4},
    {"L3", "LedAR HS (L3) 31 leds", 3},
    {"carte absente", "carte absente", 3},
    {"C2", "IR HS (C2) pas de reception", 2},
    {"E4", "EA HS (E4) erreur lecture", 1},
    {"C6", "Carte absente (C6) Err: Time Out", 1},
};

double Normale(QRandomGenerator& g, double moyenne, double ecart) {
    // Box-Muller: enough for a demo's histogram.
    const double u = std::max(g.generateDouble(), 1e-12), v = g.generateDouble();
    return moyenne + ecart * std::sqrt(-2 * std::log(u)) * std::cos(2 * std::numbers::pi * v);
}

QString Sn(int n) {
    static const QString chiffres =
        QStringLiteral("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    QString s;
    for (int i = 0; i < 4; ++i, n /= 62)
        s.prepend(chiffres[n % 62]);
    return s;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        err << "usage: calvanet-journal-demo FICHIER [JOURS]\n";
        return 2;
    }
    const QString chemin = args[1];
    const int jours = args.size() > 2 ? std::max(1, args[2].toInt()) : 7;
    QRandomGenerator g(20261208);
    const QStringList postes{QStringLiteral("banc-1"), QStringLiteral("banc-2"),
                             QStringLiteral("banc-3")};
    const QStringList flux{QStringLiteral("AttribueSNcarte"), QStringLiteral("TestPlateauSeul"),
                           QStringLiteral("TestRailsMeuble"),
                           QStringLiteral("AttribueCartesMeuble")};
    int poidsTotal = 0;
    for (const Defaut& d : kDefauts)
        poidsTotal += d.poids;

    int prochainSN = 62 * 62 * 10;
    int ecrits = 0;
    QList<std::pair<QString, QString>> aRetester; // workflow, SN
    const QDate fin = QDate::currentDate();
    for (int j = jours - 1; j >= 0; --j) {
        const QDate jour = fin.addDays(-j);
        if (jour.dayOfWeek() > 5)
            continue;
        const int passages = 25 + g.bounded(20);
        for (int i = 0; i < passages; ++i) {
            PassageEnregistre p;
            p.debut = QDateTime(jour, QTime(7, 0).addSecs(i * 20 * 60 + g.bounded(600)), Qt::UTC);
            const int poste = g.bounded(3);
            p.poste = postes[poste];
            p.usine = QStringLiteral("0");
            p.operateur = QString::number(poste + 1);
            if (!aRetester.isEmpty() && g.bounded(3) == 0) {
                std::tie(p.flux, p.sn) = aRetester.takeFirst();
            } else {
                p.flux = flux[g.bounded(static_cast<int>(flux.size()))];
                p.sn = Sn(prochainSN++);
            }
            p.nomCarte = QStringLiteral("A-%1").arg(1 + g.bounded(9));
            p.versionFW = QStringLiteral("PLT2 v2.14");
            p.dureeMs = 20000 + g.bounded(40000);

            // Drift: banc-2's supply reads higher as the week goes on, toward
            // its high limit; the other stations hold steady.
            const double derive =
                poste == 1 ? 0.3 * (jours - 1 - j) + 0.002 * static_cast<double>(i) : 0.0;
            const double alim = std::round(Normale(g, 48.8 + derive, 0.3) * 10) / 10;
            const int puissance = static_cast<int>(std::lround(Normale(g, 128, 22)));
            const bool alimMesuree = p.flux == QLatin1String("TestPlateauSeul");
            const bool irMesure = p.flux == QLatin1String("AttribueSNcarte") ||
                                  p.flux == QLatin1String("TestPlateauSeul");
            if (irMesure)
                p.mesures << MesureJournal{
                    .nom = QStringLiteral("IR puissance"),
                    .valeur = puissance,
                    .limiteBasse = 80,
                    .limiteHaute = 190,
                    .conforme = puissance >= 80 && puissance <= 190,
                    .code = puissance >= 80 && puissance <= 190 ? QString() : QStringLiteral("C3")};
            if (alimMesuree)
                p.mesures << MesureJournal{
                    .nom = QStringLiteral("alim"),
                    .valeur = alim,
                    .limiteBasse = 47,
                    .limiteHaute = 51,
                    .unite = QStringLiteral("V"),
                    .conforme = alim >= 47 && alim <= 51,
                    .code = alim >= 47 && alim <= 51 ? QString() : QStringLiteral("alim")};

            QString code;
            for (const MesureJournal& m : p.mesures)
                if (!m.conforme && code.isEmpty())
                    code = m.code;
            if (code.isEmpty() && g.bounded(100) < 9) {
                int tirage = g.bounded(poidsTotal);
                for (const Defaut& d : kDefauts)
                    if ((tirage -= d.poids) < 0) {
                        code = QString::fromLatin1(d.code);
                        p.resultats << QString::fromUtf8(d.texte);
                        break;
                    }
            }
            if (!code.isEmpty()) {
                p.issue = IssuePassage::Echec;
                p.codeDefaut = code;
                if (code == QLatin1String("carte absente")) {
                    p.sn.clear();
                    p.nomCarte.clear();
                    p.versionFW.clear();
                    p.mesures.clear();
                } else {
                    aRetester << std::pair{p.flux, p.sn};
                }
            } else if (g.bounded(40) == 0) {
                p.issue = IssuePassage::Abandon;
            } else {
                p.issue = IssuePassage::Reussi;
                p.resultats << QStringLiteral("ok");
            }
            QString erreur;
            if (!Journal::Enregistre(chemin, p, &erreur)) {
                err << chemin << ": " << erreur << "\n";
                return 1;
            }
            ++ecrits;
        }
    }
    QTextStream(stdout) << ecrits << " passages ecrits dans " << chemin << "\n";
    return 0;
}
