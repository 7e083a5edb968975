#pragma once
// The file formats corvid-cli reads scenes from and writes them to, chosen
// by a file name's extension (in any case). One table: a new reader or
// writer is one more row, and info, render and convert take it at once.

#include <string>

namespace corvid {

class ConsoleUi;
class Editor;

struct SceneFormat {
    const char* extension;  // lower case, with its dot: ".cvd"
    // Replaces the editor's scene with the file / writes the scene to it;
    // false when that failed (the reason has usually been shown). Null when
    // the format cannot be read or written.
    bool (*read)(Editor& editor, const std::string& path);
    bool (*write)(Editor& editor, const std::string& path);
};

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
