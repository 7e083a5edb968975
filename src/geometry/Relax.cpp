#include "geometry/Relax.h"

#include "platform/MeshBuilder.h"

#include <algorithm>
#include <numeric>
#include <utility>

namespace corvid {

namespace {

struct FaceReference {
    int face = 0;
    int corner = 0;  // the corner's position within the face
};

} // namespace

FaceIndexList FaceIndicesOf(const MeshBuilder& mesh)
{
    FaceIndexList list;
    const int faces = mesh.GetFaceCount();
    list.faceStart.reserve(static_cast<size_t>(faces) + 1);
    for (int f = 0; f < faces; ++f) {
        for (const Corner& corner : mesh.GetFaceCorners(f))
            list.corners.push_back(corner.vertex);
        list.faceStart.push_back(static_cast<int>(list.corners.size()));
    }
    return list;
}

bool RelaxPositions(std::vector<Vec3>& positions, const FaceIndexList& faces, const RelaxParameters& flags)
{
    if (!flags.Any() || positions.empty())
        return false;
    const size_t count = positions.size();
    const std::vector<int> first = SamePositionRepresentatives(positions);
    auto valid = [count](int v) { return v >= 0 && static_cast<size_t>(v) < count; };

    // The face references of each point (kept at its first copy), at most
    // kRelaxMaxFaceReferences, in face order: counted, then filled.
    std::vector<int> start(count + 1, 0);
    const size_t faceCount = faces.faceStart.empty() ? 0 : faces.faceStart.size() - 1;
    auto cornersOf = [&](size_t f) {
        const int begin = faces.faceStart[f], end = faces.faceStart[f + 1];
        return std::pair{begin, end};
    };
    for (size_t f = 0; f < faceCount; ++f) {
        auto [begin, end] = cornersOf(f);
        for (int c = begin; c < end; ++c)
            if (int v = faces.corners[static_cast<size_t>(c)]; valid(v)) {
                int& n = start[static_cast<size_t>(first[static_cast<size_t>(v)]) + 1];
                n = std::min(n + 1, kRelaxMaxFaceReferences);
            }
    }
    std::partial_sum(start.begin(), start.end(), start.begin());
    std::vector<FaceReference> references(static_cast<size_t>(start.back()));
    std::vector<int> filled(count, 0);
    for (size_t f = 0; f < faceCount; ++f) {
        auto [begin, end] = cornersOf(f);
        for (int c = begin; c < end; ++c) {
            const int v = faces.corners[static_cast<size_t>(c)];
            if (!valid(v))
                continue;
            const size_t point = static_cast<size_t>(first[static_cast<size_t>(v)]);
            const int slot = start[point] + filled[point];
            if (slot < start[point + 1]) {
                references[static_cast<size_t>(slot)] = {static_cast<int>(f), c - begin};
                ++filled[point];
            }
        }
    }

    // Every point's position lives at its first copy while relaxing.
    std::vector<Vec3> point(positions);
    for (size_t v = 0; v < count; ++v) {
        if (static_cast<size_t>(first[v]) != v)
            continue;
        Vec3 sum;
        int terms = 0;
        for (int r = start[v]; r < start[v + 1]; ++r) {
            const FaceReference& ref = references[static_cast<size_t>(r)];
            auto [begin, end] = cornersOf(static_cast<size_t>(ref.face));
            for (int c = begin; c < end; ++c) {
                const int other = faces.corners[static_cast<size_t>(c)];
                if (c - begin == ref.corner || !valid(other))
                    continue;
                sum += point[static_cast<size_t>(first[static_cast<size_t>(other)])] - point[v];
                ++terms;
            }
        }
        if (terms == 0)
            continue;
        const Vec3 mean = sum / static_cast<float>(terms);
        Vec3& p = point[v];
        if (flags.x)
            p.x += mean.x;
        if (flags.y)
            p.y += mean.y;
        if (flags.z)
            p.z += mean.z;
    }
    for (size_t v = 0; v < count; ++v)
        positions[v] = point[static_cast<size_t>(first[v])];
    return true;
}

bool Relax(MeshBuilder& mesh, const RelaxParameters& flags)
{
    if (!flags.Any() || mesh.GetVertexCount() == 0)
        return false;
    std::vector<Vec3> positions = mesh.GetVertices();
    RelaxPositions(positions, FaceIndicesOf(mesh), flags);
    for (size_t v = 0; v < positions.size(); ++v)
        mesh.SetVertex(static_cast<int>(v), positions[v]);
    mesh.GenerateNormals(0.0f, 0);
    return true;
}

} // namespace corvid
