#include "SerieServeur.h"

#include "Journal.h"
#include "JournalPoste.h"
#include "Poste.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSysInfo>
#include <QVariant>
#include <atomic>

namespace {

const QString CR = QStringLiteral("\r");

// One connection for one call, removed on every path.
class Base {
public:
    Base() {
        static std::atomic<int> compteur{0};
        nom_ = QStringLiteral("calvanet-sn-%1").arg(++compteur);
    }
    ~Base() {
        {
            QSqlDatabase b = QSqlDatabase::database(nom_, false);
            if (b.isOpen())
                b.close();
        }
        QSqlDatabase::removeDatabase(nom_);
    }
    Base(const Base&) = delete;
    Base& operator=(const Base&) = delete;

    bool ouvreServeur(const ServeurJournal& serveur, QString* erreur) {
        QSqlDatabase b = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), nom_);
        serveur.configure(b);
        return ouvre(b, erreur);
    }
    bool ouvreFichier(const QString& chemin, QString* erreur) {
        QSqlDatabase b = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), nom_);
        b.setDatabaseName(chemin);
        b.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        return ouvre(b, erreur);
    }
    QSqlDatabase db() const { return QSqlDatabase::database(nom_, false); }

private:
    static bool ouvre(QSqlDatabase& b, QString* erreur) {
        if (b.open())
            return true;
        if (erreur)
            *erreur = b.lastError().text();
        return false;
    }
    QString nom_;
};

bool Echec(const QSqlQuery& q, QString* erreur) {
    if (erreur)
        *erreur = q.lastError().databaseText().isEmpty() ? q.lastError().text()
                                                         : q.lastError().databaseText();
    return false;
}

bool Lance(QSqlQuery& q, const QString& sql, const QVariantList& valeurs, QString* erreur) {
    q.prepare(sql);
    for (const QVariant& v : valeurs)
        q.addBindValue(v);
    return q.exec() || Echec(q, erreur);
}

QString Maintenant() {
    return QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
}

QString TexteFin(const QString& serie) {
    return QStringLiteral("la serie ") + serie +
           QStringLiteral(" du serveur de l'usine est arrivee a son dernier SN, zzzz: une serie"
                          " ne recommence pas a 0000");
}

// Whether the server gave or reserved `sn` of the series.
int Pris(QSqlDatabase db, const QString& serie, const QString& sn, QString* erreur) {
    QSqlQuery q(db);
    if (!Lance(q,
               QStringLiteral("SELECT (SELECT count(*) FROM sn_donnes WHERE serie = ? AND sn = ?)"
                              " + (SELECT count(*) FROM sn_reserves WHERE serie = ? AND sn = ?)"),
               {serie, sn, serie, sn}, erreur) ||
        !q.next())
        return -1;
    return q.value(0).toInt() > 0 ? 1 : 0;
}

// In the server's transaction: the series row locked, its last SN.
bool Verrouille(QSqlDatabase db, const QString& serie, QString* dernier, QString* erreur) {
    QSqlQuery q(db);
    if (!Lance(q,
               QStringLiteral("INSERT INTO series_sn (serie, dernier) VALUES (?, '')"
                              " ON CONFLICT (serie) DO NOTHING"),
               {serie}, erreur) ||
        !Lance(q, QStringLiteral("SELECT dernier FROM series_sn WHERE serie = ? FOR UPDATE"),
               {serie}, erreur) ||
        !q.next())
        return false;
    *dernier = q.value(0).toString();
    return true;
}

// The next `nombre` free SNs after the server's last and at or after
// `depuis`; fewer when the series ends ("zzzz" reached).
bool Suivants(QSqlDatabase db, const QString& serie, const QString& dernier, const QString& depuis,
              int nombre, QStringList* sns, QString* erreur) {
    std::optional<QString> sn = depuis;
    if (!dernier.isEmpty() && !SNapres(depuis, dernier))
        sn = SNsuivant(dernier);
    while (sn && sns->size() < nombre) {
        const int pris = Pris(db, serie, *sn, erreur);
        if (pris < 0)
            return false;
        if (pris == 0)
            *sns << *sn;
        sn = SNsuivant(*sn);
    }
    return true;
}

bool Valide(QSqlDatabase db, QString* erreur) {
    if (db.commit())
        return true;
    if (erreur)
        *erreur = db.lastError().text();
    db.rollback();
    return false;
}

} // namespace

ArbitreServeurSN::ArbitreServeurSN(Poste& poste, const ServeurJournal& serveur)
    : QObject(&poste), poste_(poste), serveur_(serveur) {
    setObjectName(QStringLiteral("ArbitreServeurSN"));
    poste.liens.arbitreSN = this;
}

QString ArbitreServeurSN::fichier() const {
    return Journal::Chemin(poste_);
}

QStringList ArbitreServeurSN::reserve(const QString& serie, QString* erreur) const {
    if (!Journal::Prepare(fichier(), erreur))
        return {};
    Base local;
    QStringList sns;
    if (!local.ouvreFichier(fichier(), erreur))
        return {};
    QSqlQuery q(local.db());
    if (!Lance(q,
               QStringLiteral("SELECT r.sn FROM sn_reserves r WHERE r.serie = ? AND NOT EXISTS"
                              " (SELECT 1 FROM sn_donnes d WHERE d.serie = r.serie"
                              " AND d.sn = r.sn) ORDER BY r.sn"),
               {serie}, erreur))
        return {};
    while (q.next())
        sns << q.value(0).toString();
    return sns;
}

ArbitreSN::Etat ArbitreServeurSN::Consulte(const QString& serie) {
    Etat e;
    QString erreur;
    {
        Base srv;
        if ((prepare_ || (prepare_ = Journal::PrepareServeur(serveur_, &erreur))) &&
            srv.ouvreServeur(serveur_, &erreur)) {
            QSqlQuery q(srv.db());
            if (Lance(q, QStringLiteral("SELECT dernier FROM series_sn WHERE serie = ?"), {serie},
                      &erreur)) {
                e.joint = true;
                if (q.next())
                    e.dernier = q.value(0).toString();
                return e;
            }
        }
    }
    e.raison = QStringLiteral("le serveur de l'usine ne repond pas (") + serveur_.affiche() +
               QStringLiteral("): ") + erreur + CR +
               QStringLiteral("et la reserve de SN de ce poste est vide pour ") + serie;
    const QStringList r = reserve(serie, nullptr);
    if (!r.isEmpty())
        e.reserve = r.first();
    return e;
}

std::optional<QString> ArbitreServeurSN::Prend(const QString& serie, const QString& depuis,
                                               QString* refus) {
    QString erreur;
    Signale(nullptr);
    Base srv;
    if (!(prepare_ || (prepare_ = Journal::PrepareServeur(serveur_, &erreur))) ||
        !srv.ouvreServeur(serveur_, &erreur))
        return deLaReserve(serie, erreur, refus);
    QSqlDatabase db = srv.db();
    if (!db.transaction())
        return deLaReserve(serie, db.lastError().text(), refus);
    QString dernier;
    QStringList sns;
    if (!Verrouille(db, serie, &dernier, &erreur) ||
        !Suivants(db, serie, dernier, depuis, 1, &sns, &erreur)) {
        db.rollback();
        return deLaReserve(serie, erreur, refus);
    }
    if (sns.isEmpty()) {
        db.rollback();
        if (refus)
            *refus = TexteFin(serie);
        return std::nullopt;
    }
    const QString sn = sns.first();
    QSqlQuery q(db);
    const QString quand = Maintenant();
    if (!Lance(q,
               QStringLiteral("INSERT INTO sn_donnes (serie, sn, poste, quand, de_reserve)"
                              " VALUES (?, ?, ?, ?, 0)"),
               {serie, sn, QSysInfo::machineHostName(), quand}, &erreur) ||
        (SNapres(sn, dernier) &&
         !Lance(q, QStringLiteral("UPDATE series_sn SET dernier = ? WHERE serie = ?"), {sn, serie},
                &erreur)) ||
        !Valide(db, &erreur)) {
        db.rollback();
        return deLaReserve(serie, erreur, refus);
    }
    // The station's own record of what it gave; the server holds the truth.
    Base local;
    if (local.ouvreFichier(fichier(), nullptr)) {
        QSqlQuery l(local.db());
        Lance(l,
              QStringLiteral("INSERT INTO sn_donnes (serie, sn, poste, quand, de_reserve)"
                             " VALUES (?, ?, ?, ?, 0) ON CONFLICT (serie, sn) DO NOTHING"),
              {serie, sn, QSysInfo::machineHostName(), quand}, nullptr);
    }
    if (reserve(serie, nullptr).size() <= kSeuil && !completeReserve(serie, &erreur))
        qWarning("serie %s: reserve non completee: %s", qPrintable(serie), qPrintable(erreur));
    return sn;
}

bool ArbitreServeurSN::completeReserve(const QString& serie, QString* erreur) {
    Base srv;
    if (!srv.ouvreServeur(serveur_, erreur))
        return false;
    QSqlDatabase db = srv.db();
    if (!db.transaction())
        return false;
    QString dernier;
    QStringList bloc;
    if (!Verrouille(db, serie, &dernier, erreur) ||
        !Suivants(db, serie, dernier, QStringLiteral("0000"), kBloc, &bloc, erreur)) {
        db.rollback();
        return false;
    }
    const QString poste = QSysInfo::machineHostName();
    const QString quand = Maintenant();
    QSqlQuery q(db);
    for (const QString& sn : std::as_const(bloc))
        if (!Lance(q,
                   QStringLiteral("INSERT INTO sn_reserves (serie, sn, poste, quand)"
                                  " VALUES (?, ?, ?, ?)"),
                   {serie, sn, poste, quand}, erreur)) {
            db.rollback();
            return false;
        }
    if ((!bloc.isEmpty() && SNapres(bloc.last(), dernier) &&
         !Lance(q, QStringLiteral("UPDATE series_sn SET dernier = ? WHERE serie = ?"),
                {bloc.last(), serie}, erreur)) ||
        !Valide(db, erreur)) {
        db.rollback();
        return false;
    }
    // Committed on the server first: a reserve lost on the way is a gap,
    // a reserve the server did not hold could be given twice.
    Base local;
    if (!local.ouvreFichier(fichier(), erreur))
        return false;
    QSqlDatabase l = local.db();
    if (!l.transaction())
        return false;
    QSqlQuery ql(l);
    for (const QString& sn : std::as_const(bloc))
        if (!Lance(ql,
                   QStringLiteral("INSERT INTO sn_reserves (serie, sn, poste, quand)"
                                  " VALUES (?, ?, ?, ?)"),
                   {serie, sn, poste, quand}, erreur)) {
            l.rollback();
            return false;
        }
    return Valide(l, erreur);
}

std::optional<QString> ArbitreServeurSN::deLaReserve(const QString& serie, const QString& panne,
                                                     QString* refus) {
    qWarning("serie %s: serveur %s: %s", qPrintable(serie), qPrintable(serveur_.affiche()),
             qPrintable(panne));
    QString erreur;
    // Reserved on the server for this station alone: above the file's
    // floor or not, no other station can have given it (the series checks
    // that its own file does not trace it).
    for (const QString& sn : reserve(serie, &erreur)) {
        Base local;
        if (!local.ouvreFichier(fichier(), &erreur))
            break;
        QSqlDatabase l = local.db();
        QSqlQuery q(l);
        QVariant id;
        if (l.transaction() &&
            Lance(q,
                  QStringLiteral("INSERT INTO sn_donnes (serie, sn, poste, quand, de_reserve)"
                                 " VALUES (?, ?, ?, ?, 1)"),
                  {serie, sn, QSysInfo::machineHostName(), Maintenant()}, &erreur) &&
            (id = q.lastInsertId()).isValid() &&
            Lance(q, QStringLiteral("INSERT INTO sn_a_signaler (sn_donne) VALUES (?)"), {id},
                  &erreur) &&
            Valide(l, &erreur))
            return sn;
        l.rollback();
        break;
    }
    if (refus)
        *refus = QStringLiteral("le serveur de l'usine ne repond pas (") + serveur_.affiche() +
                 QStringLiteral("): ") + panne + CR +
                 QStringLiteral("et la reserve de SN de ce poste est vide pour ") + serie +
                 (erreur.isEmpty() ? QString() : CR + erreur);
    return std::nullopt;
}

int ArbitreServeurSN::Signale(QString* erreur) {
    if (!Journal::Prepare(fichier(), erreur))
        return -1;
    Base local;
    if (!local.ouvreFichier(fichier(), erreur))
        return -1;
    QSqlQuery q(local.db());
    if (!Lance(q,
               QStringLiteral("SELECT d.id, d.serie, d.sn, d.poste, d.quand FROM sn_a_signaler a"
                              " JOIN sn_donnes d ON d.id = a.sn_donne ORDER BY d.id"),
               {}, erreur))
        return -1;
    QList<QVariantList> lignes;
    while (q.next())
        lignes << QVariantList{q.value(0), q.value(1), q.value(2), q.value(3), q.value(4)};
    q.finish();
    if (lignes.isEmpty())
        return 0;
    Base srv;
    if (!(prepare_ || (prepare_ = Journal::PrepareServeur(serveur_, erreur))) ||
        !srv.ouvreServeur(serveur_, erreur))
        return -1;
    int signales = 0;
    QSqlQuery s(srv.db());
    for (const QVariantList& l : std::as_const(lignes)) {
        // Once: a report whose answer was lost is found there.
        if (!Lance(s,
                   QStringLiteral("INSERT INTO sn_donnes (serie, sn, poste, quand, de_reserve)"
                                  " VALUES (?, ?, ?, ?, 1) ON CONFLICT (serie, sn) DO NOTHING"),
                   {l[1], l[2], l[3], l[4]}, erreur) ||
            !Lance(q, QStringLiteral("DELETE FROM sn_a_signaler WHERE sn_donne = ?"), {l[0]},
                   erreur))
            return -1;
        ++signales;
    }
    return signales;
}
