// Keeps ThreadSanitizer from watching what a test client's JACK callback reads and writes: the
// client reads what another client wrote in the same JACK cycle, ordered by the JACK server's own
// futexes, which ThreadSanitizer cannot see; it would report that ordering as a race, and the
// time taken to report it in JACK's process thread is enough for the server to drop the client.
#pragma once

#if defined(__SANITIZE_THREAD__)
extern "C" void __tsan_ignore_thread_begin();
extern "C" void __tsan_ignore_thread_end();
#endif

namespace testsupport {

class UnwatchedThread {
public:
    UnwatchedThread()
    {
#if defined(__SANITIZE_THREAD__)
        __tsan_ignore_thread_begin();
#endif
    }
    ~UnwatchedThread()
    {
#if defined(__SANITIZE_THREAD__)
        __tsan_ignore_thread_end();
#endif
    }
    UnwatchedThread(const UnwatchedThread&) = delete;
    UnwatchedThread& operator=(const UnwatchedThread&) = delete;
};

}  // namespace testsupport
