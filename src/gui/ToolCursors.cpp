#include "gui/ToolCursors.h"

#include "app/Editor.h"
#include "gui/ViewportWidget.h"
#include "tools/ToolMode.h"

#include <QEvent>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

namespace corvid {

namespace {

constexpr int kCursorSize = 32;
constexpr int kHotSpot = 15;

// A crosshair with a gap at the hot spot, outlined in white so that it shows
// on dark and light scenes alike; mark draws the tool's sign beside it.
QCursor DrawnCursor(const std::function<void(QPainter&)>& mark)
{
    QPixmap pixmap(kCursorSize, kCursorSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    const int c = kHotSpot;
    for (const auto& [colour, width] : {std::pair{QColor(Qt::white), 3}, std::pair{QColor(Qt::black), 1}}) {
        p.setPen(QPen(colour, width, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(c, 2, c, c - 3);
        p.drawLine(c, c + 3, c, 28);
        p.drawLine(2, c, c - 3, c);
        p.drawLine(c + 3, c, 28, c);
    }
    mark(p);
    p.end();
    return QCursor(pixmap, kHotSpot, kHotSpot);
}

QCursor PickCursor()
{
    // A small square: the object under the cross is taken.
    return DrawnCursor([](QPainter& p) {
        p.setPen(QPen(Qt::white, 3));
        p.drawRect(20, 20, 8, 8);
        p.setPen(QPen(Qt::black, 1));
        p.drawRect(20, 20, 8, 8);
    });
}

QCursor CreateCursor()
{
    // A plus: something is made where the cross is.
    return DrawnCursor([](QPainter& p) {
        for (const auto& [colour, width] : {std::pair{QColor(Qt::white), 4}, std::pair{QColor(0, 110, 40), 2}}) {
            p.setPen(QPen(colour, width, Qt::SolidLine, Qt::FlatCap));
            p.drawLine(24, 18, 24, 30);
            p.drawLine(18, 24, 30, 24);
        }
    });
}

} // namespace

ToolCursorKind CursorKindOf(int mode)
{
    switch (mode) {
    case kModeNone: return ToolCursorKind::Arrow;
    case kModePan: return ToolCursorKind::Pan;
    case kModeOrbit: return ToolCursorKind::Orbit;
    case kModeDollyActive:
    case kModeDollyAll:
    case kModeFieldActive:
    case kModeFieldAll: return ToolCursorKind::Dolly;
    default: break;
    }
    const bool creates = (mode >= kModeSphere && mode <= kModeCone) || mode == kModeBSplinePatch ||
                         mode == kModeCatmullRomPatch || (mode >= kModeAmbientLight && mode <= kModeParallelPointLight);
    return creates ? ToolCursorKind::Create : ToolCursorKind::Pick;
}

QCursor ToolCursor(ToolCursorKind kind)
{
    switch (kind) {
    case ToolCursorKind::Arrow: return QCursor(Qt::ArrowCursor);
    case ToolCursorKind::Pan: return QCursor(Qt::SizeAllCursor);
    case ToolCursorKind::Orbit: return QCursor(Qt::OpenHandCursor);
    case ToolCursorKind::Dolly: return QCursor(Qt::SizeVerCursor);
    case ToolCursorKind::Pick: {
        static const QCursor pick = PickCursor();
        return pick;
    }
    case ToolCursorKind::Create: {
        static const QCursor create = CreateCursor();
        return create;
    }
    }
    return QCursor(Qt::ArrowCursor);
}

ToolCursorTracker::ToolCursorTracker(const Editor& editor, QObject* parent, std::function<bool(QObject*)> isViewport)
    : QObject(parent)
    , editor_(editor)
    , isViewport_(std::move(isViewport))
{
    if (!isViewport_)
        isViewport_ = [](QObject* object) { return qobject_cast<ViewportWidget*>(object) != nullptr; };
}

bool ToolCursorTracker::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if ((type == QEvent::Enter || type == QEvent::MouseMove || type == QEvent::MouseButtonRelease) &&
        isViewport_(watched)) {
        auto* widget = static_cast<QWidget*>(watched);
        const QCursor cursor = ToolCursor(CursorKindOf(editor_.tools.mode));
        // Setting the same cursor again on every move would ask the window
        // system each time.
        const bool same = widget->testAttribute(Qt::WA_SetCursor) &&
                          widget->cursor().shape() == cursor.shape() &&
                          (cursor.shape() != Qt::BitmapCursor ||
                           widget->cursor().pixmap().cacheKey() == cursor.pixmap().cacheKey());
        if (!same)
            widget->setCursor(cursor);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace corvid
