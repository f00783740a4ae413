// Assigning the cards of a cabinet: each card reached by its SN, named after
// its tray and checked under that name, its outcome in its tray line.
#include "BancMeuble.h"
#include "LiaisonCarte.h"

#include <QtTest>

namespace {

// The values the progress bar showed on screen, by the state text of the
// step that painted them.
class BarrePeinte : public QObject {
public:
    BarrePeinte(QProgressBar* barre, QLabel* etat) : barre_(barre), etat_(etat) {
        barre->installEventFilter(this);
    }
    QMap<QString, QList<int>> valeurs;

    bool eventFilter(QObject* objet, QEvent* evenement) override {
        if (objet == barre_ && evenement->type() == QEvent::Paint)
            valeurs[etat_->text()] << barre_->value();
        return false;
    }

private:
    QProgressBar* barre_;
    QLabel* etat_;
};

} // namespace

class TstAttribueCartesMeuble : public QObject {
    Q_OBJECT
private slots:
    void listeVide() {
        BancMeuble b;
        QVERIFY(b.ouvre());
        b.bus->videJournal();
        b.cliqueMeuble(b.w->BtAttribuerCartes);
        QCOMPARE(b.op.boites(), QStringList{"Vous devez commencer par creer un meuble"});
        QCOMPARE(b.op.dernier().icone, Icone::Information);
        QVERIFY(b.bus->deroulement().isEmpty());
    }

    // A tray whose SN entry was abandoned stops everything before the port
    // is opened.
    void ligneSansSN() {
        BancMeuble b;
        QVERIFY(b.ouvre());
        b.carteUsine("0B01");
        b.cree("A", "1", "2", {"0B01", ""});
        b.bus->videJournal();
        b.cliqueMeuble(b.w->BtAttribuerCartes);
        QCOMPARE(b.op.boites(), QStringList{"il manque un SN sur le plateau A-02"});
        QCOMPARE(b.op.dernier().icone, Icone::Information);
        QCOMPARE(b.w->ProgressBar1->value(), 0);
        QCOMPARE(b.w->LblEtat->text(), QString("Verification des SN saisies ..."));
        QVERIFY(b.bus->deroulement().isEmpty());
        QVERIFY(!QFile::exists(b.fichier("AttribMeuble.txt")));
    }

    // Five cards with their factory name: each is renamed after its tray,
    // and its line shows the outcome of each pass.
    void pileDeCinq() {
        BancMeuble b;
        QVERIFY(b.ouvre());
        QStringList sns;
        for (int n = 1; n <= 5; ++n) {
            sns << QStringLiteral("0B0%1").arg(n);
            b.carteUsine(sns.last().toLatin1());
        }
        b.cree("B", "1", "5", sns);
        b.suitLignes();
        b.bus->videJournal();
        BarrePeinte peinte(b.w->ProgressBar1, b.w->LblEtat);
        b.cliqueMeuble(b.w->BtAttribuerCartes);
        // The steps that never let the window breathe move the bar all the same.
        for (const QString etape :
             {"Attribution des cartes en cours ...", "verifie l'attribution du nom de plateau",
              "Mémorisation en cours ..."})
            QCOMPARE(peinte.valeurs.value(etape), (QList<int>{1, 2, 3, 4, 5}));

        QList<QByteArray> attendu{"ouverture"};
        for (const QString& sn : sns)
            attendu << "vNs" + sn.toLatin1();
        for (int n = 1; n <= 5; ++n)
            attendu << "yNs" + NomCarteSimulee('B', n) + sns.at(n - 1).toLatin1();
        for (int n = 1; n <= 5; ++n)
            attendu << "V" + NomCarteSimulee('B', n);
        attendu << "fermeture"
                << "ouverture";
        for (int n = 1; n <= 5; ++n)
            attendu << "V" + NomCarteSimulee('B', n);
        attendu << "fermeture";
        QCOMPARE(b.bus->deroulement(), attendu);

        for (int n = 1; n <= 5; ++n) {
            QCOMPARE(b.bus->carte(n - 1).nom, NomCarteSimulee('B', n));
            const QString debut = QStringLiteral("B-0%1  SN=0B0%1  ").arg(n);
            QCOMPARE(b.historique.value(n - 1), (QStringList{debut + "PLT2 v2.14 (A-5)",
                                                             debut + "ok", debut + "PLT2 v2.14 "}));
            QCOMPARE(b.w->meuble.AncienNom[static_cast<size_t>(n)], QString("A-5"));
        }
        QVERIFY(b.op.boites().isEmpty());
        QCOMPARE(b.w->LblEtat->text(), QString("Fin de mémorisation"));
        QVERIFY(!b.w->ProgressBar1->isVisible());
        QVERIFY(!PortCarteEstOuvert(b.f->poste()));
        QVERIFY(QFile::exists(b.fichier("AttribMeuble.txt")));
    }

    // The card of tray 2 is missing: its line, and only its line, shows the
    // failure in every pass; the others go on.
    void carteAbsente() {
        BancMeuble b;
        QVERIFY(b.ouvre());
        b.carteUsine("0B01");
        b.carteUsine("0B03");
        b.cree("A", "1", "3", {"0B01", "0B02", "0B03"});
        b.suitLignes();
        b.cliqueMeuble(b.w->BtAttribuerCartes);
        const QString absente = "A-02  SN=0B02  Err: Time Out";
        // Every pass writes the same failure: the line never shows anything else.
        QCOMPARE(b.historique.value(1), QStringList{absente});
        for (int i : {0, 2}) {
            const QString debut = QStringLiteral("A-0%1  SN=0B0%1  ").arg(i + 1);
            QCOMPARE(b.historique.value(i), (QStringList{debut + "PLT2 v2.14 (A-5)", debut + "ok",
                                                         debut + "PLT2 v2.14 "}));
        }
        QCOMPARE(b.w->meuble.AncienNom[2], QString());
        // Each pass tried it twice, as any exchange.
        QCOMPARE(b.commandesCommencant("vNs0B02").size(), 2);
        QCOMPARE(b.commandesCommencant("yNsA20B02").size(), 2);
        QVERIFY(b.commandesCommencant("VA2").size() >= 2);
        QCOMPARE(b.bus->carte(0).nom, QByteArray("A1"));
        QCOMPARE(b.bus->carte(1).nom, QByteArray("A3"));
        QVERIFY(b.op.boites().isEmpty());
    }

    // Replies that say something else than expected, each marking its own line.
    void reponses_data() {
        QTest::addColumn<QByteArray>("commande");
        QTest::addColumn<QByteArray>("reponse"); // head character first
        QTest::addColumn<QStringList>("historique");
        const QString d = "A-01  SN=0B01  ";
        QTest::newRow("autre SN lu")
            << QByteArray("VA1") << QByteArray("VPLT2 v2.14[9Z9Zc]")
            << QStringList{d + "PLT2 v2.14 (A-5)", d + "ok", d + "PLT2 v2.14 SN lue=9Z9Z"};
        QTest::newRow("presence sans crochet")
            << QByteArray("vNs0B01") << QByteArray("vPLT2 v2.14")
            << QStringList{d + "PLT2 v2.14", d + "ok", d + "PLT2 v2.14 "};
        QTest::newRow("presence trop courte")
            << QByteArray("vNs0B01") << QByteArray("vPLT2[A")
            << QStringList{d + "PLT2[A", d + "ok", d + "PLT2 v2.14 "};
        QTest::newRow("verification sans crochet")
            << QByteArray("VA1") << QByteArray("VPLT2 v2.14")
            << QStringList{d + "PLT2 v2.14 (A-5)", d + "ok", d + "PLT2 v2.14"};
        QTest::newRow("verification trop courte")
            << QByteArray("VA1") << QByteArray("VPLT2[0B0")
            << QStringList{d + "PLT2 v2.14 (A-5)", d + "ok", d + "PLT2[0B0"};
        QTest::newRow("nommage refuse")
            << QByteArray("yNsA10B01") << QByteArray("yErr: nom")
            << QStringList{d + "PLT2 v2.14 (A-5)", d + "Err: nom", d + "Err: Time Out"};
    }
    void reponses() {
        QFETCH(QByteArray, commande);
        QFETCH(QByteArray, reponse);
        QFETCH(QStringList, historique);
        BancMeuble b;
        QVERIFY(b.ouvre());
        b.carte([&](CarteSimulee& c) {
            c.nom = "A5";
            c.sn = "0B01";
            c.reponsesImposees.insert(commande, reponse);
        });
        b.carteUsine("0B02");
        b.cree("A", "1", "2", {"0B01", "0B02"});
        b.suitLignes();
        b.cliqueMeuble(b.w->BtAttribuerCartes);
        QCOMPARE(b.historique.value(0), historique);
        // The next tray is processed all the same.
        QCOMPARE(b.historique.value(1).last(), QString("A-02  SN=0B02  PLT2 v2.14 "));
        QCOMPARE(b.w->LblEtat->text(), QString("Fin de mémorisation"));
    }

    // Tray 12 of cabinet B is "B<" on the wire.
    void plateau12() {
        BancMeuble b;
        QVERIFY(b.ouvre());
        b.carteUsine("0B01");
        b.cree("B", "12", "12", {"0B01"});
        b.cliqueMeuble(b.w->BtAttribuerCartes);
        QVERIFY(b.bus->commandes().contains("yNsB<0B01"));
        QVERIFY(b.bus->commandes().contains("VB<"));
        QCOMPARE(b.bus->carte(0).nom, QByteArray("B<"));
        QCOMPARE(b.lignes(), QStringList{"B-12  SN=0B01  PLT2 v2.14 "});
    }

    void anciensNoms() {
        BancMeuble b;
        QVERIFY(b.ouvre());
        b.carteUsine("0B01", "A5");
        b.carteUsine("0B02", "A:");
        b.cree("C", "1", "2", {"0B01", "0B02"});
        b.suitLignes();
        b.cliqueMeuble(b.w->BtAttribuerCartes);
        QCOMPARE(b.w->meuble.AncienNom[1], QString("A-5"));
        QCOMPARE(b.w->meuble.AncienNom[2], QString("A-10"));
        QCOMPARE(b.historique.value(1).first(), QString("C-02  SN=0B02  PLT2 v2.14 (A-10)"));
    }

    void ligneSupprimeeNonAdressee() {
        BancMeuble b;
        QVERIFY(b.ouvre());
        for (const char* sn : {"0B01", "0B02", "0B03"})
            b.carteUsine(sn);
        b.cree("A", "1", "3", {"0B01", "0B02", "0B03"});
        b.w->ListSN->setCurrentRow(1);
        QTest::keyClick(b.w->ListSN, Qt::Key_Delete);
        b.cliqueMeuble(b.w->BtAttribuerCartes);
        for (const QByteArray& c : b.bus->commandes()) {
            QVERIFY2(!c.contains("0B02"), c.constData());
            QVERIFY2(c != "VA2", c.constData());
        }
        QCOMPARE(b.bus->carte(1).nom, QByteArray("A5"));
        QCOMPARE(b.lignes(),
                 (QStringList{"A-01  SN=0B01  PLT2 v2.14 ", "A-03  SN=0B03  PLT2 v2.14 "}));
    }

    // While the cards are being assigned the operator's keys and clicks in
    // the window are refused: the list the passes work on stays as it is and
    // the window stays open.
    void fenetreTenuePendantAttribution() {
        BancMeuble b;
        QVERIFY(b.ouvre());
        b.carteUsine("0B01");
        b.carteUsine("0B02");
        b.cree("A", "1", "2", {"0B01", "0B02"});
        b.op.echanges.clear();
        bool fait = false;
        QTimer veille;
        veille.setInterval(0);
        QObject::connect(&veille, &QTimer::timeout, [&] {
            if (fait || !b.bus->commandes().contains("vNs0B01"))
                return;
            fait = true;
            b.w->ListSN->setCurrentRow(1);
            QTest::keyClick(b.w->ListSN, Qt::Key_Delete);
            b.w->BtCreerNouveauMeuble->click();
            b.w->BtFin->click();
        });
        veille.start();
        b.cliqueMeuble(b.w->BtAttribuerCartes);
        QVERIFY(fait);
        QCOMPARE(b.lignes(),
                 (QStringList{"A-01  SN=0B01  PLT2 v2.14 ", "A-02  SN=0B02  PLT2 v2.14 "}));
        QVERIFY(b.w->isVisible());
        QVERIFY(b.op.echanges.isEmpty());
        QCOMPARE(b.bus->carte(1).nom, QByteArray("A2"));
    }
};

QTEST_MAIN(TstAttribueCartesMeuble)
#include "tst_AttribueCartesMeuble.moc"
