#include "files/dxf/DxfFile.h"

#include "files/Document.h"
#include "files/FileIo.h"
#include "files/ImportPipeline.h"
#include "files/TextScan.h"
#include "platform/Frame.h"
#include "platform/MeshBuilder.h"
#include "scene/Records.h"
#include "scene/SceneModel.h"
#include "scene/Ui.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <string_view>
#include <vector>

namespace corvid {

namespace {

// Copies of blocks may not make more vertices than this in one file: a few
// INSERTs of a large block must not exhaust the memory.
constexpr uint64_t kMaxCopiedVertices = 16'000'000;

struct Pair {
    int code = 0;
    std::string_view value;
};

// The file as group-code / value pairs, one pair ahead.
class PairReader {
public:
    explicit PairReader(std::string_view text) : lines_(text) {}

    // The pair at the cursor, left there; false at the end of the file or
    // at a code line that is not a number (Failed then tells).
    bool Peek(Pair& pair)
    {
        if (!pending_ && !failed_) {
            std::string_view code;
            do {
                if (!lines_.Next(code))
                    return false;
            } while (code.empty());  // blank lines where a code belongs: read past
            long long number;
            std::string_view value;
            if (!ReadInt(code, number) || !lines_.Next(value)) {
                failed_ = true;
                return false;
            }
            // Negative codes are the same codes.
            number = number < 0 ? -number : number;
            current_ = {static_cast<int>(std::min<long long>(number, 1'000'000)), value};
            pending_ = true;
        }
        if (failed_)
            return false;
        pair = current_;
        return true;
    }
    void Pop() { pending_ = false; }
    bool Failed() const { return failed_; }
    uint64_t Consumed() const { return lines_.Consumed(); }
    uint64_t Size() const { return lines_.Size(); }

private:
    LineScanner lines_;
    Pair current_;
    bool pending_ = false;
    bool failed_ = false;
};

// The group codes of one entity, up to the next code 0.
class Fields {
public:
    std::vector<Pair> pairs;

    const Pair* Find(int code) const
    {
        for (const Pair& pair : pairs)
            if (pair.code == code)
                return &pair;
        return nullptr;
    }
    // The number under code, or fallback when the entity has none. False
    // when the value is not a number.
    bool Number(int code, float fallback, float& out) const
    {
        const Pair* pair = Find(code);
        if (!pair) {
            out = fallback;
            return true;
        }
        return ReadFloats(pair->value, &out, 1);
    }
    bool Integer(int code, long long& out) const
    {
        const Pair* pair = Find(code);
        if (!pair) {
            out = 0;
            return true;
        }
        return ReadInt(pair->value, out);
    }
    // The point under codes code, code + 10, code + 20; missing coordinates are 0.
    bool Point(int code, Vec3& out) const
    {
        return Number(code, 0, out.x) && Number(code + 10, 0, out.y) && Number(code + 20, 0, out.z);
    }
    bool Has(int code) const { return Find(code) != nullptr; }
};

struct Block {
    std::string name;
    MeshBuilderPtr mesh;
};

class DxfReader {
public:
    DxfReader(SceneModel& scene, const ImportOptions& options, std::string_view text, ImportProgress& progress)
        : scene_(scene), options_(options), pairs_(text), progress_(progress)
    {
    }

    bool Read();
    const FramePtr& BaseFrame() const { return baseFrame_; }

private:
    // Reads the entities up to end ("ENDSEC" or "ENDBLK"); true also at the
    // end of the file.
    bool ReadEntities(std::string_view end);
    bool ReadFields(Fields& fields);
    bool ReadBlockHeader();
    bool AddFace(const Fields& fields);
    bool ReadPolyline(const Fields& fields);
    bool Insert(const Fields& fields);
    Vec3 Point(const Vec3& p) const { return ImportPoint(p, options_.scale, AxisConvention::Keep); }

    MeshObject& Current();
    int AddVertex(const Vec3& filePoint);
    void AddCorners(std::vector<int>& corners);
    void FinishObject();
    void Progress() { progress_.Bytes(pairs_.Consumed(), pairs_.Size()); }

    SceneModel& scene_;
    const ImportOptions& options_;
    PairReader pairs_;
    ImportProgress& progress_;
    FramePtr baseFrame_;
    DefaultMaterial default_;

    // What the objects being made are called and where their origin lies:
    // the block's name and base point, or "Object" at the origin.
    std::string objectName_ = kDxfEntityObjectName;
    Vec3 objectOrigin_{};
    bool inBlock_ = false;
    MeshObject object_;
    Matrix4 toObject_;
    std::vector<Block> blocks_;
    uint64_t copiedVertices_ = 0;
    Fields fields_, vertexFields_;
    std::vector<int> corners_;
};

MeshObject& DxfReader::Current()
{
    if (!object_.frame) {
        object_ = CreateMeshObject(scene_, baseFrame_, objectName_, progress_);
        object_.frame->AddTranslation(Combine::Replace, objectOrigin_);
        toObject_ = object_.frame->World().Inverse();
        ++scene_.names.importedObject;
        if (inBlock_)
            blocks_.push_back({objectName_, object_.mesh});
    }
    return object_;
}

int DxfReader::AddVertex(const Vec3& filePoint)
{
    MeshBuilder& mesh = *Current().mesh;
    mesh.AddNormal({0, 0, 0});
    return mesh.AddVertex(toObject_.TransformPoint(Point(filePoint)));
}

void DxfReader::AddCorners(std::vector<int>& corners)
{
    if (corners.size() < 3)
        return;
    if (options_.winding == 1)
        std::reverse(corners.begin(), corners.end());
    MeshBuilder& mesh = *Current().mesh;
    const int face = mesh.CreateFace();
    for (const int corner : corners)
        mesh.AddVertexAndNormalIndexed(face, corner, corner);
    mesh.SetFaceColor(face, default_.faceColor);
    mesh.SetFaceMaterial(face, default_.material);
}

void DxfReader::FinishObject()
{
    if (!object_.frame)
        return;
    if (object_.mesh->GetFaceCount() == 0) {
        // Vertices without faces show nothing: the object goes again.
        if (inBlock_ && !blocks_.empty() && blocks_.back().mesh == object_.mesh)
            blocks_.pop_back();
        scene_.DeleteObjectTree(object_.frame);
    } else {
        FinishMeshObject(*object_.mesh);
    }
    object_ = {};
}

bool DxfReader::ReadFields(Fields& fields)
{
    fields.pairs.clear();
    Pair pair;
    while (pairs_.Peek(pair) && pair.code != 0) {
        fields.pairs.push_back(pair);
        pairs_.Pop();
    }
    Progress();
    return !pairs_.Failed();
}

bool DxfReader::AddFace(const Fields& fields)
{
    Vec3 points[4];
    for (int i = 0; i < 4; ++i)
        if (!fields.Point(10 + i, points[i]))
            return false;
    // A fourth corner that repeats the third (or is missing) makes a triangle.
    const bool quad = fields.Has(13) && !(points[3] == points[2]);
    corners_.clear();
    for (int i = 0; i < (quad ? 4 : 3); ++i)
        corners_.push_back(AddVertex(points[i]));
    AddCorners(corners_);
    return true;
}

bool DxfReader::ReadPolyline(const Fields& fields)
{
    long long flags, rows, columns;
    if (!fields.Integer(70, flags) || !fields.Integer(71, rows) || !fields.Integer(72, columns))
        return false;
    const bool polyface = (flags & 64) != 0;
    const bool grid = !polyface && (flags & 16) != 0;
    // Corners count from the first vertex of this polyline.
    const int first = polyface || grid ? Current().mesh->GetVertexCount() : 0;
    long long read = 0;
    Pair pair;
    while (pairs_.Peek(pair)) {
        pairs_.Pop();
        if (pair.code != 0)
            continue;
        const bool vertex = pair.value == "VERTEX";
        if (!ReadFields(vertexFields_))
            return false;
        if (!vertex)
            break;  // SEQEND, or an entity that ends a polyline left open
        if (!polyface && !grid)
            continue;  // a line, not a surface: read past
        long long vertexFlags;
        if (!vertexFields_.Integer(70, vertexFlags))
            return false;
        if (polyface && (vertexFlags & 128) && !(vertexFlags & 64)) {
            // A face record: up to four corners, 0 for none.
            corners_.clear();
            for (int code = 71; code <= 74; ++code) {
                long long corner;
                if (!vertexFields_.Integer(code, corner))
                    return false;
                corner = corner < 0 ? -corner : corner;  // negative: an invisible edge
                if (corner == 0)
                    continue;
                if (corner > read)
                    return false;
                corners_.push_back(first + static_cast<int>(corner - 1));
            }
            AddCorners(corners_);
            continue;
        }
        Vec3 point;
        if (!vertexFields_.Point(10, point))
            return false;
        AddVertex(point);
        ++read;
    }
    if (grid) {
        // M x N vertices in rows; flags 1 and 32 close the rows and columns.
        if (rows < 2 || columns < 2) {
            FinishObject();
            return true;  // a row of points has no faces
        }
        if (rows > read || columns > read || rows * columns > read)
            return false;  // fewer vertices than the mesh needs
        const bool closedRows = (flags & 1) != 0, closedColumns = (flags & 32) != 0;
        const long long lastRow = closedRows ? rows : rows - 1;
        const long long lastColumn = closedColumns ? columns : columns - 1;
        for (long long i = 0; i < lastRow; ++i)
            for (long long j = 0; j < lastColumn; ++j) {
                const auto at = [&](long long r, long long c) {
                    return first + static_cast<int>((r % rows) * columns + c % columns);
                };
                corners_ = {at(i, j), at(i, j + 1), at(i + 1, j + 1), at(i + 1, j)};
                AddCorners(corners_);
            }
    }
    if (polyface || grid)
        FinishObject();
    return true;
}

bool DxfReader::Insert(const Fields& fields)
{
    const Pair* name = fields.Find(2);
    Vec3 at, scale;
    float degrees;
    if (!name || !fields.Point(10, at) || !fields.Number(41, 1, scale.x) || !fields.Number(42, 1, scale.y) ||
        !fields.Number(43, 1, scale.z) || !fields.Number(50, 0, degrees))
        return false;
    for (const Block& block : blocks_) {
        if (block.name != name->value)
            continue;
        copiedVertices_ += static_cast<uint64_t>(block.mesh->GetVertexCount());
        if (copiedVertices_ > kMaxCopiedVertices)
            return false;
        FramePtr frame = scene_.NewObjectFrame(baseFrame_);
        AttachRecord(*frame, std::make_unique<ObjectRecord>(kObject, block.name));
        ++scene_.names.importedObject;
        scene_.Select(frame);
        scene_.RegisterObject(frame);
        MeshBuilderPtr copy = block.mesh->Clone();
        copy->Scale(scale.x, scale.y, scale.z);
        auto record = std::make_unique<MeshRecord>();
        record->owner = frame;
        AttachRecord(*copy, std::move(record));
        copy->SetQuality(kQualityGouraudLitSolid);
        frame->AddVisual(copy);
        // Turned about the z axis through the insertion point.
        frame->AddRotation(Combine::Replace, {0, 0, 1}, degrees * std::numbers::pi_v<float> / 180.0f);
        frame->SetPosition(baseFrame_.get(), Point(at));
    }
    return true;
}

bool DxfReader::ReadBlockHeader()
{
    if (!ReadFields(fields_))
        return false;
    Vec3 origin;
    if (!fields_.Point(10, origin))
        return false;
    const Pair* name = fields_.Find(2);
    if (!name)
        name = fields_.Find(3);
    objectName_ = name ? std::string(name->value) : std::string();
    objectOrigin_ = Point(origin);
    inBlock_ = true;
    return true;
}

bool DxfReader::ReadEntities(std::string_view end)
{
    Pair pair;
    while (pairs_.Peek(pair)) {
        pairs_.Pop();
        if (pair.code != 0)
            continue;
        const std::string_view type = pair.value;
        if (type == end || type == "ENDSEC" || type == "EOF") {
            FinishObject();
            if (type != "ENDSEC" && type != "EOF")
                return ReadFields(fields_);
            return true;
        }
        if (!ReadFields(fields_))
            return false;
        bool read = true;
        if (type == "3DFACE") {
            read = AddFace(fields_);
        } else if (type == "POLYLINE") {
            read = ReadPolyline(fields_);
        } else if (type == "INSERT") {
            const Fields insert = fields_;
            FinishObject();
            read = Insert(insert);
        } else if (type == "BLOCK" && end == "ENDBLK") {
            return false;  // a block inside a block
        }
        // LINE, LWPOLYLINE, CIRCLE, TEXT, MESH and the rest: read past.
        if (!read)
            return false;
    }
    FinishObject();
    return !pairs_.Failed();
}

bool DxfReader::Read()
{
    default_ = CreateDefaultMaterial(scene_, DefaultMaterialStyle::Common);
    baseFrame_ = CreateBaseFrame(scene_);
    Pair pair;
    while (pairs_.Peek(pair)) {
        pairs_.Pop();
        Progress();
        if (pair.code != 0)
            continue;
        if (pair.value == "EOF")
            break;
        if (pair.value != "SECTION")
            continue;
        if (!pairs_.Peek(pair))
            break;
        if (pair.code != 2)
            continue;
        pairs_.Pop();
        if (pair.value == "ENTITIES") {
            progress_.Status(kDxfReadingEntities);
            inBlock_ = false;
            objectName_ = kDxfEntityObjectName;
            objectOrigin_ = {};
            if (!ReadEntities("ENDSEC"))
                return false;
        } else if (pair.value == "BLOCKS") {
            progress_.Status(kDxfReadingBlocks);
            while (pairs_.Peek(pair)) {
                pairs_.Pop();
                if (pair.code != 0)
                    continue;
                if (pair.value == "ENDSEC" || pair.value == "EOF")
                    break;
                if (pair.value == "BLOCK") {
                    if (!ReadBlockHeader() || !ReadEntities("ENDBLK"))
                        return false;
                }
            }
            inBlock_ = false;
        }
    }
    return !pairs_.Failed();
}

} // namespace

bool ReadDxfBytes(Document& document, const uint8_t* data, size_t size, const ImportOptions& options)
{
    SceneModel& scene = document.scene;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    // Empty, binary (it starts with its sentinel) or not text at all.
    if (size == 0 || text.starts_with("AutoCAD Binary DXF") || text.find('\0') != std::string_view::npos) {
        scene.ui().ShowMessage(kDxfProblem);
        return false;
    }
    return RunImport(scene, kDxfProblem, [&](ImportProgress& progress, FramePtr& baseFrame) {
        DxfReader reader(scene, options, text, progress);
        const bool read = reader.Read();
        baseFrame = reader.BaseFrame();
        return read;
    });
}

bool ImportDxf(Document& document, const std::string& path, const ImportOptions& options)
{
    std::vector<uint8_t> bytes;
    if (!ReadImportFile(document.scene, path, bytes, kDxfOpenFailed, kDxfProblem))
        return false;
    return ReadDxfBytes(document, bytes.data(), bytes.size(), options);
}

} // namespace corvid
