#include "platform/headless/HeadlessRenderer.h"

#include <EGL/egl.h>

namespace corvid {

std::unique_ptr<HeadlessRenderer> HeadlessRenderer::Create(std::string* error)
{
    auto context = EglContext::Create(error);
    if (!context)
        return nullptr;
    std::unique_ptr<HeadlessRenderer> renderer(new HeadlessRenderer);
    renderer->context_ = std::move(context);
    return renderer;
}

HeadlessRenderer::~HeadlessRenderer()
{
    // Without a current context the GL deletes are no-ops; the objects then
    // go with the context.
    if (device_)
        context_->MakeCurrent();
    device_.reset();
}

std::unique_ptr<GlDevice> HeadlessRenderer::CreateDevice(int width, int height, int depthBits, std::string* error)
{
    if (!context_->MakeCurrent()) {
        if (error)
            *error = "cannot make the headless OpenGL context current";
        return nullptr;
    }
    return GlDevice::Create(width, height, depthBits, error);
}

std::optional<Image> HeadlessRenderer::RenderToImage(const Frame& root, const Frame& camera,
                                                     const ViewParameters& view, int width, int height,
                                                     unsigned quality, std::string* error)
{
    HeadlessRenderOptions options;
    options.quality = quality;
    return RenderToImage(root, camera, view, width, height, options, error);
}

std::optional<Image> HeadlessRenderer::RenderToImage(const Frame& root, const Frame& camera,
                                                     const ViewParameters& view, int width, int height,
                                                     const HeadlessRenderOptions& options, std::string* error)
{
    if (width <= 0 || height <= 0) {
        if (error)
            *error = "the picture needs a positive size, not " + std::to_string(width) + "x" + std::to_string(height);
        return std::nullopt;
    }
    if (!context_->MakeCurrent()) {
        if (error)
            *error = "cannot make the headless OpenGL context current";
        return std::nullopt;
    }
    if (device_ && deviceDepthBits_ != options.depthBits)
        device_.reset();
    if (!device_) {
        device_ = GlDevice::Create(width, height, options.depthBits, error);
        if (!device_)
            return std::nullopt;
        deviceDepthBits_ = options.depthBits;
    } else if (!device_->Resize(width, height, error)) {
        return std::nullopt;
    }
    device_->SetQuality(options.quality);
    device_->SetRenderMode(options.renderMode);
    device_->SetTextureQuality(options.textureQuality);
    device_->SetDither(options.dither);
    device_->Clear(root);
    device_->Render(root, camera, view);
    device_->Update();
    return device_->ReadPixels();
}

GlProbeResult ProbeOpenGL()
{
    // Whatever EGL context the caller had current comes back afterwards.
    const EGLDisplay display = eglGetCurrentDisplay();
    const EGLContext previous = eglGetCurrentContext();
    const EGLSurface draw = eglGetCurrentSurface(EGL_DRAW);
    const EGLSurface read = eglGetCurrentSurface(EGL_READ);

    GlProbeResult r;
    std::string error;
    if (auto context = EglContext::Create(&error))
        r = ProbeCurrentContext();
    else
        r.error = error;
    if (previous != EGL_NO_CONTEXT)
        eglMakeCurrent(display, draw, read, previous);
    return r;
}

} // namespace corvid
