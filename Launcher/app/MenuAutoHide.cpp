// A card's menu stays open while the pointer is over it and hides once the
// pointer has left: a UI-thread timer looks every few milliseconds.
#include "Launcher/app/LauncherWindow.h"
#include "pillar/UiTimerService.h"

namespace {

// The first look waits until the click that opened the menu is over.
constexpr DWORD kFirstLookDelayMs = 100;
constexpr UINT kLookIntervalMs = 10;

} // namespace

void LauncherWindow::OpenMenuUntilPointerLeaves(int card) {
    cardViews_[card].ShowMenu(true);
    // One watch at a time: a newer menu click starts its own.
    menuWatch_.Cancel();
    const DWORD opened = ::GetTickCount();
    auto look = [this, card, opened] {
        if (::GetTickCount() - opened < kFirstLookDelayMs) return;
        CardView& view = cardViews_[card];
        // A menu entry may have closed it already.
        if (!view.IsMenuShown()) {
            menuWatch_.Cancel();
            return;
        }
        if (view.MenuContains(LastMousePoint())) return;
        view.ShowMenu(false);
        menuWatch_.Cancel();
    };
    pillar::UiTimerService::Instance().AddTimer(menuWatch_.WeakFlagOf(), look, kLookIntervalMs, -1);
}
