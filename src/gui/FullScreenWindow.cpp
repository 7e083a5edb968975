#include "gui/FullScreenWindow.h"

#include "app/Editor.h"
#include "gui/MainWindow.h"
#include "gui/ViewportWidget.h"
#include "gui/WidgetGl.h"
#include "platform/gl/GlDevice.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QOpenGLContext>
#include <QOpenGLWidget>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>

namespace corvid {

// The OpenGL surface inside the window. Its swap interval is fixed when its
// context is made, so each entry makes a new one: VSync on waits for the
// vertical retrace.
class FullScreenWindow::Surface final : public QOpenGLWidget {
public:
    Surface(Editor& editor, bool vsync, QWidget* parent) : QOpenGLWidget(parent), editor_(editor)
    {
        QSurfaceFormat f = format();
        f.setSwapInterval(vsync ? 1 : 0);
        setFormat(f);
        setFocusPolicy(Qt::NoFocus);
    }
    ~Surface() override
    {
        if (context()) {
            makeCurrent();
            picture_.Release();
            doneCurrent();
        }
    }
    void Show(Device& device, const Rect& target)
    {
        presented_ = &device;
        target_ = target;
        if (dynamic_cast<GlDevice*>(&device))
            pending_.reset();
        else
            pending_ = device.ReadPixels();
        update();
    }

protected:
    void paintGL() override
    {
        const qreal ratio = devicePixelRatioF();
        const int w = static_cast<int>(std::lround(width() * ratio));
        const int h = static_cast<int>(std::lround(height() * ratio));
        FillFramebufferRect(h, 0, 0, w, h, 0, 0, 0);  // the bars
        Device* device = editor_.views.FullScreenView().device.get();
        if (!device || device != presented_)
            return;
        if (auto* gl = dynamic_cast<GlDevice*>(device)) {
            gl->BlitTo(defaultFramebufferObject(), target_.x, h - target_.y - target_.height, target_.width,
                       target_.height);
            return;
        }
        if (pending_) {
            picture_.Upload(*pending_);
            pending_.reset();
        }
        if (!picture_.Empty())
            picture_.BlitTo(defaultFramebufferObject(), h, target_.x, target_.y, target_.width, target_.height);
    }

private:
    Editor& editor_;
    Device* presented_ = nullptr;
    Rect target_;
    std::optional<Image> pending_;
    PictureTexture picture_;
};

// Devices come from the program's factory; a display mode is taken when it
// fits the target screen (there is no mode switch: the picture is scaled).
class FullScreenWindow::ModeFactory final : public DeviceFactory {
public:
    ModeFactory(FullScreenWindow& window, DeviceFactory& inner) : window_(window), inner_(inner) {}
    std::unique_ptr<Device> CreateDevice(const DeviceRequest& request) override { return inner_.CreateDevice(request); }
    bool SetDisplayMode(int width, int height, int depth) override
    {
        if (depth != 16 && depth != 24 && depth != 32)
            return false;
        const QScreen* screen = window_.TargetScreen();
        if (!screen)
            return false;
        const QSize size = screen->size() * screen->devicePixelRatio();
        return width <= size.width() && height <= size.height();
    }
    void Beep(int hz, int milliseconds) override { inner_.Beep(hz, milliseconds); }

private:
    FullScreenWindow& window_;
    DeviceFactory& inner_;
};

FullScreenWindow::FullScreenWindow(Editor& editor, MainWindow& main, DeviceFactory& inner)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint)
    , editor_(editor)
    , main_(main)
    , factory_(std::make_unique<ModeFactory>(*this, inner))
{
    setObjectName("fullScreenWindow");
    setWindowTitle("Corvid");
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_NoSystemBackground);
    setStyleSheet("background: black;");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    editor_.views.FullScreenView().window = this;
}

FullScreenWindow::~FullScreenWindow()
{
    ViewRecord& view = editor_.views.FullScreenView();
    if (view.window == this) {
        // The device's framebuffer belongs to the surface's context.
        editor_.views.ReleaseViewDevice(view);
        view.shown = false;
        view.window = nullptr;
    }
}

DeviceFactory& FullScreenWindow::Factory()
{
    return *factory_;
}

QScreen* FullScreenWindow::TargetScreen() const
{
    const int n = editor_.fullScreen.SourceViewport();
    if (const QWidget* viewport = n >= 1 && n <= 4 ? main_.Viewport(n) : nullptr; viewport && viewport->screen())
        return viewport->screen();
    return main_.screen() ? main_.screen() : QGuiApplication::primaryScreen();
}

Size FullScreenWindow::ClientSize() const
{
    if (isHidden())
        return {};
    const qreal ratio = devicePixelRatioF();
    return {static_cast<int>(std::lround(width() * ratio)), static_cast<int>(std::lround(height() * ratio))};
}

void FullScreenWindow::MakeCurrent()
{
    if (surface_ && !surface_->context() && surface_->width() > 0 && surface_->height() > 0)
        surface_->grabFramebuffer();  // the context is made on the first show or grab
    if (surface_ && surface_->context()) {
        surface_->makeCurrent();
        return;
    }
    if (QOpenGLContext* other = QOpenGLContext::currentContext())
        other->doneCurrent();
}

void FullScreenWindow::Present(Device& device, const Rect& target)
{
    target_ = target;
    ++presentCount_;
    if (surface_)
        surface_->Show(device, target);
}

void FullScreenWindow::SetGeometry(const Rect& rect)
{
    (void)rect;  // always the whole screen
}

void FullScreenWindow::SetVisible(bool visible)
{
    changingVisibility_ = true;
    if (visible) {
        delete surface_;
        surface_ = new Surface(editor_, editor_.views.FullScreenView().vsync, this);
        layout()->addWidget(surface_);
        if (QScreen* screen = TargetScreen()) {
            setScreen(screen);
            setGeometry(screen->geometry());
        }
        showFullScreen();
        raise();
        activateWindow();
        setFocus(Qt::ActiveWindowFocusReason);
    } else {
        hide();
        // The device went before the window was hidden; its surface goes now.
        delete surface_;
        surface_ = nullptr;
    }
    changingVisibility_ = false;
}

void FullScreenWindow::leaveLater()
{
    if (changingVisibility_)
        return;
    QTimer::singleShot(0, this, [this] { editor_.fullScreen.Leave(); });
}

void FullScreenWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        editor_.fullScreen.Leave();
        event->accept();
        return;
    }
    // No other input while full screen.
    event->accept();
}

void FullScreenWindow::closeEvent(QCloseEvent* event)
{
    // Closing is leaving: the window stays for the next time.
    event->ignore();
    leaveLater();
}

void FullScreenWindow::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    if (editor_.fullScreen.Active())
        leaveLater();
}

void FullScreenWindow::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized() && editor_.fullScreen.Active())
        leaveLater();
}

} // namespace corvid
