#pragma once
// The EPL2 label of a card or a tray, sent over the printer link.
#include "Poste.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>

// What a card or tray label shows.
struct Etiquette {
    QString titre{};
    QString codeType{}; // "C8", "PD", ...
    QString sn{};
    QString codeSemaine{}; // WWYY
    QString codeUsine{};
    QString codeOperateur{};
    QString versionFW{};
    QString nomCarte{};
    // Test results; a line is left out when its result is empty.
    QString resultatEA{};
    QString resultatIR{};
    QString resultatLed{};

    // The barcode text: type, SN, week code, factory and operator codes.
    QString codeProduit() const;
};

// Opens the printer link, sends the label line by line (each followed by
// CR LF) and closes the link.
void EditeEtiquette(Poste& poste, const Etiquette& etiquette);

// The lines EditeEtiquette sends, without their CR LF.
QStringList LignesEtiquette(const Etiquette& etiquette);

// Week of the year (weeks start on Monday, week 1 holds 1 January) and the
// two-digit year, on 4 characters: 7 December 2026 gives "5026".
QString CodeSemaine(const QDate& date);

// What the label shows of a test result.
QString TexteEtiquetteEA(const QString& resultatEA);
QString TexteEtiquetteLed(const QString& resultatLed);

// What a label job says of its unit: the product code of its barcode
// ("C8-0A1B-5026-03": type, SN, week, factory and operator) and the SN in it;
// both empty when no barcode of the job has that form.
struct IdentiteEtiquette {
    QString codeProduit{};
    QString sn{};
};
IdentiteEtiquette IdentiteEPL2(const QByteArray& travail);

// A field inside EPL2 double quotes: a quote or a backslash would end or
// corrupt the text, so both are escaped as the printer expects.
QString ChampEPL2(const QString& valeur);
