// The rail bench test on the simulated card bus: the report line by line, the
// frames on the wire, the pulses each EA received, and "SNrail.txt".
#include "BancCarte.h"
#include "EditeEtiquette.h"
#include "LiaisonCarte.h"
#include "ScenarioCartes.h"
#include "TestRailsMeuble.h"
#include "TracesTest.h"

#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QtTest>

namespace {

const QByteArray kR15 = "00000000000000000111111111111111";
const QByteArray kR13 = "00000000000000000001111111111111";
const QByteArray kR08 = "00000000000000001111111111111111";
const QByteArray kR08S = "00000000000000001010101010101010";
const QByteArray kAucun(32, '0');
const QByteArray kR15sans9 = "00000000000000000111111011111111";

const QString kInvite = QString::fromUtf8(
    "Taper ici le type de rail à tester (R08, R08S, R11, R13, R15, R18, R21 ou R30 ou R pour "
    "inconnu)\r\rTous les rails sur le banc de test doivent etre identiques");
const QString kTirets(61, QLatin1Char('-'));
const QString kTypeR15 = QString::fromUtf8("type de rail à tester : R15    137 <valeur EA< 151");
const QString kTypeR = QString::fromUtf8("type de rail à tester : R    111 <valeur EA< 151");

// Fire commands as the bench's manual writes them: power 100 % is FF, 80 %
// is CC (256 steps); 30 ms is 03, 100 ms is 0A.
QByteArray Tir(int carte, int ea, int cycle) {
    return "EA" + QByteArray(1, static_cast<char>(48 + carte)) +
           QByteArray(1, static_cast<char>(48 + ea)) + (cycle <= 5 ? "03FF10" : "0ACC10");
}

// Every present EA of every card, seven times, card after card in each cycle.
QList<QByteArray> SeptCycles(const QList<std::pair<int, QList<int>>>& cartes) {
    QList<QByteArray> r;
    for (int cycle = 1; cycle <= 7; ++cycle)
        for (const auto& [carte, eas] : cartes)
            for (int ea : eas)
                r << Tir(carte, ea, cycle);
    return r;
}

QList<int> De1a(int n) {
    QList<int> r;
    for (int i = 1; i <= n; ++i)
        r << i;
    return r;
}

QByteArray EnTete(const QByteArray& sn) {
    return "dernier SN: " + sn + "  JJ/MM/AAAA hh:mm:ss\r\n";
}
QByteArray LigneSN(const QByteArray& sn, const QByteArray& type) {
    return "JJ/MM/AAAA hh:mm:ss - 0 1 SN=" + sn + " " + type + "\r\n";
}
QString EtiquetteRail(const QString& carte, const QString& lettre, const QString& sn) {
    return "plateau " + carte + "-->   R" + lettre + "-" + sn + "-" +
           CodeSemaine(QDate::currentDate()) + "-01";
}

void Ecrit(const QString& chemin, const QByteArray& octets) {
    QFile f(chemin);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(octets), octets.size());
}

struct Banc : BancCarte<> {
    QString snRail() const { return fichier(QStringLiteral("SNrail.txt")); }
    // A bench with the rail series created empty, as at start-up.
    bool demarre() {
        if (!BancCarte::demarre())
            return false;
        Ecrit(snRail(), {});
        return true;
    }
    // Card `numero` of cabinet A carrying the rail `motif`.
    void rail(int numero, const QByteArray& motif,
              const std::function<void(CarteSimulee&)>& reglage = {}) {
        carte([&](CarteSimulee& c) {
            c.nom = NomCarteSimulee('A', numero);
            c.presenceEA = motif;
            if (reglage)
                reglage(c);
        });
    }
    // The report of the "BILAN TEST" box, line by line, its date and time
    // replaced; empty when the box was not shown.
    QStringList bilan() const {
        for (const auto& e : poste->op.echanges)
            if (e.genre == OperateurScripte::Genre::Boite && e.titre == "BILAN TEST") {
                QString texte = e.texte;
                texte.replace(QRegularExpression("^Test RAILS \\d\\d/\\d\\d/\\d{4} "
                                                 "\\d\\d:\\d\\d:\\d\\d\\r"),
                              "Test RAILS JJ/MM/AAAA hh:mm:ss\r");
                return texte.split('\r');
            }
        return {};
    }
    const OperateurScripte::Echange* boiteBilan() const {
        for (const auto& e : poste->op.echanges)
            if (e.titre == "BILAN TEST")
                return &e;
        return nullptr;
    }
    int impulsions(int indice, int ea) const {
        return bus->carte(indice).impulsionsEA[static_cast<size_t>(ea)];
    }
    QList<QByteArray> tirs() const { return commandesCommencant("E"); }
    void verifieFin() const {
        QVERIFY2(poste->op.inattendus.isEmpty(), qPrintable(poste->op.inattendus.join('\n')));
        QVERIFY(!PortCarteEstOuvert(*poste));
        QVERIFY(!poste->BtCancelVisible());
    }
};

const QString kDebut = QStringLiteral("Test RAILS JJ/MM/AAAA hh:mm:ss");

} // namespace

class TstTestRailsMeuble : public QObject {
    Q_OBJECT
private slots:
    // A type outside the list, or no answer: nothing shown, nothing sent.
    void typeRefuse_data() {
        QTest::addColumn<QString>("reponse");
        QTest::newRow("R16") << "R16";
        QTest::newRow("vide") << "";
        QTest::newRow("R15 suivi d'un mot") << "R15 X";
    }
    void typeRefuse() {
        QFETCH(QString, reponse);
        Banc banc;
        QVERIFY(banc.demarre());
        banc.rail(1, kR15);
        banc.poste->op.repond(reponse);
        TestRailsMeuble(*banc.poste);
        QCOMPARE(banc.poste->op.echanges.size(), 1);
        const auto& question = banc.poste->op.echanges.first();
        QCOMPARE(question.texte, kInvite);
        QCOMPARE(question.titre, QString("TEST LES EAs"));
        QCOMPARE(question.defaut, QString("R15"));
        QVERIFY(banc.bus->deroulement().isEmpty());
        QVERIFY(banc.poste->historiqueMessages.empty());
        QVERIFY(!banc.poste->BtCancelVisible());
    }

    // No card answers the search: the count 0, and the summary.
    void aucuneCarte() {
        Banc banc;
        QVERIFY(banc.demarre());
        banc.poste->op.repond("R15");
        TestRailsMeuble(*banc.poste);
        banc.verifieFin();
        QCOMPARE(banc.bilan(),
                 QStringList({kDebut, kTypeR15, "0 carte(s) plateau(x) trouve(s)", ""}));
        QCOMPARE(banc.boiteBilan()->icone, Icone::Information);
        QCOMPARE(banc.bus->deroulement(), (QList<QByteArray>{"ouverture", "?A", "fermeture"}));
        QCOMPARE(banc.textesMessages().last(), QString("fin test EA []"));
        QCOMPARE(banc.poste->historiqueMessages.back().dureeMs, 2000);
    }

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

    // No EA anywhere: nothing fired, "NO TEST", no question.
    void aucunEA() {
        Banc banc;
        QVERIFY(banc.demarre());
        banc.rail(1, kAucun);
        banc.poste->op.repond("R15");
        TestRailsMeuble(*banc.poste);
        banc.verifieFin();
        QVERIFY(banc.tirs().isEmpty());
        QCOMPARE(banc.bilan(), QStringList({kDebut, kTypeR15, "1 carte(s) plateau(x) trouve(s)",
                                            "A01 --> Rabsent", "test les EAs ...", "NO TEST", ""}));
        QCOMPARE(banc.poste->op.echanges.size(), 2);
        QCOMPARE(Lit(banc.snRail()), QByteArray());
    }

    // A rail of another model stops the test after the presence reading.
    void autreModele_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QByteArray>("motif");
        QTest::addColumn<QStringList>("fin");
        QTest::newRow("R13 sur un test R15")
            << "R15" << kR13
            << QStringList({"A02 --> R13", "A02  DEFAUT sur ce rail  " + kR13 + "   R13",
                            QString::fromUtf8("  n° EA non conforme: -14-15")});
        QTest::newRow("R08S sur un test R08")
            << "R08" << kR08S
            << QStringList({"A02 --> R08S", "A02  DEFAUT sur ce rail  " + kR08S + "   R08S",
                            QString::fromUtf8("  n° EA non conforme: -01-03-05-07-09-11-13-15")});
        QTest::newRow("un EA en moins")
            << "R15" << kR15sans9
            << QStringList({"A02 --> Rinconnu",
                            "A02  DEFAUT sur ce rail  " + kR15sans9 + "   Rinconnu",
                            QString::fromUtf8("  n° EA non conforme: -09")});
    }
    void autreModele() {
        QFETCH(QString, type);
        QFETCH(QByteArray, motif);
        QFETCH(QStringList, fin);
        Banc banc;
        QVERIFY(banc.demarre());
        const QByteArray bon = type == "R08" ? kR08 : kR15;
        banc.rail(1, bon);
        banc.rail(2, motif);
        banc.rail(3, bon);
        banc.poste->op.repond(type);
        TestRailsMeuble(*banc.poste);
        banc.verifieFin();
        QVERIFY(banc.tirs().isEmpty());
        // The cards after the faulty one are not read.
        QCOMPARE(banc.commandesCommencant("I").mid(3), (QList<QByteArray>{"IA1A", "IA2A"}));
        const QStringList b = banc.bilan();
        QCOMPARE(b.mid(3), QStringList({"A01 --> " + type}) + fin + QStringList{""});
        QCOMPARE(banc.poste->op.echanges.size(), 2);
    }

    // A card that stops answering ends the test at that step, in the report.
    void carteQuiNeRepondPlus_data() {
        QTest::addColumn<QByteArray>("silence");
        QTest::addColumn<QString>("ligne");
        QTest::addColumn<int>("tirs");
        QTest::newRow("mesure") << QByteArray("IA2E")
                                << "A02 erreur de reponse sur test presence EA  Err: Time Out" << 0;
        QTest::newRow("lecture") << QByteArray("IA2A")
                                 << "A02 erreur de reponse sur lecture EA  Err: Time Out" << 0;
        QTest::newRow("impulsion EA 3")
            << QByteArray("EA23") << "A02 erreur de reponse sur test EA  Err: Time Out" << 15 + 3;
    }
    void carteQuiNeRepondPlus() {
        QFETCH(QByteArray, silence);
        QFETCH(QString, ligne);
        QFETCH(int, tirs);
        Banc banc;
        QVERIFY(banc.demarre());
        banc.rail(1, kR15);
        banc.rail(2, kR15, [&](CarteSimulee& c) { c.silencePour << silence; });
        banc.poste->op.repond("R15");
        TestRailsMeuble(*banc.poste);
        banc.verifieFin();
        QCOMPARE(banc.bilan().mid(banc.bilan().size() - 2), QStringList({ligne, ""}));
        // The refused pulse was tried twice.
        QCOMPARE(banc.tirs().size(), tirs == 0 ? 0 : tirs + 1);
        QCOMPARE(banc.poste->op.echanges.size(), 2);
    }

    // The operator answers No: no SN, the series untouched.
    void reponseNon() {
        Banc banc;
        QVERIFY(banc.demarre());
        banc.rail(1, kR15);
        banc.poste->op.repond("R15");
        banc.poste->op.repondNon();
        TestRailsMeuble(*banc.poste);
        banc.verifieFin();
        QCOMPARE(banc.bilan().mid(3),
                 QStringList({"A01 --> R15", "test les EAs ...", "ARRET DEMANDE", ""}));
        QCOMPARE(banc.poste->op.echanges.size(), 3);
        QCOMPARE(Lit(banc.snRail()), QByteArray());
    }

    // A first SN typed wrong ends the whole test: the box for a character
    // outside the 62 digits, nothing for a wrong length; no summary.
    void premierSNrefuse_data() {
        QTest::addColumn<QString>("saisie");
        QTest::addColumn<QStringList>("boites");
        QTest::newRow("blanc") << "00 9" << QStringList{"  impossible dans le SN"};
        QTest::newRow("tiret") << "00-9" << QStringList{"- impossible dans le SN"};
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

    // An SN already traced in the file is not given twice: the box says why,
    // no rail after it gets one, and the summary keeps those given.
    void snDejaDonne() {
        Banc banc;
        QVERIFY(banc.demarre());
        const QByteArray fichier = "dernier SN: 00Z8  01/12/2026 10:00:00\r\n"
                                   "01/12/2026 10:00:00 - 0 7 SN=00Z8 R15\r\n"
                                   "01/12/2026 10:00:01 - 0 7 SN=00ZA R15\r\n";
        Ecrit(banc.snRail(), fichier);
        for (int n = 1; n <= 3; ++n)
            banc.rail(n, kR15);
        banc.poste->op.repond("R15");
        banc.poste->op.repondOui();
        TestRailsMeuble(*banc.poste);
        banc.verifieFin();
        const QStringList boites = banc.poste->op.boites();
        QCOMPARE(boites.size(), 2);
        QVERIFY2(boites[0].startsWith("le SN 00ZA est deja attribue dans "), qPrintable(boites[0]));
        QCOMPARE(banc.bilan().mid(9),
                 QStringList({"A01  SN=00Z9   R15", "A02 *** pas de SN: attribution arretee ***",
                              kTirets, "Edition Etq ...", EtiquetteRail("A01", "C", "00Z9"),
                              "fin Test", ""}));
        QCOMPARE(SansHorodatage(Lit(banc.snRail())),
                 EnTete("00Z9") + "JJ/MM/AAAA hh:mm:ss - 0 7 SN=00Z8 R15\r\n" +
                     "JJ/MM/AAAA hh:mm:ss - 0 7 SN=00ZA R15\r\n" + LigneSN("00Z9", "R15"));
    }

    // Cancel: the test ends after the pulse in progress, with message 87.
    void annulation_data() {
        QTest::addColumn<QByteArray>("apres");
        QTest::addColumn<int>("carte");
        QTest::newRow("cycle lent") << QByteArray("EA210ACC10") << 2;
        QTest::newRow("cycle rapide") << QByteArray("EA5103FF10") << 5;
    }
    void annulation() {
        QFETCH(QByteArray, apres);
        QFETCH(int, carte);
        Banc banc;
        QVERIFY(banc.demarre());
        banc.rail(1, kR08);
        banc.rail(carte, kR08);
        banc.poste->op.repond("R08");
        banc.annuleApres(apres);
        TestRailsMeuble(*banc.poste);
        banc.verifieFin();
        QCOMPARE(banc.tirs().last(), apres);
        QCOMPARE(banc.tirs().count(apres), 1);
        QVERIFY(banc.commandesCommencant("I").contains("IA" + apres.mid(2, 1) + "E8997"));
        QCOMPARE(banc.bilan().mid(banc.bilan().size() - 3),
                 QStringList({"test les EAs ...", "*** ABANDON du test DEMANDE ***", ""}));
        QCOMPARE(banc.poste->op.echanges.size(), 2);
    }

    // A full bench is found whole, the last cards included; answers beyond
    // the hundredth are counted, not tested.
    void bancComplet_data() {
        QTest::addColumn<int>("cartes");
        QTest::addColumn<QStringList>("apresLeCompte");
        QTest::newRow("100") << 100 << QStringList{"A01 --> Rabsent"};
        QTest::newRow("101") << 101
                             << QStringList{"1 autre(s) reponse(s) ignoree(s): le banc teste 100 "
                                            "cartes au plus",
                                            "A01 --> Rabsent"};
    }
    void bancComplet() {
        QFETCH(int, cartes);
        QFETCH(QStringList, apresLeCompte);
        Banc banc;
        QVERIFY(banc.demarre());
        for (int n = 1; n <= cartes; ++n)
            banc.rail(n, kAucun, [](CarteSimulee& c) { c.delaiReponseMs = 1; });
        banc.poste->op.repond("R15");
        TestRailsMeuble(*banc.poste);
        banc.verifieFin();
        const QStringList b = banc.bilan();
        QCOMPARE(b.mid(2, apresLeCompte.size() + 1),
                 QStringList{"100 carte(s) plateau(x) trouve(s)"} + apresLeCompte);
        QCOMPARE(b.filter(" --> Rabsent").size(), 100);
        QVERIFY(b.contains("A100 --> Rabsent"));
        QCOMPARE(b.mid(b.size() - 2), QStringList({"NO TEST", ""}));
        const QList<QByteArray> mesures = banc.commandesCommencant("I");
        QCOMPARE(mesures.size(), 200);
        QCOMPARE(mesures[99], QByteArray("IA\x94"
                                         "E8997"));
        QCOMPARE(mesures[199], QByteArray("IA\x94"
                                          "A"));
    }

    // The demo's bench, as the README tells a newcomer to try it: under R15
    // the rail that lacks EA 9 stops the test.
    void bancDeLaDemo() {
        Banc banc;
        QVERIFY(banc.demarre());
        ScenarioCartes scenario;
        QString erreur;
        QVERIFY2(LitScenarioCartes(qEnvironmentVariable("CALVANET_SOURCE") +
                                       "/simulation/cartes/scenarios/banc-rails.json",
                                   scenario, &erreur),
                 qPrintable(erreur));
        AppliqueScenario(scenario, *banc.bus);
        banc.poste->op.repond("R15");
        TestRailsMeuble(*banc.poste);
        banc.verifieFin();
        const QStringList b = banc.bilan();
        QCOMPARE(b.mid(2, 2), QStringList({"10 carte(s) plateau(x) trouve(s)", "A01 --> R15"}));
        QCOMPARE(b.mid(9), QStringList({"A07 --> Rinconnu",
                                        "A07  DEFAUT sur ce rail  " + kR15sans9 + "   Rinconnu",
                                        QString::fromUtf8("  n° EA non conforme: -09"), ""}));
        QCOMPARE(banc.commandesCommencant("I").first(), QByteArray("IA1E8997"));
        QCOMPARE(banc.commandesCommencant("I")[9], QByteArray("IA:E8997"));
    }

    // At real time: the 1.5 s the cards measure in, and the half second after
    // each slow pulse, are really waited.
    void pausesReelles() {
        Banc banc;
        QVERIFY(banc.demarre());
        banc.poste->AccelerePauses(1);
        const QByteArray unEA = "00000000000000000000000000000001";
        banc.rail(1, unEA);
        banc.rail(2, unEA);
        banc.poste->op.repond("R");
        banc.poste->op.repondNon();
        QElapsedTimer chrono;
        chrono.start();
        TestRailsMeuble(*banc.poste);
        const qint64 duree = chrono.elapsed();
        banc.verifieFin();
        QCOMPARE(banc.tirs(), SeptCycles({{1, {1}}, {2, {1}}}));
        double mesure = 0, lecture = 0;
        QList<double> lents;
        for (const EvenementBus& e : banc.bus->journal()) {
            if (e.commande == "IA2E6F97")
                mesure = e.instantMs;
            if (lecture == 0 && e.commande == "IA1A")
                lecture = e.instantMs;
            if (e.commande.endsWith("0ACC10"))
                lents << e.instantMs;
        }
        QVERIFY2(lecture - mesure >= 1450, qPrintable(QString::number(lecture - mesure)));
        QCOMPARE(lents.size(), 4);
        for (int i = 1; i < lents.size(); ++i)
            QVERIFY2(lents[i] - lents[i - 1] >= 490,
                     qPrintable(QString::number(lents[i] - lents[i - 1])));
        QVERIFY2(duree >= 3500 && duree < 60000, qPrintable(QString::number(duree)));
    }
};

QTEST_MAIN(TstTestRailsMeuble)
#include "tst_TestRailsMeuble.moc"
