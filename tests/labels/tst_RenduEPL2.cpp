// The one EPL2 renderer: the station's labels drawn from their bytes as the
// virtual printer draws them, their barcode read back by an independent
// reader, and jobs the renderer does not fully understand.
#include "BancServeurImpression.h"
#include "RenduEPL2.h"
#include "Windows1252.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTest>

namespace {

Etiquette EtiquetteDe(const QStringList& c) {
    return {c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[8], c[9], c[10]};
}

// A job written as a literal, its NUL bytes included.
template <qsizetype N> QByteArray Octets(const char (&texte)[N]) {
    return QByteArray(texte, N - 1);
}

QImage Gris(const QImage& image) {
    return image.convertToFormat(QImage::Format_Grayscale8);
}

} // namespace

class TstRenduEPL2 : public QObject {
    Q_OBJECT
private slots:
    void etiquetteDeLaStation_data();
    void etiquetteDeLaStation();
    void travailMalCompris_data();
    void travailMalCompris();
    void tailleEtImages_data();
    void tailleEtImages();
};

void TstRenduEPL2::etiquetteDeLaStation_data() {
    QTest::addColumn<QStringList>("champs"); // as the workflow fills its Etiquette
    QTest::addColumn<bool>("parLeServeur");  // sent by another station to this one's server
    QTest::addColumn<QString>("codeProduit");
    QTest::newRow("carte apres attribution du SN") << QStringList{"Morvane 2  Ct Plateau",
                                                                  "C8",
                                                                  "0A1B",
                                                                  "0526",
                                                                  "0",
                                                                  "3",
                                                                  "V3.07",
                                                                  "",
                                                                  "EA ok R08",
                                                                  "IR ok",
                                                                  "no test"}
                                                   << false << "C8-0A1B-0526-03";
    QTest::newRow("carte lue") << QStringList{"Morvane 2  Ct Plateau",
                                              "C0",
                                              "zzzz",
                                              "0126",
                                              "0",
                                              "Z",
                                              "V3.07",
                                              "Cuisine",
                                              "",
                                              "",
                                              ""}
                               << false << "C0-zzzz-0126-0Z";
    QTest::newRow("plateau seul") << QStringList{"Morvane 2 Plateau R13",
                                                 "PB",
                                                 "00zZ",
                                                 "5026",
                                                 "0",
                                                 "1",
                                                 "V3.07",
                                                 "Entrée",
                                                 "EA ok R13",
                                                 "IR ok",
                                                 "Led ok"}
                                  << false << "PB-00zZ-5026-01";
    QTest::newRow("plateau d'un autre poste par le serveur") << QStringList{"Morvane 2 Plateau R30",
                                                                            "PE",
                                                                            "0042",
                                                                            "1226",
                                                                            "0",
                                                                            "2",
                                                                            "V3.07",
                                                                            "A42",
                                                                            "EA ok R30",
                                                                            "IR ok",
                                                                            "Led ok"}
                                                             << true << "PE-0042-1226-02";
}

void TstRenduEPL2::etiquetteDeLaStation() {
    const QString zbarimg = QStandardPaths::findExecutable(QStringLiteral("zbarimg"));
    QVERIFY2(!zbarimg.isEmpty(), "zbarimg (package zbar-tools) is needed");
    QFETCH(QStringList, champs);
    QFETCH(bool, parLeServeur);
    QFETCH(QString, codeProduit);

    BancServeurImpression banc;
    const Etiquette etiquette = EtiquetteDe(champs);
    if (parLeServeur) {
        const QByteArray octets = VersWindows1252(
            LignesEtiquette(etiquette).join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
        const int client = ConnecteClient(banc.port);
        QVERIFY(client >= 0);
        QCOMPARE(EnvoieTout(client, octets), octets.size());
        ::close(client);
    } else {
        EditeEtiquette(banc.poste, etiquette);
    }
    QTRY_COMPARE_WITH_TIMEOUT(banc.imprimante().nombreEtiquettes(), 1, 20000);
    QTRY_COMPARE_WITH_TIMEOUT(banc.imprimante().travaux().size(), 1, 20000);

    QStringList inconnues{QStringLiteral("reste d'avant")};
    const QList<QImage> images = RendTravailEPL2(banc.imprimante().travaux()[0], &inconnues);
    QCOMPARE(images.size(), 1);
    QCOMPARE(inconnues, QStringList());
    QCOMPARE(images[0].size(), QSize(408, 203));
    QCOMPARE(Gris(images[0]), Gris(QImage(banc.imprimante().etiquettes()[0].fichierPng)));

    const QString png = banc.dossier.filePath(QStringLiteral("rendu.png"));
    QVERIFY(images[0].save(png, "PNG"));
    QProcess lecteur;
    lecteur.start(zbarimg, {QStringLiteral("-q"), QStringLiteral("--raw"), png});
    QVERIFY(lecteur.waitForFinished(30000));
    QCOMPARE(QString::fromLatin1(lecteur.readAllStandardOutput()).trimmed(), codeProduit);
}

void TstRenduEPL2::travailMalCompris_data() {
    QTest::addColumn<QByteArray>("travail");
    QTest::addColumn<QStringList>("inconnues");
    QTest::addColumn<QByteArray>("compris"); // the same job without what is not understood
    QTest::newRow("commandes inconnues au milieu")
        << QByteArray("N\r\nGG12\r\nA2,4,0,4,1,1,N,\"ok\"\r\nX1,2,3\r\nA1,2\r\nP1\r\n")
        << QStringList{"GG12", "X1,2,3", "A1,2"}
        << QByteArray("N\r\nA2,4,0,4,1,1,N,\"ok\"\r\nP1\r\n");
    QTest::newRow("octets quelconques")
        << Octets("N\n\xff\xfe\x01\x80\n\0\0\nB1,1,0,1\nP1\n")
        << QStringList{QString::fromUtf8("\u00ff\u00fe\u0001\u20ac"), QString(QChar(0)) + QChar(0),
                       "B1,1,0,1"}
        << QByteArray("N\nP1\n");
    QTest::newRow("sans commande d'impression")
        << QByteArray("N\r\nA2,4,0,4,1,1,N,\"jamais\"\r\nZZ\r\n") << QStringList{"ZZ"}
        << QByteArray();
}

void TstRenduEPL2::travailMalCompris() {
    QFETCH(QByteArray, travail);
    QFETCH(QStringList, inconnues);
    QFETCH(QByteArray, compris);
    QStringList listees;
    const QList<QImage> images = RendTravailEPL2(travail, &listees);
    QCOMPARE(listees, inconnues);
    const QList<QImage> attendues = RendTravailEPL2(compris);
    QCOMPARE(images.size(), attendues.size());
    for (qsizetype i = 0; i < images.size(); ++i)
        QCOMPARE(images[i], attendues[i]);
}

void TstRenduEPL2::tailleEtImages_data() {
    QTest::addColumn<QByteArray>("travail");
    QTest::addColumn<QSize>("taille");
    QTest::addColumn<int>("images");
    QTest::newRow("etiquette de la station")
        << QByteArray("N\r\nq408\r\nQ203,24+0\r\nA2,4,0,4,1,1,N,\"x\"\r\nP1\r\n") << QSize(408, 203)
        << 1;
    QTest::newRow("q et Q") << QByteArray("N\nq600\nQ400,24\nP1\n") << QSize(600, 400) << 1;
    QTest::newRow("sans q ni Q") << QByteArray("N\nA2,4,0,4,1,1,N,\"x\"\nP1\n") << QSize(408, 203)
                                 << 1;
    QTest::newRow("P3 : une image") << QByteArray("N\nq300\nQ100\nP3\n") << QSize(300, 100) << 1;
    QTest::newRow("deux impressions")
        << QByteArray("N\nq300\nQ100\nA2,4,0,4,1,1,N,\"a\"\nP1\nN\nA2,4,0,4,1,1,N,\"b\"\nP1\n")
        << QSize(300, 100) << 2;
    QTest::newRow("derniere ligne sans LF") << QByteArray("N\nq300\nQ100\nP1") << QSize() << 0;
}

void TstRenduEPL2::tailleEtImages() {
    QFETCH(QByteArray, travail);
    QFETCH(QSize, taille);
    QFETCH(int, images);
    const QList<QImage> rendu = RendTravailEPL2(travail);
    QCOMPARE(rendu.size(), images);
    for (const QImage& image : rendu) {
        QCOMPARE(image.size(), taille);
        QCOMPARE(image.dotsPerMeterX(), 7992); // 203 dpi
        QCOMPARE(image.dotsPerMeterY(), 7992);
    }
}

QTEST_MAIN(TstRenduEPL2)
#include "tst_RenduEPL2.moc"
