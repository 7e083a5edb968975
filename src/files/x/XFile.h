#pragma once
// Reading DirectX-format model files (".x"), text, binary or compressed, with
// 32- or 64-bit floats: frames with their transforms become objects named
// "Loaded Object %s" (the imported-object counter), their meshes with
// normals, texture coordinates, materials and textures become those
// objects' visuals, and a mesh at the top of the file gets an object of its
// own and is scaled so that its largest side is kXNormalisedSize units.
// Skinning, animation and unknown objects are read past.
//
// The whole file is read and checked before anything enters the scene: a
// damaged file leaves the scene as it was. Each distinct material of the file
// gives one material record.

#include "scene/ImportOptions.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace corvid {

struct Document;

constexpr const char* kXLoadFailed = "Failed to load X File";
constexpr const char* kXObjectNotSupported = "Object type not supported";
constexpr const char* kXLoadedObjectFormat = "Loaded Object %s";
// The largest side of a mesh at the top of a file, after reading.
constexpr float kXNormalisedSize = 5.0f;

// Reads a file's bytes into the scene; folder is where its textures lie.
// False, with "Failed to load X File" shown and the scene unchanged, for an
// empty, damaged or truncated file. A top-level object that is neither a
// frame nor a mesh (nor a header, material or animation) shows "Object
// type not supported" once and is dropped; the rest is read.
bool ReadXBytes(Document& document, const uint8_t* data, size_t size, const std::string& folder);

// Reads the file at path. The options are not used: this format has no
// options dialog.
bool ImportX(Document& document, const std::string& path, const ImportOptions& options);

} // namespace corvid
