#include <gtest/gtest.h>

#include <string>

#include "WidgetTestSupport.h"
#include "ui/control/Progress.h"

using widgets_test::Hue;
using widgets_test::HueAt;

namespace {

// A bar placed over `area` and painted into a context of that size.
std::unique_ptr<ui::IRenderContext> Paint(ui::Progress& bar, const RECT& area) {
    auto rc = render_test::NewContext(area.right, area.bottom);
    bar.Place(area);
    bar.PaintWithEffects(*rc, area);
    return rc;
}

void SetNumber(ui::Progress& bar, const wchar_t* name, int value) {
    bar.SetAttributeValue(name, std::to_wstring(value));
}

} // namespace

TEST(ProgressFill, FilledPartIsTheTruncatedShareOfTheBar) {
    widgets_test::RegisterColors();
    ui::Progress bar;
    bar.SetAttributeValue(L"progresscolor", widgets_test::kRed);
    SetNumber(bar, L"value", 33);
    const RECT area{0, 0, 405, 4};
    auto rc = Paint(bar, area);
    EXPECT_EQ(bar.FilledRect().right, 133) << "405 * 33 / 100 = 133.65";
    EXPECT_EQ(HueAt(*rc, 132, 2), Hue::kRed);
    EXPECT_EQ(HueAt(*rc, 133, 2), Hue::kNone);

    ui::Progress vertical;
    vertical.SetAttributeValue(L"hor", L"false");
    vertical.SetAttributeValue(L"progresscolor", widgets_test::kRed);
    SetNumber(vertical, L"value", 25);
    const RECT tall{0, 0, 6, 200};
    auto column = Paint(vertical, tall);
    const RECT filled = vertical.FilledRect();
    EXPECT_EQ(filled.top, 150);
    EXPECT_EQ(filled.bottom, 200);
    EXPECT_EQ(HueAt(*column, 3, 149), Hue::kNone) << "a vertical bar fills from the bottom up";
    EXPECT_EQ(HueAt(*column, 3, 150), Hue::kRed);
    EXPECT_EQ(HueAt(*column, 3, 199), Hue::kRed);
}

TEST(ProgressFill, PaintingKeepsTheRangeUsableAndTheValueInsideIt) {
    widgets_test::RegisterColors();
    const RECT area{0, 0, 100, 4};

    ui::Progress empty;
    empty.SetAttributeValue(L"progresscolor", widgets_test::kRed);
    SetNumber(empty, L"min", 50);
    SetNumber(empty, L"max", 50);
    SetNumber(empty, L"value", 50);
    empty.Place(area);
    const RECT before = empty.FilledRect();
    EXPECT_EQ(before.right, 0) << "an empty range must not divide by zero before it is corrected";
    Paint(empty, area);
    EXPECT_EQ(empty.Minimum(), 50);
    EXPECT_EQ(empty.Maximum(), 51) << "painted as if the maximum were one more";
    SetNumber(empty, L"value", 51);
    EXPECT_EQ(HueAt(*Paint(empty, area), 99, 2), Hue::kRed);

    ui::Progress over;
    over.SetAttributeValue(L"progresscolor", widgets_test::kRed);
    SetNumber(over, L"value", 150);
    auto full = Paint(over, area);
    EXPECT_EQ(over.Value(), 100.0) << "the value is stored within the range once painted";
    EXPECT_EQ(HueAt(*full, 99, 2), Hue::kRed);
}
