#include "Launcher/app/WindowReport.h"

#include "Launcher/app/LauncherWindow.h"
#include "pillar/MessageLoopProxy.h"
#include "ui/control/ImageSlot.h"
#include "ui/core/UiGlobals.h"

WindowReport::WindowReport(LauncherWindow& window, std::shared_ptr<pillar::MessageLoopProxy> uiLoop,
                           std::weak_ptr<pillar::WeakFlag> windowAlive)
    : window_(window), uiLoop_(std::move(uiLoop)), windowAlive_(std::move(windowAlive)) {}

void WindowReport::Post(std::function<void(LauncherWindow&)> change) {
    if (!uiLoop_) return;
    LauncherWindow* window = &window_;
    uiLoop_->QueueTask(pillar::WeakCallback<std::function<void()>>(
        windowAlive_, [window, change = std::move(change)] { change(*window); }));
}

void WindowReport::Progress(int card, const JobProgress& progress) {
    if (card < 0 || card >= kCardCount) return;
    {
        std::lock_guard<std::mutex> lock(progressMutex_);
        latestProgress_[card] = progress;
        if (progressQueued_[card]) return;
        progressQueued_[card] = true;
    }
    Post([this, card](LauncherWindow& window) {
        JobProgress latest;
        {
            std::lock_guard<std::mutex> lock(progressMutex_);
            latest = latestProgress_[card];
            progressQueued_[card] = false;
        }
        window.ShowProgress(card, latest);
    });
}

void WindowReport::Notice(int card, const NoticeInfo& notice) {
    Post([card, notice](LauncherWindow& window) { window.ShowNotice(card, notice); });
}

void WindowReport::CardStateChanged(int card, CardState state) {
    Post([card, state](LauncherWindow& window) { window.ShowCardState(card, state); });
}

void WindowReport::Title(const std::wstring& title) {
    Post([title](LauncherWindow& window) { window.SetWindowTitle(title); });
}

void WindowReport::CardFilled(int card, const GameCard& values, const CardContent& content) {
    Post([card, values, content](LauncherWindow& window) { window.FillCard(card, values, content); });
}

void WindowReport::Image(WindowImage which, int card, const std::wstring& path) {
    // Decoded here, on the worker, into the shared image cache; the window
    // holds the decoded image, so the control's lookup on the UI thread is
    // a cache hit and the loading animation keeps its pace. A file that
    // does not decode leaves the skin's picture instead of a blank control.
    std::shared_ptr<ui::ImageInfo> decoded = ui::UiGlobals::AcquireImage(ui::ResolveImagePath(std::wstring(), path));
    if (!decoded) return;
    Post([which, card, path, decoded](LauncherWindow& window) { window.ShowImage(which, card, path, decoded); });
}

void WindowReport::LanguageChosen(LauncherLanguage language) {
    Post([language](LauncherWindow& window) { window.SetLanguage(language); });
}

void WindowReport::StartupDone() {
    Post([](LauncherWindow& window) { window.ShowCards(); });
}

void WindowReport::JobEnded(int card) {
    Post([card](LauncherWindow& window) { window.EndCardJob(card); });
}
