// Text drawing and measuring, read back from the surface.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "RenderTestSupport.h"
#include "ui/core/UiGlobals.h"
#include "ui/render/GdiPlusFontCache.h"
#include "ui/render/GdiHandles.h"
#include "ui/render/TextImageCache.h"

using namespace render_test;

namespace {

const wchar_t kLatin[] = L"render_test_latin";
const wchar_t kYaHei[] = L"render_test_yahei";
const wchar_t kCjkDirect[] = L"render_test_cjk_direct";
const wchar_t kNSimSun[] = L"render_test_nsimsun";

void RegisterFonts() {
    static bool done = false;
    if (done) return;
    done = true;
    ui::UiGlobals::AddNamedFont(kLatin, L"Tahoma", 20, false, false, false, false);
    ui::UiGlobals::AddNamedFont(kYaHei, L"\u5FAE\u8F6F\u96C5\u9ED1", 20, false, false, false, false);
    ui::UiGlobals::AddNamedFont(kCjkDirect, L"WenQuanYi Micro Hei", 20, false, false, false, false);
    // Mapped to the same font as the one above in the test prefix.
    ui::UiGlobals::AddNamedFont(kNSimSun, L"\u65B0\u5B8B\u4F53", 20, false, false, false, false);
}

struct Ink {
    int count = 0;
    int maxAlpha = 0;
    RECT box = {1 << 20, 1 << 20, -1, -1};
};

Ink InkOf(const ui::IRenderContext& rc) {
    Ink ink;
    for (int y = 0; y < rc.SurfaceHeight(); ++y) {
        for (int x = 0; x < rc.SurfaceWidth(); ++x) {
            const Pixel p = PixelAt(rc, x, y);
            if (p.a == 0) continue;
            ++ink.count;
            if (p.a > ink.maxAlpha) ink.maxAlpha = p.a;
            if (x < ink.box.left) ink.box.left = x;
            if (y < ink.box.top) ink.box.top = y;
            if (x + 1 > ink.box.right) ink.box.right = x + 1;
            if (y + 1 > ink.box.bottom) ink.box.bottom = y + 1;
        }
    }
    return ink;
}

class RenderText : public ::testing::Test {
protected:
    void SetUp() override { RegisterFonts(); }
};

} // namespace

TEST_F(RenderText, FullAlphaTextIsDrawnWithBrushAlpha254) {
    auto rc = NewContext(160, 40);
    rc->RenderText(RECT{0, 0, 160, 40}, L"HIH LIT", 0xFF000000u, kLatin, ui::kTextSingleLine, 255);
    const Ink ink = InkOf(*rc);
    ASSERT_GT(ink.count, 50);
    EXPECT_EQ(ink.maxAlpha, 254);
}

TEST_F(RenderText, TextColourIsStoredPremultiplied) {
    auto rc = NewContext(160, 40);
    rc->RenderText(RECT{0, 0, 160, 40}, L"HHHH", 0xFFFF0000u, kLatin, ui::kTextSingleLine, 128);
    const Ink ink = InkOf(*rc);
    ASSERT_GT(ink.count, 20);
    EXPECT_LE(ink.maxAlpha, 128);
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 160; ++x) {
            const Pixel p = PixelAt(*rc, x, y);
            ASSERT_LE(p.r, p.a) << x << "," << y;
            ASSERT_EQ(p.g, 0);
        }
    }
}

TEST_F(RenderText, EmptyTextAndClippedText) {
    auto rc = NewContext(200, 60);
    rc->RenderText(RECT{0, 0, 200, 60}, L"", 0xFF000000u, kLatin, 0);
    EXPECT_EQ(InkOf(*rc).count, 0);
    // Without the no-clip flag nothing leaves the rectangle.
    rc->RenderText(RECT{10, 10, 40, 30}, L"WWWWWWWWWWWW", 0xFF000000u, kLatin, ui::kTextSingleLine);
    const Ink ink = InkOf(*rc);
    ASSERT_GT(ink.count, 0);
    EXPECT_GE(ink.box.left, 10);
    EXPECT_LE(ink.box.right, 40);
    EXPECT_LE(ink.box.bottom, 30);
}

TEST_F(RenderText, AlignmentFlagsPlaceTheText) {
    const RECT box = {0, 0, 300, 80};
    auto left = NewContext(300, 80);
    left->RenderText(box, L"Mid", 0xFF000000u, kLatin, ui::kTextSingleLine);
    auto centred = NewContext(300, 80);
    centred->RenderText(box, L"Mid", 0xFF000000u, kLatin, ui::kTextSingleLine | ui::kTextCenter | ui::kTextVCenter);
    auto farAligned = NewContext(300, 80);
    farAligned->RenderText(box, L"Mid", 0xFF000000u, kLatin, ui::kTextSingleLine | ui::kTextRight | ui::kTextBottom);

    const Ink l = InkOf(*left), c = InkOf(*centred), f = InkOf(*farAligned);
    ASSERT_GT(l.count, 0);
    EXPECT_LT(l.box.left, 10);
    EXPECT_LT(l.box.top, 20);
    EXPECT_NEAR((c.box.left + c.box.right) / 2, 150, 6);
    EXPECT_NEAR((c.box.top + c.box.bottom) / 2, 40, 8);
    EXPECT_GT(f.box.right, 285);
    EXPECT_GT(f.box.bottom, 60);
}

TEST_F(RenderText, ChineseTextUsesTheChineseFace) {
    auto first = NewContext(120, 40);
    first->RenderText(RECT{0, 0, 120, 40}, L"\u6D4B\u8BD5", 0xFF000000u, kYaHei, ui::kTextSingleLine);
    auto second = NewContext(120, 40);
    second->RenderText(RECT{0, 0, 120, 40}, L"\u6587\u5B57", 0xFF000000u, kYaHei, ui::kTextSingleLine);
    ASSERT_GT(InkOf(*first).count, 50);
    // Real glyphs differ; missing-glyph boxes would be identical.
    GdiFlush();
    EXPECT_NE(std::memcmp(first->PixelData(), second->PixelData(), 120 * 40 * 4), 0);

    // The face named in Chinese resolves to the same font as its replacement.
    const RECT viaChineseName = first->MeasureTextBox(L"\u6D4B\u8BD5abc", kYaHei, ui::kTextSingleLine);
    const RECT direct = first->MeasureTextBox(L"\u6D4B\u8BD5abc", kCjkDirect, ui::kTextSingleLine);
    EXPECT_EQ(viaChineseName.right, direct.right);
    EXPECT_EQ(viaChineseName.bottom, direct.bottom);
}

TEST_F(RenderText, CentredNSimSunSitsOnePixelLower) {
    const RECT tall = {0, 0, 120, 60};
    auto top = [&](const wchar_t* font, UINT format) {
        auto rc = NewContext(120, 62);
        rc->RenderText(tall, L"\u6D4B\u8BD5", 0xFF000000u, font, format);
        return InkOf(*rc).box.top;
    };
    const UINT centred = ui::kTextSingleLine | ui::kTextVCenter;
    EXPECT_EQ(top(kNSimSun, centred), top(kCjkDirect, centred) + 1);
    EXPECT_EQ(top(kNSimSun, ui::kTextSingleLine), top(kCjkDirect, ui::kTextSingleLine));
}

TEST_F(RenderText, MeasureSingleLineIgnoresAZeroWidthLimit) {
    auto rc = NewContext(10, 10);
    const std::wstring text = L"several words that would wrap";
    const RECT unlimited = rc->MeasureTextBox(text, kLatin, ui::kTextSingleLine, -1);
    const RECT zero = rc->MeasureTextBox(text, kLatin, ui::kTextSingleLine, 0);
    EXPECT_GT(unlimited.right, 100);
    EXPECT_EQ(zero.right, unlimited.right);
    EXPECT_EQ(zero.bottom, unlimited.bottom);

    // Without single line a narrow limit wraps into several lines.
    const RECT wrapped = rc->MeasureTextBox(text, kLatin, 0, 80);
    EXPECT_LE(wrapped.right, 81);
    EXPECT_GT(wrapped.bottom, 2 * (unlimited.bottom - 1) - 2);
}

// The fonts kept for drawing: one per logical font, whatever its face-name
// buffer holds after the terminator, a new one for any other field, and no
// more than the limit.
TEST_F(RenderText, FontsAreKeptOnePerLogicalFontWithinTheLimit) {
    auto& fonts = ui::GdiPlusFontCache::Instance();
    fonts.Clear();
    auto rc = NewContext(200, 40);
    HDC dc = rc->DeviceContext();
    LOGFONTW tahoma{};
    tahoma.lfHeight = -20;
    tahoma.lfWeight = FW_NORMAL;
    wcscpy(tahoma.lfFaceName, L"Tahoma");
    LOGFONTW sameWithLeftovers = tahoma;
    for (int i = 7; i < LF_FACESIZE; ++i) sameWithLeftovers.lfFaceName[i] = L'x';
    LOGFONTW taller = tahoma;
    taller.lfHeight = -30;
    LOGFONTW bold = tahoma;
    bold.lfWeight = FW_BOLD;

    const auto first = fonts.Find(dc, tahoma);
    ASSERT_TRUE(first);
    EXPECT_EQ(fonts.Find(dc, sameWithLeftovers), first);
    const auto tallFont = fonts.Find(dc, taller);
    const auto boldFont = fonts.Find(dc, bold);
    ASSERT_TRUE(tallFont && boldFont);
    EXPECT_NE(tallFont, first);
    EXPECT_NE(boldFont, first);
    EXPECT_NE(tallFont, boldFont);
    EXPECT_EQ(fonts.FontCount(), 3u);
    EXPECT_GT(tallFont->GetSize(), first->GetSize());

    // Many more sizes: the least recently used go, the count stays bounded.
    for (int height = 40; height < 40 + static_cast<int>(ui::GdiPlusFontCache::kFontLimit) + 5; ++height) {
        LOGFONTW each = tahoma;
        each.lfHeight = -height;
        ASSERT_TRUE(fonts.Find(dc, each));
    }
    EXPECT_EQ(fonts.FontCount(), ui::GdiPlusFontCache::kFontLimit);
    EXPECT_NE(fonts.Find(dc, tahoma), first);

    // Emptied (as when GDI+ ends), text is still drawn with a font made anew.
    fonts.Clear();
    EXPECT_EQ(fonts.FontCount(), 0u);
    rc->RenderText(RECT{0, 0, 200, 40}, L"Text", 0xFF000000u, kLatin, 0, 255, false);
    EXPECT_GT(InkOf(*rc).count, 20);
    EXPECT_EQ(fonts.FontCount(), 1u);
}

namespace {

// Opaque and translucent stripes (premultiplied), for blends to show.
render_test::Pixel Stripes(int x, int y) {
    if ((y / 3) % 2 == 0) return MakePixel(static_cast<BYTE>(x * 3), 90, 200, 255);
    return MakePixel(40, static_cast<BYTE>(x % 120), 20, 120);
}

// What GDI+ draws itself for a label: the context's string format, the
// font of the record, the colour's alpha capped at 254, over `pixels`.
void ReferenceText(std::vector<Pixel>& pixels, int width, int height, const RECT& box, const wchar_t* text,
                   const wchar_t* fontId, DWORD argb, UINT format) {
    Gdiplus::Bitmap bitmap(width, height, width * 4, PixelFormat32bppPARGB, reinterpret_cast<BYTE*>(pixels.data()));
    Gdiplus::Graphics graphics(&bitmap);
    LOGFONTW logFont{};
    ASSERT_EQ(GetObjectW(ui::UiGlobals::GetFontRecord(fontId)->Handle(), sizeof(logFont), &logFont),
              static_cast<int>(sizeof(logFont)));
    HDC screen = GetDC(nullptr);
    Gdiplus::Font font(screen, &logFont);
    ReleaseDC(nullptr, screen);
    std::unique_ptr<Gdiplus::StringFormat> stringFormat(Gdiplus::StringFormat::GenericTypographic()->Clone());
    INT flags = 0;
    if (format & ui::kTextNoClip) flags |= Gdiplus::StringFormatFlagsNoClip;
    if (format & ui::kTextSingleLine) flags |= Gdiplus::StringFormatFlagsNoWrap;
    stringFormat->SetFormatFlags(flags);
    if (format & ui::kTextEndEllipsis) stringFormat->SetTrimming(Gdiplus::StringTrimmingEllipsisCharacter);
    stringFormat->SetAlignment(format & ui::kTextCenter ? Gdiplus::StringAlignmentCenter
                                                        : Gdiplus::StringAlignmentNear);
    stringFormat->SetLineAlignment(format & ui::kTextVCenter ? Gdiplus::StringAlignmentCenter
                                                             : Gdiplus::StringAlignmentNear);
    const DWORD alpha = (argb >> 24) == 255 ? 254 : (argb >> 24);
    Gdiplus::SolidBrush brush{Gdiplus::Color((alpha << 24) | (argb & 0xFFFFFF))};
    const Gdiplus::RectF layout(static_cast<Gdiplus::REAL>(box.left), static_cast<Gdiplus::REAL>(box.top),
                                static_cast<Gdiplus::REAL>(box.right - box.left),
                                static_cast<Gdiplus::REAL>(box.bottom - box.top));
    ASSERT_EQ(graphics.DrawString(text, -1, &font, layout, stringFormat.get(), &brush), Gdiplus::Ok);
}

} // namespace

// Labels are drawn from kept pictures of their text: the pixels are GDI+'s
// own, at most a rounding step apart over other content, exact over nothing;
// an unclipped label keeps the parts that reach past its box, and a label
// drawn again (from the picture) looks the same.
TEST_F(RenderText, KeptTextPicturesLookLikeGdiplusDrawing) {
    constexpr int kWidth = 160, kHeight = 60;
    struct Case {
        const char* what;
        RECT box;
        const wchar_t* text;
        DWORD argb;
        UINT format;
        bool background;
    };
    const UINT label = ui::kTextSingleLine | ui::kTextNoClip | ui::kTextEndEllipsis;
    const Case cases[] = {
        {"label over nothing", {10, 10, 150, 40}, L"Start game", 0xFFFFFFFFu, label, false},
        {"label cut with an ellipsis, box lower than the line", {12, 20, 90, 30}, L"Adventure awaits you here",
         0xFFFFA500u, label, true},
        {"clipped, centred, translucent", {5, 5, 155, 55}, L"Download", 0x80FFFFFFu,
         ui::kTextSingleLine | ui::kTextCenter | ui::kTextVCenter, true},
    };
    const auto picturesBefore = ui::TextImageCache::Instance().EntryCount();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<Pixel> expected(kWidth * kHeight);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) expected[y * kWidth + x] = c.background ? Stripes(x, y) : Pixel{};
        const std::vector<Pixel> before = expected;
        ReferenceText(expected, kWidth, kHeight, c.box, c.text, kLatin, c.argb, c.format);
        int changed = 0, outside = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                if (expected[y * kWidth + x] == before[y * kWidth + x]) continue;
                ++changed;
                const POINT point = {x, y};
                outside += !PtInRect(&c.box, point);
            }
        ASSERT_GT(changed, 50);
        auto rc = NewContext(kWidth, kHeight);
        ui::GdiObject<HBITMAP> image(MakeImage(kWidth, kHeight, [&](int x, int y) { return before[y * kWidth + x]; }));
        for (int pass = 0; pass < 2; ++pass) {
            ui::MemoryDC dc(rc->DeviceContext());
            {
                ui::SelectionGuard selected(dc.get(), image.get());
                rc->CopyFrom(0, 0, kWidth, kHeight, dc.get(), 0, 0);
            }
            rc->RenderText(c.box, c.text, c.argb, kLatin, c.format);
            GdiFlush();
            const int tolerance = c.background ? 2 : 0;
            for (int y = 0; y < kHeight; ++y)
                for (int x = 0; x < kWidth; ++x) {
                    const Pixel got = PixelAt(*rc, x, y), want = expected[y * kWidth + x];
                    ASSERT_LE(std::abs(got.r - want.r), tolerance) << x << "," << y << " pass " << pass;
                    ASSERT_LE(std::abs(got.g - want.g), tolerance) << x << "," << y << " pass " << pass;
                    ASSERT_LE(std::abs(got.b - want.b), tolerance) << x << "," << y << " pass " << pass;
                    ASSERT_LE(std::abs(got.a - want.a), tolerance) << x << "," << y << " pass " << pass;
                }
        }
        if (!(c.format & ui::kTextNoClip)) {
            EXPECT_EQ(outside, 0);
        } else if (c.box.bottom - c.box.top < 20) {
            EXPECT_GT(outside, 0);  // the part past the box was kept
        }
    }
    EXPECT_GT(ui::TextImageCache::Instance().EntryCount(), picturesBefore);
}
