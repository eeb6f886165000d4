// Fitting a port's name into the 32 bytes of a device name.
#include "port_name.h"

namespace midiout {
namespace {

constexpr std::string_view joiner = "..";
constexpr std::size_t headBytes = 12;

bool isContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The longest prefix of at most maxBytes that ends on a character boundary.
std::string_view headOf(std::string_view text, std::size_t maxBytes)
{
    std::size_t end = maxBytes;
    while (end > 0 && isContinuationByte(text[end])) {
        --end;
    }
    return text.substr(0, end);
}

// The longest suffix of at most maxBytes that starts on a character boundary.
std::string_view tailOf(std::string_view text, std::size_t maxBytes)
{
    std::size_t start = text.size() - maxBytes;
    while (start < text.size() && isContinuationByte(text[start])) {
        ++start;
    }
    return text.substr(start);
}

}  // namespace

std::string fitDeviceName(std::string_view name)
{
    if (name.size() <= deviceNameBytes) {
        return std::string(name);
    }
    const std::string_view head = headOf(name, headBytes);
    const std::string_view tail = tailOf(name, deviceNameBytes - joiner.size() - head.size());
    std::string fitted;
    fitted.reserve(deviceNameBytes);
    fitted.append(head).append(joiner).append(tail);
    return fitted;
}

}  // namespace midiout
