// The primitive generators: counts, positions, winding and closure of every
// primitive, the float-stepped superquadric loops, and refusal of parameters
// that would divide by zero or produce NaN.

#include "geometry/Primitives.h"

#include "platform/MeshBuilder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <numbers>
#include <ostream>
#include <string>
#include <utility>

namespace corvid {
namespace {

// --- shared invariant checkers ---------------------------------------------------

Vec3 NewellNormal(const MeshBuilder& mesh, int face)
{
    Vec3 n{};
    auto corners = mesh.GetFaceCorners(face);
    const auto& v = mesh.GetVertices();
    for (size_t i = 0; i < corners.size(); ++i) {
        const Vec3& a = v[static_cast<size_t>(corners[i].vertex)];
        const Vec3& b = v[static_cast<size_t>(corners[(i + 1) % corners.size()].vertex)];
        n.x += (a.y - b.y) * (a.z + b.z);
        n.y += (a.z - b.z) * (a.x + b.x);
        n.z += (a.x - b.x) * (a.y + b.y);
    }
    return n;
}

Vec3 Centroid(const MeshBuilder& mesh, int face)
{
    Vec3 c{};
    auto corners = mesh.GetFaceCorners(face);
    for (const Corner& corner : corners)
        c = c + mesh.GetVertices()[static_cast<size_t>(corner.vertex)];
    return c * (1.0f / static_cast<float>(corners.size()));
}

// Where "outside" is measured from, for a point on the surface.
using OutwardFrom = std::function<Vec3(const Vec3& onSurface)>;
const OutwardFrom kFromCentre = [](const Vec3&) { return Vec3{0, 0, 0}; };
const OutwardFrom kFromAxis = [](const Vec3& p) { return Vec3{0, p.y, 0}; };
const OutwardFrom kBelow = [](const Vec3& p) { return Vec3{p.x, p.y - 1.0f, p.z}; };
OutwardFrom FromTube(float ringRadius)
{
    return [ringRadius](const Vec3& p) {
        float r = std::sqrt(p.x * p.x + p.z * p.z);
        return r > 0 ? Vec3{p.x / r * ringRadius, 0, p.z / r * ringRadius} : Vec3{};
    };
}

// Every face with area has its first corners' cross product (the face normal
// for a planar face) pointing away from the reference point. Returns the
// first offending face, or -1.
int FirstInwardFace(const MeshBuilder& mesh, const OutwardFrom& from)
{
    for (int f = 0; f < mesh.GetFaceCount(); ++f) {
        Vec3 n = NewellNormal(mesh, f);
        if (Length(n) < 1e-7f)
            continue;  // no area (the collapsed apex ring of a cone)
        Vec3 c = Centroid(mesh, f);
        if (Dot(n, c - from(c)) <= 0.0f)
            return f;
    }
    return -1;
}

// Closed and consistently wound: with coincident vertices counted as one,
// every edge is walked exactly once in each direction (so it is shared by
// exactly two faces that agree on the outside). Returns a description of
// the first fault, or an empty string.
std::string ClosureFault(const MeshBuilder& mesh)
{
    const auto& v = mesh.GetVertices();
    std::vector<int> weld(v.size());
    for (size_t i = 0; i < v.size(); ++i) {
        weld[i] = static_cast<int>(i);
        for (size_t j = 0; j < i; ++j)
            if (Length(v[i] - v[j]) < 1e-5f) {
                weld[i] = weld[j];
                break;
            }
    }
    std::map<std::pair<int, int>, int> directed;
    for (int f = 0; f < mesh.GetFaceCount(); ++f) {
        auto corners = mesh.GetFaceCorners(f);
        for (size_t i = 0; i < corners.size(); ++i) {
            int a = weld[static_cast<size_t>(corners[i].vertex)];
            int b = weld[static_cast<size_t>(corners[(i + 1) % corners.size()].vertex)];
            if (a != b)
                ++directed[{a, b}];
        }
    }
    for (const auto& [edge, count] : directed) {
        auto reverse = directed.find({edge.second, edge.first});
        if (count != 1 || reverse == directed.end() || reverse->second != 1)
            return "edge " + std::to_string(edge.first) + "-" + std::to_string(edge.second) + " used " +
                   std::to_string(count) + " times this way, " +
                   std::to_string(reverse == directed.end() ? 0 : reverse->second) + " the other";
    }
    return {};
}

bool AllFinite(const MeshBuilder& mesh)
{
    for (const auto* list : {&mesh.GetVertices(), &mesh.GetNormals()})
        for (const Vec3& p : *list)
            if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z))
                return false;
    return true;
}

bool Near(const Vec3& a, const Vec3& b, float eps = 1e-5f)
{
    return std::fabs(a.x - b.x) <= eps && std::fabs(a.y - b.y) <= eps && std::fabs(a.z - b.z) <= eps;
}

// --- every primitive: counts, box, winding, closure --------------------------------

struct PrimitiveCase {
    const char* name;
    std::function<bool(MeshBuilder&)> build;
    int vertices, faces;
    Vec3 boxMin, boxMax;
    OutwardFrom outward;
    bool closed;
};

SupertoroidParameters Toroid(int n, int m)
{
    SupertoroidParameters p;
    p.segmentsAround = n;
    p.segmentsTube = m;
    return p;
}

CylinderParameters Tube(int s, int h, bool caps)
{
    CylinderParameters p;
    p.segments = s;
    p.heightDivisions = h;
    p.caps = caps;
    return p;
}

// Test lists show the case by its name, not its bytes.
void PrintTo(const PrimitiveCase& c, std::ostream* out) { *out << c.name; }

std::vector<PrimitiveCase> Cases()
{
    const PrimitiveParameters d;
    SuperellipsoidParameters round;
    round.exponent1 = round.exponent2 = 1.0f;
    SuperellipsoidParameters stretched = d.superellipsoid;
    stretched.scaleX = 2.0f;
    stretched.scaleY = 0.5f;
    stretched.scaleZ = 3.0f;
    SupertoroidParameters pinched = d.supertoroid;
    pinched.exponent2 = 0.3f;  // a squared-off tube
    const Vec3 half{0.5f, 0.5f, 0.5f};
    return {
        {"DefaultSphere", [=](MeshBuilder& m) { return BuildSphere(m, d.sphere); }, 1 + 15 * 32 + 1, 32 * 16,
         {-1, -1, -1}, {1, 1, 1}, kFromCentre, true},
        {"CoarseSphere", [](MeshBuilder& m) { return BuildSphere(m, {3, 2}); }, 1 + 3 + 1, 6,
         {-0.866026f, -1, -1}, {0.866026f, 1, 0.5f}, kFromCentre, true},
        {"DefaultCube", [=](MeshBuilder& m) { return BuildCube(m, d.cube); }, 16, 6, half * -1.0f, half,
         kFromCentre, true},
        {"DividedCube", [](MeshBuilder& m) { return BuildCube(m, {2, 3, 4, SizingStyle::Box}); },
         2 * (4 * 6 + 3 * 5), 2 * (2 * 4 + 3 * 6), half * -1.0f, half, kFromCentre, true},
        {"DefaultSquare", [=](MeshBuilder& m) { return BuildSquare(m, d.square); }, 21 * 21, 400,
         {-0.5f, 0, -0.5f}, {0.5f, 0, 0.5f}, kBelow, false},
        {"CylinderWithCaps", [=](MeshBuilder& m) { return BuildCylinder(m, d.cylinder); }, 32 * 5 + 2, 32 * 6,
         {-1, -0.5f, -1}, {1, 0.5f, 1}, kFromCentre, true},
        {"CylinderWithoutCaps", [](MeshBuilder& m) { return BuildCylinder(m, Tube(32, 4, false)); }, 32 * 5,
         32 * 4, {-1, -0.5f, -1}, {1, 0.5f, 1}, kFromAxis, false},
        {"ConeWithCaps", [=](MeshBuilder& m) { return BuildCone(m, d.cone); }, 32 * 4 + 2, 32 * 5,
         {-1, -0.5f, -1}, {1, 0.5f, 1}, kFromCentre, true},
        {"ConeWithoutCaps", [](MeshBuilder& m) { return BuildCone(m, Tube(8, 2, false)); }, 8 * 3, 8 * 2,
         {-1, -0.5f, -1}, {1, 0.5f, 1}, kFromAxis, false},
        {"DefaultSuperellipsoid", [=](MeshBuilder& m) { return BuildSuperellipsoid(m, d.superellipsoid); },
         15 * 32 + 2, 32 * 16, {-1, -1, -1}, {1, 1, 1}, kFromCentre, true},
        {"RoundSuperellipsoid", [=](MeshBuilder& m) { return BuildSuperellipsoid(m, round); }, 15 * 32 + 2,
         32 * 16, {-1, -1, -1}, {1, 1, 1}, kFromCentre, true},
        {"ScaledSuperellipsoid", [=](MeshBuilder& m) { return BuildSuperellipsoid(m, stretched); }, 15 * 32 + 2,
         32 * 16, {-2, -0.5f, -3}, {2, 0.5f, 3}, kFromCentre, true},
        {"DefaultSupertoroid", [=](MeshBuilder& m) { return BuildSupertoroid(m, d.supertoroid); }, 32 * 16,
         32 * 16, {-1, -0.2f, -1}, {1, 0.2f, 1}, FromTube(0.8f), true},
        {"PinchedSupertoroid", [=](MeshBuilder& m) { return BuildSupertoroid(m, pinched); }, 32 * 16, 32 * 16,
         {-1, -0.2f, -1}, {1, 0.2f, 1}, FromTube(0.8f), true},
        // 360/7 added seven times in single precision stays below 360: the
        // loop makes an eighth ring on top of the first.
        {"SupertoroidWithAnExtraRing", [](MeshBuilder& m) { return BuildSupertoroid(m, Toroid(7, 8)); }, 8 * 8,
         8 * 8, {-0.974928f, -0.2f, -0.900969f}, {0.974928f, 0.2f, 1}, FromTube(0.8f), false},
    };
}

class EveryPrimitive : public ::testing::TestWithParam<PrimitiveCase> {};

TEST_P(EveryPrimitive, HasItsCountsBoxOutwardFacesAndFiniteNormals)
{
    const PrimitiveCase& c = GetParam();
    MeshBuilder mesh;
    ASSERT_TRUE(c.build(mesh));
    EXPECT_EQ(mesh.GetVertexCount(), c.vertices);
    EXPECT_EQ(mesh.GetFaceCount(), c.faces);
    EXPECT_GE(mesh.GetNormalCount(), mesh.GetVertexCount());
    EXPECT_TRUE(AllFinite(mesh));
    Box box = mesh.GetBox();
    EXPECT_TRUE(Near(box.min, c.boxMin, 1e-4f)) << box.min.x << " " << box.min.y << " " << box.min.z;
    EXPECT_TRUE(Near(box.max, c.boxMax, 1e-4f)) << box.max.x << " " << box.max.y << " " << box.max.z;
    EXPECT_EQ(FirstInwardFace(mesh, c.outward), -1);
    if (c.closed) {
        EXPECT_EQ(ClosureFault(mesh), "");
    }
    // Every corner names the same vertex and normal slot before the normals
    // are split; after generation every corner has a unit normal.
    for (int f = 0; f < mesh.GetFaceCount(); ++f)
        for (const Corner& corner : mesh.GetFaceCorners(f)) {
            Vec3 n;
            ASSERT_TRUE(mesh.GetNormal(corner.normal, n)) << "face " << f;
            EXPECT_NEAR(Length(n), 1.0f, 1e-3f) << "face " << f;
        }
}

INSTANTIATE_TEST_SUITE_P(Primitives, EveryPrimitive, ::testing::ValuesIn(Cases()),
                         [](const auto& param) { return std::string(param.param.name); });

// --- positions the layout fixes ----------------------------------------------------------

TEST(Sphere, PolesBracketTheRingsWhichStartAtTheBackAndLieOnTheUnitSphere)
{
    MeshBuilder mesh;
    ASSERT_TRUE(BuildSphere(mesh, {}));
    const auto& v = mesh.GetVertices();
    EXPECT_TRUE(Near(v.front(), {0, -1, 0}));
    EXPECT_TRUE(Near(v.back(), {0, 1, 0}));
    const float a = static_cast<float>(std::numbers::pi / 16);
    EXPECT_TRUE(Near(v[1], {0, -std::cos(a), -std::sin(a)}));  // ring 1, psi = 0
    // Ring 15's quarter turn: psi = 90 degrees puts it on +x.
    EXPECT_TRUE(Near(v[14 * 32 + 1 + 8], {std::sin(15 * a), -std::cos(15 * a), 0}));
    for (const Vec3& p : v)
        EXPECT_NEAR(Length(p), 1.0f, 1e-5f);
    // Smooth normals: the normal at a point of a sphere is the point.
    for (int i = 0; i < mesh.GetVertexCount(); ++i)
        EXPECT_TRUE(Near(mesh.GetNormals()[static_cast<size_t>(i)], v[static_cast<size_t>(i)], 0.02f)) << i;
}

TEST(Cube, SideRingsWalkThePerimeterThenTheTopAndBottomGrids)
{
    MeshBuilder mesh;
    ASSERT_TRUE(BuildCube(mesh, {}));
    const Vec3 expected[16] = {
        {-0.5f, -0.5f, -0.5f}, {0.5f, -0.5f, -0.5f}, {0.5f, -0.5f, 0.5f}, {-0.5f, -0.5f, 0.5f},  // ring 0
        {-0.5f, 0.5f, -0.5f},  {0.5f, 0.5f, -0.5f},  {0.5f, 0.5f, 0.5f},  {-0.5f, 0.5f, 0.5f},   // ring 1
        {-0.5f, 0.5f, -0.5f},  {0.5f, 0.5f, -0.5f},  {-0.5f, 0.5f, 0.5f}, {0.5f, 0.5f, 0.5f},    // top grid
        {-0.5f, -0.5f, -0.5f}, {0.5f, -0.5f, -0.5f}, {-0.5f, -0.5f, 0.5f}, {0.5f, -0.5f, 0.5f},  // bottom grid
    };
    for (int i = 0; i < 16; ++i)
        EXPECT_TRUE(Near(mesh.GetVertices()[static_cast<size_t>(i)], expected[i])) << i;
    // Hard edges: every corner's normal is its face's own.
    for (int f = 0; f < mesh.GetFaceCount(); ++f) {
        Vec3 faceNormal = Normalize(NewellNormal(mesh, f));
        for (const Corner& corner : mesh.GetFaceCorners(f))
            EXPECT_TRUE(Near(mesh.GetNormals()[static_cast<size_t>(corner.normal)], faceNormal, 1e-4f)) << f;
    }
}

TEST(Cone, TopRingCollapsesToTheApexAndKeepsItsFaces)
{
    MeshBuilder mesh;
    ASSERT_TRUE(BuildCone(mesh, PrimitiveParameters{}.cone));
    const int s = 32, h = 3;
    for (int k = 0; k < s; ++k)
        EXPECT_TRUE(Near(mesh.GetVertices()[static_cast<size_t>(1 + h * s + k)], {0, 0.5f, 0})) << k;
    EXPECT_TRUE(Near(mesh.GetVertices()[0], {0, -0.5f, 0}));
    EXPECT_TRUE(Near(mesh.GetVertices().back(), {0, 0.5f, 0}));
    // Ring 1 (y = -1/6) has radius 2/3; its first vertex sits on +z.
    EXPECT_TRUE(Near(mesh.GetVertices()[1 + s], {0, 1.0f / 3 - 0.5f, 2.0f / 3}));
}

TEST(Superellipsoid, WithUnitExponentsIsTheUnitSphereWithItsPolesAfterTheRings)
{
    SuperellipsoidParameters p;
    p.exponent1 = p.exponent2 = 1.0f;
    MeshBuilder mesh;
    ASSERT_TRUE(BuildSuperellipsoid(mesh, p));
    const int n = 32, m = 16;
    for (const Vec3& v : mesh.GetVertices())
        EXPECT_NEAR(Length(v), 1.0f, 1e-5f);
    EXPECT_TRUE(Near(mesh.GetVertices()[n * (m - 1)], {0, -1, 0}));
    EXPECT_TRUE(Near(mesh.GetVertices()[n * (m - 1) + 1], {0, 1, 0}));
    // The first ring starts at longitude -180 (behind, on -z) one step above the south pole.
    const float a = static_cast<float>(std::numbers::pi / 16);
    EXPECT_TRUE(Near(mesh.GetVertices()[0], {0, -std::cos(a), -std::sin(a)}, 1e-5f));
}

TEST(Superellipsoid, LongitudeCountFollowsTheSinglePrecisionLoop)
{
    // 360/19 stepped from -180 overshoots 180 - 360/19: a ring of 18.
    SuperellipsoidParameters p;
    p.segmentsAround = 19;
    p.segmentsPoleToPole = 4;
    MeshBuilder mesh;
    ASSERT_TRUE(BuildSuperellipsoid(mesh, p));
    EXPECT_EQ(mesh.GetVertexCount(), 3 * 18 + 2);
    EXPECT_EQ(mesh.GetFaceCount(), 4 * 18);
    EXPECT_EQ(ClosureFault(mesh), "");
    EXPECT_EQ(FirstInwardFace(mesh, kFromCentre), -1);
}

TEST(Supertoroid, ExtraRingFromTheFloatLoopSitsOnTheFirst)
{
    MeshBuilder mesh;
    ASSERT_TRUE(BuildSupertoroid(mesh, Toroid(7, 8)));
    ASSERT_EQ(mesh.GetVertexCount(), 8 * 8);
    for (int k = 0; k < 8; ++k)
        EXPECT_TRUE(Near(mesh.GetVertices()[static_cast<size_t>(7 * 8 + k)],
                         mesh.GetVertices()[static_cast<size_t>(k)], 1e-5f))
            << k;
}

TEST(Supertoroid, DefaultRingsLieOnTheTubeAroundTheMainRing)
{
    MeshBuilder mesh;
    ASSERT_TRUE(BuildSupertoroid(mesh, {}));
    auto tube = FromTube(0.8f);
    for (const Vec3& v : mesh.GetVertices())
        EXPECT_NEAR(Length(v - tube(v)), 0.2f, 1e-5f);
    EXPECT_TRUE(Near(mesh.GetVertices()[0], {0, 0, 1.0f}));     // u = 0, v = 0: outermost on +z
    EXPECT_TRUE(Near(mesh.GetVertices()[4], {0, 0.2f, 0.8f}));  // v = 90: top of the tube
}

// --- the signed power -------------------------------------------------------------

TEST(SignedPower, KeepsTheSignAndFlushesTinyValues)
{
    struct Case {
        float v, e, expected;
    } cases[] = {
        {0.5f, 2.0f, 0.25f}, {-0.5f, 2.0f, -0.25f}, {-0.25f, 0.5f, -0.5f}, {1.0f, 0.2f, 1.0f},
        {-1.0f, 3.0f, -1.0f}, {0.000009f, 0.2f, 0.0f}, {-0.000009f, 0.2f, 0.0f}, {0.0f, 0.0f, 0.0f},
        {0.5f, 0.0f, 1.0f}, {std::nanf(""), 1.0f, 0.0f},
    };
    for (const Case& c : cases)
        EXPECT_FLOAT_EQ(SignedPower(c.v, c.e), c.expected) << c.v << "^" << c.e;
}

// --- parameters out of range -----------------------------------------------------------

struct BadCase {
    const char* name;
    std::function<bool(MeshBuilder&, bool clamp)> build;
};

void PrintTo(const BadCase& c, std::ostream* out) { *out << c.name; }

std::vector<BadCase> BadCases()
{
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    auto ellipsoid = [](SuperellipsoidParameters p) {
        return [p](MeshBuilder& m, bool clamp) { return BuildSuperellipsoid(m, clamp ? Clamp(p) : p); };
    };
    auto toroid = [](SupertoroidParameters p) {
        return [p](MeshBuilder& m, bool clamp) { return BuildSupertoroid(m, clamp ? Clamp(p) : p); };
    };
    SuperellipsoidParameters zeroExponent, negativeScale, nanExponent, noRings;
    zeroExponent.exponent1 = 0.0f;
    negativeScale.scaleY = -1.0f;
    nanExponent.exponent2 = nan;
    noRings.segmentsPoleToPole = 1;
    SupertoroidParameters zeroTube, negativeRing, infiniteExponent, twoAround;
    zeroTube.tubeRadius = 0.0f;
    negativeRing.ringRadius = -1.0f;
    infiniteExponent.exponent1 = inf;
    twoAround.segmentsTube = 2;
    return {
        {"SphereWithTwoSegments", [](MeshBuilder& m, bool c) { SphereParameters p{2, 16}; return BuildSphere(m, c ? Clamp(p) : p); }},
        {"SphereWithOneRing", [](MeshBuilder& m, bool c) { SphereParameters p{32, 1}; return BuildSphere(m, c ? Clamp(p) : p); }},
        {"SphereWithTooManySegments", [](MeshBuilder& m, bool c) { SphereParameters p{kMaxPrimitiveDivisions + 1, 2}; return BuildSphere(m, c ? Clamp(p) : p); }},
        {"CubeWithZeroDivisions", [](MeshBuilder& m, bool c) { CubeParameters p{1, 0, 1, SizingStyle::Box}; return BuildCube(m, c ? Clamp(p) : p); }},
        {"SquareWithNegativeDivisions", [](MeshBuilder& m, bool c) { SquareParameters p{-3, 2}; return BuildSquare(m, c ? Clamp(p) : p); }},
        {"CylinderWithNoHeightDivisions", [](MeshBuilder& m, bool c) { auto p = Tube(32, 0, true); return BuildCylinder(m, c ? Clamp(p) : p); }},
        {"ConeWithTwoSegments", [](MeshBuilder& m, bool c) { auto p = Tube(2, 3, true); return BuildCone(m, c ? Clamp(p) : p); }},
        {"SuperellipsoidWithZeroExponent", ellipsoid(zeroExponent)},
        {"SuperellipsoidWithNegativeScale", ellipsoid(negativeScale)},
        {"SuperellipsoidWithNaNExponent", ellipsoid(nanExponent)},
        {"SuperellipsoidWithNoRings", ellipsoid(noRings)},
        {"SupertoroidWithZeroTube", toroid(zeroTube)},
        {"SupertoroidWithNegativeRing", toroid(negativeRing)},
        {"SupertoroidWithInfiniteExponent", toroid(infiniteExponent)},
        {"SupertoroidWithTwoTubeSegments", toroid(twoAround)},
    };
}

class OutOfRange : public ::testing::TestWithParam<BadCase> {};

TEST_P(OutOfRange, IsRefusedUntouchedAndBuildsFiniteOnceClamped)
{
    MeshBuilder refused;
    EXPECT_FALSE(GetParam().build(refused, false));
    EXPECT_EQ(refused.GetVertexCount(), 0);
    EXPECT_EQ(refused.GetFaceCount(), 0);
    MeshBuilder clamped;
    ASSERT_TRUE(GetParam().build(clamped, true));
    EXPECT_GT(clamped.GetFaceCount(), 0);
    EXPECT_TRUE(AllFinite(clamped));
}

INSTANTIATE_TEST_SUITE_P(Primitives, OutOfRange, ::testing::ValuesIn(BadCases()),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(Superquadrics, ExtremeExponentsStayFiniteAndOutward)
{
    for (float e : {kMinPrimitiveValue, 0.05f, 3.0f, kMaxSuperExponent}) {
        SCOPED_TRACE(e);
        SuperellipsoidParameters se;
        se.exponent1 = se.exponent2 = e;
        MeshBuilder a;
        ASSERT_TRUE(BuildSuperellipsoid(a, se));
        EXPECT_TRUE(AllFinite(a));
        SupertoroidParameters st;
        st.exponent1 = st.exponent2 = e;
        MeshBuilder b;
        ASSERT_TRUE(BuildSupertoroid(b, st));
        EXPECT_TRUE(AllFinite(b));
        if (e <= 2.0f) {  // convex up to e = 2: every face faces away from the centre
            EXPECT_EQ(FirstInwardFace(a, kFromCentre), -1);
            EXPECT_EQ(ClosureFault(a), "");
        }
    }
}

} // namespace
} // namespace corvid
