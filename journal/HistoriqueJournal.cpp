#include "HistoriqueJournal.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

const QString kColonnesPassage = QStringLiteral(
    "id, debut, poste, usine, operateur, flux, sn, nom_carte, version_fw, version_poste,"
    " fichier_fw, sha256_fw, position, issue, code_defaut, duree_ms");

// Cabinets shown at most for a pharmacy searched by part of its name.
constexpr int kMeublesMax = 50;

bool Echoue(const QSqlQuery& q, QString* erreur) {
    if (erreur)
        *erreur = QStringLiteral("lecture: ") + (q.lastError().databaseText().isEmpty()
                                                     ? q.lastError().text()
                                                     : q.lastError().databaseText());
    return false;
}

bool Lance(QSqlQuery& q, const QString& sql, const QVariantList& valeurs, QString* erreur) {
    q.setForwardOnly(true);
    q.prepare(sql);
    for (const QVariant& v : valeurs)
        q.addBindValue(v);
    return q.exec() || Echoue(q, erreur);
}

QDateTime Date(const QVariant& v) {
    return v.isNull() ? QDateTime()
                      : QDateTime::fromString(v.toString(), Qt::ISODateWithMs).toUTC();
}

PassageHistorique LitPassage(const QSqlQuery& q) {
    PassageHistorique p;
    p.id = q.value(0).toLongLong();
    p.debut = Date(q.value(1));
    p.poste = q.value(2).toString();
    p.usine = q.value(3).toString();
    p.operateur = q.value(4).toString();
    p.flux = q.value(5).toString();
    p.sn = q.value(6).toString();
    p.nomCarte = q.value(7).toString();
    p.versionFW = q.value(8).toString();
    p.versionPoste = q.value(9).toString();
    p.fichierFW = q.value(10).toString();
    p.sha256FW = q.value(11).toString();
    p.position = q.value(12).isNull() ? -1 : q.value(12).toInt();
    p.issue = IssueLue(q.value(13).toString());
    p.codeDefaut = q.value(14).toString();
    p.dureeMs = q.value(15).toLongLong();
    return p;
}

QString Local(const QDateTime& t) {
    return t.toLocalTime().toString(QStringLiteral("dd/MM/yyyy HH:mm"));
}

// The schema must hold the genealogy: a station's file is read as it is,
// never migrated by a reader.
bool VerifieVersion(const QSqlDatabase& db, QString* erreur) {
    QSqlQuery q(db);
    if (!Lance(q, QStringLiteral("SELECT version FROM version_schema"), {}, erreur))
        return false;
    const int version = q.next() ? q.value(0).toInt() : 0;
    if (version >= Journal::kVersionSchema)
        return true;
    if (erreur)
        *erreur = QStringLiteral("journal de version %1, sans l'historique des meubles : il est mis"
                                 " à jour au prochain passage enregistré par ce programme")
                      .arg(version);
    return false;
}

// The latest run of `sn` in workflow `flux`.
bool Dernier(const QSqlDatabase& db, const QString& sn, const QString& flux,
             std::optional<PassageHistorique>* p, QString* erreur) {
    QSqlQuery q(db);
    if (!Lance(q,
               QStringLiteral("SELECT ") + kColonnesPassage +
                   QStringLiteral(" FROM passages WHERE sn = ? AND flux = ?"
                                  " ORDER BY debut DESC, id DESC LIMIT 1"),
               {sn, flux}, erreur))
        return false;
    if (q.next())
        *p = LitPassage(q);
    return true;
}

bool Plateau(const QSqlDatabase& db, PlateauMeuble* t, const QString& attributionUid,
             QString* erreur) {
    QSqlQuery q(db);
    // The firmware the card answered when it took its tray.
    if (!Lance(q,
               QStringLiteral("SELECT p.version_fw FROM attributions a"
                              " JOIN plateaux_attribues pa ON pa.attribution = a.id"
                              " JOIN passages p ON p.uid = pa.passage_uid"
                              " WHERE a.uid = ? AND pa.plateau = ?"),
               {attributionUid, t->plateau}, erreur))
        return false;
    if (q.next())
        t->versionFW = q.value(0).toString();
    if (!Dernier(db, t->sn, QStringLiteral("TestPlateauSeul"), &t->dernierTestPlateau, erreur) ||
        !Dernier(db, t->sn, QStringLiteral("AttribueSNcarte"), &t->derniereAttributionSN, erreur))
        return false;
    if (!Lance(q,
               QStringLiteral("SELECT count(*) FROM passages WHERE sn = ?"
                              " AND flux = 'TestPlateauSeul' AND issue = 'reussi'"),
               {t->sn}, erreur) ||
        !q.next())
        return Echoue(q, erreur);
    t->testPlateauReussi = q.value(0).toInt() > 0;
    return true;
}

// A cabinet as its last assignment and its open links leave it.
bool LitMeuble(const QSqlDatabase& db, const QString& cle, const QString& nom, MeubleHistorique* m,
               QString* erreur) {
    QSqlQuery q(db);
    if (!Lance(q,
               QStringLiteral("SELECT pharmacie, adresse, premier, dernier, debut, poste,"
                              " operateur FROM attributions WHERE cle_pharmacie = ? AND meuble = ?"
                              " ORDER BY debut DESC, id DESC"),
               {cle, nom}, erreur))
        return false;
    m->meuble = nom;
    m->attributions = 0;
    while (q.next()) {
        if (m->attributions++ > 0)
            continue;
        m->pharmacie = q.value(0).toString();
        m->adresse = q.value(1).toString();
        m->premier = q.value(2).toInt();
        m->dernier = q.value(3).toInt();
        m->dateAttribution = Date(q.value(4));
        m->posteAttribution = q.value(5).toString();
        m->operateurAttribution = q.value(6).toString();
    }
    if (!Lance(q,
               QStringLiteral("SELECT plateau, sn, debut, attribution_uid FROM liens_meuble"
                              " WHERE cle_pharmacie = ? AND meuble = ? AND fin IS NULL"),
               {cle, nom}, erreur))
        return false;
    QMap<int, std::pair<PlateauMeuble, QString>> occupes;
    while (q.next()) {
        PlateauMeuble t;
        t.plateau = q.value(0).toInt();
        t.sn = q.value(1).toString();
        t.depuis = Date(q.value(2));
        occupes.insert(t.plateau, {t, q.value(3).toString()});
    }
    for (int n = m->premier; n <= m->dernier; ++n) {
        if (!occupes.contains(n)) {
            PlateauMeuble vide;
            vide.plateau = n;
            m->plateaux << vide;
        }
    }
    for (auto& [t, uid] : occupes) {
        if (!Plateau(db, &t, uid, erreur))
            return false;
        m->plateaux << t;
    }
    std::sort(m->plateaux.begin(), m->plateaux.end(),
              [](const PlateauMeuble& a, const PlateauMeuble& b) { return a.plateau < b.plateau; });
    return true;
}

bool ChercheSN(const QSqlDatabase& db, const QString& sn, ResultatHistorique* r, QString* erreur) {
    QSqlQuery q(db);
    if (!Lance(q,
               QStringLiteral("SELECT ") + kColonnesPassage +
                   QStringLiteral(" FROM passages WHERE sn = ? ORDER BY debut, id"),
               {sn}, erreur))
        return false;
    while (q.next())
        r->passages << LitPassage(q);
    if (!Lance(q,
               QStringLiteral("SELECT l.pharmacie, l.meuble, l.plateau, l.debut, l.fin,"
                              " a.operateur, a.poste FROM liens_meuble l"
                              " LEFT JOIN attributions a ON a.uid = l.attribution_uid"
                              " WHERE l.sn = ? ORDER BY l.debut, l.id"),
               {sn}, erreur))
        return false;
    while (q.next())
        r->liens << LienMeuble{sn,
                               q.value(0).toString(),
                               q.value(1).toString(),
                               q.value(2).toInt(),
                               Date(q.value(3)),
                               Date(q.value(4)),
                               q.value(5).toString(),
                               q.value(6).toString()};
    if (!Lance(q,
               QStringLiteral("SELECT serie, poste, quand, de_reserve FROM sn_donnes"
                              " WHERE sn = ? ORDER BY quand"),
               {sn}, erreur))
        return false;
    while (q.next())
        r->donnes << SNDonne{q.value(0).toString(), q.value(1).toString(), Date(q.value(2)),
                             q.value(3).toInt() != 0};
    r->trouve = !r->passages.isEmpty() || !r->liens.isEmpty() || !r->donnes.isEmpty();
    if (!r->trouve)
        return true;
    // A rail's runs say nothing of a cabinet: only cards are assigned.
    const bool rail =
        r->liens.isEmpty() &&
        std::all_of(r->passages.cbegin(), r->passages.cend(), [](const PassageHistorique& p) {
            return p.flux == QLatin1String("TestRailsMeuble");
        });
    QString ou = QStringLiteral("dans aucun meuble");
    for (const LienMeuble& l : std::as_const(r->liens))
        if (!l.fin.isValid())
            ou = QStringLiteral("plateau %1 du meuble %2, %3, depuis le %4")
                     .arg(l.plateau)
                     .arg(l.meuble, l.pharmacie, Local(l.debut));
    r->resume = QStringLiteral("SN %1 : %2 passage%3")
                    .arg(sn)
                    .arg(r->passages.size())
                    .arg(r->passages.size() > 1 ? QStringLiteral("s") : QString());
    if (!rail)
        r->resume += QStringLiteral(" ; ") + ou;
    for (const SNDonne& d : std::as_const(r->donnes))
        r->resume += QStringLiteral(" ; donné par la série %1 au poste %2 le %3%4")
                         .arg(d.serie, d.poste, Local(d.quand),
                              d.deReserve ? QStringLiteral(" (réserve du poste)") : QString());
    return true;
}

QString ResumeMeuble(const MeubleHistorique& m) {
    int sansTest = 0, cartes = 0;
    for (const PlateauMeuble& t : m.plateaux) {
        cartes += t.sn.isEmpty() ? 0 : 1;
        sansTest += t.marque().isEmpty() ? 0 : 1;
    }
    QString texte = QStringLiteral("Meuble %1 de %2 : plateaux %3 à %4, %5 carte%6, attribué le %7"
                                   " par l'opérateur %8 (poste %9)")
                        .arg(m.meuble, m.pharmacie)
                        .arg(m.premier)
                        .arg(m.dernier)
                        .arg(cartes)
                        .arg(cartes > 1 ? QStringLiteral("s") : QString())
                        .arg(Local(m.dateAttribution), m.operateurAttribution, m.posteAttribution);
    if (sansTest > 0)
        texte += QStringLiteral(" ; %1 %2").arg(sansTest).arg(MarqueSansTestPlateau());
    return texte;
}

// The cabinets of the pharmacies whose name is `texte`, else contains it.
bool CherchePharmacie(const QSqlDatabase& db, const QString& texte, ResultatHistorique* r,
                      QString* erreur) {
    const QString cle = ClePharmacie(texte);
    QSqlQuery q(db);
    QList<std::pair<QString, QString>> meubles;
    const auto lit = [&](const QString& condition, const QVariant& valeur) {
        if (!Lance(
                q,
                QStringLiteral("SELECT DISTINCT cle_pharmacie, meuble FROM attributions WHERE ") +
                    condition + QStringLiteral(" ORDER BY cle_pharmacie, meuble"),
                {valeur}, erreur))
            return false;
        while (q.next() && meubles.size() < kMeublesMax)
            meubles << std::pair{q.value(0).toString(), q.value(1).toString()};
        return true;
    };
    if (!lit(QStringLiteral("cle_pharmacie = ?"), cle))
        return false;
    if (meubles.isEmpty()) {
        QString motif = cle;
        motif.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
            .replace(QLatin1Char('%'), QStringLiteral("\\%"))
            .replace(QLatin1Char('_'), QStringLiteral("\\_"));
        if (!lit(QStringLiteral("cle_pharmacie LIKE ? ESCAPE '\\'"),
                 QLatin1Char('%') + motif + QLatin1Char('%')))
            return false;
    }
    for (const auto& [c, nom] : meubles) {
        MeubleHistorique m;
        if (!LitMeuble(db, c, nom, &m, erreur))
            return false;
        r->meubles << m;
    }
    r->trouve = !r->meubles.isEmpty();
    if (r->meubles.size() == 1) {
        r->resume = ResumeMeuble(r->meubles.first());
    } else if (r->trouve) {
        QStringList noms;
        for (const MeubleHistorique& m : std::as_const(r->meubles))
            noms << m.meuble + QStringLiteral(" (") + m.pharmacie + QLatin1Char(')');
        r->resume = QStringLiteral("%1 meubles : %2").arg(r->meubles.size()).arg(noms.join(", "));
    }
    return true;
}

} // namespace

QString MarqueSansTestPlateau() {
    return QStringLiteral("sans test plateau réussi");
}

QString PlateauMeuble::marque() const {
    return !sn.isEmpty() && !testPlateauReussi ? MarqueSansTestPlateau() : QString();
}

QString ClePharmacie(const QString& nom) {
    return nom.simplified().toCaseFolded();
}

Recherche AnalyseRecherche(const QString& saisie) {
    Recherche r;
    r.saisie = saisie.trimmed();
    if (r.saisie.isEmpty())
        return r;
    static const QRegularExpression kCode(QStringLiteral("^..-(....)-....-..$"));
    if (const auto m = kCode.match(r.saisie); m.hasMatch()) {
        r.genre = GenreRecherche::CodeProduit;
        r.sn = m.captured(1);
        return r;
    }
    if (r.saisie.size() == 4 && !r.saisie.contains(QLatin1Char(' '))) {
        r.genre = GenreRecherche::SN;
        r.sn = r.saisie;
        return r;
    }
    r.genre = GenreRecherche::Pharmacie;
    r.pharmacie = r.saisie;
    return r;
}

bool ChercheHistorique(const QSqlDatabase& db, const QString& saisie, ResultatHistorique* r,
                       QString* erreur) {
    *r = {};
    r->recherche = AnalyseRecherche(saisie);
    const Recherche& s = r->recherche;
    if (s.genre == GenreRecherche::Vide) {
        r->resume = QStringLiteral("Tapez un SN, un code produit, un meuble et sa pharmacie,"
                                   " ou une pharmacie");
        return true;
    }
    if (!VerifieVersion(db, erreur))
        return false;
    if (!s.sn.isEmpty()) {
        if (!ChercheSN(db, s.sn, r, erreur))
            return false;
        if (r->trouve && s.genre == GenreRecherche::CodeProduit)
            r->resume =
                QStringLiteral("Code produit ") + s.saisie + QStringLiteral(" → ") + r->resume;
    }
    // A cabinet: the pharmacy, then the cabinet's name after a space, "/" or "-".
    static const QRegularExpression kMeuble(QStringLiteral("^(.*?)\\s*(?:[/-]\\s*|\\s)(\\S)$"));
    if (!r->trouve && s.genre != GenreRecherche::CodeProduit) {
        if (const auto m = kMeuble.match(s.saisie); m.hasMatch() && !m.captured(1).isEmpty()) {
            MeubleHistorique meuble;
            if (!LitMeuble(db, ClePharmacie(m.captured(1)), m.captured(2), &meuble, erreur))
                return false;
            if (meuble.attributions > 0) {
                r->recherche.genre = GenreRecherche::Meuble;
                r->recherche.pharmacie = meuble.pharmacie;
                r->recherche.meuble = meuble.meuble;
                r->meubles << meuble;
                r->trouve = true;
                r->resume = ResumeMeuble(meuble);
            }
        }
    }
    if (!r->trouve && s.genre != GenreRecherche::CodeProduit) {
        if (!CherchePharmacie(db, s.saisie, r, erreur))
            return false;
        if (r->trouve) {
            r->recherche.genre = GenreRecherche::Pharmacie;
            r->recherche.pharmacie = s.saisie;
        }
    }
    if (!r->trouve)
        r->resume =
            QStringLiteral("Aucun enregistrement pour « %1 » dans le journal").arg(s.saisie);
    return true;
}

bool MesuresPassage(const QSqlDatabase& db, qint64 id, QList<MesureJournal>* mesures,
                    QString* erreur) {
    QSqlQuery q(db);
    if (!Lance(q,
               QStringLiteral("SELECT nom, valeur, texte, limite_basse, limite_haute, unite,"
                              " conforme, code FROM mesures WHERE passage = ? ORDER BY rang"),
               {id}, erreur))
        return false;
    const auto nombre = [](const QVariant& v) {
        return v.isNull() ? std::nullopt : std::optional<double>(v.toDouble());
    };
    while (q.next())
        *mesures << MesureJournal{q.value(0).toString(),   nombre(q.value(1)),
                                  q.value(2).toString(),   nombre(q.value(3)),
                                  nombre(q.value(4)),      q.value(5).toString(),
                                  q.value(6).toInt() != 0, q.value(7).toString()};
    return true;
}
