// The window "Statistiques de production", opened from the main window's
// menu on a journal of known content: the figures as the charts draw them
// (axis labels, bar values, the limits' lines), the filters, and the CSV
// export read back.
#include "BancFenetre.h"
#include "JournalConnu.h"
#include "JournalPoste.h"
#include "StatistiquesProduction.h"
#include "TracesTest.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineSeries>
#include <QMenu>
#include <QTableWidget>
#include <QtTest>

namespace {

QStringList Categories(QChartView* v) {
    const auto axes = v->chart()->axes(Qt::Horizontal);
    auto* x = axes.isEmpty() ? nullptr : qobject_cast<QBarCategoryAxis*>(axes.first());
    return x ? x->categories() : QStringList{};
}

QList<double> Barres(QChartView* v) {
    QList<double> r;
    for (QAbstractSeries* s : v->chart()->series())
        if (auto* b = qobject_cast<QBarSeries*>(s))
            for (int i = 0; i < b->barSets().first()->count(); ++i)
                r << b->barSets().first()->at(i);
    return r;
}

// The lines drawn over the bars: "name: x0,y0 x1,y1 ...".
QStringList Lignes(QChartView* v) {
    QStringList r;
    for (QAbstractSeries* s : v->chart()->series())
        if (auto* l = qobject_cast<QLineSeries*>(s)) {
            QStringList points;
            for (const QPointF& p : l->points())
                points << QString::number(p.x()) + "," + QString::number(p.y());
            r << l->name() + ": " + points.join(' ');
        }
    return r;
}

struct Station : BancFenetre {
    QString journal;
    StatistiquesProduction* s = nullptr;
    bool ouvre(bool rempli = true) {
        if (!demarre())
            return false;
        journal = fichier("journal.sqlite");
        Journal::FixeChemin(f->poste(), journal);
        QString erreur;
        if (rempli && !JournalConnu::Ecrit(journal, &erreur))
            return false;
        f->mnuStatistiques->trigger();
        s = f->findChild<StatistiquesProduction*>();
        return s != nullptr;
    }
};

} // namespace

class TstStatistiquesProduction : public QObject {
    Q_OBJECT
private slots:
    void entreeDuMenu() {
        Station b;
        QVERIFY(b.ouvre());
        QCOMPARE(b.f->mnuStatistiques->text(), QString("Statistiques de production"));
        QVERIFY(b.f->mnuFonctions->actions().contains(b.f->mnuStatistiques));
        QCOMPARE(b.s->windowTitle(), QString("Statistiques de production"));
        QVERIFY(b.s->isVisible());
        // A second click brings the same window back.
        b.f->mnuStatistiques->trigger();
        QCOMPARE(b.f->findChildren<StatistiquesProduction*>().size(), 1);
    }

    // The whole journal at first: its first and last days, every station.
    void figuresDuJournal() {
        Station b;
        QVERIFY(b.ouvre());
        StatistiquesProduction* s = b.s;
        QCOMPARE(s->DateDu->text(), QString("01/12/2026"));
        QCOMPARE(s->DateAu->text(), QString("02/12/2026"));
        QCOMPARE(s->CmbPoste->currentText(), QString("tous"));
        QCOMPARE(s->LblResume->text(),
                 QString("11 passages affichés; premier passage: 3 réussis sur 9 (33.3 %)"));

        QCOMPARE(s->GraphRendementJour->chart()->title(),
                 QString("Rendement premier passage par jour"));
        QCOMPARE(Categories(s->GraphRendementJour), (QStringList{"2026-12-01", "2026-12-02"}));
        QCOMPARE(Barres(s->GraphRendementJour), (QList<double>{25, 40}));
        QCOMPARE(Categories(s->GraphRendementFlux),
                 (QStringList{"AttribueSNcarte", "TestPlateauSeul", "TestRailsMeuble"}));
        QCOMPARE(Barres(s->GraphRendementFlux), (QList<double>{33.3, 25, 50}));

        QCOMPARE(s->GraphPareto->chart()->title(), QString("Pareto des défauts"));
        QCOMPARE(Categories(s->GraphPareto), (QStringList{"C3", "E3", "alim", "carte absente"}));
        QCOMPARE(Barres(s->GraphPareto), (QList<double>{2, 1, 1, 1}));
        QCOMPARE(Lignes(s->GraphPareto), QStringList{"cumul (%): 0,40 1,60 2,80 3,100"});

        // Half-volt bins from 46.0; the limits stand between the bars of their values.
        QCOMPARE(s->GraphAlim->chart()->title(), QString("Tension d'alimentation"));
        QCOMPARE(Categories(s->GraphAlim),
                 (QStringList{"46.0", "46.5", "47.0", "47.5", "48.0", "48.5", "49.0", "49.5",
                              "50.0", "50.5", "51.0", "51.5"}));
        QCOMPARE(Barres(s->GraphAlim), (QList<double>{0, 1, 0, 0, 0, 2, 1, 0, 0, 0, 0, 0}));
        QCOMPARE(Lignes(s->GraphAlim),
                 (QStringList{"limite basse 47 V: 1.5,0 1.5,2", "limite haute 51 V: 9.5,0 9.5,2"}));
        QCOMPARE(Categories(s->GraphPuissanceIR).first(), QString("60"));
        QCOMPARE(Barres(s->GraphPuissanceIR),
                 (QList<double>{0, 1, 0, 0, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 1, 0}));
        QCOMPARE(Lignes(s->GraphPuissanceIR),
                 (QStringList{"limite basse 80: 1.5,0 1.5,1", "limite haute 190: 12.5,0 12.5,1"}));

        QCOMPARE(s->TablePassages->rowCount(), 11);
        QCOMPARE(s->TablePassages->horizontalHeaderItem(9)->text(), QString("code_defaut"));
    }

    // Each filter redraws at once; a card first tested elsewhere stays a retest.
    void filtres() {
        Station b;
        QVERIFY(b.ouvre());
        StatistiquesProduction* s = b.s;
        QCOMPARE(s->CmbPoste->count(), 3);
        s->CmbPoste->setCurrentText("banc-2");
        QCOMPARE(Barres(s->GraphRendementJour), (QList<double>{0, 50}));
        QCOMPARE(Categories(s->GraphPareto), (QStringList{"C3", "carte absente"}));
        QCOMPARE(s->LblResume->text(),
                 QString("5 passages affichés; premier passage: 1 réussis sur 3 (33.3 %)"));
        s->CmbPoste->setCurrentText("tous");
        s->CmbOperateur->setCurrentText("1");
        s->DateDu->setDate(QDate(2026, 12, 2));
        QCOMPARE(Categories(s->GraphRendementJour), QStringList{"2026-12-02"});
        QCOMPARE(Barres(s->GraphRendementFlux), (QList<double>{0, 50}));
        QCOMPARE(s->TablePassages->rowCount(), 3);
        QCOMPARE(s->TablePassages->item(0, 5)->text(), QString("0A03"));
    }

    // The records shown, as a spreadsheet reads them; a failed write keeps nothing.
    void exportCsv() {
        Station b;
        QVERIFY(b.ouvre());
        StatistiquesProduction* s = b.s;
        s->CmbPoste->setCurrentText("banc-2");
        const QString csv = b.fichier("export.csv");
        s->demandeFichier = [&] { return csv; };
        QTest::mouseClick(s->BtExporterCsv, Qt::LeftButton);
        QCOMPARE(b.op.boites(), QStringList{"5 passages exportés dans " + csv});
        const QStringList lu = QString::fromUtf8(Lit(csv)).split("\r\n");
        QCOMPARE(lu.size(), 7);
        QVERIFY(lu[0].startsWith("debut;poste;usine;operateur;flux;sn;"));
        QCOMPARE(lu[2], QString("2026-12-01T11:00:00.000Z;banc-2;0;2;TestPlateauSeul;;;;echec;"
                                "carte absente;1000;;carte absente"));

        const QString ailleurs = b.fichier("pas/de/dossier/export.csv");
        s->demandeFichier = [&] { return ailleurs; };
        QTest::mouseClick(s->BtExporterCsv, Qt::LeftButton);
        QCOMPARE(b.op.boites().size(), 2);
        QVERIFY(b.op.boites().last().startsWith("Le fichier " + ailleurs +
                                                " n'a pas pu être écrit:\r"));
        QCOMPARE(b.op.dernier().icone, Icone::Critique);
        QVERIFY(!QFile::exists(ailleurs));
    }

    // No journal yet: the window says so and draws empty charts.
    void sansJournal() {
        Station b;
        QVERIFY(b.ouvre(false));
        QCOMPARE(b.s->LblResume->text(), "aucun journal: " + b.journal);
        QCOMPARE(Barres(b.s->GraphPareto), QList<double>{});
        QVERIFY(!QFile::exists(b.journal));
        QVERIFY(b.op.boites().isEmpty());
    }
};

QTEST_MAIN(TstStatistiquesProduction)
#include "tst_StatistiquesProduction.moc"
