// Figure 9: a unit's history searched in a journal of 1 000 000 runs, on the
// station's SQLite file and on the factory's PostgreSQL server, through the
// station's reader and search; beside the same searches on the same journal
// without the indexes the search relies on (the naive schema), in the same
// run. The schema is the station's own; the rows are made inside the
// database by bulk SQL, the same statements on both engines.
#include "HistoriqueJournal.h"
#include "Journal.h"
#include "MesuresPerf.h"
#include "RemplissageSql.h"
#include "ServeurPostgres.h"

#include <QCoreApplication>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>
#include <cstdio>
#include <functional>

namespace {

// A quarter of a million cards, each with its SN assignment, its single
// tray test (one in five failed first, then passed) and its cabinet
// assignment; 50 000 rails of 4 bench runs each: 1 000 000 runs.
constexpr int kCartes = 250000;
constexpr int kPharmacies = 5000;
constexpr int kMeubles = 16000; // cabinets; 4 000 of them assigned a second time
constexpr int kCles = 20;       // searches in a row, each with its own key
constexpr double kCibleMs = 200;
// A naive series stops once its searches passed this: without the indexes a
// pharmacy costs tens of seconds, and one search then tells enough.
constexpr double kBudgetNaifMs = 10000;

const char kBase62[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

QString Sn(int n) {
    QString s(4, QLatin1Char('0'));
    for (int i = 3; i >= 0; --i, n /= 62)
        s[i] = QLatin1Char(kBase62[n % 62]);
    return s;
}

// The same SN in SQL, from the integer expression `n`.
QString SnSql(const QString& n) {
    QStringList chiffres;
    for (const char* poids : {"238328", "3844", "62", "1"})
        chiffres << QStringLiteral("substr('") + QLatin1String(kBase62) + QStringLiteral("', (") +
                        n + QStringLiteral(") / ") + QLatin1String(poids) +
                        QStringLiteral(" % 62 + 1, 1)");
    return chiffres.join(QStringLiteral(" || "));
}

// 25 names × 50 towns × 4 quarters: 5 000 pharmacies, accents included, so
// that their keys are the station's (ClePharmacie), not the engine's lower().
const char* const kNoms[] = {
    "du Lac",       "Centrale",       "de la Gare",    "du Marché",  "de l'Église",
    "des Alpes",    "du Centre",      "Saint-Michel",  "du Port",    "des Halles",
    "de la Mairie", "du Parc",        "de la Place",   "Pasteur",    "du Château",
    "des Tilleuls", "de la Poste",    "du Soleil",     "des Écoles", "du Pont",
    "Victor Hugo",  "de la Fontaine", "du Rond-Point", "des Cèdres", "Moderne"};
const char* const kVilles[] = {"Annecy",        "Chambéry",        "Grenoble",
                               "Lyon",          "Valence",         "Gap",
                               "Albertville",   "Thonon",          "Évian",
                               "Aix-les-Bains", "Bourg",           "Mâcon",
                               "Dijon",         "Besançon",        "Belfort",
                               "Mulhouse",      "Colmar",          "Strasbourg",
                               "Metz",          "Nancy",           "Reims",
                               "Troyes",        "Auxerre",         "Nevers",
                               "Moulins",       "Vichy",           "Clermont-Ferrand",
                               "Le Puy",        "Saint-Étienne",   "Roanne",
                               "Villefranche",  "Vienne",          "Romans",
                               "Montélimar",    "Avignon",         "Nîmes",
                               "Arles",         "Aix-en-Provence", "Toulon",
                               "Nice",          "Cannes",          "Digne",
                               "Briançon",      "Modane",          "Cluses",
                               "Sallanches",    "Chamonix",        "Oyonnax",
                               "Nantua",        "Belley"};
const char* const kQuartiers[] = {"", " Centre", " Nord", " Sud"};

QString Ville(int p) {
    return QString::fromUtf8(kVilles[(p / 25) % 50]);
}
QString Pharmacie(int p) {
    return QStringLiteral("Pharmacie ") + QString::fromUtf8(kNoms[p % 25]) + QStringLiteral(", ") +
           Ville(p) + QString::fromUtf8(kQuartiers[p / 1250]);
}

// Every statement of the filling is the same text on both engines but the
// table of numbers and the dates.
const MoteurSql kSqlite{QStringLiteral("SQLite"), false};
const MoteurSql kPostgres{QStringLiteral("PostgreSQL"), true};

// The columns the history is searched by: without an index that starts
// with one of them, the journal is the naive one. Found in the catalogue,
// not named, so that an index a later schema adds for the same search is
// dropped too; the unique ones (the runs' ids) stay.
const char* const kColonnesCherchees[][2] = {{"passages", "sn"},
                                             {"attributions", "cle_pharmacie"},
                                             {"liens_meuble", "sn"},
                                             {"liens_meuble", "cle_pharmacie"}};

const QString kColonnesPassage = QStringLiteral(
    "INSERT INTO passages (id, debut, poste, usine, operateur, flux, sn, nom_carte, version_fw,"
    " issue, duree_ms, code_defaut, uid, version_poste, fichier_fw, sha256_fw, position) ");
const QString kFirmware =
    QStringLiteral(" '1.2.13', 'PLT2_v2.14.hex',"
                   " '9f2c4be07d1a3e5f60b8c2d4e6f8a0b1c3d5e7f9a1b3c5d7e9f0a2b4c6d8e0f2', ");

// The journal's rows, in one transaction on the connection `db` whose
// schema the station made.
bool Remplit(QSqlDatabase db, const MoteurSql& m, QString* erreur) {
    const auto date = [&m](const QString& s) { return m.date(s); };
    if (!db.transaction()) {
        *erreur = QStringLiteral("transaction: ") + db.lastError().text();
        return false;
    }
    QStringList sql = {
        m.nombres(kCartes),
        QStringLiteral("CREATE TEMP TABLE pharmacies_banc (n INTEGER PRIMARY KEY, nom TEXT,"
                       " cle TEXT, adresse TEXT)"),
    };
    for (const QString& s : sql)
        if (!ExecuteSql(db, s, erreur))
            return false;
    {
        QSqlQuery q(db);
        q.prepare(QStringLiteral("INSERT INTO pharmacies_banc VALUES (?, ?, ?, ?)"));
        QVariantList n, nom, cle, adresse;
        for (int p = 0; p < kPharmacies; ++p) {
            n << p;
            nom << Pharmacie(p);
            cle << ClePharmacie(Pharmacie(p));
            adresse
                << QStringLiteral("%1 place de la République, %2").arg(p % 97 + 1).arg(Ville(p));
        }
        q.addBindValue(n);
        q.addBindValue(nom);
        q.addBindValue(cle);
        q.addBindValue(adresse);
        if (!q.execBatch()) {
            *erreur = QStringLiteral("pharmacies: ") + q.lastError().text();
            return false;
        }
    }
    // Card c: assignment a = c × 2 / 25 (12 or 13 trays each) of cabinet k;
    // assignments from 16 000 assign cabinets 0, 4, 8… again, with new cards.
    // Times in seconds after 2025-01-01: the SN at t, the tray test a day
    // later, the cabinet once the assignment's last card is tested.
    sql = {
        QStringLiteral("CREATE TEMP TABLE cartes_banc AS SELECT n AS c, ") + SnSql("n") +
            QStringLiteral(
                " AS sn, a, k, n - (a * 25 + 1) / 2 + 1 AS plateau,"
                " substr('ABCD', k / 5000 + 1, 1) AS meuble, k % 5000 AS pharmacie, n * 240 AS t,"
                " ((a + 1) * 25 + 1) / 2 * 240 + 259200 AS quand,"
                " CASE WHEN n % 50 = 7 THEN 0 ELSE 1 END AS passe"
                " FROM (SELECT n, a, CASE WHEN a < 16000 THEN a ELSE (a - 16000) * 4 END AS k"
                " FROM (SELECT n, n * 2 / 25 AS a FROM nombres) x) y"),
        // Each card's SN assignment.
        kColonnesPassage + QStringLiteral("SELECT 4 * c + 1, ") + date("t") +
            QStringLiteral(", 'banc-' || CAST(c % 4 + 1 AS TEXT), '0', CAST(c % 12 + 1 AS TEXT),"
                           " 'AttribueSNcarte', sn, 'A-50', 'PLT2 v2.14', 'reussi',"
                           " 20000 + c % 3000, NULL, 'p' || CAST(4 * c + 1 AS TEXT),") +
            kFirmware + QStringLiteral("NULL FROM cartes_banc"),
        // Its single tray test, one in five failed on the supply...
        kColonnesPassage + QStringLiteral("SELECT 4 * c + 2, ") + date("t + 86400") +
            QStringLiteral(", 'banc-' || CAST(c % 4 + 1 AS TEXT), '0', CAST(c % 12 + 1 AS TEXT),"
                           " 'TestPlateauSeul', sn, 'A-50', 'PLT2 v2.14',"
                           " CASE WHEN c % 5 = 0 THEN 'echec' ELSE 'reussi' END, 35000 + c % 5000,"
                           " CASE WHEN c % 5 = 0 THEN 'alim' END,"
                           " 'p' || CAST(4 * c + 2 AS TEXT),") +
            kFirmware + QStringLiteral("NULL FROM cartes_banc"),
        // ...and passed an hour later.
        kColonnesPassage + QStringLiteral("SELECT 4 * c + 3, ") + date("t + 90000") +
            QStringLiteral(", 'banc-' || CAST(c % 4 + 1 AS TEXT), '0', CAST(c % 12 + 1 AS TEXT),"
                           " 'TestPlateauSeul', sn, 'A-50', 'PLT2 v2.14', 'reussi',"
                           " 35000 + c % 5000, NULL, 'p' || CAST(4 * c + 3 AS TEXT),") +
            kFirmware + QStringLiteral("NULL FROM cartes_banc WHERE c % 5 = 0"),
        // The tray's run of its cabinet assignment; one card in 50 refused.
        kColonnesPassage + QStringLiteral("SELECT 4 * c + 4, ") + date("quand") +
            QStringLiteral(", 'banc-3', '0', CAST(a % 7 + 1 AS TEXT), 'AttribueCartesMeuble', sn,"
                           " meuble || '-' || CAST(plateau AS TEXT), 'PLT2 v2.15',"
                           " CASE WHEN passe = 1 THEN 'reussi' ELSE 'echec' END, 4000,"
                           " CASE WHEN passe = 0 THEN 'E1' END, 'p' || CAST(4 * c + 4 AS TEXT),") +
            kFirmware + QStringLiteral("NULL FROM cartes_banc"),
        // Rails: 50 000, each passed 4 times on the bench, a week apart.
        kColonnesPassage + QStringLiteral("SELECT 1000001 + n, ") +
            date("n / 4 * 1200 + n % 4 * 604800") +
            QStringLiteral(", 'banc-2', '0', CAST(n % 12 + 1 AS TEXT), 'TestRailsMeuble', ") +
            SnSql("300000 + n / 4") +
            QStringLiteral(
                ", 'A' || CAST(n / 4 % 100 + 1 AS TEXT), 'RAIL v1.3',"
                " CASE WHEN n % 17 = 0 THEN 'echec' ELSE 'reussi' END, 1500,"
                " CASE WHEN n % 17 = 0 THEN 'E3' END, 'p' || CAST(1000001 + n AS TEXT),") +
            kFirmware + QStringLiteral("n / 4 % 100 + 1 FROM nombres WHERE n < 200000"),
        // Two measurements and a result text for each tray test.
        QStringLiteral("INSERT INTO mesures (passage, rang, nom, valeur, texte, limite_basse,"
                       " limite_haute, unite, conforme, code) SELECT id, 1, 'alim',"
                       " CASE WHEN issue = 'echec' THEN 45.2 ELSE 48.0 + id % 20 / 10.0 END,"
                       " NULL, 47, 51, 'V', CASE WHEN issue = 'echec' THEN 0 ELSE 1 END,"
                       " CASE WHEN issue = 'echec' THEN 'alim' END"
                       " FROM passages WHERE flux = 'TestPlateauSeul'"),
        QStringLiteral("INSERT INTO mesures (passage, rang, nom, valeur, texte, limite_basse,"
                       " limite_haute, unite, conforme, code) SELECT id, 2, 'IR pourcentage',"
                       " 25 + id % 40, NULL, 20, 80, '%', 1, NULL"
                       " FROM passages WHERE flux = 'TestPlateauSeul'"),
        QStringLiteral("INSERT INTO resultats (passage, rang, texte) SELECT id, 1,"
                       " CASE WHEN issue = 'echec' THEN 'TestAlim HS = 45.2v'"
                       " ELSE 'TestAlim OK' END FROM passages WHERE flux = 'TestPlateauSeul'"),
        // The cabinet assignments, their trays and the links they made.
        QStringLiteral("INSERT INTO attributions (id, uid, debut, poste, usine, operateur,"
                       " pharmacie, cle_pharmacie, adresse, meuble, premier, dernier)"
                       " SELECT a + 1, 'a' || CAST(a AS TEXT), ") +
            date("min(quand)") +
            QStringLiteral(", 'banc-3', '0', CAST(a % 7 + 1 AS TEXT), ph.nom, ph.cle, ph.adresse,"
                           " min(meuble), 1, max(plateau) FROM cartes_banc"
                           " JOIN pharmacies_banc ph ON ph.n = pharmacie"
                           " GROUP BY a, ph.nom, ph.cle, ph.adresse ORDER BY a"),
        QStringLiteral("INSERT INTO plateaux_attribues (attribution, plateau, saisie, sn, sn_lu,"
                       " ancien_nom, nouveau_nom, issue, passage_uid) SELECT a + 1, plateau,"
                       " 'C8-' || sn || '-5026-0Y', sn, CASE WHEN passe = 1 THEN sn END, 'A-50',"
                       " meuble || '-' || CAST(plateau AS TEXT),"
                       " CASE WHEN passe = 1 THEN 'reussi' ELSE 'echec' END,"
                       " 'p' || CAST(4 * c + 4 AS TEXT) FROM cartes_banc ORDER BY c"),
        QStringLiteral(
            "INSERT INTO liens_meuble (sn, pharmacie, cle_pharmacie, meuble, plateau,"
            " debut, attribution_uid) SELECT x.sn, ph.nom, ph.cle, x.meuble, x.plateau, ") +
            date("x.quand") +
            QStringLiteral(", 'a' || CAST(x.a AS TEXT) FROM cartes_banc x"
                           " JOIN pharmacies_banc ph ON ph.n = x.pharmacie WHERE x.passe = 1"
                           " ORDER BY x.c"),
        // A cabinet assigned again: its trays' earlier cards leave them.
        QStringLiteral("UPDATE liens_meuble SET fin = n.debut,"
                       " fin_attribution_uid = n.attribution_uid FROM liens_meuble AS n"
                       " WHERE n.cle_pharmacie = liens_meuble.cle_pharmacie"
                       " AND n.meuble = liens_meuble.meuble AND n.plateau = liens_meuble.plateau"
                       " AND n.debut > liens_meuble.debut"),
    };
    for (const QString& s : sql)
        if (!ExecuteSql(db, s, erreur))
            return false;
    if (db.commit())
        return true;
    *erreur = QStringLiteral("validation: ") + db.lastError().text();
    return false;
}

bool Compte(const QSqlDatabase& db, const QString& table, qint64 attendu, QString* erreur) {
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT count(*) FROM ") + table) || !q.next()) {
        *erreur = table + QStringLiteral(": ") + q.lastError().text();
        return false;
    }
    std::fprintf(stderr, "bench_Historique:   %s %lld rows\n", qPrintable(table),
                 q.value(0).toLongLong());
    if (attendu < 0 || q.value(0).toLongLong() == attendu)
        return true;
    *erreur = QStringLiteral("%1: %2 rows, %3 expected")
                  .arg(table)
                  .arg(q.value(0).toLongLong())
                  .arg(attendu);
    return false;
}

bool Verifie(const QSqlDatabase& db, QString* erreur) {
    return Compte(db, QStringLiteral("passages"), 1000000, erreur) &&
           Compte(db, QStringLiteral("mesures"), 600000, erreur) &&
           Compte(db, QStringLiteral("attributions"), 20000, erreur) &&
           Compte(db, QStringLiteral("plateaux_attribues"), kCartes, erreur) &&
           Compte(db, QStringLiteral("liens_meuble"), -1, erreur) &&
           Compte(db, QStringLiteral("liens_meuble WHERE fin IS NOT NULL"), -1, erreur);
}

// ---- The searches

enum class Genre { SN, CodeProduit, Meuble, Pharmacie };
const Genre kGenres[] = {Genre::SN, Genre::CodeProduit, Genre::Meuble, Genre::Pharmacie};

const char* Nom(Genre g) {
    switch (g) {
    case Genre::SN:
        return "card SN";
    case Genre::CodeProduit:
        return "product code";
    case Genre::Meuble:
        return "cabinet \"<pharmacy> / <cabinet>\"";
    case Genre::Pharmacie:
        return "pharmacy by its exact name";
    }
    return "";
}

// Key i of a kind, spread over the journal; key kCles warms the connection.
QString Cle(Genre g, int i) {
    switch (g) {
    case Genre::SN:
        return Sn((i * 12347 + 101) % kCartes);
    case Genre::CodeProduit:
        return QStringLiteral("C8-") + Sn((i * 11939 + 5003) % kCartes) +
               QStringLiteral("-5026-0Y");
    case Genre::Meuble: {
        const int k = (i * 797 + 3) % kMeubles;
        return Pharmacie(k % kPharmacies) + QStringLiteral(" / ") +
               QLatin1Char(static_cast<char>('A' + k / kPharmacies));
    }
    case Genre::Pharmacie:
        return Pharmacie((i * 251 + 17) % kPharmacies);
    }
    return {};
}

// Whether the search found what the journal holds for that key.
bool Attendu(Genre g, const ResultatHistorique& r) {
    switch (g) {
    case Genre::SN:
    case Genre::CodeProduit:
        return r.trouve && r.passages.size() >= 3;
    case Genre::Meuble:
        return r.recherche.genre == GenreRecherche::Meuble && r.meubles.size() == 1 &&
               !r.meubles.first().plateaux.isEmpty();
    case Genre::Pharmacie:
        return r.recherche.genre == GenreRecherche::Pharmacie && r.meubles.size() >= 3;
    }
    return false;
}

struct Serie {
    perf::Serie ms;
    QStringList resumes;
    QString erreur;
};

Serie Cherche(const QSqlDatabase& db, Genre g, double budgetMs) {
    Serie s;
    ResultatHistorique r;
    if (!ChercheHistorique(db, Cle(g, kCles), &r, &s.erreur))
        return s;
    double total = 0;
    for (int i = 0; i < kCles; ++i) {
        if (budgetMs > 0 && total > budgetMs)
            break;
        const QString cle = Cle(g, i);
        const double t0 = perf::MurMs();
        const bool lu = ChercheHistorique(db, cle, &r, &s.erreur);
        const double ms = perf::MurMs() - t0;
        if (!lu)
            return s;
        if (!Attendu(g, r)) {
            s.erreur = QStringLiteral("« %1 »: %2").arg(cle, r.resume);
            return s;
        }
        s.ms.ajoute(ms);
        s.resumes << r.resume;
        total += ms;
    }
    return s;
}

// The plan of the SN search's query of runs, as ChercheSN sends it.
void Plan(const QSqlDatabase& db, const QString& moteur, const char* schema) {
    const QString requete =
        QStringLiteral(
            "SELECT id, debut, poste, usine, operateur, flux, sn, nom_carte, version_fw,"
            " version_poste, fichier_fw, sha256_fw, position, issue, code_defaut, duree_ms"
            " FROM passages WHERE sn = '%1' ORDER BY debut, id")
            .arg(Cle(Genre::SN, 0));
    const bool sqlite = db.driverName() == QLatin1String("QSQLITE");
    const QString explique =
        (sqlite ? QStringLiteral("EXPLAIN QUERY PLAN ") : QStringLiteral("EXPLAIN ")) + requete;
    std::fprintf(stderr, "bench_Historique: %s, %s schema: %s\n", qPrintable(moteur), schema,
                 qPrintable(explique));
    QSqlQuery q(db);
    if (!q.exec(explique)) {
        std::fprintf(stderr, "  %s\n", qPrintable(q.lastError().text()));
        return;
    }
    while (q.next())
        std::fprintf(stderr, "  %s\n", qPrintable(q.value(sqlite ? 3 : 0).toString()));
}

struct Mesures {
    Serie series[4];
};

bool Mesure(const LectureJournal& l, const QString& moteur, const char* schema, double budgetMs,
            Mesures* m, QString* erreur) {
    Plan(l.db(), moteur, schema);
    for (int i = 0; i < 4; ++i) {
        m->series[i] = Cherche(l.db(), kGenres[i], budgetMs);
        if (!m->series[i].erreur.isEmpty()) {
            *erreur = QStringLiteral("%1, %2 schema, %3: %4")
                          .arg(moteur, QLatin1String(schema), QLatin1String(Nom(kGenres[i])),
                               m->series[i].erreur);
            return false;
        }
        std::fprintf(stderr, "bench_Historique: %s, %s schema, %s: median %.2f ms\n",
                     qPrintable(moteur), schema, Nom(kGenres[i]), m->series[i].ms.mediane());
    }
    return true;
}

std::string Cles(size_t n) {
    return std::to_string(n) + (n > 1 ? " keys" : " key");
}

void Lignes(const QString& moteur, const Mesures& indexe, const Mesures& naif) {
    for (int i = 0; i < 4; ++i) {
        const Serie& a = indexe.series[i];
        const Serie& n = naif.series[i];
        for (int k = 0; k < n.resumes.size(); ++k)
            if (n.resumes[k] != a.resumes[k])
                std::fprintf(stderr,
                             "bench_Historique: %s, %s, key %d: naive \"%s\", indexed \"%s\"\n",
                             qPrintable(moteur), Nom(kGenres[i]), k, qPrintable(n.resumes[k]),
                             qPrintable(a.resumes[k]));
        perf::Ligne("9. history search in 1 000 000 runs, " + moteur.toStdString() + ": " +
                        Nom(kGenres[i]) + ", " + Cles(a.ms.v.size()),
                    perf::Valeur(a.ms, "ms"),
                    "naive schema " + perf::Valeur(n.ms, "ms") + ", " + Cles(n.ms.v.size()),
                    perf::Nombre(a.ms.mediane() / n.ms.mediane()), "< 200 ms, every search",
                    perf::Verdict(a.ms.max() < kCibleMs));
    }
}

void Echec(const QString& moteur, const QString& raison) {
    perf::Ligne("9. history search in 1 000 000 runs, " + moteur.toStdString(),
                "**failed: " + raison.toStdString() + "**", "", "", "", "");
}

bool SansIndex(const QSqlDatabase& db, QString* erreur) {
    const bool sqlite = db.driverName() == QLatin1String("QSQLITE");
    QStringList index;
    for (const auto& [table, colonne] : kColonnesCherchees) {
        QSqlQuery q(db);
        q.prepare(sqlite ? QStringLiteral("SELECT m.name FROM sqlite_master m,"
                                          " pragma_index_info(m.name) c WHERE m.type = 'index'"
                                          " AND m.tbl_name = ? AND m.sql IS NOT NULL"
                                          " AND c.seqno = 0 AND c.name = ?")
                         : QStringLiteral("SELECT x.relname FROM pg_index i"
                                          " JOIN pg_class x ON x.oid = i.indexrelid"
                                          " JOIN pg_class t ON t.oid = i.indrelid"
                                          " JOIN pg_attribute a ON a.attrelid = t.oid"
                                          " AND a.attnum = i.indkey[0]"
                                          " WHERE t.relname = ? AND a.attname = ?"
                                          " AND NOT i.indisunique"));
        q.addBindValue(QLatin1String(table));
        q.addBindValue(QLatin1String(colonne));
        if (!q.exec()) {
            *erreur = QStringLiteral("index: ") + q.lastError().text();
            return false;
        }
        while (q.next())
            index << q.value(0).toString();
    }
    std::fprintf(stderr, "bench_Historique: naive schema: dropped %s\n",
                 qPrintable(index.join(QStringLiteral(", "))));
    for (const QString& i : std::as_const(index))
        if (!ExecuteSql(db, QStringLiteral("DROP INDEX ") + i, erreur))
            return false;
    return ExecuteSql(db, QStringLiteral("ANALYZE"), erreur);
}

bool Sqlite(const QString& dossier, QString* erreur) {
    const QString chemin = dossier + QStringLiteral("/journal.sqlite");
    const QString naif = dossier + QStringLiteral("/naif.sqlite");
    if (!Journal::Prepare(chemin, erreur))
        return false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "remplissage");
        db.setDatabaseName(chemin);
        double t0 = perf::MurMs();
        const bool ok =
            db.open() && ExecuteSql(db, QStringLiteral("PRAGMA synchronous = OFF"), erreur) &&
            ExecuteSql(db, QStringLiteral("PRAGMA journal_mode = MEMORY"), erreur) &&
            ExecuteSql(db, QStringLiteral("PRAGMA temp_store = MEMORY"), erreur) &&
            ExecuteSql(db, QStringLiteral("PRAGMA cache_size = -262144"), erreur) &&
            Remplit(db, kSqlite, erreur) && ExecuteSql(db, QStringLiteral("ANALYZE"), erreur);
        std::fprintf(stderr, "bench_Historique: SQLite journal filled and analysed in %.1f s\n",
                     (perf::MurMs() - t0) / 1000);
        const bool verifie = ok && Verifie(db, erreur);
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase("remplissage");
        if (!verifie)
            return false;
    }
    if (!QFile::copy(chemin, naif)) {
        *erreur = QStringLiteral("copie impossible: ") + naif;
        return false;
    }
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "naif");
        db.setDatabaseName(naif);
        const bool ok = db.open() && SansIndex(db, erreur);
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase("naif");
        if (!ok)
            return false;
    }
    Mesures indexe, sans;
    {
        LectureJournal l(chemin);
        if (!l.ouvre(erreur) || !Mesure(l, QStringLiteral("SQLite"), "indexed", 0, &indexe, erreur))
            return false;
    }
    {
        LectureJournal l(naif);
        if (!l.ouvre(erreur) ||
            !Mesure(l, QStringLiteral("SQLite"), "naive", kBudgetNaifMs, &sans, erreur))
            return false;
    }
    Lignes(QStringLiteral("SQLite file"), indexe, sans);
    return true;
}

bool Postgres(ServeurPostgres& pg, QString* erreur) {
    if (ServeurPostgres::DossierProgrammes().isEmpty()) {
        *erreur = QStringLiteral("PostgreSQL is not installed");
        return false;
    }
    if (!pg.demarre(erreur))
        return false;
    if (!pg.creeBase(QStringLiteral("journal"))) {
        *erreur = QStringLiteral("CREATE DATABASE journal refused");
        return false;
    }
    const ServeurJournal serveur = pg.serveur(QStringLiteral("journal"));
    if (!Journal::PrepareServeur(serveur, erreur))
        return false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), "remplissage");
        serveur.configure(db);
        double t0 = perf::MurMs();
        bool ok = db.open() && Remplit(db, kPostgres, erreur);
        for (const char* table : {"passages", "attributions", "liens_meuble"})
            ok = ok && ExecuteSql(db,
                                  QStringLiteral("SELECT setval(pg_get_serial_sequence('%1', 'id'),"
                                                 " (SELECT max(id) FROM %1))")
                                      .arg(QLatin1String(table)),
                                  erreur);
        // As the server's own vacuum would leave it, so that it does not run
        // during the measures.
        ok = ok && ExecuteSql(db, QStringLiteral("VACUUM ANALYZE"), erreur);
        std::fprintf(stderr, "bench_Historique: PostgreSQL journal filled and analysed in %.1f s\n",
                     (perf::MurMs() - t0) / 1000);
        ok = ok && Verifie(db, erreur);
        if (!db.isOpen() && erreur->isEmpty())
            *erreur = db.lastError().text();
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase("remplissage");
        if (!ok)
            return false;
    }
    Mesures indexe, sans;
    {
        LectureJournal l(serveur);
        if (!l.ouvre(erreur) ||
            !Mesure(l, QStringLiteral("PostgreSQL"), "indexed", 0, &indexe, erreur))
            return false;
        // The same base without the indexes, read by the same connection.
        if (!SansIndex(l.db(), erreur) ||
            !Mesure(l, QStringLiteral("PostgreSQL"), "naive", kBudgetNaifMs, &sans, erreur))
            return false;
    }
    Lignes(QStringLiteral("PostgreSQL server"), indexe, sans);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int statut = 0;
    QString erreur;
    {
        QTemporaryDir dossier;
        if (!Sqlite(dossier.path(), &erreur)) {
            Echec(QStringLiteral("SQLite file"), erreur);
            statut = 1;
        }
    }
    erreur.clear();
    ServeurPostgres pg;
    if (!Postgres(pg, &erreur)) {
        Echec(QStringLiteral("PostgreSQL server"), erreur);
        statut = 1;
    }
    pg.arreteSiDemarre();
    return statut;
}
