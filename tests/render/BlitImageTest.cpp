// Image blits: nine-grid pieces, tiling, the blend-or-copy rule and
// premultiplied source-over.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "RenderTestSupport.h"
#include "ui/core/UiGlobals.h"

using namespace render_test;

namespace {

const RECT kNoCorner = {0, 0, 0, 0};

// 9 x 9 source with 3-pixel corners: corners encode their position, the four
// edges and the centre are flat colours.
Pixel NineGridSource(int x, int y) {
    const bool left = x < 3, right = x >= 6, top = y < 3, bottom = y >= 6;
    if ((left || right) && (top || bottom)) return MakePixel(static_cast<BYTE>(x * 20 + 10), static_cast<BYTE>(y * 20 + 10), 0, 255);
    if (top) return MakePixel(0, 0, 200, 255);
    if (bottom) return MakePixel(0, 0, 100, 255);
    if (left) return MakePixel(0, 150, 150, 255);
    if (right) return MakePixel(150, 150, 0, 255);
    return MakePixel(0, 90, 0, 255);
}

bool Near(const Pixel& a, const Pixel& b, int tolerance = 2) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance && std::abs(a.a - b.a) <= tolerance;
}

} // namespace

TEST(RenderBlit, NineGridCopiesCornersOneToOneAndStretchesEdges) {
    auto rc = NewContext(21, 15);
    ui::GdiObject<HBITMAP> image(MakeImage(9, 9, NineGridSource));
    const RECT dest = {0, 0, 21, 15};
    rc->BlitImage(dest, image.get(), false, dest, RECT{0, 0, 9, 9}, RECT{3, 3, 3, 3});

    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 3; ++x) {
            EXPECT_EQ(PixelAt(*rc, x, y), NineGridSource(x, y)) << x << "," << y;
            EXPECT_EQ(PixelAt(*rc, 18 + x, y), NineGridSource(6 + x, y));
            EXPECT_EQ(PixelAt(*rc, x, 12 + y), NineGridSource(x, 6 + y));
            EXPECT_EQ(PixelAt(*rc, 18 + x, 12 + y), NineGridSource(6 + x, 6 + y));
        }
    }
    // Edges run the whole length between the corners; the centre fills the rest.
    EXPECT_TRUE(Near(PixelAt(*rc, 10, 1), NineGridSource(4, 1)));
    EXPECT_TRUE(Near(PixelAt(*rc, 4, 13), NineGridSource(4, 7)));
    EXPECT_TRUE(Near(PixelAt(*rc, 1, 7), NineGridSource(1, 4)));
    EXPECT_TRUE(Near(PixelAt(*rc, 19, 7), NineGridSource(7, 4)));
    EXPECT_TRUE(Near(PixelAt(*rc, 10, 7), NineGridSource(4, 4)));
    EXPECT_EQ(CountInked(*rc, dest), 21 * 15);
}

TEST(RenderBlit, CornersFollowTheDpiScaleWhileTheSourceCornerStays) {
    // Flat regions: red corners, blue edges, green centre.
    auto flat = [](int x, int y) {
        const bool edgeX = x < 3 || x >= 6, edgeY = y < 3 || y >= 6;
        if (edgeX && edgeY) return MakePixel(255, 0, 0, 255);
        if (edgeX || edgeY) return MakePixel(0, 0, 255, 255);
        return MakePixel(0, 255, 0, 255);
    };
    ui::GdiObject<HBITMAP> image(MakeImage(9, 9, flat));
    ui::UiGlobals::SetAdaptDpi(true);
    ui::UiGlobals::SetDpiScale(200);
    auto rc = NewContext(30, 30);
    const RECT dest = {0, 0, 30, 30};
    rc->BlitImage(dest, image.get(), false, dest, RECT{0, 0, 9, 9}, RECT{3, 3, 3, 3});
    ui::UiGlobals::SetDpiScale(100);
    ui::UiGlobals::SetAdaptDpi(false);
    EXPECT_TRUE(Near(PixelAt(*rc, 4, 4), MakePixel(255, 0, 0, 255), 8));   // corner now 6 x 6
    EXPECT_TRUE(Near(PixelAt(*rc, 25, 25), MakePixel(255, 0, 0, 255), 8));
    EXPECT_TRUE(Near(PixelAt(*rc, 15, 2), MakePixel(0, 0, 255, 255), 8));  // top edge, 6 high
    EXPECT_TRUE(Near(PixelAt(*rc, 15, 15), MakePixel(0, 255, 0, 255), 8));
    EXPECT_EQ(CountInked(*rc, dest), 30 * 30);
}

TEST(RenderBlit, PiecesOutsideThePaintRectAreSkipped) {
    auto rc = NewContext(21, 15);
    ui::GdiObject<HBITMAP> image(MakeImage(9, 9, NineGridSource));
    const RECT dest = {0, 0, 21, 15};
    rc->BlitImage(RECT{0, 0, 2, 2}, image.get(), false, dest, RECT{0, 0, 9, 9}, RECT{3, 3, 3, 3});
    EXPECT_EQ(CountInked(*rc, dest), 9);  // only the top-left corner, drawn whole
    EXPECT_EQ(PixelAt(*rc, 2, 2), NineGridSource(2, 2));

    rc->ClearSurface();
    rc->BlitImage(RECT{30, 30, 40, 40}, image.get(), false, dest, RECT{0, 0, 9, 9}, RECT{3, 3, 3, 3});
    rc->BlitImage(dest, nullptr, false, dest, RECT{0, 0, 9, 9}, kNoCorner);
    EXPECT_EQ(CountInked(*rc, dest), 0);
}

TEST(RenderBlit, TilesRepeatFromTheTopLeftAndTheLastOnesAreCut) {
    auto source = [](int x, int y) { return MakePixel(static_cast<BYTE>(50 + x * 40), static_cast<BYTE>(50 + y * 40), 0, 255); };
    ui::GdiObject<HBITMAP> image(MakeImage(4, 4, source));
    auto rc = NewContext(12, 8);
    const RECT dest = {0, 0, 10, 6};  // 3 x 2 tiles, the last column 2 wide, the last row 2 high
    rc->BlitImage(dest, image.get(), false, dest, RECT{0, 0, 4, 4}, kNoCorner, 255, true, true);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 10; ++x) EXPECT_EQ(PixelAt(*rc, x, y), source(x % 4, y % 4)) << x << "," << y;
    // Nothing spills past the destination.
    EXPECT_EQ(CountInked(*rc, RECT{0, 0, 12, 8}), 10 * 6);
}

TEST(RenderBlit, TilingInOneDirectionStretchesTheOther) {
    auto source = [](int x, int) { return MakePixel(static_cast<BYTE>(50 + x * 40), 0, 0, 255); };
    ui::GdiObject<HBITMAP> image(MakeImage(4, 4, source));
    auto rc = NewContext(10, 8);
    const RECT dest = {0, 0, 10, 8};
    rc->BlitImage(dest, image.get(), false, dest, RECT{0, 0, 4, 4}, kNoCorner, 255, true, false);
    for (int x = 0; x < 10; ++x) {
        EXPECT_NEAR(PixelAt(*rc, x, 0).r, 50 + (x % 4) * 40, 2) << x;
        EXPECT_NEAR(PixelAt(*rc, x, 7).r, 50 + (x % 4) * 40, 2) << x;
    }

    auto rows = [](int, int y) { return MakePixel(0, static_cast<BYTE>(50 + y * 40), 0, 255); };
    ui::GdiObject<HBITMAP> rowImage(MakeImage(4, 4, rows));
    rc->ClearSurface();
    rc->BlitImage(dest, rowImage.get(), false, dest, RECT{0, 0, 4, 4}, kNoCorner, 255, false, true);
    for (int y = 0; y < 8; ++y) EXPECT_NEAR(PixelAt(*rc, 9, y).g, 50 + (y % 4) * 40, 2) << y;
}

// A source whose pixels are all transparent black but which claims no alpha:
// a blend leaves the white background, a plain copy writes black.
TEST(RenderBlit, BlendOrCopyRule) {
    ui::GdiObject<HBITMAP> image(MakeImage(4, 4, [](int, int) { return MakePixel(0, 0, 0, 0); }));
    const RECT source = {0, 0, 4, 4};
    auto drawn = [&](const RECT& dest, bool hasAlpha, BYTE fade, bool transparent) {
        auto rc = NewContext(8, 8);
        rc->FillColor(RECT{0, 0, 8, 8}, 0xFFFFFFFFu);
        rc->SetTransparentMode(transparent);
        rc->BlitImage(dest, image.get(), hasAlpha, dest, source, kNoCorner, fade);
        return PixelAt(*rc, 1, 1).r;
    };
    const RECT ownSize = {0, 0, 4, 4};
    const RECT stretched = {0, 0, 8, 8};
    EXPECT_EQ(drawn(ownSize, false, 255, false), 255) << "unscaled pieces blend";
    EXPECT_EQ(drawn(stretched, false, 255, false), 0) << "scaled opaque pieces are copied";
    EXPECT_EQ(drawn(stretched, true, 255, false), 255) << "images with alpha blend";
    EXPECT_EQ(drawn(stretched, false, 254, false), 255) << "faded images blend";
    EXPECT_EQ(drawn(stretched, false, 255, true), 255) << "transparent mode blends";
}

TEST(RenderBlit, StretchedOpaqueImageStaysOpaqueInsideTheClipOnly) {
    ui::GdiObject<HBITMAP> image(MakeImage(4, 4, [](int, int) { return MakePixel(10, 200, 30, 255); }));
    auto rc = NewContext(30, 30);
    const RECT dest = {0, 0, 30, 30};
    rc->PushRoundClip(dest, 16, 16);
    rc->BlitImage(dest, image.get(), false, dest, RECT{0, 0, 4, 4}, kNoCorner);
    rc->PopClip();
    EXPECT_TRUE(Near(PixelAt(*rc, 15, 15), MakePixel(10, 200, 30, 255)));
    EXPECT_EQ(PixelAt(*rc, 29, 15).a, 255);
    EXPECT_EQ(PixelAt(*rc, 0, 0), MakePixel(0, 0, 0, 0));  // cut by the round corner
    // Every pixel is a valid premultiplied one: no colour above its alpha.
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x) {
            const Pixel p = PixelAt(*rc, x, y);
            ASSERT_LE(std::max({p.r, p.g, p.b}), p.a) << x << "," << y;
        }
}

TEST(RenderBlit, PremultipliedSourceOver) {
    // Straight red at alpha 128, stored premultiplied.
    ui::GdiObject<HBITMAP> image(MakeImage(2, 2, [](int, int) { return MakePixel(128, 0, 0, 128); }));
    const RECT dest = {0, 0, 2, 2};
    auto onWhite = NewContext(2, 2);
    onWhite->FillColor(dest, 0xFFFFFFFFu);
    onWhite->BlitImage(dest, image.get(), true, dest, dest, kNoCorner);
    EXPECT_TRUE(Near(PixelAt(*onWhite, 0, 0), MakePixel(255, 127, 127, 255), 1));

    auto onClear = NewContext(2, 2);
    onClear->BlitImage(dest, image.get(), true, dest, dest, kNoCorner);
    EXPECT_TRUE(Near(PixelAt(*onClear, 1, 1), MakePixel(128, 0, 0, 128), 1));

    // Fade scales colour and alpha together.
    auto faded = NewContext(2, 2);
    faded->BlitImage(dest, image.get(), true, dest, dest, kNoCorner, 128);
    EXPECT_TRUE(Near(PixelAt(*faded, 1, 1), MakePixel(64, 0, 0, 64), 1));
}

TEST(RenderBlit, BlendFromAndCopyFromUseTheOtherContext) {
    auto source = NewContext(4, 4);
    source->FillColor(RECT{0, 0, 4, 4}, 0x80FFFFFFu);
    auto target = NewContext(4, 4);
    target->FillColor(RECT{0, 0, 4, 4}, 0xFF000000u);
    EXPECT_TRUE(target->BlendFrom(0, 0, 4, 4, source->DeviceContext(), 0, 0, 4, 4, 255));
    EXPECT_TRUE(Near(PixelAt(*target, 2, 2), MakePixel(128, 128, 128, 255), 1));

    auto copy = NewContext(4, 4);
    EXPECT_TRUE(copy->CopyFrom(1, 1, 2, 2, source->DeviceContext(), 0, 0));
    EXPECT_EQ(PixelAt(*copy, 1, 1), PixelAt(*source, 0, 0));
    EXPECT_EQ(PixelAt(*copy, 0, 0).a, 0);
}
