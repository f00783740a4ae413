// The button "Etq Carte Lue" with a simulated card on a pseudo-terminal.
#include "BancCarte.h"
#include "EditeEtiquette.h"
#include "EtiquetteCarteLue.h"

#include <QFile>
#include <QTest>

class TstEtiquetteCarteLue : public QObject {
    Q_OBJECT
private slots:
    void carteConnectee();
    void carteMuette();
};

void TstEtiquetteCarteLue::carteConnectee() {
    BancCarte<> banc;
    QVERIFY(banc.demarre());
    banc.carte([](CarteSimulee& c) {
        c.nom = "B5";
        c.sn = "7xQ2";
    });
    PosteTest& poste = *banc.poste;
    poste.reglages.portImp = poste.fichier(QStringLiteral("etiquette.prn"));
    poste.reglages.CodeUsine = QStringLiteral("4");
    poste.reglages.CodeOperateur = QStringLiteral("7");

    ImprimeEtiquetteCarteLue(poste);
    QVERIFY(poste.op.boites().isEmpty());
    QFile f(poste.reglages.portImp);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray octets = f.readAll();
    const QString semaine = CodeSemaine(QDate::currentDate());
    const QStringList lignes = LignesEtiquette(
        {QStringLiteral("Morvane 2  Ct Plateau"), QStringLiteral("C0"), QStringLiteral("7xQ2"),
         semaine, QStringLiteral("4"), QStringLiteral("7"), QStringLiteral("PLT2 v2.14"),
         QStringLiteral("B-5"), QString(), QString(), QString()});
    QCOMPARE(octets, (lignes.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toLatin1());
    QVERIFY(octets.contains(("\"C0-7xQ2-" + semaine + "-47\"").toLatin1()));
    QCOMPARE(lignes.size(), 16); // 15 text lines, then P1
}

void TstEtiquetteCarteLue::carteMuette() {
    BancCarte<> banc;
    QVERIFY(banc.demarre());
    banc.carte([](CarteSimulee& c) { c.muette = true; });
    PosteTest& poste = *banc.poste;
    poste.reglages.portImp = poste.fichier(QStringLiteral("etiquette.prn"));

    ImprimeEtiquetteCarteLue(poste);
    QCOMPARE(poste.op.boites().size(), 1);
    QVERIFY(poste.op.boites().first().startsWith(
        QStringLiteral("Votre carte N'EST PAS CONNECTE\rErr:")));
    QVERIFY(!QFile::exists(poste.reglages.portImp)); // nothing printed
}

QTEST_GUILESS_MAIN(TstEtiquetteCarteLue)
#include "tst_EtiquetteCarteLue.moc"
