#pragma once
#include <memory>

#include "ui/render/GdiPlusHeaders.h"
#include "ui/render/IBrush.h"

namespace ui {

class Brush_Gdiplus : public IBrush {
public:
    explicit Brush_Gdiplus(DWORD argb);
    // Texture brush over a copy of the bitmap's pixels.
    explicit Brush_Gdiplus(HBITMAP bitmap);
    Brush_Gdiplus(const Brush_Gdiplus& other);
    Brush_Gdiplus& operator=(const Brush_Gdiplus&) = delete;

    std::unique_ptr<IBrush> Clone() const override;
    DWORD GetColor() const override { return color_; }

    // Null when the brush could not be made (e.g. a null bitmap).
    Gdiplus::Brush* native() const { return brush_.get(); }

private:
    DWORD color_ = 0;
    std::unique_ptr<Gdiplus::Brush> brush_;
};

} // namespace ui
