// Reading and writing 3DS files of about 100,000 and 400,000 triangles
// (height fields of 158 x 158 quads, 49,928 triangles each, two and eight of
// them under one group), against the peers:
//
// - import: Import3ds into a fresh scene (read the file, walk the chunks,
//   build the objects with their crease-angle normals) against lib3ds
//   loading the same file (lib3ds_file_load: read and decode only);
// - export: Export3ds of the scene (collect, encode, write, fsync, rename)
//   against Assimp exporting the same meshes as 3DS (aiExportScene, which
//   neither syncs nor renames); the encoding alone (Write3dsBytes) is
//   printed too.
//
// Each measurement runs five times, interleaved, and the medians are
// printed with the ratios ours / peer (goal: at most 1, no slower) and
// 400k / 100k (goal: at most 4.5, nothing quadratic).

#include "BenchSupport.h"
#include "files/FilesFixture.h"

#include "files/3ds/ThreeDsFile.h"
#include "files/FileIo.h"
#include "platform/Frame.h"
#include "platform/MeshBuilder.h"
#include "scene/Records.h"

#include <assimp/cexport.h>
#include <assimp/cimport.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <lib3ds/file.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <vector>

using namespace corvid;
using namespace corvid::testing;

namespace {

constexpr int kQuads = 158;  // per side: 49,928 triangles a field
constexpr int kRepetitions = 5;

// One height field of kQuads x kQuads quads with texture coordinates,
// beside the ones before it.
void HeightField(SceneModel& scene, const FramePtr& parent, int index)
{
    scene.insertionPoint = {static_cast<float>(index) * (kQuads + 10.0f), 0.0f, 0.0f};
    bench::HeightField(scene, kQuads, parent, static_cast<float>(index), true);
}

struct Fixture {
    explicit Fixture(int fields)
    {
        FramePtr group = w.scene.NewObjectFrame();
        AttachRecord(*group, std::make_unique<ObjectRecord>(kEmpty, "Terrain"));
        w.scene.RegisterObject(group);
        for (int i = 0; i < fields; ++i)
            HeightField(w.scene, group, i);
        w.scene.ClearSelection();
        w.scene.History().Clear();
    }
    Workspace w;
};

using bench::Median;
using bench::Seconds;

struct Sample {
    long triangles = 0;
    double megabytes = 0;
    std::vector<double> import, lib3ds, exportFile, encode, assimp;
};
std::map<int, Sample> samples;  // by number of fields

struct AssimpDeleter {
    void operator()(const aiScene* s) const { aiReleaseImport(s); }
};

void BM_ThreeDsAgainstPeers(benchmark::State& state)
{
    const int fields = static_cast<int>(state.range(0));
    Fixture f(fields);
    TempFolder folder;
    const std::string path = folder.File("terrain.3ds");
    const std::string peerPath = folder.File("peer.3ds");
    Document doc = f.w.doc();
    Sample& sample = samples[fields];
    if (!Export3ds(doc, path, {})) {
        state.SkipWithError("the scene was not exported");
        return;
    }
    // The same meshes for Assimp to write: our file as Assimp reads it, its
    // points shared again.
    std::unique_ptr<const aiScene, AssimpDeleter> peerScene(aiImportFile(path.c_str(), aiProcess_JoinIdenticalVertices));
    if (!peerScene) {
        state.SkipWithError("Assimp could not read the file");
        return;
    }
    for (unsigned m = 0; m < peerScene->mNumMeshes; ++m)
        sample.triangles += peerScene->mMeshes[m]->mNumFaces;

    for (auto _ : state) {
        // Import into a fresh scene, made and destroyed outside the time.
        {
            auto fresh = std::make_unique<Workspace>();
            Document into = fresh->doc();
            const auto start = std::chrono::steady_clock::now();
            const bool read = Import3ds(into, path, {});
            sample.import.push_back(Seconds(start));
            if (!read) {
                state.SkipWithError("the file did not import");
                return;
            }
        }
        {
            const auto start = std::chrono::steady_clock::now();
            Lib3dsFile* file = lib3ds_file_load(path.c_str());
            sample.lib3ds.push_back(Seconds(start));
            if (!file) {
                state.SkipWithError("lib3ds could not read the file");
                return;
            }
            lib3ds_file_free(file);
        }
        {
            const auto start = std::chrono::steady_clock::now();
            if (!Export3ds(doc, path, {})) {
                state.SkipWithError("the scene was not exported");
                return;
            }
            sample.exportFile.push_back(Seconds(start));
        }
        {
            std::vector<uint8_t> bytes;
            const auto start = std::chrono::steady_clock::now();
            Write3dsBytes(doc, {}, folder.Path(), bytes, {.copyTextures = false});
            sample.encode.push_back(Seconds(start));
            sample.megabytes = static_cast<double>(bytes.size()) / 1e6;
            benchmark::DoNotOptimize(bytes.data());
        }
        {
            const auto start = std::chrono::steady_clock::now();
            const aiReturn written = aiExportScene(peerScene.get(), "3ds", peerPath.c_str(), 0);
            sample.assimp.push_back(Seconds(start));
            if (written != aiReturn_SUCCESS) {
                state.SkipWithError("Assimp could not write the file");
                return;
            }
        }
    }
    state.counters["triangles"] = static_cast<double>(sample.triangles);
}
BENCHMARK(BM_ThreeDsAgainstPeers)->Arg(2)->Arg(8)->Iterations(kRepetitions)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (const auto& [fields, s] : samples) {
        if (s.import.empty())
            continue;
        auto line = [](const char* what, const std::vector<double>& seconds) {
            std::printf("  %-40s median %8.1f ms  (of %zu: %.1f .. %.1f ms)\n", what, Median(seconds) * 1e3,
                        seconds.size(), *std::min_element(seconds.begin(), seconds.end()) * 1e3,
                        *std::max_element(seconds.begin(), seconds.end()) * 1e3);
        };
        std::printf("3DS file of %ld triangles, %.1f MB:\n", s.triangles, s.megabytes);
        line("import (Import3ds, with normals)", s.import);
        line("lib3ds_file_load", s.lib3ds);
        line("export (Export3ds, with fsync)", s.exportFile);
        line("encode alone (Write3dsBytes)", s.encode);
        line("Assimp aiExportScene 3ds", s.assimp);
        std::printf("  import / lib3ds: %.2f  export / Assimp: %.2f  encode / Assimp: %.2f  (goal: at most 1)\n",
                    Median(s.import) / Median(s.lib3ds), Median(s.exportFile) / Median(s.assimp),
                    Median(s.encode) / Median(s.assimp));
    }
    if (samples.count(2) && samples.count(8) && !samples[2].import.empty() && !samples[8].import.empty()) {
        const Sample& a = samples[2];
        const Sample& b = samples[8];
        std::printf("400k / 100k: import %.2f  export %.2f  encode %.2f  (goal: at most 4.5)\n",
                    Median(b.import) / Median(a.import), Median(b.exportFile) / Median(a.exportFile),
                    Median(b.encode) / Median(a.encode));
    }
    return 0;
}
