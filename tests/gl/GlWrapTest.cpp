// Texture wraps as the person sees them: a checker laid on a sphere by each
// wrap shape, drawn headless, against the checker looked up pixel by pixel
// at the surface point the pixel shows.

#include "GlTestSupport.h"

#include "platform/Wrap.h"

#include <algorithm>
#include <cmath>

using namespace corvid;
using namespace corvid::test;

namespace {

constexpr int kCells = 8;         // checker cells along each side of the texture
constexpr int kTexels = 64;       // texture side
constexpr float kRadius = 15.0f;  // sphere radius, 24 pixels in the picture
const Vec3 kCentre{0, 0, 30};

Image CheckerTexture()
{
    Image image{kTexels, kTexels, {}};
    const int cell = kTexels / kCells;
    for (int y = 0; y < kTexels; ++y)
        for (int x = 0; x < kTexels; ++x) {
            const uint8_t v = ((x / cell + y / cell) % 2) ? 255 : 0;
            image.rgba.insert(image.rgba.end(), {v, v, v, 255});
        }
    return image;
}

// The checker's colour at u, v with the texture repeating (row 0 is v = 0).
bool WhiteAt(Vec2 uv)
{
    const float u = uv.u - std::floor(uv.u), v = uv.v - std::floor(uv.v);
    const int cx = std::min(kCells - 1, static_cast<int>(u * kCells));
    const int cy = std::min(kCells - 1, static_cast<int>(v * kCells));
    return (cx + cy) % 2 == 1;
}

struct Agreement {
    int inside = 0;  // pixels well inside the sphere's outline
    int agree = 0;   // of which show the cell the wrap puts there
};

// Orthographic, 40 units across the 64-pixel picture, camera at the origin
// looking along +z; the sphere centred in view at distance 30.
class GlWrapTest : public GlPictureTest {
protected:
    void SetUp() override
    {
        GlPictureTest::SetUp();
        view.projection = Projection::Orthographic;
        view.field = 20.0f;
        sphere = MakeSphere(kRadius, 48, 96);
        sphere->SetQuality(kShadeGouraud | kFillSolid);  // unlit: the texture's own colours
        sphere->SetTexture(Texture::FromImage(CheckerTexture(), "checker"));
        sphereFrame = Show(sphere);
        sphereFrame->SetPosition(nullptr, kCentre);
    }

    // Lays wrap on the sphere as the editor does: curved shapes wrap round
    // the texture's edges.
    void Lay(const Wrap& wrap)
    {
        const bool curved = wrap.GetType() == WrapType::Cylinder || wrap.GetType() == WrapType::Sphere ||
                            wrap.GetType() == WrapType::Chrome;
        sphere->SetTextureTopology(curved, curved);
        ASSERT_TRUE(wrap.ApplyRelative(*sphereFrame, *sphere));
    }

    // How many pixels of picture show the cell that expected puts at the
    // surface point under them (the camera's space is the root space here).
    static Agreement Compare(const Image& picture, const Wrap& expected)
    {
        Agreement result;
        const float unitsPerPixel = 40.0f / kSize;
        for (int py = 0; py < kSize; ++py)
            for (int px = 0; px < kSize; ++px) {
                const float x = (static_cast<float>(px) + 0.5f) * unitsPerPixel - 20.0f;
                const float y = 20.0f - (static_cast<float>(py) + 0.5f) * unitsPerPixel;
                const float r2 = x * x + y * y;
                if (r2 > (kRadius - 2.0f) * (kRadius - 2.0f))
                    continue;
                const Vec3 point{x, y, kCentre.z - std::sqrt(kRadius * kRadius - r2)};
                const Vec3 normal = (point - kCentre) * (1.0f / kRadius);
                const bool white = WhiteAt(expected.Compute(point, normal));
                const int luma = Luma(PixelAt(picture, px, py));
                ++result.inside;
                result.agree += (white ? luma > 160 : luma < 95) ? 1 : 0;
            }
        return result;
    }

    MeshBuilderPtr sphere;
    FramePtr sphereFrame;
};

struct WrapCase {
    WrapType type;
    Vec3 direction, up;
    float ou, ov, su, sv;
};

} // namespace

TEST_F(GlWrapTest, EachWrapLaysTheCheckerWhereItsFormulaPutsIt)
{
    // Planar wraps scaled so that the sphere spans the texture once; the
    // curved ones go once round it. The pole axis is tilted toward the
    // camera so that both poles' neighbourhoods and the seam are in view.
    const Vec3 tilted = Normalize(Vec3{0.3f, 1.0f, -0.4f});
    const WrapCase cases[] = {
        {WrapType::Flat, {0, 0, 1}, {0, 1, 0}, -0.5f, -0.5f, 1 / 30.0f, 1 / 30.0f},
        {WrapType::Sheet, {0, 0, 1}, {0.3f, 1, 0}, -0.5f, -0.5f, 1 / 30.0f, 1 / 30.0f},
        {WrapType::Cylinder, tilted, {0, 0, 1}, 0, -0.5f, 1, 1 / 30.0f},
        {WrapType::Sphere, tilted, {0, 0, 1}, 0, 0, 1, 1},
        {WrapType::Chrome, {0, 1, 0}, {0, 0, 1}, 0, 0, 1, 1},
        {WrapType::Box, {0, 0, 1}, {0, 1, 0}, -0.5f, -0.5f, 1 / 30.0f, 1 / 30.0f},
    };
    for (const WrapCase& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.type));
        // The camera frame is the reference: the viewer for Chrome, and the
        // root space's axes for the rest.
        auto wrap = Wrap::Create(c.type, camera.get(), kCentre, c.direction, c.up, c.ou, c.ov, c.su, c.sv);
        ASSERT_TRUE(wrap);
        Lay(*wrap);
        const Image picture = Draw();
        const Agreement a = Compare(picture, *wrap);
        ASSERT_GT(a.inside, 1200);
        EXPECT_GT(a.agree, a.inside * 85 / 100) << a.agree << " of " << a.inside;
    }
}

TEST_F(GlWrapTest, TheComparisonTellsOneWrapFromAnother)
{
    // The check above means something only if a wrong pattern fails it: the
    // sphere wrap's picture against the cylinder's formula, and against the
    // same sphere turned by one cell.
    const Vec3 axis{0, 1, 0};
    auto sphereWrap = Wrap::Create(WrapType::Sphere, camera.get(), kCentre, axis, {0, 0, 1}, 0, 0, 1, 1);
    auto cylinderWrap =
        Wrap::Create(WrapType::Cylinder, camera.get(), kCentre, axis, {0, 0, 1}, 0, -0.5f, 1, 1 / 30.0f);
    auto shifted = Wrap::Create(WrapType::Sphere, camera.get(), kCentre, axis, {0, 0, 1}, 1.0f / kCells, 0, 1, 1);
    ASSERT_TRUE(sphereWrap && cylinderWrap && shifted);
    Lay(*sphereWrap);
    const Image picture = Draw();
    const Agreement right = Compare(picture, *sphereWrap);
    EXPECT_GT(right.agree, right.inside * 85 / 100);
    const Agreement wrongShape = Compare(picture, *cylinderWrap);
    EXPECT_LT(wrongShape.agree, wrongShape.inside * 70 / 100);
    const Agreement wrongTurn = Compare(picture, *shifted);
    EXPECT_LT(wrongTurn.agree, wrongTurn.inside * 20 / 100);
}
