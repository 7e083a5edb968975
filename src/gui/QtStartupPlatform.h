#pragma once
// The start-up sequence's view of this machine through Qt: the OpenGL the
// display offers, the desktop depth, the renderers (the display's and the
// headless one), their depth-buffer sizes, the screens, the splash window
// and the main window.

#include "app/Startup.h"
#include "platform/gl/GlProbe.h"

#include <optional>

namespace corvid {

class Editor;
class MainWindow;
class QtUi;
class SplashWindow;

class QtStartupPlatform final : public StartupPlatform {
public:
    explicit QtStartupPlatform(QtUi& ui);
    ~QtStartupPlatform() override;

    // The main window the later steps fill; set before InitializeMainWindow.
    void SetMainWindow(MainWindow* window) { window_ = window; }

    std::optional<GlVersion> ProbeOpenGl() override;
    std::string ProbeDiagnostic() override;
    int DesktopColorDepth() override;
    void ShowSplash() override;
    void CloseSplash() override;
    std::optional<std::vector<RendererInfo>> EnumerateRenderers() override;
    std::optional<std::vector<ZFormatInfo>> ZBufferFormats(const DriverRecord& driver) override;
    std::optional<std::vector<DisplayMode>> DisplayModes() override;
    void SetMainWindowTitle(const std::string& title) override;
    void InstallMainMenu() override;
    void ReadDesktopInformation() override;
    void CreateViewportWindows() override;
    void ShowMainWindowMaximized() override;
    void LoadCommandLineScene(const std::string& fileName) override;

    // What the probes found (the display's once ProbeOpenGl ran, the headless
    // one once the renderers were enumerated).
    const std::optional<GlProbeResult>& DisplayProbe() const { return display_; }
    const std::optional<GlProbeResult>& HeadlessProbe() const { return headless_; }
    SplashWindow* Splash() const { return splash_; }

private:
    QtUi& ui_;
    MainWindow* window_ = nullptr;
    SplashWindow* splash_ = nullptr;
    std::optional<GlProbeResult> display_;
    std::optional<GlProbeResult> headless_;
};

// The renderer the display's probe describes, for the driver table.
RendererInfo DescribeRenderer(const GlProbeResult& probe, const char* where, const char* key);

} // namespace corvid
