#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "Launcher/app/LauncherWindow.h"
#include "Launcher/app/CardView.h"
#include "Launcher/app/ClickRoute.h"
#include "pillar/DetachedThread.h"
#include "pillar/EndProcessAtOnce.h"
#include "Launcher/config/LauncherUrls.h"
#include "pillar/TextConversion.h"
#include "ui/control/Box.h"
#include "ui/core/EventArgs.h"

namespace {

void OpenLink(const std::wstring& url) {
    // Not reported when it fails: the user sees no page and can try again.
    ShellExecuteW(nullptr, L"open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

std::vector<std::wstring> AncestryOf(const ui::Control* control) {
    std::vector<std::wstring> names;
    for (const ui::Box* box = control->ParentBox(); box; box = box->ParentBox()) names.push_back(box->GetControlName());
    return names;
}

} // namespace

bool LauncherWindow::OnClicked(ui::EventArgs* event) {
    ui::Control* sender = event ? event->Sender : nullptr;
    if (!sender) return true;
    const ClickRoute route = RouteClick(sender->GetControlName(), AncestryOf(sender), busy.load() != 0);
    if (route.ignored) return false;
    if (route.slot >= 0) selectedCard.store(route.slot);

    const int index = selectedCard.load();
    ui::Box* card = CardBox(index);
    // The card's workflow: the progress box replaces menu and start button,
    // and every card button is blocked until the worker is done.
    auto startWorkflow = [this, card](void (LauncherWindow::*workflow)()) {
        ShowCardPart(card, kMenuBox, false);
        ShowCardPart(card, kStartBox, false);
        ShowCardPart(card, kProgressBox, true);
        busy.store(1);
        if (!pillar::StartDetachedThread([this, workflow] { (this->*workflow)(); })) {
            ShowCardPart(card, kProgressBox, false);
            ShowCardPart(card, kStartBox, true);
            busy.store(0);
        }
    };

    switch (route.action) {
    case ClickAction::OpenMenu:
        ShowCardPart(card, kMenuBox, true);
        pillar::StartDetachedThread([this] { AutoHideMenu(); });
        break;
    case ClickAction::Download:
        startWorkflow(&LauncherWindow::InstallGame);
        break;
    case ClickAction::Start:
        startWorkflow(&LauncherWindow::UpdateAndLaunch);
        break;
    case ClickAction::OpenLink1:
    case ClickAction::OpenLink2:
        ShowCardPart(card, kMenuBox, false);
        OpenLink(pillar::AnsiToWide(route.action == ClickAction::OpenLink1 ? slots[index].link1 : slots[index].link2));
        break;
    case ClickAction::English:
        SetLanguage(0);
        break;
    case ClickAction::Chinese:
        SetLanguage(1);
        break;
    case ClickAction::CommunityLink:
        OpenLink(kCommunityUrl);
        break;
    case ClickAction::Homepage:
        OpenLink(kHomepageUrl);
        break;
    case ClickAction::Close:
        // The tools first, so none outlives the launcher even for a moment.
        aria2.TerminateTool();
        sevenZip.TerminateTool();
        pillar::EndProcessAtOnce();
    case ClickAction::None:
        break;
    }
    return true;
}
