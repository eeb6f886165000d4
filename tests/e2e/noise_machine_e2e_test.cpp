// The noise machine, its ten voices switched on one by one with the mouse, plays every voice at
// its 30 ms period and falls silent at "STOP".
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "e2e_support.h"

namespace {

using namespace e2e;
using testsupport::CapturedEvent;

constexpr Point noiseButton{580, 372};  // main window's "BRING THE NOISE" (456, 320, 249, 105)
constexpr const char* noiseWindowName = "^Form1$";
constexpr int voiceCount = 10;             // voice i plays on channel i
constexpr Point firstVoiceButton{32, 32};  // voice 0's "Off"/"On" (8, 16, 49, 33)
constexpr int voiceButtonStep = 56;        // px from one voice's button to the next
constexpr Point stopButton{280, 332};      // "STOP" (24, 320, 513, 25)
constexpr std::chrono::seconds playTime{2};

constexpr std::uint8_t noteOnStatus = 0x90;  // on channel 0; a voice adds its channel
constexpr std::uint8_t velocity = 0x40;
constexpr std::uint8_t highestNote = 0x7F;
constexpr std::size_t noteOnSize = 3;  // bytes

// A voice's period at the speed bar's top, in microseconds of JACK time. The program stamps each
// note with the JACK frame it was sent at, so a spacing shows when the voice's timer fired. On a
// busy machine single ticks come late and the next one early, so no single spacing is checked:
// the mean over the whole run (its span over its spacings) barely moves with late ticks and must
// be close to the period; the median moves more when many ticks are late, so it has a wider bound,
// still narrow enough to tell notes bunched into JACK's 21.3 ms cycles (a median of 21.3 ms).
constexpr double period = 30'000;
constexpr double meanTolerance = 3'000;
constexpr double medianTolerance = 7'000;

bool isNoteOn(const CapturedEvent& event)
{
    return event.bytes.size() == noteOnSize && event.bytes[0] >= noteOnStatus &&
           event.bytes[0] < noteOnStatus + voiceCount && event.bytes[1] <= highestNote &&
           event.bytes[2] == velocity;
}

// Each voice's notes' arrival times, µs, keyed by channel; the messages that are no voice's
// note are left in others.
std::map<int, std::vector<std::uint64_t>> arrivalsByVoice(const std::vector<CapturedEvent>& events,
                                                          std::vector<std::string>& others)
{
    std::map<int, std::vector<std::uint64_t>> arrivals;
    for (const CapturedEvent& event : events) {
        if (isNoteOn(event)) {
            arrivals[event.bytes[0] - noteOnStatus].push_back(event.microseconds);
        } else {
            others.push_back(hexText(event.bytes));
        }
    }
    return arrivals;
}

// Both take a voice's arrival times, in order and at least two.
double meanSpacing(const std::vector<std::uint64_t>& arrivals)
{
    return static_cast<double>(arrivals.back() - arrivals.front()) /
           static_cast<double>(arrivals.size() - 1);
}

double medianSpacing(const std::vector<std::uint64_t>& arrivals)
{
    std::vector<double> spacings;
    for (std::size_t i = 1; i < arrivals.size(); ++i) {
        spacings.push_back(static_cast<double>(arrivals[i] - arrivals[i - 1]));
    }
    const auto middle = spacings.begin() + static_cast<std::ptrdiff_t>(spacings.size() / 2);
    std::nth_element(spacings.begin(), middle, spacings.end());
    return *middle;
}

// Each voice's button, clicked as a user would, one after another.
void switchEveryVoiceOn(const std::string& window)
{
    for (int voice = 0; voice < voiceCount; ++voice) {
        click(window, {firstVoiceButton.x + voiceButtonStep * voice, firstVoiceButton.y});
    }
}

class NoiseMachineEndToEnd : public ProgramTest {};

TEST_F(NoiseMachineEndToEnd, EveryVoiceSwitchedOnPlaysAtItsPeriodUntilStop)
{
    const std::string mainWindowId = startAtCaptureDevice();
    ASSERT_FALSE(mainWindowId.empty());
    click(mainWindowId, noiseButton);
    const std::string window = waitForWindow({"--name", noiseWindowName});
    ASSERT_FALSE(window.empty()) << "no window named " << noiseWindowName << " appeared";
    EXPECT_TRUE(received(*capture_).empty()) << "opening the noise machine sent messages";

    switchEveryVoiceOn(window);
    std::this_thread::sleep_for(playTime);
    click(window, stopButton);

    // Nothing may follow the all-notes-off: every voice is off before they are sent.
    std::vector<CapturedEvent> events = eventsThroughAllNotesOff(*capture_);
    const std::vector<std::string> silence = allNotesOffOnEveryChannel();
    ASSERT_GE(events.size(), silence.size());
    const auto stop = events.end() - static_cast<std::ptrdiff_t>(silence.size());
    std::vector<std::string> stopMessages;
    const std::map<int, std::vector<std::uint64_t>> voices =
        arrivalsByVoice({stop, events.end()}, stopMessages);
    EXPECT_EQ(stopMessages, silence) << "the last messages received are not the all-notes-off";
    EXPECT_TRUE(voices.empty()) << "a voice played after \"STOP\"";

    events.erase(stop, events.end());
    std::vector<std::string> strays;
    const std::map<int, std::vector<std::uint64_t>> arrivals = arrivalsByVoice(events, strays);
    EXPECT_TRUE(strays.empty()) << "not a voice's note: " << testing::PrintToString(strays);
    for (int voice = 0; voice < voiceCount; ++voice) {
        const auto found = arrivals.find(voice);
        ASSERT_NE(found, arrivals.end()) << "voice " << voice << " never sounded";
        ASSERT_GE(found->second.size(), 2U) << "voice " << voice << " sounded once only";
        EXPECT_NEAR(meanSpacing(found->second), period, meanTolerance)
            << "voice " << voice << " played " << found->second.size() << " notes";
        EXPECT_NEAR(medianSpacing(found->second), period, medianTolerance)
            << "voice " << voice << " played " << found->second.size() << " notes";
    }
}

}  // namespace
