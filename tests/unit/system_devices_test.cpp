// The machine's own device list: the built-in synthesizer first, quietly without absent APIs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>

#include "platform/jack/jack_session.h"
#include "platform/midi/midi_out.h"

namespace {

using namespace winmm;

// Whether the program's JACK session answers, connecting it first when needed.
bool jackServerRunning()
{
    return midiout::JackSession::connect() != nullptr;
}

std::string deviceName(UINT device)
{
    MIDIOUTCAPSA caps{};
    EXPECT_EQ(midiOutGetDevCapsA(device, &caps, sizeof caps), MMSYSERR_NOERROR);
    return std::string(caps.szPname, strnlen(caps.szPname, MAXPNAMELEN));
}

TEST(SystemDevices, BuiltInSynthesizerComesFirstAndNothingIsPrinted)
{
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const UINT count = midiOutGetNumDevs();
    const std::string printed =
        testing::internal::GetCapturedStdout() + testing::internal::GetCapturedStderr();

    ASSERT_GE(count, 1U);
    EXPECT_EQ(deviceName(0), "Built-in Synthesizer");
    EXPECT_EQ(printed, "");
    if (!std::filesystem::exists("/dev/snd/seq") && !jackServerRunning()) {
        EXPECT_EQ(count, 1U) << "without the ALSA sequencer and JACK only the synthesizer is left";
    }
}

// Sets an environment variable for the life of the object, then puts back what was there.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value) : name_(name)
    {
        if (const char* saved = std::getenv(name)) {
            saved_ = saved;
        }
        if (value != nullptr) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~ScopedEnvironment()
    {
        if (saved_) {
            setenv(name_, saved_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* name_;
    std::optional<std::string> saved_;
};

TEST(SystemDevices, EnumerationNeverStartsAJackServer)
{
    const ScopedEnvironment server("JACK_DEFAULT_SERVER", "vorlik-no-such-server");
    const ScopedEnvironment mayStart("JACK_NO_START_SERVER", nullptr);
    midiOutGetNumDevs();
    EXPECT_FALSE(jackServerRunning());
}

}  // namespace
