#include "geometry/Boolean.h"

#include "geometry/BooleanLattice.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <numeric>
#include <system_error>
#include <thread>
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
    std::array<int, 3> line{};
    std::array<int, 3> point{};  // point ids of the corners
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
        // The boxes travel with the triangle numbers while they are ordered:
        // the build reads them many times over.
        items_.resize(tris.size());
        for (size_t i = 0; i < tris.size(); ++i) {
            for (int k = 0; k < 3; ++k) {
                items_[i].lo[k] = static_cast<int32_t>(tris[i].lo[k]);
                items_[i].hi[k] = static_cast<int32_t>(tris[i].hi[k]);
            }
            items_[i].index = static_cast<int>(i);
        }
        nodes_.clear();
        nodes_.reserve(tris.size() / 2 + 1);
        if (!tris.empty())
            build(0, static_cast<int>(tris.size()));
        order_.resize(tris.size());
        for (size_t i = 0; i < tris.size(); ++i)
            order_[i] = items_[i].index;
        items_.clear();
        items_.shrink_to_fit();
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
    int build(int first, int count)
    {
        const int index = static_cast<int>(nodes_.size());
        nodes_.push_back({});
        std::array<int32_t, 3> lo, hi;
        lo.fill(std::numeric_limits<int32_t>::max());
        hi.fill(std::numeric_limits<int32_t>::min());
        for (int i = first; i < first + count; ++i) {
            const Item& b = items_[i];
            for (int k = 0; k < 3; ++k) {
                lo[k] = std::min(lo[k], b.lo[k]);
                hi[k] = std::max(hi[k], b.hi[k]);
            }
        }
        Node n;
        for (int k = 0; k < 3; ++k) {
            n.lo[k] = lo[k];
            n.hi[k] = hi[k];
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
            std::nth_element(items_.begin() + first, items_.begin() + first + half, items_.begin() + first + count,
                             [&](const Item& a, const Item& b) {
                                 const int32_t ca = a.lo[axis] + a.hi[axis];
                                 const int32_t cb = b.lo[axis] + b.hi[axis];
                                 return ca != cb ? ca < cb : a.index < b.index;
                             });
            n.left = build(first, half);
            n.right = build(first + half, count - half);
        }
        nodes_[index] = n;
        return index;
    }

    // A triangle's box; lattice coordinates stay within +-4000.
    struct Item {
        std::array<int32_t, 3> lo, hi;
        int index;
    };

    std::vector<Item> items_;
    std::vector<Node> nodes_;
    std::vector<int> order_;
};

// An open-addressing table from keys to ids, for the packed keys that most
// points and lines have. The slots hold only an entry number and a few bits
// of the hash; keys and ids lie in entry order, so the slots stay small
// (the table is far larger than the caches) and nothing is allocated per
// entry.
template <class Key, class Hash>
class FlatIds {
public:
    void Reserve(size_t count)
    {
        keys_.reserve(count);
        ids_.reserve(count);
        if (count + count / 2 > slots_.size())
            rehash(std::bit_ceil(count + count / 2));
    }

    // The id stored for key; when there is none, fresh is stored and added is set.
    int Find(const Key& key, int fresh, bool& added)
    {
        // At most three quarters full.
        if (4 * (keys_.size() + 1) > 3 * slots_.size())
            rehash(std::max<size_t>(64, 2 * slots_.size()));
        const uint64_t h = Hash()(key);
        const auto tag = static_cast<uint32_t>(h >> 32);
        const size_t mask = slots_.size() - 1;
        for (size_t i = h & mask;; i = (i + 1) & mask) {
            Slot& slot = slots_[i];
            if (slot.entry == 0) {
                keys_.push_back(key);
                ids_.push_back(fresh);
                slot = {static_cast<uint32_t>(keys_.size()), tag};
                added = true;
                return fresh;
            }
            if (slot.tag == tag && keys_[slot.entry - 1] == key) {
                added = false;
                return ids_[slot.entry - 1];
            }
        }
    }

    // Inlined always: GCC takes a function holding only a prefetch for one
    // without effect and drops the call.
    [[gnu::always_inline]] void Prefetch(const Key& key) const
    {
        if (!slots_.empty())
            __builtin_prefetch(&slots_[Hash()(key) & (slots_.size() - 1)]);
    }

private:
    struct Slot {
        uint32_t entry = 0;  // 1 + index into keys_ and ids_; 0 when empty
        uint32_t tag = 0;    // the hash's high half
    };

    void rehash(size_t count)
    {
        slots_.assign(count, Slot{});
        const size_t mask = count - 1;
        for (size_t e = 0; e < keys_.size(); ++e) {
            const uint64_t h = Hash()(keys_[e]);
            size_t i = h & mask;
            while (slots_[i].entry != 0)
                i = (i + 1) & mask;
            slots_[i] = {static_cast<uint32_t>(e + 1), static_cast<uint32_t>(h >> 32)};
        }
    }

    std::vector<Slot> slots_;
    std::vector<Key> keys_;
    std::vector<int> ids_;
};

inline uint64_t MixBits(uint64_t h)
{
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDull;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ull;
    h ^= h >> 33;
    return h;
}

struct PackedPointHash {
    size_t operator()(uint64_t k) const { return MixBits(k); }
};
// Lines with directions below 2^14 and moments below 2^26 (all lines through
// two lattice points) pack into 126 bits; kNotPacked marks the others.
using PackedLine = std::pair<uint64_t, uint64_t>;
constexpr PackedLine kNotPacked{~uint64_t{0}, ~uint64_t{0}};
constexpr int64_t kPackedDirection = int64_t{1} << 14, kPackedMoment = int64_t{1} << 26;

PackedLine Pack(const LineKey& l)
{
    bool small = true;
    for (int k = 0; k < 3; ++k)
        small &= l.c[k] > -kPackedDirection && l.c[k] < kPackedDirection && l.c[3 + k] > -kPackedMoment &&
                 l.c[3 + k] < kPackedMoment;
    if (!small)
        return kNotPacked;
    u128 packed = 0;
    for (int k = 0; k < 3; ++k)
        packed = (packed << 15) | u128(l.c[k] + kPackedDirection);
    for (int k = 0; k < 3; ++k)
        packed = (packed << 27) | u128(l.c[3 + k] + kPackedMoment);
    return {uint64_t(packed >> 64), uint64_t(packed)};
}

LineKey Unpack(const PackedLine& p)
{
    u128 packed = (u128(p.first) << 64) | p.second;
    LineKey l;
    for (int k = 2; k >= 0; --k) {
        l.c[3 + k] = i128(packed & ((u128(1) << 27) - 1)) - kPackedMoment;
        packed >>= 27;
    }
    for (int k = 2; k >= 0; --k) {
        l.c[k] = i128(packed & ((u128(1) << 15) - 1)) - kPackedDirection;
        packed >>= 15;
    }
    return l;
}

// The line through two distinct lattice points, packed: the same as
// Pack(LineOfPoints(a, b)), on machine words. The direction b - a divided by
// the common factor of its components leaves nothing to divide in the moment.
PackedLine PackLatticeLine(const LatticePoint& a, const LatticePoint& b)
{
    int64_t u[3];
    for (int k = 0; k < 3; ++k)
        u[k] = b.c[k] - a.c[k];
    const uint64_t g = Gcd64(Gcd64(static_cast<uint64_t>(std::llabs(u[0])), static_cast<uint64_t>(std::llabs(u[1]))),
                             static_cast<uint64_t>(std::llabs(u[2])));
    if (g == 0)
        return kNotPacked;
    if (g != 1)
        for (int64_t& x : u)
            x /= static_cast<int64_t>(g);
    if ((u[0] != 0 ? u[0] : u[1] != 0 ? u[1] : u[2]) < 0)
        for (int64_t& x : u)
            x = -x;
    LineKey l;
    for (int k = 0; k < 3; ++k)
        l.c[k] = u[k];
    l.c[3] = i128(a.c[1]) * u[2] - i128(a.c[2]) * u[1];
    l.c[4] = i128(a.c[2]) * u[0] - i128(a.c[0]) * u[2];
    l.c[5] = i128(a.c[0]) * u[1] - i128(a.c[1]) * u[0];
    return Pack(l);
}

struct PackedLineHash {
    size_t operator()(const std::pair<uint64_t, uint64_t>& k) const
    {
        return MixBits(k.first * 0x9E3779B97F4A7C15ull ^ MixBits(k.second));
    }
};

// The canonical points and lines met so far, shared by both solids.
// Each canonical form has one id. Lattice points and lines whose numbers are
// small (most of them: the operands' own corners and edges) are looked up by
// a packed key; the form decides which table, so equal things meet.
struct Tables {
    FlatIds<uint64_t, PackedPointHash> latticePointIds;
    std::unordered_map<HPoint, int, HPointHash> pointIds;
    std::vector<HPoint> points;

    FlatIds<std::pair<uint64_t, uint64_t>, PackedLineHash> smallLineIds;
    std::unordered_map<LineKey, int, LineKeyHash> lineIds;
    std::vector<uint8_t> lineAxis;  // per line: the axis along which its direction is largest

    // The lattice points' key (all operand corners pack).
    static uint64_t LatticeKey(const LatticePoint& p)
    {
        constexpr int64_t kSmall = int64_t{1} << 20;
        return (uint64_t(p.c[0] + kSmall) << 42) | (uint64_t(p.c[1] + kSmall) << 21) | uint64_t(p.c[2] + kSmall);
    }
    [[gnu::always_inline]] void PrefetchPoint(const LatticePoint& p) const { latticePointIds.Prefetch(LatticeKey(p)); }

    int Point(const HPoint& p)
    {
        constexpr i128 kSmall = i128(1) << 20;
        if (p.c[3] == 1 && p.c[0] > -kSmall && p.c[0] < kSmall && p.c[1] > -kSmall && p.c[1] < kSmall &&
            p.c[2] > -kSmall && p.c[2] < kSmall) {
            const uint64_t key = (uint64_t(p.c[0] + kSmall) << 42) | (uint64_t(p.c[1] + kSmall) << 21) |
                                 uint64_t(p.c[2] + kSmall);
            bool added = false;
            const int id = latticePointIds.Find(key, static_cast<int>(points.size()), added);
            if (added)
                points.push_back(p);
            return id;
        }
        auto [it, added] = pointIds.try_emplace(p, static_cast<int>(points.size()));
        if (added)
            points.push_back(p);
        return it->second;
    }
    int Line(const LineKey& l)
    {
        const PackedLine packed = Pack(l);
        if (packed != kNotPacked)
            return Line(packed);
        auto [it, added] = lineIds.try_emplace(l, static_cast<int>(lineAxis.size()));
        if (added)
            lineAxis.push_back(static_cast<uint8_t>(DominantAxis(l)));
        return it->second;
    }
    int Line(const PackedLine& packed)
    {
        bool added = false;
        const int id = smallLineIds.Find(packed, static_cast<int>(lineAxis.size()), added);
        if (added)
            lineAxis.push_back(static_cast<uint8_t>(DominantAxis(Unpack(packed))));
        return id;
    }
    [[gnu::always_inline]] void PrefetchLine(const PackedLine& packed) const
    {
        if (packed != kNotPacked)
            smallLineIds.Prefetch(packed);
    }
};

// One corner of a convex piece of a triangle: the edge from it to the next
// corner runs along the line `line`; cut marks an edge made by a plane of
// the other solid.
struct Corner {
    int v = 0;
    int line = 0;
    int cut = 0;
};

// A corner while its triangle is cut: also the bounding plane its edge runs along.
struct CutCorner {
    Corner corner;
    Plane plane;
};

// A convex piece of a triangle: corners [first, first + count) of its solid.
struct Piece {
    int tri = 0;
    int first = 0;
    int count = 0;
};

struct Solid {
    const PolygonMesh* mesh = nullptr;
    std::vector<Triangle> tris;
    Bvh bvh;
    std::vector<std::vector<int>> candidates;  // per triangle: nearby triangles of the other solid
    std::vector<Piece> pieces;
    std::vector<Corner> corners;  // of all pieces
    bool closed = false;

    const Corner* CornersOf(const Piece& p) const { return corners.data() + p.first; }
};

// An operand snapped to the lattice, before its points and lines have ids:
// the lattice point of every position and the packed line of every
// triangle edge (kNotPacked when its numbers are too large to pack).
struct Snapped {
    std::vector<LatticePoint> q;
    std::vector<PackedLine> lines;  // 3 per triangle
};

// Fans every face into triangles on the lattice, dropping those without area.
// Touches nothing shared: the operands can be snapped at the same time.
// False for a coordinate that is not finite or leaves the lattice.
bool SnapOperand(const PolygonMesh& mesh, const Lattice& lattice, Solid& solid, Snapped& snapped)
{
    solid.mesh = &mesh;
    std::vector<LatticePoint>& q = snapped.q;
    q.resize(mesh.positions.size());
    for (size_t i = 0; i < q.size(); ++i) {
        const Vec3& w = mesh.positions[i];
        if (!std::isfinite(w.x) || !std::isfinite(w.y) || !std::isfinite(w.z))
            return false;
        q[i] = lattice.Quantize(w);
        for (int64_t c : q[i].c)
            if (c < -2 * kLatticeHalfExtent || c > 2 * kLatticeHalfExtent)
                return false;
    }
    size_t triangleCount = 0;
    for (int f = 0; f < mesh.FaceCount(); ++f)
        triangleCount += static_cast<size_t>(std::max(0, mesh.faceStart[f + 1] - mesh.faceStart[f] - 2));
    solid.tris.reserve(triangleCount);
    snapped.lines.reserve(3 * triangleCount);
    const int positionCount = static_cast<int>(q.size());
    for (int f = 0; f < mesh.FaceCount(); ++f) {
        const int start = mesh.faceStart[f], end = mesh.faceStart[f + 1];
        for (int k = start + 1; k + 1 < end; ++k) {
            const std::array<int, 3> vertex = {mesh.corners[start], mesh.corners[k], mesh.corners[k + 1]};
            if (vertex[0] < 0 || vertex[0] >= positionCount || vertex[1] < 0 || vertex[1] >= positionCount ||
                vertex[2] < 0 || vertex[2] >= positionCount)
                continue;
            const Plane plane = PlaneThrough(q[vertex[0]], q[vertex[1]], q[vertex[2]]);
            if (IsZero(plane))
                continue;
            Triangle& t = solid.tris.emplace_back();
            t.face = f;
            t.vertex = vertex;
            for (int c = 0; c < 3; ++c)
                t.p[c] = q[vertex[c]];
            t.plane = plane;
            t.axis = DominantAxis(t.plane);
            for (int c = 0; c < 3; ++c) {
                const LatticePoint& a = t.p[c];
                const LatticePoint& b = t.p[(c + 1) % 3];
                snapped.lines.push_back(PackLatticeLine(a, b));
            }
            for (int k3 = 0; k3 < 3; ++k3) {
                t.lo[k3] = std::min({t.p[0].c[k3], t.p[1].c[k3], t.p[2].c[k3]});
                t.hi[k3] = std::max({t.p[0].c[k3], t.p[1].c[k3], t.p[2].c[k3]});
            }
        }
    }
    return true;
}

// Gives the operand's points and lines their ids, in order.
void NameOperand(Solid& solid, const Snapped& snapped, Tables& tables)
{
    // The tables are far larger than the caches: ask for the slots a few
    // lookups ahead before looking up this one.
    constexpr size_t kAhead = 8;
    const size_t positions = snapped.q.size();
    std::vector<int> pointIds(positions);
    for (size_t i = 0; i < positions; ++i) {
        if (i + kAhead < positions)
            tables.PrefetchPoint(snapped.q[i + kAhead]);
        pointIds[i] = tables.Point(ToHPoint(snapped.q[i]));
    }
    // Most edges are met twice, the second time soon after the first: a
    // small cache from pairs of points to lines saves the second lookup.
    struct Recent {
        int lo = -1, hi = -1, line = 0;
    };
    constexpr size_t kRecent = size_t{1} << 15;
    std::vector<Recent> recent(kRecent);
    auto slot = [&](int a, int b) -> Recent& {
        const auto lo = static_cast<uint32_t>(std::min(a, b)), hi = static_cast<uint32_t>(std::max(a, b));
        return recent[MixBits((uint64_t(lo) << 32) | hi) & (kRecent - 1)];
    };
    auto known = [&](int a, int b) {
        const Recent& r = slot(a, b);
        return r.lo == std::min(a, b) && r.hi == std::max(a, b);
    };
    const size_t n = solid.tris.size();
    for (size_t i = 0; i < n; ++i) {
        if (i + kAhead < n) {
            const Triangle& ahead = solid.tris[i + kAhead];
            for (int c = 0; c < 3; ++c)
                if (!known(pointIds[ahead.vertex[c]], pointIds[ahead.vertex[(c + 1) % 3]]))
                    tables.PrefetchLine(snapped.lines[3 * (i + kAhead) + c]);
        }
        Triangle& t = solid.tris[i];
        for (int c = 0; c < 3; ++c)
            t.point[c] = pointIds[t.vertex[c]];
        for (int c = 0; c < 3; ++c) {
            const int a = t.point[c], b = t.point[(c + 1) % 3];
            Recent& r = slot(a, b);
            if (r.lo == std::min(a, b) && r.hi == std::max(a, b)) {
                t.line[c] = r.line;
                continue;
            }
            const PackedLine& packed = snapped.lines[3 * i + c];
            if (packed != kNotPacked) {
                t.line[c] = tables.Line(packed);
            } else {
                LineKey key;
                LineOfPoints(t.p[c], t.p[(c + 1) % 3], key);
                t.line[c] = tables.Line(key);
            }
            r = {std::min(a, b), std::max(a, b), t.line[c]};
        }
    }
}

bool ImportOperand(const PolygonMesh& mesh, const Lattice& lattice, Tables& tables, Solid& solid)
{
    Snapped snapped;
    if (!SnapOperand(mesh, lattice, solid, snapped))
        return false;
    NameOperand(solid, snapped, tables);
    return true;
}

// The pieces of one triangle while it is cut: corners in one buffer.
struct PieceBuffer {
    std::vector<CutCorner> corners;
    std::vector<std::pair<int, int>> pieces;  // first corner, count
    std::vector<int> sign, crossing;          // scratch of Split
    std::vector<uint8_t> on;

    void Clear()
    {
        corners.clear();
        pieces.clear();
    }
};

void AddWholeTriangle(const Triangle& t, std::vector<Corner>& corners)
{
    for (int c = 0; c < 3; ++c)
        corners.push_back({t.point[c], t.line[c], 0});
}

void AddWholeTriangle(const Triangle& t, std::vector<CutCorner>& corners)
{
    for (int c = 0; c < 3; ++c)
        corners.push_back({{t.point[c], t.line[c], 0}, EdgePlane(t.p[c], t.p[(c + 1) % 3], t.axis)});
}

// Splits the convex piece p (count corners) by s into out; false (and nothing
// written) when s does not pass through its interior.
bool Split(const CutCorner* p, int count, const Triangle& t, const Plane& s, int sLine, Tables& tables,
           PieceBuffer& out, bool& failed)
{
    std::vector<int>& sign = out.sign;
    sign.resize(count);
    bool hasPos = false, hasNeg = false;
    for (int i = 0; i < count; ++i) {
        sign[i] = Side(s, tables.points[p[i].corner.v]);
        hasPos |= sign[i] > 0;
        hasNeg |= sign[i] < 0;
    }
    if (!hasPos || !hasNeg)
        return false;
    // The new point on each crossed edge, then the two halves in turn.
    std::vector<int>& crossing = out.crossing;
    crossing.resize(count);
    for (int i = 0; i < count; ++i) {
        const int j = i + 1 < count ? i + 1 : 0;
        crossing[i] = -1;
        if (sign[i] * sign[j] < 0) {
            HPoint x;
            if (!Meet(t.plane, p[i].plane, s, x)) {
                failed = true;
                return false;
            }
            crossing[i] = tables.Point(x);
        }
    }
    for (int side : {1, -1}) {
        const int first = static_cast<int>(out.corners.size());
        std::vector<uint8_t>& on = out.on;
        on.clear();
        auto push = [&](int vertex, int edge, bool onS) {
            out.corners.push_back(p[edge]);
            out.corners.back().corner.v = vertex;
            on.push_back(onS);
        };
        for (int i = 0; i < count; ++i) {
            if (sign[i] * side >= 0)
                push(p[i].corner.v, i, sign[i] == 0);
            if (crossing[i] >= 0)
                push(crossing[i], i, true);
        }
        const int m = static_cast<int>(on.size());
        for (int k = 0; k < m; ++k)
            if (on[k] && on[k + 1 < m ? k + 1 : 0]) {
                CutCorner& c = out.corners[first + k];
                c.plane = s;
                c.corner.line = sLine;
                c.corner.cut = 1;
                break;
            }
        out.pieces.emplace_back(first, m);
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
    x.corners.clear();
    x.pieces.reserve(x.tris.size());
    x.corners.reserve(3 * x.tris.size());
    PieceBuffer current, next;
    for (int ti = 0; ti < static_cast<int>(x.tris.size()); ++ti) {
        const Triangle& t = x.tris[ti];
        if (x.candidates[ti].empty()) {
            // Nothing of y comes near: the triangle stays whole.
            x.pieces.push_back({ti, static_cast<int>(x.corners.size()), 3});
            AddWholeTriangle(t, x.corners);
            continue;
        }
        current.Clear();
        AddWholeTriangle(t, current.corners);
        current.pieces.emplace_back(0, 3);
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
                next.Clear();
                for (const auto& [first, n] : current.pieces) {
                    const CutCorner* p = current.corners.data() + first;
                    if (!Split(p, n, t, planes[k], lines[k], tables, next, failed)) {
                        if (failed)
                            return false;
                        next.pieces.emplace_back(static_cast<int>(next.corners.size()), n);
                        next.corners.insert(next.corners.end(), p, p + n);
                    }
                }
                std::swap(current, next);
            }
        }
        for (const auto& [first, n] : current.pieces) {
            x.pieces.push_back({ti, static_cast<int>(x.corners.size()), n});
            for (int k = first; k < first + n; ++k)
                x.corners.push_back(current.corners[k].corner);
        }
    }
    return true;
}

// --- assembling pieces into welded polygons -------------------------------------

// Sorts keys ascending, stable, 11 bits a pass from the lowest, as many
// passes as the largest key needs; passes where every key has the same digit
// are skipped. key(item) gives the key.
template <class T, class Key>
void RadixSort(std::vector<T>& items, Key key)
{
    if (items.size() < 256) {
        std::stable_sort(items.begin(), items.end(), [&](const T& a, const T& b) { return key(a) < key(b); });
        return;
    }
    constexpr int kBits = 11;
    constexpr uint64_t kMask = (1u << kBits) - 1;
    uint64_t all = 0;
    for (const T& item : items)
        all |= key(item);
    const int passes = (std::bit_width(all) + kBits - 1) / kBits;
    std::vector<uint32_t> counts(static_cast<size_t>(passes) << kBits, 0);
    for (const T& item : items) {
        const uint64_t k = key(item);
        for (int pass = 0; pass < passes; ++pass)
            ++counts[(static_cast<size_t>(pass) << kBits) | ((k >> (kBits * pass)) & kMask)];
    }
    std::vector<T> spare(items.size());
    for (int pass = 0; pass < passes; ++pass) {
        uint32_t* count = counts.data() + (static_cast<size_t>(pass) << kBits);
        if (count[(key(items[0]) >> (kBits * pass)) & kMask] == items.size())
            continue;
        uint32_t sum = 0;
        for (size_t d = 0; d <= kMask; ++d) {
            const uint32_t here = count[d];
            count[d] = sum;
            sum += here;
        }
        for (const T& item : items)
            spare[count[(key(item) >> (kBits * pass)) & kMask]++] = item;
        items.swap(spare);
    }
}

void RadixSort(std::vector<uint64_t>& keys)
{
    RadixSort(keys, [](uint64_t k) { return k; });
}

// Kept pieces as polygons: the solid and piece each comes from and its point
// ids, every point lying on an edge inserted into it.
struct Polygons {
    std::vector<std::pair<const Solid*, int>> source;
    std::vector<int> start{0};
    std::vector<int> v;

    size_t Size() const { return source.size(); }
};

// A key of the edge between points a and b that sorts the edges by the pair
// of points, then by direction: the smaller point above the larger, each in
// shift bits, and the direction (1 from the larger) lowest.
uint64_t PairKey(int a, int b, int shift)
{
    const auto lo = uint64_t(std::min(a, b)), hi = uint64_t(std::max(a, b));
    return (lo << (shift + 1)) | (hi << 1) | uint64_t(a > b);
}

// Welds pieces (reversed where asked) into polygons, inserting into each edge
// the points of the other pieces that lie on it.
Polygons Assemble(const std::vector<std::pair<const Solid*, int>>& chosen, const std::vector<uint8_t>& reversed,
                  const Tables& tables)
{
    // Every (line, point) pair an edge brings, sorted and without repeats:
    // the points on each line, grouped.
    // Keys: the line above, the point in the low `shift` bits.
    const int shift = std::bit_width(tables.points.size());
    const uint64_t pointMask = (uint64_t{1} << shift) - 1;
    auto key = [&](int line, int point) { return (uint64_t(line) << shift) | uint64_t(point); };
    std::vector<uint64_t> onLine;
    size_t cornerCount = 0;
    for (auto [solid, index] : chosen)
        cornerCount += solid->pieces[index].count;
    onLine.reserve(2 * cornerCount);
    for (auto [solid, index] : chosen) {
        const Piece& piece = solid->pieces[index];
        const Corner* p = solid->CornersOf(piece);
        for (int i = 0; i < piece.count; ++i) {
            onLine.push_back(key(p[i].line, p[i].v));
            onLine.push_back(key(p[i].line, p[i + 1 < piece.count ? i + 1 : 0].v));
        }
    }
    RadixSort(onLine);
    onLine.erase(std::unique(onLine.begin(), onLine.end()), onLine.end());
    // The lines holding more than their edges' ends (crowded); only edges
    // along those take points. Their (line, point) pairs, kept in order, with
    // each group's points in order along the line (order, from the group's
    // start) and each pair's place in it.
    std::vector<uint8_t> crowded(tables.lineAxis.size(), 0);
    std::vector<uint64_t> crowdedKeys;
    for (size_t g = 0; g < onLine.size();) {
        size_t e = g + 1;
        while (e < onLine.size() && (onLine[e] >> shift) == (onLine[g] >> shift))
            ++e;
        if (e - g > 2) {
            crowded[onLine[g] >> shift] = 1;
            crowdedKeys.insert(crowdedKeys.end(), onLine.begin() + static_cast<std::ptrdiff_t>(g),
                               onLine.begin() + static_cast<std::ptrdiff_t>(e));
        }
        g = e;
    }
    onLine = {};
    std::vector<int> groupStart(crowdedKeys.size()), rank(crowdedKeys.size()), order(crowdedKeys.size());
    for (size_t g = 0; g < crowdedKeys.size();) {
        size_t e = g + 1;
        while (e < crowdedKeys.size() && (crowdedKeys[e] >> shift) == (crowdedKeys[g] >> shift))
            ++e;
        for (size_t k = g; k < e; ++k) {
            groupStart[k] = static_cast<int>(g);
            order[k] = static_cast<int>(crowdedKeys[k] & pointMask);
        }
        const int axis = tables.lineAxis[crowdedKeys[g] >> shift];
        std::sort(order.begin() + static_cast<std::ptrdiff_t>(g), order.begin() + static_cast<std::ptrdiff_t>(e),
                  [&](int a, int b) { return CompareAlong(tables.points[a], tables.points[b], axis) < 0; });
        for (size_t k = g; k < e; ++k) {
            const auto at = std::lower_bound(crowdedKeys.begin() + static_cast<std::ptrdiff_t>(g),
                                             crowdedKeys.begin() + static_cast<std::ptrdiff_t>(e),
                                             key(static_cast<int>(crowdedKeys[g] >> shift), order[k]));
            rank[at - crowdedKeys.begin()] = static_cast<int>(k - g);
        }
        g = e;
    }
    auto find = [&](int line, int point) {
        return std::lower_bound(crowdedKeys.begin(), crowdedKeys.end(), key(line, point)) - crowdedKeys.begin();
    };
    Polygons out;
    out.source = chosen;
    out.start.reserve(chosen.size() + 1);
    out.v.reserve(cornerCount + cornerCount / 4);
    for (size_t c = 0; c < chosen.size(); ++c) {
        const auto [solid, index] = chosen[c];
        const Piece& piece = solid->pieces[index];
        const Corner* p = solid->CornersOf(piece);
        const size_t begin = out.v.size();
        const int n = piece.count;
        for (int i = 0; i < n; ++i) {
            const int a = p[i].v, b = p[i + 1 < n ? i + 1 : 0].v;
            out.v.push_back(a);
            if (!crowded[p[i].line])
                continue;
            const auto ka = find(p[i].line, a);
            const int start = groupStart[ka];
            const int ra = rank[ka], rb = rank[find(p[i].line, b)];
            if (ra < rb)
                for (int k = ra + 1; k < rb; ++k)
                    out.v.push_back(order[start + k]);
            else
                for (int k = ra - 1; k > rb; --k)
                    out.v.push_back(order[start + k]);
        }
        if (reversed[c])
            std::reverse(out.v.begin() + static_cast<std::ptrdiff_t>(begin), out.v.end());
        out.start.push_back(static_cast<int>(out.v.size()));
    }
    return out;
}

// Every directed edge used as often as its reverse. The edges of each pair of
// points, sorted by the pair and then by direction, must split evenly.
// pointCount bounds the point ids.
template <class EdgesOf>
bool Paired(size_t polygonCount, size_t pointCount, EdgesOf edgesOf)
{
    const int shift = std::bit_width(pointCount);
    std::vector<uint64_t> edges;
    for (size_t i = 0; i < polygonCount; ++i)
        edgesOf(i, [&](int a, int b) {
            if (a != b)  // an edge from a point to itself pairs with itself
                edges.push_back(PairKey(a, b, shift));
        });
    RadixSort(edges);
    for (size_t g = 0; g < edges.size();) {
        size_t e = g, backward = 0;
        while (e < edges.size() && (edges[e] >> 1) == (edges[g] >> 1))
            backward += edges[e++] & 1;
        if (2 * backward != e - g)
            return false;
        g = e;
    }
    return true;
}

bool Paired(const Polygons& polygons, size_t pointCount)
{
    return Paired(polygons.Size(), pointCount, [&](size_t i, auto&& edge) {
        const int begin = polygons.start[i], end = polygons.start[i + 1];
        for (int k = begin; k < end; ++k)
            edge(polygons.v[k], polygons.v[k + 1 < end ? k + 1 : begin]);
    });
}

bool SolidIsClosed(Solid& s, const Tables& tables)
{
    // Most operands pair as they are; T-junctions (left by faces dropped for
    // having no area on the lattice) need their points put into the edges.
    const bool plain = Paired(s.tris.size(), tables.points.size(), [&](size_t i, auto&& edge) {
        const Triangle& t = s.tris[i];
        for (int c = 0; c < 3; ++c)
            edge(t.point[c], t.point[(c + 1) % 3]);
    });
    if (plain)
        return true;
    s.pieces.clear();
    s.corners.clear();
    std::vector<std::pair<const Solid*, int>> all;
    for (int i = 0; i < static_cast<int>(s.tris.size()); ++i) {
        s.pieces.push_back({i, static_cast<int>(s.corners.size()), 3});
        AddWholeTriangle(s.tris[i], s.corners);
        all.emplace_back(&s, i);
    }
    return Paired(Assemble(all, std::vector<uint8_t>(all.size(), 0), tables), tables.points.size());
}

// --- classification --------------------------------------------------------------

enum class Region : uint8_t { Undecided, Outside, Inside, Same, Opposite };

// A point strictly inside a convex piece: a weighted mean of three of its
// corners with positive weights, homogeneous.
std::array<Int512, 4> InteriorPoint(const Solid& s, const Piece& p, const Tables& tables, int attempt)
{
    const Corner* c = s.CornersOf(p);
    const size_t n = static_cast<size_t>(p.count);
    const size_t k = 1 + static_cast<size_t>(attempt) % (n - 2);
    const HPoint* v[3] = {&tables.points[c[0].v], &tables.points[c[k].v], &tables.points[c[k + 1].v]};
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
    const auto q = InteriorPoint(x, p, tables, attempt);
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
    auto barrier = [&](const Piece& p, int e) {
        const Corner* c = x.CornersOf(p);
        if (c[e].cut)
            return true;
        const HPoint& a = tables.points[c[e].v];
        const HPoint& b = tables.points[c[(e + 1) % p.count].v];
        for (int ui : x.candidates[p.tri]) {
            const Plane& s = y.tris[ui].plane;
            if (Side(s, a) == 0 && Side(s, b) == 0)
                return true;
        }
        return false;
    };
    // The edges that join pieces of one region, sorted by their pair of
    // points, then by direction, then by piece; each meets the first piece
    // holding its reverse.
    const int shift = std::bit_width(tables.points.size());
    std::vector<std::pair<uint64_t, int>> open;
    for (int pi = 0; pi < n; ++pi) {
        const Piece& p = x.pieces[pi];
        const Corner* c = x.CornersOf(p);
        for (int e = 0; e < p.count; ++e)
            if (!barrier(p, e))
                open.emplace_back(PairKey(c[e].v, c[(e + 1) % p.count].v, shift), pi);
    }
    RadixSort(open, [](const std::pair<uint64_t, int>& o) { return o.first; });
    auto join = [&](int pa, int pb) {
        const int ra = find(pa), rb = find(pb);
        if (ra != rb)
            parent[std::max(ra, rb)] = std::min(ra, rb);
    };
    for (size_t g = 0; g < open.size();) {
        size_t e = g;
        while (e < open.size() && (open[e].first >> 1) == (open[g].first >> 1))
            ++e;
        // [g, m) runs from the smaller point, [m, e) from the larger.
        size_t m = g;
        while (m < e && (open[m].first & 1) == 0)
            ++m;
        const uint64_t pair = open[g].first >> 1;
        const uint64_t lo = pair >> shift, hi = pair & ((uint64_t{1} << shift) - 1);
        if (lo == hi) {
            for (size_t k = g; k < e; ++k)  // an edge from a point to itself is its own reverse
                join(open[k].second, open[g].second);
        } else if (m > g && m < e) {
            for (size_t k = g; k < m; ++k)
                join(open[k].second, open[m].second);
            for (size_t k = m; k < e; ++k)
                join(open[k].second, open[g].second);
        }
        g = e;
    }
    region.assign(n, Region::Undecided);
    // The pieces grouped by region, each group in piece order.
    std::vector<std::pair<int, int>> members(n);
    for (int pi = 0; pi < n; ++pi)
        members[pi] = {find(pi), pi};
    RadixSort(members, [](const std::pair<int, int>& m) { return uint64_t(m.first); });
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

PolygonMesh BuildResult(const Polygons& polygons, const Tables& tables, const Lattice& lattice)
{
    PolygonMesh out;
    // One vertex per point, split where the texture coordinates differ.
    std::vector<int> firstVariant(tables.points.size(), -1), nextVariant;
    std::vector<int> indices;
    out.faceStart.reserve(polygons.Size() + 1);
    out.faces.reserve(polygons.Size());
    out.corners.reserve(polygons.v.size());
    for (size_t c = 0; c < polygons.Size(); ++c) {
        const auto [solid, piece] = polygons.source[c];
        const Solid& s = *solid;
        const Triangle& t = s.tris[s.pieces[piece].tri];
        indices.clear();
        for (int k = polygons.start[c]; k < polygons.start[c + 1]; ++k) {
            const int id = polygons.v[k];
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

// Runs first here and second beside it on a thread of its own (here too
// when no thread can be started); returns when both are done. The two must
// not write anything the other touches.
template <class First, class Second>
void RunBoth(First&& first, Second&& second)
{
    std::thread worker;
    try {
        worker = std::thread([&] { second(); });
    } catch (const std::system_error&) {
        second();
    }
    struct Join {
        std::thread& thread;
        ~Join()
        {
            if (thread.joinable())
                thread.join();
        }
    } join{worker};
    first();
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
    tables.latticePointIds.Reserve(a.positions.size() + b.positions.size());
    tables.smallLineIds.Reserve(3 * (a.positions.size() + b.positions.size()));
    // The operands are snapped at the same time. Then their points and lines
    // are named in order, A's first, and the operand rules checked, while
    // the hierarchies are built beside (from the triangles' boxes, which
    // naming leaves alone).
    Solid sa, sb;
    Snapped snappedA, snappedB;
    bool snappedAOk = false, snappedBOk = false;
    RunBoth([&] { snappedAOk = SnapOperand(a, lattice, sa, snappedA); },
            [&] { snappedBOk = SnapOperand(b, lattice, sb, snappedB); });
    if (!snappedAOk || !snappedBOk) {
        result.status = BooleanStatus::Failed;
        return result;
    }
    RunBoth(
        [&] {
            NameOperand(sa, snappedA, tables);
            NameOperand(sb, snappedB, tables);
            sa.closed = !sa.tris.empty() && SolidIsClosed(sa, tables);
            sb.closed = !sb.tris.empty() && SolidIsClosed(sb, tables);
        },
        [&] {
            sa.bvh.Build(sa.tris);
            sb.bvh.Build(sb.tris);
        });
    sa.candidates.assign(sa.tris.size(), {});
    sb.candidates.assign(sb.tris.size(), {});
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
    // The two classifications only read the solids and the tables: B's runs
    // beside A's.
    const bool classifyB = sa.closed;
    bool classifiedA = false, classifiedB = true;
    RunBoth([&] { classifiedA = Classify(sa, sb, tables, ra); },
            [&] {
                if (classifyB)
                    classifiedB = Classify(sb, sa, tables, rb);
            });
    if (!classifiedA || !classifiedB) {
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
    const Polygons polygons = Assemble(kept, reversed, tables);
    // The check of the cut (with closed operands the result must be closed)
    // runs beside the building of the mesh.
    bool paired = true;
    RunBoth([&] { result.mesh = BuildResult(polygons, tables, lattice); },
            [&] { paired = !sa.closed || Paired(polygons, tables.points.size()); });
    if (!paired) {
        result.mesh = {};
        result.status = BooleanStatus::Failed;
        return result;
    }
    result.status = polygons.Size() == 0 ? BooleanStatus::Empty : BooleanStatus::Done;
    return result;
}

} // namespace corvid
