#pragma once
// The OpenGL 3.3 core render device. It draws into a framebuffer object of
// its own (RGBA8 colour and a depth renderbuffer), so the same device serves
// a widget (which blits Framebuffer() onto its own) and headless rendering
// (which reads the pixels back).
//
// Every call, the destructor included, needs the GL context the device was
// created on to be current. The header includes no GL header: GL object
// names are handed out as unsigned ints (GLuint).
//
// Geometry is uploaded once per mesh change: meshes are cached by identity
// and GetRevision() (and colour source), textures by identity and revision.
// Entries of meshes and textures that no longer exist are released at the
// end of the next Render, and so are those not drawn for a few renders.
//
// Faces are one-sided: a face is seen from the side where its corners run
// clockwise (the side its face normal points to); the back side is culled.
// Points and wireframe show every face.

#include "platform/Device.h"
#include "platform/Fwd.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace corvid {

// A mesh's render quality capped by a device's: the lower shade mode and fill
// mode win (flat < Gouraud < Phong, points < wireframe < solid), and lighting
// is on only when both have it on.
unsigned EffectiveQuality(unsigned meshQuality, unsigned deviceQuality);

class GlDevice final : public Device {
public:
    // A device with a width x height picture and a depth buffer of depthBits
    // (16, 24 or 32; anything up to 16 gets 16, since GL has no smaller depth
    // format). Null, with a reason in error, when the size is not positive
    // (then no GL call is made), no GL 3.3 context is current, the shaders do
    // not build or the framebuffer cannot be made.
    static std::unique_ptr<GlDevice> Create(int width, int height, int depthBits, std::string* error = nullptr);
    ~GlDevice() override;
    GlDevice(const GlDevice&) = delete;
    GlDevice& operator=(const GlDevice&) = delete;

    // --- Device ---------------------------------------------------------------
    int GetWidth() const override;
    int GetHeight() const override;
    // Defaults: Phong, lights on, solid (so meshes' own qualities rule);
    // 32 shades; dither on; every render-mode bit; nearest texture filtering.
    void SetQuality(unsigned quality) override;
    void SetShades(int shades) override;
    void SetDither(bool on) override;
    void SetRenderMode(unsigned mode) override;
    void SetTextureQuality(TextureQuality quality) override;
    void Clear(const Frame& scene) override;
    void Render(const Frame& scene, const Frame& camera, const ViewParameters& view) override;
    void Update() override;  // glFlush: the picture is complete for readers and blits
    Image ReadPixels() override;

    unsigned GetQuality() const;
    int GetShades() const;
    bool GetDither() const;
    unsigned GetRenderMode() const;
    TextureQuality GetTextureQuality() const;

    // --- GL specifics ---------------------------------------------------------
    // The render surface, for glBlitFramebuffer.
    unsigned Framebuffer() const;
    // Bits of the depth buffer actually allocated.
    int GetDepthBits() const;
    // New picture size; caches and programs stay. False (the old surface
    // kept) for a size that is not positive or a framebuffer that fails.
    bool Resize(int width, int height, std::string* error = nullptr);
    // Stretches the picture (linear filtering) over the rectangle x, y, width,
    // height of framebuffer (0: the window's), then leaves that framebuffer
    // bound for drawing and reading.
    void BlitTo(unsigned framebuffer, int x, int y, int width, int height) const;

    // --- statistics -----------------------------------------------------------
    struct Statistics {
        uint64_t meshUploads = 0;     // geometry uploads since creation
        uint64_t textureUploads = 0;  // texture uploads since creation
        size_t cachedMeshes = 0;
        size_t cachedTextures = 0;
        uint64_t drawCalls = 0;       // in the last Render
        uint64_t triangles = 0;       // drawn as triangles in the last Render
    };
    Statistics GetStatistics() const;
    // The last failure while rendering (a program that did not build for a
    // new set of lights; those faces are then drawn unlit), or empty.
    std::string GetLastError() const;
    uint64_t GetMeshUploadCount() const { return GetStatistics().meshUploads; }

    // The GL buffers holding a mesh's geometry (GlVertex vertices, 32-bit
    // triangle indices with the opaque and see-through triangles of every
    // batch), when the mesh is in the cache.
    struct MeshBuffers {
        unsigned vertexArray = 0;
        unsigned vertexBuffer = 0;
        unsigned indexBuffer = 0;
        uint32_t vertexCount = 0;
        uint32_t indexCount = 0;
    };
    std::optional<MeshBuffers> FindMeshBuffers(const MeshBuilder& mesh) const;

private:
    struct Impl;
    explicit GlDevice(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

} // namespace corvid
