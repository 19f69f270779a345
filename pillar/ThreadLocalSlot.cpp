#include "pillar/ThreadLocalSlot.h"

namespace pillar {

DWORD ThreadLocalSlot::Index() {
    if (state_ != 2) {
        if (InterlockedCompareExchange(&state_, 1, 0) == 0) {
            index_ = TlsAlloc();
            MemoryBarrier();
            InterlockedExchange(&state_, 2);
        } else {
            while (InterlockedCompareExchange(&state_, 2, 2) != 2)
                Sleep(0);
        }
    }
    return index_;
}

void* ThreadLocalSlot::Get() {
    DWORD index = Index();
    return index == TLS_OUT_OF_INDEXES ? nullptr : TlsGetValue(index);
}

bool ThreadLocalSlot::Set(void* value) {
    DWORD index = Index();
    return index != TLS_OUT_OF_INDEXES && TlsSetValue(index, value);
}

ThreadLocalSlot& CurrentLoopSlot() {
    static ThreadLocalSlot slot;
    return slot;
}

ThreadLocalSlot& CurrentThreadSlot() {
    static ThreadLocalSlot slot;
    return slot;
}

} // namespace pillar
