#include "RenduEPL2.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
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

void DessineCodeBarre(QPainter& p, const ChampCodeBarreEPL2& b, QStringList* erreurs) {
    if (!b.type.startsWith(QLatin1Char('1')))
        return; // told when the command was read
    QString erreur;
    const QList<bool> modules = ModulesCode128(b.donnees, &erreur);
    if (modules.isEmpty()) {
        if (erreurs)
            *erreurs << QStringLiteral("code barre \"%1\" : %2").arg(b.donnees, erreur);
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

void DessineEtiquette(QPainter& peintre, const EtiquetteEPL2& etiquette, QStringList* erreurs) {
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
    for (const ChampCodeBarreEPL2& b : etiquette.codesBarres)
        DessineCodeBarre(peintre, b, erreurs);
    for (const ChampTexteEPL2& t : etiquette.textes)
        DessineTexte(peintre, t);
    peintre.restore();
}

QImage ImageEtiquette(const EtiquetteEPL2& etiquette, QStringList* erreurs) {
    QImage image(etiquette.largeur, etiquette.hauteur, QImage::Format_RGB32);
    image.setDotsPerMeterX(7992); // 203 dpi
    image.setDotsPerMeterY(7992);
    image.fill(Qt::white);
    QPainter peintre(&image);
    DessineEtiquette(peintre, etiquette, erreurs);
    peintre.end();
    return image.convertToFormat(QImage::Format_Grayscale8);
}

QList<QImage> RendTravailEPL2(const QByteArray& travail, QStringList* commandesInconnues) {
    QList<QImage> images;
    if (commandesInconnues)
        commandesInconnues->clear();
    FormeEPL2 forme;
    for (const QString& ligne : LignesEPL2(travail)) {
        const qsizetype inconnues = forme.etiquette().commandesInconnues.size();
        if (forme.commande(ligne) > 0)
            images << ImageEtiquette(forme.etiquette());
        else if (commandesInconnues && forme.etiquette().commandesInconnues.size() > inconnues)
            *commandesInconnues << ligne;
    }
    return images;
}
