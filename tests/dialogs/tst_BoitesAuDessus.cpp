// Under a real window manager: a box opened while the picture message window
// is up is stacked above it, never hidden behind it. Run on X by
// sous_gestionnaire.sh; CALVANET_CAPTURES names a folder for screenshots.
#include "AttendModal.h"
#include "DialogMP.h"
#include "OperateurQt.h"
#include "ShowMsg.h"

#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QStyleHints>
#include <QtTest>

namespace {

// The managed windows, bottom first, as the window manager stacks them.
QList<quint64> PileFenetres() {
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"),
                {QStringLiteral("-root"), QStringLiteral("_NET_CLIENT_LIST_STACKING")});
    if (!xprop.waitForFinished(5000))
        return {};
    QList<quint64> pile;
    const QString sortie = QString::fromLatin1(xprop.readAllStandardOutput());
    static const QRegularExpression id(QStringLiteral("0x[0-9a-fA-F]+"));
    for (auto it = id.globalMatch(sortie); it.hasNext();)
        pile << it.next().captured().toULongLong(nullptr, 16);
    return pile;
}

void Capture(const QString& nom) {
    const QString dossier = qEnvironmentVariable("CALVANET_CAPTURES");
    if (dossier.isEmpty())
        return;
    QDir().mkpath(dossier);
    QGuiApplication::primaryScreen()->grabWindow(0).save(dossier + QLatin1Char('/') + nom +
                                                         QStringLiteral(".png"));
}

} // namespace

class TstBoitesAuDessus : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        if (QGuiApplication::platformName() != QStringLiteral("xcb"))
            QSKIP("needs an X server and its window manager (sous_gestionnaire.sh)");
    }

    void boiteAuDessusDuMessage_data() {
        QTest::addColumn<QString>("genre");
        QTest::newRow("boite") << "Boite";
        QTest::newRow("question oui non") << "OuiNon";
        QTest::newRow("saisie") << "Saisie";
        QTest::newRow("mot de passe") << "MotDePasse";
    }
    void boiteAuDessusDuMessage() {
        QFETCH(QString, genre);
        QWidget principale;
        principale.setWindowTitle(QStringLiteral("Poste de Programmation"));
        principale.resize(900, 600);
        principale.show();
        QVERIFY(QTest::qWaitForWindowExposed(&principale));
        ShowMsg& message = ShowMsg::instance();
        message.Message(QStringLiteral("Test la barrière Infra-Rouge (auto-test)"), 0,
                        QStringLiteral("CAMCORD"));
        QVERIFY(QTest::qWaitForWindowExposed(&message));
        QTest::qWait(300);

        QList<quint64> pile;
        quint64 idBoite = 0;
        quandModal([&](QWidget* boite) {
            if (!QTest::qWaitForWindowExposed(boite))
                qWarning("the box was never exposed");
            QTest::qWait(500); // the manager stacks and settles
            idBoite = boite->winId();
            pile = PileFenetres();
            Capture(QStringLiteral("boite-au-dessus-") + genre);
            boite->close();
        });
        OperateurQt op(&principale);
        if (genre == QStringLiteral("Boite"))
            op.Boite(QStringLiteral("coller l'etiquette sur la carte"));
        else if (genre == QStringLiteral("OuiNon"))
            op.OuiNon(QStringLiteral("Voulez-vous une etiquette à coller sur le plateau ?"));
        else if (genre == QStringLiteral("Saisie"))
            op.Saisie(QStringLiteral("Type de plateau seul à tester ?"));
        else
            op.MotDePasse(QStringLiteral("Calvanet"), QStringLiteral("saisir votre Mot de passe"));

        const quint64 idMessage = message.winId();
        message.FermeMessage();
        QVERIFY2(!pile.isEmpty(), "no stacking list from the window manager");
        QVERIFY(pile.contains(idMessage));
        QVERIFY(pile.contains(idBoite));
        QVERIFY2(pile.indexOf(idBoite) > pile.indexOf(idMessage),
                 "the box is stacked below the message window");
    }

    // On the real screen: the heading's background alternates between the
    // selection colour and the dialog's own while the dialog waits.
    void enteteClignoteALEcran() {
        QGuiApplication::styleHints()->setCursorFlashTime(400);
        DialogMP d;
        d.setWindowTitle(QStringLiteral("Calvanet   v1.2.13 (8 dec 2026)"));
        d.titre()->setText(QStringLiteral("saisir votre Mot de passe utilisateur pour avoir acces "
                                          "à la programmation des cartes plateaux"));
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        const QColor surligne = d.palette().color(QPalette::Highlight);
        const QColor normal = d.palette().color(QPalette::Window);
        const auto fondALEcran = [&d] {
            const QPoint coin = d.titre()->mapToGlobal(QPoint(1, 1));
            return QGuiApplication::primaryScreen()
                ->grabWindow(0, coin.x(), coin.y(), 1, 1)
                .toImage()
                .pixelColor(0, 0);
        };
        QTRY_COMPARE_WITH_TIMEOUT(fondALEcran(), surligne, 5000);
        Capture(QStringLiteral("mot-de-passe-surligne"));
        QTRY_COMPARE_WITH_TIMEOUT(fondALEcran(), normal, 5000);
        Capture(QStringLiteral("mot-de-passe-normal"));
        d.close();
    }
};

QTEST_MAIN(TstBoitesAuDessus)
#include "tst_BoitesAuDessus.moc"
