#include "ui/render/GdiBitmap.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace ui {

GdiBitmap::~GdiBitmap() { Release(); }

void GdiBitmap::Release() {
    if (bitmap_) DeleteObject(bitmap_);
    bitmap_ = nullptr;
    pixels_ = nullptr;
    width_ = height_ = 0;
}

bool GdiBitmap::CreateSurface(HDC dc, int width, int height, bool flip) {
    Release();
    if (width <= 0 || height <= 0) return false;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = flip ? -height : height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biSizeImage = static_cast<DWORD>(width) * static_cast<DWORD>(height) * 4;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits) {
        if (bitmap) DeleteObject(bitmap);
        return false;
    }
    bitmap_ = bitmap;
    pixels_ = static_cast<BYTE*>(bits);
    width_ = width;
    height_ = height;
    topDown_ = flip;
    return true;
}

void GdiBitmap::ClearSurface() {
    if (!pixels_) return;
    GdiFlush();
    std::memset(pixels_, 0, static_cast<size_t>(width_) * static_cast<size_t>(height_) * 4);
}

HBITMAP GdiBitmap::TakeBitmap() {
    HBITMAP bitmap = bitmap_;
    bitmap_ = nullptr;
    Release();
    return bitmap;
}

BYTE* GdiBitmap::PixelAt(int x, int y) const {
    const int row = topDown_ ? y : height_ - 1 - y;
    return pixels_ + (static_cast<size_t>(row) * static_cast<size_t>(width_) + static_cast<size_t>(x)) * 4;
}

bool GdiBitmap::ClipToSurface(const RECT& rect, RECT* out) const {
    if (!pixels_) return false;
    const RECT bounds = {0, 0, width_, height_};
    return IntersectRect(out, &rect, &bounds) != FALSE;
}

void GdiBitmap::FillPixels(const RECT& rect, DWORD value) {
    RECT r;
    if (!ClipToSurface(rect, &r)) return;
    GdiFlush();
    const auto pixel = static_cast<std::uint32_t>(value);
    for (int y = r.top; y < r.bottom; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(PixelAt(r.left, y));
        std::fill(row, row + (r.right - r.left), pixel);
    }
}

void GdiBitmap::CopyPixels(const RECT& rect, const GdiBitmap& source, int sourceX, int sourceY) {
    // The source's bounds in this surface's pixels.
    const RECT reach = {rect.left - sourceX, rect.top - sourceY, rect.left - sourceX + source.width_,
                        rect.top - sourceY + source.height_};
    RECT wanted;
    RECT r;
    if (!source.pixels_ || !IntersectRect(&wanted, &rect, &reach) || !ClipToSurface(wanted, &r)) return;
    GdiFlush();
    const std::size_t bytes = static_cast<std::size_t>(r.right - r.left) * 4;
    for (int y = r.top; y < r.bottom; ++y)
        std::memcpy(PixelAt(r.left, y), source.PixelAt(r.left - reach.left, y - reach.top), bytes);
}

void GdiBitmap::FillAlpha(const RECT& rect, BYTE value) {
    RECT r;
    if (!ClipToSurface(rect, &r)) return;
    // Transparent leaves no colour; opaque keeps every colour: both without
    // the per-channel clamp below.
    if (value == 0) {
        FillPixels(r, 0);
        return;
    }
    GdiFlush();
    if (value == 255) {
        for (int y = r.top; y < r.bottom; ++y) {
            auto* row = reinterpret_cast<std::uint32_t*>(PixelAt(r.left, y));
            for (int x = r.left; x < r.right; ++x, ++row) *row |= 0xFF000000u;
        }
        return;
    }
    for (int y = r.top; y < r.bottom; ++y) {
        BYTE* p = PixelAt(r.left, y);
        for (int x = r.left; x < r.right; ++x, p += 4) {
            // Colour may not exceed alpha in a premultiplied pixel.
            for (int c = 0; c < 3; ++c) if (p[c] > value) p[c] = value;
            p[3] = value;
        }
    }
}

void GdiBitmap::FixAlpha(const RECT& rect, const RECT& margins, BYTE key) {
    RECT r;
    if (!ClipToSurface(rect, &r)) return;
    const RECT inner = {rect.left + margins.left, rect.top + margins.top,
                        rect.right - margins.right, rect.bottom - margins.bottom};
    GdiFlush();
    for (int y = r.top; y < r.bottom; ++y) {
        BYTE* p = PixelAt(r.left, y);
        for (int x = r.left; x < r.right; ++x, p += 4) {
            const POINT pt = {x, y};
            if (PtInRect(&inner, pt)) continue;
            if (key != 0 && p[3] == key) {
                // A transparent premultiplied pixel has no colour left; keeping it
                // would add light wherever the surface is blended.
                p[0] = p[1] = p[2] = p[3] = 0;
            } else {
                p[3] = 255;
            }
        }
    }
}

} // namespace ui
