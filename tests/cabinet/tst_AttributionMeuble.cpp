// The cabinet window: its controls, the creation dialogue, the SN entry of
// each tray, the re-entry by double-click, the Delete key, Fin and "?".
#include "BancMeuble.h"
#include "FenetresAide.h"

#include <QPointer>
#include <QtTest>

namespace {

using Genre = OperateurScripte::Genre;

QStringList Lignes(const QString& nom, int premier, int dernier) {
    QStringList r;
    for (int n = premier; n <= dernier; ++n)
        r << nom + QStringLiteral("-%1").arg(n, 2, 10, QLatin1Char('0'));
    return r;
}

} // namespace

class TstAttributionMeuble : public QObject {
    Q_OBJECT
private slots:
    // Every control with its caption as displayed, in a window that the
    // main window does not wait for.
    void controles_data() {
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QString>("legende");
        QTest::newRow("titre") << "LblTitreAttribution"
                               << "Attribution d'un meuble pour une PHARMACIE";
        QTest::newRow("nom pharma") << "LblNomPharma"
                                    << "Nom Pharma";
        QTest::newRow("adresse pharma") << "LblAdrPharma"
                                        << "Adresse Pharma";
        QTest::newRow("creer") << "BtCreerNouveauMeuble"
                               << "Créer un nouveau Meuble";
        QTest::newRow("liste") << "LblListeCartes"
                               << "liste des cartes";
        QTest::newRow("attribuer") << "BtAttribuerCartes"
                                   << "Attribuer les Cartes";
        QTest::newRow("edition") << "BtEditFeuilleMeuble"
                                 << "Edition de la feuille de Meuble";
        QTest::newRow("fin") << "BtFin"
                             << "Fin";
        QTest::newRow("aide") << "BtAide"
                              << "?";
        // Emptied when the window loads.
        QTest::newRow("etat") << "LblEtat"
                              << "";
        QTest::newRow("texte nom") << "TxtNomPharma"
                                   << "";
        QTest::newRow("texte adresse") << "TxtAdrPharma"
                                       << "";
    }
    void controles() {
        QFETCH(QString, nom);
        QFETCH(QString, legende);
        BancMeuble b;
        QVERIFY(b.ouvre());
        QCOMPARE(b.w->windowTitle(), QString("Attribution Meuble"));
        QVERIFY(b.w->isVisible());
        QCOMPARE(b.w->windowModality(), Qt::NonModal);
        QVERIFY(b.f->isEnabled());
        QWidget* c = b.w->findChild<QWidget*>(nom);
        QVERIFY2(c, qPrintable(nom));
        QString texte;
        if (auto* bouton = qobject_cast<QPushButton*>(c))
            texte = TexteAffiche(bouton);
        else if (auto* l = qobject_cast<QLabel*>(c))
            texte = l->text();
        else if (auto* t = qobject_cast<QLineEdit*>(c))
            texte = t->text();
        QCOMPARE(texte, legende);
        QVERIFY(c->isVisible());
    }

    void chargement() {
        BancMeuble b;
        QVERIFY(b.ouvre());
        QVERIFY(!b.w->ListSN->isVisible());
        QCOMPARE(b.w->ListSN->count(), 0);
        QVERIFY(!b.w->ProgressBar1->isVisible());
        QCOMPARE(b.w->ProgressBar1->value(), 0);
        QCOMPARE(b.w->meuble.NomMeuble, QString());
        QCOMPARE(b.w->meuble.PremierPlateau, 0);
        QCOMPARE(b.w->meuble.DernierPlateau, 0);
        QVERIFY(b.w->findChild<QProgressBar*>("ProgressBar1"));
        QVERIFY(b.w->findChild<QListWidget*>("ListSN"));
        // Opening it again brings the same window forward.
        b.clique("BtAttribueMeuble");
        QCOMPARE(b.f->findChildren<AttributionMeuble*>().size(), 1);
    }

    // The cabinet name, the first and last tray, each answer as typed; an
    // empty answer at the first SN ends the entry.
    void creation_data() {
        QTest::addColumn<QStringList>("reponses");
        QTest::addColumn<QString>("boite");
        QTest::addColumn<QStringList>("lignes");
        QTest::addColumn<QString>("nomMeuble");
        QTest::addColumn<QString>("etat");
        const QString abandon = "Abandon saisie SN";
        const QString creation = "CREATION d'un MEUBLE";
        const QString nomIncorrect = "Le nom du meuble n'est pas correct ";
        const QString premier = "Le premier plateau doit etre compris entre 1 et 55";
        QTest::newRow("b devient B")
            << QStringList{"b", "1", "2", ""} << QString() << Lignes("B", 1, 2) << "B" << abandon;
        QTest::newRow("AB devient A")
            << QStringList{"AB", "3", "3", ""} << QString() << Lignes("A", 3, 3) << "A" << abandon;
        QTest::newRow("chiffre 9")
            << QStringList{"9", "1", "1", ""} << QString() << Lignes("9", 1, 1) << "9" << abandon;
        QTest::newRow("0 refuse") << QStringList{"0"} << nomIncorrect + "0" << QStringList() << "0"
                                  << creation;
        QTest::newRow("etoile refusee")
            << QStringList{"*"} << nomIncorrect + "*" << QStringList() << "*" << creation;
        QTest::newRow("e accent refuse")
            << QStringList{"é"} << nomIncorrect + "É" << QStringList() << "É" << creation;
        QTest::newRow("12abc") << QStringList{"C", "12abc", "12", ""} << QString()
                               << Lignes("C", 12, 12) << "C" << abandon;
        QTest::newRow("2.5 donne 2")
            << QStringList{"C", "2.5", "2", ""} << QString() << Lignes("C", 2, 2) << "C" << abandon;
        QTest::newRow("3.5 donne 4")
            << QStringList{"C", "3.5", "4", ""} << QString() << Lignes("C", 4, 4) << "C" << abandon;
        QTest::newRow("abc refuse")
            << QStringList{"C", "abc"} << premier << QStringList() << "C" << creation;
        QTest::newRow("56 refuse")
            << QStringList{"C", "56"} << premier << QStringList() << "C" << creation;
        QTest::newRow("hors 32 bits")
            << QStringList{"C", "99999999999"} << premier << QStringList() << "C" << creation;
        QTest::newRow("dernier avant premier")
            << QStringList{"C", "5", "4"} << "Le dernier plateau doit etre compris entre 5 et 55"
            << QStringList() << "C" << creation;
        QTest::newRow("dernier 56")
            << QStringList{"C", "5", "56"} << "Le dernier plateau doit etre compris entre 5 et 55"
            << QStringList() << "C" << creation;
        QTest::newRow("5 a 5") << QStringList{"A", "5", "5", ""} << QString() << QStringList{"A-05"}
                               << "A" << abandon;
        QTest::newRow("1 a 55") << QStringList{"A", "1", "55", ""} << QString()
                                << Lignes("A", 1, 55) << "A" << abandon;
        QTest::newRow("C 7 a 10") << QStringList{"C", "7", "10", ""} << QString()
                                  << QStringList{"C-07", "C-08", "C-09", "C-10"} << "C" << abandon;
        QTest::newRow("nom vide") << QStringList{""} << QString() << QStringList() << ""
                                  << creation;
        QTest::newRow("premier vide")
            << QStringList{"A", ""} << QString() << QStringList() << "A" << creation;
    }
    void creation() {
        QFETCH(QStringList, reponses);
        QFETCH(QString, boite);
        QFETCH(QStringList, lignes);
        QFETCH(QString, nomMeuble);
        QFETCH(QString, etat);
        BancMeuble b;
        QVERIFY(b.ouvre());
        b.creeAvec(reponses);
        QCOMPARE(b.op.boites(), boite.isEmpty() ? QStringList() : QStringList{boite});
        if (!boite.isEmpty())
            QCOMPARE(b.op.dernier().icone, Icone::Critique);
        QCOMPARE(b.lignes(), lignes);
        QCOMPARE(b.w->ListSN->isVisible(), !lignes.isEmpty());
        QCOMPARE(b.w->meuble.NomMeuble, nomMeuble);
        QCOMPARE(b.w->LblEtat->text(), etat);
        QVERIFY(!b.w->ProgressBar1->isVisible());
        QVERIFY(b.op.inattendus.isEmpty());
        QCOMPARE(b.op.reponsesRestantes(), 0);
    }

    // The tray list's height: a 198-twip pitch for each tray plus one, at
    // most 5325 twips; the window gives the list at least that room.
    void hauteurListe_data() {
        QTest::addColumn<int>("premier");
        QTest::addColumn<int>("dernier");
        QTest::addColumn<int>("twips");
        QTest::newRow("un plateau") << 5 << 5 << 396;
        QTest::newRow("25 plateaux") << 1 << 25 << 5148;
        QTest::newRow("26 plateaux, plafond") << 1 << 26 << 5325;
        QTest::newRow("55 plateaux") << 1 << 55 << 5325;
    }
    void hauteurListe() {
        QFETCH(int, premier);
        QFETCH(int, dernier);
        QTEST(HauteurListeTwips(premier, dernier), "twips");
    }
    void listePlafonnee() {
        int hauteurs[2] = {};
        int i = 0;
        for (const char* dernier : {"26", "55"}) {
            BancMeuble b;
            QVERIFY(b.ouvre());
            b.cree("A", "1", dernier, {""});
            hauteurs[i++] = b.w->ListSN->minimumHeight();
        }
        QVERIFY(hauteurs[0] > 0);
        QCOMPARE(hauteurs[1], hauteurs[0]);
    }

    // Prompts and titles of the input boxes, letter for letter.
    void invites() {
        BancMeuble b;
        QVERIFY(b.ouvre());
        b.cree("C", "7", "10", {""});
        const QList<OperateurScripte::Echange>& e = b.op.echanges;
        QCOMPARE(e.size(), 4);
        QCOMPARE(e[0].texte, QString("Nom du meuble à CREER (A à Z ou 1 à 9)"));
        QCOMPARE(e[0].titre, QString("CREATION D'UN MEUBLE"));
        QCOMPARE(e[1].texte, QString("N° du PREMIER plateau de ce meuble C  (1 à 55)"));
        QCOMPARE(e[1].titre, QString("CREATION du MEUBLE 'C'"));
        QCOMPARE(e[2].texte, QString("N° du DERNIER plateau de ce meuble C   (7 à 55)"));
        QCOMPARE(e[2].titre, QString("CREATION du MEUBLE 'C'"));
        QCOMPARE(e[3].texte, QString("N° de serie de la carte C-07\r\rtaper ce SN au clavier OU "
                                     "lire le code bare de la carte"));
        QCOMPARE(e[3].titre, QString());
        for (const auto& x : e)
            QCOMPARE(x.defaut, QString());
    }

    void pharmacieObligatoire() {
        BancMeuble b;
        QVERIFY(b.ouvre());
        b.cree("A", "1", "2", {}, QString());
        QCOMPARE(b.op.echanges.size(), 1);
        QCOMPARE(b.op.dernier().genre, Genre::Boite);
        QCOMPARE(b.op.dernier().texte, QString("Le nom de la pharmacie est obligatoire"));
        QCOMPARE(b.op.dernier().icone, Icone::Aucune);
        QVERIFY(b.w->ListSN->count() == 0);
        QCOMPARE(b.w->LblEtat->text(), QString("CREATION d'un MEUBLE"));
        // The answers queued for the dialogue were never asked for.
        QCOMPARE(b.op.reponsesRestantes(), 3);
    }

    // The answers at the SN prompts of a cabinet "C" of trays 1 and 2.
    void saisieSN_data() {
        QTest::addColumn<QStringList>("reponses");
        QTest::addColumn<QStringList>("boites");
        QTest::addColumn<QStringList>("lignes");
        QTest::addColumn<QStringList>("snSaisies"); // SNsaisie of trays 1 and 2
        QTest::addColumn<QString>("etat");
        const QString longueur = "Le SN doit contenir 4 caracteres";
        QTest::newRow("code produit")
            << QStringList{"C8-0A1B-0526-03", "0A1C"} << QStringList()
            << QStringList{"C-01  SN=0A1B", "C-02  SN=0A1C"}
            << QStringList{"C8-0A1B-0526-03", "0A1C"} << "fin de saisie SN";
        QTest::newRow("15 caracteres sans tirets")
            << QStringList{"C8X0A1BX0526X03", ""} << QStringList{longueur}
            << QStringList{"C-01", "C-02"} << QStringList{"", ""} << "Abandon saisie SN";
        QTest::newRow("3 caracteres") << QStringList{"0A1", "0A1B", ""} << QStringList{longueur}
                                      << QStringList{"C-01  SN=0A1B", "C-02"}
                                      << QStringList{"0A1B", ""} << "Abandon saisie SN";
        QTest::newRow("doublon d'un autre plateau")
            << QStringList{"1A01", "1A01", "1A02"}
            << QStringList{"ce SN 1A01 a deja ete saisie sur le plateau C-01  SN=1A01"}
            << QStringList{"C-01  SN=1A01", "C-02  SN=1A02"} << QStringList{"1A01", "1A02"}
            << "fin de saisie SN";
        QTest::newRow("doublon par le code produit")
            << QStringList{"1A01", "C8-1A01-0526-03", ""}
            << QStringList{"ce SN 1A01 a deja ete saisie sur le plateau C-01  SN=1A01"}
            << QStringList{"C-01  SN=1A01", "C-02"} << QStringList{"1A01", ""}
            << "Abandon saisie SN";
        QTest::newRow("abcd et ABCD") << QStringList{"abcd", "ABCD"} << QStringList()
                                      << QStringList{"C-01  SN=abcd", "C-02  SN=ABCD"}
                                      << QStringList{"abcd", "ABCD"} << "fin de saisie SN";
        QTest::newRow("annuler au premier SN")
            << QStringList{""} << QStringList() << QStringList{"C-01", "C-02"}
            << QStringList{"", ""} << "Abandon saisie SN";
    }
    void saisieSN() {
        QFETCH(QStringList, reponses);
        QFETCH(QStringList, boites);
        QFETCH(QStringList, lignes);
        QFETCH(QStringList, snSaisies);
        QFETCH(QString, etat);
        BancMeuble b;
        QVERIFY(b.ouvre());
        b.cree("C", "1", "2", reponses);
        QCOMPARE(b.op.boites(), boites);
        for (const auto& e : b.op.echanges)
            if (e.genre == Genre::Boite)
                QCOMPARE(e.icone, Icone::Information);
        QCOMPARE(b.lignes(), lignes);
        QCOMPARE(b.w->meuble.SNsaisie[1], snSaisies.at(0));
        QCOMPARE(b.w->meuble.SNsaisie[2], snSaisies.at(1));
        QCOMPARE(b.w->LblEtat->text(), etat);
        QVERIFY(!b.w->ProgressBar1->isVisible());
        QVERIFY(b.op.inattendus.isEmpty());
    }

    // A refused SN asks the same tray again.
    void memePlateauRedemande() {
        BancMeuble b;
        QVERIFY(b.ouvre());
        b.cree("C", "1", "2", {"12345", ""});
        const QStringList i = b.invites();
        QCOMPARE(i.size(), 5);
        QVERIFY(i.at(3).startsWith("N° de serie de la carte C-01\r"));
        QCOMPARE(i.at(4), i.at(3));
    }

    void doubleClic() {
        BancMeuble b;
        QVERIFY(b.ouvre());
        b.cree("A", "1", "3", {"0B01", "0B02", "0B03"});
        b.op.echanges.clear();

        b.op.repond("C8-0B09-4926-0Y");
        b.doubleClique(1);
        QCOMPARE(b.invites(), QStringList{"N° de serie de la carte A-02  SN=0B02\r\rtaper ce SN "
                                          "au clavier OU lire le code bare de la carte"});
        QCOMPARE(b.lignes(), (QStringList{"A-01  SN=0B01", "A-02  SN=0B09", "A-03  SN=0B03"}));
        QCOMPARE(b.w->meuble.SNsaisie[2], QString("C8-0B09-4926-0Y"));
        QCOMPARE(b.w->LblEtat->text(), QString());

        // The SN the line already shows is refused, naming that line; no
        // second prompt.
        b.op.echanges.clear();
        b.op.repond("0B09");
        b.doubleClique(1);
        QCOMPARE(b.op.boites(),
                 QStringList{"ce SN 0B09 a deja ete saisie sur le plateau A-02  SN=0B09"});
        QCOMPARE(b.invites().size(), 1);
        QCOMPARE(b.w->meuble.SNsaisie[2], QString("C8-0B09-4926-0Y"));

        // With no line selected, a double-click does nothing.
        b.op.echanges.clear();
        b.w->ListSN->clearSelection();
        const QPoint dessous(5, b.w->ListSN->viewport()->height() - 3);
        QTest::mouseDClick(b.w->ListSN->viewport(), Qt::LeftButton, {}, dessous);
        QVERIFY(b.op.echanges.isEmpty());
        QVERIFY(b.op.inattendus.isEmpty());
    }

    void toucheSuppr() {
        BancMeuble b;
        QVERIFY(b.ouvre());
        b.cree("A", "1", "3", {"0B01", "0B02", "0B03"});
        b.w->ListSN->setCurrentRow(1);
        QTest::keyClick(b.w->ListSN, Qt::Key_Delete);
        QCOMPARE(b.lignes(), (QStringList{"A-01  SN=0B01", "A-03  SN=0B03"}));
        // The SN of the tray stays in the record.
        QCOMPARE(b.w->meuble.SNsaisie[2], QString("0B02"));
        b.w->ListSN->clearSelection();
        QTest::keyClick(b.w->ListSN, Qt::Key_Delete);
        QCOMPARE(b.lignes().size(), 2);
    }

    void finFermeLaFenetre() {
        BancMeuble b;
        QVERIFY(b.ouvre());
        b.cree("A", "1", "1", {"0B01"});
        QPointer<AttributionMeuble> fenetre = b.w;
        b.cliqueMeuble(b.w->BtFin);
        QTRY_VERIFY(fenetre.isNull());
        // A new window starts from an empty record.
        b.clique("BtAttribueMeuble");
        b.w = b.f->findChild<AttributionMeuble*>();
        QVERIFY(b.w);
        QCOMPARE(b.w->ListSN->count(), 0);
        QCOMPARE(b.w->meuble.NomMeuble, QString());
    }

    void aide() {
        BancMeuble b;
        QVERIFY(b.ouvre());
        QVERIFY(!AideOuverte(FenetreAide::AttributionMeuble));
        b.cliqueMeuble(b.w->BtAide);
        QWidget* aide = AideOuverte(FenetreAide::AttributionMeuble);
        QVERIFY(aide);
        QVERIFY(aide->isVisible());
        QCOMPARE(aide->windowTitle(), QString("Aide Attribution meuble"));
        // The cabinet window stays usable beside it.
        QVERIFY(b.w->isEnabled());
        QVERIFY(!aide->isModal());
    }
};

QTEST_MAIN(TstAttributionMeuble)
#include "tst_AttributionMeuble.moc"
