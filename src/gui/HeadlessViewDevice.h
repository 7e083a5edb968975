#pragma once
// A view device on the headless renderer: it draws in the EGL context with no
// display, and the viewport shows its picture by reading the pixels back.
// Every call leaves the caller's Qt context current again.

#include "platform/Device.h"

#include <memory>
#include <string>

namespace corvid {

class GlDevice;
class HeadlessRenderer;

class HeadlessViewDevice final : public Device {
public:
    // Null (with the reason in error) when the renderer cannot make a device
    // of that size.
    static std::unique_ptr<HeadlessViewDevice> Create(std::shared_ptr<HeadlessRenderer> renderer, int width,
                                                      int height, int depthBits, std::string* error = nullptr);
    ~HeadlessViewDevice() override;

    int GetWidth() const override;
    int GetHeight() const override;
    void SetQuality(unsigned quality) override;
    void SetShades(int shades) override;
    void SetDither(bool on) override;
    void SetRenderMode(unsigned mode) override;
    void SetTextureQuality(TextureQuality quality) override;
    void Clear(const Frame& scene) override;
    void Render(const Frame& scene, const Frame& camera, const ViewParameters& view) override;
    void Update() override;
    Image ReadPixels() override;

private:
    HeadlessViewDevice(std::shared_ptr<HeadlessRenderer> renderer, std::unique_ptr<GlDevice> device);
    std::shared_ptr<HeadlessRenderer> renderer_;  // outlives device_
    std::unique_ptr<GlDevice> device_;
};

} // namespace corvid
