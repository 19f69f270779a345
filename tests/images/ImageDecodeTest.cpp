#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ImageTestSupport.h"
#include "support/TestFiles.h"
#include "ui/control/ImageInfo.h"
#include "ui/control/ImageSlot.h"
#include "ui/core/UiGlobals.h"
#include "ui/render/RenderContext_GdiPlus.h"
#include "ui/render/ScaledImageCache.h"

namespace {

using images_test::DataPath;

std::vector<char> ReadBytes(const std::wstring& name) {
    const std::string bytes = testsupport::ReadWholeFile(DataPath(name));
    return std::vector<char>(bytes.begin(), bytes.end());
}

// The pixels of a bitmap as 32-bit BGRA words, top row first; empty when GDI
// cannot read them.
std::vector<std::uint32_t> PixelsOf(HBITMAP bitmap, int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
    HDC screen = GetDC(nullptr);
    const int rows = GetDIBits(screen, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (rows != height) pixels.clear();
    return pixels;
}

TEST(ImageDecode, AnimatedGifKeepsEveryFrameAndItsDelay) {
    struct Case {
        const wchar_t* name;
        std::vector<std::int32_t> delays;
    };
    for (const Case& c : {Case{L"delay2.gif", {2, 2, 2}}, Case{L"delay4.gif", {4, 4, 4}},
                          Case{L"delay0.gif", {0, 0, 0}}, Case{L"mixed.gif", {4, 4, 2, 0}}}) {
        SCOPED_TRACE(c.name);
        std::vector<char> bytes = ReadBytes(c.name);
        ASSERT_FALSE(bytes.empty());
        auto image = ui::ImageInfo::DecodeFromMemory(bytes.data(), bytes.size());
        ASSERT_TRUE(image);
        EXPECT_EQ(image->Width(), 8);
        EXPECT_EQ(image->Height(), 6);
        ASSERT_EQ(image->FrameCount(), c.delays.size());
        EXPECT_EQ(image->DelayTable(), c.delays);
        for (std::size_t i = 0; i < image->FrameCount(); ++i)
            EXPECT_NE(image->FrameBitmap(i), nullptr);
        EXPECT_EQ(image->FrameBitmap(image->FrameCount()), nullptr);
    }
}

TEST(ImageDecode, FramesHoldTheirOwnPixels) {
    auto image = ui::ImageInfo::DecodeFromFile(DataPath(L"delay2.gif"));
    ASSERT_TRUE(image);
    ASSERT_EQ(image->FrameCount(), 3u);
    // Frame colours red, green, blue (BGRA in memory).
    const std::uint32_t expected[] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu};
    HDC screen = GetDC(nullptr);
    for (std::size_t i = 0; i < 3; ++i) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = 8;
        info.bmiHeader.biHeight = -6;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        std::uint32_t pixels[48] = {};
        ASSERT_EQ(GetDIBits(screen, image->FrameBitmap(i), 0, 6, pixels, &info, DIB_RGB_COLORS), 6);
        EXPECT_EQ(pixels[20] | 0xFF000000u, expected[i]) << "frame " << i;
    }
    ReleaseDC(nullptr, screen);
}

// Frames are converted when asked for, in whatever order: each shows its own
// colour, and only the frames asked for are held.
TEST(ImageDecode, AnimationFramesAreConvertedWhenAskedForInAnyOrder) {
    auto image = ui::ImageInfo::DecodeFromFile(DataPath(L"delay2.gif"));
    ASSERT_TRUE(image);
    ASSERT_EQ(image->FrameCount(), 3u);
    EXPECT_EQ(image->ConvertedFrameCount(), 1u);  // the first, for the first paint
    const std::uint32_t colours[] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu};
    for (std::size_t index : {2u, 0u, 2u, 1u, 0u}) {
        SCOPED_TRACE(index);
        const std::vector<std::uint32_t> pixels = PixelsOf(image->FrameBitmap(index), 8, 6);
        ASSERT_EQ(pixels.size(), 48u);
        EXPECT_EQ(pixels[20] | 0xFF000000u, colours[index]);
    }
    EXPECT_EQ(image->ConvertedFrameCount(), 3u);
    EXPECT_EQ(image->FrameBitmap(3), nullptr);
}

TEST(ImageDecode, HasAlphaRules) {
    struct Case {
        const wchar_t* name;
        bool hasAlpha;
    };
    // 32-bit images are scanned: only a pixel below 255 counts. Formats
    // without alpha never have it; an indexed image follows its palette.
    for (const Case& c : {Case{L"translucent.png", true}, Case{L"opaque_rgba.png", false}, Case{L"rgb.png", false},
                          Case{L"still.gif", false}, Case{L"transparent.gif", true}}) {
        SCOPED_TRACE(c.name);
        auto image = ui::ImageInfo::DecodeFromFile(DataPath(c.name));
        ASSERT_TRUE(image);
        EXPECT_EQ(image->FrameCount(), 1u);
        EXPECT_TRUE(image->DelayTable().empty());
        EXPECT_EQ(image->HasAlpha(), c.hasAlpha);
    }
}

TEST(ImageDecode, TranslucentPixelsArePremultipliedForBlending) {
    auto image = ui::ImageInfo::DecodeFromFile(DataPath(L"translucent.png"));
    ASSERT_TRUE(image);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 4;
    info.bmiHeader.biHeight = -4;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    std::uint32_t pixels[16] = {};
    HDC screen = GetDC(nullptr);
    const int rows = GetDIBits(screen, image->FrameBitmap(0), 0, 4, pixels, &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    ASSERT_EQ(rows, 4);
    // (10, 20, 30) at alpha 128 is stored as (5, 10, 15, 128); opaque pixels unchanged.
    const std::uint32_t half = pixels[2 * 4 + 1];
    EXPECT_EQ(half >> 24, 128u);
    EXPECT_NEAR(static_cast<int>((half >> 16) & 0xFF), 5, 1);
    EXPECT_NEAR(static_cast<int>((half >> 8) & 0xFF), 10, 1);
    EXPECT_NEAR(static_cast<int>(half & 0xFF), 15, 1);
    EXPECT_EQ(pixels[0], 0xFF0A141Eu);
}

TEST(ImageDecode, BadInputGivesNoImage) {
    const char junk[] = "GIF89a this is not really an image";
    EXPECT_FALSE(ui::ImageInfo::DecodeFromMemory(junk, sizeof(junk)));
    EXPECT_FALSE(ui::ImageInfo::DecodeFromMemory(nullptr, 10));
    EXPECT_FALSE(ui::ImageInfo::DecodeFromMemory(junk, 0));
    EXPECT_FALSE(ui::ImageInfo::DecodeFromFile(DataPath(L"missing.png")));
    std::vector<char> cut = ReadBytes(L"delay2.gif");
    cut.resize(20);
    EXPECT_FALSE(ui::ImageInfo::DecodeFromMemory(cut.data(), cut.size()));
}

TEST(ImageDecode, PlaybackDelayOfAFrame) {
    EXPECT_EQ(ui::FramePlaybackDelayMs(0), 0);
    EXPECT_EQ(ui::FramePlaybackDelayMs(1), 100);
    EXPECT_EQ(ui::FramePlaybackDelayMs(2), 100);
    EXPECT_EQ(ui::FramePlaybackDelayMs(3), 50);
    EXPECT_EQ(ui::FramePlaybackDelayMs(4), 50);
    EXPECT_EQ(ui::FramePlaybackDelayMs(5), 50);
    EXPECT_EQ(ui::FramePlaybackDelayMs(7), 70);
    EXPECT_EQ(ui::FramePlaybackDelayMs(-3), 0);
    EXPECT_EQ(ui::FramePlaybackDelayMs(0x7FFFFFFF), 0x7FFFFFFF);
}

// Counts the decodes the shared cache asks for.
class ImageCache : public ::testing::Test {
protected:
    void SetUp() override {
        ui::UiGlobals::CloseSkinArchive();
        ui::RegisterImageDecoder();
        ui::UiGlobals::SetImageDecoder([this](const std::wstring& path, const void* bytes, std::size_t size) {
            ++decodes_;
            return ui::DecodeImageForCache(path, bytes, size);
        });
    }
    void TearDown() override { ui::RegisterImageDecoder(); }

    int decodes_ = 0;
};

TEST_F(ImageCache, TwoSlotsShareOneDecodeUntilBothRelease) {
    const std::size_t before = ui::UiGlobals::CachedImageCount();
    ui::ImageSlot first;
    ui::ImageSlot second;
    first.AssignImageString(L"rgb.png");
    second.AssignImageString(L"file='rgb.png' dest='0,0,5,3'");
    ASSERT_TRUE(first.Resolve(images_test::DataFolder()));
    ASSERT_TRUE(second.Resolve(images_test::DataFolder()));
    EXPECT_EQ(first.image, second.image);
    EXPECT_EQ(decodes_, 1);
    EXPECT_EQ(ui::UiGlobals::CachedImageCount(), before + 1);
    // Resolving again keeps the loaded image.
    ASSERT_TRUE(first.Resolve(images_test::DataFolder()));
    EXPECT_EQ(decodes_, 1);

    std::weak_ptr<ui::ImageInfo> watch = first.image;
    first.ReleaseImage();
    EXPECT_FALSE(watch.expired());
    second.AssignImageString(L"other.png");
    EXPECT_TRUE(watch.expired());
    EXPECT_EQ(ui::UiGlobals::CachedImageCount(), before);

    first.AssignImageString(L"rgb.png");
    ASSERT_TRUE(first.Resolve(images_test::DataFolder()));
    EXPECT_EQ(decodes_, 2);
}

// Drawn stretched, a decoded image leaves a scaled copy behind; releasing
// the image drops it, and the image that replaces it (same size, maybe the
// same bitmap handle value) shows its own pixels.
TEST_F(ImageCache, ScaledCopiesGoWithTheImageAndAReplacementShowsItsOwnPixels) {
    auto& copies = ui::ScaledImageCache::Instance();
    const std::size_t before = copies.EntryCount();
    ui::RenderContext_GdiPlus context;
    ASSERT_TRUE(context.ResizeSurface(16, 16));
    const RECT dest = {0, 0, 16, 16};
    auto drawStretched = [&](ui::ImageSlot& slot) {
        ASSERT_TRUE(slot.Resolve(images_test::DataFolder()));
        context.BlitImage(dest, slot.CurrentFrameBitmap(), slot.image->HasAlpha(), dest, RECT{0, 0, 4, 4},
                          RECT{0, 0, 0, 0});
        GdiFlush();
    };
    auto centre = [&] { return reinterpret_cast<const std::uint32_t*>(context.PixelData())[8 * 16 + 8]; };

    ui::ImageSlot slot;
    slot.AssignImageString(L"red.png");
    drawStretched(slot);
    EXPECT_EQ(centre(), 0xFFFF0000u);
    EXPECT_EQ(copies.EntryCount(), before + 1);

    slot.AssignImageString(L"green.png");  // the red image is released here
    EXPECT_EQ(copies.EntryCount(), before);
    drawStretched(slot);
    EXPECT_EQ(centre(), 0xFF00FF00u);
    slot.ReleaseImage();
    EXPECT_EQ(copies.EntryCount(), before);
}

TEST_F(ImageCache, FailedLoadClearsTheFileAndIsNotRetried) {
    ui::ImageSlot slot;
    slot.AssignImageString(L"file='missing.png' fade='3'");
    EXPECT_FALSE(slot.Resolve(images_test::DataFolder()));
    EXPECT_TRUE(slot.attributes.file.empty());
    EXPECT_TRUE(slot.attributes.attributeString.empty());
    EXPECT_EQ(slot.attributes.fade, 255);
    const int attempts = decodes_;
    EXPECT_FALSE(slot.Resolve(images_test::DataFolder()));
    EXPECT_EQ(decodes_, attempts);
}

TEST(ImageArchive, AnimatedSkinImageLoadsFromTheEmbeddedArchive) {
    ASSERT_TRUE(ui::UiGlobals::OpenSkinArchive(""));
    ui::ImageSlot slot;
    slot.AssignImageString(L"file='loading.gif'");
    ASSERT_TRUE(slot.Resolve(L"resources\\themes\\default\\basic\\"));
    EXPECT_EQ(slot.image->Width(), 360);
    EXPECT_EQ(slot.image->Height(), 240);
    ASSERT_EQ(slot.image->FrameCount(), 96u);
    for (std::int32_t delay : slot.image->DelayTable())
        EXPECT_EQ(delay, 3);
    // Played through twice, as the animation does, then a few frames out of
    // order: every frame shows the same pixels each time, and never more
    // than a few frames are held as bitmaps.
    const ui::ImageInfo& image = *slot.image;
    std::vector<std::vector<std::uint32_t>> seen(image.FrameCount());
    std::vector<std::size_t> order;
    for (int pass = 0; pass < 2; ++pass)
        for (std::size_t i = 0; i < image.FrameCount(); ++i) order.push_back(i);
    for (std::size_t i : {50u, 3u, 95u, 0u, 50u, 49u}) order.push_back(i);
    for (std::size_t index : order) {
        SCOPED_TRACE(index);
        std::vector<std::uint32_t> pixels = PixelsOf(image.FrameBitmap(index), 360, 240);
        ASSERT_EQ(pixels.size(), 360u * 240u);
        if (seen[index].empty())
            seen[index] = std::move(pixels);
        else
            ASSERT_TRUE(pixels == seen[index]);
        ASSERT_LE(image.ConvertedFrameCount(), ui::ImageInfo::kConvertedFrameLimit);
    }
    // The frames differ from one another (a spinner turns), so the checks
    // above compared real frames.
    EXPECT_FALSE(seen[0] == seen[1]);
    EXPECT_FALSE(seen[1] == seen[48]);
    // A path climbing out of the window folder finds the sibling folder's member.
    ui::ImageSlot shadow;
    shadow.AssignImageString(L"..\\public\\bk\\bk_shadow.png");
    EXPECT_TRUE(shadow.Resolve(L"resources\\themes\\default\\basic\\"));
    slot.ReleaseImage();
    shadow.ReleaseImage();
    ui::UiGlobals::CloseSkinArchive();
}

} // namespace
