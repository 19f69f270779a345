#include "pillar/WorkerThread.h"

#include <windows.h>
#include <process.h>

#include <memory>

namespace pillar {

namespace {

unsigned __stdcall RunBody(void* parameter) {
    std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(parameter));
    (*body)();
    return 0;
}

} // namespace

ScopedHandle StartThread(std::function<void()> body) {
    auto owned = std::make_unique<std::function<void()>>(std::move(body));
    // _beginthreadex, not CreateThread, so the C runtime's per-thread state
    // is set up and released with the thread.
    const uintptr_t thread = _beginthreadex(nullptr, 0, &RunBody, owned.get(), 0, nullptr);
    if (thread == 0) return ScopedHandle();
    owned.release();  // the thread owns it now
    return ScopedHandle(reinterpret_cast<HANDLE>(thread));
}

bool StartDetachedThread(std::function<void()> body) { return StartThread(std::move(body)).Valid(); }

} // namespace pillar
