#pragma once
// The editor's command line:
//   corvid [scene.cvd] [--demo] [--layout K] [--select NAME] [--tool MODE]
//          [--screenshot PATH] [--startup-time] | --help | --version
// Read twice: once before Qt starts, for --help, --version and the values of
// the options (so that a wrong value is reported with no display), and once
// after Qt took out its own options (-platform, -display ...), strictly.

#include "gui/EditorShell.h"

#include <string>
#include <vector>

namespace corvid {

struct CommandLine {
    ShellOptions shell;
    int layout = 0;  // 0: the default layout
    std::string select;
    int tool = -1;  // -1: the default tool
    std::string screenshot;
    bool startupTime = false;
};

struct ParsedCommandLine {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    CommandLine line;
    std::string error;  // for Error: the line to print, starting "corvid: "
};

// args: the words after the program's name. strict: every word must be one
// of ours (after Qt's parse); otherwise words that are not our options and
// options with a single dash are passed over.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args, bool strict);

// The text --help prints.
const char* CommandLineUsage();

// True for a tool mode the editor has (none, the navigation modes, the view
// operations, the object, hierarchy, painting, creation, patch, light and
// mapping tools).
bool IsToolMode(int mode);

} // namespace corvid
