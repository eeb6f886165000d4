// A null sink's monitor, recorded with parec.
#include "support/monitor_recording.h"

namespace testsupport {
namespace {

// Raw 32-bit floats at the sink's rate, the left channel alone; parec ends at the latest after a
// minute, and as soon as the recording is closed.
std::string recordCommand(const std::string& monitor)
{
    return "timeout 60 parec --device=" + monitor +
           " --format=float32le --rate=48000 --channels=1 --latency-msec=20 --raw 2>/dev/null";
}

}  // namespace

std::unique_ptr<MonitorRecording> MonitorRecording::start(const std::string& monitor)
{
    FILE* pipe = popen(recordCommand(monitor).c_str(), "r");
    return pipe != nullptr ? std::unique_ptr<MonitorRecording>(new MonitorRecording(pipe))
                           : nullptr;
}

std::vector<float> MonitorRecording::next(double seconds)
{
    std::vector<float> samples(static_cast<std::size_t>(seconds * recordingRateHz));
    samples.resize(std::fread(samples.data(), sizeof(float), samples.size(), pipe_.get()));
    return samples;
}

}  // namespace testsupport
