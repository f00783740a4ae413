// A unit's labels in "Historique d'un SN": the label printed at its SN
// assignment, drawn again from the journal, and its exact reprint, whose bytes
// reach a TCP printer unchanged, with why and how many times.
#include "BancFenetre.h"
#include "HistoriqueSN.h"
#include "ImprimanteVirtuelle.h"
#include "LecteurSqlite.h"

#include <QLabel>
#include <QTableWidget>
#include <QtTest>

namespace {

QStringList Lignes(const QTableWidget* t) {
    QStringList r;
    for (int i = 0; i < t->rowCount(); ++i) {
        QStringList cellules;
        for (int j = 0; j < t->columnCount(); ++j)
            cellules << (t->item(i, j) ? t->item(i, j)->text() : QString());
        r << cellules.join('|');
    }
    return r;
}

} // namespace

class TstEtiquettesHistorique : public QObject {
    Q_OBJECT
private slots:
    void reimpressionExacte() {
        QTemporaryDir atelier;
        qputenv("CALVANET_JOURNAL", atelier.filePath("journal.sqlite").toUtf8());
        OptionsImprimante o;
        o.dossier = atelier.path();
        FilImprimanteVirtuelle imprimante(o);
        QVERIFY2(imprimante.ok(), qPrintable(imprimante.erreur()));
        const QString cible = QString("TCP127.0.0.1:%1").arg(imprimante.imprimante().portTcp());

        BancFenetre banc;
        QVERIFY(banc.demarre("op=DEMOY001 portImp=" + cible));
        banc.carte();
        QFile serie(banc.fichier("SNcarte.txt"));
        QVERIFY(serie.open(QIODevice::WriteOnly));
        serie.write("dernier SN: 00z9  01/12/2026 10:00:00\r\n");
        serie.close();
        banc.clique("BtAttribuSN");
        QTRY_COMPARE(imprimante.imprimante().travaux().size(), 1);
        const QByteArray original = imprimante.imprimante().travaux().first();

        banc.f->mnuHistorique->trigger();
        auto* h = banc.f->findChild<HistoriqueSN*>();
        QVERIFY(h);
        h->Cherche("00zA");
        QCOMPARE(Lignes(h->TableEtiquettes).size(), 1);
        QCOMPARE(Lignes(h->TableEtiquettes).first().section('|', 1),
                 QSysInfo::machineHostName() + "|Y|" + cible + "||imprimée|");
        QVERIFY(!h->ImgEtiquette->pixmap().isNull());

        // No reason, no reprint.
        banc.op.echanges.clear();
        banc.op.repond("  ");
        h->BtReimprimer->click();
        QCOMPARE(banc.op.boites(),
                 QStringList{"Étiquette non réimprimée : le motif de la réimpression est "
                             "obligatoire."});
        QCOMPARE(imprimante.imprimante().travaux().size(), 1);

        // Two reprints, the second asked from the first one's line.
        banc.op.repond("étiquette déchirée");
        h->BtReimprimer->click();
        QTRY_COMPARE(imprimante.imprimante().travaux().size(), 2);
        banc.op.repond("perdue au montage");
        h->BtReimprimer->click();
        QTRY_COMPARE(imprimante.imprimante().travaux().size(), 3);
        QCOMPARE(imprimante.imprimante().travaux(),
                 (QList<QByteArray>{original, original, original}));
        QVERIFY(banc.op.inattendus.isEmpty());

        h->Cherche("00zA");
        QStringList reimpressions;
        for (const QString& l : Lignes(h->TableEtiquettes))
            reimpressions << l.section('|', 5);
        QCOMPARE(reimpressions, (QStringList{"imprimée|", "imprimée|n° 1 : étiquette déchirée",
                                             "imprimée|n° 2 : perdue au montage"}));
        // Each reprint is a job of its own, linked to the original.
        QCOMPARE(Sqlite(atelier.filePath("journal.sqlite"),
                        "SELECT r.rang, r.motif, r.operateur FROM etiquettes r JOIN etiquettes o"
                        " ON r.reimpression_de = o.uid ORDER BY r.id"),
                 (QStringList{"1|étiquette déchirée|Y", "2|perdue au montage|Y"}));
    }
};

QTEST_MAIN(TstEtiquettesHistorique)
#include "tst_EtiquettesHistorique.moc"
