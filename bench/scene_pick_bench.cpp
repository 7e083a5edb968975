// ViewSet::Pick through the centre of a viewport onto a scene of 200 objects
// holding 2 million triangles, against a brute-force sweep of the same ray
// over every triangle of the scene (each taken to SCENE space and tested).
// The ratio of the two is reported as the "ratio" counter.

#include "support/ScriptedUi.h"
#include "support/SizedDevice.h"
#include "platform/Device.h"
#include "platform/Frame.h"
#include "platform/MeshBuilder.h"
#include "render/DeviceFactory.h"
#include "render/ViewWindow.h"
#include "app/Editor.h"
#include "scene/Records.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>

using namespace corvid;

namespace {

constexpr int kColumns = 20, kRows = 10;  // 200 objects
constexpr int kRings = 50, kSegments = 100;  // 5000 quads = 10000 triangles each
constexpr int kWidth = 400, kHeight = 300;

struct NullWindow : ViewWindow {
    Size ClientSize() const override { return {kWidth, kHeight}; }
    void MakeCurrent() override {}
    void Present(Device&, const Rect&) override {}
    void SetGeometry(const Rect&) override {}
    void SetVisible(bool) override {}
};

struct NullFactory : DeviceFactory {
    std::unique_ptr<Device> CreateDevice(const DeviceRequest&) override { return std::make_unique<SizedDevice>(kWidth, kHeight); }
};

// A bumpy ball: kRings x kSegments quads.
MeshBuilderPtr Ball(int seed)
{
    auto mesh = MeshBuilder::Create();
    mesh->ReserveSpace((kRings + 1) * (kSegments + 1), 0, kRings * kSegments);
    for (int r = 0; r <= kRings; ++r)
        for (int s = 0; s <= kSegments; ++s) {
            const float theta = kPi * float(r) / kRings, phi = 2.0f * kPi * float(s) / kSegments;
            const float radius = 1.0f + 0.05f * std::sin(float(seed) + 7.0f * theta) * std::cos(5.0f * phi);
            mesh->AddVertex({radius * std::sin(theta) * std::cos(phi), radius * std::cos(theta),
                             radius * std::sin(theta) * std::sin(phi)});
        }
    for (int r = 0; r < kRings; ++r)
        for (int s = 0; s < kSegments; ++s) {
            const int a = r * (kSegments + 1) + s;
            const int quad[4] = {a, a + kSegments + 1, a + kSegments + 2, a + 1};
            mesh->AddFace(quad);
        }
    return mesh;
}

struct SceneFixture {
    ScriptedUi ui;
    NullFactory factory;
    NullWindow window;
    std::optional<Editor> editor;
    long triangles = 0;

    SceneFixture()
    {
        editor.emplace(ui);
        editor->views.deviceFactory = &factory;
        editor->views.Viewport(1).window = &window;
        editor->views.BuildViewDevice(editor->views.Viewport(1));
        editor->views.ActivateView(1);
        const Frame* scene = editor->scene.Scene().get();
        for (int j = 0; j < kRows; ++j)
            for (int i = 0; i < kColumns; ++i) {
                FramePtr frame = Frame::Create(editor->scene.Scene().get());
                frame->AddRotation(Combine::Replace, {0.3f, 1.0f, 0.1f * float(i)}, 0.37f * float(i + j));
                frame->SetPosition(scene, {3.0f * float(i - kColumns / 2), 0.0f, 3.0f * float(j - kRows / 2)});
                MeshBuilderPtr mesh = Ball(i * kRows + j);
                for (int f = 0; f < mesh->GetFaceCount(); ++f)
                    triangles += mesh->GetFaceVertexCount(f) - 2;
                frame->AddVisual(mesh);
                AttachRecord(*frame, std::make_unique<ObjectRecord>(kObject, "Ball"));
            }
        // The first pick builds every mesh's hierarchy; later ones only search.
        editor->views.Pick(kWidth / 2, kHeight / 2);
    }

    // The same ray as a pick at the centre: from the active camera through
    // the middle of the picture.
    void CentreRay(Vec3& origin, Vec3& direction) const
    {
        const Frame* scene = editor->scene.Scene().get();
        Vec3 up;
        editor->scene.ActiveCamera()->GetOrientation(scene, direction, up);
        origin = editor->scene.ActiveCamera()->GetPosition(scene);
    }
};

SceneFixture& Fixture()
{
    static SceneFixture fixture;
    return fixture;
}

// Nearest hit distance over every triangle of every object, each corner
// taken to SCENE space first.
float BruteForceSweep(const Editor& editor, const Vec3& origin, const Vec3& direction)
{
    const Frame* scene = editor.scene.Scene().get();
    float nearest = std::numeric_limits<float>::infinity();
    for (const FramePtr& frame : editor.scene.Scene()->GetChildren()) {
        const Matrix4 toScene = frame->GetTransform(scene);
        for (const MeshBuilderPtr& mesh : frame->GetVisuals()) {
            const auto& vertices = mesh->GetVertices();
            for (int f = 0; f < mesh->GetFaceCount(); ++f) {
                auto corners = mesh->GetFaceCorners(f);
                if (corners.size() < 3)
                    continue;
                const Vec3 a = toScene.TransformPoint(vertices[size_t(corners[0].vertex)]);
                for (size_t k = 1; k + 1 < corners.size(); ++k) {
                    const Vec3 b = toScene.TransformPoint(vertices[size_t(corners[k].vertex)]);
                    const Vec3 c = toScene.TransformPoint(vertices[size_t(corners[k + 1].vertex)]);
                    const Vec3 e1 = b - a, e2 = c - a;
                    const Vec3 p = Cross(direction, e2);
                    const float det = Dot(e1, p);
                    if (std::fabs(det) < 1e-12f)
                        continue;
                    const float inv = 1.0f / det;
                    const Vec3 s = origin - a;
                    const float u = Dot(s, p) * inv;
                    if (u < 0.0f || u > 1.0f)
                        continue;
                    const Vec3 q = Cross(s, e1);
                    const float v = Dot(direction, q) * inv;
                    if (v < 0.0f || u + v > 1.0f)
                        continue;
                    const float t = Dot(e2, q) * inv;
                    if (t >= 0.0f && t < nearest)
                        nearest = t;
                }
            }
        }
    }
    return nearest;
}

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

void BM_EditorPickVsBruteForce(benchmark::State& state)
{
    SceneFixture& fx = Fixture();
    Editor& editor = *fx.editor;
    double pickSeconds = 0.0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const bool hit = editor.views.Pick(kWidth / 2, kHeight / 2);
        pickSeconds += Seconds(std::chrono::steady_clock::now() - start);
        benchmark::DoNotOptimize(hit);
    }
    // The sweep, timed in the same run over the same ray.
    Vec3 origin, direction;
    fx.CentreRay(origin, direction);
    constexpr int kSweeps = 3;
    float nearest = 0.0f;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kSweeps; ++i)
        nearest = BruteForceSweep(editor, origin, direction);
    const double sweepSeconds = Seconds(std::chrono::steady_clock::now() - start) / kSweeps;
    const double perPick = pickSeconds / double(state.iterations());

    state.counters["triangles"] = double(fx.triangles);
    state.counters["pick_us"] = perPick * 1e6;
    state.counters["sweep_ms"] = sweepSeconds * 1e3;
    state.counters["ratio"] = sweepSeconds / perPick;
    // Both must find the same surface point.
    const float pickT = Length(editor.views.pickDetails.pickPosition - origin);
    state.counters["agree"] = std::fabs(pickT - nearest) < 1e-3f ? 1.0 : 0.0;
}
BENCHMARK(BM_EditorPickVsBruteForce)->Unit(benchmark::kMicrosecond);

void BM_BruteForceSweep(benchmark::State& state)
{
    SceneFixture& fx = Fixture();
    Vec3 origin, direction;
    fx.CentreRay(origin, direction);
    for (auto _ : state)
        benchmark::DoNotOptimize(BruteForceSweep(*fx.editor, origin, direction));
}
BENCHMARK(BM_BruteForceSweep)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
