// Colour fills (opaque, translucent, named) and nested clips.
#include <gtest/gtest.h>

#include "RenderTestSupport.h"
#include "ui/core/UiGlobals.h"

using namespace render_test;

TEST(RenderFill, OpaqueFillCoversExactlyTheRect) {
    auto rc = NewContext(10, 10);
    rc->FillColor(RECT{2, 3, 6, 8}, 0xFF336699u);
    EXPECT_EQ(PixelAt(*rc, 2, 3), MakePixel(0x33, 0x66, 0x99, 0xFF));
    EXPECT_EQ(PixelAt(*rc, 5, 7), MakePixel(0x33, 0x66, 0x99, 0xFF));
    EXPECT_EQ(CountInked(*rc, RECT{0, 0, 10, 10}), 4 * 5);
}

TEST(RenderFill, TranslucentWhiteIsStoredPremultiplied) {
    auto rc = NewContext(4, 4);
    rc->FillColor(RECT{0, 0, 4, 4}, 0xFFFFFFFFu, 128);
    const Pixel p = PixelAt(*rc, 1, 1);
    EXPECT_EQ(p.a, 128);
    // White at half alpha: colour channels equal the alpha, never above it.
    EXPECT_NEAR(p.r, 128, 1);
    EXPECT_NEAR(p.g, 128, 1);
    EXPECT_NEAR(p.b, 128, 1);

    // The same fill given as the colour's own alpha gives the same pixel.
    auto other = NewContext(4, 4);
    other->FillColor(RECT{0, 0, 4, 4}, 0x80FFFFFFu);
    EXPECT_EQ(PixelAt(*other, 2, 2), p);
}

TEST(RenderFill, AlphaScalesTheColoursOwnAlpha) {
    auto rc = NewContext(2, 2);
    rc->FillColor(RECT{0, 0, 2, 2}, 0x80000000u, 128);  // 128 * 128 / 255 = 64
    EXPECT_EQ(PixelAt(*rc, 0, 0).a, 64);
}

TEST(RenderFill, TranslucentFillBlendsOverOpaqueContent) {
    auto rc = NewContext(4, 4);
    rc->FillColor(RECT{0, 0, 4, 4}, 0xFFFF0000u);
    rc->FillColor(RECT{0, 0, 4, 4}, 0xFF000000u, 128);  // the dark overlay of a card
    const Pixel p = PixelAt(*rc, 3, 3);
    EXPECT_EQ(p.a, 0xFF);
    EXPECT_NEAR(p.r, 127, 1);
    EXPECT_EQ(p.g, 0);
}

TEST(RenderFill, NamedColoursResolveThroughTheColourTable) {
    ui::UiGlobals::AddNamedColor(L"render_test_green", L"#FF00C000");
    auto rc = NewContext(3, 3);
    rc->FillColor(RECT{0, 0, 3, 3}, std::wstring(L"render_test_green"));
    EXPECT_EQ(PixelAt(*rc, 1, 1), MakePixel(0, 0xC0, 0, 0xFF));

    auto untouched = NewContext(3, 3);
    untouched->FillColor(RECT{0, 0, 3, 3}, std::wstring());
    untouched->FillColor(RECT{0, 0, 3, 3}, std::wstring(L"render_test_no_such_colour"));
    EXPECT_EQ(CountInked(*untouched, RECT{0, 0, 3, 3}), 0);
}

TEST(RenderClip, NestedClipsPopOneAtATime) {
    auto rc = NewContext(40, 40);
    const RECT all = {0, 0, 40, 40};
    rc->PushRectClip(RECT{5, 5, 35, 35});
    rc->PushRoundClip(RECT{10, 10, 30, 30}, 10, 10);
    rc->FillColor(all, 0xFFFFFFFFu);
    EXPECT_EQ(PixelAt(*rc, 20, 20).a, 0xFF);
    EXPECT_EQ(PixelAt(*rc, 10, 10).a, 0);  // rounded corner is cut
    EXPECT_EQ(PixelAt(*rc, 7, 7).a, 0);
    rc->ClearSurface();

    rc->PopClip();  // the round clip goes, the rect clip stays
    rc->FillColor(all, 0xFFFFFFFFu);
    EXPECT_EQ(PixelAt(*rc, 5, 5).a, 0xFF);
    EXPECT_EQ(PixelAt(*rc, 34, 34).a, 0xFF);
    EXPECT_EQ(PixelAt(*rc, 4, 4).a, 0);
    EXPECT_EQ(PixelAt(*rc, 35, 20).a, 0);
    EXPECT_EQ(CountInked(*rc, all), 30 * 30);
    rc->ClearSurface();

    rc->PopClip();
    rc->FillColor(all, 0xFFFFFFFFu);
    EXPECT_EQ(CountInked(*rc, all), 40 * 40);
}

TEST(RenderClip, ClipFollowsTheOriginAndAppliesToBlits) {
    auto rc = NewContext(20, 20);
    rc->ShiftOrigin(-10, 0);  // logical x 0 is pixel 10
    rc->PushRectClip(RECT{0, 0, 5, 5});
    rc->FillColor(RECT{-10, 0, 10, 20}, 0xFFFFFFFFu);
    EXPECT_EQ(CountInked(*rc, RECT{0, 0, 20, 20}), 25);
    EXPECT_EQ(PixelAt(*rc, 10, 0).a, 0xFF);
    EXPECT_EQ(PixelAt(*rc, 9, 0).a, 0);
    rc->ClearSurface();

    ui::GdiObject<HBITMAP> image(MakeImage(20, 20, [](int, int) { return MakePixel(255, 0, 0, 255); }));
    const RECT dest = {-10, 0, 10, 20};
    rc->BlitImage(dest, image.get(), false, dest, RECT{0, 0, 20, 20}, RECT{0, 0, 0, 0});
    EXPECT_EQ(CountInked(*rc, RECT{0, 0, 20, 20}), 25);
    rc->PopClip();
}
