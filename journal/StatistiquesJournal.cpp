#include "StatistiquesJournal.h"

#include <QFileInfo>
#include <QHash>
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

Clause Filtre(const FiltreJournal& f) {
    Clause c{QStringLiteral("1 = 1"), {}};
    // debut is ISO text in UTC: a day compares as the text's first ten characters.
    if (f.du.isValid()) {
        c.sql += QStringLiteral(" AND p.debut >= ?");
        c.valeurs << f.du.toString(Qt::ISODate);
    }
    if (f.au.isValid()) {
        c.sql += QStringLiteral(" AND p.debut < ?");
        c.valeurs << f.au.addDays(1).toString(Qt::ISODate);
    }
    if (!f.poste.isEmpty()) {
        c.sql += QStringLiteral(" AND p.poste = ?");
        c.valeurs << f.poste;
    }
    if (!f.operateur.isEmpty()) {
        c.sql += QStringLiteral(" AND p.operateur = ?");
        c.valeurs << f.operateur;
    }
    return c;
}

// No earlier run of the same SN in the same workflow, anywhere.
const QString kPremierPassage =
    QStringLiteral(" AND (p.sn IS NULL OR p.sn = '' OR NOT EXISTS (SELECT 1 FROM passages q"
                   " WHERE q.flux = p.flux AND q.sn = p.sn"
                   " AND (q.debut < p.debut OR (q.debut = p.debut AND q.id < p.id))))");

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
        *erreur = QStringLiteral("lecture du journal: ") +
                  (e.databaseText().isEmpty() ? e.text() : e.databaseText());
    }
    return false;
}

bool Rendements(const QSqlDatabase& db, const FiltreJournal& f, const QString& cle,
                QList<Rendement>& r, QString* erreur) {
    const Clause c = Filtre(f);
    QSqlQuery q(db);
    if (!Lit(q,
             QStringLiteral("SELECT ") + cle +
                 QStringLiteral(" AS cle, count(*) AS premiers,"
                                " sum(CASE WHEN p.issue = 'reussi' THEN 1 ELSE 0 END) AS reussis"
                                " FROM passages p WHERE ") +
                 c.sql + kPremierPassage + QStringLiteral(" GROUP BY ") + cle +
                 QStringLiteral(" ORDER BY cle"),
             c.valeurs, erreur))
        return false;
    r.clear();
    while (q.next())
        r << Rendement{q.value(0).toString(), q.value(1).toInt(), q.value(2).toInt()};
    return true;
}

bool Liste(const QSqlDatabase& db, const QString& colonne, QStringList& r, QString* erreur) {
    QSqlQuery q(db);
    if (!Lit(q,
             QStringLiteral("SELECT DISTINCT ") + colonne +
                 QStringLiteral(" FROM passages WHERE ") + colonne +
                 QStringLiteral(" IS NOT NULL ORDER BY ") + colonne,
             {}, erreur))
        return false;
    r.clear();
    while (q.next())
        r << q.value(0).toString();
    return true;
}

QString Nombre(const QVariant& v) {
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
    for (const double x : v.valeurs) {
        // A value on a bin's edge belongs to the bin it opens, whatever the float says.
        const int i = static_cast<int>(std::floor((x - h.debut) / h.largeur + 1e-9));
        if (i >= 0 && i < nombre)
            ++h.comptes[i];
    }
    return h;
}

namespace StatistiquesJournal {

QStringList EnTetes() {
    return {QStringLiteral("debut"),       QStringLiteral("poste"),      QStringLiteral("usine"),
            QStringLiteral("operateur"),   QStringLiteral("flux"),       QStringLiteral("sn"),
            QStringLiteral("nom_carte"),   QStringLiteral("version_fw"), QStringLiteral("issue"),
            QStringLiteral("code_defaut"), QStringLiteral("duree_ms"),   QStringLiteral("mesures"),
            QStringLiteral("resultats")};
}

bool RendementParJour(const QSqlDatabase& db, const FiltreJournal& f, QList<Rendement>& r,
                      QString* erreur) {
    return Rendements(db, f, QStringLiteral("substr(p.debut, 1, 10)"), r, erreur);
}

bool RendementParFlux(const QSqlDatabase& db, const FiltreJournal& f, QList<Rendement>& r,
                      QString* erreur) {
    return Rendements(db, f, QStringLiteral("p.flux"), r, erreur);
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
    if (!Lit(q,
             QStringLiteral("SELECT min(substr(debut, 1, 10)), max(substr(debut, 1, 10))"
                            " FROM passages"),
             {}, erreur))
        return false;
    premier = dernier = QDate();
    if (q.next()) {
        premier = QDate::fromString(q.value(0).toString(), Qt::ISODate);
        dernier = QDate::fromString(q.value(1).toString(), Qt::ISODate);
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
              QString* erreur) {
    const Clause c = Filtre(f);
    QSqlQuery q(db);
    if (!Lit(q,
             QStringLiteral("SELECT p.id, p.debut, p.poste, p.usine, p.operateur, p.flux, p.sn,"
                            " p.nom_carte, p.version_fw, p.issue, p.code_defaut, p.duree_ms"
                            " FROM passages p WHERE ") +
                 c.sql + QStringLiteral(" ORDER BY p.debut, p.id"),
             c.valeurs, erreur))
        return false;
    r.clear();
    QHash<qint64, qsizetype> rang;
    while (q.next()) {
        QStringList ligne;
        for (int i = 1; i <= 11; ++i)
            ligne << q.value(i).toString();
        ligne << QString() << QString();
        rang.insert(q.value(0).toLongLong(), r.size());
        r << ligne;
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
                                             : Nombre(m.value(2)) + m.value(6).toString());
        if (!m.value(4).isNull() || !m.value(5).isNull())
            texte += QStringLiteral(" [") + Nombre(m.value(4)) + QStringLiteral("..") +
                     Nombre(m.value(5)) + QLatin1Char(']');
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

} // namespace StatistiquesJournal
