// Folding pointer coordinates (twips) into MIDI numbers for the musical mouse.
#include "windows/mouse/folding.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

constexpr std::int32_t modulus = 127;

// Rounded half to even; beyond the 32-bit range a coordinate is held at its end.
std::int32_t roundedCoordinate(double v)
{
    constexpr double lowest = std::numeric_limits<std::int32_t>::min();
    constexpr double highest = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::clamp(std::nearbyint(v), lowest, highest));
}

}  // namespace

std::int32_t wrap127(double v)
{
    return std::abs(roundedCoordinate(v) % modulus);
}

std::int16_t volumeRemainder(double y)
{
    return static_cast<std::int16_t>(roundedCoordinate(y) % modulus);
}
