#pragma once
// Timers of the UI thread (animations, repeating control timers). A 16 ms
// multimedia timer posts a tick to a message-only window; due entries run on
// the UI thread from that window's procedure.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "pillar/WeakCallback.h"

namespace pillar {

class UiTimerService {
public:
    static constexpr UINT kTickMessage = 11023;
    static constexpr UINT kTickPeriodMs = 16;

    // The UI thread's service, created on first use. UI thread only.
    static UiTimerService& Instance();

    // repeat: -1 runs until the flag dies, n > 0 runs n times. Entries whose
    // flag has died are dropped without running. False only when the
    // service has no window (it could not be created).
    bool AddTimer(std::weak_ptr<WeakFlag> flag, std::function<void()> callback,
                  UINT intervalMs, int repeat);

    // What each tick does: runs every due entry, then re-arms or disarms the
    // multimedia timer. UI thread only.
    void RunDueTimers();

    // Replaces the performance counter (same frequency), so that tests can
    // step time by hand; null restores the real counter.
    using CounterSource = int64_t (*)();
    void SetCounterSource(CounterSource source) { counterSource_ = source; }

    size_t PendingCount() const { return heap_.size(); }
    // Period of the multimedia timer now set, 0 when none.
    UINT ArmedPeriodMs() const { return timerId_ ? armedPeriodMs_ : 0; }

    UiTimerService(const UiTimerService&) = delete;
    UiTimerService& operator=(const UiTimerService&) = delete;

private:
    struct Entry {
        std::function<void()> callback;
        int64_t intervalTicks;
        int repeat;
        int64_t due;
        uint64_t sequence;
        std::weak_ptr<WeakFlag> flag;
    };
    struct Later {
        bool operator()(const Entry& a, const Entry& b) const {
            return a.due != b.due ? a.due > b.due : a.sequence > b.sequence;
        }
    };

    UiTimerService();
    ~UiTimerService();

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static void CALLBACK OnMultimediaTimer(UINT id, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR);

    int64_t Counter() const;
    void Push(Entry entry);
    static int64_t NextDue(int64_t due, int64_t intervalTicks, int64_t now);
    void Rearm(int64_t now);
    void Arm(UINT periodMs);
    void Disarm();

    LARGE_INTEGER frequency_{};
    HWND window_ = nullptr;
    UINT timerId_ = 0;
    UINT armedPeriodMs_ = 0;
    UINT maxPeriodMs_ = 0;  // longest period the multimedia timer accepts
    uint64_t nextSequence_ = 0;
    CounterSource counterSource_ = nullptr;
    std::vector<Entry> heap_;
};

} // namespace pillar
