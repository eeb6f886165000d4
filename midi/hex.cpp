// The digit helpers of the message texts, and the rounding of arguments to whole numbers.
#include "midi/hex.h"

#include <cfenv>
#include <cmath>
#include <limits>

namespace midi {
namespace {

// The default rounding mode of the floating-point environment rounds halves to even.
double roundHalfEven(double x)
{
    return std::nearbyint(x);
}

}  // namespace

std::optional<std::uint32_t> wholeNumber(double x)
{
    const double rounded = roundHalfEven(x);
    if (!(rounded >= 0.0 && rounded <= std::numeric_limits<std::uint32_t>::max())) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(rounded);
}

std::string Hex(double x)
{
    constexpr char digits[] = "0123456789ABCDEF";
    auto value = static_cast<std::uint32_t>(static_cast<std::int64_t>(roundHalfEven(x)));
    std::string text;
    do {
        text.insert(text.begin(), digits[value % 16]);
        value /= 16;
    } while (value != 0);
    return text;
}

std::string Hex2(double x)
{
    std::string text = Hex(x);
    if (text.size() == 1) {
        text.insert(text.begin(), '0');
    }
    return text;
}

}  // namespace midi
