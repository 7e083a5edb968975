// Ray picking into a height field of 1000 x 1000 quads (2M triangles):
// hierarchy build time, one ray through MeshBuilder::IntersectRay and through
// PickRay, against a test of every triangle.

#include "platform/Frame.h"
#include "platform/MeshBuilder.h"
#include "platform/MeshBvh.h"
#include "platform/Pick.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

using namespace corvid;

namespace {

constexpr int kQuads = 1000;

const MeshBuilderPtr& Terrain()
{
    static const MeshBuilderPtr mesh = [] {
        auto m = MeshBuilder::Create();
        const int n = kQuads;
        m->ReserveSpace((n + 1) * (n + 1), 0, n * n);
        for (int j = 0; j <= n; ++j)
            for (int i = 0; i <= n; ++i) {
                float x = float(i), z = float(j);
                m->AddVertex({x, 40.0f * std::sin(x * 0.011f) * std::cos(z * 0.007f) + 3.0f * std::sin(x * 0.3f), z});
            }
        for (int j = 0; j < n; ++j)
            for (int i = 0; i < n; ++i) {
                int a = j * (n + 1) + i;
                int quad[4] = {a, a + n + 1, a + n + 2, a + 1};
                m->AddFace(quad);
            }
        return m;
    }();
    return mesh;
}

struct Ray {
    Vec3 origin, direction;
};

// Slanted rays from above the terrain toward random points on it.
const std::vector<Ray>& Rays()
{
    static const std::vector<Ray> rays = [] {
        std::mt19937 rng(3);
        std::uniform_real_distribution<float> spot(1.0f, float(kQuads) - 1.0f), lean(-200.0f, 200.0f);
        std::vector<Ray> r;
        for (int i = 0; i < 256; ++i) {
            Vec3 target{spot(rng), 0.0f, spot(rng)};
            Vec3 origin{target.x + lean(rng), 150.0f, target.z + lean(rng)};
            r.push_back({origin, target - origin});
        }
        return r;
    }();
    return rays;
}

void BM_BvhBuild(benchmark::State& state)
{
    const MeshBuilder& mesh = *Terrain();
    for (auto _ : state) {
        MeshBvh bvh;
        bvh.Build(mesh);
        benchmark::DoNotOptimize(bvh.Nodes().data());
        state.counters["depth"] = bvh.Depth();
        state.counters["nodes"] = double(bvh.Nodes().size());
    }
}
BENCHMARK(BM_BvhBuild)->Unit(benchmark::kMillisecond);

void BM_IntersectRay(benchmark::State& state)
{
    const MeshBuilder& mesh = *Terrain();
    mesh.IntersectRay({0, 100, 0}, {1, -1, 1});  // builds the hierarchy outside the timing
    size_t i = 0, hits = 0;
    for (auto _ : state) {
        const Ray& ray = Rays()[i++ % Rays().size()];
        auto result = mesh.IntersectRay(ray.origin, ray.direction);
        hits += result.size();
        benchmark::DoNotOptimize(result.data());
    }
    state.counters["hits/ray"] = double(hits) / double(state.iterations());
}
BENCHMARK(BM_IntersectRay)->Unit(benchmark::kMicrosecond);

void BM_PickRay(benchmark::State& state)
{
    FramePtr root = Frame::Create();
    FramePtr parent = Frame::Create(root.get());
    parent->AddRotation(Combine::Replace, {0, 1, 0}, 0.5f);
    FramePtr holder = Frame::Create(parent.get());
    holder->AddTranslation(Combine::Replace, {-300, 0, 200});
    holder->AddVisual(Terrain());
    const Matrix4 toRoot = holder->GetTransform(root.get());
    std::vector<Ray> rays;
    for (const Ray& r : Rays())
        rays.push_back({toRoot.TransformPoint(r.origin), toRoot.TransformVector(r.direction)});
    Terrain()->IntersectRay({0, 100, 0}, {1, -1, 1});

    size_t i = 0, hits = 0;
    for (auto _ : state) {
        const Ray& ray = rays[i++ % rays.size()];
        auto result = PickRay(*root, ray.origin, ray.direction);
        hits += result.size();
        benchmark::DoNotOptimize(result.data());
    }
    state.counters["hits/ray"] = double(hits) / double(state.iterations());
}
BENCHMARK(BM_PickRay)->Unit(benchmark::kMicrosecond);

void BM_BruteForceSweep(benchmark::State& state)
{
    const MeshBuilder& mesh = *Terrain();
    size_t i = 0, hits = 0;
    for (auto _ : state) {
        const Ray& ray = Rays()[i++ % Rays().size()];
        auto result = IntersectRayBruteForce(mesh, ray.origin, ray.direction);
        hits += result.size();
        benchmark::DoNotOptimize(result.data());
    }
    state.counters["hits/ray"] = double(hits) / double(state.iterations());
}
BENCHMARK(BM_BruteForceSweep)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
