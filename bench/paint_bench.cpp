// Painting every face of a 100k-face object that carries one material (the
// paint-matching-faces tool, with its step of the edit history) against a
// plain loop that gives each face the same colour, material and texture by
// hand. Goal: within 3x; and the painted mesh draws as one batch, not one
// per face. Both are timed in the same run (medians of 15, in the thread's
// CPU time, so that other work on a shared machine does not count); the
// counters paint_ms, loop_ms, ratio and batches report them.

#include "BenchSupport.h"

#include "materials/Painting.h"
#include "platform/Material.h"
#include "platform/MeshBuilder.h"
#include "platform/Texture.h"
#include "platform/gl/GlMeshData.h"
#include "scene/EditHistory.h"
#include "scene/SceneModel.h"
#include "support/ScriptedUi.h"

#include <benchmark/benchmark.h>

#include <ctime>

using namespace corvid;
using corvid::bench::Median;

namespace {

constexpr int kQuads = 224;  // 2 x 224 x 224 = 100,352 faces
constexpr int kRuns = 15;

double CpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

void BM_PaintMatchingFaces(benchmark::State& state)
{
    ScriptedUi ui;
    SceneModel scene(ui);
    scene.randomDigit = [] { return 7; };
    const FramePtr field = corvid::bench::HeightField(scene, kQuads);
    const MeshBuilderPtr mesh = field->GetVisuals().front();
    const MaterialPtr shared = mesh->GetFaceAttributes(0)->material;
    PaintState paint;
    paint.paintMaterial.diffuse[0] = 0.3f;
    paint.paintTexture = Texture::FromImage(Image{1, 1, {200, 100, 50, 255}}, "dot.bmp");
    const int faces = mesh->GetFaceCount();

    size_t batches = 0;
    std::vector<double> painting, looping;
    for (auto _ : state) {
        for (int run = 0; run < kRuns; ++run) {
            mesh->SetMaterial(shared);
            mesh->SetTexture(nullptr);
            scene.History().Clear();
            paint.Changed();
            double start = CpuSeconds();
            const int painted = RepaintMatchingFaces(scene, paint, mesh, 0);
            painting.push_back(CpuSeconds() - start);
            if (painted != faces)
                state.SkipWithError("not every face was painted");
            benchmark::DoNotOptimize(painted);
            batches = BuildGlMeshData(*mesh).batches.size();

            mesh->SetMaterial(shared);
            mesh->SetTexture(nullptr);
            scene.History().Clear();
            start = CpuSeconds();
            const uint32_t color = PaintColor(paint.paintMaterial);
            const MaterialPtr material = NewPaintMaterial(paint.paintMaterial);
            for (int f = 0; f < faces; ++f) {
                mesh->SetFaceColor(f, color);
                mesh->SetFaceMaterial(f, material);
                mesh->SetFaceTexture(f, paint.paintTexture);
            }
            looping.push_back(CpuSeconds() - start);
        }
    }
    const double paintMs = Median(painting) * 1e3, loopMs = Median(looping) * 1e3;
    state.counters["faces"] = faces;
    state.counters["paint_ms"] = paintMs;
    state.counters["loop_ms"] = loopMs;
    state.counters["ratio"] = loopMs > 0 ? paintMs / loopMs : 0;
    state.counters["batches"] = static_cast<double>(batches);
}
BENCHMARK(BM_PaintMatchingFaces)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
