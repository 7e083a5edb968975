#pragma once
// The cursor over a viewport says what a press there will do: move the view
// (pan, orbit, dolly or field), pick an object for the current tool, or
// create something where it lands. The pick and create cursors are drawn
// here; the view ones are the window system's. A tracker set on the
// application keeps every viewport's cursor in step with the tool mode, so
// the viewport widget itself need not know.

#include <QCursor>
#include <QObject>

#include <functional>

namespace corvid {

class Editor;

enum class ToolCursorKind { Arrow, Pan, Orbit, Dolly, Pick, Create };

// What a press in a viewport does in mode.
ToolCursorKind CursorKindOf(int mode);
// The cursor for kind (the drawn ones are made once).
QCursor ToolCursor(ToolCursorKind kind);

// Watches the application's events and gives each viewport the cursor of
// the editor's current tool mode as the mouse comes in or moves over it.
class ToolCursorTracker final : public QObject {
    Q_OBJECT
public:
    // isViewport tells the viewports among the watched objects; by default
    // the viewport widgets.
    ToolCursorTracker(const Editor& editor, QObject* parent = nullptr,
                      std::function<bool(QObject*)> isViewport = {});

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const Editor& editor_;
    std::function<bool(QObject*)> isViewport_;
};

} // namespace corvid
