// Tool gestures and the transport: while animating a gesture keeps the
// selection's start keys and its keys at the current frame, in the same
// step; a press while playing stops the playback.

#include "tools/ToolFixture.h"

namespace corvid::testing {
namespace {

using AnimatedGestureTest = ToolTest;

TEST_F(AnimatedGestureTest, AMoveWhileAnimatingKeysTheStartAndTheCurrentFrameInOneStep)
{
    FramePtr box = Box("Box", {});
    scene.History().Clear();
    transport.MoveSlider(50);
    transport.Animate();
    tools.mode = kModeMove;
    Gesture(kCentreX, kCentreY, kCentreX + 40, kCentreY);
    const Vec3 moved = At(box);
    ASSERT_GT(moved.x, 1.0f);

    const KeyList& keys = *RecordOf(box.get())->keyList;
    ASSERT_EQ(keys.objectKeys.size(), 2u);
    EXPECT_EQ(keys.objectKeys[0].time, 0.0f);
    EXPECT_EQ(keys.objectKeys[0].position, (Vec3{0, 0, 0}));
    EXPECT_EQ(keys.objectKeys[1].time, 50.0f);
    EXPECT_EQ(keys.objectKeys[1].position, moved);
    EXPECT_EQ(scene.History().UndoCount(), 1u);

    // Back at frame 0 the box is where it started; half-way, half-way.
    transport.GoToStart();
    EXPECT_TRUE(NearlyEqual(At(box), {0, 0, 0}, 1e-5f));
    transport.MoveSlider(25);
    EXPECT_TRUE(NearlyEqual(At(box), moved * 0.5f, 1e-4f));

    // One undo takes the move and both keys back.
    ASSERT_TRUE(scene.History().Undo());
    EXPECT_TRUE(keys.objectKeys.empty());
    EXPECT_EQ(RecordOf(box.get())->interpolator->GetKeyCount(), 0u);
}

TEST_F(AnimatedGestureTest, AGestureWhileStoppedKeysNothing)
{
    FramePtr box = Box("Box", {});
    tools.mode = kModeMove;
    Gesture(kCentreX, kCentreY, kCentreX + 40, kCentreY);
    EXPECT_TRUE(RecordOf(box.get())->keyList->objectKeys.empty());
}

TEST_F(AnimatedGestureTest, APressWhilePlayingStopsThePlayback)
{
    Box("Box", {});
    transport.Play(0.0);
    tools.mode = kModeRotate;
    Press(kCentreX, kCentreY, MouseButton::Right);
    EXPECT_EQ(transport.State(), TransportState::Stopped);
    EXPECT_EQ(std::string(transport.StateText()), "STOPPED");
    Release(kCentreX, kCentreY, MouseButton::Right);
}

} // namespace
} // namespace corvid::testing
