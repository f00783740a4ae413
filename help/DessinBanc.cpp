#include "DessinBanc.h"

#include <QPainterPath>

namespace {

const QColor kCable(70, 70, 70);

void Legende(QPainter& p, const QRectF& r, const QString& texte, int taille = 9,
             Qt::Alignment a = Qt::AlignCenter) {
    QFont f = p.font();
    f.setPixelSize(taille);
    p.setFont(f);
    p.setPen(Qt::black);
    p.drawText(r, a | Qt::TextWordWrap, texte);
}

void Cable(QPainter& p, QPointF de, QPointF a, qreal epaisseur) {
    QPainterPath chemin(de);
    const qreal milieu = (de.y() + a.y()) / 2;
    chemin.cubicTo(QPointF(de.x(), milieu), QPointF(a.x(), milieu), a);
    p.setPen(QPen(kCable, epaisseur, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(chemin);
}

void Programmateur(QPainter& p) {
    const QRectF boite(12, 34, 128, 70);
    p.setPen(QPen(Qt::black, 1.2));
    p.setBrush(QColor(205, 208, 214));
    p.drawRoundedRect(boite, 6, 6);
    Legende(p, boite.adjusted(4, 4, -4, -36), QStringLiteral("Programmateur PIC"), 10);
    // LED lit when the programmer is on.
    p.setPen(QPen(Qt::darkGreen, 1));
    p.setBrush(QColor(40, 220, 60));
    p.drawEllipse(QPointF(30, 80), 6, 6);
    Legende(p, QRectF(40, 72, 60, 16), QStringLiteral("LED verte"), 8,
            Qt::AlignLeft | Qt::AlignVCenter);
    // Power switch.
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(60, 60, 60));
    p.drawRect(QRectF(112, 72, 16, 20));
    p.setBrush(QColor(220, 40, 40));
    p.drawRect(QRectF(114, 74, 12, 8));
    Legende(p, QRectF(96, 92, 48, 12), QStringLiteral("marche"), 8);
}

void Carte(QPainter& p) {
    const QRectF pcb(176, 118, 164, 84);
    p.setPen(QPen(QColor(10, 70, 20), 1.2));
    p.setBrush(QColor(40, 130, 60));
    p.drawRoundedRect(pcb, 4, 4);
    // The PIC.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(25, 25, 25));
    p.drawRect(QRectF(262, 150, 44, 24));
    p.setBrush(QColor(190, 190, 190));
    for (int i = 0; i < 7; ++i) {
        p.drawRect(QRectF(265 + i * 6, 146, 3, 4));
        p.drawRect(QRectF(265 + i * 6, 174, 3, 4));
    }
    // HE10 14-pin: 2 rows of 7.
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(30, 30, 30));
    p.drawRect(QRectF(186, 124, 46, 16));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(230, 200, 90));
    for (int r = 0; r < 2; ++r)
        for (int i = 0; i < 7; ++i)
            p.drawRect(QRectF(189 + i * 6, 127 + r * 6, 3, 3));
    // SIL 7-pin: one row.
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(30, 30, 30));
    p.drawRect(QRectF(246, 124, 46, 9));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(230, 200, 90));
    for (int i = 0; i < 7; ++i)
        p.drawRect(QRectF(249 + i * 6, 127, 3, 3));
    // IR and EA connectors on the lower edge.
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(240, 240, 240));
    p.drawRect(QRectF(184, 186, 22, 10));
    p.drawRect(QRectF(300, 186, 32, 10));
    p.setPen(Qt::white);
    QFont f = p.font();
    f.setPixelSize(9);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRectF(212, 176, 84, 22), Qt::AlignCenter, QStringLiteral("carte plateau"));
    f.setBold(false);
    p.setFont(f);
    Legende(p, QRectF(180, 102, 60, 14), QStringLiteral("HE10 14 pts"), 8);
    Legende(p, QRectF(240, 102, 60, 14), QStringLiteral("SIL 7 pts"), 8);
}

void BarriereIR(QPainter& p) {
    const QRectF emetteur(16, 146, 30, 40), recepteur(112, 146, 30, 40);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(60, 60, 80));
    p.drawRect(emetteur);
    p.drawRect(recepteur);
    p.setPen(QPen(QColor(220, 30, 30), 2, Qt::DashLine));
    p.drawLine(QPointF(46, 166), QPointF(112, 166));
    p.setPen(Qt::white);
    p.drawText(emetteur, Qt::AlignCenter, QStringLiteral("E"));
    p.drawText(recepteur, Qt::AlignCenter, QStringLiteral("R"));
    Legende(p, QRectF(8, 188, 142, 12), QStringLiteral("barriere IR (emetteur, recepteur)"), 8);
    Cable(p, QPointF(127, 186), QPointF(195, 196), 2);
    Cable(p, QPointF(31, 186), QPointF(190, 196), 2);
}

void RailDeTest(QPainter& p) {
    const QRectF rail(14, 232, 332, 34);
    p.setPen(QPen(Qt::black, 1.2));
    p.setBrush(QColor(170, 175, 182));
    p.drawRect(rail);
    // 16 electromagnets.
    p.setBrush(QColor(184, 115, 51));
    for (int i = 0; i < 16; ++i)
        p.drawRect(QRectF(22 + i * 20.3, 238, 12, 22));
    Legende(p, QRectF(14, 268, 332, 14), QStringLiteral("rail de test 16 EA"), 9);
    Cable(p, QPointF(316, 196), QPointF(316, 232), 3);
}

} // namespace

void PeintBanc(QPainter& p, const QRectF& zone) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.fillRect(zone, QColor(250, 250, 246));
    // Drawn on a 360 x 290 grid, scaled to the zone with its proportions kept.
    const qreal echelle = qMin(zone.width() / 360.0, zone.height() / 290.0);
    p.translate(zone.center() - QPointF(180, 145) * echelle);
    p.scale(echelle, echelle);
    Legende(p, QRectF(0, 4, 360, 18), QStringLiteral("Banc de programmation"), 12);
    Programmateur(p);
    Carte(p);
    // Programmer cables over the card, so that they are seen plugged in.
    Cable(p, QPointF(110, 104), QPointF(209, 124), 6);
    Cable(p, QPointF(128, 104), QPointF(269, 124), 3);
    BarriereIR(p);
    RailDeTest(p);
    p.restore();
}

QPixmap DessinBanc(const QSize& taille) {
    QPixmap image(taille);
    image.fill(Qt::white);
    QPainter p(&image);
    PeintBanc(p, QRectF(QPointF(0, 0), QSizeF(taille)));
    return image;
}
