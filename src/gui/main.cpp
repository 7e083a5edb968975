// corvid: the editor. Options:
//   corvid [scene.cvd] [--demo] [--layout K] [--select NAME] [--tool MODE]
//          [--screenshot PATH] [--startup-time]
// --demo builds a small scene in code, --layout chooses viewport layout K
// (1..16) once the first picture is up, --select selects the first object
// called NAME (as a click on its Objects List item does), --tool chooses
// tool mode MODE, --screenshot saves a picture of
// the main window to PATH after the first frame and quits, and
// --startup-time prints how long the first frame of viewport 1 took.

#include "gui/EditorShell.h"
#include "gui/MainWindow.h"
#include "gui/ToolButtons.h"
#include "platform/Frame.h"
#include "app/Editor.h"
#include "scene/ObjectTree.h"

#include <QApplication>
#include <QPixmap>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct CommandLine {
    corvid::ShellOptions shell;
    int layout = 0;
    std::string select;
    int tool = -1;
    std::string screenshot;
    bool startupTime = false;
    bool ok = true;
};

CommandLine ParseCommandLine(int argc, char** argv)
{
    CommandLine line;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 < argc)
                return argv[++i];
            std::fprintf(stderr, "corvid: %s needs a value\n", arg.c_str());
            line.ok = false;
            return {};
        };
        if (arg == "--demo") {
            line.shell.demo = true;
        } else if (arg == "--layout") {
            line.layout = std::atoi(value().c_str());
        } else if (arg == "--select") {
            line.select = value();
        } else if (arg == "--tool") {
            line.tool = std::atoi(value().c_str());
        } else if (arg == "--startup-time") {
            line.startupTime = true;
        } else if (arg == "--screenshot") {
            line.screenshot = value();
        } else if (!arg.empty() && arg[0] == '-') {
            // Qt's own options (-platform, -display ...) were taken out by
            // QApplication; anything left is unknown.
            std::fprintf(stderr, "corvid: unknown option %s\n", arg.c_str());
            line.ok = false;
        } else {
            line.shell.sceneFile = arg;
        }
    }
    return line;
}

} // namespace

int main(int argc, char** argv)
{
    const auto started = std::chrono::steady_clock::now();
    corvid::PrepareQtForOpenGl();
    QApplication app(argc, argv);
    QApplication::setApplicationName("Corvid");

    const CommandLine line = ParseCommandLine(argc, argv);
    if (!line.ok)
        return 2;

    corvid::EditorShell shell;
    int status = 0;
    shell.onStartupFinished = [&] {
        if (line.startupTime) {
            auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
            std::printf("first frame of viewport 1 after %lld ms\n", static_cast<long long>(ms.count()));
            std::fflush(stdout);
        }
        // After the first picture: the remaining steps need an event loop.
        QTimer::singleShot(0, [&] {
            corvid::Editor& editor = *shell.GetEditor();
            if (line.layout > 0)
                editor.views.ChooseLayout(line.layout);
            if (line.tool >= 0) {
                editor.tools.mode = line.tool;
                shell.GetMainWindow()->Tools()->ShowEditorMode();
            }
            if (!line.select.empty()) {
                if (corvid::FramePtr frame = corvid::FindObject(editor.scene.Scene(), line.select)) {
                    editor.tools.SelectFromTree(frame);
                    // Marked as a click on it would.
                    if (editor.views.markersEnabled)
                        editor.scene.MarkerFrame()->SetTraversalOptions(corvid::kRenderEnable);
                    editor.views.FitSelectionMarker();
                    editor.views.RefreshObjectInfo();
                    editor.views.RenderAllViews();
                } else {
                    std::fprintf(stderr, "corvid: no object called %s\n", line.select.c_str());
                }
            }
            if (!line.screenshot.empty()) {
                const QPixmap picture = shell.GetMainWindow()->grab();
                if (!picture.save(QString::fromStdString(line.screenshot))) {
                    std::fprintf(stderr, "corvid: cannot write %s\n", line.screenshot.c_str());
                    status = 1;
                }
                QApplication::quit();
            }
        });
    };
    if (!shell.Start(line.shell))
        return 1;
    if (QApplication::exec() != 0 && status == 0)
        status = 1;
    shell.Shutdown();
    return status;
}
