// corvid: the editor. Options (gui/CommandLine.h):
//   corvid [scene.cvd] [--demo] [--layout K] [--select NAME] [--tool MODE]
//          [--screenshot PATH] [--startup-time] | --help | --version
// --demo builds a small scene in code, --layout chooses viewport layout K
// (1..16) once the first picture is up, --select selects the first object
// called NAME (as a click on its Objects List item does), --tool chooses
// tool mode MODE, --screenshot saves a picture of
// the main window to PATH after the first frame and quits, and
// --startup-time prints how long the first frame of viewport 1 took.
// Exit status: 0 done, 1 the editor could not start or the picture could not
// be written, 2 a usage error.

#include "app/Startup.h"
#include "gui/AppIcon.h"
#include "gui/CommandLine.h"
#include "gui/EditorShell.h"
#include "gui/MainWindow.h"
#include "gui/ToolButtons.h"
#include "platform/Frame.h"
#include "app/Editor.h"
#include "scene/ObjectTree.h"

#include <QApplication>
#include <QImageWriter>
#include <QPixmap>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Words(int argc, char** argv)
{
    return std::vector<std::string>(argv + 1, argv + argc);
}

// Help, version and usage errors; the exit code, or -1 to go on.
int Answer(const corvid::ParsedCommandLine& parsed)
{
    using Action = corvid::ParsedCommandLine::Action;
    switch (parsed.action) {
    case Action::Help:
        std::fputs(corvid::CommandLineUsage(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    case Action::Version:
        std::printf("corvid %s\n", corvid::kProgramVersion);
        return std::fflush(stdout) == 0 ? 0 : 1;
    case Action::Error:
        std::fprintf(stderr, "%s\n%s", parsed.error.c_str(), corvid::CommandLineUsage());
        return 2;
    case Action::Run:
        break;
    }
    return -1;
}

} // namespace

int main(int argc, char** argv)
{
    const auto started = std::chrono::steady_clock::now();
    // Help, version and wrong values need no display.
    if (const int code = Answer(corvid::ParseCommandLine(Words(argc, argv), false)); code >= 0)
        return code;
    corvid::PrepareQtForOpenGl();
    QApplication app(argc, argv);
    QApplication::setApplicationName("Corvid");
    QApplication::setApplicationVersion(corvid::kProgramVersion);
    QApplication::setWindowIcon(corvid::ApplicationIcon());
    // Matches the desktop entry (corvid.desktop), so the desktop shows its icon.
    QGuiApplication::setDesktopFileName("corvid");

    // Qt has taken out its own options: every word left must be ours.
    const corvid::ParsedCommandLine parsed = corvid::ParseCommandLine(Words(argc, argv), true);
    if (const int code = Answer(parsed); code >= 0)
        return code;
    const corvid::CommandLine& line = parsed.line;

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
                QImageWriter writer(QString::fromStdString(line.screenshot));
                if (!writer.write(picture.toImage())) {
                    std::fprintf(stderr, "corvid: cannot write %s: %s\n", line.screenshot.c_str(),
                                 writer.errorString().toLocal8Bit().constData());
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
