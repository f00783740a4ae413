#pragma once
// The EPL2 label of a card or a tray, sent over the printer link.
#include "Poste.h"

#include <QDate>
#include <QString>
#include <QStringList>

// Opens the printer link, sends the label line by line (each followed by
// CR LF) and closes the link. Lines of the IR, EA and LED results are left
// out when the result is empty.
void EditeEtiquette(Poste& poste, const QString& titre, const QString& codeType, const QString& sn,
                    const QString& codeSemaine, const QString& codeUsine,
                    const QString& codeOperateur, const QString& versionFW, const QString& nomCarte,
                    const QString& resultatEA, const QString& resultatIR,
                    const QString& resultatLed);

// The lines EditeEtiquette sends, without their CR LF.
QStringList LignesEtiquette(const QString& titre, const QString& codeType, const QString& sn,
                            const QString& codeSemaine, const QString& codeUsine,
                            const QString& codeOperateur, const QString& versionFW,
                            const QString& nomCarte, const QString& resultatEA,
                            const QString& resultatIR, const QString& resultatLed);

// Week of the year (weeks start on Monday, week 1 holds 1 January) and the
// two-digit year, on 4 characters: 7 December 2026 gives "5026".
QString CodeSemaine(const QDate& date);

// What the label shows of a test result.
QString TexteEtiquetteEA(const QString& resultatEA);
QString TexteEtiquetteLed(const QString& resultatLed);

// A field inside EPL2 double quotes: a quote or a backslash would end or
// corrupt the text, so both are escaped as the printer expects.
QString ChampEPL2(const QString& valeur);

// The button "Etq Carte Lue": reprints the label of the card connected.
void ImprimeEtiquetteCarteLue(Poste& poste);
