// The record of an assigned cabinet in "AttribMeuble.txt" and its printed
// sheet, read back as a production engineer and a printer would.
#include "BancMeuble.h"
#include "LiaisonCarte.h"
#include "TracesTest.h"

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest>

namespace {

const QByteArray kSeparateur(104, '-');
const QByteArray kEtoiles(86, '*');
const QByteArray kEntete =
    "* Plateau * SNcarte *    SNsaisie     *     FW     * ancien * msg                    *";

// Dates and times differ from run to run; the rest is compared byte for byte.
QByteArray SansDate(const QByteArray& octets) {
    QByteArray r = octets;
    static const QRegularExpression date(QStringLiteral("\\d\\d/\\d\\d/\\d{4}"));
    static const QRegularExpression heure(QStringLiteral("\\d\\d:\\d\\d:\\d\\d"));
    return QString::fromLatin1(r)
        .replace(date, QStringLiteral("JJ/MM/AAAA"))
        .replace(heure, QStringLiteral("hh:mm:ss"))
        .toLatin1();
}

// Text of a PDF as pdftotext reads it, every run of blanks made one space.
QString TextePdf(const QString& chemin) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), chemin, QStringLiteral("-")});
    if (!p.waitForFinished(30000))
        return {};
    return QString::fromUtf8(p.readAllStandardOutput()).simplified();
}

int PagesPdf(const QString& chemin) {
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {chemin});
    p.waitForFinished(30000);
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)"))
                                          .match(QString::fromUtf8(p.readAllStandardOutput()));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

QString Simplifie(const QByteArray& ligne) {
    return QString::fromLatin1(ligne).simplified();
}

// The PDF named by the last box ("... enregistrée dans" CR path).
QString PdfAnnonce(const BancMeuble& b) {
    const QString boite = b.derniereBoite();
    const qsizetype cr = boite.lastIndexOf(QLatin1Char('\r'));
    return cr < 0 ? QString() : boite.mid(cr + 1);
}

} // namespace

class TstFeuilleMeuble : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty() ||
            QStandardPaths::findExecutable("pdfinfo").isEmpty())
            QFAIL("pdftotext and pdfinfo (poppler-utils) read the sheet back");
    }

    // Tray 5 of cabinet A, its SN scanned from the card's product code, a
    // card that still carries its factory name A5.
    void enregistrementOctetParOctet() {
        BancMeuble b;
        QVERIFY(b.ouvre());
        b.carte([](CarteSimulee& c) {
            c.nom = "A5";
            c.sn = "1234";
            c.version = "F12";
            c.apresSN = "c";
        });
        b.cree("A", "5", "5", {"C8-1234-0526-03"}, "Pharmacie du Centre", "12 rue Haute");
        b.cliqueMeuble(b.w->BtAttribuerCartes);
        const QByteArray attendu =
            kSeparateur + "\r\n" +
            "le JJ/MM/AAAA \xe0 hh:mm:ss  operateur: 0Y\r\n"
            "PHARMACIE : Pharmacie du Centre    12 rue Haute\r\n"
            "Meuble 'A'   1 plateau(x)    du plateau 5 au 5\r\n" +
            kEtoiles + "\r\n" + kEntete + "\r\n" + kEtoiles + "\r\n" +
            "*  A-05   *  1234   * C8-1234-0526-03 * F12        *  A-5   * F12[1234c]          "
            "           *\r\n" +
            kEtoiles + "\r\n";
        QCOMPARE(SansDate(Lit(b.fichier("AttribMeuble.txt"))), attendu);
        QVERIFY(b.op.boites().isEmpty());
    }

    // A missing card, a 4-character SN, a removed line; then the same cabinet
    // assigned again: two records, the first one untouched.
    void deuxAttributions() {
        BancMeuble b;
        QVERIFY(b.ouvre());
        b.carteUsine("0B01");
        b.carteUsine("0B03");
        b.cree("A", "1", "4", {"0B01", "0B02", "0B03", "0B04"});
        b.w->ListSN->setCurrentRow(3);
        QTest::keyClick(b.w->ListSN, Qt::Key_Delete);
        b.cliqueMeuble(b.w->BtAttribuerCartes);
        const QByteArray premier = Lit(b.fichier("AttribMeuble.txt"));
        const QList<QByteArray> lignes = premier.split('\n');
        QCOMPARE(lignes.size(), 1 + 4 + 3 + 3 + 1);
        QCOMPARE(lignes.at(3), QByteArray("Meuble 'A'   3 plateau(x)    du plateau 1 au 4\r"));
        QCOMPARE(lignes.at(7), QByteArray("*  A-01   *  0B01   * 0B01            * PLT2 v2.14 *  "
                                          "A-5   * PLT2 v2.14[0B01c]              *\r"));
        QCOMPARE(lignes.at(8), QByteArray("*  A-02   *         * 0B02            *            *  "
                                          "      * Err: Time Out                  *\r"));
        QCOMPARE(lignes.at(9).left(11), QByteArray("*  A-03   *"));

        b.cliqueMeuble(b.w->BtAttribuerCartes);
        const QByteArray deux = Lit(b.fichier("AttribMeuble.txt"));
        QVERIFY(deux.startsWith(premier));
        QCOMPARE(deux.count(kSeparateur + "\r\n"), 2);
        QVERIFY(deux.mid(premier.size()).startsWith(kSeparateur + "\r\n"));
        // The cards kept their tray names between the two runs.
        QVERIFY(deux.mid(premier.size())
                    .contains("*  A-01   *  0B01   * 0B01            * "
                              "PLT2 v2.14 *  A-1   *"));
    }

    // The record file cannot be opened: a box names it, the station goes on
    // and the outcome stays in the tray list.
    void fichierInaccessible() {
        BancMeuble b;
        QVERIFY(b.ouvre());
        b.carteUsine("0B01");
        QVERIFY(QDir().mkdir(b.fichier("AttribMeuble.txt")));
        b.cree("A", "1", "1", {"0B01"});
        b.cliqueMeuble(b.w->BtAttribuerCartes);
        QCOMPARE(b.op.boites().size(), 1);
        QVERIFY(b.derniereBoite().startsWith(
            "Impossible d'ouvrir " + b.fichier("AttribMeuble.txt") + " pour y ajouter ce meuble"));
        QCOMPARE(b.lignes(), QStringList{"A-01  SN=0B01  PLT2 v2.14 "});
        QVERIFY(!b.f->poste().programmeTermine());
        QVERIFY(!PortCarteEstOuvert(b.f->poste()));
        QVERIFY(b.w->isVisible());
    }

    // The record file goes away while the cards are read: the box says so,
    // and the state says the cabinet was not recorded, during and after it.
    void enregistrementRefuse() {
        BancMeuble b;
        QVERIFY(b.ouvre());
        b.carteUsine("0B01");
        b.cree("A", "1", "2", {"0B01", "0B02"});
        // Tray 2 has no card: its third "VA2" (the record's) waits between
        // two tries, and the record file becomes a folder meanwhile.
        QTimer veille;
        QObject::connect(&veille, &QTimer::timeout, [&] {
            if (b.bus->commandes().count("VA2") >= 3 &&
                !QFileInfo(b.fichier("AttribMeuble.txt")).isDir()) {
                QFile::remove(b.fichier("AttribMeuble.txt"));
                QDir().mkdir(b.fichier("AttribMeuble.txt"));
            }
        });
        veille.start(0);
        QString etatPendant;
        b.op.pendantBoite = [&](const OperateurScripte::Echange&) {
            etatPendant = b.w->LblEtat->text();
        };
        b.cliqueMeuble(b.w->BtAttribuerCartes);
        QCOMPARE(b.op.boites().size(), 1);
        QVERIFY2(b.derniereBoite().startsWith("Le meuble n'a pas pu être ajouté à " +
                                              b.fichier("AttribMeuble.txt")),
                 qPrintable(b.derniereBoite()));
        QCOMPARE(etatPendant, QString("Meuble non mémorisé"));
        QCOMPARE(b.w->LblEtat->text(), QString("Meuble non mémorisé"));
    }

    // A second cabinet in the same window: its sheet names its own cards
    // only, never what was typed or read for the first one.
    void secondMeuble() {
        BancMeuble b;
        QVERIFY(b.ouvre());
        b.carteUsine("M001");
        b.carteUsine("M002");
        b.cree("A", "1", "2", {"M001", "M002"});
        b.cliqueMeuble(b.w->BtAttribuerCartes);
        QVERIFY(Lit(b.fichier("AttribMeuble.txt")).contains("* M002            *"));
        b.cree("B", "1", "2", {"M001", ""});
        b.op.echanges.clear();
        b.w->ChkFeuillePDF->setChecked(true);
        b.cliqueMeuble(b.w->BtEditFeuilleMeuble);
        const QString texte = TextePdf(PdfAnnonce(b));
        for (const QString& a :
             {Simplifie("*  B-01   *         * M001            *            *        * "
                        "Err: Time Out          *"),
              Simplifie("*  B-02   *         *                 *            *        * "
                        "Err: Time Out          *")})
            QVERIFY2(texte.contains(a), qPrintable(a + "\n--- in ---\n" + texte));
        QVERIFY(!texte.contains("M002"));
        QVERIFY(!texte.contains("A-5"));
    }

    void feuilleListeVide() {
        BancMeuble b;
        QVERIFY(b.ouvre());
        b.w->ChkFeuillePDF->setChecked(true);
        b.cliqueMeuble(b.w->BtEditFeuilleMeuble);
        QCOMPARE(b.op.boites(), QStringList{"Vous devez commencer par creer un meuble"});
        QVERIFY(QDir(b.dossier.path()).entryList({"*.pdf"}).isEmpty());
    }

    // The sheet as a PDF, read back: the pharmacy, the cabinet, the title and
    // every row; a long reply cut to its cell.
    void feuillePdf() {
        BancMeuble b;
        QVERIFY(b.ouvre());
        b.carteUsine("0B01");
        b.carte([](CarteSimulee& c) {
            c.nom = "A5";
            c.sn = "0B02";
            c.version = "VERSION-TRES-LONGUE-2026";
        });
        b.cree("A", "1", "3", {"C8-0B01-4926-0Y", "0B02", "0B03"}, "Pharmacie du Centre",
               "12 rue Haute");
        b.cliqueMeuble(b.w->BtAttribuerCartes);
        const QByteArray fichier = Lit(b.fichier("AttribMeuble.txt"));
        // Kept to 30 characters in the file.
        QVERIFY(fichier.contains("* VERSION-TRES-LONGUE-2026[0B02c *\r\n"));

        b.op.echanges.clear();
        b.bus->videJournal();
        b.w->ChkFeuillePDF->setChecked(true);
        b.cliqueMeuble(b.w->BtEditFeuilleMeuble);
        QCOMPARE(b.op.boites().size(), 1);
        QCOMPARE(b.op.dernier().icone, Icone::Information);
        const QString pdf = PdfAnnonce(b);
        QVERIFY(b.derniereBoite().startsWith("La feuille du meuble A est enregistrée dans\r"));
        QCOMPARE(QFileInfo(pdf).absolutePath(), QFileInfo(b.dossier.path()).absoluteFilePath());
        QVERIFY(QFileInfo(pdf).fileName().startsWith("FeuilleMeuble_A_"));
        QCOMPARE(PagesPdf(pdf), 1);
        QCOMPARE(b.bus->deroulement(),
                 (QList<QByteArray>{"ouverture", "VA1", "VA2", "VA3", "VA3", "fermeture"}));
        QCOMPARE(b.w->LblEtat->text(), QString("Fin d'edition"));
        QVERIFY(!b.w->ProgressBar1->isVisible());

        const QString texte = TextePdf(pdf);
        const QStringList attendus{
            "PHARMACIE :",
            "Pharmacie du Centre",
            "12 rue Haute",
            "Meuble 'A' 3 plateau(x)",
            "du plateau 1 au 3",
            "Feuille d'attribution",
            "operateur: 0Y",
            Simplifie(kEtoiles),
            Simplifie(kEntete),
            Simplifie("*  A-01   *  0B01   * C8-0B01-4926-0Y * PLT2 v2.14 *  A-5   * "
                      "PLT2 v2.14[0B01c]      *"),
            Simplifie("*  A-02   *  0B02   * 0B02            * VERSION-TR *  A-5   * "
                      "VERSION-TRES-LONGUE-20 *"),
            Simplifie("*  A-03   *         * 0B03            *            *        * "
                      "Err: Time Out          *"),
        };
        for (const QString& a : attendus)
            QVERIFY2(texte.contains(a), qPrintable(a + "\n--- in ---\n" + texte));
        // Cut on the sheet.
        QVERIFY(!texte.contains("VERSION-TRES-LONGUE-202"));

        // In Lucida Console where it is installed, else the fixed-width font
        // of the platform; regular and bold.
        const QString lucida = "Lucida Console";
        const QString famille = QFontInfo(QFontDatabase::families().contains(lucida)
                                              ? QFont(lucida)
                                              : QFontDatabase::systemFont(QFontDatabase::FixedFont))
                                    .family();
        QProcess polices;
        polices.start("pdffonts", {pdf});
        QVERIFY(polices.waitForFinished(30000));
        const QString liste = QString::fromUtf8(polices.readAllStandardOutput());
        QVERIFY2(liste.contains(QString(famille).remove(' ') + "-Bold"), qPrintable(liste));
        QVERIFY2(liste.count(QString(famille).remove(' ')) >= 2, qPrintable(liste));
    }

    // Without a printer the sheet is a PDF too, and the operator is told so.
    void sansImprimante() {
        if (!QPrinterInfo::defaultPrinter().isNull())
            QSKIP("a printer is installed here: the sheet would be printed on it");
        BancMeuble b;
        QVERIFY(b.ouvre());
        b.carteUsine("0B01");
        b.cree("A", "1", "1", {"0B01"});
        b.cliqueMeuble(b.w->BtEditFeuilleMeuble);
        QVERIFY(b.derniereBoite().startsWith(
            "Aucune imprimante n'est installée : la feuille du meuble A est enregistrée dans\r"));
        QCOMPARE(PagesPdf(PdfAnnonce(b)), 1);
    }

    // 55 trays fit one page.
    void feuille55Plateaux() {
        BancMeuble b;
        QVERIFY(b.ouvre());
        QStringList sns;
        for (int n = 1; n <= 55; ++n) {
            sns << QStringLiteral("M%1").arg(n, 3, 10, QLatin1Char('0'));
            b.carteUsine(sns.last().toLatin1(), NomCarteSimulee('A', n));
        }
        const QString longue = "Grande Pharmacie de la Place du Marché Saint-Antoine";
        b.cree("A", "1", "55", sns, longue, "12 rue Haute");
        b.w->ChkFeuillePDF->setChecked(true);
        b.cliqueMeuble(b.w->BtEditFeuilleMeuble);
        const QString pdf = PdfAnnonce(b);
        QCOMPARE(PagesPdf(pdf), 1);
        const QString texte = TextePdf(pdf);
        QVERIFY(texte.contains("Meuble 'A' 55 plateau(x)"));
        // Written smaller to fit the page, not cut.
        QVERIFY(texte.contains(longue));
        for (int n : {1, 28, 55})
            QVERIFY2(texte.contains(
                         QStringLiteral("* A-%1 * M0%1 * M0%1 *").arg(n, 2, 10, QLatin1Char('0'))),
                     qPrintable(QString::number(n)));
    }
};

QTEST_MAIN(TstFeuilleMeuble)
#include "tst_FeuilleMeuble.moc"
