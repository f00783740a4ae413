#include "ServeurJournal.h"

#include <QSqlDatabase>
#include <QUrl>
#include <QUrlQuery>

namespace {

const QStringList kParametres = {QStringLiteral("sslmode"), QStringLiteral("connect_timeout"),
                                 QStringLiteral("application_name"), QStringLiteral("host")};

bool Refuse(const QString& raison, QString* erreur) {
    if (erreur)
        *erreur = raison;
    return false;
}

} // namespace

QString ServeurJournal::affiche() const {
    QString texte = QStringLiteral("postgresql://");
    if (!utilisateur.isEmpty())
        texte += utilisateur + QLatin1Char('@');
    // A socket folder is no host name: shown as it is given.
    const bool dossier = hote.startsWith(QLatin1Char('/'));
    if (!dossier)
        texte += hote;
    if (port > 0)
        texte += QLatin1Char(':') + QString::number(port);
    texte += QLatin1Char('/') + base;
    if (dossier)
        texte += QStringLiteral("?host=") + hote;
    return texte;
}

QString AvertissementMotDePasse(const ServeurJournal& serveur) {
    if (serveur.motDePasse.isEmpty())
        return {};
    return QStringLiteral(" - attention: le mot de passe de bd= est visible des autres"
                          " utilisateurs de ce poste (liste des processus); mettez-le dans"
                          " ~/.pgpass");
}

void ServeurJournal::configure(QSqlDatabase& db) const {
    if (!hote.isEmpty())
        db.setHostName(hote);
    if (port > 0)
        db.setPort(port);
    db.setDatabaseName(base);
    if (!utilisateur.isEmpty())
        db.setUserName(utilisateur);
    if (!motDePasse.isEmpty())
        db.setPassword(motDePasse);
    QStringList o = options;
    const auto donne = [&](const QString& cle) {
        for (const QString& option : o)
            if (option.startsWith(cle + QLatin1Char('=')))
                return true;
        return false;
    };
    if (!donne(QStringLiteral("connect_timeout")))
        o << QStringLiteral("connect_timeout=3");
    if (!donne(QStringLiteral("application_name")))
        o << QStringLiteral("application_name=calvanet");
    db.setConnectOptions(o.join(QLatin1Char(';')));
}

std::optional<ServeurJournal> AnalyseBd(const QString& valeur, QString* erreur) {
    const auto refus = [&](const QString& raison) -> std::optional<ServeurJournal> {
        Refuse(raison, erreur);
        return std::nullopt;
    };
    const QUrl url(valeur, QUrl::StrictMode);
    const QString schema = url.scheme().toLower();
    if (!url.isValid() ||
        (schema != QStringLiteral("postgresql") && schema != QStringLiteral("postgres")))
        return refus(QStringLiteral("ce n'est pas une adresse postgresql://"));
    if (url.hasFragment())
        return refus(QStringLiteral("un '#' n'a pas de sens ici"));
    ServeurJournal s;
    s.hote = url.host(QUrl::FullyDecoded);
    s.port = url.port(-1);
    // QUrl drops an empty port; a ':' typed with nothing after is a mistake.
    if (valeur.section(QStringLiteral("://"), 1)
            .section(QLatin1Char('/'), 0, 0)
            .endsWith(QLatin1Char(':')))
        return refus(QStringLiteral("numero de port absent apres ':'"));
    s.utilisateur = url.userName(QUrl::FullyDecoded);
    s.motDePasse = url.password(QUrl::FullyDecoded);
    QString chemin = url.path(QUrl::FullyDecoded);
    if (chemin.startsWith(QLatin1Char('/')))
        chemin.remove(0, 1);
    if (chemin.isEmpty())
        return refus(QStringLiteral("nom de la base absent (.../base)"));
    if (chemin.contains(QLatin1Char('/')))
        return refus(QStringLiteral("un seul nom de base apres le serveur"));
    s.base = chemin;
    const QUrlQuery requete(url);
    for (const auto& [cle, v] : requete.queryItems(QUrl::FullyDecoded)) {
        if (!kParametres.contains(cle))
            return refus(QStringLiteral("parametre inconnu: ") + cle +
                         QStringLiteral(" (connus: ") + kParametres.join(QStringLiteral(", ")) +
                         QLatin1Char(')'));
        // libpq reads "cle=valeur" items split at spaces: a value must be one word.
        if (v.isEmpty() || v.contains(QLatin1Char(' ')) || v.contains(QLatin1Char(';')) ||
            v.contains(QLatin1Char('\'')) || v.contains(QLatin1Char('\\')))
            return refus(QStringLiteral("valeur du parametre ") + cle +
                         QStringLiteral(" invalide"));
        if (cle == QStringLiteral("host")) {
            if (!s.hote.isEmpty())
                return refus(QStringLiteral("serveur donne deux fois (avant '/' et host=)"));
            s.hote = v;
        } else {
            s.options << cle + QLatin1Char('=') + v;
        }
    }
    return s;
}
