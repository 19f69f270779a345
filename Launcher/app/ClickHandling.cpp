// What happens on a click: the route of the clicked button decides, and a
// card job starts on a worker with the card showing its progress box.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "Launcher/app/ClickRoute.h"
#include "Launcher/app/LauncherWindow.h"
#include "Launcher/app/WindowReport.h"
#include "Launcher/config/GamePathRule.h"
#include "Launcher/config/LauncherUrls.h"
#include "Launcher/config/WebLinkRule.h"
#include "Launcher/flows/InstallFlow.h"
#include "Launcher/flows/UpdateAndLaunchFlow.h"
#include "pillar/WorkerThread.h"
#include "pillar/EndProcessAtOnce.h"
#include "ui/control/Box.h"
#include "ui/core/EventArgs.h"

namespace {

// False, with nothing opened, for anything but a web address.
bool OpenWebLink(const std::wstring& url) {
    if (!IsWebLink(url)) return false;
    // Not reported when the shell fails: the user sees no page and can try again.
    ShellExecuteW(nullptr, L"open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return true;
}

std::vector<std::wstring> AncestryOf(const ui::Control* control) {
    std::vector<std::wstring> names;
    for (const ui::Box* box = control->ParentBox(); box; box = box->ParentBox()) names.push_back(box->GetControlName());
    return names;
}

} // namespace

void LauncherWindow::StartCardJob(int card, CardState state, std::function<void()> job) {
    busy_ = true;
    // The last job's notice and speed have been read: this job starts afresh.
    noticeShown_[card] = false;
    cardViews_[card].HideNotice();
    progress_[card] = JobProgress{};
    cardViews_[card].ShowProgress(progress_[card], language_);
    cardViews_[card].ShowState(state);
    auto report = report_;
    const bool started = pillar::StartDetachedThread([report, card, job = std::move(job)] {
        job();
        report->JobEnded(card);
    });
    if (!started) {
        cardViews_[card].ShowState(CardState::Installed);
        busy_ = false;
    }
}

bool LauncherWindow::OnClicked(ui::EventArgs* event) {
    ui::Control* sender = event ? event->Sender : nullptr;
    if (!sender) return true;
    const ClickRoute route = RouteClick(sender->GetControlName(), AncestryOf(sender), busy_);
    if (route.ignored) return false;
    if (route.card >= 0) selectedCard_ = route.card;
    const int card = selectedCard_;

    switch (route.action) {
    case ClickAction::OpenMenu:
        OpenMenuUntilPointerLeaves(card);
        break;
    case ClickAction::Download: {
        if (!HasSafeGamePaths(cards_[card])) {
            ShowNotice(card, NoticeKind::GameSettingsRefused);
            break;
        }
        auto flow = std::make_shared<InstallFlow>(Report(), tools_, folders_, card, cards_[card]);
        StartCardJob(card, CardState::Working, [flow] { flow->Run(); });
        break;
    }
    case ClickAction::Start: {
        if (!HasSafeGamePaths(cards_[card])) {
            ShowNotice(card, NoticeKind::GameSettingsRefused);
            break;
        }
        auto flow = std::make_shared<UpdateAndLaunchFlow>(Report(), folders_, card, cards_[card]);
        StartCardJob(card, CardState::Working, [flow] { flow->Run(); });
        break;
    }
    case ClickAction::OpenLink1:
    case ClickAction::OpenLink2:
        cardViews_[card].ShowMenu(false);
        if (!OpenWebLink(route.action == ClickAction::OpenLink1 ? cards_[card].link1 : cards_[card].link2))
            ShowNotice(card, NoticeKind::LinkRefused);
        break;
    case ClickAction::English:
        SetLanguage(kEnglish);
        break;
    case ClickAction::Chinese:
        SetLanguage(kChinese);
        break;
    case ClickAction::CommunityLink:
        // The build refuses other addresses already; checked as every link is.
        OpenWebLink(kCommunityUrl);
        break;
    case ClickAction::Homepage:
        OpenWebLink(kHomepageUrl);
        break;
    case ClickAction::RetryStartup:
        RetryStartupNow();
        break;
    case ClickAction::Close:
        // The tools first, so none outlives the launcher even for a moment.
        tools_->aria2.TerminateTool();
        tools_->sevenZip.TerminateTool();
        pillar::EndProcessAtOnce();
    case ClickAction::None:
        break;
    }
    return true;
}
