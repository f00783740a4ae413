// A unit's history from a journal of known content: three assignments of a
// pharmacy's cabinets (a tray's card replaced, a card moved to another
// cabinet, a tray that failed), the links closed and nothing lost, then each
// kind of search giving the known rows; on the station's SQLite file, on a
// file of the previous schema, and on the factory server the records were
// sent to. The links are read back by sqlite3 and psql.
#include "HistoriqueJournal.h"
#include "JournalPoste.h"
#include "LecteurSqlite.h"
#include "PosteTest.h"
#include "ServeurPostgres.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

QDateTime Le(int jour, int heure, int minute = 0) {
    return QDateTime(QDate(2026, 12, jour), QTime(heure, minute), Qt::UTC);
}

PassageEnregistre Passage(const QString& sn, const QString& flux, IssuePassage issue,
                          const QDateTime& debut) {
    PassageEnregistre p;
    p.debut = debut;
    p.poste = QStringLiteral("banc-1");
    p.usine = QStringLiteral("0");
    p.operateur = QStringLiteral("2");
    p.flux = flux;
    p.sn = sn;
    p.versionFW = QStringLiteral("PLT2 v2.14");
    p.versionPoste = QStringLiteral("1.2.13");
    p.issue = issue;
    if (issue == IssuePassage::Echec) {
        p.codeDefaut = QStringLiteral("alim");
        p.mesures = {{.nom = QStringLiteral("alim"),
                      .valeur = 45.2,
                      .limiteBasse = 47,
                      .limiteHaute = 51,
                      .unite = QStringLiteral("V"),
                      .conforme = false,
                      .code = QStringLiteral("alim")}};
    }
    p.uid = QStringLiteral("%1-%2-%3").arg(sn, flux, debut.toString(Qt::ISODate));
    return p;
}

// The units' own runs, before any cabinet.
QList<PassageEnregistre> Fabrication() {
    const auto plateau = QStringLiteral("TestPlateauSeul");
    const auto sn = QStringLiteral("AttribueSNcarte");
    PassageEnregistre rail = Passage(QStringLiteral("0R01"), QStringLiteral("TestRailsMeuble"),
                                     IssuePassage::Reussi, Le(1, 7));
    rail.position = 5;
    rail.nomCarte = QStringLiteral("A05");
    return {Passage("0A1B", sn, IssuePassage::Reussi, Le(1, 8)),
            Passage("0A1B", plateau, IssuePassage::Echec, Le(1, 9)),
            Passage("0A1B", plateau, IssuePassage::Reussi, Le(1, 9, 30)),
            Passage("0A1C", sn, IssuePassage::Reussi, Le(1, 8, 5)),
            Passage("0A1C", plateau, IssuePassage::Echec, Le(1, 9, 5)),
            Passage("0A1D", sn, IssuePassage::Reussi, Le(1, 8, 10)),
            Passage("0A1D", plateau, IssuePassage::Reussi, Le(1, 9, 10)),
            Passage("0A1E", plateau, IssuePassage::Reussi, Le(4, 11)),
            rail};
}

struct Attribution {
    AttributionEnregistree a;
    QList<PassageEnregistre> passages;
};

// A cabinet assignment with the run of each tray, as the workflow records it.
Attribution Attribue(const QString& meuble, const QDateTime& quand,
                     const QList<std::tuple<int, QString, IssuePassage>>& plateaux) {
    Attribution r;
    r.a.debut = quand;
    r.a.poste = QStringLiteral("banc-3");
    r.a.usine = QStringLiteral("0");
    r.a.operateur = QStringLiteral("4");
    r.a.pharmacie = QStringLiteral("Pharmacie du Lac");
    r.a.adresse = QStringLiteral("3 rue du Port, Annecy");
    r.a.meuble = meuble;
    r.a.premier = std::get<0>(plateaux.first());
    r.a.dernier = std::get<0>(plateaux.last());
    for (const auto& [n, sn, issue] : plateaux) {
        PassageEnregistre p = Passage(sn, QStringLiteral("AttribueCartesMeuble"), issue, quand);
        p.versionFW = QStringLiteral("PLT2 v2.15");
        r.passages << p;
        PlateauAttribue t;
        t.plateau = n;
        t.saisie = QStringLiteral("C8-%1-5026-0Y").arg(sn);
        t.sn = sn;
        t.snLu = issue == IssuePassage::Reussi ? sn : QString();
        t.ancienNom = QStringLiteral("A-50");
        t.nouveauNom = meuble + QLatin1Char('-') + QString::number(n);
        t.issue = issue;
        t.passageUid = p.uid;
        r.a.plateaux << t;
    }
    return r;
}

QList<Attribution> Attributions() {
    const auto ok = IssuePassage::Reussi;
    return {
        Attribue("A", Le(2, 10), {{1, "0A1B", ok}, {2, "0A1C", ok}, {3, "0A1D", ok}}),
        // Tray 1's card replaced; trays 2 and 3 found again as they were.
        Attribue("A", Le(5, 14), {{1, "0A1E", ok}, {2, "0A1C", ok}, {3, "0A1D", ok}}),
        // 0A1D moved to cabinet B; tray 2 of B refused its card.
        Attribue("B", Le(6, 9), {{1, "0A1D", ok}, {2, "0A1F", IssuePassage::Echec}}),
    };
}

// The links as they must stand: sn|cabinet|tray|from|until.
const QStringList kLiens = {
    "0A1B|A|1|2026-12-02T10:00:00.000Z|2026-12-05T14:00:00.000Z",
    "0A1C|A|2|2026-12-02T10:00:00.000Z|",
    "0A1D|A|3|2026-12-02T10:00:00.000Z|2026-12-06T09:00:00.000Z",
    "0A1E|A|1|2026-12-05T14:00:00.000Z|",
    "0A1D|B|1|2026-12-06T09:00:00.000Z|",
};
const QString kSqlLiens = QStringLiteral(
    "SELECT sn, meuble, plateau, debut, coalesce(fin, '') FROM liens_meuble ORDER BY id");

QString Jour(const QDateTime& t) {
    return t.isValid() ? t.toUTC().toString(QStringLiteral("dd/MM HH:mm")) : QStringLiteral("-");
}

// What a search gives, in one line per row, for the comparison.
QStringList Lignes(const ResultatHistorique& r) {
    QStringList l{r.resume};
    for (const PassageHistorique& p : r.passages)
        l << QStringLiteral("passage %1 %2 %3 %4 %5 %6")
                 .arg(Jour(p.debut), p.flux, TexteIssue(p.issue), p.codeDefaut)
                 .arg(p.position)
                 .arg(p.versionPoste);
    for (const LienMeuble& k : r.liens)
        l << QStringLiteral("lien %1 %2 %3 %4-%5 op %6")
                 .arg(k.pharmacie, k.meuble)
                 .arg(k.plateau)
                 .arg(Jour(k.debut), Jour(k.fin), k.operateur);
    for (const MeubleHistorique& m : r.meubles) {
        l << QStringLiteral("meuble %1 %2 %3-%4 x%5 %6 op %7")
                 .arg(m.pharmacie, m.meuble)
                 .arg(m.premier)
                 .arg(m.dernier)
                 .arg(m.attributions)
                 .arg(Jour(m.dateAttribution), m.operateurAttribution);
        for (const PlateauMeuble& t : m.plateaux)
            l << QStringLiteral("  plateau %1 %2 %3 depuis %4 test %5 %6 sn %7 [%8]")
                     .arg(t.plateau)
                     .arg(t.sn, t.versionFW, Jour(t.depuis),
                          t.dernierTestPlateau ? Jour(t.dernierTestPlateau->debut) : "-",
                          t.dernierTestPlateau ? TexteIssue(t.dernierTestPlateau->issue) : "-",
                          t.derniereAttributionSN ? Jour(t.derniereAttributionSN->debut) : "-",
                          t.marque());
    }
    return l;
}

const QStringList kMeubleA = {
    "meuble Pharmacie du Lac A 1-3 x2 05/12 14:00 op 4",
    "  plateau 1 0A1E PLT2 v2.15 depuis 05/12 14:00 test 04/12 11:00 reussi sn - []",
    "  plateau 2 0A1C PLT2 v2.15 depuis 02/12 10:00 test 01/12 09:05 echec sn 01/12 08:05 "
    "[sans test plateau réussi]",
    "  plateau 3   depuis - test - - sn - []",
};
const QStringList kMeubleB = {
    "meuble Pharmacie du Lac B 1-2 x1 06/12 09:00 op 4",
    "  plateau 1 0A1D PLT2 v2.15 depuis 06/12 09:00 test 01/12 09:10 reussi sn 01/12 08:10 []",
    "  plateau 2   depuis - test - - sn - []",
};

} // namespace

class TstHistoriqueJournal : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        // The summaries show local time: the tests read them in UTC.
        qputenv("TZ", "UTC");
        QString erreur;
        QVERIFY2(serveur_.demarre(&erreur), qPrintable(erreur));
    }
    void cleanupTestCase() { serveur_.arreteSiDemarre(); }

    void liensFermesRienPerdu() {
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath(QStringLiteral("journal.sqlite"));
        ecrit(chemin);
        QCOMPARE(Sqlite(chemin, kSqlLiens), kLiens);
        QCOMPARE(Sqlite(chemin, "SELECT count(*) FROM attributions"), QStringList{"3"});
        QCOMPARE(Sqlite(chemin, "SELECT a.meuble, t.plateau, t.saisie, t.sn, coalesce(t.sn_lu,"
                                " '-'), t.nouveau_nom, t.issue FROM plateaux_attribues t JOIN"
                                " attributions a ON a.id = t.attribution WHERE a.meuble = 'B'"
                                " ORDER BY t.plateau"),
                 (QStringList{"B|1|C8-0A1D-5026-0Y|0A1D|0A1D|B-1|reussi",
                              "B|2|C8-0A1F-5026-0Y|0A1F|-|B-2|echec"}));
        // A card found again in its tray keeps its link: nothing written twice.
        QCOMPARE(Sqlite(chemin, "SELECT count(*) FROM liens_meuble WHERE sn = '0A1C'"),
                 QStringList{"1"});
    }

    void recherches_data() {
        QTest::addColumn<QString>("saisie");
        QTest::addColumn<QStringList>("attendu");
        QTest::newRow("SN") << "0A1B"
                            << QStringList{
                                   "SN 0A1B : 4 passages ; dans aucun meuble",
                                   "passage 01/12 08:00 AttribueSNcarte reussi  -1 1.2.13",
                                   "passage 01/12 09:00 TestPlateauSeul echec alim -1 1.2.13",
                                   "passage 01/12 09:30 TestPlateauSeul reussi  -1 1.2.13",
                                   "passage 02/12 10:00 AttribueCartesMeuble reussi  -1 1.2.13",
                                   "lien Pharmacie du Lac A 1 02/12 10:00-05/12 14:00 op 4"};
        QTest::newRow("code produit")
            << "C8-0A1D-5026-0Y"
            << QStringList{"Code produit C8-0A1D-5026-0Y → SN 0A1D : 5 passages ; plateau 1 du "
                           "meuble B, Pharmacie du Lac, depuis le 06/12/2026 09:00",
                           "passage 01/12 08:10 AttribueSNcarte reussi  -1 1.2.13",
                           "passage 01/12 09:10 TestPlateauSeul reussi  -1 1.2.13",
                           "passage 02/12 10:00 AttribueCartesMeuble reussi  -1 1.2.13",
                           "passage 05/12 14:00 AttribueCartesMeuble reussi  -1 1.2.13",
                           "passage 06/12 09:00 AttribueCartesMeuble reussi  -1 1.2.13",
                           "lien Pharmacie du Lac A 3 02/12 10:00-06/12 09:00 op 4",
                           "lien Pharmacie du Lac B 1 06/12 09:00-- op 4"};
        QTest::newRow("rail") << "0R01"
                              << QStringList{
                                     "SN 0R01 : 1 passage",
                                     "passage 01/12 07:00 TestRailsMeuble reussi  5 1.2.13"};
        QTest::newRow("meuble")
            << "pharmacie du LAC / A"
            << QStringList{"Meuble A de Pharmacie du Lac : plateaux 1 à 3, 2 cartes, attribué le "
                           "05/12/2026 14:00 par l'opérateur 4 (poste banc-3) ; 1 sans test "
                           "plateau réussi"} +
                   kMeubleA;
        QTest::newRow("meuble sans barre") << "Pharmacie du Lac B"
                                           << QStringList{"Meuble B de Pharmacie du Lac : "
                                                          "plateaux 1 à 2, 1 carte, attribué le "
                                                          "06/12/2026 09:00 par l'opérateur 4 "
                                                          "(poste banc-3)"} +
                                                  kMeubleB;
        QTest::newRow("pharmacie")
            << "Pharmacie  du lac"
            << QStringList{"2 meubles : A (Pharmacie du Lac), B (Pharmacie du Lac)"} + kMeubleA +
                   kMeubleB;
        QTest::newRow("partie du nom")
            << "du lac"
            << QStringList{"2 meubles : A (Pharmacie du Lac), B (Pharmacie du Lac)"} + kMeubleA +
                   kMeubleB;
        QTest::newRow("inconnu") << "Pharmacie du Mont"
                                 << QStringList{
                                        "Aucun enregistrement pour « Pharmacie du Mont » dans le "
                                        "journal"};
        QTest::newRow("SN inconnu")
            << "ZZZZ" << QStringList{"Aucun enregistrement pour « ZZZZ » dans le journal"};
        QTest::newRow("joker") << "%"
                               << QStringList{"Aucun enregistrement pour « % » dans le journal"};
    }
    void recherches() {
        QFETCH(QString, saisie);
        QFETCH(QStringList, attendu);
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath(QStringLiteral("journal.sqlite"));
        ecrit(chemin);
        LectureJournal lecture(chemin);
        QString erreur;
        QVERIFY2(lecture.ouvre(&erreur), qPrintable(erreur));
        ResultatHistorique r;
        QVERIFY2(ChercheHistorique(lecture.db(), saisie, &r, &erreur), qPrintable(erreur));
        QCOMPARE(Lignes(r), attendu);
    }

    void mesuresDuPassage() {
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath(QStringLiteral("journal.sqlite"));
        ecrit(chemin);
        LectureJournal lecture(chemin);
        QString erreur;
        QVERIFY(lecture.ouvre(&erreur));
        ResultatHistorique r;
        QVERIFY(ChercheHistorique(lecture.db(), QStringLiteral("0A1B"), &r, &erreur));
        QList<MesureJournal> mesures;
        QVERIFY2(MesuresPassage(lecture.db(), r.passages.at(1).id, &mesures, &erreur),
                 qPrintable(erreur));
        QCOMPARE(mesures.size(), 1);
        QCOMPARE(mesures[0].nom, QStringLiteral("alim"));
        QCOMPARE(mesures[0].valeur, std::optional<double>(45.2));
        QCOMPARE(mesures[0].limiteBasse, std::optional<double>(47));
        QCOMPARE(mesures[0].conforme, false);
    }

    // A journal of the previous schema keeps its runs and takes the genealogy.
    void migreUnJournalDeVersion3() {
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath(QStringLiteral("journal.sqlite"));
        QCOMPARE(
            Sqlite(chemin,
                   "CREATE TABLE version_schema (version INTEGER NOT NULL);"
                   "INSERT INTO version_schema VALUES (3);"
                   "CREATE TABLE passages (id INTEGER PRIMARY KEY AUTOINCREMENT, debut TEXT NOT"
                   " NULL, poste TEXT, usine TEXT, operateur TEXT, flux TEXT NOT NULL, sn TEXT,"
                   " nom_carte TEXT, version_fw TEXT, issue TEXT NOT NULL, duree_ms INTEGER,"
                   " code_defaut TEXT, uid TEXT);"
                   "CREATE TABLE resultats (passage INTEGER NOT NULL REFERENCES passages(id),"
                   " rang INTEGER NOT NULL, texte TEXT);"
                   "CREATE TABLE mesures (passage INTEGER NOT NULL REFERENCES passages(id), rang"
                   " INTEGER NOT NULL, nom TEXT NOT NULL, valeur REAL, texte TEXT, limite_basse"
                   " REAL, limite_haute REAL, unite TEXT, conforme INTEGER NOT NULL, code TEXT);"
                   "CREATE INDEX passages_debut ON passages (debut);"
                   "CREATE INDEX mesures_passage ON mesures (passage);"
                   "CREATE UNIQUE INDEX passages_uid ON passages (uid);"
                   "CREATE TABLE envois_en_attente (passage INTEGER NOT NULL UNIQUE REFERENCES"
                   " passages(id));"
                   "INSERT INTO passages VALUES (1, '2026-11-30T08:00:00.000Z', 'banc-1', '0',"
                   " '2', 'TestPlateauSeul', '0A1C', 'A50', 'PLT2 v2.13', 'reussi', 5100, NULL,"
                   " 'u-1');"
                   "INSERT INTO envois_en_attente VALUES (1);"),
            QStringList{});
        // Before a station of this version wrote to it, a reader says why it cannot tell.
        {
            LectureJournal lecture(chemin);
            QString erreur;
            QVERIFY(lecture.ouvre(&erreur));
            ResultatHistorique r;
            QVERIFY(!ChercheHistorique(lecture.db(), QStringLiteral("0A1C"), &r, &erreur));
            QCOMPARE(erreur, QStringLiteral("journal de version 3, sans l'historique des meubles "
                                            ": il est mis à jour au prochain passage enregistré "
                                            "par ce programme"));
        }
        const Attribution a = Attribue("A", Le(2, 10), {{2, "0A1C", IssuePassage::Reussi}});
        QString erreur;
        QVERIFY2(Journal::Enregistre(chemin, a.passages, a.a, &erreur, false), qPrintable(erreur));
        QCOMPARE(Sqlite(chemin, "SELECT version FROM version_schema"), QStringList{"5"});
        QCOMPARE(Sqlite(chemin, "SELECT id, sn, version_fw, coalesce(version_poste, '-'),"
                                " uid FROM passages ORDER BY id"),
                 (QStringList{"1|0A1C|PLT2 v2.13|-|u-1",
                              "2|0A1C|PLT2 v2.15|1.2.13|" + a.passages[0].uid}));
        QCOMPARE(Sqlite(chemin, "SELECT passage FROM envois_en_attente"), QStringList{"1"});
        QCOMPARE(Sqlite(chemin, kSqlLiens), QStringList{"0A1C|A|2|2026-12-02T10:00:00.000Z|"});
    }

    // The same records through a station with a factory server: the server
    // makes the same links and answers the same searches.
    void surLeServeur() {
        QVERIFY(serveur_.creeBase(QStringLiteral("usine")));
        QTemporaryDir dossier;
        PosteTest poste;
        Journal::FixeChemin(poste, dossier.filePath(QStringLiteral("journal.sqlite")));
        Journal::FixeServeur(poste, serveur_.serveur(QStringLiteral("usine")));
        QString erreur;
        QVERIFY2(Journal::Enregistre(poste, Fabrication(), &erreur), qPrintable(erreur));
        for (const Attribution& a : Attributions())
            QVERIFY2(Journal::Enregistre(poste, a.passages, a.a, &erreur), qPrintable(erreur));
        QCOMPARE(Journal::EnAttente(Journal::Chemin(poste)), 0);
        QCOMPARE(serveur_.psql(QStringLiteral("usine"), kSqlLiens), kLiens);

        LectureJournal lecture(poste);
        QVERIFY2(lecture.ouvre(&erreur), qPrintable(erreur));
        QVERIFY(lecture.source().startsWith(QStringLiteral("postgresql://")));
        for (const auto& [saisie, debut] :
             {std::pair{"0A1B", "SN 0A1B : 4 passages ; dans aucun meuble"},
              std::pair{"Pharmacie du Lac / A", "Meuble A de Pharmacie du Lac : plateaux 1 à 3"},
              std::pair{"du lac", "2 meubles : A (Pharmacie du Lac), B (Pharmacie du Lac)"}}) {
            ResultatHistorique r;
            QVERIFY2(ChercheHistorique(lecture.db(), QString::fromUtf8(saisie), &r, &erreur),
                     qPrintable(erreur));
            QVERIFY2(r.resume.startsWith(QString::fromUtf8(debut)), qPrintable(r.resume));
        }
        ResultatHistorique r;
        QVERIFY(ChercheHistorique(lecture.db(), QStringLiteral("Pharmacie du Lac"), &r, &erreur));
        QCOMPARE(Lignes(r).mid(1), kMeubleA + kMeubleB);
    }

private:
    void ecrit(const QString& chemin) {
        QString erreur;
        QVERIFY2(Journal::Enregistre(chemin, Fabrication(), &erreur, false), qPrintable(erreur));
        for (const Attribution& a : Attributions())
            QVERIFY2(Journal::Enregistre(chemin, a.passages, a.a, &erreur, false),
                     qPrintable(erreur));
    }

    ServeurPostgres serveur_;
};

QTEST_GUILESS_MAIN(TstHistoriqueJournal)
#include "tst_HistoriqueJournal.moc"
