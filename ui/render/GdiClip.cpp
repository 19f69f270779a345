#include "ui/render/GdiClip.h"

#include "ui/render/GdiHandles.h"

namespace ui {

namespace {

// Regions are in device pixels; rect is in logical coordinates.
RECT ToDevice(HDC dc, const RECT& rect) {
    POINT origin = {0, 0};
    GetWindowOrgEx(dc, &origin);
    RECT r = rect;
    OffsetRect(&r, -origin.x, -origin.y);
    return r;
}

} // namespace

void GdiClip::IntersectWith(HDC dc, HRGN region) {
    SaveDC(dc);
    if (region) ExtSelectClipRgn(dc, region, RGN_AND);
}

void GdiClip::BeginRectClip(HDC dc, const RECT& rect) {
    const RECT r = ToDevice(dc, rect);
    GdiObject<HRGN> region(CreateRectRgnIndirect(&r));
    IntersectWith(dc, region.get());
}

void GdiClip::BeginRoundClip(HDC dc, const RECT& rect, int width, int height) {
    const RECT r = ToDevice(dc, rect);
    GdiObject<HRGN> region(CreateRoundRectRgn(r.left, r.top, r.right + 1, r.bottom + 1, width, height));
    IntersectWith(dc, region.get());
}

void GdiClip::PopClip(HDC dc) { RestoreDC(dc, -1); }

} // namespace ui
