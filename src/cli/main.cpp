// corvid-cli: Corvid's command-line tool.
//
//   corvid-cli info FILE|--demo [--json]   outline a scene file, or the demo scene
//   corvid-cli render FILE|--demo -o OUT.bmp|OUT.png [--width W --height H --view NAME]
//                                          draw it off-screen into a picture
//   corvid-cli render-anim FILE|--demo -o OUT.avi [--codec C --from N --to N --fps N --width W --height H]
//                                          render its animation into an AVI file
//   corvid-cli convert IN OUT              read a scene file and write it again
//   corvid-cli save-demo OUT               write the demo scene to a file
//   corvid-cli --help | --version          (each command takes --help too)
//
// Exit codes: 0 done, 1 a file could not be read or written (the reason on
// stderr), 2 a usage error. Never a signal: a closed output is a write error.

#include "cli/RenderAnimCommand.h"
#include "cli/RenderCommand.h"
#include "app/Startup.h"
#include "cli/SceneCommands.h"

#include <csignal>
#include <cstdio>
#include <exception>
#include <new>
#include <string>

namespace {

void PrintUsage(std::FILE* to)
{
    std::fputs("usage: corvid-cli info FILE|--demo [--json]\n"
               "       corvid-cli render FILE|--demo -o OUT.bmp|OUT.png [--width W] [--height H] [--view NAME]\n"
               "       corvid-cli render-anim FILE|--demo -o OUT.avi [--codec raw|msvideo1|cinepak|mjpeg]\n"
               "                  [--from N] [--to N] [--fps N] [--width W] [--height H]\n"
               "       corvid-cli convert IN OUT\n"
               "       corvid-cli save-demo OUT\n"
               "       corvid-cli --help | --version\n"
               "  info       print a scene's objects and totals (--json: as one JSON object)\n"
               "  render     draw a scene off-screen into a 24-bit BMP or a PNG\n"
               "  render-anim  render the animation off-screen into an AVI video\n"
               "  convert    read a scene file and write it in the format OUT's extension names\n"
               "  save-demo  write the demo scene built in code to a scene file\n"
               "  --demo     the demo scene instead of a file\n"
               "Scene files: .cvd. 'corvid-cli COMMAND --help' tells more about a command.\n"
               "Exit status: 0 done, 1 a file could not be read or written, 2 a usage error.\n",
               to);
}

int Dispatch(int argc, char** argv)
{
    if (argc < 2) {
        std::fputs("corvid-cli: a command is needed\n", stderr);
        PrintUsage(stderr);
        return 2;
    }
    const std::string command = argv[1];
    if (command == "info")
        return corvid::RunInfoCommand(argc, argv);
    if (command == "render")
        return corvid::RunRenderCommand(argc, argv);
    if (command == "render-anim")
        return corvid::RunRenderAnimCommand(argc, argv);
    if (command == "convert")
        return corvid::RunConvertCommand(argc, argv);
    if (command == "save-demo")
        return corvid::RunSaveDemoCommand(argc, argv);
    if (command == "--help" || command == "-h" || command == "help") {
        PrintUsage(stdout);
        return 0;
    }
    if (command == "--version") {
        std::printf("corvid-cli %s\n", corvid::kProgramVersion);
        return 0;
    }
    std::fprintf(stderr, "corvid-cli: '%s' is not a command\n", command.c_str());
    PrintUsage(stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    // A reader that went away (corvid-cli info ... | head) is a write error,
    // not a signal.
    std::signal(SIGPIPE, SIG_IGN);
    int code;
    try {
        code = Dispatch(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fputs("corvid-cli: out of memory\n", stderr);
        return 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "corvid-cli: %s\n", error.what());
        return 1;
    } catch (...) {
        std::fputs("corvid-cli: unexpected error\n", stderr);
        return 1;
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fputs("corvid-cli: cannot write the output\n", stderr);
        return 1;
    }
    return code;
}
