// Start-up decodes pictures on workers into the shared image cache while
// the UI thread paints: a worker keeps replacing the picture (decoding the
// next one, handing it over as a posted task would, dropping its own
// reference, so the last reference to an old picture may go on either
// thread) while this thread swaps it into a slot and paints it stretched.
// Thousands of rounds must neither crash nor ever paint the wrong picture.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "ImageTestSupport.h"
#include "ui/control/ImageInfo.h"
#include "ui/control/ImageSlot.h"
#include "ui/core/UiGlobals.h"
#include "ui/render/RenderContext_GdiPlus.h"

namespace {

struct Handover {
    std::mutex lock;
    std::shared_ptr<ui::ImageInfo> image;
    std::wstring path;
};

} // namespace

TEST(ImageSwapStress, WorkerReplacesThePictureWhileTheUiThreadPaintsIt) {
    ui::UiGlobals::CloseSkinArchive();
    ui::RegisterImageDecoder();
    const std::wstring paths[] = {ui::ResolveImagePath(std::wstring(), images_test::DataPath(L"red.png")),
                                  ui::ResolveImagePath(std::wstring(), images_test::DataPath(L"green.png"))};
    const std::uint32_t colours[] = {0xFFFF0000u, 0xFF00FF00u};
    const size_t cachedBefore = ui::UiGlobals::CachedImageCount();
    constexpr int kRounds = 3000;

    Handover handover;
    std::atomic<int> decodeFailures{0};
    std::atomic<bool> workerDone{false};
    std::thread worker([&] {
        for (int round = 0; round < kRounds; ++round) {
            std::shared_ptr<ui::ImageInfo> decoded = ui::UiGlobals::AcquireImage(paths[round % 2]);
            if (!decoded) {
                ++decodeFailures;
                continue;
            }
            std::lock_guard<std::mutex> hold(handover.lock);
            handover.image = std::move(decoded);  // the picture handed over before is dropped here
            handover.path = paths[round % 2];
        }
        workerDone = true;
    });

    ui::RenderContext_GdiPlus context;
    ASSERT_TRUE(context.ResizeSurface(16, 16));
    const RECT dest = {0, 0, 16, 16};
    ui::ImageSlot slot;
    int swaps = 0, paints = 0, wrongPixels = 0;
    std::wstring shownPath;
    for (bool last = false; !last;) {
        last = workerDone.load();
        std::shared_ptr<ui::ImageInfo> arrived;
        std::wstring arrivedPath;
        {
            std::lock_guard<std::mutex> hold(handover.lock);
            arrived.swap(handover.image);
            arrivedPath = handover.path;
        }
        if (arrived) {
            slot.AssignImageString(arrivedPath);  // releases the picture shown so far
            ASSERT_TRUE(slot.Resolve(std::wstring()));
            EXPECT_EQ(slot.image, arrived) << "the swap finds the worker's decode in the cache";
            shownPath = arrivedPath;
            ++swaps;
        }
        if (!slot.IsLoaded()) continue;
        context.BlitImage(dest, slot.CurrentFrameBitmap(), slot.image->HasAlpha(), dest, RECT{0, 0, 4, 4},
                          RECT{0, 0, 0, 0});
        GdiFlush();
        const std::uint32_t centre = reinterpret_cast<const std::uint32_t*>(context.PixelData())[8 * 16 + 8];
        wrongPixels += centre != colours[shownPath == paths[0] ? 0 : 1] ? 1 : 0;
        ++paints;
    }
    worker.join();

    EXPECT_EQ(decodeFailures, 0);
    EXPECT_GT(swaps, 10);
    EXPECT_GT(paints, 10);
    EXPECT_EQ(wrongPixels, 0);
    slot.ReleaseImage();
    EXPECT_EQ(ui::UiGlobals::CachedImageCount(), cachedBefore) << "every picture left the cache with its last owner";
}
