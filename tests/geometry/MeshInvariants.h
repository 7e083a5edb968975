#pragma once
// Invariant checks on polygon meshes, shared by the boolean tests, the CGAL
// oracle and the fuzz target: edges welded by exact position, signed volume,
// face areas, and a mesh made from a generator.

#include "geometry/Boolean.h"

#include <cmath>
#include <map>
#include <sstream>
#include <string>
#include <tuple>

namespace corvid::testing {

// The signed volume (faces fanned from their first corner; positive for
// faces wound counter-clockwise seen from outside).
inline double SignedVolume(const PolygonMesh& m)
{
    double v = 0;
    for (int f = 0; f < m.FaceCount(); ++f) {
        const Vec3& p0 = m.positions[m.corners[m.faceStart[f]]];
        for (int k = m.faceStart[f] + 1; k + 1 < m.faceStart[f + 1]; ++k) {
            const Vec3& p1 = m.positions[m.corners[k]];
            const Vec3& p2 = m.positions[m.corners[k + 1]];
            v += (double(p0.x) * (double(p1.y) * p2.z - double(p1.z) * p2.y) -
                  double(p0.y) * (double(p1.x) * p2.z - double(p1.z) * p2.x) +
                  double(p0.z) * (double(p1.x) * p2.y - double(p1.y) * p2.x)) /
                 6.0;
        }
    }
    return v;
}

// Twice the area of face f (the length of its Newell normal).
inline double FaceArea2(const PolygonMesh& m, int f)
{
    double n[3] = {0, 0, 0};
    const int s = m.faceStart[f], e = m.faceStart[f + 1];
    for (int k = s; k < e; ++k) {
        const Vec3& a = m.positions[m.corners[k]];
        const Vec3& b = m.positions[m.corners[k + 1 < e ? k + 1 : s]];
        n[0] += (double(a.y) - b.y) * (double(a.z) + b.z);
        n[1] += (double(a.z) - b.z) * (double(a.x) + b.x);
        n[2] += (double(a.x) - b.x) * (double(a.y) + b.y);
    }
    return std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
}

// Empty when every edge, its vertices welded by exact position, is used by
// exactly two faces running opposite ways; otherwise the first edge that is
// not. With manifold false, an edge may be used more often as long as it is
// used as often each way (solids that touch along an edge).
inline std::string OpenEdge(const PolygonMesh& m, bool manifold = true)
{
    std::map<std::tuple<float, float, float>, int> weld;
    std::vector<int> id(m.positions.size());
    for (size_t i = 0; i < m.positions.size(); ++i)
        id[i] = weld.try_emplace({m.positions[i].x, m.positions[i].y, m.positions[i].z}, int(weld.size())).first->second;
    std::map<std::pair<int, int>, int> uses;
    for (int f = 0; f < m.FaceCount(); ++f) {
        const int s = m.faceStart[f], e = m.faceStart[f + 1];
        for (int k = s; k < e; ++k) {
            const int a = id[m.corners[k]], b = id[m.corners[k + 1 < e ? k + 1 : s]];
            if (a == b)
                return "a face repeats a corner";
            ++uses[{a, b}];
        }
    }
    for (const auto& [edge, n] : uses) {
        auto back = uses.find({edge.second, edge.first});
        const int reverse = back == uses.end() ? 0 : back->second;
        if (manifold ? (n != 1 || reverse != 1) : n != reverse) {
            std::ostringstream s;
            s << "edge " << edge.first << "-" << edge.second << " used " << n << " times, reverse " << reverse;
            return s.str();
        }
    }
    return {};
}

inline bool SameMesh(const PolygonMesh& a, const PolygonMesh& b)
{
    return a.positions == b.positions && a.corners == b.corners && a.faceStart == b.faceStart &&
           a.texcoords == b.texcoords && a.faces == b.faces;
}

// Empty when the mesh is a closed solid: every welded edge used by exactly
// two faces running opposite ways, no face without area, positive volume.
inline std::string SolidProblem(const PolygonMesh& m)
{
    if (std::string open = OpenEdge(m); !open.empty())
        return "not closed: " + open;
    for (int f = 0; f < m.FaceCount(); ++f)
        if (!(FaceArea2(m, f) > 0))
            return "face " + std::to_string(f) + " has no area";
    if (m.FaceCount() > 0 && !(SignedVolume(m) > 0))
        return "volume " + std::to_string(SignedVolume(m));
    return {};
}

} // namespace corvid::testing
