// The virtual printer as the station's peer: what it reads from the wire,
// what it draws, and a barcode that an independent reader decodes.
#include "EditeEtiquette.h"
#include "ImprimanteVirtuelle.h"
#include "PosteTest.h"

#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

namespace {

QStringList TextesDe(const EtiquetteEPL2& e) {
    QStringList t;
    for (const ChampTexteEPL2& c : e.textes)
        t << c.texte;
    return t;
}

void Envoie(quint16 port, const QByteArray& octets) {
    QTcpSocket s;
    s.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(s.waitForConnected(5000));
    s.write(octets);
    QVERIFY(s.waitForBytesWritten(5000));
    s.disconnectFromHost();
}

} // namespace

class TstImprimanteVirtuelle : public QObject {
    Q_OBJECT
private slots:
    void parametres_data();
    void parametres();
    void codeBarreRelu_data();
    void codeBarreRelu();
    void champsEchappesRelus();
    void commandesInconnuesGardees();
    void copies();
    void imprimanteSerieSurPseudoTerminal_data();
    void imprimanteSerieSurPseudoTerminal();
};

void TstImprimanteVirtuelle::parametres_data() {
    QTest::addColumn<QString>("texte");
    QTest::addColumn<QStringList>("champs");
    QTest::newRow("texte") << "2,4,0,4,1,1,N,\"SN: 12\""
                           << QStringList{"2", "4", "0", "4", "1", "1", "N", "SN: 12"};
    QTest::newRow("virgule dans les guillemets") << "1,\"a,b\"" << QStringList{"1", "a,b"};
    QTest::newRow("echappements") << "\"x\\\"y\\\\z\"" << QStringList{"x\"y\\z"};
}

void TstImprimanteVirtuelle::parametres() {
    QFETCH(QString, texte);
    QFETCH(QStringList, champs);
    QCOMPARE(ParametresEPL2(texte), champs);
}

void TstImprimanteVirtuelle::codeBarreRelu_data() {
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("sn");
    QTest::addColumn<QString>("semaine");
    QTest::addColumn<QString>("operateur");
    QTest::newRow("carte R08") << "C8"
                               << "0A1B"
                               << "0526"
                               << "3";
    QTest::newRow("plateau B") << "PB"
                               << "00zZ"
                               << "5026"
                               << "1";
    QTest::newRow("carte lue") << "C0"
                               << "zzzz"
                               << "0126"
                               << "Z";
}

void TstImprimanteVirtuelle::codeBarreRelu() {
    const QString zbarimg = QStandardPaths::findExecutable(QStringLiteral("zbarimg"));
    if (zbarimg.isEmpty())
        QSKIP("zbarimg is not installed (package zbar-tools)");
    QFETCH(QString, type);
    QFETCH(QString, sn);
    QFETCH(QString, semaine);
    QFETCH(QString, operateur);

    QTemporaryDir dossier;
    OptionsImprimante o;
    o.dossier = dossier.path();
    FilImprimanteVirtuelle fil(o);
    QVERIFY2(fil.ok(), qPrintable(fil.erreur()));
    PosteTest poste;
    poste.reglages.portImp = QStringLiteral("TCP127.0.0.1:%1").arg(fil.imprimante().portTcp());
    EditeEtiquette(poste,
                   {QStringLiteral("Morvane 2  Ct Plateau"), type, sn, semaine, QStringLiteral("0"),
                    operateur, QStringLiteral("V3.07"), QString(), QStringLiteral("EA ok R08"),
                    QStringLiteral("IR ok"), QStringLiteral("no test")});
    QTRY_COMPARE_WITH_TIMEOUT(fil.imprimante().nombreEtiquettes(), 1, 20000);

    const EtiquetteImprimee e = fil.imprimante().etiquettes().first();
    const QImage image(e.fichierPng);
    QCOMPARE(image.size(), QSize(408, 203));
    QProcess lecteur;
    lecteur.start(zbarimg, {QStringLiteral("-q"), QStringLiteral("--raw"), e.fichierPng});
    QVERIFY(lecteur.waitForFinished(30000));
    const QString attendu = type + "-" + sn + "-" + semaine + "-0" + operateur;
    QCOMPARE(QString::fromLatin1(lecteur.readAllStandardOutput()).trimmed(), attendu);
    QCOMPARE(e.contenu.codesBarres.size(), 1);
    QCOMPARE(e.contenu.codesBarres[0].donnees, attendu);
    QVERIFY(e.contenu.commandesInconnues.isEmpty());
}

void TstImprimanteVirtuelle::champsEchappesRelus() {
    QTemporaryDir dossier;
    OptionsImprimante o;
    o.dossier = dossier.path();
    FilImprimanteVirtuelle fil(o);
    PosteTest poste;
    poste.reglages.portImp = QStringLiteral("TCP127.0.0.1:%1").arg(fil.imprimante().portTcp());
    EditeEtiquette(poste, {QStringLiteral("Plateau \"22\" C:\\t"), QStringLiteral("C0"),
                           QStringLiteral("1234"), QStringLiteral("5026"), QStringLiteral("0"),
                           QStringLiteral("3"), QStringLiteral("V3,07"), QStringLiteral("é"),
                           QString(), QString(), QString()});
    QTRY_COMPARE_WITH_TIMEOUT(fil.imprimante().nombreEtiquettes(), 1, 20000);
    QCOMPARE(TextesDe(fil.imprimante().etiquettes().first().contenu),
             (QStringList{"Plateau \"22\" C:\\t", "SN: 1234", "FW: V3,07", "nom: é"}));
}

void TstImprimanteVirtuelle::commandesInconnuesGardees() {
    QTemporaryDir dossier;
    OptionsImprimante o;
    o.dossier = dossier.path();
    ImprimanteVirtuelle imprimante;
    QVERIFY(imprimante.demarre(o));
    Envoie(imprimante.portTcp(), "N\r\nGG12\r\nA2,4,0,4,1,1,N,\"ok\"\r\nX1,2,3\r\nA1,2\r\nP1\r\n");
    QTRY_COMPARE(imprimante.nombreEtiquettes(), 1);
    QCOMPARE(imprimante.commandesInconnues(), (QStringList{"GG12", "X1,2,3", "A1,2"}));
    QCOMPARE(TextesDe(imprimante.etiquettes().first().contenu), QStringList{"ok"});
    QFile liste(dossier.filePath(QStringLiteral("commandes_inconnues.txt")));
    QVERIFY(liste.open(QIODevice::ReadOnly));
    QCOMPARE(liste.readAll().count('\n'), 3);
}

void TstImprimanteVirtuelle::copies() {
    QTemporaryDir dossier;
    OptionsImprimante o;
    o.dossier = dossier.path();
    ImprimanteVirtuelle imprimante;
    QVERIFY(imprimante.demarre(o));
    Envoie(imprimante.portTcp(),
           "N\r\nA2,4,0,4,1,1,N,\"a\"\r\nP2\r\nN\r\nA2,4,0,1,1,1,R,\"b\"\r\nP1\r\n");
    QTRY_COMPARE(imprimante.nombreEtiquettes(), 3);
    const auto e = imprimante.etiquettes();
    QCOMPARE(TextesDe(e[1].contenu), QStringList{"a"});
    QCOMPARE(TextesDe(e[2].contenu), QStringList{"b"}); // N cleared the first image
    QVERIFY(e[2].contenu.textes[0].inverse);
    QTRY_COMPARE(imprimante.travaux().size(), 1); // one connection, one job
    for (const auto& x : e)
        QVERIFY(QFile::exists(x.fichierPng));
}

void TstImprimanteVirtuelle::imprimanteSerieSurPseudoTerminal_data() {
    QTest::addColumn<QString>("prefixe");
    QTest::newRow("port serie") << "COM";
    QTest::newRow("chemin de peripherique") << "";
}

void TstImprimanteVirtuelle::imprimanteSerieSurPseudoTerminal() {
    QFETCH(QString, prefixe);
    QTemporaryDir dossier;
    OptionsImprimante o;
    o.dossier = dossier.path();
    o.sansTcp = true;
    o.lienPty = dossier.filePath(QStringLiteral("imprimante"));
    FilImprimanteVirtuelle fil(o);
    QVERIFY2(fil.ok(), qPrintable(fil.erreur()));
    PosteTest poste;
    poste.reglages.portImp = prefixe + o.lienPty;
    for (const char* sn : {"0001", "0002"})
        EditeEtiquette(poste, {QStringLiteral("Morvane 2  Ct Plateau"), QStringLiteral("C0"),
                               QString::fromLatin1(sn), QStringLiteral("5026"), QStringLiteral("0"),
                               QStringLiteral("3"), QStringLiteral("V3.07"), QString(), QString(),
                               QString(), QString()});
    QVERIFY(poste.op.echanges.isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(fil.imprimante().travaux().size(), 2, 20000);
    const QByteArray attendu =
        (LignesEtiquette({QStringLiteral("Morvane 2  Ct Plateau"), QStringLiteral("C0"),
                          QStringLiteral("0002"), QStringLiteral("5026"), QStringLiteral("0"),
                          QStringLiteral("3"), QStringLiteral("V3.07"), QString(), QString(),
                          QString(), QString()})
             .join(QStringLiteral("\r\n")) +
         QStringLiteral("\r\n"))
            .toLatin1();
    QCOMPARE(fil.imprimante().travaux()[1], attendu);
    QCOMPARE(fil.imprimante().etiquettes()[1].contenu.codesBarres[0].donnees,
             QStringLiteral("C0-0002-5026-03"));
}

QTEST_MAIN(TstImprimanteVirtuelle)
#include "tst_ImprimanteVirtuelle.moc"
