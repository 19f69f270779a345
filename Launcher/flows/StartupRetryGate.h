#pragma once
// The pauses between configuration fetches at start-up, and the gate the
// start-up worker waits at between them.
#include <windows.h>

#include <condition_variable>
#include <mutex>

// The pause before the next configuration fetch after `failedTries` failed
// ones (1 or more): 2, 4, 8 and 16 seconds, then 30 seconds each time.
DWORD ConfigRetryPauseMs(int failedTries);

// Where the worker waits between configuration fetches. The window ends a
// wait early: at once for a retry the player asked for, or for good when it
// closes. Any thread may call it.
class StartupRetryGate {
public:
    // True when the next fetch should start (`ms` passed, or RetryNow);
    // false once Cancel has been called, at once.
    bool Wait(DWORD ms);
    void RetryNow();
    void Cancel();

private:
    std::mutex mutex_;
    std::condition_variable wake_;
    bool retryNow_ = false;
    bool cancelled_ = false;
};
