#pragma once
// Kind codes of the objects in a scene, and their display names.

#include <cstdint>

namespace corvid {

enum ObjectKind : int32_t {
    kMeshRecordTag = 2006,  // tag of a MeshRecord, never an object kind
    kEmpty = 2007,
    kObject = 2008,
    kLight = 2009,
    kCamera = 2010,
    kPatch = 2011,
    kControlPoint = 2012,
    kGrid = 2014,
    kWrapField = 2015,
    kPointer = 2016,
    kObjectOrigin = 2017,
    kShadow = 2018,
    kBaseFrame = 99999,
};

// Patch family codes kept in a control point's record.
enum PatchType : int32_t {
    kPatchBSpline = 3001,
    kPatchBezier = 3002,  // reserved: no tool makes it
    kPatchCatmullRom = 3003,
};

// Key-list type codes.
constexpr int32_t kObjectKeyListType = 2001;
constexpr int32_t kLightKeyListType = 2003;

// The name the status panel shows for a kind; "Unknown" for codes without one
// (the patch and base-frame kinds among them).
const char* KindDisplayName(int32_t kind);

} // namespace corvid
