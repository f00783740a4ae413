#pragma once
// Trace files are shared with stations that read them as Windows-1252 text
// with CR LF line ends; every reader and writer of them goes through here.
#include <QByteArray>
#include <QString>
#include <QStringList>

// Appends `ligne` + CR LF, flushed to disk before returning. False, with a
// readable reason, when the file cannot be opened or written.
bool AjouteLigneTrace(const QString& chemin, const QString& ligne, QString* erreur = nullptr);

// Opens the file for appending, creating it empty when missing, and closes
// it: nothing is written. False, with a readable reason, when it cannot be.
bool CreeFichierTrace(const QString& chemin, QString* erreur = nullptr);

// All lines without their CR LF (a lone LF also ends a line). `ok` is false
// when the file exists but cannot be read; a missing file gives no line.
QStringList LitLignesTrace(const QString& chemin, bool* ok = nullptr);

// Line 1 of the file, or the empty text for an empty or missing file.
QString PremiereLigneTrace(const QString& chemin);

// Overwrites the start of the file with `texte` (same length as what it
// replaces), flushed to disk before returning.
bool EcritEnTeteTrace(const QString& chemin, const QString& texte, QString* erreur = nullptr);

// Writes the whole file atomically: readers see the old or the new content,
// never a half-written one.
bool RemplaceFichierTrace(const QString& chemin, const QStringList& lignes,
                          QString* erreur = nullptr);
