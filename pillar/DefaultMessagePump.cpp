#include "pillar/DefaultMessagePump.h"

#include <algorithm>
#include <climits>

#include "pillar/TickClock.h"

namespace pillar {

namespace {

// Long waits are cut short and the loop simply checks again: cut to 32 bits
// instead, a millisecond count can come out as 0 (a spin) or as INFINITE.
DWORD WaitMs(int64_t delay) { return DWORD(std::min<int64_t>((delay + 999) / 1000, INT_MAX)); }

} // namespace

DefaultMessagePump::DefaultMessagePump() : event_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

DefaultMessagePump::~DefaultMessagePump() = default;

void DefaultMessagePump::Run(Delegate* delegate) {
    // A nested run keeps the outer run's quit request apart from its own.
    const bool outerQuit = shouldQuit_;
    shouldQuit_ = false;
    for (;;) {
        bool did = delegate->RunReadyTask();
        if (shouldQuit_)
            break;
        did |= delegate->RunDueDelayedTask(due_);
        if (shouldQuit_)
            break;
        if (did)
            continue;
        did = delegate->RunIdleTask();
        if (shouldQuit_)
            break;
        if (did)
            continue;
        if (due_ == 0) {
            WaitForSingleObject(event_.Get(), INFINITE);
        } else {
            int64_t delay = due_ - TickClock::Now();
            if (delay > 0)
                WaitForSingleObject(event_.Get(), WaitMs(delay));
            else
                due_ = 0;
        }
    }
    shouldQuit_ = outerQuit;
}

void DefaultMessagePump::Quit() { shouldQuit_ = true; }

void DefaultMessagePump::Wake() { SetEvent(event_.Get()); }

void DefaultMessagePump::WakeAt(int64_t due) { due_ = due; }

} // namespace pillar
