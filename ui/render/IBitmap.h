#pragma once
// A 32-bit premultiplied BGRA surface that GDI can select into a device context.
#include <windows.h>

namespace ui {

class IBitmap {
public:
    virtual ~IBitmap() = default;

    // Makes a width x height surface; false (and no surface) unless both are > 0.
    // With flip the rows run top-down, so PixelData() row 0 is the top row.
    virtual bool CreateSurface(HDC dc, int width, int height, bool flip) = 0;
    virtual void ClearSurface() = 0;
    // Hands the bitmap out; the caller deletes it. This object forgets it.
    virtual HBITMAP TakeBitmap() = 0;
    virtual HBITMAP BitmapHandle() const = 0;
    virtual BYTE* PixelData() const = 0;
    virtual int SurfaceWidth() const = 0;
    virtual int SurfaceHeight() const = 0;
    // Sets the alpha byte of every pixel in rect (clipped to the surface).
    virtual void FillAlpha(const RECT& rect, BYTE value) = 0;
    // For every pixel of rect outside the inner rectangle left by margins:
    // alpha 0 when key != 0 and the alpha equals key, else alpha 255.
    virtual void FixAlpha(const RECT& rect, const RECT& margins, BYTE key) = 0;
};

} // namespace ui
