#include "EditeEtiquette.h"

#include "LiaisonImprimante.h"
#include "ResultatTest.h"

namespace {
const QChar DQ = QLatin1Char('"');

QString Texte(const char* debut, const QString& valeur) {
    return QLatin1String(debut) + DQ + ChampEPL2(valeur) + DQ;
}
} // namespace

QString ChampEPL2(const QString& valeur) {
    QString resultat;
    resultat.reserve(valeur.size());
    for (const QChar c : valeur) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\\'))
            resultat += QLatin1Char('\\');
        resultat += c;
    }
    return resultat;
}

IdentiteEtiquette IdentiteEPL2(const QByteArray& travail) {
    for (QByteArray ligne : travail.split('\n')) {
        ligne = ligne.trimmed();
        const qsizetype debut = ligne.indexOf('"');
        const qsizetype fin = ligne.lastIndexOf('"');
        if (!ligne.startsWith('B') || debut < 0 || fin <= debut)
            continue;
        QString code;
        const QString champ = QString::fromLatin1(ligne.mid(debut + 1, fin - debut - 1));
        for (qsizetype i = 0; i < champ.size(); ++i) {
            if (champ[i] == QLatin1Char('\\') && i + 1 < champ.size())
                ++i;
            code += champ[i];
        }
        if (code.size() == 15 && code[2] == QLatin1Char('-') && code[7] == QLatin1Char('-') &&
            code[12] == QLatin1Char('-'))
            return {code, code.mid(3, 4)};
    }
    return {};
}

QString TexteEtiquetteEA(const QString& resultatEA) {
    if (TestReussi(resultatEA))
        return resultatEA;
    return resultatEA.mid(26, 35);
}

QString TexteEtiquetteLed(const QString& resultatLed) {
    if (TestReussi(resultatLed))
        return resultatLed;
    if (resultatLed.size() > 31)
        return resultatLed.mid(30, 35);
    return resultatLed;
}

QString CodeSemaine(const QDate& date) {
    const QDate premierJanvier(date.year(), 1, 1);
    const int decalage = premierJanvier.dayOfWeek() - 1; // Monday = 0
    const int semaine = (date.dayOfYear() - 1 + decalage) / 7 + 1;
    const QString texte = QString::number(semaine) + date.toString(QStringLiteral("yy"));
    return (QStringLiteral("0000") + texte).right(4);
}

QString Etiquette::codeProduit() const {
    return codeType + QLatin1Char('-') + sn + QLatin1Char('-') + codeSemaine + QLatin1Char('-') +
           codeUsine + codeOperateur;
}

QStringList LignesEtiquette(const Etiquette& e) {
    QStringList l;
    l << QString() << QStringLiteral("N") << QStringLiteral("O") << QStringLiteral("q408")
      << QStringLiteral("Q203,24+0") << QStringLiteral("S2") << QStringLiteral("D6")
      << QStringLiteral("ZT") << QStringLiteral("TTh:m") << QStringLiteral("TDy2.mn.dd");
    l << Texte("A2,4,0,4,1,1,N,", e.titre);
    l << Texte("B2,28,0,1,2,2,49,B,", e.codeProduit());
    l << Texte("A4,118,0,4,1,1,N,", QStringLiteral("SN: ") + e.sn);
    l << Texte("A268,89,0,1,1,1,N,", QStringLiteral("FW: ") + e.versionFW);
    l << Texte("A181,118,0,4,1,1,N,", QStringLiteral("nom: ") + e.nomCarte);
    if (!e.resultatIR.isEmpty())
        l << Texte("A2,144,0,1,1,1,N,", QStringLiteral("IR : ") + e.resultatIR);
    if (!e.resultatEA.isEmpty())
        l << Texte("A2,160,0,1,1,1,N,", QStringLiteral("EA : ") + TexteEtiquetteEA(e.resultatEA));
    if (!e.resultatLed.isEmpty())
        l << Texte("A2,176,0,1,1,1,N,", QStringLiteral("led: ") + TexteEtiquetteLed(e.resultatLed));
    l << QStringLiteral("P1");
    return l;
}

void EditeEtiquette(Poste& poste, const Etiquette& etiquette) {
    const QStringList lignes = LignesEtiquette(etiquette);
    OuvrePortImprimante(poste);
    for (const QString& ligne : lignes)
        EnvoiLigneImprimante(poste, ligne + QStringLiteral("\r\n"));
    FermePortImprimante(poste);
}
