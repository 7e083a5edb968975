// A lit 1-million-triangle mesh (a 708 x 708 quad height field, Gouraud
// shaded under a directional and an ambient light) rendered at 640 x 480
// through GlDevice - Clear, Render, Update and glFinish per frame - against
// the plainest GL loop over the very same vertex and index buffers: one VAO,
// one directionally lit shader, one glDrawElements, glFinish. Each runs five
// interleaved repetitions; the ratio of their best frames is printed at the
// end (the goal is the device within 1.25x of the raw loop).
//
// Needs a headless OpenGL context (EGL surfaceless); without one the
// benchmarks report an error and nothing is measured.

#include "BenchSupport.h"

#include "platform/Frame.h"
#include "platform/Light.h"
#include "platform/MeshBuilder.h"
#include "platform/gl/GlMeshData.h"
#include "platform/gl/GlProjection.h"
#include "platform/gl/GlShaders.h"
#include "platform/headless/HeadlessRenderer.h"

#include <epoxy/gl.h>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstddef>
#include <ctime>
#include <cstdio>
#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

using namespace corvid;

namespace {

// CPU time of the whole process (every llvmpipe thread), in ms.
double ProcessCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) * 1e-6;
}

constexpr int kQuads = 708;  // 708 * 708 * 2 = 1,002,528 triangles
constexpr int kWidth = 640;
constexpr int kHeight = 480;

float Height(float x, float z)
{
    return 25.0f * std::sin(x * 0.021f) * std::cos(z * 0.017f) + 8.0f * std::sin((x + z) * 0.09f);
}

MeshBuilderPtr MakeGrid()
{
    auto mesh = MeshBuilder::Create();
    const int n = kQuads;
    mesh->ReserveSpace((n + 1) * (n + 1), (n + 1) * (n + 1), n * n);
    for (int j = 0; j <= n; ++j)
        for (int i = 0; i <= n; ++i)
            mesh->AddVertex({float(i), Height(float(i), float(j)), float(j)});
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            const int a = j * (n + 1) + i;
            const int quad[4] = {a, a + n + 1, a + n + 2, a + 1};  // clockwise seen from above
            mesh->AddFace(quad);
        }
    mesh->GenerateNormals(kPi, 0);
    mesh->SetColor(0xFFC0A080);
    return mesh;
}

// Everything both loops share: the context, the scene and a device whose
// cache holds the grid.
struct Fixture {
    std::unique_ptr<HeadlessRenderer> renderer;
    std::unique_ptr<GlDevice> device;
    FramePtr scene, camera;
    MeshBuilderPtr grid;
    ViewParameters view;
    std::string error;

    Fixture()
    {
        renderer = HeadlessRenderer::Create(&error);
        if (!renderer)
            return;
        device = renderer->CreateDevice(kWidth, kHeight, 24, &error);
        if (!device)
            return;
        scene = Frame::Create();
        scene->Scene().background = {0.1f, 0.1f, 0.2f, 1.0f};
        grid = MakeGrid();
        Frame::Create(scene.get())->AddVisual(grid);
        auto sun = Frame::Create(scene.get());
        sun->AddLight(Light::Create(LightType::Directional, 0.9f, 0.9f, 0.85f));
        sun->SetOrientation(nullptr, {0.4f, -1.0f, 0.6f}, {0, 0, 1});
        Frame::Create(scene.get())->AddLight(Light::Create(LightType::Ambient, 0.2f, 0.2f, 0.2f));
        camera = Frame::Create(scene.get());
        camera->SetPosition(nullptr, {354, 520, -260});
        camera->SetOrientation(nullptr, Vec3{354, 0, 330} - Vec3{354, 520, -260}, {0, 1, 0});
        view.back = 5000.0f;
        // One frame to upload the grid and warm the shader up.
        device->Clear(*scene);
        device->Render(*scene, *camera, view);
        glFinish();
    }
};

Fixture& Shared()
{
    static Fixture fixture;
    return fixture;
}

void BM_DeviceFrame(benchmark::State& state)
{
    Fixture& f = Shared();
    if (!f.device) {
        state.SkipWithError(("no headless OpenGL: " + f.error).c_str());
        return;
    }
    f.renderer->Context().MakeCurrent();
    const double cpuStart = ProcessCpuMs();
    for (auto _ : state) {
        f.device->Clear(*f.scene);
        f.device->Render(*f.scene, *f.camera, f.view);
        f.device->Update();
        glFinish();
    }
    state.counters["cpu_ms"] = (ProcessCpuMs() - cpuStart) / double(state.iterations());
    const auto stats = f.device->GetStatistics();
    state.counters["triangles"] = double(stats.triangles);
    state.counters["draws"] = double(stats.drawCalls);
    state.counters["uploads"] = double(stats.meshUploads);
    state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DeviceFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);

constexpr const char* kRawVertex = R"(#version 330 core
layout(location = 0) in vec3 a_position;
layout(location = 1) in vec4 a_normal;
layout(location = 2) in vec4 a_color;
uniform mat4 u_modelView;
uniform mat4 u_projection;
uniform vec3 u_toLight;
uniform vec3 u_lightColor;
uniform vec3 u_ambient;
out vec3 v_color;
void main()
{
    vec4 eye = u_modelView * vec4(a_position, 1.0);
    vec3 n = normalize(mat3(u_modelView) * a_normal.xyz);
    v_color = a_color.rgb * (u_ambient + u_lightColor * max(dot(n, u_toLight), 0.0));
    gl_Position = u_projection * eye;
}
)";

constexpr const char* kRawFragment = R"(#version 330 core
in vec3 v_color;
layout(location = 0) out vec4 o_color;
void main() { o_color = vec4(v_color, 1.0); }
)";

void BM_RawFrame(benchmark::State& state)
{
    Fixture& f = Shared();
    if (!f.device) {
        state.SkipWithError(("no headless OpenGL: " + f.error).c_str());
        return;
    }
    f.renderer->Context().MakeCurrent();
    auto buffers = f.device->FindMeshBuffers(*f.grid);
    std::string error;
    const GLuint program = LinkProgram(kRawVertex, kRawFragment, &error);
    if (!buffers || !program) {
        state.SkipWithError(("raw setup failed: " + error).c_str());
        return;
    }
    // The device's own buffers under a VAO of our own.
    GLuint vao = 0;
    glGenVertexArrays(1, &vao);
    glBindVertexArray(vao);
    glBindBuffer(GL_ARRAY_BUFFER, buffers->vertexBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers->indexBuffer);
    const GLsizei stride = sizeof(GlVertex);
    glEnableVertexAttribArray(kAttribPosition);
    glVertexAttribPointer(kAttribPosition, 3, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<const void*>(offsetof(GlVertex, position)));
    glEnableVertexAttribArray(kAttribNormal);
    glVertexAttribPointer(kAttribNormal, 4, GL_INT_2_10_10_10_REV, GL_TRUE, stride, 
                          reinterpret_cast<const void*>(offsetof(GlVertex, normal)));
    glEnableVertexAttribArray(kAttribColor);
    glVertexAttribPointer(kAttribColor, 4, GL_UNSIGNED_BYTE, GL_TRUE, stride, 
                          reinterpret_cast<const void*>(offsetof(GlVertex, color)));

    const Matrix4 modelView = f.camera->World().Inverse();  // the grid's frame is at the root
    const Matrix4 projection = ProjectionMatrix(f.view, kWidth, kHeight);
    Vec3 dir, up;
    f.scene->GetChildren()[1]->GetOrientation(f.camera.get(), dir, up);
    const Vec3 toLight = Normalize(-dir);
    glUseProgram(program);
    glUniformMatrix4fv(glGetUniformLocation(program, "u_modelView"), 1, GL_FALSE, &modelView.m[0][0]);
    glUniformMatrix4fv(glGetUniformLocation(program, "u_projection"), 1, GL_FALSE, &projection.m[0][0]);
    glUniform3f(glGetUniformLocation(program, "u_toLight"), toLight.x, toLight.y, toLight.z);
    glUniform3f(glGetUniformLocation(program, "u_lightColor"), 0.9f, 0.9f, 0.85f);
    glUniform3f(glGetUniformLocation(program, "u_ambient"), 0.2f, 0.2f, 0.2f);

    glBindFramebuffer(GL_FRAMEBUFFER, f.device->Framebuffer());
    glViewport(0, 0, kWidth, kHeight);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDepthMask(GL_TRUE);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(GL_CW);
    glDisable(GL_BLEND);
    glClearColor(0.1f, 0.1f, 0.2f, 1.0f);
    glFinish();
    const double cpuStart = ProcessCpuMs();
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(buffers->indexCount), GL_UNSIGNED_INT, nullptr);
        glFinish();
    }
    state.counters["cpu_ms"] = (ProcessCpuMs() - cpuStart) / double(state.iterations());
    state.counters["triangles"] = double(buffers->indexCount / 3);
    state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    glBindVertexArray(0);
    glDeleteVertexArrays(1, &vao);
    glUseProgram(0);
    glDeleteProgram(program);
}
BENCHMARK(BM_RawFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);

// Prints the usual table and keeps each benchmark's best frame over its
// repetitions, in wall time and in CPU time of all threads: the machine may
// be shared, and the best repetition is the one least disturbed by others.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    struct Best {
        double wallMs = 1e300;
        double cpuMs = 1e300;
    };
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration)
                continue;
            Best& b = best[run.run_name.function_name];
            b.wallMs = std::min(b.wallMs, run.GetAdjustedRealTime());
            auto cpu = run.counters.find("cpu_ms");
            if (cpu != run.counters.end())
                b.cpuMs = std::min(b.cpuMs, double(cpu->second));
        }
    }
    std::map<std::string, Best> best;
};

} // namespace

int main(int argc, char** argv)
{
    if (!corvid::bench::InitializeInterleaved(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto device = reporter.best.find("BM_DeviceFrame");
    auto raw = reporter.best.find("BM_RawFrame");
    if (device != reporter.best.end() && raw != reporter.best.end()) {
        const auto& d = device->second;
        const auto& r = raw->second;
        std::printf("best frame, wall time:        device %.1f ms / raw %.1f ms = %.2fx (goal: at most 1.25x)\n",
                    d.wallMs, r.wallMs, d.wallMs / r.wallMs);
        std::printf("best frame, CPU of all threads: device %.1f ms / raw %.1f ms = %.2fx\n", d.cpuMs, r.cpuMs,
                    d.cpuMs / r.cpuMs);
    }
    benchmark::Shutdown();
    return 0;
}
