#pragma once
// What every fuzz target shares: a broken property stops the run like a crash,
// so that libFuzzer keeps the input that broke it.
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#define VERIFIE(condition)                                                                         \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: propriete fausse : %s\n", __FILE__, __LINE__,             \
                         #condition);                                                              \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

inline QByteArray Octets(const uint8_t* donnees, size_t taille) {
    return QByteArray(reinterpret_cast<const char*>(donnees), static_cast<qsizetype>(taille));
}

// Latin-1 keeps every byte as one character, as a port or a socket hands them over.
inline QString TexteLatin1(const uint8_t* donnees, size_t taille) {
    return QString::fromLatin1(reinterpret_cast<const char*>(donnees),
                               static_cast<qsizetype>(taille));
}
