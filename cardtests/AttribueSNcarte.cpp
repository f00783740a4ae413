#include "AttribueSNcarte.h"

#include "EditeEtiquette.h"
#include "FichierTrace.h"
#include "IdentiteCarte.h"
#include "LiaisonCarte.h"
#include "ModuleTraductions.h"
#include "Plateforme.h"
#include "Temps.h"
#include "TestsElementaires.h"

#include <QCoreApplication>
#include <QDate>

namespace {

const QString CR = QStringLiteral("\r");

QString Texte(const QByteArray& reponse) {
    return DepuisWindows1252(reponse);
}

} // namespace

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

void AttribueSNcarte(Poste& poste) {
    const QString chemin =
        Plateforme::CheminDans(poste.reglages.CheminProg, QStringLiteral("SNcarte.txt"));
    Operateur& op = poste.operateur();

    QString nomCarte, version, snCarte, versionCouche;
    IdentifieCarte(poste, "##", nomCarte, version, snCarte, versionCouche);
    if (version.startsWith(QLatin1String("Err:"))) {
        poste.AfficheInfo(QStringLiteral("abandon SN (Time Out Carte)"));
        op.Boite(Msg[1], {}, Icone::Critique);
        return;
    }

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
    if (!resultat1.startsWith(QLatin1String("EA ok"))) {
        typeTeste = QStringLiteral("R11");
        poste.AfficheInfo(Msg[2] + QStringLiteral("R11"));
        QString motif2;
        const QString resultat2 =
            TestPresenceEA(poste, versionTest, motif2, QStringLiteral("R11"), typeTrouve);
        // Of two failed runs, the one that saw more of the rail tells more.
        if (resultat2.startsWith(QLatin1String("EA ok")) || motif1 < motif2)
            resultatEA = resultat2;
        else
            typeTeste = QStringLiteral("R08");
    }

    const bool irOk = resultatIR.startsWith(QLatin1String("IR ok"));
    const bool eaOk = resultatEA.startsWith(QLatin1String("EA ok"));
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
    SerieSN serie(poste, chemin, TextesSerieSN{Msg[8], Msg[9], Msg[10]});
    const auto prevision = serie.Prevoit();
    if (!prevision)
        return;
    QString sn = prevision->sn;

    poste.AfficheInfo(Msg[11] + QStringLiteral("= ") + sn);

    {
        PortCarteOuvert port(poste);
        QByteArray reponse = EnvoiEtReponseMorvane2(poste, "V##", 500);
        if (EstErreur(reponse)) {
            op.Boite(Msg[12] + CR + Texte(reponse), {}, Icone::Critique);
        } else if (const QString ancien = Texte(reponse);
                   const auto reserve = serie.Reserve(*prevision)) {
            sn = *reserve;
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
                const bool trace = serie.NoteSNperdu(ligne(), echec + detailEchec, erreur);
                op.Boite(echec, {}, Icone::Critique);
                if (!trace)
                    op.Boite(QStringLiteral("le SN ") + sn +
                                 QStringLiteral(" perdu n'a pas pu etre note dans ") + chemin + CR +
                                 erreur,
                             {}, Icone::Critique);
            } else {
                poste.AfficheInfo(Msg[16] + QStringLiteral("= ") + sn);
                QString erreur;
                if (!serie.AjouteLigne(ligne(), erreur)) {
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
                    const QString codeProduit = codeType + QStringLiteral("-") + sn +
                                                QStringLiteral("-") + codeSemaine +
                                                QStringLiteral("-") + poste.reglages.CodeUsine +
                                                poste.reglages.CodeOperateur;
                    EditeEtiquette(poste, QStringLiteral("Morvane 2  Ct Plateau"), codeType, sn,
                                   codeSemaine, poste.reglages.CodeUsine,
                                   poste.reglages.CodeOperateur, version, QString(),
                                   resultatEA + QStringLiteral(" ") + typeTrouve, resultatIR,
                                   QStringLiteral("no test"));
                    poste.AfficheInfo(Msg[18] + QStringLiteral(" ") + codeProduit);
                    op.Boite(Msg[18] + CR + CR + codeProduit);
                }
            }
        }
    }
    poste.AfficheInfo(QString());
}
