#pragma once
// Reading binary little-endian polygon-object files (".cob"): a 32-byte
// header, then chunks with 20-byte headers; polygon objects with their
// frames, vertices, texture coordinates and faces, and their materials with
// colour, shading values and one texture map. Other chunks are stepped over.

#include "scene/ImportOptions.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace corvid {

struct Document;

constexpr const char* kCobOpenFailed = "Could not open file.\n";
constexpr const char* kCobCorrupted = "Not in binary or Corrupted COB file.\n";
constexpr const char* kCobCollectingInformation = "Collecting information...";
constexpr const char* kCobCollectingVertices = "Collecting verticies.";

// Reads a file's bytes into the scene; folder is where its textures lie.
// False, with the message shown, for a text, big-endian or damaged file; the
// objects read before the damage stay.
bool ReadCobBytes(Document& document, const uint8_t* data, size_t size, const ImportOptions& options,
                  const std::string& folder);

// Reads the file at path, with progress.
bool ImportCob(Document& document, const std::string& path, const ImportOptions& options);

} // namespace corvid
