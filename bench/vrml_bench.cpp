// The VRML export and import on generated height fields of 100,352 and
// 401,408 triangles (224 x 224 and 448 x 448 quads, each two triangles, with
// crease-angle normals and one material):
//
// - export: ExportVrml (collect, format, write, fsync, rename) against
//   Assimp's exporters writing the same mesh (positions, normals,
//   triangles, one material) to a text format of their own: "x3d" (XML,
//   the closest relative of VRML it writes) and "obj";
// - import: ImportVrml of the exported file into a fresh scene (read,
//   tokenise, build, generate normals), and the reader alone
//   (ReadVrmlText) on the text already in memory.
//
// Each measurement runs nine times, interleaved; the medians are printed at
// the end with the ratios ours / Assimp (goal: at most 1) and 400k / 100k
// for export and import (goal: at most 4.5, nothing quadratic), the latter
// also in processor time and as the ratio of the fastest runs, which other
// work on the machine disturbs least.

#include "BenchSupport.h"
#include "files/FilesFixture.h"

#include "files/FileIo.h"
#include "files/vrml/VrmlFile.h"
#include "platform/Frame.h"
#include "platform/MeshBuilder.h"
#include "scene/Records.h"

#include <assimp/Exporter.hpp>
#include <assimp/scene.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <map>
#include <memory>
#include <vector>

using namespace corvid;
using namespace corvid::testing;

namespace {

constexpr int kRepetitions = 9;
constexpr int kSmallQuads = 224;  // per side: 100,352 triangles
constexpr int kLargeQuads = 448;  // 401,408 triangles, four times as many

// A height field of quads x quads quads at the origin.
FramePtr HeightField(SceneModel& scene, int quads)
{
    scene.insertionPoint = {};
    return bench::HeightField(scene, quads);
}

// The same mesh as Assimp holds it: one mesh of triangles with a normal per
// vertex, in world coordinates, one default material.
std::unique_ptr<aiScene> AssimpScene(const Frame& frame, const MeshBuilder& mesh)
{
    auto scene = std::make_unique<aiScene>();
    scene->mRootNode = new aiNode("Terrain");
    scene->mRootNode->mNumMeshes = 1;
    scene->mRootNode->mMeshes = new unsigned[1]{0};
    scene->mNumMaterials = 1;
    scene->mMaterials = new aiMaterial*[1]{new aiMaterial()};
    aiColor3D diffuse(0.5f, 0.5f, 0.5f);
    scene->mMaterials[0]->AddProperty(&diffuse, 1, AI_MATKEY_COLOR_DIFFUSE);
    scene->mNumMeshes = 1;
    scene->mMeshes = new aiMesh*[1]{new aiMesh()};
    aiMesh& m = *scene->mMeshes[0];
    m.mMaterialIndex = 0;
    m.mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
    const Matrix4 world = frame.World();
    const unsigned n = static_cast<unsigned>(mesh.GetVertexCount());
    m.mNumVertices = n;
    m.mVertices = new aiVector3D[n];
    m.mNormals = new aiVector3D[n];
    for (unsigned i = 0; i < n; ++i) {
        const Vec3 p = world.TransformPoint(mesh.GetVertices()[i]);
        Vec3 normal;
        mesh.GetNormal(static_cast<int>(i), normal);
        m.mVertices[i] = aiVector3D(p.x, p.y, p.z);
        m.mNormals[i] = aiVector3D(normal.x, normal.y, normal.z);
    }
    const unsigned faces = static_cast<unsigned>(mesh.GetFaceCount());
    m.mNumFaces = faces;
    m.mFaces = new aiFace[faces];
    for (unsigned f = 0; f < faces; ++f) {
        aiFace& face = m.mFaces[f];
        face.mNumIndices = 3;
        face.mIndices = new unsigned[3];
        for (unsigned c = 0; c < 3; ++c)
            face.mIndices[c] = static_cast<unsigned>(mesh.GetFaceVertexIndex(static_cast<int>(f), static_cast<int>(c)));
    }
    return scene;
}

using bench::Median;
using bench::Seconds;

// The processor time of this thread: on a machine shared with other work it
// shows what the code costs better than the clock on the wall does.
double CpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}


// One mesh size: the scene, Assimp's copy and the times measured.
struct SizeCase {
    explicit SizeCase(int quads)
    {
        frame = HeightField(w.scene, quads);
        w.scene.ClearSelection();
        w.scene.History().Clear();
        triangles = frame->GetVisuals()[0]->GetFaceCount();
        peer = AssimpScene(*frame, *frame->GetVisuals()[0]);
    }
    Workspace w;
    FramePtr frame;
    long triangles = 0;
    std::unique_ptr<aiScene> peer;
    double megabytes = 0;
    std::vector<double> exportTimes, importTimes, exportCpu, importCpu, decodeTimes, decodeCpu;
    std::map<std::string, std::vector<double>> peerTimes;
};

std::vector<std::unique_ptr<SizeCase>> sizes;
std::vector<std::string> peerFormats;

void BM_VrmlExportImport(benchmark::State& state)
{
    TempFolder folder;
    if (sizes.empty()) {
        sizes.push_back(std::make_unique<SizeCase>(kSmallQuads));
        sizes.push_back(std::make_unique<SizeCase>(kLargeQuads));
        Assimp::Exporter probe;
        for (size_t i = 0; i < probe.GetExportFormatCount(); ++i) {
            const std::string id = probe.GetExportFormatDescription(i)->id;
            if (id == "x3d" || id == "obj")
                peerFormats.push_back(id);
        }
    }
    for (auto _ : state) {
        for (auto& size : sizes) {
            SizeCase& s = *size;
            Document doc = s.w.doc();
            const std::string path = folder.File("terrain.wrl");
            auto start = std::chrono::steady_clock::now();
            double cpu = CpuSeconds();
            if (!ExportVrml(doc, path, {})) {
                state.SkipWithError("the world was not written");
                return;
            }
            s.exportCpu.push_back(CpuSeconds() - cpu);
            s.exportTimes.push_back(Seconds(start));
            s.megabytes = static_cast<double>(std::filesystem::file_size(path)) / 1e6;

            for (const std::string& format : peerFormats) {
                Assimp::Exporter exporter;
                start = std::chrono::steady_clock::now();
                if (exporter.Export(s.peer.get(), format, folder.File("peer." + format)) != aiReturn_SUCCESS) {
                    state.SkipWithError(("Assimp did not write " + format).c_str());
                    return;
                }
                s.peerTimes[format].push_back(Seconds(start));
            }

            // Into a fresh scene, made and destroyed outside the time.
            auto fresh = std::make_unique<Workspace>();
            Document into = fresh->doc();
            ImportOptions options;
            options.winding = 1;
            start = std::chrono::steady_clock::now();
            cpu = CpuSeconds();
            const bool imported = ImportVrml(into, path, options);
            s.importCpu.push_back(CpuSeconds() - cpu);
            s.importTimes.push_back(Seconds(start));
            if (!imported) {
                state.SkipWithError("the world did not read back");
                return;
            }
            fresh.reset();

            // The reader alone, on the text in memory.
            std::vector<uint8_t> bytes;
            ReadWholeFile(path, bytes);
            const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
            fresh = std::make_unique<Workspace>();
            Document again = fresh->doc();
            start = std::chrono::steady_clock::now();
            cpu = CpuSeconds();
            const bool decoded = ReadVrmlText(again, text, options, folder.Path());
            s.decodeCpu.push_back(CpuSeconds() - cpu);
            s.decodeTimes.push_back(Seconds(start));
            if (!decoded) {
                state.SkipWithError("the text did not read back");
                return;
            }
        }
    }
}
BENCHMARK(BM_VrmlExportImport)->Iterations(kRepetitions)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (sizes.empty() || sizes[0]->exportTimes.empty())
        return 0;
    for (const auto& size : sizes) {
        const SizeCase& s = *size;
        std::printf("%ld triangles (%.1f MB of VRML):\n", s.triangles, s.megabytes);
        const double ours = Median(s.exportTimes);
        std::printf("  export (ExportVrml)          median %8.1f ms   (processor time %.1f ms)\n", ours * 1e3,
                    Median(s.exportCpu) * 1e3);
        for (const auto& [format, times] : s.peerTimes)
            std::printf("  Assimp export to %-4s        median %8.1f ms   ours / Assimp %.2f\n", format.c_str(),
                        Median(times) * 1e3, ours / Median(times));
        std::printf("  import (ImportVrml)          median %8.1f ms   (processor time %.1f ms)\n",
                    Median(s.importTimes) * 1e3, Median(s.importCpu) * 1e3);
        std::printf("  reader alone (ReadVrmlText)  median %8.1f ms   (processor time %.1f ms)\n",
                    Median(s.decodeTimes) * 1e3, Median(s.decodeCpu) * 1e3);
    }
    const SizeCase& small = *sizes[0];
    const SizeCase& large = *sizes[1];
    std::printf("4x the triangles: export %.2fx, import %.2fx the time; in processor time %.2fx and %.2fx "
                "(goal: at most 4.5)\n",
                Median(large.exportTimes) / Median(small.exportTimes),
                Median(large.importTimes) / Median(small.importTimes),
                Median(large.exportCpu) / Median(small.exportCpu), Median(large.importCpu) / Median(small.importCpu));
    std::printf("  the reader alone: %.2fx the time, %.2fx in processor time\n",
                Median(large.decodeTimes) / Median(small.decodeTimes), Median(large.decodeCpu) / Median(small.decodeCpu));
    const auto fastest = [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); };
    std::printf("fastest runs: export %.2fx, import %.2fx; in processor time %.2fx and %.2fx\n",
                fastest(large.exportTimes) / fastest(small.exportTimes),
                fastest(large.importTimes) / fastest(small.importTimes),
                fastest(large.exportCpu) / fastest(small.exportCpu), fastest(large.importCpu) / fastest(small.importCpu));
    std::printf("  the reader alone: %.2fx, in processor time %.2fx\n",
                fastest(large.decodeTimes) / fastest(small.decodeTimes),
                fastest(large.decodeCpu) / fastest(small.decodeCpu));
    return 0;
}
