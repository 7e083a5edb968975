#pragma once
// What the file benchmarks share: timing, medians, and the wavy height field
// they read and write, made the way the editor makes an object.

#include "platform/Frame.h"
#include "platform/MeshBuilder.h"
#include "scene/SceneModel.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <map>
#include <string>
#include <vector>

namespace corvid::bench {

// Google Benchmark's set-up with, unless the command line says otherwise,
// five repetitions of each benchmark interleaved at random, so that the
// loops compared see the same background load. False for a word it does
// not know (reported).
inline bool InitializeInterleaved(int argc, char** argv)
{
    std::vector<char*> args(argv, argv + argc);
    static std::string repetitions = "--benchmark_repetitions=5";
    static std::string interleave = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, {repetitions.data(), interleave.data()});
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    return !benchmark::ReportUnrecognizedArguments(count, args.data());
}

// Keeps the median time of each benchmark (by its full name, "BM_X/arg"),
// printing the runs as the console reporter does.
class MedianReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (!run.error_occurred && run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
                median[run.run_name.function_name + (run.run_name.args.empty() ? "" : "/" + run.run_name.args)] =
                    run.GetAdjustedRealTime();
    }
    // 0 for a benchmark that did not run.
    double Get(const std::string& name) const
    {
        auto found = median.find(name);
        return found == median.end() ? 0.0 : found->second;
    }
    std::map<std::string, double> median;
};

inline double Seconds(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

inline double Median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

// A height field of quads x quads quads (each two triangles) at the scene's
// insertion point: its own frame, record, material and crease-angle normals,
// registered under parent (SCENE when null) and selected. phase shifts the
// waves; with textureCoordinates every vertex gets (x, z) / quads.
inline FramePtr HeightField(SceneModel& scene, int quads, const FramePtr& parent = nullptr, float phase = 0.0f,
                            bool textureCoordinates = false)
{
    MeshBuilderPtr mesh = scene.BeginObjectCreation();
    const int w = quads + 1;
    mesh->ReserveSpace(w * w, 0, 2 * quads * quads);
    for (int z = 0; z <= quads; ++z)
        for (int x = 0; x <= quads; ++x) {
            const float fx = static_cast<float>(x), fz = static_cast<float>(z);
            const float ridge = x < quads / 2 ? 0.0f : 1.5f * (fx - quads / 2.0f);
            mesh->AddVertex({fx, 12.0f * std::sin(fx * 0.05f + phase) * std::cos(fz * 0.07f) + ridge, fz});
            if (textureCoordinates)
                mesh->SetTextureCoordinates(z * w + x, fx / quads, fz / quads);
        }
    for (int z = 0; z < quads; ++z)
        for (int x = 0; x < quads; ++x) {
            const int i = z * w + x;
            const int a[3] = {i, i + w, i + 1};
            const int b[3] = {i + 1, i + w, i + w + 1};
            mesh->AddFace(a);
            mesh->AddFace(b);
        }
    mesh->GenerateNormals(1.0f, kGenerateNormalsUseCreaseAngle);
    scene.FinishObjectCreation("Field %s", scene.names.cube);
    FramePtr frame = scene.SelectedFrame();
    if (parent)
        parent->AddChild(frame);
    scene.RegisterObject(frame);
    return frame;
}

} // namespace corvid::bench
