// A series file spoiled by hand, by another program or by a disk: the SN
// assignment of a card and of a rail bench stops with a box naming the file;
// the file stays byte for byte as it was, the card keeps its SN, no label is
// printed and no SN is invented.
#include "AttribueSNcarte.h"
#include "BancCarte.h"
#include "SerieLue.h"
#include "TestRailsMeuble.h"
#include "TracesTest.h"

#include <QFile>
#include <QtTest>

namespace {

const QByteArray kR08S = "00000000000000001010101010101010";

} // namespace

class TstFichiersCorrompus : public QObject {
    Q_OBJECT
private slots:
    void attributionArretee_data() {
        QTest::addColumn<QString>("serie");
        QTest::addColumn<QByteArray>("contenu");
        const QByteArray suite = "01/12/2026 10:00:00 - 0 1 SN=0A1B R08S\r\n";
        static const char kQuelconques[] = "\x00\x9f\xff\x1b/PK\x03\x04zzzzzzzz\r\n";
        const QList<std::pair<const char*, QByteArray>> fautes{
            {"en-tete coupe", "dernier SN: 0A\r\n" + suite},
            {"hors des 62 chiffres", "dernier SN: 0A_B  01/12/2026 10:00:00\r\n" + suite},
            {"octets quelconques", QByteArray(kQuelconques, sizeof kQuelconques - 1)},
            {"marque d'ordre UTF-8", "\xef\xbb\xbf"
                                     "dernier SN: 0A1B  01/12/2026 10:00:00\r\n" +
                                         suite},
            {"en-tete vide et lignes", "\r\n" + suite},
        };
        for (const char* serie : {"SNcarte.txt", "SNrail.txt"})
            for (const auto& [nom, contenu] : fautes)
                QTest::addRow("%s, %s", serie, nom) << QString::fromLatin1(serie) << contenu;
    }
    void attributionArretee() {
        QFETCH(QString, serie);
        QFETCH(QByteArray, contenu);
        const bool carte = serie == QLatin1String("SNcarte.txt");
        BancCarte<> banc;
        QVERIFY(banc.demarre());
        if (carte) {
            banc.carte();
        } else {
            banc.carte([](CarteSimulee& c) {
                c.presenceEA = kR08S;
                c.delaiReponseMs = 0;
            });
        }
        banc.imprimeDansUnFichier();
        const QString chemin = banc.fichier(serie);
        Ecrit(chemin, contenu);

        if (carte) {
            AttribueSNcarte(*banc.poste);
        } else {
            banc.poste->op.repond(QStringLiteral("R08S"));
            banc.poste->op.repondOui();
            TestRailsMeuble(*banc.poste);
        }

        const auto& op = banc.poste->op;
        QVERIFY2(op.inattendus.isEmpty(), qPrintable(op.inattendus.join('\n')));
        QCOMPARE(op.reponsesRestantes(), 0);
        const QStringList boites = op.boites();
        QVERIFY(!boites.isEmpty());
        const QString premiere = boites.first();
        QVERIFY2(premiere.startsWith("la premiere ligne de " + chemin +
                                     " ne contient pas de SN valide:\r"),
                 qPrintable(premiere));
        QVERIFY2(premiere.endsWith("\raucun SN attribue"), qPrintable(premiere));
        // What the operator reads has no control character to garble the box.
        for (const QChar c : premiere)
            QVERIFY(c.isPrint() || c == QLatin1Char('\r'));

        QCOMPARE(Lit(chemin), contenu);
        QVERIFY(!QFile::exists(chemin + ".lock"));
        QVERIFY(!QFile::exists(banc.etiquette()));
        QCOMPARE(banc.commandesCommencant("Y"), QList<QByteArray>());
        QCOMPARE(banc.bus->carte(0).sn, QByteArray("0A1B"));
        if (carte) {
            QCOMPARE(boites.size(), 1);
            QVERIFY(!banc.poste->LblDernierSN().contains("0A1C"));
        } else {
            QCOMPARE(boites.size(), 2); // then the test's report, whatever line 1 holds
            QVERIFY(boites.last().contains("*** pas de SN: attribution arretee ***"));
            QVERIFY(!boites.last().contains("SN="));
        }
    }
};

QTEST_GUILESS_MAIN(TstFichiersCorrompus)
#include "tst_FichiersCorrompus.moc"
