// The queue between a sending thread and JACK's process thread: items come out whole and in
// order, a full queue refuses rather than overwrites, and clearing drops only what was there.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <thread>
#include <vector>

#include "platform/jack/cycle_queue.h"

namespace midiout {
namespace {

struct Item {
    std::uint32_t sequence;
    std::array<std::uint8_t, 3> bytes;
};

std::vector<std::uint32_t> drain(CycleQueue<Item>& queue)
{
    std::vector<std::uint32_t> taken;
    while (const Item* item = queue.front()) {
        taken.push_back(item->sequence);
        queue.pop();
    }
    return taken;
}

TEST(CycleQueue, AFullQueueRefusesAndWrapsOnceRead)
{
    CycleQueue<Item> queue(3);
    EXPECT_TRUE(queue.empty());
    for (std::uint32_t i = 1; i <= 3; ++i) {
        EXPECT_TRUE(queue.push({i, {}}));
    }
    EXPECT_FALSE(queue.push({4, {}}));
    EXPECT_EQ(drain(queue), (std::vector<std::uint32_t>{1, 2, 3}));
    EXPECT_TRUE(queue.push({5, {}}));
    EXPECT_TRUE(queue.push({6, {}}));
    queue.clear();
    EXPECT_TRUE(queue.empty());
    EXPECT_TRUE(queue.push({7, {}}));
    EXPECT_EQ(drain(queue), (std::vector<std::uint32_t>{7}));
}

// Run by the ThreadSanitizer build too, where a hand-over it cannot see would be reported.
TEST(CycleQueue, AReaderOnAnotherThreadSeesEveryItemWholeAndInOrder)
{
    constexpr std::uint32_t count = 100000;
    CycleQueue<Item> queue(64);
    std::thread writer([&] {
        for (std::uint32_t i = 0; i < count;) {
            const auto low = static_cast<std::uint8_t>(i);
            if (queue.push({i, {low, low, low}})) {
                ++i;
            }
        }
    });
    std::uint32_t expected = 0;
    bool whole = true;
    while (expected < count) {
        if (const Item* item = queue.front()) {
            const auto low = static_cast<std::uint8_t>(expected);
            whole = whole && item->sequence == expected && item->bytes[0] == low &&
                    item->bytes[2] == low;
            queue.pop();
            ++expected;
        }
    }
    writer.join();
    EXPECT_TRUE(whole);
    EXPECT_TRUE(queue.empty());
}

}  // namespace
}  // namespace midiout
