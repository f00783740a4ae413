#pragma once
// What every benchmark program shares: clocks, the statistics of a series of
// runs, and the table row perf/run prints (Markdown, one figure a line).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <sys/resource.h>
#include <time.h>
#include <vector>

namespace perf {

inline double MurMs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Processor time (user + system) of the whole process, or of the calling
// thread only: the simulated bus and the virtual printer run in threads of
// their own and are no part of the station's cost.
inline double ProcesseurMs(int qui = RUSAGE_SELF) {
    rusage u{};
    getrusage(qui, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}
inline double ProcesseurFilMs() {
    return ProcesseurMs(RUSAGE_THREAD);
}

struct Serie {
    std::vector<double> v;
    void ajoute(double x) { v.push_back(x); }
    bool vide() const { return v.empty(); }
    double mediane() const {
        if (v.empty())
            return 0;
        std::vector<double> t = v;
        std::sort(t.begin(), t.end());
        const size_t n = t.size();
        return n % 2 ? t[n / 2] : (t[n / 2 - 1] + t[n / 2]) / 2;
    }
    double min() const { return v.empty() ? 0 : *std::min_element(v.begin(), v.end()); }
    double max() const { return v.empty() ? 0 : *std::max_element(v.begin(), v.end()); }
    // The value below which `part` of the series lies (nearest rank).
    double centile(double part) const {
        if (v.empty())
            return 0;
        std::vector<double> t = v;
        std::sort(t.begin(), t.end());
        size_t rang = static_cast<size_t>(part * static_cast<double>(t.size()) + 0.999999);
        rang = std::clamp<size_t>(rang, 1, t.size());
        return t[rang - 1];
    }
};

inline std::string Nombre(double x) {
    char b[64];
    if (x != 0 && (x < 0.01 && x > -0.01))
        std::snprintf(b, sizeof b, "%.4f", x);
    else if (x < 10 && x > -10)
        std::snprintf(b, sizeof b, "%.3f", x);
    else if (x < 1000 && x > -1000)
        std::snprintf(b, sizeof b, "%.1f", x);
    else
        std::snprintf(b, sizeof b, "%.0f", x);
    return b;
}

inline std::string Valeur(const Serie& s, const char* unite) {
    if (s.v.size() <= 1)
        return Nombre(s.mediane()) + " " + unite;
    return Nombre(s.mediane()) + " " + unite + " (" + Nombre(s.min()) + "–" + Nombre(s.max()) + ")";
}

// One row: figure | median (min–max) | reference | ratio | target | met.
// `verdict` is "oui", "non" or "" when the row has no target of its own.
inline void Ligne(const std::string& figure, const std::string& valeur,
                  const std::string& reference, const std::string& ratio, const std::string& cible,
                  const std::string& verdict) {
    std::printf("| %s | %s | %s | %s | %s | %s |\n", figure.c_str(), valeur.c_str(),
                reference.c_str(), ratio.c_str(), cible.c_str(), verdict.c_str());
    std::fflush(stdout);
}

inline std::string Verdict(bool atteint) {
    return atteint ? "met" : "**missed**";
}

// Least-squares line through (x, y): slope, and the largest distance of a
// point from the line as a share of that point's value.
struct Droite {
    double pente = 0, origine = 0, ecartMax = 0;
};
inline Droite Ajuste(const std::vector<double>& x, const std::vector<double>& y) {
    Droite d;
    const double n = static_cast<double>(x.size());
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (size_t i = 0; i < x.size(); ++i) {
        sx += x[i];
        sy += y[i];
        sxx += x[i] * x[i];
        sxy += x[i] * y[i];
    }
    const double den = n * sxx - sx * sx;
    if (den == 0)
        return d;
    d.pente = (n * sxy - sx * sy) / den;
    d.origine = (sy - d.pente * sx) / n;
    for (size_t i = 0; i < x.size(); ++i) {
        const double attendu = d.origine + d.pente * x[i];
        if (y[i] != 0)
            d.ecartMax = std::max(d.ecartMax, std::abs(y[i] - attendu) / y[i]);
    }
    return d;
}

} // namespace perf
