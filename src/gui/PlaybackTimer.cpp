#include "gui/PlaybackTimer.h"

#include "anim/Transport.h"

#include <cmath>

namespace corvid {

PlaybackTimer::PlaybackTimer(Transport& transport, QObject* parent) : QObject(parent), transport_(transport)
{
    clock_.start();
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] {
        ++ticks_;
        transport_.Tick(Now());
        Follow();
    });
}

void PlaybackTimer::Follow()
{
    if (!transport_.Playing()) {
        timer_.stop();
        return;
    }
    const int interval = static_cast<int>(std::floor(transport_.TickInterval() * 1000.0));
    if (!timer_.isActive() || timer_.interval() != interval)
        timer_.start(interval);
}

} // namespace corvid
