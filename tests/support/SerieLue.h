#pragma once
// A series file ("SNcarte.txt", "SNrail.txt") read back as another station
// or a production engineer reads it, and the station program of these tests.
#include "FichierTrace.h"
#include "SerieSN.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QTest>

// Writes `octets` as the whole file, as a person or another program might.
inline void Ecrit(const QString& chemin, const QByteArray& octets) {
    QFile f(chemin);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(octets), octets.size());
}

// Value of an SN in the 62-digit alphabet, to compare two SNs; -1 when it is
// not one.
inline qint64 ValeurSN(const QString& sn) {
    if (!EstSNvalide(sn))
        return -1;
    qint64 v = 0;
    for (const QChar c : sn)
        v = v * 62 + kAlphabetSN.indexOf(c);
    return v;
}

struct SerieLue {
    bool lisible = false; // the header is "dernier SN: " + SN + "  " + date and time
    QString entete;
    QString dernier;      // the header's SN
    QStringList donnes;   // the SN of every trace line, in order
    QStringList sansSN;   // trace lines that name no SN
    QStringList enDouble; // SNs traced twice or more
    QStringList auDela;   // SNs traced above the header's
};

inline SerieLue LitSerie(const QString& chemin) {
    SerieLue s;
    bool ok = false;
    const QStringList lignes = LitLignesTrace(chemin, &ok);
    if (!ok || lignes.isEmpty())
        return s;
    s.entete = lignes.first();
    static const QRegularExpression forme(
        QStringLiteral("^dernier SN: (\\S{4})  \\d\\d/\\d\\d/\\d{4} \\d\\d:\\d\\d:\\d\\d$"));
    const auto m = forme.match(s.entete);
    s.lisible = m.hasMatch() && EstSNvalide(m.captured(1));
    s.dernier = m.captured(1);
    static const QRegularExpression sn(QStringLiteral(" SN=(\\S{4})( |$)"));
    for (qsizetype i = 1; i < lignes.size(); ++i) {
        if (lignes[i].isEmpty() && i == lignes.size() - 1)
            break;
        const auto t = sn.match(lignes[i]);
        if (!t.hasMatch()) {
            s.sansSN << lignes[i];
            continue;
        }
        const QString donne = t.captured(1);
        if (s.donnes.contains(donne))
            s.enDouble << donne;
        if (ValeurSN(donne) > ValeurSN(s.dernier))
            s.auDela << donne;
        s.donnes << donne;
    }
    return s;
}

#ifdef STATION_BOUCLE
// The station program of these tests (StationBoucle), started on `dossier`,
// its production journal in `journal` (a station's own, never on the shared
// folder), its factory server `bd` when given.
inline void LanceStation(QProcess& p, const QString& mode, const QString& dossier, int nombre,
                         const QString& journal, const QString& port = {}, const QString& bd = {}) {
    QStringList args{mode, dossier, QString::number(nombre)};
    if (!port.isEmpty())
        args << port;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("CALVANET_JOURNAL"), journal);
    // The factory server, when the station has one (bd=).
    if (!bd.isEmpty())
        env.insert(QStringLiteral("CALVANET_BD"), bd);
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::SeparateChannels);
    p.start(QStringLiteral(STATION_BOUCLE), args);
}
#endif
