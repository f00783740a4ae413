#include "EtiquetteEPL2.h"

#include <QRegularExpression>

namespace {

int Entier(const QStringList& p, int i, int defaut = 0) {
    if (i >= p.size())
        return defaut;
    bool ok = false;
    const int v = p[i].trimmed().toInt(&ok);
    return ok ? v : defaut;
}

} // namespace

QString DepuisCP1252(const QByteArray& octets) {
    static const char16_t k80[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    QString texte;
    texte.reserve(octets.size());
    for (const char c : octets) {
        const auto o = static_cast<unsigned char>(c);
        texte += (o >= 0x80 && o < 0xA0) ? QChar(k80[o - 0x80]) : QChar(o);
    }
    return texte;
}

QStringList ParametresEPL2(const QString& texte) {
    QStringList champs;
    QString champ;
    bool guillemets = false;
    for (qsizetype i = 0; i < texte.size(); ++i) {
        const QChar c = texte[i];
        if (guillemets) {
            if (c == QLatin1Char('\\') && i + 1 < texte.size()) {
                champ += texte[++i];
            } else if (c == QLatin1Char('"')) {
                guillemets = false;
            } else {
                champ += c;
            }
        } else if (c == QLatin1Char('"')) {
            guillemets = true;
        } else if (c == QLatin1Char(',')) {
            champs << champ;
            champ.clear();
        } else {
            champ += c;
        }
    }
    champs << champ;
    return champs;
}

QStringList LignesEPL2(const QByteArray& octets, QByteArray* reste) {
    QStringList lignes;
    qsizetype debut = 0;
    qsizetype lf;
    while ((lf = octets.indexOf('\n', debut)) >= 0) {
        QByteArray ligne = octets.mid(debut, lf - debut);
        if (ligne.endsWith('\r'))
            ligne.chop(1);
        lignes << DepuisCP1252(ligne);
        debut = lf + 1;
    }
    if (reste)
        *reste = octets.mid(debut);
    return lignes;
}

int FormeEPL2::commande(const QString& ligne) {
    if (ligne.trimmed().isEmpty())
        return 0; // a line feed alone resynchronises the parser
    const QChar c = ligne[0];
    const QString suite = ligne.mid(1);
    static const QRegularExpression impression(QStringLiteral("^P(\\d+)(,(\\d+))?$"));
    static const QRegularExpression vitesseDensite(QStringLiteral("^[SD]\\d+$"));

    if (ligne == QLatin1String("N")) {
        const EtiquetteEPL2 format = courante_;
        courante_ = EtiquetteEPL2();
        courante_.largeur = format.largeur;
        courante_.hauteur = format.hauteur;
        courante_.hautEnBas = format.hautEnBas;
    } else if (c == QLatin1Char('q')) {
        courante_.largeur = qBound(8, Entier(ParametresEPL2(suite), 0, 408), 832);
    } else if (c == QLatin1Char('Q')) {
        courante_.hauteur = qBound(8, Entier(ParametresEPL2(suite), 0, 203), 2000);
    } else if (ligne == QLatin1String("ZT") || ligne == QLatin1String("ZB")) {
        courante_.hautEnBas = ligne == QLatin1String("ZB");
    } else if (ligne.startsWith(QLatin1String("O")) || ligne.startsWith(QLatin1String("TT")) ||
               ligne.startsWith(QLatin1String("TD")) || vitesseDensite.match(ligne).hasMatch()) {
        // Options, speed, density, time and date formats: nothing to draw.
    } else if (const auto m = impression.match(ligne); m.hasMatch()) {
        return qBound(1, m.captured(1).toInt(), 999);
    } else if (c == QLatin1Char('A')) {
        const QStringList p = ParametresEPL2(suite);
        if (p.size() < 8) {
            courante_.commandesInconnues << ligne;
            return 0;
        }
        ChampTexteEPL2 t;
        t.x = Entier(p, 0);
        t.y = Entier(p, 1);
        t.rotation = Entier(p, 2) % 4;
        t.police = Entier(p, 3, 1);
        t.multH = qBound(1, Entier(p, 4, 1), 9);
        t.multV = qBound(1, Entier(p, 5, 1), 9);
        t.inverse = p[6].trimmed() == QLatin1String("R");
        t.texte = p.mid(7).join(QLatin1Char(','));
        courante_.textes << t;
    } else if (c == QLatin1Char('B')) {
        const QStringList p = ParametresEPL2(suite);
        if (p.size() < 9) {
            courante_.commandesInconnues << ligne;
            return 0;
        }
        ChampCodeBarreEPL2 b;
        b.x = Entier(p, 0);
        b.y = Entier(p, 1);
        b.rotation = Entier(p, 2) % 4;
        b.type = p[3].trimmed();
        b.etroit = qBound(1, Entier(p, 4, 2), 10);
        b.large = qBound(1, Entier(p, 5, 2), 30);
        b.hauteur = qBound(1, Entier(p, 6, 50), 2000);
        b.lisible = p[7].trimmed() == QLatin1String("B");
        b.donnees = p.mid(8).join(QLatin1Char(','));
        if (!b.type.startsWith(QLatin1Char('1')))
            courante_.erreurs << QStringLiteral("code barre de type %1 non dessine").arg(b.type);
        courante_.codesBarres << b;
    } else if (ligne.startsWith(QLatin1String("LO"))) {
        const QStringList p = ParametresEPL2(ligne.mid(2));
        courante_.lignes << LigneEPL2{Entier(p, 0), Entier(p, 1), Entier(p, 2), Entier(p, 3)};
    } else {
        courante_.commandesInconnues << ligne;
    }
    return 0;
}
