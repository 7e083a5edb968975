// Boolean union of two overlapping spheres: ours against CGAL's corefinement
// union of the same meshes (exact and filtered kernels; the conversion to
// CGAL's mesh is not timed), and ours at 200k against 20k triangles per
// operand (nothing in the cutting should grow faster than the input).
//
// A sphere of s segments and r rings has 2 s (r - 1) triangles: 448 x 224
// gives 200,704 and 142 x 71 gives 20,164.

#include "geometry/Boolean.h"
#include "geometry/oracle/CgalMeshes.h"

#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <benchmark/benchmark.h>

#include <cmath>

using namespace corvid;

namespace {

// A UV sphere as triangles (quads split), poles shared.
PolygonMesh Sphere(Vec3 centre, float radius, int segments, int rings)
{
    PolygonMesh m;
    const float pi = 3.14159265358979f;
    m.positions.push_back(centre + Vec3{0, radius, 0});
    for (int r = 1; r < rings; ++r) {
        const float theta = pi * float(r) / float(rings);
        for (int s = 0; s < segments; ++s) {
            const float phi = 2 * pi * float(s) / float(segments);
            m.positions.push_back(centre + Vec3{radius * std::sin(theta) * std::cos(phi), radius * std::cos(theta),
                                                radius * std::sin(theta) * std::sin(phi)});
        }
    }
    m.positions.push_back(centre + Vec3{0, -radius, 0});
    const int south = static_cast<int>(m.positions.size()) - 1;
    auto at = [&](int r, int s) { return 1 + (r - 1) * segments + (s % segments); };
    const FaceAttributes plain;
    for (int s = 0; s < segments; ++s) {
        const int top[3] = {0, at(1, s + 1), at(1, s)};
        m.AddFace(top, plain);
        const int bottom[3] = {south, at(rings - 1, s), at(rings - 1, s + 1)};
        m.AddFace(bottom, plain);
        for (int r = 1; r + 1 < rings; ++r) {
            const int t1[3] = {at(r, s), at(r, s + 1), at(r + 1, s + 1)};
            const int t2[3] = {at(r, s), at(r + 1, s + 1), at(r + 1, s)};
            m.AddFace(t1, plain);
            m.AddFace(t2, plain);
        }
    }
    m.texcoords.assign(m.positions.size(), Vec2{});
    return m;
}

struct Operands {
    PolygonMesh a, b;
};

const Operands& SpheresOf(int segments)
{
    static Operands large{Sphere({0, 0, 0}, 1, 448, 224), Sphere({0.4f, 0.3f, 0.2f}, 1, 448, 224)};
    static Operands small{Sphere({0, 0, 0}, 1, 142, 71), Sphere({0.4f, 0.3f, 0.2f}, 1, 142, 71)};
    return segments == 448 ? large : small;
}

void BM_OurUnion(benchmark::State& state)
{
    const Operands& o = SpheresOf(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        BooleanResult r = BooleanMeshes(BooleanKind::Union, o.a, o.b);
        if (r.status != BooleanStatus::Done)
            state.SkipWithError("union refused");
        benchmark::DoNotOptimize(r.mesh.corners.data());
    }
    state.counters["triangles"] = static_cast<double>(o.a.FaceCount());
}
BENCHMARK(BM_OurUnion)->Arg(448)->Arg(142)->Unit(benchmark::kMillisecond)->UseRealTime();

template <class Kernel>
void BM_CgalUnion(benchmark::State& state)
{
    using Mesh = CGAL::Surface_mesh<typename Kernel::Point_3>;
    const Operands& o = SpheresOf(static_cast<int>(state.range(0)));
    const Mesh a = testing::ToCgal<Mesh>(o.a), b = testing::ToCgal<Mesh>(o.b);
    for (auto _ : state) {
        state.PauseTiming();
        Mesh ma = a, mb = b, out;
        state.ResumeTiming();
        if (!CGAL::Polygon_mesh_processing::corefine_and_compute_union(ma, mb, out))
            state.SkipWithError("CGAL refused");
        benchmark::DoNotOptimize(out.number_of_faces());
    }
}
BENCHMARK_TEMPLATE(BM_CgalUnion, CGAL::Exact_predicates_exact_constructions_kernel)
    ->Arg(448)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_TEMPLATE(BM_CgalUnion, CGAL::Exact_predicates_inexact_constructions_kernel)
    ->Arg(448)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

BENCHMARK_MAIN();
