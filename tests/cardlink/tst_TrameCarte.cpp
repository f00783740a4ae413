// The card frame codec on plain bytes: what goes on the line and what a
// received line gives, without any port.
#include "TrameCarte.h"

#include <QString>
#include <QtTest>

class TstTrameCarte : public QObject {
    Q_OBJECT

private slots:
    void checksum_data() {
        QTest::addColumn<QByteArray>("texte");
        QTest::addColumn<QByteArray>("attendu");
        QTest::newRow("V##") << QByteArray("V##") << QByteArray("64");
        QTest::newRow("W##L01") << QByteArray("W##L01") << QByteArray("B6");
        QTest::newRow("W##L02") << QByteArray("W##L02") << QByteArray("B5");
        QTest::newRow("abc") << QByteArray("abc") << QByteArray("DA");
        QTest::newRow("vide") << QByteArray() << QByteArray("00");
        QTest::newRow("somme multiple de 256") << QByteArray("\x80\x80", 2) << QByteArray("00");
        // Card 100 of a rail bench: "A" then the character of code 148.
        QTest::newRow("octet au-dela de 127") << QByteArray("VA\x94") << QByteArray("D5");
    }
    void checksum() {
        QFETCH(QByteArray, texte);
        QFETCH(QByteArray, attendu);
        QCOMPARE(CalculCSmorvane2(texte), attendu);
    }

    void conversions_data() {
        QTest::addColumn<int>("valeur");
        QTest::addColumn<QString>("binaire");
        QTest::addColumn<int>("uns");
        QTest::newRow("5") << 5 << "00000101" << 2;
        QTest::newRow("255") << 255 << "11111111" << 8;
        QTest::newRow("0") << 0 << "00000000" << 0;
        QTest::newRow("128") << 128 << "10000000" << 1;
    }
    void conversions() {
        QFETCH(int, valeur);
        QFETCH(QString, binaire);
        QFETCH(int, uns);
        int compteur = -1;
        QCOMPARE(ConvDecBin(valeur, compteur), binaire);
        QCOMPARE(compteur, uns);
    }

    void hexadecimal_data() {
        QTest::addColumn<QString>("texte");
        QTest::addColumn<long>("valeur");
        QTest::newRow("1F") << "1F" << 31L;
        QTest::newRow("0a") << "0a" << 10L;
        QTest::newRow("G1") << "G1" << 0L;
        QTest::newRow("vide") << "" << 0L;
        QTest::newRow("0C") << "0C" << 12L;
        QTest::newRow("FFFF") << "FFFF" << 65535L;
        QTest::newRow("espace") << " 1" << 0L;
    }
    void hexadecimal() {
        QFETCH(QString, texte);
        QFETCH(long, valeur);
        QCOMPARE(ConvHexDec(texte), valeur);
    }

    // V## is sent as the 7 bytes 27, 86, 35, 35, 54, 52, 13.
    void trameCommande_data() {
        QTest::addColumn<QByteArray>("commande");
        QTest::addColumn<QByteArray>("trame");
        QTest::newRow("V##") << QByteArray("V##") << QByteArray("\x1bV##64\r");
        QTest::newRow("W##L01") << QByteArray("W##L01") << QByteArray("\x1bW##L01B6\r");
        QTest::newRow("octet haut") << QByteArray("VA\x94")
                                    << QByteArray("\x1bVA\x94"
                                                  "D5\r");
        QTest::newRow("vide") << QByteArray()
                              << QByteArray("\x1b"
                                            "00\r");
    }
    void trameCommande() {
        QFETCH(QByteArray, commande);
        QFETCH(QByteArray, trame);
        QCOMPARE(TrameCommande(commande), trame);
        // What a card reads back from it.
        bool checkSumOk = false;
        QCOMPARE(LitTrameCommande(trame, checkSumOk), commande);
        QVERIFY(checkSumOk);
    }

    void trameCommandeAlteree_data() {
        QTest::addColumn<QByteArray>("trame");
        QTest::addColumn<QByteArray>("commande");
        QTest::newRow("checksum faux") << QByteArray("\x1bV##65\r") << QByteArray("V##");
        QTest::newRow("checksum minuscule") << QByteArray("\x1bVA\x94"
                                                          "d5\r")
                                            << QByteArray("VA\x94");
        QTest::newRow("trop courte") << QByteArray("\x1b"
                                                   "6\r")
                                     << QByteArray();
    }
    void trameCommandeAlteree() {
        QFETCH(QByteArray, trame);
        QFETCH(QByteArray, commande);
        bool checkSumOk = true;
        QCOMPARE(LitTrameCommande(trame, checkSumOk), commande);
        QVERIFY(!checkSumOk);
    }

    // "/" + head + data + checksum of head and data + CR.
    void trameReponse() {
        QCOMPARE(TrameReponse("hXYZ"), QByteArray("/hXYZ") + CalculCSmorvane2("hXYZ") + '\r');
        QCOMPARE(TrameReponse("h"), QByteArray("/h98\r"));
    }

    // Every reply case on the line without its CR.
    void decodeReponse_data() {
        QTest::addColumn<QByteArray>("ligne");
        QTest::addColumn<QByteArray>("attendu");
        const QByteArray cs = CalculCSmorvane2("hXYZ");
        QTest::newRow("bonne") << "/hXYZ" + cs << QByteArray("XYZ");
        QTest::newRow("sans donnees") << QByteArray("/h98") << QByteArray();
        QTest::newRow("checksum faux")
            << QByteArray("/hXYZ00") << QByteArray("Err: check sum incorrecte");
        QTest::newRow("checksum minuscule")
            << "/hXYZ" + cs.toLower() << QByteArray("Err: check sum incorrecte");
        QTest::newRow("sans slash") << "hXYZ" + cs << QByteArray("Err: ne commence pas par '/'");
        QTest::newRow("parasite avant le slash")
            << QByteArray("\x00/hXYZ", 6) + cs << QByteArray("Err: ne commence pas par '/'");
        QTest::newRow("deux caracteres")
            << QByteArray("/h") << QByteArray("Err: check sum incorrecte");
        QTest::newRow("trois caracteres")
            << QByteArray("/h0") << QByteArray("Err: check sum incorrecte");
        QTest::newRow("un caractere") << QByteArray("/") << QByteArray("Err: Time Out");
        QTest::newRow("rien") << QByteArray() << QByteArray("Err: Time Out");
        QTest::newRow("octets hauts")
            << QByteArray("/h\xe9\x94\xff") + CalculCSmorvane2("h\xe9\x94\xff")
            << QByteArray("\xe9\x94\xff");
    }
    void decodeReponse() {
        QFETCH(QByteArray, ligne);
        QFETCH(QByteArray, attendu);
        QCOMPARE(DecodeReponse(ligne), attendu);
        QCOMPARE(EstErreur(DecodeReponse(ligne)), attendu.startsWith("Err:"));
    }

    // A reply frame built by a card decodes to its data, whatever the bytes.
    void allerRetour() {
        for (int c = 0; c < 256; ++c) {
            if (c == '\r')
                continue; // ends the line
            const QByteArray donnees = QByteArray("h") + static_cast<char>(c);
            const QByteArray trame = TrameReponse(donnees);
            QCOMPARE(DecodeReponse(trame.chopped(1)), donnees.mid(1));
        }
    }
};

QTEST_APPLESS_MAIN(TstTrameCarte)
#include "tst_TrameCarte.moc"
