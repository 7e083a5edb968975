#include "platform/Interpolator.h"

#include "platform/Frame.h"
#include "platform/Light.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace corvid {
namespace {

constexpr unsigned kOpenLinear = kInterpolationOpen | kInterpolationLinear;
constexpr unsigned kClosedLinear = kInterpolationClosed | kInterpolationLinear;
constexpr unsigned kOpenSpline = kInterpolationOpen | kInterpolationSpline;
constexpr unsigned kClosedSpline = kInterpolationClosed | kInterpolationSpline;
constexpr unsigned kOpenNearest = kInterpolationOpen | kInterpolationNearest;
constexpr unsigned kClosedNearest = kInterpolationClosed | kInterpolationNearest;

// A light whose range is keyed at (index, value) pairs, read back at t.
struct RangeRig {
    std::shared_ptr<LightInterpolator> interp = LightInterpolator::Create();
    LightPtr light = Light::Create(LightType::Spot, 1, 1, 1);

    explicit RangeRig(std::initializer_list<std::pair<float, float>> keys)
    {
        for (auto [index, value] : keys) {
            interp->SetIndex(index);
            interp->SetRange(value);
        }
        interp->AttachObject(light);
    }
    float At(float t, unsigned options)
    {
        interp->Interpolate(t, options);
        return light->GetRange();
    }
};

// Keys 0:0, 10:10, 20:40 and 40:20. Closed, the key at 40 only ends the loop,
// so from 20 to 40 the value runs from 40 back to the first key's 0.
struct OptionCase {
    const char* name;
    unsigned options;
    float t;
    float expected;
};

const OptionCase kOptionCases[] = {
    {"OpenLinearAtKey", kOpenLinear, 10, 10},
    {"OpenLinearBetween", kOpenLinear, 15, 25},
    {"OpenLinearLastSegment", kOpenLinear, 30, 30},
    {"OpenLinearBeforeFirst", kOpenLinear, -5, 0},
    {"OpenLinearBeyondLast", kOpenLinear, 50, 20},
    {"NoBlendBitsIsLinear", kInterpolationOpen, 15, 25},
    {"NoBitsAtAllIsOpenLinear", 0, 50, 20},
    {"ClosedLinearAtKey", kClosedLinear, 20, 40},
    {"ClosedLinearBetween", kClosedLinear, 15, 25},
    {"ClosedLinearRunsBackToFirst", kClosedLinear, 30, 20},
    {"ClosedLinearLastKeyIgnored", kClosedLinear, 40, 0},
    {"ClosedLinearBeforeFirstWraps", kClosedLinear, -5, 10},
    {"ClosedLinearBeyondLastWraps", kClosedLinear, 50, 10},
    {"ClosedLinearManyPeriodsAway", kClosedLinear, 415, 25},
    {"OpenNearestAtKey", kOpenNearest, 20, 40},
    {"OpenNearestBetweenEarlier", kOpenNearest, 14, 10},
    {"OpenNearestBetweenLater", kOpenNearest, 16, 40},
    {"OpenNearestTieTakesLater", kOpenNearest, 15, 40},
    {"OpenNearestBeforeFirst", kOpenNearest, -5, 0},
    {"OpenNearestBeyondLast", kOpenNearest, 50, 20},
    {"ClosedNearestBetween", kClosedNearest, 29, 40},
    {"ClosedNearestLoopEndIsFirstKey", kClosedNearest, 31, 0},
    {"ClosedNearestTieTakesLoopEnd", kClosedNearest, 30, 0},
    {"ClosedNearestBeforeFirstWraps", kClosedNearest, -4, 0},
    {"ClosedNearestBeyondLastWraps", kClosedNearest, 51, 10},
    {"NearestBeatsSpline", kOpenNearest | kInterpolationSpline, 14, 10},
    {"OpenSplineAtKey", kOpenSpline, 20, 40},
    {"OpenSplineBeforeFirst", kOpenSpline, -5, 0},
    {"OpenSplineBeyondLast", kOpenSpline, 50, 20},
    {"ClosedSplineAtKey", kClosedSpline, 10, 10},
    {"ClosedSplineLastKeyIgnored", kClosedSpline, 40, 0},
    {"ClosedSplineBeyondLastWraps", kClosedSpline, 60, 40},
    {"ClosedSplineBeforeFirstWraps", kClosedSpline, -30, 10},
};

class OptionTable : public testing::TestWithParam<OptionCase> {};

TEST_P(OptionTable, RangeAtIndex)
{
    const OptionCase& c = GetParam();
    RangeRig rig{{0, 0}, {10, 10}, {20, 40}, {40, 20}};
    EXPECT_NEAR(rig.At(c.t, c.options), c.expected, 1e-4f);
    EXPECT_EQ(rig.interp->GetIndex(), c.t);
}

INSTANTIATE_TEST_SUITE_P(Interpolator, OptionTable, testing::ValuesIn(kOptionCases),
                         [](const testing::TestParamInfo<OptionCase>& p) { return std::string(p.param.name); });

TEST(InterpolatorSpline, PassesThroughEveryKeyAndBendsSmoothly)
{
    RangeRig peak{{0, 0}, {10, 10}, {20, 0}};
    for (float t : {0.0f, 10.0f, 20.0f})
        EXPECT_FLOAT_EQ(peak.At(t, kOpenSpline), peak.At(t, kOpenLinear)) << t;

    // Linear turns sharply at the peak; the spline's slope carries through.
    auto kink = [&](unsigned options) {
        float before = peak.At(9.9f, options), at = peak.At(10, options), after = peak.At(10.1f, options);
        return std::fabs((after - at) - (at - before)) / 0.1f;
    };
    EXPECT_GT(kink(kOpenLinear), 1.5f);
    EXPECT_LT(kink(kOpenSpline), 0.2f);

    // Toward the peak the curve swells above the straight line.
    float mid = peak.At(5, kOpenSpline);
    EXPECT_GT(mid, 5.0f);
    EXPECT_LT(mid, 10.0f);
    EXPECT_NEAR(peak.At(15, kOpenSpline), mid, 1e-4f);  // symmetric keys, symmetric curve

    // Evenly moving keys stay evenly moving between the inner keys.
    RangeRig ramp{{0, 0}, {10, 10}, {20, 20}, {30, 30}};
    EXPECT_NEAR(ramp.At(12.5f, kOpenSpline), 12.5f, 1e-4f);
    EXPECT_NEAR(ramp.At(17, kOpenSpline), 17.0f, 1e-4f);
    // ... also when the keys are unevenly spaced.
    RangeRig uneven{{0, 0}, {10, 10}, {40, 40}, {50, 50}};
    EXPECT_NEAR(uneven.At(18, kOpenSpline), 18.0f, 1e-3f);
    EXPECT_NEAR(uneven.At(33, kOpenSpline), 33.0f, 1e-3f);
}

TEST(InterpolatorSpline, ClosedLoopIsSmoothAcrossTheSeam)
{
    // Loop 0, 10, 20, 10 and back to 0: a valley at 0 and a peak at 20.
    RangeRig loop{{0, 0}, {10, 10}, {20, 20}, {30, 10}, {40, 99}};
    EXPECT_NEAR(loop.At(-1, kClosedSpline), loop.At(1, kClosedSpline), 1e-4f);
    EXPECT_NEAR(loop.At(39, kClosedSpline), loop.At(1, kClosedSpline), 1e-4f);
    EXPECT_NEAR(loop.At(17, kClosedSpline), loop.At(23, kClosedSpline), 1e-4f);
    EXPECT_LT(loop.At(5, kClosedSpline), 5.0f);    // sags near the valley
    EXPECT_GT(loop.At(15, kClosedSpline), 15.0f);  // swells near the peak
    // Open, the first key has no neighbour before it and the curve leaves it
    // rising instead of flat.
    EXPECT_GT(loop.At(1, kOpenSpline), loop.At(1, kClosedSpline));
}

TEST(InterpolatorKeys, CountsAndEdgeCases)
{
    struct Case {
        const char* name;
        std::initializer_list<std::pair<float, float>> keys;
        float t;
        unsigned options;
        float expected;
    };
    const Case cases[] = {
        {"NoKeysLeavesValue", {}, 5, kOpenLinear, 256.0f},
        {"OneKeyEverywhereOpen", {{3, 7}}, -100, kOpenSpline, 7.0f},
        {"OneKeyEverywhereClosed", {{3, 7}}, 100, kClosedLinear, 7.0f},
        {"TwoKeysClosedHoldFirst", {{0, 1}, {10, 5}}, 5, kClosedLinear, 1.0f},
        {"ReplacedKeyUsed", {{0, 1}, {10, 5}, {10, 9}}, 10, kOpenLinear, 9.0f},
        {"KeysInAnyOrder", {{20, 2}, {0, 0}, {10, 1}}, 15, kOpenLinear, 1.5f},
    };
    for (const Case& c : cases) {
        RangeRig rig{c.keys};
        EXPECT_FLOAT_EQ(rig.At(c.t, c.options), c.expected) << c.name;
    }

    RangeRig replaced{{0, 1}, {10, 5}, {10, 9}};
    ASSERT_EQ(replaced.interp->GetKeyCount(LightChannel::Range), 2u);
    EXPECT_EQ(replaced.interp->GetScalarKeys(LightChannel::Range)[1].value, 9.0f);
}

TEST(InterpolatorKeys, DeleteKeysAndSpan)
{
    auto interp = FrameInterpolator::Create();
    EXPECT_FALSE(interp->GetKeySpan());
    for (float t : {0.0f, 5.0f, 10.0f}) {
        interp->SetIndex(t);
        interp->SetPosition(nullptr, {t, 0, 0});
    }
    interp->SetIndex(15);
    interp->SetSceneBackground({1, 0, 0, 1});
    ASSERT_TRUE(interp->GetKeySpan());
    EXPECT_EQ(interp->GetKeySpan()->first, 0.0f);
    EXPECT_EQ(interp->GetKeySpan()->last, 15.0f);

    EXPECT_EQ(interp->DeleteKeys(12, 3), 0u);
    EXPECT_EQ(interp->DeleteKeys(std::nanf(""), 100), 0u);
    EXPECT_EQ(interp->DeleteKeys(5, 15), 3u);  // both ends inclusive, all channels
    EXPECT_EQ(interp->GetKeyCount(), 1u);
    EXPECT_EQ(interp->GetPositionKeys()[0].index, 0.0f);
}

TEST(InterpolatorKeys, BadInputIsRefused)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    auto interp = LightInterpolator::Create();
    auto light = Light::Create(LightType::Point, 1, 1, 1);
    interp->SetIndex(4);
    EXPECT_FALSE(interp->SetIndex(nan));
    EXPECT_FALSE(interp->SetIndex(inf));
    EXPECT_EQ(interp->GetIndex(), 4.0f);
    EXPECT_FALSE(interp->SetUmbra(nan));
    EXPECT_FALSE(interp->SetColor(ColorRGBA{inf, 0, 0, 1}));
    EXPECT_EQ(interp->GetKeyCount(), 0u);
    EXPECT_FALSE(interp->AttachObject(LightPtr{}));

    interp->SetUmbra(0.2f);
    ASSERT_TRUE(interp->AttachObject(light));
    EXPECT_TRUE(interp->AttachObject(light));  // no second entry
    EXPECT_EQ(interp->GetAttachedLights().size(), 1u);
    interp->Interpolate(-inf, kOpenLinear);
    EXPECT_EQ(interp->GetIndex(), 4.0f);
    EXPECT_EQ(light->GetUmbra(), 0.4f);

    auto frames = FrameInterpolator::Create();
    EXPECT_FALSE(frames->SetOrientation(nullptr, {0, 0, 0}, {0, 1, 0}));
    EXPECT_FALSE(frames->SetPosition(nullptr, {nan, 0, 0}));
    EXPECT_FALSE(frames->AttachObject(FramePtr{}));
}

TEST(LightInterpolator, ChannelKeyedAloneLeavesOthers)
{
    auto interp = LightInterpolator::Create();
    auto light = Light::Create(LightType::Spot, 0.5f, 0.25f, 0.125f);
    light->SetRange(30);
    interp->SetIndex(0);
    interp->SetUmbra(0.1f);
    interp->SetIndex(10);
    interp->SetUmbra(0.3f);
    interp->AttachObject(light);

    interp->Interpolate(5, kOpenLinear);
    EXPECT_FLOAT_EQ(light->GetUmbra(), 0.2f);
    EXPECT_EQ(light->GetColor(), (ColorRGBA{0.5f, 0.25f, 0.125f, 1}));
    EXPECT_EQ(light->GetRange(), 30.0f);
    EXPECT_EQ(light->GetPenumbra(), 0.5f);
    EXPECT_EQ(light->GetConstantAttenuation(), 1.0f);
    EXPECT_EQ(interp->GetKeyCount(LightChannel::Color), 0u);
}

TEST(LightInterpolator, EveryChannelReachesTheLight)
{
    auto interp = LightInterpolator::Create();
    auto light = Light::Create(LightType::Spot, 1, 1, 1);
    interp->SetIndex(0);
    interp->SetColor(0, 0, 0);
    interp->SetRange(10);
    interp->SetPenumbra(0.6f);
    interp->SetConstantAttenuation(1);
    interp->SetLinearAttenuation(0);
    interp->SetQuadraticAttenuation(0);
    interp->SetIndex(2);
    interp->SetColor(ColorRGBA{1, 0.5f, 0, 0.2f});
    interp->SetRange(20);
    interp->SetPenumbra(1.0f);
    interp->SetConstantAttenuation(3);
    interp->SetLinearAttenuation(1);
    interp->SetQuadraticAttenuation(0.5f);
    interp->AttachObject(light);

    interp->Interpolate(1, kOpenLinear);
    EXPECT_EQ(light->GetColor(), (ColorRGBA{0.5f, 0.25f, 0, 1}));
    EXPECT_FLOAT_EQ(light->GetRange(), 15);
    EXPECT_FLOAT_EQ(light->GetPenumbra(), 0.8f);
    EXPECT_FLOAT_EQ(light->GetConstantAttenuation(), 2);
    EXPECT_FLOAT_EQ(light->GetLinearAttenuation(), 0.5f);
    EXPECT_FLOAT_EQ(light->GetQuadraticAttenuation(), 0.25f);
    EXPECT_EQ(interp->GetColorKeys()[1].color.a, 1.0f);  // lights have no alpha

    // A spline does not push a colour beyond its keys.
    interp->SetIndex(4);
    interp->SetColor(1, 1, 1);
    interp->SetIndex(6);
    interp->SetColor(1, 1, 1);
    for (float t = 0; t <= 6; t += 0.25f) {
        interp->Interpolate(t, kOpenSpline);
        EXPECT_LE(light->GetColor().r, 1.0f) << t;
        EXPECT_GE(light->GetColor().b, 0.0f) << t;
    }
}

TEST(FrameInterpolator, PositionAloneLeavesOrientationAndScene)
{
    auto frame = Frame::Create();
    frame->SetOrientation(nullptr, {1, 0, 0}, {0, 1, 0});
    frame->Scene().background = {0, 0, 1, 1};
    auto interp = FrameInterpolator::Create();
    interp->SetIndex(0);
    interp->SetPosition(nullptr, {0, 0, 0});
    interp->SetIndex(4);
    interp->SetPosition(nullptr, {4, 8, 0});
    interp->AttachObject(frame);

    interp->Interpolate(1, kOpenLinear);
    EXPECT_TRUE(NearlyEqual(frame->GetPosition(nullptr), {1, 2, 0}));
    Vec3 dir, up;
    frame->GetOrientation(nullptr, dir, up);
    EXPECT_TRUE(NearlyEqual(dir, {1, 0, 0}));
    EXPECT_EQ(frame->Scene().background, (ColorRGBA{0, 0, 1, 1}));
}

TEST(FrameInterpolator, OrientationTurnsAlongTheShortArc)
{
    const float h = std::sqrt(0.5f);
    // "Back" turns a quarter turn about y and back again; "Around" keeps
    // turning the same way a quarter turn per key.
    auto keyed = [](std::initializer_list<Vec3> directions) {
        auto interp = FrameInterpolator::Create();
        float t = 0;
        for (const Vec3& d : directions) {
            interp->SetIndex(t);
            interp->SetOrientation(nullptr, d, {0, 1, 0});
            t += 10;
        }
        return interp;
    };
    auto back = keyed({{0, 0, 1}, {1, 0, 0}, {0, 0, 1}});
    auto around = keyed({{0, 0, 1}, {1, 0, 0}, {0, 0, -1}, {-1, 0, 0}});
    // Turning 100 degrees per key.
    auto turn = [](float degrees) {
        float a = degrees * kPi / 180;
        return Vec3{std::sin(a), 0, std::cos(a)};
    };
    auto wide = keyed({turn(0), turn(100), turn(200), turn(300), turn(400), turn(500)});
    struct Case {
        const char* name;
        FrameInterpolator* interp;
        unsigned options;
        float t;
        Vec3 direction;
    };
    const Case cases[] = {
        {"LinearHalfway", back.get(), kOpenLinear, 5, {h, 0, h}},
        {"LinearAtFirstKey", back.get(), kOpenLinear, 0, {0, 0, 1}},
        {"LinearBeyondLast", back.get(), kOpenLinear, 25, {0, 0, 1}},
        {"NearestBefore", back.get(), kOpenNearest, 4, {0, 0, 1}},
        {"NearestAfter", back.get(), kOpenNearest, 6, {1, 0, 0}},
        {"ClosedLoopsBackHalfway", back.get(), kClosedLinear, 15, {h, 0, h}},
        {"SplineAtKey", back.get(), kOpenSpline, 10, {1, 0, 0}},
        {"SplineEvenTurnHalfway", around.get(), kOpenSpline, 15, {h, 0, -h}},
        {"SplineBeforeFirst", around.get(), kOpenSpline, -5, {0, 0, 1}},
        {"SplineWideEvenTurn", wide.get(), kOpenSpline, 17, turn(170)},
        {"SplineWideEvenTurnLater", wide.get(), kOpenSpline, 23, turn(230)},
        {"SplineWideEvenTurnLatest", wide.get(), kOpenSpline, 33, turn(330)},
    };

    auto frame = Frame::Create();
    frame->SetPosition(nullptr, {3, 4, 5});
    back->AttachObject(frame);
    around->AttachObject(frame);
    wide->AttachObject(frame);
    for (const Case& c : cases) {
        c.interp->Interpolate(c.t, c.options);
        Vec3 dir, up;
        frame->GetOrientation(nullptr, dir, up);
        EXPECT_TRUE(NearlyEqual(dir, c.direction, 1e-4f)) << c.name;
        EXPECT_TRUE(NearlyEqual(up, {0, 1, 0}, 1e-4f)) << c.name;
        EXPECT_TRUE(NearlyEqual(frame->GetPosition(nullptr), {3, 4, 5}, 1e-4f)) << c.name;
    }

    // On the turn-and-back keys the spline eases out of the first key, so it
    // lags the steady turn early in the segment.
    back->Interpolate(2, kOpenSpline);
    Vec3 dir, up;
    frame->GetOrientation(nullptr, dir, up);
    float splineAngle = std::atan2(dir.x, dir.z);
    EXPECT_GT(splineAngle, 0.0f);
    EXPECT_LT(splineAngle, kPi / 2 * 0.2f);
}

TEST(FrameInterpolator, SceneFogAndBackgroundOnRoot)
{
    auto root = Frame::Create();
    root->Scene().fogEnabled = true;
    auto interp = FrameInterpolator::Create();
    interp->SetIndex(0);
    interp->SetSceneFogColor({0, 0, 0, 1});
    interp->SetSceneFogParams(1, 10, 0);
    interp->SetSceneBackground({1, 0, 0, 1});
    interp->SetIndex(10);
    interp->SetSceneFogColor({1, 1, 1, 1});
    interp->SetSceneFogParams(3, 30, 0.5f);
    interp->SetSceneBackground({0, 1, 0, 1});
    interp->AttachObject(root);

    interp->Interpolate(5, kOpenLinear);
    const SceneProperties& scene = root->Scene();
    EXPECT_EQ(scene.fogColor, (ColorRGBA{0.5f, 0.5f, 0.5f, 1}));
    EXPECT_FLOAT_EQ(scene.fogStart, 2);
    EXPECT_FLOAT_EQ(scene.fogEnd, 20);
    EXPECT_FLOAT_EQ(scene.fogDensity, 0.25f);
    EXPECT_EQ(scene.background, (ColorRGBA{0.5f, 0.5f, 0, 1}));
    EXPECT_TRUE(scene.fogEnabled);
    EXPECT_TRUE(NearlyEqual(root->GetPosition(nullptr), {0, 0, 0}));
}

TEST(FrameInterpolator, KeysRelativeToReferenceFrames)
{
    auto root = Frame::Create();
    auto ref = Frame::Create(root.get());
    ref->AddRotation(Combine::Replace, {0, 1, 0}, kPi / 2);
    ref->AddTranslation(Combine::After, {10, 0, 0});
    ref->AddScale(Combine::Before, {2, 2, 2});
    auto mover = Frame::Create(root.get());

    // Both keys relative to ref: every in-between lands where ref maps it.
    auto same = FrameInterpolator::Create();
    same->SetIndex(0);
    same->SetPosition(ref.get(), {0, 0, 0});
    same->SetIndex(10);
    same->SetPosition(ref.get(), {1, 0, 0});
    same->AttachObject(mover);
    for (float t : {0.0f, 5.0f, 10.0f, 20.0f}) {
        same->Interpolate(t, kOpenLinear);
        Vec3 expected = ref->Transform({std::min(t, 10.0f) / 10.0f, 0, 0});
        EXPECT_TRUE(NearlyEqual(mover->GetPosition(nullptr), expected, 1e-4f)) << t;
    }
    EXPECT_EQ(same->GetPositionKeys()[1].reference.lock(), ref);

    // Mixed references meet halfway between the two keys' world positions.
    auto mixed = FrameInterpolator::Create();
    mixed->SetIndex(0);
    mixed->SetPosition(nullptr, {0, 4, 0});
    mixed->SetIndex(10);
    mixed->SetPosition(ref.get(), {0, 0, 1});
    mixed->AttachObject(mover);
    mixed->Interpolate(5, kOpenLinear);
    Vec3 end = ref->Transform({0, 0, 1});
    EXPECT_TRUE(NearlyEqual(mover->GetPosition(nullptr), (Vec3{0, 4, 0} + end) * 0.5f, 1e-4f));

    // Orientation keyed in ref's space turns with ref.
    auto turn = FrameInterpolator::Create();
    turn->SetIndex(0);
    turn->SetOrientation(ref.get(), {0, 0, 1}, {0, 1, 0});
    turn->AttachObject(mover);
    turn->Interpolate(0, kOpenLinear);
    Vec3 dir, up;
    mover->GetOrientation(ref.get(), dir, up);
    EXPECT_TRUE(NearlyEqual(dir, {0, 0, 1}, 1e-4f));
}

TEST(FrameInterpolator, DeadFramesAreSkipped)
{
    auto interp = FrameInterpolator::Create();
    auto keep = Frame::Create();
    auto ref = Frame::Create();
    ref->AddTranslation(Combine::Replace, {100, 0, 0});
    interp->SetIndex(0);
    interp->SetPosition(nullptr, {1, 0, 0});
    interp->SetIndex(10);
    interp->SetPosition(ref.get(), {0, 0, 0});
    {
        auto doomed = Frame::Create();
        interp->AttachObject(doomed);
        interp->AttachObject(keep);
    }
    // The attached frame died: the live one is still driven.
    interp->Interpolate(0, kOpenLinear);
    EXPECT_TRUE(NearlyEqual(keep->GetPosition(nullptr), {1, 0, 0}));
    EXPECT_EQ(interp->GetAttachedFrames().size(), 1u);

    // The reference of a key died: blends that need it are skipped, a blend
    // of keys that do not still applies.
    ref.reset();
    keep->SetPosition(nullptr, {7, 7, 7});
    interp->Interpolate(5, kOpenLinear);
    EXPECT_TRUE(NearlyEqual(keep->GetPosition(nullptr), {7, 7, 7}));
    interp->Interpolate(-1, kOpenLinear);
    EXPECT_TRUE(NearlyEqual(keep->GetPosition(nullptr), {1, 0, 0}));
    EXPECT_TRUE(interp->GetPositionKeys()[1].hasReference);
    auto other = Frame::Create();
    interp->AttachObject(other);
    EXPECT_TRUE(interp->DetachObject(keep));
    EXPECT_FALSE(interp->DetachObject(keep));
    ASSERT_EQ(interp->GetAttachedFrames().size(), 1u);
    EXPECT_EQ(interp->GetAttachedFrames()[0], other);
}

TEST(MasterInterpolator, InterpolatesEveryAttachedInterpolator)
{
    auto master = MasterInterpolator::Create();
    auto a = Frame::Create(), b = Frame::Create();
    auto light = Light::Create(LightType::Point, 1, 1, 1);
    auto moveA = FrameInterpolator::Create();
    auto moveB = FrameInterpolator::Create();
    auto dim = LightInterpolator::Create();
    for (float t : {0.0f, 10.0f}) {
        moveA->SetIndex(t);
        moveA->SetPosition(nullptr, {t, 0, 0});
        moveB->SetIndex(t);
        moveB->SetPosition(nullptr, {0, -t, 0});
        dim->SetIndex(t);
        dim->SetRange(100 - t);
    }
    moveA->AttachObject(a);
    moveB->AttachObject(b);
    dim->AttachObject(light);
    auto inner = MasterInterpolator::Create();
    ASSERT_TRUE(inner->AttachObject(moveB));
    ASSERT_TRUE(master->AttachObject(moveA));
    ASSERT_TRUE(master->AttachObject(inner));
    ASSERT_TRUE(master->AttachObject(dim));

    InterpolateTree(*master, 4, kOpenLinear);
    EXPECT_TRUE(NearlyEqual(a->GetPosition(nullptr), {4, 0, 0}));
    EXPECT_TRUE(NearlyEqual(b->GetPosition(nullptr), {0, -4, 0}));
    EXPECT_FLOAT_EQ(light->GetRange(), 96);
    EXPECT_EQ(moveB->GetIndex(), 4.0f);

    // The master's own keys come after its children's.
    master->SetIndex(0);
    master->SetPosition(nullptr, {-1, -1, -1});
    master->AttachObject(a);
    master->Interpolate(6, kOpenLinear);
    EXPECT_TRUE(NearlyEqual(a->GetPosition(nullptr), {-1, -1, -1}));
    EXPECT_TRUE(NearlyEqual(b->GetPosition(nullptr), {0, -6, 0}));

    EXPECT_TRUE(master->DetachObject(moveA));
    EXPECT_EQ(master->GetAttached().size(), 2u);
    EXPECT_TRUE(master->Holds(moveB.get()));
}

TEST(MasterInterpolator, RefusesLoops)
{
    auto top = MasterInterpolator::Create();
    auto middle = MasterInterpolator::Create();
    auto bottom = MasterInterpolator::Create();
    EXPECT_FALSE(top->AttachObject(InterpolatorPtr{}));
    EXPECT_FALSE(top->AttachObject(top));
    ASSERT_TRUE(top->AttachObject(middle));
    ASSERT_TRUE(middle->AttachObject(bottom));
    EXPECT_FALSE(bottom->AttachObject(top));
    EXPECT_FALSE(middle->AttachObject(top));
    EXPECT_TRUE(top->AttachObject(middle));  // already there: still one entry
    EXPECT_EQ(top->GetAttached().size(), 1u);
    EXPECT_FALSE(top->DetachObject(bottom));  // attached below, not here
}

} // namespace
} // namespace corvid
