// The figures of a journal of known content, worked out by hand: first-pass
// yield by day and by workflow, the failure Pareto, the measurement values
// against their limits, and the records exported to a spreadsheet file.
#include "JournalConnu.h"
#include "StatistiquesJournal.h"
#include "TracesTest.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

QStringList Textes(const QList<Rendement>& r) {
    QStringList t;
    for (const Rendement& x : r)
        t << QStringLiteral("%1 %2/%3").arg(x.cle).arg(x.reussis).arg(x.premiers);
    return t;
}

QStringList Textes(const QList<CompteDefaut>& r) {
    QStringList t;
    for (const CompteDefaut& x : r)
        t << QStringLiteral("%1 %2").arg(x.code).arg(x.nombre);
    return t;
}

FiltreJournal Filtre(const QString& description) {
    FiltreJournal f;
    for (const QString& mot : description.split(' ', Qt::SkipEmptyParts)) {
        const QString v = mot.section('=', 1);
        if (mot.startsWith("du="))
            f.du = QDate::fromString(v, Qt::ISODate);
        else if (mot.startsWith("au="))
            f.au = QDate::fromString(v, Qt::ISODate);
        else if (mot.startsWith("poste="))
            f.poste = v;
        else if (mot.startsWith("operateur="))
            f.operateur = v;
    }
    return f;
}

} // namespace

class TstStatistiquesJournal : public QObject {
    Q_OBJECT
    QTemporaryDir dossier_;
    QString chemin_;

private slots:
    void initTestCase() {
        chemin_ = dossier_.filePath("journal.sqlite");
        QString erreur;
        QVERIFY2(JournalConnu::Ecrit(chemin_, &erreur), qPrintable(erreur));
    }

    void figures_data() {
        QTest::addColumn<QString>("filtre");
        QTest::addColumn<QStringList>("parJour");
        QTest::addColumn<QStringList>("parFlux");
        QTest::addColumn<QStringList>("pareto");
        QTest::newRow("tout") << "" << QStringList{"2026-12-01 1/4", "2026-12-02 2/5"}
                              << QStringList{"AttribueSNcarte 1/3", "TestPlateauSeul 1/4",
                                             "TestRailsMeuble 1/2"}
                              << QStringList{"C3 2", "E3 1", "alim 1", "carte absente 1"};
        // A card first tested on another station is a retest here.
        QTest::newRow("un poste") << "poste=banc-2"
                                  << QStringList{"2026-12-01 0/1", "2026-12-02 1/2"}
                                  << QStringList{"AttribueSNcarte 0/1", "TestPlateauSeul 1/2"}
                                  << QStringList{"C3 1", "carte absente 1"};
        QTest::newRow("un jour") << "du=2026-12-02 au=2026-12-02" << QStringList{"2026-12-02 2/5"}
                                 << QStringList{"AttribueSNcarte 0/1", "TestPlateauSeul 1/2",
                                                "TestRailsMeuble 1/2"}
                                 << QStringList{"C3 1", "E3 1"};
        QTest::newRow("depuis") << "du=2026-12-02" << QStringList{"2026-12-02 2/5"}
                                << QStringList{"AttribueSNcarte 0/1", "TestPlateauSeul 1/2",
                                               "TestRailsMeuble 1/2"}
                                << QStringList{"C3 1", "E3 1"};
        QTest::newRow("jusqu'au") << "au=2026-12-01" << QStringList{"2026-12-01 1/4"}
                                  << QStringList{"AttribueSNcarte 1/2", "TestPlateauSeul 0/2"}
                                  << QStringList{"C3 1", "alim 1", "carte absente 1"};
        QTest::newRow("un operateur")
            << "operateur=1" << QStringList{"2026-12-01 1/3", "2026-12-02 1/3"}
            << QStringList{"AttribueSNcarte 1/2", "TestPlateauSeul 0/2", "TestRailsMeuble 1/2"}
            << QStringList{"C3 1", "E3 1", "alim 1"};
        QTest::newRow("personne") << "poste=banc-9" << QStringList{} << QStringList{}
                                  << QStringList{};
    }
    void figures() {
        QFETCH(QString, filtre);
        QFETCH(QStringList, parJour);
        QFETCH(QStringList, parFlux);
        QFETCH(QStringList, pareto);
        LectureJournal l(chemin_);
        QString erreur;
        QVERIFY2(l.ouvre(&erreur), qPrintable(erreur));
        const FiltreJournal f = Filtre(filtre);
        QList<Rendement> jours, flux;
        QList<CompteDefaut> defauts;
        QVERIFY2(StatistiquesJournal::RendementParJour(l.db(), f, jours, &erreur),
                 qPrintable(erreur));
        QVERIFY2(StatistiquesJournal::RendementParFlux(l.db(), f, flux, &erreur),
                 qPrintable(erreur));
        QVERIFY2(StatistiquesJournal::Pareto(l.db(), f, defauts, &erreur), qPrintable(erreur));
        QCOMPARE(Textes(jours), parJour);
        QCOMPARE(Textes(flux), parFlux);
        QCOMPARE(Textes(defauts), pareto);
    }

    void valeursEtLimites() {
        LectureJournal l(chemin_);
        QVERIFY(l.ouvre(nullptr));
        ValeursMesure alim, ir;
        QVERIFY(StatistiquesJournal::Valeurs(l.db(), {}, "alim", alim, nullptr));
        QCOMPARE(alim.valeurs, (QList<double>{46.6, 48.8, 48.8, 49.0}));
        QCOMPARE(alim.limiteBasse, std::optional<double>(47));
        QCOMPARE(alim.limiteHaute, std::optional<double>(51));
        QCOMPARE(alim.unite, QString("V"));
        QVERIFY(StatistiquesJournal::Valeurs(l.db(), {}, "IR puissance", ir, nullptr));
        QCOMPARE(ir.valeurs, (QList<double>{120, 200, 150, 75}));
        QCOMPARE(ir.limiteHaute, std::optional<double>(190));

        // Half-volt bins from one bin below the lowest to one past the highest.
        const Histogramme h = Repartit(alim, 0.5);
        QCOMPARE(h.debut, 46.0);
        QCOMPARE(h.comptes, (QList<int>{0, 1, 0, 0, 0, 2, 1, 0, 0, 0, 0, 0}));
        QCOMPARE(Repartit(ValeursMesure{}, 1).comptes, QList<int>{});
    }

    void listesDesFiltres() {
        LectureJournal l(chemin_);
        QVERIFY(l.ouvre(nullptr));
        QStringList postes, operateurs;
        QVERIFY(StatistiquesJournal::Postes(l.db(), postes, nullptr));
        QVERIFY(StatistiquesJournal::Operateurs(l.db(), operateurs, nullptr));
        QCOMPARE(postes, (QStringList{"banc-1", "banc-2"}));
        QCOMPARE(operateurs, (QStringList{"1", "2"}));
    }

    // The records of the filter, written and read back as a spreadsheet reads them.
    void exportCsv() {
        LectureJournal l(chemin_);
        QVERIFY(l.ouvre(nullptr));
        QList<QStringList> lignes;
        QString erreur;
        QVERIFY2(StatistiquesJournal::Passages(l.db(), Filtre("poste=banc-2"), lignes, &erreur),
                 qPrintable(erreur));
        QCOMPARE(lignes.size(), 5);
        const QString csv = dossier_.filePath("export.csv");
        QVERIFY2(StatistiquesJournal::ExporteCsv(csv, lignes, &erreur), qPrintable(erreur));

        const QStringList lu = QString::fromUtf8(Lit(csv)).split("\r\n");
        QCOMPARE(lu.size(), 7); // the header, five records, the empty end
        QCOMPARE(lu[0], QString("debut;poste;usine;operateur;flux;sn;nom_carte;version_fw;issue;"
                                "code_defaut;duree_ms;mesures;resultats"));
        QCOMPARE(lu[1], QString("2026-12-01T09:00:00.000Z;banc-2;0;2;AttribueSNcarte;0A02;;;"
                                "reussi;;1000;IR puissance=150 [80..190];IR ok (pIR=47%)"));
        QCOMPARE(lu[2], QString("2026-12-01T11:00:00.000Z;banc-2;0;2;TestPlateauSeul;;;;echec;"
                                "carte absente;1000;;carte absente"));
        QCOMPARE(lu[3], QString("2026-12-02T08:00:00.000Z;banc-2;0;2;TestPlateauSeul;0A02;;;"
                                "reussi;;1000;alim=48.8V [47..51];TestAlim OK = 48.8v"));
        QCOMPARE(lu[5],
                 QString("2026-12-02T11:00:00.000Z;banc-2;0;2;TestPlateauSeul;0A05;;;"
                         "reussi;;1000;alim=49V [47..51];\"note; \"\"entre guillemets\"\"\""));
        QCOMPARE(lu[6], QString());
    }

    // A file that cannot be written: an error, and nothing left behind.
    void exportImpossible() {
        const QString dans = dossier_.filePath("pas-un-dossier");
        QFile f(dans);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QString erreur;
        QVERIFY(!StatistiquesJournal::ExporteCsv(dans + "/export.csv", {{"x"}}, &erreur));
        QVERIFY(!erreur.isEmpty());
        QVERIFY(!QFile::exists(dans + "/export.csv"));
    }

    // No journal yet, or a file that is not one: a reason, never a crash.
    void journalAbsentOuEtranger() {
        QString erreur;
        LectureJournal absent(dossier_.filePath("aucun.sqlite"));
        QVERIFY(!absent.ouvre(&erreur));
        QCOMPARE(erreur, "aucun journal: " + dossier_.filePath("aucun.sqlite"));
        QVERIFY(!QFile::exists(dossier_.filePath("aucun.sqlite")));

        const QString autre = dossier_.filePath("autre.sqlite");
        QFile f(autre);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("pas un journal\n").repeated(100));
        f.close();
        LectureJournal etranger(autre);
        QList<Rendement> r;
        erreur.clear();
        QVERIFY(!etranger.ouvre(&erreur) ||
                !StatistiquesJournal::RendementParJour(etranger.db(), {}, r, &erreur));
        QVERIFY(erreur.contains("journal"));
    }
};

QTEST_GUILESS_MAIN(TstStatistiquesJournal)
#include "tst_StatistiquesJournal.moc"
