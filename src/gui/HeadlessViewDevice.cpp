#include "gui/HeadlessViewDevice.h"

#include "platform/headless/HeadlessRenderer.h"

#include <QOpenGLContext>

namespace corvid {

namespace {

// Swaps the Qt context on this thread for the headless one for the lifetime
// of the object. Only one context can be current on a thread, and EGL refuses
// a context while the window system's one is current.
class HeadlessScope {
public:
    explicit HeadlessScope(HeadlessRenderer& renderer)
        : renderer_(renderer)
        , previous_(QOpenGLContext::currentContext())
        , surface_(previous_ ? previous_->surface() : nullptr)
    {
        if (previous_)
            previous_->doneCurrent();
        ok_ = renderer_.Context().MakeCurrent();
    }
    ~HeadlessScope()
    {
        renderer_.Context().DoneCurrent();
        if (previous_ && surface_)
            previous_->makeCurrent(surface_);
    }
    HeadlessScope(const HeadlessScope&) = delete;
    HeadlessScope& operator=(const HeadlessScope&) = delete;
    bool ok() const { return ok_; }

private:
    HeadlessRenderer& renderer_;
    QOpenGLContext* previous_;
    QSurface* surface_;
    bool ok_ = false;
};

} // namespace

std::unique_ptr<HeadlessViewDevice> HeadlessViewDevice::Create(std::shared_ptr<HeadlessRenderer> renderer, int width,
                                                               int height, int depthBits, std::string* error)
{
    if (!renderer)
        return nullptr;
    std::unique_ptr<GlDevice> device;
    {
        HeadlessScope scope(*renderer);
        if (!scope.ok()) {
            if (error)
                *error = "the headless context cannot be made current";
            return nullptr;
        }
        device = renderer->CreateDevice(width, height, depthBits, error);
    }
    if (!device)
        return nullptr;
    return std::unique_ptr<HeadlessViewDevice>(new HeadlessViewDevice(std::move(renderer), std::move(device)));
}

HeadlessViewDevice::HeadlessViewDevice(std::shared_ptr<HeadlessRenderer> renderer, std::unique_ptr<GlDevice> device)
    : renderer_(std::move(renderer))
    , device_(std::move(device))
{
}

HeadlessViewDevice::~HeadlessViewDevice()
{
    HeadlessScope scope(*renderer_);
    device_.reset();
}

// Sizes and render states are plain values in the device: no context needed.
int HeadlessViewDevice::GetWidth() const { return device_->GetWidth(); }
int HeadlessViewDevice::GetHeight() const { return device_->GetHeight(); }
void HeadlessViewDevice::SetQuality(unsigned quality) { device_->SetQuality(quality); }
void HeadlessViewDevice::SetShades(int shades) { device_->SetShades(shades); }
void HeadlessViewDevice::SetDither(bool on) { device_->SetDither(on); }
void HeadlessViewDevice::SetRenderMode(unsigned mode) { device_->SetRenderMode(mode); }
void HeadlessViewDevice::SetTextureQuality(TextureQuality quality) { device_->SetTextureQuality(quality); }

void HeadlessViewDevice::Clear(const Frame& scene)
{
    HeadlessScope scope(*renderer_);
    if (scope.ok())
        device_->Clear(scene);
}

void HeadlessViewDevice::Render(const Frame& scene, const Frame& camera, const ViewParameters& view)
{
    HeadlessScope scope(*renderer_);
    if (scope.ok())
        device_->Render(scene, camera, view);
}

void HeadlessViewDevice::Update()
{
    HeadlessScope scope(*renderer_);
    if (scope.ok())
        device_->Update();
}

Image HeadlessViewDevice::ReadPixels()
{
    HeadlessScope scope(*renderer_);
    return scope.ok() ? device_->ReadPixels() : Image{};
}

} // namespace corvid
