#include "files/cob/CobFile.h"

#include "files/BinaryIo.h"
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
#include <cstring>
#include <memory>
#include <vector>

namespace corvid {

namespace {

constexpr size_t kFileHeader = 32;
constexpr size_t kChunkHeader = 20;

bool ReadU16(ByteReader& in, uint16_t& value)
{
    uint8_t low, high;
    if (!in.Byte(low) || !in.Byte(high))
        return false;
    value = static_cast<uint16_t>(low | high << 8);
    return true;
}

// A count that the bytes left can pay for at itemBytes each.
bool ReadCount(ByteReader& in, size_t itemBytes, size_t& count)
{
    int32_t value;
    if (!in.Int32(value) || value < 0 || static_cast<size_t>(value) > in.Left() / itemBytes)
        return false;
    count = static_cast<size_t>(value);
    return true;
}

// A 16-bit length and that many characters.
bool ReadName(ByteReader& in, std::string& name)
{
    uint16_t length;
    if (!ReadU16(in, length) || length > in.Left())
        return false;
    name.resize(length);
    for (char& c : name) {
        uint8_t byte;
        in.Byte(byte);
        c = static_cast<char>(byte);
    }
    return true;
}

struct CobObject {
    int32_t chunkId = 0;
    FramePtr frame;
    MeshBuilderPtr mesh;
};

class CobReader {
public:
    CobReader(SceneModel& scene, const ImportOptions& options, const std::string& folder, ImportProgress& progress)
        : scene_(scene), options_(options), folder_(folder), progress_(progress)
    {
    }

    bool Read(const uint8_t* data, size_t size);
    const FramePtr& BaseFrame() const { return baseFrame_; }

private:
    bool ReadPolygonObject(ByteReader& in, int32_t id, int32_t parent);
    bool ReadMaterial(ByteReader& in);

    SceneModel& scene_;
    const ImportOptions& options_;
    const std::string folder_;
    ImportProgress& progress_;
    FramePtr baseFrame_;
    DefaultMaterial default_;
    std::vector<CobObject> objects_;
};

bool CobReader::ReadPolygonObject(ByteReader& in, int32_t id, int32_t parent)
{
    uint16_t duplicate;
    std::string name;
    if (!ReadU16(in, duplicate) || !ReadName(in, name))
        return false;
    if (name.empty())
        name = "NoName" + std::to_string(duplicate);

    FramePtr parentFrame = baseFrame_;
    for (const CobObject& object : objects_)
        if (object.chunkId == parent)
            parentFrame = object.frame;
    const MeshObject made = CreateMeshObject(scene_, parentFrame, name, progress_);
    ++scene_.names.importedObject;

    progress_.Status(kCobCollectingInformation);
    float axes[12], m[3][4];
    if (!in.Floats(axes, 12) || !in.Floats(&m[0][0], 12))
        return false;
    // The file's y and z are exchanged, as for its points.
    Matrix4 transform = Matrix4::Identity();
    const float s = options_.scale;
    transform.m[0] = {m[0][0], m[2][0], m[1][0], 0};
    transform.m[1] = {m[0][2], m[2][2], m[1][2], 0};
    transform.m[2] = {m[0][1], m[2][1], m[1][1], 0};
    transform.m[3] = {s * m[0][3], s * m[2][3], s * m[1][3], 1};
    made.frame->AddTransform(Combine::Replace, transform);

    progress_.Status(kCobCollectingVertices);
    size_t vertexCount, textureCount;
    if (!ReadCount(in, 12, vertexCount))
        return false;
    std::vector<float> points(vertexCount * 3);
    if (!in.Floats(points.data(), points.size()) || !ReadCount(in, 8, textureCount))
        return false;
    std::vector<float> uvs(textureCount * 2);
    if (!in.Floats(uvs.data(), uvs.size()))
        return false;

    progress_.Status("Building object..." + name);
    size_t faceCount;
    if (!ReadCount(in, 3, faceCount))
        return false;
    MeshBuilder& mesh = *made.mesh;
    mesh.ReserveSpace(static_cast<int>(vertexCount) + 2, static_cast<int>(vertexCount) + 2,
                      static_cast<int>(faceCount) + 2);
    for (size_t i = 0; i < vertexCount; ++i) {
        mesh.AddVertex(ImportPoint({points[3 * i], points[3 * i + 1], points[3 * i + 2]}, s, AxisConvention::SwapYZ));
        mesh.AddNormal({0, 0, 0});
    }
    for (size_t i = 0; i < std::min(textureCount, vertexCount); ++i)
        mesh.SetTextureCoordinates(static_cast<int>(i), uvs[2 * i], -uvs[2 * i + 1]);

    std::vector<int> corners;
    for (size_t f = 0; f < faceCount; ++f) {
        uint8_t flags;
        uint16_t cornerCount, material;
        if (!in.Byte(flags) || !ReadU16(in, cornerCount))
            return false;
        if (!(flags & 8) && !ReadU16(in, material))  // holes carry no material number
            return false;
        corners.clear();
        for (uint16_t c = 0; c < cornerCount; ++c) {
            int32_t pair[2];
            if (!in.Int32s(pair, 2) || pair[0] < 0 || static_cast<size_t>(pair[0]) >= vertexCount)
                return false;
            corners.push_back(pair[0]);
        }
        if (corners.size() < 3)
            continue;  // a point or an edge has no face
        if (options_.winding == 1)
            std::reverse(corners.begin(), corners.end());
        const int face = mesh.CreateFace();
        for (const int corner : corners)
            mesh.AddVertexAndNormalIndexed(face, corner, corner);
    }
    mesh.SetColor(default_.faceColor);
    mesh.SetMaterial(default_.material);
    FinishMeshObject(mesh);
    objects_.push_back({id, made.frame, made.mesh});
    return true;
}

bool CobReader::ReadMaterial(ByteReader& in)
{
    uint16_t number;
    uint8_t shader, facet, angle;
    float values[8];
    if (!ReadU16(in, number) || !in.Byte(shader) || !in.Byte(facet) || !in.Byte(angle) || !in.Floats(values, 8))
        return false;
    const float red = std::clamp(values[0], 0.0f, 1.0f), green = std::clamp(values[1], 0.0f, 1.0f);
    const float blue = std::clamp(values[2], 0.0f, 1.0f), opacity = std::clamp(values[3], 0.0f, 1.0f);
    const float specular = values[5];
    // The exponent is a fraction; power is what is left of one.
    const float exponent = std::clamp(values[6], 0.0f, 1.0f);

    auto record = std::make_unique<MaterialRecord>();
    char name[32];
    std::snprintf(name, sizeof name, "Material_%d", static_cast<int>(number));
    record->name = name;
    for (int i = 0; i < 3; ++i) {
        record->ambient[i] = 0.0f;
        record->specular[i] = specular;
        record->emissive[i] = 0.0f;
    }
    record->diffuse[0] = red;
    record->diffuse[1] = green;
    record->diffuse[2] = blue;
    record->alpha = opacity;
    record->power = 5.0f;
    MaterialPtr material = Material::Create(1.0f - exponent);
    material->SetAmbient(0, 0, 0);
    material->SetEmissive(0, 0, 0);
    material->SetPower(1.0f - exponent);
    material->SetSpecular(specular, specular, specular);
    const uint32_t faceColor = ColorByte(opacity) << 24 | ColorByte(red) << 16 | ColorByte(green) << 8 | ColorByte(blue);

    // Tagged parts: environment, texture and bump maps. Anything else ends them.
    std::string texture;
    while (in.Left() >= 2) {
        uint8_t tag[2];
        in.Byte(tag[0]);
        in.Byte(tag[1]);
        if (tag[1] != ':' || (tag[0] != 'e' && tag[0] != 't' && tag[0] != 'b'))
            break;
        uint8_t mapFlags;
        std::string file;
        if (!in.Byte(mapFlags) || !ReadName(in, file))
            return false;
        if (tag[0] == 't') {
            if (!in.Skip(16))
                return false;
            std::replace(file.begin(), file.end(), '\\', '/');
            texture = FileNameOf(file);
        } else if (tag[0] == 'b' && !in.Skip(20)) {
            return false;
        }
    }

    MeshBuilder& mesh = *objects_.back().mesh;
    TexturePtr loaded;
    if (!texture.empty()) {
        record->textureName = texture;
        if (options_.addTextures)
            loaded = ResolveTexture(scene_, folder_, texture, *record, progress_);
    }
    mesh.SetColor(faceColor);
    mesh.SetMaterial(material);
    if (loaded) {
        mesh.SetTexture(loaded);
        mesh.SetPerspective(true);
    }
    record->id = scene_.materialIdCounter++;
    AttachRecord(*material, std::move(record));
    scene_.materials.push_back(material);
    return true;
}

bool CobReader::Read(const uint8_t* data, size_t size)
{
    // "Caligari", binary ('B' at 15) and little-endian ("LH" at 16).
    if (size < kFileHeader || std::memcmp(data, "Caligari", 8) != 0 || data[15] != 'B' || data[16] != 'L' ||
        data[17] != 'H')
        return false;
    default_ = CreateDefaultMaterial(scene_, DefaultMaterialStyle::Common);
    baseFrame_ = CreateBaseFrame(scene_);
    ByteReader file(data, size);
    file.Seek(kFileHeader);
    while (true) {
        progress_.Bytes(file.Position(), size);
        char type[4];
        uint16_t major, minor;
        int32_t id, parent, length;
        for (char& c : type) {
            uint8_t byte;
            if (!file.Byte(byte))
                return false;  // no END chunk
            c = static_cast<char>(byte);
        }
        if (!ReadU16(file, major) || !ReadU16(file, minor) || !file.Int32(id) || !file.Int32(parent) ||
            !file.Int32(length) || length < 0 || static_cast<size_t>(length) > file.Left())
            return false;
        const std::string_view kind(type, 4);
        if (kind == "END ")
            return file.Position() + static_cast<size_t>(length) == size;
        // Every read inside a chunk stays inside it.
        ByteReader chunk(data + file.Position(), static_cast<size_t>(length));
        if (kind == "PolH") {
            if (!ReadPolygonObject(chunk, id, parent))
                return false;
        } else if (kind == "Mat1" && options_.addMaterials && !objects_.empty()) {
            if (!ReadMaterial(chunk))
                return false;
        }
        file.Skip(static_cast<size_t>(length));
    }
}

} // namespace

bool ReadCobBytes(Document& document, const uint8_t* data, size_t size, const ImportOptions& options,
                  const std::string& folder)
{
    SceneModel& scene = document.scene;
    return RunImport(scene, kCobCorrupted, [&](ImportProgress& progress, FramePtr& baseFrame) {
        CobReader reader(scene, options, folder, progress);
        const bool read = reader.Read(data, size);
        baseFrame = reader.BaseFrame();
        return read;
    });
}

bool ImportCob(Document& document, const std::string& path, const ImportOptions& options)
{
    std::vector<uint8_t> bytes;
    if (!ReadImportFile(document.scene, path, bytes, kCobOpenFailed, kCobCorrupted))
        return false;
    return ReadCobBytes(document, bytes.data(), bytes.size(), options, FolderOf(path));
}

} // namespace corvid
