// Start-up when the configuration cannot be fetched: what the window is
// told, the pauses between tries, and the waits the window ends early.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "Launcher/flows/StartupFlow.h"
#include "flows/RecordingReport.h"

namespace {

size_t CountOf(const flows_test::RecordingReport& report, const std::string& line) {
    size_t count = 0;
    for (const std::string& event : report.Lines()) count += event == line ? 1 : 0;
    return count;
}

// Polls `condition` for up to `ms`.
template <typename Condition>
bool WaitFor(Condition condition, DWORD ms) {
    const DWORD start = ::GetTickCount();
    while (!condition()) {
        if (::GetTickCount() - start >= ms) return false;
        ::Sleep(20);
    }
    return true;
}

} // namespace

TEST(StartupRetry, PausesGrowFromTwoSecondsToHalfAMinute) {
    std::vector<DWORD> pauses;
    for (int failed = 1; failed <= 7; ++failed) pauses.push_back(ConfigRetryPauseMs(failed));
    EXPECT_EQ(pauses, (std::vector<DWORD>{2000, 4000, 8000, 16000, 30000, 30000, 30000}));
}

TEST(StartupRetry, UnreachableConfigurationIsReportedAndTheClosedWindowEndsTheWait) {
    auto report = std::make_shared<flows_test::RecordingReport>();
    auto gate = std::make_shared<StartupRetryGate>();
    // Nothing listens on port 1: every fetch is refused at once.
    auto flow = std::make_shared<StartupFlow>(report, LauncherFolders::Below(L"C:\\unused\\", L"Launcher.exe"),
                                              "http://127.0.0.1:1/FTP/cs/Launcher/Config.ini", gate);
    flow->retryPauseMs = [](int failed) -> DWORD { return failed == 1 ? 100 : 60000; };
    auto ended = std::make_shared<std::atomic<int>>(-1);
    std::thread worker([flow, ended] { *ended = flow->Run() ? 1 : 0; });

    // The short first pause passes by itself, the long second one holds
    // until the window goes; then the worker ends without cards.
    const std::string notice = "notice -1 config";
    EXPECT_TRUE(WaitFor([&] { return CountOf(*report, notice) == 2; }, 10000));
    gate->Cancel();
    const bool stopped = WaitFor([&] { return *ended >= 0; }, 5000);
    EXPECT_TRUE(stopped);
    stopped ? worker.join() : worker.detach();  // a detached worker holds only shared objects
    EXPECT_EQ(0, *ended);
    EXPECT_EQ(std::vector<std::string>(2, notice), report->Lines());
}
