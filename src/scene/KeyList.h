#pragma once
// Key frames of one object or light, kept beside its interpolator in the
// order they were added (not sorted by time). The list owns its keys.

#include "platform/Fwd.h"
#include "platform/Math.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace corvid {

// Marks a key value that is not set.
constexpr float kUnsetKeyValue = 999999.0f;
constexpr uint32_t kUnsetKeyColor = 999999;

struct ObjectKey {
    float time = kUnsetKeyValue;
    std::weak_ptr<Frame> positionReference;     // expired: no position
    std::weak_ptr<Frame> orientationReference;  // expired: no orientation
    Vec3 position{kUnsetKeyValue, kUnsetKeyValue, kUnsetKeyValue};
    Vec3 direction{kUnsetKeyValue, kUnsetKeyValue, kUnsetKeyValue};
    Vec3 up{kUnsetKeyValue, kUnsetKeyValue, kUnsetKeyValue};
};

struct LightKey {
    float time = kUnsetKeyValue;
    uint32_t color = kUnsetKeyColor;
    float range = kUnsetKeyValue;
    float umbra = kUnsetKeyValue;
    float penumbra = kUnsetKeyValue;
    float constantAttenuation = kUnsetKeyValue;
    float linearAttenuation = kUnsetKeyValue;
    float quadraticAttenuation = kUnsetKeyValue;
    bool operator==(const LightKey&) const = default;
};

struct KeyList {
    explicit KeyList(int32_t typeCode) : type(typeCode) {}
    int32_t type;  // kObjectKeyListType or kLightKeyListType
    std::vector<ObjectKey> objectKeys;
    std::vector<LightKey> lightKeys;
    int Count() const { return static_cast<int>(type == 2003 ? lightKeys.size() : objectKeys.size()); }
};

} // namespace corvid
