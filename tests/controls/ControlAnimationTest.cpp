// Showing and hiding through the appear animations and the hot fade, driven
// by the UI timers (messages are pumped with a deadline).
#include "ControlsTestSupport.h"

using namespace controls_test;
using ui::Control;

namespace {

// Dispatches messages until `done` holds or `timeoutMs` passed.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 3000) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    return true;
}

} // namespace

TEST(ShowAnimated, WithoutAnimationsTheChangeIsImmediate) {
    Control control;
    control.ShowAnimated(false);
    EXPECT_FALSE(control.IsShown());
    control.ShowAnimated(true);
    EXPECT_TRUE(control.IsShown());
}

TEST(ShowAnimated, TheAlphaFadeRunsInAndOutAndHidesAtTheEnd) {
    Control control;
    control.SetAttributeValue(L"fadealpha", L"true");
    control.SetShown(false);
    control.ShowAnimated(true);
    EXPECT_TRUE(control.IsShown());
    ASSERT_TRUE(PumpUntil([&] { return control.Opacity() == 255; }));

    control.ShowAnimated(false);
    EXPECT_TRUE(control.IsShown());  // hidden only once the fade is done
    ASSERT_TRUE(PumpUntil([&] { return !control.IsShown(); }));
    EXPECT_EQ(0, control.Opacity());

    // Shown again half-way through hiding: it stays shown.
    control.ShowAnimated(true);
    ASSERT_TRUE(PumpUntil([&] { return control.Opacity() > 0; }));
    control.ShowAnimated(false);
    control.ShowAnimated(true);
    ASSERT_TRUE(PumpUntil([&] { return control.Opacity() == 255; }));
    EXPECT_TRUE(control.IsShown());
}

TEST(ShowAnimated, ASlideStartsOneWidthAwayAndEndsInPlace) {
    Control control;
    control.SetAttributeValue(L"fadeinoutxfromleft", L"true");
    control.Place(Rect(0, 0, 40, 10));
    control.ShowAnimated(true);
    EXPECT_GT(control.RenderOffset().x, 0);
    EXPECT_LE(control.RenderOffset().x, 40);
    ASSERT_TRUE(PumpUntil([&] { return control.RenderOffset().x == 0; }));
    control.ShowAnimated(false);
    ASSERT_TRUE(PumpUntil([&] { return !control.IsShown(); }));
    EXPECT_EQ(40, control.RenderOffset().x);
}

TEST(HotFade, EnteringFadesTheHotLookInAndLeavingFadesItOut) {
    Control control;
    control.SetAttributeValue(L"hotcolor", L"red");
    ui::EventArgs enter(ui::EventKind::MouseEnter, &control);
    control.DispatchEvent(enter);
    EXPECT_EQ(ui::kStateHot, control.VisualState());
    ASSERT_TRUE(PumpUntil([&] { return control.HotAlpha() == 255; }));

    ui::EventArgs leave(ui::EventKind::MouseLeave, &control);
    control.DispatchEvent(leave);
    EXPECT_EQ(ui::kStateNormal, control.VisualState());
    ASSERT_TRUE(PumpUntil([&] { return control.HotAlpha() == 0; }));
}
