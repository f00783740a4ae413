// Faults of the card line during an SN assignment, through the simulated bus
// on a pseudo-terminal: noise, a CR inside noise, a lower-case checksum, a
// reply after the time-out, two cards talking at once, the adapter pulled
// out. Each ends in the box the operator is owed and a trace that gives no
// SN twice and no label for a card that did not take its SN; the next card,
// once the line is sound again, gets the next SN.
#include "AttribueSNcarte.h"
#include "BancCarte.h"
#include "SerieLue.h"
#include "TracesTest.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QtTest>

namespace {

const QString kEcriture = QStringLiteral("pas de reponse carte de la carte");
const QString kVerification = QStringLiteral("pas de reponse carte de la carte sur verification");
const QString kAbsente = QStringLiteral("Votre carte N'EST PAS CONNECTE");
const QString kColler = QStringLiteral("coller l'etiquette sous la carte");

struct Banc : BancCarte<> {
    QTemporaryDir liens;
    QString lien() const { return liens.filePath(QStringLiteral("carte")); }
    // The bus behind a link, so that the adapter can be plugged in again
    // under the same name.
    bool demarreAvecLien() {
        if (!demarreBus(lien()))
            return false;
        poste = std::make_unique<PosteTest>();
        poste->reglages.PortCarte = PortCarteDuBus(*bus);
        return true;
    }
    bool rebranche() {
        bus->stop();
        return bus->start(lien());
    }
};

} // namespace

class TstDefautsLigne : public QObject {
    Q_OBJECT
private slots:
    void attribution_data() {
        QTest::addColumn<QString>("defaut");
        QTest::addColumn<QString>("boite");      // the one box of the faulty run
        QTest::addColumn<QByteArray>("perdu");   // the SN noted lost, or none taken
        QTest::addColumn<QByteArray>("snCarte"); // what the card holds after it
        QTest::newRow("parasites avant la reponse a l'ecriture")
            << "parasites" << kEcriture + "\rErr: ne commence pas par '/'" << QByteArray("0001")
            << QByteArray("0001");
        QTest::newRow("CR dans les parasites avant la relecture")
            << "cr" << kVerification + "\rErr: Time Out" << QByteArray("0001")
            << QByteArray("0001");
        QTest::newRow("checksum en minuscules")
            << "minuscules" << kEcriture + "\rErr: check sum incorrecte" << QByteArray("0001")
            << QByteArray("0001");
        QTest::newRow("reponse apres le delai") << "tardive" << kEcriture + "\rErr: Time Out"
                                                << QByteArray("0001") << QByteArray("0001");
        QTest::newRow("deux cartes a la fois")
            << "collision" << kAbsente << QByteArray() << QByteArray("0A1B");
        QTest::newRow("adaptateur arrache pendant l'ecriture")
            << "arrache" << kEcriture + "\rErr: Time Out" << QByteArray("0001")
            << QByteArray("0A1B");
    }
    void attribution() {
        QFETCH(QString, defaut);
        QFETCH(QString, boite);
        QFETCH(QByteArray, perdu);
        QFETCH(QByteArray, snCarte);
        Banc banc;
        QVERIFY(banc.demarreAvecLien());
        banc.carte();
        banc.imprimeDansUnFichier();
        const QString serie = banc.fichier(QStringLiteral("SNcarte.txt"));
        Ecrit(serie, "dernier SN: 0000  01/12/2026 10:00:00\r\n");

        const QByteArray ecriture = "Y##A5";
        banc.bus->modifieCartes([&](std::vector<CarteSimulee>& c) {
            CarteSimulee& carte = c.front();
            if (defaut == "parasites")
                carte.parasitesAvantPour.insert(ecriture, QByteArray("\x00\xff\x1b~", 4));
            else if (defaut == "cr")
                carte.parasitesAvantPour.insert("VA5", QByteArray("\x05\r", 2));
            else if (defaut == "minuscules")
                carte.checkSumMinusculePour << ecriture;
            else if (defaut == "tardive")
                carte.delaiReponsePour.insert(ecriture, 1200);
        });
        if (defaut == "collision")
            banc.carte([](CarteSimulee& c) { c.sn = "9Z9Z"; });
        if (defaut == "arrache")
            banc.bus->raccrochePour(ecriture);

        QElapsedTimer duree;
        duree.start();
        AttribueSNcarte(*banc.poste);
        QVERIFY(duree.elapsed() < 30000); // no hang

        auto& op = banc.poste->op;
        QVERIFY2(op.inattendus.isEmpty(), qPrintable(op.inattendus.join('\n')));
        QCOMPARE(op.boites(), QStringList{boite});
        QCOMPARE(op.dernier().icone, Icone::Critique);
        QVERIFY(!QFile::exists(banc.etiquette()));
        QVERIFY(!banc.poste->LblDernierSN().contains(QLatin1String(perdu)) || perdu.isEmpty());
        QByteArray trace = "dernier SN: 0000  JJ/MM/AAAA hh:mm:ss\r\n";
        if (!perdu.isEmpty()) {
            trace = "dernier SN: " + perdu + "  JJ/MM/AAAA hh:mm:ss\r\n";
            const QByteArray ligne = SansHorodatage(Lit(serie)).split('\n').value(1);
            QVERIFY2(
                ligne.contains(" SN=" + perdu + " ") &&
                    ligne.endsWith("  ** SN perdu: " + boite.replace('\r', ' ').toLatin1() + "\r"),
                ligne.constData());
            trace += ligne + '\n';
        }
        QCOMPARE(SansHorodatage(Lit(serie)), trace);

        // The line sound again: the next card gets the next SN and its label.
        if (defaut == "arrache") {
            QVERIFY(!QFile::exists(banc.lien()));
            QCOMPARE(banc.bus->carte(0).sn, snCarte);
            banc.bus->raccrochePour({});
            QVERIFY(banc.rebranche());
        }
        banc.bus->modifieCartes([&](std::vector<CarteSimulee>& c) {
            QCOMPARE(c.front().sn, snCarte);
            c.resize(1);
            CarteSimulee saine;
            saine.nom = c.front().nom;
            saine.sn = c.front().sn;
            c.front() = saine;
        });
        op.echanges.clear();
        AttribueSNcarte(*banc.poste);
        QVERIFY2(op.inattendus.isEmpty(), qPrintable(op.inattendus.join('\n')));
        const QByteArray suivant = perdu.isEmpty() ? "0001" : "0002";
        QCOMPARE(op.boites().size(), 1);
        QVERIFY2(op.boites().first().startsWith(kColler), qPrintable(op.boites().first()));
        QCOMPARE(banc.bus->carte(0).sn, suivant);
        QVERIFY(Lit(serie).startsWith("dernier SN: " + suivant + "  "));
        QVERIFY(Lit(banc.etiquette()).contains(suivant));
    }
};

QTEST_GUILESS_MAIN(TstDefautsLigne)
#include "tst_DefautsLigne.moc"
