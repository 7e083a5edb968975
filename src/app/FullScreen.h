#pragma once
// Showing one viewport full screen and coming back: the full-screen items of
// the viewport menus (resolution, colour depth, VSync, "Fullscreen mode
// ..."), entering from a viewport and leaving to the viewports of the
// current layout, with the render gate closed around each switch.
//
// The display mode is never changed: the full-screen view renders at the
// chosen resolution and its window (one that covers the viewport's screen)
// shows the picture scaled to fit. A resolution counts as available when it
// fits the screen (FittingDisplayModes); depths 24 and 32 are the same.

#include "app/Startup.h"

#include <string>
#include <vector>

namespace corvid {

class Editor;
class RenderGate;

constexpr const char* kNoFullScreenMode = "The display refused every full-screen mode, 640x480x16 included";

// The menu resolutions that fit a screen of width x height, each at 16, 24
// and 32 bits, for ViewSet::AddDisplayMode.
std::vector<DisplayMode> FittingDisplayModes(int width, int height);

class FullScreen {
public:
    // gate is the program's (ProcessRenderGate) unless a test gives its own.
    explicit FullScreen(Editor& editor);
    FullScreen(Editor& editor, RenderGate& gate);
    FullScreen(const FullScreen&) = delete;
    FullScreen& operator=(const FullScreen&) = delete;

    // A full-screen item of viewport n's menu: a resolution (stored, its item
    // checked alone), a colour depth 16, 24 or 32 (likewise), VSync (toggled)
    // or "Fullscreen mode ..." (Enter(n)). False when command is none of
    // these, or its item is greyed.
    bool Command(int n, int command);

    // Shows viewport n full screen: the four viewports give up their
    // devices and hide, the full-screen view takes viewport n's settings,
    // camera and render states and builds its device at the chosen
    // resolution (falling back on refused modes). When no mode or device can
    // be had, the viewports come back as they were and the result is false.
    bool Enter(int n);
    // Back to the viewports of the current layout kind, rebuilt, view 1
    // active. False when not full screen or while a switch runs.
    bool Leave();

    // The full-screen view is up.
    bool Active() const;
    // A switch is running (input that moves the scene waits).
    bool Switching() const { return switching_; }
    // The viewport the full-screen view was entered from (0 when none).
    int SourceViewport() const { return source_; }

private:
    void restoreViewports();

    Editor& editor_;
    RenderGate& gate_;
    bool switching_ = false;
    int source_ = 0;
};

} // namespace corvid
