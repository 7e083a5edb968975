#pragma once
// Texture mapping: the wrap settings the mapping window edits, the six
// presets, laying a wrap on the selected object (one step of the edit
// history), and what the wrap's placement looks like for the gizmo.
//
// A wrap's two axes are kept as axisA and axisB. Which of them is the wrap's
// direction depends on the shape: the curved wraps (cylinder, sphere,
// chrome) look along axisB with axisA up; the flat ones (flat, sheet, box)
// look along axisA with axisB up. A MeshRecord keeps the same two axes in
// the same order (scene/Records.h), so a wrap laid again from the record is
// the one laid here.

#include "platform/Fwd.h"
#include "platform/Math.h"
#include "platform/Wrap.h"

#include <array>
#include <memory>
#include <string>

namespace corvid {

class SceneModel;
struct MeshRecord;

// The frame a wrap is placed in ("Relative to").
enum class MappingReference { Object = 0, Scene = 1, Camera = 2 };

struct WrapSettings {
    int relativeTo = 0;          // MappingReference
    bool adaptiveScale = false;  // divide the scale by the object's extent
    bool autoWrap = false;       // lay the wrap again whenever the object moves
    int wrapType = 2;            // WrapType, 0..5
    Vec3 origin;
    Vec3 axisA{0, 0, 1};
    Vec3 axisB{0, 1, 0};
    float ou = 0, ov = 0;  // texture offset
    float su = 1, sv = 1;  // texture scale, before adaptive division
    bool operator==(const WrapSettings&) const = default;
};

// The preset of a wrap type (its button); the sphere's for a type out of range.
WrapSettings PresetSettings(int wrapType);
// Whether adaptive scale means anything for the type (not for sphere and chrome).
bool AdaptiveScaleApplies(int wrapType);
// The wrap's direction and up from the two axes, by type.
void WrapDirectionUp(int wrapType, const Vec3& axisA, const Vec3& axisB, Vec3& direction, Vec3& up);
// A wrap from settings with the scale given, placed in reference (null: root
// space). Null when the settings do not make a wrap (a type out of range, a
// zero direction, a value that is not finite).
std::shared_ptr<Wrap> CreateWrap(const WrapSettings& settings, const Frame* reference, float su, float sv);

// The reference frame of relativeTo for an object: the object's frame,
// SCENE, or the active camera (SCENE when there is none).
const Frame* MappingReferenceFrame(const SceneModel& scene, const Frame& object, int relativeTo);

// The scale adaptive scale uses on mesh (in object's space): the object's
// bounding box seen from a frame at its position turned like the wrap;
// flat, sheet and box divide su by the extent along the first axis and sv
// by the extent along the second, cylinder only sv, sphere and chrome
// neither. A scale whose extent is zero (or that would not be finite) is
// left as it was. Without adaptive scale, su and sv as they are.
Vec2 MappingScale(const WrapSettings& settings, const Frame& object, const MeshBuilder& mesh, const Frame* reference);

// Lays settings' wrap on the selected object's mesh and keeps the settings
// (with the scale used) in its MeshRecord; installs the live wrap when
// autoWrap is on and removes it when off. One step of the edit history
// ("Apply Mapping", or part of the step open). False, changing nothing,
// without a selected object whose mesh has a MeshRecord, or when the
// settings make no wrap.
bool ApplyMapping(SceneModel& scene, const WrapSettings& settings);
bool ApplyMapping(SceneModel& scene, const WrapSettings& settings, const FramePtr& frame, const MeshBuilderPtr& mesh);

// The settings a MeshRecord keeps, with its scale as used.
WrapSettings SettingsOf(const MeshRecord& record);

// The mapping window's state: six settings, one per preset button, and the
// one current (the sphere's at start).
class Mapping {
public:
    Mapping();

    WrapSettings& Current() { return presets_[static_cast<size_t>(current_)]; }
    const WrapSettings& Current() const { return presets_[static_cast<size_t>(current_)]; }
    int CurrentType() const { return current_; }
    // Makes wrapType's preset current (refused out of 0..5).
    bool ChoosePreset(int wrapType);
    // Puts every preset back as it starts (New Scene keeps them: they are
    // the window's, not the scene's).
    void Reset();

private:
    std::array<WrapSettings, 6> presets_;
    int current_ = static_cast<int>(WrapType::Sphere);
};

constexpr const char* kNoObjectSelected = "No object selected";
constexpr const char* kObjectNotMapable = "Object is not Mapable";
constexpr const char* kUsingCurrentMapType = "Object does have mapping information: Using current map type";

} // namespace corvid
