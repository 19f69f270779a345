#pragma once
// Runs a loop with a safety quit so a broken loop fails the test instead of
// hanging it.
#include <memory>

#include "pillar/MessageLoop.h"
#include "pillar/TickClock.h"

namespace pillar_test {

constexpr int64_t kMs = 1000;  // TickClock units per millisecond

// False if the deadline (not the code under test) ended the run.
inline bool RunWithDeadline(pillar::MessageLoop& loop, int64_t deadlineMs = 20000) {
    struct State {
        bool armed = true;
        bool fired = false;
    };
    auto state = std::make_shared<State>();
    loop.QueueDelayedTask(
        [&loop, state]() {
            if (!state->armed)
                return;  // left over from an earlier run
            state->fired = true;
            loop.Quit();
        },
        deadlineMs * kMs);
    loop.Run();
    state->armed = false;
    return !state->fired;
}

} // namespace pillar_test
