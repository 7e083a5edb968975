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
std::pair<float, float> PixelOf(Editor& editor, Vec3 p)
{
    const Frame* scene = editor.Scene().get();
    const FramePtr& camera = editor.ActiveCamera();
    Vec3 direction, up;
    camera->GetOrientation(scene, direction, up);
    const Vec3 right = Cross(up, direction);
    const Vec3 rel = p - camera->GetPosition(scene);
    const float depth = Dot(rel, direction);
    const float field = editor.ActiveField();
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
    ASSERT_TRUE(editor.Pick(kCentreX, kCentreY));
    EXPECT_EQ(editor.SelectedFrame(), inner);
    EXPECT_TRUE(editor.HasSelection());
    EXPECT_EQ(editor.CurrentVisual(), inner->GetVisuals().front());
    EXPECT_EQ(editor.pickDetails.kind, kObject);
    EXPECT_EQ(editor.pickDetails.kindName, "Object");
    EXPECT_EQ(editor.pickDetails.controlPointIndex, -1);
    EXPECT_EQ(editor.pickDetails.faceCount, 6);
    EXPECT_EQ(editor.pickDetails.vertexCount, 8);
    EXPECT_EQ(editor.pickDetails.x, kCentreX);
    EXPECT_EQ(editor.pickDetails.y, kCentreY);

    // The camera looks down and forward: the face hit is the top or the
    // front one, facing the camera, and the current vertex is one of it.
    Vec3 direction, up;
    editor.ActiveCamera()->GetOrientation(editor.Scene().get(), direction, up);
    EXPECT_LT(Dot(editor.pickDetails.faceNormal, direction), 0.0f);
    EXPECT_EQ(editor.pickDetails.faceVertexCount, 4);
    auto corners = editor.CurrentVisual()->GetFaceCorners(editor.pickDetails.face);
    ASSERT_EQ(corners.size(), 4u);
    EXPECT_EQ(editor.pickDetails.vertex, corners.back().vertex) << "the last corner within reach";
    EXPECT_NEAR(Length(editor.pickDetails.vertexNormal), 1.0f, 1e-4f);
    // The hit point lies on the surface of the cube, on the centre ray.
    const Vec3 hit = editor.pickDetails.pickPosition;
    EXPECT_NEAR(std::fmax(std::fabs(hit.x), std::fmax(std::fabs(hit.y), std::fabs(hit.z))), 1.0f, 1e-4f);
    auto [px, py] = PixelOf(editor, hit);
    EXPECT_NEAR(px, kCentreX, 0.01f);
    EXPECT_NEAR(py, kCentreY, 0.01f);

    EXPECT_TRUE(MarkerShown());
    EXPECT_EQ(editor.objectInfo.name, "Inner");
    EXPECT_EQ(editor.objectInfo.kindName, "Object");
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
    ASSERT_TRUE(editor.Pick(kCentreX, kCentreY));
    EXPECT_EQ(editor.pickDetails.vertex, b);
    EXPECT_EQ(Round(editor.pickDetails.vertexPosition), Round({-1, 1, 0}));
}

TEST_F(PickTest, AHitOnTheActiveCameraIsLookedThrough)
{
    FramePtr target = Add("Target", {0, 0, 10});
    editor.insertionPoint = {0, 0, -10};
    FramePtr camera = editor.CreateCamera();  // looks along +z, at the target
    // A screen right in front of the lens, part of the camera itself.
    auto screen = MeshBuilder::Create();
    int v[] = {screen->AddVertex({-1, -1, 2}), screen->AddVertex({-1, 1, 2}), screen->AddVertex({1, 1, 2}),
               screen->AddVertex({1, -1, 2})};
    screen->AddFace(v);
    camera->AddVisual(screen);

    // Seen from the perspective camera, the user camera is an ordinary object.
    editor.ClearSelection();
    editor.ActiveCamera()->SetPosition(editor.Scene().get(), {0, 0, -30});
    editor.ActiveCamera()->SetOrientation(editor.Scene().get(), {0, 0, 1}, {0, 1, 0});
    ASSERT_TRUE(editor.Pick(kCentreX, kCentreY));
    EXPECT_EQ(editor.SelectedFrame(), camera);
    EXPECT_EQ(editor.pickDetails.kindName, "Camera");

    // Looking through it, the hit on its own screen is skipped.
    ASSERT_TRUE(editor.ViewCommand(1, kCameraMenuBase + 0));
    ASSERT_EQ(editor.ActiveCamera(), camera);
    ASSERT_TRUE(editor.Pick(kCentreX, kCentreY));
    EXPECT_EQ(editor.SelectedFrame(), target);

    // With nothing behind it, nothing is pickDetails.
    editor.DeleteObjectTree(target);
    EXPECT_FALSE(editor.Pick(kCentreX, kCentreY));
    EXPECT_FALSE(editor.HasSelection());
}

TEST_F(PickTest, AMissClearsTheSelectionThePanelAndTheMarker)
{
    FramePtr box = Add("Box", {0, 0, 0});
    ASSERT_TRUE(editor.Pick(kCentreX, kCentreY));
    ASSERT_FALSE(editor.objectInfo.IsEmpty());

    struct Case {
        const char* name;
        std::function<void()> arrange;
    } cases[] = {
        {"empty space", [] {}},
        {"a frame without a record", [&] {
             FramePtr helper = Frame::Create(editor.Scene().get());
             helper->AddVisual(Cube(50.0f));  // the camera stands outside it
             helper->SetPosition(editor.Scene().get(), {0, 0, 100});
         }},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(editor.Pick(kCentreX, kCentreY)) << c.name;
        c.arrange();
        EXPECT_FALSE(editor.Pick(10, 10)) << c.name;
        EXPECT_FALSE(editor.HasSelection()) << c.name;
        EXPECT_FALSE(editor.SelectedFrame()) << c.name;
        EXPECT_FALSE(editor.CurrentVisual()) << c.name;
        EXPECT_TRUE(editor.objectInfo.IsEmpty()) << c.name;
        EXPECT_FALSE(MarkerShown()) << c.name;
    }
}

TEST_F(PickTest, APickWithoutAPictureDoesNothing)
{
    Add("Box", {0, 0, 0});
    ASSERT_TRUE(editor.Pick(kCentreX, kCentreY));
    FramePtr selected = editor.SelectedFrame();
    editor.ReleaseViewDevice(View(1));
    editor.insertionPoint = {7, 7, 7};
    EXPECT_FALSE(editor.Pick(kCentreX, kCentreY));
    EXPECT_EQ(editor.SelectedFrame(), selected);
    EXPECT_EQ(editor.insertionPoint, Vec3(7, 7, 7));
}

TEST_F(PickTest, LightsAreHandedOverAndPickObjectOnlyDropsThem)
{
    editor.insertionPoint = {0, 0, 0};
    FramePtr light = editor.CreateLight(LightType::Spot);
    ASSERT_TRUE(editor.Pick(kCentreX, kCentreY));
    EXPECT_EQ(editor.SelectedFrame(), light);
    EXPECT_TRUE(editor.pickDetails.hasLight);
    EXPECT_EQ(editor.pickDetails.lightType, LightType::Spot);
    EXPECT_EQ(editor.PickedLight(), light->GetLights().back());

    EXPECT_FALSE(editor.PickObjectOnly(kCentreX, kCentreY));
    EXPECT_FALSE(editor.HasSelection());
    EXPECT_FALSE(editor.PickedLight());

    editor.DeleteObjectTree(light);
    FramePtr box = Add("Box", {0, 0, 0});
    EXPECT_TRUE(editor.PickObjectOnly(kCentreX, kCentreY));
    EXPECT_EQ(editor.SelectedFrame(), box);
    EXPECT_FALSE(editor.pickDetails.hasLight);
}

TEST_F(PickTest, PerspectiveInsertionPointLiesOnTheGroundUnderTheCursor)
{
    View(1).viewRoot->SetPosition(editor.Scene().get(), {5, 0, 3});
    const std::pair<int, int> pixels[] = {{kCentreX, kCentreY}, {50, 250}, {390, 200}, {120, 180}};
    for (auto [x, y] : pixels) {
        editor.Pick(x, y);
        const Vec3 p = editor.insertionPoint;
        EXPECT_EQ(p.y, 0.0f) << x << "," << y;
        auto [px, py] = PixelOf(editor, p);
        EXPECT_NEAR(px, static_cast<float>(x), 0.01f) << x << "," << y;
        EXPECT_NEAR(py, static_cast<float>(y), 0.01f) << x << "," << y;
        // Its camera-space copy.
        const Vec3 back = editor.ActiveCamera()->GetTransform(editor.Scene().get()).TransformPoint(editor.insertionPointCamera);
        EXPECT_EQ(Round(back), Round(p));
    }
    editor.Pick(kCentreX, kCentreY);
    EXPECT_EQ(Round(editor.insertionPoint), Round({5, 0, 3})) << "the camera looks at its view root";

    editor.gridSnap = true;
    editor.Pick(123, 187);
    EXPECT_EQ(editor.insertionPoint.x, Snap(editor.insertionPoint.x, 0.5f));
    EXPECT_EQ(editor.insertionPoint.z, Snap(editor.insertionPoint.z, 0.5f));
    EXPECT_EQ(editor.insertionPoint.y, 0.0f);
}

TEST_F(PickTest, TopViewInsertionPointIsTheGroundPointUnderTheCursor)
{
    ASSERT_TRUE(editor.ViewCommand(1, kViewCommands[0][kViewTop]));
    // Field 20 across 400 pixels: 10 pixels per unit; x runs right, z up
    // the picture.
    struct Case {
        int x, y;
        Vec3 expected;
    } cases[] = {
        {200, 150, {0, 0, 0}}, {300, 150, {10, 0, 0}}, {200, 75, {0, 0, 7.5f}}, {0, 300, {-20, 0, -15}},
    };
    for (const auto& c : cases) {
        editor.Pick(c.x, c.y);
        EXPECT_EQ(Round(editor.insertionPoint), Round(c.expected)) << c.x << "," << c.y;
    }
    // The ray goes straight down from the pixel: an object off the centre
    // is picked where it shows.
    FramePtr box = Add("Off centre", {10, -3, 0});
    EXPECT_TRUE(editor.Pick(300, 150));
    EXPECT_EQ(editor.SelectedFrame(), box);
    EXPECT_EQ(Round(editor.pickDetails.pickPosition), Round({10, -2, 0}));
    EXPECT_FALSE(editor.Pick(200, 150));

    editor.gridSnap = true;
    editor.Pick(202, 148);  // (0.2, 0, 0.2) snaps to the origin
    EXPECT_EQ(Round(editor.insertionPoint), Round({0, 0, 0}));
    editor.Pick(208, 142);  // (0.8, 0, 0.8)
    EXPECT_EQ(Round(editor.insertionPoint), Round({1, 0, 1}));
}
