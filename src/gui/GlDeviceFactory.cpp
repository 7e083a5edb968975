#include "gui/GlDeviceFactory.h"

#include "gui/HeadlessViewDevice.h"
#include "platform/gl/GlDevice.h"
#include "platform/headless/HeadlessRenderer.h"
#include "render/DriverRecord.h"
#include "render/ViewWindow.h"
#include "scene/Ui.h"

#include <QApplication>
#include <QOpenGLContext>

namespace corvid {

GlDeviceFactory::GlDeviceFactory(Ui* ui)
    : ui_(ui)
{
}

GlDeviceFactory::~GlDeviceFactory() = default;

std::unique_ptr<Device> GlDeviceFactory::CreateDevice(const DeviceRequest& request)
{
    lastError_.clear();
    std::unique_ptr<Device> device = createDevice(request);
    if (!device && ui_) {
        if (lastError_.empty())
            lastError_ = "the renderer gave no reason";
        const std::string renderer = request.driver ? request.driver->name : std::string("OpenGL");
        ui_->ShowMessage("Cannot create the view's device on " + renderer + "\n " + lastError_);
    }
    return device;
}

std::unique_ptr<Device> GlDeviceFactory::createDevice(const DeviceRequest& request)
{
    if (!request.window) {
        lastError_ = "the view has no window";
        return nullptr;
    }
    // The device's framebuffer lives in the widget's context: that context
    // must be the current one while it is made, drawn with and released.
    request.window->MakeCurrent();
    if (!QOpenGLContext::currentContext()) {
        lastError_ = "the viewport window has no OpenGL context";
        return nullptr;
    }

    if (request.driver && request.driver->key == kHeadlessRendererKey) {
        if (!headless_) {
            std::unique_ptr<HeadlessRenderer> renderer;
            {
                // The renderer makes its context current on creation.
                QOpenGLContext* qt = QOpenGLContext::currentContext();
                QSurface* surface = qt->surface();
                qt->doneCurrent();
                renderer = HeadlessRenderer::Create(&lastError_);
                if (renderer)
                    renderer->Context().DoneCurrent();
                qt->makeCurrent(surface);
            }
            if (!renderer)
                return nullptr;
            headless_ = std::move(renderer);
        }
        return HeadlessViewDevice::Create(headless_, request.width, request.height, request.zDepth, &lastError_);
    }
    return GlDevice::Create(request.width, request.height, request.zDepth, &lastError_);
}

void GlDeviceFactory::Beep(int hz, int milliseconds)
{
    (void)hz, (void)milliseconds;
    QApplication::beep();
}

} // namespace corvid
