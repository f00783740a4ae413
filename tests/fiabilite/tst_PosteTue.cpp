// A station killed (SIGKILL) at random moments while it numbers cards, rails
// and cabinets on the simulated bus, again and again: whatever moment the
// power cord is pulled, the series stays readable, its header is never
// behind an SN given, no SN is given twice, and a cabinet record is in the
// file whole or not at all. Cards and rails again with a factory server
// (bd=): every SN a card took was on the server before. The random moments are printed with their
// seed; CALVANET_GRAINE=<seed> replays them.
#include "BusSimule.h"
#include "LecteurSqlite.h"
#include "Plateforme.h"
#include "SerieLue.h"
#include "ServeurPostgres.h"
#include "TracesTest.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kArrets = 50;

// The bus outlives every station run, as the cards of a bench outlive the
// station program; the SNs the cards took go to a file.
struct BancTue {
    QTemporaryDir dossier; // the trace folder
    QTemporaryDir atelier; // what is not the station's: the cards' write log
    BusSimule bus;
    QString bd; // the factory server, when the station has one
    QString ecritures() const { return atelier.filePath(QStringLiteral("ecritures.log")); }
    QString journal() const { return atelier.filePath(QStringLiteral("journal.sqlite")); }
    bool demarre() {
        bus.setJournalEcritures(ecritures());
        QString erreur;
        if (!bus.start({}, &erreur)) {
            qWarning("pseudo-terminal: %s", qPrintable(erreur));
            return false;
        }
        return true;
    }
};

quint32 Graine() {
    bool ok = false;
    const quint32 g = qEnvironmentVariable("CALVANET_GRAINE").toUInt(&ok);
    return ok ? g : QRandomGenerator::global()->generate();
}

// Runs `nombre` whole runs of `mode`; false with the station's words when a
// run did not end as the operator expects.
bool Tourne(const QString& mode, const BancTue& banc, int nombre, qint64* dureeMs = nullptr) {
    QProcess p;
    QElapsedTimer t;
    t.start();
    LanceStation(p, mode, banc.dossier.path(), nombre, banc.journal(),
                 banc.bus.cheminPeripherique(), banc.bd);
    const bool fini = p.waitForFinished(120000);
    if (dureeMs)
        *dureeMs = t.elapsed();
    if (!fini || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        qWarning("%s: %s", qPrintable(mode), p.readAllStandardError().constData());
        return false;
    }
    return true;
}

// Starts the station for good and kills it after a random time, kArrets
// times; the times span a whole run and its start-up, so that kills land in
// every step. Returns how many runs ended ok between the kills.
int TueEnBoucle(const QString& mode, const BancTue& banc, qint64 dureeRunMs) {
    const quint32 graine = Graine();
    qInfo("%s: graine %u, un passage %lld ms", qPrintable(mode), graine, dureeRunMs);
    QRandomGenerator hasard(graine);
    int reussis = 0;
    for (int i = 0; i < kArrets; ++i) {
        QProcess p;
        LanceStation(p, mode, banc.dossier.path(), 0, banc.journal(), banc.bus.cheminPeripherique(),
                     banc.bd);
        if (!p.waitForStarted(10000))
            return -1;
        const int apresMs = static_cast<int>(hasard.bounded(dureeRunMs * 3 / 2 + 1));
        if (p.waitForFinished(apresMs)) {
            qWarning("%s: la station s'est arretee seule: %s", qPrintable(mode),
                     p.readAllStandardError().constData());
            return -1;
        }
        p.kill();
        p.waitForFinished(10000);
        reussis += static_cast<int>(p.readAllStandardOutput().count("ok\n"));
    }
    return reussis;
}

// Starts the series at 0000, runs `mode` once, kills it kArrets times, runs
// it `fin` times more, and reads the series as any station reads it.
void TueEtLit(const QString& mode, const BancTue& banc, const QString& nom, int fin, SerieLue& s,
              int& reussis) {
    const QString serie = banc.dossier.filePath(nom);
    QVERIFY(AjouteLigneTrace(serie, QStringLiteral("dernier SN: 0000  01/12/2026 10:00:00")));
    qint64 duree = 0;
    QVERIFY(Tourne(mode, banc, 1, &duree));
    reussis = TueEnBoucle(mode, banc, duree);
    QVERIFY(reussis >= 0);
    // After the last kill the next station numbers on as if nothing happened.
    QVERIFY(Tourne(mode, banc, fin));
    s = LitSerie(serie);
    QVERIFY2(s.lisible, qPrintable(s.entete));
    QVERIFY2(s.enDouble.isEmpty(), qPrintable(s.enDouble.join(' ')));
    QVERIFY2(s.auDela.isEmpty(), qPrintable(s.auDela.join(' ')));
    QVERIFY2(s.sansSN.isEmpty(), qPrintable(s.sansSN.join('\n')));
}

QStringList SNsEcrits(const QString& journal) {
    QStringList sns;
    for (const QByteArray& l : Lit(journal).split('\n'))
        if (!l.isEmpty())
            sns << QString::fromLatin1(l.split(' ').value(1));
    return sns;
}

// The cabinet records of the file, each from its line of dashes to the next,
// dates and times masked.
QList<QByteArray> Enregistrements(const QByteArray& fichier) {
    static const QRegularExpression date(QStringLiteral("\\d\\d/\\d\\d/\\d{4}"));
    static const QRegularExpression heure(QStringLiteral("\\d\\d:\\d\\d:\\d\\d"));
    QList<QByteArray> lignes = fichier.split('\n');
    if (lignes.last().isEmpty())
        lignes.removeLast();
    QList<QByteArray> r;
    const QByteArray tirets(104, '-');
    for (const QByteArray& l : lignes) {
        if (l.startsWith(tirets) || r.isEmpty())
            r << QByteArray();
        r.last() += QString::fromLatin1(l + '\n')
                        .replace(date, QStringLiteral("JJ/MM/AAAA"))
                        .replace(heure, QStringLiteral("hh:mm:ss"))
                        .toLatin1();
    }
    return r;
}

} // namespace

class TstPosteTue : public QObject {
    Q_OBJECT
private slots:
    void cleanupTestCase() { serveur_.arreteSiDemarre(); }

    // A station killed while it opens its card port and its printer port,
    // kOuvertures times, the next one started at once: whatever the kill
    // left (an empty lock, a lock naming a dead process), the next station
    // opens both ports at its first try, without a box.
    void tueALOuverture() {
        constexpr int kOuvertures = 200;
        BusSimule bus;
        QString erreur;
        QVERIFY2(bus.start({}, &erreur), qPrintable(erreur));
        QTemporaryDir dossier;
        const int maitre = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        QVERIFY(maitre >= 0 && grantpt(maitre) == 0 && unlockpt(maitre) == 0);
        const QString imprimante = dossier.filePath(QStringLiteral("imprimante"));
        QVERIFY(QFile::link(QString::fromLocal8Bit(ptsname(maitre)), imprimante));
        const QString carte = bus.cheminPeripherique();
        const QStringList verrous{Plateforme::FichierVerrouSerie(carte),
                                  Plateforme::FichierVerrouSerie(imprimante)};
        auto lance = [&](QProcess& p) {
            p.setProcessChannelMode(QProcess::SeparateChannels);
            p.start(QStringLiteral(STATION_BOUCLE), {QStringLiteral("ports"), carte, imprimante});
        };
        // How long a station takes to have both ports open, from its start.
        QElapsedTimer chrono;
        qint64 ouvertureMs = 0;
        for (int i = 0; i < 3; ++i) {
            QProcess p;
            chrono.start();
            lance(p);
            QVERIFY(p.waitForReadyRead(20000));
            ouvertureMs = std::max(ouvertureMs, chrono.elapsed());
            QVERIFY(p.waitForFinished(20000));
            QCOMPARE(p.exitCode(), 0);
        }
        const quint32 graine = Graine();
        QRandomGenerator hasard(graine);
        int verrousLaisses = 0;
        int verrousVides = 0;
        qint64 pireMs = 0;
        for (int i = 0; i < kOuvertures; ++i) {
            QProcess tue;
            lance(tue);
            QVERIFY(tue.waitForStarted(10000));
            // From the second half of the start-up to the ports' closing.
            const qint64 debutUs = ouvertureMs * 500;
            QThread::usleep(static_cast<unsigned long>(
                debutUs + hasard.bounded(static_cast<quint32>(debutUs + 25000))));
            tue.kill();
            QVERIFY(tue.waitForFinished(10000));
            for (const QString& v : verrous)
                if (QFileInfo::exists(v)) {
                    ++verrousLaisses;
                    verrousVides += QFileInfo(v).size() == 0;
                }
            QProcess suivant;
            chrono.start();
            lance(suivant);
            QVERIFY(suivant.waitForFinished(20000));
            pireMs = std::max(pireMs, chrono.elapsed());
            QVERIFY2(suivant.exitCode() == 0 && suivant.readAllStandardOutput() == "ouverts\n",
                     qPrintable(QStringLiteral("graine %1, arret %2: %3")
                                    .arg(graine)
                                    .arg(i + 1)
                                    .arg(QString::fromLocal8Bit(suivant.readAllStandardError()))));
            for (const QString& v : verrous)
                QVERIFY2(!QFileInfo::exists(v), qPrintable(v)); // gone with its ports
        }
        ::close(maitre);
        qInfo("%d stations tuees a l'ouverture (graine %u, ports ouverts en %lld ms): %d verrous "
              "laisses dont %d vides; la station suivante a ouvert ses ports a chaque fois, en "
              "%lld ms au plus",
              kOuvertures, graine, ouvertureMs, verrousLaisses, verrousVides, pireMs);
    }

    void cartes_data() { lignesServeur(); }
    void cartes() {
        BancTue banc;
        QVERIFY(banc.dossier.isValid() && banc.atelier.isValid());
        QFETCH(QString, base);
        if (!base.isEmpty())
            QVERIFY(prepareServeur(base, banc));
        CarteSimulee carte;
        carte.delaiReponseMs = 0;
        banc.bus.ajouteCarte(carte);
        QVERIFY(banc.demarre());
        SerieLue s;
        int reussis = 0;
        TueEtLit(QStringLiteral("carte"), banc, QStringLiteral("SNcarte.txt"), 2, s, reussis);
        if (QTest::currentTestFailed())
            return;
        const QStringList ecrits = SNsEcrits(banc.ecritures());
        QVERIFY(ecrits.size() >= reussis + 3);
        QCOMPARE(QSet<QString>(ecrits.begin(), ecrits.end()).size(), ecrits.size());
        for (const QString& sn : ecrits)
            QVERIFY2(ValeurSN(sn) > 0 && ValeurSN(sn) <= ValeurSN(s.dernier),
                     qPrintable(sn + " > " + s.dernier));
        // Every SN traced as given went into the card.
        for (const QString& sn : s.donnes)
            QVERIFY2(ecrits.contains(sn), qPrintable(sn));
        // With the server, each SN a card took was given there first, once.
        if (!base.isEmpty()) {
            const QStringList serveur =
                serveur_.psql(base, QStringLiteral("SELECT sn FROM sn_donnes"));
            QCOMPARE(QSet<QString>(serveur.begin(), serveur.end()).size(), serveur.size());
            for (const QString& sn : ecrits)
                QVERIFY2(serveur.contains(sn), qPrintable(sn));
        }
        qInfo("cartes: %d arrets, %d SN traces, %lld ecrits dans la carte, %d passages complets, "
              "dernier SN %s",
              kArrets, int(s.donnes.size()), ecrits.size(), reussis + 3, qPrintable(s.dernier));
    }

    void rails_data() { lignesServeur(); }
    void rails() {
        BancTue banc;
        QVERIFY(banc.dossier.isValid() && banc.atelier.isValid());
        QFETCH(QString, base);
        if (!base.isEmpty())
            QVERIFY(prepareServeur(base, banc));
        for (int n = 1; n <= 2; ++n) {
            CarteSimulee c;
            c.nom = NomCarteSimulee('A', n);
            c.presenceEA = "00000000000000001010101010101010"; // R08S
            c.delaiReponseMs = 0;
            banc.bus.ajouteCarte(c);
        }
        QVERIFY(banc.demarre());
        SerieLue s;
        int reussis = 0;
        TueEtLit(QStringLiteral("rail"), banc, QStringLiteral("SNrail.txt"), 1, s, reussis);
        if (QTest::currentTestFailed())
            return;
        QVERIFY(s.donnes.size() >= 2 * (reussis + 2));
        if (!base.isEmpty()) {
            const QStringList serveur =
                serveur_.psql(base, QStringLiteral("SELECT sn FROM sn_donnes"));
            QCOMPARE(QSet<QString>(serveur.begin(), serveur.end()).size(), serveur.size());
            for (const QString& sn : s.donnes)
                QVERIFY2(serveur.contains(sn), qPrintable(sn));
        }
        qInfo("rails: %d arrets, %d SN traces, %d passages complets, dernier SN %s", kArrets,
              int(s.donnes.size()), reussis + 2, qPrintable(s.dernier));
    }

    void meuble() {
        BancTue banc;
        QVERIFY(banc.dossier.isValid() && banc.atelier.isValid());
        for (int n = 1; n <= 3; ++n) {
            CarteSimulee c;
            c.nom = NomCarteSimulee('A', n);
            c.sn = "0B0" + QByteArray::number(n);
            c.delaiReponseMs = 0;
            banc.bus.ajouteCarte(c);
        }
        QVERIFY(banc.demarre());
        const QString fichier = banc.dossier.filePath(QStringLiteral("AttribMeuble.txt"));

        qint64 duree = 0;
        QVERIFY(Tourne(QStringLiteral("meuble"), banc, 1, &duree));
        const QList<QByteArray> modele = Enregistrements(Lit(fichier));
        QCOMPARE(modele.size(), 1);
        QVERIFY(modele.first().contains("0B03"));
        const int reussis = TueEnBoucle(QStringLiteral("meuble"), banc, duree);
        QVERIFY(reussis >= 0);
        QVERIFY(Tourne(QStringLiteral("meuble"), banc, 1));

        const QByteArray tout = Lit(fichier);
        QVERIFY(tout.endsWith("\r\n"));
        const QList<QByteArray> lus = Enregistrements(tout);
        // A kill after the write and before "ok" leaves one record more.
        QVERIFY(lus.size() >= reussis + 2);
        for (const QByteArray& e : lus)
            QCOMPARE(e, modele.first());
        qInfo("meuble: %d arrets, %lld enregistrements entiers", kArrets, lus.size());
    }

private:
    // The series kept in files only, then with a factory server (bd=).
    static void lignesServeur() {
        QTest::addColumn<QString>("base"); // empty: no server
        QTest::newRow("fichiers") << QString();
        QTest::newRow("serveur") << QString::fromLatin1(QTest::currentTestFunction());
    }
    bool prepareServeur(const QString& base, BancTue& banc) {
        QString erreur;
        if (!demarre_ && !(demarre_ = serveur_.demarre(&erreur))) {
            qWarning("serveur: %s", qPrintable(erreur));
            return false;
        }
        banc.bd = serveur_.bd(base);
        return serveur_.creeBase(base);
    }

    ServeurPostgres serveur_;
    bool demarre_ = false;
};

QTEST_GUILESS_MAIN(TstPosteTue)
#include "tst_PosteTue.moc"
