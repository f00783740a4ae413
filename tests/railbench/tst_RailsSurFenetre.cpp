// The rail bench from the real main window, offscreen: the button runs the
// test through the job guard, the cancel button shows in light orange while
// the EAs are fired, and the summary box holds the label lines.
#include "BancFenetre.h"
#include "EditeEtiquette.h"
#include "LiaisonCarte.h"

#include <QDate>
#include <QLabel>
#include <QtTest>

namespace {

const QByteArray kR15 = "00000000000000000111111111111111";

QString TexteBilan(const OperateurScripte& op) {
    for (const auto& e : op.echanges)
        if (e.titre == "BILAN TEST")
            return e.texte;
    return {};
}

// The window on a bench of one R15 rail on card `numero`, the start-up's
// exchanges forgotten; false when the bench cannot start.
bool DemarreAvecUnRail(BancFenetre& banc, int numero) {
    if (!banc.demarre())
        return false;
    banc.carte([numero](CarteSimulee& c) {
        c.nom = NomCarteSimulee('A', numero);
        c.presenceEA = kR15;
    });
    banc.op.echanges.clear();
    return true;
}

} // namespace

class TstRailsSurFenetre : public QObject {
    Q_OBJECT
private slots:
    // A rail on card 5 of operator Y's station gets its SN and label line.
    void unRailEtSonEtiquette() {
        BancFenetre banc;
        QVERIFY(DemarreAvecUnRail(banc, 5));
        banc.op.repond("R15");
        banc.op.repondOui();
        banc.op.repond("00ZA");

        // What the operator sees of the cancel button while the EAs fire.
        bool vuPendantLesTirs = false;
        QString styleVu;
        QTimer veille;
        veille.setInterval(0);
        QObject::connect(&veille, &QTimer::timeout, [&] {
            if (!vuPendantLesTirs && banc.bus->commandes().contains("EA5103FF10")) {
                vuPendantLesTirs = banc.f->BtCancel->isVisibleTo(banc.f.get());
                styleVu = banc.f->BtCancel->styleSheet();
            }
        });
        veille.start();

        banc.clique("BtTestRailsMeuble");
        veille.stop();

        QVERIFY2(banc.op.inattendus.isEmpty(), qPrintable(banc.op.inattendus.join('\n')));
        QVERIFY(banc.bus->commandes().contains("IA5E8997"));
        QCOMPARE(banc.bus->carte(0).impulsionsEA[15], 7);
        QVERIFY(vuPendantLesTirs);
        QVERIFY2(styleVu.contains("#ffe0c0"), qPrintable(styleVu));
        const QString semaine = CodeSemaine(QDate::currentDate());
        QVERIFY2(TexteBilan(banc.op).endsWith("\rA05  SN=00ZA   R15\r" + QString(61, '-') +
                                              "\rEdition Etq ...\rplateau A05-->   RC-00ZA-" +
                                              semaine + "-0Y\rfin Test\r"),
                 qPrintable(TexteBilan(banc.op)));
        QVERIFY(!banc.f->BtCancel->isVisibleTo(banc.f.get()));
        QCOMPARE(banc.f->info->text(), QString("fin test EA"));
        QVERIFY(!PortCarteEstOuvert(banc.f->poste()));
    }

    // The operator's click on "Arret" during the slow cycles.
    void arretPendantLesTirs() {
        BancFenetre banc;
        QVERIFY(DemarreAvecUnRail(banc, 1));
        banc.op.repond("R15");
        banc.annuleApres("EA1:0ACC10");
        banc.clique("BtTestRailsMeuble");
        QCOMPARE(banc.commandesCommencant("E").last(), QByteArray("EA1:0ACC10"));
        QVERIFY(TexteBilan(banc.op).endsWith("\rtest les EAs ...\r*** ABANDON du test DEMANDE "
                                             "***\r"));
        QCOMPARE(banc.op.echanges.size(), 2);
        QVERIFY(!banc.f->BtCancel->isVisibleTo(banc.f.get()));
    }
};

QTEST_MAIN(TstRailsSurFenetre)
#include "tst_RailsSurFenetre.moc"
