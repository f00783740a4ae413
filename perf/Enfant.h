#pragma once
// A benchmark program runs itself as a child to time a whole process or to
// read its memory: the child writes one line when its measure is taken, the
// parent times the first bytes and reads the rest until the child ends.
#include "MesuresPerf.h"

#include <QApplication>
#include <QMainWindow>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace perf {

struct Mesure {
    double murMs = 0;     // from the spawn to the child's first bytes
    double pointeMio = 0; // peak resident memory of the whole child
    std::string sortie;   // everything the child wrote
    bool ok = false;      // the child spoke and ended normally
};

// Starts this program with `args` (args[0] is its own name).
inline Mesure Lance(const std::vector<std::string>& args) {
    Mesure m;
    int tube[2];
    if (pipe(tube) != 0)
        return m;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, tube[1], 1);
    posix_spawn_file_actions_addclose(&actions, tube[0]);
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const double t0 = MurMs();
    const int rc = posix_spawn(&pid, "/proc/self/exe", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(tube[1]);
    if (rc != 0) {
        close(tube[0]);
        return m;
    }
    char tampon[512];
    ssize_t n = read(tube[0], tampon, sizeof tampon);
    m.murMs = MurMs() - t0;
    while (n > 0) {
        m.sortie.append(tampon, static_cast<size_t>(n));
        n = read(tube[0], tampon, sizeof tampon);
    }
    close(tube[0]);
    int etat = 0;
    rusage u{};
    wait4(pid, &etat, 0, &u);
    m.pointeMio = static_cast<double>(u.ru_maxrss) / 1024.0;
    m.ok = !m.sortie.empty() && WIFEXITED(etat) && WEXITSTATUS(etat) == 0;
    return m;
}

// A line of /proc/self/status in MiB ("VmHWM", "VmRSS"); 0 when unknown.
inline double StatutMio(const char* champ) {
    std::ifstream f("/proc/self/status");
    std::string ligne;
    const std::string debut = std::string(champ) + ":";
    while (std::getline(f, ligne))
        if (ligne.rfind(debut, 0) == 0)
            return std::atof(ligne.c_str() + debut.size()) / 1024.0;
    return 0;
}

// The reference child: a bare QMainWindow shown, "vu" and its peak memory
// in MiB at the first turn of the event loop. The peak is read by the child:
// a child spawned by a large parent inherits the parent's ru_maxrss.
inline int EnfantMinimal(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow fenetre;
    fenetre.resize(600, 400);
    fenetre.show();
    QTimer::singleShot(0, [] {
        std::printf("vu %.2f\n", StatutMio("VmHWM"));
        std::fflush(stdout);
        std::_Exit(0);
    });
    return app.exec();
}

// Resets the peak resident memory (VmHWM) to the present size, so that a
// later peak is that of what runs from now on (Linux 4.0 and later).
inline bool RemetPointeAZero() {
    std::ofstream f("/proc/self/clear_refs");
    f << "5";
    f.flush();
    return f.good();
}

} // namespace perf
