// The window "Historique d'un SN", opened from the main window's menu on a
// journal written by the station's own writer: what each kind of search shows,
// cell by cell as displayed, in a time zone an hour off UTC.
#include "BancFenetre.h"
#include "HistoriqueSN.h"
#include "JournalPoste.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTableWidget>
#include <QUuid>
#include <QtTest>

namespace {

QDateTime Utc(const char* iso) {
    return QDateTime::fromString(QString::fromLatin1(iso), Qt::ISODate);
}

PassageEnregistre Passage(const char* debut, const char* poste, const char* flux, const char* sn,
                          IssuePassage issue, const char* code = "") {
    PassageEnregistre p;
    p.debut = Utc(debut);
    p.poste = poste;
    p.usine = "0";
    p.operateur = QString(poste).right(1);
    p.flux = flux;
    p.sn = sn;
    p.versionFW = "V2.31";
    p.versionPoste = "1.4.0";
    p.issue = issue;
    p.codeDefaut = code;
    p.dureeMs = 1000;
    return p;
}

// The cabinet `meuble` of "Pharmacie du Lac" given cards (tray, SN), each
// tray's run written with it.
bool Attribue(const QString& journal, const char* debut, const char* meuble, int premier,
              int dernier, const QList<std::pair<int, QString>>& cartes, QString* erreur) {
    AttributionEnregistree a;
    a.debut = Utc(debut);
    a.poste = "banc-3";
    a.usine = "0";
    a.operateur = "3";
    a.pharmacie = "Pharmacie du Lac";
    a.adresse = "2 rue du Port, Annecy";
    a.meuble = meuble;
    a.premier = premier;
    a.dernier = dernier;
    QList<PassageEnregistre> passages;
    for (const auto& [plateau, sn] : cartes) {
        PassageEnregistre p =
            Passage(debut, "banc-3", "AttribueCartesMeuble", "", IssuePassage::Reussi);
        p.sn = sn;
        p.versionFW = sn == "0A1C" ? "V2.30" : "V2.31";
        p.uid = QUuid::createUuid().toString(QUuid::WithoutBraces);
        passages << p;
        a.plateaux << PlateauAttribue{.plateau = plateau,
                                      .saisie = sn,
                                      .sn = sn,
                                      .snLu = sn,
                                      .ancienNom = "A-50",
                                      .nouveauNom = QString("%1-%2").arg(meuble).arg(plateau),
                                      .issue = IssuePassage::Reussi,
                                      .passageUid = p.uid};
    }
    return Journal::Enregistre(journal, passages, a, erreur, false);
}

// Card 0A1B: failed then passed its SN assignment, passed its tray test, went
// to tray 1 of cabinet A (trays 1 to 3) on 8 December, then to tray 5 of
// cabinet B (trays 4 and 5) on the 9th. Cabinet A keeps 0A1C (never
// tray-tested) and 0A1D (passed), its tray 1 left empty. Rail 00Z9
// passed the rail bench at place 4. Written out of time order.
bool Ecrit(const QString& journal, QString* erreur) {
    PassageEnregistre plateau =
        Passage("2026-12-07T09:00:00Z", "banc-2", "TestPlateauSeul", "0A1B", IssuePassage::Reussi);
    plateau.mesures = {
        {.nom = "alim", .valeur = 48.8, .limiteBasse = 47, .limiteHaute = 51, .unite = "V"},
        {.nom = "EA motif", .texte = "1111000011110000"}};
    PassageEnregistre echec = Passage("2026-12-07T07:00:00Z", "banc-1", "AttribueSNcarte", "0A1B",
                                      IssuePassage::Echec, "C3");
    echec.mesures = {{.nom = "IR puissance",
                      .valeur = 200,
                      .limiteBasse = 80,
                      .limiteHaute = 190,
                      .conforme = false,
                      .code = "C3"}};
    PassageEnregistre rail =
        Passage("2026-12-07T08:00:00Z", "banc-1", "TestRailsMeuble", "00Z9", IssuePassage::Reussi);
    rail.position = 4;
    rail.versionFW.clear();
    const QList<PassageEnregistre> passages{
        plateau,
        Passage("2026-12-07T07:20:00Z", "banc-1", "AttribueSNcarte", "0A1B", IssuePassage::Reussi),
        echec,
        rail,
        Passage("2026-12-07T10:00:00Z", "banc-2", "TestPlateauSeul", "0A1D", IssuePassage::Reussi),
        Passage("2026-12-07T10:30:00Z", "banc-1", "AttribueSNcarte", "0A1D", IssuePassage::Reussi),
        Passage("2026-12-07T11:00:00Z", "banc-1", "AttribueSNcarte", "0A1C", IssuePassage::Reussi),
    };
    return Journal::Enregistre(journal, passages, erreur, false) &&
           Attribue(journal, "2026-12-08T10:00:00Z", "A", 1, 3,
                    {{1, "0A1B"}, {2, "0A1C"}, {3, "0A1D"}}, erreur) &&
           Attribue(journal, "2026-12-09T14:00:00Z", "B", 4, 5, {{5, "0A1B"}}, erreur);
}

// A table's rows as displayed, cells joined by "|".
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

QStringList EnTetes(const QTableWidget* t) {
    QStringList r;
    for (int j = 0; j < t->columnCount(); ++j)
        r << t->horizontalHeaderItem(j)->text();
    return r;
}

// The runs of card 0A1B, in time order, dates in Paris time.
const QStringList kPassages0A1B{
    "07/12/2026 08:00:00|banc-1|1|AttribueSNcarte|échec|C3|0A1B|V2.31|1.4.0|",
    "07/12/2026 08:20:00|banc-1|1|AttribueSNcarte|réussi||0A1B|V2.31|1.4.0|",
    "07/12/2026 10:00:00|banc-2|2|TestPlateauSeul|réussi||0A1B|V2.31|1.4.0|",
    "08/12/2026 11:00:00|banc-3|3|AttribueCartesMeuble|réussi||0A1B|V2.31|1.4.0|",
    "09/12/2026 15:00:00|banc-3|3|AttribueCartesMeuble|réussi||0A1B|V2.31|1.4.0|",
};

struct Station : BancFenetre {
    QString journal;
    HistoriqueSN* h = nullptr;
    // The window opened from the menu on the journal written by Ecrit
    // (none when `rempli` is false).
    bool ouvre(bool rempli = true) {
        if (!demarre())
            return false;
        journal = fichier("journal.sqlite");
        Journal::FixeChemin(f->poste(), journal);
        QString erreur;
        if (rempli && !Ecrit(journal, &erreur)) {
            qWarning("%s", qPrintable(erreur));
            return false;
        }
        f->mnuHistorique->trigger();
        h = f->findChild<HistoriqueSN*>();
        return h && QTest::qWaitForWindowExposed(h);
    }
    // Typed in the field, then Enter.
    void cherche(const QString& saisie) {
        h->TxtRecherche->clear();
        QTest::keyClicks(h->TxtRecherche, saisie);
        QTest::keyClick(h->TxtRecherche, Qt::Key_Return);
    }
    QPoint centre(QTableWidget* t, int ligne) {
        return t->visualItemRect(t->item(ligne, 0)).center();
    }
};

} // namespace

class TstHistoriqueSN : public QObject {
    Q_OBJECT
private slots:
    void entreeDuMenu() {
        Station b;
        QVERIFY(b.ouvre());
        QCOMPARE(b.f->mnuHistorique->text(), QString("Historique d'un SN"));
        const QList<QAction*> menu = b.f->mnuFonctions->actions();
        QCOMPARE(menu.indexOf(b.f->mnuHistorique), menu.indexOf(b.f->mnuStatistiques) + 1);
        QCOMPARE(b.h->windowTitle(), QString("Historique d'un SN"));
        QCOMPARE(b.h->BtChercher->text(), QString("Chercher"));
        QCOMPARE(EnTetes(b.h->TablePassages),
                 QString("Date|Poste|Opérateur|Flux|Issue|Code défaut|SN|Firmware|Version poste|"
                         "Position")
                     .split('|'));
        QVERIFY(!b.h->LblResultat->text().isEmpty());
        // A second click brings the same window back.
        b.f->mnuHistorique->trigger();
        QCOMPARE(b.f->findChildren<HistoriqueSN*>().size(), 1);
    }

    // A card found by its SN or by the product code on its label: its runs
    // in time order, and the cabinets it was in.
    void carte_data() {
        QTest::addColumn<QString>("saisie");
        QTest::newRow("SN") << "0A1B";
        QTest::newRow("code produit") << "C8-0A1B-5026-0Y";
    }
    void carte() {
        QFETCH(QString, saisie);
        Station b;
        QVERIFY(b.ouvre());
        b.cherche(saisie);
        QCOMPARE(Lignes(b.h->TablePassages), kPassages0A1B);
        QVERIFY(b.h->TablePassages->isVisible());
        QVERIFY(b.h->TableGenealogie->isVisible());
        QVERIFY(!b.h->TablePlateaux->isVisible());
        QCOMPARE(EnTetes(b.h->TableGenealogie),
                 QString("Pharmacie|Meuble|Plateau|Du|Au").split('|'));
        QCOMPARE(Lignes(b.h->TableGenealogie),
                 (QStringList{"Pharmacie du Lac|A|1|08/12/2026 11:00:00|09/12/2026 15:00:00",
                              "Pharmacie du Lac|B|5|09/12/2026 15:00:00|en place"}));
    }

    // A run clicked: its measurements with their limits and verdicts.
    void mesures_data() {
        QTest::addColumn<int>("passage");
        QTest::addColumn<QStringList>("mesures");
        QTest::newRow("IR hors limite")
            << 0 << QStringList{"IR puissance|200|80|190||non conforme"};
        QTest::newRow("alim et motif")
            << 2
            << QStringList{"alim|48.8|47|51|V|conforme", "EA motif|1111000011110000||||conforme"};
    }
    void mesures() {
        QFETCH(int, passage);
        QFETCH(QStringList, mesures);
        Station b;
        QVERIFY(b.ouvre());
        b.cherche("0A1B");
        QCOMPARE(b.h->TableMesures->rowCount(), 0);
        QTest::mouseClick(b.h->TablePassages->viewport(), Qt::LeftButton, {},
                          b.centre(b.h->TablePassages, passage));
        QCOMPARE(EnTetes(b.h->TableMesures),
                 QString("Mesure|Valeur|Limite basse|Limite haute|Unité|Verdict").split('|'));
        QCOMPARE(Lignes(b.h->TableMesures), mesures);
        QVERIFY(b.h->TableMesures->isVisible());
    }

    // A cabinet: its trays with their cards now, the card never passed on its
    // own marked, the tray a card left empty; a double-click goes to a tray's
    // card.
    void meuble() {
        Station b;
        QVERIFY(b.ouvre());
        b.cherche("Pharmacie du Lac / A");
        QVERIFY(b.h->TablePlateaux->isVisible());
        QVERIFY(!b.h->CmbMeuble->isVisible());
        QVERIFY(b.h->BtCertificat->isVisible());
        QCOMPARE(b.h->BtCertificat->text(), QString("Certificat du meuble"));
        QVERIFY(!b.h->TablePassages->isVisible());
        QCOMPARE(EnTetes(b.h->TablePlateaux),
                 QString("Plateau|SN carte|Firmware|Depuis|Dernier test plateau|Attribution SN|"
                         "Marque")
                     .split('|'));
        QCOMPARE(Lignes(b.h->TablePlateaux),
                 (QStringList{"1||||—|—|",
                              "2|0A1C|V2.30|08/12/2026 11:00:00|—|07/12/2026 12:00:00 réussi|"
                              "sans test plateau réussi",
                              "3|0A1D|V2.31|08/12/2026 11:00:00|07/12/2026 11:00:00 réussi|"
                              "07/12/2026 11:30:00 réussi|"}));

        const QPoint carte = b.centre(b.h->TablePlateaux, 1);
        QTest::mouseClick(b.h->TablePlateaux->viewport(), Qt::LeftButton, {}, carte);
        QTest::mouseDClick(b.h->TablePlateaux->viewport(), Qt::LeftButton, {}, carte);
        QCOMPARE(b.h->TxtRecherche->text(), QString("0A1C"));
        QCOMPARE(Lignes(b.h->TablePassages),
                 (QStringList{"07/12/2026 12:00:00|banc-1|1|AttribueSNcarte|réussi||0A1C|V2.31|"
                              "1.4.0|",
                              "08/12/2026 11:00:00|banc-3|3|AttribueCartesMeuble|réussi||0A1C|"
                              "V2.30|1.4.0|"}));
    }

    // A pharmacy: a choice among its cabinets.
    void pharmacie() {
        Station b;
        QVERIFY(b.ouvre());
        b.cherche("pharmacie du lac");
        QVERIFY(b.h->CmbMeuble->isVisible());
        QCOMPARE(b.h->CmbMeuble->count(), 2);
        b.h->CmbMeuble->setCurrentIndex(b.h->CmbMeuble->findText("Meuble B"));
        QCOMPARE(
            Lignes(b.h->TablePlateaux),
            (QStringList{"4||||—|—|", "5|0A1B|V2.31|09/12/2026 15:00:00|07/12/2026 10:00:00 réussi|"
                                      "07/12/2026 08:20:00 réussi|"}));
    }

    // A rail's SN gives its runs only.
    void rail() {
        Station b;
        QVERIFY(b.ouvre());
        b.cherche("00Z9");
        QCOMPARE(Lignes(b.h->TablePassages),
                 QStringList{"07/12/2026 09:00:00|banc-1|1|TestRailsMeuble|réussi||00Z9||1.4.0|4"});
        QVERIFY(!b.h->TableMesures->isVisible());
        QVERIFY(!b.h->TableGenealogie->isVisible());
        QVERIFY(!b.h->TablePlateaux->isVisible());
    }

    // Nothing found, or no journal to read: one line says so, and no table
    // is left showing an earlier search.
    void rienATrouver_data() {
        QTest::addColumn<bool>("rempli");
        QTest::addColumn<QString>("saisie");
        QTest::newRow("SN inconnu") << true << "9Z9Z";
        QTest::newRow("pharmacie inconnue") << true << "Pharmacie des Alpes";
        QTest::newRow("sans journal") << false << "0A1B";
    }
    void rienATrouver() {
        QFETCH(bool, rempli);
        QFETCH(QString, saisie);
        Station b;
        QVERIFY(b.ouvre(rempli));
        if (rempli)
            b.cherche("0A1B");
        b.cherche(saisie);
        const QString ligne = b.h->LblResultat->text();
        QVERIFY(!ligne.isEmpty());
        QVERIFY2(!ligne.contains('\n'), qPrintable(ligne));
        if (rempli) {
            QVERIFY2(ligne.contains(saisie), qPrintable(ligne));
        } else {
            QCOMPARE(ligne, "aucun journal: " + b.journal);
            QVERIFY(!QFile::exists(b.journal));
        }
        for (QTableWidget* t :
             {b.h->TablePassages, b.h->TableMesures, b.h->TableGenealogie, b.h->TablePlateaux}) {
            QCOMPARE(t->rowCount(), 0);
            QVERIFY2(!t->isVisible(), qPrintable(t->objectName()));
        }
        QVERIFY(!b.h->BtCertificat->isVisible());
    }
};

int main(int argc, char** argv) {
    // Dates are shown in local time: one an hour off UTC in December.
    qputenv("TZ", "Europe/Paris");
    QApplication app(argc, argv);
    TstHistoriqueSN t;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&t, argc, argv);
}
#include "tst_HistoriqueSN.moc"
