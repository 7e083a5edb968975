#pragma once
// Drives the transport's playback from the GUI thread: a precise timer that
// runs only while the transport plays (at its tick interval) and a monotonic
// clock in seconds for the transport's Play and Tick.

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

namespace corvid {

class Transport;

class PlaybackTimer final : public QObject {
    Q_OBJECT
public:
    PlaybackTimer(Transport& transport, QObject* parent = nullptr);

    // Seconds since the timer was made, on a monotonic clock.
    double Now() const { return static_cast<double>(clock_.nsecsElapsed()) * 1e-9; }
    // Starts or stops the timer as the transport now says.
    void Follow();
    bool Running() const { return timer_.isActive(); }
    int Ticks() const { return ticks_; }

private:
    Transport& transport_;
    QElapsedTimer clock_;
    QTimer timer_;
    int ticks_ = 0;
};

} // namespace corvid
