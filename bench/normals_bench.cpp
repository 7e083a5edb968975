// Normal generation on a 1000 x 1000 quad height field (1001 x 1001 vertices,
// 1M four-corner faces): GenerateNormals with a crease angle of 1 radian
// against the plainest smooth accumulation over the same faces. The surface
// is gently curved with one fold along x = 500 that is sharper than the
// crease over part of its length, so only some of the fold's vertices split.

#include "platform/MeshBuilder.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <vector>

using namespace corvid;

namespace {

constexpr int kQuads = 1000;

float Height(float x, float z)
{
    float ridge = x < 500.0f ? 0.0f : 2.0f * (x - 500.0f);
    return 30.0f * std::sin(x * 0.012f) * std::cos(z * 0.017f) + ridge;
}

const MeshBuilderPtr& Grid()
{
    static const MeshBuilderPtr mesh = [] {
        auto m = MeshBuilder::Create();
        const int n = kQuads;
        m->ReserveSpace((n + 1) * (n + 1), (n + 1) * (n + 1), n * n);
        for (int j = 0; j <= n; ++j)
            for (int i = 0; i <= n; ++i)
                m->AddVertex({float(i), Height(float(i), float(j)), float(j)});
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

void BM_GenerateNormalsCrease(benchmark::State& state)
{
    MeshBuilder& mesh = *Grid();
    for (auto _ : state) {
        mesh.GenerateNormals(1.0f, kGenerateNormalsUseCreaseAngle);
        benchmark::DoNotOptimize(mesh.GetNormals().data());
    }
    state.counters["normals"] = double(mesh.GetNormalCount());
    state.counters["vertices"] = double(mesh.GetVertexCount());
}
BENCHMARK(BM_GenerateNormalsCrease)->Unit(benchmark::kMillisecond);

void BM_GenerateNormalsSmooth(benchmark::State& state)
{
    MeshBuilder& mesh = *Grid();
    for (auto _ : state) {
        mesh.GenerateNormals(0.0f, 0);
        benchmark::DoNotOptimize(mesh.GetNormals().data());
    }
}
BENCHMARK(BM_GenerateNormalsSmooth)->Unit(benchmark::kMillisecond);

void BM_GenerateNormalsCreasePrecompact(benchmark::State& state)
{
    MeshBuilder& mesh = *Grid();
    for (auto _ : state) {
        mesh.GenerateNormals(1.0f, kGenerateNormalsUseCreaseAngle | kGenerateNormalsPrecompact);
        benchmark::DoNotOptimize(mesh.GetNormals().data());
    }
}
BENCHMARK(BM_GenerateNormalsCreasePrecompact)->Unit(benchmark::kMillisecond);

// The reference: sum each face's unit normal into its vertices, normalise.
// The faces are copied into plain arrays and the output is allocated once,
// so the loop pays for nothing but the arithmetic and memory traffic.
void BM_PlainAccumulation(benchmark::State& state)
{
    const MeshBuilder& mesh = *Grid();
    const std::vector<Vec3>& vertices = mesh.GetVertices();
    std::vector<int> faceStart{0};
    std::vector<int> cornerVertex;
    for (int f = 0; f < mesh.GetFaceCount(); ++f) {
        for (const Corner& c : mesh.GetFaceCorners(f))
            cornerVertex.push_back(c.vertex);
        faceStart.push_back(int(cornerVertex.size()));
    }
    const size_t faceCount = faceStart.size() - 1;

    auto unit = [](const Vec3& v) {
        float dd = Dot(v, v);
        return dd > 0.0f ? v * (1.0f / std::sqrt(dd)) : v;
    };
    std::vector<Vec3> normals(vertices.size());
    for (auto _ : state) {
        std::fill(normals.begin(), normals.end(), Vec3{});
        for (size_t f = 0; f < faceCount; ++f) {
            const int* c = cornerVertex.data() + faceStart[f];
            const int n = faceStart[f + 1] - faceStart[f];
            const Vec3 p0 = vertices[size_t(c[0])];
            Vec3 sum;
            for (int i = 1; i + 1 < n; ++i)
                sum += Cross(vertices[size_t(c[i])] - p0, vertices[size_t(c[i + 1])] - p0);
            const Vec3 faceNormal = unit(sum);
            for (int i = 0; i < n; ++i)
                normals[size_t(c[i])] += faceNormal;
        }
        for (Vec3& v : normals)
            v = unit(v);
        benchmark::DoNotOptimize(normals.data());
    }
}
BENCHMARK(BM_PlainAccumulation)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
