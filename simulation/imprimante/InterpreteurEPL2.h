#pragma once
// The virtual printer's reading of the bytes it receives, in pieces as a
// socket or a serial line hands them over. The commands and the drawing are
// the product's renderer (RenduEPL2.h): what the printer prints is what the
// station shows.
#include "RenduEPL2.h"

#include <QByteArray>
#include <QList>

class InterpreteurEPL2 {
public:
    // Feeds raw bytes (Windows-1252); returns every label completed by a
    // print command, one per copy.
    QList<EtiquetteEPL2> ajoute(const QByteArray& octets);

private:
    QByteArray reste_;
    FormeEPL2 forme_;
};
