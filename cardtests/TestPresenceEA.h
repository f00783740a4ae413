#pragma once
// Which EA outputs have an electromagnet, read as a 32-position pattern.
#include "Poste.h"

#include <QString>

// EA presence: pattern receives the 32 characters "0"/"1", typeTrouve the
// rail type identified ("R08" ... "Rabsent", "Rinconnu").
QString TestPresenceEA(Poste& poste, QString& version, QString& motif, const QString& typeDemande,
                       QString& typeTrouve);

// 32 characters "0"/"1" from four three-digit decimal bytes of a reply
// (first byte first, most significant bit first); compteur gets the "1"s.
QString MotifQuatreOctets(const QByteArray& reponse, int& compteur);

// The pattern in four groups of eight joined by "-".
QString MotifEnGroupes(const QString& motif);
