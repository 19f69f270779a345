#pragma once
// A thread-local slot whose index is allocated lazily and exactly once, by
// whichever thread needs it first.
#include <windows.h>

namespace pillar {

class ThreadLocalSlot {
public:
    constexpr ThreadLocalSlot() = default;
    ThreadLocalSlot(const ThreadLocalSlot&) = delete;
    ThreadLocalSlot& operator=(const ThreadLocalSlot&) = delete;

    // Null when nothing was stored on this thread (or no index is available).
    void* Get();
    // False when the process has no slot index left.
    bool Set(void* value);

private:
    DWORD Index();

    // 0 unallocated, 1 being allocated, 2 ready.
    volatile LONG state_ = 0;
    DWORD index_ = TLS_OUT_OF_INDEXES;
};

// The current-loop slot and the current-thread slot.
ThreadLocalSlot& CurrentLoopSlot();
ThreadLocalSlot& CurrentThreadSlot();

} // namespace pillar
