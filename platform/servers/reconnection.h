// What every connection to a sound server (device 0's audio outputs, the program's JACK client)
// does while its server is away: it says why it is silent, tries to reach the server again every
// retry interval, and once the server plays its stream again drops what was played or sent
// meanwhile, so that nothing of it is heard late.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <string>

namespace midiout {

class Reconnection {
public:
    static constexpr std::chrono::milliseconds retryInterval{250};

    // How one connection reaches its server; called on the connection's own loop thread.
    class Connector {
    public:
        // Has retry() called on the loop once `delay` has passed; called where lose() is.
        virtual void armRetry(std::chrono::milliseconds delay) = 0;
        // Starts a new connection; false when it fails at once.
        virtual bool reconnect() = 0;

    protected:
        ~Connector() = default;
    };

    // reason: what the window shows while the server is away; onBack: what ends what was
    // played meanwhile, before the stream's first cycle on the server that answered.
    Reconnection(Connector& connector, std::string reason, std::function<void()> onBack);

    // The server went, or a connection to it failed: on the loop, or on the thread that saw the
    // loss where the connector arms its retry safely from any thread.
    void lose();
    // On the loop, when the retry armed is due.
    void retry();
    // On the loop: the stream plays on the server; after a loss, the first call runs onBack.
    void playing();

    // Any thread: whether the server is away, and why the output is silent (empty while it plays).
    bool lost() const { return lost_.load(); }
    std::string silenceReason() const { return lost() ? reason_ : std::string(); }

private:
    Connector& connector_;
    const std::string reason_;
    const std::function<void()> onBack_;
    std::atomic<bool> lost_{false};
};

}  // namespace midiout
