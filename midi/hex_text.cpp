// Converting a message text ("&h" or "&H" and hexadecimal digits) to its packed value.
#include "midi/hex_text.h"

namespace midi {
namespace {

std::optional<std::uint32_t> digitValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::uint32_t> hexTextValue(std::string_view text)
{
    if (!(text.starts_with("&h") || text.starts_with("&H")) || text.size() == 2) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (const char c : text.substr(2)) {
        const std::optional<std::uint32_t> digit = digitValue(c);
        if (!digit || value > 0x0FFFFFFF) {
            return std::nullopt;
        }
        value = value * 16 + *digit;
    }
    return value;
}

}  // namespace midi
