#pragma once
// A pump makes a loop wait for work and asks it, step by step, to do some.
#include <windows.h>

#include <cstdint>

namespace pillar {

// Takes each Windows message of a UI loop in place of Translate/Dispatch;
// returning false ends the run.
class LoopDispatcher {
public:
    virtual ~LoopDispatcher() = default;
    virtual bool Dispatch(const MSG& message) = 0;
};

class MessagePump {
public:
    // The loop as seen by its pump.
    class Delegate {
    public:
        virtual ~Delegate() = default;
        // One ready task; true if one ran.
        virtual bool RunReadyTask() = 0;
        // One due delayed task; nextDue receives the next due time (0 none).
        virtual bool RunDueDelayedTask(int64_t& nextDue) = 0;
        // One deferred task, or the quit check at an idle point.
        virtual bool RunIdleTask() = 0;
    };

    virtual ~MessagePump() = default;
    virtual void Run(Delegate* delegate) = 0;
    // Ends the innermost run at its next check.
    virtual void Quit() = 0;
    // Any thread: there is new immediate work.
    virtual void Wake() = 0;
    // Loop thread: delayed work falls due at this TickClock time.
    virtual void WakeAt(int64_t due) = 0;
};

} // namespace pillar
