#include "Launcher/flows/StartupRetryGate.h"

#include <chrono>

DWORD ConfigRetryPauseMs(int failedTries) {
    // Doubling from two seconds, capped: a server back after a restart is
    // seen soon, and one that stays away is not asked more than twice a minute.
    if (failedTries < 1) failedTries = 1;
    if (failedTries > 4) return 30000;
    return 1000u << failedTries;
}

bool StartupRetryGate::Wait(DWORD ms) {
    std::unique_lock<std::mutex> lock(mutex_);
    wake_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return retryNow_ || cancelled_; });
    retryNow_ = false;
    return !cancelled_;
}

void StartupRetryGate::RetryNow() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        retryNow_ = true;
    }
    wake_.notify_all();
}

void StartupRetryGate::Cancel() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        cancelled_ = true;
    }
    wake_.notify_all();
}
