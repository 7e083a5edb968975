#pragma once
// The full-screen view's window: a frameless window over the whole screen of
// the viewport it was entered from. The view renders at the chosen
// resolution and the window shows that picture scaled to fit, with black
// bars where the aspects differ; the display mode itself never changes.
// Escape leaves full screen, and so does the window manager closing,
// hiding or minimising the window.

#include "render/DeviceFactory.h"
#include "render/ViewWindow.h"

#include <QWidget>

#include <memory>

class QScreen;

namespace corvid {

class Editor;
class MainWindow;

class FullScreenWindow final : public QWidget, public ViewWindow {
    Q_OBJECT
public:
    // Becomes the window of editor.views.FullScreenView(). Its device
    // factory (Factory()) makes devices through inner and takes the display
    // modes that fit the target screen.
    FullScreenWindow(Editor& editor, MainWindow& main, DeviceFactory& inner);
    ~FullScreenWindow() override;

    DeviceFactory& Factory();
    // The screen full screen goes on: the one of the viewport it is entered
    // from, else the main window's.
    QScreen* TargetScreen() const;
    // Pictures handed over since the window was made.
    int PresentCount() const { return presentCount_; }
    // Where the last picture went (window pixels).
    Rect PictureRect() const { return target_; }

    // --- ViewWindow ---
    Size ClientSize() const override;
    void MakeCurrent() override;
    void Present(Device& device, const Rect& target) override;
    void SetGeometry(const Rect& rect) override;
    void SetVisible(bool visible) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    class Surface;
    class ModeFactory;
    // Leaves full screen once the event that asked for it is over.
    void leaveLater();

    Editor& editor_;
    MainWindow& main_;
    std::unique_ptr<ModeFactory> factory_;
    Surface* surface_ = nullptr;  // made anew for each entry, with its VSync setting
    bool changingVisibility_ = false;
    int presentCount_ = 0;
    Rect target_;
};

} // namespace corvid
