#pragma once
#include <windows.h>

namespace ui {

// Clip regions on a device context, nested through SaveDC / RestoreDC.
class GdiClip {
public:
    void BeginRectClip(HDC dc, const RECT& rect);
    void BeginRoundClip(HDC dc, const RECT& rect, int width, int height);
    void PopClip(HDC dc);

private:
    static void IntersectWith(HDC dc, HRGN region);
};

} // namespace ui
