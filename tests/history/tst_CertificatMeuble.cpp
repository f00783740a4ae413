// The cabinet certificate as the customer receives it: the PDF read back by
// pdftotext, the JSON beside it, and the window that writes both.
#include "AttendModal.h"
#include "CertificatMeuble.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Dates are shown in local time: the bench's zone, whatever the machine's.
[[maybe_unused]] const bool kFuseau = qputenv("TZ", "Europe/Paris");

QDateTime Utc(int jour, int heure, int minute) {
    return QDateTime(QDate(2025, 3, jour), QTime(heure, minute), Qt::UTC);
}

PassageHistorique Passage(const QDateTime& debut, const QString& poste, IssuePassage issue) {
    PassageHistorique p;
    p.debut = debut;
    p.poste = poste;
    p.issue = issue;
    return p;
}

PlateauMeuble Plateau(int n, const QString& sn, const QString& fw,
                      std::optional<PassageHistorique> test,
                      std::optional<PassageHistorique> attribution) {
    PlateauMeuble p;
    p.plateau = n;
    p.sn = sn;
    p.versionFW = fw;
    p.testPlateauReussi = test && test->issue == IssuePassage::Reussi;
    p.dernierTestPlateau = test;
    p.derniereAttributionSN = attribution;
    return p;
}

// Tray 1 passed its tray test; tray 2's card failed it; tray 3's card has no
// run at all; no card took tray 4.
MeubleHistorique Meuble() {
    MeubleHistorique m;
    m.pharmacie = QStringLiteral("Pharmacie de l'Étoile");
    m.adresse = QStringLiteral("3 place du Marché, Annecy");
    m.meuble = QStringLiteral("B");
    m.premier = 1;
    m.dernier = 4;
    m.dateAttribution = Utc(12, 13, 5);
    m.posteAttribution = QStringLiteral("POSTE-F1-02");
    m.operateurAttribution = QStringLiteral("0Y7");
    m.plateaux = {
        Plateau(1, "0A1B", "PLT2 v2.14", Passage(Utc(11, 8, 30), "BANC-R1", IssuePassage::Reussi),
                Passage(Utc(11, 9, 10), "POSTE-F1-02", IssuePassage::Reussi)),
        Plateau(2, "0A2C", "PLT2 v2.13", Passage(Utc(11, 8, 45), "BANC-R1", IssuePassage::Echec),
                Passage(Utc(11, 9, 12), "POSTE-F1-02", IssuePassage::Abandon)),
        Plateau(3, "0A3D", "PLT2 v2.14", std::nullopt, std::nullopt),
        Plateau(4, QString(), QString(), std::nullopt, std::nullopt)};
    return m;
}

const QDateTime kEdition = Utc(12, 14, 0);

QString Sortie(const QString& programme, const QStringList& arguments) {
    QProcess p;
    p.start(programme, arguments);
    if (!p.waitForFinished(30000))
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The PDF's lines as pdftotext lays them out, runs of blanks made one space.
QStringList LignesPdf(const QString& chemin) {
    QStringList lignes;
    for (const QString& l :
         Sortie("pdftotext", {"-layout", chemin, "-"}).split('\n', Qt::SkipEmptyParts))
        lignes << l.simplified();
    return lignes;
}

QString LigneAvec(const QStringList& lignes, const QString& debut) {
    for (const QString& l : lignes)
        if (l.startsWith(debut))
            return l;
    return {};
}

QJsonObject LitJson(const QString& chemin) {
    QFile f(chemin);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(f.readAll()).object();
}

} // namespace

class TstCertificatMeuble : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty() ||
            QStandardPaths::findExecutable("pdfinfo").isEmpty())
            QFAIL("pdftotext and pdfinfo (poppler-utils) read the certificate back");
    }

    void pdfLu_data() {
        QTest::addColumn<QString>("cle");
        QTest::addColumn<QString>("attendu");
        QTest::newRow("titre") << "Certificat"
                               << "Certificat du meuble";
        QTest::newRow("pharmacie") << "Pharmacie"
                                   << "Pharmacie de l'Étoile";
        QTest::newRow("adresse") << "3 place"
                                 << "3 place du Marché, Annecy";
        QTest::newRow("meuble") << "Meuble B"
                                << "Meuble B, du plateau 1 au 4";
        QTest::newRow("attribution")
            << "Attribué"
            << "Attribué le 12/03/2025 14:05 par l'opérateur 0Y7 (poste POSTE-F1-02)";
        QTest::newRow("plateau passé")
            << "1 "
            << "1 0A1B PLT2 v2.14 11/03/2025 09:30 BANC-R1 réussi 11/03/2025 10:10 "
               "POSTE-F1-02 réussi";
        QTest::newRow("plateau en échec")
            << "2 "
            << "2 0A2C PLT2 v2.13 11/03/2025 09:45 BANC-R1 échec 11/03/2025 10:12 "
               "POSTE-F1-02 abandon sans test plateau réussi";
        QTest::newRow("plateau sans passage") << "3 0A3D"
                                              << "3 0A3D PLT2 v2.14 — — sans test plateau réussi";
        QTest::newRow("plateau sans carte") << "4 "
                                            << "4 — — —";
        QTest::newRow("édition") << "Édité"
                                 << "Édité le 12/03/2025 15:00";
    }
    // Each line of the page as the customer reads it, marks on their tray's line.
    void pdfLu() {
        QFETCH(QString, cle);
        QFETCH(QString, attendu);
        QTemporaryDir dir;
        const QString pdf = dir.filePath("certificat.pdf");
        QString erreur;
        QVERIFY2(EcritCertificat(Meuble(), kEdition, pdf, &erreur), qPrintable(erreur));
        QCOMPARE(LigneAvec(LignesPdf(pdf), cle), attendu);
    }

    void json() {
        QTemporaryDir dir;
        QString erreur;
        QVERIFY2(EcritCertificat(Meuble(), kEdition, dir.filePath("c.pdf"), &erreur),
                 qPrintable(erreur));
        auto passage = [](const char* date, const char* poste, const char* issue) {
            return QJsonObject{{"date", date}, {"poste", poste}, {"issue", issue}};
        };
        auto plateau = [](int n, const char* sn, const char* fw, const QJsonValue& test,
                          const QJsonValue& attribution, const char* marque) {
            return QJsonObject{{"plateau", n},
                               {"sn", sn},
                               {"firmware", fw},
                               {"dernierTestPlateau", test},
                               {"attributionSN", attribution},
                               {"marque", marque}};
        };
        const QJsonValue aucun(QJsonValue::Null);
        const QJsonObject attendu{
            {"pharmacie", "Pharmacie de l'Étoile"},
            {"adresse", "3 place du Marché, Annecy"},
            {"meuble", "B"},
            {"premierPlateau", 1},
            {"dernierPlateau", 4},
            {"attribution", QJsonObject{{"date", "2025-03-12T13:05:00Z"},
                                        {"poste", "POSTE-F1-02"},
                                        {"operateur", "0Y7"}}},
            {"edition", "2025-03-12T14:00:00Z"},
            {"plateaux",
             QJsonArray{plateau(1, "0A1B", "PLT2 v2.14",
                                passage("2025-03-11T08:30:00Z", "BANC-R1", "reussi"),
                                passage("2025-03-11T09:10:00Z", "POSTE-F1-02", "reussi"), ""),
                        plateau(2, "0A2C", "PLT2 v2.13",
                                passage("2025-03-11T08:45:00Z", "BANC-R1", "echec"),
                                passage("2025-03-11T09:12:00Z", "POSTE-F1-02", "abandon"),
                                "sans test plateau réussi"),
                        plateau(3, "0A3D", "PLT2 v2.14", aucun, aucun, "sans test plateau réussi"),
                        plateau(4, "", "", aucun, aucun, "")}}};
        QCOMPARE(QJsonDocument(LitJson(dir.filePath("c.json"))).toJson(QJsonDocument::Compact),
                 QJsonDocument(attendu).toJson(QJsonDocument::Compact));
    }

    // A full cabinet still fits one page, its last tray on it.
    void meublePleinSurUnePage() {
        MeubleHistorique m = Meuble();
        m.plateaux.clear();
        m.dernier = 55;
        for (int n = 1; n <= 55; ++n)
            m.plateaux << Plateau(n, QStringLiteral("0C%1").arg(n, 2, 10, QLatin1Char('0')),
                                  "PLT2 v2.14",
                                  Passage(Utc(11, 8, n), "BANC-R1", IssuePassage::Reussi),
                                  Passage(Utc(11, 9, n), "POSTE-F1-02", IssuePassage::Reussi));
        QTemporaryDir dir;
        const QString pdf = dir.filePath("plein.pdf");
        QString erreur;
        QVERIFY2(EcritCertificat(m, kEdition, pdf, &erreur), qPrintable(erreur));
        QVERIFY(Sortie("pdfinfo", {pdf}).contains(QRegularExpression("Pages:\\s+1\\n")));
        QCOMPARE(LigneAvec(LignesPdf(pdf), "55 "),
                 "55 0C55 PLT2 v2.14 11/03/2025 09:55 BANC-R1 réussi 11/03/2025 10:55 "
                 "POSTE-F1-02 réussi");
    }

    void nom_data() {
        QTest::addColumn<QString>("pharmacie");
        QTest::addColumn<QString>("meuble");
        QTest::addColumn<QString>("attendu");
        QTest::newRow("espaces") << "Pharmacie du Lac"
                                 << "B"
                                 << "certificat-Pharmacie_du_Lac-B.pdf";
        QTest::newRow("accents gardés") << "Pharmacie de l'Étoile"
                                        << "A"
                                        << "certificat-Pharmacie_de_l'Étoile-A.pdf";
        QTest::newRow("refusés") << "a\\b/c:d*e?f\"g<h>i|j"
                                 << "C"
                                 << "certificat-a_b_c_d_e_f_g_h_i_j-C.pdf";
        QTest::newRow("contrôle") << "Lac\tNord\n"
                                  << "D"
                                  << "certificat-Lac_Nord_-D.pdf";
    }
    void nom() {
        QFETCH(QString, pharmacie);
        QFETCH(QString, meuble);
        MeubleHistorique m;
        m.pharmacie = pharmacie;
        m.meuble = meuble;
        QTEST(NomCertificat(m), "attendu");
    }

    void echec_data() {
        QTest::addColumn<QString>("pdf");
        QTest::addColumn<QString>("nomme");
        QTest::newRow("dossier absent") << "absent/c.pdf"
                                        << "absent/c.pdf";
        QTest::newRow("dossier qui est un fichier") << "fichier/c.pdf"
                                                    << "fichier/c.pdf";
        // The PDF could be written, the JSON not: neither is.
        QTest::newRow("place du JSON prise") << "pris.pdf"
                                             << "pris.json";
    }
    void echec() {
        QFETCH(QString, pdf);
        QFETCH(QString, nomme);
        QTemporaryDir dir;
        QFile fichier(dir.filePath("fichier"));
        QVERIFY(fichier.open(QIODevice::WriteOnly));
        fichier.close();
        QVERIFY(QDir(dir.path()).mkdir("pris.json"));
        const QString chemin = dir.filePath(pdf);
        const QString json = chemin.chopped(4) + ".json";
        QString erreur;
        QVERIFY(!EcritCertificat(Meuble(), kEdition, chemin, &erreur));
        QVERIFY2(erreur.startsWith(QDir::toNativeSeparators(dir.filePath(nomme)) + " : "),
                 qPrintable(erreur));
        QVERIFY(!QFileInfo::exists(chemin));
        QVERIFY(!QFileInfo(json).isFile());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot),
                 QStringList{"fichier"});
    }

    // The window writes where the operator chose and says where; a failed
    // write is told in a box and leaves no file.
    void fenetre() {
        QTemporaryDir dir;
        QWidget* w = AfficheCertificat(Meuble(), nullptr);
        QPointer<QWidget> garde(w);
        auto* f = qobject_cast<FenetreCertificat*>(w);
        QVERIFY(f);
        QCOMPARE(f->objectName(), "CertificatMeuble");
        QCOMPARE(f->windowTitle(), "Certificat du meuble");
        QVERIFY(f->isVisible());
        QVERIFY(!f->grab().isNull());
        QCOMPARE(f->BtEnregistrerCertificat->text(), "Enregistrer le PDF");

        QString choisi = dir.filePath("certificat-B.pdf");
        f->demandeFichier = [&] { return choisi; };
        QTest::mouseClick(f->BtEnregistrerCertificat, Qt::LeftButton);
        const QString json = dir.filePath("certificat-B.json");
        QCOMPARE(f->LblEtatCertificat->text(),
                 "Certificat écrit : " + QDir::toNativeSeparators(choisi) + " et " +
                     QDir::toNativeSeparators(json));
        QVERIFY(LigneAvec(LignesPdf(choisi), "2 0A2C").endsWith("sans test plateau réussi"));
        QCOMPARE(LitJson(json).value("meuble").toString(), "B");

        choisi = dir.filePath("absent/certificat-B.pdf");
        QString texte;
        quandModal([&](QWidget* modal) {
            if (auto* boite = qobject_cast<QMessageBox*>(modal)) {
                texte = boite->text();
                QCOMPARE(boite->icon(), QMessageBox::Warning);
            }
            modal->close();
        });
        QTest::mouseClick(f->BtEnregistrerCertificat, Qt::LeftButton);
        QVERIFY2(texte.startsWith("Le certificat n'a pas pu être écrit :\n" +
                                  QDir::toNativeSeparators(choisi) + " : "),
                 qPrintable(texte));
        QCOMPARE(f->LblEtatCertificat->text(), "Certificat non écrit");
        QVERIFY(!QFileInfo::exists(dir.filePath("absent")));

        f->close();
        QTRY_VERIFY(garde.isNull());
    }
};

QTEST_MAIN(TstCertificatMeuble)
#include "tst_CertificatMeuble.moc"
