#pragma once
// Makes the view devices: an OpenGL device in the viewport widget's own
// context for the display's renderer, or a device on the headless renderer
// whose picture the widget reads back. A device that cannot be made is
// reported through the Ui with the renderer's reason.

#include "render/DeviceFactory.h"

#include <memory>
#include <string>

namespace corvid {

class HeadlessRenderer;
class Ui;

// The keys of the two renderers in DriverRecord::key.
constexpr const char* kDisplayRendererKey = "display";
constexpr const char* kHeadlessRendererKey = "headless";

class GlDeviceFactory final : public DeviceFactory {
public:
    // ui shows why a device could not be made; null keeps it quiet.
    explicit GlDeviceFactory(Ui* ui = nullptr);
    ~GlDeviceFactory() override;

    std::unique_ptr<Device> CreateDevice(const DeviceRequest& request) override;
    void Beep(int hz, int milliseconds) override;

    // Why the last CreateDevice returned null.
    const std::string& LastError() const { return lastError_; }

private:
    std::unique_ptr<Device> createDevice(const DeviceRequest& request);

    Ui* ui_ = nullptr;
    std::shared_ptr<HeadlessRenderer> headless_;  // made on first use
    std::string lastError_;
};

} // namespace corvid
