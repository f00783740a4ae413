#include "AttribueSNcarte.h"

#include "EditeEtiquette.h"
#include "EtapesFlux.h"
#include "FichierTrace.h"
#include "LiaisonCarte.h"
#include "ModuleTraductions.h"
#include "Plateforme.h"
#include "ResultatTest.h"
#include "Temps.h"
#include "TestsElementaires.h"

#include <QCoreApplication>
#include <QDate>
#include <QFileInfo>
#include <QLockFile>

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

QString Texte(const QByteArray& reponse) {
    return DepuisWindows1252(reponse);
}

bool EstSNvalide(const QString& sn) {
    if (sn.size() != 4)
        return false;
    for (const QChar c : sn)
        if (!kAlphabetSN.contains(c))
            return false;
    return true;
}

// Stations sharing the trace folder take this lock, beside "SNcarte.txt",
// around every read-and-advance of the header and every append.
class VerrouSNcarte {
public:
    explicit VerrouSNcarte(const QString& chemin) : verrou_(chemin + QStringLiteral(".lock")) {
        verrou_.setStaleLockTime(kVerrouPerimeMs);
        pris_ = verrou_.tryLock(kAttenteVerrouMs);
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
    QLockFile verrou_;
    bool pris_ = false;
};

// The lines of "SNcarte.txt"; false, after a box, when it cannot be read.
bool LitFichierSN(Poste& poste, const QString& chemin, QStringList& lignes) {
    bool ok = false;
    lignes = LitLignesTrace(chemin, &ok);
    if (!ok || !QFileInfo::exists(chemin)) {
        poste.operateur().Boite(QStringLiteral("impossible de lire ") + chemin + CR +
                                    QStringLiteral("aucun SN attribue"),
                                {}, Icone::Critique);
        return false;
    }
    return true;
}

// Last SN of the header, characters 13 to 16; false, after a box, when they
// are not a serial number (an increment would give a card garbage).
bool DernierSNdeLEnTete(Poste& poste, const QString& chemin, const QString& entete, QString& sn) {
    sn = entete.mid(12, 4);
    if (EstSNvalide(sn))
        return true;
    poste.operateur().Boite(QStringLiteral("la premiere ligne de ") + chemin +
                                QStringLiteral(" ne contient pas de SN valide:") + CR + entete +
                                CR + QStringLiteral("aucun SN attribue"),
                            {}, Icone::Critique);
    return false;
}

// Index of the first trace line (header excluded) giving `sn`, or -1.
int LigneDonnantSN(const QStringList& lignes, const QString& sn) {
    const QString cle = QStringLiteral("SN=") + sn;
    for (int i = 1; i < lignes.size(); ++i) {
        const QString& l = lignes[i];
        for (qsizetype p = l.indexOf(cle); p >= 0; p = l.indexOf(cle, p + 1)) {
            const qsizetype fin = p + cle.size();
            const bool debutOk = p == 0 || l[p - 1] == QLatin1Char(' ');
            const bool finOk = fin == l.size() || l[fin] == QLatin1Char(' ');
            if (debutOk && finOk)
                return i;
        }
    }
    return -1;
}

// Takes the SN for good, just before it goes into the card: under the lock,
// re-reads the header (another station may have advanced it since the
// forecast), refuses an SN already traced, and writes the new header to disk.
// `premierSN` is the SN typed for an empty file, empty otherwise.
bool ReserveSN(Poste& poste, const QString& chemin, const QString& premierSN, QString& sn) {
    VerrouSNcarte verrou(chemin);
    if (!verrou.pris()) {
        poste.operateur().Boite(verrou.raison(chemin), {}, Icone::Critique);
        return false;
    }
    QStringList lignes;
    if (!LitFichierSN(poste, chemin, lignes))
        return false;
    const bool vide = lignes.isEmpty();
    if (!premierSN.isEmpty()) {
        if (!vide) {
            poste.operateur().Boite(QStringLiteral("un autre poste a commence la serie de ") +
                                        chemin +
                                        QStringLiteral(" pendant la saisie du premier SN") + CR +
                                        QStringLiteral("SN ") + premierSN +
                                        QStringLiteral(" non attribue, recommencez"),
                                    {}, Icone::Critique);
            return false;
        }
        sn = premierSN;
    } else {
        if (vide) {
            poste.operateur().Boite(chemin + QStringLiteral(" a ete vide par un autre programme") +
                                        CR + QStringLiteral("aucun SN attribue, recommencez"),
                                    {}, Icone::Critique);
            return false;
        }
        QString dernier;
        if (!DernierSNdeLEnTete(poste, chemin, lignes.first(), dernier))
            return false;
        sn = IncrementeSN(dernier);
    }

    const int doublon = LigneDonnantSN(lignes, sn);
    if (doublon >= 0) {
        poste.operateur().Boite(
            QStringLiteral("le SN ") + sn + QStringLiteral(" est deja attribue dans ") + chemin +
                QStringLiteral(", ligne ") + QString::number(doublon + 1) + QStringLiteral(":") +
                CR + lignes[doublon] + CR + QStringLiteral("aucun SN attribue"),
            {}, Icone::Critique);
        return false;
    }

    const QString entete = EnTeteSNcarte(sn, QDateTime::currentDateTime());
    QString erreur;
    bool ecrit = false;
    if (vide) {
        ecrit = AjouteLigneTrace(chemin, entete, &erreur);
    } else if (VersWindows1252(lignes.first()).size() == VersWindows1252(entete).size()) {
        ecrit = EcritEnTeteTrace(chemin, entete, &erreur);
    } else {
        // A header of another length (older station, hand edit) would eat
        // into line 2 if overwritten in place.
        lignes.first() = entete;
        ecrit = RemplaceFichierTrace(chemin, lignes, &erreur);
    }
    if (!ecrit) {
        poste.operateur().Boite(QStringLiteral("impossible d'ecrire dans ") + chemin + CR + erreur +
                                    CR + QStringLiteral("aucun SN attribue"),
                                {}, Icone::Critique);
        return false;
    }
    return true;
}

bool AjouteLigneSN(const QString& chemin, const QString& ligne, QString& erreur) {
    VerrouSNcarte verrou(chemin);
    if (!verrou.pris()) {
        erreur = verrou.raison(chemin);
        return false;
    }
    return AjouteLigneTrace(chemin, ligne, &erreur);
}

} // namespace

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

QString NomCarteEcrit(const QString& nomCarteFuture) {
    const QString nom =
        nomCarteFuture.isEmpty() ? QStringLiteral("A50") : nomCarteFuture; // start-up default
    QChar second = QLatin1Char('0');
    if (nom.size() >= 2 && nom[1] >= QLatin1Char('0') && nom[1] <= QLatin1Char('9'))
        second = nom[1];
    return QString(nom[0]) + second;
}

QString CodeTypeCarte(const QString& typeRail) {
    if (typeRail == QLatin1String("R08"))
        return QStringLiteral("C8");
    if (typeRail == QLatin1String("R11"))
        return QStringLiteral("C1");
    return QStringLiteral("C0");
}

QString HorodatageTrace(const QDateTime& quand) {
    return quand.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
}

QString EnTeteSNcarte(const QString& sn, const QDateTime& quand) {
    return QStringLiteral("dernier SN: ") + sn + QStringLiteral("  ") + HorodatageTrace(quand);
}

void AttribueSNcarte(Poste& poste) {
    const QString chemin =
        Plateforme::CheminDans(poste.reglages.CheminProg, QStringLiteral("SNcarte.txt"));
    Operateur& op = poste.operateur();

    if (!CarteConnectee(poste, {.info = QStringLiteral("abandon SN (Time Out Carte)"),
                                .icone = Icone::Critique}))
        return;
    QString version;

    poste.ArretDemande = false;
    {
        PortCarteOuvert port(poste);
        lectReponseAutomate(poste, 20);
    }

    poste.AfficheInfo(QStringLiteral("TEST IR ..."));
    LaisseTourner(QEventLoop::ExcludeUserInputEvents);
    QString versionTest;
    const QString resultatIR = TestIRAutonome(poste, versionTest);

    poste.AfficheInfo(Msg[2]);
    poste.AfficheInfo(Msg[2] + QStringLiteral("R08"));
    QString typeTeste = QStringLiteral("R08");
    QString typeTrouve, motif1;
    const QString resultat1 =
        TestPresenceEA(poste, versionTest, motif1, QStringLiteral("R08"), typeTrouve);
    QString resultatEA = resultat1;
    if (!TestReussi(resultat1)) {
        typeTeste = QStringLiteral("R11");
        poste.AfficheInfo(Msg[2] + QStringLiteral("R11"));
        QString motif2;
        const QString resultat2 =
            TestPresenceEA(poste, versionTest, motif2, QStringLiteral("R11"), typeTrouve);
        // Of two failed runs, the one that saw more of the rail tells more.
        if (TestReussi(resultat2) || motif1 < motif2)
            resultatEA = resultat2;
        else
            typeTeste = QStringLiteral("R08");
    }

    const bool irOk = TestReussi(resultatIR);
    const bool eaOk = TestReussi(resultatEA);
    if (!irOk || !eaOk) {
        const QString resume =
            (irOk ? QStringLiteral("IR ok") : resultatIR) + CR +
            (eaOk ? QStringLiteral("EA ok") : resultatEA) +
            (eaOk ? QStringLiteral(" (test with") : QStringLiteral(" (test with ")) + typeTeste +
            QStringLiteral(")") + CR;
        poste.AfficheInfo(resume);
        if (!op.OuiNon(Msg[3] + CR + CR + resume + CR + Msg[4], Msg[5], Icone::Exclamation, true)) {
            poste.AfficheInfo(Msg[6]);
            return;
        }
    }

    // Forecast of the next SN; it is taken for good only just before the write.
    poste.AfficheInfo(Msg[7]);
    if (!QFileInfo::exists(chemin)) {
        op.Boite(QStringLiteral("impossible de lire ") + chemin +
                     QStringLiteral(" (fichier ou dossier introuvable)") + CR +
                     QStringLiteral("aucun SN attribue"),
                 {}, Icone::Critique);
        return;
    }
    QString sn, premierSN;
    bool vide = false;
    {
        VerrouSNcarte verrou(chemin);
        if (!verrou.pris()) {
            op.Boite(verrou.raison(chemin), {}, Icone::Critique);
            return;
        }
        QStringList lignes;
        if (!LitFichierSN(poste, chemin, lignes))
            return;
        vide = lignes.isEmpty();
        if (!vide) {
            QString dernier;
            if (!DernierSNdeLEnTete(poste, chemin, lignes.first(), dernier))
                return;
            sn = IncrementeSN(dernier);
        }
    }
    if (vide) {
        const QString reponse = op.Saisie(Msg[8], Msg[9], QString());
        if (reponse.size() != 4)
            return;
        for (const QChar c : reponse) {
            if (!kAlphabetSN.contains(c)) {
                op.Boite(QString(c) + Msg[10]);
                return;
            }
        }
        premierSN = sn = reponse;
    }

    poste.AfficheInfo(Msg[11] + QStringLiteral("= ") + sn);

    {
        PortCarteOuvert port(poste);
        QByteArray reponse = EnvoiEtReponseMorvane2(poste, "V##", 500);
        if (EstErreur(reponse)) {
            op.Boite(Msg[12] + CR + Texte(reponse), {}, Icone::Critique);
        } else if (const QString ancien = Texte(reponse); ReserveSN(poste, chemin, premierSN, sn)) {
            const QString nomEcrit = NomCarteEcrit(poste.reglages.NomCarteFuture);
            // Dated when written, after the card has answered.
            const QString suiteLigne =
                QStringLiteral(" - ") + poste.reglages.CodeUsine + QStringLiteral(" ") +
                poste.reglages.CodeOperateur + QStringLiteral(" SN=") + sn +
                QStringLiteral(" - (") + poste.reglages.NomCarteFuture +
                QStringLiteral(") - ancien=") + ancien + QStringLiteral(" ") + resultatIR +
                QStringLiteral("  ") + resultatEA;
            const auto ligne = [&] {
                return HorodatageTrace(QDateTime::currentDateTime()) + suiteLigne;
            };

            // From here the SN is given: a failure records it as lost, so
            // that the next card gets the next one.
            QString echec, detailEchec;
            version.clear();
            poste.AfficheInfo(QStringLiteral("ecrit SN= ") + sn);
            reponse =
                EnvoiEtReponseMorvane2(poste, "Y##" + nomEcrit.toLatin1() + sn.toLatin1(), 500);
            if (EstErreur(reponse)) {
                echec = Msg[12] + CR + Texte(reponse);
            } else {
                poste.AfficheInfo(Msg[13]);
                reponse = EnvoiEtReponseMorvane2(poste, "V" + nomEcrit.toLatin1(), 500);
                if (EstErreur(reponse)) {
                    echec = Msg[14] + CR + Texte(reponse);
                } else if (const qsizetype crochet = reponse.indexOf('['); crochet >= 0) {
                    const QString snLu = Texte(reponse.mid(crochet + 1, 4));
                    if (snLu != sn) {
                        echec = Msg[15];
                        detailEchec = QStringLiteral(" (SN lu: ") + snLu + QStringLiteral(")");
                    } else {
                        version = Texte(reponse.left(crochet));
                    }
                }
            }

            if (!echec.isEmpty()) {
                QString erreur;
                const QString perdu = QString(echec).replace(CR, QStringLiteral(" "));
                const bool trace = AjouteLigneSN(
                    chemin, ligne() + QStringLiteral("  ** SN perdu: ") + perdu + detailEchec,
                    erreur);
                op.Boite(echec, {}, Icone::Critique);
                if (!trace)
                    op.Boite(QStringLiteral("le SN ") + sn +
                                 QStringLiteral(" perdu n'a pas pu etre note dans ") + chemin + CR +
                                 erreur,
                             {}, Icone::Critique);
            } else {
                poste.AfficheInfo(Msg[16] + QStringLiteral("= ") + sn);
                QString erreur;
                if (!AjouteLigneSN(chemin, ligne(), erreur)) {
                    // No label for an SN the trace does not hold.
                    op.Boite(
                        QStringLiteral("le SN ") + sn +
                            QStringLiteral(" est dans la carte mais n'a pas pu etre note dans ") +
                            chemin + CR + erreur + CR + QStringLiteral("pas d'etiquette"),
                        {}, Icone::Critique);
                } else {
                    poste.AfficheDernierSN(Msg[17] + QStringLiteral("=") + sn);
                    const QString codeSemaine = CodeSemaine(QDate::currentDate());
                    const QString codeType = CodeTypeCarte(typeTrouve);
                    const Etiquette etiquette{.titre = QStringLiteral("Morvane 2  Ct Plateau"),
                                              .codeType = codeType,
                                              .sn = sn,
                                              .codeSemaine = codeSemaine,
                                              .codeUsine = poste.reglages.CodeUsine,
                                              .codeOperateur = poste.reglages.CodeOperateur,
                                              .versionFW = version,
                                              .resultatEA =
                                                  resultatEA + QStringLiteral(" ") + typeTrouve,
                                              .resultatIR = resultatIR,
                                              .resultatLed = QStringLiteral("no test")};
                    const QString codeProduit = etiquette.codeProduit();
                    EditeEtiquette(poste, etiquette);
                    poste.AfficheInfo(Msg[18] + QStringLiteral(" ") + codeProduit);
                    op.Boite(Msg[18] + CR + CR + codeProduit);
                }
            }
        }
    }
    poste.AfficheInfo(QString());
}
