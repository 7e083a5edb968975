#pragma once
// A fake of the 3D controller's daemon on a socket pair, and the program's
// link to it. The daemon's side sends events as eight 32-bit integers (type
// 0 motion, 1 press, 2 release; then x, y, z, rx, ry, rz, period or the
// button number); the link introduces the program by sending its name.

#include "app/ControllerLink.h"

#include <array>
#include <cerrno>
#include <cstdint>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace corvid::testing {

using Packet = std::array<int32_t, 8>;

// The program's side: a link reading those packets from the other end.
class SocketLink final : public ControllerLink {
public:
    explicit SocketLink(int fd, bool answers = true) : fd_(fd), answers_(answers) {}
    ~SocketLink() override { Close(); }
    bool Open(const std::string& clientName) override
    {
        if (!answers_)
            return false;
        return send(fd_, clientName.data(), clientName.size(), 0) == static_cast<ssize_t>(clientName.size());
    }
    void Close() override
    {
        if (fd_ >= 0)
            close(fd_);
        fd_ = -1;
    }
    int Fd() const override { return fd_; }
    Read Next(ControllerEvent& event) override
    {
        Packet p{};
        const ssize_t got = recv(fd_, p.data(), sizeof p, MSG_DONTWAIT);
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return Read::Empty;
        if (got != static_cast<ssize_t>(sizeof p)) {
            Close();
            return Read::Closed;
        }
        event.kind = p[0] == 0 ? ControllerEvent::Kind::Motion
                     : p[0] == 1 ? ControllerEvent::Kind::ButtonDown
                                 : ControllerEvent::Kind::ButtonUp;
        event.motion = {p[1], p[2], p[3], p[4], p[5], p[6], p[7]};
        event.button = p[1];
        return Read::Event;
    }

private:
    int fd_;
    bool answers_;
};

// The daemon's end of a socket pair and the link on the other end.
struct FakeControllerDaemon {
    FakeControllerDaemon()
    {
        int fds[2];
        if (socketpair(AF_UNIX, SOCK_SEQPACKET, 0, fds) == 0) {
            fd = fds[0];
            clientFd = fds[1];
        }
    }
    ~FakeControllerDaemon() { Stop(); }
    FakeControllerDaemon(const FakeControllerDaemon&) = delete;
    FakeControllerDaemon& operator=(const FakeControllerDaemon&) = delete;

    // The link for the program; it owns the client's end.
    std::unique_ptr<ControllerLink> Link(bool answers = true) { return std::make_unique<SocketLink>(clientFd, answers); }
    bool Send(const Packet& p) { return send(fd, p.data(), sizeof p, 0) == static_cast<ssize_t>(sizeof p); }
    bool SendMotion(const ControllerMotion& m) { return Send({0, m.x, m.y, m.z, m.rx, m.ry, m.rz, m.period}); }
    // What the program sent (its name), empty when nothing.
    std::string Received()
    {
        char buffer[256] = {};
        const ssize_t got = recv(fd, buffer, sizeof buffer - 1, MSG_DONTWAIT);
        return got > 0 ? std::string(buffer, static_cast<size_t>(got)) : std::string();
    }
    // The daemon goes away.
    void Stop()
    {
        if (fd >= 0)
            close(fd);
        fd = -1;
    }

    int fd = -1, clientFd = -1;
};

} // namespace corvid::testing
