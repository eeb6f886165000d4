// Opens and closes each kind of device many times through the MIDI output functions and counts
// what the process holds before and after: memory, open files, threads and JACK clients.
//   scripts/with-test-servers.sh build/bench/reopen_bench [openings]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/midi/midi_out.h"
#include "platform/midi/port_name.h"
#include "process_holdings.h"
#include "support/device_lookup.h"
#include "support/jack_capture.h"

namespace {

using namespace winmm;
using Clock = std::chrono::steady_clock;
using bench::holdings;
using bench::Holdings;
using testsupport::deviceNamed;

constexpr int defaultOpenings = 500;

bool openSendAndClose(UINT device)
{
    HMIDIOUT handle = 0;
    if (midiOutOpen(&handle, device, 0, 0, 0) != MMSYSERR_NOERROR) {
        std::printf("  open failed: %s\n", midiOutLastOpenError().c_str());
        return false;
    }
    midiOutShortMsg(handle, 0x00403C90);
    midiOutClose(handle);
    return true;
}

// One opening first, so that what is loaded once for good (libraries, the JACK session) is
// already in "before"; then the openings counted.
void measure(const char* kind, UINT device, int openings)
{
    if (!openSendAndClose(device)) {
        return;
    }
    const Holdings before = holdings();
    const auto start = Clock::now();
    for (int i = 0; i < openings; ++i) {
        openSendAndClose(device);
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const Holdings after = holdings();
    std::printf(
        "%s: %d openings in %.1f s; resident %.1f -> %.1f MiB, own (RssAnon) %.1f -> %.1f MiB, "
        "open files %d -> %d, threads %d -> %d, JACK clients with ports %d -> %d\n",
        kind, openings, seconds, before.residentMiB, after.residentMiB, before.anonMiB,
        after.anonMiB, before.files, after.files, before.threads, after.threads, before.jackClients,
        after.jackClients);
}

}  // namespace

int main(int argc, char* argv[])
{
    const int openings = argc > 1 ? std::atoi(argv[1]) : defaultOpenings;
    std::string error;
    const auto capture = testsupport::JackCapture::open("reopen-bench", &error);
    if (!capture) {
        std::fprintf(stderr, "reopen_bench: no JACK server: %s\n", error.c_str());
        return 1;
    }
    measure("built-in synthesizer", 0, openings);
    const std::optional<UINT> jackPort = deviceNamed(midiout::fitDeviceName(capture->portName()));
    if (jackPort) {
        measure("JACK port", *jackPort, openings);
        std::printf("  the capture port received %zu of %d note-ons\n", capture->events().size(),
                    openings + 1);
    }
    // The ALSA sequencer's ports come right after the synthesizer, before JACK's.
    if (!std::filesystem::exists("/dev/snd/seq")) {
        std::printf("ALSA sequencer port: none, this machine has no /dev/snd/seq\n");
    } else if (midiOutGetNumDevs() > 1 && jackPort != 1U) {
        measure("ALSA sequencer port", 1, openings);
    }
    midiout::shutDown();
    return 0;
}
