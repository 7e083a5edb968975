#include "gui/SamplerWidget.h"

#include "scene/SimpleShapes.h"
#include "platform/Frame.h"
#include "platform/Light.h"
#include "platform/MeshBuilder.h"
#include "platform/gl/GlDevice.h"

#include <cmath>

namespace corvid {

namespace {

constexpr float kSamplerBackground = 41.0f / 255.0f;
constexpr unsigned kSamplerQuality = kQualityGouraudLitSolid;  // 137
constexpr int kSamplerShades = 32;

} // namespace

SamplerWidget::SamplerWidget(QWidget* parent)
    : QOpenGLWidget(parent)
{
    setObjectName("sampler");

    scene_ = Frame::Create(nullptr);
    scene_->Scene().background = {kSamplerBackground, kSamplerBackground, kSamplerBackground, 1.0f};
    scene_->SetZBufferMode(ZBufferMode::Enable);
    camera_ = Frame::Create(scene_.get());
    lightFrame_ = Frame::Create(scene_.get());

    lightFrame_->SetPosition(scene_.get(), {0, 2, -3});
    lightFrame_->AddLight(Light::Create(LightType::Point, 1.0f, 1.0f, 1.0f));
    scene_->AddLight(Light::Create(LightType::Ambient, 0.1f, 0.1f, 0.1f));
    camera_->SetPosition(scene_.get(), {0, 2, -3});
    camera_->SetOrientation(scene_.get(), {0, -2, 3}, {0, 2, 3});

    auto sphere = BuildUvSphere(1.0f, 24, 32);
    sphere->SetColorRGB(0.85f, 0.85f, 0.85f);
    sphere->SetQuality(kSamplerQuality);
    SetPreviewShape(sphere);
    // The retained-mode clock starts with one tick.
    scene_->Move(1.0f);
}

SamplerWidget::~SamplerWidget()
{
    if (device_) {
        makeCurrent();
        device_.reset();
        doneCurrent();
    }
}

void SamplerWidget::SetPreviewShape(const MeshBuilderPtr& shape)
{
    if (shape_)
        scene_->DeleteVisual(shape_.get());
    shape_ = shape;
    if (shape_)
        scene_->AddVisual(shape_);
    RenderSampler();
}

void SamplerWidget::RenderSampler()
{
    update();
}

bool SamplerWidget::ensureDevice(int width, int height)
{
    if (device_ && device_->GetWidth() == width && device_->GetHeight() == height)
        return true;
    std::string error;
    if (device_ && device_->Resize(width, height, &error))
        return true;
    device_ = GlDevice::Create(width, height, 16, &error);
    if (!device_) {
        if (!failed_ && onDeviceFailure) {
            failed_ = true;
            onDeviceFailure(error);
        }
        return false;
    }
    device_->SetQuality(kSamplerQuality);
    device_->SetShades(kSamplerShades);
    device_->SetDither(true);
    device_->SetRenderMode(kDefaultRenderMode);
    device_->SetTextureQuality(TextureQuality::Linear);
    return true;
}

void SamplerWidget::paintGL()
{
    const qreal ratio = devicePixelRatioF();
    const int width = static_cast<int>(std::lround(this->width() * ratio));
    const int height = static_cast<int>(std::lround(this->height() * ratio));
    if (width <= 0 || height <= 0 || !ensureDevice(width, height))
        return;
    device_->Clear(*scene_);
    device_->Render(*scene_, *camera_, ViewParameters{});
    device_->Update();
    device_->BlitTo(defaultFramebufferObject(), 0, 0, width, height);
    ++renderCount_;
}

} // namespace corvid
