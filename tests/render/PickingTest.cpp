#include "PickFixture.h"

#include "platform/Light.h"
#include "render/Picking.h"

#include <cmath>

using namespace corvid;
using namespace corvid::testing;

namespace {

constexpr int kCentreX = 200, kCentreY = 150;  // of the 400 x 300 picture

// The pixel a point (relative to SCENE) shows at in viewport 1, worked out
// from the camera's axes and the field by hand.
std::pair<float, float> PixelOf(ViewSet& views, Vec3 p)
{
    const Frame* sceneFrame = views.scene().Scene().get();
    const FramePtr& camera = views.scene().ActiveCamera();
    Vec3 direction, up;
    camera->GetOrientation(sceneFrame, direction, up);
    const Vec3 right = Cross(up, direction);
    const Vec3 rel = p - camera->GetPosition(sceneFrame);
    const float depth = Dot(rel, direction);
    const float field = views.ActiveField();
    return {(Dot(rel, right) / depth / field + 1.0f) * 200.0f, (1.0f - Dot(rel, up) / depth / (field * 0.75f)) * 150.0f};
}

} // namespace

TEST(SnapTest, NearestMultipleWithHalfwayGoingDown)
{
    struct Case {
        float value, step, expected;
    } cases[] = {
        {2.25f, 0.5f, 2.0f},  {2.26f, 0.5f, 2.5f},  {2.24f, 0.5f, 2.0f}, {2.5f, 0.5f, 2.5f},
        {-2.25f, 0.5f, -2.5f}, {-2.24f, 0.5f, -2.0f}, {-2.26f, 0.5f, -2.5f}, {0.0f, 0.5f, 0.0f},
        {0.75f, 0.5f, 0.5f},  {7.0f, 2.0f, 6.0f},   {7.1f, 2.0f, 8.0f},  {1.3f, 0.0f, 1.3f},
        {1.3f, -1.0f, 1.3f},
    };
    for (const auto& c : cases)
        EXPECT_FLOAT_EQ(Snap(c.value, c.step), c.expected) << c.value << " step " << c.step;
}

TEST_F(PickTest, TheInnermostFrameOfTheHitPathIsSelected)
{
    FramePtr group = Add("Group", {0, 0, 0}, 0.0f);
    FramePtr inner = Add("Inner", {0, 0, 0}, 1.0f, group);
    Add("Behind", {0, -20, 40}, 1.0f);  // off the centre ray

    ui.notifications.clear();
    ASSERT_TRUE(views.Pick(kCentreX, kCentreY));
    EXPECT_EQ(scene.SelectedFrame(), inner);
    EXPECT_TRUE(scene.HasSelection());
    EXPECT_EQ(scene.CurrentVisual(), inner->GetVisuals().front());
    EXPECT_EQ(views.pickDetails.kind, kObject);
    EXPECT_EQ(views.pickDetails.kindName, "Object");
    EXPECT_EQ(views.pickDetails.patchType, -1);
    EXPECT_EQ(views.pickDetails.controlPointRow, -1);
    EXPECT_EQ(views.pickDetails.faceCount, 6);
    EXPECT_EQ(views.pickDetails.vertexCount, 8);
    EXPECT_EQ(views.pickDetails.x, kCentreX);
    EXPECT_EQ(views.pickDetails.y, kCentreY);

    // The camera looks down and forward: the face hit is the top or the
    // front one, facing the camera, and the current vertex is one of it.
    Vec3 direction, up;
    scene.ActiveCamera()->GetOrientation(scene.Scene().get(), direction, up);
    EXPECT_LT(Dot(views.pickDetails.faceNormal, direction), 0.0f);
    EXPECT_EQ(views.pickDetails.faceVertexCount, 4);
    auto corners = scene.CurrentVisual()->GetFaceCorners(views.pickDetails.face);
    ASSERT_EQ(corners.size(), 4u);
    EXPECT_EQ(views.pickDetails.vertex, corners.back().vertex) << "the last corner within reach";
    EXPECT_NEAR(Length(views.pickDetails.vertexNormal), 1.0f, 1e-4f);
    // The hit point lies on the surface of the cube, on the centre ray.
    const Vec3 hit = views.pickDetails.pickPosition;
    EXPECT_NEAR(std::fmax(std::fabs(hit.x), std::fmax(std::fabs(hit.y), std::fabs(hit.z))), 1.0f, 1e-4f);
    auto [px, py] = PixelOf(views, hit);
    EXPECT_NEAR(px, kCentreX, 0.01f);
    EXPECT_NEAR(py, kCentreY, 0.01f);

    EXPECT_TRUE(MarkerShown());
    EXPECT_EQ(views.objectInfo.name, "Inner");
    EXPECT_EQ(views.objectInfo.kindName, "Object");
    EXPECT_GE(ui.Count(Notification::SelectionChanged), 1);
    EXPECT_GE(ui.Count(Notification::PanelsChanged), 1);
}

TEST_F(PickTest, FarVerticesAreNeverTheCurrentVertex)
{
    FramePtr object = Add("Far corners", {0, 0, 0}, 0.0f);
    auto mesh = MeshBuilder::Create();
    // A big quad facing the camera whose last two corners lie beyond reach.
    int a = mesh->AddVertex({-1, -1, 0}), b = mesh->AddVertex({-1, 1, 0});
    int c = mesh->AddVertex({20000, 20000, 0}), d = mesh->AddVertex({20000, -20000, 0});
    int quad[] = {a, b, c, d};
    mesh->AddFace(quad);
    object->AddVisual(mesh);
    ASSERT_TRUE(views.Pick(kCentreX, kCentreY));
    EXPECT_EQ(views.pickDetails.vertex, b);
    EXPECT_EQ(Round(views.pickDetails.vertexPosition), Round({-1, 1, 0}));
}

TEST_F(PickTest, AHitOnTheActiveCameraIsLookedThrough)
{
    FramePtr target = Add("Target", {0, 0, 10});
    scene.insertionPoint = {0, 0, -10};
    FramePtr camera = scene.CreateCamera();  // looks along +z, at the target
    // A screen right in front of the lens, part of the camera itself.
    auto screen = MeshBuilder::Create();
    int v[] = {screen->AddVertex({-1, -1, 2}), screen->AddVertex({-1, 1, 2}), screen->AddVertex({1, 1, 2}),
               screen->AddVertex({1, -1, 2})};
    screen->AddFace(v);
    camera->AddVisual(screen);

    // Seen from the perspective camera, the user camera is an ordinary object.
    scene.ClearSelection();
    scene.ActiveCamera()->SetPosition(scene.Scene().get(), {0, 0, -30});
    scene.ActiveCamera()->SetOrientation(scene.Scene().get(), {0, 0, 1}, {0, 1, 0});
    ASSERT_TRUE(views.Pick(kCentreX, kCentreY));
    EXPECT_EQ(scene.SelectedFrame(), camera);
    EXPECT_EQ(views.pickDetails.kindName, "Camera");

    // Looking through it, the hit on its own screen is skipped.
    ASSERT_TRUE(views.ViewCommand(1, kCameraMenuBase + 0));
    ASSERT_EQ(scene.ActiveCamera(), camera);
    ASSERT_TRUE(views.Pick(kCentreX, kCentreY));
    EXPECT_EQ(scene.SelectedFrame(), target);

    // With nothing behind it, nothing is pickDetails.
    scene.DeleteObjectTree(target);
    EXPECT_FALSE(views.Pick(kCentreX, kCentreY));
    EXPECT_FALSE(scene.HasSelection());
}

TEST_F(PickTest, AMissClearsTheSelectionThePanelAndTheMarker)
{
    FramePtr box = Add("Box", {0, 0, 0});
    ASSERT_TRUE(views.Pick(kCentreX, kCentreY));
    ASSERT_FALSE(views.objectInfo.IsEmpty());

    struct Case {
        const char* name;
        std::function<void()> arrange;
    } cases[] = {
        {"empty space", [] {}},
        {"a frame without a record", [&] {
             FramePtr helper = Frame::Create(scene.Scene().get());
             helper->AddVisual(Cube(50.0f));  // the camera stands outside it
             helper->SetPosition(scene.Scene().get(), {0, 0, 100});
         }},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(views.Pick(kCentreX, kCentreY)) << c.name;
        c.arrange();
        EXPECT_FALSE(views.Pick(10, 10)) << c.name;
        EXPECT_FALSE(scene.HasSelection()) << c.name;
        EXPECT_FALSE(scene.SelectedFrame()) << c.name;
        EXPECT_FALSE(scene.CurrentVisual()) << c.name;
        EXPECT_TRUE(views.objectInfo.IsEmpty()) << c.name;
        EXPECT_FALSE(MarkerShown()) << c.name;
    }
}

TEST_F(PickTest, APickWithoutAPictureDoesNothing)
{
    Add("Box", {0, 0, 0});
    ASSERT_TRUE(views.Pick(kCentreX, kCentreY));
    FramePtr selected = scene.SelectedFrame();
    views.ReleaseViewDevice(View(1));
    scene.insertionPoint = {7, 7, 7};
    EXPECT_FALSE(views.Pick(kCentreX, kCentreY));
    EXPECT_EQ(scene.SelectedFrame(), selected);
    EXPECT_EQ(scene.insertionPoint, Vec3(7, 7, 7));
}

TEST_F(PickTest, LightsAreHandedOverAndPickObjectOnlyDropsThem)
{
    scene.insertionPoint = {0, 0, 0};
    FramePtr light = scene.CreateLight(LightType::Spot, {});
    ASSERT_TRUE(views.Pick(kCentreX, kCentreY));
    EXPECT_EQ(scene.SelectedFrame(), light);
    EXPECT_TRUE(views.pickDetails.hasLight);
    EXPECT_EQ(views.pickDetails.lightType, LightType::Spot);
    EXPECT_EQ(scene.PickedLight(), light->GetLights().back());

    EXPECT_FALSE(views.PickObjectOnly(kCentreX, kCentreY));
    EXPECT_FALSE(scene.HasSelection());
    EXPECT_FALSE(scene.PickedLight());

    scene.DeleteObjectTree(light);
    FramePtr box = Add("Box", {0, 0, 0});
    EXPECT_TRUE(views.PickObjectOnly(kCentreX, kCentreY));
    EXPECT_EQ(scene.SelectedFrame(), box);
    EXPECT_FALSE(views.pickDetails.hasLight);
}

TEST_F(PickTest, PerspectiveInsertionPointLiesOnTheGroundUnderTheCursor)
{
    View(1).viewRoot->SetPosition(scene.Scene().get(), {5, 0, 3});
    const std::pair<int, int> pixels[] = {{kCentreX, kCentreY}, {50, 250}, {390, 200}, {120, 180}};
    for (auto [x, y] : pixels) {
        views.Pick(x, y);
        const Vec3 p = scene.insertionPoint;
        EXPECT_EQ(p.y, 0.0f) << x << "," << y;
        auto [px, py] = PixelOf(views, p);
        EXPECT_NEAR(px, static_cast<float>(x), 0.01f) << x << "," << y;
        EXPECT_NEAR(py, static_cast<float>(y), 0.01f) << x << "," << y;
        // Its camera-space copy.
        const Vec3 back = scene.ActiveCamera()->GetTransform(scene.Scene().get()).TransformPoint(views.insertionPointCamera);
        EXPECT_EQ(Round(back), Round(p));
    }
    views.Pick(kCentreX, kCentreY);
    EXPECT_EQ(Round(scene.insertionPoint), Round({5, 0, 3})) << "the camera looks at its view root";

    scene.grid.on = true;
    views.Pick(123, 187);
    EXPECT_EQ(scene.insertionPoint.x, Snap(scene.insertionPoint.x, 0.5f));
    EXPECT_EQ(scene.insertionPoint.z, Snap(scene.insertionPoint.z, 0.5f));
    EXPECT_EQ(scene.insertionPoint.y, 0.0f);
}

TEST_F(PickTest, TopViewInsertionPointIsTheGroundPointUnderTheCursor)
{
    ASSERT_TRUE(views.ViewCommand(1, kViewCommands[0][kViewTop]));
    // Field 20 across 400 pixels: 10 pixels per unit; x runs right, z up
    // the picture.
    struct Case {
        int x, y;
        Vec3 expected;
    } cases[] = {
        {200, 150, {0, 0, 0}}, {300, 150, {10, 0, 0}}, {200, 75, {0, 0, 7.5f}}, {0, 300, {-20, 0, -15}},
    };
    for (const auto& c : cases) {
        views.Pick(c.x, c.y);
        EXPECT_EQ(Round(scene.insertionPoint), Round(c.expected)) << c.x << "," << c.y;
    }
    // The ray goes straight down from the pixel: an object off the centre
    // is picked where it shows.
    FramePtr box = Add("Off centre", {10, -3, 0});
    EXPECT_TRUE(views.Pick(300, 150));
    EXPECT_EQ(scene.SelectedFrame(), box);
    EXPECT_EQ(Round(views.pickDetails.pickPosition), Round({10, -2, 0}));
    EXPECT_FALSE(views.Pick(200, 150));

    scene.grid.on = true;
    views.Pick(202, 148);  // (0.2, 0, 0.2) snaps to the origin
    EXPECT_EQ(Round(scene.insertionPoint), Round({0, 0, 0}));
    views.Pick(208, 142);  // (0.8, 0, 0.8)
    EXPECT_EQ(Round(scene.insertionPoint), Round({1, 0, 1}));
}
