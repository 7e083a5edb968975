#include "geometry/BooleanLattice.h"

#include <cmath>
#include <limits>

namespace corvid::exact {

namespace {

size_t Mix(size_t h, i128 v)
{
    const auto u = static_cast<u128>(v);
    const uint64_t parts[2] = {static_cast<uint64_t>(u), static_cast<uint64_t>(u >> 64)};
    for (uint64_t part : parts) {
        h ^= part + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2);
        h *= 0xFF51AFD7ED558CCDull;
    }
    return h;
}

template <size_t N>
void DivideByCommonFactor(std::array<i128, N>& v)
{
    u128 g = 0;
    for (i128 x : v) {
        g = Gcd(g, Abs128(x));
        if (g == 1)
            return;
    }
    if (g > 1)
        for (i128& x : v)
            x /= static_cast<i128>(g);
}

bool NormalizeLine(std::array<i128, 6> v, LineKey& out)
{
    if (v[0] == 0 && v[1] == 0 && v[2] == 0)
        return false;
    DivideByCommonFactor(v);
    const i128 first = v[0] != 0 ? v[0] : v[1] != 0 ? v[1] : v[2];
    if (first < 0)
        for (i128& x : v)
            x = -x;
    out.c = v;
    return true;
}

} // namespace

size_t HPointHash::operator()(const HPoint& p) const
{
    size_t h = 0;
    for (i128 v : p.c)
        h = Mix(h, v);
    return h;
}

size_t LineKeyHash::operator()(const LineKey& l) const
{
    size_t h = 1;
    for (i128 v : l.c)
        h = Mix(h, v);
    return h;
}

Lattice Lattice::Around(const Box& box)
{
    Lattice l;
    const float lo[3] = {box.min.x, box.min.y, box.min.z};
    const float hi[3] = {box.max.x, box.max.y, box.max.z};
    for (int i = 0; i < 3; ++i) {
        double extent = double(hi[i]) - double(lo[i]);
        if (!(extent >= 1.0))
            extent = 1.0;
        // A power of two at most 4000 / extent, and a centre on the lattice:
        // coordinates with few significant bits (0.5, 1.25, ...) land on
        // lattice points exactly and come back unchanged.
        int exponent = 0;
        std::frexp(2.0 * double(kLatticeHalfExtent) / extent, &exponent);
        l.scale[i] = std::ldexp(1.0, exponent - 1);
        l.centre[i] = std::round((double(lo[i]) + double(hi[i])) / 2.0 * l.scale[i]) / l.scale[i];
    }
    return l;
}

LatticePoint Lattice::Quantize(const Vec3& world) const
{
    const float w[3] = {world.x, world.y, world.z};
    LatticePoint p;
    for (int i = 0; i < 3; ++i) {
        const double v = double(w[i]) * scale[i] - scale[i] * centre[i];
        if (std::isfinite(v) && std::fabs(v) < 9.2e18)
            p.c[i] = std::llround(v);
        else
            p.c[i] = std::numeric_limits<int64_t>::min();
    }
    return p;
}

Vec3 Lattice::ToWorld(const HPoint& p) const
{
    float out[3];
    const long double w = static_cast<long double>(p.c[3]);
    for (int i = 0; i < 3; ++i)
        out[i] = static_cast<float>(static_cast<long double>(p.c[i]) / w / scale[i] + centre[i]);
    return {out[0], out[1], out[2]};
}

HPoint ToHPoint(const LatticePoint& p) { return HPoint{{p.c[0], p.c[1], p.c[2], 1}}; }

Plane PlaneThrough(const LatticePoint& a, const LatticePoint& b, const LatticePoint& c)
{
    const int64_t e1[3] = {b.c[0] - a.c[0], b.c[1] - a.c[1], b.c[2] - a.c[2]};
    const int64_t e2[3] = {c.c[0] - a.c[0], c.c[1] - a.c[1], c.c[2] - a.c[2]};
    Plane p;
    p.n = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0]};
    p.d = -(p.n[0] * a.c[0] + p.n[1] * a.c[1] + p.n[2] * a.c[2]);
    return p;
}

Plane EdgePlane(const LatticePoint& p, const LatticePoint& q, int axis)
{
    const int64_t e[3] = {q.c[0] - p.c[0], q.c[1] - p.c[1], q.c[2] - p.c[2]};
    Plane s;
    // e x unit(axis)
    if (axis == 0)
        s.n = {0, e[2], -e[1]};
    else if (axis == 1)
        s.n = {-e[2], 0, e[0]};
    else
        s.n = {e[1], -e[0], 0};
    s.d = -(s.n[0] * p.c[0] + s.n[1] * p.c[1] + s.n[2] * p.c[2]);
    return s;
}

int DominantAxis(const Plane& plane)
{
    int best = 0;
    for (int i = 1; i < 3; ++i)
        if (std::llabs(plane.n[i]) > std::llabs(plane.n[best]))
            best = i;
    return best;
}

bool IsZero(const Plane& plane) { return plane.n[0] == 0 && plane.n[1] == 0 && plane.n[2] == 0; }

bool Meet(const Plane& a, const Plane& b, const Plane& c, HPoint& out)
{
    auto cross = [](const Plane& p, const Plane& q) {
        return std::array<i128, 3>{i128(p.n[1]) * q.n[2] - i128(p.n[2]) * q.n[1],
                                   i128(p.n[2]) * q.n[0] - i128(p.n[0]) * q.n[2],
                                   i128(p.n[0]) * q.n[1] - i128(p.n[1]) * q.n[0]};
    };
    const auto bc = cross(b, c), ca = cross(c, a), ab = cross(a, b);
    const i128 w = a.n[0] * bc[0] + a.n[1] * bc[1] + a.n[2] * bc[2];
    if (w == 0)
        return false;
    std::array<i128, 4> v;
    for (int i = 0; i < 3; ++i)
        v[i] = -(a.d * bc[i] + b.d * ca[i] + c.d * ab[i]);
    v[3] = w;
    DivideByCommonFactor(v);
    if (v[3] < 0)
        for (i128& x : v)
            x = -x;
    out.c = v;
    return true;
}

int Side(const Plane& s, const HPoint& p)
{
    return Sign(s.n[0] * p.c[0] + s.n[1] * p.c[1] + s.n[2] * p.c[2] + s.d * p.c[3]);
}

int Side(const Plane& s, const LatticePoint& p)
{
    return Sign(i128(s.n[0]) * p.c[0] + i128(s.n[1]) * p.c[1] + i128(s.n[2]) * p.c[2] + s.d);
}

bool LineOfPlanes(const Plane& a, const Plane& b, LineKey& out)
{
    std::array<i128, 6> v;
    v[0] = i128(a.n[1]) * b.n[2] - i128(a.n[2]) * b.n[1];
    v[1] = i128(a.n[2]) * b.n[0] - i128(a.n[0]) * b.n[2];
    v[2] = i128(a.n[0]) * b.n[1] - i128(a.n[1]) * b.n[0];
    for (int i = 0; i < 3; ++i)
        v[3 + i] = i128(a.d) * b.n[i] - i128(b.d) * a.n[i];
    return NormalizeLine(v, out);
}

bool LineOfPoints(const LatticePoint& a, const LatticePoint& b, LineKey& out)
{
    std::array<i128, 6> v;
    for (int i = 0; i < 3; ++i)
        v[i] = b.c[i] - a.c[i];
    v[3] = i128(a.c[1]) * b.c[2] - i128(a.c[2]) * b.c[1];
    v[4] = i128(a.c[2]) * b.c[0] - i128(a.c[0]) * b.c[2];
    v[5] = i128(a.c[0]) * b.c[1] - i128(a.c[1]) * b.c[0];
    return NormalizeLine(v, out);
}

int DominantAxis(const LineKey& line)
{
    int best = 0;
    for (int i = 1; i < 3; ++i)
        if (Abs128(line.c[i]) > Abs128(line.c[best]))
            best = i;
    return best;
}

int CompareAlong(const HPoint& p, const HPoint& q, int axis)
{
    return CompareFractions(p.c[axis], p.c[3], q.c[axis], q.c[3]);
}

} // namespace corvid::exact
