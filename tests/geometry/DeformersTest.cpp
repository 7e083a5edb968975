// The drag deformers on a square column standing on the y axis: what a drag
// of nothing leaves (bit for bit), the values at the ends and the middle of
// the deformed part, continuity at the ends of a part range, the reversed
// axis, refusals, and finite results for any drag.

#include "geometry/Deformers.h"

#include "platform/MeshBuilder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>

namespace corvid {
namespace {

constexpr int kLevels = 41;       // rings from y = -2 to y = 2
constexpr float kHalfHeight = 2.0f;
constexpr float kHalfWidth = 0.5f;

float LevelY(int j) { return -kHalfHeight + 2.0f * kHalfHeight * static_cast<float>(j) / (kLevels - 1); }

// Four corners per ring, then the centre line, one point per ring; quads
// between the rings.
MeshBuilderPtr Column()
{
    auto mesh = MeshBuilder::Create();
    for (int j = 0; j < kLevels; ++j) {
        const float y = LevelY(j);
        mesh->AddVertex({-kHalfWidth, y, -kHalfWidth});
        mesh->AddVertex({kHalfWidth, y, -kHalfWidth});
        mesh->AddVertex({kHalfWidth, y, kHalfWidth});
        mesh->AddVertex({-kHalfWidth, y, kHalfWidth});
    }
    for (int j = 0; j < kLevels; ++j)
        mesh->AddVertex({0.0f, LevelY(j), 0.0f});
    for (int j = 0; j + 1 < kLevels; ++j)
        for (int k = 0; k < 4; ++k) {
            const int a = 4 * j + k, b = 4 * j + (k + 1) % 4;
            const int quad[4] = {a, b, b + 4, a + 4};
            mesh->AddFace(quad);
        }
    mesh->GenerateNormals(1.0f, kGenerateNormalsUseCreaseAngle);
    return mesh;
}

int CornerIndex(int level, int corner) { return 4 * level + corner; }
int CentreIndex(int level) { return 4 * kLevels + level; }

struct Run {
    Deformer kind;
    DeformerParameters p;
    DeformDrag drag;
};

std::vector<Vec3> Deformed(const Run& run, const std::vector<Vec3>& snapshot, bool* changed = nullptr)
{
    Box box;
    for (const Vec3& v : snapshot)
        box.Add(v);
    auto axis = MakeDeformAxis(run.kind, box, run.p);
    EXPECT_TRUE(axis);
    std::vector<Vec3> out;
    if (!axis)
        return snapshot;
    bool done = DeformPositions(run.kind, run.p, *axis, run.drag, snapshot, out);
    if (changed)
        *changed = done;
    return out;
}

DeformerParameters Defaults(Deformer kind) { return DeformerSet{}.Of(kind); }

DeformDrag Vertical(float h, bool right = false)
{
    DeformDrag d;
    d.h = h;
    d.right = right;
    return d;
}

DeformDrag Across(Vec3 direction, float distance)
{
    DeformDrag d;
    d.direction = direction;
    d.distance = distance;
    return d;
}

// The cross-section's scale at a level: the distance of its first corner
// from the centre line, against the half diagonal.
float CrossScale(const std::vector<Vec3>& v, int level)
{
    Vec3 c = v[static_cast<size_t>(CornerIndex(level, 0))] - v[static_cast<size_t>(CentreIndex(level))];
    return Length(c) / (kHalfWidth * std::sqrt(2.0f));
}

// The angle (degrees) a corner has turned about the y axis.
float TurnDegrees(const std::vector<Vec3>& before, const std::vector<Vec3>& after, int index)
{
    const Vec3 a = before[static_cast<size_t>(index)], b = after[static_cast<size_t>(index)];
    float angle = std::atan2(b.z, b.x) - std::atan2(a.z, a.x);
    angle = std::remainder(angle, 2.0f * kPi);
    return std::fabs(angle) / kDeformRadians;
}

bool AllFinite(const std::vector<Vec3>& v)
{
    for (const Vec3& p : v)
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z))
            return false;
    return true;
}

const Deformer kAll[] = {Deformer::Bend, Deformer::Twist, Deformer::Bulge, Deformer::Pull, Deformer::Taper};

TEST(DeformersTest, ADragOfNothingLeavesTheMeshBitForBit)
{
    const MeshBuilderPtr mesh = Column();
    const MeshContents start = DeformSnapshot(*mesh);
    const MeshContents whole = mesh->GetContents();
    for (Deformer kind : kAll) {
        SCOPED_TRACE(static_cast<int>(kind));
        const DeformerParameters p = Defaults(kind);
        auto axis = MakeDeformAxis(kind, mesh->GetBox(), p);
        ASSERT_TRUE(axis);
        std::vector<Vec3> work;
        // Nothing: no change is reported and every position is the snapshot's.
        const DeformDrag none = Across({1, 0, 0}, 0.0f);
        EXPECT_FALSE(DeformPositions(kind, p, *axis, none, start.vertices, work));
        EXPECT_EQ(work, start.vertices);
        // Out and back: the second move puts the press's mesh back exactly,
        // normals and faces included.
        DeformDrag out = kind == Deformer::Bend || kind == Deformer::Pull ? Across({1, 0, 0.5f}, 1.3f) : Vertical(1.3f);
        EXPECT_TRUE(ApplyDeform(*mesh, kind, p, *axis, out, start, work));
        EXPECT_NE(mesh->GetVertices(), start.vertices);
        EXPECT_FALSE(ApplyDeform(*mesh, kind, p, *axis, none, start, work));
        const MeshContents back = mesh->GetContents();
        EXPECT_EQ(back.vertices, whole.vertices);
        EXPECT_EQ(back.normals, whole.normals);
        EXPECT_EQ(back.corners, whole.corners);
    }
}

TEST(DeformersTest, TwistTurnsTheFarEndByTheDegreesPerUnit)
{
    const std::vector<Vec3> v = Column()->GetVertices();
    const std::vector<Vec3> out = Deformed({Deformer::Twist, Defaults(Deformer::Twist), Vertical(1.0f)}, v);
    EXPECT_NEAR(TurnDegrees(v, out, CornerIndex(kLevels - 1, 0)), 20.0f, 1e-3f);
    EXPECT_NEAR(TurnDegrees(v, out, CornerIndex(kLevels / 2, 0)), 10.0f, 1e-3f);
    EXPECT_EQ(out[static_cast<size_t>(CornerIndex(0, 0))], v[static_cast<size_t>(CornerIndex(0, 0))]);
    // Heights and the centre line stay; the cross-sections keep their size.
    for (int j = 0; j < kLevels; ++j) {
        EXPECT_NEAR(out[static_cast<size_t>(CornerIndex(j, 2))].y, LevelY(j), 1e-5f);
        EXPECT_NEAR(CrossScale(out, j), 1.0f, 1e-5f);
    }
}

TEST(DeformersTest, TaperScalesOneEndAndKeepsTheOther)
{
    const std::vector<Vec3> v = Column()->GetVertices();
    const float h = 3.0f;
    const float q = std::pow(1.1f, -h);
    const int top = kLevels - 1, middle = kLevels / 2;
    // Left drag: the start stays, the end is scaled by Q.
    std::vector<Vec3> left = Deformed({Deformer::Taper, Defaults(Deformer::Taper), Vertical(h)}, v);
    EXPECT_NEAR(CrossScale(left, 0), 1.0f, 1e-6f);
    EXPECT_NEAR(CrossScale(left, middle), (1.0f + q) / 2.0f, 1e-5f);
    EXPECT_NEAR(CrossScale(left, top), q, 1e-5f);
    EXPECT_NEAR(left[static_cast<size_t>(CornerIndex(top, 0))].y, kHalfHeight, 1e-6f);
    // Right drag: the reverse.
    std::vector<Vec3> right = Deformed({Deformer::Taper, Defaults(Deformer::Taper), Vertical(h, true)}, v);
    EXPECT_NEAR(CrossScale(right, 0), q, 1e-5f);
    EXPECT_NEAR(CrossScale(right, top), 1.0f, 1e-6f);
    // A range start above its end runs the axis backwards: a left drag then
    // scales the bottom.
    DeformerParameters reversed = Defaults(Deformer::Taper);
    reversed.lo = 1.0f;
    reversed.hi = 0.0f;
    std::vector<Vec3> back = Deformed({Deformer::Taper, reversed, Vertical(h)}, v);
    EXPECT_NEAR(CrossScale(back, 0), q, 1e-5f);
    EXPECT_NEAR(CrossScale(back, top), 1.0f, 1e-6f);
}

TEST(DeformersTest, BulgeGrowsTheMiddleByTheBaseToTheDrag)
{
    const std::vector<Vec3> v = Column()->GetVertices();
    for (float h : {0.0f, 10.0f, -4.0f}) {
        SCOPED_TRACE(h);
        bool changed = true;
        std::vector<Vec3> out = Deformed({Deformer::Bulge, Defaults(Deformer::Bulge), Vertical(h)}, v, &changed);
        EXPECT_EQ(changed, h != 0.0f);
        EXPECT_NEAR(CrossScale(out, kLevels / 2), std::pow(1.07f, h), 1e-4f);
        EXPECT_NEAR(CrossScale(out, 0), 1.0f, 1e-6f);
        EXPECT_NEAR(CrossScale(out, kLevels - 1), 1.0f, 1e-6f);
    }
}

TEST(DeformersTest, PullMovesTheMiddleByTheDragAndKeepsTheEnds)
{
    const std::vector<Vec3> v = Column()->GetVertices();
    for (float exponent : {1.0f, 3.0f}) {
        SCOPED_TRACE(exponent);
        DeformerParameters p = Defaults(Deformer::Pull);
        p.own = exponent;
        std::vector<Vec3> out = Deformed({Deformer::Pull, p, Across({2, 0, 0}, 1.5f)}, v);
        const Vec3 middle = out[static_cast<size_t>(CentreIndex(kLevels / 2))] - v[static_cast<size_t>(CentreIndex(kLevels / 2))];
        EXPECT_NEAR(middle.x, 1.5f, 1e-5f);
        EXPECT_NEAR(middle.y, 0.0f, 1e-6f);
        EXPECT_EQ(out[static_cast<size_t>(CentreIndex(0))], v[static_cast<size_t>(CentreIndex(0))]);
        EXPECT_NEAR(Length(out[static_cast<size_t>(CentreIndex(kLevels - 1))] - v[static_cast<size_t>(CentreIndex(kLevels - 1))]), 0.0f, 1e-5f);
        // A quarter of the way up: (d / 2)(1 - P(pi / 2)).
        const Vec3 quarter = out[static_cast<size_t>(CentreIndex(10))] - v[static_cast<size_t>(CentreIndex(10))];
        EXPECT_NEAR(quarter.x, 0.75f * (1.0f - PullProfile(kPi / 2.0f, exponent)), 1e-4f);
    }
    EXPECT_NEAR(PullProfile(0.0f, 2.0f), 1.0f, 1e-6f);
    EXPECT_NEAR(PullProfile(kPi, 2.0f), -1.0f, 1e-6f);
    EXPECT_NEAR(PullProfile(kPi / 2.0f, 2.0f), -0.5f, 1e-6f);
    // An asymmetry puts the lowest point at 2 pi / (b + 1).
    EXPECT_NEAR(PullProfile(2.0f * kPi / 3.0f, 1.0f, 2.0f), -1.0f, 1e-5f);
    EXPECT_NEAR(PullProfile(2.0f * kPi, 1.0f, 2.0f), 1.0f, 1e-5f);
}

TEST(DeformersTest, BendCurlsTheAxisIntoAnArcOfTheSameLength)
{
    const std::vector<Vec3> v = Column()->GetVertices();
    for (float d : {1.0f, 6.0f, 20.0f}) {  // 15, 90 and 300 degrees
        SCOPED_TRACE(d);
        std::vector<Vec3> out = Deformed({Deformer::Bend, Defaults(Deformer::Bend), Across({0, 0, 1}, d)}, v);
        float arc = 0.0f;
        for (int j = 0; j + 1 < kLevels; ++j)
            arc += Length(out[static_cast<size_t>(CentreIndex(j + 1))] - out[static_cast<size_t>(CentreIndex(j))]);
        EXPECT_NEAR(arc, 2.0f * kHalfHeight, 5e-3f);  // chords fall short of the arc by under 0.1%
        // The bend is in the y-z plane, towards +z; x is untouched.
        for (int j = 0; j < kLevels; ++j)
            EXPECT_EQ(out[static_cast<size_t>(CornerIndex(j, 1))].x, kHalfWidth);
        const Vec3 top = out[static_cast<size_t>(CentreIndex(kLevels - 1))];
        EXPECT_GT(top.z, 0.0f);
        // The far end turns by the whole angle: the top ring's corners stay
        // the top ring's width apart, and its face turns by 15 d degrees.
        const Vec3 across = out[static_cast<size_t>(CornerIndex(kLevels - 1, 3))] - out[static_cast<size_t>(CornerIndex(kLevels - 1, 0))];
        EXPECT_NEAR(Length(across), 2.0f * kHalfWidth, 1e-4f);
        const float turned = std::atan2(-across.y, across.z) / kDeformRadians;
        EXPECT_NEAR(std::remainder(turned - 15.0f * d, 360.0f), 0.0f, 0.05f);
    }
    // A drag along the axis has no bend plane: nothing happens.
    bool changed = true;
    EXPECT_EQ(Deformed({Deformer::Bend, Defaults(Deformer::Bend), Across({0, 1, 0}, 2.0f)}, v, &changed), v);
    EXPECT_FALSE(changed);
}

TEST(DeformersTest, PartRangesAreContinuousAtTheirEnds)
{
    // Probe points just either side of S (y = -1) and E (y = 1) with lo =
    // 0.25 and hi = 0.75, off the axis.
    std::vector<Vec3> v = Column()->GetVertices();
    const float eps = 1e-4f;
    const size_t probes = v.size();
    for (float y : {-1.0f - eps, -1.0f + eps, 1.0f - eps, 1.0f + eps})
        v.push_back({0.3f, y, -0.2f});
    const DeformDrag vertical = Vertical(2.0f), across = Across({1, 0, 1}, 2.0f);
    for (Deformer kind : kAll)
        for (bool right : {false, true}) {
            SCOPED_TRACE(std::to_string(static_cast<int>(kind)) + (right ? " right" : " left"));
            DeformerParameters p = Defaults(kind);
            p.lo = 0.25f;
            p.hi = 0.75f;
            DeformDrag drag = kind == Deformer::Bend || kind == Deformer::Pull ? across : vertical;
            drag.right = right;
            const std::vector<Vec3> out = Deformed({kind, p, drag}, v);
            auto moved = [&](size_t i) { return out[i] - v[i]; };
            EXPECT_LT(Length(moved(probes + 1) - moved(probes)), 1e-2f);
            EXPECT_LT(Length(moved(probes + 3) - moved(probes + 2)), 1e-2f);
            EXPECT_TRUE(AllFinite(out));
        }
}

TEST(DeformersTest, AxesAndRangesThatCannotDeformAreRefused)
{
    const Box column = Column()->GetBox();
    DeformerParameters p;
    p.lo = p.hi = 0.5f;
    EXPECT_FALSE(MakeDeformAxis(Deformer::Twist, column, p));
    // lo = hi = 0 is no part at all either; for bend it is 0.001 to 0.001.
    p.lo = p.hi = 0.0f;
    EXPECT_FALSE(MakeDeformAxis(Deformer::Taper, column, p));
    EXPECT_FALSE(MakeDeformAxis(Deformer::Bend, column, p));
    // A flat mesh across the chosen axis has a zero-length axis.
    p = DeformerParameters{};
    Box flat;
    flat.Add({-1, 0, -1});
    flat.Add({1, 0, 1});
    EXPECT_FALSE(MakeDeformAxis(Deformer::Twist, flat, p));
    p.axis = {1, 0, 0};
    auto xAxis = MakeDeformAxis(Deformer::Twist, flat, p);
    ASSERT_TRUE(xAxis);
    EXPECT_EQ(xAxis->start, Vec3(-1, 0, 0));
    EXPECT_EQ(xAxis->end, Vec3(1, 0, 0));
    EXPECT_FALSE(MakeDeformAxis(Deformer::Twist, Box{}, p));
    // Bend never deforms the very ends: 0 is taken as 0.001, 1 as 0.999.
    auto bend = MakeDeformAxis(Deformer::Bend, column, DeformerParameters{});
    ASSERT_TRUE(bend);
    EXPECT_FALSE(bend->whole);
    EXPECT_FLOAT_EQ(bend->lo, 0.001f);
    EXPECT_FLOAT_EQ(bend->hi, 0.999f);
    // Growth bases that are not positive and finite change nothing.
    const std::vector<Vec3> v = Column()->GetVertices();
    for (float base : {0.0f, -2.0f, std::numeric_limits<float>::infinity(), std::nanf("")}) {
        DeformerParameters taper = Defaults(Deformer::Taper);
        taper.own = base;
        bool changed = true;
        EXPECT_EQ(Deformed({Deformer::Taper, taper, Vertical(2.0f)}, v, &changed), v);
        EXPECT_FALSE(changed);
    }
}

TEST(DeformersTest, NoDragMakesANonFiniteCoordinate)
{
    const std::vector<Vec3> v = Column()->GetVertices();
    const float inf = std::numeric_limits<float>::infinity();
    const float extremes[] = {1e30f, -1e30f, inf, -inf, std::nanf(""), 1e-30f, 5000.0f};
    for (Deformer kind : kAll)
        for (float amount : extremes) {
            SCOPED_TRACE(std::to_string(static_cast<int>(kind)) + " " + std::to_string(amount));
            DeformerParameters p = Defaults(kind);
            if (kind == Deformer::Bulge || kind == Deformer::Taper)
                p.own = 100.0f;
            EXPECT_TRUE(AllFinite(Deformed({kind, p, Vertical(amount)}, v)));
            EXPECT_TRUE(AllFinite(Deformed({kind, p, Across({1, 0, 1}, amount)}, v)));
            EXPECT_TRUE(AllFinite(Deformed({kind, p, Across({amount, 0, amount}, 1.0f)}, v)));
        }
    // Random ranges, axes and drags.
    std::mt19937 random(7);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f), drag(-1e4f, 1e4f);
    for (int i = 0; i < 300; ++i) {
        const Deformer kind = kAll[i % 5];
        DeformerParameters p = Defaults(kind);
        p.lo = unit(random);
        p.hi = unit(random);
        p.axis = Vec3{};
        p.axis[i % 3] = 1.0f;
        DeformDrag d = Across({drag(random), drag(random), drag(random)}, std::fabs(drag(random)));
        d.h = drag(random);
        d.right = i % 2 == 0;
        Box box;
        for (const Vec3& x : v)
            box.Add(x);
        auto axis = MakeDeformAxis(kind, box, p);
        if (!axis)
            continue;
        std::vector<Vec3> out;
        DeformPositions(kind, p, *axis, d, v, out);
        ASSERT_TRUE(AllFinite(out)) << i;
    }
}

} // namespace
} // namespace corvid
