#include "render/ImageCapture.h"

#include "platform/Frame.h"
#include "render/DeviceFactory.h"
#include "render/ViewSet.h"
#include "render/ViewWindow.h"
#include "scene/SceneModel.h"
#include "scene/Ui.h"

#include <algorithm>
#include <cctype>
#include <memory>

namespace corvid {

namespace {

bool EndsInPng(const std::string& path)
{
    if (path.size() < 4)
        return false;
    std::string tail = path.substr(path.size() - 4);
    for (char& c : tail)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return tail == ".png";
}

} // namespace

std::string ImageFileName(const std::string& chosen)
{
    const size_t slash = chosen.find_last_of('/');
    const std::string last = slash == std::string::npos ? chosen : chosen.substr(slash + 1);
    return last.find('.') == std::string::npos ? chosen + ".bmp" : chosen;
}

void SmoothImage(Image& image)
{
    if (!IsValidImage(image))
        return;
    const Image source = image;
    const int w = image.width, h = image.height;
    auto at = [w](int x, int y) { return (static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)) * 4; };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int sum[3] = {0, 0, 0}, count = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    if (nx < 0 || ny < 0 || nx >= w || ny >= h)
                        continue;
                    const uint8_t* p = &source.rgba[at(nx, ny)];
                    for (int c = 0; c < 3; ++c)
                        sum[c] += p[c];
                    ++count;
                }
            uint8_t* out = &image.rgba[at(x, y)];
            for (int c = 0; c < 3; ++c)
                out[c] = static_cast<uint8_t>(sum[c] / count);
        }
}

void TakeCurrentSize(ViewSet& views, int n, ImageCaptureSettings& settings)
{
    const ViewRecord& view = views.Viewport(n);
    const Size size = view.window ? view.window->ClientSize() : Size{0, 0};
    settings.currentWidth = size.width;
    settings.currentHeight = size.height;
}

bool CaptureViewImage(ViewSet& views, int n, const ImageCaptureSettings& settings, const std::string& path)
{
    ViewRecord& view = views.Viewport(n);
    Ui& ui = views.ui();
    const int width = settings.useCurrentSize ? settings.currentWidth : settings.customWidth;
    const int height = settings.useCurrentSize ? settings.currentHeight : settings.customHeight;
    if (width <= 0 || height <= 0 || !view.camera) {
        ui.ShowMessage(kCaptureSurfaceError);
        return false;
    }
    if (!views.deviceFactory) {
        ui.ShowMessage(kCaptureDeviceError);
        return false;
    }

    // The device kept from the last capture serves again when nothing it was
    // made for has changed; otherwise it goes before a new one is made.
    ViewSet::CaptureKey key;
    key.viewport = view.index;
    key.window = view.window;
    key.factory = views.deviceFactory;
    key.driverIndex = view.driverIndex;
    key.width = width;
    key.height = height;
    key.zDepth = view.zDepth;
    ViewSet::CaptureDevice& kept = views.captureDevice;
    if (kept.device && !(kept.key == key))
        views.ReleaseCaptureDevice();

    if (view.window)
        view.window->MakeCurrent();
    if (!kept.device) {
        DeviceRequest request;
        request.width = width;
        request.height = height;
        request.zDepth = view.zDepth;
        request.window = view.window;
        auto make = [&](int index) -> std::unique_ptr<Device> {
            if (index < 0 || index >= static_cast<int>(views.drivers.size()))
                return nullptr;
            request.driverIndex = index;
            request.driver = &views.drivers[static_cast<size_t>(index)];
            return views.deviceFactory->CreateDevice(request);
        };
        std::unique_ptr<Device> device = make(0);
        if (!device && view.driverIndex != 0)
            device = make(view.driverIndex);
        if (!device && views.drivers.empty()) {
            // No driver table at all: the factory's own choice.
            request.driverIndex = view.driverIndex;
            request.driver = nullptr;
            device = views.deviceFactory->CreateDevice(request);
        }
        if (!device) {
            ui.ShowMessage(kCaptureDeviceError);
            return false;
        }
        kept.key = key;
        kept.device = std::move(device);
    }

    Device& device = *kept.device;
    device.SetQuality(view.Quality());
    device.SetShades(views.ShadeCount());
    device.SetDither(view.dither);
    device.SetRenderMode(kDefaultRenderMode);
    device.SetTextureQuality(static_cast<TextureQuality>(view.textureQuality));
    ViewParameters parameters = view.Parameters();
    parameters.back = 10000.0f;
    const Frame& world = *views.scene().World();
    device.Clear(world);
    device.Render(world, *view.camera, parameters);
    device.Update();
    Image picture = device.ReadPixels();
    if (view.window)
        view.window->MakeCurrent();
    if (picture.width != width || picture.height != height || !IsValidImage(picture)) {
        // A device that could not give its picture is not trusted again.
        views.ReleaseCaptureDevice();
        ui.ShowMessage(kCaptureSurfaceError);
        return false;
    }

    ui.SetBusy(true);
    if (settings.smoothing)
        SmoothImage(picture);
    std::string reason;
    const bool written =
        WriteImageFile(picture, path, EndsInPng(path) ? ImageFileType::Png : ImageFileType::Bmp, &reason);
    ui.SetBusy(false);
    if (!written)
        ui.ShowMessage("Cannot write " + path + ": " + reason);
    return written;
}

} // namespace corvid
