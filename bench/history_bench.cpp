// The edit history's costs, each against a baseline of the same run:
//
// - Undo then redo of a move of one object in a scene of 1,000 objects
//   holding 1 million faces, against the same in a scene of one object:
//   a step's cost must not grow with the scene (goal: within 2x).
// - Undo of deleting a 1-million-face object against duplicating it
//   (goal: no slower).
// - The history's memory after 1,000 moves of that object (goal: under
//   1 MB), as the "history_bytes" counter.

#include "platform/Frame.h"
#include "platform/MeshBuilder.h"
#include "scene/EditParts.h"
#include "scene/EditHistory.h"
#include "scene/SceneModel.h"
#include "support/ScriptedUi.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

using namespace corvid;

namespace {

// A flat grid of side x side quads, each split into two triangles.
MeshBuilderPtr Grid(int side)
{
    auto mesh = MeshBuilder::Create();
    mesh->ReserveSpace((side + 1) * (side + 1), 0, 2 * side * side);
    for (int z = 0; z <= side; ++z)
        for (int x = 0; x <= side; ++x)
            mesh->AddVertex({static_cast<float>(x), 0.0f, static_cast<float>(z)});
    const int w = side + 1;
    for (int z = 0; z < side; ++z)
        for (int x = 0; x < side; ++x) {
            const int i = z * w + x;
            const int a[3] = {i, i + w, i + 1};
            const int b[3] = {i + 1, i + w, i + w + 1};
            mesh->AddFace(a);
            mesh->AddFace(b);
        }
    mesh->GenerateNormals(0.0f, 0);
    return mesh;
}

// A scene of count objects, each showing its own copy of mesh.
struct Scene {
    Scene(int count, const MeshBuilderPtr& mesh)
    {
        scene.randomDigit = [] { return 5; };
        for (int i = 0; i < count; ++i) {
            scene.insertionPoint = {static_cast<float>(i % 40) * 30.0f, 0.0f, static_cast<float>(i / 40) * 30.0f};
            MeshBuilderPtr own = scene.BeginObjectCreation();
            own->SetContents(mesh->GetContents());
            scene.FinishObjectCreation("Cube %s", scene.names.cube);
            scene.RegisterObject(scene.SelectedFrame());
            objects.push_back(scene.SelectedFrame());
        }
        scene.ClearSelection();
        scene.History().Clear();
    }

    // One step that moves frame, as the move tool's gesture does.
    void Move(const FramePtr& frame, float dx)
    {
        EditStep step(scene.History(), "Move", true);
        scene.History().Touch<TransformAspect>(frame);
        Vec3 at = frame->GetPosition(scene.Scene().get());
        at.x += dx;
        frame->SetPosition(scene.Scene().get(), at);
    }

    ScriptedUi ui;
    SceneModel scene{ui};
    std::vector<FramePtr> objects;
};

// 1,000 objects of 1,000 triangles each, or one of them alone.
void BM_UndoRedoMove(benchmark::State& state)
{
    static const MeshBuilderPtr mesh = Grid(22);  // 968 triangles
    Scene s(static_cast<int>(state.range(0)), mesh);
    const FramePtr& frame = s.objects.back();
    s.Move(frame, 1.0f);
    long done = 0;
    for (auto _ : state) {
        done += s.scene.History().Undo();
        done += s.scene.History().Redo();
    }
    if (done != 2 * static_cast<long>(state.iterations()))
        state.SkipWithError("an undo or redo did nothing");
    long faces = 0;
    for (const FramePtr& object : s.objects)
        faces += object->GetVisuals().front()->GetFaceCount();
    state.counters["faces"] = static_cast<double>(faces);
}
BENCHMARK(BM_UndoRedoMove)->Arg(1)->Arg(1000)->Unit(benchmark::kNanosecond);

// The memory of 1,000 move steps of one object in the big scene.
void BM_HistoryBytesAfterMoves(benchmark::State& state)
{
    static const MeshBuilderPtr mesh = Grid(22);
    Scene s(1000, mesh);
    for (auto _ : state) {
        s.scene.History().Clear();
        for (int i = 0; i < 1000; ++i)
            s.Move(s.objects.front(), 0.5f);
    }
    state.counters["history_bytes"] = static_cast<double>(s.scene.History().Bytes());
    state.counters["steps"] = static_cast<double>(s.scene.History().UndoCount());
}
BENCHMARK(BM_HistoryBytesAfterMoves)->Iterations(3)->Unit(benchmark::kMillisecond);

// One object of a million triangles: the undo of its deletion, timed alone.
void BM_UndoDeleteOfAMillionFaces(benchmark::State& state)
{
    static const MeshBuilderPtr mesh = Grid(708);  // 1,002,528 triangles
    Scene s(1, mesh);
    for (auto _ : state) {
        s.scene.DeleteObjectTree(s.objects.front());
        const auto start = std::chrono::steady_clock::now();
        const bool undone = s.scene.History().Undo();
        const auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        if (!undone || s.objects.front()->GetParent() != s.scene.Scene().get())
            state.SkipWithError("the delete was not undone");
    }
    state.counters["faces"] = static_cast<double>(s.objects.front()->GetVisuals().front()->GetFaceCount());
}
BENCHMARK(BM_UndoDeleteOfAMillionFaces)->UseManualTime()->Iterations(20000)->Unit(benchmark::kMicrosecond);

// The baseline: duplicating the same object, timed alone.
void BM_DuplicateAMillionFaces(benchmark::State& state)
{
    static const MeshBuilderPtr mesh = Grid(708);
    Scene s(1, mesh);
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        FramePtr copy = s.scene.DuplicateObject(s.objects.front(), s.scene.Scene());
        const auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        s.scene.History().Undo();  // takes the copy away again
        s.scene.History().Clear();
    }
}
BENCHMARK(BM_DuplicateAMillionFaces)->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
