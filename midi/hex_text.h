// Converting a message text ("&h" or "&H" and hexadecimal digits) to its packed value.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace midi {

// The digits are one unsigned number, either letter case, leading zeros allowed; 0x80000000
// and above keep their bits. Nothing when the prefix or the digits are missing, a character is
// not a hexadecimal digit, or more than eight digits remain after the leading zeros.
std::optional<std::uint32_t> hexTextValue(std::string_view text);

}  // namespace midi
