#include "ui/render/Brush_Gdiplus.h"

namespace ui {

Brush_Gdiplus::Brush_Gdiplus(DWORD argb)
    : color_(argb), brush_(new Gdiplus::SolidBrush(Gdiplus::Color(argb))) {}

Brush_Gdiplus::Brush_Gdiplus(HBITMAP bitmap) {
    if (!bitmap) return;
    Gdiplus::Bitmap image(bitmap, nullptr);
    if (image.GetLastStatus() != Gdiplus::Ok) return;
    std::unique_ptr<Gdiplus::TextureBrush> brush(new Gdiplus::TextureBrush(&image));
    if (brush->GetLastStatus() == Gdiplus::Ok) brush_ = std::move(brush);
}

Brush_Gdiplus::Brush_Gdiplus(const Brush_Gdiplus& other)
    : IBrush(), color_(other.color_), brush_(other.brush_ ? other.brush_->Clone() : nullptr) {}

std::unique_ptr<IBrush> Brush_Gdiplus::Clone() const { return std::make_unique<Brush_Gdiplus>(*this); }

} // namespace ui
