// Unpacking a packed short message into the 1 to 3 bytes that go on the wire.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace midiout {

struct ShortMessageBytes {
    std::array<std::uint8_t, 3> data{};
    std::size_t size = 0;

    std::span<const std::uint8_t> bytes() const { return {data.data(), size}; }
};

// The length follows the kind of the first byte; a first byte below 0x80 is not a status byte
// and all three bytes go out. Bytes are never altered, data bytes of 0x80 and above included.
ShortMessageBytes unpackShortMessage(std::uint32_t packed);

}  // namespace midiout
