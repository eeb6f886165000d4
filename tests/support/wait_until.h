// Polling for a condition with a deadline, for tests and their fixtures.
#pragma once

#include <chrono>
#include <thread>

namespace testsupport {

constexpr std::chrono::milliseconds pollInterval{20};

template <class Condition>
bool waitUntil(Condition condition, std::chrono::milliseconds deadline)
{
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end) {
            return false;
        }
        std::this_thread::sleep_for(pollInterval);
    }
    return true;
}

}  // namespace testsupport
