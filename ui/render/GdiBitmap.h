#pragma once
#include "ui/render/IBitmap.h"

namespace ui {

// A 32-bit top-down (or bottom-up) DIB section; owns the handle until taken.
class GdiBitmap : public IBitmap {
public:
    GdiBitmap() = default;
    ~GdiBitmap() override;
    GdiBitmap(const GdiBitmap&) = delete;
    GdiBitmap& operator=(const GdiBitmap&) = delete;

    bool CreateSurface(HDC dc, int width, int height, bool flip) override;
    void ClearSurface() override;
    HBITMAP TakeBitmap() override;
    HBITMAP BitmapHandle() const override { return bitmap_; }
    BYTE* PixelData() const override { return pixels_; }
    int SurfaceWidth() const override { return width_; }
    int SurfaceHeight() const override { return height_; }
    void FillAlpha(const RECT& rect, BYTE value) override;
    void FixAlpha(const RECT& rect, const RECT& margins, BYTE key) override;

    // Writes one premultiplied BGRA value (as a little-endian 32-bit word)
    // to every pixel of rect (device pixels, clipped to the surface).
    void FillPixels(const RECT& rect, DWORD value);

    // Copies rect (device pixels) from source, whose pixel (sourceX, sourceY)
    // lands on rect's top-left; clipped to both surfaces.
    void CopyPixels(const RECT& rect, const GdiBitmap& source, int sourceX, int sourceY);

    // Pointer to the pixel at (x, y), counted from the top, whatever the row order.
    BYTE* PixelAt(int x, int y) const;
    bool IsTopDown() const { return topDown_; }

private:
    void Release();
    bool ClipToSurface(const RECT& rect, RECT* out) const;

    HBITMAP bitmap_ = nullptr;
    BYTE* pixels_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    bool topDown_ = true;
};

} // namespace ui
