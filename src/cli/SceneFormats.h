#pragma once
// The file formats corvid-cli reads scenes from and writes them to, chosen
// by a file name's extension (in any case): the editor's own table of file
// types, so info, render and convert take every new reader and writer.

#include "app/FileTypes.h"

#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

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

// Reads the words after a command that works on one scene (a file name or
// --demo, given once; "--" ends the options). Every option in valueOptions
// takes the next word as its value and goes to take(option, value), which
// returns the problem with it, if any. Returns the first problem: a word
// too many, an unknown option, a missing value, what take said, or no scene.
using TakeOption = std::function<std::optional<std::string>(const std::string& option, const std::string& value)>;
std::optional<std::string> ReadSceneCommandWords(int argc, char** argv, SceneSource& source,
                                                 std::initializer_list<std::string_view> valueOptions,
                                                 const TakeOption& take);

// Fills the editor's scene from source. Returns the exit code: 0 done, 1 the
// file could not be read, 2 no format reads it; the reason on stderr.
int LoadSceneSource(Editor& editor, const ConsoleUi& ui, const SceneSource& source, const char* command);

} // namespace corvid
