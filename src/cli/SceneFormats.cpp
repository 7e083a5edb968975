#include "cli/SceneFormats.h"

#include "app/DemoScene.h"
#include "app/DocumentCommands.h"
#include "app/Editor.h"
#include "cli/ConsoleUi.h"

#include <cctype>
#include <cstdio>

namespace corvid {

namespace {

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The last component's extension with its dot, lower case; empty when the
// name has none (".hidden" has none either).
std::string ExtensionOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    const size_t start = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || dot <= start)
        return {};
    return Lower(path.substr(dot));
}

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

const SceneFormat* FindSceneFormat(const std::string& path)
{
    const std::string extension = ExtensionOf(path);
    for (const FileType& type : FileTypes())
        if (extension == type.extension)
            return &type;
    return nullptr;
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
    const SceneFormat* format = FindSceneFormat(path);
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
