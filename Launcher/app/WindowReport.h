#pragma once
// The window's side of the workflows' reports: every call, made on a
// worker, becomes a task on the UI loop that changes the window through its
// typed setters, in the order the calls were made. Tasks queued for a
// window that has gone do nothing. Progress is coalesced: while one
// progress task of a card waits, later values only replace what it shows.
#include <array>
#include <functional>
#include <memory>
#include <mutex>

#include "Launcher/flows/LauncherReport.h"
#include "pillar/WeakCallback.h"

namespace pillar {
class MessageLoopProxy;
}
class LauncherWindow;

class WindowReport : public LauncherReport {
public:
    WindowReport(LauncherWindow& window, std::shared_ptr<pillar::MessageLoopProxy> uiLoop,
                 std::weak_ptr<pillar::WeakFlag> windowAlive);

    void Progress(int card, const JobProgress& progress) override;
    void Notice(int card, const NoticeInfo& notice) override;
    void CardStateChanged(int card, CardState state) override;
    void Title(const std::wstring& title) override;
    void CardFilled(int card, const GameCard& values, const CardContent& content) override;
    void Image(WindowImage which, int card, const std::wstring& path) override;
    void LanguageChosen(LauncherLanguage language) override;
    void StartupDone() override;

    // Not a workflow's report: the window's own note that a card job's
    // worker has ended, queued behind everything the job reported.
    void JobEnded(int card);

private:
    void Post(std::function<void(LauncherWindow&)> change);

    LauncherWindow& window_;
    std::shared_ptr<pillar::MessageLoopProxy> uiLoop_;
    std::weak_ptr<pillar::WeakFlag> windowAlive_;

    std::mutex progressMutex_;
    std::array<JobProgress, kCardCount> latestProgress_{};
    std::array<bool, kCardCount> progressQueued_{};
};
