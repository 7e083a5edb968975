#include "files/stl/StlFile.h"

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
#include <cerrno>
#include <cmath>
#include <cstring>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvid {

namespace {

constexpr size_t kBinaryHeader = 84;
constexpr size_t kBinaryTriangle = 50;

float ReadFloat(const uint8_t* at)
{
    float value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

uint32_t ReadU32(const uint8_t* at)
{
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 | static_cast<uint32_t>(at[2]) << 16 |
           static_cast<uint32_t>(at[3]) << 24;
}

// Reads exactly size bytes; false on an error or an early end (a file cut
// while it is read).
bool ReadFully(int fd, uint8_t* out, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::read(fd, out, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        out += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Where a binary file's facets come from: bytes in memory, or a file read a
// block at a time (so that a large file is never held whole).
class FacetBlocks {
public:
    virtual ~FacetBlocks() = default;
    // The next count facets, 50 bytes each; nullptr when they cannot be
    // read. Valid until the next call.
    virtual const uint8_t* Next(size_t count) = 0;
};

class MemoryFacets final : public FacetBlocks {
public:
    explicit MemoryFacets(const uint8_t* facets) : at_(facets) {}
    const uint8_t* Next(size_t count) override
    {
        const uint8_t* block = at_;
        at_ += count * kBinaryTriangle;
        return block;
    }

private:
    const uint8_t* at_;
};

class FileFacets final : public FacetBlocks {
public:
    // fd is positioned at the first facet; it stays the caller's.
    explicit FileFacets(int fd) : fd_(fd) {}
    const uint8_t* Next(size_t count) override
    {
        buffer_.resize(count * kBinaryTriangle);
        return ReadFully(fd_, buffer_.data(), buffer_.size()) ? buffer_.data() : nullptr;
    }

private:
    int fd_;
    std::vector<uint8_t> buffer_;
};

class StlReader {
public:
    StlReader(SceneModel& scene, const ImportOptions& options, ImportProgress& progress)
        : scene_(scene), options_(options), progress_(progress)
    {
    }

    bool ReadText(const uint8_t* data, size_t size);
    // count facets from blocks, of a file of size bytes.
    bool ReadBinary(uint32_t count, uint64_t size, FacetBlocks& blocks, const std::string& name);
    const FramePtr& BaseFrame() const { return baseFrame_; }
    void Begin();

private:
    void Status(const char* text);
    void StartSolid(const std::string& name);
    void FinishSolid();
    bool ReadColor(std::string_view line, std::string_view numbers);
    bool AddCorner(const float xyz[3]);
    void AddNormal(const float xyz[3]);
    void CloseFacet();

    SceneModel& scene_;
    const ImportOptions& options_;
    ImportProgress& progress_;
    FramePtr baseFrame_;
    DefaultMaterial default_;
    // The colour of the last colour line: it stays for later solids.
    MaterialPtr colorMaterial_;
    uint32_t colorFace_ = 0;
    MeshObject solid_;
    // Root space to the solid's frame: points and normals are mapped into it.
    Matrix4 toSolid_;
    std::vector<int> corners_;
    const char* status_ = nullptr;
    int solids_ = 0;
};

void StlReader::Begin()
{
    default_ = CreateDefaultMaterial(scene_, DefaultMaterialStyle::Common);
    baseFrame_ = CreateBaseFrame(scene_);
}

void StlReader::Status(const char* text)
{
    // The same status on every line would only repaint the window.
    if (status_ == text)
        return;
    status_ = text;
    progress_.Status(text);
}

void StlReader::StartSolid(const std::string& name)
{
    FinishSolid();
    status_ = nullptr;
    solid_ = CreateMeshObject(scene_, baseFrame_, name, progress_);
    toSolid_ = solid_.frame->World().Inverse();
    ++solids_;
    solid_.mesh->ReserveSpace(2, 2, 2);
    corners_.clear();
}

void StlReader::FinishSolid()
{
    if (!solid_.mesh)
        return;
    FinishMeshObject(*solid_.mesh);
    solid_ = {};
    corners_.clear();
}

bool StlReader::ReadColor(std::string_view line, std::string_view numbers)
{
    if (!options_.addMaterials)
        return true;
    Status(kStlAddingMaterial);
    float rgb[3];
    if (!ReadFloats(numbers, rgb, 3))
        return false;
    for (float& channel : rgb)
        channel = std::clamp(channel, 0.0f, 1.0f);
    colorFace_ = 0xFF000000u | ColorByte(rgb[0]) << 16 | ColorByte(rgb[1]) << 8 | ColorByte(rgb[2]);
    colorMaterial_ = Material::Create(0.0f);
    colorMaterial_->SetAmbient(rgb[0], rgb[1], rgb[2]);
    colorMaterial_->SetSpecular(rgb[0], rgb[1], rgb[2]);
    colorMaterial_->SetEmissive(0, 0, 0);
    colorMaterial_->SetPower(0.0f);
    auto record = std::make_unique<MaterialRecord>();
    record->id = ++scene_.materialIdCounter;
    for (int i = 0; i < 3; ++i) {
        record->diffuse[i] = rgb[i];
        record->specular[i] = rgb[i];
        record->ambient[i] = rgb[i];
        record->emissive[i] = rgb[i];
    }
    record->power = 0.0f;
    record->alpha = 1.0f;
    record->name = std::string(line);
    AttachRecord(*colorMaterial_, std::move(record));
    scene_.materials.push_back(colorMaterial_);
    return true;
}

bool StlReader::AddCorner(const float xyz[3])
{
    Status(kStlCollectingVertices);
    if (!solid_.mesh)
        return true;  // before any solid: nowhere to go
    if (corners_.size() >= static_cast<size_t>(kStlMaxFacetCorners))
        return false;
    const Vec3 point = ImportPoint({xyz[0], xyz[1], xyz[2]}, options_.scale, AxisConvention::NegateZ);
    corners_.push_back(solid_.mesh->AddVertex(toSolid_.TransformPoint(point)));
    return true;
}

void StlReader::AddNormal(const float xyz[3])
{
    Status(kStlCollectingNormals);
    if (!solid_.mesh)
        return;
    // Normals keep their third coordinate: they are replaced by generated
    // ones when the solid ends.
    const float s = options_.scale;
    solid_.mesh->AddNormal(toSolid_.TransformPoint({s * xyz[0], s * xyz[1], s * xyz[2]}));
}

void StlReader::CloseFacet()
{
    MeshBuilder* mesh = solid_.mesh.get();
    if (!mesh || corners_.size() < 3) {
        // A facet with fewer than three corners has no face to make.
        corners_.clear();
        return;
    }
    // Corner n takes normal n: files need not give one normal per vertex.
    while (mesh->GetNormalCount() < mesh->GetVertexCount())
        mesh->AddNormal({0, 0, 0});
    const int face = mesh->CreateFace();
    if (options_.winding == 1)
        std::reverse(corners_.begin(), corners_.end());
    for (const int corner : corners_)
        mesh->AddVertexAndNormalIndexed(face, corner, corner);
    mesh->SetFaceColor(face, colorMaterial_ ? colorFace_ : default_.faceColor);
    mesh->SetFaceMaterial(face, colorMaterial_ ? colorMaterial_ : default_.material);
    corners_.clear();
}

bool StlReader::ReadText(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    // Text has no NUL bytes: this is a binary file of the wrong length.
    if (text.find('\0') != std::string_view::npos)
        return false;
    LineScanner lines(text);
    std::string_view line;
    while (lines.Next(line)) {
        progress_.Bytes(lines.Consumed(), lines.Size());
        if (line.empty())
            continue;
        std::string_view rest;
        const std::string_view word = FirstWord(line, rest);
        float xyz[3];
        if (IsKeyword(word, "solid")) {
            const std::string name(rest.empty() ? line : rest);
            progress_.Status(name);
            StartSolid(name);
        } else if (IsKeyword(word, "color")) {
            if (!ReadColor(line, rest))
                return false;
        } else if (IsKeyword(word, "vertex")) {
            if (!ReadFloats(rest, xyz, 3) || !AddCorner(xyz))
                return false;
        } else if (IsKeyword(word, "normal")) {
            if (!ReadFloats(rest, xyz, 3))
                return false;
            AddNormal(xyz);
        } else if (IsKeyword(word, "endloop")) {
            CloseFacet();
        } else if (IsKeyword(word, "endsolid")) {
            FinishSolid();
        }
        // facet, outer loop, endfacet and anything else: nothing to do.
    }
    // A file that stops without its endsolid still has its solid.
    FinishSolid();
    // Text without a single solid is not a stereolithography file.
    return solids_ > 0;
}

bool StlReader::ReadBinary(uint32_t count, uint64_t size, FacetBlocks& blocks, const std::string& name)
{
    StartSolid(name);
    Status(kStlCollectingVertices);
    if (count == 0) {
        FinishSolid();
        return true;
    }
    MeshBuilder& mesh = *solid_.mesh;
    // Every facet is a triangle of its own three corners, so the faces and
    // corners are laid out at once and only the positions are read here.
    const std::span<Vec3> points = mesh.AppendTriangles(
        count, {default_.faceColor, default_.material, mesh.GetTexture(), false, false});
    if (points.empty())
        return false;
    // Points go through the import scale and axes and then into the solid's
    // frame; the frame's transform is skipped when it is the identity, as it
    // is for a solid under a fresh base frame.
    const bool identity = toSolid_ == Matrix4::Identity();
    const float scale = options_.scale;
    const bool reversed = options_.winding == 1;
    // Blocks of 8k facets (400 KB): small enough to stay in the cache, and
    // the progress moves once a block.
    constexpr uint32_t kBlock = 1u << 13;
    for (uint32_t first = 0; first < count; first += kBlock) {
        const uint32_t n = std::min(kBlock, count - first);
        const uint8_t* triangle = blocks.Next(n);
        if (!triangle)
            return false;
        for (uint32_t t = first; t < first + n; ++t, triangle += kBinaryTriangle) {
            // The facet's own normal is left out: normals are generated.
            for (int corner = 0; corner < 3; ++corner) {
                const uint8_t* at = triangle + 12 + 12 * corner;
                const Vec3 p{ReadFloat(at), ReadFloat(at + 4), ReadFloat(at + 8)};
                if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z))
                    return false;
                const Vec3 imported = ImportPoint(p, scale, AxisConvention::NegateZ);
                points[3 * static_cast<size_t>(t) + static_cast<size_t>(reversed ? 2 - corner : corner)] =
                    identity ? imported : toSolid_.TransformPoint(imported);
            }
        }
        progress_.Bytes(kBinaryHeader + static_cast<uint64_t>(first + n) * kBinaryTriangle, size);
    }
    FinishSolid();
    return true;
}

} // namespace

bool IsBinaryStl(const uint8_t* data, size_t size)
{
    if (size < kBinaryHeader)
        return false;
    const uint64_t count = ReadU32(data + 80);
    return size == kBinaryHeader + count * kBinaryTriangle;
}

bool ReadStlBytes(Document& document, const uint8_t* data, size_t size, const ImportOptions& options,
                  const std::string& name)
{
    SceneModel& scene = document.scene;
    if (size == 0) {
        scene.ui().ShowMessage(kStlCorrupted);
        return false;
    }
    return RunImport(scene, kStlCorrupted, [&](ImportProgress& progress, FramePtr& baseFrame) {
        StlReader reader(scene, options, progress);
        reader.Begin();
        bool read;
        if (IsBinaryStl(data, size)) {
            MemoryFacets facets(data + kBinaryHeader);
            read = reader.ReadBinary(ReadU32(data + 80), size, facets, name);
        } else {
            read = reader.ReadText(data, size);
        }
        baseFrame = reader.BaseFrame();
        return read;
    });
}

namespace {

// A binary file read straight from the disk, a block of facets at a time.
// Nothing (and nothing shown) when the file is not a binary one or cannot be
// opened: the caller then reads it whole.
std::optional<bool> ImportBinaryStl(Document& document, const std::string& path, const ImportOptions& options)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat info {};
    uint8_t header[kBinaryHeader];
    const bool binary = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
                        static_cast<uint64_t>(info.st_size) <= kMaxReadFileBytes &&
                        ReadFully(fd, header, sizeof header) &&
                        static_cast<uint64_t>(info.st_size) == kBinaryHeader + uint64_t{ReadU32(header + 80)} * kBinaryTriangle;
    if (!binary) {
        ::close(fd);
        return std::nullopt;
    }
    SceneModel& scene = document.scene;
    const bool read = RunImport(scene, kStlCorrupted, [&](ImportProgress& progress, FramePtr& baseFrame) {
        StlReader reader(scene, options, progress);
        reader.Begin();
        FileFacets facets(fd);
        const bool done = reader.ReadBinary(ReadU32(header + 80), static_cast<uint64_t>(info.st_size), facets,
                                            FileNameOf(path));
        baseFrame = reader.BaseFrame();
        return done;
    });
    ::close(fd);
    return read;
}

} // namespace

bool ImportStl(Document& document, const std::string& path, const ImportOptions& options)
{
    if (const std::optional<bool> read = ImportBinaryStl(document, path, options))
        return *read;
    std::vector<uint8_t> bytes;
    if (!ReadImportFile(document.scene, path, bytes, kStlOpenFailed, kStlCorrupted))
        return false;
    return ReadStlBytes(document, bytes.data(), bytes.size(), options, FileNameOf(path));
}

} // namespace corvid
