// Access (Jet) translation bases: the table read with libmdb from a real Jet
// file, the copy of a table Traductions into a new SQLite base (read back with
// the sqlite3 program), and the command's refusals, which leave every file
// as it was.
#include "ConversionJet.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kEchantillon = QStringLiteral(CALVANET_ECHANTILLON_JET);

QStringList Sqlite3(const QString& base, const QString& requete) {
    QProcess p;
    p.start(QStringLiteral("sqlite3"), {QStringLiteral("-batch"), base, requete});
    p.waitForFinished(10000);
    return QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

QByteArray Empreinte(const QString& fichier) {
    QFile f(fichier);
    f.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

struct Resultat {
    int code;
    QString sortie;
};
Resultat Commande(const QStringList& arguments) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(qEnvironmentVariable("CALVANET_BUILD") + "/i18n/outils/calvanet-convertitmdb",
            arguments);
    p.waitForFinished(20000);
    return {p.exitCode(), QString::fromUtf8(p.readAll())};
}

// A table Traductions as an older base holds it: its own letter case, its
// own field order, a field the station does not know.
TableJet TableAncienne() {
    TableJet t;
    t.colonnes = {"tname",        "TFORMULAIRE",  "ttype",           "Tcaption",
                  "Ttooltiptext", "tdefcaption",  "tdeftooltiptext", "tcommentaire",
                  "tDate",        "tFlagpassage", "Auteur"};
    t.lignes = {
        {"BtOK", "F2Acceuil", "CommandButton", "Close", "", "OK", "", "", "2007-11-28 10:15:00",
         "0", "x"},
        {"DernierSn", "ModuleMsg", "msg00017", "last SN", "", "dernier SN", "", "vu",
         "2008-01-02 08:00:00", "1", "y"},
        {"Label1 (2)", "AttributionMeuble", "Label", "l'étage", "", "l'étage", "", "", "", "0", ""},
    };
    return t;
}

} // namespace

class TstConvertitMdb : public QObject {
    Q_OBJECT
private slots:
    void lectureJet() {
        QString erreur;
        QCOMPARE(TablesJet(kEchantillon, &erreur), QStringList({"Users"}));
        TableJet t;
        QVERIFY2(LitTableJet(kEchantillon, QStringLiteral("users"), &t, &erreur),
                 qPrintable(erreur));
        QCOMPARE(t.colonnes,
                 QStringList({"UserId", "UserName", "UserSex", "UserBirthday", "UserMarried"}));
        QCOMPARE(t.lignes.size(), 3);
        QCOMPARE(t.lignes[0], QStringList({"1", "Nuintun", "Male", "1989-01-25 00:00:00", "1"}));
        QCOMPARE(t.lignes[2].mid(1, 2), QStringList({"张三", "男"}));
        QVERIFY(!LitTableJet(kEchantillon, QStringLiteral("Traductions"), &t, &erreur));
        QVERIFY(erreur.endsWith(QStringLiteral(" : pas de table Traductions")));
    }

    void copieDesTraductions() {
        QTemporaryDir dossier;
        const QString base = dossier.filePath("trad.mdb");
        QString erreur;
        QVERIFY2(ConvertitTraductions(TableAncienne(), base, &erreur), qPrintable(erreur));
        QCOMPARE(Sqlite3(base, "SELECT Tformulaire, Ttype, Tname, Tcaption, tdefcaption, "
                               "tcommentaire, tDate, tFlagpassage FROM Traductions ORDER BY rowid"),
                 QStringList({"F2Acceuil|CommandButton|BtOK|Close|OK||2007-11-28 10:15:00|0",
                              "ModuleMsg|msg00017|DernierSn|last SN|dernier SN|vu|2008-01-02 "
                              "08:00:00|1",
                              "AttributionMeuble|Label|Label1 (2)|l'étage|l'étage|||0"}));
        QCOMPARE(QDir(dossier.path()).entryList(QDir::Files), QStringList({"trad.mdb"}));
        // Never over an existing file.
        QVERIFY(!ConvertitTraductions(TableAncienne(), base, &erreur));
        QVERIFY(erreur.contains(QStringLiteral("existe deja")));
    }

    // The table of the sample is no table Traductions: the missing field is
    // named and no file is left behind.
    void champManquant() {
        QTemporaryDir dossier;
        TableJet t;
        QString erreur;
        QVERIFY(LitTableJet(kEchantillon, QStringLiteral("Users"), &t, &erreur));
        QVERIFY(!ConvertitTraductions(t, dossier.filePath("trad.mdb"), &erreur));
        QCOMPARE(erreur, QStringLiteral("la table Traductions n'a pas de champ Tformulaire"));
        QVERIFY(QDir(dossier.path()).isEmpty());
    }

    void refusDeLaCommande_data() {
        QTest::addColumn<QString>("fichier"); // copied into the folder as "base.mdb"
        QTest::addColumn<QString>("message");
        QTest::newRow("sans table Traductions") << kEchantillon << "pas de table Traductions";
        QTest::newRow("deja SQLite") << QString() << "ce n'est pas une base Access (Jet)";
    }
    void refusDeLaCommande() {
        QFETCH(QString, fichier);
        QFETCH(QString, message);
        QTemporaryDir dossier;
        const QString base = dossier.filePath("base.mdb");
        if (fichier.isEmpty())
            QCOMPARE(Sqlite3(base, "CREATE TABLE Traductions (x TEXT); SELECT 1"),
                     QStringList({"1"}));
        else
            QVERIFY(QFile::copy(fichier, base));
        const QByteArray avant = Empreinte(base);
        const Resultat r = Commande({base});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.sortie.contains(message), qPrintable(r.sortie));
        QCOMPARE(Empreinte(base), avant);
        QCOMPARE(QDir(dossier.path()).entryList(QDir::Files), QStringList({"base.mdb"}));
    }
};

QTEST_MAIN(TstConvertitMdb)
#include "tst_ConvertitMdb.moc"
