// The scene file's writer: collects the objects depth first into numbered
// nodes and the materials their meshes use, then writes the chunks in their
// fixed order.

#include "anim/Animation.h"
#include "anim/Transport.h"
#include "files/BinaryIo.h"
#include "files/Document.h"
#include "files/FileIo.h"
#include "files/scene/SceneFile.h"
#include "files/scene/SceneFormat.h"
#include "platform/Frame.h"
#include "platform/Light.h"
#include "platform/Material.h"
#include "platform/MeshBuilder.h"
#include "render/ViewSet.h"
#include "scene/Records.h"
#include "scene/SceneModel.h"
#include "scene/Ui.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <span>
#include <unordered_map>

namespace corvid {

namespace {

static_assert(sizeof(Vec3) == 3 * sizeof(float), "vertex arrays are written as floats");

// One material of the file: the scene's material and the name it is
// written under.
struct FileMaterial {
    int32_t id = 0;
    MaterialPtr material;  // null: faces without a material of the program's
    std::string name;
};

// The faces of one mesh that use one material, in face order, as runs of
// consecutive faces.
struct MaterialGroup {
    struct Run {
        int first = 0;
        int end = 0;  // one past the last
    };
    size_t material = 0;  // index into the material table
    std::vector<Run> runs;
    size_t faceCount = 0;

    void Add(int face)
    {
        if (runs.empty() || runs.back().end != face)
            runs.push_back({face, face});
        ++runs.back().end;
        ++faceCount;
    }
};

struct Node {
    int32_t index = 0;
    int32_t parent = 0;
    FramePtr frame;
    ObjectRecord* record = nullptr;
    MeshBuilderPtr mesh;
    LightPtr light;
    std::vector<MaterialGroup> groups;
};

// Equal normals share a key; +0 and -0 compare equal, so they do here too.
struct NormalKey {
    uint32_t bits[3];
    bool operator==(const NormalKey&) const = default;
};

// A slot of a table of 2^bits slots: every bit of the key stirs the top
// bits that choose it.
size_t SlotOf(const NormalKey& k, int bits)
{
    uint64_t h = ((uint64_t{k.bits[0]} << 32) | k.bits[1]) * 0x9E3779B97F4A7C15u;
    h = (h ^ (h >> 29) ^ k.bits[2]) * 0xBF58476D1CE4E5B9u;
    return static_cast<size_t>(h >> (64 - bits));
}

NormalKey KeyOf(const Vec3& n)
{
    NormalKey key{};
    const float v[3] = {n.x == 0.0f ? 0.0f : n.x, n.y == 0.0f ? 0.0f : n.y, n.z == 0.0f ? 0.0f : n.z};
    std::memcpy(key.bits, v, sizeof v);
    return key;
}

// The normal index a corner is written with: among the normals equal to the
// corner's own, the first at or after the corner's vertex index, else the
// last before it. Meshes whose normal i belongs to vertex i answer at once;
// the others look their normals up by value.
class NormalIndexer {
public:
    explicit NormalIndexer(const MeshBuilder& mesh) : mesh_(mesh), normals_(mesh.GetNormals()) {}

    int32_t IndexFor(const Corner& corner)
    {
        if (const std::optional<int32_t> at = AtOnce(corner))
            return *at;
        buildTable();
        const uint32_t group = groupOf_[static_cast<size_t>(corner.normal)];
        if (group == kNoGroup)
            return Search(corner);  // every corner of the mesh has its group; others go the long way
        // The normals equal to this one, in ascending order (never empty:
        // the corner's own is there).
        const auto first = members_.begin() + groupStart_[group];
        const auto last = members_.begin() + groupStart_[group + 1];
        // The first at or after v, else the last before.
        auto at = std::lower_bound(first, last, corner.vertex);
        if (at != last)
            return *at;
        return first == last ? corner.normal : *(last - 1);
    }

private:
    static constexpr uint32_t kNoGroup = ~uint32_t{0};

    // The answer when it needs no search: no normal, the vertex's own
    // normal, or a normal equal to nothing (NaN), itself included.
    std::optional<int32_t> AtOnce(const Corner& corner) const
    {
        if (corner.normal < 0 || corner.normal >= static_cast<int>(normals_.size()))
            return -1;
        const int v = corner.vertex;
        if (corner.normal == v)
            return v;  // its own, whatever it holds
        const Vec3& n = normals_[static_cast<size_t>(corner.normal)];
        if (v >= 0 && v < static_cast<int>(normals_.size()) && normals_[static_cast<size_t>(v)] == n)
            return v;
        if (n.x != n.x || n.y != n.y || n.z != n.z)
            return corner.normal;
        return std::nullopt;
    }

    // The same answer by going through every normal.
    int32_t Search(const Corner& corner) const
    {
        const NormalKey key = KeyOf(normals_[static_cast<size_t>(corner.normal)]);
        int32_t before = corner.normal;
        for (size_t i = 0; i < normals_.size(); ++i) {
            if (!(KeyOf(normals_[i]) == key))
                continue;
            if (static_cast<int>(i) >= corner.vertex)
                return static_cast<int32_t>(i);
            before = static_cast<int32_t>(i);
        }
        return before;
    }

    // Groups by value the normals that some corner of the mesh must look up
    // (usually few, where normals split along creases): groupOf_ numbers
    // each normal's group (kNoGroup for the others), and a group's members
    // lie in members_ from groupStart_[group] to groupStart_[group + 1], in
    // ascending order. Flat tables throughout: nothing is allocated per
    // normal.
    void buildTable()
    {
        if (built_)
            return;
        built_ = true;
        std::vector<int32_t> wanted;  // the normals of corners found no other way
        const int faceCount = mesh_.GetFaceCount();
        for (int f = 0; f < faceCount; ++f)
            for (const Corner& corner : mesh_.GetFaceCorners(f))
                if (!AtOnce(corner))
                    wanted.push_back(corner.normal);

        int bits = 4;
        while ((size_t{1} << bits) < 2 * wanted.size())
            ++bits;
        const size_t mask = (size_t{1} << bits) - 1;
        std::vector<NormalKey> keys;             // of each group
        std::vector<uint32_t> slots(mask + 1, kNoGroup);
        auto slotOf = [&](const NormalKey& key) {
            size_t at = SlotOf(key, bits);
            while (slots[at] != kNoGroup && !(keys[slots[at]] == key))
                at = (at + 1) & mask;
            return at;
        };
        for (int32_t n : wanted) {
            const NormalKey key = KeyOf(normals_[static_cast<size_t>(n)]);
            const size_t at = slotOf(key);
            if (slots[at] == kNoGroup) {
                slots[at] = static_cast<uint32_t>(keys.size());
                keys.push_back(key);
            }
        }

        const size_t count = normals_.size();
        groupOf_.assign(count, kNoGroup);
        groupStart_.assign(keys.size() + 1, 0);
        for (size_t i = 0; i < count; ++i) {
            const uint32_t group = slots[slotOf(KeyOf(normals_[i]))];
            groupOf_[i] = group;
            if (group != kNoGroup)
                ++groupStart_[group + 1];
        }
        for (size_t g = 0; g < keys.size(); ++g)
            groupStart_[g + 1] += groupStart_[g];
        std::vector<uint32_t> next(groupStart_.begin(), groupStart_.end() - 1);
        members_.resize(groupStart_.back());
        for (size_t i = 0; i < count; ++i)
            if (groupOf_[i] != kNoGroup)
                members_[next[groupOf_[i]]++] = static_cast<int>(i);
    }

    const MeshBuilder& mesh_;
    const std::vector<Vec3>& normals_;
    bool built_ = false;
    std::vector<uint32_t> groupOf_;
    std::vector<uint32_t> groupStart_;
    std::vector<int> members_;
};

bool IsMeshKind(int32_t kind)
{
    return kind == kObject || kind == kPatch;
}

class SceneWriter {
public:
    SceneWriter(Document& document, const ImportOptions& options, std::string folder, const SceneWriteSettings& settings)
        : doc_(document), scene_(document.scene), options_(options), folder_(std::move(folder)), settings_(settings)
    {
    }

    void Collect()
    {
        FramePtr start = scene_.Scene();
        if (options_.lastPickedOnly && scene_.SelectedFrame() && RecordOf(scene_.SelectedFrame().get()))
            start = scene_.SelectedFrame();
        collect(start, 0);
    }

    std::vector<uint8_t> Write()
    {
        out_.Reserve(estimateBytes());
        writeHeader();
        if (options_.addMaterials)
            writeMaterials();
        writeSwitches();
        for (const Node& node : nodes_)
            writeObject(node);
        writeLookAts();
        if (options_.addAnimation) {
            writeAnimationSettings();
            for (const Node& node : nodes_)
                writeKeys(node);
        }
        if (options_.addFog && scene_.World()->Scene().fogEnabled)
            writeFog();
        writeBackground();
        writeViewCamera();
        return out_.Take();
    }

private:
    // --- collecting -----------------------------------------------------------------
    Node& makeNode(const FramePtr& frame, ObjectRecord* record, int32_t parent)
    {
        Node& node = nodes_.emplace_back();
        node.index = static_cast<int32_t>(nodes_.size());
        node.parent = parent;
        node.frame = frame;
        node.record = record;
        return node;
    }

    void collect(const FramePtr& frame, int32_t parent)
    {
        ObjectRecord* record = RecordOf(frame.get());
        const size_t before = nodes_.size();
        if (record) {
            if (record->kind == kEmpty || record->kind == kCamera) {
                makeNode(frame, record, parent);
            } else if (IsMeshKind(record->kind)) {
                for (const MeshBuilderPtr& mesh : frame->GetVisuals()) {
                    std::vector<MaterialGroup> groups = collectMaterials(*mesh);
                    Node& node = makeNode(frame, record, parent);
                    node.mesh = mesh;
                    node.groups = std::move(groups);
                }
            } else if (record->kind == kLight) {
                for (const LightPtr& light : frame->GetLights())
                    makeNode(frame, record, parent).light = light;
            }
        }
        if (options_.lastPickedOnly)
            return;
        // A frame that made no node (an auxiliary, a base frame, a control
        // point) hands its own parent down, so what hangs below it keeps a
        // parent that is one of its ancestors.
        const int32_t childParent = nodes_.size() > before ? static_cast<int32_t>(nodes_.size()) : parent;
        // Copy: naming never changes the tree, but stay safe against it.
        const std::vector<FramePtr> children = frame->GetChildren();
        for (const FramePtr& child : children)
            collect(child, childParent);
    }

    std::string materialName(MaterialRecord& record)
    {
        auto named = materialNames_.find(&record);
        if (named != materialNames_.end())
            return named->second;
        return record.name;
    }

    void nameMaterial(MaterialRecord& record, const std::string& name)
    {
        materialNames_[&record] = name;
        if (settings_.nameInScene)
            record.name = name;
    }

    std::vector<MaterialGroup> collectMaterials(const MeshBuilder& mesh)
    {
        std::vector<MaterialGroup> groups;
        std::unordered_map<size_t, size_t> groupOfMaterial;
        int renameCounter = 0;
        const int faceCount = mesh.GetFaceCount();
        // Runs of faces share a material: a face with the material of the one
        // before goes to the same group (looking it up again would find that
        // group and change nothing).
        const Material* lastMaterial = nullptr;
        size_t lastGroup = 0;
        for (int f = 0; f < faceCount; ++f) {
            const FaceAttributes* face = mesh.GetFaceAttributes(f);
            const Material* material = face ? face->material.get() : nullptr;
            if (f > 0 && material == lastMaterial) {
                groups[lastGroup].Add(f);
                continue;
            }
            MaterialRecord* record = material ? RecordOf(material) : nullptr;
            size_t entry;
            if (!record) {
                entry = plainMaterial();
            } else {
                std::string name = materialName(*record);
                if (name.empty()) {
                    name = "MATERIALCVD_" + std::to_string(record->id);
                    nameMaterial(*record, name);
                }
                // Faces find their material by name: two materials may not
                // share one.
                for (bool clash = true; clash;) {
                    clash = false;
                    for (const FileMaterial& m : materials_)
                        if (m.material && m.id != record->id && m.name == name) {
                            name = "MATERIALCVD_" + std::to_string(renameCounter++);
                            nameMaterial(*record, name);
                            clash = true;
                            break;
                        }
                }
                auto known = materialOfId_.find(record->id);
                if (known == materialOfId_.end()) {
                    known = materialOfId_.emplace(record->id, materials_.size()).first;
                    materials_.push_back({record->id, face->material, name});
                }
                entry = known->second;
            }
            auto [group, added] = groupOfMaterial.emplace(entry, groups.size());
            if (added)
                groups.push_back({entry, {}});
            groups[group->second].Add(f);
            lastMaterial = material;
            lastGroup = group->second;
        }
        return groups;
    }

    // Faces without a material of the program's are written under the name
    // a reader gives its default material.
    size_t plainMaterial()
    {
        if (!plainMaterial_) {
            plainMaterial_ = materials_.size();
            materials_.push_back({-1, nullptr, cvd::kDefaultMaterialName});
        }
        return *plainMaterial_;
    }

    std::string objectName(ObjectRecord& record, const char* prefix)
    {
        if (!record.name.empty())
            return record.name;
        auto named = objectNames_.find(&record);
        if (named != objectNames_.end())
            return named->second;
        std::string name = prefix + std::to_string(nameCounter_++);
        objectNames_[&record] = name;
        if (settings_.nameInScene) {
            record.name = name;
            if (record.treeItem)
                scene_.ui().SetTreeItemName(record.treeItem, name);
        }
        return name;
    }

    size_t estimateBytes() const
    {
        size_t bytes = 4096;
        for (const Node& node : nodes_)
            if (node.mesh)
                bytes += static_cast<size_t>(node.mesh->GetVertexCount()) * 20 +
                         static_cast<size_t>(node.mesh->GetNormalCount()) * 12 +
                         static_cast<size_t>(node.mesh->GetFaceCount()) * 28 + node.mesh->GetFaceCount() / 2 * 16;
        return bytes;
    }

    // --- node lookups -----------------------------------------------------------------
    // The node index of the first node of frame; 0 when it is not written
    // (SCENE or a frame outside what is saved), -1 without a frame.
    int32_t nodeOf(const Frame* frame, int32_t missing = cvd::kSceneNode)
    {
        if (!frame)
            return cvd::kNoNode;
        if (nodeOfFrame_.empty())
            for (const Node& node : nodes_)
                nodeOfFrame_.emplace(node.frame.get(), node.index);
        auto found = nodeOfFrame_.find(frame);
        return found == nodeOfFrame_.end() ? missing : found->second;
    }

    // --- writing ------------------------------------------------------------------------
    void writeHeader()
    {
        out_.String(cvd::kMaker);
        out_.String(cvd::kFormatTag);
        out_.String(cvd::kVersion);
    }

    void writeMaterials()
    {
        for (const FileMaterial& m : materials_) {
            out_.BeginChunk(cvd::kMaterial, -1, -1, -1);
            out_.String(m.name);
            MaterialRecord plain;
            const MaterialRecord& r = m.material ? *RecordOf(m.material.get()) : plain;
            if (!m.material) {
                // What the readers' default material looks like.
                for (int i = 0; i < 3; ++i)
                    plain.diffuse[i] = plain.specular[i] = plain.ambient[i] = 0.8f;
                plain.power = 100.0f;
            }
            out_.Floats(r.diffuse, 3);
            out_.Floats(r.specular, 3);
            out_.Float(r.power);
            out_.Floats(r.ambient, 3);
            out_.Floats(r.emissive, 3);
            out_.Float(r.alpha);
            out_.EndChunk();
            if (r.textureName.empty())
                continue;
            out_.BeginChunk(cvd::kTexture, -1, -1, -1);
            out_.String(r.textureName);
            out_.EndChunk();
            copyBeside(r.textureFile, r.textureName);
            if (r.colorKey) {
                out_.BeginChunk(cvd::kColorKey, -1, -1, -1);
                out_.Byte(1);
                out_.Floats(r.colorKeyRGB, 3);
                out_.EndChunk();
            }
        }
    }

    // Copies a texture or background picture beside the scene file under its
    // bare name. A failed copy is not reported: the scene itself is written.
    void copyBeside(const std::string& source, const std::string& name)
    {
        if (settings_.copyFiles)
            CopyFileBeside(source, folder_, name);
    }

    void writeSwitches()
    {
        const SceneSettings& s = scene_.Settings();
        out_.BeginChunk(cvd::kSwitches, -1, -1, -1);
        out_.Byte(scene_.CameraLightOn() ? 1 : 0);
        out_.Byte(s.renderGrid ? 1 : 0);
        out_.Byte(s.renderLights ? 1 : 0);
        out_.Float(doc_.views.Viewport(1).Field());
        out_.EndChunk();
    }

    // What the file said of frame when it and its parents have not moved
    // since it was read; null otherwise.
    const FilePlacement* kept(const Frame& frame) const
    {
        const ObjectRecord* record = RecordOf(&frame);
        const FilePlacement* placement = record ? record->filePlacement.get() : nullptr;
        if (!placement || frame.GetLocalTransform() != placement->local)
            return nullptr;
        const Frame* parent = frame.GetParent();
        const Matrix4 parentToScene = parent ? parent->GetTransform(scene_.Scene().get()) : Matrix4::Identity();
        return parentToScene == placement->parentToScene ? placement : nullptr;
    }

    void writeTransform(const Frame& frame)
    {
        const FilePlacement* placement = kept(frame);
        out_.Matrix(placement ? placement->sceneTransform : frame.GetTransform(scene_.Scene().get()));
    }

    void writePosition(const Frame& frame)
    {
        const FilePlacement* placement = kept(frame);
        out_.Vec(placement ? placement->position : frame.GetTransform(scene_.Scene().get()).GetTranslation());
    }

    void writeObject(const Node& node)
    {
        ObjectRecord& record = *node.record;
        if (node.light) {
            if (options_.addLights)
                writeLight(node);
            return;
        }
        if (record.kind == kCamera) {
            if (options_.addCameras)
                writeCamera(node);
            return;
        }
        if (record.kind == kEmpty && !node.mesh) {
            out_.BeginChunk(cvd::kGroup, kEmpty, node.index, node.parent);
            out_.String(objectName(record, "GROUP_"));
            writeTransform(*node.frame);
            out_.EndChunk();
            return;
        }
        if (node.mesh)
            writeMesh(node);
    }

    void writeMesh(const Node& node)
    {
        ObjectRecord& record = *node.record;
        const MeshBuilder& mesh = *node.mesh;
        out_.BeginChunk(cvd::kMesh, record.kind, node.index, node.parent);
        out_.String(objectName(record, "OBJECT_"));
        out_.Int32(mesh.GetVertexCount());
        out_.Int32(mesh.GetNormalCount());
        out_.Int32(mesh.GetFaceCount());
        out_.Floats(reinterpret_cast<const float*>(mesh.GetVertices().data()), mesh.GetVertices().size() * 3);
        out_.Floats(reinterpret_cast<const float*>(mesh.GetNormals().data()), mesh.GetNormals().size() * 3);
        out_.Int32(static_cast<int32_t>(node.groups.size()));
        NormalIndexer normals(mesh);
        // The corners go out in batches rather than number by number.
        std::vector<int32_t> batch(size_t{1} << 14);
        size_t used = 0;
        bool textured = false;
        for (const MaterialGroup& group : node.groups) {
            const FileMaterial& material = materials_[group.material];
            out_.String(material.name);
            out_.Int32(static_cast<int32_t>(group.faceCount));
            if (material.material)
                if (const MaterialRecord* r = RecordOf(material.material.get()); r && !r->textureName.empty())
                    textured = true;
            for (const MaterialGroup::Run& run : group.runs) {
                for (int f = run.first; f < run.end; ++f) {
                    const std::span<const Corner> corners = mesh.GetFaceCorners(f);
                    const size_t need = 1 + 2 * corners.size();
                    if (used + need > batch.size()) {
                        out_.Int32s(batch.data(), used);
                        used = 0;
                        if (need > batch.size())
                            batch.resize(need);
                    }
                    int32_t* at = batch.data() + used;
                    *at++ = static_cast<int32_t>(corners.size());
                    for (const Corner& corner : corners) {
                        *at++ = corner.vertex;
                        *at++ = normals.IndexFor(corner);
                    }
                    used += need;
                }
            }
            out_.Int32s(batch.data(), used);
            used = 0;
        }
        writeTransform(*node.frame);
        out_.EndChunk();

        if (record.kind == kPatch) {
            out_.BeginChunk(cvd::kPatch, record.patchType, -1, node.index);
            for (int32_t v : {record.cpRow, record.cpColumn, record.cpRows, record.cpColumns, record.cpStepsU, record.cpStepsV})
                out_.Int32(v);
            out_.EndChunk();
        }
        if (textured && options_.addMaterials)
            writeWrap(node);
    }

    void writeWrap(const Node& node)
    {
        const MeshBuilder& mesh = *node.mesh;
        MeshRecord plain;
        const MeshRecord* found = RecordOf(&mesh);
        const MeshRecord& r = found ? *found : plain;
        out_.BeginChunk(cvd::kWrap, r.wrapType, -1, node.index);
        out_.Int32(r.wrapReference);
        out_.Byte(r.adaptiveScale ? 1 : 0);
        out_.Byte(r.liveWrap ? 1 : 0);
        out_.Floats(r.wrap.data(), r.wrap.size());
        std::vector<float> uv(static_cast<size_t>(mesh.GetVertexCount()) * 2, 0.0f);
        for (int v = 0; v < mesh.GetVertexCount(); ++v)
            mesh.GetTextureCoordinates(v, uv[2 * static_cast<size_t>(v)], uv[2 * static_cast<size_t>(v) + 1]);
        out_.Floats(uv.data(), uv.size());
        out_.EndChunk();
    }

    void writeOrientation(const Frame& frame)
    {
        Vec3 direction, up;
        if (const FilePlacement* placement = kept(frame)) {
            direction = placement->direction;
            up = placement->up;
        } else {
            frame.GetOrientation(scene_.Scene().get(), direction, up);
        }
        out_.Vec(direction);
        out_.Vec(up);
    }

    void writeLight(const Node& node)
    {
        const Light& light = *node.light;
        const LightType type = light.GetType();
        out_.BeginChunk(cvd::kLight, static_cast<int32_t>(type), node.index, node.parent);
        out_.String(node.record->name);
        writePosition(*node.frame);
        const ColorRGBA color = light.GetColor();
        out_.Float(color.r);
        out_.Float(color.g);
        out_.Float(color.b);
        if (type == LightType::Spot || type == LightType::Directional || type == LightType::ParallelPoint)
            writeOrientation(*node.frame);
        if (type == LightType::Spot) {
            out_.Float(light.GetConstantAttenuation());
            out_.Float(light.GetLinearAttenuation());
            out_.Float(light.GetQuadraticAttenuation());
            out_.Float(light.GetRange());
            out_.Float(light.GetPenumbra());
            out_.Float(light.GetUmbra());
        }
        out_.EndChunk();
    }

    void writeCamera(const Node& node)
    {
        out_.BeginChunk(cvd::kCamera, 0, node.index, node.parent);
        out_.String(node.record->name);
        writePosition(*node.frame);
        writeOrientation(*node.frame);
        out_.EndChunk();
    }

    void writeLookAts()
    {
        for (const Node& node : nodes_) {
            if (!node.record->looksAt)
                continue;
            const FramePtr target = node.record->lookTarget.lock();
            out_.BeginChunk(cvd::kLookAt, -1, target ? nodeOf(target.get(), cvd::kNoNode) : cvd::kNoNode, node.index);
            out_.EndChunk();
        }
    }

    void writeAnimationSettings()
    {
        const AnimationWindow& window = doc_.transport.Window();
        out_.BeginChunk(cvd::kAnimationSettings, -1, -1, -1);
        out_.Byte(1);
        out_.Byte(0);
        out_.Int32(1);
        out_.Int32(static_cast<int32_t>(window.path));
        out_.Float(window.closed ? 1.0f : 0.0f);
        out_.Float(doc_.animation.settings.userSpeed);
        out_.Int32(doc_.animation.settings.maxFrames);
        out_.EndChunk();
    }

    void writeKeys(const Node& node)
    {
        const ObjectRecord& record = *node.record;
        // Groups keep their keys too (SCENE itself has none to keep).
        if (node.frame == scene_.Scene())
            return;
        const LightRecord* lightRecord = node.light ? RecordOf(node.light.get()) : nullptr;
        const bool animated = record.animFlags[kAnimated] || (lightRecord && lightRecord->flags[kLightAnimated]);
        if (!animated || !record.keyList)
            return;
        out_.BeginChunk(cvd::kKeys, lightRecord ? kLightKeyListType : kObjectKeyListType, -1, node.index);
        for (uint8_t flag : record.animFlags)
            out_.Byte(flag);
        out_.Int32(static_cast<int32_t>(record.keyList->objectKeys.size()));
        for (const ObjectKey& key : record.keyList->objectKeys) {
            out_.Float(key.time);
            out_.Int32(nodeOf(key.positionReference.lock().get()));
            out_.Int32(nodeOf(key.orientationReference.lock().get()));
            out_.Vec(key.position);
            out_.Vec(key.direction);
            out_.Vec(key.up);
        }
        if (lightRecord) {
            for (uint8_t flag : lightRecord->flags)
                out_.Byte(flag);
            const std::vector<LightKey> none;
            const std::vector<LightKey>& keys = lightRecord->keyList ? lightRecord->keyList->lightKeys : none;
            out_.Int32(static_cast<int32_t>(keys.size()));
            for (const LightKey& key : keys) {
                out_.Float(key.time);
                if (key.color == kUnsetKeyColor) {
                    for (int i = 0; i < 3; ++i)
                        out_.Float(kUnsetKeyValue);
                } else {
                    const ColorRGBA c = ColorFromARGB(key.color);
                    out_.Float(c.r);
                    out_.Float(c.g);
                    out_.Float(c.b);
                }
                out_.Float(key.range);
                out_.Float(key.umbra);
                out_.Float(key.penumbra);
                out_.Float(key.constantAttenuation);
                out_.Float(key.linearAttenuation);
                out_.Float(key.quadraticAttenuation);
            }
        }
        out_.EndChunk();
    }

    void writeFog()
    {
        const SceneProperties& p = scene_.World()->Scene();
        out_.BeginChunk(cvd::kFog, static_cast<int32_t>(p.fogMode), -1, -1);
        out_.Float(p.fogColor.r);
        out_.Float(p.fogColor.g);
        out_.Float(p.fogColor.b);
        out_.Byte(1);
        out_.Byte(scene_.Settings().fogChangeBoth ? 1 : 0);
        out_.Int32(0);
        int32_t method = cvd::kFogMethodAny;
        if (p.fogMethod == FogMethod::Vertex)
            method = cvd::kFogMethodVertex;
        else if (p.fogMethod == FogMethod::Table)
            method = cvd::kFogMethodTable;
        out_.Int32(method);
        out_.Float(0.0f);
        out_.Float(p.fogStart);
        out_.Float(p.fogEnd);
        out_.Float(p.fogDensity);
        out_.EndChunk();
    }

    void writeBackground()
    {
        const SceneSettings& s = scene_.Settings();
        std::string name = kNoBackgroundName;
        if (s.backgroundImageOn && options_.addBackground && IsBareFileName(s.backgroundImageName) &&
            s.backgroundImageName != kNoBackgroundName) {
            name = s.backgroundImageName;
            copyBeside(s.backgroundImagePath, name);
        } else if (settings_.nameInScene) {
            scene_.SetBackgroundImage(s.backgroundImageOn, kNoBackgroundName, s.backgroundImagePath);
        }
        const ColorRGBA& c = scene_.World()->Scene().background;
        out_.BeginChunk(cvd::kBackground, -1, -1, -1);
        out_.String(name);
        out_.Float(c.r);
        out_.Float(c.g);
        out_.Float(c.b);
        out_.EndChunk();
    }

    void writeViewCamera()
    {
        // Only when the main view looks through one of the scene's cameras.
        ViewRecord& view = doc_.views.Viewport(1);
        if (view.viewCommand < kCameraMenuBase || view.viewCommand >= kCameraMenuBase + kMaxUserCameras)
            return;
        const FramePtr& camera = view.cameras[kViewObject];
        ObjectRecord* record = camera ? RecordOf(camera.get()) : nullptr;
        if (!record || record->kind != kCamera || !options_.addCameras)
            return;
        const int32_t node = nodeOf(camera.get(), cvd::kNoNode);
        if (node < 1)
            return;
        const FramePtr target = record->lookTarget.lock();
        out_.BeginChunk(cvd::kViewCamera, -1, -1, node);
        out_.Byte(record->looksAt ? 1 : 0);
        out_.Int32(record->looksAt && target ? nodeOf(target.get(), cvd::kNoNode) : cvd::kNoNode);
        out_.EndChunk();
    }

    Document& doc_;
    SceneModel& scene_;
    const ImportOptions& options_;
    std::string folder_;
    SceneWriteSettings settings_;
    ByteWriter out_;
    std::vector<Node> nodes_;
    std::vector<FileMaterial> materials_;
    std::unordered_map<int32_t, size_t> materialOfId_;
    std::optional<size_t> plainMaterial_;
    std::unordered_map<const MaterialRecord*, std::string> materialNames_;
    std::unordered_map<const ObjectRecord*, std::string> objectNames_;
    std::unordered_map<const Frame*, int32_t> nodeOfFrame_;
    int nameCounter_ = 0;
};

} // namespace

std::vector<uint8_t> WriteSceneBytes(Document& document, const ImportOptions& options, const std::string& folder,
                                     const SceneWriteSettings& settings)
{
    SceneWriter writer(document, options, folder, settings);
    writer.Collect();
    return writer.Write();
}

bool SaveScene(Document& document, const std::string& path, const ImportOptions& options)
{
    Ui& ui = document.scene.ui();
    ui.ShowProgress();
    ui.SetProgress(0);
    ui.SetProgressStatus("Collecting scene information...");
    SceneWriter writer(document, options, FolderOf(path), {});
    writer.Collect();
    ui.SetProgressStatus("Writing information to disk...");
    const std::vector<uint8_t> bytes = writer.Write();
    const WriteStatus status = WriteFileAtomically(path, bytes);
    if (status != WriteStatus::Written) {
        ui.HideProgress();
        ui.ShowMessage(status == WriteStatus::CannotOpen ? kSceneOpenForWriteFailed : kSceneWriteError);
        return false;
    }
    ui.SetProgress(100);
    ui.SetProgressStatus("File writing complete.");
    ui.HideProgress();
    return true;
}

} // namespace corvid
