// Mouse and key input of the viewport windows: detail scaling, activation,
// the button flags and last step, navigation, the corner menu, the Delete
// key, and the hand-over of every other tool mode to the tool dispatch.

#include "scene/Ui.h"
#include "platform/Frame.h"
#include "render/Navigation.h"
#include "anim/Transport.h"
#include "render/ViewSet.h"
#include "render/ViewWindow.h"
#include "scene/SceneModel.h"
#include "tools/ToolMode.h"
#include "tools/Tools.h"

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

void Tools::activateForInput(int n)
{
    views_.ActivateView(n);
    ViewWindow* window = views_.Viewport(n).window;
    if (window != pressedWindow_) {
        // Another window: the camera light has followed its camera.
        pressedWindow_ = window;
        FitMarkers();
        views_.RenderAllViews();
    }
}

void Tools::ViewportMouseDown(int n, MouseButton button, int windowX, int windowY)
{
    if (n < 1 || n > 4)
        return;
    const int detail = views_.Viewport(n).detail;
    const int x = Scaled(windowX, detail), y = Scaled(windowY, detail);
    activateForInput(n);

    if (button == MouseButton::Right && windowX < kMenuCorner && windowY < kMenuCorner) {
        ui().OpenViewportMenu(n, windowX, windowY);
        return;
    }
    if (button == MouseButton::Left)
        views_.mouse.leftDown = true;
    else
        views_.mouse.rightDown = true;
    // A press starts a drag from here.
    views_.mouse.lastX = x;
    views_.mouse.lastY = y;
    views_.mouse.dx = views_.mouse.dy = 0;
    views_.mouse.d = kDragDepth;

    if (IsNavigationMode(mode)) {
        if (mode == kModePan && button == MouseButton::Left) {
            views_.Pick(x, y);
            moveMarkers_.Hide();
            showSelection();
        }
        return;
    }
    Press(button, x, y);
}

void Tools::ViewportMouseMove(int n, int windowX, int windowY)
{
    if (n < 1 || n > 4)
        return;
    const int detail = views_.Viewport(n).detail;
    const int x = Scaled(windowX, detail), y = Scaled(windowY, detail);
    views_.mouse.dx = views_.mouse.lastX - x;
    views_.mouse.dy = views_.mouse.lastY - y;
    views_.mouse.d = std::sqrt(static_cast<float>(views_.mouse.dx) * static_cast<float>(views_.mouse.dx) +
                        static_cast<float>(views_.mouse.dy) * static_cast<float>(views_.mouse.dy) + kDragDepth * kDragDepth);
    if (IsNavigationMode(mode)) {
        if (views_.mouse.leftDown || views_.mouse.rightDown)
            NavigationStep(views_, mode);
    } else {
        Drag(x, y);
    }
    views_.mouse.lastX = x;
    views_.mouse.lastY = y;
}

void Tools::ViewportMouseUp(int n, MouseButton button, int windowX, int windowY)
{
    if (n < 1 || n > 4)
        return;
    const int detail = views_.Viewport(n).detail;
    const int x = Scaled(windowX, detail), y = Scaled(windowY, detail);
    views_.ActivateView(n);
    if (button == MouseButton::Left)
        views_.mouse.leftDown = false;
    else
        views_.mouse.rightDown = false;
    if (!IsNavigationMode(mode))
        Release(button, x, y);
    if (button == MouseButton::Right) {
        moveMarkers_.Hide();
        views_.RenderAllViews();
    }
}

void Tools::ViewportKeyDown(int n, int key)
{
    (void)n;
    if (key == kKeyEscape) {
        CancelGesture();
        return;
    }
    if (key != kKeyDelete || !scene_.HasSelection() || !scene_.SelectedFrame() || !FinishGesture())
        return;
    if (transport_.Playing())
        transport_.Stop();
    // The roots are never deleted from a viewport.
    if (scene_.SelectedFrame() == scene_.Scene() || scene_.SelectedFrame() == scene_.World())
        return;
    const FramePtr doomed = scene_.SelectedFrame();
    scene_.ClearSelection();
    scene_.DeleteObjectTree(doomed);
    moveMarkers_.Hide();
    showSelection();
    views_.RenderAllViews();
}

void Tools::ShowViewportMenu(int n)
{
    if (n < 1 || n > 4)
        return;
    activateForInput(n);
    ui().OpenViewportMenu(n, 0, 0);
}

} // namespace corvid
