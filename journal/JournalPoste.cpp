#include "JournalPoste.h"

#include "EnvoiJournal.h"
#include "Poste.h"
#include "ServeurJournal.h"

#include <QStandardPaths>
#include <QSysInfo>

namespace Journal {

QString Chemin(const Poste& poste) {
    if (!poste.memoire.cheminJournal.isEmpty())
        return poste.memoire.cheminJournal;
    const QString env = qEnvironmentVariable("CALVANET_JOURNAL");
    if (!env.isEmpty())
        return env;
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/calvanet/journal-") + QSysInfo::machineHostName() +
           QStringLiteral(".sqlite");
}

void FixeChemin(Poste& poste, const QString& chemin) {
    poste.memoire.cheminJournal = chemin;
}

bool Enregistre(Poste& poste, const PassageEnregistre& passage, QString* erreur) {
    return Enregistre(poste, QList<PassageEnregistre>{passage}, erreur);
}

bool Enregistre(Poste& poste, const QList<PassageEnregistre>& passages, QString* erreur) {
    EnvoiJournal* envoi = EnvoiJournal::de(poste);
    if (!Enregistre(Chemin(poste), passages, erreur, envoi != nullptr))
        return false;
    if (envoi)
        envoi->envoie();
    return true;
}

void FixeServeur(Poste& poste, const ServeurJournal& serveur) {
    delete poste.liens.journal;
    poste.liens.journal = nullptr;
    new EnvoiJournal(poste, serveur);
}

} // namespace Journal

LectureJournal::LectureJournal(const Poste& poste) : LectureJournal() {
    if (const EnvoiJournal* envoi = EnvoiJournal::de(poste))
        prepareServeur(envoi->serveur());
    else
        prepareFichier(Journal::Chemin(poste));
}
