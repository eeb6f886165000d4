// Unpacking a packed short message into the 1 to 3 bytes that go on the wire.
#include "short_message.h"

namespace midiout {
namespace {

std::size_t messageLength(std::uint8_t status)
{
    if (status < 0x80) {
        return 3;
    }
    switch (status & 0xF0) {
        case 0xC0:  // program change
        case 0xD0:  // channel pressure
            return 2;
        case 0xF0:
            break;
        default:
            return 3;
    }
    switch (status) {
        case 0xF1:  // time code quarter frame
        case 0xF3:  // song select
            return 2;
        case 0xF2:  // song position
            return 3;
        default:
            return 1;
    }
}

}  // namespace

ShortMessageBytes unpackShortMessage(std::uint32_t packed)
{
    ShortMessageBytes out;
    out.data = {static_cast<std::uint8_t>(packed), static_cast<std::uint8_t>(packed >> 8),
                static_cast<std::uint8_t>(packed >> 16)};
    out.size = messageLength(out.data[0]);
    return out;
}

}  // namespace midiout
