#include "cli/SceneCommands.h"

#include "app/Editor.h"
#include "cli/Arguments.h"
#include "cli/ConsoleUi.h"
#include "cli/Json.h"
#include "cli/SceneFormats.h"
#include "scene/SceneSummary.h"

#include <cstdio>
#include <string>
#include <vector>

namespace corvid {

namespace {

constexpr const char* kInfoUsage = "usage: corvid-cli info FILE [--json]\n"
                                   "       corvid-cli info --demo [--json]\n"
                                   "  print a scene's objects and totals (--json: as one JSON object)\n";
constexpr const char* kConvertUsage = "usage: corvid-cli convert IN OUT\n"
                                      "  read a scene file and write it in the format OUT's extension names\n";
constexpr const char* kSaveDemoUsage = "usage: corvid-cli save-demo OUT\n"
                                       "  write the demo scene built in code to a scene file\n";

// The usage error for files beyond the count a command takes, or too few.
int FileCountError(const char* command, const std::vector<std::string>& files, size_t wanted, const char* usage)
{
    if (files.size() > wanted)
        return UsageError(command, "unexpected argument '" + files[wanted] + "'", usage);
    return UsageError(command, wanted == 1 ? "a file name is missing" : "two file names are needed", usage);
}

// Writes the scene from source to out, in the format out's extension names.
int WriteScene(const SceneSource& source, const std::string& out, const char* command)
{
    // Where it goes is checked before anything is read.
    const SceneFormat* writer = SceneFormatFor(out, true, command);
    if (!writer)
        return 2;
    ConsoleUi ui;
    Editor editor(ui);
    if (const int code = LoadSceneSource(editor, ui, source, command))
        return code;
    if (const int code = WriteSceneFile(editor, ui, *writer, out, command))
        return code;
    std::printf("wrote %s\n", out.c_str());
    return 0;
}

} // namespace

int RunInfoCommand(int argc, char** argv)
{
    if (AsksForHelp(argc, argv))
        return PrintHelp(kInfoUsage);
    const Words words = SplitWords(argc, argv);
    SceneSource source;
    bool json = false;
    for (const std::string& option : words.options) {
        if (option == "--json")
            json = true;
        else if (option == "--demo")
            source.demo = true;
        else
            return UsageError("info", "unknown option '" + option + "'", kInfoUsage);
    }
    if (words.files.size() > 1 || (source.demo && !words.files.empty()))
        return UsageError("info", "unexpected argument '" + words.files.back() + "' (one scene at a time)",
                          kInfoUsage);
    if (!words.files.empty())
        source.path = words.files[0];
    if (!source.Valid())
        return UsageError("info", "a scene file or --demo is needed", kInfoUsage);

    ConsoleUi ui;
    Editor editor(ui);
    if (const int code = LoadSceneSource(editor, ui, source, "info"))
        return code;
    const SceneSummary summary = SummarizeScene(editor.scene);
    const std::string text = json ? SceneSummaryJson(summary) : DescribeScene(summary);
    std::fputs(text.c_str(), stdout);
    return 0;
}

int RunConvertCommand(int argc, char** argv)
{
    if (AsksForHelp(argc, argv))
        return PrintHelp(kConvertUsage);
    const Words words = SplitWords(argc, argv);
    if (!words.options.empty())
        return UsageError("convert", "unknown option '" + words.options[0] + "'", kConvertUsage);
    if (words.files.size() != 2)
        return FileCountError("convert", words.files, 2, kConvertUsage);
    return WriteScene({false, words.files[0]}, words.files[1], "convert");
}

int RunSaveDemoCommand(int argc, char** argv)
{
    if (AsksForHelp(argc, argv))
        return PrintHelp(kSaveDemoUsage);
    const Words words = SplitWords(argc, argv);
    if (!words.options.empty())
        return UsageError("save-demo", "unknown option '" + words.options[0] + "'", kSaveDemoUsage);
    if (words.files.size() != 1)
        return FileCountError("save-demo", words.files, 1, kSaveDemoUsage);
    return WriteScene({true, {}}, words.files[0], "save-demo");
}

} // namespace corvid
