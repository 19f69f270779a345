#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "ImageTestSupport.h"
#include "ui/control/ImageDrawing.h"
#include "ui/render/RenderContext_GdiPlus.h"

namespace {

using images_test::FakeHost;
using images_test::PumpUntil;

class BackgroundPlayback : public ::testing::Test {
protected:
    void SetUp() override {
        host.background = &background;
        ASSERT_TRUE(context.ResizeSurface(20, 20));
    }
    void Assign(const std::wstring& text) {
        background.Assign(host, text);
        ASSERT_TRUE(background.slot.Resolve(host.folder));
    }
    bool Draw() { return ui::DrawImageOver(host, context, background.slot); }

    FakeHost host;
    ui::BackgroundImage background;
    ui::RenderContext_GdiPlus context;
};

TEST_F(BackgroundPlayback, TicksFollowTheDelaysAndAZeroDelayStopsForGood) {
    Assign(L"mixed.gif");  // delays 4, 4, 2, 0
    EXPECT_FALSE(Draw());  // the first paint starts playback instead
    EXPECT_TRUE(background.IsPlaying());
    EXPECT_EQ(background.slot.currentFrame, 0u);
    background.Tick(host);
    background.Tick(host);
    EXPECT_EQ(background.slot.currentFrame, 2u);
    EXPECT_TRUE(background.IsPlaying());
    const int dirty = host.dirtyCount;
    background.Tick(host);
    EXPECT_EQ(background.slot.currentFrame, 3u);
    EXPECT_FALSE(background.IsPlaying());
    EXPECT_GT(host.dirtyCount, dirty);
    // Later paints draw the stopped frame and do not start over.
    EXPECT_TRUE(Draw());
    EXPECT_FALSE(background.IsPlaying());
    EXPECT_EQ(background.slot.currentFrame, 3u);
    EXPECT_EQ(host.stoppedCount, 0);
}

TEST_F(BackgroundPlayback, ZeroDelayOnTheFirstFrameShowsIt) {
    Assign(L"delay0.gif");
    EXPECT_TRUE(Draw());
    EXPECT_FALSE(background.IsPlaying());
    EXPECT_EQ(background.slot.currentFrame, 0u);
    EXPECT_TRUE(Draw());
}

TEST_F(BackgroundPlayback, PlayCountZeroNeverAnimates) {
    Assign(L"file='delay2.gif' playcount='0'");
    EXPECT_FALSE(background.animate);
    EXPECT_TRUE(Draw());
    EXPECT_FALSE(PumpUntil([&] { return background.slot.currentFrame != 0; }, 300));
    EXPECT_FALSE(background.IsPlaying());
}

TEST_F(BackgroundPlayback, PlayCountTwoStopsOnTheLastFrame) {
    Assign(L"file='delay4.gif' playcount='2'");
    std::vector<DWORD> changes;
    std::size_t lastFrame = 0;
    host.onDirty = [&] {
        if (background.slot.currentFrame != lastFrame) {
            lastFrame = background.slot.currentFrame;
            changes.push_back(GetTickCount());
        }
    };
    const DWORD start = GetTickCount();
    EXPECT_FALSE(Draw());
    ASSERT_TRUE(PumpUntil([&] { return !background.IsPlaying(); }, 5000));
    EXPECT_EQ(background.slot.completedLoops, 2);
    EXPECT_EQ(background.slot.currentFrame, 2u);
    EXPECT_FALSE(background.animate);
    EXPECT_EQ(host.stoppedCount, 1);
    // Five frame changes: 1, 2, 0, 1, 2; delay 4 plays at 50 ms a frame.
    EXPECT_EQ(changes.size(), 5u);
    EXPECT_GE(GetTickCount() - start, 6u * 50u - 20u);
    EXPECT_TRUE(Draw());
    EXPECT_FALSE(PumpUntil([&] { return background.IsPlaying(); }, 150));
}

TEST_F(BackgroundPlayback, ShortDelaysAreSlowedDown) {
    // Delay 2 (20 ms) plays at 100 ms per frame: one loop of three frames
    // takes at least 300 ms.
    Assign(L"file='delay2.gif' playcount='1'");
    const DWORD start = GetTickCount();
    EXPECT_FALSE(Draw());
    ASSERT_TRUE(PumpUntil([&] { return !background.IsPlaying(); }, 5000));
    EXPECT_GE(GetTickCount() - start, 3u * 100u - 20u);
    EXPECT_EQ(background.slot.currentFrame, 2u);
}

TEST_F(BackgroundPlayback, HaltSelectsTheFrame) {
    Assign(L"mixed.gif");
    EXPECT_FALSE(Draw());
    background.Tick(host);
    background.HaltAnimation(host, ui::BackgroundImage::kCurrentFrame);
    EXPECT_FALSE(background.IsPlaying());
    EXPECT_EQ(background.slot.currentFrame, 1u);
    background.HaltAnimation(host, ui::BackgroundImage::kLastFrame);
    EXPECT_EQ(background.slot.currentFrame, 3u);
    background.HaltAnimation(host, 0);
    EXPECT_EQ(background.slot.currentFrame, 0u);
    background.HaltAnimation(host, 2);
    EXPECT_EQ(background.slot.currentFrame, 2u);
    background.HaltAnimation(host, 77);
    EXPECT_EQ(background.slot.currentFrame, 3u);
    // A new image string stops on the current frame and starts afresh.
    EXPECT_FALSE(Draw());
    Assign(L"delay4.gif");
    EXPECT_FALSE(background.IsPlaying());
    EXPECT_EQ(background.slot.currentFrame, 0u);
    EXPECT_TRUE(background.animate);
}

TEST(BackgroundPlaybackLifetime, DestroyedOwnerStopsItsFrameTimer) {
    FakeHost host;
    auto background = std::make_unique<ui::BackgroundImage>();
    host.background = background.get();
    background->Assign(host, L"delay4.gif");
    ASSERT_TRUE(background->slot.Resolve(host.folder));
    background->StartPlayback(host);
    ASSERT_TRUE(background->IsPlaying());
    host.background = nullptr;
    background.reset();
    const int dirty = host.dirtyCount;
    PumpUntil([] { return false; }, 200);
    EXPECT_EQ(host.dirtyCount, dirty);
}

} // namespace
