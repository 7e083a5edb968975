// What a surface looks like: lights of every type, materials, fog, render
// quality (fill, shade, lighting) and textures.

#include "GlTestSupport.h"

using namespace corvid;
using namespace corvid::test;

namespace {

const Rgba kBlack{0, 0, 0, 255};
const Rgba kWhite{255, 255, 255, 255};
const Rgba kRed{255, 0, 0, 255};
const Rgba kGreen{0, 255, 0, 255};
constexpr int kMid = 32;

// Orthographic, 40 units across the 64-pixel picture: 1.6 pixels a unit.
class GlShadingTest : public GlPictureTest {
protected:
    void SetUp() override
    {
        GlPictureTest::SetUp();
        view.projection = Projection::Orthographic;
        view.field = 20.0f;
    }

    // A light whose frame shines along direction.
    FramePtr Aim(FramePtr lightFrame, const Vec3& direction)
    {
        lightFrame->SetOrientation(nullptr, direction, std::fabs(direction.y) > 0.9f ? Vec3{0, 0, 1} : Vec3{0, 1, 0});
        return lightFrame;
    }

    // A wall filling the picture at distance 10, facing the camera, lit per
    // pixel (its four corners alone would miss a light's spot or highlight).
    MeshBuilderPtr Wall(uint32_t argb = 0xFFFFFFFF)
    {
        auto wall = MakeQuad(40, 40, 10, argb);
        wall->SetQuality(kShadePhong | kLightOn | kFillSolid);
        Show(wall);
        return wall;
    }
};

Image Checker(int size, int cell)
{
    Image image{size, size, {}};
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const uint8_t v = ((x / cell + y / cell) % 2) ? 255 : 0;
            image.rgba.insert(image.rgba.end(), {v, v, v, 255});
        }
    return image;
}

} // namespace

TEST_F(GlShadingTest, DirectionalLightLightsTheSideFacingIt)
{
    auto sphere = MakeSphere(15);
    Show(sphere)->SetPosition(nullptr, {0, 0, 30});
    auto light = Aim(AddLight(LightType::Directional, 1, 1, 1), {1, 0, 0});  // shining to the right

    Image picture = Draw();
    const int left = Luma(PixelAt(picture, kMid - 16, kMid));
    const int right = Luma(PixelAt(picture, kMid + 16, kMid));
    EXPECT_GT(left, 140) << "the side facing the light";
    EXPECT_LT(right, 8) << "the far side";
    EXPECT_TRUE(Near(PixelAt(picture, 1, 1), kBlack)) << "background";

    Aim(light, {0, 0, 1});  // from the camera into the scene: the visible side is lit
    EXPECT_GT(Luma(PixelAt(Draw(), kMid, kMid)), 235);
    Aim(light, {0, 0, -1});  // from behind
    EXPECT_LT(Luma(PixelAt(Draw(), kMid, kMid)), 8);
}

TEST_F(GlShadingTest, AmbientEmissiveAndSpecularFollowTheMaterial)
{
    auto wall = Wall(0xFFFF0000);
    AddLight(LightType::Ambient, 0.5f, 0.5f, 0.5f);
    EXPECT_TRUE(Near(PixelAt(Draw(), kMid, kMid), {128, 0, 0, 255}, 2)) << "ambient times the face colour";

    auto material = Material::Create(20.0f);
    material->SetAmbient(0, 0, 1);  // replaces the face colour for ambient light
    material->SetEmissive(0, 0.25f, 0);
    wall->SetMaterial(material);
    EXPECT_TRUE(Near(PixelAt(Draw(), kMid, kMid), {0, 64, 128, 255}, 2));

    // A head-on white light adds full diffuse red and, with a specular colour,
    // a highlight in every channel.
    material->SetAmbient(0, 0, 0);
    material->SetEmissive(0, 0, 0);
    material->SetSpecular(1, 1, 1);
    AddLight(LightType::Directional, 1, 1, 1);
    EXPECT_TRUE(Near(PixelAt(Draw(), kMid, kMid), kWhite, 2));
}

TEST_F(GlShadingTest, ViewDependentSpecularMovesTheHighlight)
{
    view = ViewParameters{};  // perspective: the eye direction varies over the wall
    auto wall = MakeQuad(20, 20, 10, 0xFFFF0000);
    wall->SetQuality(kShadePhong | kLightOn | kFillSolid);
    Show(wall);
    auto material = Material::Create(40.0f);
    material->SetSpecular(0, 1, 0);  // highlight in green only
    wall->SetMaterial(material);
    AddLight(LightType::Directional, 1, 1, 1);

    Image picture = Draw();  // view-dependent by default
    EXPECT_GT(PixelAt(picture, kMid, kMid)[1], 240);
    EXPECT_LT(PixelAt(picture, 2, 2)[1], 200) << "off-axis the highlight fades";

    device->SetRenderMode(kRenderModeBlendedTransparency | kRenderModeSortedTransparency);
    picture = Draw();
    EXPECT_GT(PixelAt(picture, 2, 2)[1], 240) << "a fixed view direction lights the wall evenly";
}

TEST_F(GlShadingTest, PointLightFadesWithAttenuationAndStopsAtItsRange)
{
    Wall();
    auto frame = AddLight(LightType::Point, 1, 1, 1);  // at the camera, 10 units from the wall
    Light& light = *frame->GetLights()[0];
    light.SetRange(100);
    Image picture = Draw();
    EXPECT_GT(Luma(PixelAt(picture, kMid, kMid)), 245);
    EXPECT_LT(Luma(PixelAt(picture, 1, 1)), Luma(PixelAt(picture, kMid, kMid)) - 40) << "slanting at the corners";

    light.SetConstantAttenuation(2.0f);
    EXPECT_TRUE(Near(PixelAt(Draw(), kMid, kMid), {128, 128, 128, 255}, 3));
    light.SetConstantAttenuation(0.0f);
    light.SetLinearAttenuation(0.1f);  // 1 / (0.1 * 10)
    EXPECT_GT(Luma(PixelAt(Draw(), kMid, kMid)), 245);

    light.SetRange(9.5f);  // the wall is 10 away
    EXPECT_EQ(CountPixels(Draw(), kBlack, 1), kSize * kSize);
}

TEST_F(GlShadingTest, ParallelPointLightHasParallelRays)
{
    Show(MakeQuad(40, 40, 0))->SetPosition(nullptr, {0, 0, 10});
    // Left of the camera, aimed along +z: the rays still run from the light
    // to the wall frame's origin, 45 degrees to the wall everywhere.
    AddLight(LightType::ParallelPoint, 1, 1, 1)->SetPosition(nullptr, {-10, 0, 0});
    Image picture = Draw();
    const int expected = static_cast<int>(255 * std::sqrt(0.5f));
    EXPECT_NEAR(Luma(PixelAt(picture, 1, 1)), expected, 3);
    EXPECT_NEAR(Luma(PixelAt(picture, kMid, kMid)), expected, 3);
    EXPECT_NEAR(Luma(PixelAt(picture, 62, 62)), expected, 3);
}

TEST_F(GlShadingTest, SpotLightIsFullInsideTheUmbraAndNothingOutsideThePenumbra)
{
    Wall();
    Light& spot = *AddLight(LightType::Spot, 1, 1, 1)->GetLights()[0];
    // Whole cone angles: the umbra's edge is 0.2 rad off the axis (2.0 units
    // on the wall), the penumbra's 0.4 rad (4.2 units).
    spot.SetUmbra(0.4f);
    spot.SetPenumbra(0.8f);
    Image picture = Draw();
    auto lumaAt = [&](int px) { return Luma(PixelAt(picture, px, kMid)); };  // px + 0.5 - 32 = 1.6 * units
    EXPECT_GT(lumaAt(33), 245) << "0.9 units off the axis";
    const int between = lumaAt(36);  // 2.8 units: 0.27 rad
    EXPECT_GT(between, 120);
    EXPECT_LT(between, 225);
    EXPECT_LT(lumaAt(41), 2) << "5.9 units: beyond the penumbra";
    EXPECT_LT(lumaAt(2), 2);
}

TEST_F(GlShadingTest, LightsOffShowsTheRawColourAndTheDeviceCanTurnThemOff)
{
    auto wall = Wall(0xFF336699);
    const Rgba raw{0x33, 0x66, 0x99, 255};
    EXPECT_TRUE(Near(PixelAt(Draw(), kMid, kMid), kBlack)) << "lit, with no light";
    wall->SetQuality(kShadeGouraud | kLightOff | kFillSolid);
    EXPECT_TRUE(Near(PixelAt(Draw(), kMid, kMid), raw, 1));
    wall->SetQuality(kQualityGouraudLitSolid);
    device->SetQuality(kShadePhong | kLightOff | kFillSolid);
    EXPECT_TRUE(Near(PixelAt(Draw(), kMid, kMid), raw, 1));
}

TEST_F(GlShadingTest, FogReachesItsColourAtTheEnd)
{
    SceneProperties& props = scene->Scene();
    props.fogEnabled = true;
    props.fogColor = {0, 1, 0, 1};
    props.fogStart = 10;
    props.fogEnd = 20;
    auto quad = MakeQuad(40, 40, 5);
    quad->SetQuality(kShadeGouraud | kFillSolid);  // unlit white
    auto frame = Show(quad);
    auto at = [&](float z) {
        frame->SetPosition(nullptr, {0, 0, z - 5});
        return PixelAt(Draw(), kMid, kMid);
    };
    EXPECT_TRUE(Near(at(5), kWhite, 1)) << "before the start";
    EXPECT_TRUE(Near(at(15), {128, 255, 128, 255}, 2)) << "half way";
    EXPECT_TRUE(Near(at(30), kGreen, 1)) << "beyond the end";

    props.fogMode = FogMode::Exponential;
    props.fogDensity = 0.1f;
    EXPECT_TRUE(Near(at(10), {94, 255, 94, 255}, 2)) << "exp(-1) of the colour left";
    props.fogMode = FogMode::ExponentialSquared;
    EXPECT_TRUE(Near(at(5), {199, 255, 199, 255}, 2)) << "exp(-0.25)";

    props.fogEnabled = false;
    EXPECT_TRUE(Near(at(30), kWhite, 1));
}

TEST_F(GlShadingTest, FillModesDrawPointsOutlinesOrFaces)
{
    auto quad = MakeQuad(30, 30, 10);
    quad->SetQuality(kShadeGouraud | kFillSolid);
    Show(quad);
    const int solid = CountPixels(Draw(), kWhite);
    EXPECT_GT(solid, 2000);

    quad->SetQuality(kShadeGouraud | kFillWireframe);
    Image outline = Draw();
    const int lines = CountPixels(outline, kWhite);
    EXPECT_GT(lines, 150);
    EXPECT_LT(lines, 400);
    // The polygon's outline only: no fan diagonal through the middle.
    EXPECT_TRUE(Near(PixelAt(outline, kMid, kMid), kBlack));

    quad->SetQuality(kShadeGouraud | kFillPoints);
    const int points = CountPixels(Draw(), kWhite);
    EXPECT_GT(points, 0);
    EXPECT_LE(points, 4 * 4);

    // The device's fill caps the mesh's.
    quad->SetQuality(kShadeGouraud | kFillSolid);
    device->SetQuality(kShadePhong | kLightOn | kFillWireframe);
    EXPECT_EQ(CountPixels(Draw(), kWhite), lines);
}

TEST_F(GlShadingTest, FlatShadingGivesEachFaceOneColour)
{
    auto sphere = MakeSphere(15, 8, 12);
    Show(sphere)->SetPosition(nullptr, {0, 0, 30});
    Aim(AddLight(LightType::Directional, 1, 1, 1), {1, -0.5f, 1});

    sphere->SetQuality(kShadeGouraud | kLightOn | kFillSolid);
    Image smooth = Draw();
    sphere->SetQuality(kShadeFlat | kLightOn | kFillSolid);
    Image flat = Draw();
    device->SetQuality(kShadeFlat | kLightOn | kFillSolid);
    sphere->SetQuality(kShadePhong | kLightOn | kFillSolid);
    Image capped = Draw();

    // Count horizontal neighbours of equal colour inside the sphere: flat
    // faces are runs of one colour, smooth shading changes every pixel.
    auto runs = [](const Image& img) {
        int same = 0;
        for (int y = 16; y < 48; ++y)
            for (int x = 16; x < 47; ++x)
                same += PixelAt(img, x, y) == PixelAt(img, x + 1, y) ? 1 : 0;
        return same;
    };
    EXPECT_GT(runs(flat), runs(smooth) + 200);
    EXPECT_EQ(runs(capped), runs(flat));
}

TEST_F(GlShadingTest, TexturesMapTopRowToVZeroAndModulateTheColour)
{
    // 2x2: red, green / blue, white.
    Image image{2, 2, {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255}};
    auto wall = MakeQuad(40, 40, 10, 0xFFFFFFFF);
    wall->SetQuality(kShadeGouraud | kFillSolid);
    wall->SetTexture(Texture::FromImage(image, "quadrants"));
    Show(wall);
    Image picture = Draw();
    EXPECT_TRUE(Near(PixelAt(picture, 10, 10), kRed));
    EXPECT_TRUE(Near(PixelAt(picture, 54, 10), kGreen));
    EXPECT_TRUE(Near(PixelAt(picture, 10, 54), {0, 0, 255, 255}));
    EXPECT_TRUE(Near(PixelAt(picture, 54, 54), kWhite));
    EXPECT_TRUE(Near(PixelAt(picture, 31, 10), kRed)) << "nearest filtering keeps texels whole";

    device->SetTextureQuality(TextureQuality::Linear);
    EXPECT_FALSE(Near(PixelAt(Draw(), 31, 10), kRed, 40)) << "linear filtering blends neighbours";

    wall->SetColor(0xFF808080);
    device->SetTextureQuality(TextureQuality::Nearest);
    EXPECT_TRUE(Near(PixelAt(Draw(), 54, 54), {128, 128, 128, 255}, 2));
}

TEST_F(GlShadingTest, MipMappedFilteringAveragesAMinifiedChecker)
{
    auto quad = MakeQuad(5.6f, 5.6f, 10);  // 9 pixels for 64 texels
    quad->SetQuality(kShadeGouraud | kFillSolid);
    quad->SetTexture(Texture::FromImage(Checker(64, 1), "checker"));
    Show(quad);
    auto spread = [&](TextureQuality q) {
        device->SetTextureQuality(q);
        Image picture = Draw();
        int lo = 255, hi = 0;
        for (int y = 30; y < 34; ++y)
            for (int x = 30; x < 34; ++x) {
                lo = std::min(lo, PixelAt(picture, x, y)[0]);
                hi = std::max(hi, PixelAt(picture, x, y)[0]);
            }
        return std::pair{lo, hi};
    };
    auto [nearLo, nearHi] = spread(TextureQuality::Nearest);
    EXPECT_EQ(nearHi - nearLo, 255) << "point samples are black or white";
    for (TextureQuality q : {TextureQuality::MipNearest, TextureQuality::LinearMipLinear}) {
        auto [lo, hi] = spread(q);
        EXPECT_GT(lo, 90);
        EXPECT_LT(hi, 165);
    }
}

TEST_F(GlShadingTest, DecalTransparencyShowsWhatIsBehindTheKeyColour)
{
    scene->Scene().background = {1, 0, 0, 1};
    Image image{2, 1, {0, 0, 0, 255, 255, 255, 255, 255}};  // black key | white
    auto texture = Texture::FromImage(image, "decal");
    auto quad = MakeQuad(40, 40, 10);
    quad->SetQuality(kShadeGouraud | kFillSolid);
    quad->SetTexture(texture);
    Show(quad);
    Image picture = Draw();
    EXPECT_TRUE(Near(PixelAt(picture, 10, kMid), kBlack)) << "off: the key colour is drawn";

    texture->SetDecalTransparency(true);
    picture = Draw();
    EXPECT_TRUE(Near(PixelAt(picture, 10, kMid), kRed)) << "on: the background shows";
    EXPECT_TRUE(Near(PixelAt(picture, 54, kMid), kWhite));
    EXPECT_EQ(device->GetStatistics().textureUploads, 2u) << "the change re-uploads the texture";
}

TEST_F(GlShadingTest, VertexColoursAreInterpolatedWhenTheyAreTheSource)
{
    auto quad = MakeQuad(40, 40, 10, 0xFF0000FF);
    quad->SetQuality(kShadeGouraud | kFillSolid);
    quad->SetVertexColor(0, 0xFFFF0000);  // bottom left
    quad->SetVertexColor(2, 0xFF00FF00);  // top right
    Show(quad);
    EXPECT_TRUE(Near(PixelAt(Draw(), 0, 63), {0, 0, 255, 255})) << "face colour by default";
    quad->SetColorSource(ColorSource::Vertex);
    Image picture = Draw();
    EXPECT_GT(PixelAt(picture, 0, 63)[0], 240);
    EXPECT_GT(PixelAt(picture, 63, 0)[1], 240);
    EXPECT_GT(PixelAt(picture, 63, 63)[2], 240) << "the corners left blue";
}
