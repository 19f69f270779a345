#pragma once
// Shared state of the Windows pumps: the stack of runs, the due time of
// delayed work and the work-pending flag that folds a burst of wakes into one.
#include <windows.h>

#include <cstdint>

#include "pillar/MessagePump.h"

namespace pillar {

class WinMessagePump : public MessagePump {
public:
    void Run(Delegate* delegate) override { RunWithDispatcher(delegate, nullptr); }
    void RunWithDispatcher(Delegate* delegate, LoopDispatcher* dispatcher);
    void Quit() override;

protected:
    struct PumpFrame {
        int depth;
        bool shouldQuit;
        Delegate* delegate;
        LoopDispatcher* dispatcher;
    };

    virtual void RunLoopBody() = 0;

    // Milliseconds until the delayed work is due: -1 none, 0 overdue.
    int CurrentDelayMs() const;
    // Sets the work-pending flag; true if it was clear (a wake is needed).
    bool ClaimWake() { return InterlockedExchange(&workPending_, 1) == 0; }
    void ClearWorkPending() { InterlockedExchange(&workPending_, 0); }

    PumpFrame* frame_ = nullptr;
    int64_t due_ = 0;
    volatile LONG workPending_ = 0;
};

} // namespace pillar
