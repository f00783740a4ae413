#include "Journal.h"

#include "EtiquettesJournal.h"
#include "HistoriqueJournal.h"
#include "ServeurJournal.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QVariant>
#include <atomic>

namespace {

// What differs between the station's file and the factory server; the rest
// of the schema and every query are the same SQL on both.
struct Moteur {
    QString pilote;
    QString id;     // the id column of a run
    QString reel;   // a measured value (PostgreSQL's REAL is single precision)
    QString tables; // the tables of the journal's schema
    QString verrou; // taken before a migration: stations may open the server at once
    QString nature; // as the operator names it
};
const Moteur kSqlite{QStringLiteral("QSQLITE"),
                     QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT"),
                     QStringLiteral("REAL"),
                     QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"),
                     {},
                     QStringLiteral("ce fichier")};
const Moteur kPostgres{QStringLiteral("QPSQL"),
                       QStringLiteral("SERIAL PRIMARY KEY"),
                       QStringLiteral("DOUBLE PRECISION"),
                       QStringLiteral("SELECT table_name FROM information_schema.tables"
                                      " WHERE table_schema = current_schema()"),
                       QStringLiteral("SELECT pg_advisory_xact_lock(1987654321)"),
                       QStringLiteral("cette base")};

// Each step takes the schema from the version before it to its own; a new
// file goes through all of them, so that a fresh journal and a migrated one
// are the same. {id} and {reel} are the engine's.
const QList<QStringList> kEtapes = {
    // 1: runs and the texts shown.
    {QStringLiteral("CREATE TABLE version_schema (version INTEGER NOT NULL)"),
     QStringLiteral("INSERT INTO version_schema (version) VALUES (0)"),
     QStringLiteral("CREATE TABLE passages (id {id},"
                    " debut TEXT NOT NULL, poste TEXT, usine TEXT, operateur TEXT,"
                    " flux TEXT NOT NULL, sn TEXT, nom_carte TEXT, version_fw TEXT,"
                    " issue TEXT NOT NULL, duree_ms INTEGER)"),
     QStringLiteral("CREATE TABLE resultats (passage INTEGER NOT NULL REFERENCES passages(id),"
                    " rang INTEGER NOT NULL, texte TEXT)")},
    // 2: measurements with their limits, and the failure code of each run.
    {QStringLiteral("ALTER TABLE passages ADD COLUMN code_defaut TEXT"),
     QStringLiteral("CREATE TABLE mesures (passage INTEGER NOT NULL REFERENCES passages(id),"
                    " rang INTEGER NOT NULL, nom TEXT NOT NULL, valeur {reel}, texte TEXT,"
                    " limite_basse {reel}, limite_haute {reel}, unite TEXT,"
                    " conforme INTEGER NOT NULL, code TEXT)"),
     QStringLiteral("CREATE INDEX passages_debut ON passages (debut)"),
     QStringLiteral("CREATE INDEX mesures_passage ON mesures (passage)")},
    // 3: the id each station gives its runs, once on the server; the runs of
    // a station's file still to send to the server (empty on the server).
    {QStringLiteral("ALTER TABLE passages ADD COLUMN uid TEXT"),
     QStringLiteral("CREATE UNIQUE INDEX passages_uid ON passages (uid)"),
     QStringLiteral("CREATE TABLE envois_en_attente"
                    " (passage INTEGER NOT NULL UNIQUE REFERENCES passages(id))")},
    // 4: how each run was made (program, firmware file, a rail's place on
    // the bench), and the genealogy of cabinets: each assignment with its
    // trays, and the links card-tray with their start and end.
    {QStringLiteral("ALTER TABLE passages ADD COLUMN version_poste TEXT"),
     QStringLiteral("ALTER TABLE passages ADD COLUMN fichier_fw TEXT"),
     QStringLiteral("ALTER TABLE passages ADD COLUMN sha256_fw TEXT"),
     QStringLiteral("ALTER TABLE passages ADD COLUMN position INTEGER"),
     QStringLiteral("CREATE INDEX passages_sn ON passages (sn, debut)"),
     QStringLiteral("CREATE TABLE attributions (id {id}, uid TEXT NOT NULL UNIQUE,"
                    " debut TEXT NOT NULL, poste TEXT, usine TEXT, operateur TEXT,"
                    " pharmacie TEXT NOT NULL, cle_pharmacie TEXT NOT NULL, adresse TEXT,"
                    " meuble TEXT NOT NULL, premier INTEGER, dernier INTEGER)"),
     QStringLiteral("CREATE INDEX attributions_meuble ON attributions (cle_pharmacie, meuble)"),
     QStringLiteral("CREATE TABLE plateaux_attribues (attribution INTEGER NOT NULL REFERENCES"
                    " attributions(id), plateau INTEGER NOT NULL, saisie TEXT, sn TEXT, sn_lu TEXT,"
                    " ancien_nom TEXT, nouveau_nom TEXT, issue TEXT NOT NULL, passage_uid TEXT)"),
     QStringLiteral("CREATE INDEX plateaux_attribues_attribution"
                    " ON plateaux_attribues (attribution)"),
     QStringLiteral("CREATE TABLE liens_meuble (id {id}, sn TEXT NOT NULL,"
                    " pharmacie TEXT NOT NULL, cle_pharmacie TEXT NOT NULL, meuble TEXT NOT NULL,"
                    " plateau INTEGER NOT NULL, debut TEXT NOT NULL, fin TEXT,"
                    " attribution_uid TEXT NOT NULL, fin_attribution_uid TEXT)"),
     QStringLiteral("CREATE INDEX liens_meuble_sn ON liens_meuble (sn, debut)"),
     QStringLiteral(
         "CREATE INDEX liens_meuble_place ON liens_meuble (cle_pharmacie, meuble, plateau)"),
     QStringLiteral("CREATE TABLE attributions_en_attente"
                    " (attribution INTEGER NOT NULL UNIQUE REFERENCES attributions(id))")},
    // 5: the serial-number series arbitrated by the factory server (its
    // last SN, every SN given, the blocks reserved by stations; a station's
    // own reserve and the SNs it gave while the server was away); the label
    // jobs; the indexes of the statistics.
    {
        // 5a: serial numbers. On the server: series_sn, sn_donnes, sn_reserves
        // (blocks handed to stations). In a station's file: sn_reserves (its
        // own reserve), sn_donnes (what it gave), sn_a_signaler (given from
        // the reserve, not yet on the server).
        QStringLiteral("CREATE TABLE series_sn (serie TEXT PRIMARY KEY, dernier TEXT NOT NULL)"),
        QStringLiteral("CREATE TABLE sn_donnes (id {id}, serie TEXT NOT NULL, sn TEXT NOT NULL,"
                       " poste TEXT, quand TEXT NOT NULL, de_reserve INTEGER NOT NULL,"
                       " passage_uid TEXT, UNIQUE (serie, sn))"),
        QStringLiteral("CREATE TABLE sn_reserves (serie TEXT NOT NULL, sn TEXT NOT NULL,"
                       " poste TEXT NOT NULL, quand TEXT NOT NULL, UNIQUE (serie, sn))"),
        QStringLiteral("CREATE TABLE sn_a_signaler"
                       " (sn_donne INTEGER NOT NULL UNIQUE REFERENCES sn_donnes(id))"),
        QStringLiteral("CREATE INDEX sn_donnes_sn ON sn_donnes (sn)"),
        // 5b: label jobs.
        QStringLiteral("CREATE TABLE etiquettes (id {id}, uid TEXT NOT NULL UNIQUE,"
                       " quand TEXT NOT NULL, poste TEXT, usine TEXT, operateur TEXT,"
                       " client TEXT, cible TEXT, sn TEXT, code_produit TEXT,"
                       " octets TEXT NOT NULL, etat TEXT NOT NULL, raison TEXT,"
                       " quand_etat TEXT NOT NULL, reimpression_de TEXT, motif TEXT,"
                       " rang INTEGER)"),
        QStringLiteral("CREATE INDEX etiquettes_sn ON etiquettes (sn, quand)"),
        QStringLiteral("CREATE INDEX etiquettes_etat ON etiquettes (etat)"),
        QStringLiteral("CREATE INDEX etiquettes_reimpression ON etiquettes (reimpression_de)"),
        QStringLiteral("CREATE TABLE envois_etiquettes"
                       " (etiquette INTEGER NOT NULL UNIQUE REFERENCES etiquettes(id))"),
        // 5c: statistics.
        QStringLiteral("CREATE INDEX passages_sn_flux ON passages (sn, flux, debut)"),
        QStringLiteral("CREATE INDEX passages_poste ON passages (poste, debut)"),
        QStringLiteral("CREATE INDEX passages_operateur ON passages (operateur, debut)"),
        // A run's measurements read from the index alone: a server then reads
        // a week's runs' values without scanning every measurement.
        QStringLiteral("CREATE INDEX mesures_valeurs ON mesures"
                       " (passage, nom, valeur, rang, limite_basse, limite_haute)"),
    },
};
static_assert(Journal::kVersionSchema == 5);

QVariant Optionnel(const std::optional<double>& v) {
    return v ? QVariant(*v) : QVariant(QMetaType(QMetaType::Double));
}

QVariant TexteOuNul(const QString& t) {
    return t.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(t);
}

QString NomConnexion() {
    static std::atomic<int> compteur{0};
    return QStringLiteral("calvanet-journal-%1").arg(++compteur);
}

// One connection per call, removed on every path.
class Connexion {
public:
    explicit Connexion(const QString& chemin) : nom_(NomConnexion()) {
        QSqlDatabase db = QSqlDatabase::addDatabase(kSqlite.pilote, nom_);
        db.setDatabaseName(chemin);
        // Another program of this station may hold the file for a moment.
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    }
    explicit Connexion(const ServeurJournal& serveur) : nom_(NomConnexion()) {
        QSqlDatabase db = QSqlDatabase::addDatabase(kPostgres.pilote, nom_);
        serveur.configure(db);
    }
    ~Connexion() {
        {
            QSqlDatabase db = QSqlDatabase::database(nom_, false);
            if (db.isOpen())
                db.close();
        }
        QSqlDatabase::removeDatabase(nom_);
    }
    Connexion(const Connexion&) = delete;
    Connexion& operator=(const Connexion&) = delete;
    QSqlDatabase db() const { return QSqlDatabase::database(nom_, false); }

private:
    QString nom_;
};

bool Echoue(const QString& quoi, const QSqlError& e, QString* erreur) {
    if (erreur)
        *erreur = quoi + QStringLiteral(": ") +
                  (e.databaseText().isEmpty() ? e.text() : e.databaseText());
    return false;
}

bool Refuse(const QString& raison, QString* erreur) {
    if (erreur)
        *erreur = raison;
    return false;
}

bool Execute(QSqlQuery& q, const QString& sql, QString* erreur) {
    if (!q.exec(sql))
        return Echoue(sql.startsWith(QLatin1String("SELECT")) ? QStringLiteral("lecture")
                                                              : QStringLiteral("ecriture"),
                      q.lastError(), erreur);
    return true;
}

// The version of the journal's schema: 0 for an empty base; -1 with the
// reason when the base is something else.
int LitVersion(QSqlQuery& q, const Moteur& m, QString* erreur) {
    if (!Execute(q, m.tables, erreur))
        return -1;
    QStringList tables;
    while (q.next())
        tables << q.value(0).toString();
    if (tables.isEmpty())
        return 0;
    if (!tables.contains(QStringLiteral("version_schema"))) {
        Refuse(m.nature + QStringLiteral(" n'est pas un journal de production"), erreur);
        return -1;
    }
    if (!Execute(q, QStringLiteral("SELECT version FROM version_schema"), erreur))
        return -1;
    if (!q.next()) {
        Refuse(QStringLiteral("version du journal absente"), erreur);
        return -1;
    }
    const int version = q.value(0).toInt();
    q.finish();
    if (version > Journal::kVersionSchema) {
        Refuse(QStringLiteral("journal de version %1, plus recente que ce programme (%2)")
                   .arg(version)
                   .arg(Journal::kVersionSchema),
               erreur);
        return -1;
    }
    return version;
}

// Opens the base, creates or migrates its schema. The base must be empty or
// a journal of this program: anything else is left untouched.
bool Ouvre(QSqlDatabase db, const Moteur& m, QString* erreur) {
    if (!db.isValid())
        return Refuse(
            QStringLiteral("pilote ") + m.pilote +
                QStringLiteral(" de Qt absent (paquet libqt6sql6-") +
                (m.pilote == kSqlite.pilote ? QStringLiteral("sqlite") : QStringLiteral("psql")) +
                QLatin1Char(')'),
            erreur);
    if (!db.open())
        return Echoue(QStringLiteral("ouverture"), db.lastError(), erreur);
    QSqlQuery q(db);
    int version = LitVersion(q, m, erreur);
    if (version < 0)
        return false;
    if (version == Journal::kVersionSchema)
        return true;
    // All steps or none: a half-migrated journal would be read wrongly.
    if (!db.transaction())
        return Echoue(QStringLiteral("migration"), db.lastError(), erreur);
    const auto annule = [&] {
        db.rollback();
        return false;
    };
    // Another station may have migrated it while this one waited.
    if (!m.verrou.isEmpty() &&
        (!Execute(q, m.verrou, erreur) || (version = LitVersion(q, m, erreur)) < 0))
        return annule();
    for (int v = version; v < Journal::kVersionSchema; ++v)
        for (QString sql : kEtapes[v])
            if (!Execute(q,
                         sql.replace(QStringLiteral("{id}"), m.id)
                             .replace(QStringLiteral("{reel}"), m.reel),
                         erreur))
                return annule();
    if (version < Journal::kVersionSchema &&
        !Execute(
            q,
            QStringLiteral("UPDATE version_schema SET version = %1").arg(Journal::kVersionSchema),
            erreur))
        return annule();
    if (!db.commit()) {
        Echoue(QStringLiteral("migration"), db.lastError(), erreur);
        return annule();
    }
    return true;
}

bool OuvreFichier(QSqlDatabase db, const QString& chemin, QString* erreur) {
    const QFileInfo info(chemin);
    if (!QDir().mkpath(info.absolutePath()))
        return Refuse(QStringLiteral("dossier impossible a creer: ") + info.absolutePath(), erreur);
    return Ouvre(db, kSqlite, erreur);
}

// The run's rows; its id in `id`.
bool Ecrit(QSqlDatabase db, const PassageEnregistre& p, QVariant* id, QString* erreur) {
    QSqlQuery q(db);
    q.prepare(QStringLiteral(
        "INSERT INTO passages (debut, poste, usine, operateur, flux, sn, nom_carte, version_fw,"
        " issue, duree_ms, code_defaut, uid, version_poste, fichier_fw, sha256_fw, position)"
        " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    q.addBindValue(p.debut.toUTC().toString(Qt::ISODateWithMs));
    q.addBindValue(p.poste);
    q.addBindValue(p.usine);
    q.addBindValue(p.operateur);
    q.addBindValue(p.flux);
    q.addBindValue(TexteOuNul(p.sn));
    q.addBindValue(TexteOuNul(p.nomCarte));
    q.addBindValue(TexteOuNul(p.versionFW));
    q.addBindValue(TexteIssue(p.issue));
    q.addBindValue(p.dureeMs);
    q.addBindValue(TexteOuNul(p.codeDefaut));
    q.addBindValue(p.uid);
    q.addBindValue(TexteOuNul(p.versionPoste));
    q.addBindValue(TexteOuNul(p.fichierFW));
    q.addBindValue(TexteOuNul(p.sha256FW));
    q.addBindValue(p.position >= 0 ? QVariant(p.position) : QVariant(QMetaType(QMetaType::Int)));
    if (!q.exec())
        return Echoue(QStringLiteral("ecriture"), q.lastError(), erreur);
    *id = q.lastInsertId();

    q.prepare(QStringLiteral("INSERT INTO mesures (passage, rang, nom, valeur, texte, limite_basse,"
                             " limite_haute, unite, conforme, code)"
                             " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    for (int i = 0; i < p.mesures.size(); ++i) {
        const MesureJournal& m = p.mesures[i];
        q.addBindValue(*id);
        q.addBindValue(i + 1);
        q.addBindValue(m.nom);
        q.addBindValue(Optionnel(m.valeur));
        q.addBindValue(TexteOuNul(m.texte));
        q.addBindValue(Optionnel(m.limiteBasse));
        q.addBindValue(Optionnel(m.limiteHaute));
        q.addBindValue(TexteOuNul(m.unite));
        q.addBindValue(m.conforme ? 1 : 0);
        q.addBindValue(TexteOuNul(m.code));
        if (!q.exec())
            return Echoue(QStringLiteral("ecriture"), q.lastError(), erreur);
    }
    q.prepare(QStringLiteral("INSERT INTO resultats (passage, rang, texte) VALUES (?, ?, ?)"));
    for (int i = 0; i < p.resultats.size(); ++i) {
        q.addBindValue(*id);
        q.addBindValue(i + 1);
        q.addBindValue(p.resultats[i]);
        if (!q.exec())
            return Echoue(QStringLiteral("ecriture"), q.lastError(), erreur);
    }
    return true;
}

QString Horodatage(const QDateTime& t) {
    return t.toUTC().toString(Qt::ISODateWithMs);
}

bool ExecutePrepare(QSqlQuery& q, const QString& sql, const QVariantList& valeurs,
                    QString* erreur) {
    q.prepare(sql);
    for (const QVariant& v : valeurs)
        q.addBindValue(v);
    if (!q.exec())
        return Echoue(sql.startsWith(QLatin1String("SELECT")) ? QStringLiteral("lecture")
                                                              : QStringLiteral("ecriture"),
                      q.lastError(), erreur);
    return true;
}

// The card of a tray whose assignment passed takes the tray: its earlier
// link and the tray's earlier card are closed at this assignment's time. A
// card found again where it was keeps its link.
bool Relie(QSqlDatabase db, const AttributionEnregistree& a, const PlateauAttribue& t,
           QString* erreur) {
    const QString sn = t.snLu.isEmpty() ? t.sn : t.snLu;
    if (t.issue != IssuePassage::Reussi || sn.isEmpty())
        return true;
    const QString cle = ClePharmacie(a.pharmacie);
    const QString quand = Horodatage(a.debut);
    QSqlQuery q(db);
    if (!ExecutePrepare(q,
                        QStringLiteral("SELECT count(*) FROM liens_meuble WHERE sn = ?"
                                       " AND cle_pharmacie = ? AND meuble = ? AND plateau = ?"
                                       " AND fin IS NULL"),
                        {sn, cle, a.meuble, t.plateau}, erreur) ||
        !q.next())
        return false;
    if (q.value(0).toInt() > 0)
        return true;
    return ExecutePrepare(q,
                          QStringLiteral("UPDATE liens_meuble SET fin = ?, fin_attribution_uid = ?"
                                         " WHERE sn = ? AND fin IS NULL"),
                          {quand, a.uid, sn}, erreur) &&
           ExecutePrepare(q,
                          QStringLiteral("UPDATE liens_meuble SET fin = ?, fin_attribution_uid = ?"
                                         " WHERE cle_pharmacie = ? AND meuble = ? AND plateau = ?"
                                         " AND fin IS NULL"),
                          {quand, a.uid, cle, a.meuble, t.plateau}, erreur) &&
           ExecutePrepare(q,
                          QStringLiteral("INSERT INTO liens_meuble (sn, pharmacie, cle_pharmacie,"
                                         " meuble, plateau, debut, attribution_uid)"
                                         " VALUES (?, ?, ?, ?, ?, ?, ?)"),
                          {sn, a.pharmacie, cle, a.meuble, t.plateau, quand, a.uid}, erreur);
}

// The assignment's rows and its links; its id in `id`.
bool EcritAttribution(QSqlDatabase db, const AttributionEnregistree& a, QVariant* id,
                      QString* erreur) {
    QSqlQuery q(db);
    if (!ExecutePrepare(
            q,
            QStringLiteral("INSERT INTO attributions (uid, debut, poste, usine, operateur,"
                           " pharmacie, cle_pharmacie, adresse, meuble, premier, dernier)"
                           " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
            {a.uid, Horodatage(a.debut), a.poste, a.usine, a.operateur, a.pharmacie,
             ClePharmacie(a.pharmacie), TexteOuNul(a.adresse), a.meuble, a.premier, a.dernier},
            erreur))
        return false;
    *id = q.lastInsertId();
    for (const PlateauAttribue& t : a.plateaux)
        if (!ExecutePrepare(q,
                            QStringLiteral("INSERT INTO plateaux_attribues (attribution, plateau,"
                                           " saisie, sn, sn_lu, ancien_nom, nouveau_nom, issue,"
                                           " passage_uid) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                            {*id, t.plateau, TexteOuNul(t.saisie), TexteOuNul(t.sn),
                             TexteOuNul(t.snLu), TexteOuNul(t.ancienNom), TexteOuNul(t.nouveauNom),
                             TexteIssue(t.issue), TexteOuNul(t.passageUid)},
                            erreur) ||
            !Relie(db, a, t, erreur))
            return false;
    return true;
}

std::optional<double> Nombre(const QVariant& v) {
    return v.isNull() ? std::nullopt : std::optional<double>(v.toDouble());
}

// The run `id` as written by Ecrit.
bool Lit(QSqlDatabase db, const QVariant& id, PassageEnregistre* p, QString* erreur) {
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT debut, poste, usine, operateur, flux, sn, nom_carte,"
                             " version_fw, issue, duree_ms, code_defaut, uid, version_poste,"
                             " fichier_fw, sha256_fw, position FROM passages WHERE id = ?"));
    q.addBindValue(id);
    if (!q.exec())
        return Echoue(QStringLiteral("lecture"), q.lastError(), erreur);
    if (!q.next())
        return Refuse(QStringLiteral("enregistrement %1 absent").arg(id.toString()), erreur);
    p->debut = QDateTime::fromString(q.value(0).toString(), Qt::ISODateWithMs);
    p->poste = q.value(1).toString();
    p->usine = q.value(2).toString();
    p->operateur = q.value(3).toString();
    p->flux = q.value(4).toString();
    p->sn = q.value(5).toString();
    p->nomCarte = q.value(6).toString();
    p->versionFW = q.value(7).toString();
    p->issue = IssueLue(q.value(8).toString());
    p->dureeMs = q.value(9).toLongLong();
    p->codeDefaut = q.value(10).toString();
    p->uid = q.value(11).toString();
    p->versionPoste = q.value(12).toString();
    p->fichierFW = q.value(13).toString();
    p->sha256FW = q.value(14).toString();
    p->position = q.value(15).isNull() ? -1 : q.value(15).toInt();

    q.prepare(QStringLiteral("SELECT nom, valeur, texte, limite_basse, limite_haute, unite,"
                             " conforme, code FROM mesures WHERE passage = ? ORDER BY rang"));
    q.addBindValue(id);
    if (!q.exec())
        return Echoue(QStringLiteral("lecture"), q.lastError(), erreur);
    while (q.next()) {
        MesureJournal m;
        m.nom = q.value(0).toString();
        m.valeur = Nombre(q.value(1));
        m.texte = q.value(2).toString();
        m.limiteBasse = Nombre(q.value(3));
        m.limiteHaute = Nombre(q.value(4));
        m.unite = q.value(5).toString();
        m.conforme = q.value(6).toInt() != 0;
        m.code = q.value(7).toString();
        p->mesures << m;
    }
    q.prepare(QStringLiteral("SELECT texte FROM resultats WHERE passage = ? ORDER BY rang"));
    q.addBindValue(id);
    if (!q.exec())
        return Echoue(QStringLiteral("lecture"), q.lastError(), erreur);
    while (q.next())
        p->resultats << q.value(0).toString();
    return true;
}

// The assignment `id` as written by EcritAttribution.
bool LitAttribution(QSqlDatabase db, const QVariant& id, AttributionEnregistree* a,
                    QString* erreur) {
    QSqlQuery q(db);
    if (!ExecutePrepare(q,
                        QStringLiteral("SELECT uid, debut, poste, usine, operateur, pharmacie,"
                                       " adresse, meuble, premier, dernier FROM attributions"
                                       " WHERE id = ?"),
                        {id}, erreur))
        return false;
    if (!q.next())
        return Refuse(QStringLiteral("attribution %1 absente").arg(id.toString()), erreur);
    a->uid = q.value(0).toString();
    a->debut = QDateTime::fromString(q.value(1).toString(), Qt::ISODateWithMs);
    a->poste = q.value(2).toString();
    a->usine = q.value(3).toString();
    a->operateur = q.value(4).toString();
    a->pharmacie = q.value(5).toString();
    a->adresse = q.value(6).toString();
    a->meuble = q.value(7).toString();
    a->premier = q.value(8).toInt();
    a->dernier = q.value(9).toInt();
    if (!ExecutePrepare(q,
                        QStringLiteral("SELECT plateau, saisie, sn, sn_lu, ancien_nom, nouveau_nom,"
                                       " issue, passage_uid FROM plateaux_attribues"
                                       " WHERE attribution = ? ORDER BY plateau"),
                        {id}, erreur))
        return false;
    while (q.next())
        a->plateaux << PlateauAttribue{q.value(0).toInt(),
                                       q.value(1).toString(),
                                       q.value(2).toString(),
                                       q.value(3).toString(),
                                       q.value(4).toString(),
                                       q.value(5).toString(),
                                       IssueLue(q.value(6).toString()),
                                       q.value(7).toString()};
    return true;
}

// Whether the server has the run of this id.
int Present(QSqlDatabase db, const QString& uid, QString* erreur) {
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT count(*) FROM passages WHERE uid = ?"));
    q.addBindValue(uid);
    if (!q.exec() || !q.next()) {
        Echoue(QStringLiteral("lecture"), q.lastError(), erreur);
        return -1;
    }
    return q.value(0).toInt() > 0 ? 1 : 0;
}

// Sends one run in its own transaction; true when the server has it.
bool EnvoieUn(QSqlDatabase srv, const PassageEnregistre& p, QString* erreur) {
    const int present = Present(srv, p.uid, erreur);
    if (present != 0)
        return present > 0;
    if (!srv.transaction())
        return Echoue(QStringLiteral("transaction"), srv.lastError(), erreur);
    QVariant id;
    if (Ecrit(srv, p, &id, erreur) && srv.commit())
        return true;
    if (erreur && erreur->isEmpty())
        Echoue(QStringLiteral("validation"), srv.lastError(), erreur);
    srv.rollback();
    // The same run sent at the same moment by another program of this
    // station: the unique id refused the second copy.
    return Present(srv, p.uid, nullptr) > 0;
}

// Sends one assignment in its own transaction, after its runs; true when the
// server has it. Its links are made on the server against what the other
// stations recorded there.
bool EnvoieAttribution(QSqlDatabase srv, const AttributionEnregistree& a, QString* erreur) {
    QSqlQuery q(srv);
    if (!ExecutePrepare(q, QStringLiteral("SELECT count(*) FROM attributions WHERE uid = ?"),
                        {a.uid}, erreur) ||
        !q.next())
        return false;
    if (q.value(0).toInt() > 0)
        return true;
    q.finish();
    if (!srv.transaction())
        return Echoue(QStringLiteral("transaction"), srv.lastError(), erreur);
    QVariant id;
    if (EcritAttribution(srv, a, &id, erreur) && srv.commit())
        return true;
    if (erreur && erreur->isEmpty())
        Echoue(QStringLiteral("validation"), srv.lastError(), erreur);
    srv.rollback();
    return false;
}

} // namespace

// ---- label jobs ----

namespace {

const QString kColonnesEtiquette =
    QStringLiteral("uid, quand, poste, usine, operateur, client, cible, sn, code_produit, octets,"
                   " etat, raison, quand_etat, reimpression_de, motif, rang");

// Bytes as base64 text: the same column on both engines, whatever the bytes.
QVariantList ValeursEtiquette(const EtiquetteEnregistree& e) {
    return {e.uid,
            Horodatage(e.quand),
            TexteOuNul(e.poste),
            TexteOuNul(e.usine),
            TexteOuNul(e.operateur),
            TexteOuNul(e.client),
            TexteOuNul(e.cible),
            TexteOuNul(e.sn),
            TexteOuNul(e.codeProduit),
            QString::fromLatin1(e.octets.toBase64()),
            e.etat,
            TexteOuNul(e.raison),
            Horodatage(e.quandEtat),
            TexteOuNul(e.reimpressionDe),
            TexteOuNul(e.motif),
            e.rang > 0 ? QVariant(e.rang) : QVariant(QMetaType(QMetaType::Int))};
}

bool EcritEtiquette(QSqlDatabase db, const EtiquetteEnregistree& e, QVariant* id, QString* erreur) {
    QSqlQuery q(db);
    if (!ExecutePrepare(q,
                        QStringLiteral("INSERT INTO etiquettes (%1) VALUES (%2)")
                            .arg(kColonnesEtiquette,
                                 QStringList(16, QStringLiteral("?")).join(QStringLiteral(", "))),
                        ValeursEtiquette(e), erreur))
        return false;
    *id = q.lastInsertId();
    return true;
}

bool MarqueEtiquetteAEnvoyer(QSqlDatabase db, const QVariant& id, QString* erreur) {
    QSqlQuery q(db);
    if (!ExecutePrepare(
            q, QStringLiteral("SELECT count(*) FROM envois_etiquettes WHERE etiquette = ?"), {id},
            erreur) ||
        !q.next())
        return false;
    if (q.value(0).toInt() > 0)
        return true;
    q.finish();
    return ExecutePrepare(q, QStringLiteral("INSERT INTO envois_etiquettes (etiquette) VALUES (?)"),
                          {id}, erreur);
}

bool LitEtiquettes(QSqlQuery& q, QList<EtiquetteEnregistree>* etiquettes) {
    while (q.next()) {
        EtiquetteEnregistree e;
        e.id = q.value(0).toLongLong();
        e.uid = q.value(1).toString();
        e.quand = QDateTime::fromString(q.value(2).toString(), Qt::ISODateWithMs);
        e.poste = q.value(3).toString();
        e.usine = q.value(4).toString();
        e.operateur = q.value(5).toString();
        e.client = q.value(6).toString();
        e.cible = q.value(7).toString();
        e.sn = q.value(8).toString();
        e.codeProduit = q.value(9).toString();
        e.octets = QByteArray::fromBase64(q.value(10).toString().toLatin1());
        e.etat = q.value(11).toString();
        e.raison = q.value(12).toString();
        e.quandEtat = QDateTime::fromString(q.value(13).toString(), Qt::ISODateWithMs);
        e.reimpressionDe = q.value(14).toString();
        e.motif = q.value(15).toString();
        e.rang = q.value(16).toInt();
        *etiquettes << e;
    }
    return true;
}

// Sends one job: new on the server, or its state there brought up to date.
bool EnvoieEtiquette(QSqlDatabase srv, const EtiquetteEnregistree& e, QString* erreur) {
    QSqlQuery q(srv);
    if (!ExecutePrepare(q, QStringLiteral("SELECT count(*) FROM etiquettes WHERE uid = ?"), {e.uid},
                        erreur) ||
        !q.next())
        return false;
    const bool present = q.value(0).toInt() > 0;
    q.finish();
    if (present)
        return ExecutePrepare(q,
                              QStringLiteral("UPDATE etiquettes SET etat = ?, raison = ?,"
                                             " quand_etat = ? WHERE uid = ?"),
                              {e.etat, TexteOuNul(e.raison), Horodatage(e.quandEtat), e.uid},
                              erreur);
    QVariant id;
    return EcritEtiquette(srv, e, &id, erreur);
}

// Runs `ecrit` in one transaction of the station's file.
template <typename F> bool DansFichier(const QString& chemin, QString* erreur, F ecrit) {
    Connexion c(chemin);
    QSqlDatabase db = c.db();
    if (!OuvreFichier(db, chemin, erreur))
        return false;
    if (!db.transaction())
        return Echoue(QStringLiteral("transaction"), db.lastError(), erreur);
    if (!ecrit(db)) {
        db.rollback();
        return false;
    }
    if (!db.commit()) {
        const QSqlError e = db.lastError();
        db.rollback();
        return Echoue(QStringLiteral("validation"), e, erreur);
    }
    return true;
}

} // namespace

QString TexteIssue(IssuePassage issue) {
    switch (issue) {
    case IssuePassage::Reussi:
        return QStringLiteral("reussi");
    case IssuePassage::Echec:
        return QStringLiteral("echec");
    case IssuePassage::Abandon:
        return QStringLiteral("abandon");
    case IssuePassage::Interrompu:
        break;
    }
    return QStringLiteral("interrompu");
}

QString IssueAffichee(IssuePassage issue) {
    // The stored word, with its accents.
    if (issue == IssuePassage::Reussi)
        return QStringLiteral("réussi");
    if (issue == IssuePassage::Echec)
        return QStringLiteral("échec");
    return TexteIssue(issue);
}

IssuePassage IssueLue(const QString& texte) {
    for (IssuePassage i : {IssuePassage::Reussi, IssuePassage::Echec, IssuePassage::Abandon})
        if (TexteIssue(i) == texte)
            return i;
    return IssuePassage::Interrompu;
}

namespace Journal {

bool Prepare(const QString& chemin, QString* erreur) {
    Connexion c(chemin);
    return OuvreFichier(c.db(), chemin, erreur);
}

bool PrepareServeur(const ServeurJournal& serveur, QString* erreur) {
    Connexion c(serveur);
    return Ouvre(c.db(), kPostgres, erreur);
}

bool Enregistre(const QString& chemin, const PassageEnregistre& passage, QString* erreur) {
    return Enregistre(chemin, passage, erreur, false);
}

bool Enregistre(const QString& chemin, const PassageEnregistre& passage, QString* erreur,
                bool aEnvoyer) {
    return Enregistre(chemin, QList<PassageEnregistre>{passage}, erreur, aEnvoyer);
}

bool Enregistre(const QString& chemin, const QList<PassageEnregistre>& passages, QString* erreur,
                bool aEnvoyer) {
    return Enregistre(chemin, passages, AttributionEnregistree{}, erreur, aEnvoyer);
}

bool Enregistre(const QString& chemin, const QList<PassageEnregistre>& passages,
                const AttributionEnregistree& attribution, QString* erreur, bool aEnvoyer) {
    const bool avecAttribution = !attribution.meuble.isEmpty();
    if (passages.isEmpty() && !avecAttribution)
        return true;
    Connexion c(chemin);
    QSqlDatabase db = c.db();
    if (!OuvreFichier(db, chemin, erreur))
        return false;
    if (!db.transaction())
        return Echoue(QStringLiteral("transaction"), db.lastError(), erreur);
    bool ecrit = true;
    for (const PassageEnregistre& passage : passages) {
        PassageEnregistre p = passage;
        if (p.uid.isEmpty())
            p.uid = QUuid::createUuid().toString(QUuid::WithoutBraces);
        QVariant id;
        ecrit = Ecrit(db, p, &id, erreur);
        if (ecrit && aEnvoyer) {
            QSqlQuery q(db);
            q.prepare(QStringLiteral("INSERT INTO envois_en_attente (passage) VALUES (?)"));
            q.addBindValue(id);
            ecrit = q.exec() || Echoue(QStringLiteral("ecriture"), q.lastError(), erreur);
        }
        if (!ecrit)
            break;
    }
    if (ecrit && avecAttribution) {
        AttributionEnregistree a = attribution;
        if (a.uid.isEmpty())
            a.uid = QUuid::createUuid().toString(QUuid::WithoutBraces);
        QVariant id;
        ecrit = EcritAttribution(db, a, &id, erreur);
        if (ecrit && aEnvoyer) {
            QSqlQuery q(db);
            ecrit = ExecutePrepare(
                q, QStringLiteral("INSERT INTO attributions_en_attente (attribution) VALUES (?)"),
                {id}, erreur);
        }
    }
    if (!ecrit) {
        db.rollback();
        return false;
    }
    if (!db.commit()) {
        const QSqlError e = db.lastError();
        db.rollback();
        return Echoue(QStringLiteral("validation"), e, erreur);
    }
    return true;
}

int EnAttente(const QString& chemin, QString* erreur) {
    Connexion c(chemin);
    if (!OuvreFichier(c.db(), chemin, erreur))
        return -1;
    QSqlQuery q(c.db());
    if (!Execute(q,
                 QStringLiteral("SELECT (SELECT count(*) FROM envois_en_attente)"
                                " + (SELECT count(*) FROM attributions_en_attente)"),
                 erreur) ||
        !q.next())
        return -1;
    return q.value(0).toInt();
}

int EnvoieEnAttente(const QString& chemin, const ServeurJournal& serveur, QString* erreur) {
    Connexion local(chemin);
    if (!OuvreFichier(local.db(), chemin, erreur))
        return -1;
    const auto attente = [&](const QString& table, const QString& colonne, QVariantList* ids) {
        QSqlQuery q(local.db());
        if (!Execute(q, QStringLiteral("SELECT %1 FROM %2 ORDER BY %1").arg(colonne, table),
                     erreur))
            return false;
        while (q.next())
            *ids << q.value(0);
        return true;
    };
    // Runs first: an assignment names its trays' runs.
    QVariantList passages, attributions, etiquettes;
    if (!attente(QStringLiteral("envois_en_attente"), QStringLiteral("passage"), &passages) ||
        !attente(QStringLiteral("attributions_en_attente"), QStringLiteral("attribution"),
                 &attributions) ||
        !attente(QStringLiteral("envois_etiquettes"), QStringLiteral("etiquette"), &etiquettes))
        return -1;
    if (passages.isEmpty() && attributions.isEmpty() && etiquettes.isEmpty())
        return 0;

    Connexion distant(serveur);
    if (!Ouvre(distant.db(), kPostgres, erreur))
        return -1;
    int envoyes = 0;
    // Should taking it off the list fail, the record is sent again later and
    // found there.
    const auto retire = [&](const QString& table, const QString& colonne, const QVariant& id) {
        QSqlQuery q(local.db());
        if (!ExecutePrepare(q, QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(table, colonne),
                            {id}, erreur))
            return false;
        ++envoyes;
        return true;
    };
    for (const QVariant& id : passages) {
        PassageEnregistre p;
        if (!Lit(local.db(), id, &p, erreur) || !EnvoieUn(distant.db(), p, erreur) ||
            !retire(QStringLiteral("envois_en_attente"), QStringLiteral("passage"), id))
            return -1;
    }
    for (const QVariant& id : attributions) {
        AttributionEnregistree a;
        if (!LitAttribution(local.db(), id, &a, erreur) ||
            !EnvoieAttribution(distant.db(), a, erreur) ||
            !retire(QStringLiteral("attributions_en_attente"), QStringLiteral("attribution"), id))
            return -1;
    }
    // A label job goes again at each change of its state.
    for (const QVariant& id : etiquettes) {
        QSqlQuery q(local.db());
        QList<EtiquetteEnregistree> lue;
        if (!ExecutePrepare(q,
                            QStringLiteral("SELECT id, %1 FROM etiquettes WHERE id = ?")
                                .arg(kColonnesEtiquette),
                            {id}, erreur) ||
            !LitEtiquettes(q, &lue))
            return -1;
        q.finish();
        if ((!lue.isEmpty() && !EnvoieEtiquette(distant.db(), lue.first(), erreur)) ||
            !retire(QStringLiteral("envois_etiquettes"), QStringLiteral("etiquette"), id))
            return -1;
    }
    return envoyes;
}

} // namespace Journal

QString TexteEtatEtiquette(const QString& etat, const QString& raison) {
    if (etat == EtatEtiquette::imprime)
        return QStringLiteral("imprimée");
    if (etat == EtatEtiquette::enAttente)
        return QStringLiteral("en attente");
    if (etat == EtatEtiquette::envoi)
        return QStringLiteral("en cours d'envoi");
    return raison.isEmpty() ? QStringLiteral("perdue") : QStringLiteral("perdue : ") + raison;
}

namespace Journal {

bool EnregistreEtiquette(const QString& chemin, EtiquetteEnregistree* e, QString* erreur,
                         bool aEnvoyer) {
    if (e->uid.isEmpty())
        e->uid = QUuid::createUuid().toString(QUuid::WithoutBraces);
    if (!e->quand.isValid())
        e->quand = QDateTime::currentDateTimeUtc();
    if (!e->quandEtat.isValid())
        e->quandEtat = e->quand;
    QVariant id;
    if (!DansFichier(chemin, erreur, [&](QSqlDatabase db) {
            return EcritEtiquette(db, *e, &id, erreur) &&
                   (!aEnvoyer || MarqueEtiquetteAEnvoyer(db, id, erreur));
        }))
        return false;
    e->id = id.toLongLong();
    return true;
}

bool ChangeEtatEtiquette(const QString& chemin, const QString& uid, const QString& etat,
                         const QString& raison, QString* erreur, bool aEnvoyer) {
    return DansFichier(chemin, erreur, [&](QSqlDatabase db) {
        QSqlQuery q(db);
        if (!ExecutePrepare(q, QStringLiteral("SELECT id FROM etiquettes WHERE uid = ?"), {uid},
                            erreur))
            return false;
        if (!q.next())
            return Refuse(QStringLiteral("etiquette %1 absente du journal").arg(uid), erreur);
        const QVariant id = q.value(0);
        q.finish();
        return ExecutePrepare(
                   q,
                   QStringLiteral("UPDATE etiquettes SET etat = ?, raison = ?,"
                                  " quand_etat = ? WHERE id = ?"),
                   {etat, TexteOuNul(raison), Horodatage(QDateTime::currentDateTimeUtc()), id},
                   erreur) &&
               (!aEnvoyer || MarqueEtiquetteAEnvoyer(db, id, erreur));
    });
}

bool EtiquettesEnAttente(const QString& chemin, QList<EtiquetteEnregistree>* etiquettes,
                         QString* erreur) {
    Connexion c(chemin);
    if (!OuvreFichier(c.db(), chemin, erreur))
        return false;
    QSqlQuery q(c.db());
    return ExecutePrepare(q,
                          QStringLiteral("SELECT id, %1 FROM etiquettes WHERE etat = ? ORDER BY id")
                              .arg(kColonnesEtiquette),
                          {EtatEtiquette::enAttente}, erreur) &&
           LitEtiquettes(q, etiquettes);
}

int CloturerEnvoisInterrompus(const QString& chemin, QString* erreur, bool aEnvoyer) {
    int nombre = 0;
    const bool ok = DansFichier(chemin, erreur, [&](QSqlDatabase db) {
        QSqlQuery q(db);
        if (!ExecutePrepare(q, QStringLiteral("SELECT id FROM etiquettes WHERE etat = ?"),
                            {EtatEtiquette::envoi}, erreur))
            return false;
        QVariantList ids;
        while (q.next())
            ids << q.value(0);
        q.finish();
        for (const QVariant& id : ids) {
            if (!ExecutePrepare(q,
                                QStringLiteral("UPDATE etiquettes SET etat = ?, raison = ?,"
                                               " quand_etat = ? WHERE id = ?"),
                                {EtatEtiquette::perdu,
                                 QStringLiteral("station arrêtée pendant l'envoi, à vérifier "
                                                "sur l'imprimante"),
                                 Horodatage(QDateTime::currentDateTimeUtc()), id},
                                erreur) ||
                (aEnvoyer && !MarqueEtiquetteAEnvoyer(db, id, erreur)))
                return false;
            ++nombre;
        }
        return true;
    });
    return ok ? nombre : -1;
}

bool EtiquettesDeSN(const QSqlDatabase& db, const QString& sn,
                    QList<EtiquetteEnregistree>* etiquettes, QString* erreur) {
    QSqlQuery q(db);
    return ExecutePrepare(q,
                          QStringLiteral("SELECT id, %1 FROM etiquettes WHERE sn = ?"
                                         " ORDER BY quand, id")
                              .arg(kColonnesEtiquette),
                          {sn}, erreur) &&
           LitEtiquettes(q, etiquettes);
}

} // namespace Journal

LectureJournal::LectureJournal() : nom_(NomConnexion()) {}

LectureJournal::LectureJournal(const QString& fichier) : LectureJournal() {
    prepareFichier(fichier);
}

LectureJournal::LectureJournal(const ServeurJournal& serveur) : LectureJournal() {
    prepareServeur(serveur);
}

void LectureJournal::prepareServeur(const ServeurJournal& serveur) {
    serveur_ = true;
    source_ = serveur.affiche();
    QSqlDatabase db = QSqlDatabase::addDatabase(kPostgres.pilote, nom_);
    serveur.configure(db);
}

void LectureJournal::prepareFichier(const QString& fichier) {
    source_ = fichier;
    QSqlDatabase db = QSqlDatabase::addDatabase(kSqlite.pilote, nom_);
    db.setDatabaseName(fichier);
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=5000"));
}

LectureJournal::~LectureJournal() {
    {
        QSqlDatabase base = db();
        if (base.isOpen())
            base.close();
    }
    QSqlDatabase::removeDatabase(nom_);
}

bool LectureJournal::ouvre(QString* erreur) {
    if (serveur_)
        return Ouvre(db(), kPostgres, erreur);
    if (!QFileInfo::exists(source_)) {
        if (erreur)
            *erreur = QStringLiteral("aucun journal: ") + source_;
        return false;
    }
    QSqlDatabase base = db();
    if (base.open())
        return true;
    if (erreur)
        *erreur = QStringLiteral("ouverture du journal: ") + base.lastError().text();
    return false;
}

QSqlDatabase LectureJournal::db() const {
    return QSqlDatabase::database(nom_, false);
}
