#include "scene/SimpleShapes.h"

#include "platform/Math.h"
#include "platform/MeshBuilder.h"

#include <cmath>

namespace corvid {

void AddUvSphere(MeshBuilder& mesh, float radius, int rings, int segments)
{
    if (rings < 2 || segments < 3)
        return;
    const int base = mesh.GetVertexCount();
    for (int r = 0; r <= rings; ++r) {
        const float theta = kPi * static_cast<float>(r) / static_cast<float>(rings);
        for (int s = 0; s <= segments; ++s) {
            const float phi = 2.0f * kPi * static_cast<float>(s) / static_cast<float>(segments);
            mesh.AddVertex({radius * std::sin(theta) * std::cos(phi), radius * std::cos(theta),
                            radius * std::sin(theta) * std::sin(phi)});
        }
    }
    // Corners run clockwise seen from outside (left-handed, y up).
    for (int r = 0; r < rings; ++r)
        for (int s = 0; s < segments; ++s) {
            const int a = base + r * (segments + 1) + s;
            const int quad[] = {a, a + 1, a + segments + 2, a + segments + 1};
            mesh.AddFace(quad);
        }
}

MeshBuilderPtr BuildUvSphere(float radius, int rings, int segments)
{
    auto mesh = MeshBuilder::Create();
    AddUvSphere(*mesh, radius, rings, segments);
    // The seam's doubled vertices are merged so the normals are smooth there.
    mesh->GenerateNormals(kPi, kGenerateNormalsPrecompact);
    return mesh;
}

} // namespace corvid
