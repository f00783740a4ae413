// The figures of a journal of known content, worked out by hand: first-pass
// yield by day and by workflow, the failure Pareto, the measurement values
// against their limits, and the records exported to a spreadsheet file. The
// worked example of docs/STATISTIQUES.md (capability, control limits, rule
// breaks, step and final yields) on the station's file and on the factory
// server it was sent to.
#include "ExempleStatistiques.h"
#include "JournalConnu.h"
#include "ServeurPostgres.h"
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

QString Chiffre(const std::optional<double>& x, int decimales) {
    return x ? QString::number(*x, 'f', decimales) : QStringLiteral("-");
}

// A capability row as the figures read, rounded as docs/STATISTIQUES.md gives them.
QString Texte(const Capabilite& c) {
    return QStringLiteral("%1 %2 n=%3 moyenne=%4 s=%5 intra=%6 Cp=%7 Cpk=%8 Pp=%9 Ppk=%10 "
                          "hors=%11 %12")
        .arg(c.s.mesure, c.s.poste.isEmpty() ? QStringLiteral("tous") : c.s.poste)
        .arg(c.s.n)
        .arg(Chiffre(c.moyenne, 3), Chiffre(c.ecartGlobal, 3), Chiffre(c.ecartIntra, 3),
             Chiffre(c.cp, 2), Chiffre(c.cpk, 2), Chiffre(c.pp, 2), Chiffre(c.ppk, 2))
        .arg(QString::number(c.horsPourcent, 'f', 1), c.raison)
        .trimmed();
}

} // namespace

class TstStatistiquesJournal : public QObject {
    Q_OBJECT
    QTemporaryDir dossier_;
    QString chemin_, exemple_;
    ServeurPostgres serveur_;

    // The worked example on the file or on the server.
    std::unique_ptr<LectureJournal> exemple(const QString& moteur) {
        auto l = moteur == "fichier"
                     ? std::make_unique<LectureJournal>(exemple_)
                     : std::make_unique<LectureJournal>(serveur_.serveur("exemple"));
        QString erreur;
        if (!l->ouvre(&erreur))
            qWarning("%s", qPrintable(erreur));
        return l;
    }
    static void moteurs() {
        QTest::addColumn<QString>("moteur");
        QTest::newRow("fichier") << "fichier";
        QTest::newRow("serveur") << "serveur";
    }

private slots:
    void initTestCase() {
        chemin_ = dossier_.filePath("journal.sqlite");
        QString erreur;
        QVERIFY2(JournalConnu::Ecrit(chemin_, &erreur), qPrintable(erreur));
        exemple_ = dossier_.filePath("exemple.sqlite");
        QVERIFY2(Journal::Enregistre(exemple_, ExempleStatistiques::Passages(), &erreur, true),
                 qPrintable(erreur));
        QVERIFY2(serveur_.demarre(&erreur), qPrintable(erreur));
        QVERIFY(serveur_.creeBase("exemple"));
        QCOMPARE(Journal::EnvoieEnAttente(exemple_, serveur_.serveur("exemple"), &erreur),
                 int(std::size(ExempleStatistiques::kRuns)));
    }
    void cleanupTestCase() { serveur_.arreteSiDemarre(); }

    // Every measurement with a limit, for all stations then each.
    void capabilite_data() { moteurs(); }
    void capabilite() {
        QFETCH(QString, moteur);
        const auto l = exemple(moteur);
        QList<SommesMesure> sommes;
        QString erreur;
        QVERIFY2(StatistiquesJournal::SommesMesures(l->db(), {}, sommes, &erreur),
                 qPrintable(erreur));
        QStringList lu;
        for (const SommesMesure& s : sommes)
            lu << Texte(CalculeCapabilite(s));
        QCOMPARE(lu, (QStringList{
                         "IR pourcentage tous n=1 moyenne=40.000 s=- intra=- Cp=- Cpk=- Pp=- "
                         "Ppk=- hors=0.0 moins de 2 valeurs: ni écart-type ni indice",
                         "IR pourcentage banc-1 n=1 moyenne=40.000 s=- intra=- Cp=- Cpk=- Pp=- "
                         "Ppk=- hors=0.0 moins de 2 valeurs: ni écart-type ni indice",
                         "IR puissance tous n=3 moyenne=150.000 s=43.589 intra=66.489 Cp=0.28 "
                         "Cpk=0.20 Pp=0.42 Ppk=0.31 hors=33.3",
                         "IR puissance banc-1 n=3 moyenne=150.000 s=43.589 intra=66.489 Cp=0.28 "
                         "Cpk=0.20 Pp=0.42 Ppk=0.31 hors=33.3",
                         "alim tous n=20 moyenne=49.250 s=0.387 intra=0.247 Cp=2.70 Cpk=2.36 "
                         "Pp=1.72 Ppk=1.51 hors=0.0",
                         "alim banc-1 n=10 moyenne=49.000 s=0.105 intra=0.177 Cp=3.76 Cpk=3.76 "
                         "Pp=6.32 Ppk=6.32 hors=0.0",
                         "alim banc-2 n=10 moyenne=49.500 s=0.408 intra=0.325 Cp=2.05 Cpk=1.54 "
                         "Pp=1.63 Ppk=1.22 hors=0.0",
                         "courant tous n=2 moyenne=22.000 s=2.828 intra=3.546 Cp=- Cpk=0.75 Pp=- "
                         "Ppk=0.94 hors=0.0 une seule limite: ni Cp ni Pp",
                         "courant banc-1 n=2 moyenne=22.000 s=2.828 intra=3.546 Cp=- Cpk=0.75 "
                         "Pp=- Ppk=0.94 hors=0.0 une seule limite: ni Cp ni Pp"}));
        // Under a station's filter, its own values only.
        QVERIFY(
            StatistiquesJournal::SommesMesures(l->db(), Filtre("poste=banc-2"), sommes, nullptr));
        QCOMPARE(sommes.size(), 2);
        QCOMPARE(Texte(CalculeCapabilite(sommes[0])),
                 "alim tous n=10 moyenne=49.500 s=0.408 intra=0.325 Cp=2.05 Cpk=1.54 Pp=1.63 "
                 "Ppk=1.22 hors=0.0");
    }

    // The supply's individuals chart: its limits and the points breaking a rule.
    void carteDeControle_data() { moteurs(); }
    void carteDeControle() {
        QFETCH(QString, moteur);
        const auto l = exemple(moteur);
        QList<SommesMesure> sommes;
        QList<PointCarte> points;
        QVERIFY(StatistiquesJournal::SommesMesures(l->db(), {}, sommes, nullptr));
        QVERIFY(StatistiquesJournal::PointsCarte(l->db(), {}, "alim", 500, points, nullptr));
        QCOMPARE(points.size(), 20);
        QCOMPARE(points.first().sn, QString("0P01"));
        QCOMPARE(points.last().poste, QString("banc-2"));
        const Capabilite c = CalculeCapabilite(sommes[4]);
        QList<double> valeurs;
        for (const PointCarte& p : points)
            valeurs << p.valeur;
        const CarteControle carte = Regles(valeurs, *c.moyenne, *c.ecartIntra);
        QCOMPARE(QString::number(carte.lci(), 'f', 3), QString("48.508"));
        QCOMPARE(QString::number(carte.lcs(), 'f', 3), QString("49.992"));
        QCOMPARE(QString::number(carte.centreEcarts, 'f', 3), QString("0.279"));
        QCOMPARE(QString::number(carte.lcsEcarts(), 'f', 3), QString("0.911"));
        QStringList ruptures;
        for (qsizetype i = 0; i < carte.regles.size(); ++i)
            if (!carte.regles[i].isEmpty()) {
                QStringList r;
                for (int n : carte.regles[i])
                    r << QString::number(n);
                ruptures << QString::number(i + 1) + ":" + r.join(',');
            }
        QCOMPARE(ruptures, (QStringList{"8:4", "9:4", "10:4", "18:3,4", "19:1,2,3,4"}));
    }

    // First-pass, final and step yields, by workflow and station.
    void rendements_data() { moteurs(); }
    void rendements() {
        QFETCH(QString, moteur);
        const auto l = exemple(moteur);
        QList<LigneSynthese> lignes;
        QString erreur;
        QVERIFY2(StatistiquesJournal::Synthese(l->db(), {}, lignes, &erreur), qPrintable(erreur));
        QStringList finals;
        for (const RendementFinal& r : StatistiquesJournal::RendementsFinals(lignes))
            finals << QStringLiteral("%1 %2 %3/%4 fin %5 reprises %6")
                          .arg(r.flux, r.poste.isEmpty() ? "tous" : r.poste)
                          .arg(r.reussisPremier)
                          .arg(r.premiers)
                          .arg(r.reussisFin)
                          .arg(r.reprises);
        QCOMPARE(finals, (QStringList{"AttribueSNcarte tous 1/3 fin 2 reprises 1",
                                      "AttribueSNcarte banc-1 1/2 fin 2 reprises 1",
                                      "AttribueSNcarte banc-2 0/1 fin 0 reprises 0",
                                      "TestPlateauSeul tous 14/19 fin 16 reprises 2",
                                      "TestPlateauSeul banc-1 5/9 fin 7 reprises 2",
                                      "TestPlateauSeul banc-2 9/10 fin 9 reprises 0",
                                      "TestRailsMeuble tous 1/3 fin 1 reprises 0",
                                      "TestRailsMeuble banc-1 1/3 fin 1 reprises 0"}));
        QStringList etapes;
        for (const RendementEtape& e : StatistiquesJournal::RendementsEtapes(lignes))
            etapes << QStringLiteral("%1 %2 %3/%4")
                          .arg(e.flux.isEmpty() ? "tous" : e.flux, e.etape)
                          .arg(e.entrees - e.echecs)
                          .arg(e.entrees);
        QCOMPARE(
            etapes,
            (QStringList{"AttribueSNcarte IR 2/3", "AttribueSNcarte présence EA 2/2",
                         "AttribueSNcarte écriture SN 1/2", "TestPlateauSeul IR 16/17",
                         "TestPlateauSeul présence EA 15/16", "TestPlateauSeul LED AR 14/15",
                         "TestPlateauSeul alimentation 14/14", "TestRailsMeuble présence EA 2/3",
                         "TestRailsMeuble tir 1/2", "TestRailsMeuble écriture SN 1/1",
                         "tous IR 18/20", "tous présence EA 19/21", "tous LED AR 14/15",
                         "tous alimentation 14/14", "tous tir 1/2", "tous écriture SN 2/3"}));
    }

    // What a click on a bar lists: the runs it counts.
    void detail_data() {
        QTest::addColumn<QString>("moteur");
        QTest::addColumn<QString>("filtre");
        QTest::addColumn<QStringList>("codes");
        QTest::addColumn<QStringList>("sn");
        for (const char* m : {"fichier", "serveur"}) {
            QTest::addRow("%s premiers passages d'un flux et d'un poste", m)
                << m << "poste=banc-2" << QStringList{"AttribueSNcarte"} << QStringList{"0S03"};
            QTest::addRow("%s un code", m)
                << m << "" << QStringList{"E3"} << QStringList{"0P04", "0P04"};
            QTest::addRow("%s sans code", m)
                << m << "" << QStringList{"sans code"} << QStringList{};
        }
    }
    void detail() {
        QFETCH(QString, moteur);
        QFETCH(QString, filtre);
        QFETCH(QStringList, codes);
        QFETCH(QStringList, sn);
        const auto l = exemple(moteur);
        FiltreJournal f = Filtre(filtre);
        if (codes.value(0).startsWith("Attribue")) {
            f.flux = codes.first();
            f.premiers = true;
        } else {
            f.codes = codes;
        }
        QList<QStringList> lignes;
        QString erreur;
        QVERIFY2(StatistiquesJournal::Passages(l->db(), f, lignes, &erreur), qPrintable(erreur));
        QStringList lus;
        for (const QStringList& x : lignes)
            lus << x[5];
        QCOMPARE(lus, sn);
    }

    // Each rule on a series of known sides, centre 0 and sigma 1: the points
    // marked, numbered from 1.
    void regles_data() {
        QTest::addColumn<QList<double>>("valeurs");
        QTest::addColumn<QStringList>("marques");
        QTest::newRow("1: au-delà de 3 sigma")
            << QList<double>{0.5, 3.2, 0, -3.1, 0, 3.0} << QStringList{"2:1", "4:1"};
        QTest::newRow("2: deux sur trois au-delà de 2 sigma")
            << QList<double>{2.1, 0, 2.5, -2.1, 2.2} << QStringList{"3:2", "5:2"};
        QTest::newRow("2: pas du même côté") << QList<double>{2.1, -2.1, 0.5} << QStringList{};
        QTest::newRow("3: quatre sur cinq au-delà de 1 sigma")
            << QList<double>{-1.5, -1.2, 0, -1.1, -1.9, 0.2} << QStringList{"5:3"};
        QTest::newRow("4: huit de suite du même côté")
            << QList<double>{0.1, 0.2, 0.1, 0.3, 0.2, 0.1, 0.4, 0.1, 0.2, -0.1}
            << QStringList{"8:4", "9:4"};
        QTest::newRow("4: interrompu au centre")
            << QList<double>{0.1, 0.2, 0.1, 0, 0.2, 0.1, 0.4, 0.1, 0.2} << QStringList{};
    }
    void regles() {
        QFETCH(QList<double>, valeurs);
        QFETCH(QStringList, marques);
        const CarteControle c = Regles(valeurs, 0, 1);
        QStringList lues;
        for (qsizetype i = 0; i < c.regles.size(); ++i)
            for (int n : c.regles[i])
                lues << QString::number(i + 1) + ":" + QString::number(n);
        QCOMPARE(lues, marques);
        QCOMPARE(Regles(valeurs, 0, 0).regles.value(0), QList<int>{});
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
