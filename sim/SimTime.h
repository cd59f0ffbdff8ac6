#pragma once
// Time inside the simulator. One character at 19200 baud takes about 521 us, so the simulator
// counts microseconds; the link above it counts milliseconds.

#include <cstdint>
#include <limits>

#include "link/Host.h"

namespace kvqor::sim {

using Micros = std::int64_t;
inline constexpr Micros kNever = std::numeric_limits<Micros>::max();
inline constexpr Micros kMicrosPerMilli = 1000;

constexpr Micros MicrosFromMillis(Millis ms) {
    return ms >= kNever / kMicrosPerMilli ? kNever : ms * kMicrosPerMilli;
}

// The first millisecond at or after `us`, so that waking then finds the event due.
constexpr Millis MillisCeil(Micros us) {
    if (us == kNever)
        return kForever;
    return us >= 0 ? (us + kMicrosPerMilli - 1) / kMicrosPerMilli : us / kMicrosPerMilli;
}

}  // namespace kvqor::sim
