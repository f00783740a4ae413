#include "InterpreteurEPL2.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <zint.h>

namespace {

struct Police {
    int largeur, hauteur, pas;
};

// EPL2 resident fonts at 203 dpi: character size and pitch in dots.
Police PoliceEPL2(int numero) {
    switch (numero) {
    case 2:
        return {10, 16, 12};
    case 3:
        return {12, 20, 14};
    case 4:
        return {14, 24, 16};
    case 5:
        return {32, 48, 36};
    default:
        return {8, 12, 10};
    }
}

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

QList<EtiquetteEPL2> InterpreteurEPL2::ajoute(const QByteArray& octets) {
    QList<EtiquetteEPL2> imprimees;
    reste_ += octets;
    qsizetype debut = 0;
    qsizetype lf;
    while ((lf = reste_.indexOf('\n', debut)) >= 0) {
        QByteArray ligne = reste_.mid(debut, lf - debut);
        if (ligne.endsWith('\r'))
            ligne.chop(1);
        commande(DepuisCP1252(ligne), imprimees);
        debut = lf + 1;
    }
    reste_.remove(0, debut);
    return imprimees;
}

void InterpreteurEPL2::commande(const QString& ligne, QList<EtiquetteEPL2>& imprimees) {
    if (ligne.trimmed().isEmpty())
        return; // a line feed alone resynchronises the parser
    const QChar c = ligne[0];
    const QString suite = ligne.mid(1);
    static const QRegularExpression impression(QStringLiteral("^P(\\d+)(,(\\d+))?$"));

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
    } else if (ligne == QLatin1String("O") || ligne.startsWith(QLatin1String("O")) ||
               ligne.startsWith(QLatin1String("TT")) || ligne.startsWith(QLatin1String("TD")) ||
               QRegularExpression(QStringLiteral("^[SD]\\d+$")).match(ligne).hasMatch()) {
        // Options, speed, density, time and date formats: nothing to draw.
    } else if (const auto m = impression.match(ligne); m.hasMatch()) {
        const int copies = qBound(1, m.captured(1).toInt(), 999);
        for (int i = 0; i < copies; ++i)
            imprimees << courante_;
    } else if (c == QLatin1Char('A')) {
        const QStringList p = ParametresEPL2(suite);
        if (p.size() < 8) {
            courante_.commandesInconnues << ligne;
            return;
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
            return;
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
}

QList<bool> ModulesCode128(const QString& donnees, QString* erreur) {
    QList<bool> modules;
    zint_symbol* symbole = ZBarcode_Create();
    if (!symbole)
        return modules;
    symbole->symbology = BARCODE_CODE128;
    symbole->input_mode = DATA_MODE;
    symbole->show_hrt = 0;
    symbole->scale = 0.5f; // one pixel per module
    symbole->output_options = BARCODE_NO_QUIET_ZONES;
    const QByteArray octets = donnees.toLatin1();
    const int code = ZBarcode_Encode_and_Buffer(
        symbole, reinterpret_cast<const unsigned char*>(octets.constData()), int(octets.size()), 0);
    if (code >= ZINT_ERROR) {
        if (erreur)
            *erreur = QString::fromLatin1(symbole->errtxt);
    } else if (symbole->bitmap && symbole->bitmap_height > 0) {
        const unsigned char* rang =
            symbole->bitmap + 3 * symbole->bitmap_width * (symbole->bitmap_height / 2);
        for (int x = 0; x < symbole->bitmap_width; ++x)
            modules << (rang[3 * x] < 128);
    }
    ZBarcode_Delete(symbole);
    return modules;
}

namespace {

void Tourne(QPainter& p, int x, int y, int rotation) {
    p.translate(x, y);
    p.rotate(90.0 * rotation);
}

void DessineTexte(QPainter& p, const ChampTexteEPL2& t) {
    const Police police = PoliceEPL2(t.police);
    const int hauteur = police.hauteur * t.multV;
    const int pas = police.pas * t.multH;
    QFont f(QStringLiteral("DejaVu Sans Mono"));
    f.setStyleHint(QFont::TypeWriter);
    f.setPixelSize(hauteur);
    f.setStyleStrategy(QFont::NoAntialias);
    const QFontMetrics fm(f);
    const double etire =
        double(police.largeur * t.multH) / qMax(1, fm.horizontalAdvance(QLatin1Char('M')));

    p.save();
    Tourne(p, t.x, t.y, t.rotation);
    const QRect cadre(0, 0, pas * int(t.texte.size()), hauteur);
    if (t.inverse)
        p.fillRect(cadre, Qt::black);
    p.setPen(t.inverse ? Qt::white : Qt::black);
    p.setFont(f);
    for (qsizetype i = 0; i < t.texte.size(); ++i) {
        p.save();
        p.translate(int(i) * pas, 0);
        p.scale(etire, 1.0);
        p.drawText(0, fm.ascent() - (fm.height() - hauteur) / 2, QString(t.texte[i]));
        p.restore();
    }
    p.restore();
}

void DessineCodeBarre(QPainter& p, const ChampCodeBarreEPL2& b, QStringList& erreurs) {
    if (!b.type.startsWith(QLatin1Char('1')))
        return;
    QString erreur;
    const QList<bool> modules = ModulesCode128(b.donnees, &erreur);
    if (modules.isEmpty()) {
        erreurs << QStringLiteral("code barre \"%1\" : %2").arg(b.donnees, erreur);
        return;
    }
    p.save();
    Tourne(p, b.x, b.y, b.rotation);
    for (qsizetype i = 0; i < modules.size(); ++i)
        if (modules[i])
            p.fillRect(QRect(int(i) * b.etroit, 0, b.etroit, b.hauteur), Qt::black);
    if (b.lisible) {
        ChampTexteEPL2 t;
        t.police = 2;
        t.texte = b.donnees;
        const int largeur = int(modules.size()) * b.etroit;
        t.x = qMax(0, (largeur - PoliceEPL2(2).pas * int(t.texte.size())) / 2);
        t.y = b.hauteur + 2;
        DessineTexte(p, t);
    }
    p.restore();
}

} // namespace

void DessineEtiquette(QPainter& peintre, const EtiquetteEPL2& etiquette) {
    peintre.save();
    peintre.setRenderHint(QPainter::Antialiasing, false);
    peintre.setRenderHint(QPainter::TextAntialiasing, false);
    peintre.fillRect(QRect(0, 0, etiquette.largeur, etiquette.hauteur), Qt::white);
    if (etiquette.hautEnBas) {
        peintre.translate(etiquette.largeur, etiquette.hauteur);
        peintre.rotate(180);
    }
    for (const LigneEPL2& l : etiquette.lignes)
        peintre.fillRect(QRect(l.x, l.y, l.largeur, l.hauteur), Qt::black);
    QStringList erreurs;
    for (const ChampCodeBarreEPL2& b : etiquette.codesBarres)
        DessineCodeBarre(peintre, b, erreurs);
    for (const ChampTexteEPL2& t : etiquette.textes)
        DessineTexte(peintre, t);
    peintre.restore();
}

QImage ImageEtiquette(const EtiquetteEPL2& etiquette) {
    QImage image(etiquette.largeur, etiquette.hauteur, QImage::Format_RGB32);
    image.setDotsPerMeterX(7992); // 203 dpi
    image.setDotsPerMeterY(7992);
    image.fill(Qt::white);
    QPainter peintre(&image);
    DessineEtiquette(peintre, etiquette);
    peintre.end();
    return image.convertToFormat(QImage::Format_Grayscale8);
}
