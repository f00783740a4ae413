#pragma once
// The rail test bench (button BtTestRailsMeuble): every card of cabinet "A"
// on the bench carries one rail of the same model; each rail is identified
// from its EA presence, every EA fired seven times, and, after the
// operator's Yes, each good rail gets its serial number. Everything goes
// into the report shown at the end, titled "BILAN TEST".
#include "Poste.h"

#include <QByteArray>
#include <QString>

// Cards the bench holds; further answers to the search are only counted.
inline constexpr int kCartesBancMax = 100;

void TestRailsMeuble(Poste& poste);

// Read time-out after the answer of card `numero` (0 before any): each card
// answers a slot after the one before it, so the wait shrinks along the
// bench, but never below what a late card needs.
int DelaiRechercheMs(int numero);

// Fire command of one EA: "E" + address + EA character + pulse in tens of ms
// + power (256 = 100 %), both as two hexadecimal digits limited to 1..255,
// then "10".
QByteArray CommandeTir(const QByteArray& adresse, int ea, int impulsionMs, int puissancePct);
