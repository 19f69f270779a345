#pragma once
// Shared helpers of the render tests: GDI+ for the whole program, pixel
// read-back and small 32-bit source images built pixel by pixel.
#include <windows.h>

#include <functional>
#include <memory>

#include "ui/render/GdiHandles.h"
#include "ui/render/IRenderContext.h"

namespace render_test {

struct Pixel {
    BYTE b, g, r, a;
    bool operator==(const Pixel& o) const { return b == o.b && g == o.g && r == o.r && a == o.a; }
};

inline Pixel MakePixel(BYTE r, BYTE g, BYTE b, BYTE a) { return Pixel{b, g, r, a}; }

// Pixel (x, y) of a top-down context, read after GDI finished its work.
inline Pixel PixelAt(const ui::IRenderContext& rc, int x, int y) {
    GdiFlush();
    const BYTE* p = rc.PixelData() + (static_cast<size_t>(y) * rc.SurfaceWidth() + x) * 4;
    return Pixel{p[0], p[1], p[2], p[3]};
}

// A top-down 32-bit DIB whose pixels (premultiplied BGRA) come from make(x, y).
inline HBITMAP MakeImage(int width, int height, const std::function<Pixel(int, int)>& make) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) return nullptr;
    auto* p = static_cast<Pixel*>(bits);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) p[y * width + x] = make(x, y);
    return bitmap;
}

// A fresh top-down context of the given size, all pixels transparent black.
std::unique_ptr<ui::IRenderContext> NewContext(int width, int height);

// Count of pixels in rect whose alpha is > 0.
int CountInked(const ui::IRenderContext& rc, const RECT& rect);

} // namespace render_test
