#include "ui/pages/DirectoryIcons.h"

#include <QPainter>
#include <QPainterPath>

namespace keldar::ui {

namespace {

// All shapes are drawn on a 32 x 32 grid and scaled to the wanted side.
void drawFolder(QPainter& p, const QColor& body) {
    p.setPen(QPen(body.darker(160), 1.2));
    p.setBrush(body.darker(115));
    p.drawRoundedRect(QRectF(3, 7, 12, 6), 1.5, 1.5);
    p.setBrush(body);
    p.drawRoundedRect(QRectF(3, 10, 26, 17), 2, 2);
}

void drawCurrent(QPainter& p) {
    drawFolder(p, QColor(240, 200, 80));
    QPainterPath arrow;
    arrow.moveTo(9, 18);
    arrow.lineTo(17, 18);
    arrow.lineTo(17, 14);
    arrow.lineTo(24, 19.5);
    arrow.lineTo(17, 25);
    arrow.lineTo(17, 21);
    arrow.lineTo(9, 21);
    arrow.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 140, 0));
    p.drawPath(arrow);
}

void drawHome(QPainter& p) {
    p.setPen(QPen(QColor(90, 40, 20), 1.2));
    p.setBrush(QColor(180, 60, 40));
    p.drawPolygon(QPolygonF({QPointF(3, 16), QPointF(16, 4), QPointF(29, 16)}));
    p.setBrush(QColor(235, 220, 190));
    p.drawRect(QRectF(7, 16, 18, 13));
    p.setBrush(QColor(110, 70, 40));
    p.drawRect(QRectF(13.5, 20, 5, 9));
}

void drawPlanet(QPainter& p) {
    QRadialGradient glow(QPointF(12, 11), 16);
    glow.setColorAt(0, QColor(245, 150, 90));
    glow.setColorAt(1, QColor(150, 50, 20));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(QRectF(3, 3, 26, 26));
    p.setBrush(QColor(120, 45, 20, 170));
    p.drawEllipse(QRectF(9, 15, 10, 4));
    p.drawEllipse(QRectF(17, 8, 6, 3));
    p.setBrush(QColor(255, 255, 255, 220));
    p.drawEllipse(QRectF(12, 3.5, 8, 3));
}

void drawGlasses(QPainter& p) {
    p.setPen(QPen(QColor(40, 40, 40), 1.6));
    p.setBrush(QColor(220, 30, 30, 210));
    p.drawRoundedRect(QRectF(2, 10, 12, 10), 3, 3);
    p.setBrush(QColor(30, 200, 220, 210));
    p.drawRoundedRect(QRectF(18, 10, 12, 10), 3, 3);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(13, 11, 6, 6), 0, 180 * 16);
}

void drawRgb(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setCompositionMode(QPainter::CompositionMode_Plus);
    p.setBrush(QColor(255, 0, 0));
    p.drawEllipse(QRectF(4, 3, 16, 16));
    p.setBrush(QColor(0, 255, 0));
    p.drawEllipse(QRectF(12, 3, 16, 16));
    p.setBrush(QColor(0, 0, 255));
    p.drawEllipse(QRectF(8, 12, 16, 16));
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void drawPalette(QPainter& p) {
    QPainterPath board;
    board.addEllipse(QRectF(2, 5, 28, 22));
    QPainterPath thumb;
    thumb.addEllipse(QRectF(17, 18, 6, 5));
    p.setPen(QPen(QColor(110, 75, 40), 1.2));
    p.setBrush(QColor(215, 175, 120));
    p.drawPath(board.subtracted(thumb));
    const QColor paints[] = {QColor(220, 30, 30), QColor(240, 200, 0), QColor(30, 160, 40), QColor(30, 80, 220)};
    const QPointF places[] = {QPointF(8, 11), QPointF(15, 9), QPointF(22, 11), QPointF(8, 18)};
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 4; ++i) {
        p.setBrush(paints[i]);
        p.drawEllipse(places[i], 2.8, 2.8);
    }
}

void drawChosen(QPainter& p) {
    drawFolder(p, QColor(200, 200, 210));
    QFont font = p.font();
    font.setPixelSize(14);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(0, 110, 0));
    p.drawText(QRectF(3, 10, 26, 17), Qt::AlignCenter, QStringLiteral("?"));
}

}  // namespace

QImage drawDirectoryIcon(DirectoryIcon icon, int side) {
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(side / 32.0, side / 32.0);
    switch (icon) {
    case DirectoryIcon::Current: drawCurrent(p); break;
    case DirectoryIcon::Home: drawHome(p); break;
    case DirectoryIcon::AllImages: drawPlanet(p); break;
    case DirectoryIcon::Anaglyphs: drawGlasses(p); break;
    case DirectoryIcon::Rgb: drawRgb(p); break;
    case DirectoryIcon::Colour: drawPalette(p); break;
    case DirectoryIcon::Chosen: drawChosen(p); break;
    }
    return image;
}

}  // namespace keldar::ui
