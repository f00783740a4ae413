#include "EnvoiJournal.h"

#include "JournalPoste.h"
#include "Poste.h"
#include "SerieServeur.h"

#include <exception>

EnvoiJournal::EnvoiJournal(Poste& poste, const ServeurJournal& serveur)
    : QObject(&poste), poste_(poste), serveur_(serveur) {
    setObjectName(QStringLiteral("EnvoiJournal"));
    poste.liens.journal = this;
    minuterie_.setInterval(kIntervalleMs);
    connect(&minuterie_, &QTimer::timeout, this, &EnvoiJournal::tic);
    minuterie_.start();
}

EnvoiJournal* EnvoiJournal::de(const Poste& poste) {
    return poste.liens.journal;
}

void EnvoiJournal::tic() {
    // A run in progress sends its own record at its end.
    if (reste_ && !poste_.travailEnCours())
        envoie();
}

void EnvoiJournal::change(const QString& message) {
    const QString texte = message + AvertissementMotDePasse(serveur_);
    if (texte == etat_)
        return;
    etat_ = texte;
    emit etatChange(texte);
}

bool EnvoiJournal::envoie() {
    const QString chemin = Journal::Chemin(poste_);
    QString erreur;
    // The SNs given from the reserve while the server was away go first:
    // the factory's series must know them before anything else.
    if (auto* arbitre = dynamic_cast<ArbitreServeurSN*>(poste_.liens.arbitreSN))
        arbitre->Signale(nullptr);
    const int envoyes = Journal::EnvoieEnAttente(chemin, serveur_, &erreur);
    if (envoyes < 0) {
        reste_ = true;
        enPanne_ = true;
        qWarning("journal %s: %s", qPrintable(serveur_.affiche()), qPrintable(erreur));
        const int attente = Journal::EnAttente(chemin);
        change(QStringLiteral("Journal: serveur injoignable, %1 enregistrement(s) en attente")
                   .arg(attente));
        // No dialog while a run is being unwound; the next failure tells.
        if (!signale_ && std::uncaught_exceptions() == 0) {
            signale_ = true;
            poste_.operateur().Boite(
                QStringLiteral("Le journal de production ne peut pas etre envoye au serveur:\r") +
                    serveur_.affiche() + QStringLiteral("\r") + erreur +
                    QStringLiteral("\r\rLes enregistrements sont gardes sur ce poste (") + chemin +
                    QStringLiteral(") et seront envoyes au retour du serveur. La production "
                                   "continue. Ce message ne sera plus affiche."),
                QStringLiteral("Journal de production"), Icone::Exclamation);
        }
        return false;
    }
    reste_ = false;
    if (enPanne_)
        change(QStringLiteral("Journal: serveur de nouveau joint, %1 enregistrement(s) envoye(s)")
                   .arg(envoyes));
    else if (etat_.isEmpty() && envoyes > 0)
        change(QStringLiteral("Journal: serveur ") + serveur_.affiche());
    enPanne_ = false;
    return true;
}
