#pragma once
// The floor of a workflow on the bus paced at 9600 baud: what the line and
// the fixed pauses take by themselves. Replies come from the simulator's
// frame log; pauses are counted by wrapping timePause at link time (see
// perf/CMakeLists.txt), and still run at the clock's pace.
#include "BusSimule.h"

#include <QByteArray>

namespace perf {

// One character at 9600 baud, 10 bits on the line.
constexpr double kCaractereMs = 10.0 * 1000.0 / 9600.0;

// Milliseconds asked for through timePause since the last reset.
double PausesMs();
void RemetPausesAZero();

struct Plancher {
    double reponsesMs = 0; // each reply's delay and characters
    double commandesMs = 0;
    int trames = 0;
    // Roll calls ("?" + cabinet letter) are left out of reponsesMs: their
    // replies come in time slots, which the caller knows.
    int appels = 0;
    QByteArray reponseAppel; // what the cards put on the line for the last one
};

// Every frame of the bus's log, the cards answering `delaiCarteMs` after
// each command.
Plancher DuJournal(const BusSimule& bus, int delaiCarteMs);

} // namespace perf
