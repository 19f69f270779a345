#include <gtest/gtest.h>

#include <cstdlib>

#include "LauncherSkinFixture.h"
#include "render/RenderTestSupport.h"

using builder_test::LauncherSkin;
using render_test::Pixel;
using render_test::PixelAt;

namespace {

std::unique_ptr<ui::IRenderContext> PaintCard(ui::Control& card, const RECT& surface) {
    auto rc = render_test::NewContext(surface.right, surface.bottom);
    card.PaintWithEffects(*rc, card.Position());
    return rc;
}

bool Untouched(const Pixel& p) { return p.r == 0 && p.g == 0 && p.b == 0 && p.a == 0; }

int BrightPixels(const ui::IRenderContext& rc, const RECT& rect) {
    int count = 0;
    for (int y = rect.top; y < rect.bottom; ++y)
        for (int x = rect.left; x < rect.right; ++x) {
            const Pixel p = PixelAt(rc, x, y);
            if (p.r > 200 && p.g > 200 && p.b > 200) ++count;
        }
    return count;
}

} // namespace

TEST_F(LauncherSkin, PaintedCardIsRoundedDarkenedAndLabelled) {
    builder_test::SkinHost* host = CreateHost();
    ASSERT_NE(host, nullptr);
    host->FindInWindow(L"gamectrl")->SetShown(true);
    LayOut(*host);
    RECT client{};
    ::GetClientRect(hwnd_, &client);
    auto* card = dynamic_cast<ui::Box*>(host->FindInWindow(L"game1_box"));
    ASSERT_NE(card, nullptr);
    const RECT c = card->Position();
    auto painted = PaintCard(*card, client);

    // Outside the 45 x 45 corner ellipses nothing is drawn.
    for (POINT corner : {POINT{c.left + 1, c.top + 1}, POINT{c.right - 2, c.top + 1}, POINT{c.left + 1, c.bottom - 2},
                         POINT{c.right - 2, c.bottom - 2}})
        EXPECT_TRUE(Untouched(PixelAt(*painted, corner.x, corner.y))) << corner.x << "," << corner.y;
    EXPECT_FALSE(Untouched(PixelAt(*painted, (c.left + c.right) / 2, c.top + 1))) << "the edge between the corners";
    EXPECT_TRUE(Untouched(PixelAt(*painted, c.left - 1, c.top + 75))) << "nothing outside the card";

    // The background picture shows through the translucent black overlay:
    // without the overlay the same place is about twice as bright.
    ui::Control* backimg = card->FindByName(L"Backimg");
    ASSERT_NE(backimg, nullptr);
    backimg->SetColorForState(ui::kStateNormal, L"");
    auto bare = PaintCard(*card, client);
    const int cx = c.left + 220, cy = c.top + 75;
    const Pixel dark = PixelAt(*painted, cx, cy);
    const Pixel light = PixelAt(*bare, cx, cy);
    EXPECT_LT(light.r + light.g + light.b, 3 * 200) << "the picture, not the card's white";
    for (auto channel : {std::make_pair(dark.r, light.r), std::make_pair(dark.g, light.g),
                         std::make_pair(dark.b, light.b)})
        EXPECT_NEAR(channel.first, channel.second / 2, 3);
    const Pixel elsewhere = PixelAt(*bare, c.left + 20, cy);
    EXPECT_FALSE(elsewhere == light) << "a picture, not a flat fill";

    // The white game name is drawn over the dark picture.
    const RECT name = card->FindByName(L"gamename")->Position();
    EXPECT_GT(BrightPixels(*painted, name), 10);
    EXPECT_EQ(BrightPixels(*painted, RECT{c.left + 200, c.top + 60, c.left + 300, c.top + 100}), 0);
}
