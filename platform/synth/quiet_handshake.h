// The hand-over between an audio output's loop thread, which makes its stream rest after a
// silence (out of the graph, or on long buffering), and the thread that sends messages, which
// wakes it on the next one.
#pragma once

#include <atomic>
#include <cstdint>

namespace midiout {

// One atomic word holds both the messages sent so far and whether the stream rests, so that
// going to rest and a message can only happen one before the other: a stream never goes to rest
// after a message that its silence did not include.
class QuietHandshake {
public:
    // Messages sent so far; taken before the render whose silence may lead to rest.
    std::uint64_t messages() const { return word_.load() >> 1; }

    // After a message reached the synth: true when the stream rests and must be woken.
    bool messageSent() { return (word_.fetch_add(messageStep) & restingBit) != 0; }

    // The stream may go to rest: true, and it rests, unless a message came after `messages`.
    bool rest(std::uint64_t messagesBefore)
    {
        std::uint64_t expected = messagesBefore << 1;
        return word_.compare_exchange_strong(expected, expected | restingBit);
    }

    // Under the loop's lock, on a message: true once when the stream rested and now wakes.
    bool wake() { return (word_.fetch_and(~restingBit) & restingBit) != 0; }

    bool resting() const { return (word_.load() & restingBit) != 0; }

private:
    static constexpr std::uint64_t restingBit = 1;
    static constexpr std::uint64_t messageStep = 2;

    std::atomic<std::uint64_t> word_{0};
};

}  // namespace midiout
