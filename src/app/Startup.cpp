#include "app/Startup.h"

#include "app/Config.h"
#include "scene/Ui.h"
#include "app/Editor.h"

#include <algorithm>
#include <cstdio>

namespace corvid {

std::string OpenGlWarning(const std::optional<GlVersion>& version)
{
    const std::string install =
        " Please Install OpenGL " + std::to_string(kRequiredGlMajor) + "." + std::to_string(kRequiredGlMinor);
    if (!version || version->major <= 0)
        return "(WARNING: OpenGL not installed)" + install;
    if (version->major > kRequiredGlMajor || (version->major == kRequiredGlMajor && version->minor >= kRequiredGlMinor))
        return {};
    return "(WARNING: OpenGL " + std::to_string(version->major) + "." + std::to_string(version->minor) + " found)" +
           install;
}

std::string ColorDepthProblem(int depth)
{
    switch (depth) {
    case 16:
    case 32: return {};
    case 1:
    case 2:
    case 4:
    case 8:
    case 24: return "Must run in 16 or 32 bit color depth";
    default: return "Unknown color depth";
    }
}

void StartupPlatform::WriteDiagnostic(const std::string& line)
{
    std::fprintf(stderr, "%s\n", line.c_str());
}

bool CheckMachine(StartupPlatform& platform, Ui& ui)
{
    // Linux passes the platform check; only the renderer and the desktop
    // can stop the program here.
    const std::optional<GlVersion> version = platform.ProbeOpenGl();
    if (!version) {
        const std::string why = platform.ProbeDiagnostic();
        platform.WriteDiagnostic("corvid: OpenGL probe failed: " + (why.empty() ? std::string("no reason given") : why));
    }
    std::string warning = OpenGlWarning(version);
    if (!warning.empty()) {
        ui.ShowMessage(warning);
        return false;
    }
    std::string depthProblem = ColorDepthProblem(platform.DesktopColorDepth());
    if (!depthProblem.empty()) {
        ui.ShowMessage(depthProblem);
        return false;
    }
    platform.ShowSplash();
    return true;
}

DriverRecord MakeDriverRecord(const RendererInfo& info, int desktopDepth)
{
    DriverRecord record;
    record.SetNames(info.name, info.description);
    record.key = info.key;
    record.hardware = info.hardware;
    record.perspectiveCorrect = info.perspectiveCorrect;
    record.zBuffer = info.zBuffer;
    record.rendersAtDesktopDepth =
        std::find(info.renderDepths.begin(), info.renderDepths.end(), desktopDepth) != info.renderDepths.end();
    return record;
}

bool InitializeMainWindow(Editor& editor, StartupPlatform& platform, const StartupOptions& options)
{
    Ui& ui = editor.ui();
    const int depth = platform.DesktopColorDepth();
    editor.views.colorDepth = depth;
    editor.views.shadeColorDepth = depth;

    ui.SetStartupStatus("Enumerating Devices ...");
    auto renderers = platform.EnumerateRenderers();
    if (!renderers) {
        platform.CloseSplash();
        ui.ShowMessage("Enum Devices Error");
        return false;
    }
    std::vector<DriverRecord> table;
    for (const RendererInfo& info : *renderers) {
        if (table.size() == static_cast<size_t>(kMaxDrivers))
            break;
        table.push_back(MakeDriverRecord(info, depth));
    }

    ui.SetStartupStatus("Enumerating ZBuffer Formats ...");
    for (DriverRecord& driver : table) {
        const auto formats = platform.ZBufferFormats(driver);
        if (!formats) {
            ui.ShowMessage("Enum ZBuffer Formats Error\n " + driver.name);
            continue;
        }
        for (const ZFormatInfo& format : *formats)
            driver.AddZFormat(format.bits, format.format);
    }
    editor.views.SetDriverTable(std::move(table));

    ui.SetStartupStatus("Enumerating Display Modes ...");
    if (editor.views.drivers.empty())
        return false;
    editor.views.UseDefaultDriver();

    ui.SetStartupStatus("Checking registry ...");
    platform.SetMainWindowTitle(kMainWindowTitle);
    BaseDirectory base = ResolveBaseDirectory(options.getEnv ? options.getEnv : SystemEnvironment());
    for (const std::string& message : base.messages)
        ui.ShowMessage(message);
    if (base.isDefault) {
        std::string failed;
        if (!CreateWorkingFolders(base.path, &failed))
            ui.ShowMessage("Cannot create the working folder\n " + failed);
    }
    editor.SetBaseDirectory(base.path);

    ui.SetStartupStatus("Setting up main menu ...");
    platform.InstallMainMenu();
    ui.SetStartupStatus("Getting desktop information ...");
    platform.ReadDesktopInformation();

    for (const ToolWindowCreator& tool : options.toolWindows) {
        ui.SetStartupStatus(tool.status);
        if (tool.create)
            tool.create();
    }

    ui.SetStartupStatus("Finished ...");
    editor.views.activeViewport = 1;
    platform.CreateViewportWindows();
    editor.views.activeViewport = 1;

    if (auto modes = platform.DisplayModes()) {
        for (const DisplayMode& mode : *modes)
            editor.views.AddDisplayMode(mode.width, mode.height, mode.depth);
    } else {
        ui.ShowMessage("Enum Display modes Error");
        platform.CloseSplash();
    }

    platform.ShowMainWindowMaximized();
    if (!options.commandLineFile.empty())
        platform.LoadCommandLineScene(options.commandLineFile);
    return true;
}

void FinishStartup(Editor& editor, StartupPlatform& platform)
{
    platform.CloseSplash();
    editor.views.BuildViewDevice(editor.views.Viewport(1));
    editor.views.ActivateView(1);
    editor.views.RenderAllViews();
}

} // namespace corvid
