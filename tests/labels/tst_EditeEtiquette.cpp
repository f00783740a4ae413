// The label bytes as the printer receives them, through a device-path target
// written like a parallel port.
#include "EditeEtiquette.h"
#include "PosteTest.h"

#include <QFile>
#include <QTest>

namespace {
QByteArray Lu(const QString& chemin) {
    QFile f(chemin);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

QByteArray Entete() {
    return QByteArrayLiteral("\r\nN\r\nO\r\nq408\r\nQ203,24+0\r\nS2\r\nD6\r\nZT\r\nTTh:m\r\n"
                             "TDy2.mn.dd\r\n");
}
} // namespace

class TstEditeEtiquette : public QObject {
    Q_OBJECT
private slots:
    void octetsEtiquette_data();
    void octetsEtiquette();
    void texteEA_data();
    void texteEA();
    void texteLed_data();
    void texteLed();
    void codeSemaine_data();
    void codeSemaine();
    void champsEchappes();
    void cibleVideNeFaitRien();
};

void TstEditeEtiquette::octetsEtiquette_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("attendu");

    const QString ea =
        QStringLiteral("EA HS (E3) cause: 15 EAs  00000000-00000000-11111111-11111011 (Rinconnu)");
    QTest::newRow("carte apres SN") << QStringList{"Morvane 2  Ct Plateau",
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
                                    << Entete() + "A2,4,0,4,1,1,N,\"Morvane 2  Ct Plateau\"\r\n"
                                                  "B2,28,0,1,2,2,49,B,\"C8-0A1B-0526-03\"\r\n"
                                                  "A4,118,0,4,1,1,N,\"SN: 0A1B\"\r\n"
                                                  "A268,89,0,1,1,1,N,\"FW: V3.07\"\r\n"
                                                  "A181,118,0,4,1,1,N,\"nom: \"\r\n"
                                                  "A2,144,0,1,1,1,N,\"IR : IR ok\"\r\n"
                                                  "A2,160,0,1,1,1,N,\"EA : EA ok R08\"\r\n"
                                                  "A2,176,0,1,1,1,N,\"led: no test\"\r\n"
                                                  "P1\r\n";
    QTest::newRow("plateau") << QStringList{"Morvane 2 Plateau R13",
                                            "PB",
                                            "00zZ",
                                            "5026",
                                            "0",
                                            "1",
                                            "V3.07",
                                            "B5",
                                            "EA ok",
                                            "IR ok",
                                            "LedAR ok"}
                             << Entete() + "A2,4,0,4,1,1,N,\"Morvane 2 Plateau R13\"\r\n"
                                           "B2,28,0,1,2,2,49,B,\"PB-00zZ-5026-01\"\r\n"
                                           "A4,118,0,4,1,1,N,\"SN: 00zZ\"\r\n"
                                           "A268,89,0,1,1,1,N,\"FW: V3.07\"\r\n"
                                           "A181,118,0,4,1,1,N,\"nom: B5\"\r\n"
                                           "A2,144,0,1,1,1,N,\"IR : IR ok\"\r\n"
                                           "A2,160,0,1,1,1,N,\"EA : EA ok\"\r\n"
                                           "A2,176,0,1,1,1,N,\"led: LedAR ok\"\r\n"
                                           "P1\r\n";
    QTest::newRow("carte lue, sans resultats")
        << QStringList{"Morvane 2  Ct Plateau",
                       "C0",
                       "1234",
                       "5026",
                       "0",
                       "3",
                       "V2.1",
                       "inconnu",
                       "",
                       "",
                       ""}
        << Entete() + "A2,4,0,4,1,1,N,\"Morvane 2  Ct Plateau\"\r\n"
                      "B2,28,0,1,2,2,49,B,\"C0-1234-5026-03\"\r\n"
                      "A4,118,0,4,1,1,N,\"SN: 1234\"\r\n"
                      "A268,89,0,1,1,1,N,\"FW: V2.1\"\r\n"
                      "A181,118,0,4,1,1,N,\"nom: inconnu\"\r\n"
                      "P1\r\n";
    QTest::newRow("EA en echec, seul resultat")
        << QStringList{"Morvane 2  Ct Plateau",
                       "C0",
                       "1234",
                       "5026",
                       "0",
                       "3",
                       "V2.1",
                       "",
                       ea,
                       "",
                       ""}
        << Entete() + "A2,4,0,4,1,1,N,\"Morvane 2  Ct Plateau\"\r\n"
                      "B2,28,0,1,2,2,49,B,\"C0-1234-5026-03\"\r\n"
                      "A4,118,0,4,1,1,N,\"SN: 1234\"\r\n"
                      "A268,89,0,1,1,1,N,\"FW: V2.1\"\r\n"
                      "A181,118,0,4,1,1,N,\"nom: \"\r\n"
                      "A2,160,0,1,1,1,N,\"EA : 00000000-00000000-11111111-11111011\"\r\n"
                      "P1\r\n";
}

void TstEditeEtiquette::octetsEtiquette() {
    QFETCH(QStringList, args);
    QFETCH(QByteArray, attendu);
    PosteTest poste;
    poste.reglages.portImp = poste.fichier(QStringLiteral("lp0"));
    EditeEtiquette(poste, {args[0], args[1], args[2], args[3], args[4], args[5], args[6], args[7],
                           args[8], args[9], args[10]});
    QCOMPARE(Lu(poste.reglages.portImp), attendu);
    QVERIFY(poste.op.echanges.isEmpty());
    if (args[8].isEmpty() && args[9].isEmpty() && args[10].isEmpty())
        QCOMPARE(attendu.count("\r\n"), 16); // 15 text lines, then P1
}

void TstEditeEtiquette::texteEA_data() {
    QTest::addColumn<QString>("resultat");
    QTest::addColumn<QString>("texte");
    QTest::newRow("ok entier") << "EA ok R11"
                               << "EA ok R11";
    QTest::newRow("motif de presence")
        << "EA HS (E3) cause: 15 EAs  00000000-00000000-11111111-11111011 (Rinconnu) R08"
        << "00000000-00000000-11111111-11111011";
    QTest::newRow("26 caracteres") << "EA HS (E1) pas de reponse."
                                   << "";
    QTest::newRow("27 caracteres") << "EA HS (E1) pas de reponse.X"
                                   << "X";
}

void TstEditeEtiquette::texteEA() {
    QFETCH(QString, resultat);
    QFETCH(QString, texte);
    QCOMPARE(TexteEtiquetteEA(resultat), texte);
}

void TstEditeEtiquette::texteLed_data() {
    QTest::addColumn<QString>("resultat");
    QTest::addColumn<QString>("texte");
    QTest::newRow("ok entier") << "LedAR ok 32 leds et plus encore que 31 car"
                               << "LedAR ok 32 leds et plus encore que 31 car";
    QTest::newRow("no test") << "no test"
                             << "no test";
    QTest::newRow("31 caracteres entiers") << QString(31, QLatin1Char('x')) << QString(31, 'x');
    QTest::newRow("32 caracteres") << QString(31, QLatin1Char('x')) + "y"
                                   << "xy";
    QTest::newRow("motif des leds")
        << "LedAR HS (L3) cause: 31 leds  11111111-11111111-11111111-11111110"
        << "11111111-11111111-11111111-11111110";
}

void TstEditeEtiquette::texteLed() {
    QFETCH(QString, resultat);
    QFETCH(QString, texte);
    QCOMPARE(TexteEtiquetteLed(resultat), texte);
}

void TstEditeEtiquette::codeSemaine_data() {
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("code");
    QTest::newRow("lundi 7 dec 2026") << QDate(2026, 12, 7) << "5026";
    QTest::newRow("dimanche 6 dec 2026") << QDate(2026, 12, 6) << "4926";
    QTest::newRow("2 jan 2026") << QDate(2026, 1, 2) << "0126";
    QTest::newRow("dimanche 4 jan 2026") << QDate(2026, 1, 4) << "0126";
    QTest::newRow("lundi 5 jan 2026") << QDate(2026, 1, 5) << "0226";
    QTest::newRow("31 dec 2012, semaine 54") << QDate(2012, 12, 31) << "5412";
    QTest::newRow("1 jan 2029 un lundi") << QDate(2029, 1, 1) << "0129";
    QTest::newRow("2005") << QDate(2005, 3, 15) << "1205";
}

void TstEditeEtiquette::codeSemaine() {
    QFETCH(QDate, date);
    QFETCH(QString, code);
    QCOMPARE(CodeSemaine(date), code);
}

void TstEditeEtiquette::champsEchappes() {
    PosteTest poste;
    poste.reglages.portImp = poste.fichier(QStringLiteral("lp0"));
    EditeEtiquette(poste, {QStringLiteral("Plateau \"test\" C:\\x"), QStringLiteral("C0"),
                           QStringLiteral("12\"4"), QStringLiteral("5026"), QStringLiteral("0"),
                           QStringLiteral("3"), QStringLiteral("V\\1"), QStringLiteral("é"),
                           QString(), QString(), QString()});
    const QByteArray octets = Lu(poste.reglages.portImp);
    QVERIFY(octets.contains("A2,4,0,4,1,1,N,\"Plateau \\\"test\\\" C:\\\\x\"\r\n"));
    QVERIFY(octets.contains("B2,28,0,1,2,2,49,B,\"C0-12\\\"4-5026-03\"\r\n"));
    QVERIFY(octets.contains("A268,89,0,1,1,1,N,\"FW: V\\\\1\"\r\n"));
    QVERIFY(octets.contains("A181,118,0,4,1,1,N,\"nom: \xE9\"\r\n")); // Windows-1252
}

void TstEditeEtiquette::cibleVideNeFaitRien() {
    for (const QString& cible : {QString(), QStringLiteral("PRN")}) {
        PosteTest poste;
        poste.reglages.portImp = cible;
        EditeEtiquette(poste, {"t", "C0", "1234", "5026", "0", "3", "V", "", "", "", ""});
        QVERIFY(poste.op.echanges.isEmpty());
        QVERIFY(poste.historiqueMessages.empty());
    }
}

QTEST_GUILESS_MAIN(TstEditeEtiquette)
#include "tst_EditeEtiquette.moc"
