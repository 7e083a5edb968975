// The link to the controller's daemon through its client library, over the
// daemon's local socket. The library's header brings the X11 headers with
// it: they stay inside this file.

#include "app/ControllerLink.h"

#include <spnav.h>

#include <cerrno>
#include <sys/socket.h>

namespace corvid {

namespace {

class SpaceNavLink final : public ControllerLink {
public:
    ~SpaceNavLink() override { Close(); }

    bool Open(const std::string& clientName) override
    {
        Close();
        if (spnav_open() == -1)
            return false;
        open_ = true;
        // Daemons of the first protocol take neither; they send motions and
        // buttons anyway.
        if (spnav_protocol() >= 1) {
            spnav_client_name(clientName.c_str());
            spnav_evmask(SPNAV_EVMASK_INPUT);
        }
        return true;
    }

    void Close() override
    {
        if (open_)
            spnav_close();
        open_ = false;
    }

    int Fd() const override { return open_ ? spnav_fd() : -1; }

    Read Next(ControllerEvent& event) override
    {
        if (!open_)
            return Read::Closed;
        spnav_event raw{};
        for (int type = spnav_poll_event(&raw); type != 0; type = spnav_poll_event(&raw)) {
            if (type == SPNAV_EVENT_MOTION) {
                const auto& m = raw.motion;
                event.kind = ControllerEvent::Kind::Motion;
                event.motion = {m.x, m.y, m.z, m.rx, m.ry, m.rz, static_cast<int>(m.period)};
                return Read::Event;
            }
            if (type == SPNAV_EVENT_BUTTON) {
                event.kind = raw.button.press ? ControllerEvent::Kind::ButtonDown : ControllerEvent::Kind::ButtonUp;
                event.button = raw.button.bnum;
                return Read::Event;
            }
            // Device and configuration notices mean nothing here.
        }
        // Nothing queued: find out whether the daemon is still there. A
        // readable socket with no bytes has reached its end.
        const int fd = spnav_fd();
        char byte = 0;
        const ssize_t got = fd < 0 ? 0 : recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
        if (got > 0 || (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)))
            return Read::Empty;
        Close();
        return Read::Closed;
    }

private:
    bool open_ = false;
};

} // namespace

std::unique_ptr<ControllerLink> MakeSpaceNavLink()
{
    return std::make_unique<SpaceNavLink>();
}

} // namespace corvid
