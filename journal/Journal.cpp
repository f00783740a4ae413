#include "Journal.h"

#include "Poste.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QSysInfo>
#include <QVariant>
#include <atomic>

namespace {

const char* const kProprieteChemin = "CheminJournal";

// Each step takes the schema from the version before it to its own; a new
// file goes through all of them, so that a fresh journal and a migrated one
// are the same.
const QList<QStringList> kEtapes = {
    // 1: runs and the texts shown.
    {QStringLiteral("CREATE TABLE version_schema (version INTEGER NOT NULL)"),
     QStringLiteral("INSERT INTO version_schema (version) VALUES (0)"),
     QStringLiteral("CREATE TABLE passages (id INTEGER PRIMARY KEY AUTOINCREMENT,"
                    " debut TEXT NOT NULL, poste TEXT, usine TEXT, operateur TEXT,"
                    " flux TEXT NOT NULL, sn TEXT, nom_carte TEXT, version_fw TEXT,"
                    " issue TEXT NOT NULL, duree_ms INTEGER)"),
     QStringLiteral("CREATE TABLE resultats (passage INTEGER NOT NULL REFERENCES passages(id),"
                    " rang INTEGER NOT NULL, texte TEXT)")},
    // 2: measurements with their limits, and the failure code of each run.
    {QStringLiteral("ALTER TABLE passages ADD COLUMN code_defaut TEXT"),
     QStringLiteral("CREATE TABLE mesures (passage INTEGER NOT NULL REFERENCES passages(id),"
                    " rang INTEGER NOT NULL, nom TEXT NOT NULL, valeur REAL, texte TEXT,"
                    " limite_basse REAL, limite_haute REAL, unite TEXT,"
                    " conforme INTEGER NOT NULL, code TEXT)"),
     QStringLiteral("CREATE INDEX passages_debut ON passages (debut)"),
     QStringLiteral("CREATE INDEX mesures_passage ON mesures (passage)")},
};
static_assert(Journal::kVersionSchema == 2);

QVariant Optionnel(const std::optional<double>& v) {
    return v ? QVariant(*v) : QVariant(QMetaType(QMetaType::Double));
}

QVariant TexteOuNul(const QString& t) {
    return t.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(t);
}

// One connection per call, removed on every path.
class Connexion {
public:
    explicit Connexion(const QString& chemin) {
        static std::atomic<int> compteur{0};
        nom_ = QStringLiteral("calvanet-journal-%1").arg(++compteur);
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), nom_);
        db.setDatabaseName(chemin);
        // Another program of this station may hold the file for a moment.
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
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

bool Execute(QSqlQuery& q, const QString& sql, QString* erreur) {
    if (!q.exec(sql))
        return Echoue(sql.startsWith(QLatin1String("SELECT")) ? QStringLiteral("lecture")
                                                              : QStringLiteral("ecriture"),
                      q.lastError(), erreur);
    return true;
}

// Opens the file, creates or migrates its schema. The file must be empty or a
// journal of this program: any other SQLite file is left untouched.
bool Ouvre(QSqlDatabase db, const QString& chemin, QString* erreur) {
    const QFileInfo info(chemin);
    if (!QDir().mkpath(info.absolutePath())) {
        if (erreur)
            *erreur = QStringLiteral("dossier impossible a creer: ") + info.absolutePath();
        return false;
    }
    if (!db.open())
        return Echoue(QStringLiteral("ouverture"), db.lastError(), erreur);
    QSqlQuery q(db);
    if (!Execute(q, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"), erreur))
        return false;
    QStringList tables;
    while (q.next())
        tables << q.value(0).toString();
    int version = 0;
    if (!tables.isEmpty()) {
        if (!tables.contains(QStringLiteral("version_schema"))) {
            if (erreur)
                *erreur = QStringLiteral("ce fichier n'est pas un journal de production");
            return false;
        }
        if (!Execute(q, QStringLiteral("SELECT version FROM version_schema"), erreur))
            return false;
        if (!q.next()) {
            if (erreur)
                *erreur = QStringLiteral("version du journal absente");
            return false;
        }
        version = q.value(0).toInt();
        q.finish();
    }
    if (version > Journal::kVersionSchema) {
        if (erreur)
            *erreur = QStringLiteral("journal de version %1, plus recente que ce programme (%2)")
                          .arg(version)
                          .arg(Journal::kVersionSchema);
        return false;
    }
    if (version == Journal::kVersionSchema)
        return true;
    // All steps or none: a half-migrated journal would be read wrongly.
    if (!db.transaction())
        return Echoue(QStringLiteral("migration"), db.lastError(), erreur);
    for (int v = version; v < Journal::kVersionSchema; ++v)
        for (const QString& sql : kEtapes[v])
            if (!Execute(q, sql, erreur)) {
                db.rollback();
                return false;
            }
    if (!Execute(
            q,
            QStringLiteral("UPDATE version_schema SET version = %1").arg(Journal::kVersionSchema),
            erreur) ||
        !db.commit()) {
        if (erreur && erreur->isEmpty())
            *erreur = db.lastError().text();
        db.rollback();
        return false;
    }
    return true;
}

bool Ecrit(QSqlDatabase db, const PassageEnregistre& p, QString* erreur) {
    QSqlQuery q(db);
    q.prepare(QStringLiteral(
        "INSERT INTO passages (debut, poste, usine, operateur, flux, sn, nom_carte, version_fw,"
        " issue, duree_ms, code_defaut) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
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
    if (!q.exec())
        return Echoue(QStringLiteral("ecriture"), q.lastError(), erreur);
    const QVariant id = q.lastInsertId();

    q.prepare(QStringLiteral("INSERT INTO mesures (passage, rang, nom, valeur, texte, limite_basse,"
                             " limite_haute, unite, conforme, code)"
                             " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    for (int i = 0; i < p.mesures.size(); ++i) {
        const MesureJournal& m = p.mesures[i];
        q.addBindValue(id);
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
        q.addBindValue(id);
        q.addBindValue(i + 1);
        q.addBindValue(p.resultats[i]);
        if (!q.exec())
            return Echoue(QStringLiteral("ecriture"), q.lastError(), erreur);
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

namespace Journal {

QString Chemin(const Poste& poste) {
    const QString propre = poste.property(kProprieteChemin).toString();
    if (!propre.isEmpty())
        return propre;
    const QString env = qEnvironmentVariable("CALVANET_JOURNAL");
    if (!env.isEmpty())
        return env;
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/calvanet/journal-") + QSysInfo::machineHostName() +
           QStringLiteral(".sqlite");
}

void FixeChemin(Poste& poste, const QString& chemin) {
    poste.setProperty(kProprieteChemin, chemin);
}

bool Prepare(const QString& chemin, QString* erreur) {
    Connexion c(chemin);
    return Ouvre(c.db(), chemin, erreur);
}

bool Enregistre(const QString& chemin, const PassageEnregistre& passage, QString* erreur) {
    Connexion c(chemin);
    QSqlDatabase db = c.db();
    if (!Ouvre(db, chemin, erreur))
        return false;
    if (!db.transaction())
        return Echoue(QStringLiteral("transaction"), db.lastError(), erreur);
    if (!Ecrit(db, passage, erreur)) {
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

} // namespace Journal
