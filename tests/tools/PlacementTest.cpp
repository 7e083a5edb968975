// Placing cameras and lights with the mouse: what each tool makes, the
// height drag, the aiming stage and when the object is registered.

#include "tools/ToolFixture.h"

#include "platform/Light.h"
#include "render/Navigation.h"
#include "tools/PlacementGestures.h"
#include "tools/TransformTools.h"

#include <cmath>

using namespace corvid;
using corvid::testing::kCentreX;
using corvid::testing::kCentreY;
using corvid::testing::kUnitsPerPixelAtOrigin;
using corvid::testing::ToolTest;

namespace {

class PlacementTest : public ToolTest {
protected:
    // The object being placed, or (once registered) the selection.
    FramePtr Placed() { return tools.Placement().Pending() ? tools.Placement().frame : scene.SelectedFrame(); }

    bool Registered(const FramePtr& frame)
    {
        ObjectRecord* record = RecordOf(frame.get());
        if (!record || !record->interpolator || !record->keyList || !record->treeItem || !MasterHas(record->interpolator))
            return false;
        for (const LightPtr& light : frame->GetLights()) {
            LightRecord* lightRecord = RecordOf(light.get());
            if (!lightRecord || !lightRecord->interpolator || !MasterHas(lightRecord->interpolator))
                return false;
        }
        return true;
    }

    // A whole left-button placement at the viewport's centre, ending the
    // aiming stage straight away for the tools that have one.
    FramePtr Place(int mode)
    {
        tools.mode = mode;
        Press(kCentreX, kCentreY);
        FramePtr frame = Placed();
        Release(kCentreX, kCentreY);
        if (tools.stage == kPlacementAiming) {
            Press(kCentreX, kCentreY);
            Release(kCentreX, kCentreY);
        }
        return frame;
    }

    Vec3 Forward(const FramePtr& frame) { return Normalize(frame->GetTransform(scene.Scene().get()).Row(2)); }
    Vec3 Right(const FramePtr& frame) { return Normalize(frame->GetTransform(scene.Scene().get()).Row(0)); }
    static float AngleBetween(const Vec3& a, const Vec3& b)
    {
        return std::acos(std::clamp(Dot(Normalize(a), Normalize(b)), -1.0f, 1.0f));
    }
    // How far a vector turned about axis: the angle between its parts across it.
    static float TurnAbout(const Vec3& axis, const Vec3& a, const Vec3& b)
    {
        const Vec3 n = Normalize(axis);
        return AngleBetween(a - n * Dot(a, n), b - n * Dot(b, n));
    }
};

struct LightCase {
    int mode;
    LightType type;
    bool aims;
};
const LightCase kLightCases[] = {
    {kModeAmbientLight, LightType::Ambient, false},
    {kModePointLight, LightType::Point, false},
    {kModeDirectionalLight, LightType::Directional, true},
    {kModeSpotLight, LightType::Spot, true},
    {kModeParallelPointLight, LightType::ParallelPoint, true},
};

TEST_F(PlacementTest, EachLightToolMakesItsTypeWithItsOwnParameters)
{
    // Give every tool different values, so a tool reading another's set shows.
    for (int i = 0; i < 5; ++i) {
        LightToolParameters& p = tools.lightTools[static_cast<size_t>(i)];
        p.color = {0.1f * static_cast<float>(i + 1), 0.5f, 1.0f - 0.1f * static_cast<float>(i), 1.0f};
        p.attenuationMode = i % 3;
        p.constant = 2.0f + static_cast<float>(i);
        p.linear = 3.0f + static_cast<float>(i);
        p.quadratic = 4.0f + static_cast<float>(i);
        p.range = 100.0f + static_cast<float>(i);
        p.penumbra = 0.7f;
        p.umbra = 0.2f;
    }
    int n = 0;
    for (const LightCase& c : kLightCases) {
        SCOPED_TRACE(c.mode);
        FramePtr frame = Place(c.mode);
        ASSERT_TRUE(frame);
        ASSERT_EQ(frame->GetLights().size(), 1u);
        const Light& light = *frame->GetLights()[0];
        const LightToolParameters& p = tools.lightTools[static_cast<size_t>(c.type)];
        EXPECT_EQ(light.GetType(), c.type);
        EXPECT_FLOAT_EQ(light.GetColor().r, p.color.r);
        EXPECT_FLOAT_EQ(light.GetColor().b, p.color.b);
        // Only the chosen attenuation term is on.
        EXPECT_FLOAT_EQ(light.GetConstantAttenuation(), p.attenuationMode == 0 ? p.constant : 0.0f);
        EXPECT_FLOAT_EQ(light.GetLinearAttenuation(), p.attenuationMode == 1 ? p.linear : 0.0f);
        EXPECT_FLOAT_EQ(light.GetQuadraticAttenuation(), p.attenuationMode == 2 ? p.quadratic : 0.0f);
        if (c.type == LightType::Spot) {
            EXPECT_FLOAT_EQ(light.GetRange(), p.range);
            EXPECT_FLOAT_EQ(light.GetPenumbra(), 0.7f);
            EXPECT_FLOAT_EQ(light.GetUmbra(), 0.2f);
        }
        ASSERT_EQ(frame->GetVisuals().size(), 1u);
        EXPECT_EQ(frame->GetVisuals()[0], scene.LightIcon(c.type));

        EXPECT_EQ(NameOf(frame), "Light " + std::to_string(n));
        EXPECT_EQ(RecordOf(frame.get())->kind, kLight);
        EXPECT_EQ(RecordOf(frame.get())->menuCommand, kLightMenuBase + n);
        ASSERT_EQ(ui.lightEntries.size(), static_cast<size_t>(n + 1));
        EXPECT_EQ(ui.lightEntries.back().text, "Light " + std::to_string(n));
        EXPECT_EQ(scene.UserLight(n), frame);
        EXPECT_TRUE(Registered(frame));
        EXPECT_EQ(tools.stage, 0);
        ++n;
    }
    EXPECT_EQ(scene.LightCount(), 5);
}

TEST_F(PlacementTest, CameraToolMakesNumberedCamerasWithMenuEntries)
{
    for (int n = 0; n < 2; ++n) {
        FramePtr frame = Place(kModeCamera);
        ASSERT_TRUE(frame);
        EXPECT_EQ(NameOf(frame), "Camera " + std::to_string(n));
        EXPECT_EQ(RecordOf(frame.get())->kind, kCamera);
        EXPECT_EQ(RecordOf(frame.get())->menuCommand, kCameraMenuBase + n);
        EXPECT_EQ(scene.UserCamera(n), frame);
        ASSERT_EQ(frame->GetVisuals().size(), 1u);
        EXPECT_EQ(frame->GetVisuals()[0], scene.CameraIcon());
        EXPECT_TRUE(frame->GetLights().empty());
        EXPECT_TRUE(Registered(frame));
    }
    ASSERT_EQ(ui.cameraEntries.size(), 2u);
    EXPECT_EQ(ui.cameraEntries[1].text, "Camera 1");
    EXPECT_EQ(ui.cameraEntries[1].command, 2223);
    EXPECT_EQ(ui.lightEntries.size(), 0u);
}

TEST_F(PlacementTest, HeightDragMovesOnlyUpAndDown)
{
    for (int mode : {kModeCamera, kModePointLight, kModeSpotLight}) {
        SCOPED_TRACE(mode);
        scene.NewScene();
        tools.stage = 0;
        tools.mode = mode;
        // A little off the centre, so the insertion point is not the origin.
        const int x0 = kCentreX + 20, y0 = kCentreY;
        Press(x0, y0);
        FramePtr frame = Placed();
        ASSERT_TRUE(frame);
        const Vec3 base = scene.insertionPoint;
        EXPECT_TRUE(NearlyEqual(At(frame), base, 1e-5f));
        const Vec3 forward = Forward(frame);
        const float unit = *UnitsPerPixel(views, base);

        // Sideways motion is ignored; 40 px up raises it by 40 pixels' worth.
        Drag(x0 + 55, y0 - 40);
        EXPECT_NEAR(At(frame).x, base.x, 1e-5f);
        EXPECT_NEAR(At(frame).z, base.z, 1e-5f);
        EXPECT_NEAR(At(frame).y, base.y + 40 * unit, 1e-4f);
        // Below the press it goes below the insertion point.
        Drag(x0 - 10, y0 + 20);
        EXPECT_NEAR(At(frame).y, base.y - 20 * unit, 1e-4f);
        EXPECT_NEAR(At(frame).x, base.x, 1e-5f);
        EXPECT_TRUE(NearlyEqual(Forward(frame), forward, 1e-5f));  // not turned
        Release(x0 - 10, y0 + 20);
        EXPECT_NEAR(At(frame).y, base.y - 20 * unit, 1e-4f);
    }
    // At the centre the insertion point is the origin: the fixture's scale.
    scene.NewScene();
    tools.stage = 0;
    tools.mode = kModeAmbientLight;
    Press(kCentreX, kCentreY);
    Drag(kCentreX, kCentreY - 40);
    EXPECT_NEAR(At(Placed()).y, 40 * kUnitsPerPixelAtOrigin, 1e-3f);
}

TEST_F(PlacementTest, AimingTurnsACameraAboutTheVerticalAndItsOwnRightAxis)
{
    tools.mode = kModeCamera;
    Press(kCentreX, kCentreY);
    FramePtr camera = Placed();
    Release(kCentreX, kCentreY);
    ASSERT_EQ(tools.stage, kPlacementAiming);
    const Vec3 start = Forward(camera);  // a new camera faces +z, level

    // 30 px to the right: it turns right about SCENE's y axis.
    Drag(kCentreX + 30, kCentreY);
    const Vec3 turned = Forward(camera);
    EXPECT_NEAR(AngleBetween(start, turned), 4.0f * 30 / std::sqrt(30.0f * 30 + 300 * 300), 1e-4f);
    EXPECT_NEAR(turned.y, 0.0f, 1e-5f);
    EXPECT_GT(turned.x, 0.0f);

    // 40 px down: it tilts down about its own right axis, which stays level.
    Drag(kCentreX + 30, kCentreY + 40);
    const Vec3 tilted = Forward(camera);
    const float pitch = 4.0f * 40 / std::sqrt(40.0f * 40 + 300 * 300);
    EXPECT_NEAR(AngleBetween(turned, tilted), pitch, 1e-4f);
    EXPECT_NEAR(std::asin(-tilted.y), pitch, 1e-4f);
    EXPECT_NEAR(Right(camera).y, 0.0f, 1e-5f);
    EXPECT_NEAR(Dot(Right(camera), turned), 0.0f, 1e-5f);
    EXPECT_TRUE(NearlyEqual(At(camera), scene.insertionPoint, 1e-4f));  // turns in place

    // The next press ends the aiming: moves with or without the button no
    // longer turn it, and its release registers.
    Press(kCentreX + 30, kCentreY + 40);
    EXPECT_EQ(tools.stage, 0);
    Drag(kCentreX + 90, kCentreY - 50);
    Release(kCentreX + 90, kCentreY - 50);
    Drag(kCentreX - 60, kCentreY);
    EXPECT_TRUE(NearlyEqual(Forward(camera), tilted, 1e-6f));
    EXPECT_TRUE(Registered(camera));
}

TEST_F(PlacementTest, AimingTurnsALightAboutTheViewsAxes)
{
    for (int mode : {kModeDirectionalLight, kModeSpotLight, kModeParallelPointLight}) {
        SCOPED_TRACE(mode);
        tools.mode = mode;
        Press(kCentreX, kCentreY);
        FramePtr light = Placed();
        Release(kCentreX, kCentreY);
        const Matrix4 view = *ActiveViewAxes(views);
        const Vec3 viewRight = view.Row(0), viewUp = view.Row(1);

        // A diagonal step: each part uses the whole step's length.
        const float length = std::sqrt(30.0f * 30 + 40 * 40 + 300 * 300);
        const Vec3 before = Forward(light);
        Drag(kCentreX + 30, kCentreY);  // 30 px right: about the view's up axis
        Vec3 after = Forward(light);
        EXPECT_NEAR(TurnAbout(viewUp, before, after), 4.0f * 30 / std::sqrt(30.0f * 30 + 300 * 300), 1e-4f);
        EXPECT_NEAR(Dot(after, viewUp), Dot(before, viewUp), 1e-5f);
        EXPECT_GT(Dot(after, viewRight), Dot(before, viewRight));  // the beam goes with the cursor

        const Vec3 middle = after;
        Drag(kCentreX + 30, kCentreY - 40);  // 40 px up: about the view's right axis
        after = Forward(light);
        EXPECT_NEAR(TurnAbout(viewRight, middle, after), 4.0f * 40 / std::sqrt(40.0f * 40 + 300 * 300), 1e-4f);
        EXPECT_NEAR(Dot(after, viewRight), Dot(middle, viewRight), 1e-5f);
        EXPECT_GT(Dot(after, viewUp), Dot(middle, viewUp));

        Drag(kCentreX, kCentreY);  // both at once: at most the sum of the parts
        EXPECT_LE(AngleBetween(after, Forward(light)), 4.0f * 70 / length + 1e-4f);
        EXPECT_GT(AngleBetween(after, Forward(light)), 4.0f * 40 / length - 1e-4f);

        EXPECT_FALSE(Registered(light));
        Press(kCentreX, kCentreY);
        Release(kCentreX, kCentreY);
        EXPECT_TRUE(Registered(light));
    }
}

TEST_F(PlacementTest, RegistrationWaitsForTheGesturesLastRelease)
{
    // Ambient and point lights: the release of the creating press.
    for (int mode : {kModeAmbientLight, kModePointLight}) {
        SCOPED_TRACE(mode);
        tools.mode = mode;
        Press(kCentreX, kCentreY);
        FramePtr light = Placed();
        EXPECT_EQ(tools.stage, kPlacementHeight);
        Drag(kCentreX, kCentreY - 10);
        EXPECT_FALSE(Registered(light));
        EXPECT_EQ(RecordOf(light.get())->treeItem, 0);
        Press(kCentreX, kCentreY - 10, MouseButton::Right);  // a second button changes nothing
        Release(kCentreX, kCentreY - 10, MouseButton::Right);
        EXPECT_FALSE(Registered(light));
        Release(kCentreX, kCentreY - 10);
        EXPECT_EQ(tools.stage, 0);
        EXPECT_TRUE(Registered(light));
        EXPECT_TRUE(TreeMismatch().empty()) << TreeMismatch();
    }
    // Aimed objects: not the first release, not the press ending the aim,
    // but that press's release.
    for (int mode : {kModeCamera, kModeDirectionalLight}) {
        SCOPED_TRACE(mode);
        tools.mode = mode;
        Press(kCentreX, kCentreY);
        FramePtr frame = Placed();
        EXPECT_EQ(tools.stage, kPlacementHeight);
        Release(kCentreX, kCentreY);
        EXPECT_EQ(tools.stage, kPlacementAiming);
        Drag(kCentreX + 5, kCentreY);
        EXPECT_FALSE(Registered(frame));
        Press(kCentreX + 5, kCentreY);
        EXPECT_EQ(tools.stage, 0);
        EXPECT_FALSE(Registered(frame));
        Release(kCentreX + 5, kCentreY);
        EXPECT_TRUE(Registered(frame));
        EXPECT_FALSE(tools.Placement().Pending());
        EXPECT_TRUE(TreeMismatch().empty()) << TreeMismatch();
    }
    EXPECT_EQ(scene.CameraCount(), 1);
    EXPECT_EQ(scene.LightCount(), 3);
}

TEST_F(PlacementTest, RightPressCreatesAndRegistersAtOnce)
{
    scene.insertionPoint = {1, 0, 2};
    for (int mode : {kModeCamera, kModeSpotLight, kModeAmbientLight}) {
        SCOPED_TRACE(mode);
        tools.mode = mode;
        Press(kCentreX + 50, kCentreY + 50, MouseButton::Right);  // no pick: the insertion point stays
        FramePtr frame = scene.SelectedFrame();
        ASSERT_TRUE(frame);
        EXPECT_TRUE(Registered(frame));
        EXPECT_EQ(tools.stage, 0);
        EXPECT_TRUE(NearlyEqual(At(frame), {1, 0, 2}, 1e-6f));
        const Vec3 forward = Forward(frame);
        Drag(kCentreX + 80, kCentreY);  // neither raised nor aimed
        Release(kCentreX + 80, kCentreY, MouseButton::Right);
        Drag(kCentreX + 20, kCentreY - 30);
        EXPECT_TRUE(NearlyEqual(At(frame), {1, 0, 2}, 1e-6f));
        EXPECT_TRUE(NearlyEqual(Forward(frame), forward, 1e-6f));
        EXPECT_EQ(scene.SelectedFrame(), frame);
    }
    EXPECT_EQ(scene.CameraCount(), 1);
    EXPECT_EQ(scene.LightCount(), 2);
    EXPECT_TRUE(TreeMismatch().empty()) << TreeMismatch();

    // Registered, so deletion takes its interpolators off the animation.
    FramePtr spot = scene.UserLight(0);
    std::shared_ptr<Interpolator> frameTrack = RecordOf(spot.get())->interpolator;
    std::shared_ptr<Interpolator> lightTrack = RecordOf(spot->GetLights()[0].get())->interpolator;
    scene.DeleteObjectTree(spot);
    EXPECT_FALSE(MasterHas(frameTrack));
    EXPECT_FALSE(MasterHas(lightTrack));
    EXPECT_EQ(ui.lightEntries.size(), 1u);
}

TEST_F(PlacementTest, InterruptedPlacementsAreRegisteredOrDropped)
{
    // Another tool chosen while aiming: its first press registers the camera.
    tools.mode = kModeCamera;
    Press(kCentreX, kCentreY);
    FramePtr camera = Placed();
    Release(kCentreX, kCentreY);
    tools.mode = kModeRotate;
    tools.stage = 0;
    Drag(kCentreX + 40, kCentreY);  // moves in another mode do not aim
    EXPECT_TRUE(NearlyEqual(Forward(camera), {0, 0, 1}, 1e-6f));
    Press(kCentreX, kCentreY);
    Release(kCentreX, kCentreY);
    EXPECT_TRUE(Registered(camera));

    // Chosen again while aiming: the next press registers it and starts anew.
    tools.mode = kModeSpotLight;
    Press(kCentreX, kCentreY);
    FramePtr first = Placed();
    Release(kCentreX, kCentreY);
    tools.stage = 0;
    Press(kCentreX, kCentreY);
    EXPECT_TRUE(Registered(first));
    EXPECT_NE(Placed(), first);
    Release(kCentreX, kCentreY);
    Press(kCentreX, kCentreY);
    Release(kCentreX, kCentreY);
    EXPECT_TRUE(Registered(Placed()));

    // Deleted while aiming: the aiming ends (the creation is a step of its
    // own), then the delete takes the light away with its item and entry.
    Press(kCentreX, kCentreY);
    FramePtr doomed = Placed();
    Release(kCentreX, kCentreY);
    const size_t entries = ui.lightEntries.size();
    tools.ViewportKeyDown(1, kKeyDelete);
    EXPECT_FALSE(scene.Scene()->IsAncestorOf(doomed.get()));
    EXPECT_FALSE(tools.Placement().Pending());
    EXPECT_FALSE(Registered(doomed));
    EXPECT_EQ(ui.lightEntries.size(), entries - 1);
    EXPECT_EQ(scene.History().UndoName(), "Delete " + NameOf(doomed));
    Drag(kCentreX + 10, kCentreY);  // aims nothing any more
    EXPECT_TRUE(TreeMismatch().empty()) << TreeMismatch();
}

TEST_F(PlacementTest, ViewportMovesWithoutAButtonReachTheAiming)
{
    tools.mode = kModeDirectionalLight;
    tools.ViewportMouseDown(1, MouseButton::Left, kCentreX, kCentreY);
    FramePtr light = Placed();
    tools.ViewportMouseUp(1, MouseButton::Left, kCentreX, kCentreY);
    const Vec3 before = Forward(light);
    tools.ViewportMouseMove(1, kCentreX + 30, kCentreY);
    EXPECT_NEAR(TurnAbout(ActiveViewAxes(views)->Row(1), before, Forward(light)), 4.0f * 30 / std::sqrt(30.0f * 30 + 300 * 300), 1e-4f);
    tools.ViewportMouseDown(1, MouseButton::Left, kCentreX + 30, kCentreY);
    tools.ViewportMouseUp(1, MouseButton::Left, kCentreX + 30, kCentreY);
    EXPECT_TRUE(Registered(light));
}

} // namespace
