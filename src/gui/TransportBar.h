#pragma once
// The transport bar along the top of the main window: the frame slider and
// eight buttons (play, stop, animate or in its place stop animating, go to
// start, step back, step forward, go to end), bound to the core's transport.

#include <QToolBar>

#include <array>

class QLabel;
class QSlider;
class QToolButton;

namespace corvid {

class Editor;
class PlaybackTimer;

class TransportBar final : public QToolBar {
    Q_OBJECT
public:
    enum Button { Play, Stop, Animate, StopAnimating, GoToStart, StepBack, StepForward, GoToEnd, ButtonCount };

    TransportBar(Editor& editor, PlaybackTimer& timer, QWidget* parent = nullptr);

    // Shows what the transport says (slider, which of animate / stop animating).
    void Refresh();

    QSlider* Slider() const { return slider_; }
    // "Frame 50  ANIMATING": the frame shown and the state.
    QLabel* Status() const { return status_; }
    QToolButton* ButtonOf(Button button) const { return buttons_[button]; }

private:
    Editor& editor_;
    PlaybackTimer& timer_;
    QSlider* slider_ = nullptr;
    QLabel* status_ = nullptr;
    std::array<QToolButton*, ButtonCount> buttons_{};
    // A widget in a tool bar shows and hides through its action.
    std::array<QAction*, ButtonCount> actions_{};
    bool refreshing_ = false;
};

} // namespace corvid
