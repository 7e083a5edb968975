#include "platform/Material.h"
#include "platform/MeshBuilder.h"
#include "platform/MeshBvh.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <vector>

using namespace corvid;

namespace {

// Cube of side 2 around the origin; vertex i has x, y, z = -1/+1 from bits 0, 1, 2.
// Faces are wound so their normals point outward.
constexpr int kCubeFaces[6][4] = {{4, 6, 2, 0}, {3, 7, 5, 1}, {1, 5, 4, 0},
                                  {6, 7, 3, 2}, {2, 3, 1, 0}, {5, 7, 6, 4}};

Vec3 CubeCorner(int i)
{
    return {(i & 1) ? 1.0f : -1.0f, (i & 2) ? 1.0f : -1.0f, (i & 4) ? 1.0f : -1.0f};
}

// sharedVertices: 8 vertices; otherwise every face has its own 4 copies.
MeshBuilderPtr MakeCube(bool sharedVertices)
{
    auto mesh = MeshBuilder::Create();
    if (sharedVertices)
        for (int i = 0; i < 8; ++i)
            mesh->AddVertex(CubeCorner(i));
    for (const auto& face : kCubeFaces) {
        std::vector<int> ids;
        for (int corner : face)
            ids.push_back(sharedVertices ? corner : mesh->AddVertex(CubeCorner(corner)));
        mesh->AddFace(ids);
    }
    return mesh;
}

// n x n quads over [0, n] in x and z with height y = height(x, z), wound so
// that the normals point up.
MeshBuilderPtr MakeGrid(int n, const std::function<float(float, float)>& height)
{
    auto mesh = MeshBuilder::Create();
    for (int j = 0; j <= n; ++j)
        for (int i = 0; i <= n; ++i)
            mesh->AddVertex({float(i), height(float(i), float(j)), float(j)});
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            int a = j * (n + 1) + i;
            int quad[4] = {a, a + n + 1, a + n + 2, a + 1};
            mesh->AddFace(quad);
        }
    return mesh;
}

Vec3 CornerNormal(const MeshBuilder& mesh, int face, int corner)
{
    Vec3 n;
    EXPECT_TRUE(mesh.GetNormal(mesh.GetFaceNormalIndex(face, corner), n));
    return n;
}

// What every generated normal set must satisfy: each corner names a valid
// unit normal, and a normal of its own vertex comes first at the vertex's
// index. Returns the number of distinct normal indices per vertex.
std::vector<int> CheckGeneratedNormals(const MeshBuilder& mesh)
{
    EXPECT_GE(mesh.GetNormalCount(), mesh.GetVertexCount());
    for (const Vec3& n : mesh.GetNormals())
        EXPECT_NEAR(Length(n), 1.0f, 1e-5f);
    std::vector<std::set<int>> used(static_cast<size_t>(mesh.GetVertexCount()));
    for (int f = 0; f < mesh.GetFaceCount(); ++f)
        for (const Corner& c : mesh.GetFaceCorners(f)) {
            EXPECT_GE(c.normal, 0);
            EXPECT_LT(c.normal, mesh.GetNormalCount());
            used[static_cast<size_t>(c.vertex)].insert(c.normal);
        }
    std::vector<int> counts;
    std::set<int> extras;
    for (size_t v = 0; v < used.size(); ++v) {
        const int own = static_cast<int>(v);
        if (!used[v].empty()) {
            EXPECT_EQ(used[v].count(own), 1u) << "vertex " << v << " does not use its own slot";
        }
        for (int n : used[v])
            EXPECT_TRUE(n == own || (n >= mesh.GetVertexCount() && extras.insert(n).second))
                << "vertex " << v << " uses normal " << n;
        counts.push_back(static_cast<int>(used[v].size()));
    }
    return counts;
}

} // namespace

TEST(MeshBuilder, BadIndicesAreRejectedAndChangeNothing)
{
    auto mesh = MeshBuilder::Create();
    for (int i = 0; i < 3; ++i)
        mesh->AddVertex({float(i), float(i * i), 0});
    mesh->AddNormal({0, 0, 1});
    int tri[3] = {0, 1, 2};
    ASSERT_EQ(mesh->AddFace(tri), 0);
    const uint64_t revision = mesh->GetRevision();

    int badVertexFace[3] = {0, 1, 3};
    int negativeFace[3] = {0, -1, 2};
    int twoCorners[2] = {0, 1};
    int normalsShort[2] = {0, 0};
    int badNormal[3] = {0, 1, 0};  // only normal 0 exists
    Vec3 v;
    float u, w;
    struct Case {
        const char* name;
        std::function<bool()> call;  // true when the call wrongly succeeded
    };
    const Case cases[] = {
        {"SetVertex past end", [&] { return mesh->SetVertex(3, {}); }},
        {"SetVertex negative", [&] { return mesh->SetVertex(-1, {}); }},
        {"GetVertex past end", [&] { return mesh->GetVertex(3, v); }},
        {"SetNormal past end", [&] { return mesh->SetNormal(1, {}); }},
        {"GetNormal negative", [&] { return mesh->GetNormal(-1, v); }},
        {"SetTextureCoordinates", [&] { return mesh->SetTextureCoordinates(3, 1, 1); }},
        {"GetTextureCoordinates", [&] { return mesh->GetTextureCoordinates(-1, u, w); }},
        {"SetVertexColor", [&] { return mesh->SetVertexColor(7, 0); }},
        {"GetVertexColor", [&] { return mesh->GetVertexColor(3) != 0; }},
        {"corner on missing face", [&] { return mesh->AddVertexAndNormalIndexed(1, 0); }},
        {"corner on negative face", [&] { return mesh->AddVertexAndNormalIndexed(-1, 0); }},
        {"corner with missing vertex", [&] { return mesh->AddVertexAndNormalIndexed(0, 3); }},
        {"corner with missing normal", [&] { return mesh->AddVertexAndNormalIndexed(0, 0, 1); }},
        {"corner with normal -2", [&] { return mesh->AddVertexAndNormalIndexed(0, 0, -2); }},
        {"AddFace missing vertex", [&] { return mesh->AddFace(badVertexFace) >= 0; }},
        {"AddFace negative vertex", [&] { return mesh->AddFace(negativeFace) >= 0; }},
        {"AddFace two corners", [&] { return mesh->AddFace(twoCorners) >= 0; }},
        {"AddFace normal count differs", [&] { return mesh->AddFace(tri, normalsShort) >= 0; }},
        {"AddFace missing normal", [&] { return mesh->AddFace(tri, badNormal) >= 0; }},
        {"face colour", [&] { return mesh->SetFaceColor(1, 0); }},
        {"face colour RGB", [&] { return mesh->SetFaceColorRGB(-1, 0, 0, 0); }},
        {"face material", [&] { return mesh->SetFaceMaterial(1, nullptr); }},
        {"face texture", [&] { return mesh->SetFaceTexture(1, nullptr); }},
        {"face topology", [&] { return mesh->SetFaceTextureTopology(5, true, true); }},
        {"face attributes", [&] { return mesh->GetFaceAttributes(1) != nullptr; }},
        {"face corners", [&] { return !mesh->GetFaceCorners(1).empty(); }},
        {"face vertex count", [&] { return mesh->GetFaceVertexCount(-1) != 0; }},
        {"corner vertex past end", [&] { return mesh->GetFaceVertexIndex(0, 3) != -1; }},
        {"corner vertex of missing face", [&] { return mesh->GetFaceVertexIndex(1, 0) != -1; }},
        {"corner normal negative", [&] { return mesh->GetFaceNormalIndex(0, -1) != -1; }},
        {"face normal", [&] { return !(mesh->GetFaceNormal(2) == Vec3{}); }},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(c.call()) << c.name;
        EXPECT_EQ(mesh->GetRevision(), revision) << c.name;
    }
    EXPECT_EQ(mesh->GetVertexCount(), 3);
    EXPECT_EQ(mesh->GetNormalCount(), 1);
    EXPECT_EQ(mesh->GetFaceCount(), 1);
    EXPECT_EQ(mesh->GetFaceVertexCount(0), 3);
}

TEST(MeshBuilder, CornersAddedToAnEarlierFaceLeaveLaterFacesIntact)
{
    auto mesh = MeshBuilder::Create();
    for (int i = 0; i < 6; ++i)
        mesh->AddVertex({float(i), 0, 0});
    int f0 = mesh->CreateFace(), f1 = mesh->CreateFace(), f2 = mesh->CreateFace();
    EXPECT_TRUE(mesh->AddVertexAndNormalIndexed(f1, 3));
    EXPECT_TRUE(mesh->AddVertexAndNormalIndexed(f0, 0));
    EXPECT_TRUE(mesh->AddVertexAndNormalIndexed(f2, 5));
    EXPECT_TRUE(mesh->AddVertexAndNormalIndexed(f0, 1));
    EXPECT_TRUE(mesh->AddVertexAndNormalIndexed(f1, 4));
    auto vertexIds = [&](int f) {
        std::vector<int> ids;
        for (const Corner& c : mesh->GetFaceCorners(f))
            ids.push_back(c.vertex);
        return ids;
    };
    EXPECT_EQ(vertexIds(f0), (std::vector<int>{0, 1}));
    EXPECT_EQ(vertexIds(f1), (std::vector<int>{3, 4}));
    EXPECT_EQ(vertexIds(f2), (std::vector<int>{5}));
    EXPECT_EQ(mesh->GetFaceVertexIndex(f1, 1), 4);
}

// The bulk path must build exactly what the per-element calls build, after
// whatever the mesh already held.
TEST(MeshBuilder, AppendedTrianglesMatchFacesBuiltOneCallAtATime)
{
    const std::vector<Vec3> points{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}, {2, 1, 0}, {1, 2, 1}};
    const FaceAttributes attributes{0xFF102030u, Material::Create(2.0f), nullptr, false, false};
    auto expected = MeshBuilder::Create();
    auto bulk = MeshBuilder::Create();
    for (auto* mesh : {expected.get(), bulk.get()}) {
        mesh->SetColor(0xFFAA0000u);
        const int v[3] = {mesh->AddVertex({5, 5, 5}), mesh->AddVertex({6, 5, 5}), mesh->AddVertex({5, 6, 5})};
        mesh->AddFace(v);
        mesh->SetColor(0xFF00BB00u);
    }
    for (size_t t = 0; t < 2; ++t) {
        const int face = expected->CreateFace();
        for (size_t c = 0; c < 3; ++c)
            expected->AddVertexAndNormalIndexed(face, expected->AddVertex(points[3 * t + c]));
        expected->SetFaceColor(face, attributes.color);
        expected->SetFaceMaterial(face, attributes.material);
    }
    const std::span<Vec3> filled = bulk->AppendTriangles(2, attributes);
    ASSERT_EQ(filled.size(), 6u);
    std::copy(points.begin(), points.end(), filled.begin());
    const MeshContents a = expected->GetContents(), b = bulk->GetContents();
    EXPECT_EQ(a.vertices, b.vertices);
    EXPECT_EQ(a.texcoords, b.texcoords);
    EXPECT_EQ(a.vertexColors, b.vertexColors);
    EXPECT_EQ(a.faceStart, b.faceStart);
    EXPECT_EQ(a.corners, b.corners);
    EXPECT_EQ(a.faces, b.faces);

    // Counts whose corners would not fit an int are refused with nothing added.
    EXPECT_TRUE(bulk->AppendTriangles(0, attributes).empty());
    EXPECT_TRUE(bulk->AppendTriangles(size_t{1} << 30, attributes).empty());
    EXPECT_EQ(bulk->GetFaceCount(), 3);
    EXPECT_EQ(bulk->GetVertexCount(), 9);
}

TEST(MeshBuilder, WholeMeshSettingsReachExistingAndLaterFaces)
{
    auto mesh = MeshBuilder::Create();
    mesh->AddVertex({});
    mesh->AddVertex({1, 0, 0});
    mesh->AddVertex({0, 1, 0});
    int tri[3] = {0, 1, 2};
    int before = mesh->AddFace(tri);
    MaterialPtr material = Material::Create(5.0f);
    mesh->SetColorRGB(1.0f, 0.5f, 0.0f);
    mesh->SetMaterial(material);
    mesh->SetTextureTopology(true, false);
    int after = mesh->AddFace(tri);

    EXPECT_EQ(mesh->GetColor(), 0xFFFF7F00u);
    for (int f : {before, after}) {
        const FaceAttributes* a = mesh->GetFaceAttributes(f);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->color, 0xFFFF7F00u) << f;
        EXPECT_EQ(a->material, material) << f;
        EXPECT_TRUE(a->wrapU) << f;
        EXPECT_FALSE(a->wrapV) << f;
    }
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(mesh->GetVertexColor(i), 0xFFFF7F00u);

    // A face setting overrides only that face.
    mesh->SetFaceColor(after, 0xFF000000u);
    EXPECT_EQ(mesh->GetFaceAttributes(before)->color, 0xFFFF7F00u);
}

TEST(MeshBuilder, EveryChangeRaisesTheRevision)
{
    auto mesh = MakeCube(true);
    mesh->AddNormal({0, 1, 0});
    const std::pair<const char*, std::function<void()>> changes[] = {
        {"AddVertex", [&] { mesh->AddVertex({}); }},
        {"SetVertex", [&] { mesh->SetVertex(0, {2, 2, 2}); }},
        {"AddNormal", [&] { mesh->AddNormal({}); }},
        {"SetNormal", [&] { mesh->SetNormal(0, {1, 0, 0}); }},
        {"SetTextureCoordinates", [&] { mesh->SetTextureCoordinates(1, 0.5f, 0.5f); }},
        {"SetVertexColor", [&] { mesh->SetVertexColor(1, 0); }},
        {"CreateFace", [&] { mesh->CreateFace(); }},
        {"AddVertexAndNormalIndexed", [&] { mesh->AddVertexAndNormalIndexed(0, 1); }},
        {"SetFaceColor", [&] { mesh->SetFaceColor(0, 0); }},
        {"SetFaceMaterial", [&] { mesh->SetFaceMaterial(0, Material::Create(1)); }},
        {"SetFaceTextureTopology", [&] { mesh->SetFaceTextureTopology(0, true, true); }},
        {"SetColor", [&] { mesh->SetColor(0xFF102030u); }},
        {"SetMaterial", [&] { mesh->SetMaterial(nullptr); }},
        {"SetTexture", [&] { mesh->SetTexture(nullptr); }},
        {"GenerateNormals", [&] { mesh->GenerateNormals(0.5f, 0); }},
        {"Scale", [&] { mesh->Scale(2, 2, 2); }},
        {"Translate", [&] { mesh->Translate(1, 0, 0); }},
        {"Empty", [&] { mesh->Empty(); }},
    };
    for (const auto& [name, change] : changes) {
        uint64_t before = mesh->GetRevision();
        change();
        EXPECT_GT(mesh->GetRevision(), before) << name;
    }
}

TEST(MeshBuilder, GeometryChangesReachTheNextRayQuery)
{
    auto mesh = MakeCube(true);
    ASSERT_EQ(mesh->IntersectRay({0, 0, -5}, {0, 0, 1}).front().distance, 4.0f);
    mesh->Translate(0, 0, 1);
    EXPECT_FLOAT_EQ(mesh->IntersectRay({0, 0, -5}, {0, 0, 1}).front().distance, 5.0f);
    mesh->Scale(1, 1, 0.5f);
    EXPECT_FLOAT_EQ(mesh->IntersectRay({0, 0, -5}, {0, 0, 1}).front().distance, 5.0f);
    for (int i = 0; i < 8; ++i)
        mesh->SetVertex(i, CubeCorner(i) * 3.0f);
    EXPECT_FLOAT_EQ(mesh->IntersectRay({0, 0, -5}, {0, 0, 1}).front().distance, 2.0f);
    mesh->Empty();
    EXPECT_TRUE(mesh->IntersectRay({0, 0, -5}, {0, 0, 1}).empty());
    EXPECT_TRUE(mesh->GetBox().IsEmpty());
    EXPECT_EQ(mesh->GetFaceCount(), 0);
}

TEST(MeshBuilder, CloneIsIndependentAndCarriesNoRecord)
{
    struct Record : AppData {};
    auto mesh = MakeCube(true);
    mesh->SetAppData(std::make_unique<Record>());
    mesh->SetMaterial(Material::Create(2));
    mesh->SetTextureCoordinates(3, 0.25f, 0.75f);
    ASSERT_FALSE(mesh->IntersectRay({0, 0, -5}, {0, 0, 1}).empty());  // builds the original's hierarchy

    auto copy = mesh->Clone();
    EXPECT_EQ(copy->GetAppData(), nullptr);
    EXPECT_EQ(copy->GetVertices(), mesh->GetVertices());
    EXPECT_EQ(copy->GetMaterial(), mesh->GetMaterial());
    float u = 0, v = 0;
    EXPECT_TRUE(copy->GetTextureCoordinates(3, u, v));
    EXPECT_EQ(u, 0.25f);

    copy->Translate(10, 0, 0);
    copy->AddVertexAndNormalIndexed(0, 1);
    copy->SetFaceColor(0, 0);
    EXPECT_TRUE(copy->IntersectRay({0, 0, -5}, {0, 0, 1}).empty());
    EXPECT_FALSE(mesh->IntersectRay({0, 0, -5}, {0, 0, 1}).empty());
    EXPECT_EQ(mesh->GetBox().max.x, 1.0f);
    EXPECT_EQ(mesh->GetFaceVertexCount(0), 4);
    EXPECT_EQ(mesh->GetFaceAttributes(0)->color, 0xFFFFFFFFu);
    EXPECT_NE(mesh->GetAppData(), nullptr);
}

TEST(MeshBuilder, ContentsComeBackExactlyAndKeepOnlyWhatDiffers)
{
    auto mesh = MakeCube(true);
    mesh->SetMaterial(Material::Create(2));
    mesh->SetTextureCoordinates(3, 0.25f, 0.75f);
    const MeshContents before = mesh->GetContents();
    const uint64_t revision = mesh->GetRevision();
    ASSERT_FALSE(mesh->IntersectRay({0, 0, -5}, {0, 0, 1}).empty());

    mesh->Scale(3, 1, 1);
    MeshContents was = before;
    MeshContents now = mesh->GetContents();
    MeshContents::KeepDifferences(was, now);
    EXPECT_EQ(was.parts, kMeshVertices);
    EXPECT_EQ(now.parts, kMeshVertices);
    EXPECT_TRUE(was.faces.empty() && was.texcoords.empty());
    EXPECT_LT(was.Bytes(), before.Bytes());

    // Putting back the differences restores the mesh bit for bit, and the
    // renderer and the ray queries see the change.
    mesh->SetContents(was);
    EXPECT_GT(mesh->GetRevision(), revision);
    const MeshContents again = mesh->GetContents();
    EXPECT_EQ(again.vertices, before.vertices);
    EXPECT_EQ(again.normals, before.normals);
    EXPECT_EQ(again.texcoords, before.texcoords);
    EXPECT_EQ(again.faces, before.faces);
    EXPECT_EQ(again.corners, before.corners);
    EXPECT_EQ(again.material, before.material);
    EXPECT_EQ(mesh->GetBox().max.x, 1.0f);
    EXPECT_FALSE(mesh->IntersectRay({0, 0, -5}, {0, 0, 1}).empty());

    // Faces and settings too: an emptied mesh comes back whole.
    mesh->Empty();
    mesh->SetQuality(kFillWireframe);
    mesh->SetContents(before);
    EXPECT_EQ(mesh->GetFaceCount(), 6);
    EXPECT_EQ(mesh->GetQuality(), before.quality);
    float u = 0, v = 0;
    EXPECT_TRUE(mesh->GetTextureCoordinates(3, u, v));
    EXPECT_EQ(v, 0.75f);
}

// --- storage -------------------------------------------------------------------
// A mesh keeps per-face records only once its faces differ, and per-vertex
// colours and texture coordinates only once one is set; what the getters
// report must not depend on which form the mesh is in.

TEST(MeshBuilderStorage, FacesShareOneRecordUntilOneDiffers)
{
    auto mesh = MeshBuilder::Create();
    const MaterialPtr red = Material::Create(1.0f);
    const FaceAttributes look{0xFFFF0000u, red, nullptr, false, false};
    mesh->AppendTriangles(1000, look);
    // Positions, corners and face starts only: no record per face, no
    // colour or coordinates per vertex.
    EXPECT_LE(mesh->MemoryBytes(), 3000 * sizeof(Vec3) + 3000 * sizeof(Corner) + 1001 * sizeof(int) + 4096);

    mesh->SetFaceColor(500, 0xFF00FF00u);
    mesh->SetFaceTextureTopology(7, true, false);
    for (int f : {0, 7, 499, 500, 501, 999}) {
        const FaceAttributes& a = *mesh->GetFaceAttributes(f);
        EXPECT_EQ(a.color, f == 500 ? 0xFF00FF00u : 0xFFFF0000u) << f;
        EXPECT_EQ(a.material, red) << f;
        EXPECT_EQ(a.wrapU, f == 7) << f;
    }
    // Faces created later take the mesh's settings, not a neighbour's look.
    const int v[3] = {0, 1, 2};
    const int added = mesh->AddFace(v);
    EXPECT_EQ(mesh->GetFaceAttributes(added)->color, mesh->GetColor());
    EXPECT_EQ(mesh->GetFaceAttributes(added)->material, nullptr);

    // Whole-mesh settings make the faces alike again, and the records go.
    const size_t withRecords = mesh->MemoryBytes();
    mesh->SetTextureTopology(false, false);
    mesh->SetMaterial(red);
    mesh->SetColor(0xFF0000FFu);
    EXPECT_LE(mesh->MemoryBytes() + 1001 * sizeof(FaceAttributes), withRecords);
    for (int f : {0, 500, 1000})
        EXPECT_EQ(*mesh->GetFaceAttributes(f), (FaceAttributes{0xFF0000FFu, red, nullptr, false, false})) << f;

    // Contents always list one record per face, and a mesh given faces that
    // all look alike shares them.
    const MeshContents contents = mesh->GetContents();
    EXPECT_EQ(contents.faces.size(), 1001u);
    auto copy = MeshBuilder::Create();
    copy->SetContents(contents);
    EXPECT_LE(copy->MemoryBytes() + 1001 * sizeof(FaceAttributes), contents.Bytes());
    EXPECT_EQ(copy->GetContents().faces, contents.faces);
}

TEST(MeshBuilderStorage, VertexColorsAndCoordinatesAreKeptOnlyOnceSet)
{
    auto mesh = MakeCube(true);
    mesh->SetColor(0xFF112233u);
    EXPECT_TRUE(mesh->GetTextureCoordinateList().empty());
    EXPECT_EQ(mesh->GetVertexColor(5), 0xFF112233u);
    // Setting what a vertex already has keeps no array.
    EXPECT_TRUE(mesh->SetTextureCoordinates(2, 0.0f, 0.0f));
    EXPECT_TRUE(mesh->SetVertexColor(2, 0xFF112233u));
    EXPECT_TRUE(mesh->GetTextureCoordinateList().empty());
    EXPECT_EQ(mesh->GetContents(kMeshVertexColors).vertexColors.size(), 0u);

    mesh->SetTextureCoordinates(2, 0.5f, 0.25f);
    mesh->SetVertexColor(2, 0xFF000000u);
    const int later = mesh->AddVertex({3, 3, 3});
    ASSERT_EQ(mesh->GetTextureCoordinateList().size(), 9u);
    float u = -1, v = -1;
    for (int i : {0, 2, later}) {
        EXPECT_TRUE(mesh->GetTextureCoordinates(i, u, v));
        EXPECT_EQ(u, i == 2 ? 0.5f : 0.0f) << i;
        EXPECT_EQ(v, i == 2 ? 0.25f : 0.0f) << i;
        EXPECT_EQ(mesh->GetVertexColor(i), i == 2 ? 0xFF000000u : 0xFF112233u) << i;
    }
    // A whole list is taken only with one pair per vertex.
    EXPECT_FALSE(mesh->SetTextureCoordinateList(std::vector<Vec2>(8)));
    EXPECT_TRUE(mesh->SetTextureCoordinateList(std::vector<Vec2>(9, Vec2{1, 1})));

    // The mesh's colour reaches every vertex, and restoring the settings
    // alone brings the earlier colour back to every vertex too.
    const MeshContents settings = mesh->GetContents(kMeshSettings | kMeshVertexColors);
    mesh->SetColor(0xFFFFFFFFu);
    EXPECT_EQ(mesh->GetVertexColor(2), 0xFFFFFFFFu);
    mesh->SetContents(settings);
    EXPECT_EQ(mesh->GetVertexColor(2), 0xFF000000u);
    EXPECT_EQ(mesh->GetVertexColor(later), 0xFF112233u);

    // An empty mesh that gets vertices back without coordinates has (0, 0).
    MeshContents geometry = MakeCube(true)->GetContents();
    mesh->SetContents(geometry);
    EXPECT_TRUE(mesh->GetTextureCoordinates(7, u, v));
    EXPECT_EQ(u, 0.0f);
    EXPECT_EQ(mesh->GetVertexColor(7), 0xFFFFFFFFu);
}

// --- normals ------------------------------------------------------------------

TEST(MeshBuilderNormals, SharedCubeSmoothPointsDiagonallyOutward)
{
    auto mesh = MakeCube(true);
    mesh->GenerateNormals(0.0f, 0);
    ASSERT_EQ(mesh->GetNormalCount(), 8);
    CheckGeneratedNormals(*mesh);
    for (int f = 0; f < 6; ++f)
        for (int c = 0; c < 4; ++c) {
            EXPECT_EQ(mesh->GetFaceNormalIndex(f, c), mesh->GetFaceVertexIndex(f, c));
            Vec3 corner = CubeCorner(mesh->GetFaceVertexIndex(f, c));
            EXPECT_TRUE(NearlyEqual(CornerNormal(*mesh, f, c), corner / std::sqrt(3.0f)));
        }
}

TEST(MeshBuilderNormals, CreaseSplitsTheCubeIntoFaceNormals)
{
    struct Case {
        const char* name;
        bool shared;
        float crease;
        unsigned flags;
        int normals;   // expected normal count
        bool flat;     // corners carry their face's normal, else the diagonal
    };
    const Case cases[] = {
        {"shared, crease 1", true, 1.0f, kGenerateNormalsUseCreaseAngle, 24, true},
        {"shared, crease 0", true, 0.0f, kGenerateNormalsUseCreaseAngle, 24, true},
        {"shared, crease just under 90 degrees", true, 1.57f, kGenerateNormalsUseCreaseAngle, 24, true},
        {"shared, crease over 90 degrees", true, 1.58f, kGenerateNormalsUseCreaseAngle, 8, false},
        {"separate, smooth", false, 0.0f, 0, 24, true},
        {"separate, precompact smooth", false, 0.0f, kGenerateNormalsPrecompact, 24, false},
        {"separate, precompact crease 1", false, 1.0f,
         kGenerateNormalsPrecompact | kGenerateNormalsUseCreaseAngle, 24, true},
        {"separate, precompact crease 2", false, 2.0f,
         kGenerateNormalsPrecompact | kGenerateNormalsUseCreaseAngle, 24, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto mesh = MakeCube(c.shared);
        mesh->GenerateNormals(c.crease, c.flags);
        EXPECT_EQ(mesh->GetNormalCount(), c.normals);
        EXPECT_EQ(mesh->GetVertexCount(), c.shared ? 8 : 24);  // precompact keeps the vertices
        std::vector<int> perVertex = CheckGeneratedNormals(*mesh);
        if (c.shared) {
            EXPECT_EQ(*std::min_element(perVertex.begin(), perVertex.end()), c.flat ? 3 : 1);
        }
        for (int f = 0; f < 6; ++f)
            for (int k = 0; k < 4; ++k) {
                Vec3 position;
                mesh->GetVertex(mesh->GetFaceVertexIndex(f, k), position);
                Vec3 expected = c.flat ? mesh->GetFaceNormal(f) : position / std::sqrt(3.0f);
                EXPECT_TRUE(NearlyEqual(CornerNormal(*mesh, f, k), expected)) << "face " << f << " corner " << k;
            }
    }
}

TEST(MeshBuilderNormals, GentleSurfaceIsNotSplitAndMatchesSmooth)
{
    auto height = [](float x, float z) { return 3.0f * std::sin(x * 0.2f) * std::cos(z * 0.15f); };
    auto smooth = MakeGrid(30, height);
    auto creased = MakeGrid(30, height);
    smooth->GenerateNormals(1.0f, 0);
    creased->GenerateNormals(1.0f, kGenerateNormalsUseCreaseAngle);
    ASSERT_EQ(creased->GetNormalCount(), creased->GetVertexCount());
    CheckGeneratedNormals(*creased);
    for (int v = 0; v < smooth->GetVertexCount(); ++v) {
        Vec3 a, b;
        smooth->GetNormal(v, a);
        creased->GetNormal(v, b);
        EXPECT_TRUE(NearlyEqual(a, b, 1e-6f)) << v;
        EXPECT_GT(a.y, 0.5f) << v;
    }
}

TEST(MeshBuilderNormals, SharpRidgeSplitsOnlyAlongTheRidge)
{
    // A roof: slopes of +-60 degrees meeting along x = 5, so the faces on
    // either side differ by 120 degrees; everything else is flat.
    const int n = 10;
    auto mesh = MakeGrid(n, [](float x, float) { return std::sqrt(3.0f) * (5.0f - std::fabs(x - 5.0f)); });
    mesh->GenerateNormals(1.0f, kGenerateNormalsUseCreaseAngle);
    std::vector<int> perVertex = CheckGeneratedNormals(*mesh);
    EXPECT_EQ(mesh->GetNormalCount(), mesh->GetVertexCount() + (n + 1));
    for (int v = 0; v < mesh->GetVertexCount(); ++v)
        EXPECT_EQ(perVertex[static_cast<size_t>(v)], v % (n + 1) == 5 ? 2 : 1) << v;
    for (int f = 0; f < mesh->GetFaceCount(); ++f)
        for (int k = 0; k < 4; ++k)
            EXPECT_TRUE(NearlyEqual(CornerNormal(*mesh, f, k), mesh->GetFaceNormal(f))) << f;
}

TEST(MeshBuilderNormals, PrecompactSmoothsASeamOfDuplicatedVertices)
{
    // The same curved strip twice, the second half with its own copies of the
    // seam vertices at x = 5.
    auto height = [](float x, float z) { return 0.05f * (x - 5.0f) * (x - 5.0f) + 0.01f * z; };
    auto whole = MakeGrid(10, height);
    auto split = MeshBuilder::Create();
    for (int j = 0; j <= 10; ++j)
        for (int i = 0; i <= 11; ++i) {
            float x = i <= 5 ? float(i) : float(i - 1);  // column 6 repeats x = 5
            split->AddVertex({x, height(x, float(j)), float(j)});
        }
    for (int j = 0; j < 10; ++j)
        for (int i = 0; i < 11; ++i) {
            if (i == 5)
                continue;  // no face between the two copies of the seam
            int a = j * 12 + i;
            int quad[4] = {a, a + 12, a + 13, a + 1};
            split->AddFace(quad);
        }
    whole->GenerateNormals(0.0f, 0);
    for (unsigned flags : {unsigned(kGenerateNormalsPrecompact),
                           unsigned(kGenerateNormalsPrecompact | kGenerateNormalsUseCreaseAngle)}) {
        split->GenerateNormals(1.0f, flags);
        ASSERT_EQ(split->GetVertexCount(), 11 * 12);
        CheckGeneratedNormals(*split);
        for (int j = 0; j <= 10; ++j) {
            Vec3 expected, left, right;
            whole->GetNormal(j * 11 + 5, expected);
            split->GetNormal(j * 12 + 5, left);
            split->GetNormal(j * 12 + 6, right);
            EXPECT_TRUE(NearlyEqual(left, expected, 1e-5f)) << "flags " << flags << " row " << j;
            EXPECT_TRUE(NearlyEqual(right, expected, 1e-5f)) << "flags " << flags << " row " << j;
        }
    }
    // Without precompacting the two copies keep one-sided normals.
    split->GenerateNormals(0.0f, 0);
    Vec3 left, right;
    split->GetNormal(5, left);
    split->GetNormal(6, right);
    EXPECT_FALSE(NearlyEqual(left, right, 1e-3f));
}

TEST(MeshBuilderNormals, AFaceTouchingAPointTwiceCountsOnce)
{
    // A flat quad whose last corner repeats the point C, and a tilted triangle
    // at C: C's normal must lie halfway between the two faces' normals.
    struct Case {
        const char* name;
        bool copyOfC;  // the repeat is a second vertex at C's position
        unsigned flags;
    };
    const Case cases[] = {
        {"same vertex twice", false, 0},
        {"same vertex twice, crease", false, kGenerateNormalsUseCreaseAngle},
        {"copy of the vertex", true, kGenerateNormalsPrecompact},
        {"copy of the vertex, crease", true, kGenerateNormalsPrecompact | kGenerateNormalsUseCreaseAngle},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto mesh = MeshBuilder::Create();
        int a = mesh->AddVertex({0, 0, 0}), b = mesh->AddVertex({0, 0, 1}), cc = mesh->AddVertex({1, 0, 1});
        int repeat = c.copyOfC ? mesh->AddVertex({1, 0, 1}) : cc;
        int p = mesh->AddVertex({1, 0, 2}), q = mesh->AddVertex({2, 0.5f, 1});
        int quad[4] = {a, b, cc, repeat};
        int tri[3] = {cc, p, q};
        mesh->AddFace(quad);
        mesh->AddFace(tri);
        mesh->GenerateNormals(1.0f, c.flags);
        ASSERT_EQ(mesh->GetNormalCount(), mesh->GetVertexCount());
        Vec3 n;
        mesh->GetNormal(repeat, n);
        EXPECT_NEAR(Dot(n, mesh->GetFaceNormal(0)), Dot(n, mesh->GetFaceNormal(1)), 1e-6f);
        EXPECT_NEAR(Length(n), 1.0f, 1e-6f);
    }
}

TEST(MeshBuilderNormals, ATriangleSoupGetsTheNormalsOfTheGeneralPass)
{
    // Facets of their own (with a degenerate and a quad among them), once as
    // a plain soup and once with a loose vertex at the end, which takes the
    // general pass; the facets' normals must come out bit for bit the same.
    std::mt19937 random(7);
    std::uniform_real_distribution<float> coordinate(-3.0f, 3.0f);
    auto soup = MeshBuilder::Create();
    for (int t = 0; t < 200; ++t) {
        const int corners = t % 50 == 3 ? 4 : 3;
        std::vector<int> ids;
        for (int c = 0; c < corners; ++c)
            ids.push_back(soup->AddVertex(t == 10 ? Vec3{1, 1, 1} : Vec3{coordinate(random), coordinate(random),
                                                                           coordinate(random)}));
        soup->AddFace(ids);
    }
    for (const auto& [crease, flags] : {std::pair{1.0f, unsigned{kGenerateNormalsUseCreaseAngle}},
                                        std::pair{0.0f, unsigned{kGenerateNormalsUseCreaseAngle}},
                                        std::pair{0.0f, 0u}}) {
        auto general = soup->Clone();
        general->AddVertex({});
        soup->GenerateNormals(crease, flags);
        general->GenerateNormals(crease, flags);
        ASSERT_EQ(soup->GetNormalCount(), soup->GetVertexCount());
        for (int v = 0; v < soup->GetVertexCount(); ++v)
            ASSERT_EQ(soup->GetNormals()[static_cast<size_t>(v)], general->GetNormals()[static_cast<size_t>(v)]) << v;
        EXPECT_EQ(soup->GetNormals()[31], (Vec3{0, 1, 0})) << "a facet without area";
        EXPECT_EQ(soup->GetContents().corners, std::vector<Corner>(general->GetContents().corners));
    }
}

TEST(MeshBuilderNormals, DegenerateFacesAndLooseVerticesStayFinite)
{
    auto mesh = MeshBuilder::Create();
    mesh->AddVertex({0, 0, 0});
    mesh->AddVertex({1, 0, 0});
    mesh->AddVertex({2, 0, 0});  // collinear with the first two
    mesh->AddVertex({0, 1, 1});
    mesh->AddVertex({5, 5, 5});  // on no face
    int line[3] = {0, 1, 2};
    int tri[3] = {0, 3, 1};
    mesh->AddFace(line);
    mesh->AddFace(tri);
    EXPECT_EQ(mesh->GetFaceNormal(0), Vec3{});
    for (unsigned flags : {0u, unsigned(kGenerateNormalsUseCreaseAngle), 3u}) {
        mesh->GenerateNormals(0.5f, flags);
        CheckGeneratedNormals(*mesh);
        Vec3 n;
        mesh->GetNormal(2, n);  // only on the degenerate face
        EXPECT_EQ(n, (Vec3{0, 1, 0})) << flags;
        mesh->GetNormal(4, n);
        EXPECT_EQ(n, (Vec3{0, 1, 0})) << flags;
        mesh->GetNormal(3, n);
        EXPECT_TRUE(NearlyEqual(n, mesh->GetFaceNormal(1))) << flags;
    }
}

// --- ray queries ----------------------------------------------------------------

TEST(MeshBuilderRays, HitsAreOrderedAndSeenFromBothSides)
{
    // Two unit squares facing -z at z = 1 and z = 3.
    auto mesh = MeshBuilder::Create();
    for (float z : {1.0f, 3.0f}) {
        int a = mesh->AddVertex({-1, -1, z}), b = mesh->AddVertex({-1, 1, z});
        int c = mesh->AddVertex({1, 1, z}), d = mesh->AddVertex({1, -1, z});
        int quad[4] = {a, b, c, d};
        mesh->AddFace(quad);
    }
    struct Case {
        const char* name;
        Vec3 origin, direction;
        std::vector<std::pair<int, float>> hits;  // face, distance
    };
    const Case cases[] = {
        {"front to back", {0.2f, 0.3f, 0}, {0, 0, 1}, {{0, 1.0f}, {1, 3.0f}}},
        {"back to front", {0.2f, 0.3f, 5}, {0, 0, -1}, {{1, 2.0f}, {0, 4.0f}}},
        {"long direction", {0, 0, 0}, {0, 0, 2}, {{0, 0.5f}, {1, 1.5f}}},
        {"starting between", {0, 0, 2}, {0, 0, 1}, {{1, 1.0f}}},
        {"on the fan diagonal", {0.5f, 0.5f, 0}, {0, 0, 1}, {{0, 1.0f}, {1, 3.0f}}},
        {"slanted", {-3, 0, 0}, {2.5f, 0, 1}, {{0, 1.0f}}},
        {"beside", {1.5f, 0, 0}, {0, 0, 1}, {}},
        {"pointing away", {0, 0, 0}, {0, 0, -1}, {}},
        {"parallel to the faces", {-5, 0, 1}, {1, 0, 0}, {}},
        {"zero direction", {0, 0, 1}, {0, 0, 0}, {}},
    };
    for (const Case& c : cases) {
        std::vector<MeshRayHit> hits = mesh->IntersectRay(c.origin, c.direction);
        ASSERT_EQ(hits.size(), c.hits.size()) << c.name;
        for (size_t i = 0; i < hits.size(); ++i) {
            EXPECT_EQ(hits[i].face, c.hits[i].first) << c.name;
            EXPECT_NEAR(hits[i].distance, c.hits[i].second, 1e-5f) << c.name;
            EXPECT_TRUE(NearlyEqual(hits[i].position, c.origin + c.direction * hits[i].distance)) << c.name;
        }
    }
}

TEST(MeshBuilderRays, EdgeSharedByTwoFacesIsNotLost)
{
    // Two triangles meeting along the diagonal x = y of a square; a degenerate
    // triangle lies along the same diagonal.
    auto mesh = MeshBuilder::Create();
    int a = mesh->AddVertex({0, 0, 0}), b = mesh->AddVertex({1, 0, 0});
    int c = mesh->AddVertex({1, 1, 0}), d = mesh->AddVertex({0, 1, 0});
    int lower[3] = {a, b, c}, upper[3] = {a, c, d}, sliver[3] = {a, c, c};
    mesh->AddFace(lower);
    mesh->AddFace(upper);
    int degenerate = mesh->AddFace(sliver);
    for (float s : {0.0f, 0.1f, 0.3f, 0.5f, 0.7f, 1.0f / 3.0f, 0.999f}) {
        std::vector<MeshRayHit> hits = mesh->IntersectRay({s, s, -1}, {0, 0, 1});
        ASSERT_FALSE(hits.empty()) << s;
        for (const MeshRayHit& h : hits) {
            EXPECT_NE(h.face, degenerate);
            EXPECT_NEAR(h.distance, 1.0f, 1e-6f);
        }
    }
}

TEST(MeshBuilderRays, HierarchyFindsWhatATestOfEveryTriangleFinds)
{
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> coord(-5.0f, 5.0f), offset(-1.0f, 1.0f);
    auto mesh = MeshBuilder::Create();
    for (int i = 0; i < 3000; ++i) {
        Vec3 centre{coord(rng), coord(rng), coord(rng)};
        int n = 3 + i % 3;  // triangles, quads and pentagons
        std::vector<int> ids;
        for (int k = 0; k < n; ++k)
            ids.push_back(mesh->AddVertex(centre + Vec3{offset(rng), offset(rng), offset(rng)}));
        mesh->AddFace(ids);
    }

    size_t total = 0;
    for (int r = 0; r < 300; ++r) {
        Vec3 origin{coord(rng), coord(rng), coord(rng)};
        Vec3 direction{offset(rng), offset(rng), offset(rng)};
        if (r % 10 == 0)
            direction = {0, 0, offset(rng)};  // axis-aligned rays take the zero-component paths
        std::vector<MeshRayHit> fast = mesh->IntersectRay(origin, direction);
        std::vector<MeshRayHit> slow = IntersectRayBruteForce(*mesh, origin, direction);
        ASSERT_EQ(fast.size(), slow.size()) << "ray " << r;
        for (size_t i = 0; i < fast.size(); ++i) {
            EXPECT_EQ(fast[i].face, slow[i].face) << "ray " << r;
            EXPECT_EQ(fast[i].distance, slow[i].distance) << "ray " << r;
            EXPECT_TRUE(i == 0 || fast[i - 1].distance <= fast[i].distance);
        }
        total += fast.size();
    }
    EXPECT_GT(total, 600u);  // the rays really do cross the mesh

    // Structure: every triangle in exactly one leaf, children inside parents.
    MeshBvh bvh;
    bvh.Build(*mesh);
    const auto& nodes = bvh.Nodes();
    std::vector<int> seen(bvh.Triangles().size(), 0);
    for (const MeshBvh::Node& node : nodes) {
        if (node.count > 0) {
            for (int i = node.first; i < node.first + node.count; ++i)
                ++seen[static_cast<size_t>(i)];
            continue;
        }
        for (int child : {node.first, node.first + 1}) {
            const MeshBvh::Node& c = nodes[static_cast<size_t>(child)];
            for (int axis = 0; axis < 3; ++axis) {
                EXPECT_LE(node.min[axis], c.min[axis]);
                EXPECT_GE(node.max[axis], c.max[axis]);
            }
        }
    }
    EXPECT_TRUE(std::all_of(seen.begin(), seen.end(), [](int s) { return s == 1; }));
    EXPECT_EQ(bvh.Triangles().size(), 6000u);  // 1000 each of 1, 2 and 3 fan triangles
    EXPECT_LT(bvh.Depth(), 40);
}
