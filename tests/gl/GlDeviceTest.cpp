// The render device as a whole: surface creation, clearing, the camera and
// projection, traversal (disabled and z-disabled frames), transparency and
// the geometry cache.

#include "GlTestSupport.h"

using namespace corvid;
using namespace corvid::test;

namespace {

const Rgba kBlack{0, 0, 0, 255};
const Rgba kWhite{255, 255, 255, 255};
const Rgba kRed{255, 0, 0, 255};
const Rgba kGreen{0, 255, 0, 255};

// Unlit so that the picture shows the face colour as it is.
MeshBuilderPtr Flat(MeshBuilderPtr mesh)
{
    mesh->SetQuality(kShadeGouraud | kLightOff | kFillSolid);
    return mesh;
}

} // namespace

TEST(GlDeviceCreate, RefusesEmptySizesWithoutTouchingGl)
{
    // No context needs to be current for this answer.
    for (auto [w, h] : {std::pair{0, 10}, {10, 0}, {-5, 10}}) {
        std::string error;
        EXPECT_EQ(GlDevice::Create(w, h, 24, &error), nullptr);
        EXPECT_FALSE(error.empty());
    }
}

TEST_F(GlPictureTest, DepthBitsAreRoundedUpToWhatGlHas)
{
    auto shallow = renderer->CreateDevice(8, 8, 8);
    ASSERT_TRUE(shallow);
    EXPECT_EQ(shallow->GetDepthBits(), 16);
    auto deep = renderer->CreateDevice(8, 8, 32);
    ASSERT_TRUE(deep);
    EXPECT_GE(deep->GetDepthBits(), 24);
    EXPECT_GE(device->GetDepthBits(), 24);
}

TEST_F(GlPictureTest, ClearFillsWithTheBackgroundColourAndStretchesTheImageTopRowUp)
{
    scene->Scene().background = {0.2f, 0.4f, 0.6f, 1.0f};
    Image picture = Draw();
    ASSERT_EQ(picture.width, kSize);
    ASSERT_EQ(picture.height, kSize);
    EXPECT_EQ(CountPixels(picture, {51, 102, 153, 255}, 1), kSize * kSize);
    EXPECT_EQ(PixelAt(picture, 0, 0)[3], 255);

    // A 1x2 image: red on top, blue below, stretched over the picture.
    Image image{1, 2, {255, 0, 0, 255, 0, 0, 255, 255}};
    scene->Scene().backgroundImage = Texture::FromImage(image, "bg");
    picture = Draw();
    EXPECT_TRUE(Near(PixelAt(picture, 0, 0), kRed)) << "top row";
    EXPECT_TRUE(Near(PixelAt(picture, kSize - 1, 2), kRed));
    EXPECT_TRUE(Near(PixelAt(picture, 5, kSize - 1), {0, 0, 255, 255})) << "bottom row";
    EXPECT_GT(PixelAt(picture, 5, kSize / 2)[2], 0) << "bilinear in between";
}

TEST_F(GlPictureTest, OrthographicFieldIsHalfTheVisibleWidth)
{
    view.projection = Projection::Orthographic;
    view.field = 20.0f;
    auto frame = Show(Flat(MakeQuad(40, 40, 10)));
    EXPECT_EQ(CountPixels(Draw(), kWhite), kSize * kSize) << "a 40-unit quad exactly fills field 20";

    frame->DeleteAllVisuals();
    frame->AddVisual(Flat(MakeQuad(44, 44, 10)));
    EXPECT_EQ(CountPixels(Draw(), kWhite), kSize * kSize);

    frame->DeleteAllVisuals();
    frame->AddVisual(Flat(MakeQuad(37, 37, 10)));
    Image picture = Draw();
    EXPECT_TRUE(Near(PixelAt(picture, 0, kSize / 2), kBlack)) << "a narrower quad leaves the edges";
    EXPECT_TRUE(Near(PixelAt(picture, kSize - 1, kSize / 2), kBlack));
    EXPECT_TRUE(Near(PixelAt(picture, kSize / 2, kSize / 2), kWhite));

    // A picture half as high shows half the height: field * h / w.
    auto wide = renderer->CreateDevice(64, 32, 24);
    ASSERT_TRUE(wide);
    frame->DeleteAllVisuals();
    frame->AddVisual(Flat(MakeQuad(40, 20, 10)));
    wide->Clear(*scene);
    wide->Render(*scene, *camera, view);
    EXPECT_EQ(CountPixels(wide->ReadPixels(), kWhite), 64 * 32);
    frame->DeleteAllVisuals();
    frame->AddVisual(Flat(MakeQuad(40, 17, 10)));
    wide->Clear(*scene);
    wide->Render(*scene, *camera, view);
    picture = wide->ReadPixels();
    EXPECT_TRUE(Near(PixelAt(picture, 32, 0), kBlack));
    EXPECT_TRUE(Near(PixelAt(picture, 32, 16), kWhite));
}

TEST_F(GlPictureTest, PerspectiveFieldIsHalfTheWidthAtDistanceOne)
{
    view.field = 0.5f;
    for (float d : {4.0f, 25.0f}) {
        auto frame = Show(Flat(MakeQuad(d, d, d)));  // half-width 0.5 * d
        EXPECT_EQ(CountPixels(Draw(), kWhite), kSize * kSize) << "at distance " << d;
        frame->DeleteAllVisuals();
        frame->AddVisual(Flat(MakeQuad(0.92f * d, 0.92f * d, d)));
        Image picture = Draw();
        EXPECT_TRUE(Near(PixelAt(picture, 0, kSize / 2), kBlack));
        EXPECT_TRUE(Near(PixelAt(picture, kSize / 2, kSize / 2), kWhite));
        scene->DeleteChild(frame.get());
    }
}

TEST_F(GlPictureTest, CameraLooksAlongItsZAxisWithYUp)
{
    view.projection = Projection::Orthographic;
    view.field = 20.0f;
    // Only in front of the camera, upright and not mirrored: a small quad up
    // and to the right of the axis shows in the top-right quadrant.
    Show(Flat(MakeQuad(8, 8, 10, 0xFFFFFFFF, 10, 10)));
    // Behind the camera, turned to face the other way.
    auto behind = Show(Flat(MakeQuad(40, 40, 0, 0xFF00FF00)));
    behind->AddRotation(Combine::Replace, {0, 1, 0}, kPi);
    behind->AddTranslation(Combine::After, {0, 0, -10});
    Image picture = Draw();
    EXPECT_TRUE(Near(PixelAt(picture, 48, 16), kWhite));
    EXPECT_TRUE(Near(PixelAt(picture, 16, 48), kBlack));
    EXPECT_EQ(CountPixels(picture, kGreen), 0);

    // Moving the camera right moves the picture left.
    camera->SetPosition(nullptr, {20, 0, 0});
    picture = Draw();
    EXPECT_TRUE(Near(PixelAt(picture, 16, 16), kWhite));

    // Turned round it sees the green quad, and not the white one.
    camera->SetPosition(nullptr, {0, 0, 0});
    camera->SetOrientation(nullptr, {0, 0, -1}, {0, 1, 0});
    picture = Draw();
    EXPECT_EQ(CountPixels(picture, kGreen), kSize * kSize);
}

TEST_F(GlPictureTest, FrontAndBackPlanesClip)
{
    auto near = Show(Flat(MakeQuad(1, 1, 0.5f)));  // closer than front = 1
    EXPECT_EQ(CountPixels(Draw(), kWhite), 0);
    scene->DeleteChild(near.get());
    Show(Flat(MakeQuad(10, 10, 5)));
    EXPECT_GT(CountPixels(Draw(), kWhite), 0);
    view.back = 4.0f;
    EXPECT_EQ(CountPixels(Draw(), kWhite), 0);
}

TEST_F(GlPictureTest, DisabledFramesDisappearWithTheirSubtree)
{
    auto parent = Show(Flat(MakeQuad(4, 4, 10, 0xFFFFFFFF, -3)));
    Show(Flat(MakeQuad(4, 4, 10, 0xFFFF0000, 3)), parent.get());
    Image picture = Draw();
    EXPECT_GT(CountPixels(picture, kWhite), 0);
    EXPECT_GT(CountPixels(picture, kRed), 0);

    parent->SetTraversalOptions(kPickEnable);
    picture = Draw();
    EXPECT_EQ(CountPixels(picture, kBlack), kSize * kSize);

    parent->SetTraversalOptions(kPickEnable | kRenderEnable);
    EXPECT_GT(CountPixels(Draw(), kRed), 0);
}

TEST_F(GlPictureTest, FramesWithoutDepthBufferingDrawInTreeOrder)
{
    // A frame without depth buffering neither hides nor is hidden by depth:
    // the tree order decides. First in the tree and nearer the camera, its
    // green quad is still covered by the red one drawn after it...
    auto first = Frame::Create(scene.get());
    first->SetZBufferMode(ZBufferMode::Disable);
    Show(Flat(MakeQuad(4, 4, 5, 0xFF00FF00)), first.get());
    Show(Flat(MakeQuad(10, 10, 10, 0xFFFF0000)));
    EXPECT_TRUE(Near(PixelAt(Draw(), kSize / 2, kSize / 2), kRed));

    // ...while a blue one last in the tree, behind the red quad, covers it.
    // Its child inherits the mode.
    auto last = Frame::Create(scene.get());
    last->SetZBufferMode(ZBufferMode::Disable);
    Show(Flat(MakeQuad(3, 3, 30, 0xFF0000FF)), last.get());
    Image picture = Draw();
    EXPECT_TRUE(Near(PixelAt(picture, kSize / 2, kSize / 2), {0, 0, 255, 255}));
    EXPECT_TRUE(Near(PixelAt(picture, 8, kSize / 2), kRed));

    // With depth buffering back on, the nearest wins again.
    first->SetZBufferMode(ZBufferMode::FromParent);
    last->SetZBufferMode(ZBufferMode::FromParent);
    EXPECT_TRUE(Near(PixelAt(Draw(), kSize / 2, kSize / 2), kGreen));
}

TEST_F(GlPictureTest, SeeThroughFacesBlendAfterOpaqueOnes)
{
    // Half-transparent white listed before the opaque red quad behind it.
    Show(Flat(MakeQuad(4, 4, 10, 0x80FFFFFF)));
    Show(Flat(MakeQuad(10, 10, 20, 0xFFFF0000)));
    Rgba c = PixelAt(Draw(), kSize / 2, kSize / 2);
    EXPECT_TRUE(Near(c, {255, 128, 128, 255}, 4)) << c[0] << "," << c[1] << "," << c[2];

    device->SetRenderMode(kRenderModeSortedTransparency);  // no blending: drawn solid
    EXPECT_TRUE(Near(PixelAt(Draw(), kSize / 2, kSize / 2), kWhite));
}

TEST_F(GlPictureTest, SortedTransparencyDrawsFarthestFirst)
{
    // One mesh, the near blue face listed before the far red one.
    auto mesh = MeshBuilder::Create();
    auto add = [&](float z, uint32_t argb) {
        const int a = mesh->AddVertex({-2, -2, z}), b = mesh->AddVertex({-2, 2, z});
        const int c = mesh->AddVertex({2, 2, z}), d = mesh->AddVertex({2, -2, z});
        const int quad[] = {a, b, c, d};
        mesh->SetFaceColor(mesh->AddFace(quad), argb);
    };
    add(10, 0x800000FF);
    add(20, 0x80FF0000);
    Show(Flat(mesh));

    Rgba sorted = PixelAt(Draw(), kSize / 2, kSize / 2);  // red over black, then blue over that
    EXPECT_TRUE(Near(sorted, {64, 0, 128, 255}, 4)) << sorted[0] << "," << sorted[2];

    device->SetRenderMode(kRenderModeBlendedTransparency);  // in list order
    Rgba listed = PixelAt(Draw(), kSize / 2, kSize / 2);
    EXPECT_TRUE(Near(listed, {128, 0, 64, 255}, 4)) << listed[0] << "," << listed[2];
}

TEST_F(GlPictureTest, GeometryIsUploadedOncePerChange)
{
    auto mesh = Flat(MakeQuad(10, 10, 10));
    Show(mesh);
    Show(mesh);  // a second frame showing the same mesh
    Draw();
    Draw();
    EXPECT_EQ(device->GetMeshUploadCount(), 1u);
    auto buffers = device->FindMeshBuffers(*mesh);
    ASSERT_TRUE(buffers);
    EXPECT_EQ(buffers->vertexCount, 4u);
    EXPECT_EQ(buffers->indexCount, 6u);

    mesh->SetVertex(0, {-6, -6, 10});
    Draw();
    EXPECT_EQ(device->GetMeshUploadCount(), 2u);

    // The colour source is not part of the revision but changes the data.
    mesh->SetColorSource(ColorSource::Vertex);
    Draw();
    EXPECT_EQ(device->GetMeshUploadCount(), 3u);
}

TEST_F(GlPictureTest, CacheEntriesOfDeadMeshesAndTexturesAreReleased)
{
    auto frame = Show(Flat(MakeQuad(10, 10, 10)));
    Image image{1, 1, {255, 255, 255, 255}};
    frame->GetVisuals()[0]->SetTexture(Texture::FromImage(image, "t"));
    Draw();
    EXPECT_EQ(device->GetStatistics().cachedMeshes, 1u);
    EXPECT_EQ(device->GetStatistics().cachedTextures, 1u);

    frame->DeleteAllVisuals();  // the only owner of mesh and texture
    Draw();
    EXPECT_EQ(device->GetStatistics().cachedMeshes, 0u);
    EXPECT_EQ(device->GetStatistics().cachedTextures, 0u);
}

TEST_F(GlPictureTest, ResizeKeepsTheCacheAndChangesThePicture)
{
    Show(Flat(MakeQuad(10, 10, 10)));
    Draw();
    ASSERT_TRUE(device->Resize(32, 16));
    Image picture = Draw();
    EXPECT_EQ(picture.width, 32);
    EXPECT_EQ(picture.height, 16);
    EXPECT_EQ(device->GetMeshUploadCount(), 1u);
    EXPECT_FALSE(device->Resize(0, 16));
    EXPECT_EQ(device->GetWidth(), 32);
}

TEST_F(GlPictureTest, RenderToImageUsesTheRequestedQuality)
{
    auto mesh = MakeQuad(10, 10, 10, 0xFF336699);
    Show(mesh);
    std::string error;
    // Lit with no light: black. Capped to unlit: the colour as it is.
    auto lit = renderer->RenderToImage(*scene, *camera, view, 16, 16, kQualityGouraudLitSolid, &error);
    ASSERT_TRUE(lit) << error;
    EXPECT_TRUE(Near(PixelAt(*lit, 8, 8), kBlack));
    auto unlit = renderer->RenderToImage(*scene, *camera, view, 16, 16, kShadeGouraud | kFillSolid, &error);
    ASSERT_TRUE(unlit) << error;
    EXPECT_TRUE(Near(PixelAt(*unlit, 8, 8), {0x33, 0x66, 0x99, 255}));
    EXPECT_FALSE(renderer->RenderToImage(*scene, *camera, view, 0, 16, 138u, &error));
}

// The probe fills the driver records' depth formats: each depth it reports
// must make a device whose depth test works, the far quad (drawn last)
// hidden behind the near one, even when the two are close together.
TEST_F(GlPictureTest, EveryDepthTheProbeReportsMakesADeviceThatHidesFarFaces)
{
    const GlProbeResult probe = ProbeCurrentContext();
    ASSERT_TRUE(probe.ok) << probe.error;
    EXPECT_GE(probe.major * 10 + probe.minor, 33);
    ASSERT_FALSE(probe.depthBits.empty());
    Show(Flat(MakeQuad(4, 4, 20.0f, 0xFF00FF00)));
    Show(Flat(MakeQuad(200, 200, 20.2f, 0xFFFF0000)));
    for (int bits : probe.depthBits) {
        std::string error;
        device = renderer->CreateDevice(kSize, kSize, bits, &error);
        ASSERT_TRUE(device) << bits << " bits: " << error;
        EXPECT_GE(device->GetDepthBits(), bits);
        const Image picture = Draw();
        EXPECT_TRUE(Near(PixelAt(picture, kSize / 2, kSize / 2), kGreen)) << bits << " bits";
        EXPECT_TRUE(Near(PixelAt(picture, 2, kSize / 2), kRed)) << bits << " bits";
    }
}

// The headless probe, as start-up runs it, makes its own context and
// reports what the views will get.
TEST(GlProbe, TheHeadlessProbeFindsAContextWithDepthBuffers)
{
    RequireGl();
    const GlProbeResult probe = ProbeOpenGL();
    ASSERT_TRUE(probe.ok) << probe.error;
    EXPECT_GE(probe.major * 10 + probe.minor, 33);
    EXPECT_FALSE(probe.renderer.empty());
    EXPECT_FALSE(probe.depthBits.empty());
}
