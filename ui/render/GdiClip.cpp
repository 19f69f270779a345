#include "ui/render/GdiClip.h"

#include "ui/render/GdiHandles.h"

#include <algorithm>

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

std::vector<RECT> GdiClip::VisibleParts(HDC dc, const RECT& device) {
    std::vector<RECT> parts;
    if (IsRectEmpty(&device)) return parts;
    GdiObject<HRGN> clip(CreateRectRgn(0, 0, 0, 0));
    // 1: the device context has a clip region; 0: none; -1: failure.
    const int state = clip ? GetClipRgn(dc, clip.get()) : -1;
    if (state == 0) {
        parts.push_back(device);
        return parts;
    }
    if (state != 1) return parts;
    const DWORD size = GetRegionData(clip.get(), 0, nullptr);
    if (size < sizeof(RGNDATAHEADER)) return parts;
    std::vector<BYTE> buffer(size);
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    if (GetRegionData(clip.get(), size, data) != size) return parts;
    // Never read past what was returned, whatever the header claims.
    const DWORD count = std::min<DWORD>(data->rdh.nCount, (size - data->rdh.dwSize) / sizeof(RECT));
    const auto* rects = reinterpret_cast<const RECT*>(data->Buffer);
    for (DWORD i = 0; i < count; ++i) {
        RECT part;
        if (IntersectRect(&part, &device, &rects[i])) parts.push_back(part);
    }
    return parts;
}

} // namespace ui
