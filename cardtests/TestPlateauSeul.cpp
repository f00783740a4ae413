#include "TestPlateauSeul.h"

#include "AttribueSNcarte.h"
#include "EditeEtiquette.h"
#include "EtapesFlux.h"
#include "FichierTrace.h"
#include "IdentiteCarte.h"
#include "LiaisonCarte.h"
#include "ModuleTraductions.h"
#include "PassageJournal.h"
#include "Plateforme.h"
#include "ResultatTest.h"
#include "Temps.h"
#include "TestIR.h"
#include "TestLedAlim.h"
#include "TestPresenceEA.h"
#include "TypesRail.h"

#include <QCoreApplication>
#include <QDate>
#include <QVariant>
#include <utility>

namespace {

const QString CR = QStringLiteral("\r");

enum class Fin {
    Normale,
    Abandon,  // the operator cancelled (or EA 1 is missing for the discharge)
    SansCarte // no card: already told, nothing more to do
};

// EA n is character 33 - n of the pattern.
bool EAPresent(const QString& motif, int n) {
    const qsizetype i = 32 - n;
    return i >= 0 && i < motif.size() && motif[i] == QLatin1Char('1');
}

struct Resultats {
    QString nomCarte, version, sn;
    QString ir, ea, motif, typeTrouve, led, alim;
    bool irOk() const { return TestReussi(ir); }
    bool eaOk() const { return TestReussi(ea); }
    bool ledOk() const { return TestReussi(led); }
    bool alimOk() const { return TestReussi(alim); }
};

void Defaut(Poste& poste, int message) {
    poste.Message(Msg[message], 0, QStringLiteral("INTERDIT"));
    timePause(2);
}

// Every present EA fired for real, twice.
Fin TestReelEA(Poste& poste, const Resultats& r) {
    poste.Message(Msg[35]);
    timePause(1);
    PortCarteOuvert port(poste);
    for (int passe = 0; passe < 2; ++passe) {
        for (int n = 1; n <= 32; ++n) {
            if (EAPresent(r.motif, n)) {
                const QString texte = Msg[36] + QStringLiteral(" ") + QString::number(n);
                poste.Message(texte);
                poste.AfficheInfo(texte);
                LaisseTourner(QEventLoop::ExcludeUserInputEvents);
                EnvoiEtReponseMorvane2(
                    poste, "E##" + QByteArray(1, static_cast<char>(48 + n)) + "0ACD10", 600);
                timePause(0.05f);
            }
            if (poste.ArretDemande)
                return Fin::Abandon;
        }
        timePause(0.3f);
    }
    port.ferme();
    if (!r.ledOk())
        Defaut(poste, 37);
    return Fin::Normale;
}

// All 32 rear LEDs, then eight by eight. A cancel is looked at before each
// group's pause: found there it only skips the groups left; found after the
// last group it abandons the run.
Fin TestReelLedAR(Poste& poste, const Resultats& r) {
    poste.LegendeBtCancel(Msg[38]);
    poste.Message(Msg[39] + QStringLiteral(" ...."));
    PortCarteOuvert port(poste);
    EnvoiEtReponseMorvane2(poste, "D**T", 100);
    poste.Message(Msg[39] + QStringLiteral(" (1 à 32) ...."), 0, QStringLiteral("TIMER"));
    EnvoiEtReponseMorvane2(poste, "D##C01P", 500);
    if (poste.ArretDemande)
        return Fin::Abandon;
    timePause(3);
    poste.Message(Msg[39] + QStringLiteral(" (1 à 8) ...."), 0, QStringLiteral("TIMER"));
    EnvoiEtReponseMorvane2(poste, "D##C018", 500);

    struct Groupe {
        const char* legende;
        QByteArray commande;
    };
    const Groupe groupes[] = {{" (9 à 16) ....", "D##C098"},
                              {" (17 à 24) ....", "D##C0A8"},
                              {" (25 à 32) ....", "D##C0I8"}};
    bool sautes = false;
    for (const Groupe& g : groupes) {
        if (poste.ArretDemande) {
            sautes = true;
            break;
        }
        timePause(2);
        poste.Message(Msg[39] + QString::fromUtf8(g.legende), 0, QStringLiteral("TIMER"));
        EnvoiEtReponseMorvane2(poste, g.commande, 500);
    }
    if (!sautes) {
        if (poste.ArretDemande)
            return Fin::Abandon;
        timePause(2);
        EnvoiEtReponseMorvane2(poste, "D**T", 500);
        if (!r.ledOk())
            Defaut(poste, 37);
    }
    port.ferme();
    poste.FermeMessage();
    return Fin::Normale;
}

// The box shown when the trace file did not take the record; empty when it did.
QString EcritRecord(Poste& poste, const Resultats& r, const QString& typeDemande) {
    const Reglages& g = poste.reglages;
    QString premiere = HorodatageTrace(QDateTime::currentDateTime()) + QStringLiteral(" - ") +
                       g.CodeUsine + QStringLiteral(" ") + g.CodeOperateur +
                       QStringLiteral(" SN=") + r.sn + QStringLiteral(" - (") + r.nomCarte +
                       QStringLiteral(") - FW: ") + r.version + QStringLiteral(" ");
    if (r.irOk())
        premiere += QStringLiteral("   ") + r.ir;
    if (r.eaOk())
        premiere +=
            QStringLiteral("   ") + r.ea + QStringLiteral("(") + typeDemande + QStringLiteral(")");
    if (r.ledOk())
        premiere += QStringLiteral("   ") + r.led;
    QStringList lignes{premiere};
    const QString marge(16, QLatin1Char(' '));
    if (!r.irOk())
        lignes << marge + r.ir;
    if (!r.eaOk())
        lignes << marge + r.ea + QStringLiteral("  demande: (") + typeDemande + QStringLiteral(")");
    if (!r.ledOk())
        lignes << marge + r.led;

    // One write for the whole record, so that a station sharing the file
    // cannot slip a line into it.
    const QString chemin =
        Plateforme::CheminDans(g.CheminProg, QStringLiteral("TestPlateauSeul.txt"));
    QString erreur;
    if (AjouteLigneTrace(chemin, lignes.join(QStringLiteral("\r\n")), &erreur))
        return {};
    const QString boite = QStringLiteral("impossible d'ecrire dans ") + chemin + CR + erreur;
    poste.operateur().Boite(boite, {}, Icone::Critique);
    return boite;
}

void ProposeEtiquette(Poste& poste, const Resultats& r) {
    const QString partieNom = r.nomCarte != QLatin1String("inconnu")
                                  ? QStringLiteral("    nom Carte:") + r.nomCarte
                                  : QString();
    const QString titre = Msg[41] + QStringLiteral("    FW:") + r.version +
                          QStringLiteral("     SN:") + r.sn + partieNom;
    const QString texte = r.ir + CR + r.ea + CR + r.led + CR + r.alim + CR + CR + Msg[40];
    if (!poste.operateur().OuiNon(texte, titre))
        return;
    EditeEtiquette(poste, {.titre = QStringLiteral("Morvane 2 Plateau ") + r.typeTrouve,
                           .codeType = QStringLiteral("P") + LettreTypePlateau(r.typeTrouve),
                           .sn = r.sn,
                           .codeSemaine = CodeSemaine(QDate::currentDate()),
                           .codeUsine = poste.reglages.CodeUsine,
                           .codeOperateur = poste.reglages.CodeOperateur,
                           .versionFW = r.version,
                           .nomCarte = r.nomCarte,
                           .resultatEA = r.ea,
                           .resultatIR = r.ir,
                           .resultatLed = r.led});
    poste.AfficheInfo(Msg[42] + QStringLiteral(": ") + r.sn);
    poste.operateur().Boite(Msg[42] + CR + CR + r.sn);
}

// Fires EA 1 until the card stops answering: the operator has switched the
// tray supply off and its capacitors are drained.
Fin Decharge(Poste& poste, const Resultats& r) {
    PortCarteOuvert port(poste);
    int compte = 1;
    while (!poste.ArretDemande) {
        if (EAPresent(r.motif, 1)) {
            poste.Message(Msg[43] + QStringLiteral(" ") + QString::number(compte));
            poste.AfficheInfo(QStringLiteral("Active l' Electo-aimant ") + QStringLiteral("1") +
                              QStringLiteral(" pour décharger l'alim") + QString::number(compte));
            LaisseTourner(QEventLoop::ExcludeUserInputEvents);
            if (EstErreur(EnvoiEtReponseMorvane2(poste, "E##10FFF10", 600)))
                break;
        } else {
            poste.AfficheInfo(QStringLiteral("Pas d'electro Aimant n°1"));
            poste.ArretDemande = true;
        }
        if (poste.ArretDemande) {
            return Fin::Abandon;
        }
        timePause(0.5f);
        ++compte;
    }
    port.ferme();
    poste.AfficheInfo(QString());
    return Fin::Normale;
}

Fin Deroule(Poste& poste, const QString& typeDemande, PassageJournal& journal) {
    const IdentiteCarte carte = IdentifieCarte(poste, "##");
    if (!carte.trouvee()) {
        if (poste.ArretDemande)
            return Fin::Abandon;
        journal.carteAbsente();
        poste.FermeMessage();
        SignaleCarteAbsente(
            poste, carte,
            {.info = QStringLiteral("abandon (Time Out Carte)"), .icone = Icone::Critique});
        poste.MontreBtCancel(false);
        return Fin::SansCarte;
    }
    Resultats r;
    r.nomCarte = carte.nom;
    r.version = carte.version;
    r.sn = carte.sn;
    journal.carte(r.sn, r.nomCarte, r.version);

    poste.LegendeBtCancel(Msg[29]);
    poste.ArretDemande = false;
    {
        PortCarteOuvert port(poste);
        lectReponseAutomate(poste, 20);
    }

    // The elementary tests report their own version text; the record keeps
    // the one of the identity.
    QString versionTest;
    poste.Message(Msg[30], 0, QStringLiteral("CAMCORD"));
    poste.AfficheInfo(QStringLiteral("TEST IR ..."));
    QList<MesureJournal> mesures;
    r.ir = TestIRAutonome(poste, versionTest, &mesures);
    journal.resultat(r.ir, std::exchange(mesures, {}));
    if (poste.ArretDemande)
        return Fin::Abandon;

    poste.Message(Msg[31], 0, QStringLiteral("THERLFT"));
    poste.AfficheInfo(QStringLiteral("Test présence EA ...."));
    r.ea = TestPresenceEA(poste, versionTest, r.motif, typeDemande, r.typeTrouve, &mesures);
    journal.resultat(r.ea, std::exchange(mesures, {}));
    if (poste.ArretDemande)
        return Fin::Abandon;

    poste.Message(Msg[32], 0, QStringLiteral("MOON"));
    poste.AfficheInfo(QStringLiteral("Test Présence Led AR ...."));
    r.led = TestPresenceLedAR(poste, versionTest, &mesures);
    journal.resultat(r.led, std::exchange(mesures, {}));
    if (poste.ArretDemande)
        return Fin::Abandon;

    poste.Message(Msg[186], 0, QStringLiteral("MOON"));
    poste.AfficheInfo(Msg[186]);
    r.alim = TestAlimentation(poste, &mesures);
    journal.resultat(r.alim, std::exchange(mesures, {}));
    if (poste.ArretDemande)
        return Fin::Abandon;

    poste.AfficheInfo(QStringLiteral("Fin Test Autonome"));
    if (!r.alimOk())
        Defaut(poste, 187);
    if (!r.irOk())
        Defaut(poste, 33);

    if (typeDemande != r.typeTrouve) {
        const QString detail = r.typeTrouve == QLatin1String("Rinconnu")
                                   ? QStringLiteral("(") + r.ea.mid(26, 35) + QStringLiteral(")")
                                   : QString();
        const QString cinq(5, QLatin1Char(' '));
        poste.operateur().Boite(Msg[182] + CR + cinq + Msg[183] + QStringLiteral(" ") +
                                    r.typeTrouve + QStringLiteral("  ") + detail + CR + cinq +
                                    Msg[184] + QStringLiteral(" ") + typeDemande,
                                {}, Icone::Critique);
    } else {
        if (TestReelEA(poste, r) == Fin::Abandon)
            return Fin::Abandon;
        if (TestReelLedAR(poste, r) == Fin::Abandon)
            return Fin::Abandon;
    }

    if (const QString boite = EcritRecord(poste, r, typeDemande); !boite.isEmpty())
        journal.echec(boite, QStringLiteral("trace"));
    journal.fin();
    if (r.eaOk())
        ProposeEtiquette(poste, r);
    return Decharge(poste, r);
}

} // namespace

QString DernierTypePlateau(const Poste& poste) {
    return poste.memoire.dernierTypePlateau;
}

void BtTestPlateauSeul_Click(Poste& poste) {
    const QString reponse =
        poste.operateur()
            .Saisie(Msg[180] + CR + CR + QStringLiteral("R08,R08S,R11,R13,R15,R18,R21,R30"),
                    Msg[181], DernierTypePlateau(poste))
            .trimmed();
    if (reponse.isEmpty())
        return;
    const QString typeDemande = reponse.toUpper();
    poste.memoire.dernierTypePlateau = typeDemande;

    poste.MontreBtCancel(true);
    PassageJournal journal(poste, QStringLiteral("TestPlateauSeul"));
    const Fin fin = Deroule(poste, typeDemande, journal);
    if (fin == Fin::SansCarte)
        return;
    if (fin == Fin::Abandon)
        poste.AfficheInfo(Msg[44]);
    poste.MontreBtCancel(false);
    poste.LegendeBtCancel(Msg[45]);
    poste.FermeMessage();
}
