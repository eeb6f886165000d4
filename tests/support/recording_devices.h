// Fake MIDI output devices that record every message sent to them, for tests.
#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "platform/midi/device_enumerator.h"

namespace testsupport {

struct SentMessage {
    std::uint32_t handle;
    std::uint32_t value;
    bool operator==(const SentMessage&) const = default;
};
std::ostream& operator<<(std::ostream& out, const SentMessage& message);

// While it lives, the MIDI output functions list these devices instead of the machine's. Lives
// and dies in stack order with any other: destroying it puts back what it replaced.
class RecordingDevices {
public:
    explicit RecordingDevices(std::vector<std::string> names);
    ~RecordingDevices();
    RecordingDevices(const RecordingDevices&) = delete;
    RecordingDevices& operator=(const RecordingDevices&) = delete;

    void failCapabilities(std::size_t device);
    void failOpen(std::size_t device, std::string reason);
    // From now on the device's open outputs say they cannot sound, for this reason.
    void silence(std::size_t device, std::string reason);

    // Every message sent to any of the devices, in order.
    const std::vector<SentMessage>& messages() const;
    // The values alone, for tests that send through one handle.
    std::vector<std::uint32_t> values() const;
    // The device number of each successful open, in order.
    const std::vector<std::size_t>& opened() const;
    // Handles whose outputs were closed, in order.
    const std::vector<std::uint32_t>& closed() const;
    int enumerations() const;
    void clear();

    struct Log;

private:
    std::shared_ptr<Log> log_;
    midiout::DeviceEnumerator previous_;
};

}  // namespace testsupport
