#pragma once
// The 3D controller: its settings (what it moves, and per axis whether it
// acts, how strongly and along which axes), the connection to its daemon,
// and how a motion becomes a move of the selected object or of the camera a
// viewport looks through.
//
// Motions queue up faster than the scene redraws: every Pump takes all the
// queued events and moves once, with the last motion's values. A burst of
// motion is one step of the edit history, from its first move until the
// front end calls EndBurst (when the controller has been still for a
// moment).

#include "app/ControllerLink.h"

#include <array>
#include <memory>

namespace corvid {

class Editor;
class Frame;
class MenuModel;

// The main menu's item that opens the controller's window.
constexpr int kCmdInputDevice = 33090;
constexpr const char* kInputDeviceText = "Input Device ...";

// Shows the "Input Device ..." item at the end of the main menu's Options
// popup while the controller is available, and takes it away when not.
void ShowInputDeviceItem(MenuModel& mainMenu, bool available);

// The axes in settings order.
enum ControllerAxisIndex : int { kAxisX, kAxisY, kAxisZ, kAxisRx, kAxisRy, kAxisRz };
constexpr int kControllerAxisCount = 6;

// Whose axes a controller axis moves along or turns about.
enum ControllerReference : int {
    kReferenceCamera = 0,  // the active camera's (for the camera itself: its own)
    kReferenceOwn = 1,     // the moved object's own
    kReferenceScene = 2,   // SCENE's
};

// What the controller moves.
enum ControllerTarget : int {
    kTargetCamera = 0,  // the camera of the active viewport, when it looks through an object or user camera
    kTargetObject = 1,  // the selected object
};

struct ControllerAxis {
    bool enabled = true;
    float sensitivity = 10.0f;
    int reference = kReferenceCamera;
    float step = 0.0f;  // from the last motion: a distance, or an angle in radians
};

struct ControllerSettings {
    int target = kTargetObject;
    std::array<ControllerAxis, kControllerAxisCount> axes{{
        {true, 10.0f, kReferenceCamera, 0},
        {true, 10.0f, kReferenceScene, 0},
        {true, 10.0f, kReferenceCamera, 0},
        {true, 1.0f, kReferenceCamera, 0},
        {true, 1.0f, kReferenceCamera, 0},
        {true, 1.0f, kReferenceCamera, 0},
    }};
};

// Sets each axis's step from motion: raw value x sensitivity x 0.0002, with
// z, rx and ry negated (the device's and the scene's handedness differ); 0
// for a disabled axis.
void ComputeSteps(ControllerSettings& settings, const ControllerMotion& motion);

class Controller {
public:
    explicit Controller(Editor& editor);
    ~Controller();
    Controller(const Controller&) = delete;
    Controller& operator=(const Controller&) = delete;

    ControllerSettings settings;

    // Opens link (introducing the program). False, with the controller
    // absent, when link is null or no daemon answers.
    bool Connect(std::unique_ptr<ControllerLink> link);
    bool Connected() const { return link_ != nullptr; }
    // The socket to watch; -1 when not connected.
    int Fd() const;

    enum class PumpResult {
        Idle,          // nothing queued, or nothing to move
        Moved,         // the last queued motion moved the target
        Disconnected,  // the daemon went away: the controller is absent now
    };
    // Reads every queued event; when there was a motion, moves the target
    // with the last one, then moves SCENE by one tick, refreshes the
    // information panel and the marker and renders all views. now (seconds)
    // times the real-time recorder's samples. Events are read and dropped
    // while a full-screen switch runs.
    PumpResult Pump(double now);
    // Closes the step of the burst of motion, if one is open.
    void EndBurst();
    bool InBurst() const { return burst_; }

    // Moves the target once with the current steps (Pump calls it after
    // computing them). False when nothing moved: nothing selected, or the
    // camera target while the active viewport shows a standard view.
    bool MoveTarget(double now);

private:
    void disconnect();
    void moveFrame(Frame& frame, bool isCamera);

    Editor& editor_;
    std::unique_ptr<ControllerLink> link_;
    bool burst_ = false;
};

} // namespace corvid
