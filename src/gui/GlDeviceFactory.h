#pragma once
// Makes the view devices: an OpenGL device in the viewport widget's own
// context for the display's renderer, or a device on the headless renderer
// whose picture the widget reads back.

#include "render/DeviceFactory.h"

#include <memory>
#include <string>

namespace corvid {

class HeadlessRenderer;

// The keys of the two renderers in DriverRecord::key.
constexpr const char* kDisplayRendererKey = "display";
constexpr const char* kHeadlessRendererKey = "headless";

class GlDeviceFactory final : public DeviceFactory {
public:
    GlDeviceFactory();
    ~GlDeviceFactory() override;

    std::unique_ptr<Device> CreateDevice(const DeviceRequest& request) override;
    void Beep(int hz, int milliseconds) override;

    // Why the last CreateDevice returned null.
    const std::string& LastError() const { return lastError_; }

private:
    std::shared_ptr<HeadlessRenderer> headless_;  // made on first use
    std::string lastError_;
};

} // namespace corvid
