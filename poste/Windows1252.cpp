#include "Windows1252.h"

namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F; 0 marks the five
// unassigned bytes, which decode to the control character of the same code.
constexpr char16_t kPlage80[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                   0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                   0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                   0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

} // namespace

QByteArray VersWindows1252(const QString& texte) {
    QByteArray octets;
    octets.reserve(texte.size());
    for (QChar c : texte) {
        const char16_t u = c.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            octets.append(static_cast<char>(u));
            continue;
        }
        char code = '?';
        for (int i = 0; i < 32; ++i)
            if (kPlage80[i] == u || (kPlage80[i] == 0 && u == 0x80 + i))
                code = static_cast<char>(0x80 + i);
        octets.append(code);
    }
    return octets;
}

QString DepuisWindows1252(const QByteArray& octets) {
    QString texte;
    texte.reserve(octets.size());
    for (char o : octets) {
        const auto b = static_cast<unsigned char>(o);
        if (b >= 0x80 && b < 0xA0 && kPlage80[b - 0x80] != 0)
            texte.append(QChar(kPlage80[b - 0x80]));
        else
            texte.append(QChar(b));
    }
    return texte;
}
