#pragma once
// The UI loop's pump: runs the thread's Windows message queue and interleaves
// tasks with it. Wakes arrive as a private message to a message-only window,
// delayed work as a window timer on it.
#include <windows.h>

#include "pillar/ObserverList.h"
#include "pillar/WinMessagePump.h"

namespace pillar {

class UIObserver {
public:
    virtual ~UIObserver() = default;
    virtual void WillProcessMessage(const MSG& message) = 0;
    virtual void DidProcessMessage(const MSG& message) = 0;
};

class WinUIMessagePump : public WinMessagePump {
public:
    static constexpr UINT kWakeMessage = WM_USER + 1;
    static constexpr int kMinTimerMs = 10;

    WinUIMessagePump();
    ~WinUIMessagePump() override;
    WinUIMessagePump(const WinUIMessagePump&) = delete;
    WinUIMessagePump& operator=(const WinUIMessagePump&) = delete;

    void Wake() override;
    void WakeAt(int64_t due) override;

    void AddObserver(UIObserver* observer) { observers_.Add(observer); }
    void RemoveObserver(UIObserver* observer) { observers_.Remove(observer); }

    HWND Window() const { return window_; }

protected:
    void RunLoopBody() override;
    virtual void WillProcessMessage(const MSG& message);
    virtual void DidProcessMessage(const MSG& message);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void OnTimer();
    void OnWakeMessage();
    bool ProcessNextMessage(const MSG& message);
    bool ProcessReplacementMessage();
    void WaitForWork();
    void KillDelayTimer();

    HWND window_ = nullptr;
    ObserverList<UIObserver> observers_;
};

} // namespace pillar
