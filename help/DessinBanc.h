#pragma once
// The picture of the programming help: a blank tray card on the bench, wired
// to the PIC programmer (HE10 14-pin and SIL 7-pin), the IR barrier and the
// 16-EA test rail.
#include <QPainter>
#include <QPixmap>
#include <QRectF>

void PeintBanc(QPainter& p, const QRectF& zone);
QPixmap DessinBanc(const QSize& taille);
