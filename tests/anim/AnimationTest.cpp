// Key frames: the key lists' insertion rules, start keys and their flags,
// light keys per property, world keys, showing a frame, Clear Animation, and
// undo of recorded keys.

#include "anim/AnimFixture.h"

#include "anim/KeyParts.h"
#include "scene/EditParts.h"
#include "platform/Light.h"

#include <cmath>

namespace corvid::testing {
namespace {

using AnimationTest = AnimTest;

// --- key lists -----------------------------------------------------------------------------------

TEST(KeyLists, AKeyAtAKnownTimeIsUpdatedAndOtherwiseAppended)
{
    KeyList list(kObjectKeyListType);
    FramePtr root = Frame::Create();
    SetPositionKey(list, 30, root, {1, 2, 3});
    SetOrientationKey(list, 30, root, {0, 0, 1}, {0, 1, 0});  // the same key, now with an orientation
    SetPositionKey(list, 10, root, {4, 5, 6});                // appended, not sorted
    SetPositionKey(list, 30, root, {7, 8, 9});
    ASSERT_EQ(list.objectKeys.size(), 2u);
    EXPECT_EQ(list.objectKeys[0].time, 30.0f);
    EXPECT_EQ(list.objectKeys[0].position, (Vec3{7, 8, 9}));
    EXPECT_EQ(list.objectKeys[0].direction, (Vec3{0, 0, 1}));
    EXPECT_EQ(list.objectKeys[1].time, 10.0f);
    EXPECT_EQ(list.objectKeys[1].direction, (Vec3{kUnsetKeyValue, kUnsetKeyValue, kUnsetKeyValue}));
    EXPECT_TRUE(list.objectKeys[1].orientationReference.expired());
}

TEST(KeyLists, APlaceholderGoesButAKeyAt999999WithValuesStays)
{
    FramePtr root = Frame::Create();
    KeyList list(kObjectKeyListType);
    list.objectKeys.emplace_back();  // a placeholder, as a file may hold
    ObjectKey valued;
    valued.time = kUnsetKeyValue;
    valued.position = {1, 1, 1};
    valued.positionReference = root;
    list.objectKeys.push_back(valued);  // a real key that happens to sit at 999999
    SetPositionKey(list, 5, root, {2, 2, 2});
    ASSERT_EQ(list.objectKeys.size(), 2u);
    EXPECT_EQ(list.objectKeys[0].position, (Vec3{1, 1, 1}));
    EXPECT_EQ(list.objectKeys[1].time, 5.0f);
    SetPositionKey(list, 6, root, {3, 3, 3});
    EXPECT_EQ(list.objectKeys.size(), 3u) << "no placeholder left: nothing else goes";
}

TEST(KeyLists, ALightKeyHoldsOnlyThePropertyThatChanged)
{
    KeyList list(kLightKeyListType);
    LightPtr light = Light::Create(LightType::Spot, 1, 0.5f, 0);
    light->SetUmbra(0.3f);
    light->SetConstantAttenuation(2);
    SetLightKey(list, 10, LightProperty::Umbra, *light);
    ASSERT_EQ(list.lightKeys.size(), 1u);
    const LightKey& key = list.lightKeys[0];
    EXPECT_EQ(key.umbra, 0.3f);
    EXPECT_EQ(key.color, kUnsetKeyColor);
    EXPECT_EQ(key.range, kUnsetKeyValue);
    EXPECT_EQ(key.penumbra, kUnsetKeyValue);
    EXPECT_EQ(key.constantAttenuation, kUnsetKeyValue);
    SetLightKey(list, 10, LightProperty::Attenuation, *light);
    EXPECT_EQ(list.lightKeys[0].constantAttenuation, 2.0f);
    EXPECT_EQ(list.lightKeys[0].linearAttenuation, 0.0f);
    EXPECT_EQ(list.lightKeys[0].umbra, 0.3f);
}

// --- objects -----------------------------------------------------------------------------------

TEST_F(AnimationTest, MovingTwiceAtOneFrameLeavesTheStartKeyAndOneKeyThere)
{
    FramePtr box = Box("Box", {1, 0, 0});
    AnimateAt(30);
    for (const Vec3& to : {Vec3{5, 0, 0}, Vec3{6, 1, 0}}) {
        animation.RecordStartKeys(box);
        box->SetPosition(scene.Scene().get(), to);
        animation.RecordCurrentKeys(box);
    }
    const auto& keys = Keys(box).objectKeys;
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0].time, 0.0f);
    EXPECT_EQ(keys[0].position, (Vec3{1, 0, 0}));
    EXPECT_EQ(keys[0].positionReference.lock(), scene.Scene()) << "relative to the parent";
    EXPECT_EQ(keys[1].time, 30.0f);
    EXPECT_EQ(keys[1].position, (Vec3{6, 1, 0}));
    EXPECT_TRUE(Flags(box)[kAnimated] && Flags(box)[kPositionStarted] && Flags(box)[kOrientationStarted]);
    EXPECT_EQ(Interpolator(box).GetKeyCount(FrameChannel::Position), 2u);

    // The in-between frame is in between.
    animation.ShowFrame(15);
    EXPECT_TRUE(NearlyEqual(At(box), {3.5f, 0.5f, 0}, 1e-4f)) << At(box);
}

TEST_F(AnimationTest, NothingIsRecordedUnlessAnimatingOrWithoutAnInterpolator)
{
    FramePtr box = Box("Box", {});
    EXPECT_FALSE(animation.RecordStartKey(box, ObjectProperty::Position));
    EXPECT_FALSE(animation.RecordKey(box, ObjectProperty::Position, 3));
    transport.Animate();
    // A frame with a record but no interpolator (a patch's control point),
    // one without a record, and none at all.
    FramePtr point = Frame::Create(scene.Scene().get());
    AttachRecord(*point, std::make_unique<ObjectRecord>(kControlPoint, ""));
    EXPECT_FALSE(animation.RecordStartKey(point, ObjectProperty::Position));
    EXPECT_EQ(RecordOf(point.get())->animFlags[kPositionStarted], 0) << "no flag without its key";
    EXPECT_FALSE(animation.RecordKey(Frame::Create(scene.Scene().get()), ObjectProperty::Position, 1));
    EXPECT_FALSE(animation.RecordKey(nullptr, ObjectProperty::Position, 1));
    EXPECT_TRUE(Keys(box).objectKeys.empty());
}

TEST_F(AnimationTest, AKeyListOfManyKeysPlaysBackByLookUp)
{
    // 100,000 keys on one object: recording them is linear in the list only
    // for the exact-time search, and showing any frame is a look-up.
    FramePtr box = Box("Box", {});
    transport.EnterMaxFrames("10000");
    transport.Animate();
    for (int i = 0; i < 100000; ++i) {
        animation.SetCurrentFrame(static_cast<float>(i) * 0.1f);
        Interpolator(box).SetIndex(static_cast<float>(i) * 0.1f);
        Interpolator(box).SetPosition(scene.Scene().get(), {static_cast<float>(i), 0, 0});
    }
    EXPECT_EQ(Interpolator(box).GetKeyCount(), 100000u);
    animation.ShowFrame(5000.05f);
    EXPECT_NEAR(At(box).x, 50000.5f, 0.05f);
}

// --- lights --------------------------------------------------------------------------------------

TEST_F(AnimationTest, ChangingOnlyTheUmbraKeysOnlyTheUmbraAtZeroAndNow)
{
    auto [frame, light] = MakeLight();
    light->SetUmbra(0.2f);
    AnimateAt(10);
    animation.BeforeLightChange(light, LightProperty::Umbra);
    light->SetUmbra(0.6f);
    animation.AfterLightChange(light, LightProperty::Umbra);
    const LightRecord& record = *RecordOf(light.get());
    const auto& keys = record.keyList->lightKeys;
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0].time, 0.0f);
    EXPECT_EQ(keys[0].umbra, 0.2f);
    EXPECT_EQ(keys[1].time, 10.0f);
    EXPECT_EQ(keys[1].umbra, 0.6f);
    for (const LightKey& key : keys) {
        EXPECT_EQ(key.color, kUnsetKeyColor);
        EXPECT_EQ(key.range, kUnsetKeyValue);
        EXPECT_EQ(key.penumbra, kUnsetKeyValue);
        EXPECT_EQ(key.linearAttenuation, kUnsetKeyValue);
    }
    EXPECT_TRUE(record.flags[kLightAnimated] && record.flags[kUmbraStarted]);
    EXPECT_FALSE(record.flags[kColorStarted]);
    EXPECT_EQ(record.interpolator->GetKeyCount(LightChannel::Umbra), 2u);
    EXPECT_EQ(record.interpolator->GetKeyCount(LightChannel::Color), 0u);

    // A second property keeps its own start key; the umbra's stays as it was.
    animation.BeforeLightChange(light, LightProperty::Color);
    light->SetColorRGB(0, 1, 0);
    animation.AfterLightChange(light, LightProperty::Color);
    EXPECT_EQ(record.keyList->lightKeys.size(), 2u) << "the same two times";
    EXPECT_NE(record.keyList->lightKeys[0].color, kUnsetKeyColor);
    animation.ShowFrame(5);
    EXPECT_NEAR(light->GetUmbra(), 0.4f, 1e-5f);
    EXPECT_NEAR(light->GetColor().r, 0.5f, 1e-5f);  // white at 0, green at 10
    EXPECT_NEAR(light->GetColor().g, 1.0f, 1e-5f);
}

// --- the world -------------------------------------------------------------------------------------

TEST_F(AnimationTest, FogAndBackgroundKeysGoToTheWorldsInterpolator)
{
    SceneProperties& props = scene.World()->Scene();
    props.fogColor = {0, 0, 0, 1};
    props.background = {0, 0, 0, 1};
    AnimateAt(20);
    animation.BeforeWorldChange(WorldProperty::FogColor);
    props.fogColor = {1, 0, 0, 1};
    animation.AfterWorldChange(WorldProperty::FogColor);
    // The background shares the fog colour's start flag: no second start key.
    animation.BeforeWorldChange(WorldProperty::Background);
    props.background = {0, 0, 1, 1};
    animation.AfterWorldChange(WorldProperty::Background);
    animation.BeforeWorldChange(WorldProperty::FogParams);
    props.fogEnd = 50;
    animation.AfterWorldChange(WorldProperty::FogParams);

    FrameInterpolator& world = Interpolator(scene.World());
    EXPECT_EQ(world.GetKeyCount(FrameChannel::FogColor), 2u);
    EXPECT_EQ(world.GetKeyCount(FrameChannel::Background), 1u);
    EXPECT_EQ(world.GetKeyCount(FrameChannel::FogParams), 2u);
    EXPECT_TRUE(Keys(scene.World()).objectKeys.empty()) << "world keys are not saved";
    animation.ShowFrame(10);
    EXPECT_NEAR(props.fogColor.r, 0.5f, 1e-5f);
    EXPECT_NEAR(props.fogEnd, 75.0f, 1e-3f);
}

// --- clearing and undo -------------------------------------------------------------------------------

TEST_F(AnimationTest, ClearAnimationEmptiesEveryKeyAndFlagSoTheNextEditStartsAgain)
{
    FramePtr box = Box("Box", {});
    auto [frame, light] = MakeLight();
    AnimateAt(30);
    animation.RecordStartKeys(box);
    box->SetPosition(scene.Scene().get(), {3, 0, 0});
    animation.RecordCurrentKeys(box);
    animation.BeforeLightChange(light, LightProperty::Range);
    light->SetRange(9);
    animation.AfterLightChange(light, LightProperty::Range);

    transport.ClearAnimation();
    EXPECT_EQ(transport.State(), TransportState::Stopped);
    EXPECT_TRUE(Keys(box).objectKeys.empty());
    EXPECT_EQ(Interpolator(box).GetKeyCount(), 0u);
    EXPECT_FALSE(Flags(box)[kAnimated] || Flags(box)[kPositionStarted] || Flags(box)[kOrientationStarted]);
    EXPECT_TRUE(RecordOf(light.get())->keyList->lightKeys.empty());
    EXPECT_EQ(RecordOf(light.get())->interpolator->GetKeyCount(), 0u);
    EXPECT_EQ(RecordOf(light.get())->flags, (std::array<uint8_t, 6>{}));

    // The next edit while animating keeps its frame-0 value again.
    AnimateAt(10);
    {
        EditStep step(scene.History(), "Move", true);
        animation.RecordStartKeys(box);
        box->SetPosition(scene.Scene().get(), {5, 0, 0});
        animation.RecordCurrentKeys(box);
    }
    ASSERT_EQ(Keys(box).objectKeys.size(), 2u);
    EXPECT_EQ(Keys(box).objectKeys[0].position, (Vec3{3, 0, 0}));

    // Clear Animation is a step too.
    ASSERT_TRUE(scene.History().Undo());  // the edit
    ASSERT_TRUE(scene.History().Undo());  // the clearing
    EXPECT_EQ(Keys(box).objectKeys.size(), 2u);
    EXPECT_EQ(Keys(box).objectKeys[1].position, (Vec3{3, 0, 0}));
    EXPECT_EQ(RecordOf(light.get())->keyList->lightKeys.size(), 2u);
}

TEST_F(AnimationTest, UndoTakesARecordedKeyBackWithItsFlags)
{
    FramePtr box = Box("Box", {});
    AnimateAt(30);
    {
        EditStep step(scene.History(), "Move", true);
        scene.History().Touch<TransformAspect>(box);
        animation.RecordStartKeys(box);
        box->SetPosition(scene.Scene().get(), {4, 0, 0});
        animation.RecordCurrentKeys(box);
    }
    ASSERT_EQ(Keys(box).objectKeys.size(), 2u);
    ASSERT_TRUE(scene.History().Undo());
    EXPECT_TRUE(Keys(box).objectKeys.empty());
    EXPECT_EQ(Interpolator(box).GetKeyCount(), 0u);
    EXPECT_FALSE(Flags(box)[kPositionStarted]);
    EXPECT_EQ(At(box), (Vec3{0, 0, 0}));
    ASSERT_TRUE(scene.History().Redo());
    EXPECT_EQ(Keys(box).objectKeys.size(), 2u);
    EXPECT_EQ(Interpolator(box).GetKeyCount(FrameChannel::Position), 2u);
    EXPECT_TRUE(Flags(box)[kPositionStarted]);
}

} // namespace
} // namespace corvid::testing
