// Markup attributes and the sizes they give a control.
#include "ControlsTestSupport.h"

using namespace controls_test;
using ui::Control;

TEST(ControlSizing, AutoSizeComesFromTheOnlyStateImageEvenWhenItIsTheHotOne) {
    Control control;
    control.ApplyAttributeText(L"width=\"auto\" height=\"auto\" hotimage=\"" + ImagePath(L"rgb.png") + L"\"");
    const SIZE size = control.MeasureSize(1000, 1000);
    EXPECT_EQ(5, size.cx);  // rgb.png is 5 x 3
    EXPECT_EQ(3, size.cy);
    // A hot image also turns the hot fade on.
    EXPECT_TRUE(control.HasAnimation(ui::kAnimationFadeHot));
}

TEST(ControlSizing, ADestInTheImageFixesAnAutoSizedControlForGood) {
    Control control;
    control.ApplyAttributeText(L"width=\"auto\" height=\"auto\"");
    control.SetBackgroundImage(L"file='" + ImagePath(L"rgb.png") + L"' dest='2,4,42,34'");
    const SIZE size = control.MeasureSize(1000, 1000);
    EXPECT_EQ(40, size.cx);
    EXPECT_EQ(30, size.cy);
    EXPECT_EQ(40, control.FixedWidth());
    EXPECT_EQ(30, control.FixedHeight());
    EXPECT_FALSE(control.IsAutoSized());
}

TEST(ControlSizing, FixedSizesAndLimitsReadFromMarkup) {
    Control control;
    control.ApplyAttributeText(
        L"width=\"120\" height=\"stretch\" minwidth=\"10\" maxheight=\"auto\" margin=\"1 2 3 4\"");
    EXPECT_EQ(120, control.FixedWidth());
    EXPECT_EQ(ui::kSizeStretch, control.FixedHeight());
    EXPECT_EQ(10, control.MinWidth());
    EXPECT_EQ(ui::kSizeAuto, control.MaxHeight());
    EXPECT_TRUE(SameRect(Rect(1, 2, 3, 4), control.GetMarginRect()));
    // Negative sizes other than stretch and auto are ignored.
    control.SetAttributeValue(L"width", L"-7");
    EXPECT_EQ(120, control.FixedWidth());
}

TEST(ControlAttributes, NoFocusRefusesFocusWhateverItsValue) {
    Control control;
    EXPECT_FALSE(control.RefusesFocus());
    control.SetAttributeValue(L"nofocus", L"false");
    EXPECT_TRUE(control.RefusesFocus());
}

TEST(ControlAttributes, AttributeTextStopsAtTheFirstMalformedItem) {
    Control control;
    control.ApplyAttributeText(L"name=\"a\" width=\"10\" height=20 halign=\"right\"");
    EXPECT_EQ(L"a", control.GetControlName());
    EXPECT_EQ(10, control.FixedWidth());
    EXPECT_EQ(ui::kSizeStretch, control.FixedHeight());
    EXPECT_EQ(ui::kAlignLeft, control.HorizontalAlign());

    Control unspaced;
    unspaced.ApplyAttributeText(L"name=\"b\"width=\"10\"");
    EXPECT_EQ(L"b", unspaced.GetControlName());
    EXPECT_EQ(ui::kSizeStretch, unspaced.FixedWidth());

    Control unclosed;
    unclosed.ApplyAttributeText(L"width=\"10\" name=\"c");
    EXPECT_EQ(10, unclosed.FixedWidth());
    EXPECT_TRUE(unclosed.GetControlName().empty());
}

TEST(ControlAttributes, ClassesApplyInOrderAndTheElementsOwnAttributesWin) {
    ui::UiGlobals::AddStyleClass(L"test_wide", L"width=\"300\" height=\"20\" bkcolor=\"red\"");
    ui::UiGlobals::AddStyleClass(L"test_tall", L"height=\"40\"");
    Control control;
    control.ApplyAttributeText(L"class=\"test_wide unknown_class test_tall\" width=\"100\"");
    EXPECT_EQ(100, control.FixedWidth());
    EXPECT_EQ(40, control.FixedHeight());
    EXPECT_EQ(L"red", control.BackgroundColor());
}

TEST(ControlAttributes, LaterItemsOverrideEarlierOnesIncludingTheHotFade) {
    Control control;
    control.ApplyAttributeText(L"hotcolor=\"red\" fadehot=\"false\" visible=\"false\" visible=\"true\"");
    EXPECT_FALSE(control.HasAnimation(ui::kAnimationFadeHot));
    EXPECT_EQ(L"red", control.ColorForState(ui::kStateHot));
    EXPECT_TRUE(control.IsShown());
    // Unknown keywords leave the property alone; booleans need exactly "true".
    control.ApplyAttributeText(L"halign=\"middle\" enabled=\"True\"");
    EXPECT_EQ(ui::kAlignLeft, control.HorizontalAlign());
    EXPECT_FALSE(control.IsInteractive());
    EXPECT_EQ(ui::kStateDisabled, control.VisualState());
}

TEST(ControlAttributes, FadeAlphaHidesUntilRemoved) {
    Control control;
    control.SetAttributeValue(L"fadealpha", L"true");
    EXPECT_EQ(0, control.Opacity());
    control.SetAttributeValue(L"fadealpha", L"false");
    EXPECT_EQ(255, control.Opacity());
    EXPECT_FALSE(control.HasAnimation(ui::kAnimationFadeAlpha));
}
