// Feeds two small meshes made from the bytes to the boolean operations: a
// closed box or octahedron with its corners moved (folded, flattened,
// self-intersecting, sharing corners with the other), with or without
// duplicated seam vertices, or a loose set of triangles. Every run must end
// in a result or a refusal; a result of closed operands must be closed (every
// edge, welded by position, used as often each way: operands touching along
// an edge give an edge of four faces) with no face without area, and the same
// on a second run.
#include "../tests/geometry/MeshInvariants.h"

#include "geometry/Boolean.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

using namespace corvid;

struct Bytes {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    uint8_t Next() { return at < size ? data[at++] : 0; }
    // A coordinate on a coarse grid, so that corners, edges and faces of
    // the two operands often coincide.
    float Coordinate() { return static_cast<float>(static_cast<int>(Next() % 17) - 8) / 4.0f; }
};

void AddFace(PolygonMesh& m, std::initializer_list<int> corners, uint32_t colour)
{
    FaceAttributes attributes;
    attributes.color = colour;
    m.AddFace(std::vector<int>(corners), attributes);
}

PolygonMesh MakeOperand(Bytes& in)
{
    PolygonMesh m;
    const uint8_t shape = in.Next() % 4;
    const bool seams = in.Next() & 1;
    auto corner = [&](float x, float y, float z) {
        // Mostly a regular shape, sometimes a corner moved anywhere.
        const uint8_t move = in.Next();
        Vec3 p{x, y, z};
        if (move % 4 == 0)
            p = {in.Coordinate(), in.Coordinate(), in.Coordinate()};
        else if (move % 4 == 1)
            p = p + Vec3{in.Coordinate(), in.Coordinate(), in.Coordinate()} * 0.25f;
        return p;
    };
    const Vec3 offset{in.Coordinate(), in.Coordinate(), in.Coordinate()};
    if (shape <= 1) {
        // A box: 8 corners, 6 quads, wound outwards.
        Vec3 c[8];
        for (int i = 0; i < 8; ++i)
            c[i] = corner(i & 1 ? 1.0f : -1.0f, i & 2 ? 1.0f : -1.0f, i & 4 ? 1.0f : -1.0f) + offset;
        const int faces[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
        for (int f = 0; f < 6; ++f) {
            int v[4];
            for (int k = 0; k < 4; ++k) {
                if (seams) {
                    v[k] = static_cast<int>(m.positions.size());
                    m.positions.push_back(c[faces[f][k]]);
                } else {
                    v[k] = faces[f][k];
                }
            }
            if (!seams && m.positions.empty())
                m.positions.assign(c, c + 8);
            AddFace(m, {v[0], v[1], v[2], v[3]}, 0xFF000000u + static_cast<uint32_t>(f));
        }
    } else if (shape == 2) {
        // An octahedron.
        const Vec3 base[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
        for (const Vec3& b : base)
            m.positions.push_back(corner(b.x, b.y, b.z) + offset);
        const int faces[8][3] = {{0, 2, 4}, {2, 1, 4}, {1, 3, 4}, {3, 0, 4}, {2, 0, 5}, {1, 2, 5}, {3, 1, 5}, {0, 3, 5}};
        for (int f = 0; f < 8; ++f)
            AddFace(m, {faces[f][0], faces[f][1], faces[f][2]}, 0xFF000100u + static_cast<uint32_t>(f));
    } else {
        // Loose triangles over a few points.
        const int points = 3 + in.Next() % 6;
        for (int i = 0; i < points; ++i)
            m.positions.push_back(Vec3{in.Coordinate(), in.Coordinate(), in.Coordinate()});
        const int faces = 1 + in.Next() % 8;
        for (int f = 0; f < faces; ++f)
            AddFace(m, {in.Next() % points, in.Next() % points, in.Next() % points}, 0xFF000200u);
    }
    m.texcoords.assign(m.positions.size(), Vec2{});
    return m;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Bytes in{data, size};
    const auto kind = static_cast<BooleanKind>(in.Next() % 3);
    const PolygonMesh a = MakeOperand(in);
    const PolygonMesh b = MakeOperand(in);
    const BooleanResult first = BooleanMeshes(kind, a, b);
    const BooleanResult second = BooleanMeshes(kind, a, b);
    if (first.status != second.status || !corvid::testing::SameMesh(first.mesh, second.mesh))
        std::abort();  // not deterministic
    if (first.status == BooleanStatus::Done && IsClosedOnLattice(a) && IsClosedOnLattice(b)) {
        if (const std::string open = corvid::testing::OpenEdge(first.mesh, false); !open.empty()) {
            std::fprintf(stderr, "result not closed: %s\n", open.c_str());
            std::abort();
        }
        for (int f = 0; f < first.mesh.FaceCount(); ++f)
            if (!(corvid::testing::FaceArea2(first.mesh, f) > 0))
                std::abort();
    }
    if (first.status == BooleanStatus::Empty && first.mesh.FaceCount() != 0)
        std::abort();
    return 0;
}
