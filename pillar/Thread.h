#pragma once
// An OS thread: its id, its handle, and the body it runs.
#include <windows.h>

#include "pillar/ScopedHandle.h"

namespace pillar {

class Thread {
public:
    Thread() = default;
    virtual ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    DWORD ThreadId() const { return threadId_; }
    HANDLE ThreadHandle() const { return threadHandle_.Get(); }

protected:
    virtual void ThreadBody() {}

    // True on the OS thread this object started (while its handle is kept).
    bool IsOwnOsThread() const;
    // Starts an OS thread that runs ThreadBody; false if it could not start.
    bool StartOsThread();
    // Waits for the OS thread (terminating it if the wait fails) and closes
    // its handle.
    void JoinOsThread();

    DWORD threadId_ = 0;
    ScopedHandle threadHandle_;

private:
    static unsigned __stdcall Entry(void* self);
};

} // namespace pillar
