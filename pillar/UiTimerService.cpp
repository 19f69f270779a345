#include "pillar/UiTimerService.h"

#include <mmsystem.h>

#include <algorithm>

namespace pillar {

namespace {

const wchar_t kWindowClass[] = L"UI_ANIMATION_TIMERMANAGER_H_";

} // namespace

UiTimerService& UiTimerService::Instance() {
    static UiTimerService service;
    return service;
}

UiTimerService::UiTimerService() {
    QueryPerformanceFrequency(&frequency_);
    TIMECAPS caps{};
    maxPeriodMs_ = timeGetDevCaps(&caps, sizeof(caps)) == MMSYSERR_NOERROR ? caps.wPeriodMax : 0;
    if (maxPeriodMs_ < 1000)
        maxPeriodMs_ = 1000;
    HINSTANCE module = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &UiTimerService::WindowProc;
    wc.hInstance = module;
    wc.lpszClassName = kWindowClass;
    RegisterClassExW(&wc);
    window_ = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, module,
                              nullptr);
    if (window_)
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

UiTimerService::~UiTimerService() {
    Disarm();
    if (window_) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
    UnregisterClassW(kWindowClass, GetModuleHandleW(nullptr));
}

int64_t UiTimerService::Counter() const {
    if (counterSource_)
        return counterSource_();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

bool UiTimerService::AddTimer(std::weak_ptr<WeakFlag> flag, std::function<void()> callback,
                              UINT intervalMs, int repeat) {
    // Without its window no tick could ever reach this thread.
    if (!window_)
        return false;
    Entry entry;
    entry.callback = std::move(callback);
    entry.intervalTicks = frequency_.QuadPart * int64_t(intervalMs) / 1000;
    entry.repeat = repeat;
    entry.due = Counter() + entry.intervalTicks;
    entry.flag = std::move(flag);
    Push(std::move(entry));
    if (!timerId_ || armedPeriodMs_ != kTickPeriodMs)
        Arm(kTickPeriodMs);
    return true;
}

void UiTimerService::Push(Entry entry) {
    entry.sequence = nextSequence_++;
    heap_.push_back(std::move(entry));
    std::push_heap(heap_.begin(), heap_.end(), Later());
}

void CALLBACK UiTimerService::OnMultimediaTimer(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
    // Runs on the multimedia timer's own thread: only hand the tick over.
    PostMessageW(reinterpret_cast<HWND>(user), kTickMessage, 0, 0);
}

void UiTimerService::Arm(UINT periodMs) {
    Disarm();
    timerId_ = timeSetEvent(periodMs, 1, &UiTimerService::OnMultimediaTimer,
                            reinterpret_cast<DWORD_PTR>(window_), TIME_PERIODIC);
    armedPeriodMs_ = timerId_ ? periodMs : 0;
}

void UiTimerService::Disarm() {
    if (timerId_)
        timeKillEvent(timerId_);
    timerId_ = 0;
    armedPeriodMs_ = 0;
}

void UiTimerService::RunDueTimers() {
    const int64_t now = Counter();
    // Repeats go back on the heap after the pass, so that none runs twice in
    // one pass (a zero interval, or a due time still behind now).
    std::vector<Entry> repeats;
    while (!heap_.empty() && heap_.front().due <= now) {
        std::pop_heap(heap_.begin(), heap_.end(), Later());
        Entry entry = std::move(heap_.back());
        heap_.pop_back();
        if (entry.flag.expired())
            continue;
        // The callback may add timers or pump messages; the entry is already
        // off the heap, so the heap stays consistent.
        entry.callback();
        if (entry.repeat == -1 || --entry.repeat > 0) {
            entry.due = NextDue(entry.due, entry.intervalTicks, now);
            repeats.push_back(std::move(entry));
        }
    }
    for (Entry& entry : repeats)
        Push(std::move(entry));
    Rearm(now);
}

// A repeat keeps to its own grid, so the tick's granularity does not add up
// into a slower period; one more than a period behind (a stalled thread)
// starts again from now rather than running a burst of missed runs.
int64_t UiTimerService::NextDue(int64_t due, int64_t intervalTicks, int64_t now) {
    const int64_t next = due + intervalTicks;
    return now - next > intervalTicks ? now + intervalTicks : next;
}

void UiTimerService::Rearm(int64_t now) {
    if (heap_.empty()) {
        Disarm();
        return;
    }
    const int64_t remainingMs = (heap_.front().due - now) * 1000 / frequency_.QuadPart;
    if (remainingMs >= 1000) {
        // A longer period is refused outright, which would leave the entry
        // with no tick ever; wait in pieces instead.
        UINT period = UINT(std::min<int64_t>(remainingMs + 2, maxPeriodMs_));
        if (!timerId_ || armedPeriodMs_ != period)
            Arm(period);
    } else if (!timerId_ || armedPeriodMs_ != kTickPeriodMs) {
        Arm(kTickPeriodMs);
    }
}

LRESULT CALLBACK UiTimerService::WindowProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
    if (message == kTickMessage) {
        auto* self = reinterpret_cast<UiTimerService*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self)
            self->RunDueTimers();
        return 1;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace pillar
