#include "tools/InputFixture.h"

#include "render/Navigation.h"

using namespace corvid;
using namespace corvid::testing;

namespace {

// A left (or right) drag in viewport 1 from (x, y) by (mx, my) window pixels.
void Drag(Tools& tools, MouseButton button, int x, int y, int mx, int my)
{
    tools.ViewportMouseDown(1, button, x, y);
    tools.ViewportMouseMove(1, x + mx, y + my);
    tools.ViewportMouseUp(1, button, x + mx, y + my);
}

} // namespace

TEST_F(InputTest, DollyMovesThePerspectiveCameraButNeverPastItsPivot)
{
    struct Case {
        const char* name;
        MouseButton button;
        int upward;  // pixels the mouse moves up
        float z;     // the camera's distance along the pivot's axis afterwards
    } cases[] = {
        {"left, forward", MouseButton::Left, 50, -25.0f},
        {"left, back", MouseButton::Left, -50, -35.0f},
        {"right, fine", MouseButton::Right, 100, -29.0f},
        {"left, past the pivot", MouseButton::Left, 400, 0.0f},
        {"left, exactly onto the pivot", MouseButton::Left, 300, 0.0f},
    };
    tools.mode = kModeDollyActive;
    const FramePtr camera = View(1).cameras[kViewPerspective];
    for (const auto& c : cases) {
        camera->SetPosition(View(1).pivot.get(), {0, 0, -30});
        Drag(tools, c.button, 200, 500, 0, -c.upward);
        const Vec3 p = camera->GetPosition(View(1).pivot.get());
        EXPECT_EQ(Round(p), Round({0, 0, c.z})) << c.name;
    }
}

TEST_F(InputTest, DollyAndFieldInOrthographicAndPerspectiveViews)
{
    ASSERT_TRUE(views.BuildViewDevice(View(3)));  // Top
    View(3).shown = true;
    struct Case {
        const char* name;
        int mode;
        MouseButton button;
        float perspectiveField, topField;
    } cases[] = {
        {"dolly active: ortho field", kModeDollyActive, MouseButton::Left, 0.5f, 20.0f},
        {"dolly all", kModeDollyAll, MouseButton::Left, 0.5f, 20.0f - 2.0f},
        {"dolly all, right", kModeDollyAll, MouseButton::Right, 0.5f, 20.0f - 0.2f},
        {"field active", kModeFieldActive, MouseButton::Left, 0.5f - 0.2f, 20.0f},
        {"field active, right", kModeFieldActive, MouseButton::Right, 0.5f - 0.02f, 20.0f},
        {"field all skips orthographic views", kModeFieldAll, MouseButton::Left, 0.5f - 0.2f, 20.0f},
    };
    for (const auto& c : cases) {
        View(1).fields[kViewPerspective] = 0.5f;
        View(3).fields[kViewTop] = 20.0f;
        tools.mode = c.mode;
        Drag(tools, c.button, 200, 150, 0, -20);  // 20 pixels up
        EXPECT_FLOAT_EQ(View(1).Field(), c.perspectiveField) << c.name;
        EXPECT_FLOAT_EQ(View(3).Field(), c.topField) << c.name;
    }
    // In the Top view itself, dolly changes the field by -dy * 0.1.
    View(3).fields[kViewTop] = 20.0f;
    tools.mode = kModeDollyActive;
    tools.ViewportMouseDown(3, MouseButton::Left, 200, 150);
    tools.ViewportMouseMove(3, 200, 130);
    EXPECT_FLOAT_EQ(View(3).Field(), 18.0f);
}

TEST_F(InputTest, OrbitTurnsThePerspectiveViewAndNothingInAnOrthographicOne)
{
    tools.mode = kModeOrbit;
    const FramePtr perspective = View(1).cameras[kViewPerspective];
    const Matrix4 before = perspective->World();
    Drag(tools, MouseButton::Left, 200, 150, 40, 30);
    EXPECT_FALSE(perspective->World().NearlyEquals(before)) << "the perspective view orbits";
    // Around the view root, at the same distance.
    EXPECT_NEAR(Length(perspective->GetPosition(View(1).viewRoot.get())), 30.0f, 1e-3f);

    ASSERT_TRUE(views.ViewCommand(1, kViewCommands[0][kViewTop]));
    const FramePtr top = View(1).camera;
    const Matrix4 topBefore = top->World();
    const Matrix4 pivotBefore = View(1).pivot->World();
    log.clear();
    tools.ViewportMouseDown(1, MouseButton::Left, 200, 150);
    log.clear();
    tools.ViewportMouseMove(1, 240, 180);
    EXPECT_TRUE(top->World().NearlyEquals(topBefore));
    EXPECT_TRUE(View(1).pivot->World().NearlyEquals(pivotBefore));
    EXPECT_EQ(Count("render v1"), 0) << "nothing changed, nothing is drawn";
}

TEST_F(InputTest, PanMovesTheOrthographicCameraInItsViewPlane)
{
    ASSERT_TRUE(views.ViewCommand(1, kViewCommands[0][kViewTop]));
    tools.mode = kModePan;
    const FramePtr top = View(1).camera;
    // 40 pixels right and 20 down: the scene follows the cursor, so the
    // camera goes 4 units to -x and 2 units to +z (z is up the picture).
    Drag(tools, MouseButton::Left, 200, 150, 40, 20);
    EXPECT_EQ(Round(top->GetPosition(scene.Scene().get())), Round({-4, 100, 2}));
    Vec3 direction, up;
    top->GetOrientation(scene.Scene().get(), direction, up);
    EXPECT_EQ(Round(direction), Round({0, -1, 0}));
}

TEST_F(InputTest, PanSlidesThePerspectiveViewRootOverTheGround)
{
    tools.mode = kModePan;
    const Frame* sceneFrame = scene.Scene().get();
    // Straight down the picture: the view root moves along the ground so
    // that the point under the cursor stays under it.
    Drag(tools, MouseButton::Left, 200, 150, 0, 30);
    const Vec3 root = View(1).viewRoot->GetPosition(sceneFrame);
    EXPECT_EQ(root.y, 0.0f);
    EXPECT_NEAR(root.x, 0.0f, 1e-4f);
    EXPECT_GT(root.z, 0.0f) << "the ground under the cursor comes closer";

    // A right drag lifts and lowers it.
    Drag(tools, MouseButton::Right, 200, 150, 0, -50);
    EXPECT_NEAR(View(1).viewRoot->GetPosition(sceneFrame).y, -0.5f, 1e-5f);
    Drag(tools, MouseButton::Right, 200, 150, 0, 100);
    EXPECT_NEAR(View(1).viewRoot->GetPosition(sceneFrame).y, 0.5f, 1e-5f);
}

TEST_F(InputTest, EveryNavigationStepMovesSceneRefitsAndRenders)
{
    FramePtr box = Add("Box", {0, 0, 0});
    tools.mode = kModeDollyActive;
    tools.ViewportMouseDown(1, MouseButton::Left, 200, 150);
    views.Pick(200, 150);
    const float before = scene.MarkerFrame()->GetTransform(scene.Scene().get()).Row(0).x;
    int ticks = 0;
    scene.Scene()->AddMoveCallback("probe", [&](Frame&, float delta) {
        if (delta == 1.0f)
            ++ticks;
    });
    log.clear();
    tools.ViewportMouseMove(1, 200, 100);  // 5 units closer
    EXPECT_EQ(ticks, 1);
    EXPECT_EQ(Count("render v1"), 1);
    const float after = scene.MarkerFrame()->GetTransform(scene.Scene().get()).Row(0).x;
    EXPECT_LT(after, before) << "a closer camera shows a smaller marker";
}
