#pragma once
#include <QEventLoop>

// Timing shared by every workflow: a monotonic millisecond clock and a pause
// that keeps the window alive (cancel, stop, key presses, server sockets).

// Milliseconds on a monotonic clock; never goes back, never wraps.
double get_exact_milli_second();

// Processes pending events and sleeps 10 ms per pass until `secondes` have
// elapsed; runs at least one pass, so a pause of 0 lasts one sleep.
void timePause(float secondes);

// How many times faster than real time timePause runs: 1 in the program,
// more in tests that would otherwise wait out long specified pauses.
void FixeAccelerationPauses(double facteur);
double AccelerationPauses();

// One pass of the event loop outside a pause: repaints, sockets, and (unless
// excluded) the operator's clicks and keys. Does nothing without an application.
void LaisseTourner(QEventLoop::ProcessEventsFlags quoi = QEventLoop::AllEvents);
