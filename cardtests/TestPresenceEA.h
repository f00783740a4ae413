#pragma once
// Which EA outputs have an electromagnet, read as a 32-position pattern.
#include "Journal.h"
#include "Poste.h"

#include <QString>

// EA presence: pattern receives the 32 characters "0"/"1", typeTrouve the
// rail type identified ("R08" ... "Rabsent", "Rinconnu").
// `mesures`, when given, receives the count, the pattern and the types.
QString TestPresenceEA(Poste& poste, QString& version, QString& motif, const QString& typeDemande,
                       QString& typeTrouve, QList<MesureJournal>* mesures = nullptr);

// What an EA presence reading gives the journal: the count against the one of
// the requested model, the pattern, the types asked and found. `conforme`: the
// model found is the one the caller accepts. A failure is coded E3.
QList<MesureJournal> MesuresPresenceEA(int nombre, const QString& motif, const QString& typeDemande,
                                       const QString& typeTrouve, bool conforme);

// 32 characters "0"/"1" from four three-digit decimal bytes of a reply
// (first byte first, most significant bit first); compteur gets the "1"s.
QString MotifQuatreOctets(const QByteArray& reponse, int& compteur);

// The pattern in four groups of eight joined by "-".
QString MotifEnGroupes(const QString& motif);
