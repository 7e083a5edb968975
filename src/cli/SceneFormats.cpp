#include "cli/SceneFormats.h"

#include "app/DemoScene.h"
#include "app/DocumentCommands.h"
#include "app/Editor.h"
#include "cli/ConsoleUi.h"

#include <algorithm>
#include <cstdio>

namespace corvid {

namespace {

// The extensions of the types read (writing: written), for messages.
std::string Extensions(bool writing)
{
    std::string list;
    for (const FileType& type : FileTypes())
        if (writing ? type.write != nullptr : type.read != nullptr) {
            if (!list.empty())
                list += ", ";
            list += type.extension;
        }
    return list;
}

// The exit code of a read or write: 0 done; 1 failed, with a line naming
// the file after the reason the Ui showed (if it showed any).
int Outcome(bool done, const ConsoleUi& ui, int messagesBefore, const char* command, const char* verb,
            const std::string& path)
{
    if (done)
        return 0;
    std::fprintf(stderr, "corvid-cli %s: could not %s '%s'%s\n", command, verb, path.c_str(),
                 ui.MessagesShown() == messagesBefore ? " (no reason given)" : "");
    return 1;
}

} // namespace

const SceneFormat* SceneFormatFor(const std::string& path, bool writing, const char* command)
{
    const SceneFormat* format = FileTypeForName(path);
    if (format && (writing ? format->write : format->read))
        return format;
    std::fprintf(stderr, "corvid-cli %s: '%s' is not a scene file type corvid-cli can %s (it %s %s)\n", command,
                 path.c_str(), writing ? "write" : "read", writing ? "writes" : "reads", Extensions(writing).c_str());
    return nullptr;
}

int WriteSceneFile(Editor& editor, const ConsoleUi& ui, const SceneFormat& format, const std::string& path,
                   const char* command)
{
    const int before = ui.MessagesShown();
    const bool written = WriteFileAs(editor, format, path, DefaultOptions(format, true));
    return Outcome(written, ui, before, command, "write", path);
}

std::optional<std::string> ReadSceneCommandWords(int argc, char** argv, SceneSource& source,
                                                 std::initializer_list<std::string_view> valueOptions,
                                                 const TakeOption& take)
{
    bool optionsEnded = false;
    for (int i = 2; i < argc; ++i) {
        const std::string word = argv[i];
        if (optionsEnded || word.empty() || word[0] != '-' || word == "-") {
            if (!source.path.empty() || source.demo)
                return "unexpected argument '" + word + "' (one scene at a time)";
            source.path = word;
            continue;
        }
        if (word == "--") {
            optionsEnded = true;
            continue;
        }
        if (word == "--demo") {
            if (!source.path.empty())
                return "unexpected argument '--demo' (one scene at a time)";
            source.demo = true;
            continue;
        }
        if (std::find(valueOptions.begin(), valueOptions.end(), word) == valueOptions.end())
            return "unknown option '" + word + "'";
        if (i + 1 >= argc)
            return word + " needs a value";
        if (std::optional<std::string> problem = take(word, argv[++i]))
            return problem;
    }
    if (!source.Valid())
        return std::string("a scene file or --demo is needed");
    return std::nullopt;
}

int LoadSceneSource(Editor& editor, const ConsoleUi& ui, const SceneSource& source, const char* command)
{
    if (source.demo) {
        BuildDemoScene(editor);
        return 0;
    }
    const SceneFormat* format = SceneFormatFor(source.path, false, command);
    if (!format)
        return 2;
    const int before = ui.MessagesShown();
    const bool read = ReadDocumentFile(editor, *format, source.path, DefaultOptions(*format, false), true);
    return Outcome(read, ui, before, command, "read", source.path);
}

} // namespace corvid
