#include "pillar/Thread.h"

#include <process.h>

namespace pillar {

Thread::~Thread() { JoinOsThread(); }

unsigned __stdcall Thread::Entry(void* self) {
    static_cast<Thread*>(self)->ThreadBody();
    return 0;
}

bool Thread::StartOsThread() {
    if (threadHandle_)
        return false;
    unsigned id = 0;
    uintptr_t handle = _beginthreadex(nullptr, 0, &Thread::Entry, this, 0, &id);
    if (!handle)
        return false;
    threadHandle_.Reset(reinterpret_cast<HANDLE>(handle));
    return true;
}

bool Thread::IsOwnOsThread() const {
    return threadHandle_ && GetCurrentThreadId() == GetThreadId(threadHandle_.Get());
}

void Thread::JoinOsThread() {
    if (!threadHandle_)
        return;
    if (!IsOwnOsThread() &&
        WaitForSingleObject(threadHandle_.Get(), INFINITE) != WAIT_OBJECT_0) {
        TerminateThread(threadHandle_.Get(), 1);
    }
    threadHandle_.Close();
}

} // namespace pillar
