#pragma once
// Reading Wavefront object files: vertices, texture coordinates and faces
// into mesh objects under the import's base frame, objects split at comment
// lines that follow faces, group frames, and the materials (with their
// diffuse textures) of the material libraries the file names.

#include "scene/ImportOptions.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace corvid {

struct Document;

constexpr const char* kObjOpenFailed = "Could not open file.\n";
constexpr const char* kObjCorrupted = "Obj file is corrupted.\n";
constexpr const char* kObjNoMaterialFile = "Material file is not available or is not in the working directory.";
constexpr const char* kObjCollectingVertices = "Collecting vertices...";
constexpr const char* kObjCollectingFaces = "Collecting face info. Adding color...";
constexpr const char* kObjCreatingGroup = "Creating Group...";
constexpr const char* kObjColorForFaces = "Color for faces...";
constexpr const char* kObjCollectingMaterials = "Collecting materials...";
constexpr const char* kObjGroupFrameName = "GroupFrame";

// The most corners one face may have; a longer face is a damaged file.
constexpr int kObjMaxFaceCorners = 64;

// Reads a file's bytes into the scene; folder is where its material
// libraries and textures lie, name the file's name (unnamed objects are
// called after it). False, with the message shown, for a damaged or empty
// file; the objects read before the damage stay.
bool ReadObjBytes(Document& document, const uint8_t* data, size_t size, const ImportOptions& options,
                  const std::string& folder, const std::string& name);

// Reads the file at path, with progress.
bool ImportObj(Document& document, const std::string& path, const ImportOptions& options);

} // namespace corvid
