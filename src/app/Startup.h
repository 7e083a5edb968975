#pragma once
// The start-up sequence without the widgets: the machine checks before the
// Editor exists, the main-window initialisation that enumerates renderers,
// Z formats and display modes, reads the base directory and creates the tool
// and viewport windows, and the last step when VIEWPORT_1 first gets a size.
// The front end supplies the machine and the windows through
// StartupPlatform; the splash lines and messages go through the Ui.

#include "app/Config.h"
#include "render/DriverRecord.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace corvid {

class Editor;
class Ui;

// The program's version, and the main window's title that carries it.
constexpr const char* kProgramVersion = "1.0";
constexpr const char* kMainWindowTitle = "Corvid 1.0";
// The OpenGL version the renderer needs.
constexpr int kRequiredGlMajor = 3;
constexpr int kRequiredGlMinor = 3;

struct GlVersion {
    int major = 0, minor = 0;
};

// A renderer as the platform reports it.
struct RendererInfo {
    std::string name;
    std::string description;
    std::string key;  // handed back to the device factory through DriverRecord::key
    bool hardware = false;
    bool perspectiveCorrect = false;
    bool zBuffer = false;
    std::vector<int> renderDepths;  // colour depths (bits per pixel) it renders at
};

struct ZFormatInfo {
    int bits = 0;
    unsigned format = 0;
};

struct DisplayMode {
    int width = 0, height = 0, depth = 0;
};

// A tool window to create during start-up, announced by its splash line
// ("Initializing Sphere window ...") just before it is created.
struct ToolWindowCreator {
    std::string status;
    std::function<void()> create;
};

class StartupPlatform {
public:
    virtual ~StartupPlatform() = default;

    // --- checks before the Editor exists ---
    // The OpenGL version the display offers; nothing when there is none.
    virtual std::optional<GlVersion> ProbeOpenGl() = 0;
    // Why the last ProbeOpenGl found nothing, in one line; empty when it
    // does not know.
    virtual std::string ProbeDiagnostic() { return {}; }
    // Writes one line for a developer (the program's stderr), not a dialog.
    virtual void WriteDiagnostic(const std::string& line);
    // Bits per pixel of the desktop.
    virtual int DesktopColorDepth() = 0;
    // The splash window: shown centred after the checks, gone at the end.
    virtual void ShowSplash() {}
    virtual void CloseSplash() {}

    // --- main-window initialisation ---
    // The renderers, in the platform's order; nothing when enumeration fails.
    virtual std::optional<std::vector<RendererInfo>> EnumerateRenderers() = 0;
    // The depth-buffer formats of a renderer; nothing when the query fails.
    virtual std::optional<std::vector<ZFormatInfo>> ZBufferFormats(const DriverRecord& driver) = 0;
    // The display's modes; nothing when enumeration fails.
    virtual std::optional<std::vector<DisplayMode>> DisplayModes() = 0;
    virtual void SetMainWindowTitle(const std::string& title) { (void)title; }
    virtual void InstallMainMenu() {}
    virtual void ReadDesktopInformation() {}
    // Creates the four viewport windows (VIEWPORT_1 visible, the others
    // hidden) and sets each view record's window.
    virtual void CreateViewportWindows() {}
    virtual void ShowMainWindowMaximized() {}
    // Loads the scene named on the command line.
    virtual void LoadCommandLineScene(const std::string& fileName) { (void)fileName; }
};

// Steps before the Editor: the OpenGL check and the desktop colour depth,
// then the splash window. False (after its message) when the program must end.
// A probe that found no OpenGL also writes its one-line diagnostic.
bool CheckMachine(StartupPlatform& platform, Ui& ui);

// The warning for an OpenGL older than required (or none), e.g.
// "(WARNING: OpenGL 2.1 found) Please Install OpenGL 3.3"; empty when the
// version is good enough.
std::string OpenGlWarning(const std::optional<GlVersion>& version);
// The colour-depth message, empty for 16 and 32 bits.
std::string ColorDepthProblem(int depth);

struct StartupOptions {
    std::vector<ToolWindowCreator> toolWindows;  // in creation order
    std::string commandLineFile;
    // The environment the base directory is looked up in (Config.h); empty
    // means the process environment.
    EnvLookup getEnv;
};

// The main-window initialisation: enumeration, drivers, base directory, tool
// windows, viewports, display modes, main window shown, command-line scene.
// False when no renderer was found (nothing after the enumeration is done).
// A renderer whose depth formats cannot be queried is reported ("Enum
// ZBuffer Formats Error" and its name) and kept, without depth formats.
bool InitializeMainWindow(Editor& editor, StartupPlatform& platform, const StartupOptions& options);

// The first size of VIEWPORT_1: closes the splash, builds view 1's device,
// activates view 1 and renders.
void FinishStartup(Editor& editor, StartupPlatform& platform);

// A DriverRecord from what the platform reports, for a desktop of
// desktopDepth bits.
DriverRecord MakeDriverRecord(const RendererInfo& info, int desktopDepth);

} // namespace corvid
