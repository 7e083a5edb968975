// The primitive creation gestures through the tool dispatch: names from the
// shared counters, sizes that follow the cursor, the stages of each tool,
// registration, right-press creation and the 0.0001 floor.

#include "tools/CreationGestures.h"

#include "render/CommandIds.h"
#include "tools/ToolFixture.h"
#include "tools/TransformTools.h"

#include <cmath>

namespace corvid::testing {
namespace {

class CreationTest : public ToolTest {
protected:
    static bool Registered(const FramePtr& frame)
    {
        const ObjectRecord* r = RecordOf(frame.get());
        return r && r->interpolator && r->keyList && r->treeItem != 0;
    }
    static Vec3 Extent(const FramePtr& frame) { return frame->GetVisuals().at(0)->GetBox().Size(); }

    // Where the cursor at (x, y) meets the working plane through point.
    Vec3 PlanePoint(const Vec3& point, int x, int y) { return *WorkingPlanePoint(views, point, x, y); }

    // Makes one object with a click in mode and returns it (sphere, square:
    // press and release; staged tools: through every stage).
    FramePtr Click(int mode)
    {
        tools.mode = mode;
        const int presses = mode == kModeSuperEllipsoid ? 3 : mode == kModeSuperToroid ? 4 : HasHeight(mode) ? 2 : 1;
        for (int i = 0; i < presses; ++i) {
            Press(kCentreX, kCentreY);
            Release(kCentreX, kCentreY);
        }
        return scene.SelectedFrame();
    }
    static bool HasHeight(int mode) { return mode == kModeCube || mode == kModeCylinder || mode == kModeCone; }
};

TEST_F(CreationTest, SphereDragSetsTheRadiusAndTheReleaseRegistersSphere0)
{
    tools.mode = kModeSphere;
    Press(kCentreX, kCentreY);
    ASSERT_TRUE(tools.Creation().Pending());
    FramePtr sphere = scene.SelectedFrame();
    const Vec3 origin = scene.insertionPoint;
    EXPECT_EQ(tools.stage, 1);
    EXPECT_FALSE(Registered(sphere));
    for (int x = kCentreX + 10; x <= kCentreX + 40; x += 10)
        Drag(x, kCentreY + 5);
    Release(kCentreX + 40, kCentreY + 5);

    EXPECT_EQ(NameOf(sphere), "Sphere 0");
    EXPECT_TRUE(Registered(sphere));
    EXPECT_FALSE(tools.Creation().Pending());
    EXPECT_EQ(tools.stage, 0);
    EXPECT_TRUE(TreeMismatch().empty()) << TreeMismatch();
    // The radius is the distance on the working plane from the centre to the
    // cursor's point, and the centre stays at the creation point.
    const float radius = Length(PlanePoint(origin, kCentreX + 40, kCentreY + 5) - origin);
    EXPECT_GT(radius, 1.0f);
    const Vec3 e = Extent(sphere);
    EXPECT_NEAR(e.x, 2 * radius, 1e-3f);
    EXPECT_NEAR(e.y, 2 * radius, 1e-3f);
    EXPECT_NEAR(e.z, 2 * radius, 1e-3f);
    EXPECT_LT(Length(At(sphere) - origin), 1e-5f);
}

TEST_F(CreationTest, ADragBackToThePressPointLeavesTheSmallestExtent)
{
    tools.mode = kModeSphere;
    Gesture(kCentreX, kCentreY, kCentreX + 30, kCentreY);
    tools.mode = kModeSphere;
    Press(kCentreX, kCentreY);
    Drag(kCentreX + 30, kCentreY);
    Drag(kCentreX, kCentreY);
    Release(kCentreX, kCentreY);
    const Vec3 e = Extent(scene.SelectedFrame());
    for (float v : {e.x, e.y, e.z}) {
        EXPECT_NEAR(v, kMinScaledExtent, 1e-6f);
        EXPECT_TRUE(std::isfinite(v));
    }
    EXPECT_EQ(NameOf(scene.SelectedFrame()), "Sphere 1");
}

TEST_F(CreationTest, CubesAndSquaresShareOneCounterAsDoCylindersAndCones)
{
    struct Step {
        int mode;
        const char* name;
    } steps[] = {
        {kModeCube, "Cube 0"},           {kModeSquare, "Cube 1"},       {kModeCylinder, "Cylinder 0"},
        {kModeCone, "Cylinder 1"},       {kModeSphere, "Sphere 0"},     {kModeSuperEllipsoid, "SuperEllipsoid 0"},
        {kModeSuperToroid, "SuperToroid 0"}, {kModeCube, "Cube 2"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        Click(step.mode);
        FramePtr frame = scene.SelectedFrame();
        ASSERT_TRUE(frame);
        EXPECT_EQ(NameOf(frame), step.name);
        EXPECT_TRUE(Registered(frame));
        EXPECT_EQ(tools.stage, 0);
        EXPECT_FALSE(tools.Creation().Pending());
    }
    EXPECT_TRUE(TreeMismatch().empty()) << TreeMismatch();
}

TEST_F(CreationTest, CubeBoxBaseThenHeightAboveThePlane)
{
    tools.mode = kModeCube;
    Press(kCentreX, kCentreY);
    const Vec3 origin = scene.insertionPoint;
    FramePtr cube = scene.SelectedFrame();
    Drag(kCentreX + 20, kCentreY + 10);
    Drag(kCentreX + 40, kCentreY + 20);
    Release(kCentreX + 40, kCentreY + 20);
    EXPECT_EQ(tools.stage, 2);
    EXPECT_FALSE(Registered(cube));
    // By box: the base spans the rectangle from the creation point to the
    // cursor's point, flat until the height stage.
    const Vec3 corner = PlanePoint(origin, kCentreX + 40, kCentreY + 20);
    Vec3 e = Extent(cube);
    EXPECT_NEAR(e.x, std::fabs(corner.x - origin.x), 1e-3f);
    EXPECT_NEAR(e.z, std::fabs(corner.z - origin.z), 1e-3f);
    EXPECT_NEAR(e.y, kMinScaledExtent, 1e-6f);
    EXPECT_NEAR(At(cube).x, (origin.x + corner.x) / 2, 1e-3f);
    EXPECT_NEAR(At(cube).z, (origin.z + corner.z) / 2, 1e-3f);

    // The height follows the cursor without a button: 20 pixels up.
    Drag(kCentreX + 60, kCentreY);
    const float height = e.y;
    e = Extent(cube);
    EXPECT_GT(e.y, height);
    const float expectedHeight = 20 * *UnitsPerPixel(views, origin);
    EXPECT_NEAR(e.y, expectedHeight, 1e-3f);
    EXPECT_NEAR(At(cube).y, origin.y + expectedHeight / 2, 1e-3f);  // standing on the plane
    Press(kCentreX + 60, kCentreY);
    EXPECT_EQ(tools.stage, 0);
    Drag(kCentreX + 60, kCentreY - 40);  // the height is fixed now
    EXPECT_NEAR(Extent(cube).y, expectedHeight, 1e-3f);
    Release(kCentreX + 60, kCentreY - 40);
    EXPECT_TRUE(Registered(cube));
    EXPECT_EQ(NameOf(cube), "Cube 0");
}

TEST_F(CreationTest, InAnOrthographicViewTheBaseLiesInTheViewPlaneAndTheHeightComesTowardsTheViewer)
{
    // Viewport 1 looks along +z from the front: screen right is +x, screen
    // up is +y, and the viewer stands on the -z side.
    ASSERT_TRUE(views.ViewCommand(1, kViewCommands[0][kViewFront]));
    ASSERT_EQ(views.ActiveProjection(), Projection::Orthographic);

    tools.mode = kModeCube;
    Press(kCentreX, kCentreY);
    const Vec3 origin = scene.insertionPoint;
    FramePtr cube = scene.SelectedFrame();
    Drag(kCentreX + 40, kCentreY + 20);  // right and down on the screen
    Release(kCentreX + 40, kCentreY + 20);

    // The frame is turned to the view: its z axis along the view's up, its
    // y axis (the height) towards the viewer.
    Vec3 direction, up;
    cube->GetOrientation(scene.Scene().get(), direction, up);
    EXPECT_LT(Length(direction - Vec3{0, 1, 0}), 1e-4f);
    EXPECT_LT(Length(up - Vec3{0, 0, -1}), 1e-4f);

    // The base spans the dragged rectangle in the view plane.
    const Vec3 corner = PlanePoint(origin, kCentreX + 40, kCentreY + 20);
    EXPECT_GT(corner.x, origin.x);
    EXPECT_LT(corner.y, origin.y);
    EXPECT_NEAR(corner.z, origin.z, 1e-4f);
    Vec3 e = Extent(cube);
    EXPECT_NEAR(e.x, corner.x - origin.x, 1e-3f);
    EXPECT_NEAR(e.z, origin.y - corner.y, 1e-3f);
    EXPECT_NEAR(e.y, kMinScaledExtent, 1e-6f);
    EXPECT_NEAR(At(cube).x, (origin.x + corner.x) / 2, 1e-3f);
    EXPECT_NEAR(At(cube).y, (origin.y + corner.y) / 2, 1e-3f);

    // 30 pixels up without a button: the box grows towards the viewer and
    // keeps its back face on the plane through the creation point.
    Drag(kCentreX + 40, kCentreY - 10);
    const float height = 30 * *UnitsPerPixel(views, origin);
    e = Extent(cube);
    EXPECT_NEAR(e.y, height, 1e-3f);
    EXPECT_NEAR(At(cube).z, origin.z - height / 2, 1e-3f);
    Press(kCentreX + 40, kCentreY - 10);
    Release(kCentreX + 40, kCentreY - 10);
    EXPECT_TRUE(Registered(cube));

    // A sphere in the same view has the radius of its drag in the view plane.
    tools.mode = kModeSphere;
    Press(kCentreX, kCentreY);
    const Vec3 centre = scene.insertionPoint;
    FramePtr sphere = scene.SelectedFrame();
    Drag(kCentreX, kCentreY - 25);
    Release(kCentreX, kCentreY - 25);
    const float radius = Length(PlanePoint(centre, kCentreX, kCentreY - 25) - centre);
    EXPECT_NEAR(radius, 25 * *UnitsPerPixel(views, centre), 1e-3f);
    EXPECT_NEAR(Extent(sphere).z, 2 * radius, 1e-3f);
    EXPECT_NEAR(Extent(sphere).x, 2 * radius, 1e-3f);
}

TEST_F(CreationTest, CylinderFromTheCentreHasTheDraggedRadius)
{
    tools.mode = kModeCylinder;
    Press(kCentreX, kCentreY);
    const Vec3 origin = scene.insertionPoint;
    FramePtr cylinder = scene.SelectedFrame();
    Drag(kCentreX + 30, kCentreY);
    Release(kCentreX + 30, kCentreY);
    const float radius = Length(PlanePoint(origin, kCentreX + 30, kCentreY) - origin);
    EXPECT_NEAR(Extent(cylinder).x, 2 * radius, 1e-3f);
    EXPECT_NEAR(Extent(cylinder).z, 2 * radius, 1e-3f);
    EXPECT_NEAR(At(cylinder).x, origin.x, 1e-5f);
    EXPECT_NEAR(At(cylinder).z, origin.z, 1e-5f);
}

TEST_F(CreationTest, RightPressMakesARegisteredDefaultSizeObjectInTheRoundModesOnly)
{
    scene.insertionPoint = {1, 2, 3};
    struct Case {
        int mode;
        bool makes;
        Vec3 extent;
    } cases[] = {
        {kModeSphere, true, {2, 2, 2}},    {kModeCylinder, true, {2, 1, 2}}, {kModeCone, true, {2, 1, 2}},
        {kModeCube, false, {}},            {kModeSquare, false, {}},         {kModeSuperEllipsoid, false, {}},
        {kModeSuperToroid, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        tools.mode = c.mode;
        scene.ClearSelection();
        Press(kCentreX, kCentreY, MouseButton::Right);
        Release(kCentreX, kCentreY, MouseButton::Right);
        EXPECT_FALSE(tools.Creation().Pending());
        FramePtr frame = scene.SelectedFrame();
        if (!c.makes) {
            EXPECT_FALSE(frame);
            continue;
        }
        ASSERT_TRUE(frame);
        EXPECT_TRUE(Registered(frame));
        EXPECT_LT(Length(At(frame) - Vec3{1, 2, 3}), 1e-5f);
        EXPECT_LT(Length(Extent(frame) - c.extent), 1e-4f);
        // Registered, it deletes like any other object.
        scene.DeleteObjectTree(frame);
        EXPECT_TRUE(TreeMismatch().empty()) << TreeMismatch();
    }
}

TEST_F(CreationTest, SuperellipsoidIsSizedShapedStretchedThenRegistered)
{
    tools.mode = kModeSuperEllipsoid;
    Gesture(kCentreX, kCentreY, kCentreX + 20, kCentreY);
    FramePtr shape = scene.SelectedFrame();
    EXPECT_EQ(tools.stage, 2);
    const float width = Extent(shape).x;
    // 100 pixels right doubles e1, 100 down halves e2; the size stays.
    Drag(kCentreX + 120, kCentreY + 100);
    EXPECT_FLOAT_EQ(tools.Creation().ellipsoid.exponent1, 0.4f);
    EXPECT_FLOAT_EQ(tools.Creation().ellipsoid.exponent2, 0.1f);
    EXPECT_NEAR(Extent(shape).x, width, 1e-3f);
    EXPECT_FLOAT_EQ(tools.primitives.superellipsoid.exponent1, 0.2f);  // the tool's own values stay
    Press(kCentreX + 120, kCentreY + 100);
    Release(kCentreX + 120, kCentreY + 100);
    EXPECT_EQ(tools.stage, 3);
    Drag(kCentreX + 120, kCentreY + 80);  // 20 pixels up: taller by twice that
    EXPECT_NEAR(Extent(shape).y, width + 2 * 20 * *UnitsPerPixel(views, At(shape)), 1e-3f);
    EXPECT_FALSE(Registered(shape));
    Press(kCentreX, kCentreY);
    EXPECT_TRUE(Registered(shape));
    EXPECT_EQ(tools.stage, 0);
    Release(kCentreX, kCentreY);
    EXPECT_EQ(NameOf(shape), "SuperEllipsoid 0");
}

TEST_F(CreationTest, SupertoroidTakesFourStagesAndARightPressTakesItBack)
{
    tools.mode = kModeSuperToroid;
    Gesture(kCentreX, kCentreY, kCentreX + 20, kCentreY);
    FramePtr torus = scene.SelectedFrame();
    for (int stage = 3; stage <= 4; ++stage) {
        Press(kCentreX, kCentreY);
        Release(kCentreX, kCentreY);
        EXPECT_EQ(tools.stage, stage);
    }
    Press(kCentreX, kCentreY);
    Release(kCentreX, kCentreY);
    EXPECT_TRUE(Registered(torus));

    // Thickening the tube in stage 3 keeps every vertex finite.
    Gesture(kCentreX, kCentreY, kCentreX + 20, kCentreY);
    FramePtr second = scene.SelectedFrame();
    Press(kCentreX, kCentreY);
    Release(kCentreX, kCentreY);
    Drag(kCentreX, kCentreY - 2000);
    EXPECT_GT(tools.Creation().toroid.tubeRadius, 0.2f);
    for (const Vec3& v : second->GetVisuals().at(0)->GetVertices())
        EXPECT_TRUE(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z));
    EXPECT_EQ(NameOf(second), "SuperToroid 1");
    Press(kCentreX, kCentreY, MouseButton::Right);
    Release(kCentreX, kCentreY, MouseButton::Right);
    EXPECT_FALSE(Registered(second));
    EXPECT_FALSE(scene.Scene()->IsAncestorOf(second.get()));
    EXPECT_EQ(tools.stage, 0);
    EXPECT_TRUE(Registered(torus));
    EXPECT_TRUE(TreeMismatch().empty()) << TreeMismatch();
}

TEST_F(CreationTest, ChoosingAnotherToolMidCreationRegistersTheObject)
{
    tools.mode = kModeCone;
    Gesture(kCentreX, kCentreY, kCentreX + 20, kCentreY);
    FramePtr cone = scene.SelectedFrame();
    EXPECT_EQ(tools.stage, 2);
    tools.mode = kModeSphere;
    Gesture(kCentreX, kCentreY, kCentreX + 20, kCentreY);
    EXPECT_TRUE(Registered(cone));
    EXPECT_TRUE(Registered(scene.SelectedFrame()));
    EXPECT_TRUE(TreeMismatch().empty()) << TreeMismatch();
}

} // namespace
} // namespace corvid::testing
