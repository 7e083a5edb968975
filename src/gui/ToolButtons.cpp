#include "gui/ToolButtons.h"

#include "app/Editor.h"
#include "tools/ToolMode.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>
#include <numbers>

namespace corvid {

namespace {

constexpr int kButtonSize = 36;
constexpr int kColumns = 4;

// View tools draw in blue, object tools in orange, hierarchy tools in
// green, the creation tools in purple, lights in amber and surfaces in teal.
const QColor kViewInk(35, 90, 170);
const QColor kObjectInk(190, 95, 15);
const QColor kTreeInk(30, 120, 60);
const QColor kMakeInk(110, 60, 160);
const QColor kLightInk(150, 105, 0);
const QColor kSurfaceInk(20, 125, 135);
const QColor kDeformInk(175, 40, 70);
const QColor kDark(45, 45, 50);
const QColor kGlow(255, 215, 70);

void Arrow(QPainter& p, QPointF from, QPointF to, double head = 4.0)
{
    p.drawLine(from, to);
    const QPointF d = to - from;
    const double length = std::hypot(d.x(), d.y());
    if (length <= 0)
        return;
    const QPointF u = d / length;
    const QPointF n(-u.y(), u.x());
    QPolygonF tip;
    tip << to << to - u * head + n * head * 0.6 << to - u * head - n * head * 0.6;
    p.save();
    p.setBrush(p.pen().color());
    p.drawPolygon(tip);
    p.restore();
}

void FourArrows(QPainter& p, QPointF c, double r)
{
    Arrow(p, c, c + QPointF(r, 0));
    Arrow(p, c, c - QPointF(r, 0));
    Arrow(p, c, c + QPointF(0, r));
    Arrow(p, c, c - QPointF(0, r));
}

// A small 2 x 2 grid in the lower right corner: "in all viewports".
void AllBadge(QPainter& p)
{
    p.save();
    p.setPen(QPen(kDark, 1.0));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(15.5, 15.5, 8, 8));
    p.drawLine(QPointF(19.5, 15.5), QPointF(19.5, 23.5));
    p.drawLine(QPointF(15.5, 19.5), QPointF(23.5, 19.5));
    p.restore();
}

void Camera(QPainter& p, QPointF at)
{
    p.save();
    p.setBrush(kViewInk.lighter(160));
    p.drawRect(QRectF(at.x(), at.y(), 8, 6));
    QPolygonF lens;
    lens << QPointF(at.x() + 8, at.y() + 3) << QPointF(at.x() + 11, at.y()) << QPointF(at.x() + 11, at.y() + 6);
    p.drawPolygon(lens);
    p.restore();
}

void Node(QPainter& p, QPointF c, const QColor& fill)
{
    p.save();
    p.setBrush(fill);
    p.drawEllipse(c, 2.6, 2.6);
    p.restore();
}

void Eye(QPainter& p)
{
    QPainterPath eye;
    eye.moveTo(2, 12);
    eye.quadTo(12, 2, 22, 12);
    eye.quadTo(12, 22, 2, 12);
    p.setBrush(Qt::white);
    p.drawPath(eye);
    p.setBrush(kObjectInk);
    p.drawEllipse(QPointF(12, 12), 3.5, 3.5);
}

void Cube(QPainter& p, QRectF box, const QColor& fill)
{
    const double d = box.width() * 0.3;
    QPolygonF front, top, side;
    front << box.bottomLeft() << QPointF(box.left(), box.top() + d) << QPointF(box.right() - d, box.top() + d)
          << QPointF(box.right() - d, box.bottom());
    top << QPointF(box.left(), box.top() + d) << QPointF(box.left() + d, box.top()) << box.topRight()
        << QPointF(box.right() - d, box.top() + d);
    side << QPointF(box.right() - d, box.top() + d) << box.topRight() << QPointF(box.right(), box.bottom() - d)
         << QPointF(box.right() - d, box.bottom());
    p.save();
    p.setBrush(fill);
    p.drawPolygon(front);
    p.setBrush(fill.lighter(130));
    p.drawPolygon(top);
    p.setBrush(fill.darker(130));
    p.drawPolygon(side);
    p.restore();
}

// A shaded ball: lit from the upper left.
void Ball(QPainter& p, QRectF box, const QColor& ink)
{
    QRadialGradient shade(box.topLeft() + QPointF(box.width() * 0.35, box.height() * 0.3), box.width() * 0.75);
    shade.setColorAt(0, Qt::white);
    shade.setColorAt(1, ink.lighter(110));
    p.save();
    p.setBrush(shade);
    p.drawEllipse(box);
    p.restore();
}

// An upright tube or cone seen a little from above; top 0 draws a cone.
void Tube(QPainter& p, double top, const QColor& ink)
{
    const QRectF base(4, 17, 16, 5);
    p.save();
    p.setBrush(ink.lighter(150));
    QPainterPath body;
    body.moveTo(12 - top, 4.5);
    body.lineTo(4, 19.5);
    body.arcTo(base, 180, 180);
    body.lineTo(12 + top, 4.5);
    body.closeSubpath();
    p.drawPath(body);
    if (top > 0) {
        p.setBrush(ink.lighter(180));
        p.drawEllipse(QRectF(12 - top, 2, 2 * top, 5));
    }
    p.restore();
}

// A lamp bulb with its screw cap below.
void Bulb(QPainter& p, QPointF c)
{
    p.save();
    p.setPen(QPen(kLightInk, 1.2));
    p.setBrush(kGlow);
    p.drawEllipse(c, 4.5, 4.5);
    p.setBrush(QColor(150, 150, 150));
    p.drawRect(QRectF(c.x() - 2, c.y() + 4, 4, 3));
    p.restore();
}

// A curved surface patch: a warped grid, its control points in dots.
void Patch(QPainter& p, const QColor& ink, bool pointsOnSurface)
{
    auto at = [](double u, double v) {
        // The corners (3, 8) (15, 3) (21, 15) (9, 20), bulging up in the middle.
        const double x = 3 + 12 * u + 6 * v;
        const double y = 8 - 5 * u + 12 * v - 5 * std::sin(u * std::numbers::pi) * std::sin(v * std::numbers::pi);
        return QPointF(x, y);
    };
    p.save();
    QPainterPath outline;
    outline.moveTo(at(0, 0));
    for (int side = 0; side < 4; ++side)
        for (int k = 1; k <= 8; ++k) {
            const double t = k / 8.0;
            const double u = side == 0 ? t : side == 1 ? 1 : side == 2 ? 1 - t : 0;
            const double v = side == 0 ? 0 : side == 1 ? t : side == 2 ? 1 : 1 - t;
            outline.lineTo(at(u, v));
        }
    p.setBrush(ink.lighter(170));
    p.drawPath(outline);
    p.setPen(QPen(ink, 0.9));
    for (double g : {1.0 / 3.0, 2.0 / 3.0}) {
        QPainterPath across, along;
        across.moveTo(at(g, 0));
        along.moveTo(at(0, g));
        for (int k = 1; k <= 8; ++k) {
            across.lineTo(at(g, k / 8.0));
            along.lineTo(at(k / 8.0, g));
        }
        p.setBrush(Qt::NoBrush);
        p.drawPath(across);
        p.drawPath(along);
    }
    // B-spline points float off the surface; Catmull-Rom points lie on it.
    p.setPen(Qt::NoPen);
    p.setBrush(pointsOnSurface ? kObjectInk : kViewInk);
    for (double u : {0.0, 0.5, 1.0})
        for (double v : {0.0, 0.5, 1.0}) {
            const QPointF point = at(u, v) - (pointsOnSurface ? QPointF() : QPointF(0, 2.5));
            p.drawEllipse(point, 1.5, 1.5);
        }
    p.restore();
}

void DrawCreationTool(QPainter& p, int mode)
{
    const QColor ink = mode >= kModeAmbientLight ? kLightInk : mode >= kModeBSplinePatch ? kSurfaceInk : kMakeInk;
    p.setPen(QPen(ink, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    switch (mode) {
    case kModeSphere:
        Ball(p, QRectF(3, 3, 18, 18), ink);
        p.setPen(QPen(ink, 0.9));
        p.drawArc(QRectF(3, 9, 18, 6), 180 * 16, 180 * 16);
        break;
    case kModeSquare: {
        QPolygonF plane;
        plane << QPointF(1.5, 15) << QPointF(10, 7) << QPointF(22.5, 9) << QPointF(14, 18);
        p.setBrush(ink.lighter(160));
        p.drawPolygon(plane);
        p.setPen(QPen(ink, 0.8));
        p.drawLine(QPointF(5.75, 11), QPointF(18.25, 13.5));
        p.drawLine(QPointF(7.75, 16.5), QPointF(16.25, 8));
        break;
    }
    case kModeCube:
        Cube(p, QRectF(3, 3, 18, 18), ink);
        break;
    case kModeCylinder:
        Tube(p, 8, ink);
        break;
    case kModeCone:
        Tube(p, 0, ink);
        break;
    case kModeSuperEllipsoid: {
        // A rounded cushion between a box and a ball.
        QRadialGradient shade(QPointF(9, 8), 16);
        shade.setColorAt(0, Qt::white);
        shade.setColorAt(1, ink.lighter(110));
        p.setBrush(shade);
        p.drawRoundedRect(QRectF(3, 4, 18, 16), 6, 6);
        p.setPen(QPen(ink, 0.9));
        p.drawArc(QRectF(3, 9, 18, 6), 180 * 16, 180 * 16);
        break;
    }
    case kModeSuperToroid: {
        QPainterPath ring;
        ring.addRoundedRect(QRectF(1.5, 6, 21, 13), 5.5, 5.5);
        ring.addRoundedRect(QRectF(8, 10.5, 8, 4), 2, 2);
        ring.setFillRule(Qt::OddEvenFill);
        QLinearGradient shade(QPointF(0, 6), QPointF(0, 19));
        shade.setColorAt(0, ink.lighter(190));
        shade.setColorAt(1, ink.lighter(110));
        p.setBrush(shade);
        p.drawPath(ring);
        break;
    }
    case kModeCamera:
        p.setBrush(ink.lighter(160));
        p.drawEllipse(QPointF(6.5, 6), 3.2, 3.2);
        p.drawEllipse(QPointF(13.5, 6), 3.2, 3.2);
        p.drawRect(QRectF(2.5, 10, 13, 9));
        {
            QPolygonF lens;
            lens << QPointF(15.5, 14.5) << QPointF(22, 10.5) << QPointF(22, 18.5);
            p.drawPolygon(lens);
        }
        break;
    case kModeSpotLight: {
        QPolygonF beam;
        beam << QPointF(10, 8) << QPointF(14, 8) << QPointF(22, 22) << QPointF(2, 22);
        QLinearGradient fade(QPointF(0, 8), QPointF(0, 22));
        fade.setColorAt(0, kGlow);
        fade.setColorAt(1, QColor(255, 235, 150, 60));
        p.setPen(Qt::NoPen);
        p.setBrush(fade);
        p.drawPolygon(beam);
        p.setPen(QPen(kDark, 1.2));
        p.setBrush(QColor(120, 120, 125));
        p.drawRect(QRectF(8.5, 2, 7, 6));
        break;
    }
    case kModePointLight:
        for (int k = 0; k < 8; ++k) {
            const double a = k * std::numbers::pi / 4;
            p.drawLine(QPointF(12 + 7 * std::cos(a), 10 + 7 * std::sin(a)),
                       QPointF(12 + 10 * std::cos(a), 10 + 10 * std::sin(a)));
        }
        Bulb(p, {12, 10});
        break;
    case kModeDirectionalLight:
        for (int k = 0; k < 3; ++k)
            Arrow(p, QPointF(3 + 6 * k, 2), QPointF(9 + 6 * k, 21), 3.5);
        break;
    case kModeAmbientLight: {
        QRadialGradient glow(QPointF(12, 12), 11);
        glow.setColorAt(0, kGlow);
        glow.setColorAt(1, QColor(255, 215, 70, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(glow);
        p.drawEllipse(QPointF(12, 12), 11, 11);
        p.setPen(QPen(ink, 1.0, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(12, 12), 9, 9);
        break;
    }
    case kModeParallelPointLight:
        for (int k = 0; k < 4; ++k)
            p.drawLine(QPointF(5 + 4.5 * k, 15), QPointF(5 + 4.5 * k, 22.5));
        Bulb(p, {12, 6});
        break;
    case kModeBSplinePatch:
        Patch(p, ink, false);
        break;
    case kModeCatmullRomPatch:
        Patch(p, ink, true);
        break;
    default:
        break;
    }
}

// The deformers, relax and multicopy: a bar changed as the tool changes it.
bool DrawDeformTool(QPainter& p, int mode)
{
    p.setPen(QPen(kDark, 1.0));
    p.setBrush(kDeformInk.lighter(150));
    QPainterPath bar;
    switch (mode) {
    case kModeBend:
        bar.moveTo(5, 22);
        bar.cubicTo(5, 8, 10, 3, 21, 3);
        bar.lineTo(21, 9);
        bar.cubicTo(14, 9, 11, 12, 11, 22);
        bar.closeSubpath();
        break;
    case kModeTwist:
        bar.moveTo(7, 2);
        bar.cubicTo(24, 8, 0, 16, 17, 22);
        bar.lineTo(7, 22);
        bar.cubicTo(24, 16, 0, 8, 17, 2);
        bar.closeSubpath();
        break;
    case kModeTaper:
        bar.addPolygon(QPolygonF() << QPointF(10, 2) << QPointF(14, 2) << QPointF(21, 22) << QPointF(3, 22));
        break;
    case kModeBulge:
        bar.moveTo(8, 2);
        bar.lineTo(16, 2);
        bar.cubicTo(24, 8, 24, 16, 16, 22);
        bar.lineTo(8, 22);
        bar.cubicTo(0, 16, 0, 8, 8, 2);
        break;
    case kModePull:
        bar.moveTo(4, 2);
        bar.lineTo(10, 2);
        bar.cubicTo(10, 8, 16, 10, 16, 12);
        bar.cubicTo(16, 14, 10, 16, 10, 22);
        bar.lineTo(4, 22);
        bar.closeSubpath();
        p.drawPath(bar);
        p.setPen(QPen(kDeformInk, 1.6));
        Arrow(p, QPointF(16, 12), QPointF(23, 12), 3.5);
        return true;
    case kModeRelax: {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(kDark, 1.4));
        p.drawPolyline(QPolygonF() << QPointF(2, 9) << QPointF(6, 3) << QPointF(10, 10) << QPointF(14, 2)
                                   << QPointF(18, 9) << QPointF(22, 4));
        QPainterPath smooth;
        smooth.moveTo(2, 18);
        smooth.cubicTo(8, 13, 16, 23, 22, 17);
        p.setPen(QPen(kDeformInk, 3.0));
        p.drawPath(smooth);
        return true;
    }
    case kModeMultiCopy:
        Cube(p, QRectF(1, 13, 8, 8), kDeformInk.lighter(170));
        Cube(p, QRectF(6, 9, 10, 10), kDeformInk.lighter(140));
        Cube(p, QRectF(11, 3, 12, 12), kDeformInk);
        return true;
    default:
        return false;
    }
    p.drawPath(bar);
    return true;
}

void DrawTool(QPainter& p, int mode)
{
    p.save();
    const bool deform = DrawDeformTool(p, mode);
    p.restore();
    if (deform)
        return;
    if ((mode >= kModeSphere && mode <= kModeCone) || mode == kModeBSplinePatch || mode == kModeCatmullRomPatch ||
        (mode >= kModeAmbientLight && mode <= kModeParallelPointLight)) {
        DrawCreationTool(p, mode);
        return;
    }
    const QColor ink = mode < kModeMove ? kViewInk : mode >= kModeAttach && mode <= kModeUnlink ? kTreeInk : kObjectInk;
    p.setPen(QPen(ink, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    switch (mode) {
    case kModePan:
        FourArrows(p, {12, 12}, 10);
        break;
    case kModeOrbit: {
        // A ringed ball: the ring's front half passes over it.
        p.setBrush(ink.lighter(160));
        p.drawEllipse(QPointF(12, 12), 5, 5);
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(1.5, 8.5, 21, 7), 0, 180 * 16);
        p.drawArc(QRectF(1.5, 8.5, 21, 7), 180 * 16, 180 * 16);
        Arrow(p, {7, 15.2}, {12.5, 15.5}, 3.5);
        break;
    }
    case kModeDollyActive:
    case kModeDollyAll:
        Camera(p, {1, 9});
        Arrow(p, {14, 12}, {22.5, 12});
        if (mode == kModeDollyAll)
            AllBadge(p);
        break;
    case kModeFieldActive:
    case kModeFieldAll: {
        QPolygonF wedge;
        wedge << QPointF(3, 12) << QPointF(21, 3) << QPointF(21, 21);
        p.setBrush(ink.lighter(170));
        p.drawPolygon(wedge);
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(-3, 6, 18, 12), -30 * 16, 60 * 16);
        if (mode == kModeFieldAll)
            AllBadge(p);
        break;
    }
    case kModeCentreActive:
    case kModeCentreAll:
        // Cross-hairs on a small block.
        p.drawEllipse(QPointF(12, 12), 8.5, 8.5);
        for (const QLineF& tick : {QLineF(12, 1, 12, 6), QLineF(12, 18, 12, 23), QLineF(1, 12, 6, 12), QLineF(18, 12, 23, 12)})
            p.drawLine(tick);
        p.setBrush(ink.lighter(150));
        p.drawRect(QRectF(9.5, 9.5, 5, 5));
        if (mode == kModeCentreAll)
            AllBadge(p);
        break;
    case kModeFrameActive:
    case kModeFrameAll: {
        // A block filling the corners of a picture.
        const QPointF corners[4][3] = {{{2, 8}, {2, 2}, {8, 2}},
                                       {{16, 2}, {22, 2}, {22, 8}},
                                       {{22, 16}, {22, 22}, {16, 22}},
                                       {{8, 22}, {2, 22}, {2, 16}}};
        for (const auto& corner : corners)
            p.drawPolyline(corner, 3);
        p.setBrush(ink.lighter(150));
        p.drawRect(QRectF(6, 6, 12, 12));
        if (mode == kModeFrameAll)
            AllBadge(p);
        break;
    }
    case kModeMove:
        FourArrows(p, {12, 12}, 10.5);
        p.setBrush(ink.lighter(150));
        p.drawRect(QRectF(9, 9, 6, 6));
        break;
    case kModeRotate: {
        p.drawArc(QRectF(3, 3, 18, 18), 60 * 16, 300 * 16);
        Arrow(p, {16.5, 4.2}, {20.5, 7.5});
        break;
    }
    case kModeScale:
        p.drawRect(QRectF(2.5, 10.5, 11, 11));
        p.setPen(QPen(ink, 1.0, Qt::DashLine));
        p.drawRect(QRectF(2.5, 2.5, 19, 19));
        p.setPen(QPen(ink, 1.6));
        Arrow(p, {11, 13}, {20, 4});
        break;
    case kModeUniformScale:
        p.setBrush(ink.lighter(160));
        p.drawRect(QRectF(8, 8, 8, 8));
        Arrow(p, {8, 8}, {2.5, 2.5}, 3.5);
        Arrow(p, {16, 8}, {21.5, 2.5}, 3.5);
        Arrow(p, {8, 16}, {2.5, 21.5}, 3.5);
        Arrow(p, {16, 16}, {21.5, 21.5}, 3.5);
        break;
    case kModeLookAt:
        Eye(p);
        break;
    case kModeStopLookAt:
        Eye(p);
        p.setPen(QPen(QColor(200, 30, 30), 2.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(4, 20), QPointF(20, 4));
        break;
    case kModeLightSettings:
        p.setPen(QPen(QColor(140, 110, 0), 1.4));
        p.setBrush(QColor(255, 220, 60));
        p.drawEllipse(QRectF(6, 2, 12, 12));
        p.setBrush(QColor(160, 160, 160));
        p.drawRect(QRectF(9, 14, 6, 6));
        p.drawLine(QPointF(9, 17), QPointF(15, 17));
        p.setPen(QPen(kDark, 1.4));
        p.drawLine(QPointF(10.5, 22), QPointF(13.5, 22));
        break;
    case kModeDelete:
        p.setPen(QPen(QColor(200, 30, 30), 3.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(5, 5), QPointF(19, 19));
        p.drawLine(QPointF(19, 5), QPointF(5, 19));
        break;
    case kModeCopy:
        p.setBrush(Qt::white);
        p.drawRect(QRectF(2.5, 2.5, 12, 12));
        p.setBrush(ink.lighter(160));
        p.drawRect(QRectF(9.5, 9.5, 12, 12));
        break;
    case kModePivot:
        p.drawEllipse(QPointF(12, 12), 7, 7);
        p.drawLine(QPointF(12, 1), QPointF(12, 23));
        p.drawLine(QPointF(1, 12), QPointF(23, 12));
        p.setBrush(ink);
        p.drawEllipse(QPointF(12, 12), 2.2, 2.2);
        break;
    case kModeOriginToCentre:
        p.setPen(QPen(ink, 1.2, Qt::DashLine));
        p.drawRect(QRectF(6.5, 6.5, 15, 15));
        p.setPen(QPen(ink, 1.6));
        Arrow(p, {2, 2}, {12.5, 12.5});
        p.setBrush(ink);
        p.drawEllipse(QPointF(14, 14), 2.2, 2.2);
        break;
    case kModeStretch:
        p.setBrush(ink.lighter(160));
        p.drawRect(QRectF(8.5, 6.5, 7, 11));
        Arrow(p, {12, 6.5}, {12, 1});
        Arrow(p, {12, 17.5}, {12, 23});
        Arrow(p, {8.5, 12}, {6.5, 12}, 2.5);
        Arrow(p, {15.5, 12}, {17.5, 12}, 2.5);
        break;
    case kModeAttach:
        // A loose node joins a parent.
        p.drawLine(QPointF(6, 6), QPointF(6, 18));
        p.drawLine(QPointF(6, 18), QPointF(12, 18));
        Node(p, {6, 5}, ink);
        Node(p, {15, 18}, Qt::white);
        Arrow(p, {20, 6}, {15.5, 14}, 3.5);
        break;
    case kModeInsert:
        p.drawLine(QPointF(5, 4), QPointF(5, 20));
        Node(p, {5, 4}, ink);
        Node(p, {5, 20}, ink);
        Node(p, {5, 12}, Qt::white);
        Arrow(p, {21, 12}, {9, 12}, 3.5);
        break;
    case kModeExtract:
        p.drawLine(QPointF(5, 5), QPointF(5, 19));
        Node(p, {5, 5}, ink);
        Node(p, {5, 19}, ink);
        Node(p, {17, 12}, Qt::white);
        Arrow(p, {7.5, 12}, {13.5, 12}, 3.5);
        break;
    case kModeFlatten:
        // A chain laid down in a row.
        p.drawLine(QPointF(4, 3), QPointF(4, 9));
        p.drawLine(QPointF(4, 9), QPointF(8, 9));
        Node(p, {4, 3}, ink);
        Node(p, {9.5, 9}, ink);
        p.drawLine(QPointF(2, 19), QPointF(22, 19));
        Node(p, {5, 19}, Qt::white);
        Node(p, {12, 19}, Qt::white);
        Node(p, {19, 19}, Qt::white);
        Arrow(p, {16, 5}, {16, 14}, 3);
        break;
    case kModeUnlink:
        p.drawLine(QPointF(6, 6), QPointF(10, 10));
        p.drawLine(QPointF(14, 14), QPointF(18, 18));
        Node(p, {5, 5}, ink);
        Node(p, {19, 19}, Qt::white);
        p.setPen(QPen(QColor(200, 30, 30), 1.6));
        p.drawLine(QPointF(9, 15), QPointF(15, 9));
        break;
    case kModeShadow: {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(60, 60, 60, 170));
        p.drawEllipse(QRectF(5, 17, 16, 5));
        p.setPen(QPen(ink, 1.4));
        QRadialGradient ball(QPointF(9, 7), 9);
        ball.setColorAt(0, Qt::white);
        ball.setColorAt(1, ink);
        p.setBrush(ball);
        p.drawEllipse(QRectF(5, 2, 12, 12));
        break;
    }
    case kModePaintFace:
    case kModePaintObject:
    case kModePickUpMaterial:
    case kModePaintMatching: {
        // A brush over what it paints: one face, the whole box, the
        // dropper's drop, or the faces alike.
        const QColor paint(40, 120, 220);
        Cube(p, QRectF(2, 8, 14, 14), mode == kModePaintObject ? paint : Qt::white);
        if (mode == kModePaintFace || mode == kModePaintMatching) {
            p.setBrush(paint);
            p.drawRect(QRectF(2, 8, 14, 14));
        }
        if (mode == kModePaintMatching) {
            p.setBrush(paint.lighter(140));
            p.drawRect(QRectF(16, 16, 6, 6));
        }
        p.setPen(QPen(QColor(120, 80, 30), 2.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(22, 2), QPointF(14, 10));
        p.setPen(Qt::NoPen);
        p.setBrush(mode == kModePickUpMaterial ? QColor(230, 230, 230) : paint);
        p.drawEllipse(QPointF(13, 11), 2.6, 2.6);
        break;
    }
    case kModeUnion:
    case kModeIntersection:
    case kModeDifference: {
        // Two overlapping discs, the part the operation keeps filled.
        const QRectF first(2, 5, 13, 13), second(9, 5, 13, 13);
        QPainterPath a, b;
        a.addEllipse(first);
        b.addEllipse(second);
        const QPainterPath kept = mode == kModeUnion          ? a.united(b)
                                  : mode == kModeIntersection ? a.intersected(b)
                                                              : a.subtracted(b);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 150, 90));
        p.drawPath(kept);
        p.setPen(QPen(ink, 1.3));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(first);
        p.drawEllipse(second);
        break;
    }
    default:
        Cube(p, QRectF(4, 4, 16, 16), ink);
        break;
    }
}

} // namespace

const std::vector<ToolEntry>& NavigationTools()
{
    static const std::vector<ToolEntry> tools{
        {kModePan, "Pan"},
        {kModeOrbit, "Orbit"},
        {kModeDollyActive, "Dolly"},
        {kModeDollyAll, "Dolly all views"},
        {kModeFieldActive, "Field of view"},
        {kModeFieldAll, "Field of view, all views"},
    };
    return tools;
}

const std::vector<ToolEntry>& ViewOperationTools()
{
    static const std::vector<ToolEntry> tools{
        {kModeCentreActive, "Centre the view on an object"},
        {kModeCentreAll, "Centre all views on an object"},
        {kModeFrameActive, "Fill the view with an object"},
        {kModeFrameAll, "Fill all views with an object"},
    };
    return tools;
}

const std::vector<ToolEntry>& ObjectTools()
{
    static const std::vector<ToolEntry> tools{
        {kModeMove, "Move"},
        {kModeRotate, "Rotate"},
        {kModeScale, "Scale"},
        {kModeUniformScale, "Uniform scale"},
        {kModeStretch, "Stretch"},
        {kModeCopy, "Copy"},
        {kModeDelete, "Delete"},
        {kModeLookAt, "Look at"},
        {kModeStopLookAt, "Stop looking"},
        {kModePivot, "Pivot"},
        {kModeOriginToCentre, "Origin to centre"},
        {kModeLightSettings, "Light settings"},
        {kModeShadow, "Shadow"},
    };
    return tools;
}

const std::vector<ToolEntry>& PaintTools()
{
    static const std::vector<ToolEntry> tools{
        {kModePaintFace, "Paint face"},
        {kModePaintObject, "Paint object"},
        {kModePickUpMaterial, "Pick up material"},
        {kModePaintMatching, "Paint matching faces"},
    };
    return tools;
}

const std::vector<ToolEntry>& BooleanTools()
{
    static const std::vector<ToolEntry> tools{
        {kModeUnion, "Union"},
        {kModeIntersection, "Intersection"},
        {kModeDifference, "Difference (first minus second)"},
    };
    return tools;
}

const std::vector<ToolEntry>& HierarchyTools()
{
    static const std::vector<ToolEntry> tools{
        {kModeAttach, "Attach"},
        {kModeInsert, "Insert"},
        {kModeExtract, "Extract"},
        {kModeFlatten, "Flatten"},
        {kModeUnlink, "Unlink"},
    };
    return tools;
}

QIcon ToolButtons::ToolIcon(int mode, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 24.0, size / 24.0);
    DrawTool(p, mode);
    p.end();
    return QIcon(pixmap);
}

ToolButtons::ToolButtons(Editor& editor, QWidget* parent)
    : QWidget(parent)
    , editor_(editor)
{
    setObjectName("toolButtons");
    group_ = new QButtonGroup(this);
    group_->setExclusive(true);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);
    auto addGroup = [&](const char* title, const std::vector<ToolEntry>& tools) {
        column->addWidget(new QLabel(title, this));
        auto* grid = new QGridLayout;
        grid->setSpacing(3);
        int i = 0;
        for (const ToolEntry& tool : tools) {
            QToolButton* button = makeButton(tool.mode, tool.name, this);
            buttons_[tool.mode] = button;
            grid->addWidget(button, i / kColumns, i % kColumns);
            ++i;
        }
        grid->setColumnStretch(kColumns, 1);
        column->addLayout(grid);
    };
    // The view tools that work on a clicked object follow the navigation.
    std::vector<ToolEntry> viewTools = NavigationTools();
    viewTools.insert(viewTools.end(), ViewOperationTools().begin(), ViewOperationTools().end());
    addGroup("View", viewTools);
    addGroup("Object", ObjectTools());
    addGroup("Hierarchy", HierarchyTools());
    addGroup("Paint", PaintTools());
    addGroup("Boolean", BooleanTools());

    gridSnap_ = new QCheckBox("Snap to grid", this);
    gridSnap_->setObjectName("gridSnap");
    gridSnap_->setToolTip("Snap moved objects and new positions to the grid");
    gridSnap_->setFocusPolicy(Qt::NoFocus);
    gridSnap_->setChecked(editor_.scene.grid.on);
    connect(gridSnap_, &QCheckBox::toggled, this, [this](bool on) { editor_.scene.grid.on = on; });
    column->addWidget(gridSnap_);

    ShowEditorMode();
}

QToolButton* ToolButtons::makeButton(int mode, const QString& name, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QString("tool%1").arg(mode));
    button->setCheckable(true);
    button->setAutoRaise(true);
    button->setFixedSize(kButtonSize, kButtonSize);
    button->setIconSize(QSize(24, 24));
    button->setIcon(ToolIcon(mode));
    button->setToolTip(name);
    button->setText(name);
    button->setFocusPolicy(Qt::NoFocus);
    group_->addButton(button, mode);
    connect(button, &QToolButton::clicked, this, [this, mode] { choose(mode); });
    return button;
}

QToolButton* ToolButtons::AddButton(int mode, const QString& name, QWidget* parent)
{
    QToolButton* button = makeButton(mode, name, parent);
    added_[mode] = button;
    button->setChecked(editor_.tools.mode == mode);
    return button;
}

QToolButton* ToolButtons::Button(int mode) const
{
    for (const auto* buttons : {&buttons_, &added_})
        if (auto it = buttons->find(mode); it != buttons->end())
            return it->second;
    return nullptr;
}

std::vector<int> ToolButtons::Modes() const
{
    std::vector<int> modes;
    for (const auto& [mode, button] : buttons_)
        modes.push_back(mode);
    return modes;
}

void ToolButtons::ShowEditorMode()
{
    if (QToolButton* button = Button(editor_.tools.mode)) {
        button->setChecked(true);
    } else {
        // No button for this mode: none checked.
        group_->setExclusive(false);
        for (QAbstractButton* b : group_->buttons())
            b->setChecked(false);
        group_->setExclusive(true);
    }
    emit ModeShown(editor_.tools.mode);
}

void ToolButtons::choose(int mode)
{
    editor_.tools.mode = mode;
    editor_.tools.stage = 0;
    emit ModeShown(mode);
}

} // namespace corvid
