// Holds the lock of a sound server library's loop thread, which every call into its objects needs
// outside the loop's own callbacks.
#pragma once

namespace midiout {

template <typename Loop, void (*lock)(Loop*), void (*unlock)(Loop*)>
class LoopLock {
public:
    explicit LoopLock(Loop* loop) : loop_(loop) { lock(loop); }
    ~LoopLock() { unlock(loop_); }
    LoopLock(const LoopLock&) = delete;
    LoopLock& operator=(const LoopLock&) = delete;

private:
    Loop* loop_;
};

}  // namespace midiout
