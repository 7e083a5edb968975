// The Editor's view-device operations: building, releasing and activating
// views, their render states, and the driver and display-mode tables.

#include "scene/Ui.h"
#include "platform/Frame.h"
#include "render/DeviceFactory.h"
#include "render/ViewMath.h"
#include "render/ViewWindow.h"
#include "render/ViewportMenu.h"
#include "render/ViewSet.h"
#include "scene/SceneModel.h"

#include <algorithm>

namespace corvid {

namespace {

constexpr const char* kFullScreenResolutionFallback =
    "Resolution not supported at 16 bpp, switching to 640x480x16 Resolution";
constexpr const char* kFullScreenDepthFallback = "Color depth not supported at this Resolution, switching to 16 bpp";

// Puts the driver and Z-depth items of a viewport menu in line with the
// record after a build.
void RefreshDeviceItems(ViewRecord& view, bool haveDriver)
{
    for (int i = 0; i < kMaxDrivers; ++i)
        view.menu.Check(kCmdDriverBase + i, i == view.driverIndex);
    for (size_t k = 0; k < kZDepths.size(); ++k) {
        if (haveDriver)
            view.menu.Enable(kZDepthCommands[k], view.driver.HasZDepth(kZDepths[k]));
        view.menu.Check(kZDepthCommands[k], kZDepths[k] == view.zDepth);
    }
}

// Sets the display mode of the full-screen view. A refused mode beeps and
// falls back as the message says (16 bits: 640 x 480; else: 16 bits); a
// refused fall-back tries 640 x 480 x 16 once more. False when even that is
// refused; the record then holds 640 x 480 x 16.
bool SetFullScreenMode(DeviceFactory* factory, Ui& ui, ViewRecord& view)
{
    if (!factory || factory->SetDisplayMode(view.fullScreenWidth, view.fullScreenHeight, view.fullScreenDepth))
        return true;
    for (int i = 0; i < 5; ++i)
        factory->Beep(100, 10);
    if (view.fullScreenDepth == 16) {
        // Do what the message says: fall back to the mode every display has.
        ui.ShowMessage(kFullScreenResolutionFallback);
        view.fullScreenWidth = 640;
        view.fullScreenHeight = 480;
    } else {
        ui.ShowMessage(kFullScreenDepthFallback);
        view.fullScreenDepth = 16;
    }
    if (factory->SetDisplayMode(view.fullScreenWidth, view.fullScreenHeight, view.fullScreenDepth))
        return true;
    if (view.fullScreenWidth == 640 && view.fullScreenHeight == 480)
        return false;
    view.fullScreenWidth = 640;
    view.fullScreenHeight = 480;
    return factory->SetDisplayMode(640, 480, 16);
}

} // namespace

int ViewSet::ShadeCount() const
{
    return corvid::ShadeCount(shadeColorDepth);
}

void ViewSet::SetDriverTable(std::vector<DriverRecord> table)
{
    if (table.size() > static_cast<size_t>(kMaxDrivers))
        table.resize(static_cast<size_t>(kMaxDrivers));
    ReleaseCaptureDevice();
    drivers = std::move(table);
    for (int n = 1; n <= 4; ++n)
        SetDriverItems(Viewport(n).menu, drivers, Viewport(n).driverIndex);
}

int ViewSet::UseDefaultDriver()
{
    int index = DefaultDriverIndex(static_cast<int>(drivers.size()));
    if (index < 0)
        return -1;
    for (int v : {static_cast<int>(kFullScreenView), 1, 2, 3, 4}) {
        ViewRecord& view = records[static_cast<size_t>(v)];
        view.driverIndex = index;
        view.driver = drivers[static_cast<size_t>(index)];
        if (view.IsViewport())
            SetDriverItems(view.menu, drivers, index);
    }
    return index;
}

void ViewSet::AddDisplayMode(int width, int height, int depth)
{
    for (size_t i = 0; i < kFullScreenResolutions.size(); ++i) {
        const auto& r = kFullScreenResolutions[i];
        if (r.width != width || r.height != height)
            continue;
        resolutionAvailable[i] = true;
        for (int n = 1; n <= 4; ++n)
            Viewport(n).menu.Enable(r.command, true);
    }
    if (depth == 16)
        depthAvailable[0] = true;
    else if (depth == 24)
        depthAvailable[1] = true;
    else if (depth == 32)
        depthAvailable[2] = true;
}

bool ViewSet::BuildViewDevice(ViewRecord& view)
{
    return buildViewDevice(view, true);
}

bool ViewSet::buildViewDevice(ViewRecord& view, bool mayFallBack)
{
    if (!view.window)
        return false;
    // A minimised or not yet laid out window has nothing to draw into; that
    // is not a failure worth a word.
    Size picture = ScaleByDetail(view.window->ClientSize(), view.detail);
    if (picture.width <= 0 || picture.height <= 0)
        return false;

    renderingEnabled = false;
    view.ready = false;
    ReleaseViewDevice(view);

    const bool haveDriver = view.driverIndex >= 0 && view.driverIndex < static_cast<int>(drivers.size());
    DeviceRequest request;
    request.driverIndex = view.driverIndex;
    request.driver = haveDriver ? &drivers[static_cast<size_t>(view.driverIndex)] : nullptr;
    request.zDepth = view.zDepth;
    request.window = view.window;
    request.fullScreen = view.fullScreen;
    request.width = picture.width;
    request.height = picture.height;

    if (view.fullScreen) {
        if (!SetFullScreenMode(deviceFactory, ui(), view)) {
            renderingEnabled = true;
            return false;
        }
        request.width = view.fullScreenWidth;
        request.height = view.fullScreenHeight;
    } else if (view.index == kRenderOutputView) {
        request.width = renderOutputWidth;
        request.height = renderOutputHeight;
    }

    view.window->MakeCurrent();
    std::unique_ptr<Device> device = deviceFactory ? deviceFactory->CreateDevice(request) : nullptr;
    if (!device) {
        // Driver 1 is the fall-back, and driver 0 when driver 1 is the one
        // that failed (with two drivers it is the default); it is tried once.
        if (mayFallBack && drivers.size() > 1) {
            const int other = view.driverIndex == 1 ? 0 : 1;
            view.driverIndex = other;
            view.driver = drivers[static_cast<size_t>(other)];
            return buildViewDevice(view, false);
        }
        // Leave the other views drawable; this one has no device and is
        // skipped until it is built again.
        renderingEnabled = true;
        return false;
    }

    view.device = std::move(device);
    if (haveDriver)
        view.driver = drivers[static_cast<size_t>(view.driverIndex)];
    if (view.IsViewport())
        RefreshDeviceItems(view, haveDriver);
    ApplyRenderStates(view);
    view.ready = true;
    renderingEnabled = true;
    return true;
}

void ViewSet::ReleaseViewDevice(ViewRecord& view)
{
    if (captureDevice.device && captureDevice.key.viewport == view.index)
        ReleaseCaptureDevice();
    if (!view.device)
        return;
    if (view.window)
        view.window->MakeCurrent();
    view.device.reset();
}

void ViewSet::ReleaseCaptureDevice()
{
    if (!captureDevice.device)
        return;
    // The window is the one the device was made through: a window that goes
    // away releases its viewport's devices, this one included, first.
    if (captureDevice.key.window)
        captureDevice.key.window->MakeCurrent();
    captureDevice.device.reset();
    captureDevice.key = {};
}

void ViewSet::ApplyRenderStates(ViewRecord& view)
{
    Device* device = view.device.get();
    if (!device)
        return;
    device->SetQuality(view.Quality());
    device->SetShades(ShadeCount());
    device->SetDither(view.dither);
    device->SetRenderMode(kDefaultRenderMode);
    device->SetTextureQuality(static_cast<TextureQuality>(std::clamp(view.textureQuality, 0, 5)));
    // Field, projection and the back plane at 10000 travel with every
    // Render call (ViewRecord::Parameters).
}

void ViewSet::ActivateView(int n)
{
    if (n < 0 || n > 4)
        return;
    activeViewport = n;
    scene_.SetActiveCamera(ActiveView().camera);
}

bool ViewSet::ViewportResized(int n)
{
    if (n < 1 || n > 4)
        return false;
    ViewRecord& view = Viewport(n);
    if (!view.ready || !view.device || !view.window)
        return false;
    Size picture = ScaleByDetail(view.window->ClientSize(), view.detail);
    if (picture.width == view.device->GetWidth() && picture.height == view.device->GetHeight())
        return false;
    BuildViewDevice(view);
    RenderAllViews();
    return true;
}

} // namespace corvid
