// Relax: one step worked by hand on two triangles, the axes it leaves alone,
// the seams of a cube that must stay closed, and vertices with no faces or
// with more faces than a vertex keeps.

#include "geometry/Relax.h"

#include "geometry/Primitives.h"
#include "platform/MeshBuilder.h"

#include <gtest/gtest.h>

#include <cmath>

namespace corvid {
namespace {

// Two triangles sharing the edge 1-2, and a vertex no face uses.
MeshBuilderPtr TwoTriangles()
{
    auto mesh = MeshBuilder::Create();
    for (Vec3 v : {Vec3{0, 0, 0}, Vec3{2, 0, 0}, Vec3{0, 2, 0}, Vec3{2, 2, 0}, Vec3{5, 5, 5}})
        mesh->AddVertex(v);
    const int a[3] = {0, 1, 2}, b[3] = {1, 3, 2};
    mesh->AddFace(a);
    mesh->AddFace(b);
    mesh->GenerateNormals(0.0f, 0);
    return mesh;
}

TEST(RelaxTest, OneStepAveragesOverNeighboursInIndexOrder)
{
    // By hand: v0 moves to the mean of v1 and v2; v1 then averages over v0's
    // new place, v2 twice (it is on both faces) and v3; and so on.
    struct Case {
        RelaxParameters flags;
        std::vector<Vec3> expected;
    } cases[] = {
        {{true, true, true}, {{1, 1, 0}, {0.75f, 1.75f, 0}, {1.125f, 1.625f, 0}, {0.9375f, 1.6875f, 0}, {5, 5, 5}}},
        {{true, false, false}, {{1, 0, 0}, {0.75f, 0, 0}, {1.125f, 2, 0}, {0.9375f, 2, 0}, {5, 5, 5}}},
    };
    for (const Case& c : cases) {
        MeshBuilderPtr mesh = TwoTriangles();
        ASSERT_TRUE(Relax(*mesh, c.flags));
        const auto& v = mesh->GetVertices();
        ASSERT_EQ(v.size(), c.expected.size());
        for (size_t i = 0; i < v.size(); ++i)
            EXPECT_TRUE(NearlyEqual(v[i], c.expected[i], 1e-6f)) << i;
    }
}

TEST(RelaxTest, EveryFlagOffChangesNothingNotEvenNormals)
{
    MeshBuilderPtr mesh = TwoTriangles();
    mesh->GenerateNormals(1.0f, kGenerateNormalsUseCreaseAngle);
    const MeshContents before = mesh->GetContents();
    const uint64_t revision = mesh->GetRevision();
    EXPECT_FALSE(Relax(*mesh, {false, false, false}));
    EXPECT_EQ(mesh->GetRevision(), revision);
    EXPECT_EQ(mesh->GetContents().vertices, before.vertices);
    EXPECT_EQ(mesh->GetContents().normals, before.normals);
}

TEST(RelaxTest, SeamCopiesMoveTogetherSoACubeStaysClosed)
{
    MeshBuilderPtr cube = MeshBuilder::Create();
    ASSERT_TRUE(BuildCube(*cube, CubeParameters{2, 2, 2}));
    const std::vector<Vec3> before = cube->GetVertices();
    for (int step = 0; step < 3; ++step)
        ASSERT_TRUE(Relax(*cube, {}));
    const std::vector<Vec3>& after = cube->GetVertices();
    int seams = 0;
    for (size_t i = 0; i < before.size(); ++i)
        for (size_t j = i + 1; j < before.size(); ++j)
            if (before[i] == before[j]) {
                ++seams;
                EXPECT_EQ(after[i], after[j]) << i << " " << j;
            }
    EXPECT_GT(seams, 0);
    // It shrank inside its old box (in index order, so not symmetrically).
    const Box box = cube->GetBox();
    for (int k = 0; k < 3; ++k) {
        EXPECT_LT(box.Size()[k], 1.0f);
        EXPECT_GT(box.min[k], -0.5f);
        EXPECT_LT(box.max[k], 0.5f);
    }
}

TEST(RelaxTest, AVertexOnMoreFacesThanItKeepsStaysFinite)
{
    // A fan of 150 triangles round vertex 0: only its first 100 count.
    auto mesh = MeshBuilder::Create();
    mesh->AddVertex({0, 1, 0});
    const int rim = 150;
    for (int i = 0; i < rim; ++i) {
        const float a = 2.0f * kPi * static_cast<float>(i) / rim;
        mesh->AddVertex({std::cos(a), 0, std::sin(a)});
    }
    for (int i = 0; i < rim; ++i) {
        const int tri[3] = {0, 1 + i, 1 + (i + 1) % rim};
        mesh->AddFace(tri);
    }
    ASSERT_TRUE(Relax(*mesh, {}));
    const Vec3 apex = mesh->GetVertices()[0];
    // The first 100 faces span the rim from angle 0 to 240 degrees: the apex
    // drops to the rim's height and leans towards their side.
    EXPECT_NEAR(apex.y, 0.0f, 1e-5f);
    EXPECT_LT(apex.x, 0.0f);
    for (const Vec3& v : mesh->GetVertices())
        EXPECT_TRUE(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z));
}

} // namespace
} // namespace corvid
