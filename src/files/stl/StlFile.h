#pragma once
// Reading stereolithography files: the text kind (".slp", and ".stl" written
// as text) with its solids, colour lines, facets, vertex and normal lines,
// and binary ".stl" files (an 80-byte header, a triangle count, 50 bytes per
// triangle). Each solid becomes one mesh object under the import's base
// frame.

#include "scene/ImportOptions.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace corvid {

struct Document;

constexpr const char* kStlOpenFailed = "Could not open file.\n";
constexpr const char* kStlCorrupted = "Corrupted SLP file.\n";
constexpr const char* kStlAddingMaterial = "Adding material...";
constexpr const char* kStlCollectingVertices = "Collecting vertices...";
constexpr const char* kStlCollectingNormals = "Collecting normals...";

// The most corners one facet may have; a longer facet is a damaged file.
constexpr int kStlMaxFacetCorners = 64;

// True when the bytes are a binary file: at least the 84 bytes of header
// and count, and exactly as long as the count says. Whether the header
// starts with "solid" does not matter; text files rarely have that length.
bool IsBinaryStl(const uint8_t* data, size_t size);

// Reads a file's bytes into the scene, text or binary as IsBinaryStl tells.
// name: the object name of a binary file's solid (binary files name none).
// False, with the message shown, for a damaged or empty file; the solids
// read before the damage stay.
bool ReadStlBytes(Document& document, const uint8_t* data, size_t size, const ImportOptions& options,
                  const std::string& name);

// Reads the file at path (".slp" or ".stl"), with progress.
bool ImportStl(Document& document, const std::string& path, const ImportOptions& options);

} // namespace corvid
