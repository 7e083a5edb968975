#pragma once
// Shared pieces of the GL picture tests: one headless context for the whole
// program, a scene with a camera at the origin looking along +z, and small
// mesh builders. A machine without a headless context fails these tests (CI
// always has Mesa's surfaceless EGL): a broken context must not pass for a
// good one. CORVID_SKIP_GL_TESTS=1 skips them, saying so, on a machine that
// cannot have one.

#include "platform/Frame.h"
#include "platform/Light.h"
#include "platform/Material.h"
#include "platform/MeshBuilder.h"
#include "platform/Texture.h"
#include "platform/headless/HeadlessRenderer.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

namespace corvid::test {

using Rgba = std::array<int, 4>;

inline HeadlessRenderer* SharedRenderer(std::string* why)
{
    static std::string reason;
    static std::unique_ptr<HeadlessRenderer> renderer = HeadlessRenderer::Create(&reason);
    if (why)
        *why = reason;
    return renderer.get();
}

// True when the GL tests were asked to skip on this machine.
inline bool GlTestsSkipped()
{
    const char* skip = std::getenv("CORVID_SKIP_GL_TESTS");
    return skip && std::string(skip) == "1";
}

// Fails the test (or skips it when asked to) without a headless context.
#define RequireGl()                                                                                        \
    do {                                                                                                   \
        std::string why_;                                                                                  \
        if (!::corvid::test::SharedRenderer(&why_)) {                                                      \
            if (::corvid::test::GlTestsSkipped())                                                          \
                GTEST_SKIP() << "CORVID_SKIP_GL_TESTS=1 and no headless OpenGL context: " << why_;          \
            FAIL() << "no headless OpenGL context: " << why_ << " (CORVID_SKIP_GL_TESTS=1 skips GL tests)"; \
        }                                                                                                  \
    } while (false)

inline Rgba PixelAt(const Image& image, int x, int y)
{
    const size_t i = (static_cast<size_t>(y) * static_cast<size_t>(image.width) + static_cast<size_t>(x)) * 4;
    return {image.rgba[i], image.rgba[i + 1], image.rgba[i + 2], image.rgba[i + 3]};
}

inline bool Near(const Rgba& a, const Rgba& b, int tolerance = 3)
{
    for (int k = 0; k < 3; ++k)
        if (std::abs(a[static_cast<size_t>(k)] - b[static_cast<size_t>(k)]) > tolerance)
            return false;
    return true;
}

inline int CountPixels(const Image& image, const Rgba& color, int tolerance = 3)
{
    int n = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            n += Near(PixelAt(image, x, y), color, tolerance) ? 1 : 0;
    return n;
}

inline int Luma(const Rgba& c)
{
    return (c[0] + c[1] + c[2]) / 3;
}

// A w x h rectangle centred on (cx, cy) in the plane z, facing a camera that
// looks along +z (corners clockwise as that camera sees them).
inline MeshBuilderPtr MakeQuad(float w, float h, float z = 0.0f, uint32_t argb = 0xFFFFFFFF, float cx = 0.0f,
                               float cy = 0.0f)
{
    auto mesh = MeshBuilder::Create();
    const float x0 = cx - w / 2, x1 = cx + w / 2, y0 = cy - h / 2, y1 = cy + h / 2;
    const int a = mesh->AddVertex({x0, y0, z});
    const int b = mesh->AddVertex({x0, y1, z});
    const int c = mesh->AddVertex({x1, y1, z});
    const int d = mesh->AddVertex({x1, y0, z});
    mesh->SetTextureCoordinates(a, 0, 1);
    mesh->SetTextureCoordinates(b, 0, 0);
    mesh->SetTextureCoordinates(c, 1, 0);
    mesh->SetTextureCoordinates(d, 1, 1);
    const int corners[] = {a, b, c, d};
    mesh->AddFace(corners);
    mesh->SetColor(argb);
    return mesh;
}

// A UV sphere around the origin with outward-facing faces and smooth normals.
inline MeshBuilderPtr MakeSphere(float radius, int rings = 16, int segments = 24)
{
    auto mesh = MeshBuilder::Create();
    for (int r = 0; r <= rings; ++r) {
        const float theta = kPi * static_cast<float>(r) / static_cast<float>(rings);
        for (int s = 0; s <= segments; ++s) {
            const float phi = 2.0f * kPi * static_cast<float>(s) / static_cast<float>(segments);
            mesh->AddVertex({radius * std::sin(theta) * std::cos(phi), radius * std::cos(theta),
                             radius * std::sin(theta) * std::sin(phi)});
        }
    }
    // Corners run clockwise seen from outside, so face normals point out.
    for (int r = 0; r < rings; ++r)
        for (int s = 0; s < segments; ++s) {
            const int a = r * (segments + 1) + s;
            const int quad[] = {a, a + 1, a + segments + 2, a + segments + 1};
            mesh->AddFace(quad);
        }
    mesh->GenerateNormals(kPi, kGenerateNormalsPrecompact);
    return mesh;
}

// A scene root, a camera at the origin looking along +z, and a device.
class GlPictureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RequireGl();
        renderer = SharedRenderer(nullptr);
        ASSERT_TRUE(renderer->Context().MakeCurrent());
        std::string error;
        device = renderer->CreateDevice(kSize, kSize, 24, &error);
        ASSERT_TRUE(device) << error;
        scene = Frame::Create();
        scene->Scene().background = {0.0f, 0.0f, 0.0f, 1.0f};
        camera = Frame::Create(scene.get());
    }

    void TearDown() override
    {
        if (renderer)
            renderer->Context().MakeCurrent();
        device.reset();
    }

    // A child frame of the scene carrying mesh.
    FramePtr Show(const MeshBuilderPtr& mesh, Frame* parent = nullptr)
    {
        auto frame = Frame::Create(parent ? parent : scene.get());
        frame->AddVisual(mesh);
        return frame;
    }

    FramePtr AddLight(LightType type, float r, float g, float b)
    {
        auto frame = Frame::Create(scene.get());
        frame->AddLight(Light::Create(type, r, g, b));
        return frame;
    }

    Image Draw()
    {
        device->Clear(*scene);
        device->Render(*scene, *camera, view);
        device->Update();
        return device->ReadPixels();
    }

    static constexpr int kSize = 64;
    HeadlessRenderer* renderer = nullptr;
    std::unique_ptr<GlDevice> device;
    FramePtr scene;
    FramePtr camera;
    ViewParameters view;
};

} // namespace corvid::test
