#pragma once
// The bytes of a .cvd scene file: a 27-byte header, then tagged chunks one
// after another. Every chunk starts with its tag (six letters and a 0 byte),
// three chunk-specific numbers a, b, c and the whole chunk's length; objects
// refer to each other by node index (0 SCENE, -1 none).

#include <cstddef>
#include <cstdint>

namespace corvid::cvd {

constexpr const char* kMaker = "Lumenworks Studio";
constexpr const char* kFormatTag = "cvd";
constexpr const char* kVersion = "V2.1";
constexpr size_t kHeaderSize = 27;
constexpr size_t kFormatTagOffset = 18;
constexpr size_t kVersionOffset = 22;
// Tag (7 bytes with its 0), a, b, c and the length.
constexpr size_t kChunkHeaderSize = 23;

constexpr const char* kMaterial = "CVDMAT";
constexpr const char* kTexture = "CVDTEX";
constexpr const char* kColorKey = "CVDCKY";
constexpr const char* kSwitches = "CVDSCN";
constexpr const char* kGroup = "CVDGRO";
constexpr const char* kMesh = "CVDMES";
constexpr const char* kPatch = "CVDPAT";
constexpr const char* kWrap = "CVDWRP";
constexpr const char* kLight = "CVDLIG";
constexpr const char* kCamera = "CVDCAM";
constexpr const char* kLookAt = "CVDLKA";
constexpr const char* kAnimationSettings = "CVDANF";
constexpr const char* kKeys = "CVDANI";
constexpr const char* kFog = "CVDFOG";
constexpr const char* kBackground = "CVDBKG";
constexpr const char* kViewCamera = "CVDVPT";

// Node index of the reading scene's SCENE, and "none".
constexpr int32_t kSceneNode = 0;
constexpr int32_t kNoNode = -1;

// Fog method values as stored.
constexpr int32_t kFogMethodVertex = 1;
constexpr int32_t kFogMethodTable = 2;
constexpr int32_t kFogMethodAny = 4;

// The name of the material a face gets when its material is not in the file.
constexpr const char* kDefaultMaterialName = "defmaterial";
constexpr uint32_t kDefaultFaceColor = 0xFFCCCCCC;

// The wrap body without its coordinates: reference, two switches, 13 floats.
constexpr size_t kWrapFieldsSize = 4 + 1 + 1 + 13 * 4;

} // namespace corvid::cvd
