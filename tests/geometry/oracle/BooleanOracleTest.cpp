// The volumes of our boolean results against CGAL's corefinement of the same
// operands: cubes (offset, turned and coplanar, contained) and spheres.

#include "geometry/BooleanOperation.h"
#include "geometry/Primitives.h"
#include "geometry/MeshInvariants.h"
#include "geometry/oracle/CgalMeshes.h"
#include "platform/MeshBuilder.h"

#include <gtest/gtest.h>

#include <cmath>

namespace corvid::testing {
namespace {

// Vertices rounded to multiples of 1/1024 (on the cutting lattice), so both
// programs see the same operands.
PolygonMesh Snapped(const MeshBuilder& mesh, const Matrix4& m)
{
    PolygonMesh out = OperandMesh(mesh, m);
    for (Vec3& p : out.positions)
        p = {std::round(p.x * 1024) / 1024, std::round(p.y * 1024) / 1024, std::round(p.z * 1024) / 1024};
    return out;
}

PolygonMesh Cube(Vec3 at, float size, const Matrix4& turn = Matrix4::Identity())
{
    MeshBuilder mesh;
    BuildCube(mesh, CubeParameters{});
    return Snapped(mesh, Matrix4::Scale({size, size, size}) * turn * Matrix4::Translation(at));
}

PolygonMesh Sphere(Vec3 at, float radius, int segments, int rings)
{
    MeshBuilder mesh;
    BuildSphere(mesh, SphereParameters{segments, rings});
    return Snapped(mesh, Matrix4::Scale({radius, radius, radius}) * Matrix4::Translation(at));
}

struct Case {
    const char* name;
    PolygonMesh a, b;
};

std::vector<Case> Cases()
{
    const Matrix4 turn = Matrix4::Rotation({1, 2, 3}, 0.7f);
    return {
        {"offset cubes", Cube({0, 0, 0}, 1), Cube({0.5f, 0.5f, 0.5f}, 1)},
        {"contained cube", Cube({0, 0, 0}, 1), Cube({0.1f, 0, 0}, 0.5f)},
        {"turned cubes", Cube({0, 0, 0}, 1, turn), Cube({0.3f, 0.2f, 0.1f}, 1, turn)},
        {"spheres", Sphere({0, 0, 0}, 1, 32, 16), Sphere({0.6f, 0.25f, 0.1f}, 0.8f, 24, 12)},
        {"fine and coarse spheres", Sphere({0, 0, 0}, 1, 64, 32), Sphere({0.3f, -0.5f, 0.2f}, 0.9f, 10, 5)},
    };
}

class BooleanOracle : public ::testing::TestWithParam<int> {};

TEST_P(BooleanOracle, VolumesAgreeWithCgal)
{
    const Case c = Cases()[GetParam()];
    SCOPED_TRACE(c.name);
    for (BooleanKind kind : {BooleanKind::Union, BooleanKind::Intersection, BooleanKind::Difference}) {
        SCOPED_TRACE(static_cast<int>(kind));
        const BooleanResult ours = BooleanMeshes(kind, c.a, c.b);
        ASSERT_TRUE(ours.status == BooleanStatus::Done || ours.status == BooleanStatus::Empty);
        EXPECT_EQ(SolidProblem(ours.mesh), "");
        const double expected = CgalBooleanVolume(kind, c.a, c.b);
        ASSERT_GE(expected, 0.0) << "CGAL refused";
        EXPECT_NEAR(SignedVolume(ours.mesh), expected, 1e-6 * std::max(1.0, expected));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, BooleanOracle, ::testing::Range(0, static_cast<int>(Cases().size())));

} // namespace
} // namespace corvid::testing
