#pragma once
// Start-up: fetch the configuration, replace the launcher when its version
// differs, put the title, logo and cards on the window, make the desktop
// shortcut once, apply the stored language, and show the cards. Runs on a
// worker; reports to the window only. A configuration that cannot be fetched,
// or whose signature does not verify (SignedConfigFetch.h), is reported and
// fetched again after growing pauses, until it comes or the window goes.
#include <windows.h>

#include <memory>
#include <vector>

#include "Launcher/flows/LauncherFolders.h"
#include "Launcher/flows/LauncherReport.h"
#include "Launcher/flows/StartupImages.h"
#include "Launcher/flows/StartupRetryGate.h"

class StartupFlow {
public:
    StartupFlow(std::shared_ptr<LauncherReport> report, LauncherFolders folders, std::string configUrl,
                std::shared_ptr<StartupRetryGate> gate = nullptr);

    // False when the gate was cancelled before the configuration came; each
    // failed fetch has reported ConfigUnreachable for the whole window.
    bool Run();

    // The pause after a failed fetch; tests shorten it.
    DWORD (*retryPauseMs)(int failedTries) = ConfigRetryPauseMs;
    // Stall limit of each picture's fetch; tests shorten it.
    DWORD imageStallLimitMs = 30000;

private:
    // Fetches the pictures in parallel into the tmp folder and reports each
    // one that is fit to show; the others leave the skin's picture.
    void FetchImages(const std::vector<ImageJob>& images);

    std::shared_ptr<LauncherReport> report_;
    LauncherFolders folders_;
    std::string configUrl_;
    std::shared_ptr<StartupRetryGate> gate_;
    // Every request of start-up goes out on this one session.
    std::shared_ptr<InternetSession> session_;
};
