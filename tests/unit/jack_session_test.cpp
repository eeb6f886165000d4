// The program's JACK client is never closed under a thread that is using it.
#include "platform/jack/jack_session.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "platform/jack/jack_thread.h"
#include "support/jack_server.h"
#include "support/wait_until.h"

namespace {

using midiout::JackSession;
using namespace std::chrono_literals;

// A thread that found the session up when the server went keeps the dead client open until it
// is done, however long it is held up; then the client closes and the JACK thread goes on. The
// session is the process's own, so the test needs a process of its own, as ctest gives it.
TEST(JackSessionClose, WaitsForAUseThatBeganBeforeTheServerWent)
{
    testsupport::JackServer server("vorlik-session-server", "/dev/null");
    ASSERT_TRUE(server.start());
    testsupport::setEnvironment(server.environment());
    const std::shared_ptr<JackSession> session = JackSession::connect();
    ASSERT_TRUE(session);
    auto ports = session->openPorts({{"held", JACK_DEFAULT_MIDI_TYPE, ""}});
    ASSERT_TRUE(std::holds_alternative<std::vector<midiout::JackPort*>>(ports));

    std::promise<void> entered;
    std::promise<void> release;
    std::thread user([&] {
        session->whileUp([&](jack_client_t* client) {
            entered.set_value();
            release.get_future().wait();
            return jack_frame_time(client);  // crashes when the client was closed meanwhile
        });
    });
    entered.get_future().wait();
    server.kill();
    ASSERT_TRUE(testsupport::waitUntil([&] { return session->lost(); }, 5s));
    const auto pastTheClose = midiout::jackthread::post([] {});
    EXPECT_FALSE(pastTheClose->finishedWithin(300ms)) << "the client closed under its user";

    release.set_value();
    user.join();
    EXPECT_TRUE(testsupport::waitUntil([&] { return pastTheClose->finishedWithin(0ms); }, 2s));
    // Without ports the session does not come back by itself; so the server, started again, has
    // no client when it stops, and stops cleanly, leaving no entry in the registry of servers.
    session->closePorts(std::get<std::vector<midiout::JackPort*>>(ports));
    EXPECT_TRUE(midiout::jackthread::post([] {})->finishedWithin(2s));
    EXPECT_TRUE(server.start());
}

}  // namespace
