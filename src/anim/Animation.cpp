#include "anim/Animation.h"

#include "anim/KeyLists.h"
#include "anim/KeyParts.h"
#include "platform/Frame.h"
#include "platform/Interpolator.h"
#include "platform/Light.h"
#include "scene/Records.h"
#include "scene/SceneModel.h"

#include <limits>
#include <vector>

namespace corvid {

namespace {

// A key list and interpolator to record into, or null.
ObjectRecord* Animatable(const FramePtr& object)
{
    ObjectRecord* record = object ? RecordOf(object.get()) : nullptr;
    return record && record->interpolator && record->keyList ? record : nullptr;
}

LightRecord* Animatable(const LightPtr& light)
{
    LightRecord* record = light ? RecordOf(light.get()) : nullptr;
    return record && record->interpolator && record->keyList ? record : nullptr;
}

int StartFlag(LightProperty property)
{
    switch (property) {
    case LightProperty::Color:
        return kColorStarted;
    case LightProperty::Range:
        return kRangeStarted;
    case LightProperty::Umbra:
        return kUmbraStarted;
    case LightProperty::Penumbra:
        return kPenumbraStarted;
    case LightProperty::Attenuation:
        return kAttenuationStarted;
    }
    return kAttenuationStarted;
}

// Fog colour and background share WORLD's second flag.
int StartFlag(WorldProperty property)
{
    return property == WorldProperty::FogParams ? kFogParamsStarted : kPositionStarted;
}

constexpr float kEveryIndex = std::numeric_limits<float>::max();

} // namespace

const char* TransportStateText(TransportState state)
{
    switch (state) {
    case TransportState::Animating:
        return "ANIMATING";
    case TransportState::Playing:
        return "PLAYING";
    case TransportState::Stopped:
        return "STOPPED";
    }
    return "STOPPED";
}

Animation::Animation(SceneModel& scene) : scene_(scene) {}

float Animation::CurrentFrame() const
{
    return scene_.Master()->GetIndex();
}

void Animation::SetCurrentFrame(float frame)
{
    scene_.Master()->SetIndex(frame);
}

// --- objects -------------------------------------------------------------------------------

bool Animation::RecordStartKey(const FramePtr& object, ObjectProperty property)
{
    ObjectRecord* record = Animatable(object);
    if (!IsAnimating() || !record)
        return false;
    const int flag = property == ObjectProperty::Position ? kPositionStarted : kOrientationStarted;
    if (record->animFlags[static_cast<size_t>(flag)])
        return false;
    if (!RecordKey(object, property, 0.0f))
        return false;
    // Set only once the key is stored.
    record->animFlags[static_cast<size_t>(flag)] = 1;
    return true;
}

bool Animation::RecordKey(const FramePtr& object, ObjectProperty property, float time)
{
    return IsAnimating() && object && storeObjectKey(object, property, time, object->GetParent());
}

bool Animation::storeObjectKey(const FramePtr& object, ObjectProperty property, float time, Frame* reference)
{
    ObjectRecord* record = Animatable(object);
    if (!record || !reference)
        return false;
    scene_.History().Touch<ObjectKeysPart>(object);
    FrameInterpolator& interpolator = *record->interpolator;
    if (!interpolator.SetIndex(time))
        return false;
    const FramePtr held = reference->shared_from_this();
    if (property == ObjectProperty::Position) {
        const Vec3 position = object->GetPosition(reference);
        if (!interpolator.SetPosition(reference, position))
            return false;
        SetPositionKey(*record->keyList, time, held, position);
    } else {
        Vec3 direction, up;
        object->GetOrientation(reference, direction, up);
        if (!interpolator.SetOrientation(reference, direction, up))
            return false;
        SetOrientationKey(*record->keyList, time, held, direction, up);
    }
    record->animFlags[kAnimated] = 1;
    return true;
}

bool Animation::RecordSample(const FramePtr& object, const FramePtr& reference, float time)
{
    ObjectRecord* record = Animatable(object);
    if (IsPlaying() || !record || !reference)
        return false;
    const bool position = storeObjectKey(object, ObjectProperty::Position, time, reference.get());
    const bool orientation = storeObjectKey(object, ObjectProperty::Orientation, time, reference.get());
    if (position)
        record->animFlags[kPositionStarted] = 1;
    if (orientation)
        record->animFlags[kOrientationStarted] = 1;
    return position || orientation;
}

void Animation::RecordStartKeys(const FramePtr& object)
{
    RecordStartKey(object, ObjectProperty::Position);
    RecordStartKey(object, ObjectProperty::Orientation);
}

void Animation::RecordCurrentKeys(const FramePtr& object)
{
    const float now = CurrentFrame();
    RecordKey(object, ObjectProperty::Position, now);
    RecordKey(object, ObjectProperty::Orientation, now);
}

// --- lights ----------------------------------------------------------------------------------

bool Animation::recordLightKey(const LightPtr& light, LightProperty property, float time)
{
    LightRecord* record = Animatable(light);
    if (!record)
        return false;
    scene_.History().Touch<LightKeysPart>(light);
    LightInterpolator& interpolator = *record->interpolator;
    if (!interpolator.SetIndex(time))
        return false;
    bool stored = false;
    switch (property) {
    case LightProperty::Color:
        stored = interpolator.SetColor(light->GetColor());
        break;
    case LightProperty::Range:
        stored = interpolator.SetRange(light->GetRange());
        break;
    case LightProperty::Umbra:
        stored = interpolator.SetUmbra(light->GetUmbra());
        break;
    case LightProperty::Penumbra:
        stored = interpolator.SetPenumbra(light->GetPenumbra());
        break;
    case LightProperty::Attenuation:
        stored = interpolator.SetConstantAttenuation(light->GetConstantAttenuation()) &&
                 interpolator.SetLinearAttenuation(light->GetLinearAttenuation()) &&
                 interpolator.SetQuadraticAttenuation(light->GetQuadraticAttenuation());
        break;
    }
    if (!stored)
        return false;
    SetLightKey(*record->keyList, time, property, *light);
    record->flags[kLightAnimated] = 1;
    return true;
}

void Animation::BeforeLightChange(const LightPtr& light, LightProperty property)
{
    LightRecord* record = Animatable(light);
    if (!IsAnimating() || !record)
        return;
    const auto flag = static_cast<size_t>(StartFlag(property));
    if (!record->flags[flag] && recordLightKey(light, property, 0.0f))
        record->flags[flag] = 1;
}

void Animation::AfterLightChange(const LightPtr& light, LightProperty property)
{
    if (IsAnimating())
        recordLightKey(light, property, CurrentFrame());
}

// --- the world -------------------------------------------------------------------------------

bool Animation::recordWorldKey(WorldProperty property, float time)
{
    const FramePtr& world = scene_.World();
    ObjectRecord* record = RecordOf(world.get());
    if (!record || !record->interpolator)
        return false;
    scene_.History().Touch<ObjectKeysPart>(world);
    FrameInterpolator& interpolator = *record->interpolator;
    if (!interpolator.SetIndex(time))
        return false;
    const SceneProperties& props = world->Scene();
    bool stored = false;
    switch (property) {
    case WorldProperty::FogColor:
        stored = interpolator.SetSceneFogColor(props.fogColor);
        break;
    case WorldProperty::FogParams:
        stored = interpolator.SetSceneFogParams(props.fogStart, props.fogEnd, props.fogDensity);
        break;
    case WorldProperty::Background:
        stored = interpolator.SetSceneBackground(props.background);
        break;
    }
    if (stored)
        record->animFlags[kAnimated] = 1;
    return stored;
}

void Animation::BeforeWorldChange(WorldProperty property)
{
    ObjectRecord* record = RecordOf(scene_.World().get());
    if (!IsAnimating() || !record)
        return;
    const auto flag = static_cast<size_t>(StartFlag(property));
    if (!record->animFlags[flag] && recordWorldKey(property, 0.0f))
        record->animFlags[flag] = 1;
}

void Animation::AfterWorldChange(WorldProperty property)
{
    if (IsAnimating())
        recordWorldKey(property, CurrentFrame());
}

// --- showing and clearing --------------------------------------------------------------------

void Animation::ShowFrame(float t)
{
    scene_.Master()->Interpolate(t, settings.interpolationOptions);
    scene_.Scene()->Move(1.0f);
}

void Animation::ClearAnimation()
{
    EditStep step(scene_.History(), "Clear Animation");
    std::vector<Frame*> pending{scene_.World().get()};
    while (!pending.empty()) {
        Frame* frame = pending.back();
        pending.pop_back();
        for (const FramePtr& child : frame->GetChildren())
            pending.push_back(child.get());
        ObjectRecord* record = RecordOf(frame);
        if (!record || !record->interpolator)
            continue;
        const FramePtr self = frame->shared_from_this();
        scene_.History().Touch<ObjectKeysPart>(self);
        record->interpolator->DeleteKeys(-kEveryIndex, kEveryIndex);
        if (record->keyList)
            record->keyList->objectKeys.clear();
        // Every start flag, so the next edit keeps its frame-0 value again;
        // flags 4 and 6 are not the animation's and stay.
        for (int flag : {kAnimated, kPositionStarted, kOrientationStarted, kFogParamsStarted})
            record->animFlags[static_cast<size_t>(flag)] = 0;
        for (const LightPtr& light : frame->GetLights()) {
            LightRecord* lightRecord = Animatable(light);
            if (!lightRecord)
                continue;
            scene_.History().Touch<LightKeysPart>(light);
            lightRecord->interpolator->DeleteKeys(-kEveryIndex, kEveryIndex);
            lightRecord->keyList->lightKeys.clear();
            lightRecord->flags = {};
        }
    }
}

} // namespace corvid
