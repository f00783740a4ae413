// The workflows that test many cards at once keep one record per card: the
// rail bench one per rail, with the SN the rail got; the cabinet assignment
// one per tray. Each record tells how that card's run ended.
#include "BancMeuble.h"
#include "BancRails.h"
#include "JournalPoste.h"
#include "LecteurSqlite.h"
#include "TestRailsMeuble.h"

#include <QtTest>

namespace {

const QString kPassages = QStringLiteral(
    "SELECT flux, coalesce(nom_carte, '-'), coalesce(sn, '-'), issue, coalesce(code_defaut, '-')"
    " FROM passages ORDER BY nom_carte, id");

QString MesuresDe(const QString& journal, const QString& carte) {
    return Sqlite(journal, "SELECT nom, coalesce(valeur, '-'), coalesce(texte, '-'),"
                           " coalesce(limite_basse, '-'), coalesce(limite_haute, '-'), conforme,"
                           " coalesce(code, '') FROM mesures JOIN passages ON passages.id = passage"
                           " WHERE nom_carte = '" +
                               carte + "' ORDER BY rang")
        .join(' ');
}

QString R15(const QString& motif = QString::fromLatin1(kR15)) {
    return "EA nombre|15.0|-|15.0|15.0|1| EA motif|-|" + motif +
           "|-|-|1| type rail demande|-|R15|-|-|1| type rail trouve|-|R15|-|-|1|";
}

} // namespace

class TstJournalBancs : public QObject {
    Q_OBJECT
private slots:
    void bancRails_data() {
        QTest::addColumn<QString>("deroulement");
        QTest::addColumn<QStringList>("passages");
        const QString r = QStringLiteral("TestRailsMeuble|");
        QTest::newRow("trois bons") << "ok"
                                    << QStringList{r + "A01|00Z9|reussi|-", r + "A02|00ZA|reussi|-",
                                                   r + "A03|00ZB|reussi|-"};
        QTest::newRow("reponse Non")
            << "non"
            << QStringList{r + "A01|-|abandon|-", r + "A02|-|abandon|-", r + "A03|-|abandon|-"};
        QTest::newRow("annulation pendant les tirs")
            << "annule"
            << QStringList{r + "A01|-|abandon|-", r + "A02|-|abandon|-", r + "A03|-|abandon|-"};
        // The rail of another model stops the bench: it failed, the others
        // were cut short.
        QTest::newRow("autre modele") << "R13"
                                      << QStringList{r + "A01|-|interrompu|-", r + "A02|-|echec|E3",
                                                     r + "A03|-|interrompu|-"};
        QTest::newRow("lecture sans reponse")
            << "IA2A"
            << QStringList{r + "A01|-|interrompu|-", r + "A02|-|echec|E4",
                           r + "A03|-|interrompu|-"};
        QTest::newRow("mesure sans reponse")
            << "IA2E"
            << QStringList{r + "A01|-|interrompu|-", r + "A02|-|echec|E2",
                           r + "A03|-|interrompu|-"};
        QTest::newRow("tir sans reponse")
            << "EA23"
            << QStringList{r + "A01|-|interrompu|-", r + "A02|-|echec|tir",
                           r + "A03|-|interrompu|-"};
        // A rail without EA gets no SN: a failure of its own, the others go on.
        QTest::newRow("rail sans EA")
            << "vide"
            << QStringList{r + "A01|00Z9|reussi|-", r + "A02|-|echec|E3", r + "A03|00ZA|reussi|-"};
    }
    void bancRails() {
        QFETCH(QString, deroulement);
        QFETCH(QStringList, passages);
        Banc banc;
        QVERIFY(banc.demarre());
        const QString journal = banc.fichier("journal.sqlite");
        Journal::FixeChemin(*banc.poste, journal);
        banc.rail(1, kR15);
        banc.rail(2,
                  deroulement == "R13"    ? kR13
                  : deroulement == "vide" ? kAucun
                                          : kR15,
                  [&](CarteSimulee& c) {
                      if (deroulement.startsWith("IA") || deroulement.startsWith("EA"))
                          c.silencePour << deroulement.toLatin1();
                  });
        banc.rail(3, kR15);
        banc.poste->op.repond("R15");
        if (deroulement == "annule")
            banc.annuleApres("EA210ACC10");
        if (deroulement == "non")
            banc.poste->op.repondNon();
        else
            banc.poste->op.repondOui();
        banc.poste->op.repond("00Z9");

        TestRailsMeuble(*banc.poste);

        QCOMPARE(Sqlite(journal, kPassages), passages);
        if (deroulement == "ok")
            for (const QString carte : {"A01", "A02", "A03"})
                QCOMPARE(MesuresDe(journal, carte), R15());
        if (deroulement == "R13")
            QCOMPARE(
                MesuresDe(journal, "A02"),
                "EA nombre|13.0|-|15.0|15.0|0|E3 EA motif|-|" + QString::fromLatin1(kR13) +
                    "|-|-|1| type rail demande|-|R15|-|-|1| type rail trouve|-|R13|-|-|0|type");
        QVERIFY(banc.poste->op.boites().filter("journal").isEmpty());
    }

    // One record per tray, with the tray's SN: a missing card is one of its own.
    void meuble() {
        BancMeuble b;
        QVERIFY(b.ouvre());
        const QString journal = b.fichier("journal.sqlite");
        Journal::FixeChemin(b.f->poste(), journal);
        // The firmware file the station programs: its fingerprint goes with each run.
        const QString fw = b.fichier("prog.hex");
        QFile f(fw);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("abc") == 3);
        f.close();
        b.f->poste().reglages.FichierProg = fw;
        b.carteUsine("0B01");
        b.carteUsine("0B03");
        b.cree("A", "1", "3", {"0B01", "0B02", "C8-0B03-5026-0Y"});
        b.cliqueMeuble(b.w->BtAttribuerCartes);
        QCOMPARE(Sqlite(journal, "SELECT flux, sn, coalesce(nom_carte, '-'),"
                                 " coalesce(version_fw, '-'), issue, coalesce(code_defaut, '-')"
                                 " FROM passages ORDER BY sn"),
                 (QStringList{"AttribueCartesMeuble|0B01|A-5|PLT2 v2.14|reussi|-",
                              "AttribueCartesMeuble|0B02|-|-|echec|carte absente",
                              "AttribueCartesMeuble|0B03|A-5|PLT2 v2.14|reussi|-"}));
        QCOMPARE(Sqlite(journal, "SELECT texte FROM resultats JOIN passages ON id = passage"
                                 " WHERE sn = '0B01' ORDER BY rang")
                     .mid(1),
                 QStringList{"ok"});

        // The cabinet's genealogy: the assignment, each tray as entered and
        // answered, a link for each card that took its tray's name.
        const VersionLogiciel v = versionLogiciel();
        QCOMPARE(Sqlite(journal, "SELECT DISTINCT version_poste, fichier_fw, sha256_fw"
                                 " FROM passages"),
                 QStringList{QStringLiteral("%1.%2.%3|").arg(v.major).arg(v.minor).arg(v.revision) +
                             fw +
                             "|ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"});
        QCOMPARE(Sqlite(journal, "SELECT pharmacie, adresse, meuble, premier, dernier"
                                 " FROM attributions"),
                 QStringList{"Pharmacie du Parc|3 place Verte|A|1|3"});
        QCOMPARE(
            Sqlite(journal, "SELECT t.plateau, t.saisie, t.sn, coalesce(t.sn_lu, '-'),"
                            " coalesce(t.ancien_nom, '-'), t.nouveau_nom, t.issue, p.sn"
                            " FROM plateaux_attribues t JOIN passages p ON p.uid ="
                            " t.passage_uid ORDER BY t.plateau"),
            (QStringList{"1|0B01|0B01|0B01|A-5|A-1|reussi|0B01", "2|0B02|0B02|-|-|A-2|echec|0B02",
                         "3|C8-0B03-5026-0Y|0B03|0B03|A-5|A-3|reussi|0B03"}));
        QCOMPARE(Sqlite(journal, "SELECT sn, pharmacie, meuble, plateau, coalesce(fin, '-')"
                                 " FROM liens_meuble ORDER BY plateau"),
                 (QStringList{"0B01|Pharmacie du Parc|A|1|-", "0B03|Pharmacie du Parc|A|3|-"}));
    }
};

QTEST_MAIN(TstJournalBancs)
#include "tst_JournalBancs.moc"
