#pragma once
// Saving the scene to a .cvd file and loading one into it.
//
// Saving writes the whole scene (or the last picked object alone) with its
// materials, hierarchy, meshes, patches, wraps, lights, cameras, look-at
// links, keys, fog, background and the main view's camera; the texture and
// background files are copied beside the scene file. Loading adds what a
// file holds to the scene as it is: clearing it first (a replacing load) is
// the caller's. Both report progress and problems through the scene's Ui.

#include "scene/ImportOptions.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace corvid {

struct Document;

// Messages of the scene file.
constexpr const char* kSceneOpenForWriteFailed = "Failed to open file\n";
constexpr const char* kSceneOpenForReadFailed = "Could not open file.\n";
constexpr const char* kSceneCorrupted = "Incorrect file format or corrupted file.\n File was unable to load properly.";
constexpr const char* kSceneReadError = "Problem with reading information from file...\n Try rebooting.";
constexpr const char* kSceneWriteError = "Problem with writing information to file...\n Check hard drive space.";

struct SceneWriteSettings {
    // Copy the texture and background files beside the scene file.
    bool copyFiles = true;
    // Keep the names given to unnamed objects and materials, and "NOBKG"
    // when no background picture is written, in the scene (a save does; an
    // autosave leaves the scene as it is).
    bool nameInScene = true;
};

// The file's bytes. folder: where copies of texture and background files go
// (with copyFiles).
std::vector<uint8_t> WriteSceneBytes(Document& document, const ImportOptions& options, const std::string& folder,
                                     const SceneWriteSettings& settings = {});

// Writes the scene to path (beside it under a temporary name, then renamed
// into place) with progress; false, with the message shown, when it could
// not be written.
bool SaveScene(Document& document, const std::string& path, const ImportOptions& options);

// Reads a scene file's bytes into the scene; folder is where its texture and
// background files lie. False, with the message shown, on a damaged file:
// the objects made before the damage stay.
bool ReadSceneBytes(Document& document, const uint8_t* data, size_t size, const ImportOptions& options,
                    const std::string& folder);

// Reads the file at path, with progress.
bool LoadScene(Document& document, const std::string& path, const ImportOptions& options);

// True when the bytes start with a scene file's header.
bool IsSceneFile(const uint8_t* data, size_t size);

} // namespace corvid
