// Laying a sphere wrap on a mesh of 1,000,000 vertices (a 1000 x 1000 grid
// bent into a dome, its frame turned and moved, the wrap placed relative to
// SCENE) against a plain transform of the same vertices into SCENE's space
// (one matrix per point into a preallocated array). The two run interleaved,
// five times each, timed in this thread's processor time; the medians are
// printed with the ratio wrap / transform (goal: at most 5).

#include "BenchSupport.h"

#include "materials/Mapping.h"
#include "platform/Frame.h"
#include "platform/MeshBuilder.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <ctime>
#include <vector>

using namespace corvid;
using corvid::bench::Median;

namespace {

// This thread's processor time: the machine is shared, and wall time counts
// the other programs' turns too.
double ThreadSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

constexpr int kSide = 1000;
constexpr int kRepetitions = 5;

struct Setup {
    FramePtr scene = Frame::Create(nullptr);
    FramePtr object = Frame::Create(scene.get());
    MeshBuilderPtr mesh = MeshBuilder::Create();
    Setup()
    {
        mesh->ReserveSpace(kSide * kSide, 0, 0);
        for (int j = 0; j < kSide; ++j)
            for (int i = 0; i < kSide; ++i) {
                const float x = static_cast<float>(i) / kSide - 0.5f, z = static_cast<float>(j) / kSide - 0.5f;
                mesh->AddVertex({x, 0.5f - x * x - z * z, z});
            }
        object->AddRotation(Combine::Replace, {0.3f, 1.0f, 0.2f}, 0.7f);
        object->AddTranslation(Combine::After, {2, -1, 3});
    }
};

void BM_SphereWrapAgainstTransform(benchmark::State& state)
{
    static Setup setup;
    const std::vector<Vec3>& vertices = setup.mesh->GetVertices();
    std::vector<Vec3> moved(vertices.size());
    std::vector<double> wrapTimes, transformTimes;
    WrapSettings sphere = PresetSettings(static_cast<int>(WrapType::Sphere));
    for (auto _ : state) {
        {
            const double start = ThreadSeconds();
            auto wrap = CreateWrap(sphere, setup.scene.get(), sphere.su, sphere.sv);
            if (!wrap || !wrap->ApplyRelative(*setup.object, *setup.mesh)) {
                state.SkipWithError("the wrap was not laid");
                return;
            }
            wrapTimes.push_back(ThreadSeconds() - start);
        }
        {
            const double start = ThreadSeconds();
            const Matrix4 toScene = setup.object->GetTransform(setup.scene.get());
            for (size_t i = 0; i < vertices.size(); ++i)
                moved[i] = toScene.TransformPoint(vertices[i]);
            benchmark::DoNotOptimize(moved.data());
            transformTimes.push_back(ThreadSeconds() - start);
        }
    }
    const double wrap = Median(wrapTimes), transform = Median(transformTimes);
    state.counters["vertices"] = static_cast<double>(vertices.size());
    state.counters["wrap_ms"] = wrap * 1e3;
    state.counters["transform_ms"] = transform * 1e3;
    state.counters["ratio"] = transform > 0 ? wrap / transform : 0.0;
    std::printf("sphere wrap %.1f ms, plain transform %.1f ms, ratio %.2f (goal <= 5)\n", wrap * 1e3,
                transform * 1e3, transform > 0 ? wrap / transform : 0.0);
}
BENCHMARK(BM_SphereWrapAgainstTransform)->Iterations(kRepetitions)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
