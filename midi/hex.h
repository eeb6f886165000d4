// The digit helpers of the message texts, and the rounding of arguments to whole numbers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace midi {

// x rounded to the nearest whole number, a half going to the even neighbour; nothing when
// that is negative, above 32 bits or not a number.
std::optional<std::uint32_t> wholeNumber(double x);

// x, rounded half to even, in uppercase hexadecimal without leading zeros ("0" for zero). A
// negative x is written as its 32-bit two's complement ("FFFFFFFF" for -1). |x| < 2^53.
std::string Hex(double x);

// Hex(x) with one "0" in front of a single digit; never cuts (256 gives "100").
std::string Hex2(double x);

}  // namespace midi
