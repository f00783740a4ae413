// Serial number assignment on the simulated card bus: frames on the wire,
// "SNcarte.txt" byte for byte, the label bytes, and the boxes shown.
#include "AttribueSNcarte.h"
#include "BancCarte.h"
#include "EditeEtiquette.h"
#include "LiaisonCarte.h"
#include "TracesTest.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QtTest>
#include <cstdio>
#include <functional>

namespace {

const QByteArray kR08 = "00000000000000001111111111111111";
const QByteArray kR11 = "00000000001111111111111111111111";
const QByteArray kR08sans3 = "00000000000000001111111111111011";
const QByteArray kR11sans3 = "00000000001111111111111111111011";
const QByteArray kEnTeteAncien = "dernier SN: 00z9  01/12/2026 10:00:00\r\n";
const QByteArray kLigneAncienne =
    "01/12/2026 10:00:00 - 0 1 SN=00z9 - (A50) - ancien=PLT2 v2.14[FFFFc] IR ok (pIR=31%)  EA ok "
    "(16 EAs detectes)\r\n";

// A station context that lets a test act when a given status text shows.
class PosteEspion : public PosteTest {
public:
    std::function<void(const QString&)> surInfo;
    void AfficheInfo(const QString& texte) override {
        PosteTest::AfficheInfo(texte);
        if (surInfo)
            surInfo(texte);
    }
};

void Ecrit(const QString& chemin, const QByteArray& octets) {
    QFile f(chemin);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(octets), octets.size());
}

QByteArray LigneTrace(const QByteArray& sn, const QByteArray& suite = {},
                      const QByteArray& nc = "A50") {
    return "JJ/MM/AAAA hh:mm:ss - 0 1 SN=" + sn + " - (" + nc +
           ") - ancien=PLT2 v2.14[0A1Bc] IR ok (pIR=31%)  EA ok (16 EAs detectes)" + suite + "\r\n";
}

QByteArray EnTete(const QByteArray& sn) {
    return "dernier SN: " + sn + "  JJ/MM/AAAA hh:mm:ss\r\n";
}

// The card label, written here from the printer's manual rather than from
// the code that prints it.
QByteArray EtiquetteCarte(const QByteArray& type, const QByteArray& sn, const QByteArray& ea,
                          const QByteArray& ir = "IR ok (pIR=31%)") {
    const QByteArray semaine = CodeSemaine(QDate::currentDate()).toLatin1();
    return "\r\nN\r\nO\r\nq408\r\nQ203,24+0\r\nS2\r\nD6\r\nZT\r\nTTh:m\r\nTDy2.mn.dd\r\n"
           "A2,4,0,4,1,1,N,\"Morvane 2  Ct Plateau\"\r\n"
           "B2,28,0,1,2,2,49,B,\"" +
           type + "-" + sn + "-" + semaine +
           "-01\"\r\n"
           "A4,118,0,4,1,1,N,\"SN: " +
           sn +
           "\"\r\n"
           "A268,89,0,1,1,1,N,\"FW: PLT2 v2.14\"\r\n"
           "A181,118,0,4,1,1,N,\"nom: \"\r\n"
           "A2,144,0,1,1,1,N,\"IR : " +
           ir +
           "\"\r\n"
           "A2,160,0,1,1,1,N,\"EA : " +
           ea +
           "\"\r\n"
           "A2,176,0,1,1,1,N,\"led: no test\"\r\n"
           "P1\r\n";
}

QString CodeProduit(const QString& type, const QString& sn) {
    return type + "-" + sn + "-" + CodeSemaine(QDate::currentDate()) + "-01";
}

// One card on its own line, one station, the label printer as a file.
// The shared bench, with what these tests ask of it again and again.
struct Banc : BancCarte<PosteEspion> {
    QString snCarte() const { return poste->fichier(QStringLiteral("SNcarte.txt")); }
    bool demarre(const CarteSimulee& carte = {}) {
        if (!BancCarte::demarre(carte))
            return false;
        imprimeDansUnFichier();
        return true;
    }
    bool aEnvoye(const QByteArray& commande) const { return bus->commandes().contains(commande); }
    void rendMuette(bool oui) {
        bus->modifieCartes([oui](std::vector<CarteSimulee>& c) { c.front().muette = oui; });
    }
};

// Child mode of this program: one station of a pair sharing a trace folder.
int StationEnfant(const QString& dossier, int nombre) {
    Banc banc;
    if (!banc.demarre())
        return 2;
    banc.poste->reglages.CheminProg = dossier;
    banc.poste->reglages.portImp.clear();
    int reussis = 0;
    for (int i = 0; i < nombre; ++i) {
        banc.poste->op.echanges.clear();
        AttribueSNcarte(*banc.poste);
        if (banc.derniereBoite().startsWith(QStringLiteral("coller l'etiquette sous la carte")))
            ++reussis;
        else
            std::fprintf(stderr, "%s\n", qPrintable(banc.poste->op.boites().join(" | ")));
    }
    return reussis == nombre ? 0 : 1;
}

} // namespace

class TstAttribueSNcarte : public QObject {
    Q_OBJECT
private slots:
    void nomEcrit_data() {
        QTest::addColumn<QString>("future");
        QTest::addColumn<QString>("ecrit");
        QTest::newRow("defaut") << "A50"
                                << "A5";
        QTest::newRow("chiffre") << "B7"
                                 << "B7";
        QTest::newRow("lettre") << "BX"
                                << "B0";
        QTest::newRow("un seul caractere") << "C"
                                           << "C0";
    }
    void nomEcrit() {
        QFETCH(QString, future);
        QFETCH(QString, ecrit);
        QCOMPARE(NomCarteEcrit(future), ecrit);
    }

    // The next SN from the header, the card named after NomCarteFuture, the
    // trace line appended under the old lines, and the card label.
    void attribution_data() {
        QTest::addColumn<QByteArray>("dernier");
        QTest::addColumn<QByteArray>("sn");
        QTest::addColumn<QString>("nomFutur");
        QTest::addColumn<QByteArray>("nomEcrit");
        QTest::newRow("00z9") << QByteArray("00z9") << QByteArray("00zA") << "A50"
                              << QByteArray("A5");
        QTest::newRow("00Zz") << QByteArray("00Zz") << QByteArray("00a0") << "B7"
                              << QByteArray("B7");
        QTest::newRow("0zzz") << QByteArray("0zzz") << QByteArray("1000") << "BX"
                              << QByteArray("B0");
    }
    void attribution() {
        QFETCH(QByteArray, dernier);
        QFETCH(QByteArray, sn);
        QFETCH(QString, nomFutur);
        QFETCH(QByteArray, nomEcrit);
        Banc banc;
        QVERIFY(banc.demarre());
        banc.poste->reglages.NomCarteFuture = nomFutur;
        const QByteArray enTete = "dernier SN: " + dernier + "  01/12/2026 10:00:00\r\n";
        Ecrit(banc.snCarte(), enTete + kLigneAncienne);

        AttribueSNcarte(*banc.poste);

        QVERIFY2(banc.poste->op.inattendus.isEmpty(),
                 qPrintable(banc.poste->op.inattendus.join('\n')));
        const QList<QByteArray> c = banc.bus->commandes();
        const qsizetype ecriture = c.indexOf("Y##" + nomEcrit + sn);
        QVERIFY2(ecriture > 0, c.join(' ').constData());
        QCOMPARE(c.value(ecriture + 1), "V" + nomEcrit);
        QCOMPARE(c.count("I##E7585"), 0); // the R08 run passed: no R11 run
        QCOMPARE(banc.bus->carte(0).sn, sn);

        const QByteArray trace = Lit(banc.snCarte());
        QCOMPARE(SansHorodatage(trace), EnTete(sn) + SansHorodatage(kLigneAncienne) +
                                            LigneTrace(sn, {}, nomFutur.toLatin1()));
        QCOMPARE(Lit(banc.etiquette()), EtiquetteCarte("C8", sn, "EA ok (16 EAs detectes) R08"));
        QCOMPARE(banc.poste->LblDernierSN(), "dernier SN=" + QString(sn));
        QCOMPARE(banc.derniereBoite(),
                 "coller l'etiquette sous la carte\r\r" + CodeProduit("C8", sn));
        QVERIFY(banc.poste->historiqueInfo.contains("prochain SN= " + QString(sn)));
        QCOMPARE(banc.poste->info(), QString());
        QVERIFY(!PortCarteEstOuvert(*banc.poste));
    }

    // An empty file: the operator types the first SN of the station.
    void premierSN_data() {
        QTest::addColumn<QString>("saisie");
        QTest::addColumn<QString>("boite"); // empty: no box at all
        QTest::addColumn<bool>("donne");
        QTest::newRow("accepte") << "0a1B"
                                 << "coller l'etiquette sous la carte\r\r" +
                                        CodeProduit("C8", "0a1B")
                                 << true;
        QTest::newRow("tiret") << "0a1-"
                               << "- impossible dans le SN" << false;
        QTest::newRow("trois caracteres") << "0a1" << QString() << false;
        QTest::newRow("abandon") << QString() << QString() << false;
    }
    void premierSN() {
        QFETCH(QString, saisie);
        QFETCH(QString, boite);
        QFETCH(bool, donne);
        Banc banc;
        QVERIFY(banc.demarre());
        Ecrit(banc.snCarte(), {});
        banc.poste->op.repond(saisie);

        AttribueSNcarte(*banc.poste);

        const auto& echanges = banc.poste->op.echanges;
        QVERIFY(!echanges.isEmpty());
        QCOMPARE(echanges.first().genre, OperateurScripte::Genre::Saisie);
        QCOMPARE(echanges.first().texte, QString("taper le premier SN (carte) (4 caracteres)"));
        QCOMPARE(echanges.first().titre,
                 QString("SAISIR LE PREMIER NUMERO DE SERIE (carte) POUR CE POSTE"));
        QCOMPARE(echanges.first().defaut, QString());
        QCOMPARE(banc.derniereBoite(), boite);
        if (donne) {
            QVERIFY(banc.aEnvoye("Y##A50a1B"));
            QCOMPARE(SansHorodatage(Lit(banc.snCarte())), EnTete("0a1B") + LigneTrace("0a1B"));
        } else {
            QCOMPARE(echanges.size(), boite.isEmpty() ? 1 : 2);
            QCOMPARE(Lit(banc.snCarte()), QByteArray());
            for (const QByteArray& c : banc.bus->commandes())
                QVERIFY2(!c.startsWith('Y'), c.constData());
            QVERIFY(!QFile::exists(banc.etiquette()));
        }
        QVERIFY(!PortCarteEstOuvert(*banc.poste));
    }

    // Which EA run is kept, the type code, and the defect question.
    void railsEtDefauts_data() {
        QTest::addColumn<QByteArray>("motifR08"); // the rail during the R08 run
        QTest::addColumn<QByteArray>("motifR11"); // during the R11 run
        QTest::addColumn<int>("puissanceIR");
        QTest::addColumn<QString>("resume"); // empty: no question
        QTest::addColumn<bool>("continuer");
        QTest::addColumn<QString>("codeType");   // empty: nothing given
        QTest::addColumn<QByteArray>("texteEA"); // EA line of the label

        const QString hsR08 =
            "EA HS (E3) cause: 15 EAs  00000000-00000000-11111111-11111011 (Rinconnu)";
        const QString hsR11 =
            "EA HS (E3) cause: 21 EAs  00000000-00111111-11111111-11111011 (Rinconnu)";
        QTest::newRow("rail R11") << kR11 << kR11 << 120 << QString() << true << "C1"
                                  << QByteArray("EA ok (22 EAs detectes) R11");
        QTest::newRow("deux echecs, motifs egaux: R08 garde")
            << kR08sans3 << kR08sans3 << 120 << "IR ok\r" + hsR08 + " (test with R08)\r" << true
            << "C0" << QByteArray("00000000-00000000-11111111-11111011");
        QTest::newRow("deux echecs, R11 plus haut")
            << kR08sans3 << kR11sans3 << 120 << "IR ok\r" + hsR11 + " (test with R11)\r" << true
            << "C0" << QByteArray("00000000-00111111-11111111-11111011");
        QTest::newRow("defaut refuse")
            << kR08sans3 << kR08sans3 << 120 << "IR ok\r" + hsR08 + " (test with R08)\r" << false
            << QString() << QByteArray();
        QTest::newRow("defaut IR, EA bon")
            << kR08 << kR08 << 255 << "IR HS (C2) cause:aucune reception\rEA ok (test withR08)\r"
            << false << QString() << QByteArray();
    }
    void railsEtDefauts() {
        QFETCH(QByteArray, motifR08);
        QFETCH(QByteArray, motifR11);
        QFETCH(int, puissanceIR);
        QFETCH(QString, resume);
        QFETCH(bool, continuer);
        QFETCH(QString, codeType);
        QFETCH(QByteArray, texteEA);
        Banc banc;
        CarteSimulee carte;
        carte.presenceEA = motifR08;
        carte.puissanceIRTrouvee = puissanceIR;
        QVERIFY(banc.demarre(carte));
        banc.poste->surInfo = [&](const QString& texte) {
            if (texte == QLatin1String("Test EA ....R11"))
                banc.bus->modifieCartes(
                    [&](std::vector<CarteSimulee>& c) { c.front().presenceEA = motifR11; });
        };
        Ecrit(banc.snCarte(), kEnTeteAncien);
        if (!resume.isEmpty())
            continuer ? banc.poste->op.repondOui() : banc.poste->op.repondNon();

        AttribueSNcarte(*banc.poste);

        QVERIFY2(banc.poste->op.inattendus.isEmpty(),
                 qPrintable(banc.poste->op.inattendus.join('\n')));
        const auto& echanges = banc.poste->op.echanges;
        if (resume.isEmpty()) {
            QCOMPARE(echanges.first().genre, OperateurScripte::Genre::Boite);
        } else {
            const auto& q = echanges.first();
            QCOMPARE(q.genre, OperateurScripte::Genre::OuiNon);
            QCOMPARE(q.titre, QString("DEFAUT EA et/ou IR"));
            QCOMPARE(q.icone, Icone::Exclamation);
            QVERIFY(q.nonParDefaut);
            QCOMPARE(q.texte, "Votre Carte a un defaut sur la detection des EAs ou sur le test "
                              "autonome des IR\r\r" +
                                  resume +
                                  QString::fromUtf8("\rVoulez-vous continuer à attribuer un SN ?"));
            QVERIFY(banc.poste->historiqueInfo.contains(resume));
        }
        if (codeType.isEmpty()) {
            QCOMPARE(banc.poste->info(), QString("abandon SN"));
            QCOMPARE(Lit(banc.snCarte()), kEnTeteAncien);
            QCOMPARE(echanges.size(), 1);
            for (const QByteArray& c : banc.bus->commandes())
                QVERIFY2(!c.startsWith('Y'), c.constData());
            return;
        }
        QVERIFY(banc.aEnvoye("Y##A500zA"));
        QCOMPARE(banc.derniereBoite(),
                 "coller l'etiquette sous la carte\r\r" + CodeProduit(codeType, "00zA"));
        const QByteArray label = Lit(banc.etiquette());
        QVERIFY2(label.contains("\"EA : " + texteEA + "\""), label.constData());
        QVERIFY(label.contains("B2,28,0,1,2,2,49,B,\"" + codeType.toLatin1() + "-00zA-"));
    }

    // No SN is ever given twice: a failure before the write gives the SN
    // back, a failure after it records the SN as lost and moves on.
    void echecs_data() {
        QTest::addColumn<QString>("quand");        // status text at which the card goes silent
        QTest::addColumn<QByteArray>("relecture"); // imposed reply to the read-back
        QTest::addColumn<QString>("boite");
        QTest::addColumn<QByteArray>("perdu"); // end of the trace line, empty: SN given back
        QTest::newRow("pas de reponse avant ecriture")
            << "prochain SN= 00zA" << QByteArray()
            << "pas de reponse carte de la carte\rErr: Time Out" << QByteArray();
        QTest::newRow("ecriture sans reponse")
            << "ecrit SN= 00zA" << QByteArray() << "pas de reponse carte de la carte\rErr: Time Out"
            << QByteArray("  ** SN perdu: pas de reponse carte de la carte Err: Time Out");
        QTest::newRow("relecture sans reponse")
            << "verif SN ..." << QByteArray()
            << "pas de reponse carte de la carte sur verification\rErr: Time Out"
            << QByteArray("  ** SN perdu: pas de reponse carte de la carte sur verification Err: "
                          "Time Out");
        QTest::newRow("relecture differente")
            << QString() << QByteArray("VPLT2 v2.14[00z9c]")
            << QString::fromUtf8(
                   "le numero de serie ecrit dans la carte est different du SN demandé")
            << QByteArray("  ** SN perdu: le numero de serie ecrit dans la carte est different du "
                          "SN demand\xe9 (SN lu: 00z9)");
    }
    void echecs() {
        QFETCH(QString, quand);
        QFETCH(QByteArray, relecture);
        QFETCH(QString, boite);
        QFETCH(QByteArray, perdu);
        Banc banc;
        QVERIFY(banc.demarre());
        if (!relecture.isEmpty())
            banc.bus->modifieCartes([&](std::vector<CarteSimulee>& c) {
                c.front().reponsesImposees.insert("VA5", relecture);
            });
        banc.poste->surInfo = [&](const QString& texte) {
            if (!quand.isEmpty() && texte == quand)
                banc.rendMuette(true);
        };
        Ecrit(banc.snCarte(), kEnTeteAncien);

        AttribueSNcarte(*banc.poste);

        QVERIFY2(banc.poste->op.inattendus.isEmpty(),
                 qPrintable(banc.poste->op.inattendus.join('\n')));
        QCOMPARE(banc.poste->op.boites(), QStringList{boite});
        QCOMPARE(banc.poste->op.dernier().icone, Icone::Critique);
        QVERIFY(!QFile::exists(banc.etiquette()));
        QCOMPARE(banc.poste->LblDernierSN(), QString());
        QVERIFY(!PortCarteEstOuvert(*banc.poste));
        QCOMPARE(banc.poste->info(), QString());
        const QByteArray apres = Lit(banc.snCarte());
        if (perdu.isEmpty()) {
            QCOMPARE(apres, kEnTeteAncien);
            QVERIFY(!banc.aEnvoye("Y##A500zA"));
        } else {
            QCOMPARE(SansHorodatage(apres), EnTete("00zA") + LigneTrace("00zA", perdu));
        }

        // The next card: the SN given back, or the one after the lost one.
        banc.poste->surInfo = nullptr;
        banc.rendMuette(false);
        banc.bus->modifieCartes([](std::vector<CarteSimulee>& c) {
            c.front().reponsesImposees.clear();
            c.front().nom = "A1";
            c.front().sn = "0A1B";
        });
        banc.poste->op.echanges.clear();
        AttribueSNcarte(*banc.poste);
        const QByteArray suivant = perdu.isEmpty() ? "00zA" : "00zB";
        QCOMPARE(banc.derniereBoite(),
                 "coller l'etiquette sous la carte\r\r" + CodeProduit("C8", suivant));
        QCOMPARE(SansHorodatage(Lit(banc.snCarte())),
                 EnTete(suivant) + SansHorodatage(apres).mid(EnTete(suivant).size()) +
                     LigneTrace(suivant));
    }

    // An SN already in the trace (a header set back): the card gets the
    // first SN no line holds, the skipped one is noted, the operator told once.
    void doublonSaute() {
        Banc banc;
        QVERIFY(banc.demarre());
        const QByteArray existant =
            "dernier SN: 0A1B  01/12/2026 10:00:00\r\n"
            "01/12/2026 09:00:00 - 0 1 SN=0A1B - (A50) - ancien=x IR ok  EA ok\r\n"
            "01/12/2026 09:30:00 - 0 2 SN=0A1C - (A50) - ancien=x IR ok  EA ok\r\n";
        Ecrit(banc.snCarte(), existant);

        AttribueSNcarte(*banc.poste);

        QCOMPARE(banc.poste->op.boites().first(),
                 "le SN 0A1C est deja attribue dans " + banc.snCarte() +
                     ", ligne 3:\r01/12/2026 09:30:00 - 0 2 SN=0A1C - (A50) - ancien=x IR "
                     "ok  EA ok\rSN deja attribues, sautes: 0A1C\rSN attribue: 0A1D");
        QVERIFY(banc.aEnvoye("Y##A50A1D"));
        QVERIFY(!banc.aEnvoye("Y##A50A1C"));
        QCOMPARE(SansHorodatage(Lit(banc.snCarte())),
                 EnTete("0A1D") + SansHorodatage(existant.mid(existant.indexOf('\n') + 1)) +
                     "JJ/MM/AAAA hh:mm:ss ** SN deja attribues, sautes: 0A1C -> 0A1D\r\n" +
                     LigneTrace("0A1D"));
        QCOMPARE(Lit(banc.etiquette()),
                 EtiquetteCarte("C8", "0A1D", "EA ok (16 EAs detectes) R08"));
    }

    // Another station takes the forecast SN while this one talks to its card:
    // this one goes on with the SN after it.
    void autrePosteEntreTemps() {
        Banc banc;
        QVERIFY(banc.demarre());
        Ecrit(banc.snCarte(), kEnTeteAncien);
        const QByteArray autre =
            "01/12/2026 10:05:00 - 0 2 SN=00zA - (A50) - ancien=x IR ok  EA ok\r\n";
        banc.poste->surInfo = [&](const QString& texte) {
            if (texte == QLatin1String("prochain SN= 00zA"))
                Ecrit(banc.snCarte(), "dernier SN: 00zA  01/12/2026 10:05:00\r\n" + autre);
        };

        AttribueSNcarte(*banc.poste);

        QVERIFY(banc.aEnvoye("Y##A500zB"));
        QVERIFY(!banc.aEnvoye("Y##A500zA"));
        QCOMPARE(SansHorodatage(Lit(banc.snCarte())),
                 EnTete("00zB") + SansHorodatage(autre) + LigneTrace("00zB"));
        QVERIFY(banc.poste->historiqueInfo.contains("ecrit SN= 00zB"));
    }

    // A station holding the lock too long: clear box, nothing written.
    void verrouTenu() {
        Banc banc;
        QVERIFY(banc.demarre());
        Ecrit(banc.snCarte(), kEnTeteAncien);
        QLockFile autre(banc.snCarte() + ".lock");
        QVERIFY(autre.tryLock(0));

        AttribueSNcarte(*banc.poste);

        QCOMPARE(banc.poste->op.boites().size(), 1);
        QVERIFY2(banc.derniereBoite().contains("est occupe par un autre poste"),
                 qPrintable(banc.derniereBoite()));
        QCOMPARE(Lit(banc.snCarte()), kEnTeteAncien);
        QVERIFY(!banc.aEnvoye("Y##A500zA"));
    }

    // The lock of a station killed on this machine does not block the others.
    void verrouAbandonne() {
        Banc banc;
        QVERIFY(banc.demarre());
        Ecrit(banc.snCarte(), kEnTeteAncien);
        Ecrit(banc.snCarte() + ".lock",
              "999999\ncalvanet\n" + QSysInfo::machineHostName().toUtf8() + "\n");

        AttribueSNcarte(*banc.poste);

        QVERIFY(banc.aEnvoye("Y##A500zA"));
        QCOMPARE(SansHorodatage(Lit(banc.snCarte())), EnTete("00zA") + LigneTrace("00zA"));
        QVERIFY(!QFile::exists(banc.snCarte() + ".lock"));
    }

    // Unusable files: a box, nothing written, no SN.
    void fichierInutilisable_data() {
        QTest::addColumn<QByteArray>("contenu"); // empty: the folder is gone
        QTest::addColumn<QString>("debutBoite");
        QTest::newRow("dossier absent") << QByteArray() << "impossible de lire ";
        QTest::newRow("en-tete illisible")
            << QByteArray("dernier SN: 0-1B  01/12/2026 10:00:00\r\n") << "la premiere ligne de ";
    }
    void fichierInutilisable() {
        QFETCH(QByteArray, contenu);
        QFETCH(QString, debutBoite);
        Banc banc;
        QVERIFY(banc.demarre());
        if (contenu.isEmpty())
            banc.poste->reglages.CheminProg = banc.poste->fichier("absent");
        else
            Ecrit(banc.snCarte(), contenu);

        AttribueSNcarte(*banc.poste);

        QCOMPARE(banc.poste->op.boites().size(), 1);
        QVERIFY2(banc.derniereBoite().startsWith(debutBoite), qPrintable(banc.derniereBoite()));
        QCOMPARE(Lit(banc.snCarte()), contenu);
        QVERIFY(!QDir(banc.poste->fichier("absent")).exists());
        for (const QByteArray& c : banc.bus->commandes())
            QVERIFY2(!c.startsWith('Y'), c.constData());
    }

    // A header of another length is not overwritten in place (it would eat
    // into the first trace line): the file is rewritten whole.
    void enTeteDAutreLongueur() {
        Banc banc;
        QVERIFY(banc.demarre());
        Ecrit(banc.snCarte(), "dernier SN: 00z9  1/12/2026 9:00:00\r\n" + kLigneAncienne);

        AttribueSNcarte(*banc.poste);

        QCOMPARE(SansHorodatage(Lit(banc.snCarte())),
                 EnTete("00zA") + SansHorodatage(kLigneAncienne) + LigneTrace("00zA"));
    }

    // No card: the box, nothing written.
    void carteAbsente() {
        Banc banc;
        CarteSimulee carte;
        carte.muette = true;
        QVERIFY(banc.demarre(carte));
        Ecrit(banc.snCarte(), kEnTeteAncien);

        AttribueSNcarte(*banc.poste);

        QCOMPARE(banc.poste->op.boites(), QStringList{"Votre carte N'EST PAS CONNECTE"});
        QCOMPARE(banc.poste->op.dernier().icone, Icone::Critique);
        QCOMPARE(banc.poste->info(), QString("abandon SN (Time Out Carte)"));
        QCOMPARE(Lit(banc.snCarte()), kEnTeteAncien);
    }

    // Two stations numbering cards at the same time on one shared folder.
    void deuxPostesSimultanes() {
        QTemporaryDir dossier;
        QVERIFY(dossier.isValid());
        const QString chemin = dossier.filePath("SNcarte.txt");
        Ecrit(chemin, "dernier SN: 0000  01/12/2026 10:00:00\r\n");
        constexpr int kParPoste = 4;

        QProcess postes[2];
        for (QProcess& p : postes) {
            p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            p.start(QCoreApplication::applicationFilePath(),
                    {"--enfant", dossier.path(), QString::number(kParPoste)});
        }
        for (QProcess& p : postes) {
            QVERIFY(p.waitForFinished(180000));
            QCOMPARE(p.exitStatus(), QProcess::NormalExit);
            QCOMPARE(p.exitCode(), 0);
        }

        const QList<QByteArray> lignes = Lit(chemin).split('\n');
        QCOMPARE(lignes.size(), 2 * kParPoste + 2); // header, lines, empty after the last LF
        QSet<QByteArray> donnes;
        static const QRegularExpression sn(QStringLiteral(" SN=(\\S{4}) "));
        for (qsizetype i = 1; i <= 2 * kParPoste; ++i) {
            const auto m = sn.match(QString::fromLatin1(lignes[i]));
            QVERIFY2(m.hasMatch(), lignes[i].constData());
            donnes.insert(m.captured(1).toLatin1());
        }
        QCOMPARE(donnes.size(), 2 * kParPoste);
        QCOMPARE(donnes, QSet<QByteArray>(
                             {"0001", "0002", "0003", "0004", "0005", "0006", "0007", "0008"}));
        QVERIFY(lignes.first().startsWith("dernier SN: 0008  "));
    }
};

int main(int argc, char** argv) {
    if (argc == 4 && qstrcmp(argv[1], "--enfant") == 0) {
        QCoreApplication app(argc, argv);
        return StationEnfant(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toInt());
    }
    QCoreApplication app(argc, argv);
    TstAttribueSNcarte t;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&t, argc, argv);
}

#include "tst_AttribueSNcarte.moc"
