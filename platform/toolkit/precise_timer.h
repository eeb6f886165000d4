// A timer that ticks while it is enabled and its interval is above zero, to the millisecond.
#pragma once

#include <QObject>
#include <QTimer>

namespace toolkit {

class PreciseTimer : public QObject {
    Q_OBJECT
public:
    explicit PreciseTimer(QObject* parent = nullptr);

    int interval() const { return interval_; }
    // Interval in ms; 0 (or below) stops the ticks until a positive one is set. A change
    // starts the count anew.
    void setInterval(int milliseconds);
    bool enabled() const { return enabled_; }
    void setEnabled(bool enabled);

signals:
    void tick();

private:
    void apply();

    QTimer timer_;
    int interval_ = 0;
    bool enabled_ = false;
};

}  // namespace toolkit
