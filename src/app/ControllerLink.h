#pragma once
// The connection to the 3D controller's daemon as the controller code sees
// it: open, the socket to watch, and the queued events read without waiting.
// The program's link speaks the daemon's protocol through its client library
// (MakeSpaceNavLink); tests give a link over a socket pair of their own.

#include <memory>
#include <string>

namespace corvid {

// One motion of the controller: translations x, y, z and rotations rx, ry,
// rz about those axes, as the device reports them, and the period in
// milliseconds.
struct ControllerMotion {
    int x = 0, y = 0, z = 0;
    int rx = 0, ry = 0, rz = 0;
    int period = 60;
    bool operator==(const ControllerMotion&) const = default;
};

struct ControllerEvent {
    enum class Kind { Motion, ButtonDown, ButtonUp };
    Kind kind = Kind::Motion;
    ControllerMotion motion;  // for Motion
    int button = 0;           // for ButtonDown and ButtonUp
};

class ControllerLink {
public:
    virtual ~ControllerLink() = default;

    // Connects to the daemon and introduces the program as clientName.
    // False when no daemon answers.
    virtual bool Open(const std::string& clientName) = 0;
    virtual void Close() = 0;
    // The socket that becomes readable when events arrive or the daemon
    // goes away; -1 when closed.
    virtual int Fd() const = 0;

    enum class Read {
        Event,   // event holds the next queued event
        Empty,   // nothing queued now
        Closed,  // the daemon has gone away; the link is closed
    };
    virtual Read Next(ControllerEvent& event) = 0;
};

// The link to the daemon through its client library, or null when the
// program was built without it (the controller then counts as absent).
std::unique_ptr<ControllerLink> MakeSpaceNavLink();

} // namespace corvid
