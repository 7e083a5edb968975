// Mouse and key input of the viewport windows: detail scaling, activation,
// the button flags and last step, navigation, the corner menu, the Delete
// key, and the hand-over of every other tool mode to the tool dispatch.

#include "app/Ui.h"
#include "platform/Frame.h"
#include "render/Navigation.h"
#include "scene/Editor.h"

#include <cmath>

namespace corvid {

namespace {

// The viewport popup menu opens from this square at a window's top-left
// corner (window pixels).
constexpr int kMenuCorner = 20;
// The drag distance's constant term.
constexpr float kDragDepth = 300.0f;

int Scaled(int value, int detail)
{
    return static_cast<int>(static_cast<long long>(value) * detail / 100);
}

} // namespace

void Editor::activateForInput(int n)
{
    ActivateView(n);
    ViewWindow* window = Viewport(n).window;
    if (window != pressedWindow_) {
        // Another window: the camera light has followed its camera.
        pressedWindow_ = window;
        RenderAllViews();
        FitSelectionMarker();
    }
}

void Editor::ViewportMouseDown(int n, MouseButton button, int windowX, int windowY)
{
    if (n < 1 || n > 4)
        return;
    const int detail = Viewport(n).detail;
    const int x = Scaled(windowX, detail), y = Scaled(windowY, detail);
    activateForInput(n);

    if (button == MouseButton::Right && windowX < kMenuCorner && windowY < kMenuCorner) {
        ui_.OpenViewportMenu(n, windowX, windowY);
        return;
    }
    if (button == MouseButton::Left)
        mouse.leftDown = true;
    else
        mouse.rightDown = true;
    // A press starts a drag from here.
    mouse.lastX = x;
    mouse.lastY = y;
    mouse.dx = mouse.dy = 0;
    mouse.d = kDragDepth;
    sceneModified = true;

    if (IsNavigationMode(toolMode)) {
        if (toolMode == kModePan && button == MouseButton::Left)
            Pick(x, y);
        return;
    }
    ToolPress(button, x, y);
}

void Editor::ViewportMouseMove(int n, int windowX, int windowY)
{
    if (n < 1 || n > 4)
        return;
    const int detail = Viewport(n).detail;
    const int x = Scaled(windowX, detail), y = Scaled(windowY, detail);
    mouse.dx = mouse.lastX - x;
    mouse.dy = mouse.lastY - y;
    mouse.d = std::sqrt(static_cast<float>(mouse.dx) * static_cast<float>(mouse.dx) +
                        static_cast<float>(mouse.dy) * static_cast<float>(mouse.dy) + kDragDepth * kDragDepth);
    if (IsNavigationMode(toolMode)) {
        if (mouse.leftDown || mouse.rightDown)
            NavigationStep(*this);
    } else {
        ToolDrag(x, y);
    }
    mouse.lastX = x;
    mouse.lastY = y;
}

void Editor::ViewportMouseUp(int n, MouseButton button, int windowX, int windowY)
{
    if (n < 1 || n > 4)
        return;
    const int detail = Viewport(n).detail;
    const int x = Scaled(windowX, detail), y = Scaled(windowY, detail);
    ActivateView(n);
    if (button == MouseButton::Left)
        mouse.leftDown = false;
    else
        mouse.rightDown = false;
    if (!IsNavigationMode(toolMode))
        ToolRelease(button, x, y);
    if (button == MouseButton::Right)
        RenderAllViews();
}

void Editor::ViewportKeyDown(int n, int key)
{
    (void)n;
    if (key != kKeyDelete || !hasSelection_ || !selectedFrame_)
        return;
    // The roots are never deleted from a viewport.
    if (selectedFrame_ == scene_ || selectedFrame_ == world_)
        return;
    const FramePtr doomed = selectedFrame_;
    ClearSelection();
    DeleteObjectTree(doomed);
    HideSelectionMarker();
    ClearObjectInfo();
    ui_.Notify(Notification::SelectionChanged);
    RenderAllViews();
}

void Editor::ShowViewportMenu(int n)
{
    if (n < 1 || n > 4)
        return;
    activateForInput(n);
    ui_.OpenViewportMenu(n, 0, 0);
}

} // namespace corvid
