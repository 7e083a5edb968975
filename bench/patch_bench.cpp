// Dragging a control point of a large patch: re-evaluating the surface after
// one point moved, against building the same surface from scratch, in one
// run. The patch is a B-spline of 99 x 98 spans with 4 x 4 steps per span
// (397 x 393 vertices); 98 column spans is the most a row of the evaluation
// buffer allows (100 control points). ReevaluatePatch re-samples only the
// spans the point bears on; the whole-surface re-evaluation is reported too.

#include "support/ScriptedUi.h"
#include "geometry/Patch.h"
#include "platform/Frame.h"
#include "platform/MeshBuilder.h"
#include "app/Editor.h"
#include "scene/ObjectKind.h"
#include "scene/Records.h"

#include <benchmark/benchmark.h>

using namespace corvid;

namespace {

constexpr PatchFamilyParameters kLarge{100, 99, 4, 4};

struct LargePatch {
    ScriptedUi ui;
    Editor editor{ui};
    FramePtr patch;
    FramePtr point;

    LargePatch()
    {
        editor.tools.patches.bSpline = kLarge;
        patch = CreatePatch(editor.scene, editor.tools.patches, kPatchBSpline, {}, 100.0f, 100.0f);
        for (const FramePtr& child : patch->GetChildren().at(0)->GetChildren())
            if (const ObjectRecord* r = RecordOf(child.get()); r && r->cpRow == 50 && r->cpColumn == 50)
                point = child;
    }
};

LargePatch& Shared()
{
    static LargePatch large;  // built once, on first use
    return large;
}

void Reevaluate(benchmark::State& state, PatchRegion region)
{
    LargePatch& p = Shared();
    Frame* group = p.point->GetParent();
    const Vec3 start = p.point->GetPosition(group);
    float lift = 0.5f;
    for (auto _ : state) {
        p.point->SetPosition(group, start + Vec3{0.0f, lift, 0.0f});
        benchmark::DoNotOptimize(ReevaluatePatch(p.editor.scene, p.editor.tools.patches, *p.point, region));
        lift = -lift;
    }
    p.point->SetPosition(group, start);
    ReevaluatePatch(p.editor.scene, p.editor.tools.patches, *p.point, PatchRegion::Whole);
    state.counters["vertices"] = p.patch->GetVisuals()[0]->GetVertexCount();
}

void BM_ReevaluateAfterOneMove(benchmark::State& state) { Reevaluate(state, PatchRegion::Influenced); }
void BM_ReevaluateWholeSurface(benchmark::State& state) { Reevaluate(state, PatchRegion::Whole); }

void BM_BuildSurfaceFromScratch(benchmark::State& state)
{
    PatchControlGrid grid;
    FlatPatchGrid(kPatchBSpline, kLarge, 100.0f, 100.0f, grid);
    grid.At(50, 50).y = 0.5f;
    for (auto _ : state) {
        MeshBuilderPtr surface = BuildPatchSurface(kPatchBSpline, grid, kLarge);
        benchmark::DoNotOptimize(surface.get());
    }
}

} // namespace

BENCHMARK(BM_ReevaluateAfterOneMove)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReevaluateWholeSurface)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildSurfaceFromScratch)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
