// Boolean cutting: a table of operand pairs, each result checked for the
// invariants of a closed solid, its volume and its determinism.

#include "geometry/Boolean.h"
#include "geometry/BooleanOperation.h"
#include "geometry/Primitives.h"
#include "MeshInvariants.h"
#include "platform/Material.h"
#include "platform/Math.h"
#include "platform/MeshBuilder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace corvid::testing {
namespace {

PolygonMesh Cube(Vec3 at, float size = 1.0f, const Matrix4& turn = Matrix4::Identity())
{
    MeshBuilder mesh;
    BuildCube(mesh, CubeParameters{});
    return OperandMesh(mesh, Matrix4::Scale({size, size, size}) * turn * Matrix4::Translation(at));
}

// A sphere whose vertices are rounded to multiples of 1/1024, so that they
// sit on the cutting lattice of the tests below and the volumes compared
// are those of the meshes given.
PolygonMesh Sphere(Vec3 at, float radius, int segments = 32, int rings = 16)
{
    MeshBuilder mesh;
    BuildSphere(mesh, SphereParameters{segments, rings});
    PolygonMesh m = OperandMesh(mesh, Matrix4::Scale({radius, radius, radius}) * Matrix4::Translation(at));
    for (Vec3& p : m.positions)
        p = {std::round(p.x * 1024) / 1024, std::round(p.y * 1024) / 1024, std::round(p.z * 1024) / 1024};
    return m;
}

PolygonMesh Square()
{
    MeshBuilder mesh;
    BuildSquare(mesh, SquareParameters{2, 2});
    return OperandMesh(mesh, Matrix4::Scale({2, 1, 2}));
}

// Runs the operation twice (the results must be the same) and checks the
// invariants of a closed result.
BooleanResult Cut(BooleanKind kind, const PolygonMesh& a, const PolygonMesh& b, bool closed = true)
{
    BooleanResult first = BooleanMeshes(kind, a, b);
    BooleanResult second = BooleanMeshes(kind, a, b);
    EXPECT_EQ(first.status, second.status);
    EXPECT_TRUE(SameMesh(first.mesh, second.mesh)) << "not deterministic";
    if (first.status == BooleanStatus::Done && closed) {
        EXPECT_EQ(SolidProblem(first.mesh), "");
    }
    return first;
}

double Volume(BooleanKind kind, const PolygonMesh& a, const PolygonMesh& b)
{
    BooleanResult r = Cut(kind, a, b);
    if (r.status == BooleanStatus::Empty)
        return 0.0;
    EXPECT_EQ(r.status, BooleanStatus::Done);
    return SignedVolume(r.mesh);
}

struct VolumeCase {
    const char* name;
    PolygonMesh a, b;
    double unionVolume, intersectionVolume, differenceVolume;
    double tolerance;
};

class BooleanVolumes : public ::testing::TestWithParam<int> {};

std::vector<VolumeCase> VolumeCases()
{
    const Matrix4 turn = Matrix4::Rotation({1, 2, 3}, 0.7f);
    // Offset by half a cube along the turned cube's own x axis: the faces
    // across that axis stay coplanar (up to the lattice) and are not aligned
    // with the world axes.
    const Vec3 along = turn.TransformVector({0.5f, 0, 0});
    return {
        {"offset cubes", Cube({0, 0, 0}), Cube({0.5f, 0.5f, 0.5f}), 1.875, 0.125, 0.875, 1e-6},
        {"identical cubes", Cube({0, 0, 0}), Cube({0, 0, 0}), 1.0, 1.0, 0.0, 1e-6},
        {"touching cubes", Cube({0, 0, 0}), Cube({1, 0, 0}), 2.0, 0.0, 1.0, 1e-6},
        {"cubes sharing a corner", Cube({0, 0, 0}), Cube({1, 1, 1}), 2.0, 0.0, 1.0, 1e-6},
        {"contained cube", Cube({0, 0, 0}), Cube({0.1f, 0, 0}, 0.5f), 1.0, 0.125, 0.875, 1e-6},
        {"container minus contents", Cube({0.1f, 0, 0}, 0.5f), Cube({0, 0, 0}), 1.0, 0.125, 0.0, 1e-6},
        {"disjoint cubes", Cube({0, 0, 0}), Cube({3, 0, 0}), 2.0, 0.0, 1.0, 1e-6},
        {"turned coplanar cubes", Cube({0, 0, 0}, 1, turn), Cube(along, 1, turn), 1.5, 0.5, 0.5, 2e-3},
    };
}

TEST_P(BooleanVolumes, MatchTheSolids)
{
    const VolumeCase c = VolumeCases()[GetParam()];
    SCOPED_TRACE(c.name);
    EXPECT_NEAR(Volume(BooleanKind::Union, c.a, c.b), c.unionVolume, c.tolerance);
    EXPECT_NEAR(Volume(BooleanKind::Intersection, c.a, c.b), c.intersectionVolume, c.tolerance);
    EXPECT_NEAR(Volume(BooleanKind::Difference, c.a, c.b), c.differenceVolume, c.tolerance);
}

INSTANTIATE_TEST_SUITE_P(Cases, BooleanVolumes, ::testing::Range(0, static_cast<int>(VolumeCases().size())));

TEST(Boolean, SphereVolumesAddUp)
{
    const PolygonMesh a = Sphere({0, 0, 0}, 1.0f);
    const PolygonMesh b = Sphere({0.6f, 0.25f, 0.1f}, 0.8f, 24, 12);
    const double va = SignedVolume(a), vb = SignedVolume(b);
    const double u = Volume(BooleanKind::Union, a, b);
    const double i = Volume(BooleanKind::Intersection, a, b);
    const double d = Volume(BooleanKind::Difference, a, b);
    EXPECT_GT(i, 0.1);
    EXPECT_NEAR(u + i, va + vb, 1e-4 * (va + vb));
    EXPECT_NEAR(d, va - i, 1e-4 * va);
}

TEST(Boolean, EmptyResultsSayEmpty)
{
    EXPECT_EQ(Cut(BooleanKind::Intersection, Cube({0, 0, 0}), Cube({3, 0, 0})).status, BooleanStatus::Empty);
    EXPECT_EQ(Cut(BooleanKind::Difference, Cube({0, 0, 0}), Cube({0, 0, 0}, 2)).status, BooleanStatus::Empty);
}

TEST(Boolean, RefusesOpenOperandsWhereTheyMustBeClosed)
{
    EXPECT_EQ(BooleanMeshes(BooleanKind::Union, Square(), Cube({0, 0, 0})).status, BooleanStatus::Illegal);
    EXPECT_EQ(BooleanMeshes(BooleanKind::Union, Cube({0, 0, 0}), Square()).status, BooleanStatus::Illegal);
    EXPECT_EQ(BooleanMeshes(BooleanKind::Intersection, Cube({0, 0, 0}), Square()).status, BooleanStatus::Illegal);
    EXPECT_EQ(BooleanMeshes(BooleanKind::Difference, Cube({0, 0, 0}), Square()).status, BooleanStatus::Illegal);
    PolygonMesh nothing;
    EXPECT_EQ(BooleanMeshes(BooleanKind::Union, nothing, Cube({0, 0, 0})).status, BooleanStatus::Illegal);
}

TEST(Boolean, RefusesCoordinatesThatAreNotFinite)
{
    PolygonMesh a = Cube({0, 0, 0});
    a.positions[3].y = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(BooleanMeshes(BooleanKind::Union, a, Cube({0.5f, 0, 0})).status, BooleanStatus::Failed);
    a.positions[3].y = std::numeric_limits<float>::infinity();
    EXPECT_EQ(BooleanMeshes(BooleanKind::Difference, Cube({0.5f, 0, 0}), a).status, BooleanStatus::Failed);
}

// A square (open) cut by a cube keeps the part inside for an intersection
// and the part outside for a difference.
TEST(Boolean, OpenFirstOperandKeepsItsPieces)
{
    const PolygonMesh square = Square();  // 2 x 2 in the plane y = 0
    const PolygonMesh cube = Cube({0.5f, 0, 0.5f});
    auto area = [](const PolygonMesh& m) {
        double s = 0;
        for (int f = 0; f < m.FaceCount(); ++f)
            s += FaceArea2(m, f) / 2;
        return s;
    };
    const BooleanResult inside = Cut(BooleanKind::Intersection, square, cube, false);
    ASSERT_EQ(inside.status, BooleanStatus::Done);
    EXPECT_NEAR(area(inside.mesh), 1.0, 1e-6);
    const BooleanResult outside = Cut(BooleanKind::Difference, square, cube, false);
    ASSERT_EQ(outside.status, BooleanStatus::Done);
    EXPECT_NEAR(area(outside.mesh), 4.0 - area(inside.mesh), 1e-6);
}

// Each face of A is coloured by the direction it faces, each face of B by
// another rule; every face of the result keeps the colour of the face it
// came from.
TEST(Boolean, FacesKeepTheirColoursAndMaterials)
{
    PolygonMesh a = Cube({0, 0, 0});
    PolygonMesh b = Cube({0.5f, 0.3f, 0.2f});
    auto colourOf = [](const PolygonMesh& m, int f, uint32_t base) {
        Vec3 n;  // Newell's normal: corners may lie in a line
        for (int k = m.faceStart[f]; k < m.faceStart[f + 1]; ++k) {
            const Vec3& p = m.positions[m.corners[k]];
            const Vec3& q = m.positions[m.corners[k + 1 < m.faceStart[f + 1] ? k + 1 : m.faceStart[f]]];
            n = n + Cross(p, q);
        }
        const int axis = std::fabs(n.x) > std::fabs(n.y) ? (std::fabs(n.x) > std::fabs(n.z) ? 0 : 2)
                                                         : (std::fabs(n.y) > std::fabs(n.z) ? 1 : 2);
        const float s = axis == 0 ? n.x : axis == 1 ? n.y : n.z;
        return base + uint32_t(axis * 2 + (s > 0));
    };
    auto material = Material::Create(5.0f);
    for (int f = 0; f < a.FaceCount(); ++f)
        a.faces[f].color = colourOf(a, f, 0xFF000000);
    for (int f = 0; f < b.FaceCount(); ++f) {
        b.faces[f].color = colourOf(b, f, 0xFF00FF00);
        b.faces[f].material = material;
    }
    const BooleanResult r = Cut(BooleanKind::Difference, a, b);
    ASSERT_EQ(r.status, BooleanStatus::Done);
    int fromB = 0;
    for (int f = 0; f < r.mesh.FaceCount(); ++f) {
        const bool isB = (r.mesh.faces[f].color & 0x0000FF00) != 0;
        fromB += isB;
        // B's faces come reversed: they face the other way.
        const uint32_t expected = colourOf(r.mesh, f, isB ? 0xFF00FF00 : 0xFF000000) ^ (isB ? 1u : 0u);
        EXPECT_EQ(r.mesh.faces[f].color, expected) << "face " << f;
        EXPECT_EQ(r.mesh.faces[f].material, isB ? material : nullptr);
    }
    EXPECT_GT(fromB, 0);
}

TEST(Boolean, TextureCoordinatesFollowTheCut)
{
    PolygonMesh a = Cube({0, 0, 0});
    for (size_t i = 0; i < a.positions.size(); ++i)
        a.texcoords[i] = {a.positions[i].x + 0.5f, a.positions[i].y + 0.5f};
    const BooleanResult r = Cut(BooleanKind::Difference, a, Cube({0.5f, 0.5f, 0.5f}));
    ASSERT_EQ(r.status, BooleanStatus::Done);
    // On A's faces the coordinates are x + 0.5, y + 0.5 wherever the cut put a vertex.
    for (size_t i = 0; i < r.mesh.positions.size(); ++i) {
        const Vec3& p = r.mesh.positions[i];
        const bool onA = std::fabs(std::fabs(p.x) - 0.5f) < 1e-6f || std::fabs(std::fabs(p.y) - 0.5f) < 1e-6f ||
                         std::fabs(std::fabs(p.z) - 0.5f) < 1e-6f;
        if (onA && p.x < 0 && p.y < 0) {
            EXPECT_NEAR(r.mesh.texcoords[i].u, p.x + 0.5f, 1e-4f);
        }
    }
}

TEST(Boolean, ClosedOnTheLatticeDespiteSeamDuplicates)
{
    EXPECT_TRUE(IsClosedOnLattice(Cube({0, 0, 0})));
    EXPECT_TRUE(IsClosedOnLattice(Sphere({0, 0, 0}, 1.0f)));
    EXPECT_FALSE(IsClosedOnLattice(Square()));
    PolygonMesh holed = Cube({0, 0, 0});
    holed.faces.pop_back();
    holed.faceStart.pop_back();
    EXPECT_FALSE(IsClosedOnLattice(holed));
}

} // namespace
} // namespace corvid::testing
