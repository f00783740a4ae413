// Scenarios of the simulated card bus: a damaged one is refused, with a reason.
#include "ScenarioCartes.h"

#include <QtTest>

class TstScenarioCartes : public QObject {
    Q_OBJECT
private slots:
    void scenariosIncorrects_data() {
        QTest::addColumn<QByteArray>("json");
        QTest::newRow("illisible") << QByteArray("{");
        QTest::newRow("motif court") << QByteArray(R"({"cartes":[{"presenceEA":"0101"}]})");
        QTest::newRow("carte non objet") << QByteArray(R"({"cartes":[3]})");
        QTest::newRow("meuble long") << QByteArray(R"({"cartes":[{"meuble":"AB","numero":1}]})");
        QTest::newRow("trop de cartes")
            << QByteArray(R"({"cartes":[{"meuble":"A","premier":1,"nombre":300}]})");
    }
    void scenariosIncorrects() {
        QFETCH(QByteArray, json);
        ScenarioCartes sc;
        QString erreur;
        QVERIFY(!LitScenarioCartes(json, sc, &erreur));
        QVERIFY(!erreur.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TstScenarioCartes)
#include "tst_ScenarioCartes.moc"
