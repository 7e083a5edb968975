// The 3DS reader: one walk over the chunks, building as it goes. Chunks
// whose sub-chunks matter are stepped into; the ends of the chunks open
// around the position are kept on a stack, so that every chunk is checked to
// lie inside its parent and a named object closes where its chunk ends.
// Every count is checked against the bytes of its chunk before anything is
// made. The keyframer's nodes link objects into a hierarchy and, when they
// carry tracks, place them where the file's pose at frame 0 puts them.

#include "files/3ds/ThreeDsFile.h"
#include "files/3ds/ThreeDsFormat.h"
#include "files/Document.h"
#include "files/FileIo.h"
#include "files/ImportPipeline.h"
#include "platform/Frame.h"
#include "platform/Light.h"
#include "platform/Material.h"
#include "platform/MeshBuilder.h"
#include "platform/Texture.h"
#include "scene/Records.h"
#include "scene/SceneModel.h"
#include "scene/Ui.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <unordered_map>

namespace corvid {

namespace {

using namespace tds;

struct ChunkHeader {
    uint16_t id = 0;
    size_t start = 0;
    size_t end = 0;
};

// An object the file made: a mesh, a light or a group for a node.
struct Entry {
    std::string name;
    int nodeId = -2;
    FramePtr frame;
    bool mesh = false;
    bool group = false;
    Matrix4 fileMatrix = Matrix4::Identity();  // a mesh's matrix as the file gives it
    Matrix4 placed = Matrix4::Identity();      // a mesh frame's transform relative to SCENE as built
};

struct FileMaterial {
    std::string name;
    std::string textureName;
    uint32_t color = 0;
    MaterialPtr material;
    TexturePtr texture;
};

// One keyframer node while it is read.
struct Node {
    uint16_t kind = 0;
    int id = -1;
    bool named = false;
    std::string name;
    std::string instance;
    int parent = -1;
    Vec3 pivot;
    bool hasPosition = false, hasRotation = false, hasScale = false;
    Vec3 position;
    float angle = 0;
    Vec3 axis;
    Vec3 scale{1, 1, 1};
};

// Deeper keyframer chains hang at this depth: the frame tree is walked
// recursively elsewhere.
constexpr int kMaxDepth = 64;

// The file's axes and ours differ by the exchange of y and z.
Matrix4 SwapAxes(const Matrix4& m, float translationScale)
{
    constexpr int p[3] = {0, 2, 1};
    Matrix4 r = Matrix4::Identity();
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j)
            r.m[i][j] = m.m[p[i]][p[j]];
        r.m[3][i] = translationScale * m.m[3][p[i]];
    }
    return r;
}

// A rotation track's key as a matrix of the file's space (row vectors): the
// format turns the other way round its axis than the usual right-hand rule.
// Identity for a zero axis.
Matrix4 FileRotation(const Vec3& axis, float angle)
{
    const Vec3 n = Normalize(axis);
    if (n == Vec3{})
        return Matrix4::Identity();
    const float c = std::cos(angle), s = -std::sin(angle), t = 1.0f - c;
    Matrix4 r = Matrix4::Identity();
    // The transpose of the column-vector rotation by -angle.
    r.m[0][0] = c + t * n.x * n.x;
    r.m[1][0] = t * n.x * n.y - s * n.z;
    r.m[2][0] = t * n.x * n.z + s * n.y;
    r.m[0][1] = t * n.x * n.y + s * n.z;
    r.m[1][1] = c + t * n.y * n.y;
    r.m[2][1] = t * n.y * n.z - s * n.x;
    r.m[0][2] = t * n.x * n.z - s * n.y;
    r.m[1][2] = t * n.y * n.z + s * n.x;
    r.m[2][2] = c + t * n.z * n.z;
    return r;
}

float Determinant3(const Matrix4& m)
{
    return m.m[0][0] * (m.m[1][1] * m.m[2][2] - m.m[1][2] * m.m[2][1]) -
           m.m[0][1] * (m.m[1][0] * m.m[2][2] - m.m[1][2] * m.m[2][0]) +
           m.m[0][2] * (m.m[1][0] * m.m[2][1] - m.m[1][1] * m.m[2][0]);
}

// A placement the frames can work with: finite, with axes no longer than
// kMaxScale (the frames' arithmetic squares and multiplies them, and a
// larger one can overflow there into a NaN that the scene would keep).
bool Sane(const Matrix4& m)
{
    constexpr double kMaxScale = 1e9;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (!std::isfinite(m.m[r][c]))
                return false;
    for (int r = 0; r < 3; ++r) {
        double squared = 0;
        for (int c = 0; c < 3; ++c)
            squared += static_cast<double>(m.m[r][c]) * m.m[r][c];
        if (squared > kMaxScale * kMaxScale)
            return false;
    }
    return true;
}

bool Finite(const Vec3& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

std::string Lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

class ThreeDsReader {
public:
    ThreeDsReader(SceneModel& scene, const uint8_t* data, size_t size, const ImportOptions& options,
                  std::string folder, ImportProgress& progress)
        : scene_(scene), in_(data, size), options_(options), folder_(std::move(folder)), progress_(progress)
    {
    }

    bool Read()
    {
        ChunkHeader main;
        if (!readHeader(main, in_.Size()) || (main.id != kMain && main.id != kProject))
            return false;
        defaultMaterial_ = CreateDefaultMaterial(scene_, DefaultMaterialStyle::Studio);
        const FramePtr base = CreateBaseFrame(scene_);
        open_.push_back(main);
        const bool read = walk();
        finishMesh();
        if (!read || !everythingFinite())
            return false;
        FinishImport(scene_, base, progress_);
        return true;
    }

private:
    // --- the walk ------------------------------------------------------------------------------
    bool walk()
    {
        while (true) {
            progress_.Bytes(in_.Position(), in_.Size());
            while (!open_.empty() && in_.Position() >= open_.back().end) {
                const ChunkHeader done = open_.back();
                open_.pop_back();
                if (!close(done))
                    return false;
            }
            if (open_.empty())
                return true;  // the main chunk is done; what follows it is not ours
            // A null id ends the walk as the file's end would, whatever
            // length follows it (zeros padding a file, say).
            if (open_.back().end - in_.Position() >= 2 && Cursor::Load16(in_.Here()) == kNull)
                return true;
            ChunkHeader chunk;
            if (!readHeader(chunk, open_.back().end))
                return false;
            if (!dispatch(chunk))
                return false;
        }
    }

    // Every object stands where the floats reach, its points too: poses
    // and links can move an object after it was placed (a parent posed
    // after its child was linked, say), so this is checked at the end.
    bool everythingFinite() const
    {
        for (const Entry& entry : entries_) {
            if (!entry.frame || entry.frame == scene_.Scene())
                continue;
            const Matrix4 placement = entry.frame->GetTransform(scene_.Scene().get());
            if (!Sane(placement))
                return false;
            for (const MeshBuilderPtr& mesh : entry.frame->GetVisuals()) {
                const Box box = mesh->GetBox().Transformed(placement);
                if (!box.IsEmpty() && (!Finite(box.min) || !Finite(box.max)))
                    return false;
            }
        }
        return true;
    }

    // A header at the position, whose chunk lies inside limit and is at
    // least as long as its header.
    bool readHeader(ChunkHeader& chunk, size_t limit)
    {
        chunk.start = in_.Position();
        uint32_t length = 0;
        if (limit - chunk.start < kHeaderSize || !in_.U16(chunk.id) || !in_.U32(length))
            return false;
        if (length < kHeaderSize || length > limit - chunk.start)
            return false;
        chunk.end = chunk.start + length;
        return true;
    }

    void stepInto(const ChunkHeader& chunk) { open_.push_back(chunk); }
    bool skip(const ChunkHeader& chunk)
    {
        in_.Seek(chunk.end);
        return true;
    }
    // Reads past the chunk's end are damage.
    bool inside(const ChunkHeader& chunk) const { return in_.Position() <= chunk.end; }

    bool dispatch(const ChunkHeader& chunk)
    {
        switch (chunk.id) {
        case kMeshData:
        case kTriangleObject:
        case kKeyframer:
            stepInto(chunk);
            return true;
        case kObjectNode:
        case kLightNode:
        case kSpotNode:
            node_ = Node{};
            node_.kind = chunk.id;
            node_.id = nodeCount_++;
            stepInto(chunk);
            return true;
        case kNamedObject:
            return readNamedObject(chunk);
        case kPointArray:
            return readPoints(chunk);
        case kTextureVertices:
            return readTextureVertices(chunk);
        case kMeshMatrix:
            return readMeshMatrix(chunk);
        case kFaceArray:
            return readFaces(chunk);
        case kMaterialGroup:
            return !options_.addMaterials ? skip(chunk) : readMaterialGroup(chunk);
        case kLightObject:
            return !options_.addLights ? skip(chunk) : readLight(chunk);
        case kMaterialEntry:
            return !options_.addMaterials ? skip(chunk) : readMaterial(chunk);
        case kNodeId:
        case kNodeHeader:
        case kInstanceName:
        case kPivot:
        case kPositionTrack:
        case kRotationTrack:
        case kScaleTrack:
            return readNodePart(chunk);
        default:
            return skip(chunk);
        }
    }

    bool close(const ChunkHeader& chunk)
    {
        if (chunk.id == kNamedObject)
            closeObject();
        else if (chunk.id == kObjectNode || chunk.id == kLightNode || chunk.id == kSpotNode)
            return finishNode();
        return true;
    }

    // --- named objects and meshes ------------------------------------------------------------------
    bool readNamedObject(const ChunkHeader& chunk)
    {
        if (!in_.Name(objectName_, chunk.end))
            return false;
        stepInto(chunk);
        return true;
    }

    void closeObject()
    {
        finishMesh();
        objectName_.clear();
        points_.clear();
        uvs_.clear();
        meshMatrix_ = Matrix4::Identity();
    }

    // A count of 16 bits and room in the chunk for that many items of itemBytes.
    bool count(const ChunkHeader& chunk, uint16_t& n, size_t itemBytes)
    {
        return in_.U16(n) && inside(chunk) && n <= (chunk.end - in_.Position()) / itemBytes;
    }

    bool readPoints(const ChunkHeader& chunk)
    {
        uint16_t n = 0;
        if (!count(chunk, n, 12))
            return false;
        points_.resize(n);
        if (!in_.F32s(reinterpret_cast<float*>(points_.data()), 3 * size_t{n}))
            return false;
        return skip(chunk);
    }

    bool readTextureVertices(const ChunkHeader& chunk)
    {
        uint16_t n = 0;
        if (!count(chunk, n, 8))
            return false;
        uvs_.resize(n);
        if (!in_.F32s(reinterpret_cast<float*>(uvs_.data()), 2 * size_t{n}))
            return false;
        return skip(chunk);
    }

    bool readMeshMatrix(const ChunkHeader& chunk)
    {
        float v[12];
        if (!in_.F32s(v, 12) || !inside(chunk))
            return false;
        Matrix4 m = Matrix4::Identity();
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 3; ++c)
                m.m[r][c] = v[3 * r + c];
        meshMatrix_ = m;
        return skip(chunk);
    }

    // Where a mesh frame stands: the mesh matrix in our axes without its
    // scale, which is returned in s (the lengths of its axes). Its origin is
    // moved by the scale too, so scaling the mesh by s scales the object
    // about the file's origin.
    static Matrix4 Unscaled(const Matrix4& matrix, Vec3& s)
    {
        Matrix4 m = SwapAxes(matrix, 1.0f);
        for (int r = 0; r < 3; ++r) {
            const float length = Length(m.Row(r));
            s[r] = length > 0.0f ? length : 1.0f;
            m.SetRow(r, m.Row(r) / s[r]);
        }
        if (!(std::abs(Determinant3(m)) > 1e-3f)) {
            // Axes that span no space (or that overflowed): no turn at all.
            const Vec3 origin = m.Row(3);
            m = Matrix4::Identity();
            m.SetRow(3, origin);
            s = {1, 1, 1};
        }
        const Vec3 o = m.Row(3);
        m.SetRow(3, {o.x * s.x, o.y * s.y, o.z * s.z});
        return m;
    }

    bool readFaces(const ChunkHeader& chunk)
    {
        if (open_.back().id != kTriangleObject)
            return skip(chunk);
        finishMesh();
        uint16_t faceCount = 0;
        if (!count(chunk, faceCount, 8))
            return false;
        MeshObject object = CreateMeshObject(scene_, scene_.Scene(), objectName_, progress_);
        Entry& entry = addEntry(objectName_, object.frame);
        entry.mesh = true;
        entry.fileMatrix = meshMatrix_;
        Vec3 s;
        entry.placed = Unscaled(meshMatrix_, s);
        if (!Sane(entry.placed))
            return false;
        object.frame->SetTransform(scene_.Scene().get(), entry.placed);
        mesh_ = object.mesh;
        MeshBuilder& mesh = *mesh_;

        const int n = static_cast<int>(points_.size());
        mesh.ReserveSpace(n + 2, n + 2, faceCount + 2);
        const Matrix4 toLocal = entry.placed.Inverse();
        for (const Vec3& p : points_) {
            const Vec3 v = toLocal.TransformPoint(ImportPoint(p, options_.scale, AxisConvention::SwapYZ));
            if (!Finite(v))
                return false;  // a point the scale throws beyond the floats
            mesh.AddVertex(v);
            mesh.AddNormal({});
        }
        const size_t uvCount = std::min(uvs_.size(), points_.size());
        for (size_t i = 0; i < uvCount; ++i)
            mesh.SetTextureCoordinates(static_cast<int>(i), uvs_[i].u, -uvs_[i].v);

        mesh.SetColor(defaultMaterial_.faceColor);
        const uint8_t* at = in_.Here();
        in_.Seek(in_.Position() + 8 * size_t{faceCount});
        const bool reverse = options_.winding == 1;
        for (uint16_t f = 0; f < faceCount; ++f, at += 8) {
            const int a = Cursor::Load16(at), b = Cursor::Load16(at + 2), c = Cursor::Load16(at + 4);
            const uint16_t flags = Cursor::Load16(at + 6);
            if (a >= n || b >= n || c >= n)
                return false;
            const int corners[3] = {a, reverse ? c : b, reverse ? b : c};
            const int face = mesh.AddFace(corners, corners);
            if (flags & 0x18)
                mesh.SetFaceTextureTopology(face, (flags & 0x08) != 0, (flags & 0x10) != 0);
        }
        mesh.SetMaterial(defaultMaterial_.material);
        if (options_.scaleToViewport)
            mesh.Scale(s.x, s.y, s.z);
        // Its material groups follow inside the face array.
        stepInto(chunk);
        return true;
    }

    // Normals once the mesh's faces and materials are all there.
    void finishMesh()
    {
        if (mesh_)
            FinishMeshObject(*mesh_);
        mesh_ = nullptr;
    }

    Entry& addEntry(const std::string& name, const FramePtr& frame)
    {
        entries_.push_back({});
        Entry& entry = entries_.back();
        entry.name = name;
        entry.frame = frame;
        byName_.emplace(name, entries_.size() - 1);
        return entry;
    }

    bool readMaterialGroup(const ChunkHeader& chunk)
    {
        if (!mesh_ || open_.back().id != kFaceArray)
            return skip(chunk);
        progress_.Status(kThreeDsAddingMaterial);
        std::string name;
        uint16_t n = 0;
        if (!in_.Name(name, chunk.end) || !count(chunk, n, 2))
            return false;
        const FileMaterial* material = nullptr;
        if (auto found = materialByName_.find(name); found != materialByName_.end())
            material = &materials_[found->second];
        const int faces = mesh_->GetFaceCount();
        for (uint16_t i = 0; i < n; ++i) {
            uint16_t face = 0;
            in_.U16(face);
            if (face >= faces)
                return false;
            if (!material)
                continue;
            mesh_->SetFaceColor(face, material->color);
            mesh_->SetFaceMaterial(face, material->material);
            if (material->texture && !material->textureName.empty())
                mesh_->SetFaceTexture(face, material->texture);
        }
        if (material && material->texture)
            mesh_->SetPerspective(true);
        return skip(chunk);
    }

    // --- materials -------------------------------------------------------------------------------
    // The body of a colour chunk of either kind.
    bool readColorBody(const ChunkHeader& sub, Vec3& color)
    {
        if (sub.id == kColorFloat) {
            Vec3 c;
            if (!in_.F32(c.x) || !in_.F32(c.y) || !in_.F32(c.z) || !inside(sub))
                return false;
            color = c;
            return true;
        }
        uint8_t c[3];
        if (!in_.U8(c[0]) || !in_.U8(c[1]) || !in_.U8(c[2]) || !inside(sub))
            return false;
        color = {c[0] * 0.003921569f, c[1] * 0.003921569f, c[2] * 0.003921569f};
        return true;
    }

    // The first colour sub-chunk of chunk; without one the colour stays.
    bool readColor(const ChunkHeader& chunk, Vec3& color)
    {
        ChunkHeader sub;
        while (in_.Position() < chunk.end) {
            if (!readHeader(sub, chunk.end))
                return false;
            if (sub.id == kColorFloat || sub.id == kColorBytes) {
                if (!readColorBody(sub, color))
                    return false;
                break;
            }
            in_.Seek(sub.end);
        }
        in_.Seek(chunk.end);
        return true;
    }

    // A percentage sub-chunk, held to 0..100; another id leaves it as it was.
    bool readPercent(const ChunkHeader& chunk, float& percent)
    {
        ChunkHeader sub;
        if (in_.Position() >= chunk.end)
            return true;
        if (!readHeader(sub, chunk.end))
            return false;
        float value = percent;
        if (sub.id == kPercentInt) {
            uint16_t v = 0;
            if (!in_.U16(v) || !inside(sub))
                return false;
            value = v;
        } else if (sub.id == kPercentFloat) {
            if (!in_.F32(value) || !inside(sub))
                return false;
        }
        percent = std::clamp(value, 0.0f, 100.0f);
        in_.Seek(sub.end);
        return true;
    }

    bool readMaterial(const ChunkHeader& chunk)
    {
        std::string name, mapName;
        Vec3 ambient, diffuse, specular;
        float shininess = 0, transparency = 0, strength = 0;
        uint16_t shading = 0;
        bool hasMap = false;
        while (in_.Position() < chunk.end) {
            ChunkHeader sub;
            if (!readHeader(sub, chunk.end))
                return false;
            bool ok = true;
            switch (sub.id) {
            case kMaterialName:
                ok = in_.Name(name, sub.end);
                break;
            case kAmbient:
                ok = readColor(sub, ambient);
                break;
            case kDiffuse:
                ok = readColor(sub, diffuse);
                break;
            case kSpecular:
                ok = readColor(sub, specular);
                break;
            case kShininess:
                ok = readPercent(sub, shininess);
                break;
            case kTransparency:
                ok = readPercent(sub, transparency);
                break;
            case kShading:
                ok = in_.U16(shading) && inside(sub);
                break;
            case kTextureMap: {
                // Its strength, then its own sub-chunks at this level.
                const size_t body = in_.Position();
                ChunkHeader first;
                const bool percent = body < sub.end && readHeader(first, sub.end) &&
                                     (first.id == kPercentInt || first.id == kPercentFloat);
                in_.Seek(body);
                if (percent && !readPercent(sub, strength))
                    return false;
                continue;
            }
            case kMapName:
                ok = in_.Name(mapName, sub.end);
                hasMap = ok;
                break;
            default:
                break;
            }
            if (!ok)
                return false;
            in_.Seek(sub.end);
        }
        makeMaterial(name, ambient, diffuse, specular, shininess, transparency, shading, hasMap ? mapName : "");
        return skip(chunk);
    }

    void makeMaterial(const std::string& name, const Vec3& ambient, const Vec3& diffuse, const Vec3& specular,
                      float shininess, float transparency, uint16_t shading, const std::string& mapName)
    {
        const float power = 100.0f - shininess;
        const float alpha = transparency == 0.0f ? 1.0f : (transparency == 100.0f ? 0.0f : 1.0f - transparency / 100.0f);
        FileMaterial file;
        file.name = name;
        file.material = Material::Create(power);
        file.color = MakeARGB(diffuse.x, diffuse.y, diffuse.z, alpha);
        file.material->SetAmbient(ambient.x, ambient.y, ambient.z);
        file.material->SetEmissive(0, 0, 0);
        file.material->SetPower(power);
        file.material->SetSpecular(specular.x, specular.y, specular.z);

        auto record = std::make_unique<MaterialRecord>();
        record->id = ++scene_.materialIdCounter;
        for (int i = 0; i < 3; ++i) {
            record->diffuse[i] = diffuse[i];
            record->specular[i] = specular[i];
            record->ambient[i] = ambient[i];
            record->emissive[i] = 0.0f;
        }
        record->power = power;
        record->alpha = alpha;
        record->name = name;
        if (options_.addTextures && !mapName.empty()) {
            std::string texture = Lower(mapName);
            if (EndsWith(texture, ".cel")) {
                progress_.Status(kThreeDsCheckingCel);
                texture.replace(texture.size() - 4, 4, ".bmp");
            }
            if (EndsWith(texture, ".ifl")) {
                progress_.Status(kThreeDsCheckingIfl);
                texture.replace(texture.size() - 4, 4, ".bmp");
            }
            record->textureName = texture;
            file.textureName = texture;
            file.texture = ResolveTexture(scene_, folder_, texture, *record, progress_);
            if (file.texture) {
                const int64_t shades = int64_t{shading} * shading;
                file.texture->SetShades(static_cast<int>(std::min<int64_t>(shades, std::numeric_limits<int>::max())));
            }
        }
        AttachRecord(*file.material, std::move(record));
        scene_.materials.push_back(file.material);
        materialByName_.emplace(name, materials_.size());
        materials_.push_back(std::move(file));
    }

    // --- lights ------------------------------------------------------------------------------------
    bool readLight(const ChunkHeader& chunk)
    {
        progress_.Status(kThreeDsAddingLight + objectName_);
        Vec3 position, color, target;
        float hotspot = 0, falloff = 0;
        float range = std::numeric_limits<float>::max();
        bool spot = false, colored = false;
        if (!in_.F32(position.x) || !in_.F32(position.y) || !in_.F32(position.z) || !inside(chunk))
            return false;
        while (in_.Position() < chunk.end) {
            ChunkHeader sub;
            if (!readHeader(sub, chunk.end))
                return false;
            if ((sub.id == kColorFloat || sub.id == kColorBytes) && !colored) {
                if (!readColorBody(sub, color))
                    return false;
                colored = true;
            } else if (sub.id == kSpotLight) {
                if (!in_.F32(target.x) || !in_.F32(target.y) || !in_.F32(target.z) || !in_.F32(hotspot) ||
                    !in_.F32(falloff) || !inside(sub))
                    return false;
                spot = true;
                // Its own sub-chunks (roll, range, ...) follow inside it.
                continue;
            } else if (sub.id == kOuterRange) {
                if (!in_.F32(range) || !inside(sub))
                    return false;
            }
            in_.Seek(sub.end);
        }

        const Vec3 at = ImportPoint(position, options_.scale, AxisConvention::SwapYZ);
        const Vec3 aim = ImportPoint(target, options_.scale, AxisConvention::SwapYZ);
        if (!Finite(at) || !Finite(aim) || !Finite(aim - at))
            return false;
        const LightType type = spot ? LightType::Spot : LightType::Point;
        FramePtr frame = scene_.NewObjectFrame();
        ObjectRecord* record = AttachRecord(*frame, std::make_unique<ObjectRecord>(corvid::kLight, objectName_));
        scene_.AddLightEntry(frame, *record);
        scene_.RegisterObject(frame);
        addEntry(objectName_, frame);

        LightPtr light = Light::Create(type, color.x, color.y, color.z);
        scene_.RegisterLight(light);
        frame->AddVisual(scene_.LightIcon(type));
        if (spot) {
            // Degrees to the cone angles, as the format's readers have always taken them.
            light->SetUmbra(hotspot * 3.0f * 0.0055555557f);
            light->SetPenumbra(falloff * 3.0f * 0.0055555557f);
            light->SetRange(range);
            const Vec3 direction = aim - at;
            if (direction != Vec3{}) {
                const Vec3 up = direction.z == 0.0f ? Vec3{0, 0, 1} : Vec3{0, direction.z, -direction.y};
                frame->SetOrientation(scene_.Scene().get(), Normalize(direction), Normalize(up));
            }
        }
        frame->AddLight(light);
        frame->SetPosition(scene_.Scene().get(), at);
        return skip(chunk);
    }

    // --- keyframer nodes -----------------------------------------------------------------------------
    // The first key of a track: its header (flags, two unused words, the
    // key count as two words), the key's frame and flags, and the
    // fields its flags say follow.
    bool readFirstKey(const ChunkHeader& chunk, float* values, size_t count, bool& has)
    {
        uint16_t header[7];
        for (uint16_t& h : header)
            if (!in_.U16(h))
                return false;
        const uint32_t keys = header[5] | (uint32_t{header[6]} << 16);
        if (keys == 0)
            return inside(chunk);
        uint32_t frame = 0;
        uint16_t flags = 0;
        if (!in_.U32(frame) || !in_.U16(flags))
            return false;
        // Tension, continuity, bias, ease to, ease from.
        for (int bit = 0; bit < 5; ++bit)
            if (flags & (1u << bit)) {
                float unused = 0;
                if (!in_.F32(unused))
                    return false;
            }
        if (!in_.F32s(values, count) || !inside(chunk))
            return false;
        has = true;
        return true;
    }

    bool readNodePart(const ChunkHeader& chunk)
    {
        // Outside a node these mean nothing.
        if (open_.back().id != kObjectNode && open_.back().id != kLightNode && open_.back().id != kSpotNode)
            return skip(chunk);
        switch (chunk.id) {
        case kNodeId: {
            uint16_t id = 0;
            if (!in_.U16(id) || !inside(chunk))
                return false;
            node_.id = id;
            break;
        }
        case kNodeHeader: {
            uint16_t flags[2], parent = 0;
            if (!in_.Name(node_.name, chunk.end) || !in_.U16(flags[0]) || !in_.U16(flags[1]) ||
                !in_.U16(parent) || !inside(chunk))
                return false;
            node_.parent = parent == kNoParent ? -1 : static_cast<int16_t>(parent);
            node_.named = true;
            break;
        }
        case kInstanceName:
            if (!in_.Name(node_.instance, chunk.end))
                return false;
            break;
        case kPivot:
            if (!in_.F32(node_.pivot.x) || !in_.F32(node_.pivot.y) || !in_.F32(node_.pivot.z) || !inside(chunk))
                return false;
            break;
        case kPositionTrack:
            if (!readFirstKey(chunk, &node_.position.x, 3, node_.hasPosition))
                return false;
            break;
        case kRotationTrack: {
            float v[4];
            bool has = false;
            if (!readFirstKey(chunk, v, 4, has))
                return false;
            if (has) {
                node_.hasRotation = true;
                node_.angle = v[0];
                node_.axis = {v[1], v[2], v[3]};
            }
            break;
        }
        case kScaleTrack:
            if (!readFirstKey(chunk, &node_.scale.x, 3, node_.hasScale))
                return false;
            break;
        default:
            break;
        }
        return skip(chunk);
    }

    // Puts frame where placement (relative to SCENE) says. False, with the
    // frame left where it was, when it cannot hold it: a parent whose axes
    // all but vanish turns a placement under it into numbers beyond the
    // floats.
    bool place(Frame& frame, const Matrix4& placement)
    {
        const Matrix4 before = frame.GetLocalTransform();
        frame.SetTransform(scene_.Scene().get(), placement);
        if (Sane(frame.GetLocalTransform()) && Sane(frame.GetTransform(scene_.Scene().get())))
            return true;
        frame.AddTransform(Combine::Replace, before);
        return false;
    }

    int depthOf(const Frame* frame) const
    {
        int depth = 0;
        for (const Frame* f = frame; f && f != scene_.Scene().get(); f = f->GetParent())
            ++depth;
        return depth;
    }

    // A node is complete: its object (found by name, or a group made for
    // it) takes its id, hangs under its parent's object and stands where
    // the node's pose puts it. False for a pose beyond what frames can hold.
    bool finishNode()
    {
        const Node node = node_;
        node_ = Node{};
        if (!node.named)
            return true;
        Entry* entry = nullptr;
        if (auto found = byName_.find(node.name); found != byName_.end())
            entry = &entries_[found->second];
        const bool dummy = !entry;
        if (dummy) {
            // The scene root as our writer wrote it stands for this scene's.
            if (node.parent == -1 && node.instance == "SCENE" && !sceneTaken_) {
                sceneTaken_ = true;
                entries_.push_back({kThreeDsGroupEntryName, node.id, scene_.Scene()});
                byNodeId_.emplace(node.id, entries_.size() - 1);
                nodeMatrix_[node.id] = Matrix4::Identity();
                return true;
            }
            FramePtr frame = scene_.NewObjectFrame();
            AttachRecord(*frame, std::make_unique<ObjectRecord>(kEmpty, node.instance.empty() ? node.name : node.instance));
            scene_.RegisterObject(frame);
            const Matrix4 placement = SwapAxes(meshMatrix_, 1.0f);
            frame->SetTransform(scene_.Scene().get(), Sane(placement) ? placement : Matrix4::Identity());
            entries_.push_back({kThreeDsGroupEntryName, -2, frame});
            entry = &entries_.back();
            entry->group = true;
        }
        const size_t index = static_cast<size_t>(entry - entries_.data());
        if (auto old = byNodeId_.find(entry->nodeId); old != byNodeId_.end() && old->second == index)
            byNodeId_.erase(old);
        entry->nodeId = node.id;
        byNodeId_.emplace(node.id, index);
        const FramePtr frame = entry->frame;

        if (node.parent != -1)
            if (auto parent = byNodeId_.find(node.parent); parent != byNodeId_.end()) {
                const FramePtr& target = entries_[parent->second].frame;
                if (target && target != frame && depthOf(target.get()) < kMaxDepth) {
                    // The object keeps where it stands.
                    const Matrix4 placement = frame->GetTransform(scene_.Scene().get());
                    if (scene_.MoveUnder(frame, target) && !place(*frame, placement)) {
                        // Back under SCENE, where it stood.
                        scene_.MoveUnder(frame, scene_.Scene());
                        frame->SetTransform(scene_.Scene().get(), placement);
                        return false;
                    }
                }
            }

        // The pose: scale, rotation and position of frame 0, below the
        // parent's pose.
        Matrix4 pose = Matrix4::Scale(node.scale) * FileRotation(node.axis, node.angle) *
                       Matrix4::Translation(node.position);
        if (auto parent = nodeMatrix_.find(node.parent); node.parent != -1 && parent != nodeMatrix_.end())
            pose = pose * parent->second;
        nodeMatrix_[node.id] = pose;
        if (!(node.hasPosition || node.hasRotation || node.hasScale) || frame == scene_.Scene())
            return true;
        Matrix4 placement;
        if (entry->mesh) {
            // The vertices lie where the mesh matrix says; the pose moves the
            // mesh's own space (less its pivot) to where it stands.
            const Matrix4 move = entry->fileMatrix.Inverse() * Matrix4::Translation(-node.pivot) * pose;
            placement = entry->placed * SwapAxes(move, options_.scale);
        } else if (entry->group) {
            placement = SwapAxes(pose, options_.scale);
        } else {
            return true;
        }
        return Sane(placement) && place(*frame, placement);
    }

    SceneModel& scene_;
    Cursor in_;
    const ImportOptions& options_;
    std::string folder_;
    ImportProgress& progress_;

    std::vector<ChunkHeader> open_;
    DefaultMaterial defaultMaterial_;
    std::string objectName_;
    std::vector<Vec3> points_;
    std::vector<Vec2> uvs_;
    Matrix4 meshMatrix_ = Matrix4::Identity();
    MeshBuilderPtr mesh_;

    std::vector<Entry> entries_;
    std::unordered_map<std::string, size_t> byName_;
    std::unordered_map<int, size_t> byNodeId_;
    std::vector<FileMaterial> materials_;
    std::unordered_map<std::string, size_t> materialByName_;

    Node node_;
    int nodeCount_ = 0;
    std::unordered_map<int, Matrix4> nodeMatrix_;
    bool sceneTaken_ = false;
};

} // namespace

bool Is3dsFile(const uint8_t* data, size_t size)
{
    if (size < kHeaderSize)
        return false;
    const uint16_t id = Cursor::Load16(data);
    return id == kMain || id == kProject;
}

bool Read3dsBytes(Document& document, const uint8_t* data, size_t size, const ImportOptions& options,
                  const std::string& folder)
{
    bool read = false;
    {
        ImportProgress progress(document.scene);
        ThreeDsReader reader(document.scene, data, size, options, folder, progress);
        read = reader.Read();
    }
    if (!read)
        document.scene.ui().ShowMessage(kThreeDsCorrupted);
    return read;
}

bool Import3ds(Document& document, const std::string& path, const ImportOptions& options)
{
    std::vector<uint8_t> bytes;
    switch (ReadWholeFile(path, bytes)) {
    case ReadStatus::Read:
        break;
    case ReadStatus::CannotOpen:
        document.scene.ui().ShowMessage(kThreeDsOpenFailed);
        return false;
    case ReadStatus::Failed:
        document.scene.ui().ShowMessage(kThreeDsCorrupted);
        return false;
    }
    return Read3dsBytes(document, bytes.data(), bytes.size(), options, FolderOf(path));
}

} // namespace corvid
