#pragma once
#include <windows.h>

#include <vector>

namespace ui {

// Clip regions on a device context, nested through SaveDC / RestoreDC.
class GdiClip {
public:
    void BeginRectClip(HDC dc, const RECT& rect);
    void BeginRoundClip(HDC dc, const RECT& rect, int width, int height);
    void PopClip(HDC dc);

    // The parts of `device` (device pixels) that drawing on dc reaches: the
    // rectangle itself without a clip region, else its overlaps with the
    // region's rectangles. Empty when nothing is reached.
    static std::vector<RECT> VisibleParts(HDC dc, const RECT& device);

private:
    static void IntersectWith(HDC dc, HRGN region);
};

} // namespace ui
