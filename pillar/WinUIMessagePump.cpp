#include "pillar/WinUIMessagePump.h"

#include <mutex>

#include "pillar/MessageLoop.h"

namespace pillar {

namespace {

const wchar_t kWindowClass[] = L"OrvaneMessagePumpWindow";

// The class is shared by the pumps of every UI thread: registered by the
// first, unregistered by the last.
std::mutex g_classMutex;
int g_classUsers = 0;

void AcquireClass(WNDPROC proc) {
    std::lock_guard<std::mutex> hold(g_classMutex);
    if (g_classUsers++ == 0) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kWindowClass;
        RegisterClassExW(&wc);
    }
}

void ReleaseClass() {
    std::lock_guard<std::mutex> hold(g_classMutex);
    if (--g_classUsers == 0)
        UnregisterClassW(kWindowClass, GetModuleHandleW(nullptr));
}

bool IsOsModalLoop() {
    MessageLoop* loop = MessageLoop::Current();
    return loop && loop->IsOsModalLoop();
}

} // namespace

WinUIMessagePump::WinUIMessagePump() {
    AcquireClass(&WinUIMessagePump::WindowProc);
    window_ = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    if (window_)
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

WinUIMessagePump::~WinUIMessagePump() {
    if (window_) {
        KillDelayTimer();
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
    ReleaseClass();
}

void WinUIMessagePump::Wake() {
    // Without the window a post would land in the caller's own queue.
    // A failed post (a full queue) must not leave the claim set, or no later
    // post from another thread would wake an idle loop again.
    if (window_ && ClaimWake() &&
        !PostMessageW(window_, kWakeMessage, reinterpret_cast<WPARAM>(this), 0))
        ClearWorkPending();
}

void WinUIMessagePump::WakeAt(int64_t due) {
    due_ = due;
    // SetTimer without a window would make a new thread timer on every call.
    if (!window_)
        return;
    int delay = CurrentDelayMs();
    if (delay < kMinTimerMs)
        delay = kMinTimerMs;
    SetTimer(window_, reinterpret_cast<UINT_PTR>(this), UINT(delay), nullptr);
}

void WinUIMessagePump::KillDelayTimer() { KillTimer(window_, reinterpret_cast<UINT_PTR>(this)); }

LRESULT CALLBACK WinUIMessagePump::WindowProc(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
    auto* pump = reinterpret_cast<WinUIMessagePump*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (pump) {
        if (message == WM_TIMER && wParam == reinterpret_cast<UINT_PTR>(pump))
            pump->OnTimer();
        else if (message == kWakeMessage)
            pump->OnWakeMessage();
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Reached when a loop other than ours (a modal dialog, a menu) dispatches
// the pump window's messages.
void WinUIMessagePump::OnTimer() {
    KillDelayTimer();
    if (!frame_)
        return;
    frame_->delegate->RunDueDelayedTask(due_);
    if (due_ != 0)
        WakeAt(due_);
}

void WinUIMessagePump::OnWakeMessage() {
    if (!frame_) {
        ClearWorkPending();
        return;
    }
    ProcessReplacementMessage();
    if (frame_->delegate->RunReadyTask())
        Wake();
}

void WinUIMessagePump::RunLoopBody() {
    for (;;) {
        bool more;
        DWORD status = GetQueueStatus(QS_SENDMESSAGE);
        MSG message;
        if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            more = ProcessNextMessage(message);
        else
            more = (HIWORD(status) & QS_SENDMESSAGE) != 0;
        if (frame_->shouldQuit)
            break;
        more |= frame_->delegate->RunReadyTask();
        if (frame_->shouldQuit)
            break;
        more |= frame_->delegate->RunDueDelayedTask(due_);
        if (more && due_ == 0)
            KillDelayTimer();
        if (frame_->shouldQuit)
            break;
        if (more)
            continue;
        more = frame_->delegate->RunIdleTask();
        if (frame_->shouldQuit)
            break;
        if (!more)
            WaitForWork();
    }
}

bool WinUIMessagePump::ProcessNextMessage(const MSG& message) {
    if (message.message == WM_QUIT) {
        frame_->shouldQuit = true;
        // An outer loop (ours or the system's) must end as well.
        PostQuitMessage(int(message.wParam));
        return false;
    }
    if (message.message == kWakeMessage && message.hwnd == window_)
        return ProcessReplacementMessage();
    MSG copy = message;
    if (CallMsgFilterW(&copy, 0x5001))
        return true;
    WillProcessMessage(message);
    if (!frame_->dispatcher) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    } else if (!frame_->dispatcher->Dispatch(message)) {
        frame_->shouldQuit = true;
    }
    DidProcessMessage(message);
    return true;
}

// Our wake message carries no work of its own: take a real message in its
// place so that a stream of wakes cannot starve input.
bool WinUIMessagePump::ProcessReplacementMessage() {
    MSG message;
    bool taken;
    if (IsOsModalLoop()) {
        taken = PeekMessageW(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE) ||
                PeekMessageW(&message, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE);
    } else {
        taken = PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);
    }
    ClearWorkPending();
    if (!taken)
        return false;
    Wake();
    return ProcessNextMessage(message);
}

void WinUIMessagePump::WaitForWork() {
    int delay = CurrentDelayMs();
    DWORD timeout = delay < 0 ? INFINITE : DWORD(delay);
    DWORD result = MsgWaitForMultipleObjectsEx(0, nullptr, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (result == WAIT_OBJECT_0) {
        DWORD status = GetQueueStatus(QS_MOUSE);
        MSG message;
        if ((HIWORD(status) & (QS_MOUSEMOVE | QS_MOUSEBUTTON)) != 0 &&
            !PeekMessageW(&message, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_NOREMOVE)) {
            WaitMessage();
        }
    }
}

void WinUIMessagePump::WillProcessMessage(const MSG& message) {
    observers_.Notify([&](UIObserver* o) { o->WillProcessMessage(message); });
}

void WinUIMessagePump::DidProcessMessage(const MSG& message) {
    observers_.Notify([&](UIObserver* o) { o->DidProcessMessage(message); });
}

} // namespace pillar
