// The render-state commands of the viewport popup menus, the driver change
// and the viewport layouts.

#include "scene/Ui.h"
#include "render/ViewMath.h"
#include "render/ViewWindow.h"
#include "render/ViewSet.h"
#include "scene/SceneModel.h"

#include <algorithm>

namespace corvid {

namespace {

// Position of command in group, or -1.
template <size_t N>
int IndexIn(const std::array<int, N>& group, int command)
{
    auto it = std::find(group.begin(), group.end(), command);
    return it == group.end() ? -1 : static_cast<int>(it - group.begin());
}

std::string NoZDepthMessage(int depth)
{
    return "This driver offers no Z-buffer depth of 8, 16, 24 or 32 bits that can replace the current one.\n"
           " The Z-buffer depth stays at " + std::to_string(depth) + " bits.";
}

} // namespace

bool ViewSet::ViewportCommand(int n, int command)
{
    if (n < 1 || n > 4)
        return false;
    ViewRecord& own = Viewport(n);

    if (command >= kCmdDriverBase && command < kCmdDriverBase + kMaxDrivers)
        return ChangeDriver(n, command - kCmdDriverBase);

    // A greyed item cannot be chosen.
    const MenuItem* item = own.menu.Find(command);
    if (!item || !item->enabled)
        return false;

    // Texture quality, dither, Async, Z depth and detail belong to this
    // menu's viewport; shade, fill and light to whichever view is active.
    if (int q = IndexIn(kTextureQualityCommands, command); q >= 0) {
        own.textureQuality = q;
        if (own.device)
            own.device->SetTextureQuality(static_cast<TextureQuality>(q));
        own.menu.CheckOnly(kTextureQualityCommands, command);
    } else if (int s = IndexIn(kShadeCommands, command); s >= 0) {
        ActiveView().shade = s;  // 0 flat, 1 Gouraud, 2 Phong
        if (Device* device = ActiveDevice())
            device->SetQuality(ActiveView().Quality());
        own.menu.CheckOnly(kShadeCommands, command);
    } else if (int f = IndexIn(kFillCommands, command); f >= 0) {
        static constexpr int fills[] = {kFillSolidPart, kFillWireframePart, kFillPointsPart};
        ActiveView().fill = fills[f];
        if (Device* device = ActiveDevice())
            device->SetQuality(ActiveView().Quality());
        own.menu.CheckOnly(kFillCommands, command);
    } else if (int l = IndexIn(kLightCommands, command); l >= 0) {
        ActiveView().light = l == 0 ? kLightOnPart : kLightOffPart;
        if (Device* device = ActiveDevice())
            device->SetQuality(ActiveView().Quality());
        own.menu.CheckOnly(kLightCommands, command);
    } else if (command == kCmdDither) {
        own.dither = !own.dither;
        if (own.device)
            own.device->SetDither(own.dither);
        own.menu.Check(command, own.dither);
    } else if (command == kCmdAsync) {
        own.async = !own.async;
        own.menu.Check(command, own.async);
    } else if (int z = IndexIn(kZDepthCommands, command); z >= 0) {
        own.zDepth = kZDepths[static_cast<size_t>(z)];
        own.menu.CheckOnly(kZDepthCommands, command);
        BuildViewDevice(own);
    } else if (int d = IndexIn(kDetailCommands, command); d >= 0) {
        own.detail = kDetailLevels[static_cast<size_t>(d)];
        own.menu.CheckOnly(kDetailCommands, command);
        BuildViewDevice(own);
    } else {
        return false;
    }
    RenderAllViews();
    return true;
}

bool ViewSet::ChangeDriver(int n, int index)
{
    if (n < 1 || n > 4)
        return false;
    ViewRecord& view = Viewport(n);
    if (index < 0 || index >= static_cast<int>(drivers.size()) || index == view.driverIndex)
        return false;

    for (int i = 0; i < kMaxDrivers; ++i)
        view.menu.Check(kCmdDriverBase + i, false);
    view.driverIndex = index;
    view.driver = drivers[static_cast<size_t>(index)];
    if (auto depth = ChooseZDepth(view.zDepth, view.driver))
        view.zDepth = *depth;
    else
        ui().ShowMessage(NoZDepthMessage(view.zDepth));

    BuildViewDevice(view);
    // The build may have fallen back to driver 1: check what is in use.
    view.menu.Check(kCmdDriverBase + view.driverIndex, true);
    RenderAllViews();
    return true;
}

void ViewSet::LayOutViewports()
{
    auto rects = LayoutViewports(layoutKind, std::max(viewportArea.width, 0), std::max(viewportArea.height, 0));
    for (int n = 1; n <= 4; ++n) {
        const auto& r = rects[static_cast<size_t>(n - 1)];
        ViewWindow* window = Viewport(n).window;
        if (r && window)
            window->SetGeometry({viewportArea.x + r->x, viewportArea.y + r->y, r->width, r->height});
    }
}

bool ViewSet::ChooseLayout(int kind)
{
    if (kind < 1 || kind > kLayoutKindCount)
        return false;
    layoutKind = kind;
    for (int n = 1; n <= 4; ++n)
        ReleaseViewDevice(Viewport(n));

    auto used = UsedViewports(kind);
    for (int n = 1; n <= 4; ++n)
        if (ViewWindow* window = Viewport(n).window)
            window->SetVisible(used[static_cast<size_t>(n - 1)]);
    LayOutViewports();
    for (int n = 1; n <= 4; ++n)
        mainMenu_.Enable(kViewportMenuCommands[static_cast<size_t>(n - 1)], used[static_cast<size_t>(n - 1)]);
    for (int n = 1; n <= 4; ++n)
        if (used[static_cast<size_t>(n - 1)])
            BuildViewDevice(Viewport(n));
    ActivateView(1);
    for (int n = 1; n <= 4; ++n)
        Viewport(n).shown = used[static_cast<size_t>(n - 1)];
    RenderAllViews();
    return true;
}

void ViewSet::MainWindowResized(const Rect& area)
{
    renderingEnabled = false;
    viewportArea = area;
    LayOutViewports();
    ActivateView(activeViewport);
    renderingEnabled = true;
}

} // namespace corvid
