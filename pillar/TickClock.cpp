#include "pillar/TickClock.h"

#include <windows.h>
#include <mmsystem.h>

#include "pillar/CriticalSection.h"

namespace pillar {

namespace {

struct ClockState {
    CriticalSection lock;
    uint32_t lastTick = 0;
    int64_t rollover = 0;
};

ClockState& State() {
    static ClockState state;
    return state;
}

} // namespace

int64_t TickClock::Extend(uint32_t tick, uint32_t& lastTick, int64_t& rollover) {
    if (tick < lastTick)
        rollover += int64_t(1) << 32;
    lastTick = tick;
    return (int64_t(tick) + rollover) * 1000;
}

int64_t TickClock::Now() {
    ClockState& state = State();
    AutoLock hold(state.lock);
    return Extend(timeGetTime(), state.lastTick, state.rollover);
}

} // namespace pillar
