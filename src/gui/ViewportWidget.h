#pragma once
// One of the four viewport windows. The core draws the view into its device
// (a framebuffer of the widget's own context, possibly smaller than the
// widget at a lower detail level); the widget stretches that picture over
// itself when it paints. Its top-left corner names its view (Perspective,
// Top, Camera 2...), and the active viewport wears a highlighted label and
// edge. A right press in the corner square opens the viewport's popup menu
// (the editor decides that, as for any press). Mouse buttons, moves and keys
// (Delete, Escape) go to the editor in window pixels (device pixels of the
// widget).

#include "platform/ImageService.h"
#include "render/ViewWindow.h"

#include <QOpenGLWidget>

#include <functional>
#include <memory>
#include <optional>

class QLabel;
class QMenu;

namespace corvid {

class Editor;
class QtUi;
class PictureTexture;

class ViewportWidget final : public QOpenGLWidget, public ViewWindow {
    Q_OBJECT
public:
    // number is 1..4; the widget becomes the window of editor.views.Viewport(number).
    ViewportWidget(Editor& editor, QtUi& ui, int number, QWidget* parent);
    ~ViewportWidget() override;

    int Number() const { return number_; }

    // --- ViewWindow ---
    Size ClientSize() const override;
    void MakeCurrent() override;
    void Present(Device& device, const Rect& target) override;
    void SetGeometry(const Rect& rect) override;
    void SetVisible(bool visible) override;

    // Opens the popup menu at the top-left corner (as the corner square does),
    // or at a point of the widget.
    void ShowPopupMenu();
    void ShowPopupMenu(const QPoint& at);
    // Widget coordinates of window pixel (x, y), and the other way round.
    QPoint FromWindowPixels(int x, int y) const;
    QPoint ToWindowPixels(const QPointF& position) const;
    // The popup menu as last built; null before the first ShowPopupMenu.
    QMenu* PopupMenu() const { return menu_; }
    // The label in the corner: the viewport's number and its view's name.
    QLabel* ViewLabel() const { return label_; }
    // The name of the view the viewport looks through, as its menu calls
    // it ("Perspective", "Camera 2"; "Object: <name>" for an object).
    QString ViewName() const;
    // True while this is the active viewport (its label and edge say so).
    bool IsActiveViewport() const;

    // Pictures handed over by the core since the widget was made.
    int PresentCount() const { return presentCount_; }

    // Called once, on the first non-empty size of the widget.
    std::function<void()> onFirstResize;

protected:
    void initializeGL() override;
    void resizeGL(int width, int height) override;
    void paintGL() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void runMenuCommand(int command);
    // Brings the corner label up to date with the view and the activation.
    void refreshLabel();

    Editor& editor_;
    QtUi& ui_;
    const int number_;
    QLabel* label_ = nullptr;
    bool labelActive_ = false;
    QMenu* menu_ = nullptr;
    bool resizedOnce_ = false;
    bool renderQueued_ = false;
    int presentCount_ = 0;
    // The device whose picture was presented last, compared by address only:
    // the picture is blitted while the view still holds that device.
    const Device* presented_ = nullptr;
    Rect target_;
    // The read-back picture of a device whose framebuffer is not in this
    // widget's context, waiting to go into picture_ at the next paint.
    std::optional<Image> pending_;
    std::unique_ptr<PictureTexture> picture_;
};

} // namespace corvid
