// The single tray test on the simulated card bus: what is fired and lit, the
// record in "TestPlateauSeul.txt", the tray label, the discharge loop.
#include "BancCarte.h"
#include "EditeEtiquette.h"
#include "LiaisonCarte.h"
#include "TestPlateauSeul.h"
#include "TracesTest.h"

#include <QFile>
#include <QRegularExpression>
#include <QtTest>
#include <functional>

namespace {

const QByteArray kR08sans3 = "00000000000000001111111111111011";
const QByteArray kR08S = "00000000000000001010101010101010";
const QByteArray kDebutRecord = "JJ/MM/AAAA hh:mm:ss - 0 1 SN=0A1B - (A-1) - FW: PLT2 v2.14 ";
const QString kInvite = QString::fromUtf8("Type de plateau seul à tester ?\r\rR08,R08S,R11,R13,R15,"
                                          "R18,R21,R30");

const QString kRecord = QStringLiteral("TestPlateauSeul.txt");

// The real EA firing: every present EA, two passes.
QList<QByteArray> Tirs(const QList<int>& eas) {
    QList<QByteArray> r;
    for (int passe = 0; passe < 2; ++passe)
        for (int n : eas)
            r << "E##" + QByteArray(1, static_cast<char>(48 + n)) + "0ACD10";
    return r;
}

QList<int> De1a(int dernier, int pas = 1, int premier = 1) {
    QList<int> r;
    for (int n = premier; n <= dernier; n += pas)
        r << n;
    return r;
}

const QList<QByteArray> kSequenceLeds = {"D**T",    "D##C01P", "D##C018", "D##C098",
                                         "D##C0A8", "D##C0I8", "D**T"};

} // namespace

class TstTestPlateauSeul : public QObject {
    Q_OBJECT
private slots:
    // Everything passes; the type typed in lower case is taken in upper case.
    void tousOk() {
        BancCarte<> banc;
        CarteSimulee carte;
        carte.coupureApresDecharges = 2;
        QVERIFY(banc.demarre(carte));
        banc.imprimeDansUnFichier();
        banc.poste->op.repond("r08");
        banc.poste->op.repondOui();
        bool cancelPendantLaBoite = false;
        QString legendePendantLaBoite;
        banc.poste->op.pendantBoite = [&](const OperateurScripte::Echange&) {
            cancelPendantLaBoite = banc.poste->BtCancelVisible();
            legendePendantLaBoite = banc.poste->BtCancelLegende();
        };

        BtTestPlateauSeul_Click(*banc.poste);

        QVERIFY2(banc.poste->op.inattendus.isEmpty(),
                 qPrintable(banc.poste->op.inattendus.join('\n')));
        const auto& e = banc.poste->op.echanges;
        QCOMPARE(e.size(), 3);
        QCOMPARE(e[0].texte, kInvite);
        QCOMPARE(e[0].titre, QString("TEST PLATEAU SEUL COMPLET"));
        QCOMPARE(e[0].defaut, QString());
        QCOMPARE(DernierTypePlateau(*banc.poste), QString("R08"));

        const QList<QByteArray> decharges(4, "E##10FFF10"); // the last one twice, unanswered
        QCOMPARE(banc.commandesCommencant("E##"), Tirs(De1a(16)) + decharges);
        QCOMPARE(banc.bus->carte(0).decharges, 2);
        QCOMPARE(banc.commandesCommencant("D"), kSequenceLeds);
        QVERIFY(banc.bus->commandes().contains("I##E8997"));

        QCOMPARE(SansHorodatage(Lit(banc.fichier(kRecord))),
                 kDebutRecord + "   IR ok (pIR=31%)   EA ok (16 EAs detectes)(R08)   LedAR ok (32 "
                                "detectees)\r\n");

        QCOMPARE(e[1].genre, OperateurScripte::Genre::OuiNon);
        QCOMPARE(e[1].titre,
                 QString("Test Plateau SEUL    FW:PLT2 v2.14     SN:0A1B    nom Carte:A-1"));
        QCOMPARE(e[1].texte, QString::fromUtf8("IR ok (pIR=31%)\rEA ok (16 EAs detectes)\rLedAR ok "
                                               "(32 detectees)\rTestAlim OK = 48.8v\r\rVoulez-vous "
                                               "une etiquette à coller sur le plateau ?"));
        QCOMPARE(banc.derniereBoite(), QString("coller l'etiquette sur le plateau\r\r0A1B"));
        QVERIFY(cancelPendantLaBoite);
        QCOMPARE(legendePendantLaBoite, QString("Arret Test Led"));

        const QByteArray semaine = CodeSemaine(QDate::currentDate()).toLatin1();
        QCOMPARE(Lit(banc.etiquette()),
                 "\r\nN\r\nO\r\nq408\r\nQ203,24+0\r\nS2\r\nD6\r\nZT\r\nTTh:m\r\nTDy2.mn.dd\r\n"
                 "A2,4,0,4,1,1,N,\"Morvane 2 Plateau R08\"\r\n"
                 "B2,28,0,1,2,2,49,B,\"PD-0A1B-" +
                     semaine +
                     "-01\"\r\n"
                     "A4,118,0,4,1,1,N,\"SN: 0A1B\"\r\n"
                     "A268,89,0,1,1,1,N,\"FW: PLT2 v2.14\"\r\n"
                     "A181,118,0,4,1,1,N,\"nom: A-1\"\r\n"
                     "A2,144,0,1,1,1,N,\"IR : IR ok (pIR=31%)\"\r\n"
                     "A2,160,0,1,1,1,N,\"EA : EA ok (16 EAs detectes)\"\r\n"
                     "A2,176,0,1,1,1,N,\"led: LedAR ok (32 detectees)\"\r\n"
                     "P1\r\n");

        const QStringList m = banc.textesMessages();
        for (const QString& attendu :
             {QString::fromUtf8("Test la barrière Infra-Rouge (auto-test) [CAMCORD]"),
              QString::fromUtf8("Test la présence des Electro-aimants ... [THERLFT]"),
              QString::fromUtf8("Test la présence des leds Arrières ... [MOON]"),
              QString::fromUtf8("Test la tension d'alimentation ... [MOON]"),
              QString::fromUtf8("Test REEL Electro-Aimants détectés []"),
              QString::fromUtf8("Test REELEMENT l' Electro-Aimant 16 []"),
              QString::fromUtf8("Test les leds AR (1 à 32) .... [TIMER]"),
              QString::fromUtf8("Test les leds AR (25 à 32) .... [TIMER]"),
              QString::fromUtf8("Active un Electro-Aimant pour décharger l'alim 3 []")})
            QVERIFY2(m.contains(attendu), qPrintable(attendu));
        QVERIFY(!m.join('\n').contains("INTERDIT"));
        QCOMPARE(m.last(), QString(" []"));
        QVERIFY(banc.poste->historiqueInfo.contains(
            QString::fromUtf8("Active l' Electo-aimant 1 pour décharger l'alim3")));
        QVERIFY(!banc.poste->historiqueInfo.contains("ABANDON du TEST sur demande utilisateur"));
        QCOMPARE(banc.poste->info(), QString());
        QVERIFY(!banc.poste->BtCancelVisible());
        QCOMPARE(banc.poste->BtCancelLegende(), QString("Arret"));
        QVERIFY(!PortCarteEstOuvert(*banc.poste));
    }

    // Defects are announced, recorded one per line, and do not stop the run.
    void defauts() {
        BancCarte<> banc;
        CarteSimulee carte;
        carte.puissanceIRTrouvee = 255;
        carte.ledsAR = "11111111111111111111111111111110";
        carte.alimentation = 46.5;
        carte.coupureApresDecharges = 1;
        QVERIFY(banc.demarre(carte));
        banc.imprimeDansUnFichier();
        banc.poste->op.repond("R08");
        banc.poste->op.repondNon();

        BtTestPlateauSeul_Click(*banc.poste);

        QVERIFY2(banc.poste->op.inattendus.isEmpty(),
                 qPrintable(banc.poste->op.inattendus.join('\n')));
        QCOMPARE(SansHorodatage(Lit(banc.fichier(kRecord))),
                 kDebutRecord + "   EA ok (16 EAs detectes)(R08)\r\n"
                                "                IR HS (C2) cause:aucune reception\r\n"
                                "                LedAR HS (L3) cause: 31 leds  "
                                "11111111-11111111-11111111-11111110\r\n");
        const QStringList m = banc.textesMessages();
        QCOMPARE(m.filter("INTERDIT"),
                 QStringList({"DEFAUT sur TENSION Alimentation [INTERDIT]",
                              "DEFAUT sur test IR [INTERDIT]",
                              "DEFAUT sur detection des leds AR [INTERDIT]",
                              "DEFAUT sur detection des leds AR [INTERDIT]"}));
        // The question is asked on EA ok alone, whatever the rest.
        QCOMPARE(banc.poste->op.echanges.size(), 2);
        QVERIFY(banc.poste->op.echanges[1].texte.contains("\rTestAlim HS = "));
        QVERIFY(!QFile::exists(banc.etiquette()));
        QCOMPARE(banc.commandesCommencant("E##").size(), 32 + 3);
    }

    // A rail other than the one asked for: no firing, no lighting, no label.
    void mauvaisRail_data() {
        QTest::addColumn<QByteArray>("rail");
        QTest::addColumn<QString>("trouve");
        QTest::addColumn<QByteArray>("ligneEA");
        QTest::addColumn<bool>("abandon"); // EA 1 absent: the discharge cannot run
        QTest::newRow("Rinconnu")
            << kR08sans3 << "Rinconnu  (00000000-00000000-11111111-11111011)"
            << QByteArray("EA HS (E3) cause: 15 EAs  00000000-00000000-11111111-11111011 "
                          "(Rinconnu)")
            << false;
        QTest::newRow("Rabsent") << QByteArray(32, '0') << "Rabsent  "
                                 << QByteArray("EA HS (E3) cause: 00 EAs  "
                                               "00000000-00000000-00000000-00000000 (Rabsent)")
                                 << true;
    }
    void mauvaisRail() {
        QFETCH(QByteArray, rail);
        QFETCH(QString, trouve);
        QFETCH(QByteArray, ligneEA);
        QFETCH(bool, abandon);
        BancCarte<> banc;
        CarteSimulee carte;
        carte.presenceEA = rail;
        carte.coupureApresDecharges = 1;
        QVERIFY(banc.demarre(carte));
        banc.imprimeDansUnFichier();
        banc.poste->op.repond("R08");

        BtTestPlateauSeul_Click(*banc.poste);

        QCOMPARE(banc.poste->op.boites(),
                 QStringList{QString::fromUtf8("Le type de rail trouvé est different du type de "
                                               "rail demandé\r     rail trouvé: ") +
                             trouve + QString::fromUtf8("\r     rail demandé: R08")});
        QCOMPARE(banc.poste->op.dernier().icone, Icone::Critique);
        QVERIFY(banc.commandesCommencant("D").isEmpty());
        for (const QByteArray& c : banc.commandesCommencant("E##"))
            QCOMPARE(c, QByteArray("E##10FFF10"));
        QCOMPARE(SansHorodatage(Lit(banc.fichier(kRecord))),
                 kDebutRecord +
                     "   IR ok (pIR=31%)   LedAR ok (32 "
                     "detectees)\r\n                " +
                     ligneEA + "  demande: (R08)\r\n");
        QVERIFY(!QFile::exists(banc.etiquette()));
        QCOMPARE(banc.poste->historiqueInfo.contains("ABANDON du TEST sur demande utilisateur"),
                 abandon);
        QCOMPARE(banc.poste->historiqueInfo.contains(QString::fromUtf8("Pas d'electro Aimant n°1")),
                 abandon);

        // The next run offers the type typed this time.
        banc.poste->op.repond(QString());
        BtTestPlateauSeul_Click(*banc.poste);
        QCOMPARE(banc.poste->op.dernier().defaut, QString("R08"));
    }

    // A record that cannot be written is reported; the run goes on.
    void recordImpossible() {
        BancCarte<> banc;
        CarteSimulee carte;
        carte.presenceEA = kR08sans3;
        carte.coupureApresDecharges = 1;
        QVERIFY(banc.demarre(carte));
        banc.imprimeDansUnFichier();
        banc.poste->reglages.CheminProg = banc.poste->fichier("absent");
        banc.poste->op.repond("R08");

        BtTestPlateauSeul_Click(*banc.poste);

        const QStringList boites = banc.poste->op.boites();
        QCOMPARE(boites.size(), 2);
        QVERIFY2(boites[1].startsWith("impossible d'ecrire dans " + banc.poste->fichier("absent") +
                                      "/TestPlateauSeul.txt\r"),
                 qPrintable(boites[1]));
        QCOMPARE(banc.bus->carte(0).decharges, 1);
    }

    // EA 1 missing (R08S rail): the even EAs are fired, and the discharge
    // loop ends at once through the abandon exit.
    void sansEA1() {
        BancCarte<> banc;
        CarteSimulee carte;
        carte.presenceEA = kR08S;
        QVERIFY(banc.demarre(carte));
        banc.imprimeDansUnFichier();
        banc.poste->op.repond("R08S");
        banc.poste->op.repondNon();

        BtTestPlateauSeul_Click(*banc.poste);

        QVERIFY(banc.bus->commandes().contains("I##E6F75"));
        QCOMPARE(banc.commandesCommencant("E##"), Tirs(De1a(16, 2, 2)));
        QCOMPARE(banc.commandesCommencant("D"), kSequenceLeds);
        QCOMPARE(SansHorodatage(Lit(banc.fichier(kRecord))),
                 kDebutRecord + "   IR ok (pIR=31%)   EA ok (8 EAs detectes)(R08S)   LedAR ok (32 "
                                "detectees)\r\n");
        QCOMPARE(banc.poste->op.echanges.size(), 2); // the label question was asked
        const QStringList& info = banc.poste->historiqueInfo;
        QCOMPARE(info.mid(info.size() - 2),
                 QStringList({QString::fromUtf8("Pas d'electro Aimant n°1"),
                              "ABANDON du TEST sur demande utilisateur"}));
        QVERIFY(!banc.poste->BtCancelVisible());
        QCOMPARE(banc.poste->BtCancelLegende(), QString("Arret"));
        QVERIFY(!PortCarteEstOuvert(*banc.poste));
    }

    // ArretDemande is looked at before each group's pause: a cancel during a
    // pause lets that group light, then skips the groups left and the run ends
    // normally (record, label question, discharge); a cancel during the pause
    // before the last group lights it and takes the abandon exit.
    void annulationPendantLesLeds_data() {
        QTest::addColumn<QByteArray>("annuleApres");
        QTest::addColumn<int>("groupesEnvoyes"); // of kSequenceLeds, "D**T" included
        QTest::addColumn<bool>("abandon");
        QTest::newRow("pause avant 1 a 8") << QByteArray("D##C01P") << 3 << false;
        QTest::newRow("pause avant 9 a 16") << QByteArray("D##C018") << 4 << false;
        QTest::newRow("pause avant 17 a 24") << QByteArray("D##C098") << 5 << false;
        QTest::newRow("pause avant 25 a 32") << QByteArray("D##C0A8") << 6 << true;
    }
    void annulationPendantLesLeds() {
        QFETCH(QByteArray, annuleApres);
        QFETCH(int, groupesEnvoyes);
        QFETCH(bool, abandon);
        BancCarte<> banc;
        CarteSimulee carte;
        carte.coupureApresDecharges = 1;
        QVERIFY(banc.demarre(carte));
        banc.imprimeDansUnFichier();
        banc.poste->op.repond("R08");
        banc.poste->op.repondNon();
        banc.annuleApres(annuleApres);

        BtTestPlateauSeul_Click(*banc.poste);

        QCOMPARE(banc.commandesCommencant("D"), kSequenceLeds.mid(0, groupesEnvoyes));
        QCOMPARE(banc.poste->historiqueInfo.contains("ABANDON du TEST sur demande utilisateur"),
                 abandon);
        QVERIFY(!banc.poste->BtCancelVisible());
        QVERIFY(!PortCarteEstOuvert(*banc.poste));
        if (abandon) {
            QVERIFY(!QFile::exists(banc.fichier(kRecord)));
            QCOMPARE(banc.poste->op.echanges.size(), 1); // the type only: no label question
            QCOMPARE(banc.bus->carte(0).decharges, 0);
            QCOMPARE(banc.poste->info(), QString("ABANDON du TEST sur demande utilisateur"));
        } else {
            QCOMPARE(SansHorodatage(Lit(banc.fichier(kRecord))),
                     kDebutRecord + "   IR ok (pIR=31%)   EA ok (16 EAs detectes)(R08)   LedAR ok "
                                    "(32 detectees)\r\n");
            QCOMPARE(banc.poste->op.echanges.size(), 2);
            QCOMPARE(banc.bus->carte(0).decharges, 1);
            QCOMPARE(banc.poste->info(), QString());
        }
    }

    // A cancel anywhere else ends the run without a record.
    void annulationPendantLesTirs() {
        BancCarte<> banc;
        QVERIFY(banc.demarre(CarteSimulee{}));
        banc.imprimeDansUnFichier();
        banc.poste->op.repond("R08");
        banc.annuleApres("E##50ACD10");

        BtTestPlateauSeul_Click(*banc.poste);

        QCOMPARE(banc.commandesCommencant("E##").last(), QByteArray("E##50ACD10"));
        QVERIFY(banc.commandesCommencant("D").isEmpty());
        QVERIFY(!QFile::exists(banc.fichier(kRecord)));
        QCOMPARE(banc.poste->op.echanges.size(), 1);
        QCOMPARE(banc.poste->info(), QString("ABANDON du TEST sur demande utilisateur"));
        QVERIFY(!banc.poste->BtCancelVisible());
        QCOMPARE(banc.poste->BtCancelLegende(), QString("Arret"));
        QCOMPARE(banc.textesMessages().last(), QString(" []"));
        QVERIFY(!PortCarteEstOuvert(*banc.poste));
    }

    void carteAbsente() {
        BancCarte<> banc;
        CarteSimulee carte;
        carte.muette = true;
        QVERIFY(banc.demarre(carte));
        banc.imprimeDansUnFichier();
        banc.poste->op.repond("R08");

        BtTestPlateauSeul_Click(*banc.poste);

        QCOMPARE(banc.poste->op.boites(), QStringList{"Votre carte N'EST PAS CONNECTE"});
        QCOMPARE(banc.poste->op.dernier().icone, Icone::Critique);
        QCOMPARE(banc.poste->info(), QString("abandon (Time Out Carte)"));
        QVERIFY(!banc.poste->BtCancelVisible());
        QVERIFY(!QFile::exists(banc.fichier(kRecord)));
        QCOMPARE(banc.textesMessages().last(), QString(" []"));
    }

    // An empty answer ends the handler before the card is touched.
    void reponseVide() {
        BancCarte<> banc;
        QVERIFY(banc.demarre(CarteSimulee{}));
        banc.imprimeDansUnFichier();
        banc.poste->op.repond("  ");
        BtTestPlateauSeul_Click(*banc.poste);
        QVERIFY(banc.bus->deroulement().isEmpty());
        QVERIFY(!banc.poste->BtCancelVisible());
        QCOMPARE(DernierTypePlateau(*banc.poste), QString());
    }
};

QTEST_GUILESS_MAIN(TstTestPlateauSeul)
#include "tst_TestPlateauSeul.moc"
