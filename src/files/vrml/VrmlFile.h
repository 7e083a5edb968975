#pragma once
// Exporting the scene as a VRML 2.0 world (".wrl") and importing such files
// back.
//
// The export writes world information, the background, the fog, one
// viewpoint, the lights and one Transform whose children are one Shape per
// material of every mesh, all in world coordinates (the hierarchy is
// flattened). Texture and background pictures are copied beside the written
// file under their bare names. The file is written beside its target under a
// temporary name and renamed into place.
//
// The import reads back what the export writes, and nothing else: the first
// line must start with "#VRML" and the second with the export's marker. It
// scans the text for the node names the export writes, follows nested
// Transforms (to a bounded depth), and builds the program's own primitives
// for Box, Cube, Cone, Cylinder and Sphere nodes. Numbers are read and
// written without the locale. Objects go under SCENE and are not re-centred.

#include "scene/ImportOptions.h"

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace corvid {

struct Document;

// Messages.
constexpr const char* kVrmlOpenForWriteFailed = "Failed to open file\n";
constexpr const char* kVrmlWriteError =
    "Problem writing information to file.\n Process cancelled.\n Check hard drive space.";
constexpr const char* kVrmlOpenForReadFailed = "Could not open file.\n";
constexpr const char* kVrmlNotOurs = "This is not a Corvid export.\n";
constexpr const char* kVrmlOutOfMemory = "Insufficient Memory to complete file import.\n";

// Status lines.
constexpr const char* kVrmlCollecting = "Collecting scene information...";
constexpr const char* kVrmlWriting = "Writing information to disk\n...VRML 2.0 format.";
constexpr const char* kVrmlWritten = "File writing complete.";
constexpr const char* kVrmlHeaderVerified = "File header verified...";
constexpr const char* kVrmlMarkerFound = "Exported by CVD...continuing to load.";
constexpr const char* kVrmlTampered =
    "This file is not a Corvid export\n or has been tampered with.\n Import cancelled.";
constexpr const char* kVrmlFormingObject = "Forming object...";

// The first two lines of every exported file start with these.
constexpr std::string_view kVrmlHeaderLine = "#VRML";
constexpr std::string_view kVrmlMarkerLine = "#CVD EXPORT";

// Transform nodes nested deeper than this make a file corrupted.
constexpr int kMaxVrmlNesting = 256;

struct VrmlWriteSettings {
    // Copy the texture and background pictures beside the written file.
    bool copyFiles = true;
    // The time written in the date line; now when empty.
    std::optional<std::time_t> time;
};

// The text of the export. path is the file named in the header; pictures are
// copied into its folder (with copyFiles). Names unnamed materials in the
// scene ("MATERIALCVD_" and the id) as a written file names them.
std::string WriteVrmlText(Document& document, const ImportOptions& options, const std::string& path,
                          const VrmlWriteSettings& settings = {});

// Writes the export to path, with progress. False, with the message shown,
// when the file could not be written; the file that was there stays then.
bool ExportVrml(Document& document, const std::string& path, const ImportOptions& options);

// Reads an export's text into the scene; folder is where its pictures lie.
// False, with the message shown, for a file that is not an export or is
// damaged: the objects made before the damage stay.
bool ReadVrmlText(Document& document, std::string_view text, const ImportOptions& options, const std::string& folder);

// Reads the file at path, with progress.
bool ImportVrml(Document& document, const std::string& path, const ImportOptions& options);

// True when the bytes start like a VRML file ("#VRML"), for Auto-Detect.
bool IsVrmlFile(const uint8_t* data, size_t size);

} // namespace corvid
