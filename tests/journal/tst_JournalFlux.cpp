// The card workflows on the simulated bench write one journal record per
// run, whatever its end, with its measurements and their limits; a journal
// that cannot be written costs one box and nothing else.
#include "AttribueSNcarte.h"
#include "BancCarte.h"
#include "JournalPoste.h"
#include "LecteurSqlite.h"
#include "MenuBanc.h"
#include "TestPlateauSeul.h"
#include "TracesTest.h"

#include <QtTest>

namespace {

const QString kPassage =
    QStringLiteral("SELECT flux, usine, operateur, coalesce(sn, '-'), coalesce(nom_carte, '-'),"
                   " coalesce(version_fw, '-'), issue, coalesce(code_defaut, '-') FROM passages");
const QString kMesures = QStringLiteral(
    "SELECT nom, coalesce(valeur, '-'), coalesce(texte, '-'), coalesce(limite_basse, '-'),"
    " coalesce(limite_haute, '-'), coalesce(unite, ''), conforme, coalesce(code, '')"
    " FROM mesures ORDER BY rang");

const QString kR08 = QStringLiteral("00000000000000001111111111111111");
const QString kPuissanceBonne = QStringLiteral("IR puissance|120.0|-|80.0|190.0||1|");
const QStringList kMesuresBonnes = {
    kPuissanceBonne,
    "IR pourcentage|31.0|-|11.0|67.0|%|1|",
    "EA nombre|16.0|-|16.0|16.0||1|",
    "EA motif|-|" + kR08 + "|-|-||1|",
    "type rail demande|-|R08|-|-||1|",
    "type rail trouve|-|R08|-|-||1|",
    "LED nombre|32.0|11111111111111111111111111111111|32.0|32.0||1|",
    "alim|48.8|-|47.0|51.0|V|1|"};

const QByteArray kRecordBon =
    "JJ/MM/AAAA hh:mm:ss - 0 1 SN=0A1B - (A-1) - FW: PLT2 v2.14    IR ok "
    "(pIR=31%)   EA ok (16 EAs detectes)(R08)   LedAR ok (32 detectees)\r\n";

struct Banc : BancCarte<> {
    QString journal;
    bool demarre(const CarteSimulee& carte) {
        if (!BancCarte::demarre(carte))
            return false;
        imprimeDansUnFichier();
        journal = fichier(QStringLiteral("journal/journal-banc.sqlite"));
        Journal::FixeChemin(*poste, journal);
        return true;
    }
    QStringList boitesJournal() const {
        return poste->op.boites().filter(QRegularExpression("^Le journal de production"));
    }
};

} // namespace

class TstJournalFlux : public QObject {
    Q_OBJECT
private slots:
    void plateauSeul_data() {
        QTest::addColumn<QString>("deroulement");
        QTest::addColumn<QString>("passage");
        QTest::addColumn<QStringList>("mesures");
        QTest::newRow("reussi") << "ok"
                                << "TestPlateauSeul|0|1|0A1B|A-1|PLT2 v2.14|reussi|-"
                                << kMesuresBonnes;
        QTest::newRow("defauts")
            << "defauts"
            << "TestPlateauSeul|0|1|0A1B|A-1|PLT2 v2.14|echec|C2"
            << QStringList{"IR puissance|-|aucune reception|80.0|190.0||0|C2",
                           "EA nombre|16.0|-|16.0|16.0||1|",
                           "EA motif|-|" + kR08 + "|-|-||1|",
                           "type rail demande|-|R08|-|-||1|",
                           "type rail trouve|-|R08|-|-||1|",
                           "LED nombre|31.0|11111111-11111111-11111111-11111110|32.0|32.0||0|L3",
                           "alim|46.6|-|47.0|51.0|V|0|alim"};
        QTest::newRow("autre rail") << "R11"
                                    << "TestPlateauSeul|0|1|0A1B|A-1|PLT2 v2.14|echec|E3"
                                    << QStringList{kMesuresBonnes[0],
                                                   kMesuresBonnes[1],
                                                   "EA nombre|16.0|-|22.0|22.0||0|E3",
                                                   kMesuresBonnes[3],
                                                   "type rail demande|-|R11|-|-||1|",
                                                   "type rail trouve|-|R08|-|-||0|type",
                                                   kMesuresBonnes[6],
                                                   kMesuresBonnes[7]};
        QTest::newRow("abandon pendant les tirs")
            << "abandon"
            << "TestPlateauSeul|0|1|0A1B|A-1|PLT2 v2.14|abandon|-" << kMesuresBonnes;
        QTest::newRow("carte absente")
            << "absente"
            << "TestPlateauSeul|0|1|-|-|-|echec|carte absente" << QStringList{};
        // A card that stops answering at one step: that step's code, the
        // other tests measured as usual.
        const QString echec = QStringLiteral("TestPlateauSeul|0|1|0A1B|A-1|PLT2 v2.14|echec|");
        QTest::newRow("IR sans reponse") << "silence F##2" << echec + "C6"
                                         << QStringList{"IR|-|-|-|-||0|C6"} + kMesuresBonnes.mid(2);
        QTest::newRow("EA sans reponse")
            << "silence I##A" << echec + "E4"
            << kMesuresBonnes.mid(0, 2) + QStringList{"EA nombre|-|-|-|-||0|E4"} +
                   kMesuresBonnes.mid(6);
        QTest::newRow("LED sans reponse")
            << "silence I##L" << echec + "L4"
            << kMesuresBonnes.mid(0, 6) + QStringList{"LED nombre|-|-|32.0|32.0||0|L4"} +
                   kMesuresBonnes.mid(7);
        QTest::newRow("alim sans reponse")
            << "silence C##0" << echec + "alim"
            << kMesuresBonnes.mid(0, 7) + QStringList{"alim|-|-|47.0|51.0|V|0|alim"};
    }
    void plateauSeul() {
        QFETCH(QString, deroulement);
        QFETCH(QString, passage);
        QFETCH(QStringList, mesures);
        Banc banc;
        CarteSimulee carte;
        carte.coupureApresDecharges = 1;
        if (deroulement == "defauts") {
            carte.puissanceIRTrouvee = 255;
            carte.ledsAR = "11111111111111111111111111111110";
            carte.alimentation = 46.5;
        }
        carte.muette = deroulement == "absente";
        if (deroulement.startsWith("silence "))
            carte.silencePour << deroulement.mid(8).toLatin1();
        QVERIFY(banc.demarre(carte));
        banc.poste->op.repond(deroulement == "R11" ? "R11" : "R08");
        banc.poste->op.repondNon();
        if (deroulement == "abandon")
            banc.annuleApres("E##50ACD10");
        const QDateTime avant = QDateTime::currentDateTimeUtc().addSecs(-1);

        BtTestPlateauSeul_Click(*banc.poste);

        QCOMPARE(Sqlite(banc.journal, kPassage), QStringList{passage});
        QCOMPARE(Sqlite(banc.journal, kMesures), mesures);
        // The texts as the operator saw them on the label question.
        if (deroulement == "defauts")
            QCOMPARE(Sqlite(banc.journal, "SELECT texte FROM resultats WHERE rang = 4"),
                     QStringList{"TestAlim HS = 46.6v"});
        if (deroulement == "ok")
            QCOMPARE(Sqlite(banc.journal, "SELECT texte FROM resultats ORDER BY rang"),
                     (QStringList{"IR ok (pIR=31%)", "EA ok (16 EAs detectes)",
                                  "LedAR ok (32 detectees)", "TestAlim OK = 48.8v"}));
        const QStringList quand =
            Sqlite(banc.journal, "SELECT debut, duree_ms, poste FROM passages").first().split('|');
        QVERIFY(QDateTime::fromString(quand[0], Qt::ISODateWithMs) >= avant);
        QVERIFY(quand[1].toLongLong() >= 0);
        QCOMPARE(quand[2], QSysInfo::machineHostName());
        QVERIFY(banc.boitesJournal().isEmpty());
    }

    void attributionSN_data() {
        QTest::addColumn<QString>("deroulement");
        QTest::addColumn<QString>("passage");
        QTest::addColumn<QStringList>("mesures");
        QTest::newRow("SN donne") << "ok"
                                  << "AttribueSNcarte|0|1|00zA|A-1|PLT2 v2.14|reussi|-"
                                  << kMesuresBonnes.mid(0, 6);
        QTest::newRow("defaut refuse")
            << "defaut"
            << "AttribueSNcarte|0|1|0A1B|A-1|PLT2 v2.14|echec|C2"
            << QStringList{"IR puissance|-|aucune reception|80.0|190.0||0|C2"} +
                   kMesuresBonnes.mid(2, 4);
        QTest::newRow("carte absente")
            << "absente"
            << "AttribueSNcarte|0|1|-|-|-|echec|carte absente" << QStringList{};
    }
    void attributionSN() {
        QFETCH(QString, deroulement);
        QFETCH(QString, passage);
        QFETCH(QStringList, mesures);
        Banc banc;
        CarteSimulee carte;
        carte.puissanceIRTrouvee = deroulement == "defaut" ? 255 : 120;
        carte.muette = deroulement == "absente";
        QVERIFY(banc.demarre(carte));
        QFile sn(banc.fichier("SNcarte.txt"));
        QVERIFY(sn.open(QIODevice::WriteOnly));
        sn.write("dernier SN: 00z9  01/12/2026 10:00:00\r\n01/12/2026 10:00:00 - 0 1 SN=00z9 - "
                 "(A50) - ancien=PLT2 v2.14[FFFFc] IR ok (pIR=31%)  EA ok (16 EAs detectes)\r\n");
        sn.close();
        banc.poste->op.repondNon();

        AttribueSNcarte(*banc.poste);

        QCOMPARE(Sqlite(banc.journal, kPassage), QStringList{passage});
        QCOMPARE(Sqlite(banc.journal, kMesures), mesures);
        QVERIFY(banc.boitesJournal().isEmpty());
    }

    // The bench menu's tests, each a run of its own.
    void menuBanc_data() {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<int>("puissance");
        QTest::addColumn<QString>("passage");
        QTest::addColumn<QStringList>("mesures");
        QTest::newRow("IR ok") << "IR" << 120 << "TestIR|0A1B|-|PLT2 v2.14|reussi|-"
                               << kMesuresBonnes.mid(0, 2);
        QTest::newRow("IR C3") << "IR" << 200 << "TestIR|0A1B|-|PLT2 v2.14|echec|C3"
                               << QStringList{"IR puissance|200.0|-|80.0|190.0||0|C3"};
        QTest::newRow("EA ok") << "EA" << 120 << "TestPresenceEA|0A1B|-|PLT2 v2.14|reussi|-"
                               << kMesuresBonnes.mid(2, 4);
    }
    void menuBanc() {
        QFETCH(QString, menu);
        QFETCH(int, puissance);
        QFETCH(QString, passage);
        QFETCH(QStringList, mesures);
        Banc banc;
        CarteSimulee carte;
        carte.puissanceIRTrouvee = puissance;
        QVERIFY(banc.demarre(carte));
        if (menu == "IR") {
            mnuTestIRsansManip_Click(*banc.poste);
        } else {
            banc.poste->op.repond("R08");
            mnuTestEA_Click(*banc.poste);
        }
        QCOMPARE(Sqlite(banc.journal, "SELECT flux, coalesce(sn, '-'), coalesce(nom_carte, '-'),"
                                      " version_fw, issue, coalesce(code_defaut, '-')"
                                      " FROM passages"),
                 QStringList{passage});
        QCOMPARE(Sqlite(banc.journal, kMesures), mesures);
    }

    // Production goes on: the trace record and the label as with a sound
    // journal, one box for the whole session, the file left as it was.
    void journalInutilisable() {
        Banc banc;
        CarteSimulee carte;
        carte.coupureApresDecharges = 1;
        QVERIFY(banc.demarre(carte));
        QDir().mkpath(QFileInfo(banc.journal).path());
        QFile f(banc.journal);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("pas un journal\n").repeated(100));
        f.close();
        const QByteArray avant = Lit(banc.journal);

        for (int run = 0; run < 2; ++run) {
            banc.poste->op.repond("R08");
            banc.poste->op.repondOui();
            banc.bus->modifieCartes([](std::vector<CarteSimulee>& c) {
                c.front().alimentee = true;
                c.front().decharges = 0;
            });
            BtTestPlateauSeul_Click(*banc.poste);
        }

        QVERIFY2(banc.poste->op.inattendus.isEmpty(),
                 qPrintable(banc.poste->op.inattendus.join('\n')));
        QCOMPARE(banc.boitesJournal().size(), 1);
        QVERIFY(banc.boitesJournal().first().contains(banc.journal));
        QCOMPARE(SansHorodatage(Lit(banc.fichier("TestPlateauSeul.txt"))), kRecordBon + kRecordBon);
        QVERIFY(QFile::exists(banc.etiquette()));
        QCOMPARE(Lit(banc.journal), avant);
    }
};

QTEST_MAIN(TstJournalFlux)
#include "tst_JournalFlux.moc"
