// Card renaming on the simulated card bus: the addresses on the wire, the
// name left in the card, the report, and the two input boxes.
#include "BancCarte.h"
#include "IdentiteCarte.h"
#include "LiaisonCarte.h"
#include "RenommeCarte.h"

#include <QtTest>

namespace {

using Deroulement = QList<QByteArray>;

const QString kCorrect = QStringLiteral("le RENOMMAGE de la carte EST CORRECTE : ");
const QString kIdentite = QStringLiteral("PLT2 v2.14[0A1Bc]");
const QString kAncienNom = QStringLiteral("\rancien nom trouvé : ");

} // namespace

class TstRenommeCarte : public QObject, private BancCarte<> {
    Q_OBJECT
private slots:
    void init() { QVERIFY(demarre()); }
    void cleanup() { arrete(); }

    void renommage_data() {
        QTest::addColumn<QByteArray>("nomCarte");
        QTest::addColumn<QString>("ancien");
        QTest::addColumn<QString>("nouveau");
        QTest::addColumn<Deroulement>("deroulement");
        QTest::addColumn<QString>("rapport");
        QTest::addColumn<QByteArray>("nomFinal");
        QTest::newRow("## vers b7")
            << QByteArray("A1") << "##"
            << "b7"
            << Deroulement{"ouverture", "V##", "W##L01", "W##L02", "Y##b7", "Vb7", "fermeture"}
            << kCorrect + "## --> b7\r" + kIdentite + kAncienNom + "A-1" << QByteArray("b7");
        QTest::newRow("A1 vers BX")
            << QByteArray("A1") << "A1"
            << "BX"
            << Deroulement{"ouverture", "VA1", "WA1L01", "WA1L02", "YA1B0", "VB0", "fermeture"}
            << kCorrect + "A1 --> BX\r" + kIdentite + kAncienNom + "A-1" << QByteArray("B0");
        QTest::newRow("noms longs")
            << QByteArray("K5") << "K5x"
            << "C3y"
            << Deroulement{"ouverture", "VK5", "WK5L01", "WK5L02", "YK5C3", "VC3", "fermeture"}
            << kCorrect + "K5x --> C3y\r" + kIdentite + kAncienNom + "K-5" << QByteArray("C3");
        QTest::newRow("ancien nom sans chiffre")
            << QByteArray("A0") << "AZ"
            << "A2"
            << Deroulement{"ouverture", "VA0", "WA0L01", "WA0L02", "YA0A2", "VA2", "fermeture"}
            << kCorrect + "AZ --> A2\r" + kIdentite + kAncienNom + "A-0" << QByteArray("A2");
        // A tray above 9 is stored as the character of code 48 + its number.
        QTest::newRow("plateau 12")
            << QByteArray("A<") << "##"
            << "B1"
            << Deroulement{"ouverture", "V##", "W##L01", "W##L02", "Y##B1", "VB1", "fermeture"}
            << kCorrect + "## --> B1\r" + kIdentite + kAncienNom + "A-12" << QByteArray("B1");
    }
    void renommage() {
        QFETCH(QByteArray, nomCarte);
        QFETCH(QString, ancien);
        QFETCH(QString, nouveau);
        QFETCH(Deroulement, deroulement);
        QFETCH(QString, rapport);
        QFETCH(QByteArray, nomFinal);
        carte([&](CarteSimulee& c) { c.nom = nomCarte; });
        poste->ArretDemande = true;
        QCOMPARE(RenommeCarte(*poste, ancien, nouveau), rapport);
        QCOMPARE(bus->deroulement(), deroulement);
        QCOMPARE(bus->carte(0).nom, nomFinal);
        QVERIFY(!poste->ArretDemande);
        QVERIFY(!PortCarteEstOuvert(*poste));
        QVERIFY(poste->op.echanges.isEmpty());
    }

    // What the first name cell holds decides whether there is a stored name
    // and whether the second cell is read.
    void celluleNom_data() {
        QTest::addColumn<QByteArray>("reponse");
        QTest::addColumn<Deroulement>("deroulement");
        QTest::addColumn<QString>("rapport");
        QTest::newRow("non numerique")
            << QByteArray("Wxy")
            << Deroulement{"ouverture", "V##", "W##L01", "Y##C3", "VC3", "fermeture"}
            << kCorrect + "## --> C3\r" + kIdentite;
        QTest::newRow("deux chiffres")
            << QByteArray("W65")
            << Deroulement{"ouverture", "V##", "W##L01", "Y##C3", "VC3", "fermeture"}
            << kCorrect + "## --> C3\r" + kIdentite + kAncienNom + "A";
        QTest::newRow("code impossible")
            << QByteArray("W300")
            << Deroulement{"ouverture", "V##", "W##L01", "Y##C3", "VC3", "fermeture"}
            << kCorrect + "## --> C3\r" + kIdentite;
        QTest::newRow("vide") << QByteArray("W") << Deroulement{"ouverture", "V##", "W##L01",
                                                                "Y##C3",     "VC3", "fermeture"}
                              << kCorrect + "## --> C3\r" + kIdentite;
    }
    void celluleNom() {
        QFETCH(QByteArray, reponse);
        QFETCH(Deroulement, deroulement);
        QFETCH(QString, rapport);
        carte([&](CarteSimulee& c) { c.reponsesImposees.insert("W##L01", reponse); });
        QCOMPARE(RenommeCarte(*poste, "##", "C3"), rapport);
        QCOMPARE(bus->deroulement(), deroulement);
        QCOMPARE(bus->carte(0).nom, QByteArray("C3"));
    }

    void echecs_data() {
        QTest::addColumn<QString>("ancien");
        QTest::addColumn<QByteArray>("commande"); // gets no reply
        QTest::addColumn<QString>("rapport");
        QTest::addColumn<QByteArray>("nomFinal");
        QTest::addColumn<QByteArray>("derniere"); // last command before closing
        QTest::newRow("ancienne carte absente")
            << "B2" << QByteArray()
            << "Erreur pas de reponse sur verification de l'ancienne carte B2\rErr: Time Out"
            << QByteArray("A1") << QByteArray("VB2");
        QTest::newRow("cellule 1 muette")
            << "A1" << QByteArray("WA1L01")
            << "Erreur pas de reponse sur recherche nom de l'ancienne carte A1\rErr: Time Out"
            << QByteArray("A1") << QByteArray("WA1L01");
        QTest::newRow("cellule 2 muette")
            << "A1" << QByteArray("WA1L02")
            << "Erreur pas de reponse sur recherche nom de l'ancienne carte A1\rErr: Time Out"
            << QByteArray("A1") << QByteArray("WA1L02");
        QTest::newRow("renommage sans reponse")
            << "A1" << QByteArray("YA1C3")
            << "Erreur pas de reponse de l'ancienne carte A1\rErr: Time Out" << QByteArray("A1")
            << QByteArray("YA1C3");
        // Renamed, but silent under its new name.
        QTest::newRow("nouveau nom muet")
            << "A1" << QByteArray("VC3")
            << "Erreur pas de reponse de la carte sur verification nouveau nom\rErr: Time Out"
            << QByteArray("C3") << QByteArray("VC3");
    }
    void echecs() {
        QFETCH(QString, ancien);
        QFETCH(QByteArray, commande);
        QFETCH(QString, rapport);
        QFETCH(QByteArray, nomFinal);
        QFETCH(QByteArray, derniere);
        carte([&](CarteSimulee& c) {
            if (!commande.isEmpty())
                c.octetsImposes.insert(commande, QByteArray());
        });
        QCOMPARE(RenommeCarte(*poste, ancien, "C3"), rapport);
        QCOMPARE(bus->carte(0).nom, nomFinal);
        const Deroulement d = bus->deroulement();
        QCOMPARE(d.last(), QByteArray("fermeture"));
        QCOMPARE(d.at(d.size() - 2), derniere);
        QCOMPARE(d.at(d.size() - 3), derniere); // the link's one retry
        QVERIFY(!PortCarteEstOuvert(*poste));
    }

    void bouton() {
        carte();
        poste->op.repond("A1");
        poste->op.repond("C3");
        BTrenomCarte_Click(*poste);
        const auto& e = poste->op.echanges;
        QCOMPARE(e.size(), 3);
        QCOMPARE(e[0].genre, OperateurScripte::Genre::Saisie);
        QCOMPARE(e[0].texte,
                 QString("Nom de l'ancienne carte (!!! à la case)\rvous pouvez taper ## si vous ne "
                         "connaissez pas l'ancien nom de la carte\r!!! si vous mettez ## vous ne "
                         "devez avoir qu'une seule carte de connecté"));
        QCOMPARE(e[0].titre, QString("Renommer une carte"));
        QCOMPARE(e[0].defaut, QString("A50"));
        QCOMPARE(e[1].genre, OperateurScripte::Genre::Saisie);
        QCOMPARE(e[1].texte, QString("Nom de LA NOUVELLE CARTE (!!! à la case)"));
        QCOMPARE(e[1].titre, QString("Renommer une carte A1"));
        QCOMPARE(e[1].defaut, QString());
        QCOMPARE(e[2].genre, OperateurScripte::Genre::Boite);
        QCOMPARE(e[2].texte, kCorrect + "A1 --> C3\r" + kIdentite + kAncienNom + "A-1");
        QCOMPARE(bus->carte(0).nom, QByteArray("C3"));
        QVERIFY(poste->op.inattendus.isEmpty());
    }

    // An answer shorter than two characters (or Cancel) ends the handler
    // before anything is sent.
    void boutonAbandon_data() {
        QTest::addColumn<QStringList>("reponses");
        QTest::addColumn<int>("saisies");
        QTest::newRow("ancien nom court") << QStringList{"A"} << 1;
        QTest::newRow("ancien nom annule") << QStringList{""} << 1;
        QTest::newRow("nouveau nom court") << QStringList{"A1", "B"} << 2;
        QTest::newRow("nouveau nom annule") << QStringList{"A1", ""} << 2;
    }
    void boutonAbandon() {
        QFETCH(QStringList, reponses);
        QFETCH(int, saisies);
        carte();
        for (const QString& r : reponses)
            poste->op.repond(r);
        BTrenomCarte_Click(*poste);
        QCOMPARE(poste->op.echanges.size(), saisies);
        QVERIFY(poste->op.boites().isEmpty());
        QVERIFY(bus->deroulement().isEmpty());
        QCOMPARE(bus->carte(0).nom, QByteArray("A1"));
    }
};

QTEST_GUILESS_MAIN(TstRenommeCarte)
#include "tst_RenommeCarte.moc"
