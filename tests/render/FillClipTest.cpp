// Colour fills (opaque, translucent, named) and nested clips.
#include <gtest/gtest.h>

#include <vector>

#include "RenderTestSupport.h"
#include "ui/core/UiGlobals.h"
#include "ui/render/GdiPlusHeaders.h"

using namespace render_test;

namespace {

// Every kind of premultiplied pixel, and a few whose colour exceeds their alpha.
Pixel Mixed(int x, int y) {
    const BYTE a = static_cast<BYTE>((x * 7 + y * 13) % 256);
    const BYTE c = static_cast<BYTE>((x * 31 + y * 3) % 256);
    if ((x + y) % 17 == 0) return MakePixel(c, c, c, a);
    return MakePixel(c <= a ? c : a, static_cast<BYTE>(a / 3), static_cast<BYTE>(a - a / 4), a);
}

void CopyImageInto(ui::IRenderContext& rc, HBITMAP image) {
    ui::MemoryDC dc(rc.DeviceContext());
    ui::SelectionGuard selected(dc.get(), image);
    rc.CopyFrom(0, 0, rc.SurfaceWidth(), rc.SurfaceHeight(), dc.get(), 0, 0);
}

} // namespace

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

// GDI's own clipping of a copy is the reference for which pixels a fill
// inside a rounded clip, with the origin moved, must reach.
TEST(RenderFill, OpaqueFillReachesExactlyWhatTheClipLetsThrough) {
    auto solid = NewContext(60, 50);
    solid->FillColor(RECT{0, 0, 60, 50}, 0xFF2040E0u);
    auto filled = NewContext(60, 50);
    auto copied = NewContext(60, 50);
    for (auto* rc : {filled.get(), copied.get()}) {
        rc->MoveOrigin(-7, 3);
        rc->PushRectClip(RECT{-7, -3, 40, 30});
        rc->PushRoundClip(RECT{-2, 0, 45, 40}, 24, 18);
    }
    filled->FillColor(RECT{-20, -20, 80, 80}, 0xFF2040E0u);
    copied->CopyFrom(-7, -3, 60, 50, solid->DeviceContext(), 0, 0);
    int inked = 0;
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 60; ++x) {
            ASSERT_EQ(PixelAt(*filled, x, y), PixelAt(*copied, x, y)) << x << "," << y;
            inked += PixelAt(*filled, x, y).a != 0;
        }
    EXPECT_GT(inked, 500);
    EXPECT_EQ(PixelAt(*filled, 5, 0).a, 0);  // the rounded corner stays clear
}

TEST(RenderFill, TranslucentFillGivesWhatGdiplusGivesInsideTheClip) {
    ui::GdiObject<HBITMAP> background(MakeImage(200, 120, Mixed));
    for (DWORD color : {0x80000000u, 0x01FFFFFFu, 0x4D20C060u, 0xFEFF8000u, 0x00123456u}) {
        SCOPED_TRACE(color);
        // Reference: GDI+ itself over a copy of the same pixels, no clip.
        std::vector<Pixel> reference(200 * 120);
        for (int y = 0; y < 120; ++y)
            for (int x = 0; x < 200; ++x) reference[y * 200 + x] = Mixed(x, y);
        {
            Gdiplus::Bitmap bitmap(200, 120, 200 * 4, PixelFormat32bppPARGB, reinterpret_cast<BYTE*>(reference.data()));
            Gdiplus::Graphics graphics(&bitmap);
            Gdiplus::SolidBrush brush{Gdiplus::Color(color)};
            ASSERT_EQ(graphics.FillRectangle(&brush, 0, 0, 200, 120), Gdiplus::Ok);
        }
        auto rc = NewContext(200, 120);
        CopyImageInto(*rc, background.get());
        rc->PushRoundClip(RECT{0, 0, 200, 120}, 60, 60);
        rc->FillColor(RECT{0, 0, 200, 120}, color);
        ui::GdiObject<HRGN> clip(CreateRectRgn(0, 0, 0, 0));
        ASSERT_EQ(GetClipRgn(rc->DeviceContext(), clip.get()), 1);
        for (int y = 0; y < 120; ++y)
            for (int x = 0; x < 200; ++x) {
                const Pixel expected = PtInRegion(clip.get(), x, y) ? reference[y * 200 + x] : Mixed(x, y);
                ASSERT_EQ(PixelAt(*rc, x, y), expected) << x << "," << y;
            }
    }
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
