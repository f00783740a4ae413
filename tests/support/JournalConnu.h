#pragma once
// A journal of known content, written through the station's own writer: two
// days, three workflows, two stations, retests, runs without SN and every
// outcome. The figures the statistics must give are worked out by hand in
// tst_StatistiquesJournal.
#include "Journal.h"

#include <QDateTime>
#include <QString>

namespace JournalConnu {

struct Run {
    const char* debut; // UTC
    const char* poste;
    const char* operateur;
    const char* flux;
    const char* sn; // "" when the run had none
    IssuePassage issue;
    const char* code;
    double alim;        // 0: not measured
    double puissanceIR; // 0: not measured
    const char* texte;  // a result text
};

// clang-format off
inline const Run kRuns[] = {
    {"2026-12-01T08:00:00.000Z", "banc-1", "1", "AttribueSNcarte", "0A01", IssuePassage::Reussi, "", 0, 120, "IR ok (pIR=31%)"},
    {"2026-12-01T08:10:00.000Z", "banc-1", "1", "AttribueSNcarte", "0A02", IssuePassage::Echec, "C3", 0, 200, "IR HS (C3) puissance=200"},
    {"2026-12-01T09:00:00.000Z", "banc-2", "2", "AttribueSNcarte", "0A02", IssuePassage::Reussi, "", 0, 150, "IR ok (pIR=47%)"},
    {"2026-12-01T10:00:00.000Z", "banc-1", "1", "TestPlateauSeul", "0A02", IssuePassage::Echec, "alim", 46.6, 0, "TestAlim HS = 46.6v"},
    {"2026-12-01T11:00:00.000Z", "banc-2", "2", "TestPlateauSeul", "", IssuePassage::Echec, "carte absente", 0, 0, "carte absente"},
    {"2026-12-02T08:00:00.000Z", "banc-2", "2", "TestPlateauSeul", "0A02", IssuePassage::Reussi, "", 48.8, 0, "TestAlim OK = 48.8v"},
    {"2026-12-02T08:30:00.000Z", "banc-1", "1", "TestPlateauSeul", "0A03", IssuePassage::Abandon, "", 48.8, 0, "TestAlim OK = 48.8v"},
    {"2026-12-02T09:00:00.000Z", "banc-1", "1", "TestRailsMeuble", "", IssuePassage::Echec, "E3", 0, 0, "A03 --> Rabsent"},
    {"2026-12-02T09:00:00.000Z", "banc-1", "1", "TestRailsMeuble", "00Z9", IssuePassage::Reussi, "", 0, 0, "A04 --> R15"},
    {"2026-12-02T10:00:00.000Z", "banc-2", "2", "AttribueSNcarte", "0A04", IssuePassage::Echec, "C3", 0, 75, "IR HS (C3) puissance=75"},
    {"2026-12-02T11:00:00.000Z", "banc-2", "2", "TestPlateauSeul", "0A05", IssuePassage::Reussi, "", 49.0, 0, "note; \"entre guillemets\""},
};
// clang-format on

inline bool Ecrit(const QString& chemin, QString* erreur) {
    for (const Run& r : kRuns) {
        PassageEnregistre p;
        p.debut = QDateTime::fromString(QString::fromLatin1(r.debut), Qt::ISODateWithMs);
        p.poste = QString::fromLatin1(r.poste);
        p.usine = QStringLiteral("0");
        p.operateur = QString::fromLatin1(r.operateur);
        p.flux = QString::fromLatin1(r.flux);
        p.sn = QString::fromLatin1(r.sn);
        p.issue = r.issue;
        p.codeDefaut = QString::fromLatin1(r.code);
        p.resultats = {QString::fromUtf8(r.texte)};
        p.dureeMs = 1000;
        if (r.alim > 0)
            p.mesures << MesureJournal{.nom = QStringLiteral("alim"),
                                       .valeur = r.alim,
                                       .limiteBasse = 47,
                                       .limiteHaute = 51,
                                       .unite = QStringLiteral("V"),
                                       .conforme = r.alim >= 47 && r.alim <= 51,
                                       .code = r.alim >= 47 ? QString() : QStringLiteral("alim")};
        if (r.puissanceIR > 0)
            p.mesures << MesureJournal{.nom = QStringLiteral("IR puissance"),
                                       .valeur = r.puissanceIR,
                                       .limiteBasse = 80,
                                       .limiteHaute = 190,
                                       .conforme = r.puissanceIR >= 80 && r.puissanceIR <= 190};
        if (!Journal::Enregistre(chemin, p, erreur))
            return false;
    }
    return true;
}

} // namespace JournalConnu
