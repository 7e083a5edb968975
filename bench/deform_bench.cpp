// One deformer move on a 100k-vertex mesh (every vertex recomputed from the
// snapshot, set on the mesh, smooth normals regenerated) against the normal
// regeneration alone: the move should cost at most 1.5 times the normals.
// The mesh is a closed tube of 250 x 400 vertices in quads, standing on y.

#include "BenchSupport.h"

#include "geometry/Deformers.h"
#include "geometry/Relax.h"
#include "platform/MeshBuilder.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cmath>
#include <numeric>
#include <random>
#include <vector>

using namespace corvid;

namespace {

constexpr int kAround = 250;
constexpr int kLevels = 400;

// shuffled: the vertices stored in a random order (as an imported mesh may
// have them), so that no two in a row share a ring.
MeshBuilderPtr MakeTube(bool shuffled)
{
    const int count = kAround * kLevels;
    std::vector<int> place(static_cast<size_t>(count));
    std::iota(place.begin(), place.end(), 0);
    if (shuffled)
        std::shuffle(place.begin(), place.end(), std::mt19937(5));
    std::vector<Vec3> positions(static_cast<size_t>(count));
    for (int j = 0; j < kLevels; ++j)
        for (int i = 0; i < kAround; ++i) {
            const float a = 2.0f * kPi * float(i) / kAround;
            positions[size_t(place[size_t(j * kAround + i)])] = {std::cos(a), 4.0f * float(j) / (kLevels - 1), std::sin(a)};
        }
    auto m = MeshBuilder::Create();
    m->ReserveSpace(count, 0, kAround * (kLevels - 1));
    for (const Vec3& p : positions)
        m->AddVertex(p);
    auto at = [&](int j, int i) { return place[size_t(j * kAround + i % kAround)]; };
    for (int j = 0; j + 1 < kLevels; ++j)
        for (int i = 0; i < kAround; ++i) {
            const int quad[4] = {at(j, i), at(j + 1, i), at(j + 1, i + 1), at(j, i + 1)};
            m->AddFace(quad);
        }
    m->GenerateNormals(0.0f, 0);
    return m;
}

const MeshBuilderPtr& Tube()
{
    static const MeshBuilderPtr mesh = MakeTube(false);
    return mesh;
}

const MeshBuilderPtr& ShuffledTube()
{
    static const MeshBuilderPtr mesh = MakeTube(true);
    return mesh;
}

void BM_NormalsAlone(benchmark::State& state)
{
    MeshBuilder& mesh = *Tube();
    for (auto _ : state) {
        mesh.GenerateNormals(0.0f, 0);
        benchmark::DoNotOptimize(mesh.GetNormals().data());
    }
    state.counters["vertices"] = double(mesh.GetVertexCount());
}
BENCHMARK(BM_NormalsAlone)->Unit(benchmark::kMillisecond);

// Alternating drags, so that every move really changes every vertex.
void DeformMove(benchmark::State& state, Deformer kind, bool shuffled = false)
{
    MeshBuilderPtr mesh = (shuffled ? ShuffledTube() : Tube())->Clone();
    const MeshContents start = DeformSnapshot(*mesh);
    const DeformerParameters p = DeformerSet{}.Of(kind);
    const auto axis = MakeDeformAxis(kind, mesh->GetBox(), p);
    if (!axis) {
        state.SkipWithError("no axis");
        return;
    }
    std::vector<Vec3> work;
    DeformDrag drag;
    drag.direction = {1.0f, 0.0f, 0.5f};
    int move = 0;
    for (auto _ : state) {
        const float amount = 1.0f + 0.1f * float(move++ % 2);
        drag.h = amount;
        drag.distance = amount;
        ApplyDeform(*mesh, kind, p, *axis, drag, start, work);
        benchmark::DoNotOptimize(mesh->GetNormals().data());
    }
}

void BM_TwistMove(benchmark::State& state) { DeformMove(state, Deformer::Twist); }
void BM_TaperMove(benchmark::State& state) { DeformMove(state, Deformer::Taper); }
void BM_BulgeMove(benchmark::State& state) { DeformMove(state, Deformer::Bulge); }
void BM_BendMove(benchmark::State& state) { DeformMove(state, Deformer::Bend); }
void BM_PullMove(benchmark::State& state) { DeformMove(state, Deformer::Pull); }
BENCHMARK(BM_TwistMove)->Unit(benchmark::kMillisecond);
// The same meshes with their vertices out of ring order: the normals and
// the deformer's angles both lose their neighbours.
void BM_NormalsAloneShuffled(benchmark::State& state)
{
    MeshBuilderPtr mesh = ShuffledTube()->Clone();
    for (auto _ : state) {
        mesh->GenerateNormals(0.0f, 0);
        benchmark::DoNotOptimize(mesh->GetNormals().data());
    }
}
void BM_TwistMoveShuffled(benchmark::State& state) { DeformMove(state, Deformer::Twist, true); }
void BM_BendMoveShuffled(benchmark::State& state) { DeformMove(state, Deformer::Bend, true); }
BENCHMARK(BM_NormalsAloneShuffled)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TwistMoveShuffled)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BendMoveShuffled)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TaperMove)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BulgeMove)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BendMove)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PullMove)->Unit(benchmark::kMillisecond);

// One relax step (a one-shot tool, for scale).
void BM_RelaxStep(benchmark::State& state)
{
    MeshBuilderPtr mesh = Tube()->Clone();
    for (auto _ : state) {
        Relax(*mesh, {});
        benchmark::DoNotOptimize(mesh->GetVertices().data());
    }
}
BENCHMARK(BM_RelaxStep)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (!corvid::bench::InitializeInterleaved(argc, argv))
        return 1;
    corvid::bench::MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto ratio = [&](const char* move, const char* normals) {
        const double m = reporter.Get(move), n = reporter.Get(normals);
        if (m > 0 && n > 0)
            std::printf("%-22s / %-24s %.2f (goal: at most 1.5)\n", move, normals, m / n);
    };
    for (const char* move : {"BM_TwistMove", "BM_TaperMove", "BM_BulgeMove", "BM_BendMove", "BM_PullMove"})
        ratio(move, "BM_NormalsAlone");
    for (const char* move : {"BM_TwistMoveShuffled", "BM_BendMoveShuffled"})
        ratio(move, "BM_NormalsAloneShuffled");
    benchmark::Shutdown();
    return 0;
}
