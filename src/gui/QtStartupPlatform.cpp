#include "gui/QtStartupPlatform.h"

#include "app/FullScreen.h"
#include "gui/DesktopDepth.h"
#include "gui/GlDeviceFactory.h"
#include "gui/MainWindow.h"
#include "gui/QtUi.h"
#include "gui/SplashWindow.h"
#include "platform/headless/HeadlessRenderer.h"

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QScreen>

namespace corvid {

namespace {

// GL's sized depth formats (GL_DEPTH_COMPONENT16/24/32), the format codes
// the driver records keep.
constexpr unsigned kGlDepth16 = 0x81A5;
constexpr unsigned kGlDepth24 = 0x81A6;
constexpr unsigned kGlDepth32 = 0x81A7;

unsigned DepthFormat(int bits)
{
    switch (bits) {
    case 16: return kGlDepth16;
    case 24: return kGlDepth24;
    default: return kGlDepth32;
    }
}

// The first word of a renderer string ("llvmpipe (LLVM 15.0.6, 256 bits)").
std::string ShortName(const std::string& renderer)
{
    const auto end = renderer.find_first_of(" (");
    return end == std::string::npos ? renderer : renderer.substr(0, end);
}

GlProbeResult ProbeDisplay()
{
    GlProbeResult result;
    QSurfaceFormat format = QSurfaceFormat::defaultFormat();
    format.setVersion(kRequiredGlMajor, kRequiredGlMinor);
    format.setProfile(QSurfaceFormat::CoreProfile);
    QOpenGLContext context;
    context.setFormat(format);
    if (!context.create()) {
        result.error = "no OpenGL context can be made on this display";
        return result;
    }
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!context.makeCurrent(&surface)) {
        result.error = "the display's OpenGL context cannot be made current";
        return result;
    }
    result = ProbeCurrentContext();
    context.doneCurrent();
    return result;
}

} // namespace

RendererInfo DescribeRenderer(const GlProbeResult& probe, const char* where, const char* key)
{
    RendererInfo info;
    const std::string renderer = probe.renderer.empty() ? "OpenGL" : ShortName(probe.renderer);
    info.name = std::string(where) + " (" + renderer + ")";
    info.description = "OpenGL " + probe.version + " " + probe.renderer;
    info.key = key;
    info.hardware = !probe.softwareRasterizer;
    // Texture coordinates are always interpolated with perspective.
    info.perspectiveCorrect = true;
    info.zBuffer = !probe.depthBits.empty();
    // The device draws RGBA8 and the window system converts: any desktop.
    info.renderDepths = {16, 24, 32};
    return info;
}

QtStartupPlatform::QtStartupPlatform(QtUi& ui)
    : ui_(ui)
{
}

QtStartupPlatform::~QtStartupPlatform()
{
    CloseSplash();
}

std::optional<GlVersion> QtStartupPlatform::ProbeOpenGl()
{
    if (!display_)
        display_ = ProbeDisplay();
    if (!display_->ok || display_->major <= 0)
        return std::nullopt;
    return GlVersion{display_->major, display_->minor};
}

std::string QtStartupPlatform::ProbeDiagnostic()
{
    return display_ ? display_->error : std::string();
}

int QtStartupPlatform::DesktopColorDepth()
{
    return CurrentDesktopColorDepth();
}

void QtStartupPlatform::ShowSplash()
{
    if (splash_)
        return;
    splash_ = new SplashWindow;
    ui_.SetSplash(splash_);
    // Busy from the splash until the first picture is up.
    ui_.SetBusy(true);
    splash_->ShowCentred();
}

void QtStartupPlatform::CloseSplash()
{
    if (!splash_)
        return;
    ui_.SetSplash(nullptr);
    ui_.SetBusy(false);
    splash_->hide();
    splash_->deleteLater();
    splash_ = nullptr;
}

std::optional<std::vector<RendererInfo>> QtStartupPlatform::EnumerateRenderers()
{
    if (!display_)
        ProbeOpenGl();
    if (!headless_) {
        headless_ = ProbeOpenGL();
        if (!headless_->ok)
            WriteDiagnostic("corvid: headless OpenGL probe failed: " + headless_->error);
    }
    // The headless renderer comes first so that, with both present, the
    // default driver (the second of two) is the display's.
    std::vector<RendererInfo> renderers;
    if (headless_->ok)
        renderers.push_back(DescribeRenderer(*headless_, "Headless", kHeadlessRendererKey));
    if (display_->ok)
        renderers.push_back(DescribeRenderer(*display_, "Display", kDisplayRendererKey));
    if (renderers.empty())
        return std::nullopt;
    return renderers;
}

std::optional<std::vector<ZFormatInfo>> QtStartupPlatform::ZBufferFormats(const DriverRecord& driver)
{
    const std::optional<GlProbeResult>& probe = driver.key == kHeadlessRendererKey ? headless_ : display_;
    if (!probe || !probe->ok)
        return std::nullopt;
    std::vector<ZFormatInfo> formats;
    for (int bits : probe->depthBits)
        formats.push_back({bits, DepthFormat(bits)});
    return formats;
}

std::optional<std::vector<DisplayMode>> QtStartupPlatform::DisplayModes()
{
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (screens.isEmpty())
        return std::nullopt;
    // Full screen scales its picture onto a screen instead of switching the
    // display: a resolution is there when it fits one of the screens.
    std::vector<DisplayMode> modes;
    for (QScreen* screen : screens) {
        const QSize size = screen->size() * screen->devicePixelRatio();
        modes.push_back({size.width(), size.height(), DesktopColorDepthOf(screen->depth())});
        for (const DisplayMode& mode : FittingDisplayModes(size.width(), size.height()))
            modes.push_back(mode);
    }
    return modes;
}

void QtStartupPlatform::SetMainWindowTitle(const std::string& title)
{
    if (window_)
        window_->setWindowTitle(QString::fromStdString(title));
}

void QtStartupPlatform::InstallMainMenu()
{
    if (window_)
        window_->InstallMainMenu();
}

void QtStartupPlatform::ReadDesktopInformation()
{
    // The main window goes to the work area; the tool windows dock inside it.
    if (window_)
        if (QScreen* screen = QGuiApplication::primaryScreen())
            window_->setGeometry(screen->availableGeometry());
}

void QtStartupPlatform::CreateViewportWindows()
{
    if (window_)
        window_->CreateViewportWindows();
}

void QtStartupPlatform::ShowMainWindowMaximized()
{
    if (window_)
        window_->showMaximized();
}

void QtStartupPlatform::LoadCommandLineScene(const std::string& fileName)
{
    if (window_)
        window_->OpenScene(fileName);
}

} // namespace corvid
