#include "materials/Mapping.h"

#include "materials/MappingParts.h"
#include "platform/Frame.h"
#include "platform/MeshBuilder.h"
#include "scene/EditHistory.h"
#include "scene/EditParts.h"
#include "scene/MoveBehaviours.h"
#include "scene/Records.h"
#include "scene/SceneModel.h"
#include "scene/Ui.h"

#include <cmath>

namespace corvid {

namespace {

bool ValidType(int wrapType)
{
    return wrapType >= static_cast<int>(WrapType::Flat) && wrapType <= static_cast<int>(WrapType::Box);
}

bool Curved(int wrapType)
{
    return wrapType == static_cast<int>(WrapType::Cylinder) || wrapType == static_cast<int>(WrapType::Sphere) ||
           wrapType == static_cast<int>(WrapType::Chrome);
}

// s divided by extent, or s unchanged when that is not a finite number.
float Divided(float s, float extent)
{
    if (extent == 0.0f)
        return s;
    const float q = s / extent;
    return std::isfinite(q) ? q : s;
}

} // namespace

WrapSettings PresetSettings(int wrapType)
{
    WrapSettings s;
    if (!ValidType(wrapType))
        wrapType = static_cast<int>(WrapType::Sphere);
    s.wrapType = wrapType;
    if (Curved(wrapType)) {
        s.axisA = {0, 0, 1};
        s.axisB = {0, 1, 0};
    } else {
        s.axisA = {0, 1, 0};
        s.axisB = {0, 0, 1};
    }
    s.su = wrapType == static_cast<int>(WrapType::Cylinder) ? 3.0f : 1.0f;
    s.sv = 1.0f;
    const bool chrome = wrapType == static_cast<int>(WrapType::Chrome);
    s.relativeTo = static_cast<int>(chrome ? MappingReference::Camera : MappingReference::Object);
    s.autoWrap = chrome;
    s.adaptiveScale = false;
    return s;
}

bool AdaptiveScaleApplies(int wrapType)
{
    return wrapType != static_cast<int>(WrapType::Sphere) && wrapType != static_cast<int>(WrapType::Chrome);
}

void WrapDirectionUp(int wrapType, const Vec3& axisA, const Vec3& axisB, Vec3& direction, Vec3& up)
{
    if (Curved(wrapType)) {
        direction = axisB;
        up = axisA;
    } else {
        direction = axisA;
        up = axisB;
    }
}

std::shared_ptr<Wrap> CreateWrap(const WrapSettings& settings, const Frame* reference, float su, float sv)
{
    if (!ValidType(settings.wrapType))
        return nullptr;
    Vec3 direction, up;
    WrapDirectionUp(settings.wrapType, settings.axisA, settings.axisB, direction, up);
    return Wrap::Create(static_cast<WrapType>(settings.wrapType), reference, settings.origin, direction, up,
                        settings.ou, settings.ov, su, sv);
}

const Frame* MappingReferenceFrame(const SceneModel& scene, const Frame& object, int relativeTo)
{
    if (relativeTo == static_cast<int>(MappingReference::Object))
        return &object;
    if (relativeTo == static_cast<int>(MappingReference::Camera) && scene.ActiveCamera())
        return scene.ActiveCamera().get();
    return scene.Scene().get();
}

Vec2 MappingScale(const WrapSettings& settings, const Frame& object, const MeshBuilder& mesh, const Frame* reference)
{
    Vec2 scale{settings.su, settings.sv};
    if (!settings.adaptiveScale || !AdaptiveScaleApplies(settings.wrapType))
        return scale;
    const Box box = mesh.GetBox();
    if (box.IsEmpty())
        return scale;
    // A frame at the object's position, turned like the wrap relative to its
    // reference; the box's corners carried into it.
    FramePtr measure = Frame::Create(nullptr);
    measure->SetPosition(nullptr, object.GetPosition(nullptr));
    measure->SetOrientation(reference, settings.axisA, settings.axisB);
    const Box seen = box.Transformed(object.GetTransform(measure.get()));
    if (seen.IsEmpty())
        return scale;
    const Vec3 extent = seen.Size();
    if (settings.wrapType != static_cast<int>(WrapType::Cylinder))
        scale.u = Divided(settings.su, extent.x);
    scale.v = Divided(settings.sv, extent.y);
    return scale;
}

WrapSettings SettingsOf(const MeshRecord& record)
{
    WrapSettings s;
    s.relativeTo = record.wrapReference;
    s.adaptiveScale = record.adaptiveScale;
    s.autoWrap = record.liveWrap;
    s.wrapType = record.wrapType;
    const auto& w = record.wrap;
    s.origin = {w[0], w[1], w[2]};
    s.axisA = {w[3], w[4], w[5]};
    s.axisB = {w[6], w[7], w[8]};
    s.ou = w[9];
    s.ov = w[10];
    s.su = w[11];
    s.sv = w[12];
    return s;
}

bool ApplyMapping(SceneModel& scene, const WrapSettings& settings)
{
    if (!scene.HasSelection())
        return false;
    return ApplyMapping(scene, settings, scene.SelectedFrame(), scene.CurrentVisual());
}

bool ApplyMapping(SceneModel& scene, const WrapSettings& settings, const FramePtr& frame, const MeshBuilderPtr& mesh)
{
    if (!frame || !mesh)
        return false;
    MeshRecord* record = RecordOf(mesh.get());
    if (!record)
        return false;
    const Frame* reference = MappingReferenceFrame(scene, *frame, settings.relativeTo);
    const Vec2 scale = MappingScale(settings, *frame, *mesh, reference);
    std::shared_ptr<Wrap> wrap = CreateWrap(settings, reference, scale.u, scale.v);
    if (!wrap)
        return false;

    EditStep step(scene.History(), "Apply Mapping");
    scene.History().Touch<MeshAspect>(mesh);
    scene.History().Touch<WrapRecordAspect>(frame);
    record->wrapReference = settings.relativeTo;
    record->adaptiveScale = settings.adaptiveScale;
    record->liveWrap = settings.autoWrap;
    record->wrapType = settings.wrapType;
    const Vec3& o = settings.origin;
    const Vec3& a = settings.axisA;
    const Vec3& b = settings.axisB;
    record->wrap = {o.x, o.y, o.z, a.x, a.y, a.z, b.x, b.y, b.z, settings.ou, settings.ov, scale.u, scale.v};

    const bool curved = Curved(settings.wrapType);
    mesh->SetTextureTopology(curved, curved);
    mesh->SetPerspective(true);
    wrap->ApplyRelative(*frame, *mesh);
    if (settings.autoWrap)
        InstallLiveWrap(*frame, scene.Context());
    else
        RemoveLiveWrap(*frame);
    scene.ui().Notify(Notification::RedrawRequested);
    return true;
}

// --- the window's presets ----------------------------------------------------------------

Mapping::Mapping()
{
    Reset();
}

bool Mapping::ChoosePreset(int wrapType)
{
    if (!ValidType(wrapType))
        return false;
    current_ = wrapType;
    return true;
}

void Mapping::Reset()
{
    for (int t = 0; t < static_cast<int>(presets_.size()); ++t)
        presets_[static_cast<size_t>(t)] = PresetSettings(t);
    current_ = static_cast<int>(WrapType::Sphere);
}

// --- the edit history's part ----------------------------------------------------------------

WrapRecordAspect::State WrapRecordAspect::Capture(const Frame& frame)
{
    State s;
    const MeshRecord* record = frame.GetVisuals().empty() ? nullptr : RecordOf(frame.GetVisuals().front().get());
    if (!record)
        return s;
    s.valid = true;
    s.wrapReference = record->wrapReference;
    s.adaptiveScale = record->adaptiveScale;
    s.liveWrap = record->liveWrap;
    s.wrapType = record->wrapType;
    s.wrap = record->wrap;
    s.callback = frame.HasMoveCallback(kLiveWrapCallbackTag);
    return s;
}

void WrapRecordAspect::Restore(SceneModel& scene, Frame& frame, const State& s)
{
    MeshRecord* record = frame.GetVisuals().empty() ? nullptr : RecordOf(frame.GetVisuals().front().get());
    if (!s.valid || !record)
        return;
    record->wrapReference = s.wrapReference;
    record->adaptiveScale = s.adaptiveScale;
    record->liveWrap = s.liveWrap;
    record->wrapType = s.wrapType;
    record->wrap = s.wrap;
    if (s.callback)
        InstallLiveWrap(frame, scene.Context());
    else
        RemoveLiveWrap(frame);
    scene.ui().Notify(Notification::RedrawRequested);
}

} // namespace corvid
