// corvid-cli: Corvid's command-line tool.
//
//   corvid-cli info --demo     outline a scene built in code
//   corvid-cli render --demo -o out.bmp [--width W --height H --view NAME]
//                              draw it off-screen into a 24-bit BMP

#include "cli/ConsoleUi.h"
#include "app/DemoScene.h"
#include "cli/RenderCommand.h"
#include "app/Editor.h"
#include "scene/SceneSummary.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

void PrintUsage()
{
    std::fputs("usage: corvid-cli info --demo\n"
               "       corvid-cli render --demo -o out.bmp [--width W] [--height H] [--view NAME]\n"
               "  info --demo     build the demo scene and print its outline\n"
               "  render --demo   draw the demo scene off-screen into a 24-bit BMP\n",
               stderr);
}

int RunInfo(int argc, char** argv)
{
    if (argc < 3 || std::strcmp(argv[2], "--demo") != 0) {
        std::fputs("corvid-cli info: reading scene files is not available yet; use --demo\n", stderr);
        return 2;
    }
    corvid::ConsoleUi ui;
    corvid::Editor editor(ui);
    corvid::BuildDemoScene(editor);
    std::fputs(corvid::DescribeScene(editor.scene).c_str(), stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        PrintUsage();
        return 2;
    }
    std::string command = argv[1];
    if (command == "info")
        return RunInfo(argc, argv);
    if (command == "render")
        return corvid::RunRenderCommand(argc, argv);
    if (command == "--help" || command == "-h") {
        PrintUsage();
        return 0;
    }
    std::fprintf(stderr, "corvid-cli: unknown command '%s'\n", command.c_str());
    PrintUsage();
    return 2;
}
