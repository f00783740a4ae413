#pragma once
// The numbered operator texts, French by default, replaced by a translation
// when a translation database is loaded.
#include <QString>
#include <array>

inline constexpr int kNombreMessages = 200;

// Entries 1 to 200; entry 0 exists and is never used.
extern std::array<QString, kNombreMessages + 1> Msg;

// Fills the table with its French defaults (entries without one become empty).
void ChargeMessagesDefaut();

// The translation database (ChargeMessagesTraduits, TraduitFeuille) and the
// message base tool are declared below this line when they are built; they
// overwrite entries of Msg after ChargeMessagesDefaut.
