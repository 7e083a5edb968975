#include "platform/MeshBuilder.h"

#include "platform/LargeArrays.h"
#include "platform/MeshBvh.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <new>
#include <numeric>
#include <stdexcept>

namespace corvid {

namespace {

constexpr Vec3 kUnusedNormal{0, 1, 0};

// Unit vector along v; zero for a zero or non-finite v. Vectors too small to
// square in float are rescaled first, so tiny faces still get a direction.
// Defined here rather than shared through Math.h: with the shared inline
// definition GCC 12 -O3 made GenerateNormals about 1.5x slower
// (bench/normals_bench, crease 48 -> 71 ms).
Vec3 UnitOrZero(const Vec3& v)
{
    float dd = Dot(v, v);
    if (dd > 1e-30f && dd < 1e30f)
        return v * (1.0f / std::sqrt(dd));
    float m = std::max({std::fabs(v.x), std::fabs(v.y), std::fabs(v.z)});
    if (!(m > 0.0f) || !std::isfinite(m))
        return {};
    Vec3 s = v / m;
    return s * (1.0f / std::sqrt(Dot(s, s)));
}

Vec3 UnitOr(const Vec3& v, const Vec3& fallback)
{
    Vec3 u = UnitOrZero(v);
    return u == Vec3{} ? fallback : u;
}

// Unit normal of a polygon: the sum of its fan triangles' cross products
// (Newell's normal, taken relative to the first corner for precision).
Vec3 PolygonNormal(const std::vector<Vec3>& vertices, const Corner* corners, int n)
{
    if (n < 3)
        return {};
    const Vec3 p0 = vertices[static_cast<size_t>(corners[0].vertex)];
    Vec3 prev = vertices[static_cast<size_t>(corners[1].vertex)] - p0;
    Vec3 sum;
    for (int i = 2; i < n; ++i) {
        Vec3 cur = vertices[static_cast<size_t>(corners[i].vertex)] - p0;
        sum += Cross(prev, cur);
        prev = cur;
    }
    return UnitOrZero(sum);
}

// Normal generation over the CSR face lists. With Precompact, rep maps every
// vertex to the representative of its position and all adjacency goes
// through the representatives.
template <bool Precompact>
class NormalGenerator {
public:
    NormalGenerator(const std::vector<Vec3>& vertices, const std::vector<int>& faceStart,
                    std::vector<Corner>& corners, const std::vector<int>& rep, std::vector<Vec3>& normals)
        : vertices_(vertices), faceStart_(faceStart), corners_(corners), rep_(rep), normals_(normals),
          vertexCount_(static_cast<int>(vertices.size())), faceCount_(static_cast<int>(faceStart.size()) - 1)
    {
    }

    void Smooth()
    {
        AccumulateVertexNormals(nullptr);
        for (Corner& c : corners_)
            c.normal = c.vertex;
    }

    void WithCrease(float crease)
    {
        crease = std::max(crease, 0.0f);
        if (!(crease < kPi)) {  // everything is within the crease (also NaN: no crease given)
            Smooth();
            return;
        }
        std::vector<Vec3> faceNormals;
        ReserveLarge(faceNormals, static_cast<size_t>(faceCount_));
        faceNormals.resize(static_cast<size_t>(faceCount_));
        AccumulateVertexNormals(faceNormals.data());

        // Every corner starts on its vertex's smooth normal. A vertex all of
        // whose faces lie within half the crease of that normal has all of its
        // faces pairwise within the crease, so the smooth normal is already
        // right for each of them; the others are marked for splitting.
        const float cosHalf = std::cos(crease * 0.5f);
        std::vector<uint8_t> split(static_cast<size_t>(vertexCount_), 0);
        bool anySplit = false;
        for (int f = 0; f < faceCount_; ++f) {
            const Vec3 n = faceNormals[static_cast<size_t>(f)];
            const bool hasArea = !(n == Vec3{});
            for (int c = faceStart_[static_cast<size_t>(f)]; c < faceStart_[static_cast<size_t>(f) + 1]; ++c) {
                Corner& corner = corners_[static_cast<size_t>(c)];
                corner.normal = corner.vertex;
                if (hasArea) {
                    int r = RepOf(corner.vertex);
                    if (Dot(n, normals_[static_cast<size_t>(r)]) < cosHalf) {
                        split[static_cast<size_t>(r)] = 1;
                        anySplit = true;
                    }
                }
            }
        }
        if (anySplit)
            SplitVertices(faceNormals, split, std::cos(crease) - 1e-6f);
    }

private:
    int RepOf(int v) const
    {
        if constexpr (Precompact)
            return rep_[static_cast<size_t>(v)];
        else
            return v;
    }

    // normals_ = one unit normal per vertex: the sum of the unit normals of
    // the faces around it (each face once). Stores the face normals when asked.
    void AccumulateVertexNormals(Vec3* faceNormals)
    {
        ReserveLarge(normals_, static_cast<size_t>(vertexCount_));
        normals_.assign(static_cast<size_t>(vertexCount_), Vec3{});
        std::vector<int> stamp;  // for long polygons only: last face that added to a vertex
        for (int f = 0; f < faceCount_; ++f) {
            const int begin = faceStart_[static_cast<size_t>(f)];
            const int n = faceStart_[static_cast<size_t>(f) + 1] - begin;
            const Corner* corners = corners_.data() + begin;
            const Vec3 normal = PolygonNormal(vertices_, corners, n);
            if (faceNormals)
                faceNormals[f] = normal;
            if (normal == Vec3{})
                continue;
            if (n <= 8) {
                for (int i = 0; i < n; ++i) {
                    const int r = RepOf(corners[i].vertex);
                    bool seen = false;
                    for (int j = 0; j < i; ++j)
                        seen |= RepOf(corners[j].vertex) == r;
                    if (!seen)
                        normals_[static_cast<size_t>(r)] += normal;
                }
            } else {
                if (stamp.empty())
                    stamp.assign(static_cast<size_t>(vertexCount_), -1);
                for (int i = 0; i < n; ++i) {
                    const int r = RepOf(corners[i].vertex);
                    if (stamp[static_cast<size_t>(r)] != f) {
                        stamp[static_cast<size_t>(r)] = f;
                        normals_[static_cast<size_t>(r)] += normal;
                    }
                }
            }
        }
        for (int v = 0; v < vertexCount_; ++v)
            if (RepOf(v) == v)
                normals_[static_cast<size_t>(v)] = UnitOr(normals_[static_cast<size_t>(v)], kUnusedNormal);
        if constexpr (Precompact)
            for (int v = 0; v < vertexCount_; ++v)
                if (RepOf(v) != v)
                    normals_[static_cast<size_t>(v)] = normals_[static_cast<size_t>(RepOf(v))];
    }

    // Gives every corner of the marked vertices the normalised sum of the
    // normals of the faces around the vertex that lie within the crease of
    // its own face. Equal results at one vertex share an entry; a vertex's
    // first normal reuses its own slot, further ones are appended.
    void SplitVertices(const std::vector<Vec3>& faceNormals, const std::vector<uint8_t>& split, float cosCrease)
    {
        // Vertex -> (face, corner) lists of the marked vertices, built by counting.
        struct Use {
            int face, corner;
        };
        std::vector<int> start(static_cast<size_t>(vertexCount_) + 2, 0);
        for (const Corner& c : corners_) {
            int r = RepOf(c.vertex);
            if (split[static_cast<size_t>(r)])
                ++start[static_cast<size_t>(r) + 2];
        }
        for (size_t i = 2; i < start.size(); ++i)
            start[i] += start[i - 1];
        std::vector<Use> uses(static_cast<size_t>(start.back()));
        for (int f = 0; f < faceCount_; ++f) {
            for (int c = faceStart_[static_cast<size_t>(f)]; c < faceStart_[static_cast<size_t>(f) + 1]; ++c) {
                int r = RepOf(corners_[static_cast<size_t>(c)].vertex);
                if (split[static_cast<size_t>(r)])
                    uses[static_cast<size_t>(start[static_cast<size_t>(r) + 1]++)] = {f, c};
            }
        }
        // Now start[r] .. start[r + 1] are r's uses, in face order, so the
        // uses of one face at a vertex are adjacent.

        struct Emitted {
            int vertex, normal;
        };
        std::vector<Emitted> emitted;
        for (int r = 0; r < vertexCount_; ++r) {
            if (!split[static_cast<size_t>(r)])
                continue;
            const int b = start[static_cast<size_t>(r)], e = start[static_cast<size_t>(r) + 1];
            emitted.clear();
            for (int i = b; i < e; ++i) {
                const Use use = uses[static_cast<size_t>(i)];
                const Vec3 own = faceNormals[static_cast<size_t>(use.face)];
                Vec3 sum;
                int previous = -1;
                for (int j = b; j < e; ++j) {
                    const int g = uses[static_cast<size_t>(j)].face;
                    if (g == previous)
                        continue;
                    previous = g;
                    const Vec3 other = faceNormals[static_cast<size_t>(g)];
                    // A face without area takes every neighbour, i.e. the smooth normal.
                    if (g == use.face || own == Vec3{} || Dot(own, other) >= cosCrease)
                        sum += other;
                }
                Vec3 result = UnitOrZero(sum);
                if (result == Vec3{})
                    result = own == Vec3{} ? kUnusedNormal : own;

                Corner& corner = corners_[static_cast<size_t>(use.corner)];
                const int v = corner.vertex;
                int index = -1;
                bool vertexHasSlot = false;
                for (const Emitted& em : emitted) {
                    if (em.vertex != v)
                        continue;
                    vertexHasSlot = true;
                    if (NearlyEqual(normals_[static_cast<size_t>(em.normal)], result, 1e-6f)) {
                        index = em.normal;
                        break;
                    }
                }
                if (index < 0) {
                    if (!vertexHasSlot) {
                        index = v;
                        normals_[static_cast<size_t>(v)] = result;
                    } else {
                        index = static_cast<int>(normals_.size());
                        normals_.push_back(result);
                    }
                    emitted.push_back({v, index});
                }
                corner.normal = index;
            }
        }
    }

    const std::vector<Vec3>& vertices_;
    const std::vector<int>& faceStart_;
    std::vector<Corner>& corners_;
    const std::vector<int>& rep_;
    std::vector<Vec3>& normals_;
    const int vertexCount_;
    const int faceCount_;
};

} // namespace

std::vector<int> SamePositionRepresentatives(const std::vector<Vec3>& vertices)
{
    const int count = static_cast<int>(vertices.size());
    std::vector<int> rep(vertices.size());
    std::iota(rep.begin(), rep.end(), 0);
    std::vector<int> sorted;
    sorted.reserve(vertices.size());
    for (int v = 0; v < count; ++v) {
        const Vec3& p = vertices[static_cast<size_t>(v)];
        if (!std::isnan(p.x) && !std::isnan(p.y) && !std::isnan(p.z))
            sorted.push_back(v);
    }
    auto less = [&](int a, int b) {
        const Vec3& p = vertices[static_cast<size_t>(a)];
        const Vec3& q = vertices[static_cast<size_t>(b)];
        if (p.x != q.x)
            return p.x < q.x;
        if (p.y != q.y)
            return p.y < q.y;
        if (p.z != q.z)
            return p.z < q.z;
        return a < b;
    };
    std::sort(sorted.begin(), sorted.end(), less);
    for (size_t i = 1; i < sorted.size(); ++i) {
        int prev = sorted[i - 1], cur = sorted[i];
        if (vertices[static_cast<size_t>(prev)] == vertices[static_cast<size_t>(cur)])
            rep[static_cast<size_t>(cur)] = rep[static_cast<size_t>(prev)];
    }
    return rep;
}

MeshBuilderPtr MeshBuilder::Create()
{
    return std::make_shared<MeshBuilder>();
}

MeshBuilder::MeshBuilder() = default;
MeshBuilder::~MeshBuilder() = default;

void MeshBuilder::touch()
{
    ++revision_;
    bvh_.reset();
}

void MeshBuilder::touchAttributes()
{
    ++revision_;
}

MeshBuilderPtr MeshBuilder::Clone() const
{
    MeshBuilderPtr copy = Create();
    copy->vertices_ = vertices_;
    copy->normals_ = normals_;
    copy->texcoords_ = texcoords_;
    copy->vertexColors_ = vertexColors_;
    copy->faceStart_ = faceStart_;
    copy->corners_ = corners_;
    copy->faces_ = faces_;
    copy->sharedFace_ = sharedFace_;
    copy->color_ = color_;
    copy->material_ = material_;
    copy->texture_ = texture_;
    copy->wrapU_ = wrapU_;
    copy->wrapV_ = wrapV_;
    copy->colorSource_ = colorSource_;
    copy->quality_ = quality_;
    copy->perspective_ = perspective_;
    copy->revision_ = revision_;
    return copy;
}

namespace {
template <class T>
size_t ArrayBytes(const std::vector<T>& list)
{
    return list.capacity() * sizeof(T);
}
} // namespace

size_t MeshContents::Bytes() const
{
    return ArrayBytes(vertices) + ArrayBytes(normals) + ArrayBytes(texcoords) + ArrayBytes(vertexColors) +
           ArrayBytes(faceStart) + ArrayBytes(corners) + ArrayBytes(faces);
}

void MeshContents::KeepDifferences(MeshContents& a, MeshContents& b)
{
    auto drop = [&](unsigned part, bool same, auto clear) {
        if (!(a.parts & b.parts & part) || !same)
            return;
        a.parts &= ~part;
        b.parts &= ~part;
        clear(a);
        clear(b);
    };
    drop(kMeshVertices, a.vertices == b.vertices, [](MeshContents& c) { std::vector<Vec3>().swap(c.vertices); });
    drop(kMeshNormals, a.normals == b.normals, [](MeshContents& c) { std::vector<Vec3>().swap(c.normals); });
    drop(kMeshTextureCoordinates, a.texcoords == b.texcoords,
         [](MeshContents& c) { std::vector<Vec2>().swap(c.texcoords); });
    drop(kMeshVertexColors, a.vertexColors == b.vertexColors,
         [](MeshContents& c) { std::vector<uint32_t>().swap(c.vertexColors); });
    drop(kMeshFaces, a.faceStart == b.faceStart && a.corners == b.corners && a.faces == b.faces,
         [](MeshContents& c) {
             std::vector<int>().swap(c.faceStart);
             std::vector<Corner>().swap(c.corners);
             std::vector<FaceAttributes>().swap(c.faces);
         });
    const bool sameSettings = a.color == b.color && a.material == b.material && a.texture == b.texture &&
                              a.wrapU == b.wrapU && a.wrapV == b.wrapV && a.colorSource == b.colorSource &&
                              a.quality == b.quality && a.perspective == b.perspective;
    drop(kMeshSettings, sameSettings, [](MeshContents& c) {
        c.material.reset();
        c.texture.reset();
    });
}

MeshContents MeshBuilder::GetContents(unsigned parts) const
{
    MeshContents c;
    c.parts = parts & kMeshAllParts;
    if (parts & kMeshVertices)
        c.vertices = vertices_;
    if (parts & kMeshNormals)
        c.normals = normals_;
    if (parts & kMeshTextureCoordinates)
        c.texcoords = texcoords_;
    if (parts & kMeshVertexColors)
        c.vertexColors = vertexColors_;
    if (parts & kMeshFaces) {
        c.faceStart = faceStart_;
        c.corners = corners_;
        if (faces_.empty())
            c.faces.assign(static_cast<size_t>(GetFaceCount()), sharedFace_);
        else
            c.faces = faces_;
    }
    if (parts & kMeshSettings) {
        c.color = color_;
        c.material = material_;
        c.texture = texture_;
        c.wrapU = wrapU_;
        c.wrapV = wrapV_;
        c.colorSource = colorSource_;
        c.quality = quality_;
        c.perspective = perspective_;
    }
    return c;
}

void MeshBuilder::SetContents(const MeshContents& c)
{
    if (c.parts & kMeshVertices)
        vertices_ = c.vertices;
    if (c.parts & kMeshNormals)
        normals_ = c.normals;
    if (c.parts & kMeshTextureCoordinates)
        texcoords_ = c.texcoords;
    if (c.parts & kMeshVertexColors)
        vertexColors_ = c.vertexColors;
    if (c.parts & kMeshFaces) {
        faceStart_ = c.faceStart;
        corners_ = c.corners;
        faces_ = c.faces;
        shareFacesIfAlike();
    }
    if (c.parts & kMeshSettings) {
        color_ = c.color;
        material_ = c.material;
        texture_ = c.texture;
        wrapU_ = c.wrapU;
        wrapV_ = c.wrapV;
        colorSource_ = c.colorSource;
        quality_ = c.quality;
        perspective_ = c.perspective;
    }
    // Per-vertex arrays follow the vertex count, whatever part was given.
    if (!texcoords_.empty())
        texcoords_.resize(vertices_.size());
    if (!vertexColors_.empty())
        vertexColors_.resize(vertices_.size(), color_);
    if (faceStart_.empty())
        faceStart_.push_back(0);
    touch();
}

size_t MeshBuilder::MemoryBytes() const
{
    return ArrayBytes(vertices_) + ArrayBytes(normals_) + ArrayBytes(texcoords_) + ArrayBytes(vertexColors_) +
           ArrayBytes(faceStart_) + ArrayBytes(corners_) + ArrayBytes(faces_);
}

void MeshBuilder::ReserveSpace(int vertexCount, int normalCount, int faceCount)
{
    // Only a hint: a request the allocator refuses is ignored. The arrays
    // kept only once something differs per vertex or per face get no room.
    auto grow = [](auto& list, int extra, size_t perItem) {
        if (extra <= 0)
            return;
        try {
            ReserveLarge(list, list.size() + static_cast<size_t>(extra) * perItem);
        } catch (const std::bad_alloc&) {
        } catch (const std::length_error&) {
        }
    };
    grow(vertices_, vertexCount, 1);
    grow(normals_, normalCount, 1);
    grow(faceStart_, faceCount, 1);
    grow(corners_, faceCount, 3);
}

void MeshBuilder::Empty()
{
    vertices_.clear();
    normals_.clear();
    texcoords_.clear();
    vertexColors_.clear();
    faceStart_.assign(1, 0);
    corners_.clear();
    faces_.clear();
    sharedFace_ = {};
    touch();
}

// --- vertices and normals ------------------------------------------------------

int MeshBuilder::AddVertex(const Vec3& p)
{
    ReserveForMore(vertices_, 1);
    vertices_.push_back(p);
    if (!texcoords_.empty())
        texcoords_.push_back({});
    if (!vertexColors_.empty())
        vertexColors_.push_back(color_);
    touch();
    return GetVertexCount() - 1;
}

int MeshBuilder::AddNormal(const Vec3& n)
{
    ReserveForMore(normals_, 1);
    normals_.push_back(n);
    touch();
    return GetNormalCount() - 1;
}

bool MeshBuilder::GetVertex(int index, Vec3& out) const
{
    if (!validVertex(index))
        return false;
    out = vertices_[static_cast<size_t>(index)];
    return true;
}

bool MeshBuilder::SetVertex(int index, const Vec3& p)
{
    if (!validVertex(index))
        return false;
    vertices_[static_cast<size_t>(index)] = p;
    touch();
    return true;
}

bool MeshBuilder::GetNormal(int index, Vec3& out) const
{
    if (index < 0 || index >= GetNormalCount())
        return false;
    out = normals_[static_cast<size_t>(index)];
    return true;
}

bool MeshBuilder::SetNormal(int index, const Vec3& n)
{
    if (index < 0 || index >= GetNormalCount())
        return false;
    normals_[static_cast<size_t>(index)] = n;
    touch();
    return true;
}

bool MeshBuilder::SetTextureCoordinates(int vertex, float u, float v)
{
    if (!validVertex(vertex))
        return false;
    if (texcoords_.empty()) {
        if (u == 0.0f && v == 0.0f) {
            touch();
            return true;
        }
        texcoords_.resize(vertices_.size());
    }
    texcoords_[static_cast<size_t>(vertex)] = {u, v};
    touch();
    return true;
}

bool MeshBuilder::SetTextureCoordinateList(std::vector<Vec2> coordinates)
{
    if (coordinates.size() != vertices_.size())
        return false;
    texcoords_ = std::move(coordinates);
    touch();
    return true;
}

bool MeshBuilder::GetTextureCoordinates(int vertex, float& u, float& v) const
{
    if (!validVertex(vertex))
        return false;
    const Vec2 uv = texcoords_.empty() ? Vec2{} : texcoords_[static_cast<size_t>(vertex)];
    u = uv.u;
    v = uv.v;
    return true;
}

bool MeshBuilder::SwapVertices(std::vector<Vec3>& positions)
{
    if (positions.size() != vertices_.size())
        return false;
    vertices_.swap(positions);
    touch();
    return true;
}

bool MeshBuilder::SetVertexColor(int vertex, uint32_t argb)
{
    if (!validVertex(vertex))
        return false;
    if (vertexColors_.empty()) {
        if (argb == color_) {
            touch();
            return true;
        }
        vertexColors_.assign(vertices_.size(), color_);
    }
    vertexColors_[static_cast<size_t>(vertex)] = argb;
    touch();
    return true;
}

uint32_t MeshBuilder::GetVertexColor(int vertex) const
{
    if (!validVertex(vertex))
        return 0;
    return vertexColors_.empty() ? color_ : vertexColors_[static_cast<size_t>(vertex)];
}

// --- faces -----------------------------------------------------------------------

void MeshBuilder::appendFaceAttributes(size_t count, const FaceAttributes& attributes)
{
    if (faces_.empty()) {
        if (GetFaceCount() == 0) {
            sharedFace_ = attributes;
            return;
        }
        if (attributes == sharedFace_)
            return;
        faces_.assign(static_cast<size_t>(GetFaceCount()), sharedFace_);
    }
    faces_.resize(faces_.size() + count, attributes);
}

template <class Change>
bool MeshBuilder::changeFace(int face, Change&& change)
{
    if (!validFace(face))
        return false;
    if (faces_.empty()) {
        FaceAttributes changed = sharedFace_;
        change(changed);
        if (changed == sharedFace_) {
            touchAttributes();
            return true;
        }
        faces_.assign(static_cast<size_t>(GetFaceCount()), sharedFace_);
    }
    change(faces_[static_cast<size_t>(face)]);
    touchAttributes();
    return true;
}

template <class Change>
void MeshBuilder::changeEveryFace(Change&& change)
{
    change(sharedFace_);
    for (FaceAttributes& face : faces_)
        change(face);
    shareFacesIfAlike();
    touchAttributes();
}

void MeshBuilder::shareFacesIfAlike()
{
    if (faces_.empty())
        return;
    for (const FaceAttributes& face : faces_)
        if (!(face == faces_.front()))
            return;
    sharedFace_ = faces_.front();
    std::vector<FaceAttributes>().swap(faces_);
}

int MeshBuilder::CreateFace()
{
    // The attributes go first: they look at the face count before this face.
    appendFaceAttributes(1, {color_, material_, texture_, wrapU_, wrapV_});
    ReserveForMore(faceStart_, 1);
    faceStart_.push_back(static_cast<int>(corners_.size()));
    touch();
    return GetFaceCount() - 1;
}

bool MeshBuilder::AddVertexAndNormalIndexed(int face, int vertex, int normal)
{
    if (!validFace(face) || !validVertex(vertex) || normal < -1 || normal >= GetNormalCount())
        return false;
    const Corner corner{vertex, normal};
    if (face == GetFaceCount() - 1) {
        ReserveForMore(corners_, 1);
        corners_.push_back(corner);
    } else {
        // An earlier face: open a gap at its end and shift every later face.
        corners_.insert(corners_.begin() + faceStart_[static_cast<size_t>(face) + 1], corner);
        for (size_t f = static_cast<size_t>(face) + 1; f + 1 < faceStart_.size(); ++f)
            ++faceStart_[f];
    }
    faceStart_.back() = static_cast<int>(corners_.size());
    touch();
    return true;
}

std::span<Vec3> MeshBuilder::AppendTriangles(size_t count, const FaceAttributes& attributes)
{
    constexpr size_t kLimit = static_cast<size_t>(std::numeric_limits<int>::max());
    const size_t firstVertex = vertices_.size();
    if (count == 0 || count > kLimit / 3 || firstVertex > kLimit - 3 * count || corners_.size() > kLimit - 3 * count)
        return {};
    const size_t firstCorner = corners_.size();
    ReserveForMore(vertices_, 3 * count);
    ReserveForMore(corners_, 3 * count);
    ReserveForMore(faceStart_, count);
    vertices_.resize(firstVertex + 3 * count);
    if (!texcoords_.empty())
        texcoords_.resize(firstVertex + 3 * count);
    if (!vertexColors_.empty())
        vertexColors_.resize(firstVertex + 3 * count, color_);
    appendFaceAttributes(count, attributes);
    for (size_t c = 0; c < 3 * count; ++c)
        corners_.push_back({static_cast<int>(firstVertex + c), -1});
    for (size_t t = 1; t <= count; ++t)
        faceStart_.push_back(static_cast<int>(firstCorner + 3 * t));
    touch();
    return {vertices_.data() + firstVertex, 3 * count};
}

int MeshBuilder::AddFace(std::span<const int> vertices, std::span<const int> normals)
{
    if (vertices.size() < 3 || (!normals.empty() && normals.size() != vertices.size()))
        return -1;
    for (int v : vertices)
        if (!validVertex(v))
            return -1;
    for (int n : normals)
        if (n < -1 || n >= GetNormalCount())
            return -1;
    const int face = CreateFace();
    ReserveForMore(corners_, vertices.size());
    for (size_t i = 0; i < vertices.size(); ++i)
        corners_.push_back({vertices[i], normals.empty() ? -1 : normals[i]});
    faceStart_.back() = static_cast<int>(corners_.size());
    return face;
}

int MeshBuilder::GetFaceVertexCount(int face) const
{
    if (!validFace(face))
        return 0;
    return faceStart_[static_cast<size_t>(face) + 1] - faceStart_[static_cast<size_t>(face)];
}

std::span<const Corner> MeshBuilder::GetFaceCorners(int face) const
{
    if (!validFace(face))
        return {};
    return {corners_.data() + faceStart_[static_cast<size_t>(face)], static_cast<size_t>(GetFaceVertexCount(face))};
}

int MeshBuilder::GetFaceVertexIndex(int face, int corner) const
{
    if (corner < 0 || corner >= GetFaceVertexCount(face))
        return -1;
    return corners_[static_cast<size_t>(faceStart_[static_cast<size_t>(face)] + corner)].vertex;
}

int MeshBuilder::GetFaceNormalIndex(int face, int corner) const
{
    if (corner < 0 || corner >= GetFaceVertexCount(face))
        return -1;
    return corners_[static_cast<size_t>(faceStart_[static_cast<size_t>(face)] + corner)].normal;
}

Vec3 MeshBuilder::GetFaceNormal(int face) const
{
    if (!validFace(face))
        return {};
    return PolygonNormal(vertices_, corners_.data() + faceStart_[static_cast<size_t>(face)], GetFaceVertexCount(face));
}

const FaceAttributes* MeshBuilder::GetFaceAttributes(int face) const
{
    if (!validFace(face))
        return nullptr;
    return faces_.empty() ? &sharedFace_ : &faces_[static_cast<size_t>(face)];
}

bool MeshBuilder::SetFaceColor(int face, uint32_t argb)
{
    return changeFace(face, [argb](FaceAttributes& a) { a.color = argb; });
}

bool MeshBuilder::SetFaceAttributes(int face, const FaceAttributes& attributes)
{
    return changeFace(face, [&attributes](FaceAttributes& a) { a = attributes; });
}

bool MeshBuilder::SetFaceColorRGB(int face, float r, float g, float b)
{
    return SetFaceColor(face, MakeARGB(r, g, b));
}

bool MeshBuilder::SetFaceMaterial(int face, const MaterialPtr& material)
{
    return changeFace(face, [&material](FaceAttributes& a) { a.material = material; });
}

bool MeshBuilder::SetFaceTexture(int face, const TexturePtr& texture)
{
    return changeFace(face, [&texture](FaceAttributes& a) { a.texture = texture; });
}

bool MeshBuilder::SetFaceTextureTopology(int face, bool wrapU, bool wrapV)
{
    return changeFace(face, [wrapU, wrapV](FaceAttributes& a) {
        a.wrapU = wrapU;
        a.wrapV = wrapV;
    });
}

// --- whole mesh --------------------------------------------------------------------

void MeshBuilder::SetColor(uint32_t argb)
{
    color_ = argb;
    // Every vertex takes the colour: none needs a colour of its own.
    std::vector<uint32_t>().swap(vertexColors_);
    changeEveryFace([argb](FaceAttributes& face) { face.color = argb; });
}

void MeshBuilder::SetColorRGB(float r, float g, float b)
{
    SetColor(MakeARGB(r, g, b));
}

void MeshBuilder::SetMaterial(const MaterialPtr& material)
{
    material_ = material;
    changeEveryFace([&material](FaceAttributes& face) { face.material = material; });
}

void MeshBuilder::SetTexture(const TexturePtr& texture)
{
    texture_ = texture;
    changeEveryFace([&texture](FaceAttributes& face) { face.texture = texture; });
}

void MeshBuilder::SetTextureTopology(bool wrapU, bool wrapV)
{
    wrapU_ = wrapU;
    wrapV_ = wrapV;
    changeEveryFace([wrapU, wrapV](FaceAttributes& face) {
        face.wrapU = wrapU;
        face.wrapV = wrapV;
    });
}

// --- geometry operations -------------------------------------------------------------

namespace {

// Every corner is a vertex of its own, in order, as readers of facet lists
// build their meshes: then every vertex has exactly one face.
bool IsPolygonSoup(const std::vector<Vec3>& vertices, const std::vector<Corner>& corners)
{
    if (corners.size() != vertices.size())
        return false;
    for (size_t c = 0; c < corners.size(); ++c)
        if (corners[c].vertex != static_cast<int>(c))
            return false;
    return true;
}

} // namespace

void MeshBuilder::GenerateNormals(float crease, unsigned flags)
{
    if (!(flags & kGenerateNormalsPrecompact) && IsPolygonSoup(vertices_, corners_)) {
        // Each vertex takes its one face's normal, with or without a crease
        // (the same numbers the general pass below gives, a face at a time).
        ReserveLarge(normals_, vertices_.size());
        normals_.resize(vertices_.size());
        for (int f = 0; f < GetFaceCount(); ++f) {
            const int begin = faceStart_[static_cast<size_t>(f)];
            const int n = faceStart_[static_cast<size_t>(f) + 1] - begin;
            const Vec3 normal = UnitOr(PolygonNormal(vertices_, corners_.data() + begin, n), kUnusedNormal);
            for (int c = begin; c < begin + n; ++c) {
                normals_[static_cast<size_t>(c)] = normal;
                corners_[static_cast<size_t>(c)].normal = c;
            }
        }
        touch();
        return;
    }
    const bool useCrease = (flags & kGenerateNormalsUseCreaseAngle) != 0;
    auto run = [&](auto& generator) {
        if (useCrease)
            generator.WithCrease(crease);
        else
            generator.Smooth();
    };
    if (flags & kGenerateNormalsPrecompact) {
        const std::vector<int> rep = SamePositionRepresentatives(vertices_);
        NormalGenerator<true> generator(vertices_, faceStart_, corners_, rep, normals_);
        run(generator);
    } else {
        const std::vector<int> none;
        NormalGenerator<false> generator(vertices_, faceStart_, corners_, none, normals_);
        run(generator);
    }
    touch();
}

void MeshBuilder::Scale(float sx, float sy, float sz)
{
    for (Vec3& v : vertices_) {
        v.x *= sx;
        v.y *= sy;
        v.z *= sz;
    }
    touch();
}

void MeshBuilder::Translate(float tx, float ty, float tz)
{
    const Vec3 t{tx, ty, tz};
    for (Vec3& v : vertices_)
        v += t;
    touch();
}

Box MeshBuilder::GetBox() const
{
    // Box::Add one point at a time, without its emptiness test per point:
    // a box holding a point is never empty.
    Box box;
    if (vertices_.empty())
        return box;
    Vec3 lo = vertices_.front(), hi = lo;
    for (const Vec3& v : vertices_) {
        lo = Min(lo, v);
        hi = Max(hi, v);
    }
    box.min = lo;
    box.max = hi;
    return box;
}

std::vector<MeshRayHit> MeshBuilder::IntersectRay(const Vec3& origin, const Vec3& direction) const
{
    std::vector<MeshRayHit> hits;
    if (!(Dot(direction, direction) > 0.0f))
        return hits;
    if (!bvh_) {
        bvh_ = std::make_unique<MeshBvh>();
        bvh_->Build(*this);
    }
    bvh_->Intersect(vertices_, origin, direction, hits);
    FinishRayHits(hits);
    return hits;
}

} // namespace corvid
