#pragma once
// A mesh builder: vertices, normals, texture coordinates and polygon faces,
// with per-face colour, material, texture and texture topology, and the
// whole-mesh render settings. Faces are polygons of three or more corners;
// each corner names a vertex and (optionally) a normal by index.
//
// Every call that takes an index checks it: a bad index makes a setter return
// false and change nothing, and a getter return an empty or -1 result.

#include "platform/AppData.h"
#include "platform/Fwd.h"
#include "platform/Math.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace corvid {

// Render quality bits: shade mode, lighting and fill, combined with |.
enum RenderQuality : unsigned {
    kShadeFlat = 0x0,
    kShadeGouraud = 0x1,
    kShadePhong = 0x2,
    kShadeMask = 0x7,
    kLightOff = 0x0,
    kLightOn = 0x8,
    kLightMask = 0x38,
    kFillPoints = 0x0,
    kFillWireframe = 0x40,
    kFillSolid = 0x80,
    kFillMask = 0x1C0,
};
// Gouraud shading, lights on, solid fill: what every created object gets.
constexpr unsigned kQualityGouraudLitSolid = kShadeGouraud | kLightOn | kFillSolid;  // 137

enum class ColorSource { Face = 0, Vertex = 1 };

// GenerateNormals flags.
enum GenerateNormalsFlag : unsigned {
    // Vertices at the same position share normals, so seams between
    // separately indexed copies of a point are smoothed like shared vertices.
    kGenerateNormalsPrecompact = 0x1,
    // Split normals where adjacent faces meet at more than the crease angle;
    // without it every vertex gets one smooth normal.
    kGenerateNormalsUseCreaseAngle = 0x2,
};

// For each vertex the lowest index of a vertex at exactly the same position
// (the seams of a mesh repeat a point once per face around it). Vertices
// with a NaN coordinate stay on their own.
std::vector<int> SamePositionRepresentatives(const std::vector<Vec3>& vertices);

struct Corner {
    int vertex = -1;
    int normal = -1;  // -1: no normal given
    bool operator==(const Corner&) const = default;
};

// Attributes of one face. Material and texture are shared handles.
struct FaceAttributes {
    uint32_t color = 0xFFFFFFFF;  // ARGB
    MaterialPtr material;
    TexturePtr texture;
    bool wrapU = false;  // texture topology: the texture wraps in u / v
    bool wrapV = false;
    bool operator==(const FaceAttributes&) const = default;
};

// The parts of a mesh's contents, for taking and restoring some of them.
enum MeshPart : unsigned {
    kMeshVertices = 0x1,       // positions
    kMeshNormals = 0x2,
    kMeshTextureCoordinates = 0x4,
    kMeshVertexColors = 0x8,
    kMeshFaces = 0x10,         // corners and per-face attributes
    kMeshSettings = 0x20,      // colour, material, texture, topology, colour source, quality, perspective
    kMeshAllParts = 0x3F,
};

// Everything a mesh holds, or the parts of it named in parts; the arrays of
// the other parts are empty. An empty texcoords (vertexColors) of a part
// that was taken means every vertex has (0, 0) (the mesh's colour), as a
// mesh keeps them until one is set.
struct MeshContents {
    unsigned parts = 0;
    std::vector<Vec3> vertices;
    std::vector<Vec3> normals;
    std::vector<Vec2> texcoords;
    std::vector<uint32_t> vertexColors;
    std::vector<int> faceStart;
    std::vector<Corner> corners;
    std::vector<FaceAttributes> faces;
    uint32_t color = 0xFFFFFFFF;
    MaterialPtr material;
    TexturePtr texture;
    bool wrapU = false, wrapV = false;
    ColorSource colorSource = ColorSource::Face;
    unsigned quality = 0;
    bool perspective = true;

    // The bytes the arrays take.
    size_t Bytes() const;
    // Drops from both the parts that are the same in a and b, so that only
    // what differs is kept.
    static void KeepDifferences(MeshContents& a, MeshContents& b);
};

// One intersection of a ray with a mesh, in the mesh's own space.
struct MeshRayHit {
    int face = -1;
    float distance = 0.0f;  // along the ray, in units of the ray's direction
    Vec3 position;
};

class MeshBvh;

class MeshBuilder : public HasAppData {
public:
    static MeshBuilderPtr Create();
    MeshBuilder();
    ~MeshBuilder();

    // A deep copy of geometry, faces and settings (shared materials and
    // textures stay shared). The record is not copied.
    MeshBuilderPtr Clone() const;

    // The parts of the contents named in parts, copied out.
    MeshContents GetContents(unsigned parts = kMeshAllParts) const;
    // Puts back the parts contents holds (as GetContents took them); the
    // other parts stay. Counts as a change of every part.
    void SetContents(const MeshContents& contents);
    // The bytes the mesh's arrays take.
    size_t MemoryBytes() const;

    // Reserves room for the given numbers of additional elements; counts
    // below 0 are ignored.
    void ReserveSpace(int vertexCount, int normalCount, int faceCount);
    // Removes all geometry; settings stay.
    void Empty();

    // --- vertices and normals ---------------------------------------------
    int AddVertex(const Vec3& p);  // returns the new index
    int AddNormal(const Vec3& n);
    int GetVertexCount() const { return static_cast<int>(vertices_.size()); }
    int GetNormalCount() const { return static_cast<int>(normals_.size()); }
    const std::vector<Vec3>& GetVertices() const { return vertices_; }
    const std::vector<Vec3>& GetNormals() const { return normals_; }
    bool GetVertex(int index, Vec3& out) const;
    bool SetVertex(int index, const Vec3& p);
    // Replaces every vertex position by those in positions and hands the old
    // ones back in it, without copying. False (nothing changes) when the
    // counts differ.
    bool SwapVertices(std::vector<Vec3>& positions);
    bool GetNormal(int index, Vec3& out) const;
    bool SetNormal(int index, const Vec3& n);
    // Per-vertex texture coordinates (0, 0 until set).
    bool SetTextureCoordinates(int vertex, float u, float v);
    bool GetTextureCoordinates(int vertex, float& u, float& v) const;
    // Every vertex's coordinates at once; false, changing nothing, unless
    // there is one pair per vertex.
    bool SetTextureCoordinateList(std::vector<Vec2> coordinates);
    // One pair per vertex, or empty while every vertex has (0, 0): a mesh
    // keeps no array for coordinates nobody set.
    const std::vector<Vec2>& GetTextureCoordinateList() const { return texcoords_; }
    // Per-vertex colours, used when the colour source is Vertex; a vertex
    // has the mesh's colour until one is set.
    bool SetVertexColor(int vertex, uint32_t argb);
    uint32_t GetVertexColor(int vertex) const;  // 0 for a bad index

    // --- faces --------------------------------------------------------------
    // Creates an empty face with the mesh's current colour; returns its index.
    int CreateFace();
    // Adds a corner to a face. false for a bad face or vertex index, or a
    // normal index that is neither -1 nor a valid normal.
    bool AddVertexAndNormalIndexed(int face, int vertex, int normal = -1);
    // Convenience: a whole face from vertex (and optionally normal) indices,
    // checked before anything is added. Returns the face index or -1.
    int AddFace(std::span<const int> vertices, std::span<const int> normals = {});
    // Bulk form for readers of triangle soups: appends count triangles over
    // 3 * count new vertices (triangle t has the new vertices 3t, 3t + 1,
    // 3t + 2 in that order, no normals), every face with the given
    // attributes, every new vertex with the mesh's colour. Returns the new
    // vertices' positions for the caller to fill in (all zero until then), or
    // an empty span when the counts would not fit an int.
    std::span<Vec3> AppendTriangles(size_t count, const FaceAttributes& attributes);
    int GetFaceCount() const { return static_cast<int>(faceStart_.size()) - 1; }
    int GetFaceVertexCount(int face) const;  // 0 for a bad index
    // The corners of a face in order; empty for a bad index.
    std::span<const Corner> GetFaceCorners(int face) const;
    int GetFaceVertexIndex(int face, int corner) const;  // -1 when out of range
    int GetFaceNormalIndex(int face, int corner) const;
    // Face normal (unit, from the corner positions), or zero for a bad face.
    Vec3 GetFaceNormal(int face) const;

    // nullptr for a bad index. The record may be shared by every face: it
    // is valid until the next change of the mesh.
    const FaceAttributes* GetFaceAttributes(int face) const;
    // All of one face's attributes at once.
    bool SetFaceAttributes(int face, const FaceAttributes& attributes);
    bool SetFaceColor(int face, uint32_t argb);
    bool SetFaceColorRGB(int face, float r, float g, float b);
    bool SetFaceMaterial(int face, const MaterialPtr& material);
    bool SetFaceTexture(int face, const TexturePtr& texture);
    bool SetFaceTextureTopology(int face, bool wrapU, bool wrapV);

    // --- whole mesh ---------------------------------------------------------
    // Colour, material, texture and topology apply to every face (and the
    // colour to every vertex colour); faces created later take the colour.
    void SetColor(uint32_t argb);
    void SetColorRGB(float r, float g, float b);
    uint32_t GetColor() const { return color_; }
    void SetMaterial(const MaterialPtr& material);
    MaterialPtr GetMaterial() const { return material_; }  // the last set for the whole mesh
    void SetTexture(const TexturePtr& texture);
    TexturePtr GetTexture() const { return texture_; }
    void SetTextureTopology(bool wrapU, bool wrapV);
    void SetColorSource(ColorSource source) { colorSource_ = source; }
    ColorSource GetColorSource() const { return colorSource_; }
    void SetQuality(unsigned quality) { quality_ = quality; }
    unsigned GetQuality() const { return quality_; }
    void SetPerspective(bool on) { perspective_ = on; }
    bool GetPerspective() const { return perspective_; }

    // --- geometry operations ------------------------------------------------
    // Replaces the normals by ones computed from the faces. Without
    // kGenerateNormalsUseCreaseAngle every vertex gets one normal averaged over
    // its faces; with it, faces meeting at more than crease radians get
    // separate normals, so the normal list may be longer than the vertex list.
    //
    // Normal i belongs to vertex i for every i below the vertex count (with
    // the crease angle, one of that vertex's normals); extra normals of split
    // vertices follow. Faces without area add nothing, and a vertex that no
    // face with area touches gets (0, 1, 0). Precompacting never changes the
    // vertex list.
    void GenerateNormals(float crease, unsigned flags);
    void Scale(float sx, float sy, float sz);
    void Translate(float tx, float ty, float tz);
    Box GetBox() const;

    // Every intersection of the ray (origin + t * direction, t >= 0) with the
    // faces, nearest first. Uses a bounding-volume hierarchy built on first use
    // after a geometry change.
    // Both sides of a face count; polygons are split into fans from their
    // first corner, and a ray through a seam of that fan reports the face once.
    // The hierarchy is built inside this const call, so queries on one mesh
    // from several threads at once need a lock (the scene is the UI thread's).
    std::vector<MeshRayHit> IntersectRay(const Vec3& origin, const Vec3& direction) const;

    // Increases on every change of vertices, normals, faces or face attributes;
    // a renderer re-uploads when it differs from what it saw.
    uint64_t GetRevision() const { return revision_; }

private:
    // Counts a change and drops the hierarchy. Out of line: MeshBvh is only
    // complete in MeshBuilder.cpp.
    void touch();
    // Counts a change of colours, materials or textures only: the hierarchy,
    // which holds geometry alone, stays.
    void touchAttributes();
    bool validFace(int face) const { return face >= 0 && face < GetFaceCount(); }
    bool validVertex(int v) const { return v >= 0 && v < GetVertexCount(); }
    // Appends faces with the given attributes to the attribute store.
    void appendFaceAttributes(size_t count, const FaceAttributes& attributes);
    // Applies change to one face's attributes, giving every face a record
    // of its own first when the change makes it differ from the others.
    template <class Change>
    bool changeFace(int face, Change&& change);
    // Applies change to every face's attributes; faces left all alike share
    // one record again.
    template <class Change>
    void changeEveryFace(Change&& change);
    // Puts every face back on one shared record when all are alike.
    void shareFacesIfAlike();

    std::vector<Vec3> vertices_;
    std::vector<Vec3> normals_;
    // One per vertex, or empty while every vertex has (0, 0).
    std::vector<Vec2> texcoords_;
    // One per vertex, or empty while every vertex has the mesh's colour.
    std::vector<uint32_t> vertexColors_;
    std::vector<int> faceStart_{0};      // face f's corners are [faceStart_[f], faceStart_[f+1])
    std::vector<Corner> corners_;
    // One record per face, or empty while every face has sharedFace_ (most
    // meshes, and every imported triangle soup, have one look throughout).
    std::vector<FaceAttributes> faces_;
    FaceAttributes sharedFace_;

    uint32_t color_ = 0xFFFFFFFF;
    MaterialPtr material_;
    TexturePtr texture_;
    bool wrapU_ = false;  // whole-mesh texture topology, given to new faces
    bool wrapV_ = false;
    ColorSource colorSource_ = ColorSource::Face;
    unsigned quality_ = kQualityGouraudLitSolid;
    bool perspective_ = true;
    uint64_t revision_ = 0;
    mutable std::unique_ptr<MeshBvh> bvh_;
};

} // namespace corvid
