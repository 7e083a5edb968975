#include "gui/AppIcon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace corvid {

QImage DrawApplicationIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // Drawn on a 64-unit grid.
    p.scale(size / 64.0, size / 64.0);

    // The tile.
    QLinearGradient sky(0, 2, 0, 62);
    sky.setColorAt(0.0, QColor(0x3d, 0x8b, 0xd8));
    sky.setColorAt(1.0, QColor(0x12, 0x2e, 0x5c));
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);

    // The cube, seen from above: top, left and right faces.
    const QPointF top(32, 30), left(14, 39), right(50, 39), front(32, 48), bottom(32, 60), lowLeft(14, 51),
        lowRight(50, 51);
    p.setBrush(QColor(0xf2, 0xf4, 0xf7));
    p.drawPolygon(QPolygonF({top, right, front, left}));
    p.setBrush(QColor(0xb9, 0xc4, 0xd2));
    p.drawPolygon(QPolygonF({left, front, bottom, lowLeft}));
    p.setBrush(QColor(0x83, 0x93, 0xa8));
    p.drawPolygon(QPolygonF({front, right, lowRight, bottom}));

    // The crow on the cube's top, facing right.
    QPainterPath crow;
    crow.moveTo(18, 33);                 // tail tip
    crow.lineTo(25, 27);                 // tail into the back
    crow.cubicTo(27, 19, 36, 15, 42, 16);  // back up to the head
    crow.cubicTo(44, 12, 50, 12, 51, 16);  // crown
    crow.lineTo(57, 18);                 // beak tip
    crow.lineTo(50, 20);                 // under the beak
    crow.cubicTo(48, 27, 43, 32, 35, 33);  // breast
    crow.lineTo(26, 33);
    crow.closeSubpath();
    p.setBrush(QColor(0x14, 0x14, 0x18));
    p.drawPath(crow);
    // Legs and the eye.
    p.setPen(QPen(QColor(0x14, 0x14, 0x18), 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(33, 32), QPointF(32, 36));
    p.drawLine(QPointF(38, 31), QPointF(38, 35));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xf5, 0xd0, 0x4a));
    p.drawEllipse(QPointF(47.5, 15.8), 1.3, 1.3);
    p.end();
    return image;
}

QIcon ApplicationIcon()
{
    QIcon icon;
    for (int size : kApplicationIconSizes)
        icon.addPixmap(QPixmap::fromImage(DrawApplicationIcon(size)));
    return icon;
}

} // namespace corvid
