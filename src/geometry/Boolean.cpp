#include "geometry/Boolean.h"

#include "geometry/BooleanLattice.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <unordered_map>

namespace corvid {

using namespace exact;

void PolygonMesh::AddFace(std::span<const int> vertexIndices, const FaceAttributes& attributes)
{
    corners.insert(corners.end(), vertexIndices.begin(), vertexIndices.end());
    faceStart.push_back(static_cast<int>(corners.size()));
    faces.push_back(attributes);
}

namespace {

// --- the solids ----------------------------------------------------------------

struct Triangle {
    int face = 0;
    std::array<int, 3> vertex{};  // indices into the operand's positions
    std::array<LatticePoint, 3> p;
    Plane plane;
    int axis = 0;  // dominant axis of the plane's normal
    std::array<Plane, 3> edge;
    std::array<int, 3> line{};
    std::array<int64_t, 3> lo{}, hi{};
};

// A bounding-volume hierarchy over triangle boxes on the lattice.
class Bvh {
public:
    struct Node {
        std::array<int64_t, 3> lo{}, hi{};
        int left = -1, right = -1, first = 0, count = 0;
    };

    void Build(const std::vector<Triangle>& tris)
    {
        order_.resize(tris.size());
        std::iota(order_.begin(), order_.end(), 0);
        nodes_.clear();
        if (!tris.empty())
            build(tris, 0, static_cast<int>(tris.size()));
    }

    // Calls leaf(triangle) for every triangle in a node that accept(lo, hi) takes.
    template <class Accept, class Leaf>
    void Visit(Accept&& accept, Leaf&& leaf) const
    {
        if (nodes_.empty())
            return;
        int stack[128];
        int top = 0;
        stack[top++] = 0;
        while (top > 0) {
            const Node& n = nodes_[stack[--top]];
            if (!accept(n.lo, n.hi))
                continue;
            if (n.left < 0) {
                for (int i = n.first; i < n.first + n.count; ++i)
                    leaf(order_[i]);
            } else {
                stack[top++] = n.left;
                stack[top++] = n.right;
            }
        }
    }

private:
    int build(const std::vector<Triangle>& tris, int first, int count)
    {
        const int index = static_cast<int>(nodes_.size());
        nodes_.push_back({});
        Node n;
        n.lo.fill(std::numeric_limits<int64_t>::max());
        n.hi.fill(std::numeric_limits<int64_t>::min());
        for (int i = first; i < first + count; ++i)
            for (int k = 0; k < 3; ++k) {
                n.lo[k] = std::min(n.lo[k], tris[order_[i]].lo[k]);
                n.hi[k] = std::max(n.hi[k], tris[order_[i]].hi[k]);
            }
        // Depth stays below the stack size: halving from 2^31 triangles.
        if (count <= 4) {
            n.first = first;
            n.count = count;
        } else {
            int axis = 0;
            for (int k = 1; k < 3; ++k)
                if (n.hi[k] - n.lo[k] > n.hi[axis] - n.lo[axis])
                    axis = k;
            const int half = count / 2;
            std::nth_element(order_.begin() + first, order_.begin() + first + half, order_.begin() + first + count,
                             [&](int a, int b) {
                                 const int64_t ca = tris[a].lo[axis] + tris[a].hi[axis];
                                 const int64_t cb = tris[b].lo[axis] + tris[b].hi[axis];
                                 return ca != cb ? ca < cb : a < b;
                             });
            n.left = build(tris, first, half);
            n.right = build(tris, first + half, count - half);
        }
        nodes_[index] = n;
        return index;
    }

    std::vector<Node> nodes_;
    std::vector<int> order_;
};

// The canonical points and lines met so far, shared by both solids.
// Each canonical form has one id. Lattice points and lines whose numbers are
// small (most of them: the operands' own corners and edges) are looked up by
// a packed key; the form decides which table, so equal things meet.
struct Tables {
    std::unordered_map<uint64_t, int> latticePointIds;
    std::unordered_map<HPoint, int, HPointHash> pointIds;
    std::vector<HPoint> points;

    struct PackedLineHash {
        size_t operator()(const std::pair<uint64_t, uint64_t>& k) const
        {
            return std::hash<uint64_t>()(k.first * 0x9E3779B97F4A7C15ull ^ k.second);
        }
    };
    std::unordered_map<std::pair<uint64_t, uint64_t>, int, PackedLineHash> smallLineIds;
    std::unordered_map<LineKey, int, LineKeyHash> lineIds;
    std::vector<LineKey> lines;

    int Point(const HPoint& p)
    {
        constexpr i128 kSmall = i128(1) << 20;
        if (p.c[3] == 1 && p.c[0] > -kSmall && p.c[0] < kSmall && p.c[1] > -kSmall && p.c[1] < kSmall &&
            p.c[2] > -kSmall && p.c[2] < kSmall) {
            const uint64_t key = (uint64_t(p.c[0] + kSmall) << 42) | (uint64_t(p.c[1] + kSmall) << 21) |
                                 uint64_t(p.c[2] + kSmall);
            auto [it, added] = latticePointIds.try_emplace(key, static_cast<int>(points.size()));
            if (added)
                points.push_back(p);
            return it->second;
        }
        auto [it, added] = pointIds.try_emplace(p, static_cast<int>(points.size()));
        if (added)
            points.push_back(p);
        return it->second;
    }
    int Line(const LineKey& l)
    {
        // Directions below 2^14 and moments below 2^26 pack into 126 bits.
        constexpr i128 kDirection = i128(1) << 14, kMoment = i128(1) << 26;
        bool small = true;
        for (int k = 0; k < 3; ++k)
            small &= l.c[k] > -kDirection && l.c[k] < kDirection && l.c[3 + k] > -kMoment && l.c[3 + k] < kMoment;
        if (small) {
            u128 packed = 0;
            for (int k = 0; k < 3; ++k)
                packed = (packed << 15) | u128(l.c[k] + kDirection);
            for (int k = 0; k < 3; ++k)
                packed = (packed << 27) | u128(l.c[3 + k] + kMoment);
            auto [it, added] = smallLineIds.try_emplace({uint64_t(packed >> 64), uint64_t(packed)},
                                                        static_cast<int>(lines.size()));
            if (added)
                lines.push_back(l);
            return it->second;
        }
        auto [it, added] = lineIds.try_emplace(l, static_cast<int>(lines.size()));
        if (added)
            lines.push_back(l);
        return it->second;
    }
};

// A convex piece of a triangle: edge i runs from v[i] to v[i + 1] along the
// bounding plane plane[i] (and the line line[i]); cut[i] marks an edge made
// by a plane of the other solid.
struct Piece {
    int tri = 0;
    std::vector<int> v;
    std::vector<Plane> plane;
    std::vector<int> line;
    std::vector<uint8_t> cut;
};

struct Solid {
    const PolygonMesh* mesh = nullptr;
    std::vector<Triangle> tris;
    Bvh bvh;
    std::vector<std::vector<int>> candidates;  // per triangle: nearby triangles of the other solid
    std::vector<Piece> pieces;
    bool closed = false;
};

// Fans every face into triangles on the lattice, dropping those without area.
// False for a coordinate that is not finite or leaves the lattice.
bool ImportOperand(const PolygonMesh& mesh, const Lattice& lattice, Tables& tables, Solid& solid)
{
    solid.mesh = &mesh;
    std::vector<LatticePoint> q(mesh.positions.size());
    for (size_t i = 0; i < q.size(); ++i) {
        const Vec3& w = mesh.positions[i];
        if (!std::isfinite(w.x) || !std::isfinite(w.y) || !std::isfinite(w.z))
            return false;
        q[i] = lattice.Quantize(w);
        for (int64_t c : q[i].c)
            if (c < -2 * kLatticeHalfExtent || c > 2 * kLatticeHalfExtent)
                return false;
    }
    for (int f = 0; f < mesh.FaceCount(); ++f) {
        const int start = mesh.faceStart[f], end = mesh.faceStart[f + 1];
        for (int k = start + 1; k + 1 < end; ++k) {
            Triangle t;
            t.face = f;
            t.vertex = {mesh.corners[start], mesh.corners[k], mesh.corners[k + 1]};
            bool valid = true;
            for (int c = 0; c < 3; ++c) {
                if (t.vertex[c] < 0 || t.vertex[c] >= static_cast<int>(q.size()))
                    valid = false;
                else
                    t.p[c] = q[t.vertex[c]];
            }
            if (!valid)
                continue;
            t.plane = PlaneThrough(t.p[0], t.p[1], t.p[2]);
            if (IsZero(t.plane))
                continue;
            t.axis = DominantAxis(t.plane);
            for (int c = 0; c < 3; ++c) {
                const LatticePoint& a = t.p[c];
                const LatticePoint& b = t.p[(c + 1) % 3];
                t.edge[c] = EdgePlane(a, b, t.axis);
                LineKey key;
                LineOfPoints(a, b, key);
                t.line[c] = tables.Line(key);
            }
            for (int k3 = 0; k3 < 3; ++k3) {
                t.lo[k3] = std::min({t.p[0].c[k3], t.p[1].c[k3], t.p[2].c[k3]});
                t.hi[k3] = std::max({t.p[0].c[k3], t.p[1].c[k3], t.p[2].c[k3]});
            }
            solid.tris.push_back(t);
        }
    }
    solid.bvh.Build(solid.tris);
    solid.candidates.assign(solid.tris.size(), {});
    return true;
}

Piece WholeTriangle(const Triangle& t, int index, Tables& tables)
{
    Piece p;
    p.tri = index;
    for (int c = 0; c < 3; ++c) {
        p.v.push_back(tables.Point(ToHPoint(t.p[c])));
        p.plane.push_back(t.edge[c]);
        p.line.push_back(t.line[c]);
        p.cut.push_back(0);
    }
    return p;
}

// Splits a convex piece by s; false (and nothing written) when s does not
// pass through its interior.
bool Split(const Piece& p, const Triangle& t, const Plane& s, int sLine, Tables& tables, Piece& pos, Piece& neg,
           bool& failed)
{
    const size_t n = p.v.size();
    std::vector<int> sign(n);
    bool hasPos = false, hasNeg = false;
    for (size_t i = 0; i < n; ++i) {
        sign[i] = Side(s, tables.points[p.v[i]]);
        hasPos |= sign[i] > 0;
        hasNeg |= sign[i] < 0;
    }
    if (!hasPos || !hasNeg)
        return false;
    std::vector<uint8_t> posOn, negOn;
    pos = Piece{};
    neg = Piece{};
    pos.tri = neg.tri = p.tri;
    auto push = [&](Piece& q, std::vector<uint8_t>& on, int vertex, size_t edge, bool onS) {
        q.v.push_back(vertex);
        q.plane.push_back(p.plane[edge]);
        q.line.push_back(p.line[edge]);
        q.cut.push_back(p.cut[edge]);
        on.push_back(onS);
    };
    for (size_t i = 0; i < n; ++i) {
        const size_t j = (i + 1) % n;
        if (sign[i] >= 0)
            push(pos, posOn, p.v[i], i, sign[i] == 0);
        if (sign[i] <= 0)
            push(neg, negOn, p.v[i], i, sign[i] == 0);
        if (sign[i] * sign[j] < 0) {
            HPoint x;
            if (!Meet(t.plane, p.plane[i], s, x)) {
                failed = true;
                return false;
            }
            const int id = tables.Point(x);
            push(pos, posOn, id, i, true);
            push(neg, negOn, id, i, true);
        }
    }
    for (auto [q, on] : {std::pair{&pos, &posOn}, std::pair{&neg, &negOn}}) {
        const size_t m = q->v.size();
        for (size_t k = 0; k < m; ++k)
            if ((*on)[k] && (*on)[(k + 1) % m]) {
                q->plane[k] = s;
                q->line[k] = sLine;
                q->cut[k] = 1;
                break;
            }
    }
    return true;
}

bool AllOnPlane(const Plane& plane, const Triangle& u)
{
    return Side(plane, u.p[0]) == 0 && Side(plane, u.p[1]) == 0 && Side(plane, u.p[2]) == 0;
}

// Cuts every triangle of x along the planes of its candidates in y.
bool CutSolid(Solid& x, const Solid& y, Tables& tables)
{
    bool failed = false;
    x.pieces.clear();
    std::vector<Piece> current, next;
    for (int ti = 0; ti < static_cast<int>(x.tris.size()); ++ti) {
        const Triangle& t = x.tris[ti];
        current.assign(1, WholeTriangle(t, ti, tables));
        for (int ui : x.candidates[ti]) {
            const Triangle& u = y.tris[ui];
            int su[3], st[3];
            for (int c = 0; c < 3; ++c)
                su[c] = Side(t.plane, u.p[c]);
            Plane planes[3];
            int lines[3];
            int count = 0;
            if (su[0] == 0 && su[1] == 0 && su[2] == 0) {
                // Coplanar: cut along u's edges.
                for (int c = 0; c < 3; ++c) {
                    planes[count] = EdgePlane(u.p[c], u.p[(c + 1) % 3], t.axis);
                    lines[count++] = u.line[c];
                }
            } else {
                if ((su[0] > 0 && su[1] > 0 && su[2] > 0) || (su[0] < 0 && su[1] < 0 && su[2] < 0))
                    continue;
                for (int c = 0; c < 3; ++c)
                    st[c] = Side(u.plane, t.p[c]);
                if ((st[0] >= 0 && st[1] >= 0 && st[2] >= 0) || (st[0] <= 0 && st[1] <= 0 && st[2] <= 0))
                    continue;
                LineKey key;
                if (!LineOfPlanes(t.plane, u.plane, key))
                    continue;
                planes[count] = u.plane;
                lines[count++] = tables.Line(key);
            }
            for (int k = 0; k < count; ++k) {
                next.clear();
                for (const Piece& p : current) {
                    Piece pos, neg;
                    if (Split(p, t, planes[k], lines[k], tables, pos, neg, failed)) {
                        next.push_back(std::move(pos));
                        next.push_back(std::move(neg));
                    } else {
                        next.push_back(p);
                    }
                    if (failed)
                        return false;
                }
                std::swap(current, next);
            }
        }
        for (Piece& p : current)
            x.pieces.push_back(std::move(p));
    }
    return true;
}

// --- assembling pieces into welded polygons -------------------------------------

struct Polygon {
    const Solid* solid = nullptr;
    int piece = 0;
    std::vector<int> v;  // point ids, with every point lying on an edge inserted into it
};

// Welds pieces (reversed where asked) into polygons, inserting into each edge
// the points of the other pieces that lie on it.
uint64_t EdgeKey(int a, int b) { return (uint64_t(uint32_t(a)) << 32) | uint32_t(b); }

std::vector<Polygon> Assemble(const std::vector<std::pair<const Solid*, int>>& chosen,
                              const std::vector<uint8_t>& reversed, const Tables& tables)
{
    // Every (line, point) pair an edge brings, sorted and without repeats:
    // the points on each line, grouped.
    std::vector<uint64_t> onLine;
    for (auto [solid, index] : chosen) {
        const Piece& p = solid->pieces[index];
        for (size_t i = 0; i < p.v.size(); ++i) {
            onLine.push_back(EdgeKey(p.line[i], p.v[i]));
            onLine.push_back(EdgeKey(p.line[i], p.v[(i + 1) % p.v.size()]));
        }
    }
    std::sort(onLine.begin(), onLine.end());
    onLine.erase(std::unique(onLine.begin(), onLine.end()), onLine.end());
    // For lines with more than two points: the points in order along the
    // line (order, from the group's start) and each pair's place in it.
    std::vector<int> groupStart(onLine.size()), groupSize(onLine.size()), rank(onLine.size(), 0),
        order(onLine.size());
    for (size_t g = 0; g < onLine.size();) {
        size_t e = g;
        while (e < onLine.size() && (onLine[e] >> 32) == (onLine[g] >> 32))
            ++e;
        for (size_t k = g; k < e; ++k) {
            groupStart[k] = static_cast<int>(g);
            groupSize[k] = static_cast<int>(e - g);
            order[k] = static_cast<int>(uint32_t(onLine[k]));
        }
        if (e - g > 2) {
            const int axis = DominantAxis(tables.lines[onLine[g] >> 32]);
            std::sort(order.begin() + g, order.begin() + e, [&](int a, int b) {
                return CompareAlong(tables.points[a], tables.points[b], axis) < 0;
            });
            for (size_t k = g; k < e; ++k) {
                const auto at = std::lower_bound(onLine.begin() + g, onLine.begin() + e,
                                                 EdgeKey(static_cast<int>(onLine[g] >> 32), order[k]));
                rank[at - onLine.begin()] = static_cast<int>(k - g);
            }
        }
        g = e;
    }
    auto find = [&](int line, int point) {
        return std::lower_bound(onLine.begin(), onLine.end(), EdgeKey(line, point)) - onLine.begin();
    };
    std::vector<Polygon> out;
    out.reserve(chosen.size());
    for (size_t c = 0; c < chosen.size(); ++c) {
        const auto [solid, index] = chosen[c];
        const Piece& p = solid->pieces[index];
        Polygon poly;
        poly.solid = solid;
        poly.piece = index;
        const size_t n = p.v.size();
        for (size_t i = 0; i < n; ++i) {
            const int a = p.v[i], b = p.v[(i + 1) % n];
            poly.v.push_back(a);
            const auto ka = find(p.line[i], a);
            if (groupSize[ka] <= 2)
                continue;
            const int start = groupStart[ka];
            const int ra = rank[ka], rb = rank[find(p.line[i], b)];
            if (ra < rb)
                for (int k = ra + 1; k < rb; ++k)
                    poly.v.push_back(order[start + k]);
            else
                for (int k = ra - 1; k > rb; --k)
                    poly.v.push_back(order[start + k]);
        }
        if (reversed[c])
            std::reverse(poly.v.begin(), poly.v.end());
        out.push_back(std::move(poly));
    }
    return out;
}

// Every directed edge used as often as its reverse: the sorted list of the
// edges equals the sorted list of their reverses.
bool Paired(const std::vector<Polygon>& polygons)
{
    std::vector<uint64_t> forward, backward;
    for (const Polygon& p : polygons)
        for (size_t i = 0; i < p.v.size(); ++i) {
            const int a = p.v[i], b = p.v[(i + 1) % p.v.size()];
            forward.push_back(EdgeKey(a, b));
            backward.push_back(EdgeKey(b, a));
        }
    std::sort(forward.begin(), forward.end());
    std::sort(backward.begin(), backward.end());
    return forward == backward;
}

bool SolidIsClosed(const Solid& s, const Tables& tables)
{
    std::vector<std::pair<const Solid*, int>> all;
    std::vector<Polygon> plain;
    for (int i = 0; i < static_cast<int>(s.pieces.size()); ++i) {
        all.emplace_back(&s, i);
        plain.push_back({&s, i, s.pieces[i].v});
    }
    // Most operands pair as they are; T-junctions (left by faces dropped for
    // having no area on the lattice) need their points put into the edges.
    return Paired(plain) || Paired(Assemble(all, std::vector<uint8_t>(all.size(), 0), tables));
}

// --- classification --------------------------------------------------------------

enum class Region : uint8_t { Undecided, Outside, Inside, Same, Opposite };

// A point strictly inside a convex piece: a weighted mean of three of its
// corners with positive weights, homogeneous.
std::array<Int512, 4> InteriorPoint(const Piece& p, const Tables& tables, int attempt)
{
    const size_t n = p.v.size();
    const size_t k = 1 + static_cast<size_t>(attempt) % (n - 2);
    const HPoint* v[3] = {&tables.points[p.v[0]], &tables.points[p.v[k]], &tables.points[p.v[k + 1]]};
    static constexpr int kWeights[][3] = {{1, 1, 1}, {1, 2, 4}, {4, 1, 2}, {2, 4, 1}, {3, 5, 7}, {7, 3, 5}};
    const int* w = kWeights[(attempt / 3) % 6];
    const Int512 w01 = Int512(v[0]->c[3]) * Int512(v[1]->c[3]);
    const Int512 w02 = Int512(v[0]->c[3]) * Int512(v[2]->c[3]);
    const Int512 w12 = Int512(v[1]->c[3]) * Int512(v[2]->c[3]);
    std::array<Int512, 4> q;
    for (int i = 0; i < 3; ++i)
        q[i] = Int512(w[0]) * Int512(v[0]->c[i]) * w12 + Int512(w[1]) * Int512(v[1]->c[i]) * w02 +
               Int512(w[2]) * Int512(v[2]->c[i]) * w01;
    q[3] = Int512(w[0] + w[1] + w[2]) * w01 * Int512(v[2]->c[3]);
    return q;
}

// Sign of the 2D orientation of (a, b, q) in the plane of axes i, j.
int Orient(const LatticePoint& a, const LatticePoint& b, const std::array<Int512, 4>& q, int i, int j)
{
    const Int512 qi = q[i] - Int512(a.c[i]) * q[3];
    const Int512 qj = q[j] - Int512(a.c[j]) * q[3];
    return (Int512(b.c[i] - a.c[i]) * qj - Int512(b.c[j] - a.c[j]) * qi).Sign();
}

int Orient(const LatticePoint& a, const LatticePoint& b, const LatticePoint& c, int i, int j)
{
    const i128 v = i128(b.c[i] - a.c[i]) * (c.c[j] - a.c[j]) - i128(b.c[j] - a.c[j]) * (c.c[i] - a.c[i]);
    return Sign(v);
}

// Where q stands against triangle u seen along axis r: 1 strictly inside its
// shadow, 0 outside, -1 on its border (undecidable from this point).
int InShadow(const Triangle& u, const std::array<Int512, 4>& q, int i, int j)
{
    const int ou = Orient(u.p[0], u.p[1], u.p[2], i, j);
    int o[3];
    for (int c = 0; c < 3; ++c)
        o[c] = Orient(u.p[c], u.p[(c + 1) % 3], q, i, j);
    if (ou == 0) {
        // Seen edge-on: the ray grazes u only when q's shadow lies on it.
        for (int c = 0; c < 3; ++c) {
            const LatticePoint& a = u.p[c];
            const LatticePoint& b = u.p[(c + 1) % 3];
            if (o[c] != 0 || (a.c[i] == b.c[i] && a.c[j] == b.c[j]))
                continue;
            bool within = true;
            for (int k : {i, j}) {
                const int below = (q[k] - Int512(std::min(a.c[k], b.c[k])) * q[3]).Sign();
                const int above = (q[k] - Int512(std::max(a.c[k], b.c[k])) * q[3]).Sign();
                within &= below >= 0 && above <= 0;
            }
            if (within)
                return -1;
        }
        return 0;
    }
    bool border = false;
    for (int c = 0; c < 3; ++c) {
        if (o[c] == -ou)
            return 0;
        border |= o[c] == 0;
    }
    return border ? -1 : 1;
}

// Classifies one piece of x against y; Undecided when the chosen point is
// degenerate.
Region ClassifyAt(const Solid& x, const Piece& p, const Solid& y, const Tables& tables, int attempt)
{
    const Triangle& t = x.tris[p.tri];
    const auto q = InteriorPoint(p, tables, attempt);
    // On y's surface: inside a coplanar triangle.
    const int i = (t.axis + 1) % 3, j = (t.axis + 2) % 3;
    for (int ui : x.candidates[p.tri]) {
        const Triangle& u = y.tris[ui];
        if (!AllOnPlane(t.plane, u))
            continue;
        const int where = InShadow(u, q, i, j);
        if (where < 0) {
            return Region::Undecided;
        }
        if (where > 0) {
            const i128 dot = i128(t.plane.n[0]) * u.plane.n[0] + i128(t.plane.n[1]) * u.plane.n[1] +
                             i128(t.plane.n[2]) * u.plane.n[2];
            return dot > 0 ? Region::Same : Region::Opposite;
        }
    }
    // Winding number along a ray parallel to an axis.
    const int r = attempt % 3;
    const int ri = (r + 1) % 3, rj = (r + 2) % 3;
    auto approx = [&](int k) {
        // Good to far better than one lattice unit: enough for the box tests.
        const Int512& v = q[k];
        long double value = 0;
        for (int l = 7; l >= 0; --l)
            value = value * 18446744073709551616.0L + static_cast<long double>(v.limb[l]);
        if (v.Sign() < 0) {
            const Int512 neg = -v;
            value = 0;
            for (int l = 7; l >= 0; --l)
                value = value * 18446744073709551616.0L + static_cast<long double>(neg.limb[l]);
            value = -value;
        }
        return value;
    };
    const long double w = approx(3);
    const long double qi = approx(ri) / w, qj = approx(rj) / w, qr = approx(r) / w;
    int winding = 0;
    bool degenerate = false;
    y.bvh.Visit(
        [&](const std::array<int64_t, 3>& lo, const std::array<int64_t, 3>& hi) {
            return !degenerate && qi >= lo[ri] - 1 && qi <= hi[ri] + 1 && qj >= lo[rj] - 1 && qj <= hi[rj] + 1 &&
                   qr <= hi[r] + 1;
        },
        [&](int ui) {
            if (degenerate)
                return;
            const Triangle& u = y.tris[ui];
            const int where = InShadow(u, q, ri, rj);
            if (where < 0) {
                degenerate = true;
                return;
            }
            if (where == 0)
                return;
            const Int512 h = Int512(u.plane.n[0]) * q[0] + Int512(u.plane.n[1]) * q[1] + Int512(u.plane.n[2]) * q[2] +
                             Int512(u.plane.d) * q[3];
            const int hs = h.Sign();
            const int nr = Sign(u.plane.n[r]);
            if (hs == 0) {
                degenerate = true;
                return;
            }
            if (hs != nr)
                winding += nr;
        });
    if (degenerate) {
        return Region::Undecided;
    }
    return winding != 0 ? Region::Inside : Region::Outside;
}

// Classifies every piece of x against y. Pieces joined across an edge that
// lies on no plane of y nearby share their region, so each such group is
// classified once. False when a group stays undecided.
bool Classify(const Solid& x, const Solid& y, const Tables& tables, std::vector<Region>& region)
{
    const int n = static_cast<int>(x.pieces.size());
    std::vector<int> parent(n);
    std::iota(parent.begin(), parent.end(), 0);
    auto find = [&](int a) {
        while (parent[a] != a)
            a = parent[a] = parent[parent[a]];
        return a;
    };
    auto barrier = [&](const Piece& p, size_t e) {
        if (p.cut[e])
            return true;
        const HPoint& a = tables.points[p.v[e]];
        const HPoint& b = tables.points[p.v[(e + 1) % p.v.size()]];
        for (int ui : x.candidates[p.tri]) {
            const Plane& s = y.tris[ui].plane;
            if (Side(s, a) == 0 && Side(s, b) == 0)
                return true;
        }
        return false;
    };
    // The edges that join pieces of one region, sorted; each meets the piece
    // holding its reverse.
    std::vector<std::pair<uint64_t, int>> open;
    for (int pi = 0; pi < n; ++pi) {
        const Piece& p = x.pieces[pi];
        for (size_t e = 0; e < p.v.size(); ++e)
            if (!barrier(p, e))
                open.emplace_back(EdgeKey(p.v[e], p.v[(e + 1) % p.v.size()]), pi);
    }
    std::sort(open.begin(), open.end());
    for (const auto& [key, pi] : open) {
        const uint64_t reverse = (key << 32) | (key >> 32);
        const auto other = std::lower_bound(open.begin(), open.end(), std::pair<uint64_t, int>{reverse, -1});
        if (other != open.end() && other->first == reverse) {
            const int a = find(pi), b = find(other->second);
            if (a != b)
                parent[std::max(a, b)] = std::min(a, b);
        }
    }
    region.assign(n, Region::Undecided);
    // The pieces grouped by region, each group in piece order.
    std::vector<std::pair<int, int>> members(n);
    for (int pi = 0; pi < n; ++pi)
        members[pi] = {find(pi), pi};
    std::sort(members.begin(), members.end());
    constexpr int kAttempts = 18;
    for (size_t g = 0; g < members.size();) {
        size_t e = g;
        while (e < members.size() && members[e].first == members[g].first)
            ++e;
        Region decided = Region::Undecided;
        for (int attempt = 0; attempt < kAttempts && decided == Region::Undecided; ++attempt)
            for (size_t k = g; k < e; ++k) {
                decided = ClassifyAt(x, x.pieces[members[k].second], y, tables, attempt);
                if (decided != Region::Undecided)
                    break;
            }
        if (decided == Region::Undecided)
            return false;
        for (size_t k = g; k < e; ++k)
            region[members[k].second] = decided;
        g = e;
    }
    return true;
}

// --- the result --------------------------------------------------------------------

Vec2 TextureAt(const Solid& s, const Triangle& t, const HPoint& p)
{
    const auto& uv = s.mesh->texcoords;
    if (uv.size() != s.mesh->positions.size())
        return {};
    const int i = (t.axis + 1) % 3, j = (t.axis + 2) % 3;
    const long double w = static_cast<long double>(p.c[3]);
    const long double px = static_cast<long double>(p.c[i]) / w, py = static_cast<long double>(p.c[j]) / w;
    auto area = [&](const LatticePoint& a, const LatticePoint& b, long double cx, long double cy) {
        return (static_cast<long double>(b.c[i] - a.c[i])) * (cy - static_cast<long double>(a.c[j])) -
               (static_cast<long double>(b.c[j] - a.c[j])) * (cx - static_cast<long double>(a.c[i]));
    };
    const long double total = area(t.p[0], t.p[1], static_cast<long double>(t.p[2].c[i]),
                                   static_cast<long double>(t.p[2].c[j]));
    const long double b0 = area(t.p[1], t.p[2], px, py) / total;
    const long double b1 = area(t.p[2], t.p[0], px, py) / total;
    const long double b2 = 1.0L - b0 - b1;
    const Vec2 &u0 = uv[t.vertex[0]], &u1 = uv[t.vertex[1]], &u2 = uv[t.vertex[2]];
    return {static_cast<float>(b0 * u0.u + b1 * u1.u + b2 * u2.u), static_cast<float>(b0 * u0.v + b1 * u1.v + b2 * u2.v)};
}

PolygonMesh BuildResult(const std::vector<Polygon>& polygons, const Tables& tables, const Lattice& lattice)
{
    PolygonMesh out;
    // One vertex per point, split where the texture coordinates differ.
    std::vector<int> firstVariant(tables.points.size(), -1), nextVariant;
    std::vector<int> indices;
    for (const Polygon& poly : polygons) {
        const Solid& s = *poly.solid;
        const Triangle& t = s.tris[s.pieces[poly.piece].tri];
        indices.clear();
        for (int id : poly.v) {
            const Vec2 uv = TextureAt(s, t, tables.points[id]);
            int index = -1;
            for (int candidate = firstVariant[id]; candidate >= 0; candidate = nextVariant[candidate]) {
                const Vec2& have = out.texcoords[candidate];
                if (std::fabs(have.u - uv.u) <= 1e-5f && std::fabs(have.v - uv.v) <= 1e-5f) {
                    index = candidate;
                    break;
                }
            }
            if (index < 0) {
                index = static_cast<int>(out.positions.size());
                out.positions.push_back(lattice.ToWorld(tables.points[id]));
                out.texcoords.push_back(uv);
                nextVariant.push_back(firstVariant[id]);
                firstVariant[id] = index;
            }
            indices.push_back(index);
        }
        out.AddFace(indices, s.mesh->faces[t.face]);
    }
    return out;
}

Box BoxOf(const PolygonMesh& mesh)
{
    Box b;
    for (const Vec3& p : mesh.positions)
        if (std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z))
            b.Add(p);
    return b;
}

bool Keeps(BooleanKind kind, bool isA, Region r, bool& reverse)
{
    reverse = false;
    switch (kind) {
    case BooleanKind::Union:
        return isA ? (r == Region::Outside || r == Region::Same) : r == Region::Outside;
    case BooleanKind::Intersection:
        return isA ? (r == Region::Inside || r == Region::Same) : r == Region::Inside;
    case BooleanKind::Difference:
        if (isA)
            return r == Region::Outside || r == Region::Opposite;
        reverse = true;
        return r == Region::Inside;
    }
    return false;
}

} // namespace

bool IsClosedOnLattice(const PolygonMesh& mesh)
{
    const Lattice lattice = Lattice::Around(BoxOf(mesh));
    Tables tables;
    Solid s;
    if (!ImportOperand(mesh, lattice, tables, s))
        return false;
    for (int i = 0; i < static_cast<int>(s.tris.size()); ++i)
        s.pieces.push_back(WholeTriangle(s.tris[i], i, tables));
    return !s.tris.empty() && SolidIsClosed(s, tables);
}

BooleanResult BooleanMeshes(BooleanKind kind, const PolygonMesh& a, const PolygonMesh& b)
{
    BooleanResult result;
    for (const PolygonMesh* m : {&a, &b})
        for (const Vec3& p : m->positions)
            if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) {
                result.status = BooleanStatus::Failed;
                return result;
            }
    Box box = BoxOf(a);
    box.Add(BoxOf(b));
    const Lattice lattice = Lattice::Around(box);
    Tables tables;
    tables.latticePointIds.reserve(a.positions.size() + b.positions.size());
    tables.smallLineIds.reserve(3 * (a.positions.size() + b.positions.size()));
    Solid sa, sb;
    if (!ImportOperand(a, lattice, tables, sa) || !ImportOperand(b, lattice, tables, sb)) {
        result.status = BooleanStatus::Failed;
        return result;
    }
    // The operand rules, before any cutting.
    for (Solid* s : {&sa, &sb}) {
        for (int i = 0; i < static_cast<int>(s->tris.size()); ++i)
            s->pieces.push_back(WholeTriangle(s->tris[i], i, tables));
        s->closed = !s->tris.empty() && SolidIsClosed(*s, tables);
    }
    if (!sb.closed || (kind == BooleanKind::Union && !sa.closed)) {
        result.status = BooleanStatus::Illegal;
        return result;
    }

    // Broad phase: the pairs of triangles whose boxes touch.
    for (int ti = 0; ti < static_cast<int>(sa.tris.size()); ++ti) {
        const Triangle& t = sa.tris[ti];
        sb.bvh.Visit(
            [&](const std::array<int64_t, 3>& lo, const std::array<int64_t, 3>& hi) {
                for (int k = 0; k < 3; ++k)
                    if (hi[k] < t.lo[k] || lo[k] > t.hi[k])
                        return false;
                return true;
            },
            [&](int ui) {
                const Triangle& u = sb.tris[ui];
                for (int k = 0; k < 3; ++k)
                    if (u.hi[k] < t.lo[k] || u.lo[k] > t.hi[k])
                        return;
                sa.candidates[ti].push_back(ui);
                sb.candidates[ui].push_back(ti);
            });
        std::sort(sa.candidates[ti].begin(), sa.candidates[ti].end());
    }
    if (!CutSolid(sa, sb, tables) || !CutSolid(sb, sa, tables)) {
        result.status = BooleanStatus::Failed;
        return result;
    }

    std::vector<Region> ra, rb;
    const bool classifyB = sa.closed;
    if (!Classify(sa, sb, tables, ra) || (classifyB && !Classify(sb, sa, tables, rb))) {
        result.status = BooleanStatus::Failed;
        return result;
    }
    std::vector<std::pair<const Solid*, int>> kept;
    std::vector<uint8_t> reversed;
    for (int i = 0; i < static_cast<int>(sa.pieces.size()); ++i) {
        bool reverse = false;
        if (Keeps(kind, true, ra[i], reverse)) {
            kept.emplace_back(&sa, i);
            reversed.push_back(reverse);
        }
    }
    if (classifyB)
        for (int i = 0; i < static_cast<int>(sb.pieces.size()); ++i) {
            bool reverse = false;
            if (Keeps(kind, false, rb[i], reverse)) {
                kept.emplace_back(&sb, i);
                reversed.push_back(reverse);
            }
        }
    const std::vector<Polygon> polygons = Assemble(kept, reversed, tables);
    // The check of the cut: with closed operands the result must be closed.
    if (sa.closed && !Paired(polygons)) {
        result.status = BooleanStatus::Failed;
        return result;
    }
    result.mesh = BuildResult(polygons, tables, lattice);
    result.status = polygons.empty() ? BooleanStatus::Empty : BooleanStatus::Done;
    return result;
}

} // namespace corvid
