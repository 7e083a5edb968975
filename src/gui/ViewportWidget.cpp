#include "gui/ViewportWidget.h"

#include "gui/MenuBuilder.h"
#include "gui/QtUi.h"
#include "gui/WidgetGl.h"
#include "platform/Frame.h"
#include "platform/gl/GlDevice.h"
#include "gui/ViewportOutput.h"
#include "render/Navigation.h"
#include "app/Editor.h"
#include "scene/Records.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QOpenGLContext>

#include <algorithm>
#include <cmath>

namespace corvid {

namespace {

constexpr int kCornerSize = 20;

std::optional<MouseButton> ButtonOf(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton: return MouseButton::Left;
    case Qt::RightButton: return MouseButton::Right;
    default: return std::nullopt;
    }
}

const ColorRGBA kEdgeDark{0.08f, 0.08f, 0.09f, 1.0f};
const ColorRGBA kEdgeLight{0.47f, 0.47f, 0.5f, 1.0f};
// The active viewport's edge, kActiveEdge pixels wide.
const ColorRGBA kEdgeActive{1.0f, 0.67f, 0.16f, 1.0f};
constexpr int kActiveEdge = 2;

const char* const kLabelStyle = "QLabel { color: #f0f0f0; background: rgba(40, 40, 46, 190);"
                                " border: 1px solid #8a8a92; font-size: 11px; padding: 1px 4px; }";
const char* const kActiveLabelStyle = "QLabel { color: #1a1a1a; background: rgba(255, 171, 41, 235);"
                                      " border: 1px solid #ffd080; font-size: 11px; padding: 1px 4px; }";

// The user camera or light entries as a popup of the viewport menu.
MenuItem UserPopup(const char* title, const std::vector<UserMenuEntry>& entries, int checkedCommand)
{
    std::vector<MenuItem> items;
    for (const UserMenuEntry& e : entries)
        items.push_back(MenuItem::Command(e.command, e.text, e.command == checkedCommand));
    const bool any = !items.empty();
    return MenuItem::Popup(title, std::move(items), any);
}

} // namespace

ViewportWidget::ViewportWidget(Editor& editor, QtUi& ui, int number, QWidget* parent)
    : QOpenGLWidget(parent)
    , editor_(editor)
    , ui_(ui)
    , number_(number)
    , picture_(std::make_unique<PictureTexture>())
{
    setWindowTitle(QString::number(number));
    setObjectName(QString("viewport%1").arg(number));
    setMinimumSize(1, 1);
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);

    // Only a sign: every press goes to the viewport, where a right press in
    // the corner square opens the menu and a left one starts the tool.
    label_ = new QLabel(this);
    label_->setObjectName("viewLabel");
    label_->setAttribute(Qt::WA_TransparentForMouseEvents);
    label_->setStyleSheet(kLabelStyle);
    label_->move(0, 0);

    menu_ = new QMenu(this);
    editor_.views.Viewport(number_).window = this;
    refreshLabel();
}

ViewportWidget::~ViewportWidget()
{
    // The device's framebuffer belongs to this widget's context: let it go
    // while the context is still there.
    ViewRecord& view = editor_.views.Viewport(number_);
    if (view.window == this) {
        editor_.views.ReleaseViewDevice(view);
        view.window = nullptr;
    }
    if (context()) {
        makeCurrent();
        picture_->Release();
        doneCurrent();
    }
}

Size ViewportWidget::ClientSize() const
{
    // Not isVisible(): the first size arrives while the widget is being
    // shown, before it counts as visible.
    if (isHidden() || window()->isMinimized())
        return {};
    const qreal ratio = devicePixelRatioF();
    return {static_cast<int>(std::lround(width() * ratio)), static_cast<int>(std::lround(height() * ratio))};
}

void ViewportWidget::MakeCurrent()
{
    if (!context()) {
        // The context is made on the first show or grab; a device needs it now.
        if (width() > 0 && height() > 0)
            grabFramebuffer();
    }
    if (context()) {
        makeCurrent();
        return;
    }
    // Never leave another widget's context current: a device made there
    // could not be shown here.
    if (QOpenGLContext* other = QOpenGLContext::currentContext())
        other->doneCurrent();
}

void ViewportWidget::Present(Device& device, const Rect& target)
{
    presented_ = &device;
    target_ = target;
    if (dynamic_cast<GlDevice*>(&device))
        pending_.reset();
    else
        pending_ = device.ReadPixels();
    ++presentCount_;
    refreshLabel();
    update();
}

void ViewportWidget::SetGeometry(const Rect& rect)
{
    // The core places windows in main-window client pixels.
    QPoint origin(rect.x, rect.y);
    if (QWidget* parent = parentWidget())
        origin = parent->mapFrom(window(), origin);
    setGeometry(origin.x(), origin.y(), rect.width, rect.height);
}

void ViewportWidget::SetVisible(bool visible)
{
    setVisible(visible);
}

QString ViewportWidget::ViewName() const
{
    const ViewRecord& view = editor_.views.Viewport(number_);
    const int command = view.viewCommand;
    for (const auto* entries : {&ui_.UserCameraEntries(), &ui_.UserLightEntries()})
        for (const UserMenuEntry& entry : *entries)
            if (entry.command == command)
                return QString::fromStdString(entry.text);
    const MenuItem* item = view.menu.Find(command);
    QString name = item ? QString::fromStdString(item->text) : QString();
    if (command == kViewCommands[static_cast<size_t>(number_ - 1)][kViewObject])
        if (const ObjectRecord* record = view.camera ? RecordOf(view.camera.get()) : nullptr)
            name += ": " + QString::fromStdString(record->name);
    return name;
}

bool ViewportWidget::IsActiveViewport() const
{
    return editor_.views.activeViewport == number_;
}

void ViewportWidget::refreshLabel()
{
    const QString text = QString("%1  %2").arg(number_).arg(ViewName());
    const bool active = IsActiveViewport();
    if (label_->text() == text && labelActive_ == active)
        return;
    label_->setText(text);
    label_->setStyleSheet(active ? kActiveLabelStyle : kLabelStyle);
    labelActive_ = active;
    label_->adjustSize();
    // Never smaller than the corner square the menu opens from.
    label_->resize(std::max(label_->width(), kCornerSize), std::max(label_->height(), kCornerSize));
}

void ViewportWidget::ShowPopupMenu()
{
    ShowPopupMenu(QPoint(0, kCornerSize));
}

QPoint ViewportWidget::FromWindowPixels(int x, int y) const
{
    const qreal ratio = devicePixelRatioF();
    return {static_cast<int>(std::lround(x / ratio)), static_cast<int>(std::lround(y / ratio))};
}

QPoint ViewportWidget::ToWindowPixels(const QPointF& position) const
{
    const qreal ratio = devicePixelRatioF();
    return {static_cast<int>(std::floor(position.x() * ratio)), static_cast<int>(std::floor(position.y() * ratio))};
}

void ViewportWidget::runMenuCommand(int command)
{
    // The image and video output first, then the views (standard views,
    // Object, user cameras and lights), the render states, depth, detail and
    // driver items, then full screen.
    if (RunViewportOutputCommand(editor_, number_, command, this))
        return;
    if (!editor_.views.ViewCommand(number_, command) && !editor_.views.ViewportCommand(number_, command))
        editor_.fullScreen.Command(number_, command);
}

void ViewportWidget::ShowPopupMenu(const QPoint& position)
{
    ViewRecord& view = editor_.views.Viewport(number_);
    std::vector<MenuItem> items = view.menu.items;
    // The user cameras and lights follow the standard views.
    auto firstSeparator = std::find_if(items.begin(), items.end(),
                                       [](const MenuItem& i) { return i.kind == MenuItem::Kind::Separator; });
    MenuItem cameras = UserPopup("User Camera", ui_.UserCameraEntries(), view.viewCommand);
    MenuItem lights = UserPopup("User Light", ui_.UserLightEntries(), view.viewCommand);
    auto at = items.insert(firstSeparator, std::move(lights));
    items.insert(at, std::move(cameras));

    menu_->clear();
    AppendMenuItems(*menu_, items, [this](int command) { runMenuCommand(command); });
    menu_->popup(mapToGlobal(position));
}

void ViewportWidget::initializeGL()
{
    // The devices are made by the core through the device factory.
}

void ViewportWidget::resizeGL(int width, int height)
{
    if (!resizedOnce_ && width > 0 && height > 0) {
        resizedOnce_ = true;
        if (onFirstResize)
            onFirstResize();
    }
    editor_.views.ViewportResized(number_);
}

void ViewportWidget::paintGL()
{
    const qreal ratio = devicePixelRatioF();
    const int fullWidth = static_cast<int>(std::lround(width() * ratio));
    const int fullHeight = static_cast<int>(std::lround(height() * ratio));
    ViewRecord& view = editor_.views.Viewport(number_);
    Device* device = view.device.get();
    bool shown = false;
    if (device && device == presented_) {
        if (auto* gl = dynamic_cast<GlDevice*>(device)) {
            // GL rows run bottom-up: flip the target's y.
            gl->BlitTo(defaultFramebufferObject(), target_.x, fullHeight - target_.y - target_.height, target_.width,
                       target_.height);
            shown = true;
        } else {
            if (pending_) {
                picture_->Upload(*pending_);
                pending_.reset();
            }
            if (!picture_->Empty()) {
                picture_->BlitTo(defaultFramebufferObject(), fullHeight, target_.x, target_.y, target_.width,
                                 target_.height);
                shown = true;
            }
        }
    }
    if (device && device != presented_ && !renderQueued_) {
        // A device with nothing drawn yet (built while rendering was off):
        // draw the views once this paint is over.
        renderQueued_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                renderQueued_ = false;
                editor_.views.RenderAllViews();
            },
            Qt::QueuedConnection);
    }
    if (!shown) {
        const ColorRGBA background = editor_.scene.World() ? editor_.scene.World()->Scene().background : ColorRGBA{0, 0, 0, 1};
        FillFramebufferRect(fullHeight, 0, 0, fullWidth, fullHeight, std::clamp(background.r, 0.0f, 1.0f),
                            std::clamp(background.g, 0.0f, 1.0f), std::clamp(background.b, 0.0f, 1.0f));
    }
    // A sunken edge, so neighbouring viewports stay apart.
    auto fill = [fullHeight](int x, int y, int w, int h, const ColorRGBA& c) {
        FillFramebufferRect(fullHeight, x, y, w, h, c.r, c.g, c.b);
    };
    if (IsActiveViewport()) {
        fill(0, 0, fullWidth, kActiveEdge, kEdgeActive);
        fill(0, 0, kActiveEdge, fullHeight, kEdgeActive);
        fill(0, fullHeight - kActiveEdge, fullWidth, kActiveEdge, kEdgeActive);
        fill(fullWidth - kActiveEdge, 0, kActiveEdge, fullHeight, kEdgeActive);
    } else {
        fill(0, 0, fullWidth, 1, kEdgeDark);
        fill(0, 0, 1, fullHeight, kEdgeDark);
        fill(0, fullHeight - 1, fullWidth, 1, kEdgeLight);
        fill(fullWidth - 1, 0, 1, fullHeight, kEdgeLight);
    }
    // Outside the paint: the label is a widget of its own.
    QMetaObject::invokeMethod(this, [this] { refreshLabel(); }, Qt::QueuedConnection);
}

void ViewportWidget::mousePressEvent(QMouseEvent* event)
{
    const std::optional<MouseButton> button = ButtonOf(event->button());
    if (!button) {
        QOpenGLWidget::mousePressEvent(event);
        return;
    }
    // Qt keeps sending moves and the release to this widget while a button
    // is down (the capture); the focus brings the keys here.
    setFocus(Qt::MouseFocusReason);
    const QPoint at = ToWindowPixels(event->position());
    editor_.tools.ViewportMouseDown(number_, *button, at.x(), at.y());
    event->accept();
}

void ViewportWidget::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint at = ToWindowPixels(event->position());
    editor_.tools.ViewportMouseMove(number_, at.x(), at.y());
    event->accept();
}

void ViewportWidget::mouseReleaseEvent(QMouseEvent* event)
{
    const std::optional<MouseButton> button = ButtonOf(event->button());
    if (!button) {
        QOpenGLWidget::mouseReleaseEvent(event);
        return;
    }
    const QPoint at = ToWindowPixels(event->position());
    editor_.tools.ViewportMouseUp(number_, *button, at.x(), at.y());
    event->accept();
}

void ViewportWidget::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Delete || event->key() == Qt::Key_Escape) {
        editor_.tools.ViewportKeyDown(number_, event->key() == Qt::Key_Delete ? kKeyDelete : kKeyEscape);
        event->accept();
        return;
    }
    QOpenGLWidget::keyPressEvent(event);
}

} // namespace corvid
