// The busy-wait that paces note runs: it counts, measured against no clock.
#include "midi/delay.h"

#include "midi/hex.h"

namespace midi {
namespace {

constexpr std::int64_t innerPasses = 500001;

}  // namespace

void delay(double d)
{
    const std::optional<std::uint32_t> last = wholeNumber(d);
    if (!last) {
        return;
    }
    for (std::int64_t i = 0; i <= *last; ++i) {
        for (std::int64_t j = 0; j < innerPasses; ++j) {
            delayPasses = delayPasses + 1;
        }
    }
}

}  // namespace midi
