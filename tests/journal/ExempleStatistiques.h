#pragma once
// The worked example of docs/STATISTIQUES.md: two days, two stations, three
// workflows; the supply drifting on banc-2; retests, a card that did not
// answer, an abandoned run. Its figures are worked out by hand there.
#include "Journal.h"

#include <QDateTime>
#include <QString>

namespace ExempleStatistiques {

struct Run {
    int minute; // from 2026-12-07 08:00 UTC
    const char* poste;
    const char* flux;
    const char* sn; // "" when the run had none
    IssuePassage issue;
    const char* code;
    double alim;        // 0: not measured
    double puissanceIR; // 0: not measured
    double courant;     // 0: not measured (a high limit only)
    double pourcentIR;  // 0: not measured
};

constexpr auto R = IssuePassage::Reussi;
constexpr auto E = IssuePassage::Echec;
constexpr auto A = IssuePassage::Abandon;

// clang-format off
inline const Run kRuns[] = {
    // The supply, in time order: banc-1 steady, banc-2 drifting up.
    {0,   "banc-1", "TestPlateauSeul", "0P01", R, "",  48.9, 120, 0,  40},
    {10,  "banc-1", "TestPlateauSeul", "0P02", E, "C3", 49.1, 200, 0, 0},
    {20,  "banc-1", "TestPlateauSeul", "0P03", R, "",  48.9, 130, 0,  0},
    {30,  "banc-1", "TestPlateauSeul", "0P04", E, "E3", 49.1, 0,  0,  0},
    {40,  "banc-1", "TestPlateauSeul", "0P05", R, "",  48.9, 0,  20, 0},
    {50,  "banc-1", "TestPlateauSeul", "0P06", E, "L3", 49.1, 0,  0,  0},
    {60,  "banc-1", "TestPlateauSeul", "0P07", R, "",  48.9, 0,  24, 0},
    {70,  "banc-1", "TestPlateauSeul", "0P02", R, "",  49.1, 0,  0,  0},
    {80,  "banc-1", "TestPlateauSeul", "0P08", R, "",  48.9, 0,  0,  0},
    {90,  "banc-1", "TestPlateauSeul", "0P04", E, "E3", 49.1, 0,  0,  0},
    {100, "banc-2", "TestPlateauSeul", "0P09", R, "",  49.3, 0,  0,  0},
    {110, "banc-2", "TestPlateauSeul", "0P10", R, "",  49.4, 0,  0,  0},
    {120, "banc-2", "TestPlateauSeul", "0P06", R, "",  49.3, 0,  0,  0},
    {130, "banc-2", "TestPlateauSeul", "0P11", R, "",  49.5, 0,  0,  0},
    {140, "banc-2", "TestPlateauSeul", "0P12", R, "",  49.4, 0,  0,  0},
    {150, "banc-2", "TestPlateauSeul", "0P13", R, "",  49.6, 0,  0,  0},
    {160, "banc-2", "TestPlateauSeul", "0P14", R, "",  49.5, 0,  0,  0},
    {170, "banc-2", "TestPlateauSeul", "0P15", R, "",  49.8, 0,  0,  0},
    {180, "banc-2", "TestPlateauSeul", "0P16", R, "",  50.4, 0,  0,  0},
    {190, "banc-2", "TestPlateauSeul", "0P17", R, "",  48.8, 0,  0,  0},
    {200, "banc-2", "TestPlateauSeul", "",     E, "carte absente", 0, 0, 0, 0},
    {210, "banc-1", "TestPlateauSeul", "0P18", A, "",  0,  0,  0,  0},
    // The next day.
    {1440, "banc-1", "AttribueSNcarte", "0S01", R, "", 0, 0, 0, 0},
    {1450, "banc-1", "AttribueSNcarte", "0S02", E, "ecriture SN", 0, 0, 0, 0},
    {1460, "banc-2", "AttribueSNcarte", "0S02", R, "", 0, 0, 0, 0},
    {1470, "banc-2", "AttribueSNcarte", "0S03", E, "C6", 0, 0, 0, 0},
    {1480, "banc-1", "TestRailsMeuble", "0R01", R, "", 0, 0, 0, 0},
    {1490, "banc-1", "TestRailsMeuble", "0R02", E, "tir", 0, 0, 0, 0},
    {1500, "banc-1", "TestRailsMeuble", "0R03", E, "E2", 0, 0, 0, 0},
};
// clang-format on

inline MesureJournal Mesure(const char* nom, double valeur, std::optional<double> bas,
                            std::optional<double> haut, const char* unite) {
    return {.nom = QString::fromLatin1(nom),
            .valeur = valeur,
            .limiteBasse = bas,
            .limiteHaute = haut,
            .unite = QString::fromLatin1(unite),
            .conforme = (!bas || valeur >= *bas) && (!haut || valeur <= *haut)};
}

inline QList<PassageEnregistre> Passages() {
    QList<PassageEnregistre> r;
    for (const Run& x : kRuns) {
        PassageEnregistre p;
        p.debut = QDateTime(QDate(2026, 12, 7), QTime(8, 0), Qt::UTC).addSecs(x.minute * 60);
        p.poste = QString::fromLatin1(x.poste);
        p.usine = QStringLiteral("0");
        p.operateur = p.poste.right(1);
        p.flux = QString::fromLatin1(x.flux);
        p.sn = QString::fromLatin1(x.sn);
        p.issue = x.issue;
        p.codeDefaut = QString::fromLatin1(x.code);
        p.dureeMs = 1000;
        p.uid = QStringLiteral("exemple-%1").arg(r.size());
        if (x.pourcentIR > 0)
            p.mesures << Mesure("IR pourcentage", x.pourcentIR, 25, 60, "%");
        if (x.puissanceIR > 0)
            p.mesures << Mesure("IR puissance", x.puissanceIR, 80, 190, "");
        if (x.alim > 0)
            p.mesures << Mesure("alim", x.alim, 47, 51, "V");
        if (x.courant > 0)
            p.mesures << Mesure("courant", x.courant, std::nullopt, 30, "mA");
        r << p;
    }
    return r;
}

} // namespace ExempleStatistiques
