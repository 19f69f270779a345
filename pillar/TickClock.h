#pragma once
// Process-wide time base of loops and pumps: microseconds from the system
// millisecond tick, extended past its 49.7-day wrap.
#include <cstdint>

namespace pillar {

class TickClock {
public:
    // Signed 64-bit microseconds; never decreases.
    static int64_t Now();

    // The wrap-extension step on its own, for a given raw tick and state.
    static int64_t Extend(uint32_t tick, uint32_t& lastTick, int64_t& rollover);
};

} // namespace pillar
