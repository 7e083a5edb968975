// The 3D controller against a fake daemon on a socket pair: the handshake,
// queued motions coalesced into one move, a daemon that goes away, the step
// arithmetic, the object and camera move rules, a control point's patch,
// and a burst of motion as one undoable step.

#include "app/AppFixture.h"
#include "app/Controller.h"
#include "geometry/Patch.h"
#include "geometry/Primitives.h"
#include "platform/Frame.h"
#include "platform/MeshBuilder.h"
#include "scene/Records.h"
#include "app/FakeControllerDaemon.h"

#include <cmath>

using namespace corvid;
using namespace corvid::testing;

namespace {

class ControllerTest : public AppTest {
protected:
    ControllerTest()
    {
        editor.views.viewportArea = {0, 0, 800, 600};
        editor.views.ChooseLayout(1);
    }
    bool Connect() { return controller.Connect(daemon.Link()); }
    void SendMotion(ControllerMotion m) { ASSERT_TRUE(daemon.SendMotion(m)); }
    void Send(const Packet& p) { ASSERT_TRUE(daemon.Send(p)); }
    // A registered cube at position, selected.
    FramePtr Cube(Vec3 position = {})
    {
        MeshBuilderPtr mesh = editor.scene.BeginObjectCreation();
        BuildCube(*mesh, CubeParameters{});
        editor.scene.FinishObjectCreation("Cube %s", editor.scene.names.cube);
        FramePtr frame = editor.scene.SelectedFrame();
        editor.scene.RegisterObject(frame);
        frame->SetPosition(editor.scene.Scene().get(), position);
        editor.scene.Select(frame);
        return frame;
    }
    Vec3 InScene(const FramePtr& frame) { return frame->GetPosition(editor.scene.Scene().get()); }
    int Renders() const { return static_cast<int>(std::count(log.begin(), log.end(), "present v1")); }
    // Every axis along (or about) SCENE's axes.
    void SceneAxes()
    {
        for (ControllerAxis& axis : controller.settings.axes)
            axis.reference = kReferenceScene;
    }

    FakeControllerDaemon daemon;
    Controller controller{editor};
};

void ExpectNear(const Vec3& a, const Vec3& b)
{
    EXPECT_NEAR(a.x, b.x, 1e-5f);
    EXPECT_NEAR(a.y, b.y, 1e-5f);
    EXPECT_NEAR(a.z, b.z, 1e-5f);
}

TEST_F(ControllerTest, HandshakeIntroducesTheProgram)
{
    ASSERT_TRUE(Connect());
    EXPECT_TRUE(controller.Connected());
    EXPECT_EQ(controller.Fd(), daemon.clientFd);
    EXPECT_EQ(daemon.Received(), "Corvid");
    // Nothing queued: nothing happens.
    EXPECT_EQ(controller.Pump(0), Controller::PumpResult::Idle);
}

TEST_F(ControllerTest, NoDaemonMeansNoController)
{
    EXPECT_FALSE(controller.Connect(daemon.Link(false)));
    EXPECT_FALSE(controller.Connected());
    EXPECT_EQ(controller.Fd(), -1);
    EXPECT_FALSE(controller.Connect(nullptr));  // built without the client library
    EXPECT_EQ(controller.Pump(0), Controller::PumpResult::Disconnected);
}

TEST_F(ControllerTest, TheInputDeviceItemIsThereOnlyWithADaemon)
{
    auto count = [&] {
        const MenuItem* options = editor.mainMenu.FindPopup("Options");
        return options ? std::count_if(options->items.begin(), options->items.end(),
                                       [](const MenuItem& i) { return i.command == kCmdInputDevice; })
                       : -1;
    };
    EXPECT_EQ(count(), 0);
    const unsigned long revision = editor.mainMenu.Revision();
    ShowInputDeviceItem(editor.mainMenu, true);
    ShowInputDeviceItem(editor.mainMenu, true);
    EXPECT_EQ(count(), 1);
    EXPECT_EQ(editor.mainMenu.Find(kCmdInputDevice)->text, "Input Device ...");
    EXPECT_GT(editor.mainMenu.Revision(), revision);
    ShowInputDeviceItem(editor.mainMenu, false);
    EXPECT_EQ(count(), 0);
}

TEST_F(ControllerTest, DefaultsAndSteps)
{
    const ControllerSettings defaults;
    EXPECT_EQ(defaults.target, kTargetObject);
    for (int i = 0; i < kControllerAxisCount; ++i) {
        const ControllerAxis& axis = defaults.axes[static_cast<size_t>(i)];
        EXPECT_TRUE(axis.enabled);
        EXPECT_EQ(axis.sensitivity, i < 3 ? 10.0f : 1.0f);
        EXPECT_EQ(axis.reference, i == kAxisY ? kReferenceScene : kReferenceCamera);
    }

    ControllerSettings s;
    ComputeSteps(s, {100, 200, 300, 400, 500, 600, 60});
    // z, rx and ry change sign.
    const float expected[] = {0.2f, 0.4f, -0.6f, -0.08f, -0.1f, 0.12f};
    for (int i = 0; i < kControllerAxisCount; ++i)
        EXPECT_NEAR(s.axes[static_cast<size_t>(i)].step, expected[i], 1e-6f) << i;
    s.axes[kAxisZ].enabled = false;
    s.axes[kAxisRz].sensitivity = 2.0f;
    ComputeSteps(s, {-50, 0, 300, 0, 0, -100, 60});
    EXPECT_NEAR(s.axes[kAxisX].step, -0.1f, 1e-6f);
    EXPECT_EQ(s.axes[kAxisZ].step, 0.0f);
    EXPECT_NEAR(s.axes[kAxisRz].step, -0.04f, 1e-6f);
}

TEST_F(ControllerTest, TenQueuedMotionsMakeOneMoveWithTheLast)
{
    ASSERT_TRUE(Connect());
    FramePtr cube = Cube({1, 2, 3});
    SceneAxes();
    for (int i = 1; i <= 10; ++i) {
        SendMotion({i * 10, 0, 0, 0, 0, 0, 60});
        Send({1, 3, 0, 0, 0, 0, 0, 0});  // buttons do nothing
    }
    log.clear();
    EXPECT_EQ(controller.Pump(0), Controller::PumpResult::Moved);
    EXPECT_EQ(Renders(), 1);
    // Only the last motion's x = 100: 100 x 10 x 0.0002.
    ExpectNear(InScene(cube), {1.2f, 2, 3});
    EXPECT_NEAR(controller.settings.axes[kAxisX].step, 0.2f, 1e-6f);
    // The queue is empty now.
    EXPECT_EQ(controller.Pump(0), Controller::PumpResult::Idle);
    EXPECT_EQ(Renders(), 1);
}

TEST_F(ControllerTest, AClosedDaemonDisconnects)
{
    ASSERT_TRUE(Connect());
    FramePtr cube = Cube();
    SceneAxes();
    SendMotion({50, 0, 0, 0, 0, 0, 60});
    ASSERT_EQ(controller.Pump(0), Controller::PumpResult::Moved);
    EXPECT_TRUE(controller.InBurst());
    daemon.Stop();
    EXPECT_EQ(controller.Pump(0), Controller::PumpResult::Disconnected);
    EXPECT_FALSE(controller.Connected());
    EXPECT_EQ(controller.Fd(), -1);
    // The burst in progress became a step of its own.
    EXPECT_FALSE(controller.InBurst());
    EXPECT_FALSE(editor.scene.History().Recording());
    EXPECT_TRUE(editor.Undo());
    ExpectNear(InScene(cube), {0, 0, 0});
}

TEST_F(ControllerTest, ObjectMovesAlongItsReferenceAxes)
{
    ASSERT_TRUE(Connect());
    FramePtr cube = Cube({0, 0, 0});
    // Turned a quarter about y: its own x axis is SCENE's -z.
    cube->AddRotation(Combine::Before, {0, 1, 0}, static_cast<float>(M_PI / 2));
    const Vec3 ownX = cube->World().TransformVector({1, 0, 0});
    ControllerSettings& s = controller.settings;
    s.axes[kAxisX].reference = kReferenceOwn;
    s.axes[kAxisY].enabled = false;
    s.axes[kAxisZ].reference = kReferenceScene;
    SendMotion({500, 700, 250, 0, 0, 0, 60});
    ASSERT_EQ(controller.Pump(0), Controller::PumpResult::Moved);
    // x: 500 x 10 x 0.0002 = 1 along its own x; z: -250 x 10 x 0.0002 on SCENE's z.
    ExpectNear(InScene(cube), ownX * 1.0f + Vec3{0, 0, -0.5f});

    // A turn about SCENE's y by ry: -(-1000) x 1 x 0.0002 radians.
    s.axes[kAxisRy].reference = kReferenceScene;
    Vec3 before, up;
    cube->GetOrientation(editor.scene.Scene().get(), before, up);
    SendMotion({0, 0, 0, 0, -1000, 0, 60});
    ASSERT_EQ(controller.Pump(0), Controller::PumpResult::Moved);
    Vec3 after;
    cube->GetOrientation(editor.scene.Scene().get(), after, up);
    const float angle = std::acos(std::clamp(before.x * after.x + before.y * after.y + before.z * after.z, -1.0f, 1.0f));
    EXPECT_NEAR(angle, 0.2f, 1e-4f);
    ExpectNear(up, {0, 1, 0});

    // Nothing selected: nothing moves, nothing is drawn.
    editor.scene.ClearSelection();
    log.clear();
    SendMotion({500, 0, 0, 0, 0, 0, 60});
    EXPECT_EQ(controller.Pump(0), Controller::PumpResult::Idle);
    EXPECT_EQ(Renders(), 0);
}

TEST_F(ControllerTest, TheCameraMovesOnlyWhenTheViewLooksThroughAnObject)
{
    ASSERT_TRUE(Connect());
    FramePtr cube = Cube({0, 0, 0});
    controller.settings.target = kTargetCamera;
    controller.settings.axes[kAxisY].reference = kReferenceOwn;  // means nothing for the camera

    ASSERT_TRUE(editor.views.ViewCommand(1, kViewCommands[0][kViewTop]));
    const Vec3 top = InScene(View(1).camera);
    log.clear();
    SendMotion({500, 500, 0, 0, 0, 0, 60});
    EXPECT_EQ(controller.Pump(0), Controller::PumpResult::Idle);
    ExpectNear(InScene(View(1).camera), top);
    EXPECT_EQ(Renders(), 0);

    editor.scene.Select(cube);
    ASSERT_TRUE(editor.views.ViewCommand(1, kViewCommands[0][kViewObject]));
    ASSERT_EQ(View(1).camera, cube);
    SendMotion({500, 500, 0, 0, 0, 0, 60});
    ASSERT_EQ(controller.Pump(0), Controller::PumpResult::Moved);
    // x along the camera's own x; y not at all.
    ExpectNear(InScene(cube), {1, 0, 0});
}

TEST_F(ControllerTest, AControlPointReshapesItsPatch)
{
    ASSERT_TRUE(Connect());
    editor.tools.patches.bSpline = {3, 3, 2, 2};
    FramePtr patch = CreatePatch(editor.scene, editor.tools.patches, kPatchBSpline, {}, 4, 4);
    ASSERT_TRUE(patch);
    FramePtr point;
    for (const FramePtr& child : patch->GetChildren()[0]->GetChildren())
        if (const ObjectRecord* r = RecordOf(child.get()); r && r->kind == kControlPoint && r->cpRow == 1 && r->cpColumn == 1)
            point = child;
    ASSERT_TRUE(point);
    editor.scene.Select(point);
    const std::vector<Vec3> before = patch->GetVisuals()[0]->GetVertices();
    SceneAxes();
    SendMotion({0, 2000, 0, 0, 0, 0, 60});
    ASSERT_EQ(controller.Pump(0), Controller::PumpResult::Moved);
    EXPECT_NE(patch->GetVisuals()[0]->GetVertices(), before);
}

TEST_F(ControllerTest, ABurstOfMotionIsOneUndoableStep)
{
    ASSERT_TRUE(Connect());
    FramePtr cube = Cube({0, 0, 0});
    SceneAxes();
    const size_t steps = editor.scene.History().UndoCount();
    for (int i = 0; i < 3; ++i) {
        SendMotion({100, 0, 0, 0, 0, 0, 60});
        ASSERT_EQ(controller.Pump(i * 0.016), Controller::PumpResult::Moved);
    }
    // Still moving: Undo waits for the burst to end.
    EXPECT_FALSE(editor.Undo());
    controller.EndBurst();
    EXPECT_EQ(editor.scene.History().UndoCount(), steps + 1);
    EXPECT_EQ(editor.UndoText(), "Undo Controller Move");
    ExpectNear(InScene(cube), {0.6f, 0, 0});
    ASSERT_TRUE(editor.Undo());
    ExpectNear(InScene(cube), {0, 0, 0});
    ASSERT_TRUE(editor.Redo());
    ExpectNear(InScene(cube), {0.6f, 0, 0});

    // The next burst is a step of its own.
    SendMotion({0, 0, -100, 0, 0, 0, 60});
    ASSERT_EQ(controller.Pump(1), Controller::PumpResult::Moved);
    controller.EndBurst();
    EXPECT_EQ(editor.scene.History().UndoCount(), steps + 2);
    ASSERT_TRUE(editor.Undo());
    ExpectNear(InScene(cube), {0.6f, 0, 0});
}

} // namespace
