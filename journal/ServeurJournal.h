#pragma once
// The factory's journal server, named on the command line by the key bd=:
//   bd=postgresql://[utilisateur[:motdepasse]@]serveur[:port]/base[?cle=valeur&...]
// ("postgres://" is taken too). The command line splits its items at spaces,
// so the libpq form "host=... dbname=..." cannot be given; its parameters go
// after "?": sslmode, connect_timeout (3 s unless given: a server gone must
// not hold a run for long), application_name, and host (a socket folder).
// Characters that are not allowed in a URI are written %XX.
#include <QString>
#include <QStringList>
#include <optional>

class QSqlDatabase;

struct ServeurJournal {
    QString hote; // empty: the local socket of libpq
    int port = -1;
    QString base;
    QString utilisateur;
    QString motDePasse;
    QStringList options; // "cle=valeur", as libpq takes them

    // As shown to the operator: the value without its password.
    QString affiche() const;
    // Sets a QPSQL connection to this server.
    void configure(QSqlDatabase& db) const;
};

// What the status line adds when bd= carries a password, which every local
// user reads in the process list; empty without one. Without a password the
// server's own client rules apply (libpq's ~/.pgpass or PGPASSFILE, its SSL
// settings and variables).
QString AvertissementMotDePasse(const ServeurJournal& serveur);

// The server named by the value of bd=; nothing, with the reason in `erreur`,
// when the value is not such a URI.
std::optional<ServeurJournal> AnalyseBd(const QString& valeur, QString* erreur);
