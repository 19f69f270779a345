// Surface life cycle, row order, alpha repair and origins.
#include <gtest/gtest.h>

#include "RenderTestSupport.h"
#include "ui/render/GdiBitmap.h"
#include "ui/render/RenderContext_GdiPlus.h"

using namespace render_test;

TEST(RenderSurface, ResizeRefusesEmptyAndUnchangedSizes) {
    ui::RenderContext_GdiPlus rc;
    EXPECT_FALSE(rc.ResizeSurface(0, 10));
    EXPECT_FALSE(rc.ResizeSurface(10, -1));
    EXPECT_EQ(rc.PixelData(), nullptr);
    // Drawing into a context without a surface is a no-op, not a crash.
    rc.FillColor(RECT{0, 0, 5, 5}, 0xFFFF0000u);
    rc.RenderText(RECT{0, 0, 50, 20}, L"x", 0xFF000000u, L"", 0);

    EXPECT_TRUE(rc.ResizeSurface(8, 4));
    EXPECT_EQ(rc.SurfaceWidth(), 8);
    EXPECT_EQ(rc.SurfaceHeight(), 4);
    EXPECT_FALSE(rc.ResizeSurface(8, 4));
    EXPECT_TRUE(rc.ResizeSurface(3, 4));
    EXPECT_EQ(rc.SurfaceWidth(), 3);
}

TEST(RenderSurface, NewSurfaceIsTransparentAndClearEmptiesIt) {
    auto rc = NewContext(6, 6);
    EXPECT_EQ(CountInked(*rc, RECT{0, 0, 6, 6}), 0);
    rc->FillColor(RECT{0, 0, 6, 6}, 0xFF102030u);
    EXPECT_EQ(PixelAt(*rc, 5, 5), MakePixel(0x10, 0x20, 0x30, 0xFF));
    rc->ClearSurface();
    EXPECT_EQ(PixelAt(*rc, 5, 5), MakePixel(0, 0, 0, 0));
}

TEST(RenderSurface, FlipDecidesRowOrderAndDrawingStaysUpright) {
    ui::RenderContext_GdiPlus bottomUp;
    ASSERT_TRUE(bottomUp.ResizeSurface(4, 4, false));
    bottomUp.FillColor(RECT{0, 0, 4, 1}, 0xFFFF0000u);  // the top row
    GdiFlush();
    const BYTE* last = bottomUp.PixelData() + 3 * 4 * 4;  // bottom-up: top row stored last
    EXPECT_EQ(last[2], 0xFF);
    EXPECT_EQ(last[3], 0xFF);
    EXPECT_EQ(bottomUp.PixelData()[3], 0);

    auto topDown = NewContext(4, 4);
    topDown->FillColor(RECT{0, 0, 4, 1}, 0xFFFF0000u);
    EXPECT_EQ(PixelAt(*topDown, 0, 0), MakePixel(0xFF, 0, 0, 0xFF));
    EXPECT_EQ(PixelAt(*topDown, 0, 3).a, 0);
}

TEST(RenderSurface, DuplicateCopiesPixelsIndependently) {
    auto rc = NewContext(5, 3);
    rc->FillColor(RECT{1, 1, 2, 2}, 0xFF00FF00u);
    auto copy = rc->Duplicate();
    ASSERT_EQ(copy->SurfaceWidth(), 5);
    ASSERT_EQ(copy->SurfaceHeight(), 3);
    EXPECT_EQ(PixelAt(*copy, 1, 1), MakePixel(0, 0xFF, 0, 0xFF));
    rc->ClearSurface();
    EXPECT_EQ(PixelAt(*copy, 1, 1).a, 0xFF);
}

TEST(RenderSurface, TakeBitmapHandsOutAWorkingHandle) {
    auto rc = NewContext(7, 2);
    HBITMAP taken = rc->TakeBitmap();
    ASSERT_NE(taken, nullptr);
    EXPECT_EQ(rc->PixelData(), nullptr);
    BITMAP info = {};
    ASSERT_EQ(GetObjectW(taken, sizeof(info), &info), static_cast<int>(sizeof(info)));
    EXPECT_EQ(info.bmWidth, 7);
    EXPECT_EQ(info.bmBitsPixel, 32);
    EXPECT_TRUE(DeleteObject(taken));
    // The context can get a new surface afterwards.
    EXPECT_TRUE(rc->ResizeSurface(7, 3));
}

TEST(RenderSurface, FillAlphaIsClippedAndKeepsPixelsPremultiplied) {
    auto rc = NewContext(4, 4);
    rc->FillColor(RECT{0, 0, 4, 4}, 0xFFC8C8C8u);
    rc->FillAlpha(RECT{-5, -5, 2, 2}, 100);  // partly outside: must not write outside the buffer
    EXPECT_EQ(PixelAt(*rc, 1, 1), MakePixel(100, 100, 100, 100));
    EXPECT_EQ(PixelAt(*rc, 2, 2), MakePixel(0xC8, 0xC8, 0xC8, 0xFF));
    rc->FillAlpha(RECT{0, 0, 4, 4}, 255);
    EXPECT_EQ(PixelAt(*rc, 3, 3), MakePixel(0xC8, 0xC8, 0xC8, 0xFF));
}

TEST(RenderSurface, FixAlphaTouchesOnlyTheBorderAndClearsKeyedPixels) {
    auto rc = NewContext(6, 6);
    rc->FillColor(RECT{0, 0, 6, 6}, 0x80FFFFFFu);  // alpha 128 everywhere
    rc->FillColor(RECT{0, 0, 1, 1}, 0xFF000000u);  // one opaque black corner
    rc->FixAlpha(RECT{0, 0, 6, 6}, RECT{2, 2, 2, 2}, 0x80);
    // Keyed border pixels become fully transparent, colour included.
    EXPECT_EQ(PixelAt(*rc, 5, 0), MakePixel(0, 0, 0, 0));
    EXPECT_EQ(PixelAt(*rc, 1, 4), MakePixel(0, 0, 0, 0));
    // Non-keyed border pixels become opaque.
    EXPECT_EQ(PixelAt(*rc, 0, 0).a, 0xFF);
    // The inner rectangle is untouched.
    EXPECT_EQ(PixelAt(*rc, 2, 2).a, 0x80);
    EXPECT_EQ(PixelAt(*rc, 3, 3).a, 0x80);

    rc->FixAlpha(RECT{0, 0, 6, 6}, RECT{0, 0, 0, 3}, 0);  // key 0: everything opaque
    EXPECT_EQ(PixelAt(*rc, 3, 5).a, 0xFF);
    EXPECT_EQ(PixelAt(*rc, 3, 2).a, 0x80);
}

TEST(RenderSurface, OriginMovesDrawing) {
    auto rc = NewContext(10, 10);
    EXPECT_EQ(rc->ShiftOrigin(-3, -4).x, 0);
    const POINT shifted = rc->Origin();
    EXPECT_EQ(shifted.x, -3);
    EXPECT_EQ(shifted.y, -4);
    rc->FillColor(RECT{0, 0, 1, 1}, 0xFF0000FFu);
    EXPECT_EQ(PixelAt(*rc, 3, 4).a, 0xFF);
    EXPECT_EQ(PixelAt(*rc, 0, 0).a, 0);

    const POINT old = rc->MoveOrigin(0, 0);
    EXPECT_EQ(old.x, -3);
    EXPECT_EQ(old.y, -4);
    rc->PushState();
    rc->MoveOrigin(5, 5);
    rc->PopState();
    EXPECT_EQ(rc->Origin().x, 0);
}
