// Texture mapping: the presets and the coordinates they lay, adaptive scale,
// the live wrap, and laying a wrap as one step of the edit history.

#include "anim/AnimFixture.h"

#include "materials/Mapping.h"
#include "materials/MappingParts.h"
#include "scene/MoveBehaviours.h"

#include <cmath>

namespace corvid::testing {
namespace {

class MappingTest : public AnimTest {
protected:
    Vec2 Uv(const FramePtr& frame, int vertex)
    {
        Vec2 uv;
        EXPECT_TRUE(frame->GetVisuals()[0]->GetTextureCoordinates(vertex, uv.u, uv.v));
        return uv;
    }
    MeshRecord& Record(const FramePtr& frame) { return *RecordOf(frame->GetVisuals()[0].get()); }
    // A box object selected, corners lo and hi; vertex i has x from bit 0, y bit 1, z bit 2.
    FramePtr Selected(Vec3 lo, Vec3 hi, Vec3 at = {})
    {
        FramePtr frame = Box("Box", at, lo, hi);
        scene.Select(frame);
        return frame;
    }
};

constexpr float kTolerance = 1e-5f;

TEST_F(MappingTest, PresetsHoldTheirAxesScaleAndReference)
{
    struct Case {
        WrapType type;
        Vec3 axisA, axisB;
        float su;
        MappingReference reference;
        bool autoWrap;
        Vec3 direction;  // what the wrap looks along
    };
    const Case cases[] = {
        {WrapType::Flat, {0, 1, 0}, {0, 0, 1}, 1, MappingReference::Object, false, {0, 1, 0}},
        {WrapType::Cylinder, {0, 0, 1}, {0, 1, 0}, 3, MappingReference::Object, false, {0, 1, 0}},
        {WrapType::Sphere, {0, 0, 1}, {0, 1, 0}, 1, MappingReference::Object, false, {0, 1, 0}},
        {WrapType::Chrome, {0, 0, 1}, {0, 1, 0}, 1, MappingReference::Camera, true, {0, 1, 0}},
        {WrapType::Sheet, {0, 1, 0}, {0, 0, 1}, 1, MappingReference::Object, false, {0, 1, 0}},
        {WrapType::Box, {0, 1, 0}, {0, 0, 1}, 1, MappingReference::Object, false, {0, 1, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.type));
        const WrapSettings s = PresetSettings(static_cast<int>(c.type));
        EXPECT_EQ(s.wrapType, static_cast<int>(c.type));
        EXPECT_EQ(s.axisA, c.axisA);
        EXPECT_EQ(s.axisB, c.axisB);
        EXPECT_EQ(s.su, c.su);
        EXPECT_EQ(s.sv, 1.0f);
        EXPECT_EQ(s.origin, Vec3{});
        EXPECT_EQ(s.ou, 0.0f);
        EXPECT_EQ(s.ov, 0.0f);
        EXPECT_EQ(s.relativeTo, static_cast<int>(c.reference));
        EXPECT_EQ(s.autoWrap, c.autoWrap);
        EXPECT_FALSE(s.adaptiveScale);
        auto wrap = CreateWrap(s, nullptr, s.su, s.sv);
        ASSERT_TRUE(wrap);
        EXPECT_EQ(wrap->GetDirection(), c.direction);
    }
    Mapping mapping;
    EXPECT_EQ(mapping.CurrentType(), static_cast<int>(WrapType::Sphere)) << "the sphere preset is current at start";
    EXPECT_FALSE(mapping.ChoosePreset(6));
    EXPECT_FALSE(AdaptiveScaleApplies(static_cast<int>(WrapType::Sphere)));
    EXPECT_FALSE(AdaptiveScaleApplies(static_cast<int>(WrapType::Chrome)));
    EXPECT_TRUE(AdaptiveScaleApplies(static_cast<int>(WrapType::Cylinder)));
}

TEST_F(MappingTest, EachPresetLaysItsCoordinatesOnABox)
{
    // Vertex 0 is (-1, -1, -1), 3 is (1, 1, -1), 7 is (1, 1, 1).
    FramePtr box = Selected({-1, -1, -1}, {1, 1, 1});

    // Flat: a plane facing y; v runs along z (the up axis), u along x.
    ASSERT_TRUE(ApplyMapping(scene, PresetSettings(0)));
    EXPECT_NEAR(Uv(box, 0).v, -1.0f, kTolerance);
    EXPECT_NEAR(Uv(box, 7).v, 1.0f, kTolerance);
    EXPECT_NEAR(std::fabs(Uv(box, 7).u), 1.0f, kTolerance);
    EXPECT_NEAR(Uv(box, 7).u, -Uv(box, 0).u, kTolerance);

    // Cylinder about y: v is the height, u goes round three times.
    ASSERT_TRUE(ApplyMapping(scene, PresetSettings(1)));
    EXPECT_NEAR(Uv(box, 0).v, -1.0f, kTolerance);
    EXPECT_NEAR(Uv(box, 3).v, 1.0f, kTolerance);
    EXPECT_NEAR(std::fabs(Uv(box, 7).u - Uv(box, 0).u), 1.5f, kTolerance) << "opposite corners half a turn apart";

    // Sphere with its pole along y: the top corners sit nearer v = 0.
    ASSERT_TRUE(ApplyMapping(scene, PresetSettings(2)));
    const float fromPole = std::acos(1.0f / std::sqrt(3.0f)) / kPi;
    EXPECT_NEAR(Uv(box, 7).v, fromPole, kTolerance);
    EXPECT_NEAR(Uv(box, 0).v, 1.0f - fromPole, kTolerance);
    EXPECT_TRUE(box->GetVisuals()[0]->GetContents().wrapU) << "curved wraps repeat across the seam";
}

TEST_F(MappingTest, AdaptiveScaleDividesByTheExtentSeenAlongTheWrap)
{
    // 4 wide along x and 2 along z: the flat wrap looks along y with z up.
    FramePtr box = Selected({-2, -0.5f, -1}, {2, 0.5f, 1});
    WrapSettings flat = PresetSettings(0);
    flat.adaptiveScale = true;
    ASSERT_TRUE(ApplyMapping(scene, flat));
    EXPECT_NEAR(Record(box).wrap[11], 0.25f, kTolerance);
    EXPECT_NEAR(Record(box).wrap[12], 0.5f, kTolerance);
    EXPECT_TRUE(Record(box).adaptiveScale);

    // The cylinder looks along y: only v is divided, by the height (1).
    WrapSettings cylinder = PresetSettings(1);
    cylinder.adaptiveScale = true;
    cylinder.sv = 2.0f;
    ASSERT_TRUE(ApplyMapping(scene, cylinder));
    EXPECT_EQ(Record(box).wrap[11], 3.0f);
    EXPECT_NEAR(Record(box).wrap[12], 2.0f, kTolerance);

    // Sphere: never divided.
    WrapSettings sphere = PresetSettings(2);
    sphere.adaptiveScale = true;
    ASSERT_TRUE(ApplyMapping(scene, sphere));
    EXPECT_EQ(Record(box).wrap[11], 1.0f);
    EXPECT_EQ(Record(box).wrap[12], 1.0f);
}

TEST_F(MappingTest, AdaptiveScaleOnAFlatObjectKeepsTheScaleWithoutExtent)
{
    // No extent along z, which the flat wrap's v measures.
    FramePtr sheet = Selected({-2, -1, 0}, {2, 1, 0});
    WrapSettings flat = PresetSettings(0);
    flat.adaptiveScale = true;
    flat.sv = 3.0f;
    ASSERT_TRUE(ApplyMapping(scene, flat));
    EXPECT_NEAR(Record(sheet).wrap[11], 0.25f, kTolerance);
    EXPECT_EQ(Record(sheet).wrap[12], 3.0f);
    for (float f : Record(sheet).wrap)
        EXPECT_TRUE(std::isfinite(f));
    for (int v = 0; v < 8; ++v) {
        EXPECT_TRUE(std::isfinite(Uv(sheet, v).u));
        EXPECT_TRUE(std::isfinite(Uv(sheet, v).v));
    }
}

TEST_F(MappingTest, ApplyingNeedsAMappableSelection)
{
    EXPECT_FALSE(ApplyMapping(scene, PresetSettings(0))) << "nothing selected";
    auto [lightFrame, light] = MakeLight();
    scene.Select(lightFrame);
    EXPECT_FALSE(ApplyMapping(scene, PresetSettings(0))) << "a light's symbol is shared, not mappable";
    FramePtr box = Selected({-1, -1, -1}, {1, 1, 1});
    WrapSettings bad = PresetSettings(0);
    bad.axisA = {0, 0, 0};
    EXPECT_FALSE(ApplyMapping(scene, bad)) << "no direction, no wrap";
    EXPECT_EQ(scene.History().UndoCount(), 0u);
}

TEST_F(MappingTest, TheRecordKeepsTheSettingsAndTheLiveWrapFollowsTheObject)
{
    FramePtr box = Selected({-1, -1, -1}, {1, 1, 1});
    WrapSettings flat = PresetSettings(0);
    flat.relativeTo = static_cast<int>(MappingReference::Scene);
    flat.autoWrap = true;
    flat.origin = {0.5f, 0, 0};
    flat.ou = 0.25f;
    ASSERT_TRUE(ApplyMapping(scene, flat));
    EXPECT_EQ(SettingsOf(Record(box)), flat);
    EXPECT_TRUE(box->HasMoveCallback(kLiveWrapCallbackTag));
    const Vec2 before = Uv(box, 7);

    // The object moves 2 along z (the wrap's v) in SCENE; an edit move
    // leaves the coordinates, the render move lays them again.
    box->SetPosition(scene.Scene().get(), {0, 0, 2});
    scene.Scene()->Move(kEditMoveDelta);
    EXPECT_EQ(Uv(box, 7), before);
    scene.Scene()->Move(kRenderMoveDelta);
    EXPECT_NEAR(Uv(box, 7).v, before.v + 2.0f, kTolerance);

    // Without auto wrap the callback goes.
    flat.autoWrap = false;
    ASSERT_TRUE(ApplyMapping(scene, flat));
    EXPECT_FALSE(box->HasMoveCallback(kLiveWrapCallbackTag));
}

TEST_F(MappingTest, ChromeIsLaidRelativeToTheCameraAndFollowsIt)
{
    FramePtr camera = Frame::Create(scene.Scene().get());
    camera->SetPosition(scene.Scene().get(), {0, 0, -10});
    scene.SetActiveCamera(camera);
    FramePtr box = Selected({-1, -1, -1}, {1, 1, 1});
    ASSERT_TRUE(ApplyMapping(scene, PresetSettings(3)));
    EXPECT_TRUE(box->HasMoveCallback(kLiveWrapCallbackTag)) << "the chrome preset lays itself again";
    const Vec2 before = Uv(box, 0);
    camera->SetPosition(scene.Scene().get(), {10, 0, 0});
    camera->SetOrientation(scene.Scene().get(), {-1, 0, 0}, {0, 1, 0});
    scene.Scene()->Move(kRenderMoveDelta);
    EXPECT_NE(Uv(box, 0), before);
}

TEST_F(MappingTest, LayingAWrapIsOneStepUndoneAndRedone)
{
    FramePtr box = Selected({-1, -1, -1}, {1, 1, 1});
    const MeshContents untouched = box->GetVisuals()[0]->GetContents();
    const WrapRecordAspect::State bare = WrapRecordAspect::Capture(*box);
    scene.History().Clear();

    ASSERT_TRUE(ApplyMapping(scene, PresetSettings(3)));  // chrome: live, relative to the camera
    ASSERT_EQ(scene.History().UndoCount(), 1u);
    EXPECT_EQ(scene.History().UndoName(), "Apply Mapping");
    const WrapRecordAspect::State wrapped = WrapRecordAspect::Capture(*box);
    const Vec2 laid = Uv(box, 5);

    ASSERT_TRUE(scene.History().Undo());
    EXPECT_EQ(WrapRecordAspect::Capture(*box), bare);
    EXPECT_FALSE(box->HasMoveCallback(kLiveWrapCallbackTag));
    const MeshContents undone = box->GetVisuals()[0]->GetContents();
    EXPECT_EQ(undone.texcoords, untouched.texcoords);

    ASSERT_TRUE(scene.History().Redo());
    EXPECT_EQ(WrapRecordAspect::Capture(*box), wrapped);
    EXPECT_TRUE(box->HasMoveCallback(kLiveWrapCallbackTag));
    EXPECT_EQ(Uv(box, 5), laid);
}

} // namespace
} // namespace corvid::testing
