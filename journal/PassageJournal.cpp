#include "PassageJournal.h"

#include "JournalPoste.h"
#include "Operateur.h"
#include "Poste.h"

#include <QSysInfo>
#include <QUuid>
#include <QVariant>
#include <exception>

namespace {

void Signale(Poste& poste, const QString& chemin, const QString& erreur) {
    // Once per station: the operator is told, then left to produce.
    if (poste.memoire.journalSignale)
        return;
    poste.memoire.journalSignale = true;
    poste.operateur().Boite(
        QStringLiteral("Le journal de production ne peut pas etre ecrit:\r") + chemin +
            QStringLiteral("\r") + erreur +
            QStringLiteral("\r\rLa production continue; les fichiers de trace sont ecrits "
                           "comme d'habitude. Ce message ne sera plus affiche."),
        QStringLiteral("Journal de production"), Icone::Exclamation);
}

// Writes, and on failure tells the operator (never while unwinding).
void EcritEtSignale(Poste& poste, const QList<PassageEnregistre>& passages,
                    const AttributionEnregistree& attribution, int exceptions) {
    const QString chemin = Journal::Chemin(poste);
    QString erreur;
    if (!Journal::Enregistre(poste, passages, attribution, &erreur)) {
        qWarning("journal %s: %s", qPrintable(chemin), qPrintable(erreur));
        // No dialog while the program is being unwound.
        if (std::uncaught_exceptions() == exceptions)
            Signale(poste, chemin, erreur);
    }
}

} // namespace

PassageJournal::PassageJournal(Poste& poste, const QString& flux, LotJournal* lot)
    : poste_(poste), lot_(lot), exceptions_(std::uncaught_exceptions()) {
    chrono_.start();
    p_.debut = QDateTime::currentDateTimeUtc();
    p_.poste = QSysInfo::machineHostName();
    p_.usine = poste.reglages.CodeUsine;
    p_.operateur = poste.reglages.CodeOperateur;
    p_.flux = flux;
    // Made now, so that a cabinet assignment can name the run of each tray.
    p_.uid = QUuid::createUuid().toString(QUuid::WithoutBraces);
    p_.versionPoste = Journal::VersionPoste();
    p_.fichierFW = poste.reglages.FichierProg;
    p_.sha256FW = Journal::EmpreinteFirmware(poste);
}

void PassageJournal::carte(const QString& sn, const QString& nom, const QString& version) {
    if (!sn.isEmpty())
        p_.sn = sn;
    if (!nom.isEmpty())
        p_.nomCarte = nom;
    if (!version.isEmpty())
        p_.versionFW = version;
}

void PassageJournal::resultat(const QString& texte, const QList<MesureJournal>& mesures) {
    if (!texte.isEmpty())
        p_.resultats << texte;
    for (const MesureJournal& m : mesures)
        mesure(m);
}

void PassageJournal::mesure(const MesureJournal& mesure) {
    p_.mesures << mesure;
}

void PassageJournal::carteAbsente() {
    echec(QStringLiteral("carte absente"), QStringLiteral("carte absente"));
}

void PassageJournal::echec(const QString& texte, const QString& code) {
    echec_ = true;
    if (!texte.isEmpty())
        p_.resultats << texte;
    if (p_.codeDefaut.isEmpty())
        p_.codeDefaut = code;
}

PassageEnregistre PassageJournal::passage() const {
    PassageEnregistre p = p_;
    p.dureeMs = chrono_.elapsed();
    QString codeMesure;
    for (const MesureJournal& m : p.mesures)
        if (!m.conforme && codeMesure.isEmpty())
            codeMesure = m.code.isEmpty() ? m.nom : m.code;
    if (p.codeDefaut.isEmpty())
        p.codeDefaut = codeMesure;
    if (std::uncaught_exceptions() > exceptions_)
        p.issue = IssuePassage::Interrompu;
    else if (echec_)
        p.issue = IssuePassage::Echec;
    else if (abandon_ || (poste_.ArretDemande && !finAtteinte_))
        p.issue = IssuePassage::Abandon;
    else if (!codeMesure.isEmpty())
        p.issue = IssuePassage::Echec;
    else if (finAtteinte_)
        p.issue = IssuePassage::Reussi;
    else
        p.issue = IssuePassage::Interrompu;
    // A failure code only names what made the run fail.
    if (p.issue != IssuePassage::Echec)
        p.codeDefaut.clear();
    return p;
}

PassageJournal::~PassageJournal() {
    try {
        if (avantEcriture)
            avantEcriture(*this);
        const PassageEnregistre p = passage();
        if (lot_)
            lot_->ajoute(p);
        else
            EcritEtSignale(poste_, {p}, {}, exceptions_);
    } catch (...) {
        // The journal never stops a run, not even its end.
    }
}

LotJournal::LotJournal(Poste& poste) : poste_(poste), exceptions_(std::uncaught_exceptions()) {}

LotJournal::~LotJournal() {
    try {
        for (PlateauAttribue& t : attribution.plateaux)
            for (const PassageEnregistre& p : std::as_const(passages_))
                if (p.uid == t.passageUid)
                    t.issue = p.issue;
        if (!passages_.isEmpty() || !attribution.meuble.isEmpty())
            EcritEtSignale(poste_, passages_, attribution, exceptions_);
    } catch (...) {
    }
}
