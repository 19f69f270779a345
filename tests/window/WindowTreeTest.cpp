// The window's view of its control tree: names, finding by point, and
// controls destroyed while the window still points at them.
#include "window/WindowTestSupport.h"

namespace window_test {
namespace {

using ui::EventKind;

TEST_F(WindowTest, AControlRemovedWhileHoveredIsReapedWhenTheCleanupRuns) {
    ui::Control* a = Add(L"a", 10, 10, 50, 30);
    ui::Control* b = Add(L"b", 100, 10, 50, 30);
    Arrange();
    Send(WM_MOUSEMOVE, 20, 20);
    Send(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
    ASSERT_EQ(window_->HoverControl(), a);

    std::weak_ptr<pillar::WeakFlag> alive = a->WeakFlagOf();
    ASSERT_TRUE(root_->RemoveChild(a));
    // Removal only queues it: a handler of the control may still be running.
    EXPECT_FALSE(alive.expired());
    Pump(2000, [&] { return alive.expired(); });
    ASSERT_TRUE(alive.expired());

    EXPECT_EQ(window_->HoverControl(), nullptr);
    EXPECT_EQ(window_->PushedControl(), nullptr);
    EXPECT_EQ(window_->FindInWindow(L"a"), nullptr);
    // The next input reaches only live controls.
    Send(WM_LBUTTONUP, 120, 20);
    Send(WM_MOUSEMOVE, 120, 20);
    EXPECT_EQ(window_->HoverControl(), b);
    EXPECT_EQ(Count(b, EventKind::MouseEnter), 1);
}

TEST_F(WindowTest, ALaterNameWinsAndGoesWithItsControl) {
    Add(L"same", 10, 10, 20, 20);
    ui::Control* second = Add(L"same", 40, 10, 20, 20);
    EXPECT_EQ(window_->FindInWindow(L"same"), second);  // the later one wins

    std::weak_ptr<pillar::WeakFlag> alive = second->WeakFlagOf();
    root_->RemoveChild(second);
    Pump(2000, [&] { return alive.expired(); });
    // The entry of the destroyed control goes; the earlier one is not revived.
    EXPECT_EQ(window_->FindInWindow(L"same"), nullptr);
}

TEST_F(WindowTest, FindingByPointTakesTheTopmostShownMouseEnabledControl) {
    ui::Control* below = Add(L"below", 10, 10, 100, 100);
    ui::Control* above = Add(L"above", 50, 50, 100, 100);
    Arrange();
    EXPECT_EQ(window_->FindInWindow(POINT{60, 60}), above);
    EXPECT_EQ(window_->FindInWindow(POINT{20, 20}), below);
    EXPECT_EQ(window_->FindInWindow(POINT{250, 180}), root_);

    above->SetAcceptsMouse(false);
    EXPECT_EQ(window_->FindInWindow(POINT{60, 60}), below);
    above->SetAcceptsMouse(true);
    above->SetShown(false);
    EXPECT_EQ(window_->FindInWindow(POINT{60, 60}), below);
}

} // namespace
} // namespace window_test
