// The 3DS writer: collects the scene depth first into triangle objects in
// world coordinates, lights and keyframer nodes, checks that everything fits
// the format's 16-bit counts, then writes the chunks with their lengths
// patched as each one ends.

#include "files/3ds/ThreeDsFile.h"
#include "files/3ds/ThreeDsFormat.h"
#include "files/Document.h"
#include "files/FileIo.h"
#include "platform/Frame.h"
#include "platform/Light.h"
#include "platform/Material.h"
#include "platform/MeshBuilder.h"
#include "scene/Records.h"
#include "scene/SceneModel.h"
#include "scene/Ui.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <unordered_set>

namespace corvid {

namespace {

using namespace tds;

// The faces of one object that use one material, as triangle numbers.
struct Group {
    size_t material = 0;  // index into the material list
    std::vector<uint16_t> triangles;
};

struct Object {
    std::string name;
    std::vector<Vec3> points;       // in the file's axes
    std::vector<Vec2> uvs;
    std::vector<uint16_t> triangles;  // a, b, c, flags
    std::vector<Group> groups;
};

struct FileLight {
    bool spot = false;
    std::string name;
    Vec3 position, target;  // in the file's axes
    ColorRGBA color;
    float hotspot = 0, falloff = 0, range = 0;
};

struct Node {
    uint16_t id = 0;
    std::string name;
    std::string instance;  // groups: the group's own name
    uint16_t parent = kNoParent;
    Vec3 pivot;
};

struct FileMaterial {
    std::string name;
    const MaterialRecord* record = nullptr;
};

constexpr const char* kDummyName = "$$$DUMMY";
constexpr size_t kMaxName = 255;

// Our axes to the file's: y and z exchanged.
Vec3 FileAxes(const Vec3& p)
{
    return {p.x, p.z, p.y};
}

bool Finite(const Vec3& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

uint8_t ColorByte(float component)
{
    return static_cast<uint8_t>(std::clamp(static_cast<int>(std::clamp(component, 0.0f, 1.0f) * 255.0f), 0, 255));
}

class ThreeDsWriter {
public:
    ThreeDsWriter(SceneModel& scene, const ImportOptions& options, std::string folder, const ThreeDsWriteSettings& settings)
        : scene_(scene), options_(options), folder_(std::move(folder)), settings_(settings)
    {
    }

    // False, with the message shown, when something does not fit the format.
    bool Collect()
    {
        FramePtr start = scene_.Scene();
        if (options_.lastPickedOnly && scene_.SelectedFrame() && RecordOf(scene_.SelectedFrame().get()))
            start = scene_.SelectedFrame();
        // Depth first without recursion: each frame with the parent id its
        // nodes take.
        std::vector<std::pair<FramePtr, uint16_t>> stack{{start, kNoParent}};
        while (!stack.empty()) {
            auto [frame, parent] = stack.back();
            stack.pop_back();
            const uint32_t before = counter_;
            if (!collect(frame, parent))
                return false;
            if (options_.lastPickedOnly)
                break;
            // A frame that made no node hands its own parent down.
            const uint16_t childParent = counter_ > before ? static_cast<uint16_t>(counter_) : parent;
            const std::vector<FramePtr>& children = frame->GetChildren();
            for (auto child = children.rbegin(); child != children.rend(); ++child)
                stack.emplace_back(*child, childParent);
        }
        return true;
    }

    std::vector<uint8_t> Write()
    {
        out_.Reserve(estimateBytes());
        const size_t main = out_.Begin(kMain);
        const size_t version = out_.Begin(kVersion);
        out_.U32(3);
        out_.End(version);
        const size_t data = out_.Begin(kMeshData);
        const size_t meshVersion = out_.Begin(kMeshVersion);
        out_.U32(3);
        out_.End(meshVersion);
        if (options_.addMaterials)
            for (const FileMaterial& m : materials_)
                writeMaterial(m);
        const size_t scale = out_.Begin(kMasterScale);
        out_.F32(1.0f);
        out_.End(scale);
        for (const Object& object : objects_)
            writeObject(object);
        if (options_.addLights)
            for (const FileLight& light : lights_)
                writeLight(light);
        out_.End(data);
        // The keyframer under the main chunk, where readers look for it.
        const size_t keyframer = out_.Begin(kKeyframer);
        for (const Node& node : objectNodes_)
            writeNode(kObjectNode, node);
        if (options_.addLights) {
            for (const Node& node : pointNodes_)
                writeNode(kLightNode, node);
            for (const Node& node : spotNodes_)
                writeNode(kSpotNode, node);
        }
        out_.End(keyframer);
        out_.End(main);
        return out_.Take();
    }

private:
    // --- collecting ----------------------------------------------------------------------------
    bool nextNode(uint16_t& id)
    {
        if (counter_ + 1 >= kNoParent) {
            scene_.ui().ShowMessage(kThreeDsTooManyNodes);
            return false;
        }
        id = static_cast<uint16_t>(++counter_);
        return true;
    }

    // Names tie nodes to their objects: each is written once.
    std::string uniqueName(std::string name)
    {
        if (name.size() > kMaxName)
            name.resize(kMaxName);
        if (name.empty())
            name = "OBJECT";
        std::string candidate = name;
        for (int n = 1; usedNames_.count(candidate); ++n) {
            const std::string suffix = "_" + std::to_string(n);
            candidate = name.substr(0, kMaxName - suffix.size()) + suffix;
        }
        usedNames_.insert(candidate);
        return candidate;
    }

    bool collect(const FramePtr& frame, uint16_t parent)
    {
        ObjectRecord* record = RecordOf(frame.get());
        if (!record)
            return true;
        switch (record->kind) {
        case kObject:
        case kPatch:
            for (const MeshBuilderPtr& mesh : frame->GetVisuals())
                if (!collectMesh(*frame, *record, *mesh, parent))
                    return false;
            return true;
        case corvid::kLight:
            for (const LightPtr& light : frame->GetLights())
                if (!collectLight(*frame, *light, parent))
                    return false;
            return true;
        case kEmpty: {
            Node node;
            if (!nextNode(node.id))
                return false;
            node.name = kDummyName;
            node.instance = record->name.substr(0, std::min(record->name.size(), kMaxName));
            node.parent = parent;
            objectNodes_.push_back(std::move(node));
            return true;
        }
        default:
            return true;
        }
    }

    // Shows format with the object's name; false.
    bool refuse(const char* format, const std::string& name)
    {
        std::string text = format;
        text.replace(text.find("%s"), 2, name);
        scene_.ui().ShowMessage(text);
        return false;
    }

    bool collectMesh(const Frame& frame, const ObjectRecord& record, const MeshBuilder& mesh, uint16_t parent)
    {
        // Counted before anything is kept, so a mesh too large is refused
        // whole.
        size_t triangles = 0;
        const int faceCount = mesh.GetFaceCount();
        for (int f = 0; f < faceCount; ++f)
            triangles += static_cast<size_t>(std::max(mesh.GetFaceVertexCount(f) - 2, 0));
        if (static_cast<size_t>(mesh.GetVertexCount()) > kMaxCount || triangles > kMaxCount)
            return refuse(kThreeDsMeshTooLargeFormat, record.name);
        Object& object = objects_.emplace_back();
        object.name = uniqueName(record.name);

        const Matrix4 toScene = frame.GetTransform(scene_.Scene().get());
        const std::vector<Vec3>& vertices = mesh.GetVertices();
        object.points.resize(vertices.size());
        bool finite = true;
        for (size_t i = 0; i < vertices.size(); ++i) {
            Vec3 v = vertices[i];
            if (v.x >= 10000000.0f || v.x <= -10000000.0f)
                v = v * 0.0000001f;
            object.points[i] = FileAxes(toScene.TransformPoint(v));
            finite = finite && Finite(object.points[i]);
        }
        if (!finite)
            return refuse(kThreeDsNotFiniteFormat, record.name);
        object.uvs.resize(vertices.size());
        const std::vector<Vec2>& uvs = mesh.GetTextureCoordinateList();
        for (size_t i = 0; i < vertices.size() && i < uvs.size(); ++i)
            object.uvs[i] = {uvs[i].u, -uvs[i].v};

        object.triangles.reserve(4 * triangles);
        std::unordered_map<size_t, size_t> groupOf;  // material list index -> group
        const Material* lastMaterial = nullptr;
        size_t lastGroup = 0;
        bool hasLast = false;
        for (int f = 0; f < faceCount; ++f) {
            const std::span<const Corner> corners = mesh.GetFaceCorners(f);
            if (corners.size() < 3)
                continue;
            const auto first = static_cast<uint16_t>(object.triangles.size() / 4);
            for (size_t j = 1; j + 1 < corners.size(); ++j) {
                object.triangles.push_back(static_cast<uint16_t>(corners[0].vertex));
                object.triangles.push_back(static_cast<uint16_t>(corners[j + 1].vertex));
                object.triangles.push_back(static_cast<uint16_t>(corners[j].vertex));
                object.triangles.push_back(7);
            }
            if (!options_.addMaterials)
                continue;
            const FaceAttributes* face = mesh.GetFaceAttributes(f);
            const Material* material = face ? face->material.get() : nullptr;
            MaterialRecord* materialRecord = material ? RecordOf(material) : nullptr;
            if (!materialRecord)
                continue;
            if (!hasLast || material != lastMaterial) {
                const size_t entry = materialEntry(*materialRecord);
                auto [group, added] = groupOf.emplace(entry, object.groups.size());
                if (added)
                    object.groups.push_back({entry, {}});
                lastGroup = group->second;
                lastMaterial = material;
                hasLast = true;
            }
            std::vector<uint16_t>& numbers = object.groups[lastGroup].triangles;
            const auto end = static_cast<uint16_t>(object.triangles.size() / 4);
            for (uint16_t t = first; t < end; ++t)
                numbers.push_back(t);
        }

        Node node;
        if (!nextNode(node.id))
            return false;
        node.name = object.name;
        node.parent = parent;
        objectNodes_.push_back(std::move(node));
        return true;
    }

    // The material list's entry for record, added when new. Faces find
    // their material by name: an unnamed material, or one whose name
    // another material already has, is named after its id (in the scene too).
    size_t materialEntry(MaterialRecord& record)
    {
        if (auto known = materialOfId_.find(record.id); known != materialOfId_.end())
            return known->second;
        if (record.name.size() > kMaxName)
            record.name.resize(kMaxName);
        if (record.name.empty() || materialNames_.count(record.name))
            record.name = "MADE_MATERIAL_" + std::to_string(record.id);
        materialNames_.insert(record.name);
        materialOfId_.emplace(record.id, materials_.size());
        materials_.push_back({record.name, &record});
        return materials_.size() - 1;
    }

    bool collectLight(const Frame& frame, const Light& light, uint16_t parent)
    {
        FileLight entry;
        Node node;
        if (!nextNode(node.id))
            return false;
        const Matrix4 toScene = frame.GetTransform(scene_.Scene().get());
        const Vec3 position = toScene.GetTranslation();
        entry.position = FileAxes(position);
        entry.color = light.GetColor();
        const LightType type = light.GetType();
        entry.spot = type != LightType::Ambient && type != LightType::Point;
        entry.name = (entry.spot ? "SpotL" : "PointL") + std::to_string(node.id);
        if (entry.spot) {
            Vec3 direction, up;
            frame.GetOrientation(scene_.Scene().get(), direction, up);
            entry.target = FileAxes(position + direction);
            entry.hotspot = light.GetUmbra() * 630.0f * 0.09090909f;
            entry.falloff = light.GetPenumbra() * 630.0f * 0.09090909f;
            entry.range = light.GetRange();
        }
        const Vec3 cone{entry.hotspot, entry.falloff, entry.range};
        if (!Finite(entry.position) || !Finite(entry.target) || !Finite(cone))
            return refuse(kThreeDsNotFiniteFormat, RecordOf(&frame)->name);
        usedNames_.insert(entry.name);
        node.name = entry.name;
        node.parent = parent;
        node.pivot = entry.position;
        (entry.spot ? spotNodes_ : pointNodes_).push_back(std::move(node));
        lights_.push_back(std::move(entry));
        return true;
    }

    size_t estimateBytes() const
    {
        size_t bytes = 4096;
        for (const Object& object : objects_)
            bytes += 64 + object.name.size() + object.points.size() * 20 + object.triangles.size() * 4 +
                     object.triangles.size() / 2;
        return bytes;
    }

    // --- writing ---------------------------------------------------------------------------------
    void colorChunk(uint16_t id, const float* rgb)
    {
        const size_t chunk = out_.Begin(id);
        const size_t color = out_.Begin(kColorBytes);
        for (int i = 0; i < 3; ++i)
            out_.U8(ColorByte(rgb[i]));
        out_.End(color);
        out_.End(chunk);
    }

    void percentChunk(uint16_t id, int percent)
    {
        const size_t chunk = out_.Begin(id);
        const size_t value = out_.Begin(kPercentInt);
        out_.U16(static_cast<uint16_t>(std::clamp(percent, 0, 100)));
        out_.End(value);
        out_.End(chunk);
    }

    void writeMaterial(const FileMaterial& m)
    {
        const MaterialRecord& r = *m.record;
        const size_t entry = out_.Begin(kMaterialEntry);
        const size_t name = out_.Begin(kMaterialName);
        out_.String(m.name);
        out_.End(name);
        colorChunk(kAmbient, r.ambient);
        colorChunk(kDiffuse, r.diffuse);
        colorChunk(kSpecular, r.specular);
        // Power 0 .. 100 as a shininess of 100 .. 1.
        const float shine = 100.0f - r.power;
        const int shininess = !(shine > 0.0f) ? 1 : (shine >= 100.0f ? 100 : static_cast<int>(shine));
        percentChunk(kShininess, shininess);
        percentChunk(kShininessStrength, shininess);
        const float clear = (1.0f - r.alpha) * 100.0f;
        percentChunk(kTransparency, r.alpha == 0.0f || !(clear > 0.0f) ? 0 : static_cast<int>(std::min(clear, 100.0f)));
        percentChunk(kTransparencyFalloff, 0);
        percentChunk(kReflectionBlur, 0);
        percentChunk(kSelfIllumination, 0);
        const size_t wire = out_.Begin(kWireSize);
        out_.F32(1.0f);
        out_.End(wire);
        out_.End(out_.Begin(kMaterial0xA08A));
        out_.End(out_.Begin(kMaterial0xA08C));
        const size_t shading = out_.Begin(kShading);
        out_.U16(2);
        out_.End(shading);
        if (options_.addTextures && IsBareFileName(r.textureName)) {
            const size_t map = out_.Begin(kTextureMap);
            const size_t strength = out_.Begin(kPercentInt);
            out_.U16(100);
            out_.End(strength);
            const size_t mapName = out_.Begin(kMapName);
            out_.String(r.textureName);
            out_.End(mapName);
            const size_t tiling = out_.Begin(kMapTiling);
            out_.U16(0);
            out_.End(tiling);
            const size_t blur = out_.Begin(kMapBlur);
            out_.F32(0.0f);
            out_.End(blur);
            out_.End(map);
            copyBeside(r.textureFile, r.textureName);
        }
        out_.End(entry);
    }

    // Copies a texture beside the written file under its bare name, never
    // onto itself. A failed copy is not reported: the model is written.
    void copyBeside(const std::string& source, const std::string& name)
    {
        if (settings_.copyTextures)
            CopyFileBeside(source, folder_, name);
    }

    void writeObject(const Object& object)
    {
        const size_t named = out_.Begin(kNamedObject);
        out_.String(object.name);
        const size_t mesh = out_.Begin(kTriangleObject);

        const size_t points = out_.Begin(kPointArray);
        out_.U16(static_cast<uint16_t>(object.points.size()));
        out_.F32s(reinterpret_cast<const float*>(object.points.data()), 3 * object.points.size());
        out_.End(points);

        const size_t uvs = out_.Begin(kTextureVertices);
        out_.U16(static_cast<uint16_t>(object.uvs.size()));
        out_.F32s(reinterpret_cast<const float*>(object.uvs.data()), 2 * object.uvs.size());
        out_.End(uvs);

        const size_t matrix = out_.Begin(kMeshMatrix);
        constexpr float identity[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
        out_.F32s(identity, 12);
        out_.End(matrix);

        const size_t faces = out_.Begin(kFaceArray);
        out_.U16(static_cast<uint16_t>(object.triangles.size() / 4));
        uint8_t* at = out_.Grow(2 * object.triangles.size());
        for (uint16_t value : object.triangles) {
            ChunkWriter::Store16(at, value);
            at += 2;
        }
        for (const Group& group : object.groups) {
            const size_t chunk = out_.Begin(kMaterialGroup);
            out_.String(materials_[group.material].name);
            out_.U16(static_cast<uint16_t>(group.triangles.size()));
            uint8_t* numbers = out_.Grow(2 * group.triangles.size());
            for (uint16_t t : group.triangles) {
                ChunkWriter::Store16(numbers, t);
                numbers += 2;
            }
            out_.End(chunk);
        }
        out_.End(faces);
        out_.End(mesh);
        out_.End(named);
    }

    void writeLight(const FileLight& light)
    {
        const size_t named = out_.Begin(kNamedObject);
        out_.String(light.name);
        const size_t chunk = out_.Begin(kLightObject);
        out_.F32s(&light.position.x, 3);
        const size_t color = out_.Begin(kColorFloat);
        out_.F32(light.color.r);
        out_.F32(light.color.g);
        out_.F32(light.color.b);
        out_.End(color);
        if (light.spot) {
            const size_t spot = out_.Begin(kSpotLight);
            out_.F32s(&light.target.x, 3);
            out_.F32(light.hotspot);
            out_.F32(light.falloff);
            out_.End(spot);
            const size_t range = out_.Begin(kOuterRange);
            out_.F32(light.range);
            out_.End(range);
        }
        out_.End(chunk);
        out_.End(named);
    }

    // A track with one key at frame 0 holding values.
    void track(uint16_t id, const float* values, size_t count)
    {
        const size_t chunk = out_.Begin(id);
        out_.U16(0x40);
        for (int i = 0; i < 4; ++i)
            out_.U16(0);
        out_.U16(1);
        out_.U16(0);
        out_.U32(0);  // the key's frame
        out_.U16(0);  // and its flags
        out_.F32s(values, count);
        out_.End(chunk);
    }

    void writeNode(uint16_t tag, const Node& node)
    {
        const size_t chunk = out_.Begin(tag);
        const size_t id = out_.Begin(kNodeId);
        out_.U16(node.id);
        out_.End(id);
        const size_t header = out_.Begin(kNodeHeader);
        out_.String(node.name);
        out_.U16(0x4070);
        out_.U16(0);
        out_.U16(node.parent);
        out_.End(header);
        if (!node.instance.empty()) {
            const size_t instance = out_.Begin(kInstanceName);
            out_.String(node.instance);
            out_.End(instance);
        }
        const size_t pivot = out_.Begin(kPivot);
        out_.F32s(&node.pivot.x, 3);
        out_.End(pivot);
        track(kPositionTrack, &node.pivot.x, 3);
        constexpr float rotation[4] = {0, 0, 0, 0};
        track(kRotationTrack, rotation, 4);
        constexpr float scale[3] = {1, 1, 1};
        track(kScaleTrack, scale, 3);
        out_.End(chunk);
    }

    SceneModel& scene_;
    const ImportOptions& options_;
    std::string folder_;
    ThreeDsWriteSettings settings_;
    ChunkWriter out_;

    uint32_t counter_ = 0;
    std::vector<Object> objects_;
    std::vector<FileLight> lights_;
    std::vector<Node> objectNodes_, pointNodes_, spotNodes_;
    std::vector<FileMaterial> materials_;
    std::unordered_map<int32_t, size_t> materialOfId_;
    std::unordered_set<std::string> materialNames_;
    std::unordered_set<std::string> usedNames_;
};

} // namespace

bool Write3dsBytes(Document& document, const ImportOptions& options, const std::string& folder,
                   std::vector<uint8_t>& bytes, const ThreeDsWriteSettings& settings)
{
    bytes.clear();
    ThreeDsWriter writer(document.scene, options, folder, settings);
    if (!writer.Collect())
        return false;
    bytes = writer.Write();
    return true;
}

bool Export3ds(Document& document, const std::string& path, const ImportOptions& options)
{
    Ui& ui = document.scene.ui();
    ui.ShowProgress();
    ui.SetProgress(0);
    ui.SetProgressStatus(kThreeDsCollecting);
    ThreeDsWriter writer(document.scene, options, FolderOf(path), {});
    if (!writer.Collect()) {
        ui.HideProgress();
        return false;
    }
    ui.SetProgressStatus(kThreeDsWriting);
    const std::vector<uint8_t> bytes = writer.Write();
    const WriteStatus status = WriteFileAtomically(path, bytes);
    if (status != WriteStatus::Written) {
        ui.HideProgress();
        ui.ShowMessage(status == WriteStatus::CannotOpen ? kThreeDsOpenFailed : kThreeDsWriteError);
        return false;
    }
    ui.SetProgress(100);
    ui.SetProgressStatus(kThreeDsWritten);
    ui.HideProgress();
    return true;
}

} // namespace corvid
