#pragma once
#include <functional>

#include "ui/render/GdiBitmap.h"
#include "ui/render/GdiClip.h"
#include "ui/render/IRenderContext.h"

namespace Gdiplus {
class Font;
class Graphics;
}

namespace ui {

class RenderContext_GdiPlus : public IRenderContext {
public:
    RenderContext_GdiPlus();
    ~RenderContext_GdiPlus() override;
    RenderContext_GdiPlus(const RenderContext_GdiPlus&) = delete;
    RenderContext_GdiPlus& operator=(const RenderContext_GdiPlus&) = delete;

    HDC DeviceContext() const override { return dc_; }
    bool ResizeSurface(int width, int height, bool flip = true) override;
    void ClearSurface() override;
    std::unique_ptr<IRenderContext> Duplicate() override;
    HBITMAP TakeBitmap() override;
    BYTE* PixelData() const override { return bitmap_.PixelData(); }
    int SurfaceWidth() const override { return bitmap_.SurfaceWidth(); }
    int SurfaceHeight() const override { return bitmap_.SurfaceHeight(); }
    void FillAlpha(const RECT& rect, BYTE value) override;
    void FixAlpha(const RECT& rect, const RECT& margins, BYTE key) override;

    bool IsTransparentMode() const override { return transparent_; }
    bool SetTransparentMode(bool on) override;

    void PushState() override;
    void PopState() override;
    POINT ShiftOrigin(int dx, int dy) override;
    POINT MoveOrigin(int x, int y) override;
    POINT Origin() const override;

    void PushRectClip(const RECT& rect) override;
    void PushRoundClip(const RECT& rect, int width, int height) override;
    void PopClip() override;

    bool CopyFrom(int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                  DWORD rop = SRCCOPY) override;
    bool BlendFrom(int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                   int sourceWidth, int sourceHeight, BYTE alpha = 255) override;
    void BlitImage(const RECT& paint, HBITMAP bitmap, bool hasAlpha, const RECT& dest,
                   const RECT& source, const RECT& corner, BYTE fade = 255, bool xtiled = false,
                   bool ytiled = false) override;

    void FillColor(const RECT& rect, const std::wstring& colorName, BYTE alpha = 255) override;
    void FillColor(const RECT& rect, DWORD argb, BYTE alpha = 255) override;
    void StrokeLine(const IPen* pen, int x1, int y1, int x2, int y2) override;
    void StrokeLine(const RECT& line, int width, DWORD argb) override;
    void StrokeBezier(const IPen* pen, const POINT& p1, const POINT& p2, const POINT& p3,
                      const POINT& p4) override;
    void StrokeRect(const RECT& rect, int width, DWORD argb) override;
    void StrokeRoundRect(const RECT& rect, const SIZE& corner, int width, DWORD argb) override;
    void RenderText(const RECT& rect, const std::wstring& text, DWORD argb, const std::wstring& fontId,
                    UINT format, BYTE alpha = 255, bool lineLimit = false) override;
    void StrokeEllipse(const RECT& rect, int width, DWORD argb) override;
    void FillEllipseShape(const RECT& rect, DWORD argb) override;
    RECT MeasureTextBox(const std::wstring& text, const std::wstring& fontId, UINT format,
                        int widthLimit = -1) override;
    void StrokePath(const IPath* path, const IPen* pen) override;
    void FillPathShape(const IPath* path, const IBrush* brush) override;

private:
    void DeselectBitmap();
    // An image bitmap selected into a device context for drawing from.
    struct ImageSource {
        HDC dc;
        HBITMAP bitmap;
    };
    // One nine-grid piece with the blit rule (AlphaBlend or StretchBlt).
    void BlitPiece(const ImageSource& source, const RECT& dest, const RECT& src, bool hasAlpha, BYTE fade);
    // The piece from a cached scaled copy; false when there is none to use.
    bool BlitScaledCopy(const ImageSource& source, const RECT& dest, const RECT& src, bool blend, BYTE fade);
    // Sets alpha 255 on the written pixels of a logical rect (clip respected).
    void MarkOpaque(const RECT& logical);
    void BlitCentre(const ImageSource& source, const RECT& paint, const RECT& dest, const RECT& src, bool hasAlpha,
                    BYTE fade, bool xtiled, bool ytiled);
    // A translucent fill through the colour's blend table; false when the
    // colour has no table and the fill is too small to learn one.
    bool FillThroughBlendTable(const RECT& rect, DWORD color);
    // A logical rectangle in surface pixels.
    RECT ToDevice(const RECT& logical) const;
    // Draws a text into `surface` (selected into dc) inside layoutBox.
    using TextDrawer = std::function<bool(HDC dc, const GdiBitmap& surface, const RECT& layoutBox)>;
    // The text as a kept picture blended at box; false when it cannot be
    // kept (unclipped text without a bound, a font without a record, a box
    // too large) and the caller draws directly.
    bool DrawKeptText(const RECT& box, const std::wstring& text, const std::wstring& fontId, int fontHeight,
                      DWORD brushColor, UINT format, bool lineLimit, const TextDrawer& draw);
    // The GDI+ font of a font id (the context's current font when unknown).
    std::shared_ptr<const Gdiplus::Font> MakeFont(const std::wstring& fontId, std::wstring* faceName,
                                            int* pixelHeight);

    HDC dc_ = nullptr;
    int savedState_ = 0;
    HGDIOBJ oldBitmap_ = nullptr;
    bool transparent_ = false;
    GdiClip clip_;
    GdiBitmap bitmap_;
};

} // namespace ui
