// A serial-number series: increments and the header.
#include "SerieSN.h"

#include <QtTest>

class TstSerieSN : public QObject {
    Q_OBJECT
private slots:
    void increment_data() {
        QTest::addColumn<QString>("avant");
        QTest::addColumn<QString>("apres");
        QTest::newRow("9 devient A") << "00z9"
                                     << "00zA";
        QTest::newRow("Z devient a") << "000Z"
                                     << "000a";
        QTest::newRow("retenue sur z") << "00Zz"
                                       << "00a0";
        QTest::newRow("retenues en chaine") << "0zzz"
                                            << "1000";
        QTest::newRow("tour complet") << "zzzz"
                                      << "0000";
        QTest::newRow("simple") << "0A1B"
                                << "0A1C";
        QTest::newRow("rail 0009") << "0009"
                                   << "000A";
        QTest::newRow("rail 00AZ") << "00AZ"
                                   << "00Aa";
        QTest::newRow("rail 00zz") << "00zz"
                                   << "0100";
    }
    void increment() {
        QFETCH(QString, avant);
        QFETCH(QString, apres);
        QCOMPARE(IncrementeSN(avant), apres);
    }

    // The header is rewritten in place: the SN at characters 13 to 16 and a
    // length that never depends on the date.
    void enTete_data() {
        QTest::addColumn<QString>("sn");
        QTest::addColumn<QDateTime>("quand");
        QTest::addColumn<QString>("texte");
        QTest::newRow("petits nombres") << "0001" << QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5))
                                        << "dernier SN: 0001  02/01/2026 03:04:05";
        QTest::newRow("fin d'annee") << "zzzz" << QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59))
                                     << "dernier SN: zzzz  31/12/2026 23:59:59";
        QTest::newRow("minuit") << "0A1B" << QDateTime(QDate(2027, 10, 9), QTime(0, 0, 0))
                                << "dernier SN: 0A1B  09/10/2027 00:00:00";
    }
    void enTete() {
        QFETCH(QString, sn);
        QFETCH(QDateTime, quand);
        QFETCH(QString, texte);
        QCOMPARE(EnTeteSN(sn, quand), texte);
        QCOMPARE(texte.mid(12, 4), sn);
        QCOMPARE(EnTeteSN(sn, quand).size(),
                 QString("dernier SN: 0001  02/01/2026 03:04:05").size());
    }
};

QTEST_GUILESS_MAIN(TstSerieSN)
#include "tst_SerieSN.moc"
