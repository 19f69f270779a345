#include "ui/render/GdiPlusCanvas.h"

#include "ui/render/GdiBitmap.h"
#include "ui/render/GdiHandles.h"

namespace ui {

GdiPlusCanvas::GdiPlusCanvas(HDC dc, const GdiBitmap& bitmap) {
    BYTE* pixels = bitmap.PixelData();
    if (!pixels) return;
    // Pending GDI output must land before GDI+ touches the same bits.
    GdiFlush();
    const int width = bitmap.SurfaceWidth();
    const int height = bitmap.SurfaceHeight();
    const INT stride = bitmap.IsTopDown() ? width * 4 : -width * 4;
    BYTE* scan0 = bitmap.IsTopDown() ? pixels : bitmap.PixelAt(0, 0);
    surface_.reset(new Gdiplus::Bitmap(width, height, stride, PixelFormat32bppPARGB, scan0));
    if (surface_->GetLastStatus() != Gdiplus::Ok) {
        surface_.reset();
        return;
    }
    graphics_.reset(Gdiplus::Graphics::FromImage(surface_.get()));
    if (!graphics_ || graphics_->GetLastStatus() != Gdiplus::Ok) {
        graphics_.reset();
        return;
    }
    ApplyClip(dc);
    POINT origin = {0, 0};
    GetWindowOrgEx(dc, &origin);
    graphics_->TranslateTransform(static_cast<Gdiplus::REAL>(-origin.x),
                                  static_cast<Gdiplus::REAL>(-origin.y));
}

GdiPlusCanvas::~GdiPlusCanvas() {
    graphics_.reset();  // flushes into the surface before the wrapper goes
    surface_.reset();
}

void GdiPlusCanvas::ApplyClip(HDC dc) {
    GdiObject<HRGN> region(CreateRectRgn(0, 0, 0, 0));
    if (!region) return;
    // 1: the device context has a clip region (in device pixels); 0: none.
    if (GetClipRgn(dc, region.get()) != 1) return;
    Gdiplus::Region clip(region.get());
    graphics_->SetClip(&clip, Gdiplus::CombineModeReplace);
}

} // namespace ui
