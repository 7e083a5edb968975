// What the views do when what they look through leaves the scene, the
// limits navigation keeps the field within, and what a pick reports of
// lights, patches and control points.

#include "PickFixture.h"

#include "platform/Light.h"
#include "render/Navigation.h"
#include "scene/EditHistory.h"

#include <cmath>
#include <limits>

using namespace corvid;
using namespace corvid::testing;

namespace {

constexpr int kPerspective1 = 32898, kCamera1 = kCameraMenuBase;
constexpr int kTop2 = 32927, kObject2 = 32932;

class ViewsAfterRemovalTest : public PickTest {
protected:
    // The camera light hangs on the active camera, inside the scene.
    void ExpectCameraLightOnActiveCamera()
    {
        const Frame* holder = scene.CameraLightFrame()->GetParent();
        EXPECT_EQ(holder, scene.ActiveCamera().get());
        EXPECT_TRUE(scene.World()->IsAncestorOf(scene.CameraLightFrame().get())) << "the headlight left the scene";
    }
    bool RedrawAsked() const
    {
        return std::count(ui.notifications.begin(), ui.notifications.end(), Notification::RedrawRequested) > 0;
    }
};

TEST_F(ViewsAfterRemovalTest, DeletingTheUserCameraAViewLooksThroughReturnsItToItsStandardView)
{
    scene.insertionPoint = {0, 0, -10};
    FramePtr camera = scene.CreateCamera();
    ASSERT_TRUE(views.ViewCommand(1, kCamera1));
    ASSERT_EQ(View(1).camera, camera);

    ui.notifications.clear();
    scene.DeleteObjectTree(camera);
    EXPECT_EQ(View(1).camera, View(1).cameras[kViewPerspective]);
    EXPECT_EQ(View(1).viewCommand, kPerspective1) << "the user camera entry keeps no check";
    EXPECT_TRUE(View(1).menu.IsChecked(kPerspective1));
    EXPECT_EQ(View(1).Field(), 0.5f);
    EXPECT_EQ(View(1).projection, Projection::Perspective);
    EXPECT_EQ(View(1).cameras[kViewObject], nullptr) << "the deleted frame is let go";
    EXPECT_EQ(scene.ActiveCamera(), View(1).camera);
    EXPECT_TRUE(RedrawAsked());

    // The next click activates the view again: the headlight stays in the scene.
    views.ActivateView(1);
    ExpectCameraLightOnActiveCamera();
    log.clear();
    views.RenderAllViews();
    EXPECT_EQ(DeviceOf(1)->camera, View(1).cameras[kViewPerspective].get());
}

TEST_F(ViewsAfterRemovalTest, ObjectViewOfAnObjectInADeletedGroupReturnsToTheLastStandardView)
{
    FramePtr group = Add("Group", {0, 0, 0}, 0.0f);
    FramePtr inner = Add("Inner", {0, 0, 0}, 1.0f, group);
    FramePtr other = Add("Other", {5, 0, 0});
    ASSERT_TRUE(views.ViewCommand(2, kTop2));
    scene.Select(inner);
    ASSERT_TRUE(views.ViewCommand(2, kObject2));
    ASSERT_EQ(View(2).camera, inner);
    views.ActivateView(1);

    // Deleting something else changes nothing.
    scene.DeleteObjectTree(other);
    EXPECT_EQ(View(2).camera, inner);
    EXPECT_TRUE(View(2).menu.IsChecked(kObject2));

    scene.DeleteObjectTree(group);
    EXPECT_EQ(View(2).camera, View(2).cameras[kViewTop]);
    EXPECT_EQ(View(2).projection, Projection::Orthographic);
    EXPECT_TRUE(View(2).menu.IsChecked(kTop2));
    EXPECT_FALSE(View(2).menu.IsChecked(kObject2));
    EXPECT_EQ(View(2).viewCommand, kTop2);
    EXPECT_EQ(views.activeViewport, 1);
    EXPECT_EQ(scene.ActiveCamera(), View(1).camera) << "the active view is another one";
    ExpectCameraLightOnActiveCamera();
}

TEST_F(ViewsAfterRemovalTest, AViewThroughALightOrANewCameraFollowsUndoRedoAndNewScene)
{
    // A light's view, and the undo of a camera's creation.
    FramePtr light = scene.CreateLight(LightType::Spot, {});
    ASSERT_TRUE(views.ViewCommand(1, kLightMenuBase));
    ASSERT_EQ(View(1).camera, light);
    scene.DeleteObjectTree(light);
    EXPECT_EQ(View(1).camera, View(1).cameras[kViewPerspective]);
    ExpectCameraLightOnActiveCamera();

    FramePtr camera;
    {
        EditStep step(scene.History(), "Create camera");
        camera = scene.CreateCamera();
    }
    const int command = RecordOf(camera.get())->menuCommand;
    ASSERT_TRUE(views.ViewCommand(1, command));
    ASSERT_TRUE(scene.History().Undo());
    EXPECT_EQ(View(1).camera, View(1).cameras[kViewPerspective]);
    EXPECT_EQ(View(1).viewCommand, kPerspective1);
    ExpectCameraLightOnActiveCamera();
    ASSERT_TRUE(scene.History().Redo());
    EXPECT_EQ(View(1).camera, View(1).cameras[kViewPerspective]) << "the view stays where it went";

    ASSERT_TRUE(views.ViewCommand(1, command));
    scene.NewScene();
    EXPECT_EQ(View(1).camera, View(1).cameras[kViewPerspective]);
    EXPECT_EQ(scene.ActiveCamera(), View(1).camera);
    ExpectCameraLightOnActiveCamera();
}

TEST_F(ViewsAfterRemovalTest, RestoringTheStandardViewsPutsEveryCameraBackAtItsPreset)
{
    // Where everything stands at the start.
    auto placeOf = [&](const FramePtr& frame) { return frame->GetTransform(scene.World().get()); };
    std::vector<Matrix4> start;
    for (int n = 1; n <= 4; ++n)
        for (const FramePtr& camera : View(n).cameras)
            if (camera)
                start.push_back(placeOf(camera));

    // Pan, orbit, dolly and widen viewport 1, move viewport 3's top camera
    // and field, and look through an object in viewport 4.
    views.mouse.leftDown = true;
    views.mouse.dx = 40;
    views.mouse.dy = 25;
    for (int mode : {kModePan, kModeOrbit, kModeDollyActive, kModeFieldActive})
        ASSERT_TRUE(NavigationStep(views, mode)) << mode;
    View(3).cameras[kViewTop]->SetPosition(scene.Scene().get(), {7, 100, 3});
    View(3).fields[kViewTop] = 3.0f;
    FramePtr box = Add("Box", {0, 0, 0});
    scene.Select(box);
    ASSERT_TRUE(views.ViewCommand(4, 32950));
    ASSERT_TRUE(views.ViewCommand(2, kTop2));

    views.RestoreStandardViews();
    size_t i = 0;
    for (int n = 1; n <= 4; ++n)
        for (const FramePtr& camera : View(n).cameras)
            if (camera) {
                const Matrix4 now = placeOf(camera);
                for (int r = 0; r < 4; ++r)
                    for (int c = 0; c < 4; ++c)
                        EXPECT_NEAR(now.m[r][c], start[i].m[r][c], 1e-4f) << "viewport " << n << " camera " << i;
                ++i;
            }
    EXPECT_EQ(i, start.size()) << "no object camera is left";
    for (int n = 1; n <= 4; ++n) {
        const int slot = InitialStandardView(n);
        const int command = kViewCommands[static_cast<size_t>(n - 1)][static_cast<size_t>(slot)];
        EXPECT_EQ(View(n).camera, View(n).cameras[static_cast<size_t>(slot)]) << n;
        EXPECT_EQ(View(n).fields, kStandardFields) << n;
        EXPECT_EQ(View(n).viewCommand, command) << n;
        EXPECT_TRUE(View(n).menu.IsChecked(command)) << n;
        for (int other : kViewCommands[static_cast<size_t>(n - 1)])
            EXPECT_EQ(View(n).menu.IsChecked(other), other == command) << n << " " << other;
    }
    EXPECT_EQ(scene.ActiveCamera(), views.ActiveView().camera);
    ExpectCameraLightOnActiveCamera();
}

// --- field limits ---------------------------------------------------------------------------

TEST_F(ViewsAfterRemovalTest, FieldOfViewAndOrthographicDollyStayWithinTheirLimits)
{
    struct Case {
        const char* name;
        int view, mode;
        bool left;
    } cases[] = {
        {"perspective field, left", kPerspective1, kModeFieldActive, true},
        {"perspective field, right", kPerspective1, kModeFieldActive, false},
        {"perspective field, every view", kPerspective1, kModeFieldAll, true},
        {"orthographic dolly, left", 32899, kModeDollyActive, true},
        {"orthographic dolly, every view", 32899, kModeDollyAll, true},
    };
    for (const Case& c : cases) {
        views.ViewCommand(1, c.view);
        ViewRecord& view = View(1);
        const FieldLimits limits = FieldLimitsOf(view.projection);
        ASSERT_GT(limits.min, 0.0f) << c.name;
        views.mouse = MouseState{};
        (c.left ? views.mouse.leftDown : views.mouse.rightDown) = true;

        // A long drag one way reaches the smallest field and no further...
        views.mouse.dy = 1000000;
        NavigationStep(views, c.mode);
        NavigationStep(views, c.mode);
        EXPECT_EQ(view.Field(), limits.min) << c.name;
        // ...and the first step back widens the picture again at once.
        views.mouse.dy = -10;
        NavigationStep(views, c.mode);
        EXPECT_GT(view.Field(), limits.min) << c.name;
        // The other way ends at the largest.
        views.mouse.dy = -1000000;
        NavigationStep(views, c.mode);
        EXPECT_EQ(view.Field(), limits.max) << c.name;
        EXPECT_TRUE(std::isfinite(DeviceOf(1)->view.field)) << c.name;
        EXPECT_LE(DeviceOf(1)->view.field, limits.max) << c.name;
        view.fields = kStandardFields;
    }
    // A perspective field may not open to half a turn or more.
    EXPECT_LT(2.0f * std::atan(FieldLimitsOf(Projection::Perspective).max), kPi);

    // A field that came from elsewhere out of bounds is brought back by the next step.
    views.ViewCommand(1, kPerspective1);
    *View(1).field = std::numeric_limits<float>::quiet_NaN();
    views.mouse = MouseState{};
    views.mouse.leftDown = true;
    views.mouse.dy = 1;
    NavigationStep(views, kModeFieldActive);
    EXPECT_EQ(View(1).Field(), FieldLimitsOf(Projection::Perspective).min);
}

// --- what a pick reports -------------------------------------------------------------------

TEST_F(ViewsAfterRemovalTest, PickingAndSelectingAFrameWithSeveralLightsTakeTheSameLight)
{
    FramePtr lamp = Add("Lamp", {0, 0, 0});
    const LightPtr first = Light::Create(LightType::Point, 1, 0, 0);
    const LightPtr last = Light::Create(LightType::Spot, 0, 1, 0);
    lamp->AddLight(first);
    lamp->AddLight(last);

    ASSERT_TRUE(views.Pick(200, 150));
    ASSERT_EQ(scene.SelectedFrame(), lamp);
    const LightPtr picked = scene.PickedLight();
    EXPECT_EQ(views.pickDetails.lightType, picked ? picked->GetType() : LightType::Ambient);

    scene.ClearSelection();
    scene.Select(lamp);  // as the Objects List selects
    EXPECT_EQ(scene.PickedLight(), picked) << "the light-settings tool would show another light";
    EXPECT_EQ(picked, last);
    EXPECT_EQ(ObjectLightOf(*lamp), last);
}

TEST_F(ViewsAfterRemovalTest, StatusTextsShowPatchTypeAndTheControlPointsOwnRowAndColumn)
{
    struct Case {
        const char* name;
        int kind, patchType, row, column;
        int shownType, shownRow, shownColumn;
    } cases[] = {
        {"control point", kControlPoint, 3001, 2, 3, 3001, 2, 3},
        {"Catmull-Rom point", kControlPoint, 3003, 6, 0, 3003, 6, 0},
        {"patch", kPatch, 0, 0, 0, 0, -1, -1},
        {"object", kObject, 0, 0, 0, -1, -1, -1},
        {"light kind with a stray type", kLight, 3001, 1, 1, -1, -1, -1},
    };
    for (const Case& c : cases) {
        FramePtr frame = Add(c.name, {0, 0, 0}, 1.0f, nullptr, c.kind);
        ObjectRecord& record = *RecordOf(frame.get());
        record.patchType = c.patchType;
        record.cpRow = c.row;
        record.cpColumn = c.column;
        record.cpRows = 5;
        record.cpColumns = 5;

        ASSERT_TRUE(views.Pick(200, 150)) << c.name;
        ASSERT_EQ(scene.SelectedFrame(), frame) << c.name;
        EXPECT_EQ(views.pickDetails.patchType, c.shownType) << c.name;
        EXPECT_EQ(views.pickDetails.controlPointRow, c.shownRow) << c.name;
        EXPECT_EQ(views.pickDetails.controlPointColumn, c.shownColumn) << c.name;
        EXPECT_EQ(views.objectInfo.patchType, std::to_string(c.shownType)) << c.name;
        EXPECT_EQ(views.objectInfo.controlPointRow, std::to_string(c.shownRow)) << c.name;
        EXPECT_EQ(views.objectInfo.controlPointColumn, std::to_string(c.shownColumn)) << c.name;
        scene.DeleteObjectTree(frame);
    }
}

} // namespace
