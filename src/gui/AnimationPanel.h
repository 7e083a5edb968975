#pragma once
// The animation window: current and maximum frame, the state, the speed
// read-outs, the interpolation lists, the playback speeds and mode, the
// real-time recorder's settings and RECORD, and Clear Animation; every
// control bound to the core's transport, which decides what each takes.

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace corvid {

class Editor;

class AnimationPanel final : public QWidget {
    Q_OBJECT
public:
    explicit AnimationPanel(Editor& editor, QWidget* parent = nullptr);

    // Shows what the transport's window model says.
    void Refresh();

    QLineEdit* CurrentFrame() const { return currentFrame_; }
    QLineEdit* MaxFrames() const { return maxFrames_; }
    QLabel* State() const { return state_; }
    QPushButton* Record() const { return record_; }

private:
    QLineEdit* field(const char* name);

    Editor& editor_;
    QLineEdit* currentFrame_ = nullptr;
    QLineEdit* maxFrames_ = nullptr;
    QLabel* state_ = nullptr;
    QLineEdit* speedNow_ = nullptr;
    QLineEdit* speedLast_ = nullptr;
    QComboBox* openClosed_ = nullptr;
    QComboBox* pathStyle_ = nullptr;
    QComboBox* frameSpeed_ = nullptr;
    QCheckBox* userSpeedBox_ = nullptr;
    QLineEdit* userSpeed_ = nullptr;
    QLineEdit* frameRate_ = nullptr;
    QRadioButton* frameBased_ = nullptr;
    QRadioButton* timeBased_ = nullptr;
    QLineEdit* recordingSpeed_ = nullptr;
    QLineEdit* recordEvery_ = nullptr;
    QPushButton* record_ = nullptr;
    QPushButton* clear_ = nullptr;
    bool refreshing_ = false;
};

} // namespace corvid
