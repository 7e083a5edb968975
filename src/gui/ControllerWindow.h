#pragma once
// The 3D controller's window ("Magellan"): what the controller moves and,
// per axis, whether it acts, its sensitivity and whose axes it follows. It
// owns the controller and its link to the daemon, wakes on the daemon's
// socket (no polling), and ends a burst of motion - one undoable step -
// once the controller has been still for a moment. Without a daemon the
// window is disabled and the main menu offers no "Input Device ..." item;
// a daemon that goes away takes both with it.

#include "app/Controller.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QRadioButton;
class QSocketNotifier;
class QTimer;

namespace corvid {

class Editor;
class MainWindow;

class ControllerWindow final : public QDialog {
    Q_OBJECT
public:
    // Connects to the daemon through the client library (or not at all
    // when the program was built without it).
    ControllerWindow(Editor& editor, MainWindow* main);
    // The same with a link of the caller's.
    ControllerWindow(Editor& editor, MainWindow* main, std::unique_ptr<ControllerLink> link);
    ~ControllerWindow() override;

    Controller& GetController() { return controller_; }
    bool Available() const { return controller_.Connected(); }
    // How long the controller must be still before a burst ends.
    static constexpr int kBurstEndMilliseconds = 300;

private:
    void connectLink(std::unique_ptr<ControllerLink> link);
    void setAvailable(bool available);
    void readEvents();
    void showSettings();
    void takeSettings();

    Editor& editor_;
    MainWindow* main_;
    Controller controller_;
    QSocketNotifier* notifier_ = nullptr;
    QTimer* burstEnd_ = nullptr;
    bool showing_ = false;
    QRadioButton* moveObject_ = nullptr;
    QRadioButton* moveCamera_ = nullptr;
    std::array<QCheckBox*, kControllerAxisCount> enabled_{};
    std::array<QDoubleSpinBox*, kControllerAxisCount> sensitivity_{};
    std::array<QComboBox*, kControllerAxisCount> reference_{};
};

} // namespace corvid
