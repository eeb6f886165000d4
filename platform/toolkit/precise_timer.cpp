// A timer that ticks while it is enabled and its interval is above zero, to the millisecond.
#include "platform/toolkit/precise_timer.h"

namespace toolkit {

PreciseTimer::PreciseTimer(QObject* parent) : QObject(parent)
{
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &PreciseTimer::tick);
}

void PreciseTimer::setInterval(int milliseconds)
{
    if (milliseconds != interval_) {
        interval_ = milliseconds;
        apply();
    }
}

void PreciseTimer::setEnabled(bool enabled)
{
    if (enabled != enabled_) {
        enabled_ = enabled;
        apply();
    }
}

void PreciseTimer::apply()
{
    if (enabled_ && interval_ > 0) {
        timer_.start(interval_);
    } else {
        timer_.stop();
    }
}

}  // namespace toolkit
