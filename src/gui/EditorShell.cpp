#include "gui/EditorShell.h"

#include "app/Startup.h"
#include "app/ToolForms.h"
#include "app/DemoScene.h"
#include "gui/ControllerWindow.h"
#include "gui/FullScreenWindow.h"
#include "gui/GlDeviceFactory.h"
#include "gui/MainWindow.h"
#include "gui/QtStartupPlatform.h"
#include "gui/QtUi.h"
#include "gui/ToolCursors.h"
#include "gui/ToolWindows.h"
#include "app/Editor.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTimer>
#include <QSurfaceFormat>

namespace corvid {

void PrepareQtForOpenGl()
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setVersion(kRequiredGlMajor, kRequiredGlMinor);
    format.setProfile(QSurfaceFormat::CoreProfile);
    format.setDepthBufferSize(24);
    QSurfaceFormat::setDefaultFormat(format);
}

EditorShell::EditorShell()
    : ui_(std::make_unique<QtUi>())
    , platform_(std::make_unique<QtStartupPlatform>(*ui_))
    , factory_(std::make_unique<GlDeviceFactory>(ui_.get()))
{
}

EditorShell::~EditorShell()
{
    Shutdown();
}

bool EditorShell::Start(const ShellOptions& options)
{
    if (!CheckMachine(*platform_, *ui_))
        return false;

    editor_ = std::make_unique<Editor>(*ui_);
    ui_->SetEditor(editor_.get());
    editor_->views.deviceFactory = factory_.get();

    window_ = std::make_unique<MainWindow>(*editor_, *ui_);
    // Full screen takes the display modes that fit its screen; devices still
    // come from the OpenGL factory.
    fullScreen_ = std::make_unique<FullScreenWindow>(*editor_, *window_, *factory_);
    editor_->views.deviceFactory = &fullScreen_->Factory();
    controller_ = std::make_unique<ControllerWindow>(*editor_, window_.get());
    // The viewports' cursors follow the tool mode; gone with the window.
    qApp->installEventFilter(new ToolCursorTracker(*editor_, window_.get()));
    ui_->SetDialogParent(window_.get());
    platform_->SetMainWindow(window_.get());
    window_->onViewport1FirstResize = [this] {
        FinishStartup(*editor_, *platform_);
        finished_ = true;
        window_->StartAutosave();
        // Asked once the window is up and the event loop runs.
        QTimer::singleShot(0, window_.get(), [this] { window_->OfferRecovery(); });
        if (onStartupFinished)
            onStartupFinished();
    };

    if (options.demo)
        BuildDemoScene(*editor_);

    StartupOptions startup;
    startup.commandLineFile = options.sceneFile;
    // The tool column, the toolbar, the Objects List and the information
    // window come with the main window; the creation tools' windows are
    // made as they are announced.
    for (const StartupWindow& tool : StartupWindows())
        startup.toolWindows.push_back({tool.status, window_->CreationWindows()->Creator(tool)});
    if (!InitializeMainWindow(*editor_, *platform_, startup)) {
        platform_->CloseSplash();
        return false;
    }
    return true;
}

void EditorShell::Shutdown()
{
    controller_.reset();
    fullScreen_.reset();
    if (window_) {
        window_->ReleaseViewDevices();
        window_.reset();
    }
    if (ui_) {
        ui_->SetEditor(nullptr);
        ui_->SetDialogParent(nullptr);
    }
    platform_->CloseSplash();
    editor_.reset();
}

} // namespace corvid
