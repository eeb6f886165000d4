// midi-capture: prints each MIDI event reaching a JACK input port as "<microseconds> <hex bytes>".
#include "support/jack_capture.h"

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

namespace {

constexpr const char* defaultClientName = "capture";
constexpr std::chrono::milliseconds pollInterval{5};
constexpr int exitFailure = 1;
constexpr int exitUsage = 2;
constexpr const char* usage = "usage: midi-capture [--name NAME] [--seconds N]\n";

volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int)
{
    stopRequested = 1;
}

struct Options {
    std::string clientName = defaultClientName;
    std::optional<std::chrono::duration<double>> runTime;  // until a signal when empty
};

std::optional<double> parseSeconds(const char* text)
{
    char* end = nullptr;
    const double seconds = std::strtod(text, &end);
    if (end == text || *end != '\0' || !std::isfinite(seconds) || seconds <= 0) {
        return std::nullopt;
    }
    return seconds;
}

std::optional<Options> parseOptions(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (i + 1 >= argc) {
            return std::nullopt;
        }
        const char* value = argv[++i];
        if (option == "--name" && *value) {
            options.clientName = value;
        } else if (option == "--seconds") {
            const auto seconds = parseSeconds(value);
            if (!seconds) {
                return std::nullopt;
            }
            options.runTime = std::chrono::duration<double>(*seconds);
        } else {
            return std::nullopt;
        }
    }
    return options;
}

void printEvents(const std::vector<testsupport::CapturedEvent>& events)
{
    for (const auto& event : events) {
        std::printf("%llu", static_cast<unsigned long long>(event.microseconds));
        for (const std::uint8_t byte : event.bytes) {
            std::printf(" %02X", static_cast<unsigned>(byte));
        }
        std::putchar('\n');
    }
    if (!events.empty()) {
        std::fflush(stdout);
    }
}

bool timeUp(const Options& options, std::chrono::steady_clock::time_point start)
{
    return options.runTime && std::chrono::steady_clock::now() - start >= *options.runTime;
}

}  // namespace

int main(int argc, char** argv)
{
    const auto options = parseOptions(argc, argv);
    if (!options) {
        std::fputs(usage, stderr);
        return exitUsage;
    }
    std::signal(SIGINT, requestStop);
    std::signal(SIGTERM, requestStop);

    std::string error;
    const auto capture = testsupport::JackCapture::open(options->clientName, &error);
    if (!capture) {
        std::fprintf(stderr, "midi-capture: %s\n", error.c_str());
        return exitFailure;
    }
    std::printf("ready %s\n", capture->portName().c_str());
    std::fflush(stdout);

    const auto start = std::chrono::steady_clock::now();
    while (!stopRequested && !capture->serverGone() && !timeUp(*options, start)) {
        printEvents(capture->takeEvents());
        std::this_thread::sleep_for(pollInterval);
    }
    printEvents(capture->takeEvents());

    if (capture->serverGone()) {
        std::fputs("midi-capture: the JACK server shut down\n", stderr);
        return exitFailure;
    }
    if (capture->droppedEvents() != 0) {
        std::fprintf(stderr, "midi-capture: %zu events lost, the output could not keep up\n",
                     capture->droppedEvents());
        return exitFailure;
    }
    return EXIT_SUCCESS;
}
