#pragma once
// Adding keys to a KeyList, the list a scene file keeps beside each
// interpolator: a key at a time the list already has is updated; otherwise
// a new key is appended (after dropping a placeholder key that holds no
// value, as a list read from a file may carry). A position key stores its
// reference and position, an orientation key its reference, direction and
// up, a light key only the property that changed: the rest of a key keeps
// what it had (999999 when never set).

#include "anim/Animation.h"
#include "platform/Fwd.h"
#include "platform/Math.h"

namespace corvid {

struct KeyList;
struct ObjectKey;
struct LightKey;

void SetPositionKey(KeyList& list, float time, const FramePtr& reference, const Vec3& position);
void SetOrientationKey(KeyList& list, float time, const FramePtr& reference, const Vec3& direction, const Vec3& up);
// The light's current value of property: its colour; its range, umbra or
// penumbra; or its three attenuations together.
void SetLightKey(KeyList& list, float time, LightProperty property, const Light& light);

// True when a key holds no value at all (every number 999999, no reference).
bool IsPlaceholder(const ObjectKey& key);
bool IsPlaceholder(const LightKey& key);

} // namespace corvid
