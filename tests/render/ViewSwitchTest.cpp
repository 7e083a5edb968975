#include "PickFixture.h"

using namespace corvid;
using namespace corvid::testing;

TEST_F(PickTest, TheCheckedStandardViewDoesNothing)
{
    log.clear();
    const FramePtr camera = View(1).camera;
    EXPECT_TRUE(views.ViewCommand(1, 32898));  // Perspective, already checked
    EXPECT_EQ(View(1).camera, camera);
    EXPECT_EQ(Count("render v1"), 0);
    EXPECT_TRUE(View(1).menu.IsChecked(32898));
}

TEST_F(PickTest, StandardViewCommandsSwitchCameraFieldProjectionAndCheckMark)
{
    ASSERT_TRUE(views.BuildViewDevice(View(2)));
    struct Case {
        int viewport, command, slot;
    } cases[] = {
        {1, 32899, kViewTop},    {1, 32903, kViewBottom}, {1, 32904, kViewBack},
        {1, 32898, kViewPerspective}, {2, 32930, kViewRight}, {2, 32926, kViewPerspective},
    };
    for (const auto& c : cases) {
        const int previous = View(c.viewport).viewCommand;
        log.clear();
        ASSERT_TRUE(views.ViewCommand(c.viewport, c.command)) << c.command;
        ViewRecord& view = View(c.viewport);
        EXPECT_EQ(view.camera, view.cameras[static_cast<size_t>(c.slot)]) << c.command;
        EXPECT_EQ(view.field, &view.fields[static_cast<size_t>(c.slot)]) << c.command;
        EXPECT_EQ(view.projection, view.projections[static_cast<size_t>(c.slot)]) << c.command;
        EXPECT_EQ(views.activeViewport, c.viewport);
        EXPECT_EQ(scene.ActiveCamera(), view.camera) << c.command;
        EXPECT_EQ(scene.CameraLightFrame()->GetParent(), view.camera.get()) << "the camera light follows";
        EXPECT_TRUE(view.menu.IsChecked(c.command));
        EXPECT_FALSE(view.menu.IsChecked(previous));
        EXPECT_EQ(view.viewCommand, c.command);
        EXPECT_GE(Count("render v1"), 1) << c.command;
    }
    EXPECT_FALSE(views.ViewCommand(1, 32926)) << "another viewport's id";
    EXPECT_FALSE(views.ViewCommand(1, kCameraMenuBase + 5)) << "no such camera";
}

TEST_F(PickTest, ObjectViewNeedsASelectionAndThenLooksThroughIt)
{
    const FramePtr camera = View(1).camera;
    EXPECT_TRUE(views.ViewCommand(1, 32905));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], "There is no object selected");
    EXPECT_EQ(View(1).camera, camera);
    EXPECT_TRUE(View(1).menu.IsChecked(32898));

    FramePtr box = Add("Box", {0, 0, 0});
    ASSERT_TRUE(views.Pick(200, 150));
    EXPECT_TRUE(views.ViewCommand(1, 32905));
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(View(1).camera, box);
    EXPECT_EQ(scene.ActiveCamera(), box);
    EXPECT_EQ(View(1).Field(), 0.5f);
    EXPECT_EQ(View(1).projection, Projection::Perspective);
    EXPECT_FALSE(scene.HasSelection());
    EXPECT_FALSE(MarkerShown());
    EXPECT_TRUE(View(1).menu.IsChecked(32905));
    EXPECT_FALSE(View(1).menu.IsChecked(32898));
}

TEST_F(PickTest, UserCameraAndLightEntriesLookThroughTheirFrames)
{
    scene.insertionPoint = {0, 0, -10};
    FramePtr camera = scene.CreateCamera();
    scene.insertionPoint = {3, 4, 5};
    FramePtr light = scene.CreateLight(LightType::Point, {});
    const Frame* lightHolder = scene.CameraLightFrame()->GetParent();

    struct Case {
        int command;
        FramePtr frame;
    } cases[] = {{kCameraMenuBase + 0, camera}, {kLightMenuBase + 0, light}};
    for (const auto& c : cases) {
        const int previous = View(1).viewCommand;
        log.clear();
        ASSERT_TRUE(views.ViewCommand(1, c.command)) << c.command;
        EXPECT_EQ(View(1).camera, c.frame);
        EXPECT_EQ(View(1).cameras[kViewObject], c.frame);
        EXPECT_EQ(View(1).field, &View(1).fields[kViewObject]);
        EXPECT_EQ(scene.ActiveCamera(), c.frame);
        EXPECT_EQ(View(1).viewCommand, c.command);
        EXPECT_FALSE(View(1).menu.IsChecked(previous));
        EXPECT_EQ(scene.CameraLightFrame()->GetParent(), lightHolder) << "the camera light stays";
        EXPECT_FALSE(MarkerShown());
        EXPECT_EQ(Count("render v1"), 1);
    }
}
