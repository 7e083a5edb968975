#include "platform/MeshBvh.h"

#include "platform/MeshBuilder.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace corvid {

namespace {

// Barycentric slack of the triangle test: a point this far outside an edge
// (as a fraction of the triangle) still counts, so a ray through a shared edge
// is not lost to rounding on both sides.
constexpr float kEdgeSlack = 1e-6f;

// Traversal keeps a fixed stack; the build never makes a tree deeper than this.
constexpr int kStackSize = 128;
// Below this depth splits follow the surface-area heuristic; deeper down
// (only reached by pathological inputs) every split halves the triangle count,
// which bounds the depth.
constexpr int kSahDepthLimit = 48;
constexpr int kMaxDepth = kStackSize - 8;
constexpr int kBins = 16;
constexpr int kMaxLeafSize = 8;

bool IsFinite(const Vec3& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// Half the surface area of a box: the SAH only compares ratios.
float HalfArea(const Vec3& mn, const Vec3& mx)
{
    Vec3 e = mx - mn;
    return e.x * e.y + e.y * e.z + e.z * e.x;
}

struct Bounds {
    Vec3 min{std::numeric_limits<float>::max(), std::numeric_limits<float>::max(),
             std::numeric_limits<float>::max()};
    Vec3 max{-std::numeric_limits<float>::max(), -std::numeric_limits<float>::max(),
             -std::numeric_limits<float>::max()};

    void Grow(const Vec3& lo, const Vec3& hi)
    {
        min = {std::min(min.x, lo.x), std::min(min.y, lo.y), std::min(min.z, lo.z)};
        max = {std::max(max.x, hi.x), std::max(max.y, hi.y), std::max(max.z, hi.z)};
    }
    void Grow(const Vec3& p) { Grow(p, p); }
    void Grow(const Bounds& b) { Grow(b.min, b.max); }
    bool Valid() const { return min.x <= max.x; }
    float Area() const { return Valid() ? HalfArea(min, max) : 0.0f; }
};

// A triangle's padded bounds during the build. Arrays rather than Vec3 so the
// split axis indexes them directly.
struct Prim {
    float lo[3];
    int triangle;
    float hi[3];

    Vec3 Min() const { return {lo[0], lo[1], lo[2]}; }
    Vec3 Max() const { return {hi[0], hi[1], hi[2]}; }
    Vec3 Centroid() const { return (Min() + Max()) * 0.5f; }
    // Twice the centroid's coordinate on one axis.
    float CentroidTimesTwo(int axis) const { return lo[axis] + hi[axis]; }
};

struct BuildTask {
    int node, begin, end, depth;
    Bounds box;        // of the triangles
    Bounds centroids;  // of their centroids
};

// Slab test against a node box for t in [0, tFar], robust to zero direction
// components: a NaN from 0 * inf drops out of the comparisons, which is right
// because it only arises for an origin on the slab's own plane.
bool HitsBox(const MeshBvh::Node& n, const Vec3& origin, const Vec3& inv)
{
    float tNear = 0.0f;
    float tFar = std::numeric_limits<float>::infinity();
    for (int axis = 0; axis < 3; ++axis) {
        float t0 = (n.min[axis] - origin[axis]) * inv[axis];
        float t1 = (n.max[axis] - origin[axis]) * inv[axis];
        if (t0 > t1)
            std::swap(t0, t1);
        if (t0 > tNear)
            tNear = t0;
        if (t1 < tFar)
            tFar = t1;
    }
    // Widen the far end by a few ulps so rounding never loses a hit on the box surface.
    return tNear <= tFar * 1.0000005f;
}

} // namespace

bool IntersectRayTriangle(const Vec3& origin, const Vec3& direction, const Vec3& a, const Vec3& b,
                          const Vec3& c, float& t)
{
    Vec3 e1 = b - a;
    Vec3 e2 = c - a;
    Vec3 n = Cross(e1, e2);
    float nn = Dot(n, n);
    if (!(nn > 0.0f) || !std::isfinite(nn))
        return false;  // no area, or too large to measure
    Vec3 p = Cross(direction, e2);
    float det = Dot(e1, p);
    // Rays within about 1e-6 radians of the triangle's plane are treated as in it.
    if (!(det * det > 1e-12f * Dot(direction, direction) * nn))
        return false;
    float inv = 1.0f / det;
    Vec3 s = origin - a;
    float u = Dot(s, p) * inv;
    if (!(u >= -kEdgeSlack && u <= 1.0f + kEdgeSlack))
        return false;
    Vec3 q = Cross(s, e1);
    float v = Dot(direction, q) * inv;
    if (!(v >= -kEdgeSlack && u + v <= 1.0f + kEdgeSlack))
        return false;
    float hit = Dot(e2, q) * inv;
    if (!(hit >= 0.0f) || !std::isfinite(hit))
        return false;
    t = hit;
    return true;
}

void FinishRayHits(std::vector<MeshRayHit>& hits)
{
    std::sort(hits.begin(), hits.end(), [](const MeshRayHit& x, const MeshRayHit& y) {
        return x.distance < y.distance || (x.distance == y.distance && x.face < y.face);
    });
    size_t kept = 0;
    for (size_t i = 0; i < hits.size(); ++i) {
        const MeshRayHit& h = hits[i];
        float tolerance = 1e-5f * (1.0f + h.distance);
        bool repeat = false;
        for (size_t j = kept; j-- > 0 && hits[j].distance >= h.distance - tolerance;) {
            if (hits[j].face == h.face) {
                repeat = true;
                break;
            }
        }
        if (!repeat)
            hits[kept++] = h;
    }
    hits.resize(kept);
}

void MeshBvh::Build(const MeshBuilder& mesh)
{
    triangles_.clear();
    nodes_.clear();
    depth_ = 0;

    const std::vector<Vec3>& vertices = mesh.GetVertices();
    size_t triangleCount = 0;
    for (int f = 0; f < mesh.GetFaceCount(); ++f)
        triangleCount += static_cast<size_t>(std::max(0, mesh.GetFaceVertexCount(f) - 2));

    // Fan triangles, and a record per triangle with its padded bounds that the
    // build partitions in place (sequential passes, no index indirection).
    std::vector<Triangle> triangles;
    std::vector<Prim> prims;
    triangles.reserve(triangleCount);
    prims.reserve(triangleCount);
    Bounds rootBox, rootCentroids;
    for (int f = 0; f < mesh.GetFaceCount(); ++f) {
        std::span<const Corner> corners = mesh.GetFaceCorners(f);
        for (size_t i = 1; i + 1 < corners.size(); ++i) {
            int ia = corners[0].vertex, ib = corners[i].vertex, ic = corners[i + 1].vertex;
            const Vec3 &a = vertices[static_cast<size_t>(ia)], &b = vertices[static_cast<size_t>(ib)],
                       &c = vertices[static_cast<size_t>(ic)];
            if (!IsFinite(a) || !IsFinite(b) || !IsFinite(c))
                continue;
            // The same rejection as IntersectRayTriangle's: such triangles never hit.
            Vec3 n = Cross(b - a, c - a);
            float nn = Dot(n, n);
            if (!(nn > 0.0f) || !std::isfinite(nn))
                continue;
            Bounds box;
            box.Grow(a);
            box.Grow(b);
            box.Grow(c);
            // The triangle test accepts points slightly outside the edges;
            // the box must contain them too.
            Vec3 extent = box.max - box.min;
            float size = std::max({extent.x, extent.y, extent.z});
            float magnitude = std::max({std::fabs(box.min.x), std::fabs(box.min.y), std::fabs(box.min.z),
                                        std::fabs(box.max.x), std::fabs(box.max.y), std::fabs(box.max.z)});
            float pad = 1e-5f * size + 1e-6f * magnitude;
            box.min -= Vec3{pad, pad, pad};
            box.max += Vec3{pad, pad, pad};
            Prim prim{{box.min.x, box.min.y, box.min.z},
                      static_cast<int>(triangles.size()),
                      {box.max.x, box.max.y, box.max.z}};
            triangles.push_back({{ia, ib, ic}, f});
            prims.push_back(prim);
            rootBox.Grow(box);
            rootCentroids.Grow(prim.Centroid());
        }
    }

    const int count = static_cast<int>(prims.size());
    if (count == 0)
        return;

    nodes_.reserve(2 * static_cast<size_t>(count));
    nodes_.emplace_back();
    std::array<BuildTask, kStackSize> stack;
    int sp = 0;
    stack[sp++] = {0, 0, count, 1, rootBox, rootCentroids};

    struct Bin {
        Bounds box;
        int count = 0;
    };

    while (sp > 0) {
        const BuildTask task = stack[--sp];
        depth_ = std::max(depth_, task.depth);
        const int n = task.end - task.begin;
        {
            Node& node = nodes_[static_cast<size_t>(task.node)];
            node.min = task.box.min;
            node.max = task.box.max;
            node.first = task.begin;
            node.count = n;  // a leaf unless split below
        }
        if (n <= 2 || task.depth >= kMaxDepth)
            continue;

        const Vec3 extent = task.centroids.max - task.centroids.min;
        int axis = 0;
        if (extent.y > extent[axis])
            axis = 1;
        if (extent.z > extent[axis])
            axis = 2;
        const float lo = task.centroids.min[axis];
        const float span = extent[axis];
        Prim* const first = prims.data() + task.begin;
        Prim* const last = prims.data() + task.end;

        int mid = -1;
        Bounds leftBox, leftCentroids, rightBox, rightCentroids;
        if (span > 0.0f && task.depth < kSahDepthLimit) {
            std::array<Bin, kBins> bins{};
            const float scale = 0.5f * kBins / span;
            const float lo2 = 2.0f * lo;
            auto binOf = [&](const Prim& prim) {
                int b = static_cast<int>((prim.CentroidTimesTwo(axis) - lo2) * scale);
                return std::clamp(b, 0, kBins - 1);
            };
            for (const Prim* p = first; p != last; ++p) {
                Bin& bin = bins[static_cast<size_t>(binOf(*p))];
                bin.box.Grow(p->Min(), p->Max());
                ++bin.count;
            }
            // Sweep from the right for the right-hand areas, then from the left.
            std::array<float, kBins> rightArea{};
            std::array<int, kBins> rightCount{};
            Bounds acc;
            int accCount = 0;
            for (int b = kBins - 1; b > 0; --b) {
                acc.Grow(bins[static_cast<size_t>(b)].box);
                accCount += bins[static_cast<size_t>(b)].count;
                rightArea[static_cast<size_t>(b)] = acc.Area();
                rightCount[static_cast<size_t>(b)] = accCount;
            }
            Bounds left;
            int leftCount = 0;
            float bestCost = std::numeric_limits<float>::infinity();
            int bestSplit = -1;  // split between bins bestSplit and bestSplit + 1
            for (int b = 0; b + 1 < kBins; ++b) {
                left.Grow(bins[static_cast<size_t>(b)].box);
                leftCount += bins[static_cast<size_t>(b)].count;
                int rc = rightCount[static_cast<size_t>(b + 1)];
                if (leftCount == 0 || rc == 0)
                    continue;
                float cost = left.Area() * leftCount + rightArea[static_cast<size_t>(b + 1)] * rc;
                if (cost < bestCost) {
                    bestCost = cost;
                    bestSplit = b;
                }
            }
            // Traversal and triangle tests cost about the same.
            const float area = task.box.Area();
            const bool leafIsCheaper = area + bestCost >= area * n;
            if (bestSplit < 0 || (leafIsCheaper && n <= kMaxLeafSize)) {
                if (n <= kMaxLeafSize)
                    continue;  // stays a leaf
                bestSplit = -1;  // too big for a leaf: split at the median below
            }
            // Partition in place, collecting both children's bounds on the way.
            Prim* i = first;
            Prim* j = last;
            while (bestSplit >= 0 && i != j) {
                const Vec3 c = i->Centroid();
                if (binOf(*i) <= bestSplit) {
                    leftBox.Grow(i->Min(), i->Max());
                    leftCentroids.Grow(c);
                    ++i;
                } else {
                    rightBox.Grow(i->Min(), i->Max());
                    rightCentroids.Grow(c);
                    std::swap(*i, *--j);
                }
            }
            mid = static_cast<int>(i - prims.data());
        } else if (span <= 0.0f && n <= kMaxLeafSize) {
            continue;  // all centroids coincide: nothing to separate
        }
        if (mid <= task.begin || mid >= task.end) {
            // Median split: halves the count whatever the geometry.
            mid = task.begin + n / 2;
            Prim* const middle = prims.data() + mid;
            if (span > 0.0f)
                std::nth_element(first, middle, last, [axis](const Prim& x, const Prim& y) {
                    return x.CentroidTimesTwo(axis) < y.CentroidTimesTwo(axis);
                });
            leftBox = leftCentroids = rightBox = rightCentroids = Bounds{};
            for (const Prim* p = first; p != last; ++p) {
                Bounds& box = p < middle ? leftBox : rightBox;
                box.Grow(p->Min(), p->Max());
                (p < middle ? leftCentroids : rightCentroids).Grow(p->Centroid());
            }
        }

        const int left = static_cast<int>(nodes_.size());
        nodes_.emplace_back();
        nodes_.emplace_back();
        Node& inner = nodes_[static_cast<size_t>(task.node)];
        inner.first = left;
        inner.count = 0;
        stack[sp++] = {left + 1, mid, task.end, task.depth + 1, rightBox, rightCentroids};
        stack[sp++] = {left, task.begin, mid, task.depth + 1, leftBox, leftCentroids};
    }

    triangles_.resize(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        triangles_[static_cast<size_t>(i)] = triangles[static_cast<size_t>(prims[static_cast<size_t>(i)].triangle)];
}

void MeshBvh::Intersect(std::span<const Vec3> vertices, const Vec3& origin, const Vec3& direction,
                        std::vector<MeshRayHit>& out) const
{
    if (nodes_.empty())
        return;
    // A zero component (of either sign) becomes +inf: HitsBox then sees
    // -inf/+inf for an origin inside the slab, the same sign twice outside it,
    // and NaN only on the slab's planes.
    Vec3 inv;
    for (int axis = 0; axis < 3; ++axis)
        inv[axis] = direction[axis] != 0.0f ? 1.0f / direction[axis] : std::numeric_limits<float>::infinity();

    std::array<int, kStackSize> stack;
    int sp = 0;
    stack[sp++] = 0;
    while (sp > 0) {
        const Node& node = nodes_[static_cast<size_t>(stack[--sp])];
        if (!HitsBox(node, origin, inv))
            continue;
        if (node.count > 0) {
            for (int i = node.first; i < node.first + node.count; ++i) {
                const Triangle& tri = triangles_[static_cast<size_t>(i)];
                float t;
                if (IntersectRayTriangle(origin, direction, vertices[static_cast<size_t>(tri.v[0])],
                                         vertices[static_cast<size_t>(tri.v[1])],
                                         vertices[static_cast<size_t>(tri.v[2])], t))
                    out.push_back({tri.face, t, origin + direction * t});
            }
        } else {
            stack[sp++] = node.first;
            stack[sp++] = node.first + 1;
        }
    }
}

std::vector<MeshRayHit> IntersectRayBruteForce(const MeshBuilder& mesh, const Vec3& origin,
                                               const Vec3& direction)
{
    std::vector<MeshRayHit> hits;
    const std::vector<Vec3>& vertices = mesh.GetVertices();
    for (int f = 0; f < mesh.GetFaceCount(); ++f) {
        std::span<const Corner> corners = mesh.GetFaceCorners(f);
        for (size_t i = 1; i + 1 < corners.size(); ++i) {
            float t;
            if (IntersectRayTriangle(origin, direction, vertices[static_cast<size_t>(corners[0].vertex)],
                                     vertices[static_cast<size_t>(corners[i].vertex)],
                                     vertices[static_cast<size_t>(corners[i + 1].vertex)], t))
                hits.push_back({f, t, origin + direction * t});
        }
    }
    FinishRayHits(hits);
    return hits;
}

} // namespace corvid
