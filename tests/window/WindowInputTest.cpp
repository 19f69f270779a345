// Mouse, keyboard and focus handling of the window, driven by messages sent
// to a hidden window.
#include "window/WindowTestSupport.h"

#include "ui/core/IUIMessageFilter.h"

namespace window_test {
namespace {

using ui::EventKind;

TEST_F(WindowTest, ReleaseAfterMovingOffGoesToThePressedControlOnly) {
    ui::Control* a = Add(L"a", 10, 10, 50, 30);
    ui::Control* b = Add(L"b", 100, 10, 50, 30);
    Arrange();

    Send(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
    Send(WM_MOUSEMOVE, 120, 20, MK_LBUTTON);
    Send(WM_LBUTTONUP, 120, 20);

    EXPECT_EQ(Count(a, EventKind::ButtonDown), 1);
    EXPECT_EQ(Count(a, EventKind::MouseMove), 1);  // moves go to the pressed control
    EXPECT_EQ(Count(a, EventKind::ButtonUp), 1);
    EXPECT_EQ(Count(b, EventKind::ButtonUp), 0);
    EXPECT_EQ(Count(b, EventKind::MouseMove), 0);
    EXPECT_EQ(window_->PushedControl(), nullptr);
    // Released outside: no longer pushed, and nothing was activated.
    EXPECT_EQ(a->VisualState(), ui::kStateNormal);
}

TEST_F(WindowTest, RightReleaseKeepsThePushedControlForTheContextMenuThatFollows) {
    ui::Control* a = Add(L"a", 10, 10, 50, 30);
    a->SetContextMenuEnabled(true);
    Arrange();

    Send(WM_RBUTTONDOWN, 20, 20, MK_RBUTTON);
    EXPECT_EQ(window_->PushedControl(), a);
    // The default procedure turns the release into WM_CONTEXTMENU, which
    // must still find the control pushed.
    Send(WM_RBUTTONUP, 20, 20);
    EXPECT_EQ(Count(a, EventKind::RightButtonUp), 1);
    EXPECT_EQ(Count(a, EventKind::Menu), 1);
    EXPECT_EQ(window_->PushedControl(), nullptr);
}

TEST_F(WindowTest, EnterAndLeaveReachTheParentInPairs) {
    ui::Box* parent = Add<ui::Box>(L"parent", 10, 10, 150, 100);
    ui::Control* child = Add(L"child", 10, 10, 50, 30, parent);
    Arrange();

    Send(WM_MOUSEMOVE, 30, 30);  // over the child, inside the parent
    EXPECT_EQ(window_->HoverControl(), child);
    EXPECT_EQ(Count(child, EventKind::MouseEnter), 1);
    EXPECT_EQ(parent->VisualState(), ui::kStateHot);

    Send(WM_MOUSEMOVE, 250, 150);  // outside both
    EXPECT_EQ(Count(child, EventKind::MouseLeave), 1);
    EXPECT_EQ(child->VisualState(), ui::kStateNormal);
    EXPECT_EQ(parent->VisualState(), ui::kStateNormal);
    EXPECT_EQ(window_->HoverControl(), root_);
}

TEST_F(WindowTest, TabWalksTheTabStopsBothWaysAndWraps) {
    ui::Control* a = Add(L"a", 10, 10, 20, 20);
    ui::Control* b = Add(L"b", 40, 10, 20, 20);
    Add(L"hidden", 70, 10, 20, 20)->SetShown(false);
    Add(L"disabled", 100, 10, 20, 20)->SetInteractive(false);
    ui::Control* c = Add(L"c", 130, 10, 20, 20);
    Arrange();
    // The first layout takes the first tab stop on its own.
    EXPECT_EQ(window_->FocusControl(), a);

    window_->SetFocus(nullptr);
    Send(WM_KEYDOWN, 0, 0, VK_TAB);
    EXPECT_EQ(window_->FocusControl(), a);
    Send(WM_KEYDOWN, 0, 0, VK_TAB);
    EXPECT_EQ(window_->FocusControl(), b);
    Send(WM_KEYDOWN, 0, 0, VK_TAB);
    EXPECT_EQ(window_->FocusControl(), c);
    Send(WM_KEYDOWN, 0, 0, VK_TAB);
    EXPECT_EQ(window_->FocusControl(), a);
    EXPECT_EQ(Count(c, EventKind::KillFocus), 1);
    EXPECT_EQ(Count(b, EventKind::SetFocus), 1);

    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = 0x80;
    SetKeyboardState(keys);
    window_->SetFocus(nullptr);
    Send(WM_KEYDOWN, 0, 0, VK_TAB);
    EXPECT_EQ(window_->FocusControl(), c);
    Send(WM_KEYDOWN, 0, 0, VK_TAB);
    EXPECT_EQ(window_->FocusControl(), b);
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
}

TEST_F(WindowTest, KeysGoToTheFocusAndTheReleaseToWhereThePressWent) {
    ui::Control* a = Add(L"a", 10, 10, 20, 20);
    ui::Control* b = Add(L"b", 40, 10, 20, 20);
    Arrange();
    window_->SetFocus(a);
    Send(WM_KEYDOWN, 0, 0, 'A');
    window_->SetFocus(b);
    Send(WM_KEYUP, 0, 0, 'A');
    EXPECT_EQ(Count(a, EventKind::KeyDown), 1);
    EXPECT_EQ(Count(a, EventKind::KeyUp), 1);
    EXPECT_EQ(Count(b, EventKind::KeyUp), 0);
}

class SwallowingFilter : public ui::IUIMessageFilter {
public:
    LRESULT MessageHandler(UINT, WPARAM, LPARAM, bool& handled) override {
        handled = true;
        return 5;
    }
};

TEST_F(WindowTest, AFilterThatHandlesAMessageStopsItExceptMouseMoves) {
    ui::Control* a = Add(L"a", 10, 10, 50, 30);
    Arrange();
    SwallowingFilter filter;
    window_->AddMessageFilter(&filter);

    EXPECT_EQ(Send(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON), 5);
    Send(WM_MOUSEMOVE, 20, 20);
    window_->RemoveMessageFilter(&filter);

    EXPECT_EQ(Count(a, EventKind::ButtonDown), 0);
    EXPECT_EQ(Count(a, EventKind::MouseEnter), 1);
}

} // namespace
} // namespace window_test
