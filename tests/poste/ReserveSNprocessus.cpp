// One station of a pair sharing a series file: takes N serial numbers in a
// row and traces each one. Between the forecast and the reservation it
// pauses, as a station talks to its card, so that the other one can
// overtake it. Starts when "<file>.go" appears, so that both run together.
// Usage: ReserveSNprocessus <file> <N> <operator code>
// Prints "pret" when waiting, then how many forecasts were overtaken.
#include "OperateurScripte.h"
#include "SerieSN.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QThread>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4)
        return 2;
    OperateurScripte op;
    Poste poste(op);
    SerieSN serie(poste, args[1], TextesSerieSN{});
    const int nombre = args[2].toInt();

    std::printf("pret\n");
    std::fflush(stdout);
    const QDeadlineTimer limite(10000);
    while (!QFileInfo::exists(args[1] + QStringLiteral(".go")))
        if (limite.hasExpired())
            return 3;
        else
            QThread::msleep(1);

    int depasses = 0;
    for (int i = 0; i < nombre; ++i) {
        const auto prevision = serie.Prevoit();
        QThread::msleep(20);
        const auto sn = prevision ? serie.Reserve(*prevision) : std::nullopt;
        QString erreur;
        if (!sn || !serie.AjouteLigne(HorodatageTrace(QDateTime::currentDateTime()) +
                                          QStringLiteral(" - 0 ") + args[3] +
                                          QStringLiteral(" SN=") + *sn + QStringLiteral(" R08"),
                                      erreur)) {
            std::fprintf(stderr, "%s\n", qPrintable(op.boites().join(" | ") + erreur));
            return 1;
        }
        if (*sn != prevision->sn)
            ++depasses;
    }
    std::printf("%d\n", depasses);
    return 0;
}
