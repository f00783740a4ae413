#include "Temps.h"

#include <QCoreApplication>
#include <QThread>
#include <chrono>

double get_exact_milli_second() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

namespace {
double accelerationPauses = 1.0;
}

void FixeAccelerationPauses(double facteur) {
    accelerationPauses = facteur > 0 ? facteur : 1.0;
}

double AccelerationPauses() {
    return accelerationPauses;
}

void LaisseTourner(QEventLoop::ProcessEventsFlags quoi) {
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(quoi);
}

void timePause(float secondes) {
    const double debut = static_cast<double>(qRound64(get_exact_milli_second()));
    const double fin = debut + static_cast<double>(secondes) * 1000.0 / accelerationPauses;
    do {
        LaisseTourner();
        QThread::msleep(10);
    } while (!(get_exact_milli_second() > fin));
}
