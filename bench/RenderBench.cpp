// A game card's frame: the 1920 x 1024 background stretched into the
// 440 x 150 rounded card, then the skin's translucent dark overlay.
#include <windows.h>

#include <vector>

#include "BenchCase.h"
#include "tests/render/RenderTestSupport.h"
#include "ui/render/GdiHandles.h"
#include "ui/render/GdiPlusSession.h"
#include "ui/render/RenderContext_GdiPlus.h"

namespace {

// Opaque gradient: red grows to the right, green downwards.
HBITMAP MakeBackground(int width, int height) {
    return render_test::MakeImage(width, height, [width, height](int x, int y) {
        return render_test::MakePixel(static_cast<BYTE>(x * 255 / width), static_cast<BYTE>(y * 255 / height),
                                      0x40, 0xFF);
    });
}

double MeanFrameMs(ui::RenderContext_GdiPlus& rc, HBITMAP background, bool hasAlpha, int frames) {
    const RECT card = {40, 40, 480, 190};
    const RECT source = {0, 0, 1920, 1024};
    const RECT noCorner = {0, 0, 0, 0};
    const double start = bench::Now();
    for (int i = 0; i < frames; ++i) {
        rc.PushRoundClip(card, 45, 45);
        rc.BlitImage(card, background, hasAlpha, card, source, noCorner);
        rc.FillColor(card, 0x80000000u);
        rc.PopClip();
    }
    GdiFlush();
    return (bench::Now() - start) * 1000.0 / frames;
}

} // namespace

BENCH_CASE("render card background") {
    ui::GdiPlusSession gdiplus;
    ui::GdiObject<HBITMAP> background(MakeBackground(1920, 1024));
    ui::RenderContext_GdiPlus rc;
    if (!gdiplus.IsRunning() || !background || !rc.ResizeSurface(977, 641)) return;
    const int frames = 100;
    MeanFrameMs(rc, background.get(), false, 5);  // warm-up
    bench::Report("opaque background (halftone stretch) + overlay, mean per frame",
                  MeanFrameMs(rc, background.get(), false, frames), "ms");
    bench::Report("background with alpha (AlphaBlend) + overlay, mean per frame",
                  MeanFrameMs(rc, background.get(), true, frames), "ms");
    rc.SetTransparentMode(true);
    bench::Report("transparent layer (AlphaBlend) + overlay, mean per frame",
                  MeanFrameMs(rc, background.get(), false, frames), "ms");
}
