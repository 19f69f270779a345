#pragma once
#include <memory>

#include "ui/render/GdiPlusHeaders.h"

namespace ui {

class GdiBitmap;

// A GDI+ drawing session on a render surface. The surface's pixels are
// premultiplied (AlphaBlend and layered windows require it), so GDI+ draws on
// them as a PARGB bitmap in place; the device context's clip region and window
// origin are carried over so GDI and GDI+ drawing agree.
class GdiPlusCanvas {
public:
    GdiPlusCanvas(HDC dc, const GdiBitmap& bitmap);
    ~GdiPlusCanvas();
    GdiPlusCanvas(const GdiPlusCanvas&) = delete;
    GdiPlusCanvas& operator=(const GdiPlusCanvas&) = delete;

    // Null when there is nothing to draw on.
    Gdiplus::Graphics* graphics() const { return graphics_.get(); }

private:
    void ApplyClip(HDC dc);

    std::unique_ptr<Gdiplus::Bitmap> surface_;
    std::unique_ptr<Gdiplus::Graphics> graphics_;
};

} // namespace ui
