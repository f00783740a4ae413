// The IR power conversion, as a percentage and in milliamps.
#include "ChampsReponse.h"
#include "TestIR.h"

#include <QtTest>

class TstTestIRPur : public QObject {
    Q_OBJECT
private slots:
    void conversionPuissance_data() {
        QTest::addColumn<QString>("valeur");
        QTest::addColumn<int>("mode");
        QTest::addColumn<float>("resultat");
        QTest::newRow("57 = 0 %") << "57" << 1 << 0.0f;
        QTest::newRow("255 = 100 %") << "255" << 1 << 100.0f;
        QTest::newRow("80 %") << "80" << 1 << 11.0f;
        QTest::newRow("190 %") << "190" << 1 << 67.0f;
        QTest::newRow("133 %") << "133" << 1 << 38.0f;
        QTest::newRow("negatif %") << "10" << 1 << 0.0f;
        QTest::newRow("juste sous 57 %") << "56" << 1 << 0.0f;
        QTest::newRow("juste sous 0 mA") << "57" << 2 << 0.0f;
        QTest::newRow("zeros de tete %") << "080" << 1 << 11.0f;
        QTest::newRow("133 mA") << "133" << 2 << 8.3f;
        QTest::newRow("120 mA") << "120" << 2 << 6.8f;
        QTest::newRow("80 mA") << "80" << 2 << 2.4f;
        QTest::newRow("255 mA") << "255" << 2 << 21.8f;
        QTest::newRow("negatif mA") << "0" << 2 << 0.0f;
        QTest::newRow("non numerique") << "1x3" << 1 << 0.0f;
        QTest::newRow("vide") << "" << 2 << 0.0f;
        QTest::newRow("mode inconnu") << "133" << 3 << 0.0f;
    }
    void conversionPuissance() {
        QFETCH(QString, valeur);
        QFETCH(int, mode);
        QFETCH(float, resultat);
        QCOMPARE(ConvPuissanceIR(valeur, mode), resultat);
        // As shown in the monitoring text: never "-0".
        QCOMPARE(NombreCourt(ConvPuissanceIR(valeur, mode)), NombreCourt(resultat));
    }
};

QTEST_GUILESS_MAIN(TstTestIRPur)
#include "tst_TestIRPur.moc"
