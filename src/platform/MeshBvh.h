#pragma once
// Bounding-volume hierarchy over the triangles of a mesh builder, used for ray
// queries. Polygons are split into fans from their first corner; every
// triangle remembers the face it came from. Nodes live in one flat array:
// an inner node's children are adjacent (left, left + 1), a leaf names a run
// of the triangle array.

#include "platform/Math.h"

#include <span>
#include <vector>

namespace corvid {

class MeshBuilder;
struct MeshRayHit;

class MeshBvh {
public:
    struct Triangle {
        int v[3];
        int face;
    };

    struct Node {
        Vec3 min;
        int first = 0;  // inner: index of the left child; leaf: first triangle
        Vec3 max;
        int count = 0;  // 0 for an inner node, else the leaf's triangle count
    };

    // Builds the hierarchy over the mesh's current faces. Degenerate triangles
    // and triangles with non-finite corners are left out: they can never be hit.
    void Build(const MeshBuilder& mesh);

    // Appends every hit of origin + t * direction (t >= 0) to out, unsorted;
    // a polygon split into several triangles may appear more than once.
    // vertices must be the positions of the mesh the hierarchy was built from.
    void Intersect(std::span<const Vec3> vertices, const Vec3& origin, const Vec3& direction,
                   std::vector<MeshRayHit>& out) const;

    const std::vector<Node>& Nodes() const { return nodes_; }
    const std::vector<Triangle>& Triangles() const { return triangles_; }
    int Depth() const { return depth_; }

private:
    std::vector<Triangle> triangles_;
    std::vector<Node> nodes_;
    int depth_ = 0;
};

// Ray against triangle (a, b, c), both sides. On a hit with t >= 0 stores t
// and returns true. Triangles with no area never hit, and neither do rays in
// the triangle's plane. Points on an edge count as inside, with a little
// slack so that a ray through an edge shared by two triangles hits at least one.
bool IntersectRayTriangle(const Vec3& origin, const Vec3& direction, const Vec3& a, const Vec3& b,
                          const Vec3& c, float& t);

// Sorts hits nearest first (ties by face) and drops repeats of one face at the
// same distance, which arise where a ray crosses the seam between two
// triangles of the same polygon.
void FinishRayHits(std::vector<MeshRayHit>& hits);

// The answer of MeshBuilder::IntersectRay computed by testing every triangle
// of every face, without a hierarchy. For tests and benchmarks.
std::vector<MeshRayHit> IntersectRayBruteForce(const MeshBuilder& mesh, const Vec3& origin,
                                               const Vec3& direction);

} // namespace corvid
