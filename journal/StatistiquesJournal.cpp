#include "StatistiquesJournal.h"

#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QSaveFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <algorithm>
#include <atomic>
#include <cmath>

namespace {

// The filter as a WHERE clause on passages `p`, with its values in order.
struct Clause {
    QString sql;
    QVariantList valeurs;
};

// No earlier run of the same SN in the same workflow, anywhere.
const QString kPremierPassage =
    QStringLiteral(" AND (p.sn IS NULL OR p.sn = '' OR NOT EXISTS (SELECT 1 FROM passages q"
                   " WHERE q.sn = p.sn AND q.flux = p.flux"
                   " AND (q.debut < p.debut OR (q.debut = p.debut AND q.id < p.id))))");

Clause Filtre(const FiltreJournal& f) {
    Clause c{QStringLiteral("1 = 1"), {}};
    // debut is ISO text in UTC: a day compares as the text's first ten characters.
    const auto depuis = [&c](const QDate& jour) {
        c.sql += QStringLiteral(" AND p.debut >= ?");
        c.valeurs << jour.toString(Qt::ISODate);
    };
    const auto avant = [&c](const QDate& jour) {
        c.sql += QStringLiteral(" AND p.debut < ?");
        c.valeurs << jour.addDays(1).toString(Qt::ISODate);
    };
    if (f.du.isValid())
        depuis(f.du);
    if (f.au.isValid())
        avant(f.au);
    if (f.jour.isValid()) {
        depuis(f.jour);
        avant(f.jour);
    }
    const auto egal = [&c](const char* colonne, const QString& valeur) {
        if (valeur.isEmpty())
            return;
        c.sql += QStringLiteral(" AND p.") + QLatin1String(colonne) + QStringLiteral(" = ?");
        c.valeurs << valeur;
    };
    egal("poste", f.poste);
    egal("operateur", f.operateur);
    egal("flux", f.flux);
    if (!f.codes.isEmpty()) {
        c.sql += QStringLiteral(" AND p.issue = 'echec' AND coalesce(p.code_defaut, 'sans code')"
                                " IN (?") +
                 QStringLiteral(", ?").repeated(f.codes.size() - 1) + QLatin1Char(')');
        for (const QString& code : f.codes)
            c.valeurs << code;
    }
    if (f.passage > 0) {
        c.sql += QStringLiteral(" AND p.id = ?");
        c.valeurs << f.passage;
    }
    if (f.premiers)
        c.sql += kPremierPassage;
    return c;
}

bool Lit(QSqlQuery& q, const QString& sql, const QVariantList& valeurs, QString* erreur) {
    q.setForwardOnly(true);
    if (q.prepare(sql)) {
        for (const QVariant& v : valeurs)
            q.addBindValue(v);
        if (q.exec())
            return true;
    }
    if (erreur) {
        const QSqlError e = q.lastError();
        // A connection the server dropped says nothing more.
        *erreur = QStringLiteral("lecture du journal: ") +
                  (!e.databaseText().isEmpty() ? e.databaseText()
                   : !e.text().isEmpty()       ? e.text()
                                               : QStringLiteral("connexion perdue"));
    }
    return false;
}

// The distinct values of a column, one index probe each rather than a scan
// of every run.
bool Liste(const QSqlDatabase& db, const QString& colonne, QStringList& r, QString* erreur) {
    QSqlQuery q(db);
    if (!Lit(q,
             QStringLiteral("WITH RECURSIVE t(v) AS (SELECT min(%1) FROM passages UNION ALL"
                            " SELECT (SELECT min(%1) FROM passages WHERE %1 > t.v) FROM t"
                            " WHERE t.v IS NOT NULL) SELECT v FROM t WHERE v IS NOT NULL")
                 .arg(colonne),
             {}, erreur))
        return false;
    r.clear();
    while (q.next())
        r << q.value(0).toString();
    return true;
}

std::optional<double> Optionnel(const QVariant& v) {
    return v.isNull() ? std::nullopt : std::optional<double>(v.toDouble());
}

// The limits and unit of the latest record of `mesure` in the filter.
bool DernieresLimites(const QSqlDatabase& db, const Clause& c, const QString& mesure,
                      ValeursMesure& r, QString* erreur) {
    QSqlQuery q(db);
    if (!Lit(q,
             QStringLiteral("SELECT m.limite_basse, m.limite_haute, m.unite"
                            " FROM mesures m JOIN passages p ON p.id = m.passage"
                            " WHERE m.nom = ? AND m.valeur IS NOT NULL AND ") +
                 c.sql + QStringLiteral(" ORDER BY p.debut DESC, p.id DESC, m.rang DESC LIMIT 1"),
             QVariantList{mesure} + c.valeurs, erreur))
        return false;
    if (q.next()) {
        r.limiteBasse = Optionnel(q.value(0));
        r.limiteHaute = Optionnel(q.value(1));
        r.unite = q.value(2).toString();
    }
    return true;
}

QString NombreTexte(const QVariant& v) {
    return v.isNull() ? QString() : QString::number(v.toDouble());
}

QString ChampCsv(const QString& champ) {
    if (!champ.contains(QLatin1Char(';')) && !champ.contains(QLatin1Char('"')) &&
        !champ.contains(QLatin1Char('\r')) && !champ.contains(QLatin1Char('\n')))
        return champ;
    QString c = champ;
    c.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + c + QLatin1Char('"');
}

} // namespace

Histogramme Repartit(const ValeursMesure& v, double largeur) {
    Histogramme h;
    h.largeur = largeur > 0 ? largeur : 1;
    QList<double> bornes = v.valeurs;
    if (v.limiteBasse)
        bornes << *v.limiteBasse;
    if (v.limiteHaute)
        bornes << *v.limiteHaute;
    if (bornes.isEmpty())
        return h;
    const auto [mini, maxi] = std::minmax_element(bornes.cbegin(), bornes.cend());
    // One bin of margin on each side, so that a limit never sits on the frame.
    h.debut = (std::floor(*mini / h.largeur) - 1) * h.largeur;
    const int nombre = static_cast<int>(std::floor((*maxi - h.debut) / h.largeur)) + 2;
    h.comptes = QList<int>(nombre, 0);
    for (qsizetype k = 0; k < v.valeurs.size(); ++k) {
        // A value on a bin's edge belongs to the bin it opens, whatever the float says.
        const int i = static_cast<int>(std::floor((v.valeurs[k] - h.debut) / h.largeur + 1e-9));
        if (i >= 0 && i < nombre)
            h.comptes[i] += k < v.poids.size() ? v.poids[k] : 1;
    }
    return h;
}

namespace StatistiquesJournal {

void PrepareConnexion(const QSqlDatabase& db) {
    if (db.driverName() == QLatin1String("QPSQL")) {
        // The window's queries read a few thousand rows each: compiling them,
        // or starting parallel workers (about 140 ms on a small server), costs
        // more than it saves. Their pages are recent and at hand: with the
        // default cost of a random read, the planner reads every measurement
        // rather than probe the index for a week's.
        QSqlQuery q(db);
        q.exec(QStringLiteral("SET jit = off"));
        q.exec(QStringLiteral("SET max_parallel_workers_per_gather = 0"));
        q.exec(QStringLiteral("SET random_page_cost = 1.1"));
    }
}

QStringList EnTetes() {
    return {QStringLiteral("debut"),       QStringLiteral("poste"),      QStringLiteral("usine"),
            QStringLiteral("operateur"),   QStringLiteral("flux"),       QStringLiteral("sn"),
            QStringLiteral("nom_carte"),   QStringLiteral("version_fw"), QStringLiteral("issue"),
            QStringLiteral("code_defaut"), QStringLiteral("duree_ms"),   QStringLiteral("mesures"),
            QStringLiteral("resultats")};
}

bool RendementParJour(const QSqlDatabase& db, const FiltreJournal& f, QList<Rendement>& r,
                      QString* erreur) {
    QList<LigneSynthese> lignes;
    if (!Synthese(db, f, lignes, erreur))
        return false;
    r = RendementsPar(lignes, false);
    return true;
}

bool RendementParFlux(const QSqlDatabase& db, const FiltreJournal& f, QList<Rendement>& r,
                      QString* erreur) {
    QList<LigneSynthese> lignes;
    if (!Synthese(db, f, lignes, erreur))
        return false;
    r = RendementsPar(lignes, true);
    return true;
}

bool Pareto(const QSqlDatabase& db, const FiltreJournal& f, QList<CompteDefaut>& r,
            QString* erreur) {
    const Clause c = Filtre(f);
    QSqlQuery q(db);
    if (!Lit(q,
             QStringLiteral("SELECT coalesce(p.code_defaut, 'sans code') AS code, count(*) AS n"
                            " FROM passages p WHERE p.issue = 'echec' AND ") +
                 c.sql + QStringLiteral(" GROUP BY coalesce(p.code_defaut, 'sans code')"),
             c.valeurs, erreur))
        return false;
    r.clear();
    while (q.next())
        r << CompteDefaut{q.value(0).toString(), q.value(1).toInt()};
    // Ties in the same order on every engine, whatever its collation.
    std::stable_sort(r.begin(), r.end(), [](const CompteDefaut& a, const CompteDefaut& b) {
        return a.nombre != b.nombre ? a.nombre > b.nombre : a.code < b.code;
    });
    return true;
}

bool Valeurs(const QSqlDatabase& db, const FiltreJournal& f, const QString& mesure,
             ValeursMesure& r, QString* erreur) {
    const Clause c = Filtre(f);
    QSqlQuery q(db);
    if (!Lit(q,
             QStringLiteral("SELECT m.valeur, m.limite_basse, m.limite_haute, m.unite"
                            " FROM mesures m JOIN passages p ON p.id = m.passage"
                            " WHERE m.nom = ? AND m.valeur IS NOT NULL AND ") +
                 c.sql + QStringLiteral(" ORDER BY p.debut, p.id, m.rang"),
             QVariantList{mesure} + c.valeurs, erreur))
        return false;
    r = {};
    while (q.next()) {
        r.valeurs << q.value(0).toDouble();
        // The limits of the latest record: those the program applies today.
        r.limiteBasse =
            q.value(1).isNull() ? std::nullopt : std::optional<double>(q.value(1).toDouble());
        r.limiteHaute =
            q.value(2).isNull() ? std::nullopt : std::optional<double>(q.value(2).toDouble());
        r.unite = q.value(3).toString();
    }
    return true;
}

bool Etendue(const QSqlDatabase& db, QDate& premier, QDate& dernier, QString* erreur) {
    QSqlQuery q(db);
    // Each end read from the index, not from every run.
    if (!Lit(q,
             QStringLiteral("SELECT (SELECT min(debut) FROM passages),"
                            " (SELECT max(debut) FROM passages)"),
             {}, erreur))
        return false;
    premier = dernier = QDate();
    if (q.next()) {
        premier = QDate::fromString(q.value(0).toString().left(10), Qt::ISODate);
        dernier = QDate::fromString(q.value(1).toString().left(10), Qt::ISODate);
    }
    return true;
}

bool Postes(const QSqlDatabase& db, QStringList& r, QString* erreur) {
    return Liste(db, QStringLiteral("poste"), r, erreur);
}

bool Operateurs(const QSqlDatabase& db, QStringList& r, QString* erreur) {
    return Liste(db, QStringLiteral("operateur"), r, erreur);
}

bool Passages(const QSqlDatabase& db, const FiltreJournal& f, QList<QStringList>& r,
              QString* erreur, int limite) {
    Clause c = Filtre(f);
    QSqlQuery q(db);
    if (!Lit(q,
             QStringLiteral("SELECT p.id, p.debut, p.poste, p.usine, p.operateur, p.flux, p.sn,"
                            " p.nom_carte, p.version_fw, p.issue, p.code_defaut, p.duree_ms"
                            " FROM passages p WHERE ") +
                 c.sql +
                 (limite > 0
                      ? QStringLiteral(" ORDER BY p.debut DESC, p.id DESC LIMIT %1").arg(limite)
                      : QStringLiteral(" ORDER BY p.debut, p.id")),
             c.valeurs, erreur))
        return false;
    r.clear();
    QHash<qint64, qsizetype> rang;
    QStringList ids;
    while (q.next()) {
        QStringList ligne;
        for (int i = 1; i <= 11; ++i)
            ligne << q.value(i).toString();
        ligne << QString() << QString();
        rang.insert(q.value(0).toLongLong(), r.size());
        ids << QString::number(q.value(0).toLongLong());
        r << ligne;
    }
    if (limite > 0) {
        // The latest first to stop early; shown oldest first.
        std::reverse(r.begin(), r.end());
        for (auto i = rang.begin(); i != rang.end(); ++i)
            *i = r.size() - 1 - *i;
        // Their texts by their ids, not by the whole filter again.
        if (ids.isEmpty())
            return true;
        c = {QStringLiteral("p.id IN (") + ids.join(QLatin1Char(',')) + QLatin1Char(')'), {}};
    }

    QSqlQuery m(db);
    if (!Lit(m,
             QStringLiteral("SELECT m.passage, m.nom, m.valeur, m.texte, m.limite_basse,"
                            " m.limite_haute, m.unite FROM mesures m"
                            " JOIN passages p ON p.id = m.passage WHERE ") +
                 c.sql + QStringLiteral(" ORDER BY m.passage, m.rang"),
             c.valeurs, erreur))
        return false;
    while (m.next()) {
        const auto i = rang.constFind(m.value(0).toLongLong());
        if (i == rang.cend())
            continue;
        QString texte = m.value(1).toString() + QLatin1Char('=') +
                        (m.value(2).isNull() ? m.value(3).toString()
                                             : NombreTexte(m.value(2)) + m.value(6).toString());
        if (!m.value(4).isNull() || !m.value(5).isNull())
            texte += QStringLiteral(" [") + NombreTexte(m.value(4)) + QStringLiteral("..") +
                     NombreTexte(m.value(5)) + QLatin1Char(']');
        QString& champ = r[*i][11];
        champ += (champ.isEmpty() ? QString() : QStringLiteral(", ")) + texte;
    }

    QSqlQuery t(db);
    if (!Lit(t,
             QStringLiteral("SELECT t.passage, t.texte FROM resultats t"
                            " JOIN passages p ON p.id = t.passage WHERE ") +
                 c.sql + QStringLiteral(" ORDER BY t.passage, t.rang"),
             c.valeurs, erreur))
        return false;
    while (t.next()) {
        const auto i = rang.constFind(t.value(0).toLongLong());
        if (i == rang.cend())
            continue;
        QString& champ = r[*i][12];
        champ += (champ.isEmpty() ? QString() : QStringLiteral(" | ")) + t.value(1).toString();
    }
    return true;
}

bool ExporteCsv(const QString& chemin, const QList<QStringList>& lignes, QString* erreur) {
    QSaveFile f(chemin);
    if (!f.open(QIODevice::WriteOnly)) {
        if (erreur)
            *erreur = f.errorString();
        return false;
    }
    const auto ecrit = [&f](const QStringList& champs) {
        QStringList c;
        for (const QString& champ : champs)
            c << ChampCsv(champ);
        f.write((c.join(QLatin1Char(';')) + QStringLiteral("\r\n")).toUtf8());
    };
    ecrit(EnTetes());
    for (const QStringList& l : lignes)
        ecrit(l);
    if (!f.commit()) {
        if (erreur)
            *erreur = f.errorString();
        return false;
    }
    return true;
}

bool Synthese(const QSqlDatabase& db, const FiltreJournal& f, QList<LigneSynthese>& r,
              QString* erreur) {
    FiltreJournal tous = f;
    tous.premiers = false;
    const Clause c = Filtre(tous);
    // The filter's runs once; then every run of their units, anywhere, in
    // one pass: its rank among them tells a first pass, the last one's
    // outcome is the unit's in the end. One index probe per unit, not two
    // per run.
    QSqlQuery q(db);
    if (!Lit(q,
             QStringLiteral("WITH f AS (SELECT p.id, p.debut, p.flux, p.poste, p.issue,"
                            " p.code_defaut, p.sn FROM passages p WHERE ") +
                 c.sql +
                 QStringLiteral(
                     "), u AS (SELECT DISTINCT sn, flux FROM f WHERE sn <> ''),"
                     " h AS (SELECT q.id AS id, row_number() OVER (PARTITION BY q.sn, q.flux"
                     " ORDER BY q.debut, q.id) AS rang, last_value(q.issue) OVER (PARTITION BY"
                     " q.sn, q.flux ORDER BY q.debut, q.id ROWS BETWEEN UNBOUNDED PRECEDING AND"
                     " UNBOUNDED FOLLOWING) AS derniere FROM u JOIN passages q"
                     " ON q.sn = u.sn AND q.flux = u.flux)"
                     " SELECT jour, flux, poste, issue, code, derniere, count(*) FROM"
                     " (SELECT substr(f.debut, 1, 10) AS jour, f.flux AS flux,"
                     " coalesce(f.poste, '') AS poste, f.issue AS issue,"
                     " coalesce(f.code_defaut, '') AS code,"
                     " coalesce(h.derniere, f.issue) AS derniere"
                     " FROM f LEFT JOIN h ON h.id = f.id"
                     " WHERE f.sn IS NULL OR f.sn = '' OR h.rang = 1) s"
                     " GROUP BY jour, flux, poste, issue, code, derniere"),
             c.valeurs, erreur))
        return false;
    r.clear();
    while (q.next())
        r << LigneSynthese{q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                           q.value(3).toString(), q.value(4).toString(), q.value(5).toString(),
                           q.value(6).toInt()};
    return true;
}

QList<Rendement> RendementsPar(const QList<LigneSynthese>& lignes, bool parFlux) {
    QMap<QString, Rendement> m;
    for (const LigneSynthese& l : lignes) {
        Rendement& x = m[parFlux ? l.flux : l.jour];
        x.cle = parFlux ? l.flux : l.jour;
        x.premiers += l.nombre;
        if (l.issue == QLatin1String("reussi"))
            x.reussis += l.nombre;
    }
    return m.values();
}

QList<RendementFinal> RendementsFinals(const QList<LigneSynthese>& lignes) {
    // Every station ("" sorts first), then each.
    QMap<std::pair<QString, QString>, RendementFinal> m;
    for (const LigneSynthese& l : lignes)
        for (const QString& poste : {QString(), l.poste}) {
            RendementFinal& x = m[{l.flux, poste}];
            x.flux = l.flux;
            x.poste = poste;
            x.premiers += l.nombre;
            const bool premier = l.issue == QLatin1String("reussi");
            const bool fin = l.derniere == QLatin1String("reussi");
            x.reussisPremier += premier ? l.nombre : 0;
            x.reussisFin += fin ? l.nombre : 0;
            x.reprises += fin && !premier ? l.nombre : 0;
        }
    return m.values();
}

QList<RendementEtape> RendementsEtapes(const QList<LigneSynthese>& lignes) {
    const QList<Etape>& etapes = Etapes();
    QMap<QString, QList<RendementEtape>> parFlux;
    QList<RendementEtape> toutes;
    for (const Etape& e : etapes)
        toutes << RendementEtape{QString(), e.nom};
    for (const LigneSynthese& l : lignes) {
        const bool reussi = l.issue == QLatin1String("reussi");
        // An abandoned or interrupted run says nothing of the steps.
        if (!reussi && l.issue != QLatin1String("echec"))
            continue;
        // A card that did not answer reached no step; a code of no step
        // (the trace file, the cabinet) failed after them all.
        if (!reussi && l.code == QLatin1String("carte absente"))
            continue;
        qsizetype ou = etapes.size();
        if (!reussi)
            for (qsizetype k = 0; k < etapes.size(); ++k)
                if (etapes[k].codes.contains(l.code))
                    ou = k;
        QList<RendementEtape>& r = parFlux[l.flux];
        for (qsizetype k = 0; k < etapes.size() && k <= ou; ++k) {
            if (!etapes[k].flux.contains(l.flux))
                continue;
            if (r.isEmpty())
                for (const Etape& e : etapes)
                    r << RendementEtape{l.flux, e.nom};
            for (RendementEtape* x : {&r[k], &toutes[k]}) {
                x->entrees += l.nombre;
                x->echecs += k == ou ? l.nombre : 0;
            }
        }
    }
    QList<RendementEtape> r;
    for (const QList<RendementEtape>& etapesFlux : parFlux)
        for (qsizetype k = 0; k < etapesFlux.size(); ++k)
            if (etapes[k].flux.contains(etapesFlux[k].flux))
                r << etapesFlux[k];
    for (const RendementEtape& x : toutes)
        if (x.entrees > 0)
            r << x;
    return r;
}

bool SommesMesures(const QSqlDatabase& db, const FiltreJournal& f, QList<SommesMesure>& r,
                   QString* erreur) {
    const Clause c = Filtre(f);
    r.clear();
    // One pass: each value's moving range along all stations' time order and
    // along its own station's; the all-stations sums add the stations' up.
    QSqlQuery q(db);
    if (!Lit(q,
             QStringLiteral(
                 "SELECT nom, poste, count(*), sum(v), sum(v * v), sum(abs(d)), count(d),"
                 " sum(abs(dp)), count(dp), sum(hors) FROM (SELECT m.nom AS nom,"
                 " coalesce(p.poste, '') AS poste, m.valeur AS v, m.valeur - lag(m.valeur)"
                 " OVER (PARTITION BY m.nom ORDER BY p.debut, p.id, m.rang) AS d,"
                 " m.valeur - lag(m.valeur) OVER (PARTITION BY m.nom, p.poste"
                 " ORDER BY p.debut, p.id, m.rang) AS dp,"
                 " CASE WHEN m.valeur < m.limite_basse OR m.valeur > m.limite_haute"
                 " THEN 1 ELSE 0 END AS hors"
                 " FROM mesures m JOIN passages p ON p.id = m.passage"
                 " WHERE m.valeur IS NOT NULL"
                 " AND (m.limite_basse IS NOT NULL OR m.limite_haute IS NOT NULL) AND ") +
                 c.sql + QStringLiteral(") s GROUP BY nom, poste"),
             c.valeurs, erreur))
        return false;
    QMap<QString, SommesMesure> tous;
    while (q.next()) {
        SommesMesure s;
        s.mesure = q.value(0).toString();
        s.poste = q.value(1).toString();
        s.n = q.value(2).toInt();
        s.somme = q.value(3).toDouble();
        s.sommeCarres = q.value(4).toDouble();
        s.sommeEcarts = q.value(7).toDouble();
        s.nombreEcarts = q.value(8).toInt();
        s.horsLimites = q.value(9).toInt();
        SommesMesure& t = tous[s.mesure];
        t.mesure = s.mesure;
        t.n += s.n;
        t.somme += s.somme;
        t.sommeCarres += s.sommeCarres;
        t.sommeEcarts += q.value(5).toDouble();
        t.nombreEcarts += q.value(6).toInt();
        t.horsLimites += s.horsLimites;
        r << s;
    }
    r += tous.values();
    QHash<QString, ValeursMesure> limites;
    for (SommesMesure& s : r) {
        if (!limites.contains(s.mesure)) {
            ValeursMesure v;
            if (!DernieresLimites(db, c, s.mesure, v, erreur))
                return false;
            limites.insert(s.mesure, v);
        }
        const ValeursMesure& v = limites[s.mesure];
        s.limiteBasse = v.limiteBasse;
        s.limiteHaute = v.limiteHaute;
        s.unite = v.unite;
    }
    // By name, all stations first: the same order on every engine.
    std::stable_sort(r.begin(), r.end(), [](const SommesMesure& a, const SommesMesure& b) {
        return a.mesure != b.mesure ? a.mesure < b.mesure : a.poste < b.poste;
    });
    return true;
}

bool PointsCarte(const QSqlDatabase& db, const FiltreJournal& f, const QString& mesure, int nombre,
                 QList<PointCarte>& r, QString* erreur) {
    const Clause c = Filtre(f);
    QSqlQuery q(db);
    if (!Lit(q,
             QStringLiteral("SELECT p.id, p.debut, p.poste, p.sn, m.valeur"
                            " FROM mesures m JOIN passages p ON p.id = m.passage"
                            " WHERE m.nom = ? AND m.valeur IS NOT NULL"
                            " AND (m.limite_basse IS NOT NULL OR m.limite_haute IS NOT NULL)"
                            " AND ") +
                 c.sql +
                 QStringLiteral(" ORDER BY p.debut DESC, p.id DESC, m.rang DESC LIMIT %1")
                     .arg(nombre),
             QVariantList{mesure} + c.valeurs, erreur))
        return false;
    r.clear();
    while (q.next())
        r.prepend(PointCarte{q.value(0).toLongLong(),
                             QDateTime::fromString(q.value(1).toString(), Qt::ISODateWithMs),
                             q.value(2).toString(), q.value(3).toString(), q.value(4).toDouble()});
    return true;
}

bool ValeursComptees(const QSqlDatabase& db, const FiltreJournal& f, const QStringList& mesures,
                     QList<ValeursMesure>& r, QString* erreur) {
    const Clause c = Filtre(f);
    r = QList<ValeursMesure>(mesures.size());
    if (mesures.isEmpty())
        return true;
    // Every histogram from one reading of the filter's runs.
    QSqlQuery q(db);
    QVariantList valeurs;
    for (const QString& m : mesures)
        valeurs << m;
    if (!Lit(q,
             QStringLiteral("SELECT m.nom, m.valeur, count(*) FROM mesures m"
                            " JOIN passages p ON p.id = m.passage WHERE m.nom IN (?") +
                 QStringLiteral(", ?").repeated(mesures.size() - 1) +
                 QStringLiteral(") AND m.valeur IS NOT NULL AND ") + c.sql +
                 QStringLiteral(" GROUP BY m.nom, m.valeur"),
             valeurs + c.valeurs, erreur))
        return false;
    while (q.next()) {
        const qsizetype i = mesures.indexOf(q.value(0).toString());
        if (i < 0)
            continue;
        r[i].valeurs << q.value(1).toDouble();
        r[i].poids << q.value(2).toInt();
    }
    for (qsizetype i = 0; i < mesures.size(); ++i)
        if (!DernieresLimites(db, c, mesures[i], r[i], erreur))
            return false;
    return true;
}

bool Nombre(const QSqlDatabase& db, const FiltreJournal& f, int& r, QString* erreur) {
    const Clause c = Filtre(f);
    QSqlQuery q(db);
    if (!Lit(q, QStringLiteral("SELECT count(*) FROM passages p WHERE ") + c.sql, c.valeurs,
             erreur))
        return false;
    r = q.next() ? q.value(0).toInt() : 0;
    return true;
}

} // namespace StatistiquesJournal

const QList<Etape>& Etapes() {
    const QString sn = QStringLiteral("AttribueSNcarte"),
                  plateau = QStringLiteral("TestPlateauSeul"),
                  rails = QStringLiteral("TestRailsMeuble");
    static const QList<Etape> etapes{
        {QStringLiteral("IR"), {"C1", "C2", "C3", "C5", "C6", "C7", "C8"}, {sn, plateau}},
        {QStringLiteral("présence EA"), {"E1", "E2", "E3", "E4", "type"}, {sn, plateau, rails}},
        {QStringLiteral("LED AR"), {"L1", "L3", "L4"}, {plateau}},
        {QStringLiteral("alimentation"), {"alim"}, {plateau}},
        {QStringLiteral("tir"), {"tir"}, {rails}},
        {QStringLiteral("écriture SN"), {"serie SN", "ecriture SN"}, {sn, rails}},
    };
    return etapes;
}

Capabilite CalculeCapabilite(const SommesMesure& s) {
    Capabilite c;
    c.s = s;
    QStringList raisons;
    if (s.n == 0) {
        c.raison = QStringLiteral("aucune valeur");
        return c;
    }
    const double n = s.n;
    c.moyenne = s.somme / n;
    c.horsPourcent = 100.0 * s.horsLimites / n;
    if (s.n < 2) {
        c.raison = QStringLiteral("moins de 2 valeurs: ni écart-type ni indice");
        return c;
    }
    c.ecartGlobal = std::sqrt(std::max(0.0, (s.sommeCarres - s.somme * s.somme / n) / (n - 1)));
    c.ecartIntra = s.nombreEcarts > 0 ? s.sommeEcarts / s.nombreEcarts / kD2 : 0.0;
    if (!s.limiteBasse && !s.limiteHaute) {
        c.raison = QStringLiteral("aucune limite");
        return c;
    }
    // Values all alike spread nothing: an index would be infinite.
    const double nul = 1e-9 * std::max(1.0, std::abs(*c.moyenne));
    const auto indices = [&](double sigma, std::optional<double>& p, std::optional<double>& pk) {
        if (sigma <= nul)
            return;
        if (s.limiteBasse && s.limiteHaute)
            p = (*s.limiteHaute - *s.limiteBasse) / (6 * sigma);
        std::optional<double> k;
        if (s.limiteHaute)
            k = (*s.limiteHaute - *c.moyenne) / (3 * sigma);
        if (s.limiteBasse) {
            const double bas = (*c.moyenne - *s.limiteBasse) / (3 * sigma);
            k = k ? std::min(*k, bas) : bas;
        }
        pk = k;
    };
    indices(*c.ecartIntra, c.cp, c.cpk);
    indices(*c.ecartGlobal, c.pp, c.ppk);
    if (*c.ecartIntra <= nul || *c.ecartGlobal <= nul)
        raisons << QStringLiteral("écart nul: valeurs toutes égales");
    else if (!s.limiteBasse || !s.limiteHaute)
        raisons << QStringLiteral("une seule limite: ni Cp ni Pp");
    c.raison = raisons.join(QStringLiteral("; "));
    return c;
}

CarteControle Regles(const QList<double>& valeurs, double centre, double sigma) {
    CarteControle c;
    c.centre = centre;
    c.sigma = sigma;
    c.centreEcarts = sigma * kD2;
    c.regles = QList<QList<int>>(valeurs.size());
    if (!(sigma > 0))
        return c;
    // The side of each point beyond k sigma: +1 above, -1 below, 0 within.
    const auto cote = [&](qsizetype i, double k) {
        const double z = (valeurs[i] - centre) / sigma;
        return z > k ? 1 : z < -k ? -1 : 0;
    };
    // The point is beyond k sigma on a side, and at least `parmi` - 1 of the
    // `sur` - 1 points before it are beyond k sigma on the same side.
    const auto motif = [&](qsizetype i, double k, int parmi, int sur) {
        const int s = cote(i, k);
        if (s == 0 || i + 1 < sur)
            return false;
        int n = 0;
        for (qsizetype j = i - sur + 1; j <= i; ++j)
            n += cote(j, k) == s;
        return n >= parmi;
    };
    for (qsizetype i = 0; i < valeurs.size(); ++i) {
        QList<int>& r = c.regles[i];
        if (cote(i, 3) != 0)
            r << 1;
        if (motif(i, 2, 2, 3))
            r << 2;
        if (motif(i, 1, 4, 5))
            r << 3;
        if (motif(i, 0, 8, 8))
            r << 4;
    }
    return c;
}
