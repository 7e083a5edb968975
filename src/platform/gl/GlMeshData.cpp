#include "platform/gl/GlMeshData.h"

#include "platform/MeshBuilder.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

namespace corvid {

namespace {

uint32_t PackComponent(float v)
{
    v = std::clamp(v, -1.0f, 1.0f);
    const int i = static_cast<int>(std::lround(v * 511.0f));
    return static_cast<uint32_t>(i) & 0x3FFu;
}

float UnpackComponent(uint32_t bits)
{
    int i = static_cast<int>(bits & 0x3FFu);
    if (i >= 512)
        i -= 1024;
    return std::max(static_cast<float>(i) / 511.0f, -1.0f);
}

// One emitted vertex of a mesh vertex: the corners that share every
// attribute share it.
struct Variant {
    uint64_t normalKey;  // see NormalKey
    uint32_t color;
    int shiftU, shiftV;
    int next;       // next variant of the same mesh vertex, -1 at the end
    uint32_t index; // into GlMeshData::vertices
};

class Assembler {
public:
    Assembler(const MeshBuilder& mesh, bool withEdges, GlMeshData& out)
        : mesh_(mesh), withEdges_(withEdges), out_(out),
          head_(static_cast<size_t>(mesh.GetVertexCount()), -1),
          headBatch_(static_cast<size_t>(mesh.GetVertexCount()), 0)
    {
    }

    void Run()
    {
        const int faceCount = mesh_.GetFaceCount();
        // Batch of every face, in order of first appearance.
        std::vector<int> faceBatch(static_cast<size_t>(faceCount), -1);
        std::map<std::pair<const Material*, const Texture*>, int> batchOf;
        std::vector<int> batchFaces;
        int lastBatch = -1;
        const Material* lastMaterial = nullptr;
        const Texture* lastTexture = nullptr;
        for (int f = 0; f < faceCount; ++f) {
            if (mesh_.GetFaceVertexCount(f) < 3)
                continue;
            const FaceAttributes* attrs = mesh_.GetFaceAttributes(f);
            const Material* m = attrs->material.get();
            const Texture* t = attrs->texture.get();
            if (lastBatch < 0 || m != lastMaterial || t != lastTexture) {
                auto [it, inserted] = batchOf.try_emplace({m, t}, static_cast<int>(out_.batches.size()));
                if (inserted) {
                    GlBatch batch;
                    batch.material = attrs->material;
                    batch.texture = attrs->texture;
                    out_.batches.push_back(std::move(batch));
                    batchFaces.push_back(0);
                }
                lastBatch = it->second;
                lastMaterial = m;
                lastTexture = t;
            }
            faceBatch[static_cast<size_t>(f)] = lastBatch;
            ++batchFaces[static_cast<size_t>(lastBatch)];
        }

        // Faces grouped by batch, keeping their order within a batch.
        std::vector<int> start(batchFaces.size() + 1, 0);
        for (size_t b = 0; b < batchFaces.size(); ++b)
            start[b + 1] = start[b] + batchFaces[b];
        std::vector<int> ordered(static_cast<size_t>(start.back()));
        std::vector<int> fill(start.begin(), start.end() - 1);
        for (int f = 0; f < faceCount; ++f) {
            const int b = faceBatch[static_cast<size_t>(f)];
            if (b >= 0)
                ordered[static_cast<size_t>(fill[static_cast<size_t>(b)]++)] = f;
        }

        for (size_t b = 0; b < out_.batches.size(); ++b)
            AssembleBatch(static_cast<uint32_t>(b), ordered.data() + start[b], ordered.data() + start[b + 1]);
    }

private:
    void AssembleBatch(uint32_t b, const int* faceBegin, const int* faceEnd)
    {
        GlBatch& batch = out_.batches[b];
        batch.firstVertex = static_cast<uint32_t>(out_.vertices.size());
        batch.firstEdgeIndex = static_cast<uint32_t>(out_.edges.size());
        variants_.clear();
        opaque_.clear();
        transparent_.clear();
        const uint32_t stamp = b + 1;
        const bool vertexColors = mesh_.GetColorSource() == ColorSource::Vertex;

        for (const int* fp = faceBegin; fp != faceEnd; ++fp) {
            const int f = *fp;
            const auto corners = mesh_.GetFaceCorners(f);
            const FaceAttributes* attrs = mesh_.GetFaceAttributes(f);
            const int n = static_cast<int>(corners.size());
            const Vec2 first = TexCoord(corners[0].vertex);

            bool seeThrough = false;
            bool haveFaceNormal = false;
            Vec3 faceNormal;
            cornerIndex_.resize(static_cast<size_t>(n));
            for (int c = 0; c < n; ++c) {
                const Corner& corner = corners[static_cast<size_t>(c)];
                const uint32_t color = vertexColors ? mesh_.GetVertexColor(corner.vertex) : attrs->color;
                if ((color >> 24) < 255)
                    seeThrough = true;
                Vec3 normal;
                uint64_t normalKey = 0;
                if (corner.normal >= 0 && static_cast<size_t>(corner.normal) < mesh_.GetNormals().size() &&
                    Usable(mesh_.GetNormals()[static_cast<size_t>(corner.normal)])) {
                    normal = Normalize(mesh_.GetNormals()[static_cast<size_t>(corner.normal)]);
                    normalKey = static_cast<uint32_t>(corner.normal);
                } else {
                    if (!haveFaceNormal) {
                        faceNormal = mesh_.GetFaceNormal(f);
                        if (!Usable(faceNormal))
                            faceNormal = {0.0f, 1.0f, 0.0f};
                        haveFaceNormal = true;
                    }
                    // Corners of faces in one plane share their face normal,
                    // and with it their vertex.
                    normal = faceNormal;
                    normalKey = (uint64_t{1} << 32) | PackNormal(faceNormal);
                }
                const Vec2 uv = TexCoord(corner.vertex);
                const int shiftU = attrs->wrapU ? Shift(first.u, uv.u) : 0;
                const int shiftV = attrs->wrapV ? Shift(first.v, uv.v) : 0;
                cornerIndex_[static_cast<size_t>(c)] =
                    VertexFor(corner.vertex, normalKey, normal, color, shiftU, shiftV, stamp);
            }
            if (seeThrough)
                out_.hasTransparency = true;
            std::vector<uint32_t>& tris = seeThrough ? transparent_ : opaque_;
            for (int c = 1; c + 1 < n; ++c) {
                tris.push_back(cornerIndex_[0]);
                tris.push_back(cornerIndex_[static_cast<size_t>(c)]);
                tris.push_back(cornerIndex_[static_cast<size_t>(c) + 1]);
            }
            if (withEdges_) {
                for (int c = 0; c < n; ++c) {
                    out_.edges.push_back(cornerIndex_[static_cast<size_t>(c)]);
                    out_.edges.push_back(cornerIndex_[static_cast<size_t>((c + 1) % n)]);
                }
            }
        }

        batch.vertexCount = static_cast<uint32_t>(out_.vertices.size()) - batch.firstVertex;
        batch.firstOpaqueIndex = static_cast<uint32_t>(out_.indices.size());
        batch.opaqueIndexCount = static_cast<uint32_t>(opaque_.size());
        out_.indices.insert(out_.indices.end(), opaque_.begin(), opaque_.end());
        batch.firstTransparentIndex = static_cast<uint32_t>(out_.indices.size());
        batch.transparentIndexCount = static_cast<uint32_t>(transparent_.size());
        out_.indices.insert(out_.indices.end(), transparent_.begin(), transparent_.end());
        batch.edgeIndexCount = static_cast<uint32_t>(out_.edges.size()) - batch.firstEdgeIndex;
    }

    static bool Usable(const Vec3& n) { return std::isfinite(Dot(n, n)) && Dot(n, n) > 0.0f; }

    // Whole turns that bring t within half a turn of reference.
    static int Shift(float reference, float t)
    {
        const float d = reference - t;
        return std::isfinite(d) ? static_cast<int>(std::lround(d)) : 0;
    }

    Vec2 TexCoord(int v) const
    {
        const auto& list = mesh_.GetTextureCoordinateList();
        return static_cast<size_t>(v) < list.size() ? list[static_cast<size_t>(v)] : Vec2{};
    }

    // normalKey: the normal's index, or 1 << 32 | the packed face normal.
    uint32_t VertexFor(int v, uint64_t normalKey, const Vec3& normal, uint32_t color, int shiftU, int shiftV,
                       uint32_t stamp)
    {
        const size_t vi = static_cast<size_t>(v);
        if (headBatch_[vi] != stamp) {
            headBatch_[vi] = stamp;
            head_[vi] = -1;
        }
        for (int i = head_[vi]; i >= 0; i = variants_[static_cast<size_t>(i)].next) {
            const Variant& var = variants_[static_cast<size_t>(i)];
            if (var.normalKey == normalKey && var.color == color && var.shiftU == shiftU && var.shiftV == shiftV)
                return var.index;
        }

        GlVertex out{};
        const Vec3 p = mesh_.GetVertices()[vi];
        out.position[0] = p.x;
        out.position[1] = p.y;
        out.position[2] = p.z;
        out.normal = PackNormal(normal);
        out.color[0] = static_cast<uint8_t>(color >> 16);
        out.color[1] = static_cast<uint8_t>(color >> 8);
        out.color[2] = static_cast<uint8_t>(color);
        out.color[3] = static_cast<uint8_t>(color >> 24);
        const Vec2 uv = TexCoord(v);
        out.uv[0] = uv.u + static_cast<float>(shiftU);
        out.uv[1] = uv.v + static_cast<float>(shiftV);
        out_.bounds.Add(p);

        const uint32_t index = static_cast<uint32_t>(out_.vertices.size());
        out_.vertices.push_back(out);
        variants_.push_back({normalKey, color, shiftU, shiftV, head_[vi], index});
        head_[vi] = static_cast<int>(variants_.size()) - 1;
        return index;
    }

    const MeshBuilder& mesh_;
    const bool withEdges_;
    GlMeshData& out_;
    std::vector<int> head_;           // first variant of each mesh vertex in this batch
    std::vector<uint32_t> headBatch_; // batch + 1 that head_ belongs to (0: none yet)
    std::vector<Variant> variants_;
    std::vector<uint32_t> cornerIndex_;
    std::vector<uint32_t> opaque_;
    std::vector<uint32_t> transparent_;
};

} // namespace

uint32_t PackNormal(const Vec3& n)
{
    return PackComponent(n.x) | (PackComponent(n.y) << 10) | (PackComponent(n.z) << 20);
}

Vec3 UnpackNormal(uint32_t packed)
{
    return {UnpackComponent(packed), UnpackComponent(packed >> 10), UnpackComponent(packed >> 20)};
}

GlMeshData BuildGlMeshData(const MeshBuilder& mesh, bool withEdges)
{
    GlMeshData data;
    data.vertices.reserve(static_cast<size_t>(mesh.GetVertexCount()));
    Assembler(mesh, withEdges, data).Run();
    return data;
}

} // namespace corvid
