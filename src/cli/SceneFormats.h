#pragma once
// The file formats corvid-cli reads scenes from and writes them to, chosen
// by a file name's extension (in any case): the editor's own table of file
// types, so info, render and convert take every new reader and writer.

#include "app/FileTypes.h"

#include <string>

namespace corvid {

class ConsoleUi;
class Editor;

// The editor's file types: a read replaces the scene with the file, a write
// goes to exactly the path given, each with the options dialog's starting
// choice.
using SceneFormat = FileType;

// The format that reads (writing: writes) path; null, with a message on
// stderr, when there is none: a usage error.
const SceneFormat* SceneFormatFor(const std::string& path, bool writing, const char* command);

// Writes the editor's scene to path. Returns the exit code: 0 done, 1
// failed, with the reason on stderr.
int WriteSceneFile(Editor& editor, const ConsoleUi& ui, const SceneFormat& format, const std::string& path,
                   const char* command);

// The scene a command works on: the demo scene built in code, or a file.
struct SceneSource {
    bool demo = false;
    std::string path;
    // Exactly one of the two was given.
    bool Valid() const { return demo != !path.empty(); }
};

// Fills the editor's scene from source. Returns the exit code: 0 done, 1 the
// file could not be read, 2 no format reads it; the reason on stderr.
int LoadSceneSource(Editor& editor, const ConsoleUi& ui, const SceneSource& source, const char* command);

} // namespace corvid
