// The window "Statistiques de production", opened from the main window's
// menu on a journal of known content: the figures as the charts draw them
// (axis labels, bar values, the limits' lines), every text read whole at the
// window's default size, the filters, and the CSV export read back.
#include "BancFenetre.h"
#include "ExempleStatistiques.h"
#include "HistoriqueSN.h"
#include "JournalConnu.h"
#include "JournalPoste.h"
#include "ServeurPostgres.h"
#include "StatistiquesProduction.h"
#include "TracesTest.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDateEdit>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QMenu>
#include <QRegularExpression>
#include <QScatterSeries>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextDocument>
#include <QToolTip>
#include <QtTest>
#include <algorithm>
#include <functional>

namespace {

// A text as read, whatever lines it is cut into.
QString Lu(QString texte) {
    texte.removeIf([](QChar c) { return c.isSpace(); });
    return texte;
}

QStringList Categories(QChartView* v) {
    const auto axes = v->chart()->axes(Qt::Horizontal);
    auto* x = axes.isEmpty() ? nullptr : qobject_cast<QBarCategoryAxis*>(axes.first());
    QStringList r;
    for (const QString& c : x ? x->categories() : QStringList{}) {
        // A name cut into lines reads joined.
        QTextDocument texte;
        texte.setHtml(c);
        r << texte.toPlainText().remove(QChar::LineSeparator).remove('\n');
    }
    return r;
}

QList<double> Barres(QChartView* v) {
    QList<double> r;
    for (QAbstractSeries* s : v->chart()->series())
        if (auto* b = qobject_cast<QBarSeries*>(s))
            for (int i = 0; i < b->barSets().first()->count(); ++i)
                r << b->barSets().first()->at(i);
    return r;
}

QBarSet* PremierJeu(QChartView* v) {
    for (QAbstractSeries* s : v->chart()->series())
        if (auto* b = qobject_cast<QBarSeries*>(s))
            return b->barSets().first();
    return nullptr;
}

// The texts the chart draws, as shown.
QList<QGraphicsTextItem*> Textes(QChartView* v) {
    QList<QGraphicsTextItem*> r;
    for (QGraphicsItem* i : v->scene()->items())
        if (auto* t = dynamic_cast<QGraphicsTextItem*>(i);
            t && t->isVisible() && !t->toPlainText().isEmpty())
            r << t;
    return r;
}

// The labels of the count axis, left of the plot: each text with the value
// that stands at its height, and the value of a pixel there.
QList<std::pair<QString, double>> Graduations(QChartView* v, double& parPixel) {
    QChart* c = v->chart();
    const QRectF zone = c->plotArea();
    QAbstractSeries* barres = PremierJeu(v) ? c->series().first() : nullptr;
    const auto valeur = [&](double y) {
        return c->mapToValue(QPointF(zone.center().x(), y), barres).y();
    };
    parPixel = (valeur(zone.top()) - valeur(zone.bottom())) / zone.height();
    QList<std::pair<QString, double>> r;
    for (QGraphicsTextItem* t : Textes(v)) {
        const QRectF place = c->mapRectFromScene(t->sceneBoundingRect());
        if (t->rotation() == 0 && place.right() <= zone.left() &&
            place.center().y() >= zone.top() - 1 && place.center().y() <= zone.bottom() + 1)
            r << std::pair{t->toPlainText(), valeur(place.center().y())};
    }
    std::sort(r.begin(), r.end(), [](auto& a, auto& b) { return a.second < b.second; });
    return r;
}

// The values written on the bars, left to right; one not drawn wholly on its
// bar (where its colour is meant to be read) is marked.
QStringList ValeursSurBarres(QChartView* v) {
    const QColor couleur = PremierJeu(v)->color();
    QList<QRectF> barres;
    QList<QGraphicsTextItem*> valeurs;
    const QRectF zone = v->chart()->mapRectToScene(v->chart()->plotArea());
    for (QGraphicsItem* i : v->scene()->items()) {
        if (!i->isVisible() || !zone.contains(i->sceneBoundingRect().center()))
            continue;
        if (auto* b = dynamic_cast<QGraphicsRectItem*>(i); b && b->brush().color() == couleur)
            barres << b->mapRectToScene(b->rect());
        else if (auto* t = dynamic_cast<QGraphicsTextItem*>(i))
            valeurs << t;
    }
    std::sort(valeurs.begin(), valeurs.end(), [](auto* a, auto* b) {
        return a->sceneBoundingRect().center().x() < b->sceneBoundingRect().center().x();
    });
    QStringList r;
    for (QGraphicsTextItem* t : valeurs) {
        const QRectF place = t->sceneBoundingRect();
        const bool surBarre = std::any_of(barres.begin(), barres.end(), [&](const QRectF& b) {
            return b.adjusted(-0.5, -0.5, 0.5, 0.5).contains(place);
        });
        r << t->toPlainText() + (surBarre ? "" : " (hors de sa barre)");
    }
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

// The cells of a table as shown, one row a line joined by "|".
QStringList Cellules(QTableWidget* t) {
    QStringList r;
    for (int i = 0; i < t->rowCount(); ++i) {
        QStringList l;
        for (int j = 0; j < t->columnCount(); ++j)
            l << (t->item(i, j) ? t->item(i, j)->text() : QString());
        r << l.join('|');
    }
    return r;
}

template <typename S> S* Serie(QChartView* v, const QString& nom) {
    for (QAbstractSeries* s : v->chart()->series())
        if (auto* x = qobject_cast<S*>(s); x && s->name() == nom)
            return x;
    return nullptr;
}

QList<double> Abscisses(QXYSeries* s) {
    QList<double> r;
    for (const QPointF& p : s ? s->points() : QList<QPointF>{})
        r << p.x();
    return r;
}

// Where the operator points at `valeur` of `serie` on the chart's viewport.
QPoint Place(QChartView* v, const QPointF& valeur, QAbstractSeries* serie) {
    return v->mapFromScene(v->chart()->mapToScene(v->chart()->mapToPosition(valeur, serie)));
}

// A click on bar `i`, half-way up.
void CliqueBarre(QChartView* v, int i) {
    QBarSet* jeu = PremierJeu(v);
    QAbstractSeries* serie = nullptr;
    for (QAbstractSeries* s : v->chart()->series())
        if (qobject_cast<QBarSeries*>(s))
            serie = s;
    QTest::mouseClick(v->viewport(), Qt::LeftButton, {},
                      Place(v, {double(i), jeu->at(i) / 2}, serie));
}

// A run of banc-1 by operator 1 that passed, its supply and IR power measured.
PassageEnregistre Passage(const QDateTime& debut, const QString& flux, int n, double alim,
                          double ir) {
    PassageEnregistre p;
    p.debut = debut;
    p.poste = "banc-1";
    p.usine = "0";
    p.operateur = "1";
    p.flux = flux;
    p.sn = QString::number(0x1000 + n, 16).toUpper();
    p.mesures = {
        {.nom = "alim", .valeur = alim, .limiteBasse = 47, .limiteHaute = 51, .unite = "V"},
        {.nom = "IR puissance", .valeur = ir, .limiteBasse = 80, .limiteHaute = 190}};
    p.issue = IssuePassage::Reussi;
    p.dureeMs = 1000;
    return p;
}

// Production at a bench's pace, worked out by hand: days of 32 runs from
// Monday 7 December 2026, the four workflows in turn, failures spread 5, 6,
// 2, 6, 8 over the days of a week (yields 84.4, 81.3, 93.8, 81.3 and 75 %;
// over five days 27 failures under eight codes, and by workflow 77.5, 80,
// 87.5 and 87.5 %), supply and IR power spread over 46.6-51 V and 75-194.
QList<PassageEnregistre> Production(int jours = 5) {
    const QStringList flux{"AttribueSNcarte", "TestPlateauSeul", "TestRailsMeuble",
                           "AttribueCartesMeuble"};
    QStringList codes;
    for (const auto& [code, nombre] : {std::pair{"alim", 8},
                                       {"C3", 6},
                                       {"E3", 4},
                                       {"C6", 3},
                                       {"L3", 2},
                                       {"carte absente", 2},
                                       {"C2", 1},
                                       {"E4", 1}})
        for (int i = 0; i < nombre; ++i)
            codes << code;
    const int echecs[] = {5, 6, 2, 6, 8};
    QList<PassageEnregistre> r;
    for (int j = 0, k = 0; j < jours; ++j)
        for (int i = 0; i < 32; ++i) {
            const int n = j * 32 + i;
            PassageEnregistre p = Passage(
                QDateTime(QDate(2026, 12, 7).addDays(j), QTime(7, 0).addSecs(i * 900), Qt::UTC),
                flux[i % 4], n, 46.6 + 0.1 * (n * 13 % 45), 75 + n * 37 % 120);
            if (i < echecs[j % 5]) {
                p.issue = IssuePassage::Echec;
                p.codeDefaut = codes[k++ % codes.size()];
                if (p.codeDefaut == "carte absente")
                    p.sn.clear();
            }
            r << p;
        }
    return r;
}

struct Station : BancFenetre {
    QString journal;
    StatistiquesProduction* s = nullptr;
    // The window shown at its default size on the journal `ecrit` writes
    // (none when it is empty), its charts laid out.
    bool ouvreSur(const std::function<bool(const QString&, QString*)>& ecrit) {
        if (!demarre())
            return false;
        journal = fichier("journal.sqlite");
        Journal::FixeChemin(f->poste(), journal);
        QString erreur;
        if (ecrit && !ecrit(journal, &erreur)) {
            qWarning("%s", qPrintable(erreur));
            return false;
        }
        f->mnuStatistiques->trigger();
        s = f->findChild<StatistiquesProduction*>();
        if (!s || !QTest::qWaitForWindowExposed(s))
            return false;
        QCoreApplication::sendPostedEvents();
        return s->size() == QSize(1280, 820);
    }
    bool ouvreExemple() { return ouvre(ExempleStatistiques::Passages()); }
    bool ouvre(bool rempli = true) { return ouvreSur(rempli ? JournalConnu::Ecrit : nullptr); }
    bool ouvre(const QList<PassageEnregistre>& passages) {
        return ouvreSur([&](const QString& chemin, QString* erreur) {
            return Journal::Enregistre(chemin, passages, erreur, false);
        });
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

    // The journal's last week at first, every station.
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

    // Every count axis on ticks at whole numbers, each labelled with the value
    // it stands at, in even steps up to one at or above the tallest bar:
    // `plus` failed runs of one code with the same supply and IR power.
    void axesDeComptes_data() {
        QTest::addColumn<int>("plus");
        for (int n : {1, 5, 6, 7, 11, 13, 37, 150})
            QTest::addRow("%d", n) << n;
    }
    void axesDeComptes() {
        QFETCH(int, plus);
        QList<PassageEnregistre> passages;
        for (int i = 0; i < plus; ++i) {
            passages << Passage(QDateTime(QDate(2026, 12, 7), QTime(7, i), Qt::UTC),
                                "TestPlateauSeul", i, 48.8, 120);
            passages.last().issue = IssuePassage::Echec;
            passages.last().codeDefaut = "C3";
        }
        Station b;
        QVERIFY(b.ouvre(passages));
        for (QChartView* v : {b.s->GraphPareto, b.s->GraphAlim, b.s->GraphPuissanceIR}) {
            double parPixel = 0;
            const auto graduations = Graduations(v, parPixel);
            QVERIFY2(graduations.size() >= 2, qPrintable(v->objectName()));
            QCOMPARE(graduations.first().first, QString("0"));
            for (const auto& [texte, valeur] : graduations) {
                const QString ou =
                    QString("%1: \"%2\" at %3").arg(v->objectName(), texte).arg(valeur);
                QVERIFY2(QRegularExpression("^[0-9]+$").match(texte).hasMatch(), qPrintable(ou));
                QVERIFY2(std::abs(texte.toInt() - valeur) <= 1.5 * parPixel, qPrintable(ou));
            }
            // Evenly placed, so one step between every two labels.
            for (qsizetype i = 2; i < graduations.size(); ++i)
                QVERIFY2(graduations[i].first.toInt() - graduations[i - 1].first.toInt() ==
                             graduations[1].first.toInt(),
                         qPrintable(v->objectName() + ": " + graduations[i].first));
            QVERIFY2(graduations.last().first.toInt() >= plus, qPrintable(v->objectName()));
        }
    }

    // At the window's default size, on a week of production, every title,
    // category and legend of each chart is drawn whole.
    void textesEntiers_data() {
        QTest::addColumn<QString>("graphique");
        QTest::addColumn<QStringList>("textes");
        const auto ligne = [](const char* nom, const QString& textes) {
            QTest::newRow(nom) << nom << textes.split('|');
        };
        ligne("GraphRendementJour", "Rendement premier passage par jour|"
                                    "rendement premier passage (%)|jour|"
                                    "2026-12-07|2026-12-08|2026-12-09|2026-12-10|2026-12-11");
        ligne("GraphRendementFlux", "Rendement premier passage par flux|"
                                    "rendement premier passage (%)|flux|"
                                    "AttribueCartesMeuble|AttribueSNcarte|TestPlateauSeul|"
                                    "TestRailsMeuble");
        // Its legend names both series again.
        ligne("GraphPareto", "Pareto des défauts|passages en échec|cumul (%)|code de défaut|"
                             "alim|C3|E3|C6|L3|carte absente|C2|E4|"
                             "passages en échec|cumul (%)");
        ligne("GraphAlim", "Tension d'alimentation|passages|valeur V|"
                           "46.0|46.5|47.0|47.5|48.0|48.5|49.0|49.5|50.0|50.5|51.0|51.5|"
                           "passages|limite basse 47 V|limite haute 51 V");
        ligne("GraphPuissanceIR", "Puissance IR|passages|valeur|"
                                  "60|70|80|90|100|110|120|130|140|150|160|170|180|190|200|"
                                  "passages|limite basse 80|limite haute 190");
    }
    void textesEntiers() {
        QFETCH(QString, graphique);
        QFETCH(QStringList, textes);
        Station b;
        QVERIFY(b.ouvre(Production()));
        QStringList lus;
        for (QGraphicsTextItem* t : Textes(b.s->findChild<QChartView*>(graphique)))
            lus << Lu(t->toPlainText());
        for (const QString& t : textes)
            QVERIFY2(lus.removeOne(Lu(t)),
                     qPrintable("\"" + t + "\" is not drawn whole; drawn: " + lus.join(" | ")));
    }

    // Each yield is written whole on its bar, across it while it fits there,
    // along it on the narrower bars of twelve days.
    void valeursDesBarres_data() {
        QTest::addColumn<int>("jours");
        QTest::addColumn<QString>("graphique");
        QTest::addColumn<QStringList>("valeurs");
        const QStringList semaine{"84.4 %", "81.3 %", "93.8 %", "81.3 %", "75 %"};
        QTest::newRow("par jour") << 5 << "GraphRendementJour" << semaine;
        QTest::newRow("par flux") << 5 << "GraphRendementFlux"
                                  << QStringList{"87.5 %", "77.5 %", "80 %", "87.5 %"};
        QTest::newRow("douze jours")
            << 12 << "GraphRendementJour" << semaine + semaine + semaine.mid(0, 2);
    }
    void valeursDesBarres() {
        QFETCH(int, jours);
        QFETCH(QString, graphique);
        QFETCH(QStringList, valeurs);
        Station b;
        QVERIFY(b.ouvre(Production(jours)));
        // The window opens on the journal's last week: its first day chosen.
        QCOMPARE(b.s->DateDu->text(), jours == 12 ? QString("12/12/2026") : QString("07/12/2026"));
        QCOMPARE(b.s->DateAu->text(), jours == 12 ? QString("18/12/2026") : QString("11/12/2026"));
        b.s->DateDu->setDate(QDate(2026, 12, 7));
        QCoreApplication::sendPostedEvents(); // the charts laid out anew
        QCOMPARE(ValeursSurBarres(b.s->findChild<QChartView*>(graphique)), valeurs);
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

    // The worked example of docs/STATISTIQUES.md: every measurement with a
    // limit, for all stations then each, as the table shows it.
    void capabilite() {
        Station b;
        QVERIFY(b.ouvreExemple());
        QCOMPARE(b.s->Onglets->tabText(1), QString("Capabilité"));
        QTableWidget* t = b.s->TableCapabilite;
        QStringList entetes;
        for (int j = 0; j < t->columnCount(); ++j)
            entetes << t->horizontalHeaderItem(j)->text();
        QCOMPARE(entetes.join('|'),
                 QString("mesure|poste|limites|n|moyenne|écart-type global|"
                         "écart-type intra|Cp|Cpk|Pp|Ppk|hors limites|remarque"));
        QCOMPARE(
            Cellules(t),
            (QStringList{
                "IR pourcentage|tous|25 .. 60 %|1|40.000|—|—|—|—|—|—|0.0 %|moins de 2 valeurs: "
                "ni écart-type ni indice",
                "IR pourcentage|banc-1|25 .. 60 %|1|40.000|—|—|—|—|—|—|0.0 %|moins de 2 "
                "valeurs: ni écart-type ni indice",
                "IR puissance|tous|80 .. 190|3|150.000|43.589|66.489|0.28|0.20|0.42|0.31|"
                "33.3 %|",
                "IR puissance|banc-1|80 .. 190|3|150.000|43.589|66.489|0.28|0.20|0.42|0.31|"
                "33.3 %|",
                "alim|tous|47 .. 51 V|20|49.250|0.387|0.247|2.70|2.36|1.72|1.51|0.0 %|",
                "alim|banc-1|47 .. 51 V|10|49.000|0.105|0.177|3.76|3.76|6.32|6.32|0.0 %|",
                "alim|banc-2|47 .. 51 V|10|49.500|0.408|0.325|2.05|1.54|1.63|1.22|0.0 %|",
                "courant|tous|≤ 30 mA|2|22.000|2.828|3.546|—|0.75|—|0.94|0.0 %|une seule "
                "limite: ni Cp ni Pp",
                "courant|banc-1|≤ 30 mA|2|22.000|2.828|3.546|—|0.75|—|0.94|0.0 %|une seule "
                "limite: ni Cp ni Pp"}));
        // One station chosen: its rows only, named after it.
        b.s->CmbPoste->setCurrentText("banc-2");
        QCOMPARE(Cellules(t), QStringList{"alim|banc-2|47 .. 51 V|10|49.500|0.408|0.325|2.05|1.54|"
                                          "1.63|1.22|0.0 %|"});
    }

    // The supply's I-MR chart: each station in its colour, the limits, the
    // points breaking a rule ringed with the rule in their tooltip.
    void carteDeControle() {
        Station b;
        QVERIFY(b.ouvreExemple());
        StatistiquesProduction* s = b.s;
        s->Onglets->setCurrentIndex(1);
        s->TableCapabilite->selectRow(4);
        QChartView* v = s->GraphCarteI;
        QCOMPARE(v->chart()->title(), QString("Carte I : alim (tous), 20 dernières valeurs"));
        QCOMPARE(Abscisses(Serie<QScatterSeries>(v, "banc-1")),
                 (QList<double>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
        QCOMPARE(Abscisses(Serie<QScatterSeries>(v, "banc-2")),
                 (QList<double>{11, 12, 13, 14, 15, 16, 17, 18, 19, 20}));
        QScatterSeries* marques = Serie<QScatterSeries>(v, "hors règles");
        QCOMPARE(Abscisses(marques), (QList<double>{8, 9, 10, 18, 19}));
        QStringList traits;
        for (QAbstractSeries* x : v->chart()->series())
            if (x->type() == QAbstractSeries::SeriesTypeLine && x->name() != "valeurs")
                traits << x->name();
        QCOMPARE(traits, (QStringList{"centre 49.250", "LCS 49.992", "LCI 48.508",
                                      "limite basse 47 V", "limite haute 51 V"}));
        QStringList traitsMR;
        for (QAbstractSeries* x : s->GraphCarteMR->chart()->series())
            traitsMR << x->name();
        QCOMPARE(traitsMR, (QStringList{"étendue mobile", "moyenne 0.279", "LCS 0.911"}));

        // The mouse over point 19 (50.4 V): its run and the four rules.
        QTest::mouseMove(v->viewport(), QPoint(1, 1));
        QTest::mouseMove(v->viewport(), Place(v, {19, 50.4}, marques));
        QTRY_VERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text().section('\n', 1),
                 QString("règle 1 : un point au-delà de 3 σ\n"
                         "règle 2 : 2 points sur 3 au-delà de 2 σ, du même côté\n"
                         "règle 3 : 4 points sur 5 au-delà de 1 σ, du même côté\n"
                         "règle 4 : 8 points de suite du même côté du centre"));
        QVERIFY2(QToolTip::text().contains("banc-2 SN 0P16 : 50.4 V"),
                 qPrintable(QToolTip::text()));

        // A station's row: that station's points and limits only.
        s->TableCapabilite->selectRow(6);
        QCOMPARE(v->chart()->title(), QString("Carte I : alim (banc-2), 10 dernières valeurs"));
        QVERIFY(!Serie<QScatterSeries>(v, "banc-1"));
        QVERIFY(Serie<QLineSeries>(v, "LCS 50.475"));
    }

    // First-pass, final and step yields by workflow and station.
    void rendements() {
        Station b;
        QVERIFY(b.ouvreExemple());
        QCOMPARE(b.s->Onglets->tabText(2), QString("Rendements"));
        QCOMPARE(Cellules(b.s->TableRendements),
                 (QStringList{"AttribueSNcarte|tous|3|33.3 %|66.7 %|1",
                              "AttribueSNcarte|banc-1|2|50.0 %|100.0 %|1",
                              "AttribueSNcarte|banc-2|1|0.0 %|0.0 %|0",
                              "TestPlateauSeul|tous|19|73.7 %|84.2 %|2",
                              "TestPlateauSeul|banc-1|9|55.6 %|77.8 %|2",
                              "TestPlateauSeul|banc-2|10|90.0 %|90.0 %|0",
                              "TestRailsMeuble|tous|3|33.3 %|33.3 %|0",
                              "TestRailsMeuble|banc-1|3|33.3 %|33.3 %|0"}));
        const QStringList etapes = Cellules(b.s->TableEtapes);
        QCOMPARE(etapes.mid(3, 4),
                 (QStringList{"TestPlateauSeul|IR|C1, C2, C3, C5, C6, C7, C8|17|1|94.1 %",
                              "TestPlateauSeul|présence EA|E1, E2, E3, E4, type|16|1|93.8 %",
                              "TestPlateauSeul|LED AR|L1, L3, L4|15|1|93.3 %",
                              "TestPlateauSeul|alimentation|alim|14|0|100.0 %"}));
        QCOMPARE(
            Categories(b.s->GraphRendementEtapes),
            (QStringList{"IR", "présence EA", "LED AR", "alimentation", "tir", "écriture SN"}));
        QCOMPARE(Barres(b.s->GraphRendementEtapes), (QList<double>{90, 90.5, 93.3, 100, 50, 66.7}));
    }

    // A click on a bar or a point lists its runs; a double-click on a run
    // opens its unit's history.
    void detail() {
        Station b;
        QVERIFY(b.ouvreExemple());
        StatistiquesProduction* s = b.s;
        const auto sn = [s] {
            QStringList r;
            for (int i = 0; i < s->TablePassages->rowCount(); ++i)
                r << s->TablePassages->item(i, 5)->text();
            return r;
        };
        QCOMPARE(Categories(s->GraphPareto).indexOf("E3"), 0);
        CliqueBarre(s->GraphPareto, 0);
        QCOMPARE(s->Onglets->currentIndex(), 3);
        QCOMPARE(s->LblSelection->text(), QString("passages en échec, code E3 : 2 passages"));
        QCOMPARE(sn(), (QStringList{"0P04", "0P04"}));

        s->Onglets->setCurrentIndex(2);
        CliqueBarre(s->GraphRendementEtapes, 5);
        QCOMPARE(s->LblSelection->text(),
                 QString("premiers passages en échec à l'étape écriture SN : 1 passages"));
        QCOMPARE(sn(), QStringList{"0S02"});

        s->Onglets->setCurrentIndex(0);
        CliqueBarre(s->GraphRendementJour, 1);
        QCOMPARE(s->LblSelection->text(), QString("premiers passages du 2026-12-08 : 6 passages"));

        s->Onglets->setCurrentIndex(1);
        s->TableCapabilite->selectRow(4);
        QChartView* v = s->GraphCarteI;
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {},
                          Place(v, {18, 49.8}, Serie<QScatterSeries>(v, "hors règles")));
        QCOMPARE(s->LblSelection->text(), QString("passage n° 18 de la carte : 1 passages"));
        QCOMPARE(sn(), QStringList{"0P15"});

        QTRY_VERIFY(s->TablePassages->isVisible());
        // The second click of a double-click lands where the first pressed.
        const QPoint cellule =
            s->TablePassages->visualItemRect(s->TablePassages->item(0, 5)).center();
        QTest::mouseClick(s->TablePassages->viewport(), Qt::LeftButton, {}, cellule);
        QTest::mouseDClick(s->TablePassages->viewport(), Qt::LeftButton, {}, cellule);
        auto* h = b.f->findChild<HistoriqueSN*>();
        QVERIFY(h);
        QVERIFY(QTest::qWaitForWindowExposed(h));
        QCOMPARE(h->windowTitle(), QString("Historique d'un SN"));
        QCOMPARE(h->TxtRecherche->text(), QString("0P15"));
        QVERIFY2(h->LblResultat->text().startsWith("SN 0P15"), qPrintable(h->LblResultat->text()));

        QTest::mouseClick(s->BtToutAfficher, Qt::LeftButton);
        QCOMPARE(s->TablePassages->rowCount(), 29);
        QVERIFY(!s->BtToutAfficher->isEnabled());
    }

    // The window keeps its connection to the factory server between
    // redraws: a server restarted meanwhile makes one redraw say what
    // failed, and the next reads again.
    void serveurRelance() {
        ServeurPostgres serveur;
        QString erreur;
        QVERIFY2(serveur.demarre(&erreur), qPrintable(erreur));
        QVERIFY(serveur.creeBase("usine"));
        Station b;
        QVERIFY(b.ouvreSur([&](const QString& chemin, QString* e) {
            Journal::FixeServeur(b.f->poste(), serveur.serveur("usine"));
            return Journal::Enregistre(chemin, ExempleStatistiques::Passages(), e, true) &&
                   Journal::EnvoieEnAttente(chemin, serveur.serveur("usine"), e) > 0;
        }));
        // The worked example: 19, 3 and 3 first passes, 14, 1 and 1 passed.
        const QString lu("29 passages affichés; premier passage: 16 réussis sur 25 (64.0 %)");
        QCOMPARE(b.s->LblResume->text(), lu);

        QVERIFY2(serveur.arrete(&erreur) && serveur.relance(&erreur), qPrintable(erreur));
        QTest::mouseClick(b.s->BtActualiser, Qt::LeftButton);
        QCOMPARE(b.s->LblResume->text().section('\n', 0, 0), serveur.serveur("usine").affiche());
        QVERIFY2(b.s->LblResume->text().section('\n', 1).startsWith("lecture du journal: "),
                 qPrintable(b.s->LblResume->text()));
        QTest::mouseClick(b.s->BtActualiser, Qt::LeftButton);
        QCOMPARE(b.s->LblResume->text(), lu);
        serveur.arreteSiDemarre();
    }

    // The station's file read again at each refresh: a journal deleted
    // while the window is open is not shown from a connection still on it.
    void journalSupprime() {
        Station b;
        QVERIFY(b.ouvreExemple());
        QVERIFY(b.s->LblResume->text().contains("premier passage"));
        QVERIFY(QFile::remove(b.journal));
        QTest::mouseClick(b.s->BtActualiser, Qt::LeftButton);
        QCOMPARE(b.s->LblResume->text(), "aucun journal: " + b.journal);
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
