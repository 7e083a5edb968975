#include "scene/ObjectKind.h"

namespace corvid {

const char* KindDisplayName(int32_t kind)
{
    switch (kind) {
    case kEmpty: return "Empty";
    case kObject: return "Object";
    case kLight: return "Light";
    case kCamera: return "Camera";
    case kControlPoint: return "Control Point";
    case kGrid: return "Grid";
    case kWrapField: return "Wrap field";
    case kPointer: return "Pointer";
    case kObjectOrigin: return "Object origin";
    case kShadow: return "Shadow";
    default: return "Unknown";
    }
}

} // namespace corvid
