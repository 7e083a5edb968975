#pragma once
// The integer lattice of the boolean cutter and the exact objects on it:
// lattice points, planes through them, points where three planes meet
// (homogeneous, reduced, weight > 0) and lines (normalized Pluecker
// coordinates), each with one canonical form so that equal things compare
// equal bit for bit.

#include "geometry/ExactPredicates.h"
#include "platform/Math.h"

#include <array>
#include <cstdint>
#include <functional>

namespace corvid::exact {

// Half the lattice's extent along each axis.
constexpr int64_t kLatticeHalfExtent = 2000;

struct LatticePoint {
    std::array<int64_t, 3> c{};
    bool operator==(const LatticePoint&) const = default;
};

// n . x + d = 0. Through lattice points: |n| < 2^26, |d| < 2^39.
struct Plane {
    std::array<int64_t, 3> n{};
    int64_t d = 0;
    bool operator==(const Plane&) const = default;
};

// x / w, y / w, z / w with w > 0 and the four without common factor.
struct HPoint {
    std::array<i128, 4> c{};
    bool operator==(const HPoint&) const = default;
};

// A line as direction u and moment m = p x u for any point p on it, divided by
// the common factor, the first non-zero component of u positive.
struct LineKey {
    std::array<i128, 6> c{};
    bool operator==(const LineKey&) const = default;
};

struct HPointHash {
    size_t operator()(const HPoint& p) const;
};
struct LineKeyHash {
    size_t operator()(const LineKey& l) const;
};

// Per axis: extent = max - min (at least 1), scale = the largest power of two
// not above 4000 / extent, centre = (min + max) / 2 rounded to a multiple of
// 1 / scale; the operands lie within +-2001 lattice units.
struct Lattice {
    std::array<double, 3> centre{};
    std::array<double, 3> scale{1, 1, 1};

    static Lattice Around(const Box& box);
    // round(world * scale - scale * centre), halves away from zero, saturating
    // to the most negative 64-bit value outside the 64-bit range.
    LatticePoint Quantize(const Vec3& world) const;
    Vec3 ToWorld(const HPoint& p) const;
};

HPoint ToHPoint(const LatticePoint& p);
Plane PlaneThrough(const LatticePoint& a, const LatticePoint& b, const LatticePoint& c);
// The plane through p and q parallel to the given axis (0 x, 1 y, 2 z).
Plane EdgePlane(const LatticePoint& p, const LatticePoint& q, int axis);
// The axis along which the plane's normal is largest.
int DominantAxis(const Plane& plane);
bool IsZero(const Plane& plane);
// Where three planes meet; false when they do not meet in one point.
bool Meet(const Plane& a, const Plane& b, const Plane& c, HPoint& out);
// Sign of the plane's equation at p: > 0 on the side n points to.
int Side(const Plane& plane, const HPoint& p);
int Side(const Plane& plane, const LatticePoint& p);
// false when the planes are parallel or the points equal.
bool LineOfPlanes(const Plane& a, const Plane& b, LineKey& out);
bool LineOfPoints(const LatticePoint& a, const LatticePoint& b, LineKey& out);
// The axis along which the line's direction is largest.
int DominantAxis(const LineKey& line);
// Sign of (p - q) along the axis.
int CompareAlong(const HPoint& p, const HPoint& q, int axis);

} // namespace corvid::exact
