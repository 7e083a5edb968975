#pragma once
// The program's records, kept as the application data of the layer's objects:
// an ObjectRecord on every object frame, a MeshRecord on every mesh builder an
// object shows, a LightRecord on every light and a MaterialRecord on every
// material the program made. A frame without an ObjectRecord is an editor
// auxiliary (grid, marker, headlight holder): never listed, picked as an
// object, saved or animated.

#include "platform/AppData.h"
#include "platform/Fwd.h"
#include "platform/Math.h"
#include "scene/KeyList.h"
#include "scene/ObjectKind.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace corvid {

// Where an object read from a scene file was put. Saving it again while it
// and its parents are where the file left them writes the file's own
// numbers, instead of ones recomputed through the parents (which round
// differently): a scene saved, loaded and saved again gives the same bytes,
// and repeated round trips never drift.
struct FilePlacement {
    Matrix4 sceneTransform;  // as stored: relative to SCENE
    Vec3 position, direction, up;  // lights and cameras, as stored
    Matrix4 local;           // the frame's own transform right after reading
    Matrix4 parentToScene;   // its parent's transform relative to SCENE then
};

struct ObjectRecord : AppData {
    ObjectRecord() = default;
    ObjectRecord(int32_t kind_, std::string name_) : name(std::move(name_)), kind(kind_) {}
    // Leaves the look-at links consistent: a dying looker leaves its target's
    // list, and a dying target frees its lookers of the look-at.
    ~ObjectRecord() override;
    ObjectRecord(const ObjectRecord&) = delete;
    ObjectRecord& operator=(const ObjectRecord&) = delete;

    std::string name;
    std::string text2;
    int32_t kind = 0;
    bool looksAt = false;
    std::weak_ptr<Frame> lookTarget;
    std::vector<ObjectRecord*> lookers;  // records of the objects looking at this one
    int32_t menuCommand = 0;             // 2222 + camera number / 3333 + light number
    int32_t cpRow = 0, cpColumn = 0, cpRows = 0, cpColumns = 0;
    int32_t patchType = 0;
    int32_t cpStepsU = 0, cpStepsV = 0;
    long treeItem = 0;
    std::array<uint8_t, 6> animFlags{};
    std::shared_ptr<FrameInterpolator> interpolator;
    std::unique_ptr<KeyList> keyList;
    std::shared_ptr<const FilePlacement> filePlacement;

    // Copies every field a duplicate keeps: kind, name, text2, the look-at
    // flag and target, menu command and the control-point fields. Not the
    // lookers, tree item, animation flags, interpolator or keys, which belong
    // to the new object's own registration.
    void CopyScalarsFrom(const ObjectRecord& source);
    // Makes this record look at target (appending it to the target's lookers
    // once) or stop looking (leaving the target's list).
    void SetLookTarget(const FramePtr& target);
    void ClearLookTarget();
    // Frees every looker of this record of its look-at.
    void ReleaseLookers();

private:
    // The record of the frame this one is in the lookers list of. Kept beside
    // the weak target so that the two lists stay consistent whichever record
    // goes first, even while a frame is half destroyed.
    ObjectRecord* lookTargetRecord_ = nullptr;
};

enum class WrapReference : int32_t { Object = 0, Scene = 1, Camera = 2 };

struct MeshRecord : AppData {
    int32_t tag = kMeshRecordTag;
    std::weak_ptr<Frame> owner;
    int32_t wrapReference = 0;  // 0 the object's frame, 1 SCENE, other: the active camera
    bool adaptiveScale = false;
    bool liveWrap = false;
    int32_t wrapType = 0;
    // origin x y z, direction x y z, up x y z, offset u v, scale u v
    std::array<float, 13> wrap{};

    // A copy of everything but the owner.
    std::unique_ptr<MeshRecord> CloneFor(const FramePtr& newOwner) const;
};

struct LightRecord : AppData {
    std::array<uint8_t, 6> flags{};
    std::shared_ptr<LightInterpolator> interpolator;
    std::unique_ptr<KeyList> keyList;
};

struct MaterialRecord : AppData {
    int32_t id = 0;
    float diffuse[3] = {1, 1, 1};
    float specular[3] = {0, 0, 0};
    float power = 5.0f;
    float ambient[3] = {0, 0, 0};
    float emissive[3] = {0, 0, 0};
    float alpha = 1.0f;
    std::string name;
    std::string textureName;
    std::string textureFile;
    std::string text4;
    bool colorKey = false;
    float colorKeyRGB[3] = {0, 0, 0};
    int32_t imageWidth = 0, imageHeight = 0;
    int32_t textureWidth = 0, textureHeight = 0;
};

// The record of a frame, mesh builder, light or material, or nullptr.
ObjectRecord* RecordOf(const Frame* frame);
MeshRecord* RecordOf(const MeshBuilder* mesh);
LightRecord* RecordOf(const Light* light);
MaterialRecord* RecordOf(const Material* material);
ObjectRecord* AttachRecord(Frame& frame, std::unique_ptr<ObjectRecord> record);
MeshRecord* AttachRecord(MeshBuilder& mesh, std::unique_ptr<MeshRecord> record);
LightRecord* AttachRecord(Light& light, std::unique_ptr<LightRecord> record);
MaterialRecord* AttachRecord(Material& material, std::unique_ptr<MaterialRecord> record);
// Material records may be shared: painting hangs one record on every material
// it paints until the paint values change. The record lives while any
// material carries it. SharedRecordOf is null for a material without one.
std::shared_ptr<MaterialRecord> SharedRecordOf(const Material* material);
void ShareRecord(Material& material, std::shared_ptr<MaterialRecord> record);

} // namespace corvid
