// Painting into an off-screen surface, judged by pixels: alpha, clipping,
// rounded corners, render offset, the order of the paint steps.
#include "ControlsTestSupport.h"

using namespace controls_test;
using ui::Box;
using ui::Control;

namespace {

constexpr RECT kAll{0, 0, 100, 60};

std::unique_ptr<Control> Colored(const std::wstring& color, const RECT& margin, int width, int height) {
    auto control = std::make_unique<Control>();
    control->SetBackgroundColor(color);
    control->SetMarginRect(margin, false);
    control->SetWidthSpec(width);
    control->SetHeightSpec(height);
    return control;
}

} // namespace

TEST(ControlPaint, AlphaZeroSkipsTheControlAndItsChildren) {
    Box box;
    box.SetBackgroundColor(L"blue");
    Add(box, Colored(L"red", Rect(10, 10, 0, 0), 20, 20));
    box.Place(kAll);
    box.SetOpacity(0);
    auto surface = NewSurface(100, 60);
    box.PaintWithEffects(*surface, kAll);
    EXPECT_EQ(0, PixelAt(*surface, 15, 15).a);
    EXPECT_EQ(0, PixelAt(*surface, 50, 50).a);
}

TEST(ControlPaint, PartialAlphaComposesTheControlWithItsChildrenBeforeBlending) {
    Box box;
    box.SetBackgroundColor(L"blue");
    Add(box, Colored(L"red", Rect(10, 10, 0, 0), 20, 20));
    box.Place(kAll);
    box.SetAttributeValue(L"alpha", L"128");
    auto surface = NewSurface(100, 60);
    surface->FillColor(kAll, 0xFFFFFFFFu);  // white underneath
    box.PaintWithEffects(*surface, kAll);

    // The child covers the box inside the layer, so no blue shows through it:
    // half red over white, and half blue over white beside it.
    const Pixel child = PixelAt(*surface, 15, 15);
    EXPECT_NEAR(255, child.r, 2);
    EXPECT_NEAR(127, child.g, 2);
    EXPECT_NEAR(127, child.b, 2);
    const Pixel beside = PixelAt(*surface, 50, 50);
    EXPECT_NEAR(127, beside.r, 2);
    EXPECT_NEAR(255, beside.b, 2);
    EXPECT_EQ(255, beside.a);
}

TEST(ControlPaint, AChildWiderThanItsBoxIsClippedToTheBox) {
    Box outer;
    auto* inner = Add(outer, std::make_unique<Box>());
    inner->SetMarginRect(Rect(10, 10, 0, 0), false);
    inner->SetWidthSpec(30);
    inner->SetHeightSpec(20);
    auto* wide = Add(*inner, Colored(L"red", Rect(0, 0, 0, 0), 80, 20));
    outer.Place(kAll);
    EXPECT_EQ(90, wide->Position().right);  // layout does not clip

    auto surface = NewSurface(100, 60);
    outer.PaintWithEffects(*surface, kAll);
    EXPECT_EQ(255, PixelAt(*surface, 39, 15).r);
    EXPECT_EQ(0, PixelAt(*surface, 40, 15).a);
    EXPECT_EQ(0, PixelAt(*surface, 80, 15).a);
}

TEST(ControlPaint, RoundedCornersClipTheContent) {
    Box box;
    box.SetBackgroundColor(L"red");
    box.SetCornerRound(20, 20);
    box.Place(Rect(0, 0, 40, 40));
    auto surface = NewSurface(40, 40);
    box.PaintWithEffects(*surface, Rect(0, 0, 40, 40));
    EXPECT_EQ(0, PixelAt(*surface, 0, 0).a);
    EXPECT_EQ(0, PixelAt(*surface, 39, 39).a);
    EXPECT_EQ(255, PixelAt(*surface, 20, 20).r);
    EXPECT_EQ(255, PixelAt(*surface, 20, 0).r);
}

TEST(ControlPaint, RenderOffsetShiftsTheContentInsideItsOwnRectangle) {
    Box box;
    Add(box, Colored(L"red", Rect(0, 0, 0, 0), 10, 10));
    box.Place(Rect(20, 0, 60, 10));
    box.SetRenderOffset(POINT{-15, 0});  // content moves right by 15
    auto surface = NewSurface(100, 10);
    box.PaintWithEffects(*surface, Rect(0, 0, 100, 10));
    EXPECT_EQ(0, PixelAt(*surface, 20, 5).a);
    EXPECT_EQ(0, PixelAt(*surface, 34, 5).a);
    EXPECT_EQ(255, PixelAt(*surface, 35, 5).r);
    EXPECT_EQ(255, PixelAt(*surface, 44, 5).r);
    EXPECT_EQ(0, PixelAt(*surface, 45, 5).a);
}

TEST(ControlPaint, StateColourPaintsOverTheBackgroundAndBordersLast) {
    Control control;
    control.ApplyAttributeText(L"bkcolor=\"blue\" pushedcolor=\"red\" bordersize=\"2\" bordercolor=\"white\"");
    control.Place(Rect(0, 0, 20, 20));
    auto surface = NewSurface(20, 20);
    control.PaintWithEffects(*surface, Rect(0, 0, 20, 20));
    EXPECT_EQ(255, PixelAt(*surface, 10, 10).b);  // normal: no state colour
    EXPECT_EQ(255, PixelAt(*surface, 0, 10).g);   // white border

    control.SetVisualState(ui::kStatePushed);
    control.PaintWithEffects(*surface, Rect(0, 0, 20, 20));
    const Pixel pushed = PixelAt(*surface, 10, 10);
    EXPECT_EQ(255, pushed.r);
    EXPECT_EQ(0, pushed.b);
    // A colour name that is not registered paints nothing.
    Control unknown;
    unknown.SetBackgroundColor(L"no_such_colour");
    unknown.Place(Rect(0, 0, 20, 20));
    auto clean = NewSurface(20, 20);
    unknown.PaintWithEffects(*clean, Rect(0, 0, 20, 20));
    EXPECT_EQ(0, PixelAt(*clean, 10, 10).a);
}
