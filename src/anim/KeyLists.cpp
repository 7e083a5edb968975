#include "anim/KeyLists.h"

#include "platform/Light.h"
#include "scene/KeyList.h"

#include <algorithm>

namespace corvid {

namespace {

bool Unset(const Vec3& v)
{
    return v.x == kUnsetKeyValue && v.y == kUnsetKeyValue && v.z == kUnsetKeyValue;
}

// The key at exactly time, or a new one appended for it. A new key first
// takes the place of a placeholder key, never of a key that holds values
// (a key read from a file may well sit at time 999999).
template <class Key>
Key& KeyAt(std::vector<Key>& keys, float time)
{
    auto found = std::find_if(keys.begin(), keys.end(), [time](const Key& k) { return k.time == time; });
    if (found != keys.end())
        return *found;
    auto placeholder = std::find_if(keys.begin(), keys.end(), [](const Key& k) {
        return k.time == kUnsetKeyValue && IsPlaceholder(k);
    });
    if (placeholder != keys.end())
        keys.erase(placeholder);
    Key& key = keys.emplace_back();
    key.time = time;
    return key;
}

} // namespace

bool IsPlaceholder(const ObjectKey& key)
{
    return key.positionReference.expired() && key.orientationReference.expired() && Unset(key.position) &&
           Unset(key.direction) && Unset(key.up);
}

bool IsPlaceholder(const LightKey& key)
{
    return key.color == kUnsetKeyColor && key.range == kUnsetKeyValue && key.umbra == kUnsetKeyValue &&
           key.penumbra == kUnsetKeyValue && key.constantAttenuation == kUnsetKeyValue &&
           key.linearAttenuation == kUnsetKeyValue && key.quadraticAttenuation == kUnsetKeyValue;
}

void SetPositionKey(KeyList& list, float time, const FramePtr& reference, const Vec3& position)
{
    ObjectKey& key = KeyAt(list.objectKeys, time);
    key.positionReference = reference;
    key.position = position;
}

void SetOrientationKey(KeyList& list, float time, const FramePtr& reference, const Vec3& direction, const Vec3& up)
{
    ObjectKey& key = KeyAt(list.objectKeys, time);
    key.orientationReference = reference;
    key.direction = direction;
    key.up = up;
}

void SetLightKey(KeyList& list, float time, LightProperty property, const Light& light)
{
    LightKey& key = KeyAt(list.lightKeys, time);
    switch (property) {
    case LightProperty::Color:
        key.color = MakeARGB(light.GetColor());
        break;
    case LightProperty::Range:
        key.range = light.GetRange();
        break;
    case LightProperty::Umbra:
        key.umbra = light.GetUmbra();
        break;
    case LightProperty::Penumbra:
        key.penumbra = light.GetPenumbra();
        break;
    case LightProperty::Attenuation:
        key.constantAttenuation = light.GetConstantAttenuation();
        key.linearAttenuation = light.GetLinearAttenuation();
        key.quadraticAttenuation = light.GetQuadraticAttenuation();
        break;
    }
}

} // namespace corvid
