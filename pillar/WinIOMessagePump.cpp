#include "pillar/WinIOMessagePump.h"

namespace pillar {

WinIOMessagePump::WinIOMessagePump()
    : port_(CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1)) {}

WinIOMessagePump::~WinIOMessagePump() = default;

void WinIOMessagePump::Wake() {
    if (ClaimWake() &&
        !PostQueuedCompletionStatus(port_.Get(), 0, reinterpret_cast<ULONG_PTR>(this),
                                    reinterpret_cast<OVERLAPPED*>(this)))
        ClearWorkPending();
}

void WinIOMessagePump::WakeAt(int64_t due) { due_ = due; }

bool WinIOMessagePump::RegisterIOHandler(HANDLE file, IOHandler* handler) {
    return CreateIoCompletionPort(file, port_.Get(), reinterpret_cast<ULONG_PTR>(handler), 1) == port_.Get();
}

void WinIOMessagePump::RunLoopBody() {
    for (;;) {
        bool more = WaitForIOCompletion(0);
        if (frame_->shouldQuit)
            break;
        more |= frame_->delegate->RunReadyTask();
        if (frame_->shouldQuit)
            break;
        more |= frame_->delegate->RunDueDelayedTask(due_);
        if (frame_->shouldQuit)
            break;
        if (more)
            continue;
        more = frame_->delegate->RunIdleTask();
        if (frame_->shouldQuit)
            break;
        if (more)
            continue;
        int delay = CurrentDelayMs();
        WaitForIOCompletion(delay < 0 ? INFINITE : DWORD(delay));
    }
}

bool WinIOMessagePump::WaitForIOCompletion(DWORD timeoutMs) {
    DWORD bytes = 0;
    ULONG_PTR key = 0;
    OVERLAPPED* overlapped = nullptr;
    DWORD error = ERROR_SUCCESS;
    if (!GetQueuedCompletionStatus(port_.Get(), &bytes, &key, &overlapped, timeoutMs)) {
        if (!overlapped)
            return false;  // timed out (or the port failed): no packet
        error = GetLastError();
    }
    if (key == reinterpret_cast<ULONG_PTR>(this) &&
        overlapped == reinterpret_cast<OVERLAPPED*>(this)) {
        ClearWorkPending();
        return true;
    }
    if (!overlapped)
        return true;  // a bare packet carries no operation to complete
    auto* context = reinterpret_cast<IOContext*>(overlapped);
    if (!context->handler) {
        delete context;
        return true;
    }
    observers_.Notify([](IOObserver* o) { o->WillProcessIOEvent(); });
    context->handler->OnIOCompleted(context, bytes, error);
    observers_.Notify([](IOObserver* o) { o->DidProcessIOEvent(); });
    return true;
}

} // namespace pillar
