#include <gtest/gtest.h>

#include "ImageTestSupport.h"
#include "ui/control/ImageDrawing.h"
#include "ui/render/RenderContext_GdiPlus.h"

namespace {

using images_test::FakeHost;

class ImageDraw : public ::testing::Test {
protected:
    void SetUp() override {
        host.rect = RECT{0, 0, 40, 40};
        host.paint = host.rect;
        ASSERT_TRUE(context.ResizeSurface(40, 40));
        context.ClearSurface();
    }

    std::uint32_t Pixel(int x, int y) const {
        const auto* pixels = reinterpret_cast<const std::uint32_t*>(context.PixelData());
        return pixels[y * context.SurfaceWidth() + x];
    }
    std::uint32_t Rgb(int x, int y) const { return Pixel(x, y) & 0x00FFFFFFu; }
    int Green(int x, int y) const { return (Pixel(x, y) >> 8) & 0xFF; }

    FakeHost host;
    ui::RenderContext_GdiPlus context;
};

TEST_F(ImageDraw, NineGridCornersStayWhileEdgesAndCentreStretch) {
    ui::ImageSlot slot;
    slot.AssignImageString(L"file='grid.png' dest='4,4,24,24' corner='2,2,2,2'");
    ASSERT_TRUE(ui::DrawImageOver(host, context, slot));
    // Corners are copied 1:1, each 2 x 2 pixels.
    EXPECT_EQ(Rgb(4, 4), 0xFF0000u);
    EXPECT_EQ(Rgb(5, 5), 0xFF0000u);
    EXPECT_EQ(Rgb(6, 6), 0xFFFFFFu);
    EXPECT_EQ(Rgb(23, 4), 0x0000FFu);
    EXPECT_EQ(Rgb(4, 23), 0xFF00FFu);
    EXPECT_EQ(Rgb(23, 23), 0x000000u);
    EXPECT_EQ(Pixel(23, 23) >> 24, 0xFFu);
    // Edges stretch along their length, the centre in both directions.
    EXPECT_EQ(Rgb(14, 4), 0x00FF00u);
    EXPECT_EQ(Rgb(14, 5), 0x00FF00u);
    EXPECT_EQ(Rgb(4, 14), 0xFFFF00u);
    EXPECT_EQ(Rgb(22, 14), 0x00FFFFu);
    EXPECT_EQ(Rgb(14, 22), 0x808080u);
    EXPECT_EQ(Rgb(14, 14), 0xFFFFFFu);
    // Nothing outside the destination.
    EXPECT_EQ(Pixel(3, 3), 0u);
    EXPECT_EQ(Pixel(24, 24), 0u);
}

TEST_F(ImageDraw, SourceAndDestAreRelativeToTheControl) {
    host.rect = RECT{10, 10, 30, 30};
    ui::ImageSlot slot;
    slot.AssignImageString(L"file='grid.png' source='4,0,6,2' dest='2,2,8,8'");
    ASSERT_TRUE(ui::DrawImageOver(host, context, slot));
    EXPECT_EQ(Rgb(12, 12), 0x0000FFu);
    EXPECT_EQ(Rgb(17, 17), 0x0000FFu);
    EXPECT_EQ(Pixel(11, 11), 0u);
    EXPECT_EQ(Pixel(18, 18), 0u);

    // Without dest the whole control is covered; a modify string changes
    // this draw only.
    context.ClearSurface();
    ASSERT_TRUE(ui::DrawImageOver(host, context, slot, L"dest='0,0,20,20'"));
    EXPECT_EQ(Rgb(10, 10), 0x0000FFu);
    EXPECT_EQ(Rgb(29, 29), 0x0000FFu);
    EXPECT_EQ(Pixel(30, 30), 0u);
    EXPECT_EQ(slot.attributes.dest.right, 8);
}

TEST_F(ImageDraw, FadeAndItsOverride) {
    ui::ImageSlot slot;
    slot.AssignImageString(L"file='green.png' fade='128'");
    ASSERT_TRUE(ui::DrawImageOver(host, context, slot));
    EXPECT_NEAR(Green(20, 20), 128, 2);
    EXPECT_NEAR(static_cast<int>(Pixel(20, 20) >> 24), 128, 2);
    context.ClearSurface();
    // Full opacity: a plain stretched copy (the alpha byte is the render
    // layer's business then).
    ASSERT_TRUE(ui::DrawImageOver(host, context, slot, {}, 255));
    EXPECT_EQ(Rgb(20, 20), 0x00FF00u);
}

TEST_F(ImageDraw, NothingForAnEmptyOrMissingFile) {
    ui::ImageSlot empty;
    EXPECT_FALSE(ui::DrawImageOver(host, context, empty));
    ui::ImageSlot missing;
    missing.AssignImageString(L"missing.png");
    EXPECT_FALSE(ui::DrawImageOver(host, context, missing));
    EXPECT_TRUE(missing.attributes.file.empty());
    EXPECT_EQ(Pixel(20, 20), 0u);
}

class StateImages : public ImageDraw {
protected:
    void Paint(int state, bool hotFade, int hotAlpha) {
        context.ClearSurface();
        ui::PaintStateImageSet(host, context, images, state, hotFade, hotAlpha);
    }
    ui::StateImageSet images;
};

TEST_F(StateImages, MissingStateImagesFallBack) {
    images[ui::kStateNormal].AssignImageString(L"red.png");
    images[ui::kStateHot].AssignImageString(L"file='green.png' fade='100'");
    // Pushed without its own image shows the hot image fully opaque, and the
    // hot image keeps its fade for the hot state.
    Paint(ui::kStatePushed, false, 0);
    EXPECT_EQ(Rgb(5, 5), 0x00FF00u);
    EXPECT_EQ(images[ui::kStateHot].attributes.fade, 100);
    Paint(ui::kStateHot, false, 0);
    EXPECT_NEAR(Green(5, 5), 100, 2);
    Paint(ui::kStateDisabled, false, 0);
    EXPECT_EQ(Rgb(5, 5), 0xFF0000u);

    images.erase(ui::kStateHot);
    Paint(ui::kStateHot, false, 0);
    EXPECT_EQ(Rgb(5, 5), 0xFF0000u);
    Paint(ui::kStatePushed, false, 0);
    EXPECT_EQ(Rgb(5, 5), 0xFF0000u);
}

TEST_F(StateImages, HotFadeBlendsNormalAndHot) {
    images[ui::kStateNormal].AssignImageString(L"red.png");
    images[ui::kStateHot].AssignImageString(L"green.png");
    Paint(ui::kStateNormal, true, 0);
    EXPECT_EQ(Rgb(5, 5), 0xFF0000u);
    Paint(ui::kStateHot, true, 255);
    EXPECT_EQ(Rgb(5, 5), 0x00FF00u);
    Paint(ui::kStateHot, true, 128);
    EXPECT_NEAR(Green(5, 5), 128, 2);
    EXPECT_NEAR(static_cast<int>((Pixel(5, 5) >> 16) & 0xFF), 127, 2);
}

TEST_F(StateImages, SameFileInBothStatesIsDrawnOnceAtTheBlendedFade) {
    images[ui::kStateNormal].AssignImageString(L"file='green.png' fade='100'");
    images[ui::kStateHot].AssignImageString(L"file='green.png' fade='200'");
    // trunc(200 * h + 100 * (1 - h)) with h = 128 / 255 is 150; drawing the
    // two images on top of each other would give about 160.
    Paint(ui::kStateHot, true, 128);
    EXPECT_NEAR(Green(5, 5), 150, 2);
}

} // namespace
