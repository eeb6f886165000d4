// Lets the event loop run, so that timers tick, for a given time.
#pragma once

#include <QEventLoop>
#include <QTimer>

namespace bench {

inline void runFor(int seconds)
{
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace bench
