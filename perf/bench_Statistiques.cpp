// Figure 10: the window "Statistiques de production" on a journal of
// 1 000 000 runs (a year) with their measurements, on the station's SQLite
// file and on the factory's PostgreSQL server: opened with every chart drawn
// (on the journal's last week), then a station chosen in the filter, then the
// whole year; beside the same on the schema without the
// statistics indexes, in the same run. The rows are made inside the database
// by bulk SQL, the same statements on both engines. The plans of the
// window's queries go to stderr.
#include "Journal.h"
#include "JournalPoste.h"
#include "MesuresPerf.h"
#include "PosteTest.h"
#include "RemplissageSql.h"
#include "ServeurPostgres.h"
#include "StatistiquesJournal.h"
#include "StatistiquesProduction.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>
#include <cstdio>
#include <functional>

namespace {

constexpr double kCibleOuvertureMs = 1000;
constexpr double kCibleFiltreMs = 300;
constexpr int kOuvertures = 3;
const char* const kIndex[] = {"passages_sn_flux", "passages_poste", "passages_operateur",
                              "mesures_valeurs"};

const MoteurSql kSqlite{QStringLiteral("SQLite file"), false};
const MoteurSql kPostgres{QStringLiteral("PostgreSQL server"), true};

// A year of three stations: a run every 31.5 s, workflows in blocks of ten
// runs; in each block the ninth run fails (a code of the workflow's steps)
// and the tenth retests its unit and passes. Each card test measures the IR
// power and percentage, each tray test the supply too, drifting up on banc-2.
bool Remplit(QSqlDatabase db, const MoteurSql& m, QString* erreur) {
    if (!db.transaction()) {
        *erreur = QStringLiteral("transaction: ") + db.lastError().text();
        return false;
    }
    const QStringList sql = {
        m.nombres(1000000),
        QStringLiteral(
            "INSERT INTO passages (id, debut, poste, usine, operateur, flux, sn,"
            " nom_carte, version_fw, issue, duree_ms, code_defaut, uid) SELECT n + 1, ") +
            m.date("n * 63 / 2") +
            QStringLiteral(
                ", 'banc-' || CAST(n % 3 + 1 AS TEXT), '0', CAST(n % 5 + 1 AS TEXT),"
                " substr('AttribueSNcarte     TestPlateauSeul     TestRailsMeuble     "
                "AttribueCartesMeuble', n / 10 % 4 * 20 + 1, CASE WHEN n / 10 % 4 = 3 THEN 20"
                " ELSE 15 END),"
                " 'S' || CAST(CASE WHEN n % 10 = 9 THEN n - 1 ELSE n END AS TEXT), 'A-5',"
                " 'PLT2 v2.14', CASE WHEN n % 10 = 8 THEN 'echec' ELSE 'reussi' END, 30000,"
                " CASE WHEN n % 10 = 8 THEN substr('C3  E3  L3  alim', n / 40 % 4 * 4 + 1, 4)"
                " END, 'p' || CAST(n AS TEXT) FROM nombres"),
        QStringLiteral("UPDATE passages SET code_defaut = trim(code_defaut)"
                       " WHERE code_defaut IS NOT NULL"),
        QStringLiteral("INSERT INTO mesures (passage, rang, nom, valeur, limite_basse,"
                       " limite_haute, unite, conforme) SELECT id, 1, 'IR puissance',"
                       " 100 + id % 60, 80, 190, NULL, 1 FROM passages"
                       " WHERE flux IN ('AttribueSNcarte', 'TestPlateauSeul')"),
        QStringLiteral("INSERT INTO mesures (passage, rang, nom, valeur, limite_basse,"
                       " limite_haute, unite, conforme) SELECT id, 2, 'IR pourcentage',"
                       " 25 + id % 40, 20, 80, '%', 1 FROM passages"
                       " WHERE flux IN ('AttribueSNcarte', 'TestPlateauSeul')"),
        QStringLiteral("INSERT INTO mesures (passage, rang, nom, valeur, limite_basse,"
                       " limite_haute, unite, conforme) SELECT id, 3, 'alim',"
                       " 48.0 + id % 20 / 10.0 + CASE WHEN poste = 'banc-2' THEN id / 500000.0"
                       " ELSE 0 END, 47, 51, 'V', 1 FROM passages WHERE flux = 'TestPlateauSeul'"),
    };
    for (const QString& s : sql)
        if (!ExecuteSql(db, s, erreur))
            return false;
    // On the server, VACUUM as its own autovacuum would have, so that it does
    // not run during the measures.
    if (db.commit())
        return ExecuteSql(db,
                          db.driverName() == QLatin1String("QPSQL")
                              ? QStringLiteral("VACUUM ANALYZE")
                              : QStringLiteral("ANALYZE"),
                          erreur);
    *erreur = QStringLiteral("validation: ") + db.lastError().text();
    return false;
}

bool SansIndex(const QSqlDatabase& db, QString* erreur) {
    for (const char* i : kIndex)
        if (!ExecuteSql(db, QStringLiteral("DROP INDEX ") + QLatin1String(i), erreur))
            return false;
    return ExecuteSql(db, QStringLiteral("ANALYZE"), erreur);
}

// The plans of the queries that cost the most, as the window sends them
// over the last week, one station chosen.
void Plans(const QSqlDatabase& db, const QString& moteur, const char* schema) {
    const bool sqlite = db.driverName() == QLatin1String("QSQLITE");
    StatistiquesJournal::PrepareConnexion(db); // the window's session
    const QString filtre =
        QStringLiteral("p.debut >= '2025-12-25' AND p.debut < '2026-01-01' AND p.poste = 'banc-2'");
    const QStringList requetes = {
        QStringLiteral("WITH f AS (SELECT p.id, p.debut, p.flux, p.issue, p.sn FROM passages p"
                       " WHERE ") +
            filtre +
            QStringLiteral("), u AS (SELECT DISTINCT sn, flux FROM f WHERE sn <> ''),"
                           " h AS (SELECT q.id AS id, row_number() OVER (PARTITION BY q.sn,"
                           " q.flux ORDER BY q.debut, q.id) AS rang FROM u JOIN passages q"
                           " ON q.sn = u.sn AND q.flux = u.flux)"
                           " SELECT count(*) FROM f LEFT JOIN h ON h.id = f.id"
                           " WHERE f.sn IS NULL OR f.sn = '' OR h.rang = 1"),
        QStringLiteral("SELECT m.nom, count(*), sum(m.valeur) FROM mesures m"
                       " JOIN passages p ON p.id = m.passage WHERE m.valeur IS NOT NULL AND ") +
            filtre + QStringLiteral(" GROUP BY m.nom"),
        QStringLiteral("SELECT p.id, m.valeur FROM mesures m JOIN passages p ON p.id = m.passage"
                       " WHERE m.nom = 'alim' AND ") +
            filtre + QStringLiteral(" ORDER BY p.debut DESC, p.id DESC, m.rang DESC LIMIT 500"),
        QStringLiteral("WITH RECURSIVE t(v) AS (SELECT min(poste) FROM passages UNION ALL"
                       " SELECT (SELECT min(poste) FROM passages WHERE poste > t.v) FROM t"
                       " WHERE t.v IS NOT NULL) SELECT v FROM t WHERE v IS NOT NULL"),
    };
    for (const QString& r : requetes) {
        const QString explique =
            (sqlite ? QStringLiteral("EXPLAIN QUERY PLAN ") : QStringLiteral("EXPLAIN ")) + r;
        std::fprintf(stderr, "bench_Statistiques: %s, %s schema: %s\n", qPrintable(moteur), schema,
                     qPrintable(r.left(110)));
        QSqlQuery q(db);
        if (!q.exec(explique)) {
            std::fprintf(stderr, "  %s\n", qPrintable(q.lastError().text()));
            continue;
        }
        while (q.next())
            std::fprintf(stderr, "  %s\n", qPrintable(q.value(sqlite ? 3 : 0).toString()));
    }
}

// What each of the window's queries costs over the last week, one station
// chosen then every station, the median of 3: where the time of a redraw goes.
void Detail(const QSqlDatabase& db, const QString& moteur, const char* schema) {
    StatistiquesJournal::PrepareConnexion(db);
    for (const QString& poste : {QStringLiteral("banc-2"), QString()}) {
        FiltreJournal f{.du = QDate(2025, 12, 25), .au = QDate(2025, 12, 31), .poste = poste};
        const auto temps = [&](const char* nom, const std::function<bool()>& requete) {
            perf::Serie s;
            for (int i = 0; i < 3; ++i) {
                const double t0 = perf::MurMs();
                if (!requete()) {
                    std::fprintf(stderr, "bench_Statistiques:   %s failed\n", nom);
                    return;
                }
                s.ajoute(perf::MurMs() - t0);
            }
            std::fprintf(stderr, "bench_Statistiques: %s, %s schema, %s, %s: %.1f ms\n",
                         qPrintable(moteur), schema,
                         poste.isEmpty() ? "every station" : qPrintable(poste), nom, s.mediane());
        };
        QList<LigneSynthese> synthese;
        QList<CompteDefaut> defauts;
        QList<ValeursMesure> v;
        QList<SommesMesure> sommes;
        QList<PointCarte> points;
        QList<QStringList> passages;
        int n = 0;
        temps("Synthese", [&] { return StatistiquesJournal::Synthese(db, f, synthese, nullptr); });
        temps("Pareto", [&] { return StatistiquesJournal::Pareto(db, f, defauts, nullptr); });
        temps("ValeursComptees alim, IR puissance", [&] {
            return StatistiquesJournal::ValeursComptees(
                db, f, {QStringLiteral("alim"), QStringLiteral("IR puissance")}, v, nullptr);
        });
        temps("SommesMesures",
              [&] { return StatistiquesJournal::SommesMesures(db, f, sommes, nullptr); });
        temps("PointsCarte alim", [&] {
            return StatistiquesJournal::PointsCarte(db, f, QStringLiteral("alim"), 500, points,
                                                    nullptr);
        });
        temps("Passages 1000",
              [&] { return StatistiquesJournal::Passages(db, f, passages, nullptr, 1000); });
        temps("Nombre", [&] { return StatistiquesJournal::Nombre(db, f, n, nullptr); });
    }
}

struct Mesures {
    perf::Serie ouverture, filtre, annee;
    QString erreur;
};

// The window opened (every chart drawn) a few times, then each station
// chosen in turn and "tous" again.
Mesures Mesure(PosteTest& poste) {
    Mesures m;
    for (int i = 0; i < kOuvertures; ++i) {
        const double t0 = perf::MurMs();
        auto* w = new StatistiquesProduction(poste);
        w->show();
        w->grab();
        m.ouverture.ajoute(perf::MurMs() - t0);
        if (!w->LblResume->text().contains(QStringLiteral("passages affichés"))) {
            m.erreur = w->LblResume->text();
            delete w;
            return m;
        }
        if (i == kOuvertures - 1) {
            std::fprintf(stderr, "bench_Statistiques:   %s\n", qPrintable(w->LblResume->text()));
            for (int k : {1, 2, 3, 0}) {
                const double t1 = perf::MurMs();
                w->CmbPoste->setCurrentIndex(k);
                w->grab();
                m.filtre.ajoute(perf::MurMs() - t1);
            }
            // Beyond the week the window opens on: the whole year.
            const double t2 = perf::MurMs();
            w->DateDu->setDate(QDate(2025, 1, 1));
            w->grab();
            m.annee.ajoute(perf::MurMs() - t2);
            std::fprintf(stderr, "bench_Statistiques:   %s\n", qPrintable(w->LblResume->text()));
        }
        delete w;
    }
    return m;
}

void Lignes(const QString& moteur, const Mesures& indexe, const Mesures& naif) {
    const std::string quoi = "10. statistics window, 1 000 000 runs, " + moteur.toStdString();
    perf::Ligne(quoi + ": opened, every chart drawn, " + std::to_string(kOuvertures) + " times",
                perf::Valeur(indexe.ouverture, "ms"),
                "without its indexes " + perf::Valeur(naif.ouverture, "ms"),
                perf::Nombre(indexe.ouverture.mediane() / naif.ouverture.mediane()), "< 1 s",
                perf::Verdict(indexe.ouverture.max() < kCibleOuvertureMs));
    perf::Ligne(quoi + ": a station chosen, redrawn, 4 changes", perf::Valeur(indexe.filtre, "ms"),
                "without its indexes " + perf::Valeur(naif.filtre, "ms"),
                perf::Nombre(indexe.filtre.mediane() / naif.filtre.mediane()), "< 300 ms",
                perf::Verdict(indexe.filtre.max() < kCibleFiltreMs));
    perf::Ligne(quoi + ": the whole year chosen instead of the last week, redrawn",
                perf::Valeur(indexe.annee, "ms"),
                "without its indexes " + perf::Valeur(naif.annee, "ms"),
                perf::Nombre(indexe.annee.mediane() / naif.annee.mediane()), "", "");
}

void Echec(const QString& moteur, const QString& raison) {
    perf::Ligne("10. statistics window, 1 000 000 runs, " + moteur.toStdString(),
                "**failed: " + raison.toStdString() + "**", "", "", "", "");
}

// Both schemas on one engine: fill, measure, drop the indexes, measure again.
bool Banc(const MoteurSql& m, QSqlDatabase db, PosteTest& poste, QString* erreur) {
    const double t0 = perf::MurMs();
    if (!Remplit(db, m, erreur))
        return false;
    std::fprintf(stderr, "bench_Statistiques: %s filled in %.1f s\n", qPrintable(m.nom),
                 (perf::MurMs() - t0) / 1000);
    Plans(db, m.nom, "indexed");
    Detail(db, m.nom, "indexed");
    const Mesures indexe = Mesure(poste);
    if (!indexe.erreur.isEmpty()) {
        *erreur = indexe.erreur;
        return false;
    }
    if (!SansIndex(db, erreur))
        return false;
    Plans(db, m.nom, "naive");
    const Mesures naif = Mesure(poste);
    if (!naif.erreur.isEmpty()) {
        *erreur = naif.erreur;
        return false;
    }
    Lignes(m.nom, indexe, naif);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTemporaryDir dossier;
    QString erreur;
    // "sqlite" or "postgres" measures that engine only.
    const QString seul = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (seul != QLatin1String("postgres")) {
        const QString chemin = dossier.filePath(QStringLiteral("journal.sqlite"));
        PosteTest poste;
        Journal::FixeChemin(poste, chemin);
        bool ok = Journal::Prepare(chemin, &erreur);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "banc");
            db.setDatabaseName(chemin);
            ok = ok && db.open() &&
                 ExecuteSql(db, QStringLiteral("PRAGMA synchronous = OFF"), &erreur) &&
                 ExecuteSql(db, QStringLiteral("PRAGMA journal_mode = MEMORY"), &erreur) &&
                 Banc(kSqlite, db, poste, &erreur);
            db.close();
        }
        QSqlDatabase::removeDatabase("banc");
        if (!ok)
            Echec(kSqlite.nom, erreur);
    }
    if (seul != QLatin1String("sqlite")) {
        ServeurPostgres serveur;
        PosteTest poste;
        Journal::FixeChemin(poste, dossier.filePath(QStringLiteral("poste.sqlite")));
        bool ok = serveur.demarre(&erreur) && serveur.creeBase(QStringLiteral("usine"));
        if (ok) {
            Journal::FixeServeur(poste, serveur.serveur(QStringLiteral("usine")));
            ok = Journal::PrepareServeur(serveur.serveur(QStringLiteral("usine")), &erreur);
        }
        if (ok) {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), "banc");
            serveur.serveur(QStringLiteral("usine")).configure(db);
            ok = db.open() && Banc(kPostgres, db, poste, &erreur);
            db.close();
        }
        QSqlDatabase::removeDatabase("banc");
        if (!ok)
            Echec(kPostgres.nom, erreur);
        serveur.arreteSiDemarre();
    }
    return 0;
}
