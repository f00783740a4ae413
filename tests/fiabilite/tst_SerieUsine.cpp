// One serial-number series for the whole factory: stations numbering cards
// and rails from trace folders of their own, through one PostgreSQL server
// (a throwaway cluster of the test's own): no SN twice, on the server and in
// the files together, the server stopped in the middle and started again,
// a station's reserve used up while the server is away, and the end of a
// series. What the server holds is read back by psql, the files as another
// station reads them, the cards' writes from the simulated bus.
#include "AttribueSNcarte.h"
#include "BancCarte.h"
#include "EnvoiJournal.h"
#include "HistoriqueJournal.h"
#include "JournalPoste.h"
#include "LecteurSqlite.h"
#include "SerieLue.h"
#include "ServeurPostgres.h"
#include "TracesTest.h"

#include <QElapsedTimer>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace {

const QString kCarte = QStringLiteral("SNcarte.txt");
const QString kRail = QStringLiteral("SNrail.txt");

// A station program on a trace folder of its own, its card bus, its journal.
struct Station {
    QTemporaryDir dossier;
    QTemporaryDir atelier;
    BusSimule bus;
    QProcess p;
    QString journal() const { return atelier.filePath(QStringLiteral("journal.sqlite")); }
    QString ecritures() const { return atelier.filePath(QStringLiteral("ecritures.log")); }
    QString serie(const QString& nom) const { return dossier.filePath(nom); }

    bool demarre(bool rails) {
        if (rails) {
            for (int n = 1; n <= 2; ++n) {
                CarteSimulee c;
                c.nom = NomCarteSimulee('A', n);
                c.presenceEA = "00000000000000001010101010101010"; // R08S
                c.delaiReponseMs = 0;
                bus.ajouteCarte(c);
            }
        } else {
            CarteSimulee c;
            c.delaiReponseMs = 0;
            bus.ajouteCarte(c);
        }
        bus.setJournalEcritures(ecritures());
        return bus.start();
    }
    void lance(const QString& mode, int nombre, const QString& bd) {
        LanceStation(p, mode, dossier.path(), nombre, journal(), bus.cheminPeripherique(), bd);
    }
};

// The SNs the cards took, in order.
QStringList SNsEcrits(const QString& journal) {
    QStringList sns;
    for (const QByteArray& l : Lit(journal).split('\n'))
        if (!l.isEmpty())
            sns << QString::fromLatin1(l.split(' ').value(1));
    return sns;
}

int Ok(const QByteArray& sortie) {
    return static_cast<int>(sortie.count("ok\n"));
}

} // namespace

class TstSerieUsine : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QString erreur;
        QVERIFY2(serveur_.demarre(&erreur), qPrintable(erreur));
    }
    void cleanupTestCase() { serveur_.arreteSiDemarre(); }

    // Four stations, four folders, 25 cards each, at the same time.
    void quatrePostes() {
        const QString base = QStringLiteral("quatre");
        QVERIFY(serveur_.creeBase(base));
        std::vector<std::unique_ptr<Station>> postes;
        const QStringList entetes{"0A05", "0A00", "0A17", "0A09"};
        lance(postes, false, entetes, 25, base);
        if (QTest::currentTestFailed())
            return;
        QStringList tous;
        for (auto& s : postes) {
            QVERIFY(s->p.waitForFinished(180000));
            QVERIFY2(s->p.exitCode() == 0, s->p.readAllStandardError().right(2000).constData());
            QCOMPARE(Ok(s->p.readAllStandardOutput()), 25);
            const SerieLue lue = LitSerie(s->serie(kCarte));
            QVERIFY2(lue.lisible, qPrintable(lue.entete));
            QCOMPARE(lue.donnes.size(), 25);
            // Each file's header at its last line's SN; the series starts
            // after the file's own header.
            QCOMPARE(lue.dernier, lue.donnes.last());
            QVERIFY2(ValeurSN(lue.donnes.first()) > ValeurSN(entetes[int(&s - &postes[0])]),
                     qPrintable(lue.donnes.first()));
            QCOMPARE(SNsEcrits(s->ecritures()), lue.donnes);
            tous += lue.donnes;
        }
        QCOMPARE(QSet<QString>(tous.begin(), tous.end()).size(), 100);
        QStringList serveur =
            serveur_.psql(base, QStringLiteral("SELECT sn FROM sn_donnes WHERE serie ="
                                               " 'SNcarte.txt' ORDER BY sn COLLATE \"C\""));
        tous.sort();
        QCOMPARE(serveur, tous);
    }

    // The server stopped at once in the middle of the series, then started
    // again: the stations go on from their reserves, and report them after.
    void serveurArreteAuMilieu() {
        const QString base = QStringLiteral("panne");
        QVERIFY(serveur_.creeBase(base));
        std::vector<std::unique_ptr<Station>> postes;
        lance(postes, false, {"0B00", "0B00", "0B00", "0B00"}, 25, base);
        if (QTest::currentTestFailed())
            return;
        QList<QByteArray> sorties(4);
        const auto lit = [&] {
            int total = 0;
            for (int i = 0; i < 4; ++i) {
                sorties[i] += postes[i]->p.readAllStandardOutput();
                total += Ok(sorties[i]);
            }
            return total;
        };
        QTRY_VERIFY_WITH_TIMEOUT(lit() >= 30, 120000);
        qInfo("arret du serveur apres %d cartes", lit());
        QString erreur;
        QVERIFY2(serveur_.arrete(&erreur), qPrintable(erreur));
        // Cards numbered while nothing answers: they come from the reserves.
        const int avant = lit();
        QTRY_VERIFY_WITH_TIMEOUT(lit() >= avant + 8, 120000);
        qInfo("relance du serveur apres %d cartes", lit());
        QVERIFY2(serveur_.relance(&erreur), qPrintable(erreur));

        QStringList tous;
        for (int i = 0; i < 4; ++i) {
            QVERIFY(postes[i]->p.waitForFinished(180000));
            lit();
            const SerieLue lue = LitSerie(postes[i]->serie(kCarte));
            QVERIFY2(lue.lisible, qPrintable(lue.entete));
            QVERIFY2(lue.enDouble.isEmpty(), qPrintable(lue.enDouble.join(' ')));
            QCOMPARE(lue.donnes.size(), Ok(sorties[i]));
            QCOMPARE(lue.dernier, lue.donnes.last());
            // Every SN traced went into the card, and the card took no other.
            QCOMPARE(SNsEcrits(postes[i]->ecritures()), lue.donnes);
            // Nothing left to report.
            QCOMPARE(Sqlite(postes[i]->journal(), "SELECT count(*) FROM sn_a_signaler"),
                     QStringList{"0"});
            tous += lue.donnes;
        }
        QCOMPARE(QSet<QString>(tous.begin(), tous.end()).size(), tous.size());
        // Each SN of the files on the server once; some came from reserves.
        const QStringList serveur =
            serveur_.psql(base, QStringLiteral("SELECT sn FROM sn_donnes WHERE serie ="
                                               " 'SNcarte.txt'"));
        QCOMPARE(QSet<QString>(serveur.begin(), serveur.end()).size(), serveur.size());
        for (const QString& sn : std::as_const(tous))
            QVERIFY2(serveur.contains(sn), qPrintable(sn));
        QVERIFY(serveur_.psql(base, QStringLiteral("SELECT count(*) > 7 FROM sn_donnes"
                                                   " WHERE de_reserve = 1")) == QStringList{"t"});
    }

    // The reserve used up while the server is away: one box, no card written.
    void reserveEpuisee() {
        const QString base = QStringLiteral("reserve");
        QVERIFY(serveur_.creeBase(base));
        BancCarte<> banc;
        QVERIFY(banc.demarre(CarteSimulee{}));
        PosteTest& poste = *banc.poste;
        poste.reglages.portImp.clear();
        QTemporaryDir atelier;
        Journal::FixeChemin(poste, atelier.filePath(QStringLiteral("journal.sqlite")));
        Journal::FixeServeur(poste, serveur_.serveur(base));
        const QString serie = poste.fichier(kCarte);
        QVERIFY(AjouteLigneTrace(serie, QStringLiteral("dernier SN: 0C00  01/12/2026 10:00:00")));
        // The boxes of a run, but the one that says once that the journal
        // waits for its server.
        const auto carte = [&] {
            poste.op.echanges.clear();
            AttribueSNcarte(poste);
            QStringList b = poste.op.boites();
            b.removeIf([](const QString& t) {
                return t.startsWith(QStringLiteral("Le journal de production ne peut pas"));
            });
            return b;
        };
        const auto snCarte = [&] { return QString::fromLatin1(banc.bus->cartes().front().sn); };

        QVERIFY(carte().last().startsWith("coller l'etiquette"));
        QCOMPARE(snCarte(), QStringLiteral("0C01"));
        QString erreur;
        QVERIFY2(serveur_.arrete(&erreur), qPrintable(erreur));
        // The block of 10 taken with the first SN: in order.
        for (const char* attendu :
             {"0C02", "0C03", "0C04", "0C05", "0C06", "0C07", "0C08", "0C09", "0C0A", "0C0B"}) {
            const QStringList boites = carte();
            QVERIFY2(boites.last().startsWith("coller l'etiquette"), qPrintable(boites.join('|')));
            QCOMPARE(snCarte(), QString::fromLatin1(attendu));
        }
        const QByteArray avant = Lit(serie);
        const QStringList boites = carte();
        QCOMPARE(boites.size(), 1);
        QVERIFY2(boites.first().startsWith("le serveur de l'usine ne repond pas (" +
                                           serveur_.serveur(base).affiche() + "): "),
                 qPrintable(boites.first()));
        QVERIFY2(boites.first().endsWith("\ret la reserve de SN de ce poste est vide pour "
                                         "SNcarte.txt\raucun SN attribue"),
                 qPrintable(boites.first()));
        QCOMPARE(snCarte(), QStringLiteral("0C0B"));
        QCOMPARE(Lit(serie), avant);

        // Back: the reserve's SNs reported once, the series goes on after them.
        QVERIFY2(serveur_.relance(&erreur), qPrintable(erreur));
        QVERIFY(carte().last().startsWith("coller l'etiquette"));
        QVERIFY(ValeurSN(snCarte()) > ValeurSN(QStringLiteral("0C0B")));
        QCOMPARE(serveur_.psql(base, QStringLiteral("SELECT sn, de_reserve FROM sn_donnes"
                                                    " WHERE sn < '0C0C' ORDER BY sn")),
                 (QStringList{"0C01|0", "0C02|1", "0C03|1", "0C04|1", "0C05|1", "0C06|1", "0C07|1",
                              "0C08|1", "0C09|1", "0C0A|1", "0C0B|1"}));
        // The unit's history says where its SN came from.
        LectureJournal lecture(poste);
        QVERIFY2(lecture.ouvre(&erreur), qPrintable(erreur));
        ResultatHistorique r;
        QVERIFY2(ChercheHistorique(lecture.db(), QStringLiteral("0C02"), &r, &erreur),
                 qPrintable(erreur));
        QVERIFY2(r.resume.contains(QStringLiteral(" ; donné par la série SNcarte.txt au poste ") +
                                   QSysInfo::machineHostName() + QStringLiteral(" le ")),
                 qPrintable(r.resume));
        QVERIFY2(r.resume.endsWith(QStringLiteral(" (réserve du poste)")), qPrintable(r.resume));
    }

    // Two rail benches of two rails, each on its own folder.
    void rails() {
        const QString base = QStringLiteral("rails");
        QVERIFY(serveur_.creeBase(base));
        std::vector<std::unique_ptr<Station>> bancs;
        lance(bancs, true, {"0R00", "0R00"}, 3, base);
        if (QTest::currentTestFailed())
            return;
        QStringList tous;
        for (auto& s : bancs) {
            QVERIFY(s->p.waitForFinished(180000));
            QVERIFY2(s->p.exitCode() == 0, s->p.readAllStandardError().right(2000).constData());
            const SerieLue lue = LitSerie(s->serie(kRail));
            QCOMPARE(lue.donnes.size(), 6);
            QCOMPARE(lue.dernier, lue.donnes.last());
            tous += lue.donnes;
        }
        QCOMPARE(QSet<QString>(tous.begin(), tous.end()).size(), 12);
        QCOMPARE(serveur_.psql(base, QStringLiteral("SELECT count(*) FROM sn_donnes WHERE serie ="
                                                    " 'SNrail.txt'")),
                 QStringList{"12"});
    }

    // After "zzzz" a series refuses, in its file and on the server.
    void finDeSerie_data() {
        QTest::addColumn<QString>("base"); // empty: files only
        QTest::addColumn<QString>("entete");
        QTest::addColumn<QStringList>("donnes"); // the SNs given before the refusal
        QTest::newRow("fichier") << QString() << "zzzy" << QStringList{"zzzz"};
        QTest::newRow("serveur") << "fin"
                                 << "zzzx" << QStringList{"zzzy"};
    }
    void finDeSerie() {
        QFETCH(QString, base);
        QFETCH(QString, entete);
        QFETCH(QStringList, donnes);
        BancCarte<> banc;
        QVERIFY(banc.demarre(CarteSimulee{}));
        PosteTest& poste = *banc.poste;
        poste.reglages.portImp.clear();
        QTemporaryDir atelier;
        Journal::FixeChemin(poste, atelier.filePath(QStringLiteral("journal.sqlite")));
        if (!base.isEmpty()) {
            QVERIFY(serveur_.creeBase(base));
            Journal::FixeServeur(poste, serveur_.serveur(base));
        }
        const QString serie = poste.fichier(kCarte);
        QVERIFY(AjouteLigneTrace(
            serie, QStringLiteral("dernier SN: %1  01/12/2026 10:00:00").arg(entete)));
        for (const QString& sn : donnes) {
            AttribueSNcarte(poste);
            QVERIFY(poste.op.boites().last().startsWith("coller l'etiquette"));
            QCOMPARE(QString::fromLatin1(banc.bus->cartes().front().sn), sn);
            poste.op.echanges.clear();
        }
        const QByteArray avant = Lit(serie);
        AttribueSNcarte(poste);
        const QString attendu =
            base.isEmpty()
                ? "la serie de " + serie +
                      " est arrivee a son dernier SN, zzzz\raucun SN attribue: une serie ne "
                      "recommence pas a 0000"
                : QStringLiteral("la serie SNcarte.txt du serveur de l'usine est arrivee a son "
                                 "dernier SN, zzzz: une serie ne recommence pas a 0000\raucun SN "
                                 "attribue");
        QCOMPARE(poste.op.boites(), QStringList{attendu});
        QCOMPARE(QString::fromLatin1(banc.bus->cartes().front().sn), donnes.last());
        QCOMPARE(Lit(serie), avant);
    }

    // A factory's server that asks a password: libpq's password file gives
    // it, never the command line; one still written in bd= works and the
    // status line says who can read it.
    void motDePasse() {
        ServeurPostgres protege;
        QString erreur;
        QVERIFY2(protege.demarre(&erreur, QStringLiteral("s3cret")), qPrintable(erreur));
        QVERIFY(protege.creeBase(QStringLiteral("usine")));
        QTemporaryDir dossier;
        const QString pgpass = dossier.filePath(QStringLiteral("pgpass"));
        Ecrit(pgpass,
              QStringLiteral("127.0.0.1:%1:usine:calvanet:s3cret\n").arg(protege.port()).toUtf8());
        QVERIFY(QFile::setPermissions(pgpass, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        const QByteArray avant = qgetenv("PGPASSFILE");
        const auto etat = [&](const QString& bd) {
            PosteTest poste;
            QTemporaryDir atelier;
            Journal::FixeChemin(poste, atelier.filePath(QStringLiteral("journal.sqlite")));
            Journal::FixeServeur(poste, *AnalyseBd(bd, nullptr));
            PassageEnregistre p;
            p.debut = QDateTime::currentDateTimeUtc();
            p.flux = QStringLiteral("AttribueSNcarte");
            p.issue = IssuePassage::Reussi;
            QString raison;
            Journal::Enregistre(poste, p, &raison);
            return EnvoiJournal::de(poste)->etat();
        };
        const QString bd = protege.bd(QStringLiteral("usine"));
        const QString affiche =
            QStringLiteral("Journal: serveur postgresql://calvanet@127.0.0.1:%1/usine")
                .arg(protege.port());

        qputenv("PGPASSFILE", dossier.filePath(QStringLiteral("absent")).toLocal8Bit());
        QVERIFY(!Journal::PrepareServeur(*AnalyseBd(bd, nullptr), &erreur));
        QVERIFY2(erreur.contains(QStringLiteral("password")), qPrintable(erreur));
        QVERIFY(etat(bd).startsWith(QStringLiteral("Journal: serveur injoignable")));

        qputenv("PGPASSFILE", pgpass.toLocal8Bit());
        QCOMPARE(etat(bd), affiche);

        qputenv("PGPASSFILE", dossier.filePath(QStringLiteral("absent")).toLocal8Bit());
        QCOMPARE(etat(QString(bd).replace(QStringLiteral("calvanet@"),
                                          QStringLiteral("calvanet:s3cret@"))),
                 affiche + QStringLiteral(" - attention: le mot de passe de bd= est visible des"
                                          " autres utilisateurs de ce poste (liste des"
                                          " processus); mettez-le dans ~/.pgpass"));
        if (avant.isNull())
            qunsetenv("PGPASSFILE");
        else
            qputenv("PGPASSFILE", avant);
        protege.arreteSiDemarre();
    }

private:
    // One station per header, its series file starting there, all started
    // at once for `nombre` runs on the server's `base`: cards, or rails.
    void lance(std::vector<std::unique_ptr<Station>>& postes, bool rails,
               const QStringList& entetes, int nombre, const QString& base) {
        for (const QString& e : entetes) {
            auto s = std::make_unique<Station>();
            QVERIFY(s->demarre(rails));
            QVERIFY(AjouteLigneTrace(s->serie(rails ? kRail : kCarte),
                                     QStringLiteral("dernier SN: %1  01/12/2026 10:00:00").arg(e)));
            postes.push_back(std::move(s));
        }
        for (auto& s : postes)
            s->lance(rails ? QStringLiteral("rail") : QStringLiteral("carte"), nombre,
                     serveur_.bd(base));
    }

    ServeurPostgres serveur_;
};

QTEST_MAIN(TstSerieUsine)
#include "tst_SerieUsine.moc"
