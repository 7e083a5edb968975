#include "anim/KeyParts.h"

#include "platform/Frame.h"
#include "platform/Light.h"
#include "scene/Records.h"

namespace corvid {

namespace {

bool SameOwner(const std::weak_ptr<Frame>& a, const std::weak_ptr<Frame>& b)
{
    return !a.owner_before(b) && !b.owner_before(a);
}

bool Same(const ObjectKey& a, const ObjectKey& b)
{
    return a.time == b.time && a.position == b.position && a.direction == b.direction && a.up == b.up &&
           SameOwner(a.positionReference, b.positionReference) &&
           SameOwner(a.orientationReference, b.orientationReference);
}
bool Same(const PositionKey& a, const PositionKey& b)
{
    return a.index == b.index && a.position == b.position && a.hasReference == b.hasReference &&
           SameOwner(a.reference, b.reference);
}
bool Same(const OrientationKey& a, const OrientationKey& b)
{
    return a.index == b.index && a.direction == b.direction && a.up == b.up && a.hasReference == b.hasReference &&
           SameOwner(a.reference, b.reference);
}
bool Same(const ColorKey& a, const ColorKey& b) { return a.index == b.index && a.color == b.color; }
bool Same(const ScalarKey& a, const ScalarKey& b) { return a.index == b.index && a.value == b.value; }
bool Same(const FogParamsKey& a, const FogParamsKey& b)
{
    return a.index == b.index && a.start == b.start && a.end == b.end && a.density == b.density;
}
bool Same(const LightKey& a, const LightKey& b) { return a == b; }

template <class Key>
bool SameList(const std::vector<Key>& a, const std::vector<Key>& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (!Same(a[i], b[i]))
            return false;
    return true;
}

template <class Key>
size_t ListBytes(const std::vector<Key>& list)
{
    return list.capacity() * sizeof(Key);
}

} // namespace

ObjectKeysPart::State ObjectKeysPart::Capture(const Frame& frame)
{
    State s;
    const ObjectRecord* record = RecordOf(&frame);
    if (!record || !record->interpolator || !record->keyList)
        return s;
    s.valid = true;
    s.list = record->keyList->objectKeys;
    s.keys = record->interpolator->TakeKeys();
    s.flags = record->animFlags;
    return s;
}

void ObjectKeysPart::Restore(SceneModel&, Frame& frame, const State& s)
{
    ObjectRecord* record = RecordOf(&frame);
    if (!s.valid || !record || !record->interpolator || !record->keyList)
        return;
    record->keyList->objectKeys = s.list;
    record->interpolator->RestoreKeys(s.keys);
    record->animFlags = s.flags;
}

bool ObjectKeysPart::Same(const State& a, const State& b)
{
    return a.valid == b.valid && a.flags == b.flags && SameList(a.list, b.list) &&
           SameList(a.keys.position, b.keys.position) && SameList(a.keys.orientation, b.keys.orientation) &&
           SameList(a.keys.fogColor, b.keys.fogColor) && SameList(a.keys.fogParams, b.keys.fogParams) &&
           SameList(a.keys.background, b.keys.background);
}

size_t ObjectKeysPart::Bytes(const State& s)
{
    return ListBytes(s.list) + ListBytes(s.keys.position) + ListBytes(s.keys.orientation) +
           ListBytes(s.keys.fogColor) + ListBytes(s.keys.fogParams) + ListBytes(s.keys.background);
}

LightKeysPart::State LightKeysPart::Capture(const Light& light)
{
    State s;
    const LightRecord* record = RecordOf(&light);
    if (!record || !record->interpolator || !record->keyList)
        return s;
    s.valid = true;
    s.list = record->keyList->lightKeys;
    s.keys = record->interpolator->TakeKeys();
    s.flags = record->flags;
    return s;
}

void LightKeysPart::Restore(SceneModel&, Light& light, const State& s)
{
    LightRecord* record = RecordOf(&light);
    if (!s.valid || !record || !record->interpolator || !record->keyList)
        return;
    record->keyList->lightKeys = s.list;
    record->interpolator->RestoreKeys(s.keys);
    record->flags = s.flags;
}

bool LightKeysPart::Same(const State& a, const State& b)
{
    if (a.valid != b.valid || a.flags != b.flags || !SameList(a.list, b.list) || !SameList(a.keys.color, b.keys.color))
        return false;
    for (int i = 0; i < 6; ++i)
        if (!SameList(a.keys.scalars[i], b.keys.scalars[i]))
            return false;
    return true;
}

size_t LightKeysPart::Bytes(const State& s)
{
    size_t bytes = ListBytes(s.list) + ListBytes(s.keys.color);
    for (const auto& chain : s.keys.scalars)
        bytes += ListBytes(chain);
    return bytes;
}

} // namespace corvid
