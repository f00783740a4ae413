// The card address a name gives on the wire.
#include "IdentiteCarte.h"

#include <QtTest>

class TstAdresseNomCarte : public QObject {
    Q_OBJECT
private slots:
    void adresses_data() {
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QByteArray>("adresse");
        QTest::newRow("A1") << "A1" << QByteArray("A1");
        QTest::newRow("casse gardee") << "b7" << QByteArray("b7");
        QTest::newRow("lettre en second") << "BX" << QByteArray("B0");
        QTest::newRow("tiret") << "A-5" << QByteArray("A0");
        QTest::newRow("deux premiers seulement") << "Z94" << QByteArray("Z9");
        QTest::newRow("diese en nouveau nom") << "##" << QByteArray("#0");
    }
    void adresses() {
        QFETCH(QString, nom);
        QFETCH(QByteArray, adresse);
        QCOMPARE(AdresseNomCarte(nom), adresse);
    }
};

QTEST_GUILESS_MAIN(TstAdresseNomCarte)
#include "tst_AdresseNomCarte.moc"
