// Scaled copies of registered image bitmaps: drawing through a copy gives
// the pixels a direct draw gives, copies go with their bitmap, and the
// cache keeps to its bound.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

#include "RenderTestSupport.h"
#include "ui/render/ScaledImageCache.h"

using namespace render_test;

namespace {

const RECT kNoCorner = {0, 0, 0, 0};

// Opaque, with every pixel different.
Pixel Opaque(int x, int y) {
    return MakePixel(static_cast<BYTE>(x * 37 + y * 5), static_cast<BYTE>(y * 29 + x * 3), static_cast<BYTE>(x * y), 255);
}

// Premultiplied, alpha from 0 to 255, with a transparent middle like the
// window shadow's.
Pixel Translucent(int x, int y) {
    if (x >= 4 && x < 8 && y >= 4 && y < 8) return MakePixel(0, 0, 0, 0);
    const BYTE a = static_cast<BYTE>((x * 23 + y * 19) % 256);
    return MakePixel(static_cast<BYTE>(a * x / 12), static_cast<BYTE>(a * y / 12), a / 2, a);
}

// Opaque and translucent stripes, so blends over it show their arithmetic.
void PaintBackground(ui::IRenderContext& rc) {
    for (int y = 0; y < rc.SurfaceHeight(); y += 4) {
        rc.FillColor(RECT{0, y, rc.SurfaceWidth(), y + 2}, 0xFF3060C0u);
        rc.FillColor(RECT{0, y + 2, rc.SurfaceWidth(), y + 4}, 0x80FFA040u);
    }
}

::testing::AssertionResult SamePixels(const ui::IRenderContext& a, const ui::IRenderContext& b) {
    GdiFlush();
    const size_t count = static_cast<size_t>(a.SurfaceWidth()) * a.SurfaceHeight();
    for (size_t i = 0; i < count; ++i) {
        if (std::memcmp(a.PixelData() + i * 4, b.PixelData() + i * 4, 4) != 0) {
            const int x = static_cast<int>(i % a.SurfaceWidth()), y = static_cast<int>(i / a.SurfaceWidth());
            const Pixel p = PixelAt(a, x, y), q = PixelAt(b, x, y);
            std::ostringstream text;
            text << "first difference at " << x << "," << y << ": " << int(p.r) << " " << int(p.g) << " " << int(p.b)
                 << " " << int(p.a) << " vs " << int(q.r) << " " << int(q.g) << " " << int(q.b) << " " << int(q.a);
            return ::testing::AssertionFailure() << text.str();
        }
    }
    return ::testing::AssertionSuccess();
}

// Two bitmaps with the same pixels, one registered for scaled copies.
struct ImagePair {
    ImagePair(int width, int height, const std::function<Pixel(int, int)>& make)
        : direct(MakeImage(width, height, make)), cached(MakeImage(width, height, make)) {
        ui::ScaledImageCache::Instance().Register(cached.get());
    }
    ~ImagePair() { ui::ScaledImageCache::Instance().Forget(cached.get()); }
    ui::GdiObject<HBITMAP> direct;
    ui::GdiObject<HBITMAP> cached;
};

} // namespace

TEST(ScaledImage, DrawingThroughACopyGivesTheDirectPixels) {
    ImagePair opaque(40, 30, Opaque);
    ImagePair small(7, 5, Opaque);
    ImagePair translucent(12, 12, Translucent);
    struct Case {
        const char* what;
        ImagePair* image;
        bool hasAlpha;
        RECT dest;
        RECT source;
        RECT corner;
        BYTE fade;
        bool transparent;
        bool roundClip;
        POINT origin;
    };
    // A clipped or partly hidden halftone stretch is compared separately below.
    const Case cases[] = {
        {"opaque shrunk (halftone copy)", &opaque, false, {3, 4, 26, 21}, {0, 0, 40, 30}, kNoCorner, 255, false, false, {0, 0}},
        {"opaque enlarged (halftone copy)", &small, false, {1, 2, 47, 35}, {0, 0, 7, 5}, kNoCorner, 255, false, false, {0, 0}},
        {"opaque shrunk, transparent mode, round clip, moved origin", &opaque, false, {3, 4, 26, 21}, {0, 0, 40, 30},
         kNoCorner, 255, true, true, {-4, 2}},
        {"opaque part of the image, faded", &opaque, false, {5, 2, 45, 33}, {6, 3, 31, 22}, kNoCorner, 90, false, false, {0, 0}},
        {"enlarged, transparent mode, partly off the surface", &small, false, {-9, -3, 41, 39}, {0, 0, 7, 5}, kNoCorner,
         255, true, false, {0, 0}},
        {"translucent stretched", &translucent, true, {1, 1, 38, 30}, {0, 0, 12, 12}, kNoCorner, 255, false, false, {0, 0}},
        {"translucent faded, round clip", &translucent, true, {0, 0, 45, 33}, {0, 0, 12, 12}, kNoCorner, 100, false, true, {0, 0}},
        {"nine-grid with a transparent centre", &translucent, true, {2, 2, 44, 35}, {0, 0, 12, 12}, {4, 4, 4, 4}, 255,
         false, false, {0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto direct = NewContext(48, 36);
        auto cached = NewContext(48, 36);
        for (auto* rc : {direct.get(), cached.get()}) {
            PaintBackground(*rc);
            rc->SetTransparentMode(c.transparent);
            rc->MoveOrigin(c.origin.x, c.origin.y);
            if (c.roundClip) rc->PushRoundClip(RECT{c.origin.x + 2, c.origin.y + 2, c.origin.x + 40, c.origin.y + 30}, 20, 20);
        }
        // Twice: the first draw makes the copy, the second finds it.
        for (int pass = 0; pass < 2; ++pass) {
            const RECT paint = {-100, -100, 100, 100};
            direct->BlitImage(paint, c.image->direct.get(), c.hasAlpha, c.dest, c.source, c.corner, c.fade);
            cached->BlitImage(paint, c.image->cached.get(), c.hasAlpha, c.dest, c.source, c.corner, c.fade);
            EXPECT_TRUE(SamePixels(*direct, *cached)) << "pass " << pass;
        }
    }
}

// A clip cuts the picture, it does not change it: inside the clip the pixels
// are those of the whole picture drawn unclipped, outside nothing changes.
// (A direct halftone StretchBlt under Wine rescales the visible part instead.)
TEST(ScaledImage, ClippedHalftoneStretchShowsTheWholePictureCut) {
    ImagePair opaque(40, 30, Opaque);
    const RECT source = {0, 0, 40, 30};
    auto whole = NewContext(60, 50);
    whole->BlitImage(RECT{0, 0, 60, 50}, opaque.cached.get(), false, RECT{4, 3, 56, 43}, source, kNoCorner);
    struct Case {
        int shift;   // device pixels the picture moves left of where `whole` has it
        int origin;  // window origin x
    };
    for (const Case c : {Case{0, 0}, Case{10, 7}}) {
        SCOPED_TRACE(c.shift);
        auto clipped = NewContext(60, 50);
        PaintBackground(*clipped);
        clipped->MoveOrigin(c.origin, 0);
        const RECT dest = {4 - c.shift + c.origin, 3, 56 - c.shift + c.origin, 43};
        clipped->PushRectClip(RECT{10 + c.origin, 6, 50 + c.origin, 41});
        clipped->PushRoundClip(RECT{8 + c.origin, 4, 44 + c.origin, 40}, 22, 22);
        clipped->BlitImage(dest, opaque.cached.get(), false, dest, source, kNoCorner);
        auto untouched = NewContext(60, 50);
        PaintBackground(*untouched);
        ui::GdiObject<HRGN> clip(CreateRectRgn(0, 0, 0, 0));
        ASSERT_EQ(GetClipRgn(clipped->DeviceContext(), clip.get()), 1);
        int inside = 0;
        for (int y = 0; y < 50; ++y)
            for (int x = 0; x < 60; ++x) {
                const bool shown = PtInRegion(clip.get(), x, y) != FALSE && x >= 4 - c.shift && x < 56 - c.shift;
                inside += shown;
                const Pixel expected = shown ? PixelAt(*whole, x + c.shift, y) : PixelAt(*untouched, x, y);
                ASSERT_EQ(PixelAt(*clipped, x, y), expected) << x << "," << y;
            }
        EXPECT_GT(inside, 600);
    }
}

TEST(ScaledImage, OnlyRegisteredBitmapsAreCopiedAndForgetDropsTheirCopies) {
    auto& cache = ui::ScaledImageCache::Instance();
    const size_t entries = cache.EntryCount();
    const size_t bytes = cache.BytesHeld();
    ui::GdiObject<HBITMAP> plain(MakeImage(4, 4, Opaque));
    auto rc = NewContext(32, 32);
    const RECT dest = {0, 0, 32, 32};
    rc->BlitImage(dest, plain.get(), false, dest, RECT{0, 0, 4, 4}, kNoCorner);
    EXPECT_EQ(cache.EntryCount(), entries);

    // A registered bitmap drawn at two sizes gets two copies.
    auto red = [](int, int) { return MakePixel(255, 0, 0, 255); };
    ui::GdiObject<HBITMAP> image(MakeImage(4, 4, red));
    cache.Register(image.get());
    rc->BlitImage(dest, image.get(), false, dest, RECT{0, 0, 4, 4}, kNoCorner);
    rc->BlitImage(dest, image.get(), false, RECT{0, 0, 16, 16}, RECT{0, 0, 4, 4}, kNoCorner);
    EXPECT_EQ(cache.EntryCount(), entries + 2);
    EXPECT_EQ(cache.BytesHeld(), bytes + (32 * 32 + 16 * 16) * 4);

    // Forgotten, then the same handle comes back holding other pixels, as a
    // new bitmap that reuses a freed handle value would: its own pixels show.
    cache.Forget(image.get());
    EXPECT_EQ(cache.EntryCount(), entries);
    EXPECT_EQ(cache.BytesHeld(), bytes);
    DIBSECTION section{};
    ASSERT_EQ(GetObjectW(image.get(), sizeof(section), &section), static_cast<int>(sizeof(section)));
    auto* pixels = static_cast<Pixel*>(section.dsBm.bmBits);
    for (int i = 0; i < 16; ++i) pixels[i] = MakePixel(0, 0, 255, 255);
    cache.Register(image.get());
    rc->BlitImage(dest, image.get(), false, dest, RECT{0, 0, 4, 4}, kNoCorner);
    EXPECT_EQ(PixelAt(*rc, 20, 20), MakePixel(0, 0, 255, 255));
    cache.Forget(image.get());
}

TEST(ScaledImage, CopiesStayWithinTheByteLimit) {
    auto& cache = ui::ScaledImageCache::Instance();
    ui::GdiObject<HBITMAP> image(MakeImage(8, 8, Opaque));
    cache.Register(image.get());
    auto rc = NewContext(8, 8);
    // Twelve copies of 1000 x 500 (about 2 MB each) are more than the limit holds.
    for (int i = 0; i < 12; ++i) {
        const RECT dest = {0, 0, 1000, 500 + i};
        rc->BlitImage(RECT{0, 0, 8, 8}, image.get(), false, dest, RECT{0, 0, 8, 8}, kNoCorner);
        EXPECT_LE(cache.BytesHeld(), ui::ScaledImageCache::kByteLimit);
    }
    EXPECT_GT(cache.BytesHeld(), ui::ScaledImageCache::kByteLimit / 2);
    // A copy above the size one entry may have is drawn directly, not kept.
    const size_t entries = cache.EntryCount();
    rc->BlitImage(RECT{0, 0, 8, 8}, image.get(), false, RECT{0, 0, 2000, 1200}, RECT{0, 0, 8, 8}, kNoCorner);
    EXPECT_EQ(cache.EntryCount(), entries);
    EXPECT_EQ(PixelAt(*rc, 0, 0).a, 255);
    cache.Forget(image.get());
}
