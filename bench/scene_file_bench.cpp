// Saving and loading a scene file of about 1 million faces (four 354 x 354
// quad height fields, each quad two triangles, with crease-angle normals,
// under one group), against moving the same number of bytes to and from the
// disk with nothing else to do:
//
// - save: SaveScene (collect, encode, write, fsync, rename) against
//   WriteFileAtomically of a buffer of the file's size (the same open,
//   write, fsync and rename, without the encoding);
// - load: LoadScene into a fresh scene (read, decode, build) against
//   ReadWholeFile of the same file.
//
// The file is in the page cache for both reads. Each measurement runs five
// times, the four interleaved, and the medians are printed at the end with
// the ratios save / raw write and load / raw read in MB/s (the goal is at
// least 0.5 both ways). The encode and decode phases alone (WriteSceneBytes,
// ReadSceneBytes from memory) are printed too, to show where the time goes.

#include "BenchSupport.h"
#include "files/FilesFixture.h"

#include "files/FileIo.h"
#include "files/scene/SceneFile.h"
#include "platform/Frame.h"
#include "platform/MeshBuilder.h"
#include "scene/ObjectTree.h"
#include "scene/Records.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

using namespace corvid;
using namespace corvid::testing;

namespace {

constexpr int kGrids = 4;
constexpr int kQuads = 354;  // per side: 250,632 triangles a grid
constexpr int kRepetitions = 5;

// One height field of kQuads x kQuads quads, beside the ones before it.
FramePtr HeightField(SceneModel& scene, const FramePtr& parent, int index)
{
    scene.insertionPoint = {static_cast<float>(index) * (kQuads + 10.0f), 0.0f, 0.0f};
    return bench::HeightField(scene, kQuads, parent, static_cast<float>(index));
}

struct Fixture {
    Fixture()
    {
        group = w.scene.NewObjectFrame();
        AttachRecord(*group, std::make_unique<ObjectRecord>(kEmpty, "Terrain"));
        w.scene.RegisterObject(group);
        for (int i = 0; i < kGrids; ++i) {
            FramePtr grid = HeightField(w.scene, group, i);
            faces += grid->GetVisuals()[0]->GetFaceCount();
        }
        w.scene.ClearSelection();
        w.scene.History().Clear();
    }
    Workspace w;
    FramePtr group;
    long faces = 0;
};

using bench::Median;
using bench::Seconds;

struct Results {
    double megabytes = 0;
    long faces = 0;
    std::vector<double> save, rawWrite, load, rawRead, encode, decode;
} results;

void BM_SceneFileAgainstRawIo(benchmark::State& state)
{
    Fixture f;
    TempFolder folder;
    const std::string scenePath = folder.File("terrain.cvd");
    const std::string rawPath = folder.File("raw.bin");
    Document doc = f.w.doc();
    results.faces = f.faces;

    for (auto _ : state) {
        // (1) Save.
        auto start = std::chrono::steady_clock::now();
        if (!SaveScene(doc, scenePath, {})) {
            state.SkipWithError("the scene was not saved");
            return;
        }
        results.save.push_back(Seconds(start));
        std::vector<uint8_t> bytes;
        if (ReadWholeFile(scenePath, bytes) != ReadStatus::Read) {
            state.SkipWithError("the saved file could not be read");
            return;
        }
        results.megabytes = static_cast<double>(bytes.size()) / 1e6;

        // (3) The same number of bytes written raw, the same way.
        std::vector<uint8_t> raw(bytes.size());
        for (size_t i = 0; i < raw.size(); ++i)
            raw[i] = static_cast<uint8_t>(i * 131u);
        start = std::chrono::steady_clock::now();
        if (WriteFileAtomically(rawPath, raw) != WriteStatus::Written) {
            state.SkipWithError("the raw file was not written");
            return;
        }
        results.rawWrite.push_back(Seconds(start));

        // (2) Load into a fresh scene (made and destroyed outside the time).
        {
            auto fresh = std::make_unique<Workspace>();
            Document into = fresh->doc();
            start = std::chrono::steady_clock::now();
            const bool loaded = LoadScene(into, scenePath, {});
            results.load.push_back(Seconds(start));
            if (!loaded || !FindObject(fresh->scene.Scene(), "Terrain")) {
                state.SkipWithError("the scene did not load");
                return;
            }
        }

        // (4) The same file read raw.
        std::vector<uint8_t> again;
        start = std::chrono::steady_clock::now();
        if (ReadWholeFile(scenePath, again) != ReadStatus::Read || again.size() != bytes.size()) {
            state.SkipWithError("the raw read failed");
            return;
        }
        results.rawRead.push_back(Seconds(start));

        // The phases without the disk: encoding and decoding alone.
        start = std::chrono::steady_clock::now();
        const std::vector<uint8_t> encoded = WriteSceneBytes(doc, {}, folder.Path(), {.copyFiles = false});
        results.encode.push_back(Seconds(start));
        benchmark::DoNotOptimize(encoded.data());
        {
            auto fresh = std::make_unique<Workspace>();
            Document into = fresh->doc();
            start = std::chrono::steady_clock::now();
            const bool decoded = ReadSceneBytes(into, bytes.data(), bytes.size(), {}, folder.Path());
            results.decode.push_back(Seconds(start));
            if (!decoded) {
                state.SkipWithError("the bytes did not decode");
                return;
            }
        }
    }
    state.counters["faces"] = static_cast<double>(f.faces);
    state.counters["MB"] = results.megabytes;
    state.counters["save_MBps"] = results.megabytes / Median(results.save);
    state.counters["load_MBps"] = results.megabytes / Median(results.load);
}
BENCHMARK(BM_SceneFileAgainstRawIo)->Iterations(kRepetitions)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (results.save.empty())
        return 0;
    const double mb = results.megabytes;
    auto line = [mb](const char* what, const std::vector<double>& seconds) {
        const double median = Median(seconds);
        std::printf("  %-32s median %8.1f ms  %8.1f MB/s  (of %zu: %.1f .. %.1f ms)\n", what, median * 1e3, mb / median,
                    seconds.size(), *std::min_element(seconds.begin(), seconds.end()) * 1e3,
                    *std::max_element(seconds.begin(), seconds.end()) * 1e3);
    };
    std::printf("scene file of %ld faces, %.1f MB:\n", results.faces, mb);
    line("save (SaveScene)", results.save);
    line("raw write + fsync", results.rawWrite);
    line("load (LoadScene)", results.load);
    line("raw read", results.rawRead);
    line("encode alone (WriteSceneBytes)", results.encode);
    line("decode alone (ReadSceneBytes)", results.decode);
    const double saveRatio = Median(results.rawWrite) / Median(results.save);
    const double loadRatio = Median(results.rawRead) / Median(results.load);
    std::printf("save / raw write: %.2f  load / raw read: %.2f  (in MB/s of the medians; goal: at least 0.5 each)\n",
                saveRatio, loadRatio);
    return 0;
}
