#include "gui/CommandLine.h"

#include "app/Startup.h"
#include "tools/ToolMode.h"

#include <cctype>
#include <cstdlib>
#include <optional>

namespace corvid {

namespace {

constexpr int kLayoutCount = 16;

// A whole number written with digits alone; nothing for any other text.
std::optional<int> WholeNumber(const std::string& text)
{
    if (text.empty() || text.size() > 9)
        return std::nullopt;
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return std::nullopt;
    return std::atoi(text.c_str());
}

} // namespace

const char* CommandLineUsage()
{
    return "usage: corvid [SCENE.cvd] [--demo] [--layout K] [--select NAME] [--tool MODE]\n"
           "              [--screenshot PATH] [--startup-time]\n"
           "       corvid --help | --version\n"
           "  SCENE.cvd       a scene file to open once the editor is up\n"
           "  --demo          start with a small scene built in code\n"
           "  --layout K      viewport layout K, 1 to 16 (1: one viewport)\n"
           "  --select NAME   select the first object called NAME\n"
           "  --tool MODE     start with tool mode MODE (for example 100 move, 600 sphere)\n"
           "  --screenshot P  save a picture of the main window to P after the first frame, then quit\n"
           "  --startup-time  print how long the first frame of viewport 1 took\n"
           "Qt's own options (-platform, -display ...) are taken as well.\n";
}

bool IsToolMode(int mode)
{
    auto within = [mode](int first, int last) { return mode >= first && mode <= last; };
    return mode == kModeNone || within(kModePan, kModeViewLast) || within(kModeMove, kModeMultiCopy) ||
           within(kModeBooleanFirst, kModeBooleanLast) || within(kModeAttach, kModeUnlink) ||
           within(kModePaintFirst, kModePaintLast) || within(kModeSphere, kModeCone) || mode == kModeShadow ||
           mode == kModeBSplinePatch || mode == kModeCatmullRomPatch ||
           within(kModeAmbientLight, kModeParallelPointLight) || within(kModeMappingFirst, kModeMappingLast);
}

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args, bool strict)
{
    ParsedCommandLine parsed;
    auto fail = [&parsed](const std::string& problem) {
        parsed.action = ParsedCommandLine::Action::Error;
        parsed.error = "corvid: " + problem;
        return parsed;
    };
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (!optionsEnded && word == "--") {
            optionsEnded = true;
            continue;
        }
        const bool ours = !optionsEnded && word.size() > 2 && word.compare(0, 2, "--") == 0;
        if (!optionsEnded && (word == "-h" || word == "--help")) {
            parsed.action = ParsedCommandLine::Action::Help;
            return parsed;
        }
        if (ours && word == "--version") {
            parsed.action = ParsedCommandLine::Action::Version;
            return parsed;
        }
        if (!ours) {
            if (!strict)
                continue;
            if (!optionsEnded && word.size() > 1 && word[0] == '-')
                return fail("unknown option '" + word + "'");
            if (!parsed.line.shell.sceneFile.empty())
                return fail("unexpected argument '" + word + "' (one scene at a time)");
            parsed.line.shell.sceneFile = word;
            continue;
        }
        if (word == "--demo") {
            parsed.line.shell.demo = true;
            continue;
        }
        if (word == "--startup-time") {
            parsed.line.startupTime = true;
            continue;
        }
        if (word != "--layout" && word != "--select" && word != "--tool" && word != "--screenshot")
            return fail("unknown option '" + word + "'");
        if (i + 1 >= args.size())
            return fail(word + " needs a value");
        const std::string& value = args[++i];
        if (word == "--select") {
            parsed.line.select = value;
        } else if (word == "--screenshot") {
            parsed.line.screenshot = value;
        } else if (word == "--layout") {
            const std::optional<int> layout = WholeNumber(value);
            if (!layout || *layout < 1 || *layout > kLayoutCount)
                return fail("--layout '" + value + "' is not a layout from 1 to " + std::to_string(kLayoutCount));
            parsed.line.layout = *layout;
        } else {
            const std::optional<int> tool = WholeNumber(value);
            if (!tool || !IsToolMode(*tool))
                return fail("--tool '" + value + "' is not a tool mode (for example 100 move, 600 sphere)");
            parsed.line.tool = *tool;
        }
    }
    return parsed;
}

} // namespace corvid
