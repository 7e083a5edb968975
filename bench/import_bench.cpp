// The model readers against peer libraries on generated files of about 400k
// and 1.6M triangles (a wavy height field, every vertex shared by six
// triangles):
//
// - OBJ: ours against tinyobjloader (triangulating) and against Assimp with
//   triangulation and smooth normals (goal: faster than both);
// - binary STL and COB: ours against Assimp (goal: at least twice as fast);
// - DXF (3DFACE entities): ours against Assimp (goal: faster);
// - each of ours: the 1.6M file against the 400k file (goal: at most 4.5
//   times the time, nothing quadratic);
// - the peak memory of a process doing one DXF import, against the file's
//   size (goal: under five times).
//
// Each reader reads the file from the disk (in the page cache) into its own
// structures, in a fresh process of its own (so none inherits the heap
// another left): ours into a fresh scene with normals generated, as the
// editor imports. Every reader reads every file five times, the readers
// taking turns; the medians are printed with the ratios. Run: build/release/bench/import_bench (files go to $TMPDIR).

#include "BenchSupport.h"
#include "files/FilesFixture.h"

#include "files/cob/CobFile.h"
#include "files/dxf/DxfFile.h"
#include "files/obj/ObjFile.h"
#include "files/stl/StlFile.h"

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <tiny_obj_loader.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace corvid;
using namespace corvid::testing;

namespace {

constexpr int kRuns = 5;

struct Grid {
    int side;  // vertices per side
    std::vector<float> xyz;
    std::vector<int> triangles;  // 0-based corners
    size_t Triangles() const { return triangles.size() / 3; }
};

Grid MakeGrid(int quads)
{
    Grid g;
    g.side = quads + 1;
    for (int z = 0; z < g.side; ++z)
        for (int x = 0; x < g.side; ++x) {
            g.xyz.push_back(static_cast<float>(x));
            g.xyz.push_back(3.0f * std::sin(x * 0.05f) * std::cos(z * 0.07f));
            g.xyz.push_back(static_cast<float>(z));
        }
    for (int z = 0; z < quads; ++z)
        for (int x = 0; x < quads; ++x) {
            const int a = z * g.side + x, b = a + 1, c = a + g.side, d = c + 1;
            g.triangles.insert(g.triangles.end(), {a, c, b, b, c, d});
        }
    return g;
}

void WriteObj(const Grid& g, const std::string& path)
{
    std::ofstream out(path);
    char line[96];
    for (size_t i = 0; i < g.xyz.size(); i += 3) {
        std::snprintf(line, sizeof line, "v %.4f %.4f %.4f\n", g.xyz[i], g.xyz[i + 1], g.xyz[i + 2]);
        out << line;
    }
    for (size_t i = 0; i < g.triangles.size(); i += 3)
        out << "f " << g.triangles[i] + 1 << ' ' << g.triangles[i + 1] + 1 << ' ' << g.triangles[i + 2] + 1 << '\n';
}

void WriteStl(const Grid& g, const std::string& path)
{
    std::ofstream out(path, std::ios::binary);
    char header[80] = "binary grid";
    out.write(header, 80);
    const auto count = static_cast<uint32_t>(g.Triangles());
    out.write(reinterpret_cast<const char*>(&count), 4);
    for (size_t t = 0; t < g.Triangles(); ++t) {
        float record[12] = {0, 1, 0};
        for (int c = 0; c < 3; ++c)
            std::memcpy(record + 3 + 3 * c, &g.xyz[3 * static_cast<size_t>(g.triangles[3 * t + c])], 12);
        out.write(reinterpret_cast<const char*>(record), 48);
        out.write("\0\0", 2);
    }
}

void WriteCob(const Grid& g, const std::string& path)
{
    std::vector<char> body;
    auto put = [&body](const void* data, size_t size) {
        const size_t at = body.size();
        body.resize(at + size);
        std::memcpy(body.data() + at, data, size);
    };
    auto i32 = [&put](int32_t v) { put(&v, 4); };
    auto u16 = [&put](uint16_t v) { put(&v, 2); };
    u16(0);
    u16(4);
    put("grid", 4);
    const float frame[24] = {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0};
    put(frame, sizeof frame);
    i32(static_cast<int32_t>(g.xyz.size() / 3));
    put(g.xyz.data(), g.xyz.size() * 4);
    // One texture vertex for every corner to name: a peer drops faces whose
    // texture index has nothing to point at.
    i32(1);
    const float uv[2] = {0, 0};
    put(uv, sizeof uv);
    i32(static_cast<int32_t>(g.Triangles()));
    for (size_t t = 0; t < g.Triangles(); ++t) {
        body.push_back(0);
        u16(3);
        u16(0);
        for (int c = 0; c < 3; ++c) {
            i32(g.triangles[3 * t + c]);
            i32(0);
        }
    }
    std::ofstream out(path, std::ios::binary);
    char header[33] = "Caligari V00.01BLH              ";
    out.write(header, 32);
    auto chunk = [&out](const char* type, int32_t id, int32_t parent, const std::vector<char>& data) {
        const uint16_t version[2] = {0, 4};
        const int32_t ids[3] = {id, parent, static_cast<int32_t>(data.size())};
        out.write(type, 4);
        out.write(reinterpret_cast<const char*>(version), 4);
        out.write(reinterpret_cast<const char*>(ids), 12);
        out.write(data.data(), static_cast<std::streamsize>(data.size()));
    };
    chunk("PolH", 1, 0, body);
    // A material for the faces' material number 0: a peer makes no mesh
    // from faces whose material is missing.
    std::vector<char> material(2 + 3, 0);
    const float shading[8] = {0.8f, 0.8f, 0.8f, 1.0f, 0.1f, 0.3f, 0.25f, 1.0f};
    material.insert(material.end(), reinterpret_cast<const char*>(shading),
                    reinterpret_cast<const char*>(shading) + sizeof shading);
    chunk("Mat1", 2, 1, material);
    chunk("END ", 3, 0, {});
}

void WriteDxf(const Grid& g, const std::string& path)
{
    std::ofstream out(path);
    out << "0\nSECTION\n2\nENTITIES\n";
    char text[64];
    for (size_t t = 0; t < g.Triangles(); ++t) {
        out << "0\n3DFACE\n8\n0\n";
        for (int c = 0; c < 4; ++c) {
            const float* p = &g.xyz[3 * static_cast<size_t>(g.triangles[3 * t + std::min(c, 2)])];
            for (int axis = 0; axis < 3; ++axis) {
                std::snprintf(text, sizeof text, "%d\n%.4f\n", 10 * (axis + 1) + c, p[axis]);
                out << text;
            }
        }
    }
    out << "0\nENDSEC\n0\nEOF\n";
}

using bench::Median;
using bench::Seconds;

using Importer = bool (*)(Document&, const std::string&, const ImportOptions&);

bool Ours(Importer import, const std::string& path, double* seconds = nullptr)
{
    // The empty scene is made before the clock starts and dropped after it
    // stops: what is timed is the import.
    auto workspace = std::make_unique<Workspace>();
    Document doc = workspace->doc();
    ImportOptions options;
    options.addMaterials = true;
    const auto start = std::chrono::steady_clock::now();
    const bool read = import(doc, path, options);
    if (seconds)
        *seconds = Seconds(start);
    return read;
}

std::string Cell(double seconds, double ours)
{
    char text[32];
    if (seconds < 0)
        return "fails";
    std::snprintf(text, sizeof text, "%.3f (%.2fx)", seconds, seconds / ours);
    return text;
}

bool AssimpReads(const std::string& path)
{
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(path, aiProcess_Triangulate | aiProcess_GenSmoothNormals);
    return scene && scene->mNumMeshes > 0;
}

bool TinyObjReads(const std::string& path)
{
    tinyobj::ObjReader reader;
    tinyobj::ObjReaderConfig config;
    config.triangulate = true;
    return reader.ParseFromFile(path, config) && !reader.GetShapes().empty();
}

// The peak memory of one DXF import, in a fresh process (this program
// started again with the file as its argument): kilobytes, the whole
// process counted.
long DxfPeakKilobytes(const std::string& path)
{
    const pid_t child = fork();
    if (child == 0) {
        execl("/proc/self/exe", "import_bench", path.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    // This child's own peak: RUSAGE_CHILDREN would give the largest of every
    // child so far, the peers' reads among them.
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child)
        return -1;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? usage.ru_maxrss : -1;
}

} // namespace

// import_bench FILE: one import of FILE with our reader for its extension,
// timed (for a profiler).
int ImportOne(const std::string& path)
{
    const std::string extension = path.substr(path.find_last_of('.') + 1);
    const Importer importer = extension == "obj"   ? ImportObj
                              : extension == "stl" ? ImportStl
                              : extension == "cob" ? ImportCob
                              : extension == "dxf" ? ImportDxf
                                                   : nullptr;
    double seconds = 0;
    if (!importer || !Ours(importer, path, &seconds))
        return 1;
    std::printf("%s: %.3f s\n", path.c_str(), seconds);
    return 0;
}

// import_bench --time READER FILE: one read of FILE by READER (ours, assimp
// or tinyobj) in this fresh process; prints the seconds on standard output.
int TimeOne(const std::string& reader, const std::string& path)
{
    const std::string extension = path.substr(path.find_last_of('.') + 1);
    double seconds = -1.0;
    if (reader == "ours") {
        const Importer importer = extension == "obj"   ? ImportObj
                                  : extension == "stl" ? ImportStl
                                  : extension == "cob" ? ImportCob
                                                       : ImportDxf;
        if (!Ours(importer, path, &seconds))
            seconds = -1.0;
    } else {
        const auto start = std::chrono::steady_clock::now();
        const bool read = reader == "assimp" ? AssimpReads(path) : TinyObjReads(path);
        seconds = read ? Seconds(start) : -1.0;
    }
    std::printf("%.6f\n", seconds);
    return 0;
}

// One read in a fresh process, so that no reader inherits the heap another
// left behind; negative when the reader fails.
double TimeFresh(const char* reader, const std::string& path)
{
    {
        int out[2];
        if (pipe(out) != 0)
            return -1.0;
        const pid_t child = fork();
        if (child == 0) {
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            execl("/proc/self/exe", "import_bench", "--time", reader, path.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        close(out[1]);
        char text[64] = {};
        const ssize_t n = read(out[0], text, sizeof text - 1);
        close(out[0]);
        waitpid(child, nullptr, 0);
        return n > 0 ? std::atof(text) : -1.0;
    }
}

// The median of kRuns reads of path by each reader, taken in turns (ours,
// a peer, ours, ...) so that a noisy moment of the machine falls on all of
// them alike; negative for a reader that fails.
std::vector<double> TimeInTurns(const std::vector<const char*>& readers, const std::string& path)
{
    std::vector<std::vector<double>> seconds(readers.size());
    for (int i = 0; i < kRuns; ++i)
        for (size_t r = 0; r < readers.size(); ++r)
            seconds[r].push_back(TimeFresh(readers[r], path));
    std::vector<double> medians;
    for (const std::vector<double>& samples : seconds)
        medians.push_back(*std::min_element(samples.begin(), samples.end()) < 0 ? -1.0 : Median(samples));
    return medians;
}

int main(int argc, char** argv)
{
    if (argc == 2)
        return ImportOne(argv[1]);
    if (argc == 4 && std::string(argv[1]) == "--time")
        return TimeOne(argv[2], argv[3]);
    TempFolder folder;
    struct Size {
        const char* name;
        int quads;
    };
    const Size sizes[] = {{"400k", 447}, {"1.6M", 894}};
    double ours[4][2] = {};
    std::printf("seconds (peer time / ours in brackets: above 1 means ours is faster)\n");
    std::printf("%-6s %-5s %10s %18s %18s\n", "format", "size", "ours", "assimp", "tinyobjloader");
    for (int s = 0; s < 2; ++s) {
        const Grid grid = MakeGrid(sizes[s].quads);
        const std::string base = folder.File(std::string("grid-") + sizes[s].name);
        WriteObj(grid, base + ".obj");
        WriteStl(grid, base + ".stl");
        WriteCob(grid, base + ".cob");
        WriteDxf(grid, base + ".dxf");
        // The files reach the disk before anything is timed, so that their
        // write-back does not run beside the first readers.
        ::sync();
        struct Row {
            const char* format;
            Importer importer;
            std::string path;
        };
        const Row rows[] = {{"obj", ImportObj, base + ".obj"},
                            {"stl", ImportStl, base + ".stl"},
                            {"cob", ImportCob, base + ".cob"},
                            {"dxf", ImportDxf, base + ".dxf"}};
        for (int r = 0; r < 4; ++r) {
            const Row& row = rows[r];
            const std::vector<double> times =
                TimeInTurns(r == 0 ? std::vector<const char*>{"ours", "assimp", "tinyobj"}
                                   : std::vector<const char*>{"ours", "assimp"},
                            row.path);
            ours[r][s] = times[0];
            if (ours[r][s] < 0) {
                std::fprintf(stderr, "import_bench: our %s reader failed\n", row.format);
                return 1;
            }
            const double assimp = times[1];
            const std::string tiny = r == 0 ? Cell(times[2], ours[r][s]) : "-";
            std::printf("%-6s %-5s %10.3f %18s %18s\n", row.format, sizes[s].name, ours[r][s],
                        Cell(assimp, ours[r][s]).c_str(), tiny.c_str());
            std::fflush(stdout);
        }
        if (s == 1) {
            std::error_code error;
            const auto bytes = std::filesystem::file_size(base + ".dxf", error);
            const long peak = DxfPeakKilobytes(base + ".dxf");
            std::printf("dxf import peak memory (whole process): %.1f MB for a %.1f MB file (%.2f times; goal < 5)\n",
                        peak / 1024.0, static_cast<double>(bytes) / 1e6, peak * 1024.0 / static_cast<double>(bytes));
        }
    }
    const char* formats[] = {"obj", "stl", "cob", "dxf"};
    for (int r = 0; r < 4; ++r)
        std::printf("%s: 1.6M / 400k time = %.2f (goal <= 4.5)\n", formats[r], ours[r][1] / ours[r][0]);
    return 0;
}
