#pragma once
// The card frames, bytes in and bytes out: what the station and the cards put
// on the line, with no port behind it. Every value 0..255 travels as one byte
// and counts by its value in the checksum.
#include <QByteArray>

class QString;

// The texts a failed exchange gives instead of reply data.
inline const QByteArray kErrTimeOut = QByteArrayLiteral("Err: Time Out");
inline const QByteArray kErrSansSlash = QByteArrayLiteral("Err: ne commence pas par '/'");
inline const QByteArray kErrCheckSum = QByteArrayLiteral("Err: check sum incorrecte");

// True when the reply is an "Err:" text.
inline bool EstErreur(const QByteArray& reponse) {
    return reponse.startsWith("Err:");
}

// Two upper-case hexadecimal digits: 256 - (byte sum mod 256), "00" for 0.
QByteArray CalculCSmorvane2(const QByteArray& texte);

// ESC + command + checksum + CR.
QByteArray TrameCommande(const QByteArray& commande);

// A command frame as a card receives it (ESC ... CR): the command, and in
// checkSumOk whether its checksum holds (false for a frame too short to hold one).
QByteArray LitTrameCommande(const QByteArray& trame, bool& checkSumOk);

// "/" + head character and data + checksum + CR: a card's reply.
QByteArray TrameReponse(const QByteArray& teteEtDonnees);

// A received line, up to its CR (excluded): the reply data (head character,
// "/" and checksum removed), or "Err: Time Out" (nothing or one character),
// "Err: ne commence pas par '/'", "Err: check sum incorrecte".
QByteArray DecodeReponse(const QByteArray& ligne);

// Fields of reply data.

// 8 characters "0"/"1", most significant bit first; compteur receives the
// number of "1".
QString ConvDecBin(int valeur, int& compteur);

// Hexadecimal text to number; empty or any non-hexadecimal character gives 0.
long ConvHexDec(const QString& texte);
