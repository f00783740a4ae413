// The main window run offscreen with a scripted operator: start-up from a
// command line, login, rights, trace files, stop, cancel and version box.
#include "F1posteProgrammation.h"
#include "FichierTrace.h"
#include "HistoriquePoste.h"
#include "ModuleTraductions.h"
#include "OperateurScripte.h"
#include "Plateforme.h"
#include "ServeurImpression.h"
#include "TableTsv.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <memory>

namespace {

// Demo operator passwords, one per code (see README).
QString MotDePasse(QChar code) {
    return QStringLiteral("DEMO") + code + QStringLiteral("001");
}

QString VersionTexte() {
    const VersionLogiciel v = versionLogiciel();
    return QStringLiteral("Version %1.%2.%3 (%4)")
        .arg(v.major)
        .arg(v.minor)
        .arg(v.revision)
        .arg(v.commentaire);
}

// One station: a window, its scripted operator and a fresh trace folder.
struct Station {
    OperateurScripte op;
    QTemporaryDir dossier;
    std::unique_ptr<F1posteProgrammation> f;
    int codeFin = -1;

    Station() : f(std::make_unique<F1posteProgrammation>(op)) {
        f->poste().arretProcessus = [](int) {};
    }

    // Runs start-up; false when it ended the program.
    bool demarre(const QString& ligne) {
        try {
            f->Demarre(ligne);
            return true;
        } catch (const FinProgrammeDemandee& fin) {
            codeFin = fin.code;
            return false;
        }
    }
    // A command line using this station's trace folder.
    QString ligne(const QString& options) const {
        return QStringLiteral("pp=") + dossier.path() + QLatin1Char(' ') + options;
    }
    const Reglages& r() const { return f->poste().reglages; }
    QString trace(const QString& nom) const { return dossier.filePath(nom); }
};

// A control of the main window as documented (controles_fenetre.tsv).
struct Controle {
    QString nom;
    QString genre; // bouton, image, etiquette, menu, entree
    QString droit; // the right that shows it, empty when none switches it
    QString legende;
    QString bulle;
    QString nomLu; // picture buttons
};
const QString kNonDocumente = QStringLiteral("*");

QList<Controle> ControlesDocumentes() {
    QList<Controle> controles;
    for (const QStringList& l : LitTableTsv(QStringLiteral(CALVANET_CONTROLES_FENETRE)))
        controles.append({l.value(0), l.value(1), l.value(2), l.value(3), l.value(4), l.value(5)});
    return controles;
}

QList<Controle> ControlesDuGenre(const QStringList& genres) {
    QList<Controle> r;
    for (const Controle& c : ControlesDocumentes())
        if (genres.contains(c.genre))
            r << c;
    return r;
}

// The controls `droit` shows, in the documented order; with no right named,
// every control a right switches.
QStringList ControlesDuDroit(const QString& droit = {}) {
    QStringList r;
    for (const Controle& c : ControlesDocumentes())
        if (droit.isEmpty() ? !c.droit.isEmpty() : c.droit == droit)
            r << c.nom;
    return r;
}

// A caption as Qt draws it: "&" marks the next character as the keyboard
// mnemonic and is not drawn; "&&" draws one "&".
QString TexteAffiche(const QString& legende) {
    QString r;
    for (qsizetype i = 0; i < legende.size(); ++i) {
        if (legende.at(i) == QLatin1Char('&') && ++i == legende.size())
            break;
        r += legende.at(i);
    }
    return r;
}

} // namespace

class TstF1posteProgrammation : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        qputenv(
            "CALVANET_MOTS_DE_PASSE",
            (qEnvironmentVariable("CALVANET_SOURCE") + "/station/operateurs-demo.mdp").toUtf8());
        ChargeMessagesDefaut();
    }
    void cleanupTestCase() { demarree_.reset(); }

    void aideSansLigneDeCommande_data() {
        QTest::addColumn<QString>("ligne");
        QTest::newRow("vide") << "";
        QTest::newRow("espaces") << "   ";
        QTest::newRow("point d'interrogation") << "?";
    }
    void aideSansLigneDeCommande() {
        QFETCH(QString, ligne);
        Station s;
        QVERIFY(!s.demarre(ligne));
        QCOMPARE(s.codeFin, 0);
        QCOMPARE(s.op.echanges.size(), 1);
        QCOMPARE(s.op.dernier().genre, OperateurScripte::Genre::Boite);
        QCOMPARE(s.op.dernier().texte, TexteAideLigneCde());
        QVERIFY(s.op.dernier().texte.startsWith(Msg[104] + '\r'));
        QCOMPARE(s.f->poste().finsDemandees, 1);
    }

    void reglagesDeLaLigne() {
        Station s;
        const QString ligne = s.ligne("xcom=3 op=" + MotDePasse('1').toLower() +
                                      " fp=c:\\my prog.hex us=ABC nc=XYZW portImp=3");
        QVERIFY(s.demarre(ligne));
        QVERIFY(s.op.echanges.isEmpty()); // nothing asked: the password came with the line
        QCOMPARE(s.r().PortCarte, QStringLiteral("3:9600,n,8,1"));
        QCOMPARE(s.r().CheminProg, s.dossier.path());
        QCOMPARE(s.r().FichierProg, Plateforme::CasseSignificative() ? QStringLiteral("c:\\my")
                                                                     : QStringLiteral("C:\\MY"));
        QCOMPARE(s.r().CodeUsine, QStringLiteral("A"));
        QCOMPARE(s.r().NomCarteFuture, QStringLiteral("XYZ"));
        QCOMPARE(s.r().portImp, QStringLiteral("COM3"));
        QCOMPARE(s.r().CodeOperateur, QStringLiteral("1"));
        QCOMPARE(s.f->windowTitle(), QStringLiteral("Test Rails/ Programmation/  com3 op=1"));
        QCOMPARE(TexteAffiche(s.f->BtAttribuSN->text()),
                 QStringLiteral("ATTRIBUER un SN carte (--> XYZ)"));
        QCOMPARE(s.f->infoProg->text(), s.r().FichierProg);
        QVERIFY(!s.f->BtCancel->isVisibleTo(s.f.get()));
    }

    void valeursParDefaut() {
        Station s;
        QVERIFY(s.demarre(s.ligne("op=" + MotDePasse('Y'))));
        QCOMPARE(s.r().PortCarte, QStringLiteral("1:9600,n,8,1"));
        QCOMPARE(s.r().FichierProg, QStringLiteral("c:\\morvane\\appli\\progCompletPlateau.hex"));
        QCOMPARE(s.r().portImp, QStringLiteral("COM2"));
        QCOMPARE(s.r().portSrv, QString());
        QCOMPARE(s.r().CodeUsine, QStringLiteral("0"));
        QCOMPARE(s.r().NomCarteFuture, QStringLiteral("A50"));
        QCOMPARE(s.f->info->text(), VersionTexte() + "\n     Port Imp: COM2");
        QCOMPARE(s.f->poste().info(), VersionTexte() + "\r     Port Imp: COM2");
    }

    void imprimante_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("portImp");
        QTest::addColumn<QString>("adresse");
        QTest::addColumn<QString>("portTcp");
        QTest::addColumn<QString>("info");
        QTest::newRow("3") << "portImp=3"
                           << "COM3"
                           << ""
                           << ""
                           << "\r     Port Imp: COM3";
        QTest::newRow("PRN") << "portImp=prn"
                             << ""
                             << ""
                             << ""
                             << "\r";
        QTest::newRow("TCP") << "portImp=tcp192.168.0.2:6667"
                             << "TCP192.168.0.2:6667"
                             << "192.168.0.2"
                             << "6667"
                             << "\r     Port Imp: TCP192.168.0.2:6667";
    }
    void imprimante() {
        QFETCH(QString, option);
        Station s;
        QVERIFY(s.demarre(s.ligne(option + " op=" + MotDePasse('Y'))));
        QTEST(s.r().portImp, "portImp");
        QTEST(s.r().AdresseImp, "adresse");
        QTEST(s.r().PortTcpImp, "portTcp");
        QFETCH(QString, info);
        QCOMPARE(s.f->poste().info(), VersionTexte() + info);
    }

    // A second station on the same print-server port warns and runs without one.
    void serveurImpression() {
        QTcpServer occupant;
        QVERIFY(occupant.listen(QHostAddress::Any));
        const QString occupe = QString::number(occupant.serverPort());
        Station s;
        QVERIFY(s.demarre(s.ligne("portSrv=" + occupe + " portImp=PRN op=" + MotDePasse('1'))));
        QCOMPARE(s.op.boites(), QStringList{TextesServeur::portOccupe});
        QCOMPARE(s.r().portSrv, QString());
        QCOMPARE(s.f->poste().info(), VersionTexte() + "\r");

        QTcpServer sonde;
        QVERIFY(sonde.listen(QHostAddress::Any));
        const QString libre = QString::number(sonde.serverPort());
        sonde.close();
        Station t;
        QVERIFY(t.demarre(t.ligne("portSrv=" + libre + " op=" + MotDePasse('1'))));
        QVERIFY(t.op.boites().isEmpty());
        QCOMPARE(t.r().portSrv, libre);
        QCOMPARE(t.f->poste().info(),
                 VersionTexte() + "\rSrv ImpEtq sur port: " + libre + "     Port Imp: COM2");
        t.f->mnuVersionLogiciel->trigger();
        QVERIFY(t.op.boites().first().contains(
            "\rPort Imp Etq: COM2\rServeur Imp Etq sur port: " + libre + "\r"));
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, libre.toUShort());
        QVERIFY(client.waitForConnected(5000));
    }

    void motDePasseDemande_data() {
        QTest::addColumn<QString>("tape");
        QTest::addColumn<bool>("accepte");
        QTest::newRow("majuscules") << MotDePasse('7') << true;
        QTest::newRow("minuscules") << MotDePasse('7').toLower() << true;
        QTest::newRow("faux") << "DEMO7002" << false;
    }
    void motDePasseDemande() {
        QFETCH(QString, tape);
        QFETCH(bool, accepte);
        Station s;
        s.op.repond(tape);
        QCOMPARE(s.demarre(s.ligne("com=2")), accepte);
        const auto& dialogue = s.op.echanges.first();
        QCOMPARE(dialogue.genre, OperateurScripte::Genre::MotDePasse);
        const VersionLogiciel v = versionLogiciel();
        QCOMPARE(dialogue.titre, QStringLiteral("Calvanet   v%1.%2.%3 (%4)")
                                     .arg(v.major)
                                     .arg(v.minor)
                                     .arg(v.revision)
                                     .arg(v.commentaire));
        QCOMPARE(dialogue.texte, Msg[101]);
        if (accepte) {
            QCOMPARE(s.op.echanges.size(), 1);
            QCOMPARE(s.r().CodeOperateur, QStringLiteral("7"));
            QCOMPARE(s.f->windowTitle(), QStringLiteral("Programmation/  com2 op=7"));
        } else {
            QCOMPARE(s.op.boites(), QStringList{Msg[102]});
            QCOMPARE(Msg[102], QStringLiteral("MOT de PASSE OPERATEUR ERRONE"));
            QCOMPARE(s.op.dernier().icone, Icone::Critique);
            QCOMPARE(s.codeFin, 1);
        }
    }

    void motDePasseVideTermine() {
        Station s;
        s.op.repond(QString());
        QVERIFY(!s.demarre(s.ligne("com=1")));
        QCOMPARE(s.op.echanges.size(), 1); // the dialog, and no box after it
        QCOMPARE(s.codeFin, 1);
        QVERIFY(!QFile::exists(s.trace("SNcarte.txt")));
    }

    void motDePasseFauxEnOption() {
        Station s;
        QVERIFY(!s.demarre(s.ligne("op=PASBON12")));
        QCOMPARE(s.op.boites(), QStringList{Msg[102]});
        QVERIFY(s.op.inattendus.isEmpty());
    }

    void fichierDesMotsDePasseAbime_data() {
        QTest::addColumn<QByteArray>("contenu"); // null: no file
        QTest::addColumn<QString>("debut");
        QTest::newRow("absent") << QByteArray()
                                << "fichier des mots de passe operateurs introuvable : ";
        QTest::newRow("sans sel") << QByteArray("pbkdf2-sha256 200000\n")
                                  << "fichier des mots de passe operateurs invalide : ";
    }
    void fichierDesMotsDePasseAbime() {
        QFETCH(QByteArray, contenu);
        QFETCH(QString, debut);
        QTemporaryDir d;
        const QString chemin = d.filePath("operateurs.mdp");
        if (!contenu.isNull()) {
            QFile f(chemin);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(contenu);
        }
        qputenv("CALVANET_MOTS_DE_PASSE", chemin.toUtf8());
        Station s;
        const bool demarre = s.demarre(s.ligne("com=1 op=" + MotDePasse('Y')));
        qputenv(
            "CALVANET_MOTS_DE_PASSE",
            (qEnvironmentVariable("CALVANET_SOURCE") + "/station/operateurs-demo.mdp").toUtf8());
        QVERIFY(!demarre);
        QCOMPARE(s.op.echanges.size(), 1); // one box, and no password asked for nothing
        QVERIFY2(s.op.dernier().texte.startsWith(debut + chemin), qPrintable(s.op.dernier().texte));
        QCOMPARE(s.op.dernier().icone, Icone::Critique);
        QCOMPARE(s.codeFin, 1);
        QVERIFY(!QFile::exists(s.trace("SNcarte.txt")));
    }

    void dossierDeTraceInutilisable() {
        Station s;
        const QString absent = s.dossier.filePath("absent");
        QVERIFY(!s.demarre("pp=" + absent + " op=" + MotDePasse('1')));
        QCOMPARE(s.op.boites(), (QStringList{absent + " " + Msg[103], TexteAideLigneCde()}));
        QCOMPARE(Msg[103], QStringLiteral("est un nom de chemin non valide"));
        QCOMPARE(s.op.echanges.first().icone, Icone::Critique);
        QCOMPARE(s.codeFin, 1);
    }

    // Any other failure to open the card trace: its own box, then the end.
    void fichierDeTraceInouvrable() {
        Station s;
        QVERIFY(QDir(s.dossier.path()).mkdir("SNcarte.txt"));
        QVERIFY(!s.demarre(s.ligne("op=" + MotDePasse('1'))));
        QCOMPARE(s.op.boites().size(), 1);
        QVERIFY2(s.op.boites().first().startsWith(s.trace("SNcarte.txt") + " : "),
                 qPrintable(s.op.boites().first()));
        QCOMPARE(s.op.dernier().icone, Icone::Critique);
        QCOMPARE(s.codeFin, 1);
    }

    void fichiersDeTrace_data() {
        QTest::addColumn<QByteArray>("snCarte"); // null: no file
        QTest::addColumn<QString>("dernierSN");
        QTest::newRow("absent") << QByteArray() << "";
        QTest::newRow("vide") << QByteArray("") << "";
        QTest::newRow("en-tete") << QByteArray("dernier SN: 0A1B  08/12/2026 10:11:12\r\n"
                                               "08/12/2026 10:11:12 - 0 1 SN=0A1B - (A50)\r\n")
                                 << "dernier SN=0A1B";
    }
    void fichiersDeTrace() {
        QFETCH(QByteArray, snCarte);
        QFETCH(QString, dernierSN);
        Station s;
        if (!snCarte.isNull()) {
            QFile f(s.trace("SNcarte.txt"));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(snCarte);
        }
        QVERIFY(s.demarre(s.ligne("op=" + MotDePasse('1'))));
        QCOMPARE(s.f->LblDernierSN->text(), dernierSN);
        QCOMPARE(s.f->poste().LblDernierSN(), dernierSN);
        if (!dernierSN.isEmpty())
            QCOMPARE(dernierSN, Msg[17] + "=0A1B");
        QFile carte(s.trace("SNcarte.txt"));
        QVERIFY(carte.open(QIODevice::ReadOnly));
        QCOMPARE(carte.readAll(), snCarte.isNull() ? QByteArray("") : snCarte); // untouched
        QVERIFY(QFile::exists(s.trace("SNrail.txt")));
        QCOMPARE(QFileInfo(s.trace("SNrail.txt")).size(), 0);
        QVERIFY(!QFile::exists(s.trace("TestPlateauSeul.txt")));
    }

    void droits_data() {
        QTest::addColumn<QChar>("code");
        QTest::addColumn<QStringList>("visibles");
        QTest::addColumn<QString>("titre");
        const QStringList kControlesMeuble = ControlesDuDroit("DroitMeuble");
        const QStringList kControlesProg = ControlesDuDroit("DroitProgrammation");
        const QStringList kControlesRails = ControlesDuDroit("DroitTestRails");
        const QStringList kControlesPlateau = ControlesDuDroit("DroitTestPlateau");
        const QStringList tous =
            kControlesMeuble + kControlesProg + kControlesRails + kControlesPlateau;
        for (QChar c : QStringLiteral("Y12"))
            QTest::newRow(qPrintable(QStringLiteral("tous droits ") + c))
                << c << tous << "Test Rails/ Programmation/  com1 op=" + QString(c);
        for (QChar c : QStringLiteral("3456"))
            QTest::newRow(qPrintable(QStringLiteral("meuble et programmation ") + c))
                << c << kControlesMeuble + kControlesProg
                << "Programmation/  com1 op=" + QString(c);
        for (QChar c : QStringLiteral("789AB"))
            QTest::newRow(qPrintable(QStringLiteral("programmation ") + c))
                << c << kControlesProg << "Programmation/  com1 op=" + QString(c);
        for (QChar c : QStringLiteral("CDEF"))
            QTest::newRow(qPrintable(QStringLiteral("rails ") + c))
                << c << kControlesRails << "Test Rails/  com1 op=" + QString(c);
        for (QChar c : QStringLiteral("GHI"))
            QTest::newRow(qPrintable(QStringLiteral("plateau ") + c))
                << c << kControlesPlateau << " com1 op=" + QString(c);
    }
    void droits() {
        QFETCH(QChar, code);
        QFETCH(QStringList, visibles);
        QFETCH(QString, titre);
        Station s;
        QVERIFY(s.demarre(s.ligne("op=" + MotDePasse(code))));
        QCOMPARE(s.r().CodeOperateur, QString(code));
        QCOMPARE(s.f->windowTitle(), titre);
        const QStringList kControlesDroits = ControlesDuDroit();
        QVERIFY(!kControlesDroits.isEmpty());
        QStringList vus;
        for (const QString& nom : kControlesDroits) {
            auto* w = s.f->findChild<QWidget*>(nom);
            QVERIFY2(w, qPrintable(nom));
            if (w->isVisibleTo(s.f.get()))
                vus << nom;
        }
        QCOMPARE(vus, [&] {
            QStringList attendus;
            for (const QString& nom : kControlesDroits)
                if (visibles.contains(nom))
                    attendus << nom;
            return attendus;
        }());
        // Controls no right switches stay for everyone.
        for (const char* nom : {"BtVerifConnection", "BtUploader", "BTrenomCarte",
                                "BtImpEtqCarteLue", "BtSTOP", "info"})
            QVERIFY2(s.f->findChild<QWidget*>(nom)->isVisibleTo(s.f.get()), nom);
        QCOMPARE(s.r().DroitMeuble, visibles.contains("BtAttribueMeuble"));
        QCOMPARE(s.r().DroitProgrammation, visibles.contains("BtAttribuSN"));
        QCOMPARE(s.r().DroitTestRails, visibles.contains("BtTestRailsMeuble"));
        QCOMPARE(s.r().DroitTestPlateau, visibles.contains("BtTestPlateauSeul"));
    }

    void titreAvecLePortEntier() {
        Station s;
        QVERIFY(s.demarre(s.ligne("com=12 op=" + MotDePasse('1'))));
        QVERIFY(s.f->windowTitle().endsWith(" com12 op=1"));
    }

    void boiteVersion_data() {
        QTest::addColumn<QString>("options");
        QTest::addColumn<QStringList>("lignes");
        QTest::newRow("sans imprimante ni serveur")
            << "portImp=PRN us=5"
            << QStringList{
                   VersionTexte(),
                   "code usine : 5",
                   "code operateur : 1",
                   "chemin+prog du programme plateau : c:\\morvane\\appli\\progCompletPlateau.hex",
                   "port serie de la carte : 4:9600,n,8,1",
                   "chemin du prog ICPROG.exe: @"};
        QTest::newRow("avec imprimante")
            << "portImp=LPT1"
            << QStringList{
                   VersionTexte(),
                   "code usine : 0",
                   "code operateur : 1",
                   "chemin+prog du programme plateau : c:\\morvane\\appli\\progCompletPlateau.hex",
                   "port serie de la carte : 4:9600,n,8,1",
                   "Port Imp Etq: LPT1",
                   "chemin du prog ICPROG.exe: @"};
    }
    void boiteVersion() {
        QFETCH(QString, options);
        QFETCH(QStringList, lignes);
        Station s;
        QVERIFY(s.demarre(s.ligne("com=4 op=" + MotDePasse('1') + " " + options)));
        lignes.replaceInStrings("@", s.dossier.path());
        s.f->mnuVersionLogiciel->trigger();
        QCOMPARE(s.op.boites().size(), 1);
        const QString texte = s.op.boites().first();
        QVERIFY(texte.endsWith('\r'));
        QCOMPARE(texte.chopped(1).split('\r'), lignes);
        QCOMPARE(s.op.dernier().titre, QString()); // the program's name
    }

    void menuAideLigneDeCommande() {
        Station s;
        QVERIFY(s.demarre(s.ligne("op=" + MotDePasse('1'))));
        s.f->mnuAffLigneCde->trigger();
        QCOMPARE(s.op.boites(), QStringList{TexteAideLigneCde()});
    }

    void toucheDemandeArret() {
        Station s;
        QVERIFY(s.demarre(s.ligne("op=" + MotDePasse('1'))));
        s.f->show();
        QVERIFY(QTest::qWaitForWindowExposed(s.f.get()));
        QVERIFY(!s.f->poste().ArretDemande);
        QTest::keyClick(s.f->BtAttribuSN, Qt::Key_A);
        QVERIFY(s.f->poste().ArretDemande);

        // A key typed in another window is not a stop request.
        s.f->poste().ArretDemande = false;
        QLineEdit ailleurs;
        ailleurs.show();
        QTest::keyClick(&ailleurs, Qt::Key_B);
        QVERIFY(!s.f->poste().ArretDemande);
    }

    void boutonArret() {
        Station s;
        QVERIFY(s.demarre(s.ligne("op=" + MotDePasse('1'))));
        s.f->poste().MontreBtCancel(true);
        s.f->poste().LegendeBtCancel("STOP test");
        s.f->poste().CouleurBtCancel(Qt::red);
        QVERIFY(s.f->BtCancel->isVisibleTo(s.f.get()));
        QCOMPARE(TexteAffiche(s.f->BtCancel->text()), QStringLiteral("STOP test"));
        QTest::mouseClick(s.f->BtCancel, Qt::LeftButton);
        QVERIFY(s.f->poste().ArretDemande);
        QCOMPARE(s.f->poste().finsDemandees, 0);
    }

    void finDuProgramme_data() {
        QTest::addColumn<bool>("parSTOP");
        QTest::newRow("BtSTOP") << true;
        QTest::newRow("fermeture de la fenetre") << false;
    }
    void finDuProgramme() {
        QFETCH(bool, parSTOP);
        Station s;
        QVERIFY(s.demarre(s.ligne("op=" + MotDePasse('1'))));
        HistoriquePoste vu(s.f->poste());
        QStringList etapes;
        s.f->poste().SurFermeture([&] { etapes << "serveur"; });
        int codeArret = -1;
        s.f->poste().arretProcessus = [&](int code) { codeArret = code; };
        s.f->show();
        QVERIFY(QTest::qWaitForWindowExposed(s.f.get()));
        if (parSTOP)
            QTest::mouseClick(s.f->BtSTOP, Qt::LeftButton);
        else
            s.f->close();
        QCOMPARE(codeArret, 0);
        QCOMPARE(etapes, QStringList{"serveur"});
        QCOMPARE(s.f->poste().finsDemandees, 1);
        // The message window was closed by the closing steps.
        QVERIFY(!vu.historiqueMessages.empty());
        QCOMPARE(vu.historiqueMessages.back().texte, QString());
        // Nothing runs any more.
        bool lance = false;
        s.f->commandes.BtVerifConnection = [&] { lance = true; };
        s.f->BtVerifConnection->click();
        QVERIFY(!lance);
    }

    void visualiseurs_data() {
        QTest::addColumn<QString>("bouton");
        QTest::addColumn<QString>("fichier");
        QTest::newRow("carte") << "BtVisuTraceCarte"
                               << "SNcarte.txt";
        QTest::newRow("rail") << "BTVisuTraceRail"
                              << "SNrail.txt";
        QTest::newRow("plateau") << "BtVisuTraceTestPlateauSeul"
                                 << "TestPlateauSeul.txt";
    }
    void visualiseurs() {
        QFETCH(QString, bouton);
        QFETCH(QString, fichier);
        Station s;
        QVERIFY(s.demarre(s.ligne("op=" + MotDePasse('Y'))));
        QStringList ouverts;
        s.f->ouvreEditeur = [&](const QString& chemin) {
            ouverts << chemin;
            return false; // no editor: still no box
        };
        s.f->findChild<QPushButton*>(bouton)->click();
        QCOMPARE(ouverts, QStringList{s.trace(fichier)});
        QVERIFY(s.op.echanges.isEmpty());
    }

    // The card port is one: a workflow cannot start inside another one, but
    // cancel still works while it runs.
    void unSeulTravailALaFois() {
        Station s;
        QVERIFY(s.demarre(s.ligne("op=" + MotDePasse('Y'))));
        int verif = 0;
        bool aideOuverte = false;
        s.f->commandes.BtVerifConnection = [&] { ++verif; };
        s.f->commandes.BtAideProgrammation = [&] { aideOuverte = true; };
        s.f->commandes.BtAttribuSN = [&] {
            QVERIFY(s.f->travailEnCours());
            s.f->BtVerifConnection->click();
            s.f->BtAideProgrammation->click();
            s.f->BtCancel->click();
        };
        s.f->BtAttribuSN->click();
        QCOMPARE(verif, 0);
        QVERIFY(aideOuverte);
        QVERIFY(s.f->poste().ArretDemande);
        QVERIFY(!s.f->travailEnCours());
        s.f->BtVerifConnection->click();
        QCOMPARE(verif, 1);
    }

    void echecInattenduSignale() {
        Station s;
        QVERIFY(s.demarre(s.ligne("op=" + MotDePasse('Y'))));
        s.f->commandes.BtUploader = [] { throw std::runtime_error("disque plein"); };
        s.f->BtUploader->click();
        QCOMPARE(s.op.boites(), QStringList{"Erreur disque plein  dans BtUploader"});
        QVERIFY(!s.f->travailEnCours());
    }

    void affichagesDuPoste() {
        Station s;
        QVERIFY(s.demarre(s.ligne("op=" + MotDePasse('Y'))));
        Poste& p = s.f->poste();
        p.AfficheInfo("recherche carte\rport 1");
        QCOMPARE(s.f->info->text(), QStringLiteral("recherche carte\nport 1"));
        p.CouleurInfo(QColor(Qt::green));
        QCOMPARE(s.f->info->palette().color(QPalette::Window), QColor(Qt::green));
        p.AfficheDernierSN("dernier SN=0A1C");
        QCOMPARE(s.f->LblDernierSN->text(), QStringLiteral("dernier SN=0A1C"));
        QVERIFY(p.Message("recherche", 0, "RECHERCHE"));
        QVERIFY(!p.Message({}, 0, {}));
    }

    // Every documented control is in the window, under its name; every right
    // named is one of the four.
    void fichierDesControles() {
        const QList<Controle> controles = ControlesDocumentes();
        QVERIFY2(controles.size() > 20, "controles_fenetre.tsv missing or truncated");
        OperateurScripte op;
        F1posteProgrammation f(op);
        for (const Controle& c : controles) {
            QVERIFY2(f.findChild<QObject*>(c.nom), qPrintable(c.nom));
            QVERIFY2(
                QStringList({"bouton", "image", "etiquette", "menu", "entree"}).contains(c.genre),
                qPrintable(c.nom));
            QVERIFY2(c.droit.isEmpty() || QStringList({"DroitMeuble", "DroitProgrammation",
                                                       "DroitTestRails", "DroitTestPlateau"})
                                              .contains(c.droit),
                     qPrintable(c.nom));
        }
    }

    // The buttons, their captions as displayed and their tooltips, on the
    // window as an operator with every right has it after start-up.
    void inventaire_data() {
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QString>("legende");
        QTest::addColumn<QString>("bulle");
        for (const Controle& c : ControlesDuGenre({"bouton", "image"}))
            QTest::newRow(qPrintable(c.nom)) << c.nom << c.legende << c.bulle;
    }
    void inventaire() {
        QFETCH(QString, nom);
        QFETCH(QString, legende);
        QFETCH(QString, bulle);
        if (!demarree_) {
            demarree_ = std::make_unique<Station>();
            QVERIFY(demarree_->demarre(demarree_->ligne("op=" + MotDePasse('Y'))));
        }
        auto* b = demarree_->f->findChild<QPushButton*>(nom);
        QVERIFY(b);
        // Start-up names the card's future name on the assignment button.
        if (nom == "BtAttribuSN")
            legende += " (--> A50)";
        if (legende != kNonDocumente)
            QCOMPARE(TexteAffiche(b->text()), legende);
        if (bulle != kNonDocumente)
            QCOMPARE(b->toolTip(), bulle);
        QVERIFY(!b->text().isEmpty() || !b->icon().isNull());
    }

    void boutonsImages_data() {
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QString>("nomAccessible");
        for (const Controle& c : ControlesDuGenre({"image"}))
            QTest::newRow(qPrintable(c.nom)) << c.nom << c.nomLu;
    }
    void boutonsImages() {
        QFETCH(QString, nom);
        OperateurScripte op;
        F1posteProgrammation f(op);
        auto* b = f.findChild<QPushButton*>(nom);
        QVERIFY(b);
        QVERIFY(!b->icon().isNull());
        QTEST(b->accessibleName(), "nomAccessible");
    }

    void menuFonctions() {
        OperateurScripte op;
        F1posteProgrammation f(op);
        const QList<Controle> menu = ControlesDuGenre({"menu"});
        QCOMPARE(menu.size(), 1);
        QCOMPARE(TexteAffiche(f.mnuFonctions->title()), menu.first().legende);
        QCOMPARE(f.mnuFonctions->objectName(), menu.first().nom);
        QStringList noms, textes, nomsDocumentes, textesDocumentes;
        for (QAction* a : f.mnuFonctions->actions()) {
            noms << a->objectName();
            textes << TexteAffiche(a->text());
        }
        for (const Controle& c : ControlesDuGenre({"entree"})) {
            nomsDocumentes << c.nom;
            textesDocumentes << c.legende;
        }
        QCOMPARE(noms, nomsDocumentes);
        QCOMPARE(textes, textesDocumentes);
        const QList<Controle> etiquettes = ControlesDuGenre({"etiquette"});
        const auto infoProg = std::find_if(etiquettes.begin(), etiquettes.end(),
                                           [](const Controle& c) { return c.nom == "infoProg"; });
        QVERIFY(infoProg != etiquettes.end());
        QCOMPARE(f.infoProg->toolTip(), infoProg->bulle);
        QCOMPARE(f.objectName(), QStringLiteral("F1posteProgrammation"));
    }

    // The menu as the operator reads it.
    void entreesDuMenu_data() {
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QString>("texte");
        for (const Controle& c : ControlesDuGenre({"menu", "entree"}))
            QTest::newRow(qPrintable(c.nom)) << c.nom << c.legende;
    }
    void entreesDuMenu() {
        QFETCH(QString, nom);
        QFETCH(QString, texte);
        OperateurScripte op;
        F1posteProgrammation f(op);
        if (nom == f.mnuFonctions->objectName()) {
            QCOMPARE(TexteAffiche(f.mnuFonctions->title()), texte);
            return;
        }
        auto* a = f.findChild<QAction*>(nom);
        QVERIFY(a);
        QCOMPARE(TexteAffiche(a->text()), texte);
    }

private:
    std::unique_ptr<Station> demarree_; // started once, for the inventory
};

QTEST_MAIN(TstF1posteProgrammation)
#include "tst_F1posteProgrammation.moc"
