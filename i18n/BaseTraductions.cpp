#include "BaseTraductions.h"

#include <algorithm>
#include <iterator>

#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>

const QStringList BaseTraductions::kChamps = {
    QStringLiteral("Tformulaire"),     QStringLiteral("Ttype"),
    QStringLiteral("Tname"),           QStringLiteral("Tcaption"),
    QStringLiteral("Ttooltiptext"),    QStringLiteral("tdefcaption"),
    QStringLiteral("tdeftooltiptext"), QStringLiteral("tcommentaire"),
    QStringLiteral("tDate"),           QStringLiteral("tFlagpassage")};

const QString BaseTraductions::kModuleMsg = QStringLiteral("ModuleMsg");

namespace {

// Dates are stored as text that SQLite's date functions and a person both read.
const QString kFormatDate = QStringLiteral("yyyy-MM-dd HH:mm:ss");

const QString kSchema = QStringLiteral(
    "CREATE TABLE Traductions (Tformulaire TEXT, Ttype TEXT, Tname TEXT, Tcaption TEXT, "
    "Ttooltiptext TEXT, tdefcaption TEXT, tdeftooltiptext TEXT, tcommentaire TEXT, "
    "tDate TEXT, tFlagpassage INTEGER)");
// Window, type and control names are matched without regard to case, as the
// older station's database engine matched them: the bases converted from it
// write them in any case. Only an index of the same collation serves such a
// lookup.
const QString kIndex =
    QStringLiteral("CREATE INDEX IF NOT EXISTS TraductionsControleSansCasse ON Traductions "
                   "(Tformulaire COLLATE NOCASE, Ttype COLLATE NOCASE, Tname COLLATE NOCASE)");
// The index of the earlier versions, which no lookup uses any more.
const QString kAncienIndex = QStringLiteral("DROP INDEX IF EXISTS TraductionsControle");

// Message records: the form "ModuleMsg" and a type beginning with "msg".
const QString kConditionMessages =
    QStringLiteral("Tformulaire = 'ModuleMsg' COLLATE NOCASE AND substr(Ttype, 1, 3) = 'msg' "
                   "COLLATE NOCASE");

QString Colonnes() {
    return QStringLiteral("rowid, ") + BaseTraductions::kChamps.join(QStringLiteral(", "));
}

QString Texte(const QVariant& v) {
    return v.isNull() ? QString() : v.toString();
}

// The stored form "yyyy-MM-dd HH:mm:ss" read directly: QDateTime::fromString
// with a format costs more than the rest of a lookup. Anything else goes
// through fromString as before.
QDateTime LitDate(const QString& date) {
    const auto champ = [&date](qsizetype debut, qsizetype longueur, bool& ok) {
        return QStringView(date).mid(debut, longueur).toInt(&ok);
    };
    if (date.size() == 19 && date[4] == u'-' && date[7] == u'-' && date[10] == u' ' &&
        date[13] == u':' && date[16] == u':') {
        bool ok[6] = {};
        const QDate jour(champ(0, 4, ok[0]), champ(5, 2, ok[1]), champ(8, 2, ok[2]));
        const QTime heure(champ(11, 2, ok[3]), champ(14, 2, ok[4]), champ(17, 2, ok[5]));
        if (std::all_of(std::begin(ok), std::end(ok), [](bool b) { return b; }) && jour.isValid() &&
            heure.isValid())
            return QDateTime(jour, heure);
    }
    QDateTime d = QDateTime::fromString(date, kFormatDate);
    if (!d.isValid())
        d = QDateTime::fromString(date, Qt::ISODate);
    return d;
}

EnregistrementTraduction Lit(const QSqlQuery& q) {
    EnregistrementTraduction e;
    e.id = q.value(0).toLongLong();
    e.Tformulaire = Texte(q.value(1));
    e.Ttype = Texte(q.value(2));
    e.Tname = Texte(q.value(3));
    e.Tcaption = Texte(q.value(4));
    e.Ttooltiptext = Texte(q.value(5));
    e.tdefcaption = Texte(q.value(6));
    e.tdeftooltiptext = Texte(q.value(7));
    e.tcommentaire = Texte(q.value(8));
    e.tDate = LitDate(Texte(q.value(9)));
    e.tFlagpassage = q.value(10).toLongLong() != 0;
    return e;
}

QVariantList Valeurs(const EnregistrementTraduction& e) {
    return {e.Tformulaire,
            e.Ttype,
            e.Tname,
            e.Tcaption,
            e.Ttooltiptext,
            e.tdefcaption,
            e.tdeftooltiptext,
            e.tcommentaire,
            e.tDate.isValid() ? QVariant(e.tDate.toString(kFormatDate)) : QVariant(QString()),
            e.tFlagpassage ? 1 : 0};
}

} // namespace

BaseTraductions::BaseTraductions(const QString& chemin)
    : chemin_(chemin), connexion_(QStringLiteral("traductions-") +
                                  QUuid::createUuid().toString(QUuid::WithoutBraces)) {}

BaseTraductions::~BaseTraductions() {
    requeteControle_.reset();
    if (db_.isValid()) {
        db_.close();
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(connexion_);
    }
}

bool BaseTraductions::EstFichierJet(const QString& chemin) {
    QFile f(chemin);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray debut = f.read(32);
    const QByteArray signature = debut.mid(4, 15);
    return signature == "Standard Jet DB" || signature == "Standard ACE DB";
}

bool BaseTraductions::echec(const QSqlError& e) {
    bool ok = false;
    erreur_.numero = e.nativeErrorCode().toInt(&ok);
    if (!ok)
        erreur_.numero = static_cast<int>(e.type());
    erreur_.description = e.databaseText().isEmpty() ? e.text() : e.databaseText();
    return false;
}

BaseTraductions::Ouverture BaseTraductions::Ouvre() {
    const QFileInfo fichier(chemin_);
    // SQLite would create a missing file: the station never does so silently.
    if (!fichier.isFile())
        return Ouverture::Introuvable;
    if (EstFichierJet(chemin_))
        return Ouverture::FichierJet;
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connexion_);
    db_.setDatabaseName(chemin_);
    if (!db_.open()) {
        echec(db_.lastError());
        return Ouverture::Erreur;
    }
    return verifieTable() ? Ouverture::Ouverte : Ouverture::Erreur;
}

bool BaseTraductions::verifieTable() {
    // Naming every field finds a missing table, a missing field and a file
    // that is no database at all, before anything is read or written.
    QSqlQuery q(db_);
    if (!q.exec(QStringLiteral("SELECT ") + Colonnes() +
                QStringLiteral(" FROM Traductions LIMIT 0")))
        return echec(q.lastError());
    // Lookups by window and control stay quick on a large base; a base that
    // cannot take the index (read-only) still works without it.
    QSqlQuery index(db_);
    if (index.exec(kIndex))
        index.exec(kAncienIndex);
    return true;
}

bool BaseTraductions::Cree(const QString& chemin, ErreurBase* erreur) {
    if (QFileInfo::exists(chemin)) {
        if (erreur)
            *erreur = {0, QStringLiteral("le fichier existe deja")};
        return false;
    }
    BaseTraductions base(chemin);
    base.db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), base.connexion_);
    base.db_.setDatabaseName(chemin);
    bool ok = base.db_.open();
    if (!ok)
        base.echec(base.db_.lastError());
    QSqlQuery q(base.db_);
    ok = ok && (q.exec(kSchema) || base.echec(q.lastError()));
    ok = ok && (q.exec(kIndex) || base.echec(q.lastError()));
    if (!ok && erreur)
        *erreur = base.erreur_;
    return ok;
}

std::optional<QList<EnregistrementTraduction>>
BaseTraductions::selection(const QString& condition, const QVariantList& valeurs,
                           const QString& ordre) {
    QSqlQuery q(db_);
    q.setForwardOnly(true);
    if (!q.prepare(QStringLiteral("SELECT ") + Colonnes() +
                   QStringLiteral(" FROM Traductions WHERE ") + condition +
                   (ordre.isEmpty() ? QString() : QStringLiteral(" ORDER BY ") + ordre))) {
        echec(q.lastError());
        return std::nullopt;
    }
    for (const QVariant& v : valeurs)
        q.addBindValue(v);
    if (!q.exec()) {
        echec(q.lastError());
        return std::nullopt;
    }
    QList<EnregistrementTraduction> liste;
    while (q.next())
        liste << Lit(q);
    return liste;
}

std::optional<QList<EnregistrementTraduction>> BaseTraductions::MessagesTraduits() {
    return selection(kConditionMessages + QStringLiteral(" AND trim(Tcaption) <> ''"), {},
                     QStringLiteral("rowid"));
}

std::optional<QList<EnregistrementTraduction>> BaseTraductions::Messages() {
    return selection(kConditionMessages, {}, QStringLiteral("Ttype, rowid"));
}

bool BaseTraductions::ChercheControle(const QString& formulaire, const QString& type,
                                      const QString& nom,
                                      std::optional<EnregistrementTraduction>* trouve) {
    if (!requeteControle_) {
        auto q = std::make_unique<QSqlQuery>(db_);
        q->setForwardOnly(true);
        if (!q->prepare(QStringLiteral("SELECT ") + Colonnes() +
                        QStringLiteral(" FROM Traductions WHERE Tformulaire = ? COLLATE NOCASE "
                                       "AND Ttype = ? COLLATE NOCASE AND Tname = ? COLLATE "
                                       "NOCASE ORDER BY rowid LIMIT 1")))
            return echec(q->lastError());
        requeteControle_ = std::move(q);
    }
    QSqlQuery& q = *requeteControle_;
    q.bindValue(0, formulaire);
    q.bindValue(1, type);
    q.bindValue(2, nom);
    if (!q.exec())
        return echec(q.lastError());
    *trouve = q.next() ? std::optional(Lit(q)) : std::nullopt;
    q.finish();
    return true;
}

std::optional<QStringList> BaseTraductions::Formulaires() {
    QSqlQuery q(db_);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT DISTINCT Tformulaire FROM Traductions"))) {
        echec(q.lastError());
        return std::nullopt;
    }
    QStringList r;
    while (q.next())
        r << q.value(0).toString();
    return r;
}

bool BaseTraductions::ChercheMessage(const QString& nom,
                                     std::optional<EnregistrementTraduction>* trouve) {
    // The message's name is this program's own, and is matched as written.
    const auto liste = selection(QStringLiteral("Tformulaire = ? COLLATE NOCASE AND Tname = ?"),
                                 {kModuleMsg, nom}, QStringLiteral("rowid LIMIT 1"));
    if (!liste)
        return false;
    *trouve = liste->isEmpty() ? std::nullopt : std::optional(liste->first());
    return true;
}

std::optional<QList<EnregistrementTraduction>>
BaseTraductions::MessagesDuType(const QString& type) {
    return selection(QStringLiteral("Tformulaire = ? COLLATE NOCASE AND Ttype = ? COLLATE NOCASE"),
                     {kModuleMsg, type}, QStringLiteral("rowid"));
}

bool BaseTraductions::Ajoute(const EnregistrementTraduction& e) {
    QSqlQuery q(db_);
    if (!q.prepare(QStringLiteral("INSERT INTO Traductions (") +
                   kChamps.join(QStringLiteral(", ")) +
                   QStringLiteral(") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")))
        return echec(q.lastError());
    for (const QVariant& v : Valeurs(e))
        q.addBindValue(v);
    return q.exec() || echec(q.lastError());
}

bool BaseTraductions::Modifie(const EnregistrementTraduction& e) {
    QStringList affectations;
    for (const QString& champ : kChamps)
        affectations << champ + QStringLiteral(" = ?");
    QSqlQuery q(db_);
    if (!q.prepare(QStringLiteral("UPDATE Traductions SET ") +
                   affectations.join(QStringLiteral(", ")) + QStringLiteral(" WHERE rowid = ?")))
        return echec(q.lastError());
    for (const QVariant& v : Valeurs(e))
        q.addBindValue(v);
    q.addBindValue(e.id);
    return q.exec() || echec(q.lastError());
}

bool BaseTraductions::Supprime(qint64 id) {
    QSqlQuery q(db_);
    if (!q.prepare(QStringLiteral("DELETE FROM Traductions WHERE rowid = ?")))
        return echec(q.lastError());
    q.addBindValue(id);
    return q.exec() || echec(q.lastError());
}

bool BaseTraductions::EffaceMarquesMessages() {
    QSqlQuery q(db_);
    return q.exec(QStringLiteral("UPDATE Traductions SET tFlagpassage = 0 WHERE ") +
                  kConditionMessages) ||
           echec(q.lastError());
}

bool BaseTraductions::Commence() {
    return db_.transaction() || echec(db_.lastError());
}

bool BaseTraductions::Valide() {
    return db_.commit() || echec(db_.lastError());
}

void BaseTraductions::Annule() {
    db_.rollback();
}
