#pragma once
// The GPU-ready form of a mesh builder, assembled on the CPU: one vertex per
// distinct (vertex, normal, colour, texture shift) combination of the face
// corners, polygons split into fans, and faces grouped into batches that
// share a material and a texture. Pure C++ (no GL) so it can be checked
// without a context; GlDevice uploads the result.

#include "platform/Fwd.h"
#include "platform/Math.h"

#include <cstdint>
#include <vector>

namespace corvid {

// 28 bytes a vertex. The normal is packed as signed 10:10:10:2 (GL's
// GL_INT_2_10_10_10_REV, normalised), the colour as RGBA bytes.
struct GlVertex {
    float position[3];
    uint32_t normal;
    uint8_t color[4];
    float uv[2];
};
static_assert(sizeof(GlVertex) == 28, "GlVertex must stay tightly packed");

// Attribute locations shared by every program that draws GlVertex data.
enum GlAttribute : unsigned {
    kAttribPosition = 0,
    kAttribNormal = 1,
    kAttribColor = 2,
    kAttribTexCoord = 3,
};

// Packs a unit vector into signed 10:10:10:2; components are clamped to
// [-1, 1] and the w field is 0.
uint32_t PackNormal(const Vec3& n);
Vec3 UnpackNormal(uint32_t packed);

// Faces with one material and one texture. Vertices of a batch are a
// contiguous range, and so are its opaque and its see-through triangles
// (three indices each, absolute into the vertex array).
struct GlBatch {
    MaterialPtr material;
    TexturePtr texture;
    uint32_t firstVertex = 0;
    uint32_t vertexCount = 0;
    uint32_t firstOpaqueIndex = 0;
    uint32_t opaqueIndexCount = 0;
    uint32_t firstTransparentIndex = 0;
    uint32_t transparentIndexCount = 0;
    uint32_t firstEdgeIndex = 0;  // into GlMeshData::edges, two indices an edge
    uint32_t edgeIndexCount = 0;
};

struct GlMeshData {
    std::vector<GlVertex> vertices;
    std::vector<uint32_t> indices;
    std::vector<GlBatch> batches;
    // Polygon outlines (no fan diagonals), filled only when asked for.
    std::vector<uint32_t> edges;
    // Object-space bounds of the vertices that faces use.
    Box bounds;
    bool hasTransparency = false;
};

// A face is see-through when its colour's alpha (colour source Face) or any
// of its corners' vertex-colour alpha (source Vertex) is below 255. Faces
// with fewer than three corners are left out. A corner without a normal takes
// the face normal. On a face whose texture topology wraps in u (or v), every
// corner's coordinate is moved by whole turns to within half a turn of the
// first corner's, so interpolation takes the short way round the seam.
GlMeshData BuildGlMeshData(const MeshBuilder& mesh, bool withEdges = false);

} // namespace corvid
