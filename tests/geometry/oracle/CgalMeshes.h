#pragma once
// Polygon meshes as CGAL surface meshes, for the boolean oracle test and the
// boolean benchmark (CGAL is a test and benchmark dependency only): vertices
// welded by exact position, faces fanned into triangles, triangles with a
// repeated corner dropped.

#include "geometry/Boolean.h"

#include <CGAL/Exact_predicates_exact_constructions_kernel.h>
#include <CGAL/Polygon_mesh_processing/corefinement.h>
#include <CGAL/Polygon_mesh_processing/measure.h>
#include <CGAL/Surface_mesh.h>

#include <map>
#include <tuple>

namespace corvid::testing {

using CgalKernel = CGAL::Exact_predicates_exact_constructions_kernel;
using CgalMesh = CGAL::Surface_mesh<CgalKernel::Point_3>;

template <class Mesh = CgalMesh>
Mesh ToCgal(const PolygonMesh& m)
{
    using Point = typename Mesh::Point;
    Mesh out;
    std::map<std::tuple<float, float, float>, typename Mesh::Vertex_index> weld;
    std::vector<typename Mesh::Vertex_index> index(m.positions.size());
    for (size_t i = 0; i < m.positions.size(); ++i) {
        const Vec3& p = m.positions[i];
        auto [it, added] = weld.try_emplace({p.x, p.y, p.z});
        if (added)
            it->second = out.add_vertex(Point(p.x, p.y, p.z));
        index[i] = it->second;
    }
    for (int f = 0; f < m.FaceCount(); ++f) {
        const int s = m.faceStart[f];
        for (int k = s + 1; k + 1 < m.faceStart[f + 1]; ++k) {
            const auto a = index[m.corners[s]], b = index[m.corners[k]], c = index[m.corners[k + 1]];
            if (a != b && b != c && a != c)
                out.add_face(a, b, c);
        }
    }
    return out;
}

// The volume of CGAL's corefinement result, or -1 when it gives none.
inline double CgalBooleanVolume(BooleanKind kind, const PolygonMesh& a, const PolygonMesh& b)
{
    namespace PMP = CGAL::Polygon_mesh_processing;
    CgalMesh ma = ToCgal(a), mb = ToCgal(b), out;
    bool done = false;
    switch (kind) {
    case BooleanKind::Union:
        done = PMP::corefine_and_compute_union(ma, mb, out);
        break;
    case BooleanKind::Intersection:
        done = PMP::corefine_and_compute_intersection(ma, mb, out);
        break;
    case BooleanKind::Difference:
        done = PMP::corefine_and_compute_difference(ma, mb, out);
        break;
    }
    if (!done)
        return -1;
    return out.number_of_faces() == 0 ? 0.0 : CGAL::to_double(PMP::volume(out));
}

} // namespace corvid::testing
