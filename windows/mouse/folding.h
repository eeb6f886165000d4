// Folding pointer coordinates (twips) into MIDI numbers for the musical mouse.
#pragma once

#include <cstdint>

// v rounded half to even to a 32-bit integer, its remainder by 127 (sign of the dividend),
// made positive: 0 to 126.
std::int32_t wrap127(double v);

// The volume of mode 4: y rounded half to even to a 32-bit integer and its remainder by 127,
// keeping the dividend's sign: -126 to 126.
std::int16_t volumeRemainder(double y);
