#pragma once
// The one drawing of an EPL2 label, for the virtual printer and the station.
#include "EtiquetteEPL2.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

class QPainter;

// One picture per label the job prints (P n prints the form once: one picture), drawn at 203 dpi;
// the commands it does not know listed in commandesInconnues, drawn as nothing.
//
// A job without a print command prints nothing: an empty list, its unknown commands still
// listed. A last line without its LF is not read, as on the printer. Every job starts from a
// cleared printer (408 x 203 dots, "ZT").
QList<QImage> RendTravailEPL2(const QByteArray& travail, QStringList* commandesInconnues = nullptr);

// Draws a label on an image or any other device; what cannot be drawn (a
// barcode zint refuses) is left blank and told in *erreurs.
void DessineEtiquette(QPainter& peintre, const EtiquetteEPL2& etiquette,
                      QStringList* erreurs = nullptr);
// The label as the printer's dots: grayscale, 203 dpi.
QImage ImageEtiquette(const EtiquetteEPL2& etiquette, QStringList* erreurs = nullptr);

// The bars of a Code 128 symbol, as module flags, drawn by zint; empty with
// a reason when the data cannot be encoded.
QList<bool> ModulesCode128(const QString& donnees, QString* erreur = nullptr);
