// The CPU side of the renderer: how a mesh becomes vertex and index arrays,
// how qualities are capped, and where the projection puts things. No GL
// context is needed.

#include "platform/Material.h"
#include "platform/MeshBuilder.h"
#include "platform/Texture.h"
#include "platform/gl/GlDevice.h"
#include "platform/gl/GlMeshData.h"
#include "platform/gl/GlProjection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

using namespace corvid;

namespace {

// Two unit squares side by side in z = 0, sharing the edge x = 1.
MeshBuilderPtr TwoSquares()
{
    auto mesh = MeshBuilder::Create();
    for (int y = 0; y <= 1; ++y)
        for (int x = 0; x <= 2; ++x)
            mesh->AddVertex({float(x), float(y), 0});
    const int left[] = {0, 3, 4, 1}, right[] = {1, 4, 5, 2};
    mesh->AddFace(left);
    mesh->AddFace(right);
    return mesh;
}

Vec3 Position(const GlVertex& v)
{
    return {v.position[0], v.position[1], v.position[2]};
}

} // namespace

TEST(GlMeshData, SharedCornersBecomeOneVertexUnlessAnAttributeDiffers)
{
    auto mesh = TwoSquares();
    GlMeshData data = BuildGlMeshData(*mesh);
    ASSERT_EQ(data.batches.size(), 1u);
    EXPECT_EQ(data.vertices.size(), 6u);
    EXPECT_EQ(data.indices.size(), 12u);
    EXPECT_EQ(data.batches[0].opaqueIndexCount, 12u);
    EXPECT_FALSE(data.hasTransparency);
    EXPECT_TRUE(NearlyEqual(data.bounds.max, {2, 1, 0}));
    // Without normals, corners take their face's normal: folding the right
    // square out of the plane splits the shared edge.
    mesh->SetVertex(2, {2, 0, 1});
    mesh->SetVertex(5, {2, 1, 1});
    EXPECT_EQ(BuildGlMeshData(*mesh).vertices.size(), 8u);
    mesh->SetVertex(2, {2, 0, 0});
    mesh->SetVertex(5, {2, 1, 0});

    // A different colour on one face splits the shared edge.
    mesh->SetFaceColor(1, 0xFF00FF00);
    data = BuildGlMeshData(*mesh);
    EXPECT_EQ(data.vertices.size(), 8u);
    std::set<uint32_t> rightCorners(data.indices.begin() + 6, data.indices.end());
    for (uint32_t i : rightCorners)
        EXPECT_EQ(data.vertices[i].color[1], 255) << "ARGB becomes RGBA bytes";

    // With smooth normals the shared corners also share normals; the colour
    // source decides which colour a corner takes.
    mesh->SetFaceColor(1, 0xFFFFFFFF);
    mesh->GenerateNormals(kPi, 0);
    mesh->SetColorSource(ColorSource::Vertex);
    mesh->SetVertexColor(4, 0x80FF0000);
    data = BuildGlMeshData(*mesh);
    EXPECT_EQ(data.vertices.size(), 6u);
    EXPECT_TRUE(data.hasTransparency) << "a corner's alpha makes both faces see-through";
    EXPECT_EQ(data.batches[0].opaqueIndexCount, 0u);
    EXPECT_EQ(data.batches[0].transparentIndexCount, 12u);
}

TEST(GlMeshData, PolygonsAreFannedFromTheirFirstCornerWithOutlinesKept)
{
    auto mesh = MeshBuilder::Create();
    for (int i = 0; i < 5; ++i)
        mesh->AddVertex({std::cos(-2 * kPi * i / 5), std::sin(-2 * kPi * i / 5), 0});
    const int pentagon[] = {0, 1, 2, 3, 4};
    mesh->AddFace(pentagon);
    mesh->CreateFace();  // cornerless: left out
    GlMeshData data = BuildGlMeshData(*mesh, true);
    ASSERT_EQ(data.indices.size(), 9u);
    for (size_t t = 0; t < 3; ++t) {
        EXPECT_EQ(Position(data.vertices[data.indices[t * 3]]), Position(data.vertices[0]));
        // Fanning keeps the winding: every triangle's normal is the face's.
        const Vec3 a = Position(data.vertices[data.indices[t * 3]]);
        const Vec3 b = Position(data.vertices[data.indices[t * 3 + 1]]);
        const Vec3 c = Position(data.vertices[data.indices[t * 3 + 2]]);
        EXPECT_GT(Dot(Cross(b - a, c - a), mesh->GetFaceNormal(0)), 0.0f);
    }
    // Five outline edges, none of them a diagonal.
    ASSERT_EQ(data.edges.size(), 10u);
    for (size_t e = 0; e < 5; ++e) {
        const uint32_t a = data.edges[e * 2], b = data.edges[e * 2 + 1];
        EXPECT_TRUE(std::max(a, b) - std::min(a, b) == 1 || std::max(a, b) - std::min(a, b) == 4);
    }
    EXPECT_TRUE(BuildGlMeshData(*mesh).edges.empty()) << "outlines only on request";
}

TEST(GlMeshData, FacesAreBatchedByMaterialAndTexture)
{
    auto mesh = TwoSquares();
    const int third[] = {3, 4, 1};
    mesh->AddFace(third);
    auto shiny = Material::Create(10);
    mesh->SetFaceMaterial(1, shiny);
    Image pixel{1, 1, {1, 2, 3, 255}};
    mesh->SetFaceTexture(2, Texture::FromImage(pixel, "p"));
    GlMeshData data = BuildGlMeshData(*mesh);
    ASSERT_EQ(data.batches.size(), 3u);
    EXPECT_EQ(data.batches[1].material, shiny);
    EXPECT_TRUE(data.batches[2].texture);
    uint32_t next = 0, vertices = 0;
    for (const GlBatch& b : data.batches) {
        EXPECT_EQ(b.firstOpaqueIndex, next) << "batches tile the index array";
        next += b.opaqueIndexCount + b.transparentIndexCount;
        EXPECT_EQ(b.firstVertex, vertices);
        vertices += b.vertexCount;
        for (uint32_t i = 0; i < b.opaqueIndexCount; ++i) {
            const uint32_t index = data.indices[b.firstOpaqueIndex + i];
            EXPECT_GE(index, b.firstVertex);
            EXPECT_LT(index, b.firstVertex + b.vertexCount);
        }
    }
    EXPECT_EQ(next, data.indices.size());
    EXPECT_EQ(vertices, data.vertices.size());
}

TEST(GlMeshData, NormalsComeFromTheCornerOrTheFace)
{
    auto mesh = MeshBuilder::Create();
    const int a = mesh->AddVertex({0, 0, 0}), b = mesh->AddVertex({0, 1, 0}), c = mesh->AddVertex({1, 0, 0});
    const int n = mesh->AddNormal({3, 0, 0});  // not unit: normalised
    mesh->CreateFace();
    mesh->AddVertexAndNormalIndexed(0, a, n);
    mesh->AddVertexAndNormalIndexed(0, b);
    mesh->AddVertexAndNormalIndexed(0, c);
    GlMeshData data = BuildGlMeshData(*mesh);
    ASSERT_EQ(data.vertices.size(), 3u);
    EXPECT_TRUE(NearlyEqual(UnpackNormal(data.vertices[0].normal), {1, 0, 0}, 2e-3f));
    EXPECT_TRUE(NearlyEqual(UnpackNormal(data.vertices[1].normal), mesh->GetFaceNormal(0), 2e-3f));

    for (Vec3 v : {Vec3{0.6f, -0.8f, 0}, Vec3{-1, 0, 0}, Vec3{0.267f, 0.535f, -0.802f}})
        EXPECT_TRUE(NearlyEqual(UnpackNormal(PackNormal(v)), v, 2e-3f));
}

TEST(GlMeshData, WrappingTopologyTakesTheShortWayRoundTheSeam)
{
    auto mesh = MeshBuilder::Create();
    const int a = mesh->AddVertex({0, 0, 0}), b = mesh->AddVertex({0, 1, 0}), c = mesh->AddVertex({1, 0, 0});
    mesh->SetTextureCoordinates(a, 0.9f, 0.2f);
    mesh->SetTextureCoordinates(b, 0.1f, 0.9f);
    mesh->SetTextureCoordinates(c, 0.95f, 0.3f);
    const int tri[] = {a, b, c};
    mesh->AddFace(tri);
    GlMeshData plain = BuildGlMeshData(*mesh);
    EXPECT_FLOAT_EQ(plain.vertices[1].uv[0], 0.1f);

    mesh->SetFaceTextureTopology(0, true, false);
    GlMeshData wrapped = BuildGlMeshData(*mesh);
    EXPECT_FLOAT_EQ(wrapped.vertices[1].uv[0], 1.1f) << "within half a turn of the first corner";
    EXPECT_FLOAT_EQ(wrapped.vertices[1].uv[1], 0.9f) << "v does not wrap";
    EXPECT_FLOAT_EQ(wrapped.vertices[2].uv[0], 0.95f);
}

TEST(GlQuality, TheLowerShadeAndFillWinAndLightNeedsBoth)
{
    const unsigned phongLitSolid = kShadePhong | kLightOn | kFillSolid;
    EXPECT_EQ(EffectiveQuality(phongLitSolid, phongLitSolid), phongLitSolid);
    EXPECT_EQ(EffectiveQuality(phongLitSolid, kShadeFlat | kLightOn | kFillWireframe),
              kShadeFlat | kLightOn | kFillWireframe);
    EXPECT_EQ(EffectiveQuality(kShadeGouraud | kLightOn | kFillPoints, phongLitSolid),
              kShadeGouraud | kLightOn | kFillPoints);
    EXPECT_EQ(EffectiveQuality(phongLitSolid, kShadePhong | kLightOff | kFillSolid), kShadePhong | kFillSolid);
    EXPECT_EQ(EffectiveQuality(kShadeFlat | kLightOff | kFillSolid, phongLitSolid), kShadeFlat | kFillSolid);
}

TEST(GlProjection, FieldIsHalfTheWidthAndDepthSpansFrontToBack)
{
    ViewParameters view;  // perspective, field 0.5, front 1, back 10000
    const Matrix4 p = ProjectionMatrix(view, 200, 100);
    // At distance 8 the picture is 8 wide and 4 high; its right top corner
    // lands on the corner of clip space.
    const Vec3 corner = p.TransformPoint({4, 2, 8});
    EXPECT_NEAR(corner.x, 1, 1e-5);
    EXPECT_NEAR(corner.y, 1, 1e-5);
    EXPECT_NEAR(p.TransformPoint({0, 0, 1}).z, -1, 1e-4);
    EXPECT_NEAR(p.TransformPoint({0, 0, 10000}).z, 1, 1e-4);

    view.projection = Projection::Orthographic;
    view.field = 20;
    const Matrix4 o = ProjectionMatrix(view, 200, 100);
    for (float z : {2.0f, 500.0f}) {
        const Vec3 q = o.TransformPoint({20, 10, z});
        EXPECT_NEAR(q.x, 1, 1e-5);
        EXPECT_NEAR(q.y, 1, 1e-5);
    }
    EXPECT_NEAR(o.TransformPoint({0, 0, 1}).z, -1, 1e-4);

    view.field = -3;  // unusable values are replaced, never produce NaN
    view.front = 0;
    view.back = -1;
    const Matrix4 bad = ProjectionMatrix(view, 0, 0);
    for (const auto& row : bad.m)
        for (float v : row)
            EXPECT_TRUE(std::isfinite(v));
}
