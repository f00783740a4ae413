#pragma once
// The rail bench of the tests: cards of cabinet "A" on the simulated bus, each
// with its rail, a station whose rail series starts empty, and the report,
// frames and files written as the bench's operator reads them.
#include "BancCarte.h"
#include "EditeEtiquette.h"
#include "LiaisonCarte.h"
#include "TracesTest.h"

#include <QDate>
#include <QFile>
#include <QRegularExpression>
#include <QtTest>
#include <functional>

inline const QByteArray kR15 = "00000000000000000111111111111111";
inline const QByteArray kR13 = "00000000000000000001111111111111";
inline const QByteArray kR08 = "00000000000000001111111111111111";
inline const QByteArray kR08S = "00000000000000001010101010101010";
inline const QByteArray kAucun(32, '0');
inline const QByteArray kR15sans9 = "00000000000000000111111011111111";

inline const QString kInvite = QString::fromUtf8(
    "Taper ici le type de rail à tester (R08, R08S, R11, R13, R15, R18, R21 ou R30 ou R pour "
    "inconnu)\r\rTous les rails sur le banc de test doivent etre identiques");
inline const QString kTirets(61, QLatin1Char('-'));
inline const QString kTypeR15 =
    QString::fromUtf8("type de rail à tester : R15    137 <valeur EA< 151");
inline const QString kTypeR = QString::fromUtf8("type de rail à tester : R    111 <valeur EA< 151");

// Fire commands as the bench's manual writes them: power 100 % is FF, 80 %
// is CC (256 steps); 30 ms is 03, 100 ms is 0A.
inline QByteArray Tir(int carte, int ea, int cycle) {
    return "EA" + QByteArray(1, static_cast<char>(48 + carte)) +
           QByteArray(1, static_cast<char>(48 + ea)) + (cycle <= 5 ? "03FF10" : "0ACC10");
}

// Every present EA of every card, seven times, card after card in each cycle.
inline QList<QByteArray> SeptCycles(const QList<std::pair<int, QList<int>>>& cartes) {
    QList<QByteArray> r;
    for (int cycle = 1; cycle <= 7; ++cycle)
        for (const auto& [carte, eas] : cartes)
            for (int ea : eas)
                r << Tir(carte, ea, cycle);
    return r;
}

inline QList<int> De1a(int n) {
    QList<int> r;
    for (int i = 1; i <= n; ++i)
        r << i;
    return r;
}

inline QByteArray EnTete(const QByteArray& sn) {
    return "dernier SN: " + sn + "  JJ/MM/AAAA hh:mm:ss\r\n";
}
inline QByteArray LigneSN(const QByteArray& sn, const QByteArray& type) {
    return "JJ/MM/AAAA hh:mm:ss - 0 1 SN=" + sn + " " + type + "\r\n";
}
inline QString EtiquetteRail(const QString& carte, const QString& lettre, const QString& sn) {
    return "plateau " + carte + "-->   R" + lettre + "-" + sn + "-" +
           CodeSemaine(QDate::currentDate()) + "-01";
}

inline void Ecrit(const QString& chemin, const QByteArray& octets) {
    QFile f(chemin);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(octets), octets.size());
}

struct Banc : BancCarte<> {
    QString snRail() const { return fichier(QStringLiteral("SNrail.txt")); }
    // A bench with the rail series created empty, as at start-up.
    bool demarre() {
        if (!BancCarte::demarre())
            return false;
        Ecrit(snRail(), {});
        return true;
    }
    // Card `numero` of cabinet A carrying the rail `motif`.
    void rail(int numero, const QByteArray& motif,
              const std::function<void(CarteSimulee&)>& reglage = {}) {
        carte([&](CarteSimulee& c) {
            c.nom = NomCarteSimulee('A', numero);
            c.presenceEA = motif;
            c.delaiReponseMs = 0; // a thousand pulses: keep the suite fast
            if (reglage)
                reglage(c);
        });
    }
    // The report of the "BILAN TEST" box, line by line, its date and time
    // replaced; empty when the box was not shown.
    QStringList bilan() const {
        for (const auto& e : poste->op.echanges)
            if (e.genre == OperateurScripte::Genre::Boite && e.titre == "BILAN TEST") {
                QString texte = e.texte;
                texte.replace(QRegularExpression("^Test RAILS \\d\\d/\\d\\d/\\d{4} "
                                                 "\\d\\d:\\d\\d:\\d\\d\\r"),
                              "Test RAILS JJ/MM/AAAA hh:mm:ss\r");
                return texte.split('\r');
            }
        return {};
    }
    const OperateurScripte::Echange* boiteBilan() const {
        for (const auto& e : poste->op.echanges)
            if (e.titre == "BILAN TEST")
                return &e;
        return nullptr;
    }
    int impulsions(int indice, int ea) const {
        return bus->carte(indice).impulsionsEA[static_cast<size_t>(ea)];
    }
    QList<QByteArray> tirs() const { return commandesCommencant("E"); }
    void verifieFin() const {
        QVERIFY2(poste->op.inattendus.isEmpty(), qPrintable(poste->op.inattendus.join('\n')));
        QVERIFY(!PortCarteEstOuvert(*poste));
        QVERIFY(!poste->BtCancelVisible());
    }
};

inline const QString kDebut = QStringLiteral("Test RAILS JJ/MM/AAAA hh:mm:ss");
