#include "scene/IconMeshes.h"

#include "platform/Material.h"
#include "platform/MeshBuilder.h"

#include <cmath>
#include <initializer_list>

namespace corvid {

namespace {

// Adds an axis-aligned box as six quads (clockwise seen from outside).
void AddBox(MeshBuilder& mesh, const Vec3& lo, const Vec3& hi)
{
    int base = mesh.GetVertexCount();
    for (int i = 0; i < 8; ++i)
        mesh.AddVertex({(i & 1) ? hi.x : lo.x, (i & 2) ? hi.y : lo.y, (i & 4) ? hi.z : lo.z});
    const int quads[6][4] = {
        {0, 2, 3, 1},  // -z
        {5, 7, 6, 4},  // +z
        {4, 6, 2, 0},  // -x
        {1, 3, 7, 5},  // +x
        {2, 6, 7, 3},  // +y
        {4, 0, 1, 5},  // -y
    };
    for (const auto& q : quads) {
        int idx[4] = {base + q[0], base + q[1], base + q[2], base + q[3]};
        mesh.AddFace(idx);
    }
}

// A cone around +z from apex (at z = tip) to a ring of radius r at z = baseZ.
void AddCone(MeshBuilder& mesh, float baseZ, float tip, float r, int segments)
{
    int apex = mesh.AddVertex({0, 0, tip});
    int centre = mesh.AddVertex({0, 0, baseZ});
    int first = mesh.GetVertexCount();
    for (int i = 0; i < segments; ++i) {
        float a = 2.0f * kPi * static_cast<float>(i) / static_cast<float>(segments);
        mesh.AddVertex({r * std::cos(a), r * std::sin(a), baseZ});
    }
    for (int i = 0; i < segments; ++i) {
        int a = first + i, b = first + (i + 1) % segments;
        int side[3] = {apex, b, a};
        int cap[3] = {centre, a, b};
        mesh.AddFace(side);
        mesh.AddFace(cap);
    }
}

// An octahedron-based ball of radius r around centre.
void AddBall(MeshBuilder& mesh, const Vec3& centre, float r)
{
    int base = mesh.GetVertexCount();
    for (const Vec3& d : {Vec3{1, 0, 0}, Vec3{-1, 0, 0}, Vec3{0, 1, 0}, Vec3{0, -1, 0}, Vec3{0, 0, 1}, Vec3{0, 0, -1}})
        mesh.AddVertex(centre + d * r);
    const int tris[8][3] = {{2, 4, 0}, {2, 1, 4}, {2, 5, 1}, {2, 0, 5}, {3, 0, 4}, {3, 4, 1}, {3, 1, 5}, {3, 5, 0}};
    for (const auto& t : tris) {
        int idx[3] = {base + t[0], base + t[1], base + t[2]};
        mesh.AddFace(idx);
    }
}

void Finish(MeshBuilder& mesh, float r, float g, float b)
{
    auto material = Material::Create(0.0f);
    material->SetEmissive(r * 0.5f, g * 0.5f, b * 0.5f);
    mesh.SetMaterial(material);
    mesh.SetColorRGB(r, g, b);
    mesh.GenerateNormals(0.5f, kGenerateNormalsUseCreaseAngle);
    mesh.SetQuality(kShadeFlat | kLightOn | kFillSolid);
}

} // namespace

MeshBuilderPtr BuildCameraIcon()
{
    auto mesh = MeshBuilder::Create();
    AddBox(*mesh, {-0.15f, -0.2f, -0.3f}, {0.15f, 0.2f, 0.2f});
    AddCone(*mesh, 0.45f, 0.2f, 0.15f, 12);  // the lens opens toward +z
    Finish(*mesh, 0.6f, 0.6f, 0.65f);
    return mesh;
}

MeshBuilderPtr BuildLightIcon(LightType type)
{
    auto mesh = MeshBuilder::Create();
    switch (type) {
    case LightType::Ambient:
        AddBall(*mesh, {}, 0.2f);
        Finish(*mesh, 0.7f, 0.7f, 0.9f);
        break;
    case LightType::Point:
        AddBall(*mesh, {}, 0.2f);
        Finish(*mesh, 1.0f, 1.0f, 0.4f);
        break;
    case LightType::Directional:
        AddBox(*mesh, {-0.04f, -0.04f, -0.4f}, {0.04f, 0.04f, 0.15f});
        AddCone(*mesh, 0.15f, 0.4f, 0.12f, 8);
        Finish(*mesh, 1.0f, 0.8f, 0.3f);
        break;
    case LightType::Spot:
        AddCone(*mesh, 0.3f, -0.1f, 0.2f, 12);
        Finish(*mesh, 1.0f, 0.9f, 0.5f);
        break;
    case LightType::ParallelPoint:
        AddBall(*mesh, {}, 0.15f);
        AddCone(*mesh, 0.2f, 0.45f, 0.1f, 8);
        Finish(*mesh, 1.0f, 0.6f, 0.3f);
        break;
    }
    return mesh;
}

MeshBuilderPtr BuildGridMesh(int cellsPerSide, float cellSize)
{
    auto mesh = MeshBuilder::Create();
    int n = cellsPerSide < 1 ? 1 : cellsPerSide;
    float half = static_cast<float>(n) * cellSize * 0.5f;
    for (int i = 0; i <= n; ++i)
        for (int j = 0; j <= n; ++j)
            mesh->AddVertex({-half + static_cast<float>(j) * cellSize, 0.0f, -half + static_cast<float>(i) * cellSize});
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            int a = i * (n + 1) + j;
            int quad[4] = {a, a + n + 1, a + n + 2, a + 1};
            mesh->AddFace(quad);
        }
    mesh->SetColorRGB(0.45f, 0.45f, 0.45f);
    mesh->SetQuality(kShadeFlat | kLightOff | kFillWireframe);
    return mesh;
}

MeshBuilderPtr BuildMarkerMesh()
{
    auto mesh = MeshBuilder::Create();
    AddBox(*mesh, {-1, -1, -1}, {1, 1, 1});
    mesh->SetColorRGB(1.0f, 1.0f, 1.0f);
    mesh->SetQuality(kShadeFlat | kLightOff | kFillWireframe);
    return mesh;
}

} // namespace corvid
