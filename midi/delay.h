// The busy-wait that paces note runs: it counts, measured against no clock.
#pragma once

#include <cstdint>

namespace midi {

// Every inner pass of delay adds one to it. Volatile, so that no pass can be optimised away.
inline volatile std::uint64_t delayPasses = 0;

// (d + 1) x 500001 counting passes, d rounded half to even; none when d is below 0. The user
// interface is frozen meanwhile.
void delay(double d);

}  // namespace midi
