// The message base tool on real SQLite files: the list file read by
// position, the counts box, creations, modifications (tDate), deletions, and
// the list written by calvanet-listemessages giving a base of every default.
#include "BaseTest.h"
#include "CreeBaseMessages.h"
#include "FichierTrace.h"
#include "OperateurScripte.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <utility>

namespace {

// A list line laid out by position: "|msg" + 5 digits, 2 spaces, "|", the
// name on 30 characters, "|", the text, "|".
QString Ligne(int numero, const QString& nom, const QString& texte) {
    return QStringLiteral("|msg%1  |%2|%3|")
        .arg(numero, 5, 10, QLatin1Char('0'))
        .arg(nom.leftJustified(30), texte);
}

QString Bilan(const BaseTest& base, int listes, int modifies, int crees, int supprimes) {
    return QStringLiteral("base:") + base.dossier.path() + QStringLiteral("/trad.mdb\r") +
           QStringLiteral("Nombre de messages                : %1\r\r").arg(listes) +
           QStringLiteral("Nombre de messages Modifiées : %1\r").arg(modifies) +
           QStringLiteral("Nombre de messages Créés      : %1\r").arg(crees) +
           QStringLiteral("Nombre de messages supprimés :%1").arg(supprimes);
}

} // namespace

class TstCreeBaseMessages : public QObject {
    Q_OBJECT

    OperateurScripte op_;

    void ecritListe(const BaseTest& base, const QStringList& lignes) {
        QVERIFY(RemplaceFichierTrace(base.dossier.filePath(kListeMessages),
                                     QStringList{"Liste des messages du 08/12/2026"} + lignes));
    }

private slots:
    void init() {
        op_ = OperateurScripte();
        DefinitOperateurTraduction(&op_);
    }
    void cleanup() { DefinitOperateurTraduction(nullptr); }

    void lectureParPosition_data() {
        QTest::addColumn<QString>("ligne");
        QTest::addColumn<int>("numero"); // 0: not a message; -1: reported and skipped
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QString>("texte");
        QTest::newRow("message") << Ligne(17, "DernierSn", "dernier SN") << 17 << "DernierSn"
                                 << "dernier SN";
        QTest::newRow("espaces gardes")
            << Ligne(123, "AideProgLigne123", "     verifier") << 123 << "AideProgLigne123"
            << "     verifier";
        QTest::newRow("texte jusqu'au premier |")
            << Ligne(5, "DefautEaIr", "DEFAUT EA") + "commentaire|" << 5 << "DefautEaIr"
            << "DEFAUT EA";
        QTest::newRow("titre") << "Liste des messages" << 0 << ""
                               << "";
        QTest::newRow("MSG majuscule")
            << Ligne(5, "DefautEaIr", "x").replace("|msg", "|MSG") << 0 << ""
            << "";
        QTest::newRow("au-dela de 200") << Ligne(201, "Trop", "hors table") << -1 << ""
                                        << "";
        QTest::newRow("numero nul") << Ligne(0, "Zero", "rien") << -1 << ""
                                    << "";
        QTest::newRow("sans | final") << Ligne(6, "AbandonSn", "abandon SN").chopped(1) << -1 << ""
                                      << "";
        QTest::newRow("texte vide") << Ligne(6, "AbandonSn", "") << -1 << ""
                                    << "";
    }
    void lectureParPosition() {
        QFETCH(QString, ligne);
        QFETCH(int, numero);
        const ListeMessages liste = LitListeMessages({ligne});
        QCOMPARE(liste.ignorees.size(), numero < 0 ? 1 : 0);
        QCOMPARE(liste.messages.size(), numero > 0 ? 1 : 0);
        if (numero > 0) {
            QCOMPARE(liste.messages[0].numero, numero);
            QTEST(liste.messages[0].nom, "nom");
            QTEST(liste.messages[0].texte, "texte");
        }
    }

    // The same list again with one text changed: modified 1, and only that
    // record gets a date; the translation already entered stays.
    void unTexteChange() {
        BaseTest base;
        const QStringList liste = {Ligne(17, "DernierSn", "dernier SN"),
                                   Ligne(22, "SnCarte", "SN carte"), Ligne(45, "Arret", "Arret")};
        ecritListe(base, liste);
        CreeBaseMessages();
        QCOMPARE(op_.boites(), QStringList({Bilan(base, 3, 0, 3, 0)}));
        QCOMPARE(base.sqlite3("SELECT Ttype, Tname, tdefcaption, tFlagpassage, tDate FROM "
                              "Traductions ORDER BY rowid"),
                 QStringList({"msg00017|DernierSn|dernier SN|1|", "msg00022|SnCarte|SN carte|1|",
                              "msg00045|Arret|Arret|1|"}));
        base.sqlite3("UPDATE Traductions SET Tcaption = 'card SN' WHERE Tname = 'SnCarte'");

        ecritListe(base, {liste[0], Ligne(22, "SnCarte", "SN de la carte"), liste[2]});
        op_.echanges.clear();
        CreeBaseMessages();
        QCOMPARE(op_.boites(), QStringList({Bilan(base, 3, 1, 0, 0)}));
        QCOMPARE(base.sqlite3("SELECT Tname, Tcaption, tdefcaption FROM Traductions "
                              "WHERE datetime(tDate) IS NOT NULL"),
                 QStringList({"SnCarte|card SN|SN de la carte"}));
        QCOMPARE(Msg[22], QStringLiteral("SN de la carte"));
    }

    // A message no longer listed goes, with its translation; the control
    // records of the windows are not the tool's.
    void messageRetire() {
        BaseTest base;
        ecritListe(base, {Ligne(17, "DernierSn", "dernier SN"), Ligne(45, "Arret", "Arret")});
        CreeBaseMessages();
        base.ajoute("F2Acceuil", "CommandButton", "BtOK", "Close");
        base.sqlite3("UPDATE Traductions SET Tcaption = 'Stop' WHERE Tname = 'Arret'");
        ecritListe(base, {Ligne(17, "DernierSn", "dernier SN")});
        op_.echanges.clear();
        CreeBaseMessages();
        QCOMPARE(op_.boites(), QStringList({Bilan(base, 1, 0, 0, 1)}));
        QCOMPARE(base.sqlite3("SELECT Tformulaire, Tname FROM Traductions ORDER BY rowid"),
                 QStringList({"ModuleMsg|DernierSn", "F2Acceuil|BtOK"}));
    }

    // Two lines of one name: one record, created once, the second text wins.
    void memeNomDeuxFois() {
        BaseTest base;
        ecritListe(base,
                   {Ligne(29, "ArretTest", "Arret Test"), Ligne(38, "ArretTest", "Arret Led")});
        CreeBaseMessages();
        QCOMPARE(op_.boites(), QStringList({Bilan(base, 2, 1, 1, 0)}));
        QCOMPARE(base.sqlite3("SELECT Ttype, Tname, tdefcaption FROM Traductions"),
                 QStringList({"msg00038|ArretTest|Arret Led"}));
    }

    // A base converted from the older station names its messages otherwise:
    // a record found by its number takes the listed name and keeps its
    // translation, unless the list claims its name for another number.
    void messagesConvertis() {
        BaseTest base;
        base.ajoute("ModuleMsg", "msg00017", "MsgDernierSN", "last SN");
        base.ajoute("ModuleMsg", "msg00022", "sncarte", "card SN");
        base.ajoute("ModuleMsg", "msg00029", "ArretTest", "Stop test");
        base.sqlite3("UPDATE Traductions SET tdefcaption = 'dernier SN' WHERE rowid = 1");
        base.sqlite3("UPDATE Traductions SET tdefcaption = 'SN de la carte' WHERE rowid = 2");
        base.sqlite3("UPDATE Traductions SET tdefcaption = 'Arret Test' WHERE rowid = 3");
        ecritListe(base,
                   {Ligne(17, "DernierSn", "dernier SN"), Ligne(22, "SnCarte", "SN carte"),
                    Ligne(29, "NouveauMessage", "nouveau"), Ligne(38, "ArretTest", "Arret Test")});
        CreeBaseMessages();
        QCOMPARE(op_.boites(),
                 QStringList({Bilan(base, 4, 1, 1, 0) + "\rNombre de messages renommés : 2"}));
        QCOMPARE(base.sqlite3("SELECT Ttype, Tname, Tcaption, tdefcaption, tFlagpassage, "
                              "datetime(tDate) IS NOT NULL FROM Traductions ORDER BY rowid"),
                 QStringList({"msg00017|DernierSn|last SN|dernier SN|1|0",
                              "msg00022|SnCarte|card SN|SN carte|1|1",
                              "msg00038|ArretTest|Stop test|Arret Test|1|0",
                              "msg00029|NouveauMessage||nouveau|1|0"}));
    }

    // The list file beside the base may be the older station's, the only
    // record of its message names: the command never overwrites it unasked,
    // and when asked keeps it beside the new one.
    void listeExistante() {
        BaseTest base;
        const QString chemin = base.dossier.filePath(kListeMessages);
        ecritListe(base, {Ligne(17, "MsgDernierSN", "dernier SN")});
        QFile ancienne(chemin);
        QVERIFY(ancienne.open(QIODevice::ReadOnly));
        const QByteArray octets = ancienne.readAll();
        ancienne.close();
        const auto commande = [&](const QStringList& options) {
            QProcess p;
            p.start(qEnvironmentVariable("CALVANET_BUILD") + "/i18n/outils/calvanet-listemessages",
                    options + QStringList{base.chemin()});
            p.waitForFinished(20000);
            return std::pair(p.exitCode(), QString::fromUtf8(p.readAllStandardError()));
        };

        const auto [refus, texteRefus] = commande({});
        QCOMPARE(refus, 1);
        QVERIFY2(texteRefus.contains(chemin), qPrintable(texteRefus));
        QVERIFY2(texteRefus.contains("--remplace"), qPrintable(texteRefus));
        QVERIFY(ancienne.open(QIODevice::ReadOnly));
        QCOMPARE(ancienne.readAll(), octets);
        ancienne.close();

        const auto [code, texte] = commande({"--remplace"});
        QCOMPARE(code, 0);
        QVERIFY(LitLignesTrace(chemin).contains(Ligne(17, "DernierSn", "dernier SN")));
        const QStringList gardees =
            QDir(base.dossier.path()).entryList({"ListeMessagesCalvanet*"}, QDir::Files);
        QCOMPARE(gardees.size(), 2);
        const QString gardee =
            base.dossier.filePath(gardees[0] == kListeMessages ? gardees[1] : gardees[0]);
        QVERIFY2(texte.contains(gardee), qPrintable(texte));
        QFile copie(gardee);
        QVERIFY(copie.open(QIODevice::ReadOnly));
        QCOMPARE(copie.readAll(), octets);
    }

    // Lines that are not messages, or that the tool cannot take, change nothing;
    // those it cannot take are counted in the box.
    void lignesIgnorees() {
        BaseTest base;
        ecritListe(base, {Ligne(17, "DernierSn", "dernier SN"),
                          Ligne(18, "CollerEtiquette", "x").replace("|msg", "|MSG"),
                          Ligne(250, "HorsTable", "hors table"),
                          Ligne(19, "SansFin", "texte sans fin").chopped(1)});
        CreeBaseMessages();
        QCOMPARE(op_.boites(),
                 QStringList({Bilan(base, 1, 0, 1, 0) +
                              "\rLignes ignorées (numero hors de 1 à 200 ou texte sans | final) : "
                              "2"}));
        QCOMPARE(base.sqlite3("SELECT Tname FROM Traductions"), QStringList({"DernierSn"}));
    }

    void listeAbsente() {
        BaseTest base;
        base.ajoute("ModuleMsg", "msg00017", "DernierSn", "last SN");
        CreeBaseMessages();
        QCOMPARE(op_.echanges.size(), 1);
        QCOMPARE(op_.dernier().titre, QStringLiteral("Creation base de Messages"));
        QCOMPARE(op_.dernier().icone, Icone::Critique);
        const QString debut = base.dossier.path() + "/ListeMessagesCalvanet.txt\rerreur n° ";
        QVERIFY2(op_.dernier().texte.startsWith(debut), qPrintable(op_.dernier().texte));
        QCOMPARE(base.sqlite3("SELECT Tname, Tcaption FROM Traductions"),
                 QStringList({"DernierSn|last SN"}));
    }

    // The menu entry on a missing base: the tool's box, the reload's box, then
    // no more translation; the messages are the defaults.
    void baseAbsente() {
        BaseTest base(QStringLiteral("trad.mdb"), false);
        Msg[17] = QStringLiteral("changed");
        mnuCreationBaseMessages_Click();
        const QString introuvable =
            QStringLiteral("le fichier de traduction : trad.mdb est introuvable");
        QCOMPARE(op_.boites(), QStringList({introuvable, introuvable}));
        QVERIFY(FichierTraduction.isEmpty());
        QCOMPARE(Msg[17], QStringLiteral("dernier SN"));
        QVERIFY(!QFile::exists(base.chemin()));
    }

    // A new installation: the command writes the list (and makes the empty
    // base), the menu entry fills the base with every default.
    void listeDuProgramme() {
        BaseTest base(QStringLiteral("trad.mdb"), false);
        QProcess commande;
        commande.start(qEnvironmentVariable("CALVANET_BUILD") +
                           "/i18n/outils/calvanet-listemessages",
                       {base.chemin()});
        QVERIFY(commande.waitForFinished(20000));
        QCOMPARE(commande.exitCode(), 0);
        QVERIFY(QFile::exists(base.chemin()));

        QFile liste(base.dossier.filePath(kListeMessages));
        QVERIFY(liste.open(QIODevice::ReadOnly));
        const QByteArray octets = liste.readAll();
        // Windows-1252 with CR LF, as the older tool's list.
        QVERIFY(octets.contains("|msg00015  |NumeroSerieEcritCarte         |le numero de serie "
                                "ecrit dans la carte est different du SN demand\xe9|\r\n"));

        const QList<MessageDefaut> defauts = MessagesDefaut();
        mnuCreationBaseMessages_Click();
        QCOMPARE(op_.boites(), QStringList({Bilan(base, static_cast<int>(defauts.size()), 0,
                                                  static_cast<int>(defauts.size()), 0)}));
        QStringList attendu;
        for (const MessageDefaut& d : defauts)
            attendu << QStringLiteral("msg%1|").arg(d.numero, 5, 10, QLatin1Char('0')) + d.nom +
                           "|" + d.texte;
        QCOMPARE(base.sqlite3("SELECT Ttype, Tname, tdefcaption FROM Traductions "
                              "WHERE Tformulaire = 'ModuleMsg' ORDER BY Ttype"),
                 attendu);
        // Names are readable and unique.
        QSet<QString> noms;
        for (const MessageDefaut& d : defauts) {
            QVERIFY2(!d.nom.isEmpty() && d.nom.size() <= 30 && !d.nom.contains(' '),
                     qPrintable(d.nom));
            noms.insert(d.nom);
        }
        QCOMPARE(noms.size(), defauts.size());
    }
};

QTEST_MAIN(TstCreeBaseMessages)
#include "tst_CreeBaseMessages.moc"
