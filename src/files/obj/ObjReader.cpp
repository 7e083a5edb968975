#include "files/obj/ObjFile.h"

#include "files/Document.h"
#include "files/FileIo.h"
#include "files/ImportPipeline.h"
#include "files/TextScan.h"
#include "platform/Frame.h"
#include "platform/Material.h"
#include "platform/MeshBuilder.h"
#include "scene/Records.h"
#include "scene/SceneModel.h"
#include "scene/Ui.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <map>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace corvid {

namespace {

// A name from a file as a bare file name: whatever folders it names (with
// either separator) are left out.
std::string BareName(std::string_view name)
{
    std::string text(name);
    std::replace(text.begin(), text.end(), '\\', '/');
    return FileNameOf(text);
}

// The last word of a text: a map line's options come before its file name.
std::string_view LastWord(std::string_view text)
{
    text = TrimBlanks(text);
    size_t start = text.size();
    while (start > 0 && !IsBlank(text[start - 1]))
        --start;
    return text.substr(start);
}

struct ObjMaterial {
    std::string name;
    uint32_t faceColor = 0;
    MaterialPtr material;
    TexturePtr texture;
};

// What a material library says of the material being read; values a
// material leaves out keep those of the one before it.
struct MaterialValues {
    float kd[3] = {0, 0, 0};
    float ks[3] = {0, 0, 0};
    float ka[3] = {0, 0, 0};
    int creationPower = 0;
    int power = 0;
    std::string name;
    std::string texture;
    bool open = false;
};

// A whole number that may be written with a fraction, as the library's
// power lines sometimes are ("d 0.5" gives 0).
bool ReadWholePart(std::string_view text, int& out)
{
    float value;
    if (!ReadFloats(text, &value, 1) || value < static_cast<float>(std::numeric_limits<int>::min()) ||
        value > static_cast<float>(std::numeric_limits<int>::max()))
        return false;
    out = static_cast<int>(value);
    return true;
}

class ObjReader {
public:
    ObjReader(SceneModel& scene, const ImportOptions& options, const std::string& folder, const std::string& fileName,
              ImportProgress& progress)
        : scene_(scene), options_(options), folder_(folder), fileName_(fileName), progress_(progress)
    {
    }

    bool Read(std::string_view text);
    const FramePtr& BaseFrame() const { return baseFrame_; }

private:
    void Status(const char* text);
    void StartObject();
    void FinishObject();
    bool ReadVertex(std::string_view rest);
    bool ReadTextureVertex(std::string_view rest);
    bool ReadFace(std::string_view rest);
    // The local vertex of file vertex v (0-based) with texture vertex vt (-1: none).
    int LocalVertex(size_t v, long long vt);
    int AddLocalCopy(size_t v, long long vt);
    // A face field's number as a 0-based index into count items: 1-based,
    // or negative counting back from the last. False when out of range.
    static bool Index(std::string_view field, size_t count, size_t& index);
    void ChooseGroup(std::string_view name);
    void ChooseMaterial(std::string_view name);
    void LoadLibraries(std::string_view names);
    void ReadLibrary(std::string_view text);
    void CreateMaterial(MaterialValues& values);

    SceneModel& scene_;
    const ImportOptions& options_;
    const std::string folder_;
    const std::string fileName_;
    ImportProgress& progress_;
    const char* status_ = nullptr;

    FramePtr baseFrame_;
    DefaultMaterial default_;
    std::vector<Vec3> positions_;  // every vertex of the file, in root space
    std::vector<Vec2> texcoords_;

    // The object being read.
    MeshObject object_;
    Matrix4 toObject_;
    bool hasFaces_ = false;
    size_t firstVertex_ = 0;        // the file's vertex count when it began
    std::vector<int> ownVertices_;  // its own vertices' local indices
    std::vector<long long> vertexTexture_;  // the texture vertex each local vertex carries (-1: none yet)
    std::unordered_map<uint64_t, int> copies_;  // (file vertex, texture vertex) to a local copy
    std::string pendingName_;
    std::vector<int> corners_;

    std::map<std::string, FramePtr, std::less<>> groups_;
    std::vector<ObjMaterial> materials_;
    int current_ = -1;  // the material usemtl chose, an index into materials_
    MaterialValues values_;
};

void ObjReader::Status(const char* text)
{
    if (status_ == text)
        return;
    status_ = text;
    progress_.Status(text);
}

void ObjReader::StartObject()
{
    object_ = CreateMeshObject(scene_, baseFrame_, "", progress_);
    status_ = nullptr;
    toObject_ = object_.frame->World().Inverse();
    hasFaces_ = false;
    firstVertex_ = positions_.size();
    ownVertices_.clear();
    vertexTexture_.clear();
    copies_.clear();
}

void ObjReader::FinishObject()
{
    if (!object_.frame)
        return;
    if (!hasFaces_) {
        // Nothing to show: an object of vertices alone is not kept.
        scene_.DeleteObjectTree(object_.frame);
    } else {
        scene_.Rename(object_.frame, pendingName_.empty() ? fileName_ : pendingName_);
        FinishMeshObject(*object_.mesh);
    }
    object_ = {};
}

bool ObjReader::ReadVertex(std::string_view rest)
{
    Status(kObjCollectingVertices);
    float xyz[3];
    if (!ReadFloats(rest, xyz, 3))
        return false;
    const Vec3 point = ImportPoint({xyz[0], xyz[1], xyz[2]}, options_.scale, AxisConvention::NegateZ);
    positions_.push_back(point);
    MeshBuilder& mesh = *object_.mesh;
    ownVertices_.push_back(mesh.AddVertex(toObject_.TransformPoint(point)));
    mesh.AddNormal({0, 0, 0});
    vertexTexture_.push_back(-1);
    return true;
}

bool ObjReader::ReadTextureVertex(std::string_view rest)
{
    float uv[2] = {0, 0};
    std::string_view more;
    if (!ReadFloats(rest, uv, 1, &more))
        return false;
    if (!more.empty() && !ReadFloats(more, uv + 1, 1))
        return false;
    texcoords_.push_back({uv[0], uv[1]});
    return true;
}

bool ObjReader::Index(std::string_view field, size_t count, size_t& index)
{
    long long n;
    if (!ReadInt(field, n) || n == 0)
        return false;
    if (n > 0) {
        if (static_cast<unsigned long long>(n) > count)
            return false;
        index = static_cast<size_t>(n - 1);
    } else {
        if (static_cast<unsigned long long>(-(n + 1)) >= count)
            return false;
        index = count - static_cast<size_t>(-n);
    }
    return true;
}

int ObjReader::AddLocalCopy(size_t v, long long vt)
{
    const uint64_t key = static_cast<uint64_t>(v) << 32 | static_cast<uint64_t>(vt + 1);
    if (const auto found = copies_.find(key); found != copies_.end())
        return found->second;
    MeshBuilder& mesh = *object_.mesh;
    const int local = mesh.AddVertex(toObject_.TransformPoint(positions_[v]));
    mesh.AddNormal({0, 0, 0});
    vertexTexture_.push_back(vt);
    if (vt >= 0)
        mesh.SetTextureCoordinates(local, texcoords_[static_cast<size_t>(vt)].u, -texcoords_[static_cast<size_t>(vt)].v);
    copies_.emplace(key, local);
    return local;
}

int ObjReader::LocalVertex(size_t v, long long vt)
{
    if (v < firstVertex_)
        return AddLocalCopy(v, vt);  // a vertex of an earlier object
    const int local = ownVertices_[v - firstVertex_];
    long long& carried = vertexTexture_[static_cast<size_t>(local)];
    if (vt < 0 || carried == vt)
        return local;
    if (carried < 0) {
        carried = vt;
        const Vec2& uv = texcoords_[static_cast<size_t>(vt)];
        object_.mesh->SetTextureCoordinates(local, uv.u, -uv.v);
        return local;
    }
    // The same point with another texture vertex: a vertex of its own.
    return AddLocalCopy(v, vt);
}

bool ObjReader::ReadFace(std::string_view rest)
{
    Status(kObjCollectingFaces);
    corners_.clear();
    while (!rest.empty()) {
        std::string_view after;
        const std::string_view field = FirstWord(rest, after);
        rest = after;
        if (corners_.size() >= static_cast<size_t>(kObjMaxFaceCorners))
            return false;
        const size_t slash = field.find('/');
        size_t v;
        if (!Index(field.substr(0, slash), positions_.size(), v))
            return false;
        long long vt = -1;
        if (slash != std::string_view::npos) {
            const std::string_view second = field.substr(slash + 1, field.find('/', slash + 1) - slash - 1);
            // A texture vertex that is not there only costs the face its
            // texture coordinates.
            if (size_t t; !second.empty() && Index(second, texcoords_.size(), t))
                vt = static_cast<long long>(t);
        }
        corners_.push_back(LocalVertex(v, vt));
    }
    if (corners_.size() < 3)
        return true;  // a point or a line has no face
    if (options_.winding == 1)
        std::reverse(corners_.begin(), corners_.end());
    MeshBuilder& mesh = *object_.mesh;
    const int face = mesh.CreateFace();
    for (const int corner : corners_)
        mesh.AddVertexAndNormalIndexed(face, corner, corner);
    const ObjMaterial* chosen = current_ >= 0 ? &materials_[static_cast<size_t>(current_)] : nullptr;
    mesh.SetFaceColor(face, chosen ? chosen->faceColor : default_.faceColor);
    mesh.SetFaceMaterial(face, chosen ? chosen->material : default_.material);
    if (chosen && chosen->texture)
        mesh.SetFaceTexture(face, chosen->texture);
    hasFaces_ = true;
    return true;
}

void ObjReader::ChooseGroup(std::string_view name)
{
    Status(kObjCreatingGroup);
    if (name.empty())
        return;  // "g" alone: the default group, nothing to make
    auto found = groups_.find(name);
    if (found == groups_.end()) {
        FramePtr group = scene_.NewObjectFrame(baseFrame_);
        AttachRecord(*group, std::make_unique<ObjectRecord>(kEmpty, kObjGroupFrameName));
        scene_.RegisterObject(group);
        found = groups_.emplace(std::string(name), group).first;
    }
    if (object_.frame->GetParent() != found->second.get()) {
        scene_.MoveUnder(object_.frame, found->second);
        toObject_ = object_.frame->World().Inverse();
    }
}

void ObjReader::ChooseMaterial(std::string_view name)
{
    Status(kObjColorForFaces);
    current_ = -1;
    for (size_t i = 0; i < materials_.size(); ++i)
        if (materials_[i].name == name) {
            current_ = static_cast<int>(i);
            break;
        }
}

void ObjReader::LoadLibraries(std::string_view names)
{
    while (!names.empty()) {
        std::string_view rest;
        const std::string name = BareName(FirstWord(names, rest));
        names = rest;
        std::vector<uint8_t> bytes;
        const std::optional<std::string> path = FindInFolder(folder_, name);
        if (!path || ReadWholeFile(*path, bytes) != ReadStatus::Read) {
            scene_.ui().ShowMessage(kObjNoMaterialFile);
            continue;
        }
        Status(kObjCollectingMaterials);
        ReadLibrary(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }
}

void ObjReader::ReadLibrary(std::string_view text)
{
    LineScanner lines(text);
    std::string_view line;
    MaterialValues& v = values_;
    while (lines.Next(line)) {
        if (line.empty()) {
            if (v.open)
                CreateMaterial(v);
            continue;
        }
        std::string_view rest;
        const std::string_view word = FirstWord(line, rest);
        if (IsKeyword(word, "newmtl")) {
            if (v.open)
                CreateMaterial(v);
            v.name = std::string(rest);
            v.texture.clear();
            v.open = true;
        } else if (IsKeyword(word, "d")) {
            ReadWholePart(rest, v.creationPower);
        } else if (IsKeyword(word, "illum")) {
            ReadWholePart(rest, v.power);
        } else if (IsKeyword(word, "kd")) {
            ReadFloats(rest, v.kd, 3);
        } else if (IsKeyword(word, "ks")) {
            ReadFloats(rest, v.ks, 3);
        } else if (IsKeyword(word, "ka")) {
            ReadFloats(rest, v.ka, 3);
        } else if (IsKeyword(word, "map_kd")) {
            v.texture = BareName(LastWord(rest));
        }
        // A line that does not read leaves the value as it was.
    }
    if (v.open)
        CreateMaterial(v);
}

void ObjReader::CreateMaterial(MaterialValues& v)
{
    v.open = false;
    ObjMaterial entry;
    entry.material = Material::Create(static_cast<float>(v.creationPower));
    entry.faceColor = 0xFF000000u | ColorByte(v.kd[0]) << 16 | ColorByte(v.kd[1]) << 8 | ColorByte(v.kd[2]);
    entry.material->SetAmbient(v.ka[0], v.ka[1], v.ka[2]);
    entry.material->SetEmissive(0, 0, 0);
    entry.material->SetPower(static_cast<float>(v.power));
    entry.material->SetSpecular(v.ks[0], v.ks[1], v.ks[2]);
    auto record = std::make_unique<MaterialRecord>();
    record->id = ++scene_.materialIdCounter;
    entry.name = v.name;
    if (entry.name.empty()) {
        char name[32];
        std::snprintf(name, sizeof name, "MATERIAL_%d", scene_.materialIdCounter);
        entry.name = name;
    }
    for (int i = 0; i < 3; ++i) {
        record->diffuse[i] = v.kd[i];
        record->specular[i] = v.ks[i];
        record->ambient[i] = v.ka[i];
        record->emissive[i] = 0.0f;
    }
    record->power = static_cast<float>(v.power);
    record->alpha = 1.0f;
    record->name = entry.name;
    if (!v.texture.empty() && options_.addTextures) {
        record->textureName = v.texture;
        entry.texture = ResolveTexture(scene_, folder_, v.texture, *record, progress_);
    }
    AttachRecord(*entry.material, std::move(record));
    scene_.materials.push_back(entry.material);
    materials_.push_back(std::move(entry));
}

bool ObjReader::Read(std::string_view text)
{
    if (text.find('\0') != std::string_view::npos)
        return false;  // not a text file
    default_ = CreateDefaultMaterial(scene_, DefaultMaterialStyle::Common);
    baseFrame_ = CreateBaseFrame(scene_);
    StartObject();
    LineScanner lines(text);
    std::string_view line;
    while (lines.Next(line)) {
        progress_.Bytes(lines.Consumed(), lines.Size());
        if (line.empty())
            continue;
        if (line.front() == '#') {
            if (hasFaces_) {
                FinishObject();
                StartObject();
            }
            continue;
        }
        std::string_view rest;
        const std::string_view word = FirstWord(line, rest);
        bool read = true;
        if (word == "v")
            read = ReadVertex(rest);
        else if (word == "vt")
            read = ReadTextureVertex(rest);
        else if (word == "f")
            read = ReadFace(rest);
        else if (word == "o") {
            pendingName_ = std::string(rest);
            progress_.Status(pendingName_);
            status_ = nullptr;
        } else if (word == "g")
            ChooseGroup(rest);
        else if (word == "usemtl")
            ChooseMaterial(rest);
        else if (word == "mtllib" && options_.addMaterials)
            LoadLibraries(rest);
        // vn, vp, s, l, p and anything else: nothing to do.
        if (!read)
            return false;
    }
    // The object open at the end of the file is finished like the others.
    FinishObject();
    return true;
}

} // namespace

bool ReadObjBytes(Document& document, const uint8_t* data, size_t size, const ImportOptions& options,
                  const std::string& folder, const std::string& name)
{
    SceneModel& scene = document.scene;
    if (size == 0) {
        scene.ui().ShowMessage(kObjCorrupted);
        return false;
    }
    return RunImport(scene, kObjCorrupted, [&](ImportProgress& progress, FramePtr& baseFrame) {
        ObjReader reader(scene, options, folder, name, progress);
        const bool read = reader.Read(std::string_view(reinterpret_cast<const char*>(data), size));
        baseFrame = reader.BaseFrame();
        return read;
    });
}

bool ImportObj(Document& document, const std::string& path, const ImportOptions& options)
{
    std::vector<uint8_t> bytes;
    if (!ReadImportFile(document.scene, path, bytes, kObjOpenFailed, kObjCorrupted))
        return false;
    return ReadObjBytes(document, bytes.data(), bytes.size(), options, FolderOf(path), FileNameOf(path));
}

} // namespace corvid
