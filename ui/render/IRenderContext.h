#pragma once
// The one drawing surface of the UI: an off-screen 32-bit premultiplied BGRA
// bitmap selected into a memory device context. Rectangles and points are in
// logical coordinates (the window origin is subtracted on the way to pixels).
#include <windows.h>
#include <memory>
#include <string>

#include "pillar/WeakCallback.h"

namespace ui {

class IBrush;
class IPath;
class IPen;

// Text format flags (the values of the Windows DT_ flags of the same meaning).
enum TextFormat : UINT {
    kTextLeft = 0x0,
    kTextCenter = 0x1,      // horizontal centre
    kTextRight = 0x2,       // horizontal far
    kTextVCenter = 0x4,     // vertical centre
    kTextBottom = 0x8,      // vertical far
    kTextSingleLine = 0x20,
    kTextNoClip = 0x100,
    kTextEndEllipsis = 0x8000,
};

class IRenderContext : public virtual pillar::SupportWeakCallback {
public:
    ~IRenderContext() override = default;

    virtual HDC DeviceContext() const = 0;
    // false when the size is unchanged; otherwise re-creates the surface and
    // returns whether that worked. flip = rows top-down.
    virtual bool ResizeSurface(int width, int height, bool flip = true) = 0;
    virtual void ClearSurface() = 0;
    // A new context of the same size holding a copy of the pixels.
    virtual std::unique_ptr<IRenderContext> Duplicate() = 0;
    // Deselects the surface and hands it out; the caller deletes it.
    virtual HBITMAP TakeBitmap() = 0;
    virtual BYTE* PixelData() const = 0;
    virtual int SurfaceWidth() const = 0;
    virtual int SurfaceHeight() const = 0;
    virtual void FillAlpha(const RECT& rect, BYTE value) = 0;
    virtual void FixAlpha(const RECT& rect, const RECT& margins, BYTE key) = 0;

    // While on, every image blit blends (needed when painting a transparent layer).
    virtual bool IsTransparentMode() const = 0;
    virtual bool SetTransparentMode(bool on) = 0;  // returns the old value

    virtual void PushState() = 0;
    virtual void PopState() = 0;
    virtual POINT ShiftOrigin(int dx, int dy) = 0;  // returns the old origin
    virtual POINT MoveOrigin(int x, int y) = 0;     // returns the old origin
    virtual POINT Origin() const = 0;

    // Clips nest like a stack; each PopClip removes the most recent one.
    virtual void PushRectClip(const RECT& rect) = 0;
    virtual void PushRoundClip(const RECT& rect, int width, int height) = 0;
    virtual void PopClip() = 0;

    virtual bool CopyFrom(int x, int y, int width, int height, HDC source, int sourceX,
                          int sourceY, DWORD rop = SRCCOPY) = 0;
    // Source-over with per-pixel (premultiplied) source alpha and constant alpha.
    virtual bool BlendFrom(int x, int y, int width, int height, HDC source, int sourceX,
                           int sourceY, int sourceWidth, int sourceHeight,
                           BYTE alpha = 255) = 0;
    // Draws bitmap's source rectangle into dest as a nine-grid with the given
    // corner widths (left, top, right, bottom, in image pixels), optionally
    // tiling the centre; only pieces overlapping paint are drawn.
    virtual void BlitImage(const RECT& paint, HBITMAP bitmap, bool hasAlpha, const RECT& dest,
                           const RECT& source, const RECT& corner, BYTE fade = 255,
                           bool xtiled = false, bool ytiled = false) = 0;

    // Colour by name from the global colour table; an empty name draws nothing.
    virtual void FillColor(const RECT& rect, const std::wstring& colorName, BYTE alpha = 255) = 0;
    virtual void FillColor(const RECT& rect, DWORD argb, BYTE alpha = 255) = 0;
    virtual void StrokeLine(const IPen* pen, int x1, int y1, int x2, int y2) = 0;
    // line holds the from-point (left, top) and the to-point (right, bottom).
    virtual void StrokeLine(const RECT& line, int width, DWORD argb) = 0;
    virtual void StrokeBezier(const IPen* pen, const POINT& p1, const POINT& p2, const POINT& p3,
                              const POINT& p4) = 0;
    virtual void StrokeRect(const RECT& rect, int width, DWORD argb) = 0;
    virtual void StrokeRoundRect(const RECT& rect, const SIZE& corner, int width, DWORD argb) = 0;
    // format: TextFormat flags. An empty font id is the default font.
    virtual void RenderText(const RECT& rect, const std::wstring& text, DWORD argb,
                            const std::wstring& fontId, UINT format, BYTE alpha = 255,
                            bool lineLimit = false) = 0;
    virtual void StrokeEllipse(const RECT& rect, int width, DWORD argb) = 0;
    virtual void FillEllipseShape(const RECT& rect, DWORD argb) = 0;
    // The box the text needs; widthLimit -1 = unlimited.
    virtual RECT MeasureTextBox(const std::wstring& text, const std::wstring& fontId, UINT format,
                                int widthLimit = -1) = 0;
    virtual void StrokePath(const IPath* path, const IPen* pen) = 0;
    virtual void FillPathShape(const IPath* path, const IBrush* brush) = 0;
};

} // namespace ui
