// The French defaults of the message table against the texts quoted with
// their numbers in the station's documentation (messages_cites.tsv).
#include "ModuleTraductions.h"

#include <QFile>
#include <QSet>
#include <QTest>

namespace {

struct Cite {
    int numero;
    QString texte;
};

QList<Cite> litCites() {
    QList<Cite> cites;
    QFile f(QStringLiteral(CALVANET_MESSAGES_CITES));
    if (!f.open(QIODevice::ReadOnly))
        return cites;
    const QList<QByteArray> lignes = f.readAll().split('\n');
    for (const QByteArray& ligne : lignes) {
        if (ligne.isEmpty() || ligne.startsWith('#'))
            continue;
        const int tab = ligne.indexOf('\t');
        if (tab < 0)
            continue;
        cites.append({ligne.left(tab).toInt(), QString::fromUtf8(ligne.mid(tab + 1))});
    }
    return cites;
}

// Entries the station uses with no French default of their own.
QList<int> entreesSansDefaut() {
    QList<int> n{0, 19, 20, 21, 24, 25, 26, 27, 28, 46, 47, 80, 81, 111, 135};
    for (int i = 188; i <= kNombreMessages; ++i)
        n << i;
    return n;
}

} // namespace

class TstMessages : public QObject {
    Q_OBJECT
private slots:
    void init() { ChargeMessagesDefaut(); }

    void fichierDesCitations() {
        const QList<Cite> cites = litCites();
        QVERIFY2(cites.size() > 100, "messages_cites.tsv missing or truncated");
        QSet<int> vus;
        for (const Cite& c : cites) {
            QVERIFY2(c.numero >= 1 && c.numero <= 187, qPrintable(QString::number(c.numero)));
            QVERIFY2(!vus.contains(c.numero), qPrintable(QString::number(c.numero)));
            vus.insert(c.numero);
        }
    }

    void defautCite_data() {
        QTest::addColumn<int>("numero");
        QTest::addColumn<QString>("attendu");
        for (const Cite& c : litCites())
            QTest::addRow("msg%03d", c.numero) << c.numero << c.texte;
    }
    void defautCite() {
        QFETCH(int, numero);
        QFETCH(QString, attendu);
        QCOMPARE(Msg[numero], attendu);
    }

    void sansDefaut_data() {
        QTest::addColumn<int>("numero");
        for (int n : entreesSansDefaut())
            QTest::addRow("msg%03d", n) << n;
    }
    void sansDefaut() {
        QFETCH(int, numero);
        QVERIFY2(Msg[numero].isEmpty(), qPrintable(Msg[numero]));
    }

    // Every other entry from 1 to 187 has a text (usage line, help lines).
    void toutesLesAutresOntUnTexte() {
        const QList<int> vides = entreesSansDefaut();
        for (int n = 1; n <= 187; ++n) {
            if (!vides.contains(n))
                QVERIFY2(!Msg[n].isEmpty(), qPrintable(QString::number(n)));
        }
    }

    // Help lines are shown one per line: none may break a line itself.
    void lignesAideSurUneLigne() {
        for (int n = 116; n <= 178; ++n) {
            QVERIFY2(!Msg[n].contains(QLatin1Char('\r')) && !Msg[n].contains(QLatin1Char('\n')),
                     qPrintable(QString::number(n)));
        }
        QVERIFY(Msg[137].startsWith(QStringLiteral("* ")));
    }

    void rechargeRemetLesDefauts() {
        const QString defaut1 = Msg[1];
        Msg[1] = QStringLiteral("Your card IS NOT CONNECTED");
        Msg[81] = QStringLiteral("stored");
        Msg[195] = QStringLiteral("also stored");
        QCOMPARE(Msg[81], QStringLiteral("stored"));
        QCOMPARE(Msg[195], QStringLiteral("also stored"));
        ChargeMessagesDefaut();
        QCOMPARE(Msg[1], defaut1);
        QVERIFY(Msg[81].isEmpty());
        QVERIFY(Msg[195].isEmpty());
    }
};

QTEST_GUILESS_MAIN(TstMessages)
#include "tst_Messages.moc"
