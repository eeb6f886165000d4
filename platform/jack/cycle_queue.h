// A fixed-size queue between one writing thread and JACK's process thread: no locks, no
// allocation once made, each item seen whole or not at all.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <type_traits>

namespace midiout {

// One thread pushes, one thread reads the front and pops; they hand items over through two
// counters, the writer publishing an item by advancing `written_` after copying it in (release),
// the reader freeing its slot by advancing `read_` once done with it (release). The reader may
// change hands only at a moment both threads are held apart otherwise (a JACK cycle boundary).
template <typename Item>
class CycleQueue {
    static_assert(std::is_trivially_copyable_v<Item>);

public:
    explicit CycleQueue(std::size_t capacity)
        : capacity_(capacity), items_(std::make_unique<Item[]>(capacity))
    {
    }

    // Writer: false when the queue is full.
    bool push(const Item& item)
    {
        const std::size_t written = written_.load(std::memory_order_relaxed);
        if (written - read_.load(std::memory_order_acquire) == capacity_) {
            return false;
        }
        items_[written % capacity_] = item;
        written_.store(written + 1, std::memory_order_release);
        return true;
    }

    // Reader: the oldest item, or null when there is none; valid until pop().
    const Item* front() const
    {
        const std::size_t read = read_.load(std::memory_order_relaxed);
        if (written_.load(std::memory_order_acquire) == read) {
            return nullptr;
        }
        return &items_[read % capacity_];
    }

    // Reader: drops the oldest item; call only after front() gave one.
    void pop()
    {
        read_.store(read_.load(std::memory_order_relaxed) + 1, std::memory_order_release);
    }

    // Reader: drops every item pushed so far.
    void clear()
    {
        read_.store(written_.load(std::memory_order_acquire), std::memory_order_release);
    }

    // Any thread.
    bool empty() const
    {
        return written_.load(std::memory_order_acquire) == read_.load(std::memory_order_acquire);
    }

private:
    const std::size_t capacity_;
    const std::unique_ptr<Item[]> items_;
    std::atomic<std::size_t> written_{0};
    std::atomic<std::size_t> read_{0};
};

}  // namespace midiout
