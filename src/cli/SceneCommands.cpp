#include "cli/SceneCommands.h"

#include "app/Editor.h"
#include "cli/ConsoleUi.h"
#include "cli/Json.h"
#include "cli/SceneFormats.h"
#include "scene/SceneSummary.h"

#include <cstdio>
#include <string>
#include <vector>

namespace corvid {

namespace {

// The words after the command: options (starting with '-', until "--")
// and the rest in order.
struct Words {
    std::vector<std::string> options;
    std::vector<std::string> files;
};

Words SplitWords(int argc, char** argv)
{
    Words words;
    bool optionsEnded = false;
    for (int i = 2; i < argc; ++i) {
        std::string word = argv[i];
        if (!optionsEnded && word == "--")
            optionsEnded = true;
        else if (!optionsEnded && word.size() > 1 && word[0] == '-')
            words.options.push_back(word);
        else
            words.files.push_back(word);
    }
    return words;
}

int Usage(const char* text)
{
    std::fputs(text, stderr);
    return 2;
}

constexpr const char* kInfoUsage = "usage: corvid-cli info FILE [--json]\n"
                                   "       corvid-cli info --demo [--json]\n";
constexpr const char* kConvertUsage = "usage: corvid-cli convert IN OUT\n";
constexpr const char* kSaveDemoUsage = "usage: corvid-cli save-demo OUT\n";

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
    const Words words = SplitWords(argc, argv);
    SceneSource source;
    bool json = false;
    for (const std::string& option : words.options) {
        if (option == "--json")
            json = true;
        else if (option == "--demo")
            source.demo = true;
        else
            return Usage(kInfoUsage);
    }
    if (words.files.size() > 1)
        return Usage(kInfoUsage);
    if (!words.files.empty())
        source.path = words.files[0];
    if (!source.Valid())
        return Usage(kInfoUsage);

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
    const Words words = SplitWords(argc, argv);
    if (!words.options.empty() || words.files.size() != 2)
        return Usage(kConvertUsage);
    return WriteScene({false, words.files[0]}, words.files[1], "convert");
}

int RunSaveDemoCommand(int argc, char** argv)
{
    const Words words = SplitWords(argc, argv);
    if (!words.options.empty() || words.files.size() != 1)
        return Usage(kSaveDemoUsage);
    return WriteScene({true, {}}, words.files[0], "save-demo");
}

} // namespace corvid
