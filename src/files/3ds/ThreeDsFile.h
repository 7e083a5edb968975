#pragma once
// Reading and writing 3D Studio mesh (.3ds) and project (.prj) files.
//
// Reading adds the file's named triangle meshes, materials (colours,
// shininess, transparency, one texture map), omni and spot lights and the
// keyframer's hierarchy to the scene, under the options of the import
// dialog. Meshes stand where the file's keyframer pose at frame 0 puts them
// when the file has one, else where their vertices lie. Writing turns every
// mesh into triangle objects in world coordinates, every light into a light
// object and every group into a dummy node of the keyframer; the texture
// files are copied beside the written file. Both report progress and
// problems through the scene's Ui.
//
// Counts, indices and node ids of the format are 16-bit: a mesh with more
// than 65535 vertices or triangles is refused before anything is written.

#include "scene/ImportOptions.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace corvid {

struct Document;

// Messages.
constexpr const char* kThreeDsOpenFailed = "Failed to open file\n";
constexpr const char* kThreeDsCorrupted = "Incorrect magic number or Corrupted 3DS file.\n";
constexpr const char* kThreeDsOutOfMemory = "Insufficient Memory to complete file import.\n";
constexpr const char* kThreeDsWriteError =
    "Problem with writing information to file...\n Process cancelled.\n Check hard drive space.";
// %s: the object's name.
constexpr const char* kThreeDsMeshTooLargeFormat =
    "Object %s has more than 65535 vertices or triangles:\n a 3DS file cannot hold it.\n Nothing was written.";
// %s: the object's name.
constexpr const char* kThreeDsNotFiniteFormat =
    "Object %s lies beyond the coordinates a 3DS file can hold.\n Nothing was written.";
constexpr const char* kThreeDsTooManyNodes =
    "The scene has more than 65534 objects, lights and groups:\n a 3DS file cannot hold them.\n Nothing was written.";

// Status lines.
constexpr const char* kThreeDsAddingMaterial = "Adding material and/or texture to object...";
constexpr const char* kThreeDsCheckingCel = "Checking if cel file has bitmap equivalent.";
constexpr const char* kThreeDsCheckingIfl = "Checking if ifl file has bitmap equivalent.";
constexpr const char* kThreeDsAddingLight = "Adding light...";  // followed by the light's name
constexpr const char* kThreeDsCollecting = "Collecting scene information...";
constexpr const char* kThreeDsWriting = "Writing information to disk...";
constexpr const char* kThreeDsWritten = "File writing complete.";

// The name the importer gives the object-list entry of a group made for a
// keyframer node without geometry.
constexpr const char* kThreeDsGroupEntryName = "G/E Frame";

// Reads a .3ds or .prj file's bytes into the scene; folder is where its
// texture files lie. False, with kThreeDsCorrupted shown, for an empty or
// damaged file: what was made before the damage stays.
bool Read3dsBytes(Document& document, const uint8_t* data, size_t size, const ImportOptions& options,
                  const std::string& folder);

// Reads the file at path with progress. False, with the message shown, when
// it cannot be opened or is damaged.
bool Import3ds(Document& document, const std::string& path, const ImportOptions& options);

struct ThreeDsWriteSettings {
    // Copy the texture files beside the written file (into folder).
    bool copyTextures = true;
};

// The file's bytes for the scene (or the last picked object with
// options.lastPickedOnly). False, with the message shown and bytes left
// empty, when the scene does not fit the format's 16-bit counts or an
// object's coordinates are not finite numbers.
bool Write3dsBytes(Document& document, const ImportOptions& options, const std::string& folder,
                   std::vector<uint8_t>& bytes, const ThreeDsWriteSettings& settings = {});

// Writes the file at path (beside it under a temporary name, then renamed
// into place) with progress; false, with the message shown, on failure.
bool Export3ds(Document& document, const std::string& path, const ImportOptions& options);

// True when the bytes start with the main chunk of a .3ds or .prj file.
bool Is3dsFile(const uint8_t* data, size_t size);

} // namespace corvid
