// The rail serial numbers at the end of a bench test on the simulated card
// bus: the attribution section of the report, "SNrail.txt" byte for byte,
// the first SN typed and the series' refusals.
#include "BancRails.h"
#include "TestRailsMeuble.h"

class TstAttribueSNrail : public QObject {
    Q_OBJECT
private slots:
    // Three good rails, the type typed in lower case: seven cycles of pulses,
    // then SNs from the first one typed.
    void troisRailsBons() {
        Banc banc;
        QVERIFY(banc.demarre());
        for (int n = 1; n <= 3; ++n)
            banc.rail(n, kR15);
        banc.poste->op.repond("r15");
        banc.poste->op.repondOui();
        banc.poste->op.repond("00Z9");
        TestRailsMeuble(*banc.poste);
        banc.verifieFin();

        QList<QByteArray> attendues{"?A",   "IA1E8997", "IA2E8997", "IA3E8997",
                                    "IA1A", "IA2A",     "IA3A"};
        attendues += SeptCycles({{1, De1a(15)}, {2, De1a(15)}, {3, De1a(15)}});
        QCOMPARE(banc.bus->commandes(), attendues);
        for (int carte = 0; carte < 3; ++carte)
            for (int ea = 1; ea <= 32; ++ea)
                QCOMPARE(banc.impulsions(carte, ea), ea <= 15 ? 7 : 0);

        const QStringList debut{kDebut,
                                kTypeR15,
                                "3 carte(s) plateau(x) trouve(s)",
                                "A01 --> R15",
                                "A02 --> R15",
                                "A03 --> R15",
                                "test les EAs ..."};
        const auto& e = banc.poste->op.echanges;
        QCOMPARE(e.size(), 4);
        QCOMPARE(e[1].genre, OperateurScripte::Genre::OuiNon);
        QCOMPARE(e[1].titre, QString());
        QString question = e[1].texte;
        question.replace(QRegularExpression("\\d\\d/\\d\\d/\\d{4} \\d\\d:\\d\\d:\\d\\d"),
                         "JJ/MM/AAAA hh:mm:ss");
        QCOMPARE(question.split('\r'),
                 debut + QStringList({"", "Tous les rails testes sont-ils correctes ?", "",
                                      QString::fromUtf8("si reponse 'OUI' -> attribution d'un "
                                                        "SN à chaque rail complet + etiquette"),
                                      "si reponse 'NON' -> arret du test sans SN ni etiquette"}));
        QCOMPARE(e[2].texte, QString("taper le premier SN (carte) (4 caracteres)"));
        QCOMPARE(e[2].titre, QString("SAISIR LE PREMIER NUMERO DE SERIE de rail POUR CE POSTE"));
        QCOMPARE(e[2].defaut, QString());

        QCOMPARE(banc.bilan(),
                 debut + QStringList({"Attribution SN ...", kTirets, "A01  SN=00Z9   R15",
                                      "A02  SN=00ZA   R15", "A03  SN=00ZB   R15", kTirets,
                                      "Edition Etq ...", EtiquetteRail("A01", "C", "00Z9"),
                                      EtiquetteRail("A02", "C", "00ZA"),
                                      EtiquetteRail("A03", "C", "00ZB"), "fin Test", ""}));
        QCOMPARE(SansHorodatage(Lit(banc.snRail())), EnTete("00ZB") + LigneSN("00Z9", "R15") +
                                                         LigneSN("00ZA", "R15") +
                                                         LigneSN("00ZB", "R15"));

        const QStringList m = banc.textesMessages();
        for (const QString& attendu :
             {QString("recherche cartes 'A' ... []"), QString("3 carte(s) plateau(x) trouve(s) []"),
              QString::fromUtf8("lance recherche des EA sur tous les plateaux detectés (3) []"),
              QString("lecture presence EA ... []"), QString("test les EA... []"),
              QString("1/7 A01 30ms 100%   R15\r" + kR15 + " []"),
              QString("7/7 A03 100ms 80%   R15\r" + kR15 + " []"),
              QString::fromUtf8("Attribution d'un SN à chaque rail correcte []"),
              QString("recherche dernier SN ... []"), QString("prochain SN rail = 00ZB []")})
            QVERIFY2(m.contains(attendu), qPrintable(attendu));
        QVERIFY(banc.poste->historiqueInfo
                    .filter(QRegularExpression(
                        "^\\d\\d/\\d\\d/\\d{4} \\d\\d:\\d\\d:\\d\\d - 0 1 SN=00ZA R15$"))
                    .size() == 1);
        QCOMPARE(banc.poste->BtCancelCouleur(), QColor());
    }

    // The series goes on from the file; under "R" a rail of no known model
    // gets no SN and takes none, and a card with no rail is fired nowhere.
    void typeInconnuEntreDeuxBons() {
        Banc banc;
        QVERIFY(banc.demarre());
        const QByteArray ancien = "dernier SN: 00Z8  01/12/2026 10:00:00\r\n"
                                  "01/12/2026 10:00:00 - 0 7 SN=00Z8 R08\r\n";
        Ecrit(banc.snRail(), ancien);
        banc.rail(1, kR08S);
        banc.rail(2, kR15sans9);
        banc.rail(3, kAucun);
        banc.rail(4, kR08);
        banc.poste->op.repond("R");
        banc.poste->op.repondOui();
        TestRailsMeuble(*banc.poste);
        banc.verifieFin();

        QCOMPARE(banc.commandesCommencant("I").first(), QByteArray("IA1E6F97"));
        QList<int> r08s, r15sans9 = De1a(15);
        for (int ea = 2; ea <= 16; ea += 2)
            r08s << ea;
        r15sans9.removeAll(9);
        QCOMPARE(banc.tirs(), SeptCycles({{1, r08s}, {2, r15sans9}, {3, {}}, {4, De1a(16)}}));
        QCOMPARE(banc.impulsions(1, 9), 0);
        QCOMPARE(banc.impulsions(1, 10), 7);
        for (int ea = 1; ea <= 32; ++ea)
            QCOMPARE(banc.impulsions(2, ea), 0);

        QCOMPARE(banc.bilan(), QStringList({kDebut,
                                            kTypeR,
                                            "4 carte(s) plateau(x) trouve(s)",
                                            "A01 --> R08S",
                                            "A02 --> Rinconnu",
                                            "A03 --> Rabsent",
                                            "A04 --> R08",
                                            "test les EAs ...",
                                            "Attribution SN ...",
                                            kTirets,
                                            "A01  SN=00Z9   R08S",
                                            "A02 type de rail inconnu Rinconnu " + kR15sans9,
                                            "A03 type de rail inconnu Rabsent " + kAucun,
                                            "A04  SN=00ZA   R08",
                                            kTirets,
                                            "Edition Etq ...",
                                            EtiquetteRail("A01", "A", "00Z9"),
                                            EtiquetteRail("A04", "D", "00ZA"),
                                            "fin Test",
                                            ""}));
        QCOMPARE(SansHorodatage(Lit(banc.snRail())),
                 EnTete("00ZA") + "JJ/MM/AAAA hh:mm:ss - 0 7 SN=00Z8 R08\r\n" +
                     LigneSN("00Z9", "R08S") + LigneSN("00ZA", "R08"));
    }

    // Under a named model a card with no rail stays out: fired nowhere, no SN.
    void carteSansRail() {
        Banc banc;
        QVERIFY(banc.demarre());
        banc.rail(1, kR13);
        banc.rail(2, kAucun);
        banc.rail(3, kR13);
        banc.poste->op.repond("R13");
        banc.poste->op.repondOui();
        banc.poste->op.repond("0001");
        TestRailsMeuble(*banc.poste);
        banc.verifieFin();
        QCOMPARE(banc.tirs(), SeptCycles({{1, De1a(13)}, {3, De1a(13)}}));
        const QStringList b = banc.bilan();
        QCOMPARE(b.mid(3, 4), QStringList({"A01 --> R13", "A02 --> Rabsent", "A03 --> R13",
                                           "test les EAs ..."}));
        QCOMPARE(b.mid(9, 3),
                 QStringList({"A01  SN=0001   R13", "A02  Rabsent", "A03  SN=0002   R13"}));
        QCOMPARE(b.mid(13, 3), QStringList({"Edition Etq ...", EtiquetteRail("A01", "B", "0001"),
                                            EtiquetteRail("A03", "B", "0002")}));
    }

    // The operator answers No: no SN, the series untouched.
    void reponseNon() {
        Banc banc;
        QVERIFY(banc.demarre());
        banc.rail(1, kR08S);
        banc.poste->op.repond("R08S");
        banc.poste->op.repondNon();
        TestRailsMeuble(*banc.poste);
        banc.verifieFin();
        QCOMPARE(banc.bilan().mid(3),
                 QStringList({"A01 --> R08S", "test les EAs ...", "ARRET DEMANDE", ""}));
        QCOMPARE(banc.poste->op.echanges.size(), 3);
        QCOMPARE(Lit(banc.snRail()), QByteArray());
    }

    // A first SN typed wrong ends the whole test: the box for a character
    // outside the 62 digits, nothing for a wrong length; no summary.
    void premierSNrefuse_data() {
        QTest::addColumn<QString>("saisie");
        QTest::addColumn<QStringList>("boites");
        QTest::newRow("blanc") << "00 9" << QStringList{"  impossible dans le SN"};
        QTest::newRow("trois caracteres") << "00Z" << QStringList{};
        QTest::newRow("abandon") << "" << QStringList{};
    }
    void premierSNrefuse() {
        QFETCH(QString, saisie);
        QFETCH(QStringList, boites);
        Banc banc;
        QVERIFY(banc.demarre());
        banc.rail(1, kR08S);
        banc.poste->op.repond("R08S");
        banc.poste->op.repondOui();
        banc.poste->op.repond(saisie);
        TestRailsMeuble(*banc.poste);
        banc.verifieFin();
        QCOMPARE(banc.poste->op.boites(), boites);
        QVERIFY(!banc.poste->op.echanges.last().titre.contains("BILAN"));
        QCOMPARE(Lit(banc.snRail()), QByteArray());
        QVERIFY(!banc.poste->historiqueInfo.contains("fin test EA"));
    }

    // An SN already traced in the file is not given twice: the series moves
    // past it, says so once, and every rail of the model gets an SN.
    void snDejaDonne() {
        Banc banc;
        QVERIFY(banc.demarre());
        const QByteArray fichier = "dernier SN: 00Z8  01/12/2026 10:00:00\r\n"
                                   "01/12/2026 10:00:00 - 0 7 SN=00Z8 R15\r\n"
                                   "01/12/2026 10:00:01 - 0 7 SN=00ZA R15\r\n";
        Ecrit(banc.snRail(), fichier);
        for (int n = 1; n <= 3; ++n)
            banc.rail(n, kR08S);
        banc.poste->op.repond("R08S");
        banc.poste->op.repondOui();
        TestRailsMeuble(*banc.poste);
        banc.verifieFin();
        const QStringList boites = banc.poste->op.boites();
        QCOMPARE(boites.size(), 2);
        QCOMPARE(boites[0], "le SN 00ZA est deja attribue dans " + banc.snRail() +
                                ", ligne 3:\r01/12/2026 10:00:01 - 0 7 SN=00ZA R15\r"
                                "SN deja attribues, sautes: 00ZA\rSN attribue: 00ZB");
        QCOMPARE(banc.bilan().mid(9),
                 QStringList({"A01  SN=00Z9   R08S", "A02  SN=00ZB   R08S", "A03  SN=00ZC   R08S",
                              kTirets, "Edition Etq ...", EtiquetteRail("A01", "A", "00Z9"),
                              EtiquetteRail("A02", "A", "00ZB"), EtiquetteRail("A03", "A", "00ZC"),
                              "fin Test", ""}));
        QCOMPARE(SansHorodatage(Lit(banc.snRail())),
                 EnTete("00ZC") + "JJ/MM/AAAA hh:mm:ss - 0 7 SN=00Z8 R15\r\n" +
                     "JJ/MM/AAAA hh:mm:ss - 0 7 SN=00ZA R15\r\n" + LigneSN("00Z9", "R08S") +
                     "JJ/MM/AAAA hh:mm:ss ** SN deja attribues, sautes: 00ZA -> 00ZB\r\n" +
                     LigneSN("00ZB", "R08S") + LigneSN("00ZC", "R08S"));
    }
};

QTEST_MAIN(TstAttribueSNrail)
#include "tst_AttribueSNrail.moc"
