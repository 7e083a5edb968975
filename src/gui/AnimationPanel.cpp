#include "gui/AnimationPanel.h"

#include "anim/Transport.h"
#include "app/Editor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace corvid {

namespace {

void SetText(QLineEdit* edit, const std::string& text)
{
    // Not while the person types in it: the typed text is theirs until Enter.
    if (!edit->hasFocus() || !edit->isModified())
        edit->setText(QString::fromStdString(text));
}

} // namespace

QLineEdit* AnimationPanel::field(const char* name)
{
    auto* edit = new QLineEdit(this);
    edit->setObjectName(name);
    edit->setMaximumWidth(80);
    return edit;
}

AnimationPanel::AnimationPanel(Editor& editor, QWidget* parent) : QWidget(parent), editor_(editor)
{
    setObjectName("animationWindow");
    Transport& t = editor_.transport;
    auto* layout = new QFormLayout(this);
    layout->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);

    currentFrame_ = field("currentFrame");
    maxFrames_ = field("maxFrames");
    state_ = new QLabel(this);
    state_->setObjectName("currentState");
    layout->addRow("Current frame", currentFrame_);
    layout->addRow("Max frames", maxFrames_);
    layout->addRow("Current State", state_);

    speedNow_ = field("speedNow");
    speedLast_ = field("speedLast");
    speedNow_->setReadOnly(true);
    speedLast_->setReadOnly(true);
    auto* speeds = new QHBoxLayout;
    speeds->addWidget(speedNow_);
    speeds->addWidget(speedLast_);
    layout->addRow("Speed Stats (Frame/Second)", speeds);

    openClosed_ = new QComboBox(this);
    openClosed_->setObjectName("openClosed");
    openClosed_->addItems({"Open", "Closed"});
    pathStyle_ = new QComboBox(this);
    pathStyle_->setObjectName("pathStyle");
    pathStyle_->addItems({"Linear", "Spline", "Nearest"});
    layout->addRow("Open/Closed", openClosed_);
    layout->addRow("Path style", pathStyle_);

    frameSpeed_ = new QComboBox(this);
    frameSpeed_->setObjectName("frameSpeed");
    frameSpeed_->addItems({"Fastest", "Faster", "Normal", "Slower", "Slowest"});
    layout->addRow("Frame speed", frameSpeed_);
    userSpeedBox_ = new QCheckBox("User speed", this);
    userSpeedBox_->setObjectName("userSpeedBox");
    userSpeed_ = field("userSpeed");
    layout->addRow(userSpeedBox_, userSpeed_);
    frameRate_ = field("frameRate");
    layout->addRow("Frame rate", frameRate_);
    frameBased_ = new QRadioButton("Frame based speed", this);
    timeBased_ = new QRadioButton("Time based speed", this);
    layout->addRow(frameBased_);
    layout->addRow(timeBased_);

    recordingSpeed_ = field("recordingSpeed");
    recordEvery_ = field("recordEvery");
    layout->addRow("Recording speed", recordingSpeed_);
    layout->addRow("Record every", recordEvery_);
    record_ = new QPushButton("RECORD", this);
    record_->setObjectName("record");
    record_->setCheckable(true);
    clear_ = new QPushButton("Clear Animation", this);
    clear_->setObjectName("clearAnimation");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(record_);
    buttons->addWidget(clear_);
    layout->addRow(buttons);

    auto enter = [this](QLineEdit* edit, bool (Transport::*take)(const std::string&)) {
        connect(edit, &QLineEdit::editingFinished, this, [this, edit, take] {
            if (!refreshing_ && edit->isModified()) {
                edit->setModified(false);
                (editor_.transport.*take)(edit->text().toStdString());
                Refresh();
            }
        });
    };
    enter(currentFrame_, &Transport::EnterCurrentFrame);
    enter(maxFrames_, &Transport::EnterMaxFrames);
    enter(userSpeed_, &Transport::EnterUserSpeed);
    enter(frameRate_, &Transport::EnterFrameRate);
    enter(recordingSpeed_, &Transport::EnterRecordingSpeed);
    enter(recordEvery_, &Transport::EnterRecordEvery);
    connect(openClosed_, &QComboBox::currentIndexChanged, this, [this, &t](int i) {
        if (!refreshing_)
            t.SetClosed(i == 1);
    });
    connect(pathStyle_, &QComboBox::currentIndexChanged, this, [this, &t](int i) {
        if (!refreshing_)
            t.SetPathStyle(static_cast<PathStyle>(i));
    });
    connect(frameSpeed_, &QComboBox::currentIndexChanged, this, [this, &t](int i) {
        if (!refreshing_)
            t.SetFrameSpeed(static_cast<FrameSpeed>(i));
    });
    connect(userSpeedBox_, &QCheckBox::toggled, this, [this, &t](bool on) {
        if (!refreshing_)
            t.SetUserSpeedTicked(on);
    });
    connect(frameBased_, &QRadioButton::toggled, this, [this, &t](bool on) {
        if (!refreshing_ && on)
            t.SetPlaybackMode(PlaybackMode::FrameBased);
    });
    connect(timeBased_, &QRadioButton::toggled, this, [this, &t](bool on) {
        if (!refreshing_ && on)
            t.SetPlaybackMode(PlaybackMode::TimeBased);
    });
    connect(record_, &QPushButton::toggled, this, [this, &t](bool down) {
        if (!refreshing_)
            t.SetRecord(down);
    });
    connect(clear_, &QPushButton::clicked, this, [&t] { t.ClearAnimation(); });
    Refresh();
}

void AnimationPanel::Refresh()
{
    const Transport& t = editor_.transport;
    const auto& m = t.Window();
    refreshing_ = true;
    SetText(currentFrame_, m.currentFrame);
    SetText(maxFrames_, m.maxFrames);
    state_->setText(t.StateText());
    speedNow_->setText(QString::fromStdString(m.speedNow));
    speedLast_->setText(QString::fromStdString(m.speedLast));
    openClosed_->setCurrentIndex(m.closed ? 1 : 0);
    pathStyle_->setCurrentIndex(static_cast<int>(m.path));
    frameSpeed_->setCurrentIndex(static_cast<int>(m.frameSpeed));
    userSpeedBox_->setChecked(m.userSpeedTicked);
    SetText(userSpeed_, m.userSpeed);
    SetText(frameRate_, m.frameRate);
    frameBased_->setChecked(m.mode == PlaybackMode::FrameBased);
    timeBased_->setChecked(m.mode == PlaybackMode::TimeBased);
    SetText(recordingSpeed_, m.recordingSpeed);
    SetText(recordEvery_, m.recordEvery);
    record_->setChecked(m.recordDown);
    record_->setText(m.recordDown ? "STOP" : "RECORD");
    frameSpeed_->setEnabled(m.frameSpeedEnabled);
    userSpeedBox_->setEnabled(m.userSpeedBoxEnabled);
    userSpeed_->setEnabled(m.userSpeedEnabled);
    frameRate_->setEnabled(m.frameRateEnabled);
    refreshing_ = false;
}

} // namespace corvid
