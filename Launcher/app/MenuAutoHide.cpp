#include <atomic>
#include <memory>

#include "Launcher/app/LauncherWindow.h"
#include "Launcher/app/CardView.h"
#include "pillar/ScopedHandle.h"
#include "ui/control/Box.h"

namespace {

// The first look waits until the click that opened the menu is over.
constexpr DWORD kFirstLookDelayMs = 100;
constexpr DWORD kLookIntervalMs = 10;
// How long one look may wait for the UI thread before the watch gives up.
constexpr DWORD kLookAnswerLimitMs = 30000;

// One look at the menu, made on the UI thread for the watching worker.
struct MenuLook {
    pillar::ScopedHandle answered{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::atomic<bool> menuHidden{false};
};

// Travels with the posted look and wakes the worker when it goes: after the
// look ran, or when the UI loop dropped it without running it.
struct LookCompletion {
    explicit LookCompletion(std::shared_ptr<MenuLook> look) : look(std::move(look)) {}
    ~LookCompletion() { SetEvent(look->answered.Get()); }
    LookCompletion(const LookCompletion&) = delete;
    LookCompletion& operator=(const LookCompletion&) = delete;
    std::shared_ptr<MenuLook> look;
};

bool Contains(const RECT& rect, POINT point) {
    return point.x >= rect.left && point.x <= rect.right && point.y >= rect.top && point.y <= rect.bottom;
}

// UI thread: hides the card's menu once the pointer is outside it. True when
// the menu is hidden now (a menu entry may have closed it already).
bool HideMenuOncePointerLeft(LauncherWindow& form, int index) {
    ui::Box* card = form.CardBox(index);
    ui::Control* menu = card ? card->FindByName(kMenuBox) : nullptr;
    if (!menu || !menu->IsVisibleFlag()) return true;
    // Both in the native window's client coordinates.
    if (Contains(menu->GetBounds(true), form.LastMousePoint())) return false;
    menu->ShowAnimated(false);
    return true;
}

} // namespace

bool LauncherWindow::AutoHideMenu() {
    // The card whose menu button started this watch, even if another card is
    // selected before the first look.
    const int index = selectedCard.load();
    Sleep(kFirstLookDelayMs);
    for (;;) {
        auto look = std::make_shared<MenuLook>();
        auto completion = std::make_shared<LookCompletion>(look);
        const bool posted = PostToUi([this, index, completion] {
            completion->look->menuHidden.store(HideMenuOncePointerLeft(*this, index));
        });
        completion.reset();
        if (!posted) return true;
        if (WaitForSingleObject(look->answered.Get(), kLookAnswerLimitMs) != WAIT_OBJECT_0) return true;
        if (look->menuHidden.load()) return true;
        Sleep(kLookIntervalMs);
    }
}
