#include "app/FullScreen.h"

#include "app/Editor.h"
#include "render/CommandIds.h"
#include "render/RenderGate.h"
#include "render/ViewMath.h"
#include "render/ViewWindow.h"
#include "scene/Ui.h"

#include <algorithm>

namespace corvid {

namespace {

constexpr std::array<int, 3> kDepthCommands{kCmdFullScreenDepth16, kCmdFullScreenDepth24, kCmdFullScreenDepth32};
constexpr std::array<int, 3> kDepths{16, 24, 32};

constexpr std::array<int, kResolutionCount> ResolutionCommands()
{
    std::array<int, kResolutionCount> commands{};
    for (size_t i = 0; i < commands.size(); ++i)
        commands[i] = kFullScreenResolutions[i].command;
    return commands;
}
constexpr std::array<int, kResolutionCount> kResolutionCommands = ResolutionCommands();

// Closes the gate for the length of a switch and marks the switch running.
class SwitchScope {
public:
    SwitchScope(RenderGate& gate, bool& switching) : gate_(gate), switching_(switching)
    {
        switching_ = true;
        gate_.Close();
    }
    ~SwitchScope()
    {
        gate_.Open();
        switching_ = false;
    }
    SwitchScope(const SwitchScope&) = delete;
    SwitchScope& operator=(const SwitchScope&) = delete;

private:
    RenderGate& gate_;
    bool& switching_;
};

} // namespace

std::vector<DisplayMode> FittingDisplayModes(int width, int height)
{
    std::vector<DisplayMode> modes;
    for (const auto& r : kFullScreenResolutions)
        if (r.width <= width && r.height <= height)
            for (int depth : kDepths)
                modes.push_back({r.width, r.height, depth});
    return modes;
}

FullScreen::FullScreen(Editor& editor) : FullScreen(editor, ProcessRenderGate()) {}

FullScreen::FullScreen(Editor& editor, RenderGate& gate) : editor_(editor), gate_(gate) {}

bool FullScreen::Active() const
{
    const ViewRecord& full = editor_.views.records[kFullScreenView];
    return full.shown && full.fullScreen;
}

bool FullScreen::Command(int n, int command)
{
    if (n < 1 || n > 4)
        return false;
    ViewRecord& view = editor_.views.Viewport(n);
    if (command == (n == 1 ? kCmdFullScreenViewport1 : kCmdFullScreenOther))
        return Enter(n);
    if (command == kCmdVSync) {
        view.vsync = !view.vsync;
        view.menu.Check(kCmdVSync, view.vsync);
        return true;
    }
    if (auto d = std::find(kDepthCommands.begin(), kDepthCommands.end(), command); d != kDepthCommands.end()) {
        view.fullScreenDepth = kDepths[static_cast<size_t>(d - kDepthCommands.begin())];
        view.menu.CheckOnly(kDepthCommands, command);
        return true;
    }
    for (const auto& r : kFullScreenResolutions) {
        if (r.command != command)
            continue;
        // Resolutions the screen cannot hold stay greyed.
        if (!view.menu.IsEnabled(command))
            return false;
        view.fullScreenWidth = r.width;
        view.fullScreenHeight = r.height;
        view.menu.CheckOnly(kResolutionCommands, command);
        return true;
    }
    return false;
}

bool FullScreen::Enter(int n)
{
    if (n < 1 || n > 4 || switching_ || Active())
        return false;
    ViewSet& views = editor_.views;
    ViewRecord& full = views.FullScreenView();
    if (!full.window)
        return false;
    SwitchScope scope(gate_, switching_);

    full.fullScreen = true;
    for (int v = 1; v <= 4; ++v) {
        ViewRecord& view = views.Viewport(v);
        views.ReleaseViewDevice(view);
        if (view.window)
            view.window->SetVisible(false);
        view.shown = false;
    }
    full.window->SetVisible(true);

    const ViewRecord& from = views.Viewport(n);
    full.driverIndex = from.driverIndex;
    full.driver = from.driver;
    full.vsync = from.vsync;
    full.fullScreenWidth = from.fullScreenWidth;
    full.fullScreenHeight = from.fullScreenHeight;
    full.fullScreenDepth = from.fullScreenDepth;
    full.zDepth = from.zDepth;
    full.detail = from.detail;
    full.fill = from.fill;
    full.shade = from.shade;
    full.light = from.light;
    full.dither = from.dither;
    full.textureQuality = from.textureQuality;
    full.camera = from.camera;
    full.projection = from.projection;
    full.field = from.field;
    source_ = n;
    // The full-screen view is the active view; its camera (viewport n's)
    // the active camera, with the camera light.
    views.ActivateView(kFullScreenView);

    if (!views.BuildViewDevice(full)) {
        editor_.ui().ShowMessage(kNoFullScreenMode);
        restoreViewports();
        return false;
    }
    full.shown = true;
    if (!editor_.transport.Playing())
        views.RenderAllViews();
    return true;
}

bool FullScreen::Leave()
{
    if (switching_ || !Active())
        return false;
    SwitchScope scope(gate_, switching_);
    editor_.views.renderingEnabled = false;
    restoreViewports();
    return true;
}

void FullScreen::restoreViewports()
{
    ViewSet& views = editor_.views;
    ViewRecord& full = views.FullScreenView();
    full.fullScreen = false;
    full.shown = false;
    views.ReleaseViewDevice(full);
    if (full.window)
        full.window->SetVisible(false);
    // What the full-screen view borrowed goes back.
    full.camera.reset();
    full.field = &full.fields[kViewPerspective];
    source_ = 0;

    const std::array<bool, 4> used = UsedViewports(views.layoutKind);
    for (int v = 1; v <= 4; ++v) {
        ViewRecord& view = views.Viewport(v);
        const bool shown = used[static_cast<size_t>(v - 1)];
        if (view.window)
            view.window->SetVisible(shown);
        view.shown = shown;
    }
    views.LayOutViewports();
    for (int v = 1; v <= 4; ++v)
        if (views.Viewport(v).shown)
            views.BuildViewDevice(views.Viewport(v));
    views.ActivateView(1);
    views.renderingEnabled = true;
    if (!editor_.transport.Playing())
        views.RenderAllViews();
}

} // namespace corvid
