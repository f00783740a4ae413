// The last label in the main window: drawn from the bytes sent, read back by
// zbarimg, with the printer it went to and what became of it; hidden from the
// menu. The real window offscreen, the virtual printer on loopback.
#include "BancFenetre.h"
#include "BancServeurImpression.h"
#include "LecteurSqlite.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QtTest>

namespace {

const QByteArray kEnTete = "dernier SN: 00z9  01/12/2026 10:00:00\r\n";

quint16 PortLibre() {
    QTcpServer s;
    s.listen(QHostAddress::LocalHost, 0);
    return s.serverPort();
}

// What zbarimg reads on a picture, or why it could not.
QString LitCode(const QImage& image, const QString& dossier) {
    const QString zbarimg = QStandardPaths::findExecutable(QStringLiteral("zbarimg"));
    if (zbarimg.isEmpty())
        return QStringLiteral("zbarimg absent (paquet zbar-tools)");
    const QString png = dossier + QStringLiteral("/apercu.png");
    if (!image.save(png))
        return QStringLiteral("image vide %1x%2").arg(image.width()).arg(image.height());
    QProcess p;
    p.start(zbarimg, {QStringLiteral("-q"), QStringLiteral("--raw"), png});
    p.waitForFinished(20000);
    return QString::fromLatin1(p.readAllStandardOutput()).trimmed();
}

QByteArray Travail(const QString& titre, const QString& type, const QString& sn) {
    return (LignesEtiquette({titre, type, sn, QStringLiteral("5026"), QStringLiteral("0"),
                             QStringLiteral("Y"), QStringLiteral("V3.07"), QStringLiteral("A-4")})
                .join(QStringLiteral("\r\n")) +
            QStringLiteral("\r\n"))
        .toLatin1();
}

struct Banc : BancFenetre {
    QTemporaryDir atelier; // the printer's folder and the journal, not the station's
    std::unique_ptr<FilImprimanteVirtuelle> imprimante;
    quint16 portImprimante = PortLibre();
    quint16 portServeur = PortLibre();

    // `cible`: "tcp" (the virtual printer), "eteinte" (nothing answers) or "PRN".
    bool lance(const QString& cible) {
        qputenv("CALVANET_JOURNAL", journal().toUtf8());
        if (cible == QLatin1String("tcp")) {
            OptionsImprimante o;
            o.dossier = atelier.path();
            o.portTcp = portImprimante;
            imprimante = std::make_unique<FilImprimanteVirtuelle>(o);
            if (!imprimante->ok())
                return false;
        }
        const QString portImp = cible == QLatin1String("PRN")
                                    ? cible
                                    : QStringLiteral("TCP127.0.0.1:%1").arg(portImprimante);
        if (!demarre(
                QStringLiteral("op=DEMOY001 portImp=%1 portSrv=%2").arg(portImp).arg(portServeur)))
            return false;
        carte();
        QFile serie(fichier(QStringLiteral("SNcarte.txt")));
        return serie.open(QIODevice::WriteOnly) && serie.write(kEnTete) == kEnTete.size();
    }
    QString journal() const { return atelier.filePath(QStringLiteral("journal.sqlite")); }
    QImage apercu() const { return f->ImgEtiquette->pixmap().toImage(); }
    // Another station's label, sent to this one's print server.
    void sert(const QByteArray& travail) {
        QTcpSocket s;
        s.connectToHost(QHostAddress::LocalHost, portServeur);
        QVERIFY(s.waitForConnected(5000));
        s.write(travail);
        QVERIFY(s.waitForBytesWritten(5000));
        s.disconnectFromHost();
    }
};

} // namespace

class TstApercuEtiquette : public QObject {
    Q_OBJECT
private slots:
    // After an SN assignment: the card label's picture, whose barcode reads
    // as the product code the operator was told to stick, and its fate.
    void apresAttribution_data() {
        QTest::addColumn<QString>("cible");
        QTest::addColumn<QString>("etat");
        QTest::addColumn<QString>("journal");
        QTest::newRow("imprimante") << "tcp"
                                    << "prise par l'imprimante"
                                    << "imprime";
        QTest::newRow("imprimante eteinte") << "eteinte"
                                            << "en attente : imprimante injoignable"
                                            << "en_attente";
        QTest::newRow("sans imprimante") << "PRN"
                                         << "non imprimée : aucune imprimante"
                                         << "perdu";
    }
    void apresAttribution() {
        QFETCH(QString, cible);
        QFETCH(QString, etat);
        QFETCH(QString, journal);
        Banc banc;
        QVERIFY(banc.lance(cible));
        QVERIFY(banc.f->CadreEtiquette->isVisibleTo(banc.f.get()));
        banc.clique("BtAttribuSN");
        QVERIFY2(banc.op.inattendus.isEmpty(), qPrintable(banc.op.inattendus.join('\n')));
        const QString boite = banc.op.boites().last();
        QVERIFY2(boite.startsWith("coller l'etiquette sous la carte\r\r"), qPrintable(boite));
        const QString code = boite.section("\r\r", 1);
        QCOMPARE(code.left(8), QString("C8-00zA-"));

        QCOMPARE(LitCode(banc.apercu(), banc.atelier.path()), code);
        // "PRN" names no printer: the station keeps no target.
        const QString imprimante =
            cible == "PRN" ? QString() : QStringLiteral("TCP127.0.0.1:%1").arg(banc.portImprimante);
        QCOMPARE(banc.f->LblEtatEtiquette->text(),
                 "Imprimante : " + (cible == "PRN" ? "aucune" : imprimante) + "\n" + etat);
        if (banc.imprimante) {
            // The pane and the printer draw the same label from the same bytes.
            QTRY_COMPARE(banc.imprimante->imprimante().etiquettes().size(), 1);
            const QImage png(banc.imprimante->imprimante().etiquettes().first().fichierPng);
            QCOMPARE(banc.apercu().convertToFormat(QImage::Format_Grayscale8),
                     png.convertToFormat(QImage::Format_Grayscale8));
        }
        QCOMPARE(Sqlite(banc.journal(), "SELECT sn, code_produit, etat, cible, operateur, client"
                                        " FROM etiquettes"),
                 QStringList{"00zA|" + code + "|" + journal + "|" +
                             (cible == "PRN" ? "NULL" : imprimante) + "|Y|NULL"});
    }

    // The labels other stations send through this one's print server: a
    // tray's and a rail's product codes read back from the pane.
    void etiquettesServies_data() {
        QTest::addColumn<QByteArray>("travail");
        QTest::addColumn<QString>("code");
        QTest::newRow("plateau") << Travail("Morvane 2 Plateau R08", "PD", "0A1B")
                                 << "PD-0A1B-5026-0Y";
        QTest::newRow("rail") << Travail("Morvane 2 Rail R08S", "RA", "00Z9") << "RA-00Z9-5026-0Y";
    }
    void etiquettesServies() {
        QFETCH(QByteArray, travail);
        QFETCH(QString, code);
        Banc banc;
        QVERIFY(banc.lance("tcp"));
        banc.sert(travail);
        QTRY_COMPARE(banc.imprimante->imprimante().travaux(), QList<QByteArray>{travail});
        QTRY_VERIFY(banc.f->LblEtatEtiquette->text().endsWith("prise par l'imprimante"));
        QVERIFY(banc.f->LblEtatEtiquette->text().contains("Pour le poste 127.0.0.1"));
        QCOMPARE(LitCode(banc.apercu(), banc.atelier.path()), code);
        QCOMPARE(Sqlite(banc.journal(), "SELECT sn, code_produit, etat, client FROM etiquettes"),
                 QStringList{code.mid(3, 4) + "|" + code + "|imprime|127.0.0.1"});
    }

    // "Aperçu des étiquettes" hides the pane and shows it again.
    void masqueParLeMenu() {
        Banc banc;
        QVERIFY(banc.lance("PRN"));
        QVERIFY(banc.f->mnuApercuEtiquettes->isCheckable());
        QVERIFY(banc.f->mnuApercuEtiquettes->isChecked());
        banc.f->mnuApercuEtiquettes->trigger();
        QVERIFY(!banc.f->CadreEtiquette->isVisibleTo(banc.f.get()));
        banc.f->mnuApercuEtiquettes->trigger();
        QVERIFY(banc.f->CadreEtiquette->isVisibleTo(banc.f.get()));
        QCOMPARE(banc.f->CadreEtiquette->title(), QString("Dernière étiquette"));
    }
};

QTEST_MAIN(TstApercuEtiquette)
#include "tst_ApercuEtiquette.moc"
