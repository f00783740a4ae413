#include "AttribueSNcarte.h"

#include "EditeEtiquette.h"
#include "EtapesFlux.h"
#include "LiaisonCarte.h"
#include "ModuleTraductions.h"
#include "PassageJournal.h"
#include "Plateforme.h"
#include "ResultatTest.h"
#include "Temps.h"
#include "TestIR.h"
#include "TestPresenceEA.h"
#include "Windows1252.h"

#include <QDate>

namespace {

const QString CR = QStringLiteral("\r");

QString Texte(const QByteArray& reponse) {
    return DepuisWindows1252(reponse);
}

struct Verdicts {
    QString ir, ea;
    QList<MesureJournal> mesuresIR, mesuresEA; // of the kept runs
    QString typeTeste = QStringLiteral("R08"); // the rail the kept EA run looked for
    QString typeTrouve;                        // the rail the last EA run found
};

// The IR auto-test, then the EA presence as an R08 rail, or as an R11 one
// when that fails.
Verdicts TesteCarte(Poste& poste) {
    Verdicts v;
    poste.AfficheInfo(QStringLiteral("TEST IR ..."));
    LaisseTourner(QEventLoop::ExcludeUserInputEvents);
    QString versionTest;
    v.ir = TestIRAutonome(poste, versionTest, &v.mesuresIR);

    poste.AfficheInfo(Msg[2]);
    poste.AfficheInfo(Msg[2] + QStringLiteral("R08"));
    QString motif1;
    v.ea = TestPresenceEA(poste, versionTest, motif1, QStringLiteral("R08"), v.typeTrouve,
                          &v.mesuresEA);
    if (!TestReussi(v.ea)) {
        poste.AfficheInfo(Msg[2] + QStringLiteral("R11"));
        QString motif2;
        QList<MesureJournal> mesures2;
        const QString ea2 = TestPresenceEA(poste, versionTest, motif2, QStringLiteral("R11"),
                                           v.typeTrouve, &mesures2);
        // Of two failed runs, the one that saw more of the rail tells more.
        if (TestReussi(ea2) || motif1 < motif2) {
            v.ea = ea2;
            v.mesuresEA = mesures2;
            v.typeTeste = QStringLiteral("R11");
        }
    }
    return v;
}

// A card with a defect gets an SN only when the operator says so.
bool AccepteDefauts(Poste& poste, const Verdicts& v) {
    const bool irOk = TestReussi(v.ir);
    const bool eaOk = TestReussi(v.ea);
    if (irOk && eaOk)
        return true;
    const QString resume = (irOk ? QStringLiteral("IR ok") : v.ir) + CR +
                           (eaOk ? QStringLiteral("EA ok") : v.ea) +
                           (eaOk ? QStringLiteral(" (test with") : QStringLiteral(" (test with ")) +
                           v.typeTeste + QStringLiteral(")") + CR;
    poste.AfficheInfo(resume);
    if (poste.operateur().OuiNon(Msg[3] + CR + CR + resume + CR + Msg[4], Msg[5],
                                 Icone::Exclamation, true))
        return true;
    poste.AfficheInfo(Msg[6]);
    return false;
}

// Writes the SN and the new name into the card and reads them back. The
// failure text to show (empty when the card holds the SN); version gets the
// firmware text of the read-back.
QString EcritSN(Poste& poste, const QString& sn, QString& version, QString& detail) {
    const QByteArray nom = AdresseNomCarte(NomCarteEcrit(poste.reglages.NomCarteFuture));
    poste.AfficheInfo(QStringLiteral("ecrit SN= ") + sn);
    QByteArray reponse = EnvoiEtReponseMorvane2(poste, "Y##" + nom + sn.toLatin1(), 500);
    if (EstErreur(reponse))
        return Msg[12] + CR + Texte(reponse);
    poste.AfficheInfo(Msg[13]);
    reponse = EnvoiEtReponseMorvane2(poste, "V" + nom, 500);
    if (EstErreur(reponse))
        return Msg[14] + CR + Texte(reponse);
    const qsizetype crochet = reponse.indexOf('[');
    if (crochet < 0)
        return {};
    const QString snLu = Texte(reponse.mid(crochet + 1, 4));
    if (snLu != sn) {
        detail = QStringLiteral(" (SN lu: ") + snLu + QStringLiteral(")");
        return Msg[15];
    }
    version = Texte(reponse.left(crochet));
    return {};
}

void ImprimeEtiquette(Poste& poste, const QString& sn, const QString& version, const Verdicts& v) {
    const Etiquette etiquette{.titre = QStringLiteral("Morvane 2  Ct Plateau"),
                              .codeType = CodeTypeCarte(v.typeTrouve),
                              .sn = sn,
                              .codeSemaine = CodeSemaine(QDate::currentDate()),
                              .codeUsine = poste.reglages.CodeUsine,
                              .codeOperateur = poste.reglages.CodeOperateur,
                              .versionFW = version,
                              .resultatEA = v.ea + QStringLiteral(" ") + v.typeTrouve,
                              .resultatIR = v.ir,
                              .resultatLed = QStringLiteral("no test")};
    EditeEtiquette(poste, etiquette);
    poste.AfficheInfo(Msg[18] + QStringLiteral(" ") + etiquette.codeProduit());
    poste.operateur().Boite(Msg[18] + CR + CR + etiquette.codeProduit());
}

} // namespace

QString NomCarteEcrit(const QString& nomCarteFuture) {
    // An empty setting is the start-up default.
    return DepuisWindows1252(
        AdresseNomCarte(nomCarteFuture.isEmpty() ? QStringLiteral("A50") : nomCarteFuture));
}

QString CodeTypeCarte(const QString& typeRail) {
    if (typeRail == QLatin1String("R08"))
        return QStringLiteral("C8");
    if (typeRail == QLatin1String("R11"))
        return QStringLiteral("C1");
    return QStringLiteral("C0");
}

void AttribueSNcarte(Poste& poste) {
    const Reglages& r = poste.reglages;
    Operateur& op = poste.operateur();
    PassageJournal journal(poste, QStringLiteral("AttribueSNcarte"));
    const auto identite = CarteConnectee(
        poste, {.info = QStringLiteral("abandon SN (Time Out Carte)"), .icone = Icone::Critique});
    if (!identite) {
        journal.carteAbsente();
        return;
    }
    journal.carte(identite->sn, identite->nom, identite->version);
    poste.ArretDemande = false;
    {
        PortCarteOuvert port(poste);
        lectReponseAutomate(poste, 20);
    }

    const Verdicts verdicts = TesteCarte(poste);
    journal.resultat(verdicts.ir, verdicts.mesuresIR);
    journal.resultat(verdicts.ea, verdicts.mesuresEA);
    if (!AccepteDefauts(poste, verdicts))
        return;

    // Forecast of the next SN; it is taken for good only just before the write.
    poste.AfficheInfo(Msg[7]);
    SerieSN serie(poste, Plateforme::CheminDans(r.CheminProg, QStringLiteral("SNcarte.txt")),
                  TextesSerieSN{Msg[8], Msg[9], Msg[10]});
    const auto prevision = serie.Prevoit();
    if (!prevision) {
        // The series said why in its box; the card has no SN.
        journal.echec({}, QStringLiteral("serie SN"));
        return;
    }
    poste.AfficheInfo(Msg[11] + QStringLiteral("= ") + prevision->sn);

    {
        PortCarteOuvert port(poste);
        const QByteArray ancien = EnvoiEtReponseMorvane2(poste, "V##", 500);
        if (EstErreur(ancien)) {
            journal.echec(Msg[12] + CR + Texte(ancien), QStringLiteral("ecriture SN"));
            op.Boite(Msg[12] + CR + Texte(ancien), {}, Icone::Critique);
        } else if (const auto sn = serie.Reserve(*prevision)) {
            // Dated when written, after the card has answered.
            const QString suite =
                QStringLiteral(" - ") + r.CodeUsine + QStringLiteral(" ") + r.CodeOperateur +
                QStringLiteral(" SN=") + *sn + QStringLiteral(" - (") + r.NomCarteFuture +
                QStringLiteral(") - ancien=") + Texte(ancien) + QStringLiteral(" ") + verdicts.ir +
                QStringLiteral("  ") + verdicts.ea;
            const auto ligne = [&] {
                return HorodatageTrace(QDateTime::currentDateTime()) + suite;
            };

            // From here the SN is given: a failure records it as lost, so
            // that the next card gets the next one.
            QString version, detail, erreur;
            if (const QString echec = EcritSN(poste, *sn, version, detail); !echec.isEmpty()) {
                const bool note = serie.NoteSNperdu(ligne(), echec + detail, erreur);
                journal.carte(*sn);
                journal.echec(echec + detail, QStringLiteral("ecriture SN"));
                op.Boite(echec, {}, Icone::Critique);
                if (!note)
                    op.Boite(QStringLiteral("le SN ") + *sn +
                                 QStringLiteral(" perdu n'a pas pu etre note dans ") +
                                 serie.chemin() + CR + erreur,
                             {}, Icone::Critique);
            } else if (poste.AfficheInfo(Msg[16] + QStringLiteral("= ") + *sn);
                       !serie.AjouteLigne(ligne(), erreur)) {
                journal.echec(erreur, QStringLiteral("trace"));
                // No label for an SN the trace does not hold.
                op.Boite(QStringLiteral("le SN ") + *sn +
                             QStringLiteral(" est dans la carte mais n'a pas pu etre note dans ") +
                             serie.chemin() + CR + erreur + CR + QStringLiteral("pas d'etiquette"),
                         {}, Icone::Critique);
            } else {
                poste.AfficheDernierSN(Msg[17] + QStringLiteral("=") + *sn);
                ImprimeEtiquette(poste, *sn, version, verdicts);
                journal.carte(*sn, {}, version);
                journal.fin();
            }
        } else {
            journal.echec({}, QStringLiteral("serie SN"));
        }
    }
    poste.AfficheInfo(QString());
}
