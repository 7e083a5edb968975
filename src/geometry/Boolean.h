#pragma once
// Exact boolean cutting of two polygon meshes: union, intersection and
// difference (A minus B).
//
// Both operands are snapped to one integer lattice spanning their common
// bounding box (between 2000 and 4000 units along each axis, a power of two
// per world unit, rounded half away from zero) and
// split into triangles (fans from each face's first corner); triangles with
// no area on the lattice are dropped. Each triangle is then cut along the
// planes of the other operand's triangles near it (a bounding-volume
// hierarchy finds them), every piece is classified as outside, inside, or on
// the other's surface facing the same or the opposite way, and the pieces the
// operation keeps are welded into one mesh. All cutting and classification
// uses integer arithmetic on the lattice (see ExactPredicates.h); nothing is
// decided by a floating-point tolerance.
//
// The result is closed when its operands are: every edge joins exactly two
// faces running opposite ways. Edges are paired by lattice position, never by
// vertex index, so operands with duplicated seam vertices count as closed.
// The same operands always give the same result.

#include "platform/MeshBuilder.h"

#include <vector>

namespace corvid {

enum class BooleanKind { Union, Intersection, Difference };

// A polygon mesh in world coordinates, with per-face attributes and
// (optionally) per-vertex texture coordinates.
struct PolygonMesh {
    std::vector<Vec3> positions;
    std::vector<Vec2> texcoords;   // one per position, or empty
    std::vector<int> faceStart{0}; // face f's corners: [faceStart[f], faceStart[f + 1])
    std::vector<int> corners;      // indices into positions
    std::vector<FaceAttributes> faces;

    int FaceCount() const { return static_cast<int>(faceStart.size()) - 1; }
    void AddFace(std::span<const int> vertexIndices, const FaceAttributes& attributes);
};

enum class BooleanStatus {
    Done,
    Empty,    // nothing was kept; the mesh is empty
    Illegal,  // an operand that must be closed is open
    Failed,   // a coordinate is not finite, or the cut could not be closed
};

struct BooleanResult {
    BooleanStatus status = BooleanStatus::Failed;
    PolygonMesh mesh;
};

// The operand rules: a union needs both operands closed, an intersection and
// a difference need B closed. With an open A only A's pieces are kept: those
// inside B (or on B's surface facing the same way) for an intersection,
// those outside B (or on it facing the other way) for a difference.
// Pieces kept from B by a difference are reversed.
BooleanResult BooleanMeshes(BooleanKind kind, const PolygonMesh& a, const PolygonMesh& b);

// True when every edge, paired by exact position, is used as often in one
// direction as in the other (T-junctions along a straight edge count as
// paired). The legality test of the operands.
bool IsClosedOnLattice(const PolygonMesh& mesh);

} // namespace corvid
