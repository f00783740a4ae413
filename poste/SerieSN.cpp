#include "SerieSN.h"

#include "FichierTrace.h"
#include "Windows1252.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLockFile>
#include <QSet>
#include <QThread>

const QString kAlphabetSN =
    QStringLiteral("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");

namespace {

const QString CR = QStringLiteral("\r");

// Other stations sharing the folder hold the lock for one header rewrite or
// one append: a few milliseconds. Waiting longer means something is wrong.
constexpr int kAttenteVerrouMs = 5000;
// A lock left by a station killed on another machine is taken over after
// this; on this machine a dead owner is detected at once.
constexpr int kVerrouPerimeMs = 30000;
constexpr int kVerrouDechireMs = 1000;

// The SNs a trace line gives: each "SN=" and four characters, between blanks
// or the line's ends.
QStringList SNdeLigne(const QString& l) {
    QStringList sns;
    for (qsizetype p = l.indexOf(QStringLiteral("SN=")); p >= 0;
         p = l.indexOf(QStringLiteral("SN="), p + 1)) {
        const qsizetype fin = p + 7;
        if ((p == 0 || l[p - 1] == QLatin1Char(' ')) &&
            (fin == l.size() || (fin < l.size() && l[fin] == QLatin1Char(' '))))
            sns << l.mid(p + 3, 4);
    }
    return sns;
}

// Index of the first trace line (header excluded) giving `sn`, or -1.
int LigneDonnantSN(const QStringList& lignes, const QString& sn) {
    for (int i = 1; i < lignes.size(); ++i)
        if (SNdeLigne(lignes[i]).contains(sn))
            return i;
    return -1;
}

// Every SN the trace lines (header excluded) give.
QSet<QString> SNdonnes(const QStringList& lignes) {
    QSet<QString> donnes;
    for (int i = 1; i < lignes.size(); ++i)
        for (const QString& sn : SNdeLigne(lignes[i]))
            donnes.insert(sn);
    return donnes;
}

// The box of a series that reached its last SN.
QString TexteFinDeSerie(const QString& chemin) {
    return QStringLiteral("la serie de ") + chemin +
           QStringLiteral(" est arrivee a son dernier SN, zzzz") + CR +
           QStringLiteral("aucun SN attribue: une serie ne recommence pas a 0000");
}

} // namespace

bool EstSNvalide(const QString& sn) {
    if (sn.size() != 4)
        return false;
    for (const QChar c : sn)
        if (!kAlphabetSN.contains(c))
            return false;
    return true;
}

QString IncrementeSN(const QString& sn) {
    QString resultat = sn;
    for (qsizetype i = resultat.size() - 1; i >= 0; --i) {
        const QChar c = resultat[i];
        if (c == QLatin1Char('9')) {
            resultat[i] = QLatin1Char('A');
            break;
        }
        if (c == QLatin1Char('Z')) {
            resultat[i] = QLatin1Char('a');
            break;
        }
        if (c == QLatin1Char('z')) {
            resultat[i] = QLatin1Char('0');
            continue;
        }
        resultat[i] = QChar(c.unicode() + 1);
        break;
    }
    return resultat;
}

std::optional<QString> SNsuivant(const QString& sn) {
    if (sn == QLatin1String("zzzz"))
        return std::nullopt;
    return IncrementeSN(sn);
}

bool SNapres(const QString& a, const QString& b) {
    // The alphabet is in the order of the character codes.
    return a > b;
}

QString HorodatageTrace(const QDateTime& quand) {
    return quand.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
}

namespace {
const QString kDebutEnTete = QStringLiteral("dernier SN: ");

// A header line as the operator may read it in a box: no control characters,
// not longer than a line.
QString EnTeteLisible(const QString& entete) {
    QString lisible;
    for (const QChar c : entete.left(80))
        lisible += c.isPrint() ? c : QChar(u'?');
    return entete.size() > 80 ? lisible + QStringLiteral("...") : lisible;
}
} // namespace

QString EnTeteSN(const QString& sn, const QDateTime& quand) {
    return kDebutEnTete + sn + QStringLiteral("  ") + HorodatageTrace(quand);
}

// Stations sharing the trace folder take this lock, beside the series file,
// around every read-and-advance of the header and every append.
class SerieSN::Verrou {
public:
    explicit Verrou(const QString& chemin) : verrou_(chemin + QStringLiteral(".lock")) {
        verrou_.setStaleLockTime(kVerrouPerimeMs);
        // A steady short poll rather than QLockFile's doubling waits: a
        // station would otherwise sleep through the moments the lock is free
        // and be refused while another one takes number after number.
        QElapsedTimer attente;
        attente.start();
        while (!(pris_ = verrou_.tryLock(0)) && verrou_.error() == QLockFile::LockFailedError &&
               !attente.hasExpired(kAttenteVerrouMs)) {
            if (Dechire(chemin + QStringLiteral(".lock")))
                verrou_.removeStaleLockFile();
            QThread::msleep(10);
        }
    }
    bool pris() const { return pris_; }
    QString raison(const QString& chemin) const {
        if (verrou_.error() == QLockFile::LockFailedError)
            return chemin + QStringLiteral(" est occupe par un autre poste depuis plus de ") +
                   QString::number(kAttenteVerrouMs / 1000) + QStringLiteral(" s (verrou ") +
                   chemin + QStringLiteral(".lock)") + CR +
                   QStringLiteral("aucun SN attribue, recommencez");
        return QStringLiteral("impossible de verrouiller ") + chemin + QStringLiteral(" (verrou ") +
               chemin + QStringLiteral(".lock)") + CR + QStringLiteral("aucun SN attribue");
    }

private:
    // A station killed between creating its lock and writing who holds it
    // leaves a file that names nobody: nobody can be asked whether it still
    // runs, and the age rule would stop every station for 30 s. The owner
    // writes its name at once, so such a file a second old is an orphan.
    bool Dechire(const QString& cheminVerrou) const {
        qint64 pid = 0;
        QString hote, programme;
        if (verrou_.getLockInfo(&pid, &hote, &programme))
            return false;
        const QFileInfo info(cheminVerrou);
        return info.exists() &&
               info.lastModified().msecsTo(QDateTime::currentDateTime()) > kVerrouDechireMs;
    }

    QLockFile verrou_;
    bool pris_ = false;
};

SerieSN::SerieSN(Poste& poste, const QString& chemin, const TextesSerieSN& textes)
    : poste_(poste), chemin_(chemin), textes_(textes) {}

// The lines of the file, read under the lock; false, after a box, when the
// lock was not taken or the file cannot be read.
bool SerieSN::LitLignes(const Verrou& verrou, QStringList& lignes) {
    if (!verrou.pris()) {
        poste_.operateur().Boite(verrou.raison(chemin_), {}, Icone::Critique);
        return false;
    }
    bool ok = false;
    lignes = LitLignesTrace(chemin_, &ok);
    if (!ok || !QFileInfo::exists(chemin_)) {
        poste_.operateur().Boite(QStringLiteral("impossible de lire ") + chemin_ + CR +
                                     QStringLiteral("aucun SN attribue"),
                                 {}, Icone::Critique);
        return false;
    }
    return true;
}

// Last SN of the header, characters 13 to 16; false, after a box, when the
// header is not in its form ("dernier SN: " + SN, then a blank or nothing):
// an SN read from garbage, a byte order mark or a cut line would be invented.
bool SerieSN::DernierSN(const QString& entete, QString& sn) {
    sn = entete.mid(12, 4);
    const bool forme = entete.startsWith(kDebutEnTete) && EstSNvalide(sn) &&
                       (entete.size() == 16 || entete.at(16) == QLatin1Char(' '));
    if (forme)
        return true;
    poste_.operateur().Boite(QStringLiteral("la premiere ligne de ") + chemin_ +
                                 QStringLiteral(" ne contient pas de SN valide:") + CR +
                                 EnTeteLisible(entete) + CR + QStringLiteral("aucun SN attribue"),
                             {}, Icone::Critique);
    return false;
}

std::optional<SerieSN::Prevision> SerieSN::Prevoit() {
    Operateur& op = poste_.operateur();
    if (!QFileInfo::exists(chemin_)) {
        op.Boite(QStringLiteral("impossible de lire ") + chemin_ +
                     QStringLiteral(" (fichier ou dossier introuvable)") + CR +
                     QStringLiteral("aucun SN attribue"),
                 {}, Icone::Critique);
        return std::nullopt;
    }
    {
        const Verrou verrou(chemin_);
        QStringList lignes;
        if (!LitLignes(verrou, lignes))
            return std::nullopt;
        if (!lignes.isEmpty()) {
            QString dernier;
            if (!DernierSN(lignes.first(), dernier))
                return std::nullopt;
            const auto suivant = SNsuivant(dernier);
            if (!suivant) {
                op.Boite(TexteFinDeSerie(chemin_), {}, Icone::Critique);
                return std::nullopt;
            }
            return Prevision{*suivant, false};
        }
    }
    if (ArbitreSN* arbitre = poste_.liens.arbitreSN) {
        // An empty file: the factory's series may have begun elsewhere.
        const ArbitreSN::Etat etat = arbitre->Consulte(QFileInfo(chemin_).fileName());
        if (etat.joint && !etat.dernier.isEmpty()) {
            const auto suivant = SNsuivant(etat.dernier);
            if (!suivant) {
                op.Boite(TexteFinDeSerie(chemin_), {}, Icone::Critique);
                return std::nullopt;
            }
            return Prevision{*suivant, false};
        }
        if (!etat.joint) {
            if (!etat.reserve.isEmpty())
                return Prevision{etat.reserve, false};
            // Nothing says where the series stands: nothing is invented.
            op.Boite(etat.raison + CR + QStringLiteral("aucun SN attribue"), {}, Icone::Critique);
            return std::nullopt;
        }
    }
    // The operator types without the lock held; Reserve checks again that
    // the file is still empty.
    const QString reponse = op.Saisie(textes_.invitePremierSN, textes_.titrePremierSN, QString());
    if (reponse.size() != 4)
        return std::nullopt;
    for (const QChar c : reponse) {
        if (!kAlphabetSN.contains(c)) {
            op.Boite(QString(c) + textes_.impossibleDansSN);
            return std::nullopt;
        }
    }
    return Prevision{reponse, true};
}

std::optional<QString> SerieSN::Reserve(const Prevision& prevision) {
    Operateur& op = poste_.operateur();
    const Verrou verrou(chemin_);
    QStringList lignes;
    if (!LitLignes(verrou, lignes))
        return std::nullopt;
    const bool vide = lignes.isEmpty();
    QString sn;
    QStringList sautes;
    int doublon = -1;
    if (ArbitreSN* arbitre = poste_.liens.arbitreSN) {
        // The factory decides, from above the header and every SN this file
        // traces, so that no SN of the file can come back.
        QString depuis = prevision.premier && vide ? prevision.sn : QStringLiteral("0000");
        QStringList connus;
        if (!vide) {
            QString dernier;
            if (!DernierSN(lignes.first(), dernier))
                return std::nullopt;
            connus << dernier;
        }
        for (const QString& donne : SNdonnes(lignes))
            connus << donne;
        for (const QString& connu : std::as_const(connus)) {
            if (!EstSNvalide(connu) || SNapres(depuis, connu))
                continue;
            const auto suivant = SNsuivant(connu);
            if (!suivant) {
                op.Boite(TexteFinDeSerie(chemin_), {}, Icone::Critique);
                return std::nullopt;
            }
            depuis = *suivant;
        }
        QString refus;
        const auto pris = arbitre->Prend(QFileInfo(chemin_).fileName(), depuis, &refus);
        if (!pris) {
            op.Boite(refus + CR + QStringLiteral("aucun SN attribue"), {}, Icone::Critique);
            return std::nullopt;
        }
        sn = *pris;
        // A safety net: an SN this file traces never goes into a card again.
        if (const int ligne = LigneDonnantSN(lignes, sn); ligne >= 0) {
            op.Boite(QStringLiteral("le SN ") + sn + QStringLiteral(" est deja attribue dans ") +
                         chemin_ + QStringLiteral(", ligne ") + QString::number(ligne + 1) +
                         QStringLiteral(":") + CR + lignes[ligne] + CR +
                         QStringLiteral("aucun SN attribue"),
                     {}, Icone::Critique);
            return std::nullopt;
        }
    } else if (prevision.premier) {
        if (!vide) {
            op.Boite(QStringLiteral("un autre poste a commence la serie de ") + chemin_ +
                         QStringLiteral(" pendant la saisie du premier SN") + CR +
                         QStringLiteral("SN ") + prevision.sn +
                         QStringLiteral(" non attribue, recommencez"),
                     {}, Icone::Critique);
            return std::nullopt;
        }
        sn = prevision.sn;
    } else {
        if (vide) {
            op.Boite(chemin_ + QStringLiteral(" a ete vide par un autre programme") + CR +
                         QStringLiteral("aucun SN attribue, recommencez"),
                     {}, Icone::Critique);
            return std::nullopt;
        }
        QString dernier;
        if (!DernierSN(lignes.first(), dernier))
            return std::nullopt;
        const auto suivant = SNsuivant(dernier);
        if (!suivant) {
            op.Boite(TexteFinDeSerie(chemin_), {}, Icone::Critique);
            return std::nullopt;
        }
        sn = *suivant;
    }

    // A header behind SNs already traced (a restored copy, a hand edit): the
    // series moves past them rather than give one twice or stop for good.
    doublon = poste_.liens.arbitreSN ? -1 : LigneDonnantSN(lignes, sn);
    if (doublon >= 0) {
        const QSet<QString> donnes = SNdonnes(lignes);
        while (donnes.contains(sn) && sautes.size() < donnes.size()) {
            sautes << sn;
            const auto suivant = SNsuivant(sn);
            if (!suivant) {
                op.Boite(TexteFinDeSerie(chemin_), {}, Icone::Critique);
                return std::nullopt;
            }
            sn = *suivant;
        }
        if (donnes.contains(sn)) {
            op.Boite(QStringLiteral("le SN ") + sautes.first() +
                         QStringLiteral(" est deja attribue dans ") + chemin_ +
                         QStringLiteral(", ligne ") + QString::number(doublon + 1) +
                         QStringLiteral(":") + CR + lignes[doublon] + CR +
                         QStringLiteral("aucun SN attribue"),
                     {}, Icone::Critique);
            return std::nullopt;
        }
    }

    const QDateTime maintenant = QDateTime::currentDateTime();
    const QString entete = EnTeteSN(sn, maintenant);
    QString erreur;
    bool ecrit = false;
    if (vide) {
        ecrit = AjouteLigneTrace(chemin_, entete, &erreur);
    } else if (VersWindows1252(lignes.first()).size() == VersWindows1252(entete).size()) {
        ecrit = EcritEnTeteTrace(chemin_, entete, &erreur);
    } else {
        // A header of another length (older station, hand edit) would eat
        // into line 2 if overwritten in place.
        lignes.first() = entete;
        ecrit = RemplaceFichierTrace(chemin_, lignes, &erreur);
    }
    if (!ecrit) {
        op.Boite(QStringLiteral("impossible d'ecrire dans ") + chemin_ + CR + erreur + CR +
                     QStringLiteral("aucun SN attribue"),
                 {}, Icone::Critique);
        return std::nullopt;
    }
    if (!sautes.isEmpty()) {
        // The note names no "SN=", so that nothing reads it as an SN given.
        const QString note = HorodatageTrace(maintenant) +
                             QStringLiteral(" ** SN deja attribues, sautes: ") +
                             sautes.join(QLatin1Char(' ')) + QStringLiteral(" -> ") + sn;
        AjouteLigneTrace(chemin_, note, &erreur);
        op.Boite(QStringLiteral("le SN ") + sautes.first() +
                     QStringLiteral(" est deja attribue dans ") + chemin_ +
                     QStringLiteral(", ligne ") + QString::number(doublon + 1) +
                     QStringLiteral(":") + CR + lignes[doublon] + CR +
                     QStringLiteral("SN deja attribues, sautes: ") + sautes.join(QLatin1Char(' ')) +
                     CR + QStringLiteral("SN attribue: ") + sn,
                 {}, Icone::Exclamation);
    }
    return sn;
}

bool SerieSN::AjouteLigne(const QString& ligne, QString& erreur) {
    const Verrou verrou(chemin_);
    if (!verrou.pris()) {
        erreur = verrou.raison(chemin_);
        return false;
    }
    return AjouteLigneTrace(chemin_, ligne, &erreur);
}

bool SerieSN::NoteSNperdu(const QString& ligne, const QString& raison, QString& erreur) {
    return AjouteLigne(ligne + QStringLiteral("  ** SN perdu: ") +
                           QString(raison).replace(CR, QStringLiteral(" ")),
                       erreur);
}
