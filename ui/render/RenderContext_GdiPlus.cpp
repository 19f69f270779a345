#include "ui/render/RenderContext_GdiPlus.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <vector>

#include "ui/core/UiGlobals.h"
#include "ui/render/Brush_Gdiplus.h"
#include "ui/render/ColorBlendTable.h"
#include "ui/render/GdiHandles.h"
#include "ui/render/GdiPlusCanvas.h"
#include "ui/render/GdiPlusFontCache.h"
#include "ui/render/Path_Gdiplus.h"
#include "ui/render/Pen_GdiPlus.h"
#include "ui/render/ScaledImageCache.h"
#include "ui/render/TextImageCache.h"

namespace ui {

namespace {

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

bool Overlaps(const RECT& a, const RECT& b) {
    RECT unused;
    return IntersectRect(&unused, &a, &b) != FALSE;
}

Gdiplus::Color ArgbColor(DWORD argb) { return Gdiplus::Color(argb); }

// The colour's alpha scaled by alpha (0..255); colour channels unchanged.
DWORD ScaleAlpha(DWORD argb, BYTE alpha) {
    if (alpha == 255) return argb;
    const DWORD a = ((argb >> 24) * alpha) / 255;
    return (a << 24) | (argb & 0x00FFFFFF);
}

// A modifiable copy of the generic typographic format, or null.
Gdiplus::StringFormat* TypographicFormat() {
    const Gdiplus::StringFormat* generic = Gdiplus::StringFormat::GenericTypographic();
    if (!generic) return nullptr;
    Gdiplus::StringFormat* copy = generic->Clone();
    if (copy && copy->GetLastStatus() != Gdiplus::Ok) {
        delete copy;
        return nullptr;
    }
    return copy;
}

} // namespace

RenderContext_GdiPlus::RenderContext_GdiPlus() {
    HDC screen = GetDC(nullptr);
    dc_ = CreateCompatibleDC(screen);
    if (screen) ReleaseDC(nullptr, screen);
}

RenderContext_GdiPlus::~RenderContext_GdiPlus() {
    DeselectBitmap();
    if (dc_) DeleteDC(dc_);
    // bitmap_ deletes its surface after the device context let go of it.
}

void RenderContext_GdiPlus::DeselectBitmap() {
    if (oldBitmap_ && dc_) SelectObject(dc_, oldBitmap_);
    oldBitmap_ = nullptr;
}

bool RenderContext_GdiPlus::ResizeSurface(int width, int height, bool flip) {
    if (width == bitmap_.SurfaceWidth() && height == bitmap_.SurfaceHeight()) return false;
    DeselectBitmap();
    if (!dc_) return false;
    const bool created = bitmap_.CreateSurface(dc_, width, height, flip);
    if (created) oldBitmap_ = SelectObject(dc_, bitmap_.BitmapHandle());
    return created;
}

void RenderContext_GdiPlus::ClearSurface() { bitmap_.ClearSurface(); }

std::unique_ptr<IRenderContext> RenderContext_GdiPlus::Duplicate() {
    auto copy = std::make_unique<RenderContext_GdiPlus>();
    if (!bitmap_.PixelData()) return copy;
    if (!copy->ResizeSurface(SurfaceWidth(), SurfaceHeight(), bitmap_.IsTopDown())) return copy;
    GdiFlush();
    std::memcpy(copy->PixelData(), PixelData(),
                static_cast<size_t>(SurfaceWidth()) * static_cast<size_t>(SurfaceHeight()) * 4);
    return copy;
}

HBITMAP RenderContext_GdiPlus::TakeBitmap() {
    DeselectBitmap();
    return bitmap_.TakeBitmap();
}

void RenderContext_GdiPlus::FillAlpha(const RECT& rect, BYTE value) { bitmap_.FillAlpha(rect, value); }

void RenderContext_GdiPlus::FixAlpha(const RECT& rect, const RECT& margins, BYTE key) {
    bitmap_.FixAlpha(rect, margins, key);
}

bool RenderContext_GdiPlus::SetTransparentMode(bool on) {
    const bool old = transparent_;
    transparent_ = on;
    return old;
}

void RenderContext_GdiPlus::PushState() { savedState_ = SaveDC(dc_); }

void RenderContext_GdiPlus::PopState() { RestoreDC(dc_, savedState_); }

POINT RenderContext_GdiPlus::ShiftOrigin(int dx, int dy) {
    POINT old = {0, 0};
    GetWindowOrgEx(dc_, &old);
    SetWindowOrgEx(dc_, old.x + dx, old.y + dy, nullptr);
    return old;
}

POINT RenderContext_GdiPlus::MoveOrigin(int x, int y) {
    POINT old = {0, 0};
    GetWindowOrgEx(dc_, &old);
    SetWindowOrgEx(dc_, x, y, nullptr);
    return old;
}

POINT RenderContext_GdiPlus::Origin() const {
    POINT origin = {0, 0};
    GetWindowOrgEx(dc_, &origin);
    return origin;
}

void RenderContext_GdiPlus::PushRectClip(const RECT& rect) { clip_.BeginRectClip(dc_, rect); }

void RenderContext_GdiPlus::PushRoundClip(const RECT& rect, int width, int height) {
    clip_.BeginRoundClip(dc_, rect, width, height);
}

void RenderContext_GdiPlus::PopClip() { clip_.PopClip(dc_); }

bool RenderContext_GdiPlus::CopyFrom(int x, int y, int width, int height, HDC source, int sourceX,
                                     int sourceY, DWORD rop) {
    return BitBlt(dc_, x, y, width, height, source, sourceX, sourceY, rop) != FALSE;
}

bool RenderContext_GdiPlus::BlendFrom(int x, int y, int width, int height, HDC source, int sourceX,
                                      int sourceY, int sourceWidth, int sourceHeight, BYTE alpha) {
    const BLENDFUNCTION blend = {AC_SRC_OVER, 0, alpha, AC_SRC_ALPHA};
    return AlphaBlend(dc_, x, y, width, height, source, sourceX, sourceY, sourceWidth, sourceHeight,
                      blend) != FALSE;
}

// ---- images -----------------------------------------------------------------

void RenderContext_GdiPlus::BlitPiece(const ImageSource& source, const RECT& dest, const RECT& src, bool hasAlpha,
                                      BYTE fade) {
    if (Width(dest) <= 0 || Height(dest) <= 0 || Width(src) <= 0 || Height(src) <= 0) return;
    const bool unscaled = Width(src) == Width(dest) && Height(src) == Height(dest);
    const bool blend = transparent_ || hasAlpha || fade < 255;
    if (!unscaled && BlitScaledCopy(source, dest, src, blend, fade)) return;
    if (blend || unscaled) {
        const BLENDFUNCTION blendFunction = {AC_SRC_OVER, 0, fade, AC_SRC_ALPHA};
        AlphaBlend(dc_, dest.left, dest.top, Width(dest), Height(dest), source.dc, src.left, src.top, Width(src),
                   Height(src), blendFunction);
    } else {
        if (StretchBlt(dc_, dest.left, dest.top, Width(dest), Height(dest), source.dc, src.left, src.top, Width(src),
                       Height(src), SRCCOPY))
            MarkOpaque(dest);
    }
}

bool RenderContext_GdiPlus::BlitScaledCopy(const ImageSource& source, const RECT& dest, const RECT& src, bool blend,
                                           BYTE fade) {
    const SIZE size = {Width(dest), Height(dest)};
    std::shared_ptr<const ScaledImage> copy = ScaledImageCache::Instance().Find(
        source.dc, source.bitmap, src, size, blend ? ScaleMode::kBlend : ScaleMode::kHalftone);
    if (!copy) return false;
    if (copy->IsFullyTransparent()) return true;
    if (copy->IsOpaque() && fade == 255) {
        // Blending opaque pixels unfaded replaces what is there; the halftone
        // copy already carries the alpha its drawing would mark.
        const RECT device = ToDevice(dest);
        for (const RECT& part : GdiClip::VisibleParts(dc_, device))
            bitmap_.CopyPixels(part, *copy->Surface(), part.left - device.left, part.top - device.top);
        return true;
    }
    MemoryDC copyDc(dc_);
    if (!copyDc.get()) return false;
    SelectionGuard selected(copyDc.get(), copy->Surface()->BitmapHandle());
    const BLENDFUNCTION blendFunction = {AC_SRC_OVER, 0, fade, AC_SRC_ALPHA};
    AlphaBlend(dc_, dest.left, dest.top, size.cx, size.cy, copyDc.get(), 0, 0, size.cx, size.cy, blendFunction);
    return true;
}

bool RenderContext_GdiPlus::FillThroughBlendTable(const RECT& rect, DWORD color) {
    if (!bitmap_.PixelData()) return false;
    const std::vector<RECT> parts = GdiClip::VisibleParts(dc_, ToDevice(rect));
    long area = 0;
    for (const RECT& part : parts) area += Width(part) * Height(part);
    std::shared_ptr<const ColorBlendTable> table =
        ColorBlendTables::Instance().Find(color, area >= ColorBlendTables::kLearnArea);
    if (!table) return false;
    for (const RECT& part : parts) table->Apply(bitmap_, part);
    return true;
}

RECT RenderContext_GdiPlus::ToDevice(const RECT& logical) const {
    const POINT origin = Origin();
    RECT device = logical;
    OffsetRect(&device, -origin.x, -origin.y);
    return device;
}

void RenderContext_GdiPlus::MarkOpaque(const RECT& logical) {
    // A halftone stretch writes colour but leaves alpha 0, which would turn an
    // opaque image into a see-through (and, premultiplied, glowing) one. Only
    // the pixels inside the clip were written.
    if (!bitmap_.PixelData()) return;
    for (const RECT& part : GdiClip::VisibleParts(dc_, ToDevice(logical))) bitmap_.FillAlpha(part, 255);
}

void RenderContext_GdiPlus::BlitCentre(const ImageSource& source, const RECT& paint, const RECT& dest, const RECT& src,
                                       bool hasAlpha, BYTE fade, bool xtiled, bool ytiled) {
    const int tileW = Width(src);
    const int tileH = Height(src);
    if (!xtiled && !ytiled) {
        BlitPiece(source, dest, src, hasAlpha, fade);
        return;
    }
    if (tileW <= 0 || tileH <= 0) return;
    // Without tiling in a direction the tile spans the whole centre that way.
    const int stepX = xtiled ? tileW : Width(dest);
    const int stepY = ytiled ? tileH : Height(dest);
    if (stepX <= 0 || stepY <= 0) return;
    for (int y = dest.top; y < dest.bottom; y += stepY) {
        const int h = std::min(stepY, static_cast<int>(dest.bottom) - y);
        for (int x = dest.left; x < dest.right; x += stepX) {
            const int w = std::min(stepX, static_cast<int>(dest.right) - x);
            const RECT d = {x, y, x + w, y + h};
            if (!Overlaps(d, paint)) continue;
            // The last tile is cut, not squeezed: the source is cut by the same amount.
            const RECT s = {src.left, src.top, xtiled ? src.left + w : src.right,
                            ytiled ? src.top + h : src.bottom};
            BlitPiece(source, d, s, hasAlpha, fade);
        }
    }
}

void RenderContext_GdiPlus::BlitImage(const RECT& paint, HBITMAP bitmap, bool hasAlpha, const RECT& dest,
                                      const RECT& source, const RECT& corner, BYTE fade, bool xtiled,
                                      bool ytiled) {
    if (!bitmap || !Overlaps(dest, paint)) return;
    MemoryDC imageDc(dc_);
    if (!imageDc.get()) return;
    SelectionGuard selected(imageDc.get(), bitmap);
    const int oldMode = SetStretchBltMode(dc_, HALFTONE);
    SetBrushOrgEx(dc_, 0, 0, nullptr);
    const ImageSource src = {imageDc.get(), bitmap};

    const RECT dc = {UiGlobals::ScaleByDpi(corner.left), UiGlobals::ScaleByDpi(corner.top),
                     UiGlobals::ScaleByDpi(corner.right), UiGlobals::ScaleByDpi(corner.bottom)};

    const RECT centreDest = {dest.left + dc.left, dest.top + dc.top, dest.right - dc.right,
                             dest.bottom - dc.bottom};
    const RECT centreSrc = {source.left + corner.left, source.top + corner.top, source.right - corner.right,
                            source.bottom - corner.bottom};
    if (Overlaps(centreDest, paint))
        BlitCentre(src, paint, centreDest, centreSrc, hasAlpha, fade, xtiled, ytiled);

    struct Piece {
        bool present;
        RECT dest;
        RECT src;
    };
    const bool l = corner.left > 0 && dc.left > 0;
    const bool t = corner.top > 0 && dc.top > 0;
    const bool r = corner.right > 0 && dc.right > 0;
    const bool b = corner.bottom > 0 && dc.bottom > 0;
    const Piece pieces[] = {
        // top-left, top edge, top-right
        {l && t, {dest.left, dest.top, dest.left + dc.left, dest.top + dc.top},
         {source.left, source.top, source.left + corner.left, source.top + corner.top}},
        {t, {centreDest.left, dest.top, centreDest.right, dest.top + dc.top},
         {centreSrc.left, source.top, centreSrc.right, source.top + corner.top}},
        {t && r, {dest.right - dc.right, dest.top, dest.right, dest.top + dc.top},
         {source.right - corner.right, source.top, source.right, source.top + corner.top}},
        // left edge, right edge
        {l, {dest.left, centreDest.top, dest.left + dc.left, centreDest.bottom},
         {source.left, centreSrc.top, source.left + corner.left, centreSrc.bottom}},
        {r, {dest.right - dc.right, centreDest.top, dest.right, centreDest.bottom},
         {source.right - corner.right, centreSrc.top, source.right, centreSrc.bottom}},
        // bottom-left, bottom edge, bottom-right
        {b && l, {dest.left, dest.bottom - dc.bottom, dest.left + dc.left, dest.bottom},
         {source.left, source.bottom - corner.bottom, source.left + corner.left, source.bottom}},
        {b, {centreDest.left, dest.bottom - dc.bottom, centreDest.right, dest.bottom},
         {centreSrc.left, source.bottom - corner.bottom, centreSrc.right, source.bottom}},
        {b && r, {dest.right - dc.right, dest.bottom - dc.bottom, dest.right, dest.bottom},
         {source.right - corner.right, source.bottom - corner.bottom, source.right, source.bottom}},
    };
    for (const Piece& piece : pieces) {
        if (piece.present && Overlaps(piece.dest, paint)) BlitPiece(src, piece.dest, piece.src, hasAlpha, fade);
    }
    if (oldMode) SetStretchBltMode(dc_, oldMode);
}

// ---- fills, lines and shapes --------------------------------------------------

void RenderContext_GdiPlus::FillColor(const RECT& rect, const std::wstring& colorName, BYTE alpha) {
    if (colorName.empty()) return;
    FillColor(rect, static_cast<DWORD>(UiGlobals::NamedColor(colorName)), alpha);
}

void RenderContext_GdiPlus::FillColor(const RECT& rect, DWORD argb, BYTE alpha) {
    const DWORD color = ScaleAlpha(argb, alpha);
    if ((color >> 24) == 0xFF && bitmap_.PixelData()) {
        // An opaque colour replaces what is there; written straight into the
        // surface it costs a fraction of a GDI+ fill. 0xFFRRGGBB is already the
        // premultiplied BGRA pixel.
        for (const RECT& part : GdiClip::VisibleParts(dc_, ToDevice(rect))) bitmap_.FillPixels(part, color);
        return;
    }
    if (FillThroughBlendTable(rect, color)) return;
    GdiPlusCanvas canvas(dc_, bitmap_);
    if (!canvas.graphics()) return;
    Gdiplus::SolidBrush brush(ArgbColor(color));
    canvas.graphics()->FillRectangle(&brush, rect.left, rect.top, Width(rect), Height(rect));
}

void RenderContext_GdiPlus::StrokeLine(const IPen* pen, int x1, int y1, int x2, int y2) {
    const auto* p = dynamic_cast<const Pen_GdiPlus*>(pen);
    GdiPlusCanvas canvas(dc_, bitmap_);
    if (!p || !canvas.graphics()) return;
    canvas.graphics()->SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    canvas.graphics()->DrawLine(p->native(), x1, y1, x2, y2);
}

void RenderContext_GdiPlus::StrokeLine(const RECT& line, int width, DWORD argb) {
    GdiPlusCanvas canvas(dc_, bitmap_);
    if (!canvas.graphics()) return;
    Gdiplus::Pen pen(ArgbColor(argb), static_cast<Gdiplus::REAL>(width));
    canvas.graphics()->DrawLine(&pen, static_cast<INT>(line.left), static_cast<INT>(line.top),
                                static_cast<INT>(line.right), static_cast<INT>(line.bottom));
}

void RenderContext_GdiPlus::StrokeBezier(const IPen* pen, const POINT& p1, const POINT& p2, const POINT& p3,
                                         const POINT& p4) {
    const auto* p = dynamic_cast<const Pen_GdiPlus*>(pen);
    GdiPlusCanvas canvas(dc_, bitmap_);
    if (!p || !canvas.graphics()) return;
    canvas.graphics()->SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    canvas.graphics()->DrawBezier(p->native(), Gdiplus::Point(p1.x, p1.y), Gdiplus::Point(p2.x, p2.y),
                                  Gdiplus::Point(p3.x, p3.y), Gdiplus::Point(p4.x, p4.y));
}

void RenderContext_GdiPlus::StrokeRect(const RECT& rect, int width, DWORD argb) {
    GdiPlusCanvas canvas(dc_, bitmap_);
    if (!canvas.graphics()) return;
    Gdiplus::Pen pen(ArgbColor(argb), static_cast<Gdiplus::REAL>(width));
    canvas.graphics()->DrawRectangle(&pen, rect.left, rect.top, Width(rect), Height(rect));
}

void RenderContext_GdiPlus::StrokeRoundRect(const RECT& rect, const SIZE& corner, int width, DWORD argb) {
    // An arc of no size is refused by GDI+ and would leave a broken outline.
    if (corner.cx <= 0 || corner.cy <= 0) {
        StrokeRect(rect, width, argb);
        return;
    }
    GdiPlusCanvas canvas(dc_, bitmap_);
    if (!canvas.graphics()) return;
    const INT cw = corner.cx;
    const INT ch = corner.cy;
    Gdiplus::GraphicsPath path;
    path.AddArc(rect.left, rect.top, cw, ch, 180, 90);
    path.AddArc(rect.right - cw, rect.top, cw, ch, 270, 90);
    path.AddArc(rect.right - cw, rect.bottom - ch, cw, ch, 0, 90);
    path.AddArc(rect.left, rect.bottom - ch, cw, ch, 90, 90);
    path.CloseFigure();
    Gdiplus::Pen pen(ArgbColor(argb), static_cast<Gdiplus::REAL>(width));
    canvas.graphics()->SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    canvas.graphics()->DrawPath(&pen, &path);
}

void RenderContext_GdiPlus::StrokeEllipse(const RECT& rect, int width, DWORD argb) {
    GdiPlusCanvas canvas(dc_, bitmap_);
    if (!canvas.graphics()) return;
    Gdiplus::Pen pen(ArgbColor(argb), static_cast<Gdiplus::REAL>(width));
    canvas.graphics()->SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    canvas.graphics()->DrawEllipse(&pen, rect.left, rect.top, Width(rect), Height(rect));
}

void RenderContext_GdiPlus::FillEllipseShape(const RECT& rect, DWORD argb) {
    GdiPlusCanvas canvas(dc_, bitmap_);
    if (!canvas.graphics()) return;
    Gdiplus::SolidBrush brush(ArgbColor(argb));
    canvas.graphics()->SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    canvas.graphics()->FillEllipse(&brush, rect.left, rect.top, Width(rect), Height(rect));
}

void RenderContext_GdiPlus::StrokePath(const IPath* path, const IPen* pen) {
    const auto* p = dynamic_cast<const Path_Gdiplus*>(path);
    const auto* n = dynamic_cast<const Pen_GdiPlus*>(pen);
    GdiPlusCanvas canvas(dc_, bitmap_);
    if (!p || !n || !canvas.graphics()) return;
    canvas.graphics()->SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    canvas.graphics()->DrawPath(n->native(), p->native());
}

void RenderContext_GdiPlus::FillPathShape(const IPath* path, const IBrush* brush) {
    const auto* p = dynamic_cast<const Path_Gdiplus*>(path);
    const auto* b = dynamic_cast<const Brush_Gdiplus*>(brush);
    GdiPlusCanvas canvas(dc_, bitmap_);
    if (!p || !b || !b->native() || !canvas.graphics()) return;
    canvas.graphics()->SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    canvas.graphics()->FillPath(b->native(), p->native());
}

// ---- text ---------------------------------------------------------------------

std::shared_ptr<const Gdiplus::Font> RenderContext_GdiPlus::MakeFont(const std::wstring& fontId,
                                                                     std::wstring* faceName, int* pixelHeight) {
    FontRecord* record = UiGlobals::GetFontRecord(fontId);
    HFONT handle = record ? record->Handle() : nullptr;
    HFONT fontForMetrics = handle ? handle : static_cast<HFONT>(GetCurrentObject(dc_, OBJ_FONT));
    std::shared_ptr<const Gdiplus::Font> font;
    LOGFONTW logFont = {};
    if (handle && GetObjectW(handle, sizeof(logFont), &logFont) == sizeof(logFont)) {
        // The wide record keeps face names such as "微软雅黑" that an ANSI
        // code page cannot hold.
        font = GdiPlusFontCache::Instance().Find(dc_, logFont);
        if (faceName) *faceName = record->faceName.empty() ? logFont.lfFaceName : record->faceName;
    } else {
        std::shared_ptr<const Gdiplus::Font> own(new Gdiplus::Font(dc_));
        if (own->GetLastStatus() == Gdiplus::Ok) font = own;
        if (faceName && GetObjectW(fontForMetrics, sizeof(logFont), &logFont) == sizeof(logFont))
            *faceName = logFont.lfFaceName;
    }
    if (!font) return nullptr;
    if (pixelHeight) {
        TEXTMETRICW metrics = {};
        if (record && record->hasMetrics) {
            metrics = record->metrics;
        } else {
            SelectionGuard selected(dc_, fontForMetrics);
            GetTextMetricsW(dc_, &metrics);
            if (record) {
                record->metrics = metrics;
                record->hasMetrics = true;
            }
        }
        *pixelHeight = metrics.tmHeight;
    }
    return font;
}

void RenderContext_GdiPlus::RenderText(const RECT& rect, const std::wstring& text, DWORD argb,
                                       const std::wstring& fontId, UINT format, BYTE alpha, bool lineLimit) {
    if (text.empty()) return;
    std::wstring face;
    int fontHeight = 0;
    std::shared_ptr<const Gdiplus::Font> font = MakeFont(fontId, &face, &fontHeight);
    if (!font) return;

    DWORD a = static_cast<DWORD>((argb >> 24) / 255.0 * alpha);
    if (a == 255) a = 254;
    const DWORD brushColor = (a << 24) | (argb & 0x00FFFFFF);

    std::unique_ptr<Gdiplus::StringFormat> stringFormat(TypographicFormat());
    if (!stringFormat) return;
    if (format & kTextEndEllipsis) stringFormat->SetTrimming(Gdiplus::StringTrimmingEllipsisCharacter);
    INT flags = 0;
    if (format & kTextNoClip) flags |= Gdiplus::StringFormatFlagsNoClip;
    if (format & kTextSingleLine) flags |= Gdiplus::StringFormatFlagsNoWrap;
    if (lineLimit) flags |= Gdiplus::StringFormatFlagsLineLimit;
    stringFormat->SetFormatFlags(flags);

    if (format & kTextCenter) stringFormat->SetAlignment(Gdiplus::StringAlignmentCenter);
    else if (format & kTextRight) stringFormat->SetAlignment(Gdiplus::StringAlignmentFar);
    else stringFormat->SetAlignment(Gdiplus::StringAlignmentNear);

    RECT box = rect;
    if (format & kTextVCenter) {
        stringFormat->SetLineAlignment(Gdiplus::StringAlignmentCenter);
        // This face sits one pixel high when centred; nudge it when there is room.
        if (face == L"\u65B0\u5B8B\u4F53" && Height(rect) >= fontHeight + 2) OffsetRect(&box, 0, 1);
    } else if (format & kTextBottom) {
        stringFormat->SetLineAlignment(Gdiplus::StringAlignmentFar);
    } else {
        stringFormat->SetLineAlignment(Gdiplus::StringAlignmentNear);
    }

    auto draw = [&](HDC dc, const GdiBitmap& surface, const RECT& layoutBox) {
        GdiPlusCanvas canvas(dc, surface);
        if (!canvas.graphics()) return false;
        Gdiplus::SolidBrush brush{Gdiplus::Color(brushColor)};
        const Gdiplus::RectF layout(
            static_cast<Gdiplus::REAL>(layoutBox.left), static_cast<Gdiplus::REAL>(layoutBox.top),
            static_cast<Gdiplus::REAL>(Width(layoutBox)), static_cast<Gdiplus::REAL>(Height(layoutBox)));
        return canvas.graphics()->DrawString(text.c_str(), static_cast<INT>(text.size()), font.get(), layout,
                                             stringFormat.get(), &brush) == Gdiplus::Ok;
    };
    if (DrawKeptText(box, text, fontId, fontHeight, brushColor, format, lineLimit, draw)) return;
    draw(dc_, bitmap_, box);
}

bool RenderContext_GdiPlus::DrawKeptText(const RECT& box, const std::wstring& text, const std::wstring& fontId,
                                         int fontHeight, DWORD brushColor, UINT format, bool lineLimit,
                                         const TextDrawer& draw) {
    if (!bitmap_.PixelData()) return false;
    // Unclipped text may reach past its box. One line cut with an ellipsis
    // stays within a line's height of it (descenders, overhangs, a box lower
    // than the line), so the picture gets that much room around the box;
    // other unclipped text could run on without bound and is drawn directly.
    int margin = 0;
    if (format & kTextNoClip) {
        const UINT bounded = kTextSingleLine | kTextEndEllipsis;
        if ((format & bounded) != bounded || fontHeight <= 0) return false;
        margin = fontHeight + 2;
    }
    FontRecord* record = UiGlobals::GetFontRecord(fontId);
    HFONT handle = record ? record->Handle() : nullptr;
    LOGFONTW logFont = {};
    if (!handle || GetObjectW(handle, sizeof(logFont), &logFont) != sizeof(logFont)) return false;
    // Everything the pixels depend on: the font as GDI+ gets it, the colour,
    // the layout flags and the box size; the text last, as it may hold any
    // character.
    std::wstring key;
    const long numbers[] = {logFont.lfHeight,      logFont.lfWidth,       logFont.lfEscapement,
                            logFont.lfOrientation, logFont.lfWeight,      logFont.lfItalic,
                            logFont.lfUnderline,   logFont.lfStrikeOut,   logFont.lfCharSet,
                            logFont.lfOutPrecision, logFont.lfClipPrecision, logFont.lfQuality,
                            logFont.lfPitchAndFamily, static_cast<long>(brushColor), static_cast<long>(format),
                            lineLimit ? 1L : 0L,   Width(box),            Height(box)};
    for (long number : numbers) key += std::to_wstring(number) + L',';
    key.append(logFont.lfFaceName, wcsnlen(logFont.lfFaceName, LF_FACESIZE));
    key += L'\n';
    key += text;
    if (Width(box) <= 0 || Height(box) <= 0) return false;
    const SIZE size = {Width(box) + 2 * margin, Height(box) + 2 * margin};
    const RECT layoutBox = {margin, margin, margin + Width(box), margin + Height(box)};
    std::shared_ptr<const GdiBitmap> image = TextImageCache::Instance().Find(
        key, size, dc_, [&](HDC dc, GdiBitmap& surface) { return draw(dc, surface, layoutBox); });
    if (!image) return false;
    MemoryDC imageDc(dc_);
    if (!imageDc.get()) return false;
    SelectionGuard selected(imageDc.get(), image->BitmapHandle());
    const BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    return AlphaBlend(dc_, box.left - margin, box.top - margin, size.cx, size.cy, imageDc.get(), 0, 0, size.cx,
                      size.cy, blend) != FALSE;
}

RECT RenderContext_GdiPlus::MeasureTextBox(const std::wstring& text, const std::wstring& fontId, UINT format,
                                           int widthLimit) {
    RECT result = {0, 0, 0, 0};
    Gdiplus::Graphics graphics(dc_);
    if (graphics.GetLastStatus() != Gdiplus::Ok) return result;
    std::shared_ptr<const Gdiplus::Font> font = MakeFont(fontId, nullptr, nullptr);
    if (!font) return result;
    std::unique_ptr<Gdiplus::StringFormat> stringFormat(TypographicFormat());
    if (!stringFormat) return result;
    const bool singleLine = (format & kTextSingleLine) != 0;
    stringFormat->SetFormatFlags(singleLine ? Gdiplus::StringFormatFlagsNoWrap : 0);

    Gdiplus::RectF bounds;
    const INT length = static_cast<INT>(text.size());
    if (widthLimit == -1) {
        const Gdiplus::RectF unlimited(0, 0, 0, 0);
        graphics.MeasureString(text.c_str(), length, font.get(), unlimited, stringFormat.get(), &bounds);
    } else {
        Gdiplus::REAL lineHeight = 0;
        if (singleLine) {
            Gdiplus::RectF sample;
            const Gdiplus::RectF unlimited(0, 0, 0, 0);
            graphics.MeasureString(L"\u6D4B\u8BD5", 2, font.get(), unlimited, stringFormat.get(), &sample);
            lineHeight = sample.Height;
        }
        const Gdiplus::RectF layout(0, 0, static_cast<Gdiplus::REAL>(widthLimit), lineHeight);
        graphics.MeasureString(text.c_str(), length, font.get(), layout, stringFormat.get(), &bounds);
    }
    result.left = static_cast<LONG>(bounds.X);
    result.top = static_cast<LONG>(bounds.Y);
    result.right = static_cast<LONG>(bounds.X + bounds.Width + 1);
    result.bottom = static_cast<LONG>(bounds.Y + bounds.Height + 1);
    return result;
}

} // namespace ui
