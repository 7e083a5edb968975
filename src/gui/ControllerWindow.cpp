#include "gui/ControllerWindow.h"

#include "app/Editor.h"
#include "gui/MainWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QSocketNotifier>
#include <QTimer>
#include <QVBoxLayout>

namespace corvid {

namespace {

const char* const kAxisNames[kControllerAxisCount] = {"X", "Y", "Z", "Rotate X", "Rotate Y", "Rotate Z"};

double Seconds()
{
    return static_cast<double>(QDateTime::currentMSecsSinceEpoch()) / 1000.0;
}

} // namespace

ControllerWindow::ControllerWindow(Editor& editor, MainWindow* main)
    : ControllerWindow(editor, main, MakeSpaceNavLink())
{
}

ControllerWindow::ControllerWindow(Editor& editor, MainWindow* main, std::unique_ptr<ControllerLink> link)
    : QDialog(main, Qt::Tool)
    , editor_(editor)
    , main_(main)
    , controller_(editor)
{
    setObjectName("controllerWindow");
    setWindowTitle("Magellan");

    auto* layout = new QVBoxLayout(this);
    auto* target = new QGroupBox("Moves", this);
    auto* targetLayout = new QVBoxLayout(target);
    moveObject_ = new QRadioButton("Selected object", target);
    moveCamera_ = new QRadioButton("Camera of the view", target);
    targetLayout->addWidget(moveObject_);
    targetLayout->addWidget(moveCamera_);
    layout->addWidget(target);

    auto* axes = new QGridLayout;
    axes->addWidget(new QLabel("Sensitivity", this), 0, 1);
    axes->addWidget(new QLabel("Axes of", this), 0, 2);
    for (int i = 0; i < kControllerAxisCount; ++i) {
        enabled_[static_cast<size_t>(i)] = new QCheckBox(kAxisNames[i], this);
        auto* sensitivity = new QDoubleSpinBox(this);
        sensitivity->setRange(0.0, 1000.0);
        sensitivity->setDecimals(2);
        sensitivity_[static_cast<size_t>(i)] = sensitivity;
        auto* reference = new QComboBox(this);
        reference->addItems({"Camera", "Own", "Scene"});
        reference_[static_cast<size_t>(i)] = reference;
        axes->addWidget(enabled_[static_cast<size_t>(i)], i + 1, 0);
        axes->addWidget(sensitivity, i + 1, 1);
        axes->addWidget(reference, i + 1, 2);
        connect(enabled_[static_cast<size_t>(i)], &QCheckBox::toggled, this, [this] { takeSettings(); });
        connect(sensitivity, &QDoubleSpinBox::valueChanged, this, [this] { takeSettings(); });
        connect(reference, &QComboBox::currentIndexChanged, this, [this] { takeSettings(); });
    }
    layout->addLayout(axes);
    connect(moveObject_, &QRadioButton::toggled, this, [this] { takeSettings(); });

    burstEnd_ = new QTimer(this);
    burstEnd_->setSingleShot(true);
    burstEnd_->setInterval(kBurstEndMilliseconds);
    connect(burstEnd_, &QTimer::timeout, this, [this] { controller_.EndBurst(); });

    showSettings();
    if (main_)
        main_->onInputDevice = [this] {
            show();
            raise();
        };
    connectLink(std::move(link));
}

ControllerWindow::~ControllerWindow()
{
    if (main_)
        main_->onInputDevice = nullptr;
    controller_.EndBurst();
}

void ControllerWindow::connectLink(std::unique_ptr<ControllerLink> link)
{
    const bool connected = controller_.Connect(std::move(link));
    if (connected && controller_.Fd() >= 0) {
        notifier_ = new QSocketNotifier(static_cast<qintptr>(controller_.Fd()), QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, [this] { readEvents(); });
    }
    setAvailable(connected);
}

void ControllerWindow::setAvailable(bool available)
{
    setEnabled(available);
    if (!available)
        hide();
    ShowInputDeviceItem(editor_.mainMenu, available);
}

void ControllerWindow::readEvents()
{
    switch (controller_.Pump(Seconds())) {
    case Controller::PumpResult::Moved:
        burstEnd_->start();  // the burst goes on while motions keep coming
        break;
    case Controller::PumpResult::Disconnected:
        burstEnd_->stop();
        // The socket is closed: stop watching it before anything else reads it.
        notifier_->setEnabled(false);
        notifier_->deleteLater();
        notifier_ = nullptr;
        setAvailable(false);
        break;
    case Controller::PumpResult::Idle:
        break;
    }
}

void ControllerWindow::showSettings()
{
    // Filling the controls must not read them back half filled.
    showing_ = true;
    const ControllerSettings& s = controller_.settings;
    moveObject_->setChecked(s.target == kTargetObject);
    moveCamera_->setChecked(s.target == kTargetCamera);
    for (size_t i = 0; i < s.axes.size(); ++i) {
        enabled_[i]->setChecked(s.axes[i].enabled);
        sensitivity_[i]->setValue(static_cast<double>(s.axes[i].sensitivity));
        reference_[i]->setCurrentIndex(s.axes[i].reference);
    }
    showing_ = false;
}

void ControllerWindow::takeSettings()
{
    if (showing_)
        return;
    ControllerSettings& s = controller_.settings;
    s.target = moveObject_->isChecked() ? kTargetObject : kTargetCamera;
    for (size_t i = 0; i < s.axes.size(); ++i) {
        // Built one row at a time: the rows not made yet keep their values.
        if (!enabled_[i] || !sensitivity_[i] || !reference_[i])
            continue;
        s.axes[i].enabled = enabled_[i]->isChecked();
        s.axes[i].sensitivity = static_cast<float>(sensitivity_[i]->value());
        s.axes[i].reference = reference_[i]->currentIndex();
    }
}

} // namespace corvid
