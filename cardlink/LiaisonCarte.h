#pragma once
// The card port and the framed protocol spoken on it. Frames are bytes: every
// value 0..255 travels as one byte and counts by its value in the checksum.
#include "Poste.h"

#include <QByteArray>
#include <QString>

// Opens the card port from a setting text such as "3:9600,n,8,1" (or
// "/dev/pts/4:9600,n,8,1"); clears ArretDemande last. Ends the program on an
// opening failure, after the box titled message 115. The port is the text
// before the last ":" (line settings hold none), mapped to a device by
// Plateforme::PeripheriqueSerie; the line settings are baud, parity letter
// (n, e, o, m, s), data bits, stop bits (1, 1.5, 2).
void OuvrePortCarte(Poste& poste, const QString& spec);
void FermePortcarte(Poste& poste);

// Two upper-case hexadecimal digits: 256 - (byte sum mod 256), "00" for 0.
QByteArray CalculCSmorvane2(const QByteArray& texte);

// ESC + command + checksum + CR. Characters still waiting from an earlier
// exchange are discarded first, so a late reply is never taken for this one.
void EnvoiCdeMorvane2(Poste& poste, const QByteArray& commande);

// Received text up to the first CR (excluded), or empty on time-out. Sleeps
// in the system while waiting and processes no window events; characters
// after the CR stay waiting.
QByteArray lectReponseAutomate(Poste& poste, int timeoutMs);

// Reply data, or "Err: Time Out", "Err: ne commence pas par '/'",
// "Err: check sum incorrecte".
QByteArray LectRepMorvane2(Poste& poste, int timeoutMs);

// Sends and reads; one retry after 0.4 s when the first attempt gives "Err:".
QByteArray EnvoiEtReponseMorvane2(Poste& poste, const QByteArray& commande, int timeoutMs);

// 8 characters "0"/"1", most significant bit first; compteur receives the
// number of "1".
QString ConvDecBin(int valeur, int& compteur);

// Hexadecimal text to number; empty or any non-hexadecimal character gives 0.
long ConvHexDec(const QString& texte);

// True when the reply is an "Err:" text.
inline bool EstErreur(const QByteArray& reponse) {
    return reponse.startsWith("Err:");
}
