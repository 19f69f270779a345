#include "pillar/WinMessagePump.h"

#include <climits>

#include "pillar/TickClock.h"

namespace pillar {

void WinMessagePump::RunWithDispatcher(Delegate* delegate, LoopDispatcher* dispatcher) {
    PumpFrame frame{frame_ ? frame_->depth + 1 : 1, false, delegate, dispatcher};
    PumpFrame* previous = frame_;
    frame_ = &frame;
    RunLoopBody();
    frame_ = previous;
}

void WinMessagePump::Quit() {
    if (frame_)
        frame_->shouldQuit = true;
}

int WinMessagePump::CurrentDelayMs() const {
    if (due_ == 0)
        return -1;
    int64_t delay = (due_ - TickClock::Now() + 999) / 1000;
    if (delay < 0)
        return 0;
    return delay > INT_MAX ? INT_MAX : int(delay);
}

} // namespace pillar
