#pragma once
// Start-up: fetch the configuration, replace the launcher when its version
// differs, put the title, logo and cards on the window, make the desktop
// shortcut once, apply the stored language, and show the cards. Runs on a
// worker; reports to the window only. A configuration that cannot be fetched
// is reported and fetched again after growing pauses, until it comes or the
// window goes.
#include <windows.h>

#include <condition_variable>
#include <memory>
#include <mutex>

#include "Launcher/flows/LauncherFolders.h"
#include "Launcher/flows/LauncherReport.h"

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

class StartupFlow {
public:
    StartupFlow(std::shared_ptr<LauncherReport> report, LauncherFolders folders, std::string configUrl,
                std::shared_ptr<StartupRetryGate> gate = nullptr);

    // False when the gate was cancelled before the configuration came; each
    // failed fetch has reported ConfigUnreachable for the whole window.
    bool Run();

    // The pause after a failed fetch; tests shorten it.
    DWORD (*retryPauseMs)(int failedTries) = ConfigRetryPauseMs;

private:
    // Fetches `url` into the tmp folder as `fileName` (the URL's last segment
    // when empty) and reports it. A failed fetch, or a name that is not a
    // plain file name, saves and reports nothing: the skin's picture stays.
    void FetchImage(const std::string& url, const std::wstring& fileName, WindowImage which, int card);

    std::shared_ptr<LauncherReport> report_;
    LauncherFolders folders_;
    std::string configUrl_;
    std::shared_ptr<StartupRetryGate> gate_;
};
