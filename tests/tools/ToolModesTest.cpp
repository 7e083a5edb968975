#include "tools/ToolFixture.h"

#include "platform/Light.h"
#include "scene/Shadow.h"
#include "tools/TransformTools.h"

#include <cmath>

using namespace corvid;
using corvid::testing::kCentreX;
using corvid::testing::kCentreY;
using corvid::testing::kUnitsPerPixelAtOrigin;
using corvid::testing::ToolTest;

namespace {

class ToolModesTest : public ToolTest {
protected:
    // The box's extents along SCENE's axes.
    Vec3 Extents(const FramePtr& frame)
    {
        ::corvid::Box box;
        for (const Vec3& p : ScenePoints(frame))
            box.Add(p);
        return box.Size();
    }
    static bool Near(const std::vector<Vec3>& a, const std::vector<Vec3>& b, float eps = 1e-4f)
    {
        if (a.size() != b.size())
            return false;
        for (size_t i = 0; i < a.size(); ++i)
            if (!NearlyEqual(a[i], b[i], eps))
                return false;
        return true;
    }
};

TEST_F(ToolModesTest, MoveFollowsTheCursorInTheWorkingPlane)
{
    struct Case {
        const char* name;
        bool snap;
        int dx;
        float expectedX;
    };
    // 0.075 units per pixel at the origin's depth.
    const Case cases[] = {
        {"40 px right", false, 40, 40 * kUnitsPerPixelAtOrigin},
        {"40 px left", false, -40, -40 * kUnitsPerPixelAtOrigin},
        {"27 px snapped to whole 0.5 steps", true, 27, 2.0f},
        {"33 px snapped", true, 33, 2.5f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        scene.NewScene();
        FramePtr box = Box("Box", {});
        tools.mode = kModeMove;
        scene.grid.on = c.snap;
        Gesture(kCentreX, kCentreY, kCentreX + c.dx, kCentreY);
        EXPECT_EQ(scene.SelectedFrame(), box);
        Vec3 at = At(box);
        EXPECT_NEAR(at.x, c.expectedX, 0.01f);
        EXPECT_NEAR(at.y, 0.0f, 1e-4f);
        EXPECT_NEAR(at.z, 0.0f, 1e-3f);
    }
}

TEST_F(ToolModesTest, MovingBackUndoesTheDragAndTheRightButtonLifts)
{
    FramePtr box = Box("Box", {});
    tools.mode = kModeMove;
    Press(kCentreX, kCentreY);
    Drag(kCentreX + 30, kCentreY + 20);
    Drag(kCentreX, kCentreY);
    Release(kCentreX, kCentreY);
    EXPECT_TRUE(NearlyEqual(At(box), {0, 0, 0}, 1e-4f)) << At(box);

    // The right button moves the selection straight up as the cursor rises.
    Gesture(kCentreX, kCentreY, kCentreX, kCentreY - 40, MouseButton::Right);
    Vec3 at = At(box);
    EXPECT_NEAR(at.x, 0.0f, 1e-4f);
    EXPECT_NEAR(at.z, 0.0f, 1e-4f);
    // A bit more than 40 pixels' width: the camera looks slightly down.
    EXPECT_GT(at.y, 40 * kUnitsPerPixelAtOrigin);
    EXPECT_LT(at.y, 40 * kUnitsPerPixelAtOrigin * 1.1f);
}

TEST_F(ToolModesTest, RotateTurnsTheNearSideWithTheCursor)
{
    struct Case {
        const char* name;
        MouseButton button;
        int dx, dy;
        int axis;     // which screen direction the near point must go: 0 x, 1 y
        float sign;
    };
    const Case cases[] = {
        {"left drag right", MouseButton::Left, 30, 0, 0, +1},
        {"left drag left", MouseButton::Left, -30, 0, 0, -1},
        {"left drag down", MouseButton::Left, 0, 30, 1, -1},
        {"right drag right", MouseButton::Right, 30, 0, 0, +1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        scene.NewScene();
        FramePtr box = Box("Box", {});
        scene.Select(box);
        Vec3 nearBefore = box->Transform({0, 0, -1});  // facing the camera
        tools.mode = kModeRotate;
        Gesture(kCentreX, kCentreY, kCentreX + c.dx, kCentreY + c.dy, c.button, 1);
        Vec3 nearAfter = box->Transform({0, 0, -1});
        float moved = c.axis == 0 ? nearAfter.x - nearBefore.x : nearAfter.y - nearBefore.y;
        EXPECT_GT(moved * c.sign, 0.1f);
        EXPECT_TRUE(NearlyEqual(At(box), {0, 0, 0}, 1e-4f));  // turns about its own origin
    }
}

TEST_F(ToolModesTest, RotateStepAngleAndAxes)
{
    FramePtr box = Box("Box", {});
    scene.Select(box);
    tools.mode = kModeRotate;
    // Right button: about SCENE's y axis by 2 * 30 / sqrt(30^2 + 300^2).
    Gesture(kCentreX, kCentreY, kCentreX + 30, kCentreY, MouseButton::Right, 1);
    Vec3 x = Normalize(box->GetTransform(scene.Scene().get()).Row(0));
    EXPECT_NEAR(std::acos(std::clamp(x.x, -1.0f, 1.0f)), 60.0f / std::sqrt(900.0f + 90000.0f), 1e-4f);
    EXPECT_NEAR(box->GetTransform(scene.Scene().get()).Row(1).y, 1.0f, 1e-5f);

    // Both buttons: about the viewing axis, which therefore stays put.
    scene.NewScene();
    box = Box("Box", {});
    scene.Select(box);
    Matrix4 view = scene.ActiveCamera()->GetTransform(scene.Scene().get());
    Vec3 along = Normalize(view.Row(2));
    Press(kCentreX, kCentreY, MouseButton::Right);
    Press(kCentreX, kCentreY, MouseButton::Left);
    Drag(kCentreX + 40, kCentreY);
    Release(kCentreX + 40, kCentreY, MouseButton::Left);
    Release(kCentreX + 40, kCentreY, MouseButton::Right);
    Matrix4 m = box->GetTransform(scene.Scene().get());
    EXPECT_TRUE(NearlyEqual(m.TransformVector(along), along, 1e-4f));
    EXPECT_FALSE(m.NearlyEquals(Matrix4::Identity()));
}

TEST_F(ToolModesTest, ScaleAlongViewAxesFollowsTheEdgeAndHasAFloor)
{
    struct Case {
        const char* name;
        int dx, dy;
        float width, height;  // extents along x and y afterwards (box of 2 at depth 30)
    };
    const float u = kUnitsPerPixelAtOrigin;
    const Case cases[] = {
        {"wider by the cursor's travel on both sides", 20, 0, 2 + 2 * 20 * u, 2},
        {"narrower", -10, 0, 2 - 2 * 10 * u, 2},
        {"far past zero stops at the floor", -2000, 0, kMinScaledExtent, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        scene.NewScene();
        FramePtr box = Box("Box", {});
        tools.mode = kModeScale;
        Gesture(kCentreX, kCentreY, kCentreX + c.dx, kCentreY + c.dy);
        Vec3 e = Extents(box);
        EXPECT_NEAR(e.x, c.width, 1e-3f);
        EXPECT_NEAR(e.y, c.height, 1e-3f);
        EXPECT_NEAR(e.z, 2.0f, 1e-3f);
    }
}

TEST_F(ToolModesTest, UniformScaleTakesChildrenMeshesAndRenewsNormals)
{
    FramePtr box = Box("Box", {});
    FramePtr child = Box("Child", {5, 0, 0}, {-1, -1, -1}, {1, 1, 1}, box);
    MeshBuilderPtr childMesh = child->GetVisuals().front();
    childMesh->SetNormal(0, {0, 0, 0});  // stale normals must not survive
    tools.mode = kModeUniformScale;
    Gesture(kCentreX, kCentreY, kCentreX, kCentreY - 40);

    float boxSize = Extents(box).x;
    EXPECT_GT(boxSize, 2.0f);
    for (const FramePtr& f : {box, child}) {
        Vec3 e = Extents(f);
        EXPECT_NEAR(e.x, boxSize, 1e-4f);
        EXPECT_NEAR(e.y, boxSize, 1e-4f);
        EXPECT_NEAR(e.z, boxSize, 1e-4f);
    }
    EXPECT_TRUE(NearlyEqual(At(child), {5, 0, 0}, 1e-4f));  // frames stay where they are
    Vec3 n;
    ASSERT_TRUE(childMesh->GetNormal(0, n));
    EXPECT_NEAR(Length(n), 1.0f, 1e-4f);

    // Dragging far down shrinks to the floor, not through zero.
    Gesture(kCentreX, kCentreY, kCentreX, kCentreY + 5000);
    EXPECT_GT(Extents(box).x, 0.0f);
}

TEST_F(ToolModesTest, StretchKeepsTheVolume)
{
    const int drags[] = {-40, -200, 15, 5000};
    for (int dy : drags) {
        SCOPED_TRACE(dy);
        scene.NewScene();
        FramePtr box = Box("Box", {}, {-1, -2, -0.5f}, {1, 2, 0.5f});
        float volume = 2 * 4 * 1;
        tools.mode = kModeStretch;
        Gesture(kCentreX, kCentreY, kCentreX, kCentreY + dy);
        Vec3 e = Extents(box);
        EXPECT_NEAR(e.x * e.y * e.z / volume, 1.0f, 1e-3f);
        EXPECT_NEAR(e.x / e.z, 2.0f, 1e-3f);  // x and z by the same factor
        if (dy < 0)
            EXPECT_GT(e.y, 4.0f);
        else
            EXPECT_LT(e.y, 4.0f);
    }
}

TEST_F(ToolModesTest, OriginToolsKeepTheGeometryInPlace)
{
    struct Case {
        const char* name;
        int mode;
        Vec3 newOrigin;  // relative to SCENE
    };
    // The box spans 2..4, 0..2, -1..1 in SCENE around an origin at (-1, 0, 0): its
    // centre is at (3, 1, 0) in SCENE.
    const Case cases[] = {
        {"origin to centre", kModeOriginToCentre, {3, 1, 0}},
        {"pivot dragged 20 px right", kModePivot, {-1 + 20 * kUnitsPerPixelAtOrigin, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        scene.NewScene();
        FramePtr box = Box("Box", {-1, 0, 0}, {3, 0, -1}, {5, 2, 1});
        box->AddRotation(Combine::Before, {0, 1, 0}, 0.0f);
        FramePtr child = Box("Child", {0, 5, 0}, {-1, -1, -1}, {1, 1, 1}, box);
        auto points = ScenePoints(box);
        auto childPoints = ScenePoints(child);
        scene.Select(box);
        tools.mode = c.mode;
        if (c.mode == kModePivot) {
            // Press on the box (x = 3 in SCENE); the pivot starts at the origin
            // and travels with the cursor.
            int x = kCentreX + 40;
            Press(x, kCentreY);
            ASSERT_EQ(scene.SelectedFrame(), box);  // the click lands on the box
            Drag(x + 20, kCentreY);
            Release(x + 20, kCentreY);
        } else {
            Gesture(kCentreX + 40, kCentreY, kCentreX + 40, kCentreY);
        }
        EXPECT_TRUE(NearlyEqual(At(box), c.newOrigin, 2e-3f)) << At(box);
        EXPECT_TRUE(Near(ScenePoints(box), points, 1e-3f));
        EXPECT_TRUE(Near(ScenePoints(child), childPoints, 1e-3f));
        EXPECT_EQ(scene.Scene()->GetChildren().size(), 2u);  // grid and box: no gizmo left
    }
}

TEST_F(ToolModesTest, DeleteAndCopyModes)
{
    FramePtr box = Box("Box", {});
    FramePtr inner = Box("Inner", {0, 0, 0}, {-0.1f, -0.1f, -0.1f}, {0.1f, 0.1f, 0.1f}, box);

    // Copy: the copy goes to SCENE and follows the cursor; the source stays.
    tools.mode = kModeCopy;
    Gesture(kCentreX, kCentreY, kCentreX + 40, kCentreY);
    FramePtr copy = scene.SelectedFrame();
    ASSERT_TRUE(copy);
    EXPECT_NE(copy, box);
    EXPECT_EQ(NameOf(copy), "Box");
    EXPECT_EQ(copy->GetParent(), scene.Scene().get());
    EXPECT_NEAR(At(copy).x, 3.0f, 0.01f);
    EXPECT_TRUE(NearlyEqual(At(box), {0, 0, 0}));
    EXPECT_EQ(TreeMismatch(), "");

    // Delete: a click on empty space deletes nothing; a click on the box
    // deletes it with its child.
    tools.mode = kModeDelete;
    size_t before = scene.Scene()->GetChildren().size();
    Gesture(5, 5, 5, 5);
    EXPECT_EQ(scene.Scene()->GetChildren().size(), before);
    Gesture(kCentreX, kCentreY, kCentreX, kCentreY);
    EXPECT_EQ(box->GetParent(), nullptr);
    EXPECT_EQ(RecordOf(inner.get())->treeItem, 0);
    EXPECT_FALSE(scene.HasSelection());
    EXPECT_EQ(TreeMismatch(), "");
    EXPECT_TRUE(RecordOf(copy.get()));
}

TEST_F(ToolModesTest, AttachAndLookAtByClicking)
{
    FramePtr left = Box("Left", {});
    FramePtr right = Box("Right", {6, 0, 0});  // 80 px to the right
    const int rightX = kCentreX + 80;

    tools.mode = kModeAttach;
    Press(kCentreX, kCentreY);
    Release(rightX, kCentreY);
    EXPECT_EQ(left->GetParent(), right.get());
    EXPECT_EQ(scene.SelectedFrame(), right);
    EXPECT_EQ(TreeMismatch(), "");

    // Releasing over empty space does nothing.
    tools.mode = kModeAttach;
    Press(rightX, kCentreY);
    Release(5, 5);
    EXPECT_EQ(right->GetParent(), scene.Scene().get());
    EXPECT_TRUE(ui.messages.empty());

    // Look-at: the object selected before the click looks at the one clicked.
    FramePtr far = Box("Far", {-6, 0, 0});  // 80 px to the left
    tools.mode = kModeLookAt;
    scene.Select(right);
    Press(kCentreX - 80, kCentreY);
    Release(kCentreX - 80, kCentreY);
    EXPECT_EQ(RecordOf(right.get())->lookTarget.lock(), far);
    scene.Select(right);
    Press(5, 5);  // nothing there
    Release(5, 5);
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Object cannot look at itself!"});
}

TEST_F(ToolModesTest, ShadowFallsOnTheGroundPlane)
{
    FramePtr box = Box("Box", {});
    box->AddScale(Combine::After, {0.5f, 0.5f, 0.5f});
    struct Case {
        const char* name;
        LightType type;
        Vec3 position, direction;
        bool casts;
    };
    const Case cases[] = {
        {"point light above", LightType::Point, {0, 20, 0}, {0, 0, 1}, true},
        {"directional light pointing down", LightType::Directional, {0, 50, 0}, {0.3f, -1, 0}, true},
        {"directional light pointing up", LightType::Directional, {0, 50, 0}, {0, 1, 0}, false},
        {"ambient light", LightType::Ambient, {0, 20, 0}, {0, 0, 1}, false},
        {"point light below the plane", LightType::Point, {0, -5, 0}, {0, 0, 1}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FramePtr light = scene.CreateLight(c.type, {});
        light->SetPosition(scene.Scene().get(), c.position);
        light->SetOrientation(scene.Scene().get(), c.direction, Vec3{0, 0, 1} == c.direction ? Vec3{0, 1, 0} : Vec3{0, 0, 1});
        size_t visuals = box->GetVisuals().size();
        tools.mode = kModeShadow;
        // The light is selected (CreateLight selects it); the click picks the box.
        Press(kCentreX, kCentreY);
        ASSERT_EQ(scene.SelectedFrame(), box);
        Release(kCentreX, kCentreY);
        ASSERT_EQ(box->GetVisuals().size(), visuals + (c.casts ? 1 : 0));
        if (c.casts) {
            MeshBuilderPtr shadow = box->GetVisuals().back();
            Matrix4 toScene = box->GetTransform(scene.Scene().get());
            for (const Vec3& v : shadow->GetVertices())
                EXPECT_NEAR(toScene.TransformPoint(v).y, kShadowPlaneHeight, 1e-4f);
            EXPECT_EQ(RecordOf(shadow.get())->owner.lock(), box);
        }
        scene.DeleteObjectTree(light);
    }
}

TEST_F(ToolModesTest, OnlyGesturesThatChangeSomethingModifyTheScene)
{
    FramePtr box = Box("Box", {});
    scene.SetModified(false);
    // A click of the move tool and presses of tools still to come change
    // nothing: no step, and the scene stays as saved.
    const int modes[] = {kModeMove, kModeBend, kModeBooleanFirst, 999};
    for (int mode : modes) {
        SCOPED_TRACE(mode);
        tools.mode = mode;
        Matrix4 before = box->GetTransform(nullptr);
        Press(kCentreX, kCentreY);
        Release(kCentreX, kCentreY);
        EXPECT_TRUE(box->GetTransform(nullptr).NearlyEquals(before));
        EXPECT_FALSE(scene.Modified());
        EXPECT_EQ(scene.History().UndoCount(), 0u);
    }
    // A drag that moves the box does; undoing it makes it as saved again.
    tools.mode = kModeMove;
    Gesture(kCentreX, kCentreY, kCentreX + 40, kCentreY);
    EXPECT_TRUE(scene.Modified());
    ASSERT_TRUE(scene.History().Undo());
    EXPECT_FALSE(scene.Modified());
    EXPECT_TRUE(NearlyEqual(At(box), {0, 0, 0}));
    ASSERT_TRUE(scene.History().Redo());
    EXPECT_TRUE(scene.Modified());
    ASSERT_TRUE(scene.History().Undo());
    EXPECT_EQ(scene.Scene()->GetChildren().size(), 2u);  // grid and box
    // A drag with no button down changes nothing either.
    tools.mode = kModeMove;
    Drag(kCentreX + 50, kCentreY);
    EXPECT_TRUE(NearlyEqual(At(box), {0, 0, 0}));
}

TEST_F(ToolModesTest, LightSettingsShowOnTheRightPress)
{
    FramePtr light = scene.CreateLight(LightType::Spot, {});
    tools.mode = kModeLightSettings;
    Press(10, 10, MouseButton::Right);
    Release(10, 10, MouseButton::Right);
    ASSERT_EQ(ui.lightSettingsShown.size(), 1u);
    EXPECT_EQ(ui.lightSettingsShown[0], light->GetLights().front().get());
}

} // namespace
