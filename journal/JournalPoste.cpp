#include "JournalPoste.h"

#include "EnvoiJournal.h"
#include "Plateforme.h"
#include "Poste.h"
#include "SerieServeur.h"
#include "ServeurJournal.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
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
    return Enregistre(poste, passages, AttributionEnregistree{}, erreur);
}

bool Enregistre(Poste& poste, const QList<PassageEnregistre>& passages,
                const AttributionEnregistree& attribution, QString* erreur) {
    EnvoiJournal* envoi = EnvoiJournal::de(poste);
    if (!Enregistre(Chemin(poste), passages, attribution, erreur, envoi != nullptr))
        return false;
    if (envoi)
        envoi->envoie();
    return true;
}

QString VersionPoste() {
    const VersionLogiciel v = versionLogiciel();
    return QStringLiteral("%1.%2.%3").arg(v.major).arg(v.minor).arg(v.revision);
}

QString EmpreinteFirmware(Poste& poste) {
    auto& e = poste.memoire.firmware;
    const QString chemin = Plateforme::CheminLocal(poste.reglages.FichierProg);
    const QFileInfo info(chemin);
    const QDateTime modifie = info.exists() ? info.lastModified() : QDateTime();
    const qint64 taille = info.exists() ? info.size() : -1;
    if (chemin == e.chemin && modifie == e.modifie && taille == e.taille)
        return e.sha256;
    e = {chemin, modifie, taille, {}};
    QFile f(chemin);
    if (!chemin.isEmpty() && f.open(QIODevice::ReadOnly)) {
        QCryptographicHash h(QCryptographicHash::Sha256);
        if (h.addData(&f))
            e.sha256 = QString::fromLatin1(h.result().toHex());
    }
    return e.sha256;
}

void FixeServeur(Poste& poste, const ServeurJournal& serveur) {
    delete poste.liens.journal;
    poste.liens.journal = nullptr;
    delete dynamic_cast<ArbitreServeurSN*>(poste.liens.arbitreSN);
    poste.liens.arbitreSN = nullptr;
    new EnvoiJournal(poste, serveur);
    new ArbitreServeurSN(poste, serveur);
}

} // namespace Journal

LectureJournal::LectureJournal(const Poste& poste) : LectureJournal() {
    if (const EnvoiJournal* envoi = EnvoiJournal::de(poste))
        prepareServeur(envoi->serveur());
    else
        prepareFichier(Journal::Chemin(poste));
}
