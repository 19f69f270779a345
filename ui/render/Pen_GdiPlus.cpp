#include "ui/render/Pen_GdiPlus.h"

namespace ui {

Pen_GdiPlus::Pen_GdiPlus(DWORD argb, int width)
    : pen_(new Gdiplus::Pen(Gdiplus::Color(argb), static_cast<Gdiplus::REAL>(width))) {}

Pen_GdiPlus::Pen_GdiPlus(const Pen_GdiPlus& other) : IPen(), pen_(other.pen_->Clone()) {}

std::unique_ptr<IPen> Pen_GdiPlus::Clone() const { return std::make_unique<Pen_GdiPlus>(*this); }

void Pen_GdiPlus::SetWidth(int width) { pen_->SetWidth(static_cast<Gdiplus::REAL>(width)); }

int Pen_GdiPlus::GetWidth() const { return static_cast<int>(pen_->GetWidth()); }

void Pen_GdiPlus::SetColor(DWORD argb) { pen_->SetColor(Gdiplus::Color(argb)); }

DWORD Pen_GdiPlus::GetColor() const {
    Gdiplus::Color color;
    pen_->GetColor(&color);
    return color.GetValue();
}

} // namespace ui
