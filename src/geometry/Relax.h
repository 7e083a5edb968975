#pragma once
// Relax: one step of neighbour averaging over a mesh's faces.
//
// Each vertex moves by the mean of (corner - vertex) over every other corner
// of every face that uses it (a neighbour on two faces counts twice), on the
// axes whose flag is set. Vertices go in index order and each new position
// is used at once by the vertices after it. Copies of one point (the seams
// of a cube, a cylinder or an imported mesh, which repeat a vertex per face)
// are relaxed as one vertex over all their faces, at the place of the first
// copy, so the seams stay closed. A vertex keeps at most
// kRelaxMaxFaceReferences face references (further faces are left out); a
// vertex no face uses stays where it is.

#include "platform/Math.h"

#include <span>
#include <vector>

namespace corvid {

class MeshBuilder;

constexpr int kRelaxMaxFaceReferences = 100;

struct RelaxParameters {
    bool x = true, y = true, z = true;  // which coordinates are smoothed

    bool Any() const { return x || y || z; }
};

// The face list of a mesh as corner vertex indices: face f's corners are
// corners[faceStart[f] .. faceStart[f + 1]).
struct FaceIndexList {
    std::vector<int> faceStart{0};
    std::vector<int> corners;
};
FaceIndexList FaceIndicesOf(const MeshBuilder& mesh);

// One relax step on positions in place. False (nothing changed) when every
// flag is off.
bool RelaxPositions(std::vector<Vec3>& positions, const FaceIndexList& faces, const RelaxParameters& flags);

// One relax step on mesh, then smooth normals (crease 0, no flags). False,
// and the mesh untouched (normals too), when every flag is off or the mesh
// has no vertices.
bool Relax(MeshBuilder& mesh, const RelaxParameters& flags);

} // namespace corvid
