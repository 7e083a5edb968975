#pragma once
// Reading the surfaces of drawing exchange files (text form): 3D faces,
// polyface and M x N polygon meshes, and block insertions, from the BLOCKS
// and ENTITIES sections. Everything else is read past. The file is read as
// pairs of a group code and its value, by code, so files that put handles
// and subclass markers first read like the older ones.

#include "scene/ImportOptions.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace corvid {

struct Document;

constexpr const char* kDxfOpenFailed = "Could not open file.\n";
constexpr const char* kDxfProblem = "Problem loading DXF file.\n";
constexpr const char* kDxfReadingBlocks = "Reading Blocks...";
constexpr const char* kDxfReadingEntities = "Reading Entities...";
constexpr const char* kDxfEntityObjectName = "Object";

// Reads a file's bytes into the scene. False, with the message shown, for a
// damaged, binary or empty file; the objects read before the damage stay.
bool ReadDxfBytes(Document& document, const uint8_t* data, size_t size, const ImportOptions& options);

// Reads the file at path, with progress.
bool ImportDxf(Document& document, const std::string& path, const ImportOptions& options);

} // namespace corvid
