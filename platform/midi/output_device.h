// What a MIDI output backend offers: a listed device that can be opened, and an open output.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace midiout {

class OpenOutput {
public:
    virtual ~OpenOutput() = default;
    // One packed short message: status in bits 0-7, data bytes in bits 8-15 and 16-23. False
    // when the device refuses it, for instance because it is gone.
    virtual bool send(std::uint32_t packed) = 0;
    // Why messages sent now do not reach the device (its server is gone), in words for the
    // user; empty while they do, as far as is known.
    virtual std::string silenceReason() const { return {}; }
};

// Either the open output or, on failure, the reason in words for the user.
using OpenResult = std::variant<std::unique_ptr<OpenOutput>, std::string>;

class OutputDevice {
public:
    virtual ~OutputDevice() = default;
    // The device's full name (the device list fits it to 32 bytes), or nothing when the
    // query fails.
    virtual std::optional<std::string> name() const = 0;
    // handle: the non-zero handle the caller will send through, for devices that record it.
    virtual OpenResult open(std::uint32_t handle) = 0;
};

using DeviceList = std::vector<std::unique_ptr<OutputDevice>>;

}  // namespace midiout
