// Pitch and level of recorded or rendered audio, for tests of what the synthesizer plays.
#pragma once

#include <vector>

namespace testsupport {

// Autocorrelation pitch estimate, 50 Hz to 2 kHz: the first lag that comes within 10 % of the
// strongest, refined by a parabola through its neighbours. 0 when nothing periodic is found.
double fundamentalHz(const std::vector<float>& x, double rate);

// Root mean square of the samples; 0 for none.
float rms(const std::vector<float>& x);

}  // namespace testsupport
