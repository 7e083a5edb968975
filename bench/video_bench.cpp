// Video output and image capture on the demo scene.
//
// Export: 30 frames at 640 x 480 written to an AVI file (interpolation,
// render, read-back, and the encoder's worker) against the same 30 frames
// only rendered and read back; the goal is an export at least 0.8 times as
// fast, uncompressed and Motion JPEG. For MS Video 1 the export is set
// against rendering and encoding one after the other (goal: at most 0.8 of
// that sum, which shows the worker overlapping the render).
//
// The encoder runs as the export runs it: MS Video 1 and Motion JPEG code
// frames on several lanes (one per processor), in the export and in the
// encoder-alone loop alike, so the MS Video 1 goal compares like with like.
// For the report the uncompressed and Motion JPEG encoders alone are
// measured too, and the Motion JPEG and MS Video 1 encoders on one lane.
//
// Capture: "Save image ..." at 1024 x 768 (the capture's device, render,
// read-back, a BMP written and renamed into place) against a plain render
// and read-back of the same size (goal: at most 1.3x). The capture keeps its
// device from one capture to the next, as the editor does, so both loops
// render with a warm device. Writing the BMP alone (the same picture, the
// same folder, renamed into place) is measured too: it shows how much
// of the capture is the file system's.
//
// Needs a headless OpenGL context (EGL surfaceless).

#include "BenchSupport.h"

#include "anim/AnimationExport.h"
#include "app/DemoScene.h"
#include "app/Editor.h"
#include "platform/Frame.h"
#include "platform/headless/HeadlessRenderer.h"
#include "render/DeviceFactory.h"
#include "render/ImageCapture.h"
#include "support/ScriptedUi.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using namespace corvid;

namespace {

constexpr int kFrames = 30;
constexpr int kWidth = 640, kHeight = 480;
constexpr int kCaptureWidth = 1024, kCaptureHeight = 768;

struct HeadlessFactory : DeviceFactory {
    explicit HeadlessFactory(HeadlessRenderer& r) : renderer(r) {}
    std::unique_ptr<Device> CreateDevice(const DeviceRequest& request) override
    {
        return renderer.CreateDevice(request.width, request.height);
    }
    HeadlessRenderer& renderer;
};

// The demo scene, a headless renderer and a device for each size.
struct Fixture {
    Fixture()
    {
        renderer = HeadlessRenderer::Create(&error);
        if (!renderer)
            return;
        BuildDemoScene(editor);
        factory = std::make_unique<HeadlessFactory>(*renderer);
        editor.views.deviceFactory = factory.get();
        DriverRecord driver;
        driver.SetNames("headless", "headless");
        driver.AddZFormat(24, 0);
        editor.views.SetDriverTable({driver});
        video = renderer->CreateDevice(kWidth, kHeight);
        large = renderer->CreateDevice(kCaptureWidth, kCaptureHeight);
        for (Device* d : {static_cast<Device*>(video.get()), static_cast<Device*>(large.get())}) {
            d->SetQuality(View().Quality());
            d->SetShades(editor.views.ShadeCount());
            d->SetDither(View().dither);
            d->SetRenderMode(kDefaultRenderMode);
            d->SetTextureQuality(static_cast<TextureQuality>(View().textureQuality));
        }
        char folderPattern[] = "/tmp/corvid-video-bench-XXXXXX";
        folder = ::mkdtemp(folderPattern);
    }
    ~Fixture()
    {
        for (const char* name : {"/out.avi", "/shot.bmp"})
            ::unlink((folder + name).c_str());
        ::rmdir(folder.c_str());
        if (renderer)
            renderer->Context().MakeCurrent();
        // The capture's kept device lives on the renderer's context.
        editor.views.ReleaseCaptureDevice();
    }
    ViewRecord& View() { return editor.views.Viewport(1); }
    Image RenderFrame(Device& device, int frame)
    {
        editor.animation.ShowFrame(static_cast<float>(frame));
        editor.scene.Scene()->Move(4.0f);
        device.Clear(*editor.scene.World());
        device.Render(*editor.scene.World(), *View().camera, View().Parameters());
        device.Update();
        return device.ReadPixels();
    }

    std::string error;
    ScriptedUi ui;
    Editor editor{ui};
    std::unique_ptr<HeadlessRenderer> renderer;
    std::unique_ptr<HeadlessFactory> factory;
    std::unique_ptr<GlDevice> video, large;
    std::string folder;
};

Fixture& Shared()
{
    static Fixture fixture;
    return fixture;
}

bool Ready(benchmark::State& state)
{
    if (!Shared().renderer) {
        state.SkipWithError(("no OpenGL context: " + Shared().error).c_str());
        return false;
    }
    return true;
}

void BM_RenderAndReadBack(benchmark::State& state)
{
    if (!Ready(state))
        return;
    Fixture& f = Shared();
    for (auto _ : state)
        for (int i = 0; i < kFrames; ++i)
            benchmark::DoNotOptimize(f.RenderFrame(*f.video, i));
    state.SetItemsProcessed(state.iterations() * kFrames);
}

void BM_Export(benchmark::State& state)
{
    if (!Ready(state))
        return;
    Fixture& f = Shared();
    const auto codec = static_cast<AviCodec>(state.range(0));
    AviExportJob job;
    job.path = f.folder + "/out.avi";
    job.width = kWidth;
    job.height = kHeight;
    job.first = 0;
    job.last = kFrames - 1;
    for (auto _ : state) {
        AnimationExportRun run(f.editor.animation, f.editor.transport, f.editor.views, *f.video, *f.View().camera,
                               f.View().Parameters(), job,
                               [codec](const std::vector<AviCodecInfo>&) { return std::optional<AviCodec>(codec); });
        while (run.Step()) {
        }
        if (run.Finish() != AviExportOutcome::Completed) {
            state.SkipWithError(("export failed: " + run.Error()).c_str());
            return;
        }
    }
    state.SetItemsProcessed(state.iterations() * kFrames);
}

// The encoder alone on frames rendered beforehand; range(1) lanes (0: as
// the export runs it).
void BM_EncodeOnly(benchmark::State& state)
{
    if (!Ready(state))
        return;
    Fixture& f = Shared();
    const auto codec = static_cast<AviCodec>(state.range(0));
    const int lanes = static_cast<int>(state.range(1));
    std::vector<Image> frames;
    for (int i = 0; i < kFrames; ++i)
        frames.push_back(f.RenderFrame(*f.video, i));
    for (auto _ : state) {
        AviWriter writer(f.folder + "/out.avi", 30);
        writer.SetLanes(lanes);
        if (writer.Open(codec, kWidth, kHeight) != AviOpenStatus::Opened) {
            state.SkipWithError("the encoder did not open");
            return;
        }
        for (const Image& frame : frames)
            writer.AddFrame(frame);
        if (!writer.Finish()) {
            state.SkipWithError("the file was not written");
            return;
        }
    }
    state.SetItemsProcessed(state.iterations() * kFrames);
}

void BM_PlainRender1024(benchmark::State& state)
{
    if (!Ready(state))
        return;
    Fixture& f = Shared();
    for (auto _ : state)
        benchmark::DoNotOptimize(f.RenderFrame(*f.large, 0));
}

void BM_Capture1024(benchmark::State& state)
{
    if (!Ready(state))
        return;
    Fixture& f = Shared();
    ImageCaptureSettings settings;
    settings.useCurrentSize = false;
    settings.customWidth = kCaptureWidth;
    settings.customHeight = kCaptureHeight;
    for (auto _ : state)
        if (!CaptureViewImage(f.editor.views, 1, settings, f.folder + "/shot.bmp")) {
            state.SkipWithError("the capture failed");
            return;
        }
}

// The file alone: the capture's picture written as the capture writes it.
void BM_WriteBmp1024(benchmark::State& state)
{
    if (!Ready(state))
        return;
    Fixture& f = Shared();
    const Image picture = f.RenderFrame(*f.large, 0);
    for (auto _ : state)
        if (!WriteImageFile(picture, f.folder + "/shot.bmp", ImageFileType::Bmp)) {
            state.SkipWithError("the file was not written");
            return;
        }
}

constexpr int kRaw = static_cast<int>(AviCodec::FullFrames);
constexpr int kMjpeg = static_cast<int>(AviCodec::MotionJpeg);
constexpr int kMsVideo1 = static_cast<int>(AviCodec::MsVideo1);

BENCHMARK(BM_RenderAndReadBack)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Export)->Arg(kRaw)->Arg(kMjpeg)->Arg(kMsVideo1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EncodeOnly)
    ->Args({kRaw, 0})
    ->Args({kMjpeg, 0})
    ->Args({kMsVideo1, 0})
    ->Args({kMjpeg, 1})
    ->Args({kMsVideo1, 1})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PlainRender1024)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Capture1024)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WriteBmp1024)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    if (!corvid::bench::InitializeInterleaved(argc, argv))
        return 1;
    corvid::bench::MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double render = reporter.Get("BM_RenderAndReadBack");
    auto exportRatio = [&](int codec, const char* name) {
        const double exported = reporter.Get("BM_Export/" + std::to_string(codec));
        if (render > 0 && exported > 0)
            std::printf("%-12s frames exported / rendered and read back per second: %.2f (goal: at least 0.8)\n",
                        name, render / exported);
    };
    exportRatio(kRaw, "uncompressed");
    exportRatio(kMjpeg, "Motion JPEG");
    for (auto [codec, name] : {std::pair{kRaw, "uncompressed"}, std::pair{kMjpeg, "Motion JPEG"}}) {
        const double exported = reporter.Get("BM_Export/" + std::to_string(codec));
        const double alone = reporter.Get("BM_EncodeOnly/" + std::to_string(codec) + "/0");
        if (render > 0 && exported > 0 && alone > 0)
            std::printf("%-12s export / render / encoder alone: %.1f / %.1f / %.1f ms\n", name, exported, render, alone);
    }
    const double ms1 = reporter.Get("BM_Export/" + std::to_string(kMsVideo1));
    const double encode = reporter.Get("BM_EncodeOnly/" + std::to_string(kMsVideo1) + "/0");
    if (render > 0 && ms1 > 0 && encode > 0)
        std::printf("MS Video 1   export / (render + encode one after the other): %.1f / (%.1f + %.1f) ms = %.2f "
                    "(goal: at most 0.8)\n",
                    ms1, render, encode, ms1 / (render + encode));
    for (auto [codec, name] : {std::pair{kMjpeg, "Motion JPEG"}, std::pair{kMsVideo1, "MS Video 1"}}) {
        const double lanes = reporter.Get("BM_EncodeOnly/" + std::to_string(codec) + "/0");
        const double one = reporter.Get("BM_EncodeOnly/" + std::to_string(codec) + "/1");
        if (lanes > 0 && one > 0)
            std::printf("%-12s encoder alone on its lanes / on one lane: %.1f / %.1f ms\n", name, lanes, one);
    }
    const double plain = reporter.Get("BM_PlainRender1024"), capture = reporter.Get("BM_Capture1024");
    if (plain > 0 && capture > 0)
        std::printf("capture at 1024 x 768 / plain render and read-back: %.1f / %.1f ms = %.2fx (goal: at most 1.3x)\n",
                    capture, plain, capture / plain);
    const double file = reporter.Get("BM_WriteBmp1024");
    if (plain > 0 && file > 0)
        std::printf("             of which the BMP file alone (write, rename): %.1f ms; capture without it "
                    "/ plain: %.2fx\n",
                    file, (capture - file) / plain);
    benchmark::Shutdown();
    return 0;
}
