#pragma once
// Rendering with no display: an EGL surfaceless context plus GlDevices on it.
// RenderToImage is the one-call path for the command line and tests; devices
// for longer use come from CreateDevice.

#include "platform/Device.h"
#include "platform/ImageService.h"
#include "platform/MeshBuilder.h"
#include "platform/gl/GlDevice.h"
#include "platform/gl/GlProbe.h"
#include "platform/headless/EglContext.h"

#include <memory>
#include <optional>
#include <string>

namespace corvid {

// Device states for RenderToImage.
struct HeadlessRenderOptions {
    unsigned quality = kShadePhong | kLightOn | kFillSolid;  // 138
    unsigned renderMode = kDefaultRenderMode;
    TextureQuality textureQuality = TextureQuality::Nearest;
    bool dither = true;
    int depthBits = 24;
};

class HeadlessRenderer {
public:
    // Null, with a reason in error, when no headless context can be made.
    static std::unique_ptr<HeadlessRenderer> Create(std::string* error = nullptr);
    ~HeadlessRenderer();  // releases its devices with the context current
    HeadlessRenderer(const HeadlessRenderer&) = delete;
    HeadlessRenderer& operator=(const HeadlessRenderer&) = delete;

    EglContext& Context() { return *context_; }

    // A device on this renderer's context (made current first). It must be
    // destroyed while this renderer exists, with the context current (call
    // Context().MakeCurrent() first if another context took over).
    std::unique_ptr<GlDevice> CreateDevice(int width, int height, int depthBits = 24, std::string* error = nullptr);

    // Clears to root's background and renders root seen from camera into a
    // width x height picture, top row first. One device is kept between calls
    // (its meshes and textures stay uploaded) and resized as needed.
    std::optional<Image> RenderToImage(const Frame& root, const Frame& camera, const ViewParameters& view, int width,
                                       int height, unsigned quality = kShadePhong | kLightOn | kFillSolid,
                                       std::string* error = nullptr);
    std::optional<Image> RenderToImage(const Frame& root, const Frame& camera, const ViewParameters& view, int width,
                                       int height, const HeadlessRenderOptions& options,
                                       std::string* error = nullptr);

private:
    HeadlessRenderer() = default;
    std::unique_ptr<EglContext> context_;  // declared first: destroyed last
    std::unique_ptr<GlDevice> device_;
    int deviceDepthBits_ = 0;
};

// Creates a headless context and probes it. ok is false (with the reason in
// error) when no context can be made.
GlProbeResult ProbeOpenGL();

} // namespace corvid
