// The rail-type table against the documented one (types_rail.tsv), and the
// helpers that read the card's replies.
#include "ChampsReponse.h"
#include "TableTsv.h"
#include "TestPresenceEA.h"
#include "TypesRail.h"

#include <QtTest>
#include <climits>

namespace {

const QString kR08 = QStringLiteral("00000000000000001111111111111111");
const QString kR08S = QStringLiteral("00000000000000001010101010101010");
const QString kR11 = QStringLiteral("00000000001111111111111111111111");
const QString kZeros(32, QLatin1Char('0'));

struct TypeDocumente {
    QString code;
    QString motif;
    int nombreEA;
    int bas;
    int haut;
    QString lettre;
};

QList<TypeDocumente> TypesDocumentes() {
    QList<TypeDocumente> types;
    for (const QStringList& l : LitTableTsv(QStringLiteral(CALVANET_TYPES_RAIL)))
        types.append({l.value(0), l.value(1), l.value(2).toInt(), l.value(3).toInt(),
                      l.value(4).toInt(), l.value(5)});
    return types;
}

// EA n is character 33 - n.
QString SansEA(QString motif, std::initializer_list<int> eas) {
    for (int ea : eas)
        motif[32 - ea] = QLatin1Char('0');
    return motif;
}

} // namespace

class TstTypesRail : public QObject {
    Q_OBJECT
private slots:
    void tableDesTypes() {
        const QList<TypeDocumente> documentes = TypesDocumentes();
        QVERIFY2(documentes.size() == 8, "types_rail.tsv missing or truncated");
        QStringList codes;
        for (const TypeRail& t : TypesRail()) {
            codes << t.code;
            QCOMPARE(t.motif.size(), 32);
            QCOMPARE(int(t.motif.count(QLatin1Char('1'))), t.nombreEA);
            QCOMPARE(IdentifieTypeRail(t.motif, t.nombreEA), t.code);
            QCOMPARE(TrouveTypeRail(t.code), &t);
        }
        QCOMPARE(codes.join(QLatin1Char(',')), QString("R08,R08S,R11,R13,R15,R18,R21,R30"));
        QStringList codesDocumentes;
        for (const TypeDocumente& t : documentes)
            codesDocumentes << t.code;
        QCOMPARE(codes, codesDocumentes);
        const TypeRail* r18 = TrouveTypeRail("R18");
        QVERIFY(r18);
        QCOMPARE(r18->motif, QString("00000000001100001111111111111111"));
        QCOMPARE(TrouveTypeRail("r08"), nullptr);
        QCOMPARE(TrouveTypeRail("R08 "), nullptr);
    }

    // Each type as documented: its pattern identifies it and shows no faulty EA.
    void typeDocumente_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("motif");
        QTest::addColumn<int>("nombre");
        QTest::addColumn<int>("bas");
        QTest::addColumn<int>("haut");
        for (const TypeDocumente& t : TypesDocumentes())
            QTest::newRow(qPrintable(t.code)) << t.code << t.motif << t.nombreEA << t.bas << t.haut;
    }
    void typeDocumente() {
        QFETCH(QString, code);
        QFETCH(QString, motif);
        QFETCH(int, nombre);
        QFETCH(int, bas);
        QFETCH(int, haut);
        const TypeRail* t = TrouveTypeRail(code);
        QVERIFY(t);
        QCOMPARE(t->motif, motif);
        QCOMPARE(t->nombreEA, nombre);
        QCOMPARE(t->seuilBas, bas);
        QCOMPARE(t->seuilHaut, haut);
        QCOMPARE(int(motif.count(QLatin1Char('1'))), nombre);
        QCOMPARE(IdentifieTypeRail(motif, nombre), code);
        QCOMPARE(ListeEAnonConformes(motif, code), QString());
    }

    void identification_data() {
        QTest::addColumn<QString>("motif");
        QTest::addColumn<int>("nombre");
        QTest::addColumn<QString>("type");
        QTest::newRow("R11 et non R21") << kR11 << 22 << "R11";
        QTest::newRow("R21") << QString("00000000000111111111111111111111") << 21 << "R21";
        QTest::newRow("R08S") << kR08S << 8 << "R08S";
        QTest::newRow("aucun EA") << kZeros << 0 << "Rabsent";
        QTest::newRow("compte faux") << kR08 << 15 << "Rinconnu";
        QTest::newRow("vide compte faux") << kZeros << 1 << "Rinconnu";
        QTest::newRow("EA 3 manquant") << SansEA(kR08, {3}) << 15 << "Rinconnu";
        QTest::newRow("motif court") << kR08.right(16) << 16 << "Rinconnu";
        QTest::newRow("motif vide") << QString() << 0 << "Rinconnu";
    }
    void identification() {
        QFETCH(QString, motif);
        QFETCH(int, nombre);
        QFETCH(QString, type);
        QCOMPARE(IdentifieTypeRail(motif, nombre), type);
    }

    void parametresDetection_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<int>("bas");
        QTest::addColumn<int>("haut");
        for (const TypeDocumente& t : TypesDocumentes())
            QTest::newRow(qPrintable(t.code)) << t.code << t.bas << t.haut;
        QTest::newRow("minuscules") << "r11" << 137 << 151;
        QTest::newRow("inconnu") << "R99" << 137 << 151;
        QTest::newRow("vide") << "" << 137 << 151;
    }
    void parametresDetection() {
        QFETCH(QString, type);
        QFETCH(int, bas);
        QFETCH(int, haut);
        int b = -1;
        int h = -1;
        ParametresDetection(type, b, h);
        QCOMPARE(b, bas);
        QCOMPARE(h, haut);
    }

    // The letter of the tray type on the tray label.
    void lettres_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("lettre");
        for (const TypeDocumente& t : TypesDocumentes())
            QTest::newRow(qPrintable(t.code)) << t.code << t.lettre;
        const char* table[][2] = {{"r08", "0"}, {"Rinconnu", "0"}, {"Rabsent", "0"}};
        for (const auto& l : table)
            QTest::newRow(l[0]) << l[0] << l[1];
    }
    void lettres() {
        QFETCH(QString, type);
        QFETCH(QString, lettre);
        QCOMPARE(LettreTypePlateau(type), lettre);
    }

    void eaNonConformes_data() {
        QTest::addColumn<QString>("motif");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("liste");
        QTest::newRow("conforme") << kR08 << "R08"
                                  << "";
        QTest::newRow("R08S teste en R08") << kR08S << "R08"
                                           << "-01-03-05-07-09-11-13-15";
        QTest::newRow("EA 3 et 12 manquants") << SansEA(kR08, {3, 12}) << "R08"
                                              << "-03-12";
        QTest::newRow("R11 teste en R21") << kR11 << "R21"
                                          << "-22";
        QTest::newRow("EA 32 en trop") << "1" + kR08.mid(1) << "R08"
                                       << "-32";
        QTest::newRow("Rabsent") << kZeros << "Rabsent"
                                 << "";
        QTest::newRow("code minuscule: aucun EA attendu")
            << SansEA(kR08, {1, 2, 3, 4, 5, 6, 7, 8}) << "r08"
            << "-09-10-11-12-13-14-15-16";
        // Compared from its own last character, numbered as if it were 32 long.
        QTest::newRow("motif court") << QString("1111") << "R08"
                                     << "-29-30-31-32";
        QTest::newRow("motif court conforme") << QString("0000") << "R08"
                                              << "";
        QTest::newRow("motif trop long") << kR08 + "11"
                                         << "R08"
                                         << "";
        QTest::newRow("motif vide") << QString() << "R08"
                                    << "";
    }
    void eaNonConformes() {
        QFETCH(QString, motif);
        QFETCH(QString, type);
        QFETCH(QString, liste);
        QCOMPARE(ListeEAnonConformes(motif, type), liste);
    }

    void champDecimal_data() {
        QTest::addColumn<QByteArray>("reponse");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("valeur");
        QTest::newRow("trois chiffres") << QByteArray("2000133") << 5 << 133;
        QTest::newRow("zeros de tete") << QByteArray("110080") << 4 << 80;
        QTest::newRow("chiffres de tete") << QByteArray("00012x") << 4 << 12;
        QTest::newRow("aucun chiffre") << QByteArray("0000abc") << 5 << 0;
        QTest::newRow("reponse courte") << QByteArray("000") << 5 << 0;
        QTest::newRow("champ tronque") << QByteArray("00009") << 4 << 9;
        QTest::newRow("signe") << QByteArray("000-12") << 4 << 0;
        QTest::newRow("position la plus basse") << QByteArray("2000133") << INT_MIN << 0;
        QTest::newRow("position la plus haute") << QByteArray("2000133") << INT_MAX << 0;
    }
    void champDecimal() {
        QFETCH(QByteArray, reponse);
        QFETCH(int, position);
        QFETCH(int, valeur);
        QCOMPARE(ChampDecimal(reponse, position, 3), valeur);
    }

    void champDecimalLong() {
        QCOMPARE(ChampDecimal("0053", 1, 4), 53);
        QCOMPARE(ChampDecimal("99999999999999999999", 1, 20), 999999999);
    }

    void motifQuatreOctets_data() {
        QTest::addColumn<QByteArray>("reponse");
        QTest::addColumn<QString>("motif");
        QTest::addColumn<int>("compte");
        QTest::newRow("R08") << QByteArray("000000255255") << kR08 << 16;
        QTest::newRow("R08S") << QByteArray("000000170170") << kR08S << 8;
        QTest::newRow("EA 3 manquant") << QByteArray("000000255251") << SansEA(kR08, {3}) << 15;
        QTest::newRow("vide") << QByteArray("000000000000") << kZeros << 0;
        QTest::newRow("reponse courte") << QByteArray("255") << "11111111" + kZeros.left(24) << 8;
        QTest::newRow("champ non numerique")
            << QByteArray("255xyz255255") << QString("11111111000000001111111111111111") << 24;
    }
    void motifQuatreOctets() {
        QFETCH(QByteArray, reponse);
        QFETCH(QString, motif);
        QFETCH(int, compte);
        int n = -1;
        QCOMPARE(MotifQuatreOctets(reponse, n), motif);
        QCOMPARE(n, compte);
        QCOMPARE(MotifEnGroupes(motif), motif.mid(0, 8) + "-" + motif.mid(8, 8) + "-" +
                                            motif.mid(16, 8) + "-" + motif.mid(24, 8));
    }

    void nombresEtHexadecimal() {
        QCOMPARE(DeuxChiffresHex(53), QByteArray("35"));
        QCOMPARE(DeuxChiffresHex(5), QByteArray("05"));
        QCOMPARE(DeuxChiffresHex(0), QByteArray("00"));
        QCOMPARE(DeuxChiffresHex(126), QByteArray("7E"));
        QCOMPARE(DeuxChiffresHex(255), QByteArray("FF"));
        QCOMPARE(NombreCourt(48.8f), QString("48.8"));
        QCOMPARE(NombreCourt(38.0f), QString("38"));
        QCOMPARE(NombreCourt(0.0f), QString("0"));
        QCOMPARE(NombreCourt(8.3f), QString("8.3"));
    }
};

QTEST_GUILESS_MAIN(TstTypesRail)
#include "tst_TypesRail.moc"
