#include <gtest/gtest.h>

#include "WidgetTestSupport.h"
#include "ui/control/Button.h"
#include "ui/control/Label.h"

using widgets_test::CountHue;
using widgets_test::Hue;

namespace {

constexpr RECT kArea{0, 0, 90, 30};

// Paints `label` placed over kArea into a fresh context.
std::unique_ptr<ui::IRenderContext> Paint(ui::Control& label) {
    auto rc = render_test::NewContext(kArea.right, kArea.bottom);
    label.Place(kArea);
    label.PaintWithEffects(*rc, kArea);
    return rc;
}

} // namespace

TEST(LabelAlign, WordsApplyInTableOrderSoCombinationsWork) {
    ui::Label label;
    label.SetAttributeValue(L"align", L"right vcenter");
    const UINT flags = label.TextFormatFlags();
    EXPECT_TRUE(flags & ui::kTextRight);
    EXPECT_TRUE(flags & ui::kTextVCenter);
    EXPECT_TRUE(flags & ui::kTextCenter) << "\"vcenter\" holds \"center\" and sets the horizontal centre too";
    EXPECT_TRUE(flags & ui::kTextSingleLine);
    EXPECT_TRUE(flags & ui::kTextEndEllipsis) << "align leaves the ellipsis alone";

    ui::Label bottom;
    bottom.SetAttributeValue(L"align", L"vcenter");
    bottom.SetAttributeValue(L"align", L"bottom");
    EXPECT_TRUE(bottom.TextFormatFlags() & ui::kTextBottom);
    EXPECT_FALSE(bottom.TextFormatFlags() & ui::kTextVCenter);

    ui::Label left;
    left.SetAttributeValue(L"align", L"right");
    left.SetAttributeValue(L"align", L"left");
    EXPECT_EQ(left.TextFormatFlags() & (ui::kTextRight | ui::kTextCenter), 0u);
}

TEST(LabelText, EmptyOrUnknownTextMeasuresNothingAndPaintsNothing) {
    widgets_test::RegisterColors();
    ui::Label label;
    label.SetAttributeValue(L"normaltextcolor", widgets_test::kRed);
    bool reestimate = false;
    SIZE size = label.MeasureTextSize(500, 500, reestimate);
    EXPECT_EQ(size.cx, 0);
    EXPECT_EQ(size.cy, 0);

    label.SetAttributeValue(L"textid", L"NO_SUCH_STRING_ID");
    size = label.MeasureTextSize(500, 500, reestimate);
    EXPECT_EQ(size.cx, 0);
    EXPECT_EQ(render_test::CountInked(*Paint(label), kArea), 0);

    label.SetAttributeValue(L"text", L"WWW");
    size = label.MeasureTextSize(500, 500, reestimate);
    EXPECT_GT(size.cx, 10);
    EXPECT_GT(size.cy, 5);
    EXPECT_GT(CountHue(*Paint(label), kArea, Hue::kRed), 0);
}

TEST(LabelColors, AStateWithoutItsOwnTextColourBorrowsDownTheChain) {
    widgets_test::RegisterColors();
    ui::Button button;
    button.SetAttributeValue(L"text", L"WWWW");
    button.SetAttributeValue(L"normaltextcolor", widgets_test::kRed);
    button.SetVisualState(ui::kStatePushed);
    auto pushedNoHot = Paint(button);
    EXPECT_GT(CountHue(*pushedNoHot, kArea, Hue::kRed), 0) << "pushed without pushed or hot colour: normal";
    EXPECT_EQ(CountHue(*pushedNoHot, kArea, Hue::kGreen), 0);

    button.SetAttributeValue(L"hottextcolor", widgets_test::kGreen);
    button.SetHotAlpha(255);  // as after the pointer entered and the hot fade ran
    auto pushedWithHot = Paint(button);
    EXPECT_GT(CountHue(*pushedWithHot, kArea, Hue::kGreen), 0) << "pushed without pushed colour: hot";
    EXPECT_EQ(CountHue(*pushedWithHot, kArea, Hue::kRed), 0);

    button.SetAttributeValue(L"pushedtextcolor", widgets_test::kBlue);
    EXPECT_GT(CountHue(*Paint(button), kArea, Hue::kBlue), 0);
}
