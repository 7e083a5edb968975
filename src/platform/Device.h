#pragma once
// A render device: something that draws a frame tree, seen from a camera
// frame, into a picture of its own size. The OpenGL renderer implements it
// for the editor's viewports and for headless rendering; the core only ever
// talks to this interface.

#include "platform/Fwd.h"
#include "platform/ImageService.h"

#include <memory>
#include <string>

namespace corvid {

enum class Projection { Perspective = 0, Orthographic = 1 };

// Texture filtering: nearest, linear, mip nearest, mip linear, linear mip
// nearest, linear mip linear.
enum class TextureQuality { Nearest = 0, Linear = 1, MipNearest = 2, MipLinear = 3, LinearMipNearest = 4, LinearMipLinear = 5 };

// Render-mode bits.
enum RenderModeBit : unsigned {
    kRenderModeBlendedTransparency = 0x1,
    kRenderModeSortedTransparency = 0x2,
    kRenderModeViewDependentSpecular = 0x10,
};
constexpr unsigned kDefaultRenderMode = 19;  // all three

// How a view looks through its camera. The view volume at distance 1 from
// the camera is 2 * field wide (perspective), or 2 * field units wide at any
// distance (orthographic); its height follows the picture's aspect ratio.
struct ViewParameters {
    float field = 0.5f;
    Projection projection = Projection::Perspective;
    float front = 1.0f;
    float back = 10000.0f;
};

class Device {
public:
    virtual ~Device() = default;

    virtual int GetWidth() const = 0;
    virtual int GetHeight() const = 0;

    // Render states. quality is the fill | shade | light bits of MeshBuilder.h;
    // a mesh's own quality is capped by the device's (the lower shade, fill
    // and light setting wins).
    virtual void SetQuality(unsigned quality) = 0;
    virtual void SetShades(int shades) = 0;
    virtual void SetDither(bool on) = 0;
    virtual void SetRenderMode(unsigned mode) = 0;
    virtual void SetTextureQuality(TextureQuality quality) = 0;

    // Clears the picture to the scene's background (colour, then image) and
    // the depth buffer.
    virtual void Clear(const Frame& scene) = 0;
    // Draws every rendered frame of scene from camera.
    virtual void Render(const Frame& scene, const Frame& camera, const ViewParameters& view) = 0;
    // Finishes the frame (the picture is complete after this).
    virtual void Update() = 0;
    // The finished picture, top row first.
    virtual Image ReadPixels() = 0;
};

} // namespace corvid
